#include "platform/app/Registry.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/app/AppConsts.h"
#include "platform/sys/FileSystem.h"

namespace {
const char* RootName(TRegistryRoot R) {
  switch (R) {
    case TRegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case TRegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    default: return "HKEY_CURRENT_USER";
  }
}

std::string Escape(const std::string& S) {
  std::string R;
  for (char C : S) {
    switch (C) {
      case '\\': R += "\\\\"; break;
      case '\t': R += "\\t"; break;
      case '\n': R += "\\n"; break;
      case '\r': R += "\\r"; break;
      default: R += C;
    }
  }
  return R;
}

// A backslash before anything else, or at the end, stands for itself.
std::string Unescape(const std::string& S) {
  std::string R;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] != '\\' || I + 1 == S.size()) {
      R += S[I];
      continue;
    }
    switch (char N = S[++I]) {
      case 't': R += '\t'; break;
      case 'n': R += '\n'; break;
      case 'r': R += '\r'; break;
      case '\\': R += '\\'; break;
      default: R += '\\', R += N;
    }
  }
  return R;
}

std::string NormalKey(std::string K) {
  while (!K.empty() && K.front() == '\\') K.erase(0, 1);
  while (!K.empty() && K.back() == '\\') K.pop_back();
  return K;
}
}  // namespace

std::string RegistryFileName() {
  std::string Dir = ConfigHomeDirectory();
  return Dir.empty() ? std::string() : Dir + "/mivo-open-report/registry";
}

std::vector<TRegistryEntry> ParseRegistryText(const std::string& Text) {
  std::map<std::pair<std::string, std::string>, std::string> Values;
  std::istringstream In(Text);
  std::string Line;
  while (std::getline(In, Line)) {
    size_t A = Line.find('\t');
    if (A == std::string::npos) continue;
    size_t B = Line.find('\t', A + 1);
    if (B == std::string::npos || Line.find('\t', B + 1) != std::string::npos) continue;
    std::string Key = Unescape(Line.substr(0, A));
    if (Key.empty()) continue;
    Values[{Key, Unescape(Line.substr(A + 1, B - A - 1))}] = Unescape(Line.substr(B + 1));
  }
  std::vector<TRegistryEntry> R;
  for (auto& [K, V] : Values) R.push_back({K.first, K.second, V});
  return R;
}

std::string FormatRegistryText(const std::vector<TRegistryEntry>& Entries) {
  std::string R;
  for (const TRegistryEntry& E : Entries) R += Escape(E.Key) + '\t' + Escape(E.Name) + '\t' + Escape(E.Value) + '\n';
  return R;
}

TRegistry::TRegistry(const std::string& FileName) : FFileName(FileName.empty() ? RegistryFileName() : FileName) {}

std::string TRegistry::FullKey() const {
  return FCurrentKey.empty() ? RootName(FRoot) : std::string(RootName(FRoot)) + "\\" + FCurrentKey;
}

void TRegistry::Load() {
  FValues.clear();
  std::ifstream In(FFileName, std::ios::binary);
  if (!In) return;
  std::ostringstream S;
  S << In.rdbuf();
  for (TRegistryEntry& E : ParseRegistryText(S.str())) FValues[{E.Key, E.Name}] = E.Value;
}

void TRegistry::Save() const {
  if (FFileName.empty()) throw ERegistryException(SRegNoConfigFolder);
  size_t Slash = FFileName.find_last_of('/');
  if (Slash != std::string::npos && Slash > 0) ForceDirectories(FFileName.substr(0, Slash));
  std::string Temp = FFileName + ".new." + std::to_string(::getpid());
  {
    std::ofstream Out(Temp, std::ios::binary | std::ios::trunc);
    Out << FormatRegistryText(Entries());
    Out.close();
    if (!Out) {
      std::remove(Temp.c_str());
      throw ERegistryException(Format(SRegWriteFailed, {FFileName}));
    }
  }
  if (std::rename(Temp.c_str(), FFileName.c_str()) != 0) {
    std::remove(Temp.c_str());
    throw ERegistryException(Format(SRegWriteFailed, {FFileName}));
  }
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  CloseKey();
  if (FFileName.empty()) {
    if (CanCreate) throw ERegistryException(SRegNoConfigFolder);
    return false;
  }
  Load();
  FCurrentKey = NormalKey(Key);
  if (!CanCreate) {
    std::string Full = FullKey(), Below = Full + "\\";
    bool Found = false;
    for (auto& [K, V] : FValues)
      if (K.first == Full || K.first.compare(0, Below.size(), Below) == 0) Found = true;
    if (!Found) {
      FCurrentKey.clear();
      return false;
    }
  }
  FOpen = true;
  return true;
}

void TRegistry::CloseKey() {
  FOpen = false;
  FCurrentKey.clear();
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  if (!FOpen) throw ERegistryException(SRegNoKeyOpen);
  FValues[{FullKey(), Name}] = Value;
  Save();
}

std::string TRegistry::ReadString(const std::string& Name) const {
  if (!FOpen) return std::string();
  auto It = FValues.find({FullKey(), Name});
  return It == FValues.end() ? std::string() : It->second;
}

bool TRegistry::ValueExists(const std::string& Name) const {
  return FOpen && FValues.count({FullKey(), Name}) > 0;
}

std::vector<TRegistryEntry> TRegistry::Entries() const {
  std::vector<TRegistryEntry> R;
  for (auto& [K, V] : FValues) R.push_back({K.first, K.second, V});
  return R;
}
