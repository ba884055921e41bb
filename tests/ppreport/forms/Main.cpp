// The pp windows (dialogs and the viewer) start as a program with windows does: the widgets
// (offscreen unless QT_QPA_PLATFORM says xcb), then the forms library alone, which starts every
// pp library below it.
#include "platform/forms/FormsApplication.h"
#include "ppreport/output/forms/ppFormsInit.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeForms(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPForms();
      },
      [] {
        FinalizePPForms();
        FinalizeForms();
      });
}
