#pragma once
// The finished pages of one report as a chain of page records in a page stream;
// the same bytes are the saved report file (".lxp").
//
// Layout: a 128-byte header (3, 362, page count at 8, write moment at 16,
// compression flag at 25), then per page: number, forward link, page data,
// back link. Links are absolute signed 32-bit offsets.
#include <memory>
#include <string>

#include "lxreport/LXStream.h"
#include "platform/classes/SyncObjs.h"
#include "platform/graphics/Metafile.h"

class TLXPageList {
public:
  TLXPageList() = default;
  ~TLXPageList() = default;
  TLXPageList(const TLXPageList&) = delete;
  TLXPageList& operator=(const TLXPageList&) = delete;

  int32_t PageCount() const { return FPageCount; }
  bool Compression() const { return FCompression; }
  void SetCompression(bool V) { FCompression = V; }
  TLXStream* Stream() const { return FStream.get(); }
  // Attaches a page stream, freeing the previous one.
  void SetStream(std::unique_ptr<TLXStream> S) { FStream = std::move(S); }
  // Gives the stream up without freeing it (the report printer may own it).
  std::unique_ptr<TLXStream> ReleaseStream() { return std::move(FStream); }

  void Clear() { FPageCount = 0; }
  void LockList() { FLock.Enter(); }
  void UnlockList() { FLock.Leave(); }

  // Appends one page record. Raises ELXError when a link would pass 2 GiB.
  void AddPage(const TMetafile& Metafile);
  // Rewrites the header with the final page count.
  void Finish() { WriteFileHeader(); }
  // A new metafile holding page PageNumber, or null past the last page.
  // Raises ELXError when the stream's links or lengths are inconsistent.
  std::unique_ptr<TMetafile> GetPage(int32_t PageNumber);

  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  void SeekToFirst();
  void SeekToLast();
  void SeekToPage(int32_t PageNumber);
  void ReadFileHeader();
  void WriteFileHeader();

private:
  TStream& S();
  int32_t ReadLink();

  int32_t FPageCount = 0;
  bool FCompression = false;
  std::unique_ptr<TLXStream> FStream;
  TCriticalSection FLock;
};
