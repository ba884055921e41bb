#include "ppreport/output/ppBackgroundThreadSync.h"

void TppThreadSync::SetEvent() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FSet = true;
  }
  FSignal.notify_one();
}

void TppThreadSync::ResetEvent() {
  std::lock_guard<std::mutex> Guard(FLock);
  FSet = false;
}

bool TppThreadSync::WaitFor(std::chrono::milliseconds Timeout) {
  std::unique_lock<std::mutex> Guard(FLock);
  if (!FSignal.wait_for(Guard, Timeout, [this] { return FSet; })) return false;
  FSet = false;
  return true;
}
