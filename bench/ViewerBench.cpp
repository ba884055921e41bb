// The viewer from process start to page 1 painted, on a 10,000-page report file, with the
// information box answered by the dialog service; then page turns in its main window. The
// benchmark starts itself again ("open <file>") for each timed start and reads the child's
// "painted" line through a pipe.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QWidget>

#include "app/Main.h"
#include "app/Viewer.h"
#include "lxreport/forms/LXReportForms.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/TempFiles.h"
#include "platform/forms/FormsApplication.h"
#include "platform/printing/PrinterList.h"
#include "platform/rtl/SysUtils.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double, std::milli>(B - A).count(); }

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
    C.TextOut(P.XPos(1800), Y, IntToStr(1000 + L * 13) + ",50");
  }
}

// The child: the viewer's own start-up and main block on the file.
int OpenChild(int argc, char** argv, const std::string& File) {
  InitializeForms(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReportForms();
  auto Service = std::make_unique<TScriptedDialogService>();
  Service->Answer(mrOk);  // the information box
  TDialogServiceScope Scope(std::move(Service));
  int Status = RunViewer({File}, [](TMains* M) {
    M->LXPreview1->PreviewImage()->Widget()->grab();  // page 1 painted
    std::printf("painted\n");
    std::fflush(stdout);
    std::vector<double> Turns;
    for (int I = 0; I < 200; ++I) {
      auto A = Clock::now();
      M->SpeedButton4Click(M);
      M->LXPreview1->PreviewImage()->Widget()->grab();
      Turns.push_back(Ms(A, Clock::now()));
    }
    std::sort(Turns.begin(), Turns.end());
    std::printf("turn %.2f %.2f\n", Turns[Turns.size() / 2], Turns.back());
    std::fflush(stdout);
    M->SetModalResult(mrOk);
  });
  FinalizeLXReportForms();
  FinalizeForms();
  return Status;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "open") == 0) return OpenChild(argc, argv, argv[2]);
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  SetSystemPrintersEnabled(false);
  std::string Path = GetTempFileName(GetTempPath(), "bench") + ".lxp";
  {
    TLXPrinter Maker;
    Maker.BeginDoc();
    for (int N = 1; N <= 10000; ++N) {
      Maker.NewPage();
      DrawPage(Maker, N);
    }
    Maker.EndDoc();
    Maker.Save(Path);
  }
  FinalizeApplication();
  std::vector<double> Starts;
  std::string Turn;
  for (int Run = 0; Run < 7; ++Run) {
    // XDG folders of the benchmark, so that its runs register nothing for the user.
    std::string Cmd = "XDG_CONFIG_HOME=" + Path + ".cfg XDG_DATA_HOME=" + Path + ".data QT_QPA_PLATFORM=offscreen '" +
                      std::string(argv[0]) + "' open '" + Path + "'";
    auto A = Clock::now();
    FILE* Child = ::popen(Cmd.c_str(), "r");
    char Line[256];
    while (Child && std::fgets(Line, sizeof Line, Child)) {
      if (std::strncmp(Line, "painted", 7) == 0) Starts.push_back(Ms(A, Clock::now()));
      if (std::strncmp(Line, "turn", 4) == 0) Turn = Line + 5;
    }
    if (Child) ::pclose(Child);
  }
  std::system(("rm -rf '" + Path + "' '" + Path + ".cfg' '" + Path + ".data'").c_str());
  std::sort(Starts.begin(), Starts.end());
  if (Starts.empty()) return 1;
  std::printf("process start to page 1 painted, 10,000-page file: %.0f ms median, %.0f ms max (%zu runs)\n",
              Starts[Starts.size() / 2], Starts.back(), Starts.size());
  std::printf("page turn in the main window (fetch and paint at 100 %%), median and max ms: %s", Turn.c_str());
  return 0;
}
