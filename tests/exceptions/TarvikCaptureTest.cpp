// The capture of exceptions: throw scenarios in the helper program exceptions_capture_child (a
// fatal one cannot take the test runner down), and the hooks as this process has them.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>

#include <map>
#include <sstream>

#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/capture/TarvikCapture.h"
#include "exceptions/capture/TarvikHooks.h"
#include "exceptions/report/TarvikLogFile.h"
#include "platform/sys/ImportSlots.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace {
struct TCapture {
  std::map<std::string, std::string> Fields;
  std::vector<std::string> Frames;  // "Procedure:line"
};

struct TRun {
  int Exit = -1;
  std::vector<TCapture> Captures;
  std::map<std::string, std::string> Lines;  // procedure -> the line its frame must name
  std::string Output;
};

TRun RunScenario(const std::string& Mode) {
  // A program ended by a fault or std::terminate leaves its exception object to the leak checker.
  TChildProcess Child = StartProgram(MOR_CAPTURE_CHILD, {Mode}, {"ASAN_OPTIONS=detect_leaks=0"});
  TRun R;
  R.Output = ReadChildOutputFor(Child, 60000);
  R.Exit = WaitChild(Child);
  std::istringstream In(R.Output);
  std::string L;
  while (std::getline(In, L)) {
    if (L.rfind("line ", 0) == 0) {
      std::istringstream W(L.substr(5));
      std::string Name, N;
      W >> Name >> N;
      R.Lines[Name] = N;
    }
    if (L.rfind("captured ", 0) != 0) continue;
    TCapture C;
    size_t FramesAt = L.find(" frames=");
    std::istringstream F(L.substr(FramesAt + 8));
    for (std::string Frame; F >> Frame;) C.Frames.push_back(Frame);
    std::string Head = L.substr(9, FramesAt - 9);
    // "key=value" pairs; a message may hold spaces, so each value runs to the next " key=".
    for (const char* Key : {"kind", "main", "class", "message", "signal", "fault", "regs", "walk"}) {
      size_t P = Head.find(std::string(Key) + "=");
      if (P == std::string::npos) continue;
      P += std::string(Key).size() + 1;
      size_t E = Head.size();
      for (const char* Next : {" main=", " class=", " message=", " signal=", " fault=", " regs=", " walk="}) {
        size_t Q = Head.find(Next, P);
        if (Q != std::string::npos && Q < E) E = Q;
      }
      C.Fields[Key] = Head.substr(P, E - P);
    }
    R.Captures.push_back(C);
  }
  return R;
}

// Each expected procedure names a frame after the previous one's, at the line the child printed.
void ExpectFrames(const TRun& R, const TCapture& C, const std::vector<std::string>& Procedures) {
  size_t At = 0;
  for (const std::string& P : Procedures) {
    bool Found = false;
    for (; At < C.Frames.size() && !Found; ++At) {
      std::string Name = C.Frames[At].substr(0, C.Frames[At].rfind(':'));
      std::string Line = C.Frames[At].substr(C.Frames[At].rfind(':') + 1);
      std::string Qualified = "::" + P;
      bool EndsWith = Name.size() > Qualified.size() &&
                      Name.compare(Name.size() - Qualified.size(), Qualified.size(), Qualified) == 0;
      if (Name != P && !EndsWith) continue;
      Found = true;
      auto L = R.Lines.find(P);
      if (L != R.Lines.end()) EXPECT_EQ(Line, L->second) << P;
    }
    EXPECT_TRUE(Found) << P << " in\n" << R.Output;
  }
}

struct TScenario {
  const char* Mode;
  int Exit;
  int Captures;  // 0 or 1
  const char* Kind;
  const char* Main;
  const char* Class;
  std::vector<std::string> Frames;
  const char* Regs;
  const char* Printed;  // a line the program still prints after the capture, or ""
};

