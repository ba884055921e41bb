#pragma once
// Reads of memory that may not be there: an unmapped or unreadable address makes the read fail
// instead of faulting. The reads go through the kernel (process_vm_readv on the own process, or a
// pipe where that call is not allowed), so they are async-signal-safe and usable in a crash handler.
#include <cstddef>

// Copies up to Count bytes from Address into Buffer and returns how many were copied: the copy stops
// at the first byte that cannot be read (0 when Address itself cannot).
size_t SafeReadMemory(const void* Address, void* Buffer, size_t Count);
// True when every byte of [Address, Address + Count) can be read; false for a null address or a
// range that wraps around the end of the address space.
bool IsReadableMemory(const void* Address, size_t Count);

// Which mechanism the reads use; tests force the fallback to cover it.
enum class TSafeReadMethod { Auto, ProcessVmReadv, Pipe };
void SetSafeReadMethod(TSafeReadMethod Method);
