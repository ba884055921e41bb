// The background print tests as a program without windows starts the pp library: the platform
// (with the system's printers), then the output library, which starts the libraries below it and
// makes the process-wide background print manager.
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
