// The band report library as a command-line program uses it: started as such
// a program starts (offscreen when the session has no display; ctest runs it
// without DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM) and linked without Qt
// Widgets (CMake refuses otherwise). Runs pages, evaluates a built-in and
// draws a stored page.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "lxreport/LXEvaluator.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/printing/PrinterList.h"
#include "tests/TestMain.h"

TEST(HeadlessTest, RunsPagesEvaluatesAndDrawsWithoutADisplay) {
  EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
  EXPECT_FALSE(QCoreApplication::instance()->inherits("QApplication"));

  TLXEvaluator E;
  E.Compile("UPPER('total') + STR(2)");
  EXPECT_EQ(E.CurrentValue().Text(), "TOTAL2");

  TLXPrinter P;
  P.SetPaperSize(TLXPaperSize::A4);
  P.BeginDoc();
  P.NewPage();
  P.Canvas()->Brush().SetColor(clBlack);
  P.Canvas()->FillRect(Rect(P.XPos(0), P.YPos(0), P.XPos(1000), P.YPos(1000)));
  P.Canvas()->TextOut(P.XPos(100), P.YPos(1200), "Relatório");
  P.EndDoc();
  ASSERT_EQ(P.PageCount(), 1);

  auto Page = P.GetPage(1);
  QImage Img(210, 297, QImage::Format_RGB32);
  Img.fill(Qt::white);
  {
    TQtPainterDC Dc(&Img, 25, 25);
    TCanvas C(&Dc);
    C.StretchDraw(Rect(0, 0, 210, 297), *Page);
  }
  EXPECT_EQ(Img.pixel(20, 20) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(Img.pixel(200, 280) & 0xFFFFFF, 0xFFFFFFu);
}

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, DisplayAvailable() ? TDisplayMode::Screen : TDisplayMode::Offscreen);
        SetSystemPrintersEnabled(false);
        InitializeLXReport();
      },
      [] {
        FinalizeLXReport();
        FinalizeApplication();
      });
}
