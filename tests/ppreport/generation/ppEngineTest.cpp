#include "ppreport/generation/ppEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/generation/ppPageBreak.h"
#include "tests/ppreport/generation/ppEngineTestSupport.h"

namespace enginetest {
namespace {

// A page of 100 x 100 mm with 10 mm margins: bands may use 10 mm to 90 mm, less the footers.
class EngineRun : public ::testing::Test {
protected:
  TComponent Form{nullptr};
  TTestReport* Report = new TTestReport(&Form);

  void SetUp() override {
    TppPrinterSetup* S = Report->PrinterSetup();
    Report->SetUnits(utMMThousandths);  // the printer setup follows the report's units
    S->SetPaperWidth(100000);
    S->SetPaperHeight(100000);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight, &TppPrinterSetup::SetMarginTop,
                     &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10000);
  }
  TTestBand* Band(TppBandType Kind, int32_t Height, const std::string& Label) {
    auto* B = new TTestBand(&Form, Kind, Height, Label);
    B->SetReport(Report);
    return B;
  }
  // The report's detail band, with a box that prints Label and the record's name.
  TppDetailBand* Detail(int32_t Height, const std::string& Label) {
    auto* D = new TppDetailBand(&Form);
    D->ChangeHeight(Height);
    D->SetReport(Report);
    auto* Box = new TRecordBox(&Form);
    Box->Label = Label;
    Box->SetBounds(0, 0, 20000, Height);
    Box->SetBand(D);
    return D;
  }
  TppDataSetPipeline* Names(int Count, TComponent* Owner = nullptr) {
    std::vector<std::pair<std::string, std::string>> Rows;
    for (int I = 1; I <= Count; ++I) Rows.emplace_back("r" + std::to_string(I), "");
    TppDataSetPipeline* P = MakePipeline(Owner ? Owner : &Form, Rows);
    Report->SetDataPipeline(P);
    return P;
  }
  // Title, header, detail, summary and footer, each 10 mm: five records on page 1, six after.
  void ListReport(int Records) {
    Band(btTitle, 10000, "Title");
    Band(btHeader, 10000, "Header");
    Detail(10000, "Detail");
    Band(btSummary, 10000, "Summary");
    Band(btFooter, 10000, "Footer");
    Names(Records);
  }
  using TTexts = std::vector<std::pair<std::string, int32_t>>;

