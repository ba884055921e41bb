#include "ppreport/output/ppBackgroundPrintQueue.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/output/ppBackGroundPrintRequest.h"
#include "ppreport/output/ppBackgroundPrintThread.h"

TppBackgroundPrintQueue::TppBackgroundPrintQueue() : FThreadPriority(ppLowestThreadPriority) {}

TppBackgroundPrintQueue::~TppBackgroundPrintQueue() {
  Flush();
  WaitForThread();
}

int TppBackgroundPrintQueue::Count() const {
  TLock Guard(FLock);
  return static_cast<int>(FRequests.size());
}

std::string TppBackgroundPrintQueue::TakeErrorMessage() {
  std::string M;
  M.swap(FErrorMessage);
  return M;
}

void TppBackgroundPrintQueue::RecordError(const std::string& Message) { FErrorMessage += Message; }

void TppBackgroundPrintQueue::Add(std::shared_ptr<TppBackgroundPrintRequest> Request) {
  if (!Request) {
    RecordError("TppBackgroundPrintQueue.Add: The background print request may not be nil.");
    return;
  }
  {
    TLock Guard(FLock);
    FRequests.push_back(std::move(Request));
  }
  StartNextRequest();
}

void TppBackgroundPrintQueue::Flush() {
  TLock Guard(FLock);
  if (FThread) FThread->CancelGeneration();
  FRequests.clear();  // the running worker keeps its own request alive until it is joined
}

void TppBackgroundPrintQueue::WaitForThread() {
  if (!FThread) return;
  FThread->CancelGeneration();
  FThread->WaitFor();
  FThread.reset();
}

void TppBackgroundPrintQueue::StartNextRequest() {
  // Started from inside a start-up wait, the outer call goes on once that wait ends.
  while (!FStarting && !FThread) {
    std::shared_ptr<TppBackgroundPrintRequest> Next;
    {
      TLock Guard(FLock);
      if (FRequests.empty()) return;
      Next = FRequests.front();
    }
    FThread = std::make_unique<TppBackgroundPrintThread>(Next, Handle(), WM_PPTHREADTERMINATED);
    FThread->SetPriority(FThreadPriority);
    FTerminationPending = false;
    {
      TRestore Starting(FStarting, true);
      FThread->PrintInBackground();
    }
    if (!FTerminationPending) return;
    // The worker ended while we waited: its end is handled now, and the next one may start.
    FTerminationPending = false;
    ThreadTerminated(FThread.get());
  }
}

void TppBackgroundPrintQueue::WndProc(TMessage& Message) {
  if (Message.Msg != WM_PPTHREADTERMINATED) return TMessageTarget::WndProc(Message);
  ThreadTerminated(reinterpret_cast<TppBackgroundPrintThread*>(Message.WParam));
}

void TppBackgroundPrintQueue::ThreadTerminated(TppBackgroundPrintThread* Sender) {
  if (!Sender || Sender != FThread.get()) {
    RecordError(
        "TppBackgroundPrintManager.PrintingThreadTerminateEvent: Sender of thread OnTerminate is not a "
        "TppBackgroundPrintThread");
    if (OnThreadTerminated) OnThreadTerminated(nullptr);
    return;
  }
  if (FStarting) {
    FTerminationPending = true;
    return;
  }
  FThread->WaitFor();
  if (FThread->ErrorFound()) RecordError(FThread->ErrorMessage());
  {
    TLock Guard(FLock);
    if (!FRequests.empty() && FRequests.front() == FThread->Request()) FRequests.pop_front();
  }
  FThread.reset();
  StartNextRequest();
  if (OnThreadTerminated) OnThreadTerminated(nullptr);
}
