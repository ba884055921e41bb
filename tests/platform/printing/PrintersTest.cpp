#include "platform/printing/Printers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/app/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/PrintingConsts.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

namespace {
class PrintersTest : public VirtualPrinterTest {};
}  // namespace

TEST_F(PrintersTest, WithoutPrintersEverythingAnswersEmptyAndJobsRefuse) {
  CreateGlobalPrinter();
  TPrinter& P = *Printer();
  EXPECT_TRUE(P.Printers().empty());
  EXPECT_EQ(P.PrinterIndex(), -1);
  EXPECT_FALSE(P.HasPrinter());
  EXPECT_EQ(P.DeviceMode().Fields, 0u);
  EXPECT_EQ(P.PageWidth(), 0);
  EXPECT_TRUE(P.Papers().empty());
  EXPECT_THROW(P.SetPrinterIndex(0), EPrinter);
  try {
    P.BeginDoc();
    FAIL();
  } catch (const EPrinter& E) {
    EXPECT_EQ(E.Message(), SNoDefaultPrinter);
  }
  EXPECT_THROW(P.NewPage(), EPrinter);
  EXPECT_THROW(P.EndDoc(), EPrinter);
  P.Abort();
  EXPECT_FALSE(P.Printing());
  EXPECT_EQ(P.DeviceContext(), nullptr);
}