TEST(TarvikCaptureTest, ThrowScenarios) {
  const TScenario Table[] = {
      // Caught two frames up: handled, not captured.
      {"caught", 0, 0, "", "", "", {}, "", "caught"},
      {"main", 1, 1, "raise", "1", "EConvertError", {"ThrowDeep", "CallsThrowDeep", "main"}, "1", ""},
      // Leaving a thread ends the program after the report, as std::terminate would.
      {"std-thread", 1, 1, "raise", "0", "EConvertError", {"ThrowDeep", "CallsThrowDeep"}, "1", ""},
      {"raw-thread", 1, 1, "raise", "0", "EConvertError", {"ThrowDeep", "CallsThrowDeep", "RawThread"}, "1", ""},
      {"vector-at", 1, 1, "raise", "1", "std::out_of_range", {"OutOfRange", "main"}, "1", ""},
      // Caught by catch (...) and rethrown: captured once, at the rethrow.
      {"rethrow", 1, 1, "raise", "1", "EConvertError", {"Rethrows", "main"}, "1", ""},
      // Stored in one thread, rethrown in another.
      {"rethrow-ptr", 1, 1, "raise", "1", "EConvertError", {"main"}, "1", "stored"},
      // catch (A) over catch (B) counts one handler, catch (B) alone none: in a thread, whose
      // wrapper is a handler of its own, the first is handled and the second is not.
      {"nested-thread", 1, 1, "raise", "0", "(anonymous namespace)::A", {"InnerOnly", "RawThread"}, "1", "caught A"},
      {"segv", 1, 1, "signal", "1", "SIGSEGV", {"Segv", "main"}, "2", ""},
      {"fpe", 1, 1, "signal", "1", "SIGFPE", {"Fpe", "main"}, "2", ""},
  };
  for (const TScenario& S : Table) {
    SCOPED_TRACE(S.Mode);
    TRun R = RunScenario(S.Mode);
    EXPECT_EQ(R.Exit, S.Exit) << R.Output;
    ASSERT_EQ(static_cast<int>(R.Captures.size()), S.Captures) << R.Output;
    if (*S.Printed) EXPECT_NE(R.Output.find(std::string(S.Printed) + "\n"), std::string::npos) << R.Output;
    EXPECT_EQ(R.Output.find("joined"), std::string::npos) << R.Output;
    if (S.Captures == 0) continue;
    const TCapture& C = R.Captures[0];
    EXPECT_EQ(C.Fields.at("kind"), S.Kind);
    EXPECT_EQ(C.Fields.at("main"), S.Main);
    EXPECT_EQ(C.Fields.at("class"), S.Class);
    EXPECT_EQ(C.Fields.at("regs"), S.Regs);
    ExpectFrames(R, C, S.Frames);
  }
}

TEST(TarvikCaptureTest, FaultsCarryTheirAddress) {
  TRun R = RunScenario("segv");
  ASSERT_EQ(R.Captures.size(), 1u);
  EXPECT_EQ(R.Captures[0].Fields.at("signal"), "11");
  EXPECT_EQ(R.Captures[0].Fields.at("fault"), "10");
  EXPECT_EQ(R.Captures[0].Fields.at("message"), "Fault at address 0000000000000010.");
  R = RunScenario("fpe");
  ASSERT_EQ(R.Captures.size(), 1u);
  EXPECT_EQ(R.Captures[0].Fields.at("signal"), "8");
  EXPECT_NE(R.Captures[0].Fields.at("fault"), "0");  // the dividing instruction
}

