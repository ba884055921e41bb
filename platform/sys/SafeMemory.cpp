#include "platform/sys/SafeMemory.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

namespace {
// Reads never cross a page inside one request, so a request is all or nothing.
constexpr uintptr_t PageSize = 4096;
constexpr size_t MaxIov = 64;

std::atomic<int> Method{static_cast<int>(TSafeReadMethod::Auto)};

uintptr_t PageEnd(uintptr_t A) { return (A | (PageSize - 1)) + 1; }

// -1 when the call itself is not available (seccomp, old kernel); else the bytes copied.
ssize_t ReadWithVmReadv(uintptr_t From, uint8_t* To, size_t Count) {
  size_t Done = 0;
  while (Done < Count) {
    iovec Local{To + Done, 0};
    iovec Remote[MaxIov];
    size_t N = 0;
    uintptr_t A = From + Done;
    size_t Left = Count - Done;
    while (N < MaxIov && Left > 0) {
      size_t Len = std::min<size_t>(Left, PageEnd(A) - A);
      Remote[N++] = iovec{reinterpret_cast<void*>(A), Len};
      Local.iov_len += Len;
      A += Len;
      Left -= Len;
    }
    ssize_t Got = ::process_vm_readv(::getpid(), &Local, 1, Remote, N, 0);
    if (Got < 0) {
      if (errno == EINTR) continue;
      if (errno == ENOSYS || errno == EPERM) return Done == 0 ? -1 : static_cast<ssize_t>(Done);
      break;
    }
    Done += static_cast<size_t>(Got);
    if (static_cast<size_t>(Got) < Local.iov_len) break;
  }
  return static_cast<ssize_t>(Done);
}

// The kernel refuses to write unreadable bytes into a pipe (EFAULT) rather than faulting.
size_t ReadWithPipe(uintptr_t From, uint8_t* To, size_t Count) {
  int P[2];
  if (::pipe2(P, O_CLOEXEC | O_NONBLOCK) != 0) return 0;
  size_t Done = 0;
  while (Done < Count) {
    uintptr_t A = From + Done;
    size_t Len = std::min<size_t>(Count - Done, PageEnd(A) - A);
    ssize_t W = ::write(P[1], reinterpret_cast<const void*>(A), Len);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) break;
    size_t Got = 0;
    while (Got < static_cast<size_t>(W)) {
      ssize_t R = ::read(P[0], To + Done + Got, static_cast<size_t>(W) - Got);
      if (R < 0 && errno == EINTR) continue;
      if (R <= 0) break;
      Got += static_cast<size_t>(R);
    }
    Done += Got;
    if (Got < Len) break;
  }
  ::close(P[0]);
  ::close(P[1]);
  return Done;
}

bool RangeValid(const void* Address, size_t Count) {
  uintptr_t A = reinterpret_cast<uintptr_t>(Address);
  return A != 0 && Count <= UINTPTR_MAX - A;
}
}  // namespace

void SetSafeReadMethod(TSafeReadMethod M) { Method.store(static_cast<int>(M)); }

size_t SafeReadMemory(const void* Address, void* Buffer, size_t Count) {
  if (Count == 0 || !RangeValid(Address, Count)) return 0;
  uintptr_t From = reinterpret_cast<uintptr_t>(Address);
  uint8_t* To = static_cast<uint8_t*>(Buffer);
  if (Method.load() != static_cast<int>(TSafeReadMethod::Pipe)) {
    ssize_t Got = ReadWithVmReadv(From, To, Count);
    if (Got >= 0) {
      if (Method.load() == static_cast<int>(TSafeReadMethod::Auto))
        Method.store(static_cast<int>(TSafeReadMethod::ProcessVmReadv));
      return static_cast<size_t>(Got);
    }
    Method.store(static_cast<int>(TSafeReadMethod::Pipe));
  }
  return ReadWithPipe(From, To, Count);
}

bool IsReadableMemory(const void* Address, size_t Count) {
  if (!RangeValid(Address, Count)) return false;
  if (Count == 0) return true;
  // One byte of every page the range touches is enough.
  uintptr_t A = reinterpret_cast<uintptr_t>(Address);
  uintptr_t End = A + Count;
  while (A < End) {
    uint8_t B;
    if (SafeReadMemory(reinterpret_cast<const void*>(A), &B, 1) != 1) return false;
    uintptr_t Next = PageEnd(A);
    if (Next <= A) break;  // the last page of the address space
    A = Next;
  }
  return true;
}