  // Generates all pages, then each page alone and the list "3,1" from the cache: every page comes
  // out as it did the first time (the page counts too when they are known from the start).
  void ExpectPagesGeneratedAgainAlike(size_t PageCount) {
    Report->Pages.clear();
    Report->Request(psAll);
    std::map<int, std::unique_ptr<TppPage>> First;
    for (auto& [No, Page] : Report->Pages) {
      First[No] = std::make_unique<TppPage>(nullptr);
      First[No]->Assign(Page.get());
    }
    ASSERT_EQ(PageCount, First.size());
    // One pass learns the page count as it goes; later pages of the run know it.
    const bool Counts = Report->PassSetting() == psTwoPass;
    std::string Why;
    std::vector<int> Order;
    for (int P = 2; P <= static_cast<int>(PageCount); P += 2) Order.push_back(P);
    for (int P = 1; P <= static_cast<int>(PageCount); P += 2) Order.push_back(P);
    for (int P : Order) {
      Report->Pages.clear();
      Report->Request(psSinglePage, P);
      ASSERT_EQ(1u, Report->Pages.count(P)) << P;
      EXPECT_TRUE(SamePage(*First[P], *Report->Pages[P], Counts, &Why)) << "page " << P << ": " << Why;
    }
    Report->Pages.clear();
    Report->Sent.clear();
    const int Later = std::min(3, static_cast<int>(PageCount));
    Report->Request(psPageList, 0, {std::to_string(Later), "1"});
    ASSERT_EQ(2u, Report->Pages.size());
    for (int P : {1, Later}) EXPECT_TRUE(SamePage(*First[P], *Report->Pages[P], Counts, &Why)) << "page " << P << ": " << Why;
    // Each came straight from the cached state of the page before it.
    EXPECT_EQ(2u, Report->Sent.size());
  }
};

TEST_F(EngineRun, AListRunsOverPagesWithEveryBandInItsPlace) {
  ListReport(20);
  Report->Request(psAll);
  TppEngine* E = Report->TheEngine();
  ASSERT_EQ(4u, Report->Pages.size());
  EXPECT_EQ(4, E->AbsolutePageCount());
  EXPECT_EQ((TTexts{{"Title", 10000}, {"Header", 20000}, {"Detail r1", 30000}, {"Detail r2", 40000},
                    {"Detail r3", 50000}, {"Detail r4", 60000}, {"Detail r5", 70000}, {"Footer", 80000}}),
            Report->Texts(1));
  EXPECT_EQ((TTexts{{"Header", 10000}, {"Detail r6", 20000}, {"Detail r7", 30000}, {"Detail r8", 40000},
                    {"Detail r9", 50000}, {"Detail r10", 60000}, {"Detail r11", 70000}, {"Footer", 80000}}),
            Report->Texts(2));
  EXPECT_EQ((TTexts{{"Header", 10000}, {"Detail r18", 20000}, {"Detail r19", 30000}, {"Detail r20", 40000},
                    {"Summary", 50000}, {"Footer", 80000}}),
            Report->Texts(4));
  for (int P = 1; P <= 4; ++P) {
    const TppPage& Page = *Report->Pages[P];
    EXPECT_EQ(P, Page.PageNo());
    EXPECT_EQ(P == 1, Page.FirstPage());
    EXPECT_EQ(P == 4, Page.LastPage());
    EXPECT_TRUE(Page.Final());
  }
  EXPECT_TRUE(E->DonePrinting());
  EXPECT_FALSE(E->Printing());
  // The engine keeps its run: a band reports where it stands through the engine's lists.
  EXPECT_EQ(1u, E->BandList(blDetail).size());
  EXPECT_EQ(E->BandList(blSummary).front(), E->LastBand());
}

TEST_F(EngineRun, EveryPageGeneratedAgainAloneOrFromAListIsTheSamePage) {
  ListReport(20);
  for (TppPassSettingType Passes : {psOnePass, psTwoPass}) {
    SCOPED_TRACE(Passes);
    Report->SetPassSetting(Passes);
    ExpectPagesGeneratedAgainAlike(4);
  }
}

TEST_F(EngineRun, APageListBeyondTheCacheCountsThePagesBeforeAndRegeneratesFromTheStart) {
  ListReport(20);
  Report->Request(psPageList, 0, {"3", "1"});
  std::vector<std::pair<int, bool>> Sent;
  for (auto& S : Report->Sent) Sent.emplace_back(S.Page, S.Drawn);
  EXPECT_EQ((std::vector<std::pair<int, bool>>{{1, true}, {2, false}, {3, true}}), Sent);
  EXPECT_EQ("Detail r12", Report->Texts(3).at(1).first);
}

TEST_F(EngineRun, SinglePagesOutsideTheReportServeItsFirstAndLastPage) {
  ListReport(20);
  Report->Request(psSinglePage, 0);
  EXPECT_EQ(1u, Report->Pages.count(1));
  Report->Request(psAll);
  Report->Pages.clear();
  Report->Request(psSinglePage, 99);
  ASSERT_EQ(1u, Report->Pages.size());
  EXPECT_EQ(4, Report->Pages.begin()->first);
  Report->Pages.clear();
  Report->Request(psLastPage);
  EXPECT_EQ(1u, Report->Pages.count(4));
}

TEST_F(EngineRun, TwoPassesCountEveryPageFirstAndThenDrawTheRequestedOneFinal) {
  ListReport(20);
  Report->SetPassSetting(psTwoPass);
  int FirstPassEnds = 0, SecondPassStarts = 0;
  Report->OnEndFirstPass = [&](TObject*) { ++FirstPassEnds; };
  Report->OnStartSecondPass = [&](TObject*) { ++SecondPassStarts; };
  Report->Request(psSinglePage, 2);
  std::vector<std::tuple<int, bool, bool>> Sent;
  for (auto& S : Report->Sent) Sent.emplace_back(S.Page, S.Drawn, S.Final);
  EXPECT_EQ((std::vector<std::tuple<int, bool, bool>>{
                {1, false, false}, {2, true, false}, {3, false, false}, {4, false, false}, {2, true, true}}),
            Sent);
  ASSERT_EQ(1u, Report->Pages.count(2));
  EXPECT_EQ(4, Report->Pages[2]->PageCount());
  EXPECT_EQ(1, FirstPassEnds);
  EXPECT_EQ(1, SecondPassStarts);
}

TEST_F(EngineRun, ATwoPassLastPageDropsTheHeadersAndFootersThatStayOff) {
  ListReport(20);
  auto* Header = static_cast<TTestBand*>(Report->FindBand(btHeader));
  Header->KeepOnLastPage = false;
  Report->SetPassSetting(psTwoPass);
  Report->Request(psAll);
  // The body moves up by the header's height; the footer stays.
  EXPECT_EQ((TTexts{{"Detail r18", 10000}, {"Detail r19", 20000}, {"Detail r20", 30000}, {"Summary", 40000},
                    {"Footer", 80000}}),
            Report->Texts(4));
  EXPECT_EQ("Header", Report->Texts(3).at(0).first);
}

TEST_F(EngineRun, ColumnsRunDownThePageEachWithItsHeaderAndFooter) {
  Band(btHeader, 10000, "Header");
  Band(btColumnHeader, 10000, "ColHead");
  Detail(10000, "Detail");
  Band(btColumnFooter, 5000, "ColFoot");
  Names(12);
  Report->SetColumns(2);
  Report->SetmmColumnWidth(40000);
  int Started = 0, Ended = 0;
  Report->OnStartColumn = [&](TObject*) { ++Started; };
  Report->OnEndColumn = [&](TObject*) { ++Ended; };
  Report->Request(psAll);
  ASSERT_TRUE(Report->TheEngine()->Columnar());
  // Columns start below the header; the column footer sits above the page bottom (85 mm).
  std::vector<std::tuple<std::string, int32_t, int32_t>> Page1;
  const TppPage& P = *Report->Pages.at(1);
  for (int I = 0; I < P.GetDrawCommandCount(); ++I) {
    auto* T = static_cast<TppDrawText*>(P.GetDrawCommand(I));
    Page1.emplace_back(T->Text(), T->Left(), T->Top());
  }
  EXPECT_EQ((std::vector<std::tuple<std::string, int32_t, int32_t>>{
                {"Header", 10000, 10000},   {"ColHead", 10000, 20000},   {"Detail r1", 10000, 30000},
                {"Detail r2", 10000, 40000}, {"Detail r3", 10000, 50000}, {"Detail r4", 10000, 60000},
                {"Detail r5", 10000, 70000}, {"ColFoot", 10000, 85000},  {"ColHead", 50000, 20000},
                {"Detail r6", 50000, 30000}, {"Detail r7", 50000, 40000}, {"Detail r8", 50000, 50000},
                {"Detail r9", 50000, 60000}, {"Detail r10", 50000, 70000}, {"ColFoot", 50000, 85000}}),
            Page1);
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ("Detail r12", Report->Texts(2).at(3).first);
  EXPECT_EQ(Started, Ended);
  EXPECT_EQ(3, Started);
}

TEST_F(EngineRun, ColumnPositionsPlaceTheColumnsAndOneThatIsNoNumberStopsTheRun) {
  Detail(10000, "Detail");
  Names(20);
  Report->SetColumns(3);
  Report->SetmmColumnWidth(20000);
  // Two positions (in Units) for three columns: the page ends after the second.
  Report->GetColumnPositions()->Add("0");
  Report->GetColumnPositions()->Add("50800");
  Report->Request(psAll);
  std::vector<int32_t> Lefts;
  const TppPage& P = *Report->Pages.at(1);
  for (int I = 0; I < P.GetDrawCommandCount(); ++I)
    if (Lefts.empty() || Lefts.back() != P.GetDrawCommand(I)->Left()) Lefts.push_back(P.GetDrawCommand(I)->Left());
  EXPECT_EQ((std::vector<int32_t>{0, 50800}), Lefts);
  EXPECT_EQ(2u, Report->Pages.size());

  // Edits are converted to numbers, so only a stored list can hold a text that is none.
  TStringList Stored;
  Stored.Add("0");
  Stored.Add("abc");
  Report->SetState(csReading, true);
  Report->SetColumnPositions(&Stored);
  Report->SetState(csReading, false);
  Report->Reset();
  try {
    Report->Request(psAll);
    ADD_FAILURE() << "no error";
  } catch (const EPrintError& E) {
    const std::string Expected = FormatLanguageString(42, {"2"});
    ASSERT_EQ('.', Expected.back());
    const std::string Message = E.Message();
    EXPECT_EQ(0u, Message.find(LanguageString(1023))) << Message;
    // The text keeps its own period: none is added after it.
    EXPECT_EQ(Expected, Message.substr(Message.size() - Expected.size())) << Message;
  }
  EXPECT_FALSE(Report->TheEngine()->Printing());
}

TEST_F(EngineRun, ColumnsAcrossAreLeftToTheDetailBandsEngine) {
  Detail(10000, "Detail")->SetColumnTraversal(ctLeftToRight);
  Names(7);
  Report->SetColumns(3);
  Report->SetmmColumnWidth(20000);
  TppEngine* E = Report->TheEngine();
  E->SetColumnStarted(1, true);  // before a run there are no column flags
  EXPECT_FALSE(E->GetColumnStarted(1));
  Report->Request(psAll);
  EXPECT_FALSE(E->Columnar());
  std::vector<std::tuple<std::string, int32_t, int32_t>> Drawn;
  const TppPage& P = *Report->Pages.at(1);
  for (int I = 0; I < P.GetDrawCommandCount(); ++I) {
    auto* T = static_cast<TppDrawText*>(P.GetDrawCommand(I));
    Drawn.emplace_back(T->Text(), T->Left(), T->Top());
  }
  EXPECT_EQ((std::vector<std::tuple<std::string, int32_t, int32_t>>{
                {"Detail r1", 10000, 10000}, {"Detail r2", 30000, 10000}, {"Detail r3", 50000, 10000},
                {"Detail r4", 10000, 20000}, {"Detail r5", 30000, 20000}, {"Detail r6", 50000, 20000},
                {"Detail r7", 10000, 30000}}),
            Drawn);
  EXPECT_TRUE(E->GetColumnStarted(0));
  E->SetColumnFinished(2, true);
  EXPECT_TRUE(E->GetColumnFinished(2));
  EXPECT_FALSE(E->GetColumnFinished(3));
}

TEST_F(EngineRun, WithoutAPipelineTheDetailPrintsOnceThenTheSummary) {
  Detail(10000, "Detail");
  Band(btSummary, 10000, "Summary");
  Report->Request(psAll);
  EXPECT_EQ((TTexts{{"Detail", 10000}, {"Summary", 20000}}), Report->Texts(1));
  EXPECT_EQ(1u, Report->Pages.size());
}

// A no-data dialog of the form registry; the engine shows it through the shower.
class TNoDataDialog : public TComponent {
  DECLARE_CLASSINFO(TNoDataDialog)
public:
  using TComponent::TComponent;
};

const TClassInfo& TNoDataDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNoDataDialog>("TEngineTestNoDataDialog", &TComponent::StaticClassInfo());
  return Info;
}

