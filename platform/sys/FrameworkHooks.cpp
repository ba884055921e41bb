#include "platform/sys/FrameworkHooks.h"

#include <mutex>

namespace {
std::mutex HandlerLock;
TFrameworkExceptionHandler Installed;
}  // namespace

TFrameworkExceptionHandler SetFrameworkExceptionHandler(TFrameworkExceptionHandler Handler) {
  std::lock_guard<std::mutex> L(HandlerLock);
  std::swap(Installed, Handler);
  return Handler;
}

bool FrameworkShowsException() {
  TFrameworkExceptionHandler H;
  {
    std::lock_guard<std::mutex> L(HandlerLock);
    H = Installed;
  }
  return !H || H();
}
