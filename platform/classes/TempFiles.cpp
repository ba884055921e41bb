#include "platform/classes/TempFiles.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"

std::string GetTempPath() {
  const char* Env = ::getenv("TMPDIR");
  std::string Dir = Env && *Env ? Env : "/tmp";
  if (Dir.back() != '/') Dir += '/';
  return Dir;
}

std::string GetTempFileName(const std::string& Dir, const std::string& Prefix) {
  std::string Path = Dir;
  if (!Path.empty() && Path.back() != '/') Path += '/';
  Path += Prefix + "XXXXXX.tmp";
  std::vector<char> Buf(Path.begin(), Path.end());
  Buf.push_back('\0');
  int Fd = ::mkstemps(Buf.data(), 4);
  if (Fd < 0) throw EFCreateError(Format(STempFileError, {Dir, SysErrorMessage(errno)}));
  ::close(Fd);
  return std::string(Buf.data());
}
