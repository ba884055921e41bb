#pragma once
// TppThreadSync: the automatic-reset signal of one background print request. Each request's
// thread has its own, so no worker ever wakes another's waiter.
#include <chrono>
#include <condition_variable>
#include <mutex>

class TppThreadSync {
public:
  // Any thread.
  void SetEvent();
  void ResetEvent();
  // True when the signal came within Timeout; taking it resets it.
  bool WaitFor(std::chrono::milliseconds Timeout);

private:
  std::mutex FLock;
  std::condition_variable FSignal;
  bool FSet = false;
};
