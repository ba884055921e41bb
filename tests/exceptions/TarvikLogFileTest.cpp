#include "exceptions/report/TarvikLogFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/Win1252.h"
#include "tests/TestTemp.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/ReportFixture.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
const std::string Sep = "\r\n\r\n\r\n\r\n";
const std::string Three = "\r\n\r\n\r\n";

std::string Stored(const std::string& Tag) { return "TarvikLog 4.5.4\r\n\r\n" + Tag; }

void WriteBytes(const std::string& Path, const std::string& Bytes) {
  std::ofstream F(Path, std::ios::binary | std::ios::trunc);
  F << Bytes;
}

// Options whose log is File.
struct TLogOptions : TTarvikModuleOptions {
  explicit TLogOptions(const std::string& File) : TTarvikModuleOptions("", 0) { SetOutputPath(File); }
};

// A file of N stored reports "R0".."R(N-1)", as an earlier run left it.
std::string LogOf(int N) {
  std::string R;
  for (int I = 0; I < N; ++I) R += Stored("R" + std::to_string(I)) + Sep;
  return R;
}

bool Has(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }
}  // namespace

TEST(TarvikLogFile, SplitsStoredReports) {
  struct TCase {
    const char* Name;
    std::string Data;
    std::vector<std::string> Reports;
  };
  const TCase Cases[] = {
      {"empty", "", {}},
      {"two, one from this run", Stored("A") + Sep + "\r\n" + Stored("B") + Sep,
       {Stored("A") + Three, Stored("B") + Three}},
      {"foreign text before", "outro texto\r\n" + Stored("A") + Sep, {Stored("A") + Three}},
      {"last without separator", Stored("A") + Sep + Stored("B") + "\r\n\r\n", {Stored("A") + Three}},
      {"mark inside a line", "x" + Stored("A") + "\r\n" + Stored("B") + Sep, {Stored("B") + Three}},
      {"mark after a bare line feed", "x\n" + Stored("A") + Sep, {}},
      {"mark inside a report", Stored("A\r\nlinha com TarvikLog 4.5.4 no meio") + Sep,
       {Stored("A\r\nlinha com TarvikLog 4.5.4 no meio") + Three}},
      {"report ending in a line break", Stored("A\r\n") + Sep + "\r\n" + Stored("B") + Sep,
       {Stored("A") + Three, Stored("B") + Three}},
  };
  for (const TCase& C : Cases) EXPECT_EQ(SplitLogReports(C.Data), C.Reports) << C.Name;
}

// At most the limit remain: the oldest go first, the new one is last.
TEST(TarvikLogFile, KeepsAtMostTheLimit) {
  TTestTempFiles Temp;
  struct TCase {
    int Stored, Limit;
    int Kept, FirstKept;
  };
  for (const TCase& C : {TCase{32, 30, 30, 3}, TCase{32, 32, 32, 1}, TCase{32, 1, 1, -1}, TCase{0, 30, 1, -1},
                         TCase{5, 0, 1, -1}}) {
    std::string Path = Temp.Path("limit.tvl");
    WriteBytes(Path, LogOf(C.Stored));
    {
      TLogFile Log(Path);
      ASSERT_EQ(static_cast<int>(Log.Reports().size()), C.Stored);
      Log.AddReport(Stored("novo"), C.Limit);
      Log.Save();
    }
    std::vector<std::string> Kept = SplitLogReports(ReadFileBytes(Path));
    ASSERT_EQ(static_cast<int>(Kept.size()), C.Kept) << C.Stored << "/" << C.Limit;
    EXPECT_EQ(Kept.back(), Stored("novo") + Three);
    if (C.FirstKept >= 0) EXPECT_EQ(Kept.front(), Stored("R" + std::to_string(C.FirstKept)) + Three);
  }
}

// Reports carried over keep their four CR LF pairs, the new one gets one more; a shorter list
// leaves nothing of the old bytes; text that is no report goes.
TEST(TarvikLogFile, RewritesTheWholeFile) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("bytes.tvl");
  WriteBytes(Path, "cabeçalho perdido\r\n" + LogOf(3) + Stored("sem separador") + "\r\n");
  {
    TLogFile Log(Path);
    Log.AddReport(Stored("relatório"), 3);
    EXPECT_EQ(Log.GetText(), LogOf(3).substr(LogOf(1).size()) + Stored("relatório") + Sep + "\r\n");
    Log.Save();
  }
  EXPECT_EQ(ReadFileBytes(Path), LogOf(3).substr(LogOf(1).size()) + Stored("relat\xF3rio") + Sep + "\r\n");
  {
    TLogFile Log(Path);
    Log.AddReport(Stored("só"), 1);
    Log.Save();
  }
  EXPECT_EQ(ReadFileBytes(Path), Stored("s\xF3") + Sep + "\r\n");
  // A report's own text never holds the separator: its rest would be lost at the next rewrite.
  {
    TLogFile Log(Path);
    Log.AddReport(Stored("antes\r\n\r\n\r\n\r\n\r\n\r\ndepois"), 5);
    Log.Save();
  }
  TLogFile Again(Path, TLockedFile::lmRead);
  ASSERT_EQ(Again.Reports().size(), 2u);
  EXPECT_EQ(Again.Reports()[1], Stored("antes\r\n\r\n\r\ndepois") + Three);
}

