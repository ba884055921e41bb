#include "platform/sys/SignalStack.h"

#include <signal.h>
#include <sys/mman.h>

#include <cstddef>

namespace {
// Room for the handler's own frames and the unwinder's, with a sanitizer's larger frames.
constexpr size_t StackSize = 128 * 1024;
thread_local void* OwnStack = nullptr;
}  // namespace

bool EnsureAlternateSignalStack() {
  stack_t Old{};
  if (::sigaltstack(nullptr, &Old) == 0 && !(Old.ss_flags & SS_DISABLE)) return true;
  void* P = ::mmap(nullptr, StackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (P == MAP_FAILED) return false;
  stack_t S{};
  S.ss_sp = P;
  S.ss_size = StackSize;
  if (::sigaltstack(&S, nullptr) != 0) {
    ::munmap(P, StackSize);
    return false;
  }
  OwnStack = P;
  return true;
}

void ReleaseAlternateSignalStack() {
  if (!OwnStack) return;
  stack_t Current{};
  if (::sigaltstack(nullptr, &Current) == 0 && Current.ss_sp == OwnStack && !(Current.ss_flags & SS_ONSTACK)) {
    stack_t Off{};
    Off.ss_flags = SS_DISABLE;
    ::sigaltstack(&Off, nullptr);
  } else if (Current.ss_sp == OwnStack) {
    return;  // still in use: leave it rather than free the stack under a running handler
  }
  ::munmap(OwnStack, StackSize);
  OwnStack = nullptr;
}
