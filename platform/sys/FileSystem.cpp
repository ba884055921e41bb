#include "platform/sys/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

bool DirectoryExists(const std::string& Dir) {
  struct stat St;
  return !Dir.empty() && ::stat(Dir.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool DirectoryWritable(const std::string& Dir) {
  return DirectoryExists(Dir) && ::access(Dir.c_str(), W_OK | X_OK) == 0;
}

bool ForceDirectories(const std::string& Dir) {
  if (Dir.empty()) return false;
  if (DirectoryExists(Dir)) return true;
  std::string Path = Dir;
  while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
  size_t Slash = Path.find_last_of('/');
  if (Slash != std::string::npos && Slash > 0 && !ForceDirectories(Path.substr(0, Slash))) return false;
  return ::mkdir(Path.c_str(), 0700) == 0 || errno == EEXIST ? DirectoryExists(Path) : false;
}

namespace {
// An XDG base folder: the variable when it is an absolute path, else $HOME + UnderHome.
std::string XdgDirectory(const char* Variable, const char* UnderHome) {
  std::string R;
  if (const char* X = std::getenv(Variable); X && X[0] == '/') {
    R = X;
  } else if (const char* H = std::getenv("HOME"); H && H[0] == '/') {
    R = H;
    while (R.size() > 1 && R.back() == '/') R.pop_back();
    R += UnderHome;
  }
  while (R.size() > 1 && R.back() == '/') R.pop_back();
  return R;
}
}  // namespace

std::string StateHomeDirectory() { return XdgDirectory("XDG_STATE_HOME", "/.local/state"); }
std::string ConfigHomeDirectory() { return XdgDirectory("XDG_CONFIG_HOME", "/.config"); }
std::string DataHomeDirectory() { return XdgDirectory("XDG_DATA_HOME", "/.local/share"); }
