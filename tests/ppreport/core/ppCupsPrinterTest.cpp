// The pp printer on the system's printers: a job through the CUPS PDF queue, checked with pdfinfo
// (where CUPS or the queue is missing, the virtual printer writes the PDF and the output says so),
// and queues of the test's own that refuse the job or vanish while it is drawn.
#include <gtest/gtest.h>

#include <optional>

#include "platform/graphics/Canvas.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinter.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"

namespace {

class ppCupsPrinterTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(true);
    GetPrinterList()->RefreshPrinters();
  }
  void TearDown() override {
    UninstallAllPrinters();
    GetPrinterList()->RefreshPrinters();
  }
  static bool Listed(const std::string& Name) {
    for (const std::string& N : GetPrinterList()->Names())
      if (N == Name) return true;
    return false;
  }
  // A page setup on Printer for the paper with Code.
  static void SetPaper(TppPrinterSetup& S, const std::string& Printer, int Code, TPrinterOrientation O) {
    S.SetPrinterName(Printer);
    std::string Name;
    ASSERT_TRUE(S.PaperNameForCode(Code, Name)) << Code;
    S.SetPaperName(Name);
    S.SetOrientation(O);
  }
  static void PrintPage(TppPrinter& P, const TppPrinterSetup& S) {
    P.SetPrinterSetup(S);
    P.StartPage();
    P.GetCanvas()->Brush().SetColor(clBlack);
    P.GetCanvas()->FillRect(Rect(0, 0, 100, 100));
    P.GetCanvas()->TextOut(150, 150, "Página");
    P.EndPage();
  }
  TTestTempFiles TempFiles;
};

// Two pages, A4 upright and Letter turned, in one job: the PDF has both sheets as drawn.
TEST_F(ppCupsPrinterTest, TwoPapersThroughTheCupsPdfQueue) {
  std::string Token = UniqueJobTitle("MivoPP");
  std::string Queue = CupsPdfQueueName;
  std::shared_ptr<TVirtualPrinter> Virtual;
  std::string VirtualPdf = TempFiles.Path(Token + ".pdf");
  if (!Listed(Queue)) {
    std::printf("CUPS queue %s not reachable: printing on the virtual printer instead\n", CupsPdfQueueName);
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = 100;
    C.OutputFile = VirtualPdf;
    C.KeepPageImages = false;
    Queue = "Virtual PDF";
    Virtual = std::make_shared<TVirtualPrinter>(Queue, C);
    InstallPrinter(Virtual);
    GetPrinterList()->RefreshPrinters();
  }
  TppPrinterSetup First, Second;
  SetPaper(First, Queue, 9, poPortrait);
  SetPaper(Second, Queue, 1, poLandscape);
  First.SetDocumentName(Token);
  Second.SetDocumentName(Token);

  TppPrinter P;
  P.SetPrinterName(Queue);
  ASSERT_EQ(Queue, P.PrinterName());
  EXPECT_GT(P.GetPixelsPerInch().X, 0);
  P.BeginDoc();
  PrintPage(P, First);
  PrintPage(P, Second);
  P.EndDoc();

  std::string Pdf = Virtual ? VirtualPdf : WaitForCupsPdf(Token);
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
  TempFiles.Adopt(Pdf);
  TPdfInfo Info = ReadPdfInfo(Pdf);
  EXPECT_EQ(2, Info.Pages);
  ASSERT_EQ(2u, Info.PageSizes.size());
  EXPECT_NEAR(595.3, Info.PageSizes[0].first, 1.5);
  EXPECT_NEAR(841.9, Info.PageSizes[0].second, 1.5);
  EXPECT_NEAR(792, Info.PageSizes[1].first, 1.5);
  EXPECT_NEAR(612, Info.PageSizes[1].second, 1.5);
}

// A queue that stops accepting jobs, and one removed while the job is drawn: the end of the job
// raises the print error with CUPS's word on it, and CUPS holds no such job.
TEST_F(ppCupsPrinterTest, AQueueThatFailsRaises) {
  if (!Listed(CupsPdfQueueName)) GTEST_SKIP() << "CUPS not reachable (the virtual printer's failures are tested)";
  for (bool Removed : {false, true}) {
    SCOPED_TRACE(Removed ? "removed mid-job" : "refusing");
    std::optional<TCupsTestQueue> Queue;
    Queue.emplace(std::string(Removed ? "MivoGone" : "MivoRefusing") + std::to_string(getpid()));
    if (!Queue->Ok() || (!Removed && !Queue->Reject())) GTEST_SKIP() << "no rights to add a CUPS queue";
    GetPrinterList()->RefreshPrinters();
    const std::string Name = Queue->Name();
    ASSERT_TRUE(Listed(Name));
    TppPrinterSetup S;
    SetPaper(S, Name, 9, poPortrait);
    std::string Token = UniqueJobTitle(Removed ? "MivoGone" : "MivoRefused");
    S.SetDocumentName(Token);
    TppPrinter P;
    P.SetPrinterName(Name);
    P.BeginDoc();
    PrintPage(P, S);
    if (Removed) {
      // Two sheets: the job goes as a document of page sizes, into a queue gone meanwhile.
      S.SetOrientation(poLandscape);
      PrintPage(P, S);
      Queue.reset();
    }
    try {
      P.EndDoc();
      ADD_FAILURE() << "a failed job was reported as printed";
    } catch (const EPrintError& E) {
      EXPECT_NE(std::string::npos, std::string(E.what()).find(Name)) << E.what();
    }
    EXPECT_FALSE(P.Printing());
    EXPECT_FALSE(CupsJobExists(Token));
  }
}

}  // namespace
