// Band generation on a small page engine: pages and band tops over several pages, fixed print
// positions, continuation of a band that did not fit, drawing order, events, and the print error a
// band that can never be placed raises once instead of making pages forever.
#include <gtest/gtest.h>

#include <memory>

#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

using namespace ppbandtest;

namespace {

class BandGeneration : public ::testing::Test {
protected:
  std::unique_ptr<TppDataPipeline> Pipeline = std::make_unique<TppDataSetPipeline>(nullptr);
  std::unique_ptr<TBandTestReport> Report = std::make_unique<TBandTestReport>(nullptr);
  TBandTestEngine& Engine = *Report->TestEngine;

  void SetUp() override { Report->SetDataPipeline(Pipeline.get()); }
  void TearDown() override { Report->SetDataPipeline(nullptr); }

  TKindBand* Band(TppBandType Kind, int32_t Height, const std::string& Label) {
    auto* B = AddBand(*Report, Height, Kind);
    if (!Label.empty()) AddBox(*B, Label, 0, Height);
    return B;
  }
  TppDetailBand* Detail(int32_t Height, const std::string& Label = "D") {
    auto* B = AddBand<TppDetailBand>(*Report, Height);
    if (!Label.empty()) AddBox(*B, Label, 0, Height);
    return B;
  }
  // The tops of the boxes labelled Label on page Page (1-based).
  std::vector<int32_t> Tops(int Page, const std::string& Label) const {
    std::vector<int32_t> T;
    for (const TDrawn& D : Engine.Pages.at(Page - 1))
      if (D.Label == Label) T.push_back(D.Top);
    return T;
  }
};

std::vector<int32_t> Steps(int32_t From, int32_t Step, int N) {
  std::vector<int32_t> V;
  for (int I = 0; I < N; ++I) V.push_back(From + I * Step);
  return V;
}

}  // namespace

// Header 10 mm and details of 10 mm on an 80 mm body: 7 records a page (the last one ends exactly at
// the page bottom), the summary after the last record.
TEST_F(BandGeneration, ListOverSeveralPages) {
  Band(btHeader, 10 * mm, "H");
  Detail(10 * mm);
  Band(btSummary, 10 * mm, "S");
  Engine.Records = 20;
  Engine.Run();
  ASSERT_EQ(3u, Engine.Pages.size());
  for (int P = 1; P <= 3; ++P) EXPECT_EQ(std::vector<int32_t>{10 * mm}, Tops(P, "H")) << P;
  EXPECT_EQ(Steps(20 * mm, 10 * mm, 7), Tops(1, "D"));
  EXPECT_EQ(Steps(20 * mm, 10 * mm, 7), Tops(2, "D"));
  EXPECT_EQ(Steps(20 * mm, 10 * mm, 6), Tops(3, "D"));
  EXPECT_EQ(std::vector<int32_t>{80 * mm}, Tops(3, "S"));
  EXPECT_TRUE(Tops(2, "S").empty());
  EXPECT_EQ(20, Engine.Record);
}