// A stored report is the same exception when items 2.2 to 2.5 match exactly; one in which an
// item is hidden never is, and the reports after it are still compared.
TEST(TarvikLogFile, FindsDuplicates) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("dup.tvl");
  auto ReportWith = [](uint32_t Flags, const std::string& Message) {
    TZoneScope Zone("BRT3");
    TTarvikModuleOptions O("", 0);
    O.SetLogShowOptions(Flags);
    TTarvikNotifyRecord R = FixedRecord();
    R.ExceptionMessage = Message;
    TTarvikReport Report;
    return BuildReportText(R, O, FixedSources(), Report);
  };
  const uint32_t No22 = ~(1u << 5);
  {
    TLogFile Log(Path);
    Log.AddReport(ReportWith(0xFFFFFFFF, "Primeira"), 30);
    Log.AddReport(ReportWith(No22, "Ação inválida"), 30);
    Log.Save();
  }
  TLogFile Log(Path, TLockedFile::lmRead);
  const std::vector<std::string> Items = {"2.2", "2.3", "2.4", "2.5"};
  auto Values = [](const std::string& Message) {
    return std::vector<std::string>{"000055D0C0DE1234", "mivo-viewer", "EConvertError", Message};
  };
  EXPECT_TRUE(Log.FindReport(Items, Values("Primeira.")));
  EXPECT_FALSE(Log.FindReport(Items, Values("primeira.")));
  EXPECT_FALSE(Log.FindReport(Items, Values("Primeira")));
  EXPECT_FALSE(Log.FindReport(Items, Values("Ação inválida.")));  // its 2.2 is hidden
  EXPECT_TRUE(Log.FindReport({"2.3", "2.5"}, {"mivo-viewer", "Ação inválida."}));
  EXPECT_FALSE(TLogFile(Temp.Path("none.tvl"), TLockedFile::lmRead).FindReport(Items, Values("Primeira.")));
}

TEST(TarvikLogFile, SkipsDuplicateReportsWhenAsked) {
  TTestTempFiles Temp;
  for (bool Skip : {true, false}) {
    std::string Path = Temp.Path("skip.tvl");
    TLogOptions O(Path);
    O.SetLogFlags(Skip ? lfSkipDuplicateReports : 0);
    for (int Run = 0; Run < 2; ++Run) {
      TTarvikReport Report;
      TTarvikNotifyRecord R = FixedRecord();
      {
        TZoneScope Zone("BRT3");
        BuildReportText(R, O, FixedSources(), Report);
      }
      EXPECT_EQ(CheckDuplicateReport(R, O, Report), Skip && Run == 1);
      EXPECT_TRUE(SaveReportToLog(O, Report));
    }
    EXPECT_EQ(SplitLogReports(ReadFileBytes(Path)).size(), Skip ? 1u : 2u);
  }
}

