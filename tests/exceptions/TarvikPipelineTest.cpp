// The exception pipeline end to end, in the helper program exceptions_pipeline_child (each run
// ends as the scenario makes it end: exit codes, restarts and faults cannot touch the runner).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "exceptions/report/TarvikLogFile.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/ReporterTestSupport.h"

extern char** environ;

namespace {
struct TRun {
  int Exit = -1;
  std::string Output;
  std::vector<std::string> Reports;  // the log's, UTF-8
  std::map<std::string, std::string> Lines;  // procedure -> line its frame must name
};

TRun RunPipeline(const std::vector<std::string>& Args, const std::vector<std::string>& Env = {},
                 const char* Program = MOR_PIPELINE_CHILD) {
  TTempName Log(Args.at(0) + ".tvl");
  std::vector<std::string> All{Args.at(0), Log.Path()};
  All.insert(All.end(), Args.begin() + 1, Args.end());
  std::vector<std::string> Environment{"ASAN_OPTIONS=detect_leaks=0", "QT_QPA_PLATFORM=offscreen"};
  Environment.insert(Environment.end(), Env.begin(), Env.end());
  TChildProcess Child = StartProgram(Program, All, Environment);
  TRun R;
  R.Output = ReadChildOutputFor(Child, 120000);
  R.Exit = WaitChild(Child);
  for (const std::string& Report : SplitLogReports(ReadFileBytes(Log.Path())))
    R.Reports.push_back(Win1252ToUtf8(Report));
  std::istringstream In(R.Output);
  for (std::string L; std::getline(In, L);)
    if (L.rfind("line ", 0) == 0) {
      std::istringstream W(L.substr(5));
      std::string Name, N;
      W >> Name >> N;
      R.Lines[Name] = N;
    }
  return R;
}

// "Procedure:line" of each row of the report's call-stack table, in order.
std::vector<std::string> StackRows(const std::string& Report) {
  std::vector<std::string> Rows;
  std::istringstream In(Report);
  bool InTable = false;
  for (std::string L; std::getline(In, L);) {
    if (!L.empty() && L.back() == '\r') L.pop_back();
    if (L == "Call Stack Information:") InTable = true;
    else if (L == "Modules Information:") break;
    if (!InTable || L.empty() || L[0] != '|') continue;
    std::vector<std::string> Cells;
    std::istringstream C(L.substr(1));
    for (std::string Cell; std::getline(C, Cell, '|');) Cells.push_back(Trim(Cell));
    if (Cells.size() == 6) Rows.push_back(Cells[4] + ":" + Cells[5]);
  }
  return Rows;
}

// Each procedure names a row after the previous one's, at the line the child printed.
void ExpectFrames(const TRun& R, const std::string& Report, const std::vector<std::string>& Procedures) {
  std::vector<std::string> Rows = StackRows(Report);
  size_t At = 0;
  for (const std::string& P : Procedures) {
    bool Found = false;
    for (; At < Rows.size() && !Found; ++At) {
      std::string Name = Rows[At].substr(0, Rows[At].rfind(':'));
      if (Name != P && (Name.size() < P.size() + 2 || Name.compare(Name.size() - P.size() - 2, P.size() + 2, "::" + P) != 0))
        continue;
      Found = true;
      auto L = R.Lines.find(P);
      if (L != R.Lines.end()) EXPECT_EQ(Rows[At].substr(Rows[At].rfind(':') + 1), L->second) << P;
    }
    EXPECT_TRUE(Found) << P << " in\n" << Report;
  }
}

size_t Count(const std::string& Text, const std::string& What) {
  size_t N = 0;
  for (size_t At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1)) ++N;
  return N;
}
}  // namespace

