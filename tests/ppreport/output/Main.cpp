// The pp output library as a program without windows starts it: the platform first (with the
// system's printers, so that print jobs reach the CUPS queue), then the pp core and the output
// library's device classes.
#include "platform/app/Application.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/output/ppOutput.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializeCupsPrinters();
        InitializePPReport();
        InitializePPReportOutput();
      },
      [] {
        FinalizePPReportOutput();
        FinalizePPReport();
        FinalizeCupsPrinters();
        FinalizeApplication();
      });
}
