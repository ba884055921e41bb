#include "platform/sys/Modules.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>

#include "platform/sys/Process.h"

TModuleHandle ModuleOfAddress(const void* Address) {
  Dl_info Info;
  if (!Address || ::dladdr(Address, &Info) == 0) return 0;
  return reinterpret_cast<TModuleHandle>(Info.dli_fbase);
}

TModuleHandle MainModuleHandle() {
  // The program headers of the main program lie inside its first mapping.
  static const TModuleHandle Main = ModuleOfAddress(reinterpret_cast<const void*>(::getauxval(AT_PHDR)));
  return Main;
}

std::string ModuleFileName(TModuleHandle Handle) {
  if (Handle == 0) return std::string();
  // dladdr names the main program as it was started (often a relative path), so ask the system.
  if (Handle == MainModuleHandle()) return ProgramPath();
  Dl_info Info;
  if (::dladdr(reinterpret_cast<const void*>(Handle), &Info) == 0 ||
      reinterpret_cast<TModuleHandle>(Info.dli_fbase) != Handle || !Info.dli_fname)
    return std::string();
  return Info.dli_fname;
}

namespace {
int AddModule(dl_phdr_info* Info, size_t, void* Data) {
  auto& List = *static_cast<std::vector<TLoadedModule>*>(Data);
  // The handle is where the lowest loadable segment's page is mapped, as dladdr reports it.
  bool Found = false;
  ElfW(Addr) Lowest = 0;
  for (ElfW(Half) I = 0; I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info->dlpi_phdr[I];
    if (P.p_type != PT_LOAD) continue;
    if (!Found || P.p_vaddr < Lowest) Lowest = P.p_vaddr;
    Found = true;
  }
  if (!Found) return 0;
  TLoadedModule M;
  M.Bias = Info->dlpi_addr;
  M.Handle = Info->dlpi_addr + (Lowest & ~static_cast<ElfW(Addr)>(0xFFF));
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
