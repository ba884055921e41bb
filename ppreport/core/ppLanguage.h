#pragma once
// Language strings: every text the pp library shows a user is a number n whose text is the
// string-table entry 43000 + n. Language modules (ppLanguageModule.h) registered by base name may
// override entries for the current language; without them the program's own table answers.
// Programmer errors are English literals (ppConsts.h), not language strings.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppTypes.h"

struct TppLanguageModuleData;

constexpr int ppLanguageStringBase = 43000;

// The text of language string n (empty when no module and not the program's table have one).
std::string LanguageString(int N);
// LanguageString(n) with its placeholders made "%s" and Args put in. A "%" of the text itself
// stays a "%" (texts are not format patterns). Raises EConvertError when Args do not fit.
std::string FormatLanguageString(int N, std::initializer_list<FormatArg> Args);
// Every one of the fifteen placeholders ("<page>", "<pagecount>", "<documentname>", ...) replaced
// by "%s", in that order and case-sensitively; other angle-bracket texts stay. The caller passes
// its arguments in the order the placeholders stand in the current language's text.
std::string ExpandMessagePlaceholders(std::string_view Text);

// The file extension of a language's modules ("ptb" for lgPortugueseBrazil).
const char* LanguageFileExtension(TppLanguageType Language);

// The program's own text of language string n, or null.
const char* ProgramLanguageString(int N);
int ProgramLanguageStringCount();

// The current language and the loaded modules. One per process (ppResourceManager()); lookups may
// come from any thread (background printing looks texts up in its worker), so every member locks.
class TppResourceManager {
public:
  TppResourceManager();
  ~TppResourceManager();
  TppResourceManager(const TppResourceManager&) = delete;
  TppResourceManager& operator=(const TppResourceManager&) = delete;

  TppLanguageType Language() const;
  // Switches to Language, loading every registered module for it. A language other than lgDefault
  // for which no module loads is refused: the previous language and its modules come back and the
  // answer is false.
  bool SetLanguage(TppLanguageType Language);

  // The text of string id Ident (43000 + n): the first module, in registration order, with a
  // non-empty entry, else the program's own table, else empty.
  std::string LoadString(int Ident) const;
  // The bytes of the first loaded module's bitmap of that name (ignoring ASCII case), or empty.
  std::vector<uint8_t> LoadBitmapBytes(std::string_view Name) const;

  // Registers a base name (ignoring ASCII case; once) and loads its module for the current language.
  void AddModule(const std::string& BaseName);
  // Frees the base name's module and forgets the name.
  void RemoveModule(const std::string& BaseName);
  std::vector<std::string> Modules() const;
  // Registered base names with a module loaded for the current language.
  int LoadedCount() const;
  // True once every module has been loaded for the current language.
  bool ModulesLoaded() const;

  // Folders searched for module files, in order: the program's "resources" folder, then the
  // program's own folder. Tests point it elsewhere.
  std::vector<std::string> SearchPath() const;
  void SetSearchPath(std::vector<std::string> Folders);

private:
  struct TModule {
    std::string BaseName;
    std::shared_ptr<const TppLanguageModuleData> Data;  // null: nothing loaded
  };
  std::shared_ptr<const TppLanguageModuleData> LoadModule(const std::string& BaseName) const;
  void LoadModules();
  int CountLoaded() const;

  mutable std::shared_mutex FLock;
  TppLanguageType FLanguage = lgDefault;
  std::vector<TModule> FModules;
  bool FModulesLoaded = false;
  std::vector<std::string> FSearchPath;
};

// The process's resource manager, created on first use and freed when the library shuts down.
TppResourceManager& ppResourceManager();
