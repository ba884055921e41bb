#include "exceptions/capture/TarvikCapture.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#include <unwind.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "exceptions/base/TarvikClassInfo.h"
#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/capture/TarvikCrashFallback.h"
#include "exceptions/capture/TarvikHooks.h"
#include "exceptions/capture/TarvikThreads.h"
#include "platform/sys/Process.h"
#include "platform/sys/SafeMemory.h"
#include "platform/sys/SignalStack.h"

// Everything here is a plain value or pointer: the capture starts before the program's static
// initialisation has run (see ExceptionLog.cpp), so nothing may need a constructor to run first.
namespace {
using TRaise = _Unwind_Reason_Code (*)(_Unwind_Exception*);

std::atomic<bool> Started{false};
std::atomic<TCaptureSink> Sink{nullptr};
std::atomic<bool> SinkGetsHandled{false};
// The thread's last raise: filled by the handler search of every raise.
thread_local TCapturedException LastRaise;
void* RealRaise = nullptr;
void* RealRethrow = nullptr;
thread_local bool InsideCapture = false;

// ---- Objects already captured: a rethrow of one is not captured again ----

constexpr unsigned RememberedCount = 64;
std::atomic<void*> Remembered[RememberedCount];
std::atomic<unsigned> RememberNext{0};

bool WasCaptured(void* Object) {
  for (auto& R : Remembered)
    if (R.load(std::memory_order_relaxed) == Object) return true;
  return false;
}

void Remember(void* Object) { Remembered[RememberNext.fetch_add(1) % RememberedCount].store(Object); }

// A fresh throw makes a new object: an entry at its address is left from a freed one.
void Forget(void* Object) {
  for (auto& R : Remembered) {
    void* Expected = Object;
    R.compare_exchange_strong(Expected, nullptr);
  }
}

void DefaultSink(const TCapturedException& C) {
  TExceptionDescription D = DescribeCaptured(C);
  OutputDebugString(Format(TarvikText::CapturedHeader, {C.ThreadId, D.ClassName, D.Message}));
  if (!FrameResolver()) return;  // frames resolve once the module list exists
  for (const TTarvikStackFrame& F : BuildCallStack(C.ExceptionAddress, C.Stack)) {
    std::string Where = F.UnitName.empty() ? ExtractFileName(F.ModuleFileName) : F.UnitName;
    std::string What = F.ProcedureName;
    if (!F.ClassName.empty()) What = F.ClassName + "." + What;
    if (F.Line) What += " (" + std::to_string(F.Line) + ")";
    OutputDebugString(Format(TarvikText::CapturedFrame, {AddressText(F.Address), Where + " " + What}));
  }
}

void CallSink(const TCapturedException& C) {
  TCaptureSink S = Sink.load();
  try {
    (S ? S : DefaultSink)(C);
  } catch (...) {
    ReportInternalError("CaptureSink");
  }
}

void Fill(TCapturedException& C, TCaptureKind Kind, const TThrownObject& T) {
  C.Kind = Kind;
  C.ThreadId = CurrentThreadId();
  C.MainThread = IsMainThread();
  C.Object = T.Object;
  C.Type = T.Type;
  C.IsAbort = CapturedAs<EAbort>(C) != nullptr;
  C.ExceptionAddress = C.Stack.Count > 0 ? CallSite(C.Stack.Frames[0]) : 0;
}

// ---- Raise and rethrow ----

[[gnu::noinline]] void NotifyLanguageException(_Unwind_Exception* E, uintptr_t From) {
  if (!Started.load(std::memory_order_relaxed) || InsideCapture) return;
  InsideCapture = true;
  TThrownObject T = ThrownObjectOf(E);
  void* Identity = T.Object ? T.Object : E;
  if (IsFreshThrow(E))
    Forget(Identity);
  else if (WasCaptured(Identity)) {
    InsideCapture = false;
    return;
  }
  TCapturedException& C = LastRaise;
  ++C.Sequence;
  bool All = SinkGetsHandled.load(std::memory_order_relaxed);
  int Handlers = 0;
  C.Handled = IsExceptionHandled(E, From, All ? &Handlers : nullptr, &C.Stack, &C.Context);
  if (C.Handled && !All) {
    // Kept for a framework handler that reports it later (LastRaiseOf); nothing more is paid here.
    C.Kind = TCaptureKind::Raise;
    C.Object = T.Object;
    C.Type = T.Type;
    C.ExceptionAddress = C.Stack.Count > 0 ? CallSite(C.Stack.Frames[0]) : 0;
  } else {
    Fill(C, TCaptureKind::Raise, T);
    if (!C.Handled) Remember(Identity);
    CallSink(C);
  }
  InsideCapture = false;
}

_Unwind_Reason_Code HookedRaise(_Unwind_Exception* E) {
  NotifyLanguageException(E, reinterpret_cast<uintptr_t>(__builtin_return_address(0)));
  return reinterpret_cast<TRaise>(RealRaise)(E);
}

_Unwind_Reason_Code HookedRethrow(_Unwind_Exception* E) {
  NotifyLanguageException(E, reinterpret_cast<uintptr_t>(__builtin_return_address(0)));
  return reinterpret_cast<TRaise>(RealRethrow)(E);
}

// ---- std::terminate ----

std::terminate_handler PreviousTerminate = nullptr;
bool TerminateInstalled = false;

// The exception being handled (the one std::terminate was called for), from the C++ runtime's
// per-thread list of caught exceptions (Itanium C++ ABI: __cxa_eh_globals starts with it).
_Unwind_Exception* CurrentCaughtException() {
  auto* Globals = reinterpret_cast<void**>(abi::__cxa_get_globals());
  if (!Globals || !Globals[0]) return nullptr;
  return reinterpret_cast<_Unwind_Exception*>(static_cast<char*>(Globals[0]) + 80);
}

[[noreturn]] void HookedTerminate() {
  static std::atomic<bool> Once{false};
  if (Once.exchange(true)) ::_exit(1);
  _Unwind_Exception* E = CurrentCaughtException();
  TThrownObject T = E ? ThrownObjectOf(E) : TThrownObject{};
  void* Identity = T.Object ? T.Object : E;
  if (!Identity || !WasCaptured(Identity)) {
    // Not on the heap: std::terminate may come from an exhausted one.
    static TCapturedException C;
    CaptureStack(C.Stack);
    Fill(C, E ? TCaptureKind::Raise : TCaptureKind::Terminate, T);
    InsideCapture = true;
    CallSink(C);
  }
  // Reported; now the program ends as the runtime's halt would. exit() runs the finalisation,
  // which only the main thread may start safely.
  if (IsMainThread() && !FinalisationRunning()) std::exit(1);
  DeleteReporterVirtualFiles();
  ::_exit(1);
}

// ---- Fault signals ----

constexpr int FaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int FaultSignalCount = sizeof FaultSignals / sizeof FaultSignals[0];

// Made at start: the record a crash fills and the pipes to the worker that reports it.
struct TCrash {
  TCapturedException Record;
  int Request[2] = {-1, -1};
  int Reply[2] = {-1, -1};
  pthread_t Worker{};
  std::atomic<int> WorkerTid{0};
  std::atomic<int> CrashTid{0};
  // The thread walking its frames; a fault inside the walk jumps back to WalkJump.
  std::atomic<int> WalkingTid{0};
  sigjmp_buf WalkJump;
  int Pid = 0;
  struct sigaction Previous[FaultSignalCount];
  bool Installed[FaultSignalCount] = {};
};
TCrash* Crash = nullptr;
std::atomic<int> CrashFlag{0};

std::atomic<int64_t> CrashProgressMs{0};
std::atomic<int> CrashDialogs{0};
std::atomic<int> CrashStallMs{15000};

// CLOCK_MONOTONIC through the system call's wrapper: async-signal-safe.
int64_t MonotonicMs() {
  timespec T{};
  ::clock_gettime(CLOCK_MONOTONIC, &T);
  return static_cast<int64_t>(T.tv_sec) * 1000 + T.tv_nsec / 1000000;
}

bool CrashReportStalled() {
  return CrashDialogs.load() == 0 && MonotonicMs() - CrashProgressMs.load() > CrashStallMs.load();
}

void* CrashWorker(void*) {
  Crash->WorkerTid.store(CurrentThreadId());
  EnsureAlternateSignalStack();
  char B;
  for (;;) {
    ssize_t N = ::read(Crash->Request[0], &B, 1);
    if (N < 0 && errno == EINTR) continue;
    if (N != 1) break;
    InsideCapture = true;
    // A library being loaded when it crashed is not in the table yet.
    PrepareCrashModules();
    MarkCrashProgress();
    CallSink(Crash->Record);
    // Shared-memory names outlive the process: the program is about to end.
    DeleteReporterVirtualFiles();
    while (::write(Crash->Reply[1], &B, 1) < 0 && errno == EINTR) {
    }
  }
  ReleaseAlternateSignalStack();
  return nullptr;
}

// The signal's default action (a core file where the system keeps them): a fault the kernel
// raised happens again when the handler returns; any other signal is sent again.
void EndWithDefaultAction(int Signal, const siginfo_t* Info) {
  struct sigaction D {};
  D.sa_handler = SIG_DFL;
  sigemptyset(&D.sa_mask);
  ::sigaction(Signal, &D, nullptr);
  sigset_t Set;
  sigemptyset(&Set);
  sigaddset(&Set, Signal);
  ::pthread_sigmask(SIG_UNBLOCK, &Set, nullptr);
  if (Info->si_code > 0 && Signal != SIGABRT) return;
  ::syscall(SYS_tgkill, ::getpid(), CurrentThreadId(), Signal);
  ::_exit(128 + Signal);
}

// The frames of the interrupted thread. A stack pointer that points at nothing is not walked; a
// fault inside the walk (a damaged stack) ends it with the frames walked so far.
void WalkFaultingStack(TCapturedException& R) {
  TTarvikContext& X = R.Context;
  R.WalkFaulted = false;
  if (!IsReadableMemory(reinterpret_cast<const void*>(X.Rsp), sizeof(uintptr_t))) {
    R.Stack.Count = 0;
    R.Stack.Add(X.Rip, false);
    R.WalkFaulted = true;
    return;
  }
  sigset_t Faults, Old;
  sigemptyset(&Faults);
  for (int S : FaultSignals) sigaddset(&Faults, S);
  ::pthread_sigmask(SIG_UNBLOCK, &Faults, &Old);
  Crash->WalkingTid.store(CurrentThreadId());
  if (sigsetjmp(Crash->WalkJump, 1) == 0)
    CaptureSignalStack(R.Stack, X.Rip, X.Rsp);
  else
    R.WalkFaulted = true;
  Crash->WalkingTid.store(0);
  ::pthread_sigmask(SIG_SETMASK, &Old, nullptr);
  if (R.Stack.Count == 0) R.Stack.Add(X.Rip, false);
}

void FaultHandler(int Signal, siginfo_t* Info, void* Context) {
  int Tid = CurrentThreadId();
  if (Crash->WalkingTid.load() == Tid) siglongjmp(Crash->WalkJump, 1);
  if (CrashFlag.exchange(1) != 0) {
    // A fault while the first is being reported: the worker's own ends the program, one in the
    // handler of the first ends it with the default action, any other thread waits for the end.
    if (Tid == Crash->WorkerTid.load()) ::_exit(1);
    if (Tid == Crash->CrashTid.load()) {
      EndWithDefaultAction(Signal, Info);
      return;
    }
    for (;;) ::pause();
  }
  if (Crash->Pid != ::getpid()) {
    // A child forked without exec has no worker: the signal takes its default course.
    ::signal(Signal, SIG_DFL);
    return;
  }
  Crash->CrashTid.store(Tid);
  TCapturedException& R = Crash->Record;
  TTarvikContext& X = R.Context;
  ReadSignalContext(Context, X);
  WalkFaultingStack(R);
  R.Kind = TCaptureKind::Signal;
  R.ThreadId = Tid;
  R.MainThread = R.ThreadId == ::getpid();
  R.Signal = Signal;
  R.SignalCode = Info->si_code;
  // si_addr is the faulting address only for a fault the kernel raised; for a signal sent by
  // kill, raise or abort the same bytes hold the sender's process id.
  bool Kernel = Info->si_code > 0 && Signal != SIGABRT;
  R.FaultAddress = Kernel ? reinterpret_cast<uintptr_t>(Info->si_addr) : 0;
  R.SenderPid = Kernel ? 0 : Info->si_pid;
  R.ExceptionAddress = X.Rip;
  char B = 1;
  CrashProgressMs.store(MonotonicMs());
  if (::write(Crash->Request[1], &B, 1) == 1) {
    pollfd P{Crash->Reply[0], POLLIN, 0};
    for (;;) {
      int N = ::poll(&P, 1, 100);
      if (N > 0 || (N < 0 && errno != EINTR)) break;
      if (CrashReportStalled()) {
        WriteCrashFallback(R);
        EndWithDefaultAction(Signal, Info);
        return;
      }
    }
  }
  ::_exit(1);
}

bool StartCrashWorker() {
  Crash = new TCrash;
  Crash->Pid = ::getpid();
  if (::pipe2(Crash->Request, O_CLOEXEC) != 0 || ::pipe2(Crash->Reply, O_CLOEXEC) != 0) return false;
  return RealCreateThread(&Crash->Worker, nullptr, CrashWorker, nullptr) == 0;
}

void StopCrashWorker() {
  if (!Crash) return;
  if (Crash->Request[1] >= 0) ::close(Crash->Request[1]);
  if (Crash->Worker) ::pthread_join(Crash->Worker, nullptr);
  for (int H : {Crash->Request[0], Crash->Reply[0], Crash->Reply[1]})
    if (H >= 0) ::close(H);
  delete Crash;
  Crash = nullptr;
}

int CountSlots(void* Hook) {
  int N = 0;
  for (const TImportHookInfo& H : InstalledImportHooks()) N += H.New == Hook;
  return N;
}
}  // namespace

