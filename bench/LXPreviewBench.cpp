// Turning pages in the preview: a 10,000-page report file, loaded as the viewer
// loads it, shown at 100 % in a preview on a shown form; each turn fetches the
// next page from the file and paints it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "lxreport/forms/LXPreview.h"
#include "lxreport/forms/LXReportForms.h"
#include "platform/classes/TempFiles.h"
#include "platform/forms/Forms.h"
#include "platform/forms/FormsApplication.h"
#include "platform/printing/PrinterList.h"
#include "platform/rtl/SysUtils.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double, std::milli>(B - A).count(); }

// A listing page: a title, a frame, 60 lines of four columns.
void DrawPage(TLXPrinter& P, int N) {
  TCanvas& C = *P.Canvas();
  C.Font().SetName("Arial");
  C.Font().SetSize(14);
  C.TextOut(P.XPos(100), P.YPos(100), "Relatorio de clientes - pagina " + IntToStr(N));
  C.Font().SetSize(9);
  C.Brush().SetStyle(bsClear);
  C.Rectangle(P.XPos(100), P.YPos(200), P.XPos(2000), P.YPos(2800));
  for (int L = 0; L < 60; ++L) {
    int Y = P.YPos(220 + L * 42);
    C.TextOut(P.XPos(120), Y, IntToStr(N * 60 + L));
    C.TextOut(P.XPos(400), Y, "Cliente numero " + IntToStr(L) + " da pagina " + IntToStr(N));
    C.TextOut(P.XPos(1300), Y, "Rua das Flores, " + IntToStr(L * 7));
    C.TextOut(P.XPos(1800), Y, IntToStr(1000 + L * 13) + ",50");
  }
}
}  // namespace

int main(int argc, char** argv) {
  InitializeForms(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReportForms();
  SetSystemPrintersEnabled(false);
  std::string Path = GetTempFileName(GetTempPath(), "bench");
  constexpr int Pages = 10000;
  {
    TLXPrinter Maker;
    auto A = Clock::now();
    Maker.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      Maker.NewPage();
      DrawPage(Maker, N);
    }
    Maker.EndDoc();
    Maker.Save(Path);
    std::printf("made %d pages in %.0f ms\n", Pages, Ms(A, Clock::now()));
  }
  {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 1000, 800);
    auto* Preview = new TLXPreview(&Form);
    Preview->SetParent(&Form);
    Preview->SetAlign(alClient);
    Form.Show();
    TLXPrinter Printer;
    Printer.Load(Path);
    Preview->SetLXPrinter(&Printer);
    Preview->SetZoom(100);
    Application->ProcessMessages();
    // Turns at the start, the middle and the end of the file.
    std::vector<double> Turns;
    for (int From : {1, Pages / 2, Pages - 101}) {
      Preview->SetPageNumber(From);
      for (int N = From + 1; N <= From + 100; ++N) {
        auto A = Clock::now();
        Preview->SetPageNumber(N);
        Turns.push_back(Ms(A, Clock::now()));
        if (Preview->PageNumber() != N || !Preview->PreviewImage()->ImageOK()) {
          std::printf("page %d was not shown\n", N);
          return 1;
        }
      }
    }
    std::sort(Turns.begin(), Turns.end());
    std::printf("next page of a %d-page file at 100 %%: median %.2f ms, 90th %.2f ms, max %.2f ms (%zu turns)\n",
                Pages, Turns[Turns.size() / 2], Turns[Turns.size() * 9 / 10], Turns.back(), Turns.size());
    Preview->SetLXPrinter(nullptr);
  }
  DeleteFile(Path);
  FinalizeLXReportForms();
  FinalizeForms();
  return 0;
}
