#include "platform/sys/LockedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/sys/FileSystem.h"

namespace {
std::string Reason() { return std::strerror(errno); }
}  // namespace

TLockedFile::TLockedFile(const std::string& FileName, TMode Mode, int TimeoutMs) : FFileName(FileName) {
  if (Mode == lmReadWrite) {
    std::string Dir = ExtractFilePath(FileName);
    if (!Dir.empty()) ForceDirectories(Dir);
    FHandle = ::open(FileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  } else {
    FHandle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (FHandle < 0 && errno == ENOENT) return;
  }
  if (FHandle < 0) throw EFOpenError("Cannot open file \"" + FileName + "\". " + Reason());
  int Operation = (Mode == lmReadWrite ? LOCK_EX : LOCK_SH) | LOCK_NB;
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (;;) {
    if (::flock(FHandle, Operation) == 0) {
      FLocked = true;
      return;
    }
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return;  // no locks on this file system: go on without
    if (std::chrono::steady_clock::now() >= Deadline) {
      ::close(FHandle);
      FHandle = -1;
      throw EFileLocked("The file \"" + FileName + "\" is locked by another process.");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TLockedFile::~TLockedFile() {
  if (FHandle < 0) return;
  if (FLocked) ::flock(FHandle, LOCK_UN);
  ::close(FHandle);
}

std::string TLockedFile::ReadAll() const {
  std::string R;
  if (FHandle < 0) return R;
  char Buf[65536];
  for (off_t At = 0;;) {
    ssize_t N = ::pread(FHandle, Buf, sizeof Buf, At);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) throw EReadError("Cannot read file \"" + FFileName + "\". " + Reason());
    if (N == 0) break;
    R.append(Buf, static_cast<size_t>(N));
    At += N;
  }
  return R;
}

void TLockedFile::Rewrite(const std::string& Bytes) {
  if (FHandle < 0) throw EWriteError("Cannot write file \"" + FFileName + "\". It is not open.");
  for (size_t At = 0; At < Bytes.size();) {
    ssize_t N = ::pwrite(FHandle, Bytes.data() + At, Bytes.size() - At, static_cast<off_t>(At));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) throw EWriteError("Cannot write file \"" + FFileName + "\". " + Reason());
    At += static_cast<size_t>(N);
  }
  if (::ftruncate(FHandle, static_cast<off_t>(Bytes.size())) != 0)
    throw EWriteError("Cannot write file \"" + FFileName + "\". " + Reason());
}
