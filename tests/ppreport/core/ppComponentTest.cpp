// The printable and component bases through the small kinds of ppModelTestSupport.h.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppRTTI.h"
#include "tests/ppreport/core/ppModelTestSupport.h"

namespace {

using namespace pptest;

// Records what a designer hears.
class TModelDesigner : public TComponent, public IppDesigner {
public:
  TModelDesigner() : TComponent(nullptr) {}
  void PropertyChanging(const std::string& PropertyName, TComponent*) override { Changing.push_back(PropertyName); }
  void Modified(TComponent*) override { ++Modifieds; }
  void Message(int, intptr_t, intptr_t) override {}
  TComponent* ComponentCreator() override { return nullptr; }
  std::vector<std::string> Changing;
  int Modifieds = 0;
};

// Counts the events it hears.
class TModelEventListener : public TppCommunicator {
public:
  explicit TModelEventListener(std::initializer_list<int> Events) : TppCommunicator(nullptr) {
    for (int E : Events) EventMask().Include(E);
  }
  ~TModelEventListener() override { BeforeDestruction(); }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    Heard.push_back(EventID);
    if (Params && Params->Count() > 0 && Params->GetParamRec(0).Name == "aDrawCommand")
      Command = Params->ParamObject(0);
  }
  std::vector<int> Heard;
  TObject* Command = nullptr;
};

class ComponentModel : public ::testing::Test {
protected:
  TModelClasses Classes;
  TComponent Form{nullptr};
  TModelReport* Report = new TModelReport(&Form);
  TModelBand* Band = new TModelBand(&Form);
  void SetUp() override { Band->SetReport(Report); }
  TModelComponent* Add(TppBand* To = nullptr) {
    auto* C = new TModelComponent(&Form);
    C->SetBand(To ? To : Band);
    return C;
  }
};

TEST_F(ComponentModel, AlignmentAndTextAlignmentStayInStep) {
  TModelComponent* C = Add();
  struct Case {
    TAlignment Set;
    TppTextAlignment Expected;
  };
  for (Case K : {Case{taCenter, taCentered}, Case{taRightJustify, taRightJustified}, Case{taLeftJustify, taLeftJustified}}) {
    C->SetAlignment(K.Set);
    EXPECT_EQ(K.Expected, C->TextAlignment());
  }
  C->SetTextAlignment(taRightJustified);
  EXPECT_EQ(taRightJustify, C->Alignment());

  TModelDesigner D;
  C->SetDesigner(&D);
  const int Recalcs = C->Recalcs;
  C->SetTextAlignment(taFullJustified);  // refused: the kind cannot justify
  EXPECT_EQ(taRightJustified, C->TextAlignment());
  EXPECT_TRUE(D.Changing.empty());
  EXPECT_EQ(Recalcs, C->Recalcs);
  C->FullJustify = true;
  C->SetTextAlignment(taFullJustified);
  EXPECT_EQ(taFullJustified, C->TextAlignment());
  EXPECT_EQ(taLeftJustify, C->Alignment());
  EXPECT_EQ(std::vector<std::string>{"TextAlignment"}, D.Changing);
  C->SetDesigner(nullptr);
}

TEST_F(ComponentModel, CaptionNoticesAndSizeFollowTheRules) {
  TModelComponent* C = Add();
  TModelDesigner D;
  C->SetDesigner(&D);
  C->SetCaption("A");
  EXPECT_EQ("A", C->GetText());
  EXPECT_EQ(std::vector<std::string>{"Caption"}, D.Changing);
  const int Recalcs = C->Recalcs;
  C->SetCaption("A");  // the same text: no notice, no measuring
  EXPECT_EQ(1u, D.Changing.size());
  EXPECT_EQ(Recalcs, C->Recalcs);
  C->SetAutoSize(true);
  C->SetCaption("B");
  EXPECT_GT(C->Recalcs, Recalcs + 1);

  auto* Data = new TModelDataComponent(&Form);
  Data->SetName("DBText1");
  Data->SetDesigner(&D);
  D.Changing.clear();
  Data->SetCaption("new");  // data-aware: never announced
  EXPECT_TRUE(D.Changing.empty());
  Data->SetDataField("X");
  Data->SetDataField("");
  EXPECT_EQ("DBText1", Data->Caption());
  Data->SetDesigner(nullptr);
  C->SetDesigner(nullptr);
}

