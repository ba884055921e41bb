#pragma once
// The processor registers of a thread at an exception (x86-64), as the capture takes them from the
// signal's context and the report prints them.
#include <cstdint>

struct TTarvikCpuContext {
  uint64_t Rax = 0, Rbx = 0, Rcx = 0, Rdx = 0, Rsi = 0, Rdi = 0, Rbp = 0, Rsp = 0;
  uint64_t R8 = 0, R9 = 0, R10 = 0, R11 = 0, R12 = 0, R13 = 0, R14 = 0, R15 = 0;
  uint64_t Rip = 0;
  uint64_t EFlags = 0;
};