TEST_F(PrintersTest, IndexMinusOneSelectsTheDefaultAndEachObjectHasItsOwnChoice) {
  Install("First");
  Install("Second", {}, true);
  CreateGlobalPrinter();
  TPrinter& G = *Printer();
  ASSERT_EQ(G.Printers(), (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(G.PrinterIndex(), 1);
  EXPECT_EQ(G.PrinterName(), "Second");
  TPrinter Private;
  Private.SetPrinterIndex(0);
  EXPECT_EQ(Private.PrinterName(), "First");
  EXPECT_EQ(G.PrinterName(), "Second");
  Private.SetPrinterIndex(-1);
  EXPECT_EQ(Private.PrinterIndex(), 1);
  try {
    Private.SetPrinterIndex(2);
    FAIL();
  } catch (const EPrinter& E) {
    EXPECT_EQ(E.Message(), SPrinterIndexError);
  }
}

TEST_F(PrintersTest, CapabilitiesFollowResolutionMarginsAndTheDeviceMode) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = 300;
  C.PixelsPerInchY = 150;
  C.MarginLeft = 50;  // 5 mm
  C.MarginTop = 254;  // 1 inch
  C.MarginRight = 100;
  C.MarginBottom = 0;
  C.Bins = {{DMBIN_AUTO, "Auto"}, {DMBIN_MANUAL, "Manual"}};
  C.SupportedFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
  Install("V", C);
  TPrinter P;
  TDeviceMode M = P.DeviceMode();
  EXPECT_EQ(M.Fields, DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE);
  EXPECT_EQ(M.PaperSize, 9);
  EXPECT_EQ(M.DefaultSource, DMBIN_AUTO);
  TDeviceCaps D = P.DeviceCaps();
  EXPECT_EQ(D.PixelsPerInchX, 300);
  EXPECT_EQ(D.PixelsPerInchY, 150);
  EXPECT_EQ(D.PhysicalWidth, 2480);   // 210 mm at 300 dpi
  EXPECT_EQ(D.PhysicalHeight, 1754);  // 297 mm at 150 dpi
  EXPECT_EQ(D.PhysicalOffsetX, 59);
  EXPECT_EQ(D.PhysicalOffsetY, 150);
  EXPECT_EQ(P.PageWidth(), 2480 - 59 - 118);
  EXPECT_EQ(P.PageHeight(), 1754 - 150);
  EXPECT_EQ(P.Bins().size(), 2u);
  EXPECT_EQ(P.Papers().front().Code, 9);

  M.Orientation = DMORIENT_LANDSCAPE;
  M.PaperSize = 1;
  P.SetDeviceMode(M);
  D = P.DeviceCaps();
  EXPECT_EQ(D.PhysicalWidth, 3300);  // 11 in
  EXPECT_EQ(D.PhysicalHeight, 1275);
  P.ResetDeviceMode();
  EXPECT_EQ(P.DeviceMode().PaperSize, 9);
}

TEST_F(PrintersTest, AJobDrawsInThePrintableAreaPageByPageAndWritesAPdf) {
  std::string Pdf = TempFiles.Path("virtual_job.pdf");
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 72;
  C.MarginLeft = C.MarginTop = 127;  // 36 pixels
  C.OutputFile = Pdf;
  auto V = Install("V", C);
  TPrinter P;
  P.SetTitle("Three pages");
  P.BeginDoc();
  EXPECT_TRUE(P.Printing());
  EXPECT_EQ(P.PageNumber(), 1);
  EXPECT_THROW(P.BeginDoc(), EPrinter);
  EXPECT_THROW(P.SetPrinterIndex(0), EPrinter);
  ASSERT_NE(P.DeviceContext(), nullptr);
  EXPECT_EQ(P.DeviceContext()->PixelsPerInchX(), 72);  // the job's own device context, at its resolution
  P.Canvas()->Brush().SetColor(clBlack);
  P.Canvas()->FillRect(Rect(0, 0, 10, 10));
  P.NewPage();
  P.Canvas()->FillRect(Rect(0, 0, P.PageWidth(), P.PageHeight()));
  TDeviceMode M = P.DeviceMode();
  M.Orientation = DMORIENT_LANDSCAPE;
  P.SetDeviceMode(M);  // from the next page on
  P.NewPage();
  EXPECT_EQ(P.PageNumber(), 3);
  P.EndDoc();
  EXPECT_FALSE(P.Printing());
  EXPECT_EQ(P.PageNumber(), 0);

  ASSERT_EQ(V->Jobs().size(), 1u);
  const auto& J = V->Jobs()[0];
  EXPECT_EQ(J.Title, "Three pages");
  EXPECT_TRUE(J.Ended);
  ASSERT_EQ(J.Pages.size(), 3u);
  const QImage& P1 = J.Pages[0];
  EXPECT_EQ(P1.size(), QSize(595, 842));
  EXPECT_EQ(P1.pixel(36, 36), qRgb(0, 0, 0));
  EXPECT_EQ(P1.pixel(35, 36), qRgb(255, 255, 255));
  EXPECT_EQ(P1.pixel(46, 46), qRgb(255, 255, 255));
  // Filling the printable area leaves the unprintable margin white.
  const QImage& P2 = J.Pages[1];
  EXPECT_EQ(P2.pixel(P2.width() - 1, P2.height() - 1), qRgb(0, 0, 0));
  EXPECT_EQ(P2.pixel(35, 100), qRgb(255, 255, 255));
  EXPECT_EQ(J.Pages[2].size(), QSize(842, 595));
  EXPECT_EQ(J.PageModes[2].Orientation, DMORIENT_LANDSCAPE);

  TPdfInfo Info = ReadPdfInfo(Pdf);
  EXPECT_EQ(Info.Pages, 3);
  EXPECT_EQ(Info.Title, "Three pages");
  ASSERT_EQ(Info.PageSizes.size(), 3u);
  EXPECT_NEAR(Info.PageSizes[0].first, 595, 1);
  EXPECT_NEAR(Info.PageSizes[2].first, 842, 1);
}

TEST_F(PrintersTest, AbortThrowsTheJobAway) {
  std::string Pdf = TempFiles.Path("aborted_job.pdf");
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 50;
  C.OutputFile = Pdf;
  auto V = Install("V", C);
  {
    TPrinter P;
    P.BeginDoc();
    P.NewPage();
    P.Abort();
    EXPECT_TRUE(P.Aborted());
    EXPECT_FALSE(P.Printing());
    EXPECT_THROW(P.EndDoc(), EPrinter);
    P.BeginDoc();  // a printer that is freed during a job aborts it
  }
  ASSERT_EQ(V->Jobs().size(), 2u);
  EXPECT_TRUE(V->Jobs()[0].Aborted);
  EXPECT_TRUE(V->Jobs()[1].Aborted);
  EXPECT_FALSE(V->Jobs()[0].Ended);
  EXPECT_EQ(std::fopen(Pdf.c_str(), "rb"), nullptr);
}

TEST_F(PrintersTest, TheCanvasDrawsEachPageInDevicePixelsAndKeepsItsFont) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = 200;
  C.PixelsPerInchY = 100;
  C.MarginLeft = C.MarginTop = 254;  // 200 and 100 pixels
  auto V = Install("V", C);
  TPrinter P;
  TCanvas* Canvas = P.Canvas();
  EXPECT_FALSE(Canvas->HandleAllocated());
  P.BeginDoc();
  ASSERT_EQ(P.Canvas(), Canvas);
  ASSERT_TRUE(Canvas->HandleAllocated());
  EXPECT_EQ(Canvas->Handle()->PixelsPerInchX(), 200);
  EXPECT_EQ(Canvas->Handle()->DeviceSize().cx, P.PageWidth());
  Canvas->Font().SetSize(12);
  Canvas->Brush().SetColor(clRed);
  Canvas->FillRect(Rect(0, 0, 20, 10));
  // Drawing past the printable area is cut off there.
  Canvas->FillRect(Rect(-50, -50, 0, 0));
  P.NewPage();
  EXPECT_EQ(Canvas->Font().Size(), 12);
  EXPECT_EQ(Canvas->Font().Height(), -17);  // 12 points at 100 pixels per inch, vertically
  Canvas->Brush().SetColor(clBlack);
  Canvas->FillRect(Rect(P.PageWidth() - 1, P.PageHeight() - 1, P.PageWidth(), P.PageHeight()));
  P.EndDoc();
  EXPECT_FALSE(Canvas->HandleAllocated());

  const auto& Pages = V->Jobs().at(0).Pages;
  ASSERT_EQ(Pages.size(), 2u);
  EXPECT_EQ(Pages[0].pixel(200, 100), qRgb(255, 0, 0));
  EXPECT_EQ(Pages[0].pixel(219, 109), qRgb(255, 0, 0));
  EXPECT_EQ(Pages[0].pixel(220, 100), qRgb(255, 255, 255));
  EXPECT_EQ(Pages[0].pixel(199, 99), qRgb(255, 255, 255));
  EXPECT_EQ(Pages[1].pixel(200 + P.PageWidth() - 1, 100 + P.PageHeight() - 1), qRgb(0, 0, 0));
}