TEST_F(BandGeneration, DetailPrintRules) {
  struct Case {
    const char* Name;
    int BandsPerRecord, PrintCount, Records;
    bool Pipeline;
    std::vector<int> DetailsPerPage;
    int RecordsTraversed;
  } Cases[] = {
      {"three bands per record, across a page break", 3, 0, 7, true, {16, 5}, 7},
      {"PrintCount is the details per page", 1, 10, 25, true, {10, 10, 5}, 25},
      {"without a pipeline the detail prints once", 1, 0, 25, false, {1}, 1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    Report = std::make_unique<TBandTestReport>(nullptr);
    TBandTestEngine& E = *Report->TestEngine;
    if (C.Pipeline) Report->SetDataPipeline(Pipeline.get());
    auto* D = AddBand<TppDetailBand>(*Report, 5 * mm);
    AddBox(*D, "D", 0, 5 * mm);
    D->SetBandsPerRecord(C.BandsPerRecord);
    D->SetPrintCount(C.PrintCount);
    auto* S = AddBand(*Report, 5 * mm, btSummary);
    AddBox(*S, "S", 0, 5 * mm);
    E.Records = C.Records;
    E.Run();
    std::vector<int> PerPage;
    for (const auto& Page : E.Pages)
      PerPage.push_back(static_cast<int>(std::count_if(Page.begin(), Page.end(), [](const TDrawn& X) { return X.Label == "D"; })));
    EXPECT_EQ(C.DetailsPerPage, PerPage);
    EXPECT_EQ(C.RecordsTraversed, E.Record);
    ASSERT_FALSE(E.Pages.empty());
    EXPECT_EQ(1, std::count_if(E.Pages.back().begin(), E.Pages.back().end(), [](const TDrawn& X) { return X.Label == "S"; }));
    Report->SetDataPipeline(nullptr);
  }
}

// A fixed print position: at or below the current position the band prints there; above it the band
// waits for the next page and prints at its position, or at the top of that page's free space when
// the free space already begins below it.
TEST_F(BandGeneration, FixedPrintPosition) {
  struct Case {
    int32_t Header, Title, Position;
    int Page;
    int32_t Top;
  } Cases[] = {
      {0, 40 * mm, 50 * mm, 1, 50 * mm},  // equal to the current position
      {0, 40 * mm, 70 * mm, 1, 70 * mm},  // below it
      {0, 40 * mm, 20 * mm, 2, 20 * mm},  // above it: the next page, at the position
      {30 * mm, 20 * mm, 30 * mm, 2, 40 * mm},  // the next page's free space begins below it
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Position);
    Report = std::make_unique<TBandTestReport>(nullptr);
    TBandTestEngine& E = *Report->TestEngine;
    Report->SetDataPipeline(Pipeline.get());
    if (C.Header) AddBox(*AddBand(*Report, C.Header, btHeader), "H", 0, C.Header);
    AddBox(*AddBand(*Report, C.Title, btTitle), "T", 0, C.Title);
    auto* S = AddBand(*Report, 10 * mm, btSummary);
    AddBox(*S, "S", 0, 10 * mm);
    S->SetPrintPosition(S->FromMicrons(C.Position, S->Units(), 1));
    ASSERT_EQ(C.Position, S->mmPrintPosition());
    E.Records = 0;
    E.Run();
    ASSERT_EQ(static_cast<size_t>(C.Page), E.Pages.size());
    std::vector<int32_t> Top;
    for (const TDrawn& D : E.Pages.back())
      if (D.Label == "S") Top.push_back(D.Top);
    EXPECT_EQ(std::vector<int32_t>{C.Top}, Top);
    Report->SetDataPipeline(nullptr);
  }
}

// A print position at or below the page bottom is a report error, raised once, with one period.
TEST_F(BandGeneration, PrintPositionBelowPageBottom) {
  auto* S = Band(btSummary, 5 * mm, "S");
  S->SetPrintPosition(S->FromMicrons(90 * mm, S->Units(), 1));
  Engine.Records = 0;
  try {
    Engine.Run();
    FAIL() << "no error";
  } catch (const EPrintError& E) {
    const std::string M = E.Message();
    EXPECT_EQ(0u, M.find(LanguageString(1023))) << M;
    EXPECT_EQ('.', M.back());
    EXPECT_NE('.', M[M.size() - 2]) << M;
  }
  EXPECT_TRUE(Engine.StopPrinting());
  EXPECT_EQ(1, Engine.AbsolutePageNo());
}

