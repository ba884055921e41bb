#include "platform/sys/DesktopHooks.h"

#include <mutex>

namespace {
std::mutex HooksLock;
TDesktopHooks Installed;
}  // namespace

TDesktopHooks SetDesktopHooks(TDesktopHooks Hooks) {
  std::lock_guard<std::mutex> L(HooksLock);
  std::swap(Installed, Hooks);
  return Hooks;
}

TDesktopHooks DesktopHooks() {
  std::lock_guard<std::mutex> L(HooksLock);
  return Installed;
}
