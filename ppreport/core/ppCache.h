#pragma once
// The page-state cache: what lets a report generate any page again without keeping its pages.
// After each page every object whose state changes during generation (a TppCacheable: the engine,
// groups, bands, band objects) writes one fixed-size record of its state; before a page is
// generated again each reads its record of the page before back.
//
// Records of one size share one stream, page-major: the record of the cacheable at position q for
// page p starts at byte R x (p x C + q) (R the record size, C the cacheables of that size), so a
// page is found by multiplication. The streams stay in memory up to the manager's memory budget
// (a chunked store, never reallocated); the first write beyond it moves every stream to a
// temporary file "cch..." in CachePath, and the cache stays on files until the manager goes.
// A cache file's name is removed as soon as the file is open: its space lives exactly as long as
// its stream, so no file is left behind whatever ends the program.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <vector>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppRelatv.h"

class TppCacheManager;

// Where the records live: memory until the budget is spent, then temporary files.
enum TppCacheType { ctMemory, ctFile };
DEFINE_ENUM_INFO(TppCacheType, "ctMemory", "ctFile")

class TppCacheable : public TppRelative {
  DECLARE_CLASSINFO(TppCacheable)
public:
  explicit TppCacheable(TComponent* AOwner);
  ~TppCacheable() override;

  // Bytes of this object's state record; 0 (not cached) in the base.
  int CacheRecordSize() const { return FCacheRecordSize; }
  // The cacheables sharing this record size, and this one's place among them.
  int CacheCount() const { return FCacheCount; }
  int CachePosition() const { return FCachePosition; }
  // The highest page cached, -1 when empty.
  int CachePageCount() const { return FCachePageCount; }
  // The stream of this record size (the manager's); null while not allocated.
  TStream* CacheStream() const { return FCacheStream; }

  // What descendants do with their records; all empty here.
  virtual void CacheTruncated(int /*Pages*/) {}
  virtual void RestoreFromCache(int /*Page*/) {}
  virtual void SaveToCache(int /*Page*/) {}

  // The object's state as one record kept outside the page cache (a restore point within a page):
  // SaveToCache(0) and RestoreFromCache(0) run against a private stream, and the object keeps its
  // place in the page cache. A second manager cannot serve here: a manager gives each cacheable its
  // slot, and the slot is kept on the cacheable.
  std::vector<std::byte> SaveSnapshot();
  void RestoreSnapshot(const std::vector<std::byte>& Snapshot);

protected:
  // Each descendant sets its size in its constructor.
  void SetCacheRecordSize(int Value) { FCacheRecordSize = Value < 0 ? 0 : Value; }

  // The record of Page into Buffer (exactly CacheRecordSize bytes, else ETalvorError). False, the
  // buffer untouched, when the page holds no whole record of this object: the object keeps its
  // state. A failed read raises the cache error.
  bool ReadFromCache(int Page, std::span<std::byte> Buffer);
  // Writes the record at its offset; a gap before it is filled with zeros. A write that fails
  // moves the cache to files (event ciCacheWriteFailed) and is tried once more; a second failure
  // raises the cache error (EPrintError, event ciCacheWriteFailedAgain), leaving the stream as
  // it was before the write.
  void WriteToCache(int Page, std::span<const std::byte> Buffer);

  template <class R>
    requires std::is_trivially_copyable_v<R>
  bool ReadRecord(int Page, R& Record) {
    return ReadFromCache(Page, std::as_writable_bytes(std::span<R, 1>(&Record, 1)));
  }
  template <class R>
    requires std::is_trivially_copyable_v<R>
  void WriteRecord(int Page, const R& Record) {
    WriteToCache(Page, std::as_bytes(std::span<const R, 1>(&Record, 1)));
  }

private:
  friend class TppCacheManager;
  // The record's offset for Page, or -1 when there is none (no stream, no size, a negative page,
  // or an offset past what a stream can address).
  int64_t RecordOffset(int Page) const;
  void CheckBuffer(size_t Size, const char* Operation) const;

  int FCacheRecordSize = 0;
  int FCacheCount = 0;
  int FCachePosition = -1;  // -1: no place allocated
  int FCachePageCount = -1;
  TStream* FCacheStream = nullptr;
};

// What the cache asks of the report that owns it (the report classes implement it).
class IppCacheReport {
public:
  virtual ~IppCacheReport() = default;
  virtual void RegisterCacheManager(TppCacheManager* Manager) = 0;
  virtual void UnregisterCacheManager(TppCacheManager* Manager) = 0;
  // Every cacheable of the report: engine, groups, bands, band objects, subreport contents.
  virtual void GetCacheables(const std::function<void(TppCacheable*)>& Add) = 0;
  virtual bool IsEnginePrinting() const = 0;
  virtual void StopEngine() = 0;
};

