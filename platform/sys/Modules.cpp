#include "platform/sys/Modules.h"

#include <link.h>
#include <sys/auxv.h>

#include "platform/sys/Process.h"

TModuleHandle MainModuleHandle() {
  // The program headers of the main program lie inside its first mapping.
  static const TModuleHandle Main = ModuleOfAddress(reinterpret_cast<const void*>(::getauxval(AT_PHDR)));
  return Main;
}

// Lookups walk the loader's list (dl_iterate_phdr), never dladdr: dladdr takes the lock that the
// loader holds while a library's constructors run, so a crash inside dlopen could not be reported.
namespace {
// The handle of a loaded object: where its lowest loadable segment's page is mapped.
bool HandleOf(const dl_phdr_info* Info, TModuleHandle& Handle) {
  bool Found = false;
  ElfW(Addr) Lowest = 0;
  for (ElfW(Half) I = 0; I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info->dlpi_phdr[I];
    if (P.p_type != PT_LOAD) continue;
    if (!Found || P.p_vaddr < Lowest) Lowest = P.p_vaddr;
    Found = true;
  }
  Handle = Info->dlpi_addr + (Lowest & ~static_cast<ElfW(Addr)>(0xFFF));
  return Found;
}

struct TFind {
  uintptr_t Address = 0;      // find the module holding this address
  TModuleHandle Handle = 0;   // or the module with this handle
  TModuleHandle Found = 0;
  const char* Name = nullptr;
};

int FindModule(dl_phdr_info* Info, size_t, void* Data) {
  auto& F = *static_cast<TFind*>(Data);
  TModuleHandle Handle;
  if (!HandleOf(Info, Handle)) return 0;
  bool Match = F.Handle != 0 && Handle == F.Handle;
  for (ElfW(Half) I = 0; !Match && F.Address != 0 && I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info->dlpi_phdr[I];
    uintptr_t Start = Info->dlpi_addr + P.p_vaddr;
    Match = P.p_type == PT_LOAD && F.Address >= Start && F.Address - Start < P.p_memsz;
  }
  if (!Match) return 0;
  F.Found = Handle;
  F.Name = Info->dlpi_name;
  return 1;
}
}  // namespace

TModuleHandle ModuleOfAddress(const void* Address) {
  if (!Address) return 0;
  TFind F;
  F.Address = reinterpret_cast<uintptr_t>(Address);
  ::dl_iterate_phdr(FindModule, &F);
  return F.Found;
}

std::string ModuleFileName(TModuleHandle Handle) {
  if (Handle == 0) return std::string();
  // The loader names the main program as it was started (often a relative path), so ask the system.
  if (Handle == MainModuleHandle()) return ProgramPath();
  TFind F;
  F.Handle = Handle;
  ::dl_iterate_phdr(FindModule, &F);
  return F.Found && F.Name ? F.Name : std::string();
}

namespace {
int AddModule(dl_phdr_info* Info, size_t, void* Data) {
  auto& List = *static_cast<std::vector<TLoadedModule>*>(Data);
  TLoadedModule M;
  if (!HandleOf(Info, M.Handle)) return 0;
  M.Bias = Info->dlpi_addr;
  if (M.Handle == MainModuleHandle())
    M.FileName = ProgramPath();
  else if (Info->dlpi_name)
    M.FileName = Info->dlpi_name;
  for (const TLoadedModule& Known : List)
    if (Known.Handle == M.Handle) return 0;
  List.push_back(std::move(M));
  return 0;
}
}  // namespace

std::vector<TLoadedModule> LoadedModules() {
  std::vector<TLoadedModule> List;
  ::dl_iterate_phdr(AddModule, &List);
  return List;
}
