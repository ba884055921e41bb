// The pp windows start as a program with windows does: the widgets, the pp core, then its forms.
#include "platform/forms/FormsApplication.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/output/forms/ppFormsInit.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeForms(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPReport();
        InitializePPForms();
      },
      [] {
        FinalizePPForms();
        FinalizePPReport();
        FinalizeForms();
      });
}
