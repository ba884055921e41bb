#pragma once
// A full disk for one test: the test runs again in a child process, in a private mount namespace
// (unshare -Urm, no privileges needed) where a small tmpfs is mounted on a fresh folder. Inside,
// TinyDiskFolder() names that folder; outside it is empty and the test starts the child:
//
//   TEST(X, Y) {
//     if (InsideTinyDisk()) { ...write into TinyDiskFolder(), EXPECT what a full disk gives...; return; }
//     RunOnTinyDisk(64);
//   }
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline const char* TinyDiskFolder() {
  const char* Dir = std::getenv("MOR_TINY_DISK");
  return Dir && *Dir ? Dir : nullptr;
}
inline bool InsideTinyDisk() { return TinyDiskFolder() != nullptr; }

// Runs the current test again on a tmpfs of SizeKiB and expects it to pass there; skips when the
// system allows no user namespaces.
inline void RunOnTinyDisk(int SizeKiB) {
  if (std::system("unshare -Urm true >/dev/null 2>&1") != 0) GTEST_SKIP() << "no user namespaces here";
  const ::testing::TestInfo* Test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string Filter = std::string(Test->test_suite_name()) + "." + Test->name();
  const std::string Dir = ::testing::TempDir() + "mor-tiny-" + std::to_string(getpid()) + "-" + Test->name();
  std::filesystem::create_directories(Dir);
  char Exe[4096];
  const ssize_t N = readlink("/proc/self/exe", Exe, sizeof Exe - 1);
  ASSERT_GT(N, 0);
  Exe[N] = 0;
  const std::string Command = "unshare -Urm sh -c 'mount -t tmpfs -o size=" + std::to_string(SizeKiB) +
                              "k mor-tiny \"$0\" && MOR_TINY_DISK=\"$0\" exec \"$1\" --gtest_filter=\"$2\"' '" + Dir +
                              "' '" + Exe + "' '" + Filter + "' 2>&1";
  std::string Output;
  int Status = -1;
  if (FILE* P = popen(Command.c_str(), "r")) {
    char Buf[4096];
    size_t Got;
    while ((Got = fread(Buf, 1, sizeof Buf, P)) > 0) Output.append(Buf, Got);
    Status = pclose(P);
  }
  std::error_code Ec;
  std::filesystem::remove_all(Dir, Ec);
  EXPECT_EQ(Status, 0) << Output;
  EXPECT_NE(Output.find("[  PASSED  ] 1 test"), std::string::npos) << Output;
}