TEST_F(ComponentModel, BoundsChangesNameMoveOrResize) {
  TModelComponent* C = Add();
  TModelDesigner D;
  C->SetDesigner(&D);
  C->SetBounds(C->mmLeft(), C->mmTop(), 5000, 6000);
  C->SetBounds(100, C->mmTop(), 5000, 6000);
  EXPECT_EQ((std::vector<std::string>{"ResizeBounds", "MoveBounds"}), D.Changing);
  C->SetDesigner(nullptr);
}

TEST_F(ComponentModel, ClampsToTheBandAsATable) {
  TModelComponent* C = Add();
  const int32_t W = Band->GetmmWidth(), H = Band->mmHeight();
  ASSERT_GT(W, 0);
  struct Case {
    bool Designing;
    int32_t Left, Top;
    int32_t ExpectedLeft, ExpectedTop;
  };
  for (Case K : {Case{false, -10, -10, 0, 0}, Case{false, W + 5, H + 5, W, H + 5},
                 Case{true, W + 5, H + 5, W, H}, Case{true, 300, 400, 300, 400}}) {
    if (K.Designing) C->AddDesignState(dsDesigning);
    else C->RemoveDesignState(dsDesigning);
    C->SetmmLeft(K.Left);
    C->SetmmTop(K.Top);
    EXPECT_EQ(K.ExpectedLeft, C->mmLeft()) << K.Left;
    EXPECT_EQ(K.ExpectedTop, C->mmTop()) << K.Top << " designing " << K.Designing;
  }
  C->SetmmWidth(-1);
  EXPECT_EQ(0, C->mmWidth());
  C->SetParentWidth(true);  // the parent's width from now on
  EXPECT_EQ(W, C->mmWidth());
  EXPECT_EQ(0, C->mmLeft());
  C->SetmmLeft(100);
  C->SetmmWidth(100);
  EXPECT_EQ(0, C->mmLeft());
  EXPECT_EQ(W, C->mmWidth());
}

TEST_F(ComponentModel, AnchorsFollowTheBandAndRefuseOppositeEdges) {
  TModelComponent* Stays = Add();
  TModelComponent* Bottom = Add();
  TModelComponent* Full = Add();
  Bottom->SetShiftWithParent(true);
  EXPECT_EQ(ppAnchorLeft | ppAnchorBottom, Bottom->Anchors());
  Full->SetParentHeight(true);
  Stays->SetBounds(1000, 2000, 3000, 1000);
  Bottom->SetBounds(1000, 2000, 3000, 1000);
  Band->SizeChanged();  // the prior bounds become the current ones

  struct Refused {
    TppAnchors Value;
  };
  for (Refused K : {Refused{ppAnchorTop | ppAnchorBottom}, Refused{ppAnchorLeft | ppAnchorRight}}) {
    TModelDesigner D;
    Stays->SetDesigner(&D);
    Stays->SetAnchors(K.Value);
    EXPECT_EQ(ppAnchorLeft | ppAnchorTop, Stays->Anchors());
    EXPECT_TRUE(D.Changing.empty());
    Stays->SetDesigner(nullptr);
  }

  const int32_t Old = Band->mmHeight();
  Band->ChangeHeight(Old + 500);
  EXPECT_EQ(2000, Stays->mmTop());
  EXPECT_EQ(1000, Stays->mmLeft());
  EXPECT_EQ(2500, Bottom->mmTop());
  EXPECT_EQ(0, Full->mmTop());
  EXPECT_EQ(Old + 500, Full->mmHeight());
}