// Faults the handler must survive, and signals that no fault raised: each is reported once and
// the program ends with exit code 1.
TEST(TarvikCaptureTest, FaultScenarios) {
  struct TFault {
    const char* Mode;
    const char* Class;
    const char* Message;
    const char* Walk;  // "1": the walk of the frames met a damaged stack
    std::vector<std::string> Frames;
  };
  const TFault Table[] = {
      // A library's constructor faults inside dlopen, while the loader holds its lock.
      {"dlopen-fault", "SIGSEGV", "Fault at address 0000000000000018.", "0", {"main"}},
      // The stack pointer points at nothing: not walked.
      {"bad-sp", "SIGSEGV", "Fault at address 0000000000000008.", "1", {"BadStackPointer"}},
      // The frame pointer points at nothing: the walk faults and keeps what it walked.
      {"bad-fp", "SIGSEGV", "Fault at address 0000000000000010.", "1", {"BadFramePointer"}},
      // Signals the program sent itself carry no fault address.
      {"abort", "SIGABRT", "Signal raised by the program itself.", "0", {"main"}},
      {"raise", "SIGSEGV", "Signal raised by the program itself.", "0", {"main"}},
  };
  for (const TFault& F : Table) {
    SCOPED_TRACE(F.Mode);
    TRun R = RunScenario(F.Mode);
    EXPECT_EQ(R.Exit, 1) << R.Output;
    ASSERT_EQ(R.Captures.size(), 1u) << R.Output;
    const TCapture& C = R.Captures[0];
    EXPECT_EQ(C.Fields.at("kind"), "signal");
    EXPECT_EQ(C.Fields.at("class"), F.Class);
    EXPECT_EQ(C.Fields.at("message"), F.Message);
    EXPECT_EQ(C.Fields.at("walk"), F.Walk);
    if (std::string(F.Message).rfind("Signal", 0) == 0) EXPECT_EQ(C.Fields.at("fault"), "0");
    ExpectFrames(R, C, F.Frames);
  }
}

TEST(TarvikCaptureTest, ASignalSentByAnotherProcessNamesItsSender) {
  TChildProcess Child = StartProgram(MOR_CAPTURE_CHILD, {"wait-kill"}, {"ASAN_OPTIONS=detect_leaks=0"});
  ASSERT_EQ(ReadChildLine(Child), "waiting");
  ASSERT_EQ(::kill(Child.Pid, SIGBUS), 0);
  std::string Output = ReadChildOutputFor(Child, 60000);
  EXPECT_EQ(WaitChild(Child), 1);
  EXPECT_NE(Output.find("class=SIGBUS message=Signal sent by process " + std::to_string(::getpid()) +
                        ". signal=7 fault=0 "),
            std::string::npos)
      << Output;
}

// The report waits for the loader's lock, which the crashed thread holds inside dlopen: the
// crashed thread stops waiting, writes the short report from what was prepared (standard error
// and the log) and ends with the signal's default action.
TEST(TarvikCaptureTest, AStalledCrashReportEndsWithTheShortReport) {
  TTempName Log("stall.tvl");
  TChildProcess Child =
      StartProgram(MOR_CAPTURE_CHILD, {"dlopen-stall", Log.Path()}, {"ASAN_OPTIONS=detect_leaks=0"}, true);
  std::string Output = ReadChildOutputFor(Child, 60000);
  int Status = WaitChildStatus(Child);
  ASSERT_TRUE(WIFSIGNALED(Status)) << Output;
  EXPECT_EQ(WTERMSIG(Status), SIGSEGV);
  EXPECT_EQ(Output.find("captured "), std::string::npos) << Output;
  EXPECT_NE(Output.find(TarvikText::CrashReportStalled), std::string::npos) << Output;
  std::vector<std::string> Reports = SplitLogReports(ReadFileBytes(Log.Path()));
  ASSERT_EQ(Reports.size(), 1u) << ReadFileBytes(Log.Path());
  EXPECT_TRUE(LogReportHolds(Reports[0], {"2.3", "2.4", "2.5"},
                             {"libexceptions_ctor_fault.so", "SIGSEGV", "Fault at address 0000000000000018."}))
      << Reports[0];
  // The frame of the constructor and the program's own frames, by module.
  EXPECT_NE(Reports[0].find("|libexceptions_ctor_fault.so|\r\n"), std::string::npos);
  EXPECT_NE(Reports[0].find("|exceptions_capture_child|\r\n"), std::string::npos);
  EXPECT_NE(Output.find(Reports[0].substr(0, Reports[0].size() - 6)), std::string::npos) << Output;
}

