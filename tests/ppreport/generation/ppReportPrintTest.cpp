// The report's print road: the parameter and autosearch steps before generation, the no-data
// rules at the first page request, and what a page request leaves alone.
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/generation/ppEngine.h"
#include "tests/ppreport/generation/ppReportTestSupport.h"

namespace reporttest {
namespace {

// The printer the producer makes for a print run: it notes every page it outputs.
class TNotingPrinter : public TppDevice {
  DECLARE_CLASSINFO(TNotingPrinter)
public:
  using TppDevice::TppDevice;
  ~TNotingPrinter() override { BeforeDestruction(); }
  static std::string DeviceName() { return ppPrinterDeviceName; }
  static std::vector<std::string>* Log;
  void ReceivePage(TppPage* Page) override {
    TppDevice::ReceivePage(Page);
    if (Log && IsRequestedPage() && !IsMessagePage()) Log->push_back("page " + std::to_string(Page->AbsolutePageNo()));
  }
};
std::vector<std::string>* TNotingPrinter::Log = nullptr;

const TClassInfo& TNotingPrinter::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNotingPrinter>("TReportTestNotingPrinter", &TppDevice::StaticClassInfo());
  return Info;
}

// Stands for the autosearch dialog: the runner answers for it.
class TSearchDialogStandIn : public TComponent {
  DECLARE_CLASSINFO(TSearchDialogStandIn)
public:
  using TComponent::TComponent;
  ~TSearchDialogStandIn() override { BeforeDestruction(); }
};

const TClassInfo& TSearchDialogStandIn::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TSearchDialogStandIn>("TReportTestSearchDialog", &TComponent::StaticClassInfo());
  return Info;
}

class PrintRoad : public ReportTest {
protected:
  std::vector<std::string> Log;

  void SetUp() override {
    ReportTest::SetUp();
    RegisterDeviceClass<TNotingPrinter>();
    TNotingPrinter::Log = &Log;
    Table("aaa");
    Report->CreateMissingBands();
    Field<TppDBText>(Report->GetDetailBand(), "Name");
    Report->SetDeviceType(ppPrinterDeviceName);
    Report->SetShowPrintDialog(false);
    Report->SetShowCancelDialog(false);
    Report->OnInitializeParameters = [this](TObject*, bool&) { Log.push_back("parameters"); };
    Report->BeforeAutoSearchDialogCreate = [this](TObject*) { Log.push_back("before dialog"); };
    Report->OnGetAutoSearchValues = [this](TObject*) { Log.push_back("values"); };
  }
  void TearDown() override {
    TNotingPrinter::Log = nullptr;
    UnregisterDeviceClass(TNotingPrinter::StaticClassInfo());
    SetAutoSearchDialogRunner(nullptr);
    UnregisterFormClass(ppAutoSearchDialogRole);
  }
};

TEST_F(PrintRoad, ParametersThenAutosearchThenPagesAndPrintDirectSkipsBoth) {
  Report->CreateAutoSearchCriteria("Sales", "Region", soEqual, "a", false);
  Report->Print();
  EXPECT_EQ((std::vector<std::string>{"parameters", "before dialog", "values", "page 1"}), Log);

  Log.clear();
  Report->Reset();
  Report->PrintDirect();
  EXPECT_EQ((std::vector<std::string>{"page 1"}), Log);

  // Cancelled by the parameter step: no dialog, no page.
  Log.clear();
  Report->Reset();
  Report->OnInitializeParameters = [this](TObject*, bool& Cancel) {
    Log.push_back("parameters");
    Cancel = true;
  };
  Report->Print();
  EXPECT_EQ((std::vector<std::string>{"parameters"}), Log);
}