TEST_F(EngineRun, EmptyDataMakesNoPagesAndShowsTheDialogOnceEvenInTwoPasses) {
  ListReport(0);
  RegisterFormClass(ppNoDataDialogRole, TNoDataDialog::StaticClassInfo());
  int Shown = 0, Events = 0;
  SetNoDataDialogShower([&](TComponent& D, TppCustomReport& R) {
    EXPECT_EQ(Report, &R);
    EXPECT_NE(nullptr, dynamic_cast<TNoDataDialog*>(&D));
    ++Shown;
  });
  Report->OnNoData = [&](TObject*, TObject* Dialog, bool& Show, TObject*, bool&) {
    ++Events;
    EXPECT_EQ(Events == 1, Show);
    EXPECT_NE(nullptr, Dialog);
  };
  TFinally Undo([] {
    SetNoDataDialogShower(nullptr);
    UnregisterFormClass(ppNoDataDialogRole);
  });
  Report->SetNoDataBehaviors(ppSetBit(ndBlankPage) | ppSetBit(ndMessageDialog));
  Report->SetPassSetting(psTwoPass);
  Report->Request(psAll);
  EXPECT_TRUE(Report->Sent.empty());
  EXPECT_EQ(1, Shown);
  EXPECT_EQ(2, Events);  // once per pass; only the first shows
  EXPECT_TRUE(Report->TheEngine()->DonePrinting());
}

