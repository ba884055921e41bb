// The pp generation library as a program without windows starts it: the platform first, then the
// library (which starts the pp core under it).
#include "platform/app/Application.h"
#include "ppreport/generation/ppGeneration.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPGeneration();
      },
      [] {
        FinalizePPGeneration();
        FinalizeApplication();
      });
}
