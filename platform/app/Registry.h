#pragma once
// The registry in place of the system's: keys named by paths ("lxp_auto_file\shell\open\command")
// under a root key, each with named string values (the empty name is the key's default value).
// The store is one text file under the user's configuration folder, read when a key is opened and
// written whole (to a new file renamed over the old one) at every change, so other programs and
// tests can read it. No widgets, no Qt.
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

DECLARE_EXCEPTION(ERegistryException, Exception)

enum class TRegistryRoot { ClassesRoot, CurrentUser, LocalMachine };
inline constexpr TRegistryRoot HKEY_CLASSES_ROOT = TRegistryRoot::ClassesRoot;
inline constexpr TRegistryRoot HKEY_CURRENT_USER = TRegistryRoot::CurrentUser;
inline constexpr TRegistryRoot HKEY_LOCAL_MACHINE = TRegistryRoot::LocalMachine;

// One value of the store: the full key (root first) and the value's name.
struct TRegistryEntry {
  std::string Key, Name, Value;
  bool operator==(const TRegistryEntry&) const = default;
};

// The store's file: "<config folder>/mivo-open-report/registry" (empty when the folder is unknown).
std::string RegistryFileName();
// The file's lines: key, name and value separated by tabs, with "\\", "\t", "\n" and "\r" escaped.
// Reading skips lines that are not three fields; a later line for the same key and name wins.
std::vector<TRegistryEntry> ParseRegistryText(const std::string& Text);
std::string FormatRegistryText(const std::vector<TRegistryEntry>& Entries);

class TRegistry {
public:
  // FileName empty: RegistryFileName().
  explicit TRegistry(const std::string& FileName = std::string());
  TRegistryRoot RootKey() const { return FRoot; }
  void SetRootKey(TRegistryRoot R) { FRoot = R; }
  // Opens Key (backslashes separate its parts; a leading one is ignored). Without CanCreate a key
  // with no values of its own or below it does not open. Returns whether it is open.
  bool OpenKey(const std::string& Key, bool CanCreate);
  void CloseKey();
  const std::string& CurrentPath() const { return FCurrentKey; }
  // Raise ERegistryException without an open key or when the file cannot be written.
  void WriteString(const std::string& Name, const std::string& Value);
  std::string ReadString(const std::string& Name) const;
  bool ValueExists(const std::string& Name) const;
  // Every value of the store, in key order.
  std::vector<TRegistryEntry> Entries() const;

private:
  std::string FullKey() const;
  void Load();
  void Save() const;
  std::string FFileName;
  TRegistryRoot FRoot = TRegistryRoot::CurrentUser;
  std::string FCurrentKey;
  bool FOpen = false;
  std::map<std::pair<std::string, std::string>, std::string> FValues;
};
