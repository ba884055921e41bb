#include "platform/sys/Process.h"

#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "platform/rtl/SysUtils.h"

namespace {
TEST(ProcessTest, ProgramAndCommandLine) {
  EXPECT_EQ(ExtractFileName(ProgramPath()), "sys_tests");
  EXPECT_EQ(ProgramPath()[0], '/');
  EXPECT_EQ(ParamStr(0), ProgramPath());
  ASSERT_FALSE(CommandLine().empty());
  EXPECT_EQ(ParamCount(), static_cast<int>(CommandLine().size()) - 1);
  EXPECT_EQ(ParamStr(ParamCount() + 1), "");
}

TEST(ProcessTest, EnvironmentVariables) {
  ::setenv("MOR_SYS_TEST", "", 1);
  ASSERT_TRUE(EnvironmentVariable("MOR_SYS_TEST").has_value());
  EXPECT_EQ(*EnvironmentVariable("MOR_SYS_TEST"), "");
  ::unsetenv("MOR_SYS_TEST");
  EXPECT_FALSE(EnvironmentVariable("MOR_SYS_TEST").has_value());
}

// A child that asks to be traced has its parent as tracer; the answer comes back in its exit code.
TEST(ProcessTest, TracerPidNamesTheTracingProcess) {
  pid_t Child = ::fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(2);
    ::_exit(TracerPid() == static_cast<int>(::getppid()) && DebuggerAttached() ? 0 : 1);
  }
  int Status = 0;
  ASSERT_EQ(::waitpid(Child, &Status, 0), Child);
  ASSERT_TRUE(WIFEXITED(Status));
  if (WEXITSTATUS(Status) == 2) GTEST_SKIP() << "ptrace is not allowed here";
  EXPECT_EQ(WEXITSTATUS(Status), 0);
}

TEST(ProcessTest, StackBaseLiesAboveTheCallersLocals) {
  auto Check = [] {
    int Local = 0;
    uintptr_t Base = CurrentThreadStackBase();
    uintptr_t At = reinterpret_cast<uintptr_t>(&Local);
    return Base > At && Base - At < 64u * 1024 * 1024;
  };
  EXPECT_TRUE(Check());
  bool InThread = false;
  std::thread T([&] { InThread = Check(); });
  T.join();
  EXPECT_TRUE(InThread);
}

TEST(ProcessTest, DebugOutputGoesToTheHook) {
  std::string Seen;
  TDebugOutputHook Old = SetDebugOutputHook([&](std::string_view T) { Seen += std::string(T) + "|"; });
  OutputDebugString("one");
  OutputDebugString("two");
  SetDebugOutputHook(Old);
  EXPECT_EQ(Seen, "one|two|");
}

}  // namespace
