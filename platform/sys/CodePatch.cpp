#include "platform/sys/CodePatch.h"

#include "platform/sys/Process.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
uintptr_t PageSize() { return static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE)); }

// The protection of the mapping that holds Address, from /proc/self/maps; -1 when none does.
int ProtectionOf(uintptr_t Address) {
  std::string Maps = ReadSystemFile("/proc/self/maps");
  size_t Pos = 0;
  while (Pos < Maps.size()) {
    size_t End = Maps.find('\n', Pos);
    if (End == std::string::npos) End = Maps.size();
    unsigned long long Lo = 0, Hi = 0;
    char Perms[5] = {};
    if (std::sscanf(Maps.c_str() + Pos, "%llx-%llx %4s", &Lo, &Hi, Perms) == 3 && Address >= Lo && Address < Hi)
      return (Perms[0] == 'r' ? PROT_READ : 0) | (Perms[1] == 'w' ? PROT_WRITE : 0) |
             (Perms[2] == 'x' ? PROT_EXEC : 0);
    Pos = End + 1;
  }
  return -1;
}
}  // namespace

bool WriteCode(void* Address, const void* Source, size_t Count) {
  if (!Address || Count == 0) return false;
  auto A = reinterpret_cast<uintptr_t>(Address);
  uintptr_t First = A & ~(PageSize() - 1), Last = (A + Count - 1) & ~(PageSize() - 1);
  int Old = ProtectionOf(First);
  if (Old < 0 || (Last != First && ProtectionOf(Last) != Old)) return false;
  size_t Length = Last - First + PageSize();
  if ((Old & PROT_WRITE) == 0 &&
      ::mprotect(reinterpret_cast<void*>(First), Length, Old | PROT_WRITE) != 0)
    return false;
  std::memcpy(Address, Source, Count);
  if ((Old & PROT_WRITE) == 0) ::mprotect(reinterpret_cast<void*>(First), Length, Old);
  __builtin___clear_cache(static_cast<char*>(Address), static_cast<char*>(Address) + Count);
  return true;
}

bool ControlFlowEnforced() {
  // The kernel lists the enabled user-space features of the thread ("shstk", "wrss", "ibt").
  std::string Status = ReadSystemFile("/proc/self/status");
  size_t P = Status.find("x86_Thread_features:");
  if (P == std::string::npos) return false;
  std::string Line = Status.substr(P, Status.find('\n', P) - P);
  return Line.find("shstk") != std::string::npos || Line.find("ibt") != std::string::npos;
}

void* AllocateCode(size_t Size) {
  void* P = ::mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return P == MAP_FAILED ? nullptr : P;
}

bool SealCode(void* Code, size_t Size) { return ::mprotect(Code, Size, PROT_READ | PROT_EXEC) == 0; }

void FreeCode(void* Code, size_t Size) {
  if (Code) ::munmap(Code, Size);
}
