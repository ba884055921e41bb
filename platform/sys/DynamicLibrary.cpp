#include "platform/sys/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <vector>

#include "platform/sys/Process.h"

namespace {
void* Open(const std::string& Path) { return ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL); }

// The folders the program's own libraries are looked for in (its run path
// among them). dlopen alone would use those of its caller, which is not the
// program when a tool such as a sanitizer wraps dlopen.
std::vector<std::string> ProgramSearchPath() {
  std::vector<std::string> Folders;
  void* Program = ::dlopen(nullptr, RTLD_NOW);
  if (!Program) return Folders;
  Dl_serinfo Size;
  if (::dlinfo(Program, RTLD_DI_SERINFOSIZE, &Size) == 0 && Size.dls_size >= sizeof(Dl_serinfo)) {
    std::vector<unsigned char> Buffer(Size.dls_size);
    auto* Info = reinterpret_cast<Dl_serinfo*>(Buffer.data());
    *Info = Size;
    if (::dlinfo(Program, RTLD_DI_SERINFO, Info) == 0)
      for (unsigned I = 0; I < Info->dls_cnt; ++I) Folders.emplace_back(Info->dls_serpath[I].dls_name);
  }
  ::dlclose(Program);
  return Folders;
}
}  // namespace

TLibraryHandle LoadLibrary(const std::string& Name) {
  if (Name.empty()) return nullptr;
  if (Name.find('/') == std::string::npos) {
    // A component installed beside the program wins over one elsewhere, as
    // the program was built and tested with it.
    std::string Program = ProgramPath();
    size_t Slash = Program.rfind('/');
    if (Slash != std::string::npos)
      if (void* H = Open(Program.substr(0, Slash + 1) + Name)) return H;
    for (const std::string& Folder : ProgramSearchPath())
      if (void* H = Open(Folder + "/" + Name)) return H;
  }
  return Open(Name);
}

void* GetProcAddress(TLibraryHandle Library, const std::string& Name) {
  if (!Library) return nullptr;
  ::dlerror();
  return ::dlsym(Library, Name.c_str());
}

std::string LibraryFileName(TLibraryHandle Library) {
  link_map* Map = nullptr;
  if (!Library || ::dlinfo(Library, RTLD_DI_LINKMAP, &Map) != 0 || !Map || !Map->l_name) return {};
  return Map->l_name;
}

void FreeLibrary(TLibraryHandle Library) {
  if (Library) ::dlclose(Library);
}

std::string LibraryError() {
  const char* E = ::dlerror();
  return E ? E : "";
}
