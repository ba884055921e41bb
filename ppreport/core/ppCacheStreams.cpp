#include "ppreport/core/ppCacheStreams.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/SysUtils.h"

// ---- TppCacheMemoryStream

TppCacheMemoryStream::~TppCacheMemoryStream() {
  FBudget.Used -= static_cast<int64_t>(FChunks.size()) * ChunkSize;
}

bool TppCacheMemoryStream::Reserve(int64_t End) {
  const int64_t Needed = (End + ChunkSize - 1) / ChunkSize;
  const int64_t Have = static_cast<int64_t>(FChunks.size());
  if (Needed <= Have) return true;
  if (FBudget.Used + (Needed - Have) * ChunkSize > FBudget.Limit) return false;
  try {
    while (static_cast<int64_t>(FChunks.size()) < Needed) {
      FChunks.push_back(std::unique_ptr<uint8_t[]>(new uint8_t[ChunkSize]));
      FBudget.Used += ChunkSize;
    }
  } catch (const std::bad_alloc&) {
    return false;  // the chunks made so far stay for the next write
  }
  return true;
}

void TppCacheMemoryStream::Fill(int64_t From, int64_t To, const uint8_t* Source) {
  while (From < To) {
    uint8_t* Chunk = FChunks[static_cast<size_t>(From / ChunkSize)].get();
    const int64_t At = From % ChunkSize;
    const int64_t N = std::min(To - From, ChunkSize - At);
    if (Source) {
      std::memcpy(Chunk + At, Source, static_cast<size_t>(N));
      Source += N;
    } else {
      std::memset(Chunk + At, 0, static_cast<size_t>(N));
    }
    From += N;
  }
}

int64_t TppCacheMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  const int64_t N = std::min(Count, FSize - FPosition);
  auto* Out = static_cast<uint8_t*>(Buffer);
  for (int64_t Done = 0; Done < N;) {
    const uint8_t* Chunk = FChunks[static_cast<size_t>((FPosition + Done) / ChunkSize)].get();
    const int64_t At = (FPosition + Done) % ChunkSize;
    const int64_t Step = std::min(N - Done, ChunkSize - At);
    std::memcpy(Out + Done, Chunk + At, static_cast<size_t>(Step));
    Done += Step;
  }
  FPosition += N;
  return N;
}

int64_t TppCacheMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t End = FPosition + Count;
  if (End < FPosition || !Reserve(End)) return 0;
  if (FPosition > FSize) Fill(FSize, FPosition, nullptr);  // a chunk kept from a shrink holds old bytes
  Fill(FPosition, End, static_cast<const uint8_t*>(Buffer));
  FPosition = End;
  FSize = std::max(FSize, End);
  return Count;
}

int64_t TppCacheMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekedPosition(FPosition, FSize, Offset, Origin);
  return FPosition;
}

void TppCacheMemoryStream::SetSize(int64_t NewSize) {
  NewSize = std::max<int64_t>(NewSize, 0);
  if (NewSize > FSize) {
    if (!Reserve(NewSize)) throw EWriteError(SWriteError);
    Fill(FSize, NewSize, nullptr);
  } else {
    const size_t Keep = static_cast<size_t>((NewSize + ChunkSize - 1) / ChunkSize);
    FBudget.Used -= static_cast<int64_t>(FChunks.size() - Keep) * ChunkSize;
    FChunks.resize(Keep);
  }
  FSize = NewSize;
  if (FPosition > FSize) FPosition = FSize;
}

void TppCacheMemoryStream::CopyTo(TStream& Dest) const {
  for (int64_t From = 0; From < FSize; From += ChunkSize)
    Dest.WriteBuffer(FChunks[static_cast<size_t>(From / ChunkSize)].get(), std::min(ChunkSize, FSize - From));
}

// ---- TppCacheFileStream

TppCacheFileStream::TppCacheFileStream(const std::string& Directory, std::string& FileName) {
  std::string Path = Directory;
  if (!Path.empty() && Path.back() != '/') Path += '/';
  Path += "cchXXXXXX.tmp";
  std::vector<char> Buf(Path.begin(), Path.end());
  Buf.push_back('\0');
  FHandle = ::mkostemps(Buf.data(), 4, O_CLOEXEC);
  if (FHandle < 0) throw EFCreateError(Format(STempFileError, {Directory, SysErrorMessage(errno)}));
  FileName.assign(Buf.data());
  ::unlink(Buf.data());
}

TppCacheFileStream::~TppCacheFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

void TppCacheFileStream::ReadAhead(int64_t Offset, int64_t Count) {
  FWindow.clear();
  Count = std::clamp<int64_t>(std::min(Count, FSize - Offset), 0, int64_t(1) << 24);
  if (Offset < 0 || Count == 0) return;
  FWindow.resize(static_cast<size_t>(Count));
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::pread(FHandle, FWindow.data() + Done, static_cast<size_t>(Count - Done), static_cast<off_t>(Offset + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  FWindow.resize(static_cast<size_t>(Done));
  FWindowStart = Offset;
}

bool TppCacheFileStream::FromWindow(void* Buffer, int64_t Count) {
  if (FPosition < FWindowStart || Count > static_cast<int64_t>(FWindow.size()) - (FPosition - FWindowStart)) return false;
  std::memcpy(Buffer, FWindow.data() + (FPosition - FWindowStart), static_cast<size_t>(Count));
  FPosition += Count;
  return true;
}

int64_t TppCacheFileStream::Read(void* Buffer, int64_t Count) {
  if (Count > 0 && FromWindow(Buffer, Count)) return Count;
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::pread(FHandle, static_cast<uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done),
                        static_cast<off_t>(FPosition + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  FPosition += Done;
  return Done;
}

int64_t TppCacheFileStream::Write(const void* Buffer, int64_t Count) {
  int64_t Done = 0;
  while (Done < Count) {
    ssize_t N = ::pwrite(FHandle, static_cast<const uint8_t*>(Buffer) + Done, static_cast<size_t>(Count - Done),
                         static_cast<off_t>(FPosition + Done));
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Done += N;
  }
  // What was written replaces its bytes in the read-ahead window.
  const int64_t From = std::max(FPosition, FWindowStart);
  const int64_t To = std::min(FPosition + Done, FWindowStart + static_cast<int64_t>(FWindow.size()));
  if (From < To)
    std::memcpy(FWindow.data() + (From - FWindowStart), static_cast<const uint8_t*>(Buffer) + (From - FPosition),
                static_cast<size_t>(To - From));
  FPosition += Done;
  FSize = std::max(FSize, FPosition);
  return Done;
}

int64_t TppCacheFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekedPosition(FPosition, FSize, Offset, Origin);
  return FPosition;
}

void TppCacheFileStream::SetSize(int64_t NewSize) {
  NewSize = std::max<int64_t>(NewSize, 0);
  if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0) throw EStreamError(SSetSizeError);
  FWindow.clear();
  FSize = NewSize;
  if (FPosition > FSize) FPosition = FSize;
}
