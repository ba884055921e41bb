#include "exceptions/TarvikCapture.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <unwind.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "exceptions/ExceptionLog.h"
#include "exceptions/TarvikClassInfo.h"
#include "exceptions/TarvikErrors.h"
#include "exceptions/TarvikHooks.h"
#include "exceptions/TarvikModules.h"
#include "exceptions/TarvikTexts.h"
#include "exceptions/TarvikThreads.h"
#include "exceptions/TarvikTrace.h"
#include "exceptions/TarvikVirtualFiles.h"
#include "platform/sys/Process.h"
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
  if (!ReporterModules()) return;  // frames resolve once the module list exists
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
  int Pid = 0;
  struct sigaction Previous[FaultSignalCount];
  bool Installed[FaultSignalCount] = {};
};
TCrash* Crash = nullptr;
std::atomic<int> CrashFlag{0};

void* CrashWorker(void*) {
  Crash->WorkerTid.store(CurrentThreadId());
  EnsureAlternateSignalStack();
  char B;
  for (;;) {
    ssize_t N = ::read(Crash->Request[0], &B, 1);
    if (N < 0 && errno == EINTR) continue;
    if (N != 1) break;
    InsideCapture = true;
    CallSink(Crash->Record);
    // Shared-memory names outlive the process: the program is about to end.
    DeleteReporterVirtualFiles();
    while (::write(Crash->Reply[1], &B, 1) < 0 && errno == EINTR) {
    }
  }
  ReleaseAlternateSignalStack();
  return nullptr;
}

void FaultHandler(int Signal, siginfo_t* Info, void* Context) {
  if (CrashFlag.exchange(1) != 0) {
    // A fault while the first is being reported: the worker's own ends the program, any other
    // thread waits for the end.
    if (CurrentThreadId() == Crash->WorkerTid.load()) ::_exit(1);
    for (;;) ::pause();
  }
  if (Crash->Pid != ::getpid()) {
    // A child forked without exec has no worker: the signal takes its default course.
    ::signal(Signal, SIG_DFL);
    return;
  }
  TCapturedException& R = Crash->Record;
  TTarvikContext& X = R.Context;
  ReadSignalContext(Context, X);
  CaptureSignalStack(R.Stack, X.Rip, X.Rsp);
  R.Kind = TCaptureKind::Signal;
  R.ThreadId = CurrentThreadId();
  R.MainThread = R.ThreadId == ::getpid();
  R.Signal = Signal;
  R.SignalCode = Info->si_code;
  R.FaultAddress = reinterpret_cast<uintptr_t>(Info->si_addr);
  R.ExceptionAddress = X.Rip;
  char B = 1;
  if (::write(Crash->Request[1], &B, 1) == 1) {
    pollfd P{Crash->Reply[0], POLLIN, 0};
    while (::poll(&P, 1, -1) < 0 && errno == EINTR) {
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
    return {std::string("SIG") + (Name ? Name : std::to_string(C.Signal).c_str()),
            Format(TarvikText::SignalFault, {AddressText(C.FaultAddress)})};
  }
  return DescribeThrown({C.Object, C.Type});
}

void StartCapture() {
  if (Started.load()) return;
  TraceEntry("StartCapture");
  CrashFlag.store(0);
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
