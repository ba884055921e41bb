// Groups: breaks over an in-memory pipeline, options, the cache record, old streams.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppLanguage.h"
#include "tests/ppreport/core/ppModelTestSupport.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

namespace {

using namespace pptest;

// Counts the break starts a group announces.
class TBreakListener : public TppCommunicator {
public:
  TBreakListener() : TppCommunicator(nullptr) { EventMask().Include(ciGroupBreakStart); }
  ~TBreakListener() override { BeforeDestruction(); }
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    ++Starts;
  }
  int Starts = 0;
};

class GroupModel : public ::testing::Test {
protected:
  TModelClasses Classes;
  TComponent Form{nullptr};
  TModelReport* Report = new TModelReport(&Form);
  TppGroup* Group = new TppGroup(&Form);
  TModelBand* Header = new TModelBand(&Form, btGroupHeader);
  TModelBand* Footer = new TModelBand(&Form, btGroupFooter);
  void SetUp() override {
    Header->Group = Footer->Group = Group;
    Group->SetHeaderBand(Header);
    Group->SetFooterBand(Footer);
    Group->SetReport(Report);
  }
  TppDataSetPipeline* Names(std::initializer_list<const char*> Values) {
    auto* Set = new TMemoryDataSet(&Form);
    Set->FieldDefs().Add("Name", ftString, 20);
    for (const char* V : Values) Set->AppendRecord({V});
    auto* P = new TppDataSetPipeline(&Form);
    P->SetDataSet(Set);
    return P;
  }
};

TEST_F(GroupModel, BreaksOnExactTextAndOnEmptyData) {
  TppDataSetPipeline* P = Names({"abc", "abc", "ABC"});
  Group->SetBreakName("Name");
  Group->SetDataPipeline(P);
  TBreakListener L;
  Group->AddEventNotify(&L);
  P->Open();
  P->First();
  Group->InitializeBreak();
  EXPECT_EQ(1, L.Starts);
  EXPECT_EQ("abc", Group->BreakValue());
  P->Next();
  Group->CheckForBreak();
  EXPECT_FALSE(Group->Breaking());
  P->Next();
  Group->CheckForBreak();  // case counts
  EXPECT_TRUE(Group->Breaking());
  EXPECT_TRUE(Header->Breaking());
  EXPECT_TRUE(Footer->Breaking());
  EXPECT_EQ("abc", Group->PriorValue());
  EXPECT_EQ(2, L.Starts);

  Group->OnGetBreakValue = [](TObject*, std::string& V) { V = "fixed"; };
  Group->InitBreakValue();
  Group->CheckForBreak();
  EXPECT_EQ(2, L.Starts);  // the handler's value holds still

  TppDataSetPipeline* Empty = Names({});
  Group->SetDataPipeline(Empty);
  Empty->Open();
  Group->CheckForBreak();
  Group->CheckForBreak();
  EXPECT_EQ(4, L.Starts);  // no records: every check breaks
  Group->RemoveEventNotify(&L);
}

TEST_F(GroupModel, OptionsExcludeEachOther) {
  Group->SetNewPage(true);
  Group->SetKeepTogether(true);
  EXPECT_FALSE(Group->NewPage());
  EXPECT_TRUE(Group->KeepTogether());
  Group->SetNewColumn(true);
  EXPECT_FALSE(Group->KeepTogether());

  Report->SetPrinting(true);
  Group->SetBreakType(btCustomField);
  EXPECT_EQ(btDataField, Group->BreakType());
  Report->SetPrinting(false);
  Group->SetBreakType(btCustomField);
  EXPECT_EQ(btCustomField, Group->BreakType());

  Group->SetFirstPageNo(3);
  Group->SetLastPageNo(5);
  EXPECT_EQ(3, Group->GetPageCount());
  Report->PageNo = 4;
  EXPECT_EQ(2, Group->GetPageNo());
  EXPECT_FALSE(Group->GetFirstPage());
}

TEST_F(GroupModel, BreaksOnATextComponentItJoins) {
  auto* Detail = new TModelBand(&Form);
  Detail->SetReport(Report);
  auto* Text = new TModelComponent(&Form);
  Text->SetName("Customer");
  Text->SetUserName("CustomerText");
  Text->Text = true;
  Text->TextValue = "ACME";
  Text->SetBand(Detail);
  Group->SetBreakType(btCustomField);
  Group->SetBreakName("Customer");
  EXPECT_EQ(std::vector<TppGroup*>{Group}, Text->BreakGroups);
  EXPECT_EQ(Text, Group->GetBreakComponent());
  EXPECT_EQ("ACME", Group->GetCurrentValue());
  EXPECT_EQ(LanguageString(331) + " [0]: CustomerText", Group->GetDescription());
  Group->SetBreakName("Nothing");  // names no text: cleared
  EXPECT_TRUE(Text->BreakGroups.empty());
  EXPECT_EQ("", Group->BreakName());
  Group->SetBreakName("Customer");
  delete Text;  // the group forgets it
  EXPECT_EQ(nullptr, Group->GetBreakComponent());
}

