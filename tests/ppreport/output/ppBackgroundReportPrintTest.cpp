// Background printing of real banded reports over a SQLite table: jobs queued to the CUPS PDF queue
// while the main thread goes on, and a shutdown in the middle of a job.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "platform/data/DBTables.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/generation/ppCtrls.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/output/ppBackgroundContainerAdapter.h"
#include "ppreport/output/ppBackgroundPrintManager.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/ppreport/ppPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/ppreport/output/ppBackgroundPrintTestSupport.h"

namespace {

constexpr int32_t mm = 1000;

// Where the worker holds still: after Hold records it waits until the test lets it go.
struct TRecordGate {
  std::atomic<int> Records{0};
  std::atomic<int> Hold{0};  // 0: never
  std::atomic<bool> Released{false};
};
TRecordGate& Gate() {
  static TRecordGate G;
  return G;
}

// The owner as designed: a query on the sales table, its pipeline and a report of 100 x 100 mm
// pages (a header, one detail band with the name, six records a page).
class TSalesModule : public TComponent {
  DECLARE_CLASSINFO(TSalesModule)
public:
  explicit TSalesModule(TComponent* AOwner) : TComponent(AOwner) {
    auto* Query = new TQuery(this);
    Query->SetName("SalesQuery");
    Query->SetDatabaseName(DatabasePath());
    Query->SetSQLText("SELECT Id, Name FROM Sales ORDER BY Id");
    auto* Pipe = new TppDataSetPipeline(this);
    Pipe->SetName("SalesPipe");
    Pipe->SetUserName("Sales");
    Pipe->SetDataSet(Query);
    Pipe->OnNext = [](TObject*) {
      TRecordGate& G = Gate();
      if (++G.Records != G.Hold) return;
      while (!G.Released) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    Report = new TppReport(this);
    Report->SetName("Report");
    Report->SetUnits(utMMThousandths);
    TppPrinterSetup* S = Report->PrinterSetup();
    S->SetPaperWidth(100 * mm);
    S->SetPaperHeight(100 * mm);
    for (auto Set : {&TppPrinterSetup::SetMarginLeft, &TppPrinterSetup::SetMarginRight,
                     &TppPrinterSetup::SetMarginTop, &TppPrinterSetup::SetMarginBottom})
      (S->*Set)(10 * mm);
    Report->SetDataPipeline(Pipe);
    Report->CreateMissingBands();
    Report->GetHeaderBand()->ChangeHeight(10 * mm);
    Report->GetDetailBand()->ChangeHeight(10 * mm);
    Report->GetFooterBand()->ChangeHeight(10 * mm);
    auto* Title = new TppLabel(this);
    Title->SetCaption("Vendas");
    Title->SetBounds(0, 0, 40 * mm, 5 * mm);
    Title->SetBand(Report->GetHeaderBand());
    auto* Name = new TppDBText(this);
    Name->SetBounds(0, 0, 40 * mm, 5 * mm);
    Name->SetBand(Report->GetDetailBand());
    Name->SetDataPipeline(Pipe);
    Name->SetDataField("Name");
  }
  ~TSalesModule() override { BeforeDestruction(); }
  TppReport* Report;

  static std::string& DatabasePath() {
    static std::string P;
    return P;
  }
};

const TClassInfo& TSalesModule::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSalesModule>("TSalesModule", &TComponent::StaticClassInfo());
  return Info;
}

class ppBackgroundReportPrintTest : public ::testing::Test {
protected:
  void SetUp() override {
    Gate().Records = 0;
    Gate().Hold = 0;
    Gate().Released = false;
    RegisterBackgroundContainerClass(TSalesModule::StaticClassInfo(), [] { return new TSalesModule(nullptr); });
    Manager = std::make_unique<TppBackgroundPrintManager>();
    Manager->OnError = [this](TObject*, const Exception& E) { Errors.push_back(E.Message()); };
    Manager->OnAllRequestsFinished = [this](TObject*) { ++AllFinished; };
  }
  void TearDown() override {
    Gate().Released = true;
    Manager.reset();
    ClearBackgroundContainerClasses();
    if (Virtual) {
      UninstallAllPrinters();
      GetPrinterList()->RefreshPrinters();
    }
  }
  void Table(int Rows) {
    TSalesModule::DatabasePath() = Temp.Path("sales.db");
    TQuery Q(nullptr);
    Q.SetDatabaseName(TSalesModule::DatabasePath());
    Q.SetSQLText("CREATE TABLE Sales (Id INTEGER, Name TEXT)");
    Q.ExecSQL();
    Q.SetSQLText("WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
                 std::to_string(Rows) + ") INSERT INTO Sales SELECT I, 'n' || I FROM N");
    Q.ExecSQL();
  }
  // The CUPS PDF queue, or a virtual PDF printer where CUPS is not reachable (said in the output).
  std::string PdfQueue() { return ppPdfQueueOrVirtual(Virtual, VirtualPdf = Temp.Path("virtual.pdf")); }
  // Each job titled by a token is a PDF of Pages pages; the virtual printer keeps only the last
  // job's file, which every job went through.
  void ExpectEachJobPrinted(const std::vector<std::string>& Tokens, int Pages) {
    if (Virtual) {
      EXPECT_EQ(Pages, ReadPdfInfo(VirtualPdf).Pages);
      return;
    }
    for (const std::string& Token : Tokens) {
      SCOPED_TRACE(Token);
      const std::string Pdf = WaitForCupsPdf(Token);
      ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
      Temp.Adopt(Pdf);
      EXPECT_EQ(Pages, ReadPdfInfo(Pdf).Pages);
    }
  }

