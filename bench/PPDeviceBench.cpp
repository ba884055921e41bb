// The pp devices at work: one text-dense page (240 texts, 60 lines, 4 frames) drawn on the screen
// device at 100 % (target under 5 ms), and 100 such pages printed on a virtual printer of 300 dots
// per inch (target under 2 s for the job).
//   bench_ppdevice [renders] [pages]   (defaults 50, 100)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/output/ppOutput.h"
#include "ppreport/output/ppPrnDev.h"
#include "ppreport/output/ppViewr.h"

namespace {
using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point Start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

// Four columns of 60 text lines, a rule under every line, and a frame around each column.
void FillPage(TppPage& Page, int No) {
  for (int Row = 0; Row < 60; ++Row) {
    for (int Col = 0; Col < 4; ++Col) {
      auto* T = new TppDrawText(nullptr);
      T->SetText("Cliente " + std::to_string(No * 1000 + Row * 4 + Col) + " Ltda");
      T->SetLeft(10000 + Col * 48000);
      T->SetTop(10000 + Row * 4500);
      T->SetWidth(46000);
      T->SetHeight(4200);
      T->SetTransparent(true);
      T->SetTextAlignment(Col == 3 ? taRightJustified : taLeftJustified);
      T->SetPage(&Page);
    }
    auto* L = new TppDrawLine(nullptr);
    L->SetLeft(10000);
    L->SetTop(10000 + Row * 4500 + 4300);
    L->SetWidth(190000);
    L->SetHeight(200);
    L->SetWeight(0.5f);
    L->SetPage(&Page);
  }
  for (int Col = 0; Col < 4; ++Col) {
    auto* S = new TppDrawShape(nullptr);
    S->SetLeft(9500 + Col * 48000);
    S->SetTop(9500);
    S->SetWidth(47000);
    S->SetHeight(271000);
    TBrush B;
    B.SetStyle(bsClear);
    S->SetBrush(&B);
    S->SetPage(&Page);
  }
}

// Hands the publisher pages 1 .. Count, as an engine would.
struct TSource {
  TppPublisher* Publisher = new TppPublisher(nullptr);
  TppPrinterSetup Setup;
  int Count;
  explicit TSource(int Count) : Count(Count) {
    Publisher->OnPageRequest = [this](TObject*, TppPageRequest*) {
      for (int No = 1; No <= this->Count; ++No) {
        TppPage* Page = new TppPage(nullptr);
        Page->SetPrinterSetup(&Setup);
        Page->SetAbsolutePageNo(No);
        Page->SetAbsolutePageCount(this->Count);
        Page->SetFirstPage(No == 1);
        Page->SetLastPage(No == this->Count);
        Page->SetFinal(true);
        FillPage(*Page, No);
        Publisher->ReceivePage(Page);
        Page->Free();
      }
    };
  }
  ~TSource() { Publisher->Free(); }
};
}  // namespace

int main(int argc, char** argv) {
  const int Renders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  const int Pages = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPReport();
  InitializePPReportOutput();
  {
    TSource One(1);
    TppScreenDevice Screen(nullptr);
    Screen.SetPublisher(One.Publisher);
    Screen.RequestPages();
    std::vector<double> Ms;
    for (int I = 0; I < Renders; ++I) {
      const auto Start = TClock::now();
      Screen.RenderPage();
      Ms.push_back(MsSince(Start));
    }
    std::sort(Ms.begin(), Ms.end());
    std::printf("screen device, one text-dense page at 100 %% (%d x %d pixels): median %.2f ms, max %.2f ms\n",
                Screen.Bitmap().Width(), Screen.Bitmap().Height(), Ms[Ms.size() / 2], Ms.back());
    Screen.SetPublisher(nullptr);
  }
  {
    SetSystemPrintersEnabled(false);
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = 300;
    C.KeepPageImages = false;
    InstallPrinter(std::make_shared<TVirtualPrinter>("Bench 300", C), true);
    GetPrinterList()->RefreshPrinters();
    TSource Job(Pages);
    Job.Setup.SetPrinterName("Bench 300");
    TppPrinterDevice Printer(nullptr);
    Printer.Printer()->SetPrinterName("Bench 300");
    Printer.SetPublisher(Job.Publisher);
    const auto Start = TClock::now();
    Printer.RequestPages();
    const double Total = MsSince(Start);
    std::printf("printer device, %d text-dense pages at 300 dpi: %.0f ms (%.1f ms a page)\n", Pages, Total,
                Total / Pages);
    Printer.SetPublisher(nullptr);
    UninstallAllPrinters();
  }
  FinalizePPReportOutput();
  FinalizePPReport();
  FinalizeApplication();
  return 0;
}
