// The pp output library as a program without windows starts it: the platform first, then the pp
// core under it (the output library registers nothing of its own yet).
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