// The same fault in another run has another address (the module was loaded elsewhere): a
// duplicate is the same type and message at the same offset inside the same module.
TEST(TarvikLogFile, DuplicatesAreTheSameModuleAndOffset) {
  TTestTempFiles Temp;
  struct TCase {
    const char* Name;
    uintptr_t Moved;   // how far the program's module moved
    uintptr_t Offset;  // the exception's offset from where it was
    const char* Message;
    bool Duplicate;
  };
  const TCase Cases[] = {
      {"same run", 0, 0, nullptr, true},
      {"module moved", 0x1234000, 0, nullptr, true},
      {"module moved, other place", 0x1234000, 0x10, nullptr, false},
      {"module moved, other message", 0x1234000, 0, "Outra mensagem", false},
  };
  auto Build = [](uintptr_t Moved, uintptr_t Offset, const char* Message, TTarvikNotifyRecord& R,
                  TTarvikReport& Report, const TTarvikModuleOptions& O) {
    R = FixedRecord();
    if (Message) R.SetException(std::make_exception_ptr(EConvertError(Message)));
    R.ExceptionAddress += Moved + Offset;
    TReportSources S = FixedSources();
    S.Modules[0].Handle += Moved;
    TZoneScope Zone("BRT3");
    BuildReportText(R, O, S, Report);
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::string Path = Temp.Path(std::string("moved-") + C.Name + ".tvl");
    TLogOptions O(Path);
    O.SetLogFlags(lfSkipDuplicateReports);
    TTarvikNotifyRecord R;
    TTarvikReport First, Second;
    Build(0, 0, nullptr, R, First, O);
    ASSERT_FALSE(CheckDuplicateReport(R, O, First));
    ASSERT_TRUE(SaveReportToLog(O, First));
    Build(C.Moved, C.Offset, C.Message, R, Second, O);
    EXPECT_EQ(CheckDuplicateReport(R, O, Second), C.Duplicate);
  }

  // A stored report without its modules table gives no offset: its address must be the same.
  std::string Path = Temp.Path("no-table.tvl");
  TLogOptions O(Path);
  O.SetLogFlags(lfSkipDuplicateReports);
  TTarvikNotifyRecord R;
  TTarvikReport Report;
  Build(0, 0, nullptr, R, Report, O);
  std::string Bare = Utf8ToWin1252(Report.Text.substr(0, Report.Text.find("Modules Information:")));
  WriteBytes(Path, Bare + Sep + "\r\n");
  EXPECT_TRUE(CheckDuplicateReport(R, O, Report));
  Build(0x1234000, 0, nullptr, R, Report, O);
  EXPECT_FALSE(CheckDuplicateReport(R, O, Report));
}

// The file holds the report's Windows-1252 bytes and its separator, nothing else.
TEST(TarvikLogFile, StoresTheReportInWindows1252) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("1252.tvl");
  TLogOptions O(Path);
  TTarvikReport Report;
  TTarvikNotifyRecord R = FixedRecord();
  {
    TZoneScope Zone("BRT3");
    BuildReportText(R, O, FixedSources(), Report);
  }
  ASSERT_TRUE(SaveReportToLog(O, Report));
  EXPECT_EQ(ReadFileBytes(Path), Utf8ToWin1252(Report.Text) + Sep + "\r\n");
  EXPECT_TRUE(Has(ReadFileBytes(Path), "Visualizador de Relat\xF3rios\r\n"));
}

// The request block goes into the report once, also over a retry; the action handler is told
// before (2) and after (3); a failure is eeLogError "Log" and the error handler may retry.
TEST(TarvikLogFile, SaveWithRequestBlockRetryAndNotifications) {
  TTestTempFiles Temp;
  std::string Blocker = Temp.Path("blocker");
  std::string Path = Blocker + "/sub/log.tvl";
  WriteBytes(Blocker, "a file where the log's folder should be");
  TLogOptions O(Path);
  O.SetLogFlags(lfAskReproduceText);
  O.SetMailWholeLog(true);
  TTarvikReport Report;
  Report.Text = Stored("Relatório");
  Report.ReproduceText = "Abri o arquivo\nE cliquei em imprimir";
  std::vector<std::string> Calls;
  TLogSaveHooks Hooks;
  Hooks.Action = [&](int Code, bool& Continue) { Calls.push_back("action " + std::to_string(Code) + (Continue ? "+" : "-")); };
  Hooks.ActionError = [&](int Code, bool& Retry) {
    Calls.push_back("error " + std::to_string(Code) + " " + TarvikLogErrorCodeName(LastErrorCode()));
    Retry = Calls.size() < 3;
    std::filesystem::remove(Blocker);  // the second attempt can make the folder
  };
  EXPECT_TRUE(SaveReportToLog(O, Report, Hooks));
  EXPECT_EQ(Calls, (std::vector<std::string>{"action 2+", "error 3 eeLogError", "action 3+"}));
  std::string Expected = Stored("Relatório") + "\r\nRequest:\r\n" + std::string(40, '-') +
                         "\r\nAbri o arquivo\r\nE cliquei em imprimir";
  EXPECT_EQ(Report.Text, Expected);
  EXPECT_EQ(Report.MailText, Expected + Sep + "\r\n");  // the whole log
  EXPECT_EQ(ReadFileBytes(Path), Utf8ToWin1252(Expected) + Sep + "\r\n");

  // A handler that stops the write before it: nothing written, reported as not stored.
  Calls.clear();
  TTarvikReport Second;
  Second.Text = Stored("Segundo");
  Hooks.Action = [&](int Code, bool& Continue) {
    Calls.push_back("action " + std::to_string(Code) + (Continue ? "+" : "-"));
    Continue = false;
  };
  Hooks.ActionError = [&](int Code, bool&) { Calls.push_back("error " + std::to_string(Code)); };
  EXPECT_FALSE(SaveReportToLog(O, Second, Hooks));
  EXPECT_EQ(Calls, (std::vector<std::string>{"action 2+", "error 3", "action 3-"}));
  EXPECT_EQ(SplitLogReports(ReadFileBytes(Path)).size(), 1u);
  std::filesystem::remove_all(Blocker);
}

