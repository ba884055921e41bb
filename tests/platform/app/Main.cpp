#include "platform/app/Application.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv, [](int Argc, char** Argv) { InitializeApplication(Argc, Argv, TDisplayMode::Offscreen); },
      [] { FinalizeApplication(); });
}
