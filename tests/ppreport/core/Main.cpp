// The pp core as a program without windows starts it: the platform first, then the library.
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