TEST(TarvikPipeline, UncaughtExceptionIsLoggedShownOnTheConsoleAndEndsTheProgram) {
  TRun R = RunPipeline({"uncaught"});
  EXPECT_EQ(R.Exit, 1);
  ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
  const std::string& Report = R.Reports[0];
  EXPECT_NE(Report.find("Valor inválido <b>&."), std::string::npos) << Report;
  EXPECT_NE(Report.find("EConvertError"), std::string::npos);
  ExpectFrames(R, Report, {"ThrowDeep", "CallsThrowDeep", "main"});
  // The console gets the intro and the report as one text.
  std::string Intro = "An error has occurred during program execution.\r\nPlease read the following information for "
                      "further details.\r\n\r\n";
  size_t At = R.Output.find(Intro);
  ASSERT_NE(At, std::string::npos) << R.Output;
  EXPECT_EQ(R.Output.compare(At + Intro.size(), 15, "TarvikLog 4.5.4"), 0);
  EXPECT_EQ(Count(R.Output, "TarvikLog 4.5.4"), 1u);
}

TEST(TarvikPipeline, HandledExceptionsAreReportedOnlyWhenAskedFor) {
  TRun R = RunPipeline({"handled"});
  EXPECT_EQ(R.Exit, 0);
  EXPECT_TRUE(R.Reports.empty());
  EXPECT_NE(R.Output.find("caught\n"), std::string::npos);
  R = RunPipeline({"handled", "all"});
  EXPECT_EQ(R.Exit, 0);
  ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
  ExpectFrames(R, R.Reports[0], {"ThrowDeep", "CallsThrowDeep", "main"});
  // Reported at the raise; then the program's own handler runs.
  EXPECT_LT(R.Output.find("TarvikLog 4.5.4"), R.Output.find("caught\n"));
}

TEST(TarvikPipeline, DuplicatesAreProcessedButStoredOnce) {
  TRun R = RunPipeline({"duplicate"});
  EXPECT_EQ(R.Exit, 0);
  EXPECT_EQ(R.Reports.size(), 1u);
  EXPECT_NE(R.Output.find("reports=2"), std::string::npos) << R.Output;
}

// The terminate button shows from the fourth report of a run; the user presses it there.
TEST(TarvikPipeline, TerminateEndsTheProgramInsideItsReport) {
  TRun R = RunPipeline({"terminate"});
  EXPECT_EQ(R.Exit, 1);
  EXPECT_EQ(R.Reports.size(), 4u);
  for (int I = 1; I <= 4; ++I) EXPECT_NE(R.Output.find("dialog " + std::to_string(I) + "\n"), std::string::npos);
  EXPECT_NE(R.Output.find("caught 3\n"), std::string::npos);
  EXPECT_EQ(R.Output.find("caught 4\n"), std::string::npos) << R.Output;
}

TEST(TarvikPipeline, RestartStartsTheSameProgramWhereItStarted) {
  TTempName Marker("restart.marker");
  TTempName Run("restart.marker.run");
  TRun R = RunPipeline({"restart", Marker.Path()});
  EXPECT_EQ(R.Exit, 1);
  EXPECT_EQ(R.Reports.size(), 1u);
  // The new copy runs on its own; it writes its marker and ends.
  std::string Text;
  for (int I = 0; I < 200 && Text.find("inherited=") == std::string::npos; ++I) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Text = ReadFileBytes(Marker.Path());
  }
  char Dir[4096];
  ASSERT_TRUE(::getcwd(Dir, sizeof Dir));
  std::string LogPath = GetTempPath() + "mor-exc-" + std::to_string(ProcessId()) + "-restart.tvl";
  EXPECT_EQ(Text, std::string("dir=") + Dir + "\nargs=restart " + LogPath + " " + Marker.Path() +
                      "\npgroup=1\ninherited=0\n");
}

TEST(TarvikPipeline, CgiRequestGetsTheErrorPage) {
  TRun R = RunPipeline({"uncaught"}, {"REQUEST_METHOD=GET"});
  EXPECT_EQ(R.Exit, 1);
  EXPECT_EQ(R.Reports.size(), 1u);
  size_t Head = R.Output.find("Status: 500 Error\r\nContent-Type: text/html\r\nContent-Length: ");
  ASSERT_NE(Head, std::string::npos) << R.Output;
  size_t LengthAt = R.Output.find("Content-Length: ", Head) + 16;
  size_t Length = std::stoul(R.Output.substr(LengthAt));
  size_t Body = R.Output.find("\r\n\r\n", LengthAt) + 4;
  std::string Page = R.Output.substr(Body, Length);
  EXPECT_EQ(Page.rfind("<html><head><title>Error.</title></head>", 0), 0u) << Page;
  EXPECT_EQ(Page.substr(Page.size() - 7), "</html>");
  EXPECT_NE(Page.find(Utf8ToWin1252("Valor&nbsp;inválido&nbsp;&lt;b&gt;&amp;.")), std::string::npos) << Page;
}

