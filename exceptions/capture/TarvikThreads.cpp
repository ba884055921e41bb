#include "exceptions/capture/TarvikThreads.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <exception>

#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/capture/TarvikHooks.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/sys/SignalStack.h"

namespace {
// Plain pointers: the capture starts before the program's static initialisation has run, so
// nothing here may need a constructor to run first.
std::atomic<TTarvikThreadsList*> Threads{nullptr};
// A stopped list is kept (empty) rather than freed: a thread that is just ending may still hold it.
TTarvikThreadsList* Retired = nullptr;
std::atomic<void*> RealCreate{nullptr};

using TCreate = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

struct TThreadStart {
  void* (*Start)(void*);
  void* Parameter;
  TTarvikThreadInfo* Record;
};

void* HookedThreadProc(void* Data) {
  TThreadStart Start = *static_cast<TThreadStart*>(Data);
  delete static_cast<TThreadStart*>(Data);
  if (TTarvikThreadsList* L = Threads.load()) {
    TLock Guard(L->Lock());
    for (int I = 0; I < L->Count(); ++I)
      if (L->Items(I) == Start.Record) L->Items(I)->ThreadId = CurrentThreadId();
  }
  EnsureAlternateSignalStack();
  SetThreadWrapped(true);
  TFinally Cleanup([] {
    SetThreadWrapped(false);
    if (TTarvikThreadsList* L = Threads.load()) L->RemoveCurrentThread();
    ReleaseAlternateSignalStack();
  });
  try {
    return Start.Start(Start.Parameter);
  } catch (const abi::__forced_unwind&) {
    throw;  // pthread_exit and cancellation unwind through here and must go on
  } catch (...) {
    // Reported when it was raised. An exception leaving a thread ends the program, as the
    // language has it: std::terminate, inside this handler, so that the terminate handler knows
    // the exception and does not report it again.
    std::terminate();
  }
}
}  // namespace

int TTarvikThreadsList::Count() {
  TLock L(FLock);
  return static_cast<int>(FItems.size());
}

TTarvikThreadInfo* TTarvikThreadsList::Add(std::unique_ptr<TTarvikThreadInfo> Info) {
  TLock L(FLock);
  FItems.push_back(std::move(Info));
  return FItems.back().get();
}

void TTarvikThreadsList::Delete(int Index) {
  TLock L(FLock);
  FItems.erase(FItems.begin() + Index);
}

void TTarvikThreadsList::Clear() {
  TLock L(FLock);
  FItems.clear();
}

int TTarvikThreadsList::IndexOfHandle(pthread_t Handle) {
  TLock L(FLock);
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I]->ThreadHandle == Handle) return static_cast<int>(I);
  return -1;
}

int TTarvikThreadsList::IndexOfThreadId(int ThreadId) {
  TLock L(FLock);
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I]->ThreadId == ThreadId) return static_cast<int>(I);
  return -1;
}

TTarvikThreadInfo* TTarvikThreadsList::Items(int Index) {
  TLock L(FLock);
  return FItems.at(static_cast<size_t>(Index)).get();
}

void TTarvikThreadsList::RemoveCurrentThread() {
  TLock L(FLock);
  int I = IndexOfThreadId(CurrentThreadId());
  if (I >= 0) Delete(I);
}

bool TTarvikThreadsList::CreatorStackOf(int ThreadId, TTarvikRawStack& Stack) {
  TLock L(FLock);
  int I = IndexOfThreadId(ThreadId);
  if (I < 0) return false;
  Stack = FItems[static_cast<size_t>(I)]->CreatorStack;
  return true;
}

TTarvikThreadsList* ReporterThreads() { return Threads.load(); }

int RealCreateThread(pthread_t* Thread, const pthread_attr_t* Attributes, void* (*Start)(void*), void* Parameter) {
  auto Create = reinterpret_cast<TCreate>(RealCreate.load());
  // Not &pthread_create: this module's own slot for it may hold the hook.
  if (!Create) Create = reinterpret_cast<TCreate>(::dlsym(RTLD_DEFAULT, "pthread_create"));
  return Create(Thread, Attributes, Start, Parameter);
}

int HookedCreateThread(pthread_t* Thread, const pthread_attr_t* Attributes, void* (*Start)(void*), void* Parameter) {
  TTarvikThreadsList* L = Threads.load();
  if (!L) return RealCreateThread(Thread, Attributes, Start, Parameter);
  auto Info = std::make_unique<TTarvikThreadInfo>();
  Info->StartAddress = Start;
  Info->Parameter = Parameter;
  CaptureStack(Info->CreatorStack);
  TTarvikThreadInfo* Record = L->Add(std::move(Info));
  auto* Boot = new TThreadStart{Start, Parameter, Record};
  // The new thread may end before this call returns: its record is updated under the lock.
  TLock Guard(L->Lock());
  int R = RealCreateThread(Thread, Attributes, HookedThreadProc, Boot);
  int Index = -1;
  for (int I = 0; I < L->Count(); ++I)
    if (L->Items(I) == Record) Index = I;
  if (R != 0) {
    delete Boot;
    if (Index >= 0) L->Delete(Index);  // no thread: a record would never be removed
  } else if (Index >= 0) {
    Record->ThreadHandle = *Thread;
  }
  return R;
}

void StartThreadTracking() {
  if (Threads.load()) return;
  Threads.store(Retired ? Retired : new TTarvikThreadsList);
  Retired = nullptr;
  void* Real = nullptr;
  HookImport({}, "pthread_create", true, Real, reinterpret_cast<void*>(&HookedCreateThread));
  if (Real) RealCreate.store(Real);
}

void StopThreadTracking() {
  // The slots go back with FinalizeHooks; threads still running keep their wrapper, which finds
  // no list any more.
  Retired = Threads.exchange(nullptr);
  if (Retired) Retired->Clear();
}