TEST_F(EngineRun, ABlankReportWithTheMessageOnPageCentresItInTheSpaceUsed) {
  ListReport(0);
  Report->SetNoDataBehaviors(ppSetBit(ndBlankReport) | ppSetBit(ndMessageOnPage));
  EXPECT_FALSE(Report->HasNoDataBehavior(ndBlankPage));
  Report->Request(psAll);
  ASSERT_EQ(1u, Report->Pages.size());
  const TppPage& P = *Report->Pages[1];
  TppDrawText* Message = nullptr;
  for (int I = 0; I < P.GetDrawCommandCount(); ++I)
    if (auto* T = dynamic_cast<TppDrawText*>(P.GetDrawCommand(I)); T && T->Text() == LanguageString(1034)) Message = T;
  ASSERT_NE(nullptr, Message);
  EXPECT_EQ("Arial", Message->Font()->Name());
  EXPECT_EQ(12, Message->Font()->Size());
  // Space used: title, header, the detail band (once, without a record) and the summary end at 50 mm.
  EXPECT_EQ((80000 - Message->Width()) / 2, Message->Left());
  EXPECT_EQ((50000 - Message->Height()) / 2, Message->Top());
}

// A band that raises on a chosen page.
class TFailingBand : public TTestBand {
public:
  using TTestBand::TTestBand;
  int FailOnPage = 0;
  void Generate() override {
    if (Report()->Engine()->AbsolutePageNo() == FailOnPage) throw EPrintError("band failed");
    TTestBand::Generate();
  }
};

