#pragma once
// The main of every test executable: gtest takes its flags, then the
// program's start-up runs, then the tests, then the finalisation in reverse.
#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <functional>

inline int RunTestProgram(int argc, char** argv, const std::function<void(int, char**)>& Initialize,
                          const std::function<void()>& Finalize) {
  ::testing::InitGoogleTest(&argc, argv);
  try {
    Initialize(argc, argv);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "start-up failed: %s\n", E.what());
    return 1;
  }
  int Result = RUN_ALL_TESTS();
  Finalize();
  return Result;
}
