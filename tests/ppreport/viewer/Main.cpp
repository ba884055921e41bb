// The pp viewer's tests as a program with windows (offscreen unless QT_QPA_PLATFORM says xcb):
// the forms application, then the pp core and output library.
#include "platform/forms/FormsApplication.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/output/ppOutput.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeForms(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPReport();
        InitializePPReportOutput();
      },
      [] {
        FinalizePPReportOutput();
        FinalizePPReport();
        FinalizeForms();
      });
}
