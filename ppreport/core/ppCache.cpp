#include "ppreport/core/ppCache.h"

#include <algorithm>
#include <atomic>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppCacheRTTI.h"
#include "ppreport/core/ppCacheStreams.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"

namespace {
constexpr int ppCacheErrorText = 284;

std::atomic<int64_t>& DefaultBudget() {
  static std::atomic<int64_t> Bytes{int64_t(64) << 20};
  return Bytes;
}

bool WriteZeros(TStream& S, int64_t Count) {
  static const std::byte Zeros[4096] = {};
  while (Count > 0) {
    const int64_t N = std::min<int64_t>(Count, sizeof(Zeros));
    if (S.Write(Zeros, N) != N) return false;
    Count -= N;
  }
  return true;
}

// Writes a record at Offset, zeros filling any gap before it. On failure the stream is cut back to
// its size before the write: no part of a record stays behind.
bool WriteRecordAt(TStream& S, int64_t Offset, std::span<const std::byte> Data) {
  const auto Count = static_cast<int64_t>(Data.size());
  int64_t OldSize = -1;
  bool Ok = false;
  try {
    OldSize = S.Size();
    if (Offset > OldSize) {
      S.Seek(OldSize, soBeginning);
      Ok = WriteZeros(S, Offset - OldSize);
    } else {
      Ok = true;
    }
    if (Ok) Ok = S.Seek(Offset, soBeginning) == Offset && S.Write(Data.data(), Count) == Count;
  } catch (const std::exception&) {  // a store's own failure is a failed write like any other
    Ok = false;
  }
  if (!Ok && OldSize >= 0) {
    try {
      if (S.Size() > OldSize) S.SetSize(OldSize);
    } catch (const std::exception&) {
    }
  }
  return Ok;
}
}  // namespace

// ---- TppCacheable

const TClassInfo& TppCacheable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCacheable>("TppCacheable", &TppRelative::StaticClassInfo());
  return Info;
}

TppCacheable::TppCacheable(TComponent* AOwner) : TppRelative(AOwner) {}

TppCacheable::~TppCacheable() { BeforeDestruction(); }

int64_t TppCacheable::RecordOffset(int Page) const {
  if (!FCacheStream || FCacheRecordSize <= 0 || FCachePosition < 0 || FCachePosition >= FCacheCount || Page < 0)
    return -1;
  const int64_t Slot = int64_t(Page) * FCacheCount + FCachePosition;  // both below 2^31: no overflow
  int64_t Offset;
  if (__builtin_mul_overflow(Slot, int64_t(FCacheRecordSize), &Offset) || Offset > (int64_t(1) << 62)) return -1;
  return Offset;
}

void TppCacheable::CheckBuffer(size_t Size, const char* Operation) const {
  if (Size != static_cast<size_t>(FCacheRecordSize))
    throw ETalvorError(ppErrorText(ClassName(), Operation, SppCacheBufferSize));
}

bool TppCacheable::ReadFromCache(int Page, std::span<std::byte> Buffer) {
  CheckBuffer(Buffer.size(), "ReadFromCache");
  const int64_t Offset = RecordOffset(Page);
  if (Offset < 0) return false;
  const int64_t Size = FCacheStream->Size();
  if (Size - Offset < FCacheRecordSize) return false;
  if (FCacheStream->Seek(Offset, soBeginning) != Offset ||
      FCacheStream->Read(Buffer.data(), FCacheRecordSize) != FCacheRecordSize) {
    // The manager answers this event with the cache error; it is the answer to a failed read too.
    SendEventNotify(this, ciCacheWriteFailedAgain, nullptr);
    throw EPrintError(LanguageString(ppCacheErrorText));
  }
  return true;
}

void TppCacheable::WriteToCache(int Page, std::span<const std::byte> Buffer) {
  CheckBuffer(Buffer.size(), "WriteToCache");
  if (!FCacheStream || FCacheRecordSize <= 0 || FCachePosition < 0 || Page < 0) return;
  int64_t Offset = RecordOffset(Page);
  if (Offset >= 0 && WriteRecordAt(*FCacheStream, Offset, Buffer)) return;
  if (Offset >= 0) {
    SendEventNotify(this, ciCacheWriteFailed, nullptr);  // the manager moves to files: a new stream
    Offset = RecordOffset(Page);
    if (Offset >= 0 && WriteRecordAt(*FCacheStream, Offset, Buffer)) return;
  }
  SendEventNotify(this, ciCacheWriteFailedAgain, nullptr);
  throw EPrintError(LanguageString(ppCacheErrorText));  // no manager listened: the failure still shows
}