TCaptureSink SetCaptureSink(TCaptureSink S) { return Sink.exchange(S); }

void MarkCrashProgress() { CrashProgressMs.store(MonotonicMs()); }
void EnterCrashDialog() { ++CrashDialogs; }
void LeaveCrashDialog() {
  MarkCrashProgress();
  --CrashDialogs;
}
int CrashStallTimeoutMs() { return CrashStallMs.load(); }
void SetCrashStallTimeoutMs(int Ms) { CrashStallMs.store(Ms < 0 ? 0 : Ms); }

void SetCaptureHandled(bool All) { SinkGetsHandled.store(All); }

bool CaptureHandled() { return SinkGetsHandled.load(); }

const TCapturedException* LastRaiseOf(const void* Object) {
  return Object && LastRaise.Kind == TCaptureKind::Raise && LastRaise.Object == Object ? &LastRaise : nullptr;
}

void ReadSignalContext(const void* UContext, TTarvikContext& X) {
  const greg_t* G = static_cast<const ucontext_t*>(UContext)->uc_mcontext.gregs;
  X.Rax = G[REG_RAX], X.Rbx = G[REG_RBX], X.Rcx = G[REG_RCX], X.Rdx = G[REG_RDX];
  X.Rsi = G[REG_RSI], X.Rdi = G[REG_RDI], X.Rbp = G[REG_RBP], X.Rsp = G[REG_RSP];
  X.R8 = G[REG_R8], X.R9 = G[REG_R9], X.R10 = G[REG_R10], X.R11 = G[REG_R11];
  X.R12 = G[REG_R12], X.R13 = G[REG_R13], X.R14 = G[REG_R14], X.R15 = G[REG_R15];
  X.Rip = G[REG_RIP], X.EFlags = G[REG_EFL];
  X.Valid = TTarvikContext::Full;
}