// The capability lists as drivers answer them (one list per query), a mode measured without
// becoming the printer's, and the form list.
TEST_F(PrintersTest, CapabilityListsMeasuresOfAModeAndForms) {
  TVirtualPrinterConfig C;
  C.Papers = {{9, "A4", 2100, 2970}, {1, "Letter", 2159, 2794}};
  C.Bins = {{DMBIN_UPPER, "Superior"}};
  auto V = Install("Listas", C);
  TPrinter P;
  TDriverCapabilities L = P.Capabilities();
  EXPECT_EQ((std::vector<std::string>{"A4", "Letter"}), L.PaperNames);
  EXPECT_EQ((std::vector<int>{9, 1}), L.PaperCodes);
  ASSERT_EQ(2u, L.PaperSizes.size());
  EXPECT_EQ(2794, L.PaperSizes[1].Height);
  EXPECT_EQ(std::vector<std::string>{"Superior"}, L.BinNames);
  EXPECT_EQ(std::vector<int>{DMBIN_UPPER}, L.BinCodes);
  V->Config().Capabilities = TDriverCapabilities{{"A4", "Letter", "Extra"}, {9}, {}, {}, {1, 2}};
  EXPECT_EQ(3u, P.Capabilities().PaperNames.size());  // as the driver says, lists unmatched

  TDeviceMode Landscape = P.DeviceMode();
  Landscape.Orientation = DMORIENT_LANDSCAPE;
  EXPECT_GT(P.DeviceCaps(Landscape).PhysicalWidth, P.DeviceCaps(Landscape).PhysicalHeight);
  EXPECT_LT(P.DeviceCaps().PhysicalWidth, P.DeviceCaps().PhysicalHeight);  // the printer's own mode stays

  EXPECT_TRUE(P.SetForm({"Etiqueta", 100000, 50000, 0, 0, 100000, 50000}));
  EXPECT_TRUE(P.SetForm({"Etiqueta", 100000, 60000, 0, 0, 100000, 60000}));
  ASSERT_EQ(1u, P.Forms().size());
  EXPECT_EQ(60000, P.Forms()[0].Height);
}