class TppCacheManager : public TppCommunicator {
  DECLARE_CLASSINFO(TppCacheManager)
public:
  // Report: the owning report (its owner component); a report that implements IppCacheReport
  // is told of the manager here and in the destructor.
  explicit TppCacheManager(TComponent* Report);
  ~TppCacheManager() override;

  TComponent* Report() const { return Owner(); }

  // Registers Object (null and repeats ignored) and listens to it. While the cache is allocated
  // and holds no page, Object gets its place at once; once pages are cached the layout is fixed
  // and Object stays out of the cache until the next Reset.
  void AddCacheable(TppCacheable* Object);
  void RemoveCacheable(TppCacheable* Cacheable);
  int CacheableCount() const { return static_cast<int>(FCacheables.size()); }
  TppCacheable* GetCacheable(int Index) const;  // EListError outside the list

  // FreeCache, then the report's cacheables, allocated.
  void Reset();
  void CollectReportCacheables();
  // FreeCache, then List, allocated.
  void SetCacheables(const std::vector<TppCacheable*>& List);

  void SaveToCache(int Page);
  void RestoreFromCache(int Page);
  // Keeps pages 0 .. Pages - 1 (never grows the cache); nothing while it is empty.
  void TruncateCache(int Pages);
  // Moves every stream to a temporary file. Raises the cache error when already on files or
  // when a file cannot be made or written; the cache is then as it was.
  void SwitchToFileCache();
  // Empties the cache: every cacheable removed, every stream and temporary file freed. The
  // cache type stays.
  void FreeCache();
  // Stops a running print, then raises EPrintError with language string 284.
  [[noreturn]] void RaiseCacheError();

  int CachePageCount() const { return FCachePageCount; }
  TppCacheType CacheType() const { return FCacheType; }
  // Folder of the temporary files; the system's temporary folder at creation.
  const std::string& CachePath() const { return FCachePath; }
  void SetCachePath(std::string Value) { FCachePath = std::move(Value); }
  bool TruncateNotices() const { return FTruncateNotices; }
  void SetTruncateNotices(bool Value) { FTruncateNotices = Value; }
  // Names of the temporary files made (already removed from the folder; see the top of the file).
  const std::vector<std::string>& CacheFileNames() const { return FCacheFileNames; }
  // Streams, one per record size, in allocation order.
  int CacheStreamCount() const { return static_cast<int>(FCaches.size()); }
  TStream* CacheStreamForSize(int RecordSize) const;
  // Cacheables allocated for a record size (its highest position plus 1); 0 for a size without a stream.
  int GetCacheCount(int RecordSize) const;

  // Bytes of records the cache keeps in memory before it moves to files. A new manager takes
  // the process's default (64 MiB unless the program sets another).
  int64_t MemoryBudget() const { return FBudget->Limit; }
  void SetMemoryBudget(int64_t Bytes);
  // Bytes held in memory now (whole chunks).
  int64_t MemoryUsed() const { return FBudget->Used; }
  static int64_t DefaultMemoryBudget();
  static void SetDefaultMemoryBudget(int64_t Bytes);

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

  // The memory the streams of one manager share.
  struct TBudget {
    int64_t Limit = 0;
    int64_t Used = 0;
  };

protected:
  void Destroying() override;

private:
  enum TOperation { opAllocate, opSave, opRestore, opTruncate, opFree, opRefresh, opRecount };
  struct TCache {
    int RecordSize = 0;
    int HighestPosition = 0;
    std::unique_ptr<TStream> Stream;
  };

  TCache* FindCache(int RecordSize) const;
  std::unique_ptr<TStream> NewStream();
  void AllocateCache(TppCacheable* Object);
  void UpdateCacheable(TppCacheable* Object);
  void NotifyCacheables(TOperation Operation, int Arg);
  bool Allocated() const { return FAllocated; }

  std::vector<TppCacheable*> FCacheables;
  std::unordered_set<const TppCacheable*> FRegistered;
  std::vector<TCache> FCaches;
  std::vector<std::string> FCacheFileNames;
  std::string FCachePath;
  TppCacheType FCacheType = ctMemory;
  int FCachePageCount = -1;
  bool FTruncateNotices = true;
  bool FAllocated = false;
  size_t FWalkIndex = 0;  // the entry NotifyCacheables is at (removals during a walk move it)
  bool FWalking = false;
  std::unique_ptr<TBudget> FBudget;
};