TEST(TarvikCaptureTest, ShutdownRemovesEveryHook) {
  TChildProcess Child = StartProgram(MOR_CAPTURE_CHILD, {"hooks"});
  std::string Installed = ReadChildLine(Child), Removed = ReadChildLine(Child);
  EXPECT_EQ(WaitChild(Child), 0);
  // The raise and rethrow entries in the C++ library at least, pthread_create in it and in the
  // program, and every fault signal.
  EXPECT_NE(Installed.find("signals=5 terminate=1"), std::string::npos) << Installed;
  EXPECT_EQ(Installed.find("raise=0"), std::string::npos) << Installed;
  EXPECT_EQ(Installed.find("thread=0"), std::string::npos) << Installed;
  EXPECT_EQ(Removed, "raise=0 thread=0 signals=0 terminate=0");
}

TEST(TarvikCaptureTest, TheCaptureStartsBeforeStaticInitialisation) {
  TChildProcess Child = StartProgram(MOR_CAPTURE_CHILD, {"phases"});
  EXPECT_EQ(ReadChildLine(Child), "static=1 main=0");
  EXPECT_EQ(WaitChild(Child), 0);
  Child = StartProgram(MOR_CAPTURE_CHILD, {"caught"}, {"MOR_THROW_IN_STATIC=1", "ASAN_OPTIONS=detect_leaks=0"});
  std::string Output = ReadChildOutput(Child);
  EXPECT_EQ(WaitChild(Child), 1);
  EXPECT_NE(Output.find("captured kind=raise main=1 class=EConvertError"), std::string::npos) << Output;
  EXPECT_FALSE(InitialisationRunning());
  EXPECT_FALSE(FinalisationRunning());
}

TEST(TarvikCaptureTest, ImportSlotsHoldTheHookAndGetTheirValueBack) {
  ASSERT_TRUE(CaptureStarted());
  std::vector<TImportHookInfo> Hooks;
  for (const TImportHookInfo& H : InstalledImportHooks())
    if (H.Name == "_Unwind_RaiseException") Hooks.push_back(H);
  ASSERT_FALSE(Hooks.empty());
  for (const TImportHookInfo& H : Hooks) {
    EXPECT_EQ(*H.Slot, H.New);
    EXPECT_NE(H.Previous, H.New);
  }
  // The C++ library raises through its slot: it is among the hooked modules.
  Dl_info Info;
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&__cxa_throw), &Info), 0);
  bool LibraryHooked = false;
  for (const TImportHookInfo& H : Hooks) LibraryHooked |= H.Module == reinterpret_cast<TModuleHandle>(Info.dli_fbase);
  EXPECT_TRUE(LibraryHooked);
  StopCapture();
  for (const TImportHookInfo& H : Hooks) EXPECT_EQ(*H.Slot, H.Previous);
  EXPECT_TRUE(InstalledImportHooks().empty());
  TCaptureState S = CurrentCaptureState();
  EXPECT_EQ(S.RaiseSlots + S.ThreadSlots + S.Signals, 0);
  EXPECT_FALSE(S.Terminate);
  StartCapture();
  for (const TImportHookInfo& H : Hooks) EXPECT_EQ(*H.Slot, H.New);
}

// A sink that counts, for the exceptions of this process.
int Captured = 0;
void CountingSink(const TCapturedException&) { ++Captured; }

[[gnu::noinline]] void Throws() { throw EConvertError("x"); }
[[gnu::noinline]] void CallsThrows() { Throws(); }

TEST(TarvikCaptureTest, HandledExceptionsReachNoSink) {
  TCaptureSink Old = SetCaptureSink(CountingSink);
  Captured = 0;
  for (int I = 0; I < 3; ++I) {
    try {
      CallsThrows();
    } catch (const EConvertError&) {
    }
    try {
      std::vector<int>().at(1);
    } catch (const std::out_of_range&) {
    }
  }
  SetCaptureSink(Old);
  EXPECT_EQ(Captured, 0);
}
}  // namespace