TEST_F(EngineRun, AFailedRunLeavesTheCallersRecordAndAcceptsTheNextRequest) {
  Band(btHeader, 10000, "Header");
  auto* Failing = new TFailingBand(&Form, btDetail, 10000, "Detail");
  Failing->SetReport(Report);
  TppDataSetPipeline* P = Names(20);
  P->Open();
  P->First();
  P->Next();
  P->Next();
  ASSERT_EQ("r3", P->GetFieldAsString("Name"));
  Failing->FailOnPage = 2;
  EXPECT_THROW(Report->Request(psAll), EPrintError);
  EXPECT_FALSE(Report->TheEngine()->Printing());
  EXPECT_EQ("r3", P->GetFieldAsString("Name"));
  // Not dropped as a request arriving during generation would be.
  Failing->FailOnPage = 0;
  Report->Reset();
  Report->Request(psAll);
  EXPECT_EQ(3u, Report->Pages.size());
  EXPECT_EQ("r3", P->GetFieldAsString("Name"));
}

TEST_F(EngineRun, CachedPositionsOfAnEarlierOpeningAreReleasedWithoutFaults) {
  ListReport(20);
  Report->Request(psAll);
  TppDataPipeline* P = Report->DataPipeline();
  // The bookmarks the page records hold belong to the closed opening: the pipeline refuses them.
  P->Close();
  P->Open();
  EXPECT_NO_THROW(Report->Cache->TruncateCache(1));
  Report->TheEngine()->ResetPageNumbers(1);
  Report->Pages.clear();
  Report->Request(psSinglePage, 2);
  EXPECT_EQ("Detail r6", Report->Texts(2).at(1).first);
}

