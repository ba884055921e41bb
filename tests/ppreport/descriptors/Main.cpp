// The pp descriptors library as a program without windows starts it: the platform first, then the
// library (which starts generation and the pp core under it).
#include "platform/app/Application.h"
#include "ppreport/descriptors/ppDescriptors.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializePPDescriptors();
      },
      [] {
        FinalizePPDescriptors();
        FinalizeApplication();
      });
}
