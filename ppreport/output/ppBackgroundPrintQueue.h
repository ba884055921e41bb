#pragma once
// TppBackgroundPrintQueue: background print requests printed one after another, one worker at a
// time. Main thread only (Count from any thread). The worker's end arrives as a message, so the
// queue must outlive nothing: its destructor cancels and joins the worker, and a message that
// comes after it is dropped with its target.
#include <deque>
#include <memory>
#include <string>

#include "platform/app/Messages.h"
#include "platform/classes/Classes.h"
#include "platform/classes/SyncObjs.h"

class TppBackgroundPrintRequest;
class TppBackgroundPrintThread;

class TppBackgroundPrintQueue : public TMessageTarget {
public:
  TppBackgroundPrintQueue();
  ~TppBackgroundPrintQueue() override;

  // Appends the request and, when no worker runs, starts it: then Add returns once the worker
  // has made its report copy or the wait has run out. A second Add (or a Flush) from the
  // messages processed meanwhile only queues (or cancels); nothing starts twice.
  void Add(std::shared_ptr<TppBackgroundPrintRequest> Request);
  // Cancels the running print and drops every request; the worker still ends and is joined.
  void Flush();
  int Count() const;
  int ThreadPriority() const { return FThreadPriority; }
  void SetThreadPriority(int Value) { FThreadPriority = Value; }
  // Joins the worker, if any (shutdown).
  void WaitForThread();

  // The error of the last ended request(s); the taker clears it, so it is told once.
  bool ErrorFound() const { return !FErrorMessage.empty(); }
  std::string TakeErrorMessage();
  // After each ended worker, on the main thread.
  TNotifyEvent OnThreadTerminated;

  static constexpr uint32_t WM_PPTHREADTERMINATED = WM_USER + 0x136;

protected:
  void WndProc(TMessage& Message) override;

private:
  void StartNextRequest();
  void ThreadTerminated(TppBackgroundPrintThread* Sender);
  void RecordError(const std::string& Message);

  mutable TCriticalSection FLock;
  std::deque<std::shared_ptr<TppBackgroundPrintRequest>> FRequests;  // the running one first
  std::unique_ptr<TppBackgroundPrintThread> FThread;                 // the worker, until joined
  int FThreadPriority;
  bool FStarting = false;            // inside the worker's start-up wait
  bool FTerminationPending = false;  // the worker ended during that wait
  std::string FErrorMessage;
};
