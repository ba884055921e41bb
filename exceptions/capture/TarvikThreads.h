#pragma once
// The program's threads as the reporter knows them: every thread started through pthread_create
// after the reporter's start-up (the C++ library's std::thread, Qt's threads and direct calls
// alike: the calls go through the hooked import slots) gets a record with a snapshot of its
// creator's call stack, so that an exception in the thread can be reported with the place where
// the thread was started. The thread runs inside the reporter's thread wrapper: it gets an
// alternate signal stack, and an exception that leaves its start routine, reported when it was
// raised, then ends the program through std::terminate (exit code 1), as it would without the
// reporter.
#include <pthread.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "exceptions/capture/TarvikStack.h"
#include "platform/classes/SyncObjs.h"

struct TTarvikThreadInfo {
  int ThreadId = 0;              // the system's thread id; 0 until the thread runs
  pthread_t ThreadHandle = 0;    // 0 when creation failed
  void* (*StartAddress)(void*) = nullptr;
  void* Parameter = nullptr;
  TTarvikRawStack CreatorStack;  // the creator's frames at the pthread_create call
  void* ThreadObject = nullptr;  // a thread class's object, when one registers it
};

// Every member takes the list's lock; hold Lock() across reads of a record.
class TTarvikThreadsList {
public:
  int Count();
  // The list keeps the record.
  TTarvikThreadInfo* Add(std::unique_ptr<TTarvikThreadInfo> Info);
  void Delete(int Index);
  void Clear();
  int IndexOfHandle(pthread_t Handle);
  int IndexOfThreadId(int ThreadId);
  TTarvikThreadInfo* Items(int Index);
  // Deletes the record of the calling thread.
  void RemoveCurrentThread();
  // Copies of the creator's frames for ThreadId; false when the thread has no record.
  bool CreatorStackOf(int ThreadId, TTarvikRawStack& Stack);
  TCriticalSection& Lock() { return FLock; }

private:
  TCriticalSection FLock;
  std::vector<std::unique_ptr<TTarvikThreadInfo>> FItems;
};

// The reporter's thread list: made when the capture starts, null otherwise.
TTarvikThreadsList* ReporterThreads();

// Installs and removes the thread hook (pthread_create in every module's import slots) and the
// list. Called by the capture's start and end.
void StartThreadTracking();
void StopThreadTracking();

// The replacement of pthread_create. Without the reporter it only forwards.
int HookedCreateThread(pthread_t* Thread, const pthread_attr_t* Attributes, void* (*Start)(void*), void* Parameter);
// pthread_create as it was before the hook.
int RealCreateThread(pthread_t* Thread, const pthread_attr_t* Attributes, void* (*Start)(void*), void* Parameter);
