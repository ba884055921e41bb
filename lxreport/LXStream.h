#pragma once
// The bytes of one stored report: the 128-byte header and the page records.
// Kept in memory until they pass a size limit, then moved to a temporary file;
// a saved report being viewed is wrapped read-only. Every member takes the
// stream's re-entrant lock; LockStream hands out a scoped lock for a sequence
// of calls (seek, then read) that must not be interleaved.
#include <memory>
#include <mutex>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/classes/SyncObjs.h"

class TLXStream : public TStream {
public:
  // In memory until the size passes MemoryLimit (strictly greater spills).
  explicit TLXStream(int32_t MemoryLimit);
  // Opens an existing file read-only, other readers and writers allowed.
  static std::unique_ptr<TLXStream> CreateFromFile(const std::string& FileName);
  ~TLXStream() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

  // Copies the whole stream to Dest in 10240-byte steps, whatever the position was.
  void SaveToStream(TStream& Dest);
  [[nodiscard]] std::unique_lock<TCriticalSection> LockStream() const {
    return std::unique_lock<TCriticalSection>(FLock);
  }

  static constexpr int32_t HeaderSize() { return 128; }
  bool InMemory() const;
  // Path of the spill file; empty while in memory and for an opened saved file.
  std::string FileName() const;
  int32_t MemoryLimit() const { return FMemoryLimit; }

private:
  TLXStream() = default;
  TStream& Current();

  bool FInMemory = true;
  std::unique_ptr<TMemoryStream> FMemoryStream;
  std::unique_ptr<TFileStream> FFileStream;
  std::string FFileName;
  int32_t FMemoryLimit = 0;
  mutable TCriticalSection FLock;
};
