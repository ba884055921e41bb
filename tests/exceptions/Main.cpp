// The reporter as a program uses it: started before the tests, finalised after them.
#include <gtest/gtest.h>

#include "exceptions/ExceptionLog.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  InitializeExceptions();
  int Result = RUN_ALL_TESTS();
  FinalizeExceptions();
  return Result;
}
