// The CUPS backend against the PDF queue that scripts/test.sh sets up. Where
// CUPS or the queue is missing, the same job runs on the virtual printer and
// the output says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/app/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/PaperSizes.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/TestTemp.h"

namespace {
class CupsPrinterTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(true);
    RefreshPrinters();
  }
  void TearDown() override { UninstallAllPrinters(); }
  TTestTempFiles TempFiles;
  // Selects the CUPS PDF queue, or installs and selects a virtual printer.
  bool SelectQueue(TPrinter& P, std::shared_ptr<TVirtualPrinter>& Virtual, const std::string& Pdf) {
    for (size_t I = 0; I < P.Printers().size(); ++I)
      if (P.Printers()[I] == CupsPdfQueueName) {
        P.SetPrinterIndex(static_cast<int>(I));
        return true;
      }
    std::printf("CUPS queue %s not reachable: running on the virtual printer instead\n", CupsPdfQueueName);
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = 100;
    C.MarginLeft = C.MarginTop = C.MarginRight = C.MarginBottom = 42;
    C.OutputFile = Pdf;
    Virtual = std::make_shared<TVirtualPrinter>("Virtual PDF", C);
    InstallPrinter(Virtual);
    P.Refresh();
    P.SetPrinterIndex(static_cast<int>(P.Printers().size()) - 1);
    return false;
  }
};
}  // namespace

TEST_F(CupsPrinterTest, TheQueueReportsPapersAndMeasuresAndPrintsAPdf) {
  TPrinter P;
  std::shared_ptr<TVirtualPrinter> Virtual;
  std::string Token = UniqueJobTitle("MivoPlatform");
  std::string VirtualPdf = TempFiles.Path(Token + ".pdf");
  bool Cups = SelectQueue(P, Virtual, VirtualPdf);

  TDeviceMode M = P.DeviceMode();
  EXPECT_TRUE(M.Has(DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES));
  bool HasA4 = false, HasLetter = false;
  for (const auto& Paper : P.Papers()) {
    HasA4 = HasA4 || (Paper.Code == 9 && Paper.Width == 2100 && Paper.Height == 2970);
    HasLetter = HasLetter || (Paper.Code == 1 && Paper.Width == 2159);
  }
  EXPECT_TRUE(HasA4);
  EXPECT_TRUE(HasLetter || !Cups);

  M.Fields |= DM_PAPERSIZE | DM_ORIENTATION;
  M.PaperSize = 9;
  M.Orientation = DMORIENT_PORTRAIT;
  P.SetDeviceMode(M);
  TDeviceCaps D = P.DeviceCaps();
  ASSERT_GT(D.PixelsPerInchX, 0);
  EXPECT_NEAR(D.PhysicalWidth, 2100.0 * D.PixelsPerInchX / 254, D.PixelsPerInchX / 100.0);
  EXPECT_GT(D.PhysicalOffsetX, 0);
  EXPECT_LT(P.PageWidth(), D.PhysicalWidth);
  EXPECT_LE(D.PhysicalOffsetY + P.PageHeight(), D.PhysicalHeight);
  M.Orientation = DMORIENT_LANDSCAPE;
  P.SetDeviceMode(M);
  EXPECT_GT(P.PageWidth(), P.PageHeight());
  M.Orientation = DMORIENT_PORTRAIT;
  P.SetDeviceMode(M);

  P.SetTitle(Token);
  P.BeginDoc();
  P.Canvas()->Brush().SetColor(clBlack);
  P.Canvas()->FillRect(Rect(0, 0, P.PageWidth(), P.PageHeight()));
  P.NewPage();
  P.Canvas()->FillRect(Rect(0, 0, 100, 100));
  P.EndDoc();

  std::string Pdf = Cups ? WaitForCupsPdf(Token) : VirtualPdf;
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
  TempFiles.Adopt(Pdf);
  TPdfInfo Info = ReadPdfInfo(Pdf);
  EXPECT_EQ(Info.Pages, 2);
  ASSERT_EQ(Info.PageSizes.size(), 2u);
  EXPECT_NEAR(Info.PageSizes[0].first, 595.3, 1.5);
  EXPECT_NEAR(Info.PageSizes[0].second, 841.9, 1.5);
}

// Asking before the GUI application exists must not leave the system's list empty for good.
TEST(PrinterListTest, ListAskedBeforeTheApplicationIsReadAgainAfterIt) {
  SetSystemPrintersEnabled(true);
  FinalizeApplication();  // the test main's start-up
  EXPECT_TRUE(InstalledPrinters().empty());
  InitializeApplication(0, nullptr, TDisplayMode::Offscreen);
  // Other tests add and remove queues of their own meanwhile: compare emptiness, not counts.
  const bool SeenAny = !InstalledPrinters().empty();
  RefreshPrinters();
  EXPECT_EQ(SeenAny, !InstalledPrinters().empty());
}

// A job whose pages change paper and orientation keeps each page's sheet (CUPS's PDF filter would
// put them all on the first page's).
TEST_F(CupsPrinterTest, EachPageKeepsItsSheet) {
  TPrinter P;
  std::shared_ptr<TVirtualPrinter> Virtual;
  std::string Token = UniqueJobTitle("MivoSheets");
  std::string VirtualPdf = TempFiles.Path(Token + ".pdf");
  bool Cups = SelectQueue(P, Virtual, VirtualPdf);
  TDeviceMode M = P.DeviceMode();
  M.Fields |= DM_PAPERSIZE | DM_ORIENTATION;
  M.Fields &= ~(DM_PAPERWIDTH | DM_PAPERLENGTH);
  M.PaperSize = DMPAPER_A4;
  M.Orientation = DMORIENT_PORTRAIT;
  P.SetDeviceMode(M);
  P.SetTitle(Token);
  P.BeginDoc();
  P.Canvas()->TextOut(10, 10, "A4");
  M.PaperSize = DMPAPER_A5;
  M.Orientation = DMORIENT_LANDSCAPE;
  P.SetDeviceMode(M);
  P.NewPage();
  P.Canvas()->TextOut(10, 10, "A5");
  P.EndDoc();

  std::string Pdf = Cups ? WaitForCupsPdf(Token) : VirtualPdf;
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
  TempFiles.Adopt(Pdf);
  TPdfInfo Info = ReadPdfInfo(Pdf);
  ASSERT_EQ(Info.PageSizes.size(), 2u);
  EXPECT_NEAR(Info.PageSizes[0].first, 595.3, 1.5);
  EXPECT_NEAR(Info.PageSizes[0].second, 841.9, 1.5);
  EXPECT_NEAR(Info.PageSizes[1].first, 595.3, 1.5);
  EXPECT_NEAR(Info.PageSizes[1].second, 419.5, 1.5);
}