TEST_F(PrintRoad, TheAutosearchDialogStopsThePrintOrResetsTheReportForTheNewCriteria) {
  RegisterFormClass(ppAutoSearchDialogRole, TSearchDialogStandIn::StaticClassInfo());
  TppAutoSearchField* Region = Report->CreateAutoSearchCriteria("Sales", "Region", soEqual, "a", false);
  Report->SetShowAutoSearchDialog(true);
  bool Answer = false;
  std::vector<TppAutoSearchField*> Shown;
  SetAutoSearchDialogRunner([&](TComponent&, TppReport& R, const std::vector<TppAutoSearchField*>& Fields) {
    EXPECT_EQ(Report, &R);
    Shown = Fields;
    Log.push_back("dialog");
    return Answer;
  });
  Report->Print();
  EXPECT_EQ((std::vector<std::string>{"parameters", "before dialog", "dialog"}), Log);
  EXPECT_EQ(std::vector<TppAutoSearchField*>{Region}, Shown);
  EXPECT_EQ(nullptr, Report->AutoSearchDialog());

  Log.clear();
  Answer = true;
  Report->Print();
  EXPECT_EQ((std::vector<std::string>{"parameters", "before dialog", "dialog", "values", "page 1"}), Log);

  // Asked for outside Print: accepted, the report starts again and the values are asked at once.
  Log.clear();
  EXPECT_TRUE(Report->DisplayAutoSearchDialog());
  EXPECT_EQ((std::vector<std::string>{"before dialog", "dialog", "values"}), Log);
  EXPECT_EQ(0, Report->Engine()->EngineState() & esInitialized);
  EXPECT_EQ(nullptr, Report->AutoSearchDialog());
}

TEST_F(PrintRoad, AutosearchCriteriaAreFoundByNameAndDescribedInLines) {
  TppAutoSearchField* Region = Report->CreateAutoSearchCriteria("Sales", "Region", soEqual, "a", false);
  TppAutoSearchField* Amount = Report->CreateAutoSearchCriteria("Sales", "Amount", soGreaterThan, "", false);
  EXPECT_EQ(Region, Report->AutoSearchCriteriaByName("sales", "REGION"));
  EXPECT_EQ(nullptr, Report->AutoSearchCriteriaByName("Other", "Region"));
  EXPECT_EQ(2, Report->GetAutoSearchFieldCount());
  EXPECT_EQ(Report, Region->Parent());
  TStringList Lines;
  Lines.Add("old");
  Report->GetAutoSearchDescriptionLines(Lines);
  ASSERT_EQ(1, Lines.Count());  // only criteria with a value
  EXPECT_EQ(Region->GetDescription(), Lines.Get(0));
  EXPECT_TRUE(Region->FirstField());
  Amount->Free();
  EXPECT_EQ(1, Report->GetAutoSearchFieldCount());
}

TEST_F(ReportTest, WithoutDataTheDefaultBlankPageEndsTheRunAtTheFirstRequest) {
  Table("");
  Report->CreateMissingBands();
  Label(Report->GetHeaderBand(), "H");
  Run();
  EXPECT_EQ(0, PageCount());
  EXPECT_TRUE(Device->Cancelled());
  EXPECT_EQ(0, Report->Engine()->EngineState() & esInitialized);

  // A blank report with the message on its page: one page saying so.
  Report->SetNoDataBehaviors((1u << ndBlankReport) | (1u << ndMessageOnPage));
  Run();
  ASSERT_EQ(1, PageCount());
  const std::vector<std::string> T = Texts(1);
  EXPECT_NE(T.end(), std::find(T.begin(), T.end(), LanguageString(1034)));
}

TEST_F(ReportTest, CachePagesKeepsItsValueWhileARequestIsServed) {
  Table("aa");
  Report->CreateMissingBands();
  Report->OnStartPage = [this](TObject*) { Report->SetCachePages(true); };
  Run();
  EXPECT_FALSE(Report->CachePages());
  Report->OnStartPage = nullptr;
  Report->SetCachePages(true);
  EXPECT_TRUE(Report->CachePages());
  Run();
  EXPECT_TRUE(Report->Publisher()->CachePages());
  EXPECT_EQ(1, Report->Publisher()->GetCachedPageCount());
}

// A report made while no engine factory is installed (a program that did not start the generation
// library) has no engine: printing it raises instead of ending with no page and no error.
TEST_F(PrintRoad, AReportWithoutEngineRaisesInsteadOfPrintingNothing) {
  UnregisterEngineFactory();
  TFinally Reinstall(RegisterEngineFactory);
  auto* Lost = new TppReport(&Form);
  ASSERT_EQ(nullptr, Lost->Engine());
  Lost->SetDataPipeline(Pipe);
  Lost->CreateMissingBands();
  Lost->SetDeviceType(ppPrinterDeviceName);
  Lost->SetShowPrintDialog(false);
  Lost->SetShowCancelDialog(false);
  try {
    Lost->Print();
    ADD_FAILURE() << "no error";
  } catch (const EPrintError& E) {
    EXPECT_NE(std::string::npos, std::string(E.what()).find("No engine")) << E.what();
  }
  EXPECT_TRUE(Log.empty()) << "no page";
  EXPECT_FALSE(Lost->Producing());
}

}  // namespace
}  // namespace reporttest
