#include "platform/sys/DynamicLibrary.h"

#include <dlfcn.h>

#include "platform/sys/Process.h"

TLibraryHandle LoadLibrary(const std::string& Name) {
  if (Name.empty()) return nullptr;
  if (Name.find('/') == std::string::npos) {
    // A component installed beside the program wins over one elsewhere, as
    // the program was built and tested with it.
    std::string Program = ProgramPath();
    size_t Slash = Program.rfind('/');
    if (Slash != std::string::npos) {
      if (void* H = ::dlopen((Program.substr(0, Slash + 1) + Name).c_str(), RTLD_NOW | RTLD_LOCAL)) return H;
    }
  }
  return ::dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(TLibraryHandle Library, const std::string& Name) {
  if (!Library) return nullptr;
  ::dlerror();
  return ::dlsym(Library, Name.c_str());
}

void FreeLibrary(TLibraryHandle Library) {
  if (Library) ::dlclose(Library);
}

std::string LibraryError() {
  const char* E = ::dlerror();
  return E ? E : "";
}
