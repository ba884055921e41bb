// PDF export: stored pages played into a PDF, read back with poppler.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <filesystem>

#include "lxreport/LXError.h"
#include "lxreport/LXPDFFilter.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/LXPrntr.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/QtPainterDC.h"
#include "tests/TestTemp.h"
#include "tests/lxreport/LXPDFTestSupport.h"
#include "tests/platform/graphics/FontTestUtil.h"

using namespace lxtest;

namespace {
class LXPDFPagesTest : public ::testing::Test {
protected:
  TTestTempFiles TempFiles;

  // Page N says "Página N" and "Relatório de São João" in Arial, over a black bar.
  static void Run(TLXPrinter& P, int Pages) {
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      P.NewPage();
      TCanvas& C = *P.Canvas();
      C.Font().SetName("Arial");
      C.Font().SetSize(14);
      C.TextOut(P.XPos(200), P.YPos(200), "Página " + std::to_string(N));
      C.TextOut(P.XPos(200), P.YPos(300), "Relatório de São João");
      C.Brush().SetColor(clBlack);
      C.FillRect(Rect(P.XPos(200), P.YPos(500), P.XPos(1200), P.YPos(700)));
    }
    P.EndDoc();
  }
};
}  // namespace

TEST_F(LXPDFPagesTest, ALoadedReportFileBecomesAPdfOfItsPagesWithTextAndEmbeddedFonts) {
  REQUIRE_METRIC_FONTS();
  struct Case {
    uint8_t Orientation;
    double Width, Height;  // points
  } Cases[] = {{0, 595, 842}, {1, 842, 595}};  // A4 in whole points, as PDF readers name it
  for (const Case& K : Cases) {
    std::string Report = TempFiles.Path("pages.lxp"), Pdf = TempFiles.Path("pages.pdf");
    {
      TLXPrinter Maker;
      Maker.SetPaperSize(TLXPaperSize::A4);
      Maker.SetOrientation(K.Orientation);
      Run(Maker, 3);
      Maker.Save(Report);
    }
    TLXPrinter P;
    P.Load(Report);
    ExportToPDF(P, Pdf);  // a loaded file cannot run again: its pages are played

    TPdfInfo Info = ReadPdfInfo(Pdf);
    ASSERT_EQ(Info.Pages, 3);
    for (const auto& [W, H] : Info.PageSizes) {
      EXPECT_EQ(W, K.Width);
      EXPECT_EQ(H, K.Height);
    }
    EXPECT_EQ(QpdfProblems(Pdf), "");
    EXPECT_EQ(PdfText(Pdf, 1), "Página 1\nRelatório de São João");
    EXPECT_EQ(PdfText(Pdf, 3), "Página 3\nRelatório de São João");
    std::vector<TPdfFont> Fonts = PdfFonts(Pdf);
    ASSERT_FALSE(Fonts.empty());
    for (const TPdfFont& F : Fonts) EXPECT_TRUE(F.Embedded) << F.Name;
    // Only the glyphs used travel (a whole face is some 400 KB; Qt does not mark subsets by name).
    EXPECT_LT(std::filesystem::file_size(Pdf), 64u * 1024);
  }
}

TEST(LXPDFPaperTest, AStoredPageFrameStandsForTheWholeMillimetresThatGiveItsPixels) {
  // A4 (794 x 1123 screen pixels), letter's 11 inches (1056 pixels, no whole millimetre gives them).
  const int Cases[][2] = {{21008, 21000}, {29713, 29700}, {27940, 27940}, {0, 0}};
  for (const auto& C : Cases) EXPECT_EQ(StoredPagePaperHmm(C[0]), C[1]) << C[0];
}

TEST_F(LXPDFPagesTest, ThePdfPageLooksLikeThePagePlayedFromItsMetafile) {
  REQUIRE_METRIC_FONTS();
  std::string Pdf = TempFiles.Path("look.pdf");
  TLXPrinter P;
  P.SetPaperSize(TLXPaperSize::A4);
  Run(P, 1);
  ExportPagesToPDF(P, Pdf);

  constexpr int Ppi = 100;
  QImage Rendered = RenderPdfPage(Pdf, 1, Ppi, TempFiles);
  ASSERT_FALSE(Rendered.isNull());
  std::unique_ptr<TMetafile> Page = P.GetPage(1);
  QImage Played(Rendered.size(), QImage::Format_RGB32);
  Played.fill(Qt::white);
  {
    TQtPainterDC Dc(&Played, Ppi, Ppi);
    PlayEnhMetaFile(Dc, Page->Data().data(), Page->Data().size(), Rect(0, 0, Played.width(), Played.height()));
  }
  // Tenths of a millimetre on the page: inside the bar, beside it, in the
  // first letter's stem, and blank paper.
  struct Spot {
    int X, Y;
  } Spots[] = {{700, 600}, {1300, 600}, {150, 600}, {1000, 2000}, {700, 1500}};
  for (const Spot& S : Spots) {
    QPoint At(S.X * Ppi / 254, S.Y * Ppi / 254);
    EXPECT_EQ(qGray(Rendered.pixel(At)) < 128, qGray(Played.pixel(At)) < 128) << S.X << "," << S.Y;
  }
  // The ink of the first line's text, counted in its box, agrees within a tenth.
  QRect TextBox(200 * Ppi / 254, 200 * Ppi / 254, 600 * Ppi / 254, 60 * Ppi / 254);
  int RenderedInk = InkIn(Rendered, TextBox), PlayedInk = InkIn(Played, TextBox);
  EXPECT_GT(PlayedInk, 20);
  EXPECT_NEAR(RenderedInk, PlayedInk, PlayedInk / 10 + 5);
}

TEST_F(LXPDFPagesTest, WithoutFinishedPagesOrAWritableFileNothingIsLeftBehind) {
  TLXPrinter Empty;
  std::string Pdf = TempFiles.Path("none.pdf");
  EXPECT_THROW(ExportPagesToPDF(Empty, Pdf), ELXError);
  EXPECT_FALSE(std::filesystem::exists(Pdf));

  TLXPrinter P;
  Run(P, 1);
  EXPECT_THROW(ExportPagesToPDF(P, "/nonexistent-folder/x.pdf"), EFCreateError);
}

TEST_F(LXPDFPagesTest, AReportThatCanRunAgainExportsThroughThePdfFilter) {
  TLXPrinter P;
  Run(P, 1);
  std::string Pdf = TempFiles.Path("again.pdf"), Got;
  P.OnExportToFilter = [&](TLXExportFilter* Filter) {
    if (dynamic_cast<TLXPDFDocumentFilter*>(Filter)) Got = Filter->FileName();
  };
  ExportToPDF(P, Pdf);
  EXPECT_EQ(Got, Pdf);
}