namespace {
// Binds a cacheable to a one-record stream while it lives.
struct TSnapshotBinding {
  TStream*& Stream;
  int &Position, &Count, &PageCount;
  TStream* OldStream;
  int OldPosition, OldCount, OldPageCount;
  TSnapshotBinding(TStream*& S, int& P, int& C, int& PC, TStream* Private)
      : Stream(S), Position(P), Count(C), PageCount(PC), OldStream(S), OldPosition(P), OldCount(C), OldPageCount(PC) {
    Stream = Private;
    Position = 0;
    Count = 1;
    PageCount = 0;
  }
  ~TSnapshotBinding() {
    Stream = OldStream;
    Position = OldPosition;
    Count = OldCount;
    PageCount = OldPageCount;
  }
};
}  // namespace

std::vector<std::byte> TppCacheable::SaveSnapshot() {
  if (FCacheRecordSize <= 0) return {};
  TMemoryStream Private;
  {
    TSnapshotBinding B(FCacheStream, FCachePosition, FCacheCount, FCachePageCount, &Private);
    SaveToCache(0);
  }
  std::vector<std::byte> Bytes(static_cast<size_t>(Private.Size()));
  Private.SetPosition(0);
  if (!Bytes.empty()) Private.ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  return Bytes;
}

void TppCacheable::RestoreSnapshot(const std::vector<std::byte>& Snapshot) {
  if (FCacheRecordSize <= 0 || Snapshot.size() < static_cast<size_t>(FCacheRecordSize)) return;
  TMemoryStream Private;
  Private.WriteBuffer(Snapshot.data(), static_cast<int64_t>(Snapshot.size()));
  TSnapshotBinding B(FCacheStream, FCachePosition, FCacheCount, FCachePageCount, &Private);
  RestoreFromCache(0);
}

// ---- TppCacheManager

const TClassInfo& TppCacheManager::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCacheManager>("TppCacheManager", &TppCommunicator::StaticClassInfo());
  return Info;
}

int64_t TppCacheManager::DefaultMemoryBudget() { return DefaultBudget().load(); }

void TppCacheManager::SetDefaultMemoryBudget(int64_t Bytes) { DefaultBudget().store(std::max<int64_t>(Bytes, 0)); }

TppCacheManager::TppCacheManager(TComponent* Report)
    : TppCommunicator(Report), FCachePath(GetTempDirectory()), FBudget(std::make_unique<TBudget>()) {
  FBudget->Limit = DefaultMemoryBudget();
  EventMask().Include(ciCacheWriteFailed);
  EventMask().Include(ciCacheWriteFailedAgain);
  if (auto* R = dynamic_cast<IppCacheReport*>(Report)) R->RegisterCacheManager(this);
}

TppCacheManager::~TppCacheManager() { BeforeDestruction(); }

void TppCacheManager::Destroying() {
  if (auto* R = dynamic_cast<IppCacheReport*>(Owner())) R->UnregisterCacheManager(this);
  FreeCache();
  TppCommunicator::Destroying();
}

void TppCacheManager::SetMemoryBudget(int64_t Bytes) { FBudget->Limit = std::max<int64_t>(Bytes, 0); }

TppCacheable* TppCacheManager::GetCacheable(int Index) const {
  if (Index < 0 || Index >= CacheableCount()) throw EListError(Format(SListIndexError, {Index}));
  return FCacheables[static_cast<size_t>(Index)];
}

TppCacheManager::TCache* TppCacheManager::FindCache(int RecordSize) const {
  for (const TCache& C : FCaches)
    if (C.RecordSize == RecordSize) return const_cast<TCache*>(&C);
  return nullptr;
}

TStream* TppCacheManager::CacheStreamForSize(int RecordSize) const {
  const TCache* C = FindCache(RecordSize);
  return C ? C->Stream.get() : nullptr;
}