TEST_F(ComponentModel, MembershipListsStayConsistent) {
  auto* Other = new TModelBand(&Form, btSummary);
  Other->SetReport(Report);
  TModelComponent* C = Add();
  auto* Region = new TModelRegion(&Form);
  Region->SetBand(Band);

  C->SetRegion(Region);
  EXPECT_EQ(Region, C->GetParent());
  EXPECT_EQ(0, C->GetParentIndex());
  EXPECT_EQ(0, C->GetIndex());
  EXPECT_EQ(nullptr, C->GetNextSibling());  // the region follows it, with another parent

  C->SetBand(Other);
  EXPECT_EQ(-1, Band->IndexOfObject(C));
  EXPECT_EQ(0, Other->IndexOfObject(C));
  EXPECT_EQ(btSummary, C->BandType());
  EXPECT_EQ(Region, C->GetParent());  // still in the region until moved out

  delete Region;  // members stay in their band
  EXPECT_EQ(nullptr, C->Region());
  EXPECT_EQ(Other, C->GetParent());
  EXPECT_EQ(0, Other->IndexOfObject(C));
  EXPECT_EQ(1, Band->GetObjectCount() + Other->GetObjectCount());

  TModelComponent* D = Add(Other);
  D->SendToBack();
  EXPECT_EQ(0, Other->IndexOfObject(D));
  EXPECT_EQ(C, D->GetNextSibling());
  delete D;
  EXPECT_EQ(1, Other->GetObjectCount());

  delete Other;  // the band frees its objects
  EXPECT_EQ(0, Band->GetObjectCount());
  EXPECT_EQ(-1, Report->IndexOfBand(Other));
}

TEST_F(ComponentModel, GroupBandsGiveKindAndGroupNumber) {
  auto* Group = new TppGroup(&Form);
  Group->SetReport(Report);
  auto* Second = new TppGroup(&Form);
  Second->SetReport(Report);
  auto* Footer = new TModelBand(&Form, btGroupFooter);
  Footer->Group = Second;
  Second->SetFooterBand(Footer);
  TModelComponent* C = Add();
  EXPECT_EQ(btDetail, C->BandType());
  C->SetBand(Footer);
  EXPECT_EQ(btGroupFooter, C->BandType());
  EXPECT_EQ(1, C->GroupNo());
  C->SetBand(Band);
  EXPECT_EQ(btDetail, C->BandType());
  EXPECT_EQ(-1, C->GroupNo());
}

TEST_F(ComponentModel, PipelinesFollowTheBandUnlessSetApart) {
  auto* Set = new TMemoryDataSet(&Form);
  Set->FieldDefs().Add("Name", ftString, 20);
  Set->AppendRecord({"x"});
  auto* Main = new TppDataSetPipeline(&Form);
  Main->SetDataSet(Set);
  auto* Other = new TppDataSetPipeline(&Form);
  Report->SetDataPipeline(Main);

  auto* C = new TModelDataComponent(&Form);
  C->SetBand(Band);
  C->SetParentDataPipeline(true);
  EXPECT_EQ(Main, C->GetDataPipeline());
  C->SetDataPipeline(Other);
  EXPECT_FALSE(C->ParentDataPipeline());
  C->SetParentDataPipeline(true);
  EXPECT_EQ(Main, C->GetDataPipeline());

  C->SetDataField("Name");
  EXPECT_FALSE(C->IsDataAvailable());  // closed
  Main->Open();
  EXPECT_TRUE(C->IsDataAvailable());  // at run time, open, with a field
  C->AddDesignState(dsDesigning);
  EXPECT_FALSE(C->IsDataAvailable());  // designing without display data
  C->RemoveDesignState(dsDesigning);
  delete Main;  // the free notice clears it
  EXPECT_EQ(nullptr, C->GetDataPipeline());
}