TEST_F(EngineRun, APageListEntryThatIsNoNumberPassesItsErrorOut) {
  ListReport(5);
  EXPECT_THROW(Report->Request(psPageList, 0, {"x"}), EConvertError);
  EXPECT_FALSE(Report->TheEngine()->Printing());
}

TEST_F(EngineRun, ARequestDuringGenerationIsDropped) {
  ListReport(3);
  int Nested = 0;
  Report->OnStartPage = [&](TObject*) {
    TppPageRequest R;
    Report->Engine()->Generate(&R);
    ++Nested;
  };
  Report->Request(psAll);
  EXPECT_EQ(1, Nested);
  EXPECT_EQ(1u, Report->Pages.size());
}

TEST_F(EngineRun, ABandTallerThanThePageStopsTheRunOnceInsteadOfMakingPages) {
  for (TppBandType Kind : {btTitle, btHeader, btColumnHeader, btDetail, btSummary}) {
    SCOPED_TRACE(Kind);
    Report->FreeBands();
    Band(btHeader, 10000, "Header");
    Detail(10000, "Detail");
    Names(3);
    if (Kind == btColumnHeader) {
      Report->SetColumns(2);
      Report->SetmmColumnWidth(40000);
    } else {
      Report->SetColumns(1);
    }
    TppBand* Tall = Kind == btDetail ? Report->GetDetailBand() : nullptr;
    if (!Tall) {
      if (TppBand* Old = Report->FindBand(Kind)) delete Old;
      Tall = new TKindBand(&Form, Kind);
      Tall->SetReport(Report);
    }
    Tall->ChangeHeight(95000);  // more than the 80 mm between the margins
    int Pages = 0;
    Report->OnStartPage = [&](TObject*) {
      // A band offered to page after page would never end: stop it here as a failure.
      if (++Pages > 20) throw std::runtime_error("pages without end");
    };
    Report->Reset();
    Report->Sent.clear();
    int Errors = 0;
    try {
      Report->Request(psAll);
    } catch (const EPrintError&) {
      ++Errors;
    }
    EXPECT_EQ(1, Errors);
    EXPECT_LE(Pages, 4);
    EXPECT_FALSE(Report->TheEngine()->Printing());
    Report->OnStartPage = nullptr;
  }
}

TEST(EngineAlone, ThePageBottomNeedsAReportAndLeavesRoomForVisibleFooters) {
  TComponent Form(nullptr);
  auto* E = new TppEngine(&Form);
  try {
    E->GetPageBottom();
    ADD_FAILURE();
  } catch (const EPrintError& X) {
    EXPECT_EQ("TppEngine.GetPageBottom: No Report assigned to this engine.", X.Message());
  }
  EXPECT_EQ(TppEngine::CacheRecordBytes, E->CacheRecordSize());
}

}  // namespace
}  // namespace enginetest

