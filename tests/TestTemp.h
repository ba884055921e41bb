#pragma once
// Temporary files of one test: names unique to the process (the tests of
// several builds may run at once on one machine), removed with their owner.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

class TTestTempFiles {
public:
  TTestTempFiles() = default;
  TTestTempFiles(const TTestTempFiles&) = delete;
  TTestTempFiles& operator=(const TTestTempFiles&) = delete;
  ~TTestTempFiles() {
    for (const auto& P : FPaths) {
      std::error_code Ec;
      std::filesystem::remove(P, Ec);
    }
  }
  // A new path in the temporary folder ending in Name; the file is not made.
  std::string Path(const std::string& Name) {
    static int Counter = 0;
    return Adopt(::testing::TempDir() + "mor" + std::to_string(getpid()) + "-" + std::to_string(++Counter) + "-" +
                 Name);
  }
  // Removes this file too (one that a tool named after a path of ours).
  const std::string& Adopt(const std::string& P) { return FPaths.emplace_back(P); }

private:
  std::vector<std::string> FPaths;
};
