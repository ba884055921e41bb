#pragma once
// Modules of the process: the program and the shared libraries it has loaded. A module's handle is
// the address its file's first byte is mapped at.
#include <cstdint>
#include <string>

using TModuleHandle = uintptr_t;

// The module whose mapping holds Address; 0 when no module does (heap, stack, nothing).
TModuleHandle ModuleOfAddress(const void* Address);
TModuleHandle MainModuleHandle();
// Full path of a loaded module's file (the program's own path for the main program); empty when
// Handle is no module.
std::string ModuleFileName(TModuleHandle Handle);