TEST(TarvikPipeline, ThreadsThrowingAtOnceAreReportedOneAfterTheOther) {
  TRun R = RunPipeline({"threads"});
  EXPECT_EQ(R.Exit, 0);
  EXPECT_NE(R.Output.find("reports=2 overlaps=0"), std::string::npos) << R.Output;
  ASSERT_EQ(R.Reports.size(), 2u);
  EXPECT_NE(R.Reports[0].find("Thread "), std::string::npos);
  EXPECT_NE(R.Reports[0].substr(R.Reports[0].find("Thread ") + 7, 1), R.Reports[1].substr(R.Reports[1].find("Thread ") + 7, 1));
}

namespace {
// Runs the pipeline child with its standard input and error on a pseudo-terminal whose other side
// answers Answer to the first question; its output and the terminal's text come back.
struct TTerminalRun {
  std::string Output, Terminal;
  int Exit = -1;
};
TTerminalRun RunOnTerminal(const std::vector<std::string>& Args, const std::string& Answer) {
  TTerminalRun R;
  int Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (Master < 0 || ::grantpt(Master) != 0 || ::unlockpt(Master) != 0) return R;
  int Slave = ::open(::ptsname(Master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  int Out[2];
  if (Slave < 0 || ::pipe2(Out, O_CLOEXEC) != 0) return R;
  posix_spawn_file_actions_t A;
  posix_spawn_file_actions_init(&A);
  posix_spawn_file_actions_adddup2(&A, Slave, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&A, Out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&A, Slave, STDERR_FILENO);
  std::vector<std::string> All = {MOR_PIPELINE_CHILD};
  All.insert(All.end(), Args.begin(), Args.end());
  std::vector<char*> Argv;
  for (std::string& S : All) Argv.push_back(S.data());
  Argv.push_back(nullptr);
  std::vector<std::string> Env;
  for (char** E = environ; *E; ++E) Env.emplace_back(*E);
  Env.emplace_back("ASAN_OPTIONS=detect_leaks=0");
  std::vector<char*> Envp;
  for (std::string& E : Env) Envp.push_back(E.data());
  Envp.push_back(nullptr);
  pid_t Pid = -1;
  int Rc = posix_spawn(&Pid, All[0].c_str(), &A, nullptr, Argv.data(), Envp.data());
  posix_spawn_file_actions_destroy(&A);
  ::close(Slave);
  ::close(Out[1]);
  if (Rc == 0) {
    // The question ends with "] "; the answer follows it.
    auto Until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (R.Terminal.find("[y/N] ") == std::string::npos && std::chrono::steady_clock::now() < Until) {
      pollfd P{Master, POLLIN, 0};
      char B[256];
      ssize_t N = ::poll(&P, 1, 200) > 0 ? ::read(Master, B, sizeof B) : 0;
      if (N > 0) R.Terminal.append(B, static_cast<size_t>(N));
      if (N < 0) break;
    }
    std::string Line = Answer + "\n";
    if (::write(Master, Line.data(), Line.size()) < 0) R.Terminal += "[not answered]";
    TChildProcess Child;
    Child.Pid = Pid;
    Child.Out = Out[0];
    R.Output = ReadChildOutputFor(Child, 60000);
    R.Exit = WaitChild(Child);
  } else {
    ::close(Out[0]);
  }
  ::close(Master);
  return R;
}
}  // namespace

// A console program has no dialog with a send box: it asks on its terminal before mailing, and
// without a terminal it mails only when the options show no report at all (their explicit word).
TEST(TarvikPipeline, AConsoleProgramAsksBeforeMailing) {
  for (const char* Answer : {"s", "n"}) {
    SCOPED_TRACE(Answer);
    TTempName Log("console-mail.tvl");
    TTerminalRun R = RunOnTerminal({"console-mail", Log.Path()}, Answer);
    EXPECT_EQ(R.Exit, 1) << R.Output;
    EXPECT_NE(R.Terminal.find("Send this error report by mail to suporte@exemplo.com.br? [y/N] "), std::string::npos)
        << R.Terminal;
    EXPECT_EQ(R.Output.find("mailed\n") != std::string::npos, std::string(Answer) == "s") << R.Output;
  }
  // No terminal: not mailed, unless the options say to show nothing.
  TRun Piped = RunPipeline({"console-mail"});
  EXPECT_EQ(Piped.Exit, 1);
  EXPECT_EQ(Piped.Output.find("mailed"), std::string::npos) << Piped.Output;
  TRun Quiet = RunPipeline({"console-mail", "quiet"});
  EXPECT_NE(Quiet.Output.find("mailed\n"), std::string::npos) << Quiet.Output;
}

// The report is in the log while the dialog is open, so a program ended then (SIGTERM, the
// session's end) keeps it; what the user adds afterwards goes into the same entry.
TEST(TarvikPipeline, TheLogHoldsTheReportWhileTheDialogIsOpen) {
  for (bool Answer : {false, true}) {
    SCOPED_TRACE(Answer ? "answered" : "SIGTERM");
    TTempName Log("slow-dialog.tvl");
    TChildProcess Child = StartProgram(MOR_PIPELINE_CHILD, {"slow-dialog", Log.Path()}, {"ASAN_OPTIONS=detect_leaks=0"});
    std::string Line;
    while ((Line = ReadChildLine(Child)).rfind("line ", 0) == 0) {
    }
    ASSERT_EQ(Line, "dialog");
    std::vector<std::string> Reports = SplitLogReports(ReadFileBytes(Log.Path()));
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_NE(Reports[0].find("EConvertError"), std::string::npos);
    if (Answer)
      WriteChildLine(Child, "ok");
    else
      ::kill(Child.Pid, SIGTERM);
    ReadChildOutputFor(Child, 60000);
    int Status = WaitChildStatus(Child);
    Reports = SplitLogReports(ReadFileBytes(Log.Path()));
    ASSERT_EQ(Reports.size(), 1u);
    if (Answer) {
      EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 1);
      EXPECT_NE(Reports[0].find("\r\npasso 1\r\npasso 2"), std::string::npos) << Reports[0];
    } else {
      EXPECT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGTERM);
      EXPECT_EQ(Reports[0].find("passo 1"), std::string::npos);
    }
  }
}

