#pragma once
// The two stores of the page-state cache (internal to ppCache.cpp and its tests).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppCache.h"

// Bytes in chunks of equal size: growing never moves what is stored (no copy, no peak of twice
// the size), and every chunk is counted against the budget it shares with the manager's other
// streams. A write that would pass the budget, or that finds no memory, writes nothing and
// answers 0: the cache's cue to move to files.
class TppCacheMemoryStream final : public TStream {
public:
  static constexpr int64_t ChunkSize = 16384;

  explicit TppCacheMemoryStream(TppCacheManager::TBudget& Budget) : FBudget(Budget) {}
  ~TppCacheMemoryStream() override;
  TppCacheMemoryStream(const TppCacheMemoryStream&) = delete;
  TppCacheMemoryStream& operator=(const TppCacheMemoryStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  // Shrinking returns whole chunks; growing fills with zeros (EWriteError past the budget).
  void SetSize(int64_t NewSize) override;

  // Every byte to Dest, in order (EWriteError when Dest takes fewer).
  void CopyTo(TStream& Dest) const;

private:
  bool Reserve(int64_t End);
  void Fill(int64_t From, int64_t To, const uint8_t* Source);  // Source null: zeros

  TppCacheManager::TBudget& FBudget;
  std::vector<std::unique_ptr<uint8_t[]>> FChunks;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// A temporary file of the cache: made in Directory with the prefix "cch" and unlinked at once,
// so it goes when the stream goes or the process ends, however it ends. Reads and writes go to
// the position kept here (one system call each).
class TppCacheFileStream final : public TStream {
public:
  // Raises EFCreateError when no file can be made; FileName receives the name it had.
  TppCacheFileStream(const std::string& Directory, std::string& FileName);
  ~TppCacheFileStream() override;
  TppCacheFileStream(const TppCacheFileStream&) = delete;
  TppCacheFileStream& operator=(const TppCacheFileStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  // Answers the bytes written; fewer when the disk refuses (full, file size limit).
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  void SetSize(int64_t NewSize) override;
  int Handle() const { return FHandle; }
  // Reads Count bytes at Offset ahead (one page of one record size): the reads that follow
  // inside them take no system call. Writes keep the window true.
  void ReadAhead(int64_t Offset, int64_t Count);

private:
  bool FromWindow(void* Buffer, int64_t Count);

  std::vector<uint8_t> FWindow;
  int64_t FWindowStart = 0;
  int FHandle = -1;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};
