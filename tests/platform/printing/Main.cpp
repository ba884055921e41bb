// A program without windows that prints: the platform's start-up and the
// system's (CUPS) printers.
#include "platform/app/Application.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(
      argc, argv,
      [](int Argc, char** Argv) {
        InitializeApplication(Argc, Argv, TDisplayMode::Offscreen);
        InitializeCupsPrinters();
      },
      [] {
        FinalizeCupsPrinters();
        FinalizeApplication();
      });
}