// One fault in two runs, each with the program somewhere else: the second is a duplicate.
TEST(TarvikPipeline, TheSameFaultInAnotherRunIsADuplicate) {
  std::string Randomise = Trim(ReadFileBytes("/proc/sys/kernel/randomize_va_space"));
  if (Randomise == "0") GTEST_SKIP() << "address-space randomisation is off on this machine";
  TTempName Log("fault-once.tvl");
  std::vector<std::string> At;
  for (int Run = 0; Run < 2; ++Run) {
    TChildProcess Child = StartProgram(MOR_PIPELINE_CHILD, {"fault-once", Log.Path()}, {"ASAN_OPTIONS=detect_leaks=0"});
    std::string Output = ReadChildOutputFor(Child, 120000);
    EXPECT_EQ(WaitChild(Child), 1) << Output;
    At.push_back(Output.substr(0, Output.find('\n')));
  }
  EXPECT_NE(At[0], At[1]);  // the program was loaded elsewhere
  std::vector<std::string> Reports = SplitLogReports(ReadFileBytes(Log.Path()));
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_NE(Reports[0].find("SIGSEGV"), std::string::npos);
}

// The report, then the end that the language gives an exception leaving a thread.
TEST(TarvikPipeline, ExceptionLeavingAThreadEndsTheProgramAfterItsReport) {
  TRun R = RunPipeline({"thread-leaves"});
  EXPECT_EQ(R.Exit, 1) << R.Output;
  EXPECT_EQ(R.Output.find("joined"), std::string::npos) << R.Output;
  ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
  ExpectFrames(R, R.Reports[0], {"ThrowDeep", "CallsThrowDeep"});
}

