#pragma once
// Import slots: the entries of a module's global offset table through which its code reaches a
// function of another module (jump-slot and global-data relocations of the dynamic section).
// Rewriting a slot redirects that module's calls without touching any code.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/sys/Modules.h"

struct TImportSlot {
  TModuleHandle Module = 0;
  void** Address = nullptr;
  // The slot lies in the module's read-only-after-relocation range (RELRO): a write must open
  // the page first.
  bool ReadOnly = false;
};

// Every slot that the loader binds to the symbol Name in Module (every loaded module when Module
// is 0). A module without a dynamic section, or whose tables do not hold together, has none.
std::vector<TImportSlot> FindImportSlots(std::string_view Name, TModuleHandle Module = 0);
// Writes Value into the slot; a read-only page is made writable for the write and read-only again.
// False when the system refuses (nothing is written then).
bool WriteImportSlot(const TImportSlot& Slot, void* Value);
