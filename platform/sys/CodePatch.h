#pragma once
// Writing machine code in place, and memory for generated code. A system that keeps pages either
// writable or executable (W^X) refuses such writes: every function here then fails and leaves the
// code as it was; none faults.
#include <cstddef>

// Copies Count bytes over code at Address: the pages are made writable for the copy and given
// back the protection they had. False when the system refuses or the range is not mapped.
bool WriteCode(void* Address, const void* Source, size_t Count);
// Whether the processor checks this process's control flow (a shadow stack or indirect-branch
// tracking): code that returns or jumps around the checks would then be stopped.
bool ControlFlowEnforced();

// Memory for Size bytes of generated code, writable until SealCode makes it read-and-execute.
// Null when the system refuses.
void* AllocateCode(size_t Size);
bool SealCode(void* Code, size_t Size);
void FreeCode(void* Code, size_t Size);