TEST_F(ComponentModel, DrawCommandsCarryTheirMakerAndAskForClicksOnlyWhenHeard) {
  TModelComponent* C = Add();
  C->SetTag(7);
  TppPage Page(nullptr);
  int Created = 0;
  C->OnDrawCommandCreate = [&](TObject* Sender, TObject* Cmd) {
    EXPECT_EQ(C, Sender);
    EXPECT_NE(nullptr, dynamic_cast<TppDrawText*>(Cmd));
    ++Created;
  };
  C->MarkForDrawing();
  C->PrintToPage(&Page);
  ASSERT_EQ(1, Page.GetDrawCommandCount());
  TppDrawCommand* First = Page.GetDrawCommand(0);
  EXPECT_FALSE(First->Clickable());
  EXPECT_EQ(7, First->Tag());
  EXPECT_EQ(C, First->Component());
  EXPECT_EQ(Band, First->Band());
  EXPECT_EQ(Page.PageDef()->GetPrintableRect(), First->PageRect());

  TModelEventListener Listener({ciPrintableDrawCommandCreate, ciPrintableDrawCommandClick});
  C->AddEventNotify(&Listener);
  C->PrintToPage(&Page);
  ASSERT_EQ(2, Page.GetDrawCommandCount());
  TppDrawCommand* Second = Page.GetDrawCommand(1);
  EXPECT_TRUE(Second->Clickable());
  EXPECT_EQ(Second, Listener.Command);
  int Clicks = 0;
  C->OnDrawCommandClick = [&](TObject*, TObject* Cmd) { Clicks += Cmd == Second; };
  Second->DoDrawCommandClick();
  EXPECT_EQ(1, Clicks);
  EXPECT_EQ((std::vector<int>{ciPrintableDrawCommandCreate, ciPrintableDrawCommandClick}), Listener.Heard);
  EXPECT_EQ(2, Created);

  C->SetGenerationComplete(true);
  C->EndGeneration();
  C->PrintToPage(&Page);  // drawn out: nothing more
  EXPECT_EQ(2, Page.GetDrawCommandCount());
  delete C;  // the page outlives its maker
  EXPECT_EQ(nullptr, Second->Component());
  C = nullptr;
}

TEST_F(ComponentModel, ScriptsSeeAnchorsBoundsAndKinds) {
  TModelComponent* C = Add();
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(*C);
  ASSERT_NE(nullptr, D);
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(C, "AnchorLeftTop", V));
  EXPECT_TRUE(V.Ord != 0);
  V.Ord = 1;
  ASSERT_TRUE(D->SetPropValue(C, "AnchorRightBottom", V));
  EXPECT_EQ(ppAnchorRight | ppAnchorBottom, C->Anchors());
  ASSERT_TRUE(D->GetPropValue(C, "AnchorLeftTop", V));
  EXPECT_EQ(0, V.Ord);
  ASSERT_TRUE(D->GetPropValue(C, "BandType", V));
  EXPECT_EQ(btDetail, V.Ord);
  V.Ord = 96;
  ASSERT_TRUE(D->SetPropValue(C, "spLeft", V));
  EXPECT_EQ(25400, C->mmLeft());
  const TraRTTI* G = TraRTTIClassRegistry::GetRTTIClass(TppGroup::StaticClassInfo());
  ASSERT_NE(nullptr, G);
  EXPECT_STREQ("TraTppGroupRTTI", G->Name());
}

// A component stream as an old version stored it, then the current form.
TEST_F(ComponentModel, StreamsReadOldAndNewForms) {
  const char* Text =
      "object Form1: TModelBand\n"
      "  object Label1: TModelComponent\n"
      "    BandType = 7\n"
      "    ShiftWithParent = True\n"
      "    Alignment = taRightJustify\n"
      "    mmLeft = 96\n"
      "    mmTop = 12.5\n"
      "    mmWidth = 12.6\n"
      "    mmHeight = 13.5\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> Owned = ReadFromText(Text);
  auto* Read = dynamic_cast<TppBand*>(Owned.get());
  ASSERT_NE(nullptr, Read);
  ASSERT_EQ(1, Read->GetObjectCount());
  TppComponent* L = Read->GetObjects(0);
  EXPECT_EQ(btDetail, L->BandType());  // read in a band: the band's kind holds
  EXPECT_EQ(ppAnchorLeft | ppAnchorBottom, L->Anchors());
  EXPECT_EQ(taRightJustify, L->Alignment());
  EXPECT_EQ(taRightJustified, L->TextAlignment());
  // Floats from old streams: the nearest integer, halves to even.
  EXPECT_EQ(12, L->mmTop());
  EXPECT_EQ(13, L->mmWidth());
  EXPECT_EQ(14, L->mmHeight());
  L->ConvertFromVersion(2096);  // screen pixels then
  EXPECT_EQ(25400, L->mmLeft());
}

}  // namespace
