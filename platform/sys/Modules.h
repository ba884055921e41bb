#pragma once
// Modules of the process: the program and the shared libraries it has loaded. A module's handle is
// the address its file's first byte is mapped at.
#include <cstdint>
#include <string>
#include <vector>

using TModuleHandle = uintptr_t;

// The module whose mapping holds Address; 0 when no module does (heap, stack, nothing).
TModuleHandle ModuleOfAddress(const void* Address);
TModuleHandle MainModuleHandle();
// Full path of a loaded module's file (the program's own path for the main program); empty when
// Handle is no module.
std::string ModuleFileName(TModuleHandle Handle);

// One loaded module as the dynamic loader lists it.
struct TLoadedModule {
  TModuleHandle Handle = 0;
  // What the loader added to the file's link-time addresses (0 for a program linked at a fixed
  // address): run-time address = Bias + link-time address.
  uintptr_t Bias = 0;
  // Full path; the program's own path for the main program; empty for modules without a file
  // (the kernel's vDSO).
  std::string FileName;
};
// Every module of the process in the loader's order (the program first), each once.
std::vector<TLoadedModule> LoadedModules();