int TppCacheManager::GetCacheCount(int RecordSize) const {
  const TCache* C = FindCache(RecordSize);
  return C ? C->HighestPosition + 1 : 0;
}

void TppCacheManager::AddCacheable(TppCacheable* Object) {
  if (!Object || FRegistered.contains(Object)) return;
  FCacheables.push_back(Object);
  FRegistered.insert(Object);
  Object->AddEventNotify(this);
  // A newcomer changes the layout: allowed only while no page is stored in it.
  if (FAllocated && FCachePageCount < 0) {
    AllocateCache(Object);
    NotifyCacheables(opRecount, 0);
  }
}

void TppCacheManager::RemoveCacheable(TppCacheable* Cacheable) {
  if (!Cacheable || !FRegistered.contains(Cacheable)) return;
  Cacheable->FCacheStream = nullptr;
  Cacheable->FCachePosition = -1;
  auto It = std::find(FCacheables.begin(), FCacheables.end(), Cacheable);
  // The walk goes on with the entry after the one removed (unsigned wrap-around included).
  if (FWalking && static_cast<size_t>(It - FCacheables.begin()) <= FWalkIndex) --FWalkIndex;
  FCacheables.erase(It);
  FRegistered.erase(Cacheable);
  Cacheable->RemoveEventNotify(this);
}

std::unique_ptr<TStream> TppCacheManager::NewStream() {
  if (FCacheType == ctMemory) return std::make_unique<TppCacheMemoryStream>(*FBudget);
  std::string Name;
  auto S = std::make_unique<TppCacheFileStream>(FCachePath, Name);
  FCacheFileNames.push_back(std::move(Name));
  return S;
}

void TppCacheManager::AllocateCache(TppCacheable* Object) {
  const int Size = Object->FCacheRecordSize;
  if (Size <= 0) return;  // nothing to keep
  if (TCache* C = FindCache(Size)) {
    Object->FCachePosition = ++C->HighestPosition;
    Object->FCacheStream = C->Stream.get();
    return;
  }
  FCaches.push_back({Size, 0, NewStream()});
  Object->FCachePosition = 0;
  Object->FCacheStream = FCaches.back().Stream.get();
}

// A cacheable keeps the position it was allocated: one that leaves the cache leaves its slot
// empty instead of moving the records of the others.
void TppCacheManager::UpdateCacheable(TppCacheable* Object) {
  const TCache* C = Object->FCachePosition >= 0 ? FindCache(Object->FCacheRecordSize) : nullptr;
  Object->FCacheStream = C ? C->Stream.get() : nullptr;
  Object->FCacheCount = C ? C->HighestPosition + 1 : 0;
  Object->FCachePageCount = FCachePageCount;
}

void TppCacheManager::NotifyCacheables(TOperation Operation, int Arg) {
  TRestore Walking(FWalking, true);
  TRestore Index(FWalkIndex, size_t(0));
  for (; FWalkIndex < FCacheables.size(); ++FWalkIndex) {
    TppCacheable* Object = FCacheables[FWalkIndex];
    switch (Operation) {
      case opAllocate: AllocateCache(Object); break;
      case opSave:
        UpdateCacheable(Object);
        Object->SaveToCache(Arg);
        break;
      case opRestore:
        UpdateCacheable(Object);
        Object->RestoreFromCache(Arg);
        break;
      case opTruncate:
      case opFree:
        UpdateCacheable(Object);
        Object->CacheTruncated(Arg);
        Object->FCachePageCount = Arg - 1;
        break;
      case opRefresh: UpdateCacheable(Object); break;
      case opRecount: Object->FCacheCount = Object->FCachePosition >= 0 ? GetCacheCount(Object->FCacheRecordSize) : 0; break;
    }
  }
}

void TppCacheManager::Reset() {
  FreeCache();
  CollectReportCacheables();
}

void TppCacheManager::CollectReportCacheables() {
  if (auto* R = dynamic_cast<IppCacheReport*>(Owner()))
    R->GetCacheables([this](TppCacheable* C) { AddCacheable(C); });
  NotifyCacheables(opAllocate, 0);
  FAllocated = true;
  NotifyCacheables(opRecount, 0);
}

