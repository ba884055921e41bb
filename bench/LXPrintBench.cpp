// Printing a stored 100-page report to the virtual printer at 300 pixels per
// inch (the target is under 2 s), and recording those pages.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double, std::milli>(B - A).count(); }

// A page of a listing: 50 rows of text with a rule under each, and a frame.
void DrawPage(TLXPrinter& P, int Page) {
  TCanvas& C = *P.Canvas();
  C.Font().SetName("Arial");
  C.Font().SetSize(9);
  C.Pen().SetColor(clBlack);
  C.Rectangle(P.XPos(100), P.YPos(100), P.XPos(2000), P.YPos(2870));
  for (int Row = 0; Row < 50; ++Row) {
    int Y = 150 + Row * 52;
    C.TextOut(P.XPos(120), P.YPos(Y), "Cliente " + std::to_string(Page * 50 + Row));
    C.TextOut(P.XPos(900), P.YPos(Y), "Rua das Flores, " + std::to_string(Row * 7));
    C.TextOut(P.XPos(1700), P.YPos(Y), std::to_string(Row * 123) + ",45");
    C.MoveTo(P.XPos(120), P.YPos(Y + 45));
    C.LineTo(P.XPos(1980), P.YPos(Y + 45));
  }
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);  // no window is shown
  InitializeLXReport();
  SetSystemPrintersEnabled(false);
  TVirtualPrinterConfig Config;
  Config.PixelsPerInchX = Config.PixelsPerInchY = 300;
  Config.MarginLeft = Config.MarginTop = Config.MarginRight = Config.MarginBottom = 42;
  Config.KeepPageImages = false;
  auto Virtual = std::make_shared<TVirtualPrinter>("Bench", Config);
  InstallPrinter(Virtual);
  {
    TLXPrinter P;
    P.SetPaperSize(TLXPaperSize::A4);
    auto A = Clock::now();
    P.BeginDoc();
    for (int Page = 1; Page <= 100; ++Page) {
      P.NewPage();
      DrawPage(P, Page);
    }
    P.EndDoc();
    auto B = Clock::now();
    std::printf("record 100 pages: %.1f ms\n", Ms(A, B));

    A = Clock::now();
    bool Printed = P.Print();
    B = Clock::now();
    std::printf("print 100 stored pages at 300 dpi to the virtual printer: %.1f ms (%s, %d pages; target < 2000 ms)\n",
                Ms(A, B), Printed ? "printed" : "NOT printed", Virtual->Jobs().back().PageCount);
  }
  UninstallAllPrinters();
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