// A band that can never be placed raises the print error once instead of making pages without end
// (the engine's page limit is the guard: a loop would reach it without raising).
TEST_F(BandGeneration, OversizedBandOfEachKindRaisesOnce) {
  for (TppBandType Kind : {btPageStyle, btHeader, btTitle, btColumnHeader, btGroupHeader, btDetail, btGroupFooter,
                           btSummary, btColumnFooter, btFooter}) {
    SCOPED_TRACE(Kind);
    Report = std::make_unique<TBandTestReport>(nullptr);
    TBandTestEngine& E = *Report->TestEngine;
    Report->SetDataPipeline(Pipeline.get());
    if (Kind != btDetail) AddBox(*AddBand<TppDetailBand>(*Report, 5 * mm), "D", 0, 5 * mm);
    if (Kind == btDetail)
      AddBox(*AddBand<TppDetailBand>(*Report, 85 * mm), "Big", 0, 85 * mm);
    else
      AddBox(*AddBand(*Report, 85 * mm, Kind), "Big", 0, 85 * mm);
    E.Records = 3;
    int Raised = 0;
    try {
      E.Run();
    } catch (const EPrintError& X) {
      ++Raised;
      if (Kind == btDetail) EXPECT_NE(std::string::npos, X.Message().find("Static height detail band cannot fit on page"));
    }
    EXPECT_EQ(1, Raised);
    EXPECT_TRUE(E.StopPrinting());
    EXPECT_EQ(1, E.AbsolutePageNo());
    Report->SetDataPipeline(nullptr);
  }
}

// A detail band that fits an empty page but never below the header: four pages in a row without
// printing, then the error. With silent exceptions the run stops without raising.
TEST_F(BandGeneration, BandThatNeverFitsBelowTheHeader) {
  for (bool Silent : {false, true}) {
    SCOPED_TRACE(Silent);
    Report = std::make_unique<TBandTestReport>(nullptr);
    TBandTestEngine& E = *Report->TestEngine;
    Report->SetDataPipeline(Pipeline.get());
    E.SetSilentExceptions(Silent);
    AddBox(*AddBand(*Report, 50 * mm, btHeader), "H", 0, 50 * mm);
    AddBox(*AddBand<TppDetailBand>(*Report, 40 * mm), "D", 0, 40 * mm);
    E.Records = 2;
    if (Silent)
      EXPECT_NO_THROW(E.Run());
    else
      EXPECT_THROW(E.Run(), EPrintError);
    EXPECT_TRUE(E.StopPrinting());
    EXPECT_EQ(4, E.AbsolutePageNo());
    Report->SetDataPipeline(nullptr);
  }
}

namespace {

struct TBandEvents {
  std::vector<std::string> Log;
  void Connect(TppBand& B) {
    B.BeforePrint = [this](TObject*) { Log.push_back("BeforePrint"); };
    B.AfterPrint = [this](TObject*) { Log.push_back("AfterPrint"); };
    B.BeforeGenerate = [this](TObject*) { Log.push_back("BeforeGenerate"); };
    B.AfterGenerate = [this](TObject*) { Log.push_back("AfterGenerate"); };
  }
};

}  // namespace

