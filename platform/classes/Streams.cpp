#include "platform/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"

int64_t TStream::Size() {
  int64_t Pos = Seek(0, soCurrent);
  int64_t End = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return End;
}

void TStream::SetSize(int64_t) { throw EStreamError(SSetSizeUnsupported); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(SWriteError);
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  int64_t Result = Count;
  std::vector<uint8_t> Buf(static_cast<size_t>(std::min<int64_t>(Count, 61440)));
  while (Count > 0) {
    int64_t N = std::min<int64_t>(Count, static_cast<int64_t>(Buf.size()));
    Source.ReadBuffer(Buf.data(), N);
    WriteBuffer(Buf.data(), N);
    Count -= N;
  }
  return Result;
}

template <typename T>
static T ReadLE(TStream& S) {
  uint8_t B[sizeof(T)];
  S.ReadBuffer(B, sizeof(T));
  uint64_t V = 0;
  for (size_t I = sizeof(T); I-- > 0;) V = (V << 8) | B[I];
  T R;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&R, &V, 8);
  } else {
    R = static_cast<T>(V);
  }
  return R;
}

template <typename T>
static void WriteLE(TStream& S, T Value) {
  uint64_t V = 0;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&V, &Value, 8);
  } else {
    V = static_cast<uint64_t>(Value);
  }
  uint8_t B[sizeof(T)];
  for (size_t I = 0; I < sizeof(T); ++I) B[I] = static_cast<uint8_t>(V >> (8 * I));
  S.WriteBuffer(B, sizeof(T));
}

uint8_t TStream::ReadByte() { return ReadLE<uint8_t>(*this); }
int16_t TStream::ReadInt16() { return ReadLE<int16_t>(*this); }
uint16_t TStream::ReadUInt16() { return ReadLE<uint16_t>(*this); }
int32_t TStream::ReadInt32() { return ReadLE<int32_t>(*this); }
uint32_t TStream::ReadUInt32() { return ReadLE<uint32_t>(*this); }
int64_t TStream::ReadInt64() { return ReadLE<int64_t>(*this); }
double TStream::ReadDouble() { return ReadLE<double>(*this); }
void TStream::WriteByte(uint8_t V) { WriteLE(*this, V); }
void TStream::WriteInt16(int16_t V) { WriteLE(*this, V); }
void TStream::WriteUInt16(uint16_t V) { WriteLE(*this, V); }
void TStream::WriteInt32(int32_t V) { WriteLE(*this, V); }
void TStream::WriteUInt32(uint32_t V) { WriteLE(*this, V); }
void TStream::WriteInt64(int64_t V) { WriteLE(*this, V); }
void TStream::WriteDouble(double V) { WriteLE(*this, V); }

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  int64_t Avail = Size() - FPosition;
  if (Count <= 0 || Avail <= 0) return 0;
  int64_t N = std::min(Count, Avail);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t End = FPosition + Count;
  if (End > Size()) {
    if (static_cast<size_t>(End) > FData.capacity())
      FData.reserve(std::max<size_t>(static_cast<size_t>(End), FData.capacity() * 2));
    FData.resize(static_cast<size_t>(End));
  }
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = End;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  switch (Origin) {
    case soBeginning: FPosition = Offset; break;
    case soCurrent: FPosition += Offset; break;
    case soEnd: FPosition = Size() + Offset; break;
  }
  if (FPosition < 0) FPosition = 0;
  return FPosition;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  FData.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  int64_t N = Source.Size();
  SetSize(N);
  if (N) Source.ReadBuffer(FData.data(), N);
  FPosition = 0;
}

void TMemoryStream::SaveToStream(TStream& Dest) {
  if (!FData.empty()) Dest.WriteBuffer(FData.data(), Size());
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(F);
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream F(FileName, fmCreate);
  SaveToStream(F);
}

// ---- TBytesStream

int64_t TBytesStream::Read(void* Buffer, int64_t Count) {
  int64_t Avail = FSize - FPosition;
  if (Count <= 0 || Avail <= 0) return 0;
  int64_t N = std::min(Count, Avail);
  std::memcpy(Buffer, FData + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

int64_t TBytesStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekedPosition(FPosition, FSize, Offset, Origin);
  return FPosition;
}

// ---- THandleStream / TFileStream

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::read(FHandle, static_cast<uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  return Done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::write(FHandle, static_cast<const uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  return Done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  static const int Whence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t R = ::lseek(FHandle, static_cast<off_t>(Offset), Whence[Origin <= soEnd ? Origin : 0]);
  return R < 0 ? -1 : static_cast<int64_t>(R);
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t Pos = Position();
  if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0) throw EStreamError(SSetSizeError);
  if (Pos > NewSize) Seek(NewSize, soBeginning);
}

static int OpenFile(const std::string& FileName, uint16_t Mode) {
  if ((Mode & 0xFF00) == fmCreate)
    return ::open(FileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  static const int Access[3] = {O_RDONLY, O_WRONLY, O_RDWR};
  int A = Mode & 3;
  int Fd = ::open(FileName.c_str(), (A < 3 ? Access[A] : O_RDONLY) | O_CLOEXEC);
  // A folder opens for reading on Linux and then reads as nothing: it is not a file.
  struct stat St;
  if (Fd >= 0 && ::fstat(Fd, &St) == 0 && S_ISDIR(St.st_mode)) {
    ::close(Fd);
    errno = EISDIR;
    return -1;
  }
  return Fd;
}

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode)
    : THandleStream(OpenFile(FileName, Mode)), FFileName(FileName) {
  if (FHandle < 0) {
    std::string Why = SysErrorMessage(errno);
    if ((Mode & 0xFF00) == fmCreate)
      throw EFCreateError(Format(SFCreateError, {FileName, Why}));
    throw EFOpenError(Format(SFOpenError, {FileName, Why}));
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}
