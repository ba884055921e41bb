// The pp output library as a program without windows starts it: the platform first (with the
// system's printers, so that print jobs reach the CUPS queue), then the output library alone, which
// starts the pp libraries below it.
#include "platform/app/Application.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "ppreport/output/ppOutput.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializeCupsPrinters();
        InitializePPReportOutput();
      },
      [] {
        FinalizePPReportOutput();
        FinalizeCupsPrinters();
        FinalizeApplication();
      });
}
