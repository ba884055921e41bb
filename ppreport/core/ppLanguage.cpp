#include "ppreport/core/ppLanguage.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"
#include "ppreport/core/ppLanguageModule.h"
#include "ppreport/core/ppUnits.h"

namespace {
constexpr const char* Extensions[] = {"dft", "dan", "nld", "eng", "fra", "deu", "ita",
                                      "ptb", "ptg", "esp", "esm", "sve", "nor", "cst"};
static_assert(std::size(Extensions) == lgCustom + 1);

constexpr std::string_view Placeholders[] = {
    "<page>",       "<pagecount>", "<documentname>", "<printername>", "<columnno>",
    "<filename>",   "<minbarwidth>", "<maxbarwidth>", "<character>",  "<identifier>",
    "<name>",       "<count>",     "<message>",      "<length>",      "<no>",
};

void ReplaceAll(std::string& S, std::string_view From, std::string_view To) {
  for (size_t P = S.find(From); P != std::string::npos; P = S.find(From, P + To.size())) S.replace(P, From.size(), To);
}

// The whole file when it exists and is not larger than a module may be.
bool ReadModuleFile(const std::string& Path, std::vector<uint8_t>& Bytes) {
  std::ifstream In(Path, std::ios::binary | std::ios::ate);
  if (!In) return false;
  std::streamoff Size = In.tellg();
  if (Size < 0 || static_cast<uint64_t>(Size) > ppMaxLanguageModuleSize) return false;
  Bytes.resize(static_cast<size_t>(Size));
  In.seekg(0);
  return static_cast<bool>(In.read(reinterpret_cast<char*>(Bytes.data()), Size));
}

std::unique_ptr<TppResourceManager>& Instance() {
  static std::unique_ptr<TppResourceManager> M;
  return M;
}
std::mutex& InstanceLock() {
  static std::mutex M;
  return M;
}
}  // namespace

std::string ExpandMessagePlaceholders(std::string_view Text) {
  std::string S(Text);
  for (std::string_view P : Placeholders) ReplaceAll(S, P, "%s");
  return S;
}

std::string LanguageString(int N) { return ppResourceManager().LoadString(ppLanguageStringBase + N); }

std::string FormatLanguageString(int N, std::initializer_list<FormatArg> Args) {
  std::string Text = LanguageString(N);
  ReplaceAll(Text, "%", "%%");
  return Format(ExpandMessagePlaceholders(Text), Args);
}

const char* LanguageFileExtension(TppLanguageType Language) {
  size_t I = static_cast<size_t>(Language);
  return I < std::size(Extensions) ? Extensions[I] : "";
}

// ---- TppResourceManager

TppResourceManager::TppResourceManager() {
  const std::string Folder = ExtractFilePath(ProgramPath());
  FSearchPath = {Folder + "resources/", Folder};
}

TppResourceManager::~TppResourceManager() = default;

TppLanguageType TppResourceManager::Language() const {
  std::shared_lock Guard(FLock);
  return FLanguage;
}

std::shared_ptr<const TppLanguageModuleData> TppResourceManager::LoadModule(const std::string& BaseName) const {
  const std::string FileName = BaseName + "." + LanguageFileExtension(FLanguage);
  for (const std::string& Folder : FSearchPath) {
    std::string Path = Folder;
    if (!Path.empty() && Path.back() != '/') Path += '/';
    Path += FileName;
    std::vector<uint8_t> Bytes;
    if (!ReadModuleFile(Path, Bytes)) continue;
    // The first file found counts, as a library search would; a damaged one loads nothing.
    try {
      return std::make_shared<const TppLanguageModuleData>(ReadLanguageModule(Bytes.data(), Bytes.size()));
    } catch (const EReadError&) {
      return nullptr;
    }
  }
  return nullptr;
}

void TppResourceManager::LoadModules() {
  for (TModule& M : FModules) M.Data.reset();
  for (TModule& M : FModules) M.Data = LoadModule(M.BaseName);
  FModulesLoaded = true;
}

int TppResourceManager::CountLoaded() const {
  return static_cast<int>(std::count_if(FModules.begin(), FModules.end(), [](const TModule& M) { return M.Data; }));
}

bool TppResourceManager::SetLanguage(TppLanguageType Language) {
  std::unique_lock Guard(FLock);
  const TppLanguageType Previous = FLanguage;
  FLanguage = Language;
  if (Language != Previous) FModulesLoaded = false;
  if (!FModulesLoaded) LoadModules();
  if (Language != lgDefault && CountLoaded() == 0) {
    // Refused: the previous language's modules are loaded again, so its texts do not quietly
    // fall back to the program's own.
    FLanguage = Previous;
    LoadModules();
    return false;
  }
  return true;
}

std::string TppResourceManager::LoadString(int Ident) const {
  {
    std::shared_lock Guard(FLock);
    for (const TModule& M : FModules) {
      if (!M.Data) continue;
      auto It = M.Data->Strings.find(static_cast<uint32_t>(Ident));
      if (It != M.Data->Strings.end() && !It->second.empty()) return It->second;
    }
  }
  const char* Own = ProgramLanguageString(Ident - ppLanguageStringBase);
  return Own ? Own : "";
}

std::vector<uint8_t> TppResourceManager::LoadBitmapBytes(std::string_view Name) const {
  std::shared_lock Guard(FLock);
  for (const TModule& M : FModules) {
    if (!M.Data) continue;
    for (const auto& [BitmapName, Bytes] : M.Data->Bitmaps)
      if (SameTextAscii(BitmapName, Name)) return Bytes;
  }
  return {};
}

void TppResourceManager::AddModule(const std::string& BaseName) {
  std::unique_lock Guard(FLock);
  for (const TModule& M : FModules)
    if (SameTextAscii(M.BaseName, BaseName)) return;
  FModules.push_back({BaseName, LoadModule(BaseName)});
}

void TppResourceManager::RemoveModule(const std::string& BaseName) {
  std::unique_lock Guard(FLock);
  std::erase_if(FModules, [&](const TModule& M) { return SameTextAscii(M.BaseName, BaseName); });
}

std::vector<std::string> TppResourceManager::Modules() const {
  std::shared_lock Guard(FLock);
  std::vector<std::string> Names;
  for (const TModule& M : FModules) Names.push_back(M.BaseName);
  return Names;
}

int TppResourceManager::LoadedCount() const {
  std::shared_lock Guard(FLock);
  return CountLoaded();
}

bool TppResourceManager::ModulesLoaded() const {
  std::shared_lock Guard(FLock);
  return FModulesLoaded;
}

std::vector<std::string> TppResourceManager::SearchPath() const {
  std::shared_lock Guard(FLock);
  return FSearchPath;
}

void TppResourceManager::SetSearchPath(std::vector<std::string> Folders) {
  std::unique_lock Guard(FLock);
  FSearchPath = std::move(Folders);
}

TppResourceManager& ppResourceManager() {
  std::lock_guard Guard(InstanceLock());
  auto& M = Instance();
  if (!M) M = std::make_unique<TppResourceManager>();
  return *M;
}

void InitializeLanguageUnit() {}

void FinalizeLanguageUnit() {
  std::lock_guard Guard(InstanceLock());
  Instance().reset();
}