// Stored before the dialog, completed after it: the entry is replaced where it stands, reports that
// other writers added meanwhile stay, and an entry pushed out by the limit comes back.
TEST(TarvikLogFile, UpdateCompletesTheStoredReportInPlace) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("update.tvl");
  WriteBytes(Path, LogOf(1));
  TLogOptions O(Path);
  O.SetLogFlags(lfAskReproduceText);
  O.SetMaxReportsInLog(3);
  TTarvikReport Report;
  Report.Text = Stored("Agora");
  ASSERT_TRUE(SaveReportToLog(O, Report));
  // Nothing added yet: the file is left alone.
  EXPECT_FALSE(UpdateReportInLog(O, Report));
  {
    TLogFile Other(Path);  // another process's report, after ours
    Other.AddReport(Stored("Outro"), 3);
    Other.Save();
  }
  Report.ReproduceText = "Cliquei em imprimir";
  ASSERT_TRUE(UpdateReportInLog(O, Report));
  std::string Completed = Stored("Agora") + "\r\nRequest:\r\n" + std::string(40, '-') + "\r\nCliquei em imprimir";
  EXPECT_EQ(Report.Text, Completed);
  EXPECT_EQ(SplitLogReports(ReadFileBytes(Path)),
            (std::vector<std::string>{Stored("R0") + Three, Completed + Three, Stored("Outro") + Three}));

  // Pushed out by other writers before the update: added again.
  TTarvikReport Late;
  Late.Text = Stored("Tarde");
  ASSERT_TRUE(SaveReportToLog(O, Late));
  for (const char* Tag : {"X", "Y", "Z"}) {
    TLogFile Other(Path);
    Other.AddReport(Stored(Tag), 3);
    Other.Save();
  }
  Late.ReproduceText = "Passo";
  ASSERT_TRUE(UpdateReportInLog(O, Late));
  std::vector<std::string> After = SplitLogReports(ReadFileBytes(Path));
  ASSERT_EQ(After.size(), 3u);
  EXPECT_EQ(After.back(), Late.Text + Three);
}

// A log that another process keeps locked past the time-out is left alone; the trace says why.
TEST(TarvikLogFile, LockedLogIsLeftAlone) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("locked.tvl");
  WriteBytes(Path, LogOf(2));
  TTraceScope Trace({"DEBUG"});
  int Saved = LogLockTimeoutMs();
  SetLogLockTimeoutMs(100);
  {
    TLockedFile Holder(Path, TLockedFile::lmReadWrite, 0);
    ASSERT_TRUE(Holder.LockHeld());
    TLogOptions O(Path);
    TTarvikReport Report;
    Report.Text = Stored("novo");
    EXPECT_FALSE(SaveReportToLog(O, Report));
    EXPECT_EQ(LastErrorCode(), eeLogError);
    EXPECT_TRUE(Has(LastErrorMessage(), "[Log]"));
  }
  SetLogLockTimeoutMs(Saved);
  EXPECT_EQ(ReadFileBytes(Path), LogOf(2));
  std::string Lines;
  for (const std::string& L : TraceLines()) Lines += L + "\n";
  EXPECT_TRUE(Has(Lines, Format(TarvikText::LogNotLocked, {Path}))) << Lines;
}

// Processes that store reports in one log at the same time lose none.
TEST(TarvikLogFile, ProcessesAppendingAtOnceLoseNothing) {
  TTestTempFiles Temp;
  std::string Path = Temp.Path("shared.tvl");
  const int Processes = 4, Each = 60;
  std::vector<TChildProcess> Children;
  for (int P = 0; P < Processes; ++P)
    Children.push_back(StartChild({"log-append", Path, std::to_string(Each), "P" + std::to_string(P)}));
  for (TChildProcess& C : Children) WriteChildLine(C, "go");
  for (TChildProcess& C : Children) {
    EXPECT_EQ(ReadChildLine(C), std::to_string(Each));
    EXPECT_EQ(WaitChild(C), 0);
  }
  std::set<std::string> Seen;
  for (const std::string& R : SplitLogReports(ReadFileBytes(Path))) Seen.insert(R);
  EXPECT_EQ(Seen.size(), static_cast<size_t>(Processes * Each));
  for (int P = 0; P < Processes; ++P)
    for (int I = 0; I < Each; ++I)
      EXPECT_TRUE(Seen.count(Stored("P" + std::to_string(P) + " " + std::to_string(I)) + Three)) << P << " " << I;
}
