#pragma once
// TppBackgroundPrintThread: one background print request on a worker thread of its own. The
// queue owns it and joins it; the worker ends by posting its termination to the queue's message
// target, which the main thread's event loop delivers.
//
// The worker never touches a widget or the user's report: it builds a copy of the report
// (TppBackgroundReportGenerator) and prints that.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/app/Messages.h"
#include "ppreport/output/ppBackgroundThreadSync.h"

class TppBackgroundPrintRequest;

// The worker's scheduling: 0 normal, up to 19 (the lowest, the default) like a nice value.
inline constexpr int ppLowestThreadPriority = 19;

class TppBackgroundPrintThread {
public:
  // Main thread. Nothing runs until PrintInBackground; the termination message goes to
  // NotifyTarget with Msg and this thread in WParam.
  TppBackgroundPrintThread(std::shared_ptr<TppBackgroundPrintRequest> Request, HWND NotifyTarget, uint32_t Msg);
  // Cancels and joins.
  ~TppBackgroundPrintThread();
  TppBackgroundPrintThread(const TppBackgroundPrintThread&) = delete;
  TppBackgroundPrintThread& operator=(const TppBackgroundPrintThread&) = delete;

  int Priority() const { return FPriority; }
  void SetPriority(int Value) { FPriority = Value; }

  // Main thread: starts the worker and waits until its report copy exists, at most 10 seconds in
  // steps of 250 milliseconds, processing messages between the steps. After the time has run out
  // the print is cancelled and the error recorded (the worker ends on its own).
  void PrintInBackground();
  // Any thread: the worker stops printing at its next page.
  void CancelGeneration() { FCancelRequested = true; }
  // Main thread: waits for the worker to end.
  void WaitFor();

  bool Started() const { return FThread.joinable() || FJoined; }
  bool Terminated() const { return FTerminated; }
  // Read after WaitFor (or once the termination message came).
  bool ErrorFound() const;
  std::string ErrorMessage() const;
  const std::shared_ptr<TppBackgroundPrintRequest>& Request() const { return FRequest; }

  static constexpr int WaitSeconds = 10;
  static constexpr int WaitStepMs = 250;

private:
  void Execute();
  void RecordError(const std::string& Message);

  std::shared_ptr<TppBackgroundPrintRequest> FRequest;  // kept until the thread object goes
  HWND FNotifyTarget;
  uint32_t FMsg;
  int FPriority = ppLowestThreadPriority;
  TppThreadSync FSync;
  std::atomic<bool> FInitialized{false}, FTerminated{false}, FCancelRequested{false};
  bool FJoined = false;
  mutable std::mutex FErrorLock;
  std::string FErrorMessage;
  std::thread FThread;
};
