// Regions: membership and drawing order, pen and brush, the frame's draw command, and on the real
// engine members printing with their region, keep-together moving the whole region to the next
// page, and pages generated again alone.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppMemo.h"
#include "ppreport/generation/ppRegion.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

namespace bandkindstest {
namespace {

class Regions : public GrowingDetail {
protected:
  TppRegion* AddRegion(int32_t Top, int32_t Height = 10 * mm) {
    auto* R = new TppRegion(&Form);
    R->SetBounds(0, Top, 80 * mm, Height);
    R->SetBand(Band);
    return R;
  }
  TppLabel* AddLabel(TppRegion* R, const std::string& Caption, int32_t Top) {
    auto* L = new TppLabel(&Form);
    L->SetBand(Band);
    L->SetBounds(2 * mm, Top, 30 * mm, 5 * mm);
    L->SetCaption(Caption);
    R->AddObject(L);
    return L;
  }
  TppMemo* AddMemo(TppRegion* R, int Words, int32_t Top) {
    auto* M = new TppMemo(&Form);
    M->SetBand(Band);
    M->SetBounds(2 * mm, Top, 60 * mm, 5 * mm);
    M->SetStretch(true);
    std::string T;
    for (int I = 0; I < Words; ++I) T += std::string(static_cast<size_t>(1 + I % 7), static_cast<char>('a' + I % 26)) + " ";
    M->SetText(T);
    R->AddObject(M);
    return M;
  }
  // The commands of Component on a page.
  std::vector<TppDrawCommand*> CommandsOf(const TComponent* Component, int Page) {
    std::vector<TppDrawCommand*> L;
    auto It = Report->Pages.find(Page);
    if (It == Report->Pages.end()) return L;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (It->second->GetDrawCommand(I)->Component() == Component) L.push_back(It->second->GetDrawCommand(I));
    return L;
  }
  std::vector<std::string> MemoLines(const TppMemo* M, int Page) {
    std::vector<std::string> L;
    for (TppDrawCommand* C : CommandsOf(M, Page))
      if (auto* T = dynamic_cast<TppDrawText*>(C); T && T->WrappedText())
        for (int I = 0; I < T->WrappedText()->Count(); ++I) L.push_back(T->WrappedText()->Get(I));
    return L;
  }
  // The memo's text wrapped at once into a rectangle without a bottom.
  static std::vector<std::string> TallWrap(TppMemo& M) {
    TStringList L;
    int32_t Position = 0;
    TppPlainText::WordWrap(M.GetText(), TRect{0, 0, M.mmWidth(), INT_MAX / 2}, M.TextAlignment(), false, *M.Font(),
                           M.CharWrap(), M.mmLeading(), &M.StoredTabStops(), M.GetPrinter(), Position, L);
    std::vector<std::string> V;
    for (int I = 0; I < L.Count(); ++I) V.push_back(L.Get(I));
    return V;
  }
  // The frames on a page (copies of pages keep the component of texts only).
  std::vector<TppDrawShape*> Frames(int Page) {
    std::vector<TppDrawShape*> L;
    auto It = Report->Pages.find(Page);
    if (It == Report->Pages.end()) return L;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* S = dynamic_cast<TppDrawShape*>(It->second->GetDrawCommand(I))) L.push_back(S);
    return L;
  }
  std::vector<TComponent*> BandOrder() {
    std::vector<TComponent*> L;
    for (int I = 0; I < Band->GetObjectCount(); ++I) L.push_back(Band->GetObjects(I));
    return L;
  }
};

}  // namespace

// Members lie directly above their region in the band's order, in member order, whichever way the
// region or a member moves; a stretching member makes the region stretch; members go with it.
TEST_F(Regions, MembersFollowTheirRegion) {
  ppbandtest::AddBox(*Band, "Before", 0, 5 * mm);
  TppRegion* R = AddRegion(10 * mm);
  TppLabel* A = AddLabel(R, "A", 11 * mm);
  ppbandtest::TBox* Other = ppbandtest::AddBox(*Band, "After", 30 * mm, 5 * mm);
  TppLabel* B = AddLabel(R, "B", 12 * mm);
  TComponent* Before = Band->GetObjects(0);
  EXPECT_EQ((std::vector<TComponent*>{Before, R, A, B, Other}), BandOrder());
  EXPECT_EQ(Other, R->GetNextSibling());
  EXPECT_EQ(R, A->GetParent());

  R->SendToBack();
  EXPECT_EQ((std::vector<TComponent*>{R, A, B, Before, Other}), BandOrder());
  R->BringToFront();
  EXPECT_EQ((std::vector<TComponent*>{Before, Other, R, A, B}), BandOrder());
  R->SendObjectToBack(B);
  EXPECT_EQ((std::vector<TComponent*>{Before, Other, R, B, A}), BandOrder());
  EXPECT_EQ(0, R->IndexOfObject(B));

  EXPECT_FALSE(R->Stretch());
  TppMemo* M = AddMemo(R, 3, 13 * mm);
  EXPECT_TRUE(R->Stretch());
  EXPECT_EQ(M, R->GetObject(2));

  R->RemoveObject(A);
  EXPECT_EQ(nullptr, A->Region());
  EXPECT_EQ(2, R->GetObjectCount());
  EXPECT_NE(-1, Band->IndexOfObject(A));  // still a band object

  const int Owned = Form.ComponentCount();
  R->Free();  // the members go with it
  EXPECT_EQ(Owned - 3, Form.ComponentCount());
  EXPECT_EQ((std::vector<TComponent*>{Before, Other, A}), BandOrder());
}

