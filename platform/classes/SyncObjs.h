#pragma once
// Re-entrant critical section and a scope guard for it.
#include <mutex>

class TCriticalSection {
public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  bool TryEnter() { return FMutex.try_lock(); }
  // BasicLockable, so std::lock_guard and std::unique_lock work too.
  void lock() { Enter(); }
  void unlock() { Leave(); }

private:
  std::recursive_mutex FMutex;
};

using TLock = std::lock_guard<TCriticalSection>;