// Which events a band fires when it prints, when it is invisible and when it does not fit; the
// invisible band draws nothing and does not count as printed on the page.
TEST_F(BandGeneration, EventsOfOneGeneration) {
  using V = std::vector<std::string>;
  struct Case {
    const char* Name;
    bool Visible;
    int32_t Top;
    V Events;
    size_t Drawn;
    int PageBands;
  } Cases[] = {
      {"prints", true, 10 * mm, {"BeforePrint", "BeforeGenerate", "AfterGenerate", "AfterPrint"}, 1, 2},
      {"invisible", false, 10 * mm, {"BeforePrint", "AfterPrint"}, 0, 1},
      {"out of space", true, 85 * mm, {"BeforePrint"}, 0, 1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto* B = Band(btTitle, 10 * mm, "T");
    B->SetVisible(C.Visible);
    TBandEvents Events;
    Events.Connect(*B);
    B->Init();
    B->SetDrawPage(true);
    Engine.GetPage()->Reset();
    Engine.IncludePrintCondition(pcTitle);
    Engine.SetPrintPosition(10 * mm, C.Top, 90 * mm, C.Top);
    Engine.SetPageBandCount(1);
    B->Generate();
    EXPECT_EQ(C.Events, Events.Log);
    EXPECT_EQ(C.Drawn, static_cast<size_t>(Engine.GetPage()->GetDrawCommandCount()));
    EXPECT_EQ(C.PageBands, Engine.PageBandCount());
    delete B;
  }
}

// Objects generate static first, shift-with-parent last, but draw in the band's z-order.
TEST_F(BandGeneration, ObjectsDrawInZOrder) {
  auto* B = AddBand(*Report, 20 * mm, btTitle);
  TBox* Shifted = AddBox(*B, "Shifted", 10 * mm, 5 * mm);
  Shifted->SetShiftWithParent(true);
  TBox* Static = AddBox(*B, "Static", 0, 5 * mm);
  std::vector<std::string> Order;
  Engine.Records = 0;
  Engine.Run();
  ASSERT_EQ(1u, Engine.Pages.size());
  for (const TDrawn& D : Engine.Pages[0]) Order.push_back(D.Label);
  EXPECT_EQ((std::vector<std::string>{"Shifted", "Static"}), Order);
  EXPECT_EQ(1, Static->Generated);
  EXPECT_EQ(1, Shifted->Generated);
}

// A dynamic band whose remaining objects do not fit goes on in the next page with them, moved up
// by the top of the first one left; a stretching object goes on with its static objects generated
// again first.
TEST_F(BandGeneration, DynamicBandGoesOnInTheNextPage) {
  auto* B = AddBand(*Report, 100 * mm, btTitle);
  B->SetPrintHeight(phDynamic);
  AddBox(*B, "A", 0, 10 * mm);
  AddBox(*B, "B", 75 * mm, 10 * mm);
  Engine.Records = 0;
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  EXPECT_EQ(std::vector<int32_t>{10 * mm}, Tops(1, "A"));
  EXPECT_TRUE(Tops(1, "B").empty());
  EXPECT_TRUE(Tops(2, "A").empty());
  EXPECT_EQ(std::vector<int32_t>{10 * mm}, Tops(2, "B"));
  EXPECT_FALSE(B->GetPartialGeneration());
  EXPECT_EQ(B->mmHeight(), B->GetPartialAdjustment());
}

TEST_F(BandGeneration, StretchingObjectOverflows) {
  auto* B = AddBand(*Report, 20 * mm, btSummary);
  B->SetPrintHeight(phDynamic);
  TBox* Static = AddBox(*B, "Static", 0, 5 * mm);
  auto* Text = new TStretchText(nullptr);
  Text->Label = "Text";
  Text->SetBounds(0, 5 * mm, 5 * mm, 10 * mm);
  Text->Length = 170 * mm;
  Text->SetBand(B);
  Engine.Records = 0;
  Engine.Run();
  ASSERT_EQ(3u, Engine.Pages.size());
  EXPECT_EQ(std::vector<int32_t>{15 * mm}, Tops(1, "Text"));
  EXPECT_EQ(std::vector<int32_t>{10 * mm}, Tops(2, "Text"));
  EXPECT_EQ(std::vector<int32_t>{10 * mm}, Tops(3, "Text"));
  EXPECT_EQ(3, Static->Generated);  // generated again on each overflow page
  EXPECT_FALSE(B->GetOverFlow());
}

namespace {

class TOverflowListener : public TppCommunicator {
public:
  TOverflowListener() : TppCommunicator(nullptr) { EventMask().Include(ciEngineDynamicBandOverflow); }
  ~TOverflowListener() override { BeforeDestruction(); }
  int Heard = 0;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override {
    TppCommunicator::EventNotify(Sender, EventID, Params);
    if (EventID == ciEngineDynamicBandOverflow) ++Heard;
  }
};

}  // namespace

// A dynamic detail band whose stretching object prints nothing: no shift-with-parent object below
// it, the overflow event, no AfterPrint; the record goes on in the next page.
TEST_F(BandGeneration, DynamicDetailThatPrintsNothing) {
  auto* D = AddBand<TppDetailBand>(*Report, 20 * mm);
  D->SetPrintHeight(phDynamic);
  auto* Text = new TStretchText(nullptr);
  Text->Label = "Text";
  Text->SetBounds(0, 0, 5 * mm, 10 * mm);
  Text->Length = 10 * mm;
  Text->SetBand(D);
  TBox* Below = AddBox(*D, "Below", 10 * mm, 5 * mm);
  Below->SetShiftWithParent(true);
  TBandEvents Events;
  Events.Connect(*D);
  TOverflowListener Listener;
  Engine.AddEventNotify(&Listener);
  D->Init();
  D->SetDrawPage(true);
  Engine.IncludePrintCondition(pcDetail);
  Engine.Records = 5;
  Engine.SetPrintPosition(10 * mm, 90 * mm, 90 * mm, 90 * mm);
  D->Generate();
  EXPECT_TRUE(D->GetOutOfSpace());
  EXPECT_EQ(0, Below->Generated);
  EXPECT_EQ(1, Listener.Heard);
  EXPECT_EQ((std::vector<std::string>{"BeforePrint", "BeforeGenerate", "AfterGenerate"}), Events.Log);
  EXPECT_EQ(0, Engine.Record);
  Engine.RemoveEventNotify(&Listener);
}

#include "tests/ppreport/generation/ppEngineTestSupport.h"

// The same with the report's own engine: a band of each kind that cannot fit on a page raises the
// print error once; the report's page limit is the guard against a run that would not end.
TEST(BandsOnTheEngine, OversizedBandOfEachKindRaisesOnce) {
  for (TppBandType Kind : {btTitle, btHeader, btColumnHeader, btDetail, btSummary, btFooter}) {
    SCOPED_TRACE(Kind);
    TComponent Form(nullptr);
    auto* Report = new enginetest::TTestReport(&Form);
    TppPrinterSetup* S = Report->PrinterSetup();
    Report->SetUnits(utMMThousandths);  // the printer setup follows the report's units
    S->SetPaperWidth(100 * mm);
    S->SetPaperHeight(100 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight,
                     &TppPrinterSetup::SetMarginTop, &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10 * mm);
    Report->SetPageLimit(20);
    if (Kind == btColumnHeader) {
      Report->SetColumns(2);
      Report->SetmmColumnWidth(40 * mm);
    }
    Report->SetDataPipeline(enginetest::MakePipeline(&Form, {{"r1", ""}, {"r2", ""}, {"r3", ""}}));
    auto* D = new TppDetailBand(&Form);
    D->ChangeHeight(Kind == btDetail ? 85 * mm : 5 * mm);
    D->SetReport(Report);
    AddBox(*D, "D", 0, D->mmHeight());
    if (Kind != btDetail) {
      auto* B = new TKindBand(&Form, Kind);
      B->ChangeHeight(85 * mm);
      B->SetReport(Report);
      AddBox(*B, "Big", 0, 85 * mm);
    }
    int Raised = 0;
    try {
      Report->Request(psAll);
    } catch (const EPrintError& X) {
      ++Raised;
      // A band made in code has no user name: the message names it by its caption.
      if (Kind != btDetail && Kind != btFooter)  // the footer leaves the detail no room
        EXPECT_NE(std::string::npos, X.Message().find("Band " + std::to_string(Kind) + " ")) << X.Message();
    }
    EXPECT_EQ(1, Raised);
    EXPECT_LT(Report->Engine()->AbsolutePageNo(), 5);
    EXPECT_FALSE(Report->Engine()->Printing());
  }
}