// Moving a region moves its anchored members; a region whose saved size is 0 leaves them.
TEST_F(Regions, MembersAnchorToTheRegionsBounds) {
  TppRegion* R = AddRegion(10 * mm, 20 * mm);
  TppLabel* L = AddLabel(R, "L", 12 * mm);
  ASSERT_EQ((TRect{0, 10 * mm, 80 * mm, 20 * mm}), R->GetSavedBounds());
  R->SetmmTop(15 * mm);
  EXPECT_EQ(17 * mm, L->mmTop());
  L->SetAnchors(ppAnchorLeft | ppAnchorBottom);
  R->SetmmHeight(30 * mm);
  EXPECT_EQ(27 * mm, L->mmTop());  // keeps its distance to the region's bottom

  R->SetSavedBounds({});
  R->SetmmTop(0);
  EXPECT_EQ(27 * mm, L->mmTop());
}

// The frame is a rectangle inside the print rectangle by half the pen, the pen's screen pixels
// turned into thousandths of a millimetre; transparency follows the brush.
TEST_F(Regions, FrameAndBrush) {
  TppRegion* R = AddRegion(0, 20 * mm);
  TPen Pen;
  Pen.SetWidth(3);
  R->SetPen(&Pen);
  R->SetPrintRect({10 * mm, 10 * mm, 90 * mm, 30 * mm});
  TppDrawShape Shape(nullptr);
  R->PropertiesToDrawCommand(&Shape);
  const int32_t WX = ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, 3) / 2;
  const int32_t WY = ConvertToMicrons(utScreenPixels, ppVertical, nullptr, 3) / 2;
  EXPECT_GT(WX, 300);  // about 0.4 mm, not 1 thousandth of a millimetre
  EXPECT_EQ(10 * mm + WX, Shape.Left());
  EXPECT_EQ(10 * mm + WY, Shape.Top());
  EXPECT_EQ(80 * mm - 2 * WX, Shape.Width());
  EXPECT_EQ(20 * mm - 2 * WY, Shape.Height());
  EXPECT_EQ(stRectangle, Shape.ShapeType());
  EXPECT_EQ(3, Shape.Pen()->Width());
  EXPECT_EQ(5 * mm, Shape.XCornerRound());

  R->SetTransparent(true);
  EXPECT_EQ(bsClear, R->Brush()->Style());
  TBrush Solid;
  Solid.SetStyle(bsSolid);
  R->SetBrush(&Solid);
  EXPECT_FALSE(R->Transparent());
  R->SetBackgroundColor(clRed, true);
  EXPECT_TRUE(R->Transparent());
}

// What shifts with a region keeps its designed gap below the region's lowest stretching member, as
// the same layout without a region does: a label and a memo designed below a growing memo.
TEST_F(Regions, ShiftersKeepTheirGapBelowTheLowestStretchingMember) {
  Band->ChangeHeight(50 * mm);
  auto* Grows = new TppMemo(&Form);
  Grows->SetBand(Band);
  Grows->SetBounds(2 * mm, 0, 60 * mm, 5 * mm);
  Grows->SetStretch(true);
  Grows->SetText("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8");
  auto* Label = new TppLabel(&Form);
  Label->SetBand(Band);
  Label->SetBounds(2 * mm, 15 * mm, 30 * mm, 5 * mm);
  Label->SetCaption("Below");
  Label->SetShiftWithParent(true);
  auto* Second = new TppMemo(&Form);
  Second->SetBand(Band);
  Second->SetBounds(2 * mm, 25 * mm, 60 * mm, 5 * mm);
  Second->SetText("second");
  Second->SetShiftWithParent(true);
  // The tops in the band, then in a region filling the band.
  std::vector<std::vector<int32_t>> Tops;
  for (bool InRegion : {false, true}) {
    SCOPED_TRACE(InRegion);
    if (InRegion) {
      TppRegion* R = AddRegion(0, 50 * mm);
      for (TppComponent* C : std::initializer_list<TppComponent*>{Grows, Label, Second}) R->AddObject(C);
    }
    Run();
    ASSERT_EQ(1u, Report->Pages.size());
    ASSERT_EQ(1u, CommandsOf(Grows, 1).size());
    const TppDrawCommand* G = CommandsOf(Grows, 1)[0];
    ASSERT_GT(G->Height(), 20 * mm);  // eight lines
    std::vector<int32_t> T;
    for (const TComponent* C : std::initializer_list<const TComponent*>{Grows, Label, Second}) {
      ASSERT_EQ(1u, CommandsOf(C, 1).size());
      T.push_back(CommandsOf(C, 1)[0]->Top());
    }
    EXPECT_EQ(G->Top() + G->Height() + 10 * mm, T[1]);
    EXPECT_EQ(G->Top() + G->Height() + 20 * mm, T[2]);
    Tops.push_back(T);
    ExpectSinglePagesAlike();
  }
  EXPECT_EQ(Tops[0], Tops[1]);
}

