// Stretchables on real bands walked page by page: shift chains, overflow over pages, stop positions,
// keep-together, forced page breaks, and the property rules that keep chains sound.
#include <gtest/gtest.h>

#include <memory>

#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppPageBreak.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

using namespace ppbandtest;

namespace {

class Stretchables : public ::testing::Test {
protected:
  // With a pipeline and no records, the summary is due at once.
  std::unique_ptr<TppDataPipeline> Pipeline = std::make_unique<TppDataSetPipeline>(nullptr);
  std::vector<std::unique_ptr<TBandTestReport>> Reports;
  TBandTestReport* Report = NewReport();
  TBandTestEngine& Engine = *Report->TestEngine;

  TBandTestReport* NewReport() {
    Reports.push_back(std::make_unique<TBandTestReport>(nullptr));
    Reports.back()->SetDataPipeline(Pipeline.get());
    return Reports.back().get();
  }
  void TearDown() override {
    for (auto& R : Reports) R->SetDataPipeline(nullptr);
  }

  // A summary band alone on the page: it starts at the page body's top (10 mm), the body ends at 90 mm.
  TKindBand* Summary(int32_t Height, bool Dynamic = true) {
    auto* B = AddBand(*Report, Height, btSummary);
    if (Dynamic) B->SetPrintHeight(phDynamic);
    return B;
  }
  static TStretchText* Text(TppBand& Band, const std::string& Label, int32_t Top, int32_t Length) {
    auto* T = new TStretchText(Band.Owner());
    T->Label = Label;
    T->SetBounds(0, Top, 5 * mm, 10 * mm);
    T->Length = Length;
    T->SetBand(&Band);
    return T;
  }
  // Label's tops on page Page (1-based); empty past the last page.
  std::vector<int32_t> Tops(int Page, const std::string& Label) const {
    std::vector<int32_t> T;
    if (Page > static_cast<int>(Engine.Pages.size())) return T;
    for (const TDrawn& D : Engine.Pages.at(Page - 1))
      if (D.Label == Label) T.push_back(D.Top);
    return T;
  }
  // A stretchable of fixed height that shifts with its band.
  static TStretchText* Fixed(TppBand& Band, const std::string& Label, int32_t Top) {
    TStretchText* T = Text(Band, Label, Top, 0);
    T->SetStretch(false);
    T->SetShiftWithParent(true);
    return T;
  }
  using V = std::vector<int32_t>;
};

}  // namespace

// A prints 30 mm from 15 mm with 2 mm kept below; B shifts relative to A and C to B: each starts at
// the printed bottom of the one above, and a box that shifts with the band moves by its growth.
TEST_F(Stretchables, ChainPrintsBelowPrintedBottoms) {
  auto* B = Summary(20 * mm);
  TStretchText* A = Text(*B, "A", 5 * mm, 30 * mm);
  A->SetmmBottomOffset(2 * mm);
  TStretchText* Second = Text(*B, "B", 12 * mm, 10 * mm);
  Second->SetShiftRelativeTo(A);
  TStretchText* Third = Text(*B, "C", 14 * mm, 5 * mm);
  Third->SetShiftRelativeTo(Second);
  Fixed(*B, "Below", 18 * mm);
  Engine.Run();
  ASSERT_EQ(1u, Engine.Pages.size());
  EXPECT_EQ(V{15 * mm}, Tops(1, "A"));
  EXPECT_EQ(V{47 * mm}, Tops(1, "B"));
  EXPECT_EQ(V{57 * mm}, Tops(1, "C"));
  // The band's lowest stretchable is A, grown over its chain down to 62 mm: the object keeps its
  // design gap of 3 mm below A.
  EXPECT_EQ(V{65 * mm}, Tops(1, "Below"));
  EXPECT_TRUE(A->Stretch());
}

// A continues on the next two pages; its shifter waits for it and prints below its last part, and
// the chain's second link follows onto a page of its own when the first fills the page.
TEST_F(Stretchables, ChainFollowsOverflowOverPages) {
  auto* B = Summary(20 * mm);
  TStretchText* A = Text(*B, "A", 5 * mm, 100 * mm);
  TStretchText* Second = Text(*B, "B", 12 * mm, 70 * mm);
  Second->SetShiftRelativeTo(A);
  Engine.Run();
  ASSERT_EQ(3u, Engine.Pages.size());
  EXPECT_EQ(V{15 * mm}, Tops(1, "A"));     // 75 mm here
  EXPECT_TRUE(Tops(1, "B").empty());
  EXPECT_EQ(V{10 * mm}, Tops(2, "A"));     // the last 25 mm
  EXPECT_EQ(V{35 * mm}, Tops(2, "B"));     // 55 mm of B
  EXPECT_TRUE(Tops(3, "A").empty());
  EXPECT_EQ(V{10 * mm}, Tops(3, "B"));     // the last 15 mm
  EXPECT_EQ(100 * mm, A->Printed);
  EXPECT_EQ(70 * mm, Second->Printed);
}

