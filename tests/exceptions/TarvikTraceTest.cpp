#include "exceptions/base/TarvikTrace.h"

#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
TEST(TarvikTraceTest, SwitchesComeFromTheLastArgumentOnly) {
  struct TCase {
    std::vector<std::string> Params;
    bool Active;
    bool EveryLine;  // seen as a file written without any save call
  } Cases[] = {
      {{}, false, false},
      {{"report.lxp"}, false, false},
      {{"debug", "report.lxp"}, false, false},
      {{"report.lxp", "debug"}, true, false},
      {{"xDeBuGx"}, true, false},
      {{"debugsave"}, true, true},
      {{"SAVE"}, false, false},  // saving every line of a trace that records nothing writes nothing
  };
  for (const TCase& C : Cases) {
    TTraceScope Trace(C.Params);
    EXPECT_EQ(IsTraceActive(), C.Active) << ::testing::PrintToString(C.Params);
    TraceEntry("Step");
    EXPECT_EQ(FileExists(Trace.File()), C.EveryLine) << ::testing::PrintToString(C.Params);
    EXPECT_FALSE(IsDesignHostMode());
  }
}

TEST(TarvikTraceTest, LinesCarryTimeIndentNameAndValues) {
  TTraceScope Trace({"debug"});
  TraceEntry("GoNotify", {}, 2);
  TraceEntry("ExceptNotify", {true, 42}, 2);
  TraceEntry("Inner");
  TraceEntry("ExceptNotify=", {false}, -2);
  TraceEntry("GoNotify=", {}, -2);
  TraceEntry("Overdrawn", {}, -10);  // the indent never goes below nothing
  std::vector<std::string> Expected = {
      "05/03/24 07:08:09  GoNotify",
      "05/03/24 07:08:09    ExceptNotify(True, 42)",
      "05/03/24 07:08:09      Inner",
      "05/03/24 07:08:09    ExceptNotify=(False)",
      "05/03/24 07:08:09  GoNotify=",
      "05/03/24 07:08:09  Overdrawn",
  };
  EXPECT_EQ(TraceLines(), Expected);
}

TEST(TarvikTraceTest, ValuesAreWrittenByTheirTags) {
  TTraceScope Trace({"debug"});
  TStringList List;
  EConvertError Error("x");
  const char* NoText = nullptr;
  const void* NoPointer = nullptr;
  const TObject* NoObject = nullptr;
  TraceEntry("V", {-7, 'c', 1.5, "zstr", NoText, std::string("text"), TTraceValue::ShortString("short"),
                   reinterpret_cast<const void*>(0x1F), NoPointer, static_cast<const TObject*>(&List), NoObject,
                   static_cast<const std::exception*>(&Error), TTraceValue::Currency(12345),
                   TTraceValue(static_cast<TTraceTag>(9), 1)});
  ASSERT_EQ(TraceLines().size(), 1u);
  EXPECT_EQ(TraceLines()[0],
            "05/03/24 07:08:09  V(-7, c, 1,5, 'zstr', nil, 'text', 'short', $000000000000001F, nil, TStringList, nil, "
            "EConvertError, 1,2345, Unknown)");
}

TEST(TarvikTraceTest, NothingIsRecordedWhileTheTraceIsOff) {
  TTraceScope Trace({});
  TraceEntry("Hidden");
  EXPECT_TRUE(TraceLines().empty());
  ActivateTrace();
  TraceEntry("Shown");
  EXPECT_EQ(TraceLines().size(), 1u);
}

// Checkpoints write only when "DEBUG" asked; a debugger's trace is written only for internal errors.
TEST(TarvikTraceTest, SavingAtCheckpointsAndByForce) {
  {
    TTraceScope Trace({"debug"});
    TraceEntry("Posição");
    SaveTraceFile();
    EXPECT_EQ(ReadFileBytes(Trace.File()), "05/03/24 07:08:09  Posi\xE7\xE3o\r\n");
  }
  {
    TTraceScope Trace({});
    ActivateTrace();
    TraceEntry("Step");
    SaveTraceFile();
    EXPECT_FALSE(FileExists(Trace.File()));
    ForceSaveTraceFile();
    EXPECT_EQ(ReadFileBytes(Trace.File()), "05/03/24 07:08:09  Step\r\n");
  }
  {
    TTraceScope Trace({"debugsave"});
    TraceEntry("One");
    EXPECT_EQ(ReadFileBytes(Trace.File()), "05/03/24 07:08:09  One\r\n");
    TraceEntry("Two");
    EXPECT_EQ(ReadFileBytes(Trace.File()), "05/03/24 07:08:09  One\r\n05/03/24 07:08:09  Two\r\n");
  }
}

// A program started with "DEBUG" in its last argument leaves its trace beside itself, named after it.
TEST(TarvikTraceTest, AProgramStartedWithDebugWritesItsTraceBesideItself) {
  std::string TraceFile = ChangeFileExt(ChildProgramPath(), ".log");
  for (const char* Switch : {"debug", "x-DEBUGSAVE"}) {
    DeleteFile(TraceFile);
    TChildProcess Child = StartChild({"trace", Switch});
    ASSERT_EQ(WaitChild(Child), 0);
    std::string Text = ReadFileBytes(TraceFile);
    EXPECT_NE(Text.find("  ChildTrace('" + TraceFile + "')\r\n"), std::string::npos) << Switch << ": " << Text;
  }
  DeleteFile(TraceFile);
  TChildProcess Quiet = StartChild({"trace", "report.lxp"});
  ASSERT_EQ(WaitChild(Quiet), 0);
  EXPECT_FALSE(FileExists(TraceFile));
}
}  // namespace
