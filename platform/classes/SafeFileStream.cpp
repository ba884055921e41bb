#include "platform/classes/SafeFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr size_t BufferSize = 1 << 16;

// Where a name leads: the file a symbolic link names, so the link stays a link.
std::string Resolve(const std::string& FileName) {
  struct stat St {};
  if (::lstat(FileName.c_str(), &St) != 0 || !S_ISLNK(St.st_mode)) return FileName;
  char Real[PATH_MAX];
  return ::realpath(FileName.c_str(), Real) ? std::string(Real) : FileName;
}

std::string Suffix() {
  static const char Digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 Random{std::random_device{}()};
  std::string S(6, 'x');
  for (char& C : S) C = Digits[Random() % (sizeof Digits - 1)];
  return S;
}
}  // namespace

TSafeFileStream::TSafeFileStream(const std::string& FileName) : FFileName(FileName), FTarget(Resolve(FileName)) {
  struct stat Old {};
  const bool Exists = ::stat(FTarget.c_str(), &Old) == 0;
  if (Exists && S_ISDIR(Old.st_mode)) throw EFCreateError(Format(SFCreateError, {FFileName, SysErrorMessage(EISDIR)}));
  const size_t Slash = FTarget.rfind('/');
  const std::string Dir = Slash == std::string::npos ? std::string() : FTarget.substr(0, Slash + 1);
  // Hidden, and short enough for any folder: ".name.abc123.tmp".
  std::string Base = Slash == std::string::npos ? FTarget : FTarget.substr(Slash + 1);
  if (Base.size() > 200) Base.resize(200);
  int Error = EEXIST;
  for (int Try = 0; Try < 100 && Error == EEXIST; ++Try) {
    std::string Name = Dir + "." + Base + "." + Suffix() + ".tmp";
    // 0666 under the process's umask, as a file made in place would be.
    FHandle = ::open(Name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (FHandle >= 0) {
      FTempName = std::move(Name);
      break;
    }
    Error = errno;
  }
  if (FHandle < 0) throw EFCreateError(Format(SFCreateError, {FFileName, SysErrorMessage(Error)}));
  // A file that is replaced keeps who may read it.
  if (Exists) (void)::fchmod(FHandle, Old.st_mode & 07777);
  FBuffer.reserve(BufferSize);
}

TSafeFileStream::~TSafeFileStream() { Discard(); }

void TSafeFileStream::Fail(int Error) {
  if (!FError) FError = Error ? Error : EIO;
  throw EWriteError(Format(SFWriteError, {FFileName, SysErrorMessage(FError)}));
}

void TSafeFileStream::FlushBuffer() {
  if (FError) Fail(FError);
  if (FHandle < 0) Fail(EBADF);
  size_t Done = 0;
  while (Done < FBuffer.size()) {
    ssize_t N = ::write(FHandle, FBuffer.data() + Done, FBuffer.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    // A regular file that takes nothing is full.
    if (N <= 0) Fail(N < 0 ? errno : ENOSPC);
    Done += static_cast<size_t>(N);
  }
  FBuffer.clear();
}

int64_t TSafeFileStream::Write(const void* Buffer, int64_t Count) {
  if (FError || FHandle < 0) Fail(FError ? FError : EBADF);
  if (Count <= 0) return 0;
  if (FBuffer.size() + static_cast<size_t>(Count) > BufferSize) FlushBuffer();
  FBuffer.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
  if (FBuffer.size() >= BufferSize) FlushBuffer();
  return Count;
}

int64_t TSafeFileStream::Read(void* Buffer, int64_t Count) {
  FlushBuffer();
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::read(FHandle, static_cast<char*>(Buffer) + Done, static_cast<size_t>(Count - Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  return Done;
}

int64_t TSafeFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FlushBuffer();
  static const int Whence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t R = ::lseek(FHandle, static_cast<off_t>(Offset), Whence[Origin <= soEnd ? Origin : 0]);
  return R < 0 ? -1 : static_cast<int64_t>(R);
}

void TSafeFileStream::Close() {
  if (FHandle < 0) {
    if (FError || FTempName.empty()) Fail(FError ? FError : EBADF);
    return;
  }
  TOnException Drop([this] { Discard(); });
  FlushBuffer();
  const int Handle = FHandle;
  FHandle = -1;
  // Network folders report a full disk only here.
  if (::close(Handle) != 0 && errno != EINTR) Fail(errno);
}

void TSafeFileStream::Commit() {
  if (FCommitted) return;
  TOnException Drop([this] { Discard(); });
  if (FHandle >= 0) {
    FlushBuffer();
    // Some file systems report a full disk only here (delayed allocation).
    if (::fsync(FHandle) != 0 && errno != EINVAL) Fail(errno);
    Close();
  } else if (FError || FTempName.empty()) {
    Fail(FError ? FError : EBADF);
  }
  if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) Fail(errno);
  FTempName.clear();
  FCommitted = true;
  // The new name survives a crash too (best effort: not every folder can be synced).
  const size_t Slash = FTarget.rfind('/');
  const std::string Dir = Slash == std::string::npos ? "." : Slash == 0 ? "/" : FTarget.substr(0, Slash);
  const int D = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (D >= 0) {
    (void)::fsync(D);
    ::close(D);
  }
}

void TSafeFileStream::Discard() {
  if (FHandle >= 0) ::close(FHandle);
  FHandle = -1;
  if (!FTempName.empty()) ::unlink(FTempName.c_str());
  FTempName.clear();
  FBuffer.clear();
}