// An overflow offset moves the continuation down on later pages; a stop position ends the object
// above the page bottom, and its continuation starts at the band position without the offset.
TEST_F(Stretchables, OverflowOffsetAndStopPosition) {
  struct Case {
    int32_t OverFlowOffset, StopPosition;
    V Page1, Page2;
    size_t Pages;
  };
  const Case Cases[] = {
      {3 * mm, 0, {15 * mm}, {13 * mm}, 2},        // 75 mm, then 15 mm from 13 mm
      {3 * mm, 50 * mm, {15 * mm}, {15 * mm}, 3},  // 35 mm twice from the design top, then 20 mm
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.StopPosition);
    TBandTestReport* R = NewReport();
    auto* B = AddBand(*R, 20 * mm, btSummary);
    B->SetPrintHeight(phDynamic);
    TStretchText* A = Text(*B, "A", 5 * mm, 90 * mm);
    A->SetmmOverFlowOffset(C.OverFlowOffset);
    A->SetmmStopPosition(C.StopPosition);
    R->TestEngine->Run();
    const auto& Pages = R->TestEngine->Pages;
    ASSERT_EQ(C.Pages, Pages.size());
    EXPECT_EQ(C.Page1, V{Pages[0].at(0).Top});
    EXPECT_EQ(C.Page2, V{Pages[1].at(0).Top});
    EXPECT_EQ(90 * mm, A->Printed);
  }
}

// The page break ends the page below the objects above it; the objects below it go on at the top
// of the next page, moved up by the break's place. Invisible, it does nothing.
TEST_F(Stretchables, PageBreakMovesWhatFollowsToTheNextPage) {
  for (bool Visible : {true, false}) {
    SCOPED_TRACE(Visible);
    TBandTestReport* R = NewReport();
    auto* B = AddBand(*R, 40 * mm, btSummary);
    AddBox(*B, "Above", 0, 5 * mm);
    auto* Break = new TppPageBreak(B->Owner());
    Break->SetmmTop(10 * mm);
    Break->SetBand(B);
    Break->SetVisible(Visible);
    AddBox(*B, "Below", 20 * mm, 5 * mm);
    R->TestEngine->Run();
    const auto& Pages = R->TestEngine->Pages;
    if (!Visible) {
      ASSERT_EQ(1u, Pages.size());
      EXPECT_EQ((std::vector<TDrawn>{{"Above", 10 * mm, 10 * mm}, {"Below", 10 * mm, 30 * mm}}), Pages[0]);
      continue;
    }
    ASSERT_EQ(2u, Pages.size());
    EXPECT_EQ((std::vector<TDrawn>{{"Above", 10 * mm, 10 * mm}}), Pages[0]);
    EXPECT_EQ((std::vector<TDrawn>{{"Below", 10 * mm, 20 * mm}}), Pages[1]);
    EXPECT_FALSE(Break->OverFlow());
    EXPECT_FALSE(B->GetPartialGeneration());
  }
}

// In a fixed-height band, labels lying below the break go to the next page whatever their place in
// the band's object order, each printed once; there the band takes only what lies below the break,
// so the band after it starts right below.
TEST_F(Stretchables, PageBreakInAFixedBandMovesEveryLabelBelowIt) {
  auto* Title = AddBand(*Report, 40 * mm, btTitle);
  auto Label = [Title](const std::string& Caption, int32_t Top) {
    auto* L = new TppLabel(Title->Owner());
    L->SetAutoSize(false);
    L->SetBounds(0, Top, 20 * mm, 5 * mm);
    L->SetCaption(Caption);
    L->SetBand(Title);
  };
  Label("Top", 0);
  Label("Low", 25 * mm);  // before the break in the object order
  auto* Break = new TppPageBreak(Title->Owner());
  Break->SetmmTop(10 * mm);
  Break->SetBand(Title);
  Label("Late", 15 * mm);
  auto* S = Summary(10 * mm, false);
  AddBox(*S, "Summary", 0, 5 * mm);
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  EXPECT_EQ((std::vector<TDrawn>{{"Top", 10 * mm, 10 * mm}}), Engine.Pages[0]);
  EXPECT_EQ((std::vector<TDrawn>{{"Low", 10 * mm, 25 * mm}, {"Late", 10 * mm, 15 * mm},
                                 {"Summary", 10 * mm, 40 * mm}}),
            Engine.Pages[1]);
}

