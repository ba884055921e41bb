// Runs of the band report engine: record walk, groups, page and column layout, the run modes.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/app/DialogService.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/data/MemDataSet.h"
#include "tests/lxreport/LXEngineTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
class LXEngineTest : public ::testing::Test, public TEngineScope {
protected:
  // The lines of the log that start with Prefix.
  std::vector<std::string> Lines(const std::string& Prefix) const {
    std::vector<std::string> R;
    for (const std::string& L : Log)
      if (L.rfind(Prefix, 0) == 0) R.push_back(L);
    return R;
  }
  int32_t Pages() const { return Report->ActivePrinter() ? Report->ActivePrinter()->PageCount() : -1; }
};
}  // namespace

TEST_F(LXEngineTest, TwoColumnsOnA4WithTitleHeadersAndFooters) {
  TLXPage& P = *Report->Page();
  P.SetColumns(2);
  P.SetColumnSpace(50);
  Band(rbPageHeader, 100, "PH");
  Band(rbTitle, 200, "T");
  Band(rbColumnHeader, 50, "CH");
  Band(rbDetail, 600, "D");
  Band(rbPageFooter, 100, "PF");
  Band(rbSummary, 100, "S");
  auto* Detail = Report->BandOfType(rbDetail);
  ProbeOf(Detail)->Extra = [this] { return " #" + std::to_string(Record); };
  Records(9);
  Report->Prepare();
  // Page 1: header, title, column header at the column top below the title; three details
  // fit above the footer (2970 - 100 - 100), the fourth starts column 2 at x = 100 + 925 + 50.
  std::vector<std::string> Expected = {
      "PH p1 100,100", "T p1 100,200",    "CH p1 100,400",    "D p1 100,450 #1",  "D p1 100,1050 #2",
      "D p1 100,1650 #3", "CH p1 1075,400", "D p1 1075,450 #4", "D p1 1075,1050 #5", "D p1 1075,1650 #6",
      "PF p1 100,2770",  "PH p2 100,100",  "CH p2 100,200",    "D p2 100,250 #7",  "D p2 100,850 #8",
      "D p2 100,1450 #9", "S p2 100,2050",  "PF p2 100,2770"};
  EXPECT_EQ(Log, Expected);
  EXPECT_EQ(Pages(), 2);
  EXPECT_EQ(Detail->Size()->Width(), 925);
  EXPECT_TRUE(Report->Idle());
}

TEST_F(LXEngineTest, NestedGroupsReprintTheOuterHeaderAndTheInnerBelowItOnANewPage) {
  std::vector<std::pair<std::string, std::string>> Rows(6, {"FR", "Paris"});
  Rows.push_back({"FR", "Lyon"});
  static_cast<TVexaRep*>(Report.get())->SetDataSet(Places(&Form, Rows));
  auto* Country = Band<TLXGroup>(rbGroupHeader, 100, "GC");
  auto* Town = Band<TLXGroup>(rbGroupHeader, 100, "GT");
  Country->SetExpression("Country");
  Country->SetReprintOnNewPage(true);
  Town->SetExpression("Town");
  Country->SetFooterBand(Band(rbGroupFooter, 100, "FC"));
  Town->SetFooterBand(Band(rbGroupFooter, 100, "FT"));
  Band(rbDetail, 500, "D");
  Report->Prepare();
  std::vector<std::string> Expected = {
      "GC p1 100,100",  "GT p1 100,200", "D p1 100,300",   "D p1 100,800",  "D p1 100,1300",
      "D p1 100,1800",  "D p1 100,2300", "GC p2 100,100",  "GT p2 100,200", "D p2 100,300",
      "FT p2 100,800",  "GT p2 100,900", "D p2 100,1000",  "FT p2 100,1500", "FC p2 100,1600"};
  EXPECT_EQ(Log, Expected);
}