TEST_F(GroupModel, CacheRecordHoldsItsFieldsAtTheirOffsets) {
  TppCacheManager Manager(Report);
  Manager.SetCacheables({Group});
  Group->SetFirstPageNo(3);
  Group->SetLastPageNo(-2);
  Group->StartBreak();
  Group->EndBreak();
  Group->EndBreak();  // BreakNo 2
  Group->SetFirstColumn(0x01020304);
  Manager.SaveToCache(0);
  TStream* S = Group->CacheStream();
  ASSERT_NE(nullptr, S);
  ASSERT_EQ(24, S->Size());
  std::vector<uint8_t> B(24);
  S->SetPosition(0);
  S->ReadBuffer(B.data(), 24);
  auto I32 = [&](int At) {
    return static_cast<int32_t>(B[At] | B[At + 1] << 8 | B[At + 2] << 16 | static_cast<uint32_t>(B[At + 3]) << 24);
  };
  EXPECT_EQ(3, I32(0));
  EXPECT_EQ(-2, I32(4));
  EXPECT_EQ(1, B[8]);
  EXPECT_EQ(2, I32(12));
  EXPECT_EQ(0x01020304, I32(16));
  EXPECT_EQ(0, B[21]);

  Group->SetFirstPageNo(9);
  Group->SetBreaking(false);
  Manager.RestoreFromCache(0);
  EXPECT_EQ(3, Group->FirstPageNo());
  EXPECT_TRUE(Group->Breaking());
  EXPECT_EQ(2, Group->BreakNo());
}

TEST_F(GroupModel, CachedPagesOfTheCurrentGroupTakeItsPageNumbers) {
  TppCacheManager Manager(Report);
  Manager.SetCacheables({Group});
  for (int Page = 0; Page <= 5; ++Page) {
    // Pages 0 to 2 belong to break 1, pages 3 to 5 to break 2.
    while (Group->BreakNo() < (Page < 3 ? 1 : 2)) Group->EndBreak();
    Group->SetFirstPageNo(Page);
    Group->SetLastPageNo(Page);
    Manager.SaveToCache(Page);
  }
  Group->SetFirstPageNo(3);
  Group->SetLastPageNo(7);
  Group->UpdateCachedPageNos();
  for (int Page = 0; Page <= 5; ++Page) {
    Manager.RestoreFromCache(Page);
    EXPECT_EQ(Page < 3 ? Page : 3, Group->FirstPageNo()) << Page;
    EXPECT_EQ(Page < 3 ? Page : 7, Group->LastPageNo()) << Page;
  }
}

// A group stored by version 2.0, before the separate column options and the micron thresholds.
TEST_F(GroupModel, OldStreamsGetColumnOptionsAndThresholds) {
  auto Read = [](const std::string& GroupLines) {
    const std::string Text = "object Report1: TModelReport\n  Version = '2.0'\n  object Group1: TppGroup\n" +
                             GroupLines + "  end\nend\n";
    return ReadFromText(Text);
  };
  std::unique_ptr<TComponent> Root =
      Read("    NewPage = True\n    ReprintOnSubsequent = False\n    NewPageThreshold = 0.5\n");
  auto* R = dynamic_cast<TModelReport*>(Root.get());
  ASSERT_NE(nullptr, R);
  ASSERT_EQ(1, R->GroupCount());
  TppGroup* G = R->GetGroup(0);
  EXPECT_TRUE(G->NewColumn());
  EXPECT_FALSE(G->ReprintOnSubsequentPage());
  EXPECT_FALSE(G->ReprintOnSubsequentColumn());
  EXPECT_EQ(12700, G->mmNewPageThreshold());  // half an inch
  EXPECT_EQ(12700, G->mmNewColumnThreshold());

  Root = Read("    NewPage = False\n");
  G = dynamic_cast<TModelReport*>(Root.get())->GetGroup(0);
  EXPECT_TRUE(G->ReprintOnSubsequentPage());
  EXPECT_FALSE(G->NewColumn());
}

// Keep-together: the state of every cacheable and the page at the group's start come back when
// the group does not fit, once; a group that starts on a fresh page is never restarted.
TEST_F(GroupModel, KeepTogetherRestartsTheGroupOnce) {
  TTestEngine Engine(Report);
  Report->TestEngine = &Engine;
  Engine.SetKeepTogetherGroup(Group);
  Group->SetKeepTogether(true);
  Group->PrepareKeepTogether();
  Engine.MakePage(1, *Engine.Page());
  Engine.SetPageStarted(true);
  Group->SetFirstPageNo(1);
  Group->SaveKeepTogetherState();
  EXPECT_FALSE(Group->KeptTogether());

  Group->SetFirstPageNo(5);
  (new TppDrawText(nullptr))->SetPage(Engine.Page());
  ASSERT_EQ(4, Engine.Page()->GetDrawCommandCount());
  Group->RestoreKeepTogether();
  EXPECT_TRUE(Group->KeptTogether());
  EXPECT_EQ(1, Group->FirstPageNo());
  EXPECT_EQ(3, Engine.Page()->GetDrawCommandCount());
  Group->SetFirstPageNo(7);
  Group->RestoreKeepTogether();  // once only
  EXPECT_EQ(7, Group->FirstPageNo());
  Group->EndBreak();
  EXPECT_FALSE(Group->KeptTogether());

  Engine.SetPageStarted(false);  // a fresh page: nothing printed yet
  Group->SaveKeepTogetherState();
  EXPECT_TRUE(Group->KeptTogether());
  Group->SetFirstPageNo(9);
  Group->RestoreKeepTogether();
  EXPECT_EQ(9, Group->FirstPageNo());
  Report->TestEngine = nullptr;
}

}  // namespace