namespace enginetest {
namespace {

// A report grouped on "Grp", each band 10 mm: eight bands fit on a page.
class GroupRun : public EngineRun {
protected:
  TppGroup* Group(const std::string& Field, const std::string& Label) {
    auto* G = new TppGroup(&Form);
    auto* H = Band(btGroupHeader, 10000, Label + "H");
    auto* F = Band(btGroupFooter, 10000, Label + "F");
    H->Group = F->Group = G;
    G->SetHeaderBand(H);
    G->SetFooterBand(F);
    G->SetReport(Report);
    G->SetBreakName(Field);
    G->SetDataPipeline(Report->DataPipeline());
    return G;
  }
  void Rows(const std::vector<std::pair<std::string, std::string>>& Rows) {
    Report->SetDataPipeline(MakePipeline(&Form, Rows));
  }
  std::vector<std::string> Labels(int Page) const {
    std::vector<std::string> L;
    for (auto& [Text, Top] : Report->Texts(Page)) L.push_back(Text);
    return L;
  }
  using TLabels = std::vector<std::string>;
};

TEST_F(GroupRun, AnOrphanedFooterGetsItsHeaderAgainAboveIt) {
  Rows({{"r1", "A"}, {"r2", "A"}, {"r3", "A"}, {"r4", "B"}, {"r5", "B"}, {"r6", "C"}});
  Detail(10000, "Detail");
  Group("Grp", "G");
  Report->Request(psAll);
  EXPECT_EQ((TLabels{"GH", "Detail r1", "Detail r2", "Detail r3", "GF", "GH", "Detail r4", "Detail r5"}), Labels(1));
  EXPECT_EQ((TLabels{"GH", "GF", "GH", "Detail r6", "GF"}), Labels(2));
  ExpectPagesGeneratedAgainAlike(2);
  for (auto* G = Report->GetGroup(0); G; G = nullptr) {
    G->SetHeaderForOrphanedFooter(false);
    Report->Reset();
    Report->Pages.clear();
    Report->Request(psAll);
    EXPECT_EQ((TLabels{"GF", "GH", "Detail r6", "GF"}), Labels(2));
  }
}

TEST_F(GroupRun, NewPageGroupsBreakOnceAndNumberTheirOwnPages) {
  std::vector<std::pair<std::string, std::string>> R = {{"r1", "A"}, {"r2", "A"}};
  for (int I = 3; I <= 11; ++I) R.emplace_back("r" + std::to_string(I), "B");
  R.emplace_back("r12", "C");
  Rows(R);
  Band(btTitle, 10000, "Title");
  Detail(10000, "Detail");
  TppGroup* G = Group("Grp", "G");
  G->SetNewPage(true);
  G->SetResetPageNo(true);
  Report->SetPassSetting(psTwoPass);
  Report->Request(psAll);
  ASSERT_EQ(4u, Report->Pages.size());
  // The first break takes no page break; B needs two pages, its header again on the second.
  EXPECT_EQ((TLabels{"Title", "GH", "Detail r1", "Detail r2", "GF"}), Labels(1));
  EXPECT_EQ("Detail r3", Labels(2).at(1));
  EXPECT_EQ((TLabels{"GH", "Detail r10", "Detail r11", "GF"}), Labels(3));
  EXPECT_EQ((TLabels{"GH", "Detail r12", "GF"}), Labels(4));
  std::vector<std::pair<int, int>> Numbers;
  for (auto& [No, Page] : Report->Pages) Numbers.emplace_back(Page->PageNo(), Page->PageCount());
  EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 2}, {1, 1}}), Numbers);
  EXPECT_EQ(G, Report->TheEngine()->ControlGroup());
  ExpectPagesGeneratedAgainAlike(4);
}

TEST_F(GroupRun, NestedGroupsBreakingTogetherTakeOnePageBreak) {
  Rows({{"x", "A"}, {"x", "A"}, {"y", "B"}, {"y", "B"}});
  Detail(10000, "Detail");
  TppGroup* Outer = Group("Grp", "O");
  TppGroup* Inner = Group("Name", "I");
  Outer->SetNewPage(true);
  Inner->SetNewPage(true);
  Report->Request(psAll);
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TLabels{"OH", "IH", "Detail x", "Detail x", "IF", "OF"}), Labels(1));
  EXPECT_EQ((TLabels{"OH", "IH", "Detail y", "Detail y", "IF", "OF"}), Labels(2));
}

