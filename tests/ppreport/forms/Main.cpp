// The pp windows (dialogs and the viewer) start as a program with windows does: the widgets
// (offscreen unless QT_QPA_PLATFORM says xcb), the pp core, the output library, then its forms.
#include "platform/forms/FormsApplication.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/output/forms/ppFormsInit.h"
#include "ppreport/output/ppOutput.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeForms(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPReport();
        InitializePPReportOutput();
        InitializePPForms();
      },
      [] {
        FinalizePPForms();
        FinalizePPReportOutput();
        FinalizePPReport();
        FinalizeForms();
      });
}