void TppCacheManager::SetCacheables(const std::vector<TppCacheable*>& List) {
  FreeCache();
  for (TppCacheable* C : List) AddCacheable(C);
  NotifyCacheables(opAllocate, 0);
  FAllocated = true;
  NotifyCacheables(opRecount, 0);
}

void TppCacheManager::SaveToCache(int Page) {
  NotifyCacheables(opSave, Page);
  FCachePageCount = std::max(FCachePageCount, Page);
}

void TppCacheManager::RestoreFromCache(int Page) {
  // On files a page of one record size is one block: one read each instead of one a record.
  if (FCacheType == ctFile && Page >= 0)
    for (TCache& C : FCaches) {
      const int64_t Block = int64_t(C.RecordSize) * (C.HighestPosition + 1);
      int64_t Offset;
      if (!__builtin_mul_overflow(Block, int64_t(Page), &Offset))
        static_cast<TppCacheFileStream&>(*C.Stream).ReadAhead(Offset, Block);
    }
  NotifyCacheables(opRestore, Page);
}

void TppCacheManager::TruncateCache(int Pages) {
  if (FCachePageCount < 0) return;
  Pages = std::clamp(Pages, 0, FCachePageCount + 1);
  if (FTruncateNotices) NotifyCacheables(opTruncate, Pages);
  for (TCache& C : FCaches) {
    const int64_t Keep = int64_t(Pages) * C.RecordSize * (C.HighestPosition + 1);
    if (C.Stream->Size() > Keep) C.Stream->SetSize(Keep);
  }
  FCachePageCount = Pages - 1;
}

void TppCacheManager::SwitchToFileCache() {
  if (FCacheType == ctFile) RaiseCacheError();
  std::vector<std::unique_ptr<TStream>> Files;
  const size_t NamesBefore = FCacheFileNames.size();
  try {
    FCacheType = ctFile;
    for (TCache& C : FCaches) {
      Files.push_back(NewStream());
      static_cast<const TppCacheMemoryStream&>(*C.Stream).CopyTo(*Files.back());
    }
  } catch (const std::exception&) {
    // The cache stays in memory as it was; the files made so far go with their streams.
    FCacheType = ctMemory;
    FCacheFileNames.resize(NamesBefore);
    Files.clear();
    RaiseCacheError();
  }
  for (size_t I = 0; I < FCaches.size(); ++I) {
    FCaches[I].Stream = std::move(Files[I]);  // frees the memory stream and its chunks
    FCaches[I].Stream->Seek(0, soEnd);
  }
  NotifyCacheables(opRefresh, 0);
}

void TppCacheManager::FreeCache() {
  NotifyCacheables(opFree, 0);
  FCachePageCount = -1;
  while (!FCacheables.empty()) RemoveCacheable(FCacheables.back());
  while (!FCaches.empty()) FCaches.pop_back();
  FAllocated = false;
  // The files' names were removed when they were opened; one that came back is not ours.
  FCacheFileNames.clear();
}

void TppCacheManager::RaiseCacheError() {
  if (auto* R = dynamic_cast<IppCacheReport*>(Owner()))
    if (R->IsEnginePrinting()) R->StopEngine();
  throw EPrintError(LanguageString(ppCacheErrorText));
}

void TppCacheManager::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove)
    if (auto* C = dynamic_cast<TppCacheable*>(Partner)) RemoveCacheable(C);
  TppCommunicator::Notify(Partner, Operation);
}

void TppCacheManager::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCommunicator::EventNotify(Sender, EventID, Params);
  auto* C = dynamic_cast<TppCacheable*>(Sender);
  if (!C || !FRegistered.contains(C)) return;
  if (EventID == ciCacheWriteFailed)
    SwitchToFileCache();
  else if (EventID == ciCacheWriteFailedAgain)
    RaiseCacheError();
}

// ---- the unit

void InitializeCacheUnit() { TraRTTIClassRegistry::RegisterRTTIClass(TraTppCacheableRTTI()); }

void FinalizeCacheUnit() { TraRTTIClassRegistry::UnregisterRTTIClass(TraTppCacheableRTTI()); }
