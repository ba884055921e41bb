#include "ppreport/output/ppBackgroundPrintThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppBackGroundPrintRequest.h"
#include "ppreport/output/ppBackgroundReportGenerator.h"

TppBackgroundPrintThread::TppBackgroundPrintThread(std::shared_ptr<TppBackgroundPrintRequest> Request,
                                                   HWND NotifyTarget, uint32_t Msg)
    : FRequest(std::move(Request)), FNotifyTarget(NotifyTarget), FMsg(Msg) {}

TppBackgroundPrintThread::~TppBackgroundPrintThread() {
  CancelGeneration();
  WaitFor();
}

void TppBackgroundPrintThread::WaitFor() {
  if (!FThread.joinable()) return;
  FThread.join();
  FJoined = true;
}

bool TppBackgroundPrintThread::ErrorFound() const {
  std::lock_guard<std::mutex> Guard(FErrorLock);
  return !FErrorMessage.empty();
}

std::string TppBackgroundPrintThread::ErrorMessage() const {
  std::lock_guard<std::mutex> Guard(FErrorLock);
  return FErrorMessage;
}

void TppBackgroundPrintThread::RecordError(const std::string& Message) {
  std::lock_guard<std::mutex> Guard(FErrorLock);
  FErrorMessage += Message;
}

void TppBackgroundPrintThread::PrintInBackground() {
  if (FThread.joinable() || FJoined) return;
  FInitialized = false;
  FSync.ResetEvent();
  FThread = std::thread([this] { Execute(); });
  bool Signalled = false;
  for (int I = 0; I < WaitSeconds * (1000 / WaitStepMs) && !Signalled && !FInitialized; ++I) {
    Signalled = FSync.WaitFor(std::chrono::milliseconds(WaitStepMs));
    if (!Signalled && !FInitialized && Application) Application->ProcessMessages();
  }
  if (Signalled || FInitialized) return;
  FSync.ResetEvent();
  const std::string Timeout =
      ppErrorText("TppBackgroundPrintThread", "PrintInBackground",
                  std::to_string(WaitSeconds) +
                      " second timeout exceeded for background printing thread to create report container");
  CancelGeneration();
  RecordError(Timeout + "\r\nContainer class: " + (FRequest->OwnerClass() ? FRequest->OwnerClass()->Name : "") +
              "\r\n");
}

void TppBackgroundPrintThread::Execute() {
  // Runs on the worker. A lower priority for this thread alone (Linux schedules threads as tasks).
  if (FPriority > 0) setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), FPriority);
  TFinally Ended([this] {
    // A failure before the copy existed ends the caller's wait too.
    FInitialized = true;
    FSync.SetEvent();
    FTerminated = true;
    // Nothing of this object is touched after the post: the queue may join and free it at once.
    PostMessage(FNotifyTarget, FMsg, reinterpret_cast<WPARAM>(this), 0);
  });
  try {
    if (FCancelRequested) return;
    std::unique_ptr<TppBackgroundReportGenerator, TComponentDeleter> Generator(new TppBackgroundReportGenerator());
    Generator->OnContainerCreated = [this] {
      FInitialized = true;
      FSync.SetEvent();
    };
    Generator->OnCancelRequested = [this] { return FCancelRequested.load(); };
    TFinally TakeError([this, &Generator] {
      if (Generator->ErrorFound()) RecordError(Generator->ErrorMessage());
    });
    Generator->ProcessRequest(FRequest.get());
  } catch (const Exception& E) {
    RecordError(E.Message());
  } catch (const std::exception& E) {
    RecordError(E.what());
  }
}
