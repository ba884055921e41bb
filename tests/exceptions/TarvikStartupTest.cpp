// Start-up of the reporter in a program with and without reporter data.
#include <gtest/gtest.h>

#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/report/TarvikModules.h"
#include "platform/rtl/SysUtils.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
// Without debug data nothing is hooked: no import slot, signal handler or terminate handler.
TEST(TarvikStartupTest, WithoutDebugDataTheReporterStaysPassiveAndSaysSo) {
  std::string Plain = MOR_EXCEPTIONS_CHILD_PLAIN;
  std::string TraceFile = ChangeFileExt(Plain, ".log");
  DeleteFile(TraceFile);
  TChildProcess Child = StartProgram(Plain, {"startup", "DEBUG"});
  EXPECT_EQ(ReadChildLine(Child), "installed=0 files=0 options=raises hooks=0");
  ASSERT_EQ(WaitChild(Child), 0);
  std::string Trace = ReadFileBytes(TraceFile);
  EXPECT_NE(Trace.find("TarvikLog stays passive: \"" + Plain + "\" carries no debug data."), std::string::npos) << Trace;
  DeleteFile(TraceFile);
  EXPECT_FALSE(IsTarvikLogFile(Plain));
}

TEST(TarvikStartupTest, WithDebugDataTheReporterIsInstalled) {
  TChildProcess Child = StartChild({"startup"});
  std::string Line = ReadChildLine(Child);
  EXPECT_EQ(Line.rfind("installed=1 files=1 options=own hooks=", 0), 0u) << Line;
  EXPECT_NE(Line, "installed=1 files=1 options=own hooks=0");
  ASSERT_EQ(WaitChild(Child), 0);
  // This program carries data too, and is its own main module: nothing to defer to.
  EXPECT_TRUE(ReporterInstalled());
  EXPECT_FALSE(DeferToMainModule());
  EXPECT_TRUE(IsTarvikLogModule(ReporterModuleHandle()));
  EXPECT_FALSE(IsTarvikLogModule_Old(ReporterModuleHandle()));
}
}  // namespace
