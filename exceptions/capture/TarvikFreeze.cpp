#include "exceptions/capture/TarvikFreeze.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/capture/TarvikCapture.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/sys/DesktopHooks.h"
#include "platform/sys/Process.h"

namespace {
// ---- The main thread's registers and frames through a real-time signal ----

// Made once and never freed: a handler that runs late must not find it gone.
struct TSample {
  std::atomic<uint32_t> Wanted{0};
  std::atomic<uint32_t> Answered{0};
  TTarvikContext Context;
  TTarvikRawStack Stack;
  int Pipe[2] = {-1, -1};
};
std::atomic<TSample*> Sample{nullptr};
std::mutex SampleLock;  // one request at a time
int SampleSignal = 0;

// Runs on the main thread; only what is safe in a signal handler. It records and returns: the
// main thread goes on at once.
void SampleHandler(int, siginfo_t*, void* UContext) {
  int SavedErrno = errno;
  TSample* S = Sample.load();
  if (S && ::getpid() == static_cast<pid_t>(CurrentThreadId())) {
    uint32_t Want = S->Wanted.load();
    if (Want != S->Answered.load()) {
      ReadSignalContext(UContext, S->Context);
      CaptureSignalStack(S->Stack, S->Context.Rip, S->Context.Rsp);
      S->Answered.store(Want);
      char B = 1;
      [[maybe_unused]] ssize_t N = ::write(S->Pipe[1], &B, 1);
    }
  }
  errno = SavedErrno;
}

// A real-time signal nobody else handles; its handler stays for the life of the process (a
// request may still be pending in a thread that blocks the signal, and the default action of a
// real-time signal ends the process).
bool PrepareSampling() {
  if (Sample.load()) return true;
  auto* S = new TSample;
  if (::pipe2(S->Pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    delete S;
    return false;
  }
  for (int Sig = SIGRTMIN + 4; Sig <= SIGRTMAX - 1; ++Sig) {
    struct sigaction Old {};
    if (::sigaction(Sig, nullptr, &Old) != 0 || Old.sa_handler != SIG_DFL || (Old.sa_flags & SA_SIGINFO)) continue;
    struct sigaction A {};
    A.sa_sigaction = SampleHandler;
    A.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&A.sa_mask);
    if (::sigaction(Sig, &A, nullptr) != 0) continue;
    SampleSignal = Sig;
    Sample.store(S);
    return true;
  }
  ::close(S->Pipe[0]);
  ::close(S->Pipe[1]);
  delete S;
  return false;
}

// ---- The detector ----

std::atomic<int> Reports{0};
std::atomic<const TFreezePipeline*> Pipeline{nullptr};

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void ReportFreeze() {
  const TFreezePipeline* Pipe = Pipeline.load();
  TTarvikModuleOptionsEx* O = ReporterModuleOptions();
  if (!Pipe || !O || !O->Active()) return;
  if (!Pipe->TakeGate()) return;
  TFinally Release([Pipe] { Pipe->ReleaseGate(); });
  auto Frames = std::make_unique<TTarvikRawStack>();
  TTarvikContext Context;
  if (!CaptureMainThread(Context, *Frames, 2000)) {
    RecordWarning(eeNone, TarvikText::FreezeNoAnswer);
    return;
  }
  if (Context.Rip == 0 || Context.Rsp == 0) return;
  EFrozenApplication E(O->FreezeMessage());
  Reports.fetch_add(1);
  Pipe->Report(E, Context, *Frames);
}
}  // namespace

// Watches the main thread's event loop.
class TFreezeThread {
public:
  void Start() {
    FThread = std::thread([this] {
      try {
        Execute();
      } catch (...) {
        ReportInternalError("TFreezeThread.Execute");
      }
      std::lock_guard<std::mutex> L(FLock);
      FFinished = true;
      FChanged.notify_all();
    });
  }
  void Terminate() {
    std::lock_guard<std::mutex> L(FLock);
    FTerminated = true;
    FChanged.notify_all();
  }
  // True when the thread ended within Ms (it is then joined); else it is left to end on its own.
  bool Finish(int Ms) {
    bool Done;
    {
      std::unique_lock<std::mutex> L(FLock);
      Done = FChanged.wait_for(L, std::chrono::milliseconds(Ms), [this] { return FFinished; });
    }
    if (Done)
      FThread.join();
    else
      FThread.detach();
    return Done;
  }

private:
  bool Terminated() {
    std::lock_guard<std::mutex> L(FLock);
    return FTerminated;
  }
  // Sleeps Ms, ending early when terminated; false then.
  bool Pause(int Ms) {
    std::unique_lock<std::mutex> L(FLock);
    return !FChanged.wait_for(L, std::chrono::milliseconds(Ms), [this] { return FTerminated; });
  }

