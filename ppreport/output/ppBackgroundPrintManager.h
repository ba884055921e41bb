#pragma once
// TppBackgroundPrintManager: the process-wide entry of background printing. A report's print in
// the background becomes a request in the manager's queue; each ended request is reported here
// (its error to OnError, else a warning box) and the finished notifications fire. Main thread.
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/SyncObjs.h"
#include "platform/rtl/SysUtils.h"

class TppBackgroundPrintQueue;
class TppPageRequest;

class TppBackgroundPrintManager {
public:
  TppBackgroundPrintManager();
  // Cancels everything and joins the running worker.
  ~TppBackgroundPrintManager();
  TppBackgroundPrintManager(const TppBackgroundPrintManager&) = delete;
  TppBackgroundPrintManager& operator=(const TppBackgroundPrintManager&) = delete;

  // A report only (EBackgroundPrintError otherwise). A request that cannot be made raises its
  // EBackgroundPrintError to the caller; the requests already queued go on.
  void Print(TPersistent* Producer, const TppPageRequest* PageRequest, const std::string& TextFileName,
             const std::string& ArchiveFileName, const std::string& DeviceType);
  void CancelAll();
  // Any thread.
  int RequestCount() const;
  // Joins the running worker (after CancelAll at shutdown).
  void WaitForAll();
  TppBackgroundPrintQueue* Queue() const { return FQueue.get(); }

  // The exception is the manager's and lives for the call only.
  std::function<void(TObject* Sender, const Exception& E)> OnError;
  TNotifyEvent OnRequestFinished, OnAllRequestsFinished;

private:
  void ThreadTerminated();

  mutable TCriticalSection FLock;
  std::unique_ptr<TppBackgroundPrintQueue> FQueue;
};

// The manager the unit made; null outside start-up and shutdown.
TppBackgroundPrintManager* ppBackgroundPrintManager();
// Makes the manager and hands the producers' background prints to it; the finalisation cancels
// every request, joins the worker and frees the manager.
void InitializeBackgroundPrintUnit();
void FinalizeBackgroundPrintUnit();