// Two memos side by side below a region: the short one ends on page 1, the long one goes on over
// pages. A page generated alone resumes the region's shifters where the full run did: it generates
// (and lets OnPrint change) only what the full run generated on that page.
TEST_F(Regions, APageGeneratedAloneResumesTheRegionsShifters) {
  TppRegion* R = AddRegion(0, 10 * mm);
  AddLabel(R, "Heading", 0);
  std::map<int, std::vector<std::string>> Printed;  // by page, the memos generated
  auto Below = [&](const std::string& Name, int32_t Left, int Lines) {
    auto* M = new TppMemo(&Form);
    M->SetBand(Band);
    M->SetBounds(Left, 10 * mm, 35 * mm, 5 * mm);
    std::string T;
    for (int I = 1; I <= Lines; ++I) T += Name + " " + std::to_string(I) + "\r\n";
    M->SetText(T);
    M->SetShiftRelativeTo(R);
    M->SetStretch(true);
    M->OnPrint = [&Printed, this, Name](TObject*) { Printed[Report->Engine()->AbsolutePageNo()].push_back(Name); };
    return M;
  };
  TppMemo* Short = Below("short", 0, 3);
  TppMemo* Long = Below("long", 40 * mm, 60);
  Run();
  ASSERT_GE(Report->Pages.size(), 3u);
  EXPECT_EQ(3u, MemoLines(Short, 1).size());
  std::vector<std::string> Lines;
  for (auto& [No, P] : Report->Pages)
    for (const std::string& L : MemoLines(Long, No)) Lines.push_back(L);
  EXPECT_EQ(60u, Lines.size());
  const auto Full = Printed;
  EXPECT_EQ((std::vector<std::string>{"long"}), Full.at(2));
  for (auto& [No, Names] : Full) {
    Printed.clear();
    Report->Pages.clear();
    Report->Request(psSinglePage, No);
    EXPECT_EQ(Names, Printed[No]) << "page " << No;
  }
  ExpectSinglePagesAlike();
}

// A region that would split below other content moves whole to the next page with KeepTogether:
// its frame, its label and every line of its memo print there and nothing of it on the first page.
// Without it the region splits; on a page of its own a kept region splits as any other.
TEST_F(Regions, KeepTogetherMovesTheRegionWhole) {
  struct Case {
    bool Keep;
    int Words;  // 60: about ten lines, less than a page and more than the room below the box
    bool FirstPagePrintsIt;
  };
  for (const Case& C : {Case{true, 60, false}, Case{false, 60, true}, Case{true, 500, false}}) {
    SCOPED_TRACE(testing::Message() << C.Keep << " " << C.Words);
    ppbandtest::AddBox(*Band, "Box", 0, 60 * mm);
    TppRegion* R = AddRegion(61 * mm, 12 * mm);
    TppLabel* L = AddLabel(R, "Heading", 61 * mm);
    TppMemo* M = AddMemo(R, C.Words, 67 * mm);
    R->SetKeepTogether(C.Keep);
    Run();
    ASSERT_GE(Report->Pages.size(), 2u);
    EXPECT_EQ(C.FirstPagePrintsIt, !Frames(1).empty());
    EXPECT_EQ(C.FirstPagePrintsIt, !CommandsOf(L, 1).empty());
    EXPECT_EQ(C.FirstPagePrintsIt, !MemoLines(M, 1).empty());
    if (!C.FirstPagePrintsIt) {
      ASSERT_EQ(1u, CommandsOf(L, 2).size());
      EXPECT_EQ(10 * mm, CommandsOf(L, 2)[0]->Top());  // at the top of the next page
      ASSERT_EQ(1u, Frames(2).size());
      EXPECT_NEAR(10 * mm, Frames(2)[0]->Top(), 200);
      // The frame first, its members above it.
      auto& Page = *Report->Pages[2];
      int Frame = -1, Label = -1;
      for (int I = 0; I < Page.GetDrawCommandCount(); ++I) {
        if (Page.GetDrawCommand(I) == Frames(2)[0]) Frame = I;
        if (Page.GetDrawCommand(I)->Component() == L) Label = I;
      }
      EXPECT_LT(Frame, Label);
    }
    // Every line of the memo once, in order, whether the region moved or split.
    std::vector<std::string> Lines;
    for (auto& [No, P] : Report->Pages)
      for (const std::string& S : MemoLines(M, No)) Lines.push_back(S);
    EXPECT_EQ(TallWrap(*M), Lines);
    ExpectSinglePagesAlike();
    R->Free();
    while (Band->GetObjectCount() > 0) Band->GetObjects(0)->Free();
  }
}

}  // namespace bandkindstest
