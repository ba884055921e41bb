#include "platform/sys/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {
bool ValidName(const std::string& Name) { return !Name.empty() && Name.find('/') == std::string::npos; }
std::string SystemName(const std::string& Name) { return "/" + Name; }
}  // namespace

TSharedMemory& TSharedMemory::operator=(TSharedMemory&& Other) noexcept {
  if (this != &Other) {
    Close();
    FName = std::move(Other.FName);
    FHandle = Other.FHandle;
    FData = Other.FData;
    FSize = Other.FSize;
    Other.FHandle = -1;
    Other.FData = nullptr;
    Other.FSize = 0;
  }
  return *this;
}

bool TSharedMemory::Map(int Handle, size_t Size) {
  void* P = nullptr;
  if (Size > 0) {
    P = ::mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_SHARED, Handle, 0);
    if (P == MAP_FAILED) return false;
  }
  FHandle = Handle;
  FData = static_cast<uint8_t*>(P);
  FSize = Size;
  return true;
}

bool TSharedMemory::Create(const std::string& Name, size_t Size) {
  Close();
  if (!ValidName(Name)) return false;
  int H = ::shm_open(SystemName(Name).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (H < 0) return false;
  int Err = 0;
  if (::ftruncate(H, static_cast<off_t>(Size)) != 0 || !Map(H, Size)) {
    Err = errno;
    ::close(H);
    ::shm_unlink(SystemName(Name).c_str());
    errno = Err;
    return false;
  }
  FName = Name;
  return true;
}

bool TSharedMemory::Open(const std::string& Name) {
  Close();
  if (!ValidName(Name)) return false;
  int H = ::shm_open(SystemName(Name).c_str(), O_RDWR | O_CLOEXEC, 0);
  if (H < 0) return false;
  struct stat St;
  if (::fstat(H, &St) != 0 || St.st_size < 0 || !Map(H, static_cast<size_t>(St.st_size))) {
    int Err = errno;
    ::close(H);
    errno = Err;
    return false;
  }
  FName = Name;
  return true;
}

void TSharedMemory::Close() {
  if (FData) ::munmap(FData, FSize);
  if (FHandle >= 0) ::close(FHandle);
  FHandle = -1;
  FData = nullptr;
  FSize = 0;
  FName.clear();
}

bool TSharedMemory::Remove(const std::string& Name) {
  return ValidName(Name) && ::shm_unlink(SystemName(Name).c_str()) == 0;
}

bool TSharedMemory::Exists(const std::string& Name) {
  if (!ValidName(Name)) return false;
  int H = ::shm_open(SystemName(Name).c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (H < 0) return errno == EACCES;
  ::close(H);
  return true;
}
