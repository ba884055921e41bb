// The band report library as a program without windows uses it; the system's
// printers too, so that the printing tests reach the CUPS queue.
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializeCupsPrinters();
        Application->SetTitle("Relatórios");
        InitializeLXReport();
      },
      [] {
        FinalizeLXReport();
        FinalizeCupsPrinters();
        FinalizeApplication();
      });
}
