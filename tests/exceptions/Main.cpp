// The reporter as a program uses it: started before the tests (its virtual files exist while they
// run), finalised after them.
#include "exceptions/ExceptionLog.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(argc, argv, [](int, char**) { InitializeExceptions(); }, [] { FinalizeExceptions(); });
}