TExceptionDescription DescribeCaptured(const TCapturedException& C) {
  if (C.Kind == TCaptureKind::Signal) {
    const char* Name = ::sigabbrev_np(C.Signal);
    std::string Class = std::string("SIG") + (Name ? Name : std::to_string(C.Signal).c_str());
    if (C.SignalCode > 0 && C.Signal != SIGABRT) return {Class, Format(TarvikText::SignalFault, {AddressText(C.FaultAddress)})};
    if (C.SenderPid == ::getpid()) return {Class, TarvikText::SignalRaised};
    return {Class, Format(TarvikText::SignalSent, {C.SenderPid})};
  }
  return DescribeThrown({C.Object, C.Type});
}

void StartCapture() {
  if (Started.load()) return;
  TraceEntry("StartCapture");
  CrashFlag.store(0);
  // What the crash path needs of the loader, asked now: the module table, and the unwinder's
  // first use (it looks up its tables once).
  PrepareCrashModules();
  {
    static TTarvikRawStack Warm;
    CaptureStack(Warm);
  }
  bool Worker = StartCrashWorker();
  StartThreadTracking();
  HookImport({}, "_Unwind_RaiseException", true, RealRaise, reinterpret_cast<void*>(&HookedRaise));
  HookImport({}, "_Unwind_Resume_or_Rethrow", true, RealRethrow, reinterpret_cast<void*>(&HookedRethrow));
  EnsureAlternateSignalStack();
  if (Worker) {
    struct sigaction A {};
    A.sa_sigaction = FaultHandler;
    A.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&A.sa_mask);
    for (int I = 0; I < FaultSignalCount; ++I)
      Crash->Installed[I] = ::sigaction(FaultSignals[I], &A, &Crash->Previous[I]) == 0;
  }
  PreviousTerminate = std::set_terminate(HookedTerminate);
  TerminateInstalled = true;
  Started.store(true);
  TraceEntry("StartCapture=", {Worker});
}