TEST_F(LXEngineTest, AFootersOfAClosingGroupSeeItsLastRecordAndAnOuterChangeClosesBoth) {
  auto* Data = Places(&Form, {{"BR", "Recife"}, {"BR", "Natal"}, {"PT", "Porto"}});
  static_cast<TVexaRep*>(Report.get())->SetDataSet(Data);
  auto* Country = Band<TLXGroup>(rbGroupHeader, 10, "GC");
  auto* Town = Band<TLXGroup>(rbGroupHeader, 10, "GT");
  Country->SetExpression("Country");
  Town->SetExpression("Town");
  Country->SetFooterBand(Band(rbGroupFooter, 10, "FC"));
  Town->SetFooterBand(Band(rbGroupFooter, 10, "FT"));
  Band(rbDetail, 10, "D");
  for (TLXCustomBand* B : Report->BandList())
    ProbeOf(B)->Extra = [Data] { return " " + Data->FieldByName("Town")->AsString(); };
  Report->Prepare();
  std::vector<std::string> Tags;
  for (const std::string& L : Log) Tags.push_back(L.substr(0, 2) + L.substr(L.rfind(' ')));
  std::vector<std::string> Expected = {"GC Recife", "GT Recife", "D  Recife", "FT Recife", "GT Natal",
                                       "D  Natal",  "FT Natal",  "FC Natal",  "GC Porto",  "GT Porto",
                                       "D  Porto",  "FT Porto",  "FC Porto"};
  EXPECT_EQ(Tags, Expected);
}

TEST_F(LXEngineTest, AForcedPageBreakRightAfterTheTitleIsAbsorbed) {
  Band(rbTitle, 200, "T");
  Band(rbDetail, 300, "D")->SetForceNewPage(true);
  Records(2);
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"T p1 100,100", "D p1 100,300", "D p2 100,100"}));
  EXPECT_EQ(Pages(), 2);
}

TEST_F(LXEngineTest, ForcedColumnBreaksInOneColumnAbsorbTheFirst) {
  Band(rbTitle, 200, "T");
  Band(rbDetail, 300, "D")->SetForceNewColumn(true);
  Records(3);
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"T p1 100,100", "D p1 100,300", "D p2 100,100", "D p3 100,100"}));
}

TEST_F(LXEngineTest, WithoutFirstPageHeaderAndLastPageFooterTheSummarySitsOnTheBottomMargin) {
  Report->SetOptions(0);
  Band(rbPageHeader, 100, "PH");
  Band(rbDetail, 1000, "D");
  Band(rbPageFooter, 100, "PF");
  Band(rbSummary, 200, "S")->SetAlignToBottom(true);
  Records(3);
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"D p1 100,100", "D p1 100,1100", "PF p1 100,2770", "PH p2 100,100",
                                           "D p2 100,200", "S p2 100,2670"}));
}

TEST_F(LXEngineTest, ABeforePrintVetoMakesNoPage) {
  Band(rbDetail, 100, "D");
  Records(3);
  Report->BeforePrint = [](TObject*, bool& Print) { Print = false; };
  Report->Prepare();
  EXPECT_TRUE(Log.empty());
  ASSERT_NE(Report->ActivePrinter(), nullptr);
  EXPECT_EQ(Report->ActivePrinter()->Status(), lxsReady);
  EXPECT_EQ(Pages(), 0);
  EXPECT_TRUE(Report->Idle());
}

TEST_F(LXEngineTest, ASubDetailPrintedBeforePrintsItsRecordsBeforeEachMasterDetail) {
  Band(rbDetail, 100, "D");
  auto* Sub = Band<TLXSubDetail>(rbSubDetail, 50, "S");
  Sub->SetPrintBefore(true);
  int Master = -1, Count = 0;
  Sub->OnNeedData = [&](TObject*, bool& More) {
    if (Record != Master) Master = Record, Count = 0;
    More = Count < 2;
    if (More) ++Count;
  };
  Records(2);
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"S p1 100,100", "S p1 100,150", "D p1 100,200", "S p1 100,300",
                                           "S p1 100,350", "D p1 100,400"}));
}

TEST_F(LXEngineTest, ProgressFollowsTheRecordsOfTheReportsDataSet) {
  auto* Data = Places(&Form, {{"A", "a"}, {"B", "b"}, {"C", "c"}, {"D", "d"}});
  static_cast<TVexaRep*>(Report.get())->SetDataSet(Data);
  Band(rbDetail, 100, "D");
  ProbeOf(Report->BandOfType(rbDetail))->Extra = [this] {
    return " " + std::to_string(Report->ActivePrinter()->Progress());
  };
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"D p1 100,100 0", "D p1 100,200 25", "D p1 100,300 50",
                                           "D p1 100,400 75"}));
  EXPECT_EQ(Report->ActivePrinter()->Progress(), 100);
}