// A break as the band's last object ends the page; the next page gets nothing more of the band, and
// the band after it starts at the top.
TEST_F(Stretchables, PageBreakAsLastObject) {
  auto* Title = AddBand(*Report, 20 * mm, btTitle);
  Title->SetPrintHeight(phDynamic);
  AddBox(*Title, "Title", 0, 5 * mm);
  auto* Break = new TppPageBreak(Title->Owner());
  Break->SetmmTop(15 * mm);
  Break->SetBand(Title);
  auto* S = Summary(10 * mm, false);
  AddBox(*S, "Summary", 0, 5 * mm);
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  EXPECT_EQ((std::vector<TDrawn>{{"Title", 10 * mm, 10 * mm}}), Engine.Pages[0]);
  EXPECT_EQ((std::vector<TDrawn>{{"Summary", 10 * mm, 10 * mm}}), Engine.Pages[1]);
}

// A break that shifts relative to a stretching text ends the page right after the text's last part.
TEST_F(Stretchables, PageBreakFollowsAStretchingText) {
  auto* B = Summary(20 * mm);
  TStretchText* A = Text(*B, "A", 0, 20 * mm);
  auto* Break = new TppPageBreak(B->Owner());
  Break->SetmmTop(10 * mm);
  Break->SetBand(B);
  Break->SetShiftRelativeTo(A);
  EXPECT_TRUE(Break->Stretch());
  Fixed(*B, "Below", 30 * mm);
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  EXPECT_EQ(V{10 * mm}, Tops(1, "A"));
  EXPECT_TRUE(Tops(1, "Below").empty());
  EXPECT_EQ(V{40 * mm}, Tops(2, "Below"));
  EXPECT_TRUE(Tops(2, "A").empty());
}

// Keep-together applies once something printed above the object, and not after it was kept.
TEST_F(Stretchables, KeepTogetherApplies) {
  auto* B = Summary(20 * mm);
  TStretchText* A = Text(*B, "A", 0, 20 * mm);
  TStretchText* Second = Text(*B, "B", 25 * mm, 10 * mm);
  Second->SetShiftRelativeTo(A);
  EXPECT_FALSE(Second->KeepTogetherApplies());  // off
  Second->SetKeepTogether(true);
  A->SetSpaceUsed(0);
  EXPECT_FALSE(Second->KeepTogetherApplies());  // nothing above it on this page
  A->SetSpaceUsed(20 * mm);
  EXPECT_TRUE(Second->KeepTogetherApplies());
  Second->SetKeptTogether(true);
  EXPECT_FALSE(Second->KeepTogetherApplies());  // moved once already
  A->SetKeepTogether(true);
  EXPECT_FALSE(A->KeepTogetherApplies());  // the band used no space, the page has not started
  Engine.SetPageStarted(true);
  EXPECT_TRUE(A->KeepTogetherApplies());
}

// The rules that keep a chain sound: no cycles, no self, a stretchable with shifters keeps growing,
// the layout options that exclude a chain leave it, a freed link is forgotten.
TEST_F(Stretchables, ShiftRelativeToRules) {
  auto* B = Summary(20 * mm, false);
  TStretchText* A = Text(*B, "A", 0, 10 * mm);
  TStretchText* Second = Text(*B, "B", 10 * mm, 10 * mm);
  A->SetStretch(false);
  Second->SetStretch(false);
  B->SetPrintHeight(phStatic);
  ASSERT_EQ(phStatic, B->PrintHeight());
  Second->SetShiftRelativeTo(A);
  EXPECT_TRUE(A->Stretch());                 // a shifted-below object grows
  EXPECT_EQ(phDynamic, B->PrintHeight());    // and makes its band dynamic
  EXPECT_THROW(A->SetShiftRelativeTo(Second), EInvalidPropertyError);
  EXPECT_THROW(A->SetShiftRelativeTo(A), EInvalidPropertyError);
  EXPECT_EQ(nullptr, A->ShiftRelativeTo());
  A->SetStretch(false);
  EXPECT_TRUE(A->Stretch());                 // refused while B shifts below it
  A->SetAnchors(ppAnchorLeft | ppAnchorBottom);
  EXPECT_FALSE(A->Anchors() & ppAnchorBottom);
  Second->SetReprintOnOverFlow(true);
  EXPECT_EQ(nullptr, Second->ShiftRelativeTo());
  EXPECT_EQ(0, A->ShifterCount());
  EXPECT_FALSE(Second->Stretch());
  A->SetStretch(false);
  EXPECT_FALSE(A->Stretch());                // free to stop growing now
  Second->SetShiftRelativeTo(A);
  EXPECT_FALSE(Second->ReprintOnOverFlow());
  delete A;
  EXPECT_EQ(nullptr, Second->ShiftRelativeTo());
  auto* Third = Text(*B, "C", 0, 10 * mm);
  Third->SetShiftRelativeTo(Second);
  delete Third;
  EXPECT_EQ(0, Second->ShifterCount());
}
