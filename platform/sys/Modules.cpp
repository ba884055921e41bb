#include "platform/sys/Modules.h"

#include <dlfcn.h>
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