  TTestTempFiles Temp;
  std::unique_ptr<TppBackgroundPrintManager> Manager;
  std::vector<std::string> Errors;
  int AllFinished = 0;
  std::shared_ptr<TVirtualPrinter> Virtual;
  std::string VirtualPdf;
};

// Two jobs queued for the PDF printer: the main thread is back at once and goes on working while
// they print one after the other; each job is a PDF of its own pages, and the all-finished
// notification comes once.
TEST_F(ppBackgroundReportPrintTest, TwoQueuedJobsPrintToThePdfQueueWhileTheMainThreadGoesOn) {
  Table(9);  // two pages
  const std::string Queue = PdfQueue();
  TSalesModule Module(nullptr);
  TppReport* R = Module.Report;
  R->SetDeviceType("Printer");
  R->PrinterSetup()->SetPrinterName(Queue);
  std::vector<std::string> Tokens;
  for (int Job = 0; Job < 2; ++Job) {
    Tokens.push_back(UniqueJobTitle("MivoBg" + std::to_string(Job)));
    R->PrinterSetup()->SetDocumentName(Tokens.back());
    Manager->Print(R, nullptr, "", "", "Printer");
  }
  int MainWork = 0;
  ASSERT_TRUE(bgtest::PumpUntil([&] {
    ++MainWork;
    return AllFinished > 0;
  }));
  EXPECT_GT(MainWork, 1);
  for (int I = 0; I < 50; ++I) Application->ProcessMessages();
  EXPECT_EQ(1, AllFinished);
  EXPECT_TRUE(Errors.empty()) << Errors.front();
  ExpectEachJobPrinted(Tokens, 2);
}

// One CUPS queue printed to from two threads at once: a job in the background beside a print in
// the foreground, and two managers' workers side by side. Each job is a PDF of its own pages (the
// ThreadSanitizer run checks that the queue's shared printer is used under its lock).
TEST_F(ppBackgroundReportPrintTest, TwoThreadsPrintToOneQueueAtOnce) {
  Table(30);  // five pages
  const std::string Queue = PdfQueue();
  auto Manager2 = std::make_unique<TppBackgroundPrintManager>();
  int AllFinished2 = 0;
  Manager2->OnError = [this](TObject*, const Exception& E) { Errors.push_back(E.Message()); };
  Manager2->OnAllRequestsFinished = [&AllFinished2](TObject*) { ++AllFinished2; };
  TSalesModule Module(nullptr);
  TppReport* R = Module.Report;
  R->SetDeviceType("Printer");
  R->SetShowPrintDialog(false);
  R->SetShowCancelDialog(false);
  R->PrinterSetup()->SetPrinterName(Queue);
  std::vector<std::string> Tokens;
  auto Title = [&](const std::string& Prefix) {
    Tokens.push_back(UniqueJobTitle(Prefix));
    R->PrinterSetup()->SetDocumentName(Tokens.back());
  };
  Title("MivoBgBeside");
  Manager->Print(R, nullptr, "", "", "Printer");
  Title("MivoFgBeside");
  R->Print();  // in the foreground while the worker prints
  ASSERT_TRUE(bgtest::PumpUntil([&] { return AllFinished > 0; }));
  Title("MivoBgFirst");
  Manager->Print(R, nullptr, "", "", "Printer");
  Title("MivoBgSecond");
  Manager2->Print(R, nullptr, "", "", "Printer");
  ASSERT_TRUE(bgtest::PumpUntil([&] { return AllFinished > 1 && AllFinished2 > 0; }));
  Manager2.reset();
  EXPECT_TRUE(Errors.empty()) << Errors.front();
  ExpectEachJobPrinted(Tokens, 5);
}

// A report whose background printing is on hands its print to the process-wide manager and is
// free again at once; the copy writes the archive.
TEST_F(ppBackgroundReportPrintTest, AReportPrintsThroughTheProcessManager) {
  Table(9);
  TSalesModule Module(nullptr);
  TppReport* R = Module.Report;
  const std::string Archive = Temp.Path("report.raf");
  R->SetDeviceType("ArchiveFile");
  R->SetArchiveFileName(Archive);
  R->SetShowPrintDialog(false);
  R->SetShowCancelDialog(false);
  R->BackgroundPrintSettings()->SetEnabled(true);
  R->BackgroundPrintSettings()->SetActive(true);
  TppBackgroundPrintManager* Global = ppBackgroundPrintManager();
  ASSERT_TRUE(Global);
  int Done = 0;
  std::vector<std::string> GlobalErrors;
  Global->OnAllRequestsFinished = [&Done](TObject*) { ++Done; };
  Global->OnError = [&GlobalErrors](TObject*, const Exception& E) { GlobalErrors.push_back(E.Message()); };
  R->Print();
  EXPECT_FALSE(R->Printing());
  EXPECT_TRUE(bgtest::PumpUntil([&Done] { return Done > 0; }));
  Global->OnAllRequestsFinished = nullptr;
  Global->OnError = nullptr;
  EXPECT_TRUE(GlobalErrors.empty()) << GlobalErrors.front();
  EXPECT_TRUE(std::filesystem::exists(Archive));
}

// Shutting down while a job is in the middle of an archive: the worker is cancelled and joined,
// and neither its temporary file nor a cut archive stays.
TEST_F(ppBackgroundReportPrintTest, ShutdownWithAJobRunningJoinsAndLeavesNoFile) {
  Table(600);
  const std::string TempDir = Temp.Path("tmp");
  std::filesystem::create_directory(TempDir);
  const char* OldTmp = std::getenv("TMPDIR");
  const std::string Saved = OldTmp ? OldTmp : "";
  setenv("TMPDIR", TempDir.c_str(), 1);
  const std::string Archive = Temp.Path("jobs.raf");
  TSalesModule Module(nullptr);
  Gate().Hold = 20;  // the worker stops on page 4 until the shutdown
  Manager->Print(Module.Report, nullptr, "", Archive, "ArchiveFile");
  ASSERT_TRUE(bgtest::PumpUntil([] { return Gate().Records >= 20; }));
  EXPECT_FALSE(std::filesystem::is_empty(TempDir));  // the archive's pages so far
  EXPECT_EQ(1, Manager->RequestCount());
  Manager->CancelAll();
  Gate().Released = true;
  Manager.reset();  // joins
  EXPECT_LT(Gate().Records, 600);
  EXPECT_TRUE(std::filesystem::is_empty(TempDir));
  EXPECT_FALSE(std::filesystem::exists(Archive));
  if (OldTmp)
    setenv("TMPDIR", Saved.c_str(), 1);
  else
    unsetenv("TMPDIR");
  std::filesystem::remove(TempDir);
}

}  // namespace
