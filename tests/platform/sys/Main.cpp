// The system module's start-up takes the program path and command line the tests read.
#include "platform/sys/SysInit.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(argc, argv, [](int, char**) { InitializeSys(); }, [] { FinalizeSys(); });
}
