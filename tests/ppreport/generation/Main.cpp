// The pp generation library as a program without windows starts it: the platform first, then the
// library (the pp core under it).
#include "platform/app/Application.h"
#include "ppreport/core/PPReport.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPReport();
      },
      [] {
        FinalizePPReport();
        FinalizeApplication();
      });
}