void StopCapture() {
  if (!Started.exchange(false)) return;
  TraceEntry("StopCapture");
  if (TerminateInstalled) std::set_terminate(PreviousTerminate);
  TerminateInstalled = false;
  if (Crash)
    for (int I = 0; I < FaultSignalCount; ++I)
      if (Crash->Installed[I]) ::sigaction(FaultSignals[I], &Crash->Previous[I], nullptr);
  FinalizeHooks();
  StopThreadTracking();
  StopCrashWorker();
  ReleaseAlternateSignalStack();
  TraceEntry("StopCapture=");
}

bool CaptureStarted() { return Started.load(); }

TCaptureState CurrentCaptureState() {
  TCaptureState S;
  S.RaiseSlots = CountSlots(reinterpret_cast<void*>(&HookedRaise)) + CountSlots(reinterpret_cast<void*>(&HookedRethrow));
  S.ThreadSlots = CountSlots(reinterpret_cast<void*>(&HookedCreateThread));
  for (int Sig : FaultSignals) {
    struct sigaction A {};
    if (::sigaction(Sig, nullptr, &A) == 0 && (A.sa_flags & SA_SIGINFO) && A.sa_sigaction == FaultHandler) ++S.Signals;
  }
  S.Terminate = std::get_terminate() == HookedTerminate;
  return S;
}
