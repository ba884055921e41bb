// The pp output library as a program without windows starts it: the platform first (with the
// system's printers, so that print jobs reach the CUPS queue), then the generation library with
// the pp core under it (reports printed through the devices need its engine), and the output
// library's device classes.
#include "platform/app/Application.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/output/ppOutput.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializeCupsPrinters();
        InitializePPGeneration();
        InitializePPReportOutput();
      },
      [] {
        FinalizePPReportOutput();
        FinalizePPGeneration();
        FinalizeCupsPrinters();
        FinalizeApplication();
      });
}