  void Execute() {
    TraceEntry("TFreezeThread.Execute");
    struct THeart {
      std::atomic<uint64_t> Beats{0};
      std::atomic<bool> InFlight{false};
    };
    auto Heart = std::make_shared<THeart>();
    // No event loop yet: looked for again every 50 ms.
    while (!DesktopHooks().PostToWindowThread)
      if (!Pause(50)) return;
    int64_t LastAnswer = NowMs();
    uint64_t Seen = 0;
    bool Reported = false;
    while (!Terminated()) {
      auto Post = DesktopHooks().PostToWindowThread;
      if (!Heart->InFlight.exchange(true)) {
        if (!Post || !Post([Heart] {
              Heart->Beats.fetch_add(1);
              Heart->InFlight.store(false);
            })) {
          // The event loop is gone: that is no freeze.
          Heart->InFlight.store(false);
          LastAnswer = NowMs();
          if (!Pause(50)) return;
          continue;
        }
      }
      for (int I = 0; I < 10 && Heart->Beats.load() == Seen; ++I)
        if (!Pause(5)) return;
      if (Heart->Beats.load() != Seen) {
        Seen = Heart->Beats.load();
        LastAnswer = NowMs();
        Reported = false;
        if (!Pause(250)) return;
        continue;
      }
      TTarvikModuleOptionsEx* O = ReporterModuleOptions();
      int64_t Timeout = O ? static_cast<int64_t>(O->FreezeTimeout()) * 1000 : 0;
      if (!Reported && Timeout > 0 && NowMs() - LastAnswer >= Timeout) {
        ReportFreeze();
        Reported = true;
      }
    }
  }

  std::thread FThread;
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FTerminated = false;
  bool FFinished = false;
};

namespace {
std::mutex DetectorLock;
std::unique_ptr<TFreezeThread> Detector;
}  // namespace

bool CaptureMainThread(TTarvikContext& Context, TTarvikRawStack& Stack, int TimeoutMs) {
  std::lock_guard<std::mutex> L(SampleLock);
  if (!PrepareSampling()) return false;
  TSample* S = Sample.load();
  char Drain[16];
  while (::read(S->Pipe[0], Drain, sizeof Drain) > 0) {
  }
  uint32_t Want = S->Wanted.load() + 1;
  S->Wanted.store(Want);
  if (::syscall(SYS_tgkill, ::getpid(), ::getpid(), SampleSignal) != 0) return false;
  int64_t Deadline = NowMs() + TimeoutMs;
  while (S->Answered.load() != Want) {
    int64_t Left = Deadline - NowMs();
    if (Left <= 0) return false;
    pollfd P{S->Pipe[0], POLLIN, 0};
    if (::poll(&P, 1, static_cast<int>(Left)) > 0)
      while (::read(S->Pipe[0], Drain, sizeof Drain) > 0) {
      }
  }
  Context = S->Context;
  Stack = S->Stack;
  return true;
}

void StartFreezeDetection() {
  std::lock_guard<std::mutex> L(DetectorLock);
  TTarvikModuleOptionsEx* O = ReporterModuleOptions();
  if (IsDesignHostMode() || Detector || !O || !O->FreezeActive()) return;
  TraceEntry("StartFreezeDetection");
  Detector = std::make_unique<TFreezeThread>();
  Detector->Start();
}

void StopFreezeDetection() {
  std::unique_ptr<TFreezeThread> D;
  {
    std::lock_guard<std::mutex> L(DetectorLock);
    D = std::move(Detector);
  }
  if (!D) return;
  TraceEntry("StopFreezeDetection");
  D->Terminate();
  // A report in progress ends within the pipeline's bounds; a detector that does not is left
  // behind rather than hanging the program's end.
  if (!D->Finish(PipelineStallTimeoutMs())) {
    RecordWarning(eeNone, TarvikText::FreezeStopRanOut);
    D.release();
  }
}

bool FreezeDetectionRunning() {
  std::lock_guard<std::mutex> L(DetectorLock);
  return Detector != nullptr;
}

int FreezeReportCount() { return Reports.load(); }

void InstallFreezeDetector(const TFreezePipeline* P) {
  Pipeline.store(P);
  SetFreezeDetectorSwitch([](bool Run) {
    if (Run)
      StartFreezeDetection();
    else
      StopFreezeDetection();
  });
  TTarvikModuleOptionsEx* O = ReporterModuleOptions();
  if (O && O->Active() && O->FreezeActive()) StartFreezeDetection();
}

void RemoveFreezeDetector() {
  SetFreezeDetectorSwitch(nullptr);
  StopFreezeDetection();
}