TEST_F(GroupRun, AKeepTogetherGroupThatDoesNotFitStartsOnTheNextPage) {
  Rows({{"r1", "A"}, {"r2", "A"}, {"r3", "A"}, {"r4", "B"}, {"r5", "B"}, {"r6", "B"}, {"r7", "B"}});
  Detail(10000, "Detail");
  TppGroup* G = Group("Grp", "G");
  G->SetKeepTogether(true);
  Report->Request(psAll);
  EXPECT_EQ(G, Report->TheEngine()->KeepTogetherGroup());
  EXPECT_EQ((TLabels{"GH", "Detail r1", "Detail r2", "Detail r3", "GF"}), Labels(1));
  EXPECT_EQ((TLabels{"GH", "Detail r4", "Detail r5", "Detail r6", "Detail r7", "GF"}), Labels(2));
  Rows({{"r1", "A"}, {"r2", "A"}, {"r3", "A"}, {"r4", "B"}, {"r5", "B"}, {"r6", "B"}, {"r7", "B"}, {"r8", "C"},
        {"r9", "C"}, {"r10", "D"}, {"r11", "D"}, {"r12", "D"}, {"r13", "D"}});
  G->SetDataPipeline(Report->DataPipeline());
  ExpectPagesGeneratedAgainAlike(4);
  EXPECT_EQ((TLabels{"GH", "Detail r8", "Detail r9", "GF"}), Labels(3));
}

// A record box that goes on where a partly generated band moves it (up by what printed before) and
// keeps whether it is still to draw in the page cache, as the components do.
class TResumingRecordBox : public TRecordBox {
public:
  explicit TResumingRecordBox(TComponent* AOwner) : TRecordBox(AOwner) { SetCacheRecordSize(1); }
  ~TResumingRecordBox() override { BeforeDestruction(); }
  void SaveToCache(int Page) override { WriteRecord(Page, static_cast<uint8_t>(DrawComponent())); }
  void RestoreFromCache(int Page) override {
    uint8_t Draw = 0;
    if (ReadRecord(Page, Draw)) SetDrawComponent(Draw != 0);
  }
  void Generate() override {
    TRecordBox::Generate();
    auto* B = static_cast<TppCustomBand*>(Band());
    if (!B->GetPartialGeneration()) return;
    TRect R = PrintRect();
    R.Top -= B->GetPartialAdjustment();
    R.Bottom -= B->GetPartialAdjustment();
    SetPrintRect(R);
  }
};

// A page break in the detail band: each record's second half opens the next page and takes only
// the band's height below the break there, on the real engine; every page generated again from the
// cache comes out alike.
TEST_F(EngineRun, PageBreakInTheDetailBand) {
  Band(btHeader, 10000, "Header");
  TppDetailBand* D = Detail(10000, "Detail");
  D->ChangeHeight(20000);
  auto* Break = new TppPageBreak(&Form);
  Break->SetmmTop(10000);
  Break->SetBand(D);
  auto* After = new TResumingRecordBox(&Form);
  After->Label = "After";
  After->SetBounds(0, 10000, 20000, 10000);
  After->SetBand(D);
  Names(3);
  Report->Request(psAll);
  ASSERT_EQ(4u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"Header", 10000}, {"Detail r1", 20000}}), Report->Texts(1));
  EXPECT_EQ((TTexts{{"Header", 10000}, {"After r1", 20000}, {"Detail r2", 30000}}), Report->Texts(2));
  EXPECT_EQ((TTexts{{"Header", 10000}, {"After r3", 20000}}), Report->Texts(4));
  ExpectPagesGeneratedAgainAlike(4);
}

}  // namespace
}  // namespace enginetest