// After a fault the program does not go on, whatever the user answered.
// A fault in a library's constructor happens while the loader holds its lock: the report needs
// nothing of that lock.
TEST(TarvikPipeline, FaultIsReportedAndEndsTheProgram) {
  struct TCase {
    const char* Mode;
    const char* Module;
    std::vector<std::string> Frames;
  } Cases[] = {{"fault", "exceptions_pipeline_child", {"Segv", "main"}},
               {"dlopen-fault", "libexceptions_ctor_fault.so", {"main"}}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Mode);
    TRun R = RunPipeline({C.Mode});
    EXPECT_EQ(R.Exit, 1) << R.Output;
    ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
    EXPECT_NE(R.Reports[0].find("SIGSEGV"), std::string::npos);
    EXPECT_NE(R.Reports[0].find(std::string(": ") + C.Module + "\r\n"), std::string::npos) << R.Reports[0];
    ExpectFrames(R, R.Reports[0], C.Frames);
    EXPECT_NE(R.Output.find("dialog 1\n"), std::string::npos);
    EXPECT_EQ(R.Output.find("went on"), std::string::npos);
  }
}

// What the viewer does with a file it cannot open: the report names the error and where.
TEST(TarvikPipeline, FileThatCannotBeOpenedIsReportedWithItsLines) {
  TRun R = RunPipeline({"open-missing", "/no/such.lxp"});
  EXPECT_EQ(R.Exit, 1);
  ASSERT_EQ(R.Reports.size(), 1u);
  EXPECT_NE(R.Reports[0].find("EFOpenError"), std::string::npos) << R.Reports[0];
  EXPECT_NE(R.Reports[0].find("/no/such.lxp"), std::string::npos);
  ExpectFrames(R, R.Reports[0], {"OpenReport", "main"});
}

TEST(TarvikPipeline, NotifyHandlerThatClearsContinueStopsTheReport) {
  TRun R = RunPipeline({"notify-clears"});
  EXPECT_EQ(R.Exit, 0);
  EXPECT_TRUE(R.Reports.empty());
  EXPECT_NE(R.Output.find("notified 1\n"), std::string::npos);
  EXPECT_NE(R.Output.find("reports=0"), std::string::npos);
  EXPECT_EQ(R.Output.find("TarvikLog 4.5.4"), std::string::npos);
}

// The application's own handler asks the reporter first and shows its message only when told to.
TEST(TarvikPipeline, ExceptionInAnEventHandlerGoesToTheReporterFirst) {
  TRun R = RunPipeline({"event"}, {}, MOR_GUI_CHILD);
  EXPECT_EQ(R.Exit, 0) << R.Output;
  ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
  ExpectFrames(R, R.Reports[0], {"ThrowInHandler"});
  EXPECT_NE(R.Output.find("dialog 1\n"), std::string::npos) << R.Output;
  EXPECT_EQ(R.Output.find("own message"), std::string::npos);
  R = RunPipeline({"event", "clears"}, {}, MOR_GUI_CHILD);
  EXPECT_EQ(R.Exit, 0) << R.Output;
  EXPECT_TRUE(R.Reports.empty());
  EXPECT_NE(R.Output.find("own message: Falha no evento\n"), std::string::npos) << R.Output;
}

// A main thread that sleeps past the time-out gives one report, with its stack at the sleep.
TEST(TarvikPipeline, FrozenMainThreadIsReportedOnce) {
  TRun R = RunPipeline({"freeze"}, {}, MOR_GUI_CHILD);
  EXPECT_EQ(R.Exit, 0) << R.Output;
  ASSERT_EQ(R.Reports.size(), 1u) << R.Output;
  EXPECT_NE(R.Reports[0].find("The application seems to be frozen."), std::string::npos) << R.Reports[0];
  EXPECT_NE(R.Reports[0].find("EFrozenApplication"), std::string::npos);
  ExpectFrames(R, R.Reports[0], {"SleepsInMain"});
  EXPECT_NE(R.Output.find("freezes=1\n"), std::string::npos) << R.Output;
}
