#include "lxreport/forms/LXReportForms.h"
#include "platform/forms/FormsApplication.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeForms(Argc, Argv, TDisplayMode::Offscreen);
        InitializeLXReportForms();
      },
      [] {
        FinalizeLXReportForms();
        FinalizeForms();
      });
}
