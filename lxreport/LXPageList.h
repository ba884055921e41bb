#pragma once
// The finished pages of one report as a chain of page records in a page stream;
// the same bytes are the saved report file (".lxp").
//
// Layout: a 128-byte header (3, 362, page count at 8, write moment at 16,
// compression flag at 25), then per page: number, forward link, page data,
// back link. Links are absolute signed 32-bit offsets.
//
// Locking: every member takes the list's re-entrant lock, so a page may be
// fetched from another thread while pages are added. LockList hands out a
// scoped lock for a sequence of calls that must not be interleaved.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "lxreport/LXStream.h"
#include "platform/classes/SyncObjs.h"
#include "platform/graphics/Metafile.h"

class TLXPageList {
public:
  using TListLock = std::unique_lock<TCriticalSection>;

  TLXPageList() = default;
  ~TLXPageList() = default;
  TLXPageList(const TLXPageList&) = delete;
  TLXPageList& operator=(const TLXPageList&) = delete;

  int32_t PageCount() const;
  // Pages are written, and read, coded. Loading a file takes it from the file's header.
  bool Compression() const;
  void SetCompression(bool V);
  TLXStream* Stream() const;
  // Attaches a page stream, freeing the previous one and forgetting where its records are.
  void SetStream(std::unique_ptr<TLXStream> S);
  // Gives the stream up without freeing it (the report printer may own it).
  std::unique_ptr<TLXStream> ReleaseStream();

  // Page count 0; the stream is left alone.
  void Clear();
  [[nodiscard]] TListLock LockList() const { return TListLock(FLock); }

  // Appends one page record. Raises ELXError when a link would pass 2 GiB.
  void AddPage(const TMetafile& Metafile);
  // Rewrites the header with the final page count.
  void Finish();
  // A new metafile holding page PageNumber, or null outside 1..PageCount.
  // Raises ELXError when the stream's links or lengths are inconsistent.
  std::unique_ptr<TMetafile> GetPage(int32_t PageNumber);

  // Opens a saved report read-only. Nothing changes when it fails. Damage found in the file, now
  // or when a page is read later, is raised naming the file.
  void LoadFromFile(const std::string& FileName);
  // The same for a page stream already holding a saved report's bytes.
  void LoadFromStream(std::unique_ptr<TLXStream> S);
  void SaveToFile(const std::string& FileName);

  // Position the stream on a record's first byte.
  void SeekToFirst();
  void SeekToLast();
  void SeekToPage(int32_t PageNumber);
  // Takes the page count and the compression flag from the header and
  // forgets where the records are.
  void ReadFileHeader();
  void WriteFileHeader();

private:
  TStream& S();
  int32_t ReadLink();
  void ReadRecordHead(int64_t At, int32_t& Number, int64_t& Next);
  void ForgetRecords();
  // Where page N's record starts; walks the chain where the index has a gap.
  int64_t RecordStart(int32_t N);
  bool StartPrefix();
  bool StartSuffix();
  // A walk along the forward chain reads small records through one window.
  struct TWalk {
    explicit TWalk(int64_t StreamSize) : Size(StreamSize) {}
    int64_t Size;  // of the stream
    int64_t WindowStart = 0;
    std::vector<uint8_t> Window;
  };
  void StepForward(TWalk& W);
  void StepBack();
  void IndexChain();
  void Load(std::unique_ptr<TLXStream> NewStream, std::string FileName);
  [[noreturn]] void Damaged(const char* Why) const;

  mutable TCriticalSection FLock;
  int32_t FPageCount = 0;
  bool FCompression = false;
  std::unique_ptr<TLXStream> FStream;
  std::string FFileName;  // the file the stream was loaded from; empty for pages made here
  // Record starts found so far. FForward[i] is page i + 1, reached along
  // forward links from the first record; FBackward[i] is page PageCount - i,
  // reached along back links from the last one. Every entry's page number
  // was read and matched, links only ever move away from where the walk
  // began, and the two never overlap, so a walk visits each record at most
  // once and ends after at most PageCount steps, whatever the file holds.
  std::vector<int32_t> FForward;
  int64_t FForwardNext = 0;  // the forward link of FForward.back()
  std::vector<int32_t> FBackward;
  bool FPrefixTried = false, FSuffixTried = false;
  bool FForwardBlocked = false, FBackBlocked = false;  // a walk that way met damage
};
