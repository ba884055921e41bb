#include "platform/sys/ImportSlots.h"

#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {
struct TSearch {
  std::string_view Name;
  TModuleHandle Module;
  std::vector<TImportSlot>* Found;
};

TModuleHandle HandleOf(const dl_phdr_info& Info) {
  bool Any = false;
  ElfW(Addr) Lowest = 0;
  for (ElfW(Half) I = 0; I < Info.dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info.dlpi_phdr[I];
    if (P.p_type != PT_LOAD) continue;
    if (!Any || P.p_vaddr < Lowest) Lowest = P.p_vaddr;
    Any = true;
  }
  return Any ? Info.dlpi_addr + (Lowest & ~static_cast<ElfW(Addr)>(0xFFF)) : 0;
}

int SearchModule(dl_phdr_info* Info, size_t, void* Data) {
  auto& S = *static_cast<TSearch*>(Data);
  TModuleHandle Handle = HandleOf(*Info);
  if (Handle == 0 || (S.Module != 0 && Handle != S.Module)) return 0;
  const ElfW(Dyn)* Dynamic = nullptr;
  uintptr_t RelroStart = 0, RelroEnd = 0;
  for (ElfW(Half) I = 0; I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info->dlpi_phdr[I];
    if (P.p_type == PT_DYNAMIC) Dynamic = reinterpret_cast<const ElfW(Dyn)*>(Info->dlpi_addr + P.p_vaddr);
    if (P.p_type == PT_GNU_RELRO) {
      RelroStart = Info->dlpi_addr + P.p_vaddr;
      RelroEnd = RelroStart + P.p_memsz;
    }
  }
  if (!Dynamic) return 0;
  // The loader rewrites most address entries of a writable dynamic section to run-time addresses;
  // those of a read-only one (the vDSO) stay link-time addresses.
  auto At = [&](ElfW(Addr) V) { return V < Info->dlpi_addr ? V + Info->dlpi_addr : V; };
  const ElfW(Sym)* Symbols = nullptr;
  const char* Strings = nullptr;
  size_t StringsSize = 0;
  const ElfW(Rela)* Tables[2] = {nullptr, nullptr};
  size_t Sizes[2] = {0, 0};
  bool PltRela = true;
  for (const ElfW(Dyn)* D = Dynamic; D->d_tag != DT_NULL; ++D) {
    switch (D->d_tag) {
      case DT_SYMTAB: Symbols = reinterpret_cast<const ElfW(Sym)*>(At(D->d_un.d_ptr)); break;
      case DT_STRTAB: Strings = reinterpret_cast<const char*>(At(D->d_un.d_ptr)); break;
      case DT_STRSZ: StringsSize = D->d_un.d_val; break;
      case DT_JMPREL: Tables[0] = reinterpret_cast<const ElfW(Rela)*>(At(D->d_un.d_ptr)); break;
      case DT_PLTRELSZ: Sizes[0] = D->d_un.d_val; break;
      case DT_PLTREL: PltRela = D->d_un.d_val == DT_RELA; break;
      case DT_RELA: Tables[1] = reinterpret_cast<const ElfW(Rela)*>(At(D->d_un.d_ptr)); break;
      case DT_RELASZ: Sizes[1] = D->d_un.d_val; break;
      default: break;
    }
  }
  if (!Symbols || !Strings || !PltRela) return 0;
  for (int T = 0; T < 2; ++T) {
    if (!Tables[T]) continue;
    for (size_t I = 0; I < Sizes[T] / sizeof(ElfW(Rela)); ++I) {
      const ElfW(Rela)& R = Tables[T][I];
      uint32_t Type = ELF64_R_TYPE(R.r_info);
      if (Type != R_X86_64_JUMP_SLOT && Type != R_X86_64_GLOB_DAT) continue;
      uint32_t Name = Symbols[ELF64_R_SYM(R.r_info)].st_name;
      if (Name >= StringsSize) continue;
      const char* N = Strings + Name;
      if (std::strncmp(N, S.Name.data(), S.Name.size()) != 0 || N[S.Name.size()] != '\0') continue;
      TImportSlot Slot;
      Slot.Module = Handle;
      Slot.Address = reinterpret_cast<void**>(Info->dlpi_addr + R.r_offset);
      auto A = reinterpret_cast<uintptr_t>(Slot.Address);
      Slot.ReadOnly = A >= RelroStart && A < RelroEnd;
      S.Found->push_back(Slot);
    }
  }
  return 0;
}
}  // namespace

std::vector<TImportSlot> FindImportSlots(std::string_view Name, TModuleHandle Module) {
  std::vector<TImportSlot> Found;
  TSearch S{Name, Module, &Found};
  ::dl_iterate_phdr(SearchModule, &S);
  return Found;
}

bool WriteImportSlot(const TImportSlot& Slot, void* Value) {
  if (!Slot.Address) return false;
  if (!Slot.ReadOnly) {
    __atomic_store_n(Slot.Address, Value, __ATOMIC_SEQ_CST);
    return true;
  }
  auto PageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  void* Page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(Slot.Address) & ~(PageSize - 1));
  if (::mprotect(Page, PageSize, PROT_READ | PROT_WRITE) != 0) return false;
  __atomic_store_n(Slot.Address, Value, __ATOMIC_SEQ_CST);
  ::mprotect(Page, PageSize, PROT_READ);
  return true;
}