TEST_F(LXEngineTest, ACancelFromEitherSideStopsAtTheNextRecordWithoutFooters) {
  for (int Side = 0; Side < 2; ++Side) {
    SCOPED_TRACE(Side);
    Log.clear();
    Record = 0;
    for (TLXCustomBand* B : std::vector<TLXCustomBand*>(Report->BandList())) B->Free();
    Band(rbDetail, 100, "D");
    Band(rbSummary, 100, "S");
    Report->OnNeedData = [&](TObject*, bool& More) {
      More = Record < 5;
      if (More) ++Record;
      if (Record == 3) {
        if (Side == 0) SendMessage(Report->Handle(), WM_LXPREVIEWCLOSED, 0, 0);
        else Report->ActivePrinter()->Cancel();
      }
    };
    Report->Prepare();
    EXPECT_EQ(Log, (std::vector<std::string>{"D p1 100,100", "D p1 100,200"}));
    EXPECT_TRUE(Report->Idle());
    EXPECT_EQ(Report->ActivePrinter()->Status(), lxsFinished);
  }
}

// Messages are handled between records often enough that a cancel from a window (a posted message,
// as the progress window's button sends) ends a run within about 50 ms. A record takes at least a
// millisecond here, so 50 records are at least 50 ms.
TEST_F(LXEngineTest, ACancelPostedDuringARunIsHeardWithinFiftyMilliseconds) {
  struct TCanceller : TMessageTarget {
    TCustomVexaRep* Report = nullptr;
    int HeardAt = 0, *Record = nullptr;
    void WndProc(TMessage&) override {
      HeardAt = *Record;
      Report->ActivePrinter()->Cancel();
    }
  } Canceller;
  Canceller.Report = Report.get();
  Canceller.Record = &Record;
  Band(rbDetail, 10, "D");
  constexpr int PostedAt = 3, Endless = 100000;
  Report->OnNeedData = [&](TObject*, bool& More) {
    More = Record < Endless;
    ++Record;
    if (Record == PostedAt) PostMessage(Canceller.Handle(), WM_USER + 100, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  Report->Prepare();
  ASSERT_GE(Canceller.HeardAt, PostedAt) << "the cancel was never heard";
  EXPECT_LT(Canceller.HeardAt - PostedAt, 50);
  EXPECT_EQ(static_cast<int>(Log.size()), Canceller.HeardAt - 1) << "the run stops before the next record";
  EXPECT_TRUE(Report->Idle());
}

TEST_F(LXEngineTest, PreviewDuringARunDoesNothingAndClosingThePreviewStopsTheRunAndFreesThePrinter) {
  Band(rbDetail, 100, "D");
  Report->OnPreview = [this](TObject*) { Report->ActivePrinter()->SetShowingPreview(true); };
  TLXPrinter* Running = nullptr;
  Report->OnNeedData = [&](TObject*, bool& More) {
    More = Record < 5;
    if (More) ++Record;
    if (Record == 2) {
      Running = Report->ActivePrinter();
      Report->Preview();  // a second run asked meanwhile
      EXPECT_EQ(Report->ActivePrinter(), Running);
    }
    if (Record == 3) Report->ActivePrinter()->ClosePreview(nullptr);
  };
  Report->Preview();
  EXPECT_EQ(Log.size(), 2u);
  EXPECT_EQ(Report->ActivePrinter(), nullptr);
  EXPECT_TRUE(Report->Printers().empty());
  // The next preview makes a new printer.
  Log.clear();
  Record = 10;
  Report->OnPreview = nullptr;
  Report->Preview();
  EXPECT_NE(Report->ActivePrinter(), nullptr);
}

TEST_F(LXEngineTest, APrinterOutlivesItsReportWithoutCallingBack) {
  Band(rbDetail, 100, "D");
  Records(1);
  int Previews = 0;
  Report->AfterPreview = [&](TObject*) { ++Previews; };
  Report->Prepare();
  TLXPrinter* P = Report->ActivePrinter();
  P->SetShowingPreview(true);
  P->SetShowingPreview(false);
  EXPECT_EQ(Previews, 1);
  P->SetShowingPreview(true);
  Report.reset();
  P->SetShowingPreview(false);  // the hook went with the report
  P->ClosePreview(nullptr);
  EXPECT_EQ(Previews, 1);
  EXPECT_EQ(P->PageCount(), 1);
  delete P;
}

TEST_F(LXEngineTest, MarginsThatLeaveNoRoomAreZeroedForTheRunOnly) {
  TLXPage& P = *Report->Page();
  P.SetLeftMargin(1500);
  P.SetRightMargin(1000);
  P.SetTopMargin(2000);
  P.SetBottomMargin(1000);
  Band(rbDetail, 100, "D");
  Records(1);
  Report->Prepare();
  EXPECT_EQ(Log, (std::vector<std::string>{"D p1 0,0"}));
  EXPECT_EQ(P.LeftMargin(), 1500);
  EXPECT_EQ(P.RightMargin(), 1000);
  EXPECT_EQ(P.TopMargin(), 2000);
  EXPECT_EQ(P.BottomMargin(), 1000);
}

TEST_F(LXEngineTest, AnExceptionInARunRestoresTheReportAndEndsTheJob) {
  auto* D = Band(rbDetail, 100, "D");
  Records(3);
  D->BeforePrint = [this](TLXCustomBand*, bool&) {
    if (Record == 2) throw std::runtime_error("band failed");
  };
  Report->SetUnits(TLXUnit::MM);
  EXPECT_THROW(Report->Prepare(), std::runtime_error);
  EXPECT_EQ(Report->Units(), TLXUnit::MM);
  EXPECT_FALSE(ProbeOf(D)->Printing());
  EXPECT_FALSE(Report->Functions()->IsCompiled());
  EXPECT_TRUE(Report->Idle());
  EXPECT_TRUE(Report->Visible());
  EXPECT_EQ(Report->DataSets(), nullptr);
  EXPECT_EQ(Report->ActivePrinter()->Status(), lxsFinished);
  // The report runs again.
  Log.clear();
  Record = 0;
  D->BeforePrint = nullptr;
  Report->Prepare();
  EXPECT_EQ(Log.size(), 3u);
}

TEST_F(LXEngineTest, HeightWithLinksCountsEachLinkedBandOnce) {
  auto* A = Band(rbDetail, 100, "A");
  auto* B = Band(rbSummary, 200, "B");
  auto* C = Band(rbPageFooter, 50, "C");
  A->SetLinkBand(B);
  EXPECT_EQ(A->HeightWithLinks(), 300);
  B->SetLinkBand(C);
  EXPECT_EQ(A->HeightWithLinks(), 350);
  Report->SetUnits(TLXUnit::MM);
  EXPECT_EQ(A->HeightWithLinks(), 35);
}

TEST_F(LXEngineTest, ChildBandsPrintWithTheirParentAndAPageFootersChildNeverBreaks) {
  auto* D = Band(rbDetail, 100, "D");
  D->SetHasChild(true);
  auto* C = D->FindChild();
  C->Size()->SetUnits(TLXUnit::Native);
  C->Size()->SetHeight(50);
  auto* PF = Band(rbPageFooter, 100, "PF");
  PF->SetHasChild(true);
  PF->FindChild()->Size()->SetUnits(TLXUnit::Native);
  PF->FindChild()->Size()->SetHeight(60);
  Records(2);
  std::vector<std::string> Children;
  C->AfterPrint = [&](TLXCustomBand*, bool) { Children.push_back(std::to_string(Report->CurrentY())); };
  PF->FindChild()->AfterPrint = [&](TLXCustomBand* B, bool) {
    Children.push_back(LXBandTypeTitle(B->BandType()) + " " + std::to_string(Report->CurrentY()));
  };
  Report->Prepare();
  // The footer space holds both footer bands: 2970 - 100 - 160.
  EXPECT_EQ(Log, (std::vector<std::string>{"D p1 100,100", "D p1 100,250", "PF p1 100,2710"}));
  EXPECT_EQ(Children, (std::vector<std::string>{"250", "400", "Page Footer 2870"}));
  EXPECT_EQ(PF->FindChild()->BandType(), rbChild);
}

TEST_F(LXEngineTest, AReportReadBackFromBinaryAndTextGeneratesTheSamePages) {
  RegisterClass(TLXPrintable::StaticClassInfo());
  TFinally Unregister([] { UnRegisterClass(TLXPrintable::StaticClassInfo()); });
  auto Build = [](TCustomVexaRep& R) {
    R.Page()->SetColumns(2);
    R.Page()->SetColumnSpace(50);
    R.Frame()->SetDrawTop(true);
    TLXBand* Title = R.NewBand(rbTitle);
    Title->SetColor(clSilver);
    Title->Frame()->SetDrawBottom(true);
    TLXBand* Detail = R.NewBand(rbDetail);
    Detail->Size()->SetUnits(TLXUnit::Native);
    Detail->Size()->SetHeight(2600);
    Detail->Frame()->SetDrawLeft(true);
    auto* Box = new TLXPrintable(&R);
    Box->SetName("Box");
    Box->SetParent(Detail);
    Box->Frame()->SetDrawTop(true);
    Box->Frame()->SetDrawRight(true);
    R.NewBand(rbPageFooter)->Frame()->SetDrawTop(true);
    R.NewBand(rbSummary)->SetColor(clYellow);
    R.SetReportTitle("Round trip");
  };
  auto PagesOf = [](TCustomVexaRep& R) {
    R.Prepare();
    std::vector<std::vector<uint8_t>> Pages;
    TLXPrinter* P = R.ActivePrinter();
    for (int32_t N = 1; N <= P->PageCount(); ++N) Pages.push_back(P->GetPage(N)->Data());
    delete P;
    return Pages;
  };
  TVexaRep Original(nullptr);
  Original.SetName("Rep");
  Build(Original);
  auto Expected = PagesOf(Original);
  ASSERT_EQ(Expected.size(), 2u);  // the tall detail moves to column 2, the summary to page 2

  TMemoryStream Binary;
  WriteComponentToStream(Binary, &Original);
  Binary.SetPosition(0);
  TMemoryStream Text;
  ObjectBinaryToText(Binary, Text);
  Text.SetPosition(0);
  TMemoryStream FromText;
  ObjectTextToBinary(Text, FromText);
  for (TMemoryStream* S : {&Binary, &FromText}) {
    S->SetPosition(0);
    TVexaRep Read(nullptr);
    ReadComponentFromStream(*S, &Read);
    EXPECT_EQ(Read.ReportTitle(), "Round trip");
    EXPECT_EQ(PagesOf(Read), Expected);
  }
}

namespace {
// Writes down the engine's calls, with the band's name and lengths as given.
class TRecordingFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::vector<std::string> Calls;
  void Start(int W, int H, const TFont* F) override {
    TLXExportFilter::Start(W, H, F);
    Calls.push_back("Start " + std::to_string(W) + "x" + std::to_string(H) + " " + F->Name());
  }
  void EndPage() override { Calls.push_back("EndPage"); }
  void NewPage() override { Calls.push_back("NewPage"); }
  void Finish() override {
    TLXExportFilter::Finish();
    Calls.push_back("Finish");
  }
  void AcceptBand(TLXCustomBand* B, long double X, long double Y, long double E) override {
    Calls.push_back("AcceptBand " + B->Name() + " " + std::to_string(int(X)) + "," + std::to_string(int(Y)) + "," +
                    std::to_string(int(E)));
  }
  void TextOut(long double X, long double Y, const TFont*, TColor, TAlignment, const std::string& Text) override {
    Calls.push_back("TextOut " + std::to_string(int(X)) + "," + std::to_string(int(Y)) + " " + Text);
  }
  void AcceptGraphic(long double X, long double Y, TLXPrintable*) override {
    Calls.push_back("AcceptGraphic " + std::to_string(int(X)) + "," + std::to_string(int(Y)));
  }
};
}  // namespace

TEST_F(LXEngineTest, AnExportRunCallsTheFilterAtEveryPageAndBandAndKeepsOneScratchPage) {
  TLXBand* Title = Band(rbTitle, 200, "T");
  Title->SetName("Title");
  TLXBand* Detail = Band(rbDetail, 1300, "D");
  Detail->SetName("Detail");
  // The probe hands the filter a line of text (tenths of a millimetre) and a graphic (device pixels).
  ProbeOf(Detail)->Extra = [this] {
    TLXExportFilter* F = Report->ExportFilter();
    TLXPrinter* P = Report->ActivePrinter();
    if (!F) return std::string();
    F->TextOut(Report->CurrentX() + 20, Report->CurrentY() + 20, Report->Font(), clWhite, taLeftJustify,
               "rec " + std::to_string(Record));
    F->AcceptGraphic(P->XPos(Report->CurrentX()), P->YPos(Report->CurrentY()), ProbeOf(Report->BandOfType(rbDetail)));
    return std::string();
  };
  std::vector<int32_t> ScratchPages;
  Report->OnEndPage = [&](TCustomVexaRep* R) { ScratchPages.push_back(R->ActivePrinter()->PageCount()); };
  Records(3);
  Report->Prepare();  // the pages a preview shows
  TLXPrinter* Shown = Report->ActivePrinter();
  Log.clear();
  Record = 0;
  ScratchPages.clear();
  TRecordingFilter Filter("out.txt");
  Shown->ExportToFilter(&Filter);
  EXPECT_EQ(Report->ActivePrinter(), Shown);
  EXPECT_EQ(Filter.SourcePrinter(), Shown);
  EXPECT_EQ(Filter.Owner(), Report.get());
  EXPECT_FALSE(Report->Exporting());
  EXPECT_TRUE(Report->Rendering());
  // A band remembers the cursor from before its fit test: the title's y is -1 (no page yet), the
  // second detail's is where it did not fit. Graphics are in the screen's pixels (96 ppi).
  std::vector<std::string> Expected = {
      "Start 2100x2970 Arial", "EndPage", "NewPage", "AcceptBand Title 100,-1,0",
      "TextOut 120,320 rec 1", "AcceptGraphic 38,113", "AcceptBand Detail 100,300,0",
      "EndPage", "NewPage", "TextOut 120,120 rec 2", "AcceptGraphic 38,38", "AcceptBand Detail 100,1600,0",
      "TextOut 120,1420 rec 3", "AcceptGraphic 38,529", "AcceptBand Detail 100,1400,0", "EndPage", "Finish"};
  EXPECT_EQ(Filter.Calls, Expected);
  EXPECT_EQ(ScratchPages, (std::vector<int32_t>{1, 1}));
}

namespace {
class LXEnginePrinterTest : public VirtualPrinterTest, public TEngineScope {};
}  // namespace

TEST_F(LXEnginePrinterTest, PrintSetupOffersThePagesOfAFinishedRunAndTakesTheChoice) {
  Install("First", {}, true);
  Install("Second");
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  Band(rbDetail, 1000, "D");
  Records(5);
  // Before any run the range is open; a cancel sets Tag 1 and changes nothing.
  S->Cancel();
  Report->PrintSetupDialog();
  EXPECT_EQ(S->Call<TPrintDialogData>(0).MinPage, 0);
  EXPECT_EQ(S->Call<TPrintDialogData>(0).MaxPage, 9999);
  EXPECT_EQ(Report->Tag(), 1);
  EXPECT_EQ(Report->PrinterSettings()->Copies(), 1);

  Report->Prepare();
  ASSERT_EQ(Report->ActivePrinter()->PageCount(), 3);
  S->Accept<TPrintDialogData>([](TPrintDialogData& D) {
    D.PrintRange = prPageNums;
    D.FromPage = 2;
    D.ToPage = 3;
    D.Copies = 4;
  });
  Report->ActivePrinter()->PrintSetup();  // the printer's hook
  const TPrintDialogData& Asked = S->Call<TPrintDialogData>(1);
  EXPECT_EQ(Asked.MinPage, 1);
  EXPECT_EQ(Asked.MaxPage, 3);
  EXPECT_EQ(Asked.FromPage, 1);
  EXPECT_EQ(Asked.ToPage, 3);
  EXPECT_EQ(Asked.Options, poPageNums | poWarning);
  EXPECT_EQ(Report->Tag(), 0);
  EXPECT_EQ(Report->PrinterSettings()->Copies(), 4);
  EXPECT_EQ(Report->PrinterSettings()->FirstPage(), 2);
  EXPECT_EQ(Report->PrinterSettings()->LastPage(), 3);
}

TEST_F(LXEnginePrinterTest, ThePrintMessageRunsOntoThePrinterAndGivesThePreviewsPrinterBack) {
  auto V = Install("First", {}, true);
  Band(rbDetail, 1000, "D");
  Records(5);
  Report->Prepare();
  TLXPrinter* Shown = Report->ActivePrinter();
  Record = 0;
  Log.clear();
  Report->PrinterSettings()->SetFirstPage(2);
  SendMessage(Report->Handle(), WM_LXPRINT, 0, 0);
  EXPECT_EQ(Report->ActivePrinter(), Shown);
  EXPECT_EQ(Report->Printers().size(), 1u);
  ASSERT_EQ(V->Jobs().size(), 1u);
  EXPECT_EQ(V->Jobs()[0].PageCount, 2);  // pages 2 and 3
  EXPECT_EQ(Log.size(), 5u);
}

TEST_F(LXEngineTest, PreviewSizeReadsAs500UntilSetAndZoomStaysInRange) {
  EXPECT_EQ(Report->PreviewWidth(), 500);
  Report->SetPreviewWidth(0);
  EXPECT_EQ(Report->PreviewWidth(), 500);
  Report->SetPreviewHeight(640);
  EXPECT_EQ(Report->PreviewHeight(), 640);
  Report->SetZoom(150);
  for (int Z : {0, 301}) {
    Report->SetZoom(Z);
    EXPECT_EQ(Report->Zoom(), 150);
  }
}
