// Libraries without start-up: the tests alone.
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  return RunTestProgram(argc, argv, [](int, char**) {}, [] {});
}
