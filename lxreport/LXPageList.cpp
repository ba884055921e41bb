#include "lxreport/LXPageList.h"

#include <cstring>
#include <limits>

#include "lxreport/LXCompress.h"
#include "lxreport/LXConsts.h"
#include "lxreport/LXError.h"
#include "platform/classes/ByteReader.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/DateTime.h"

namespace {
constexpr int64_t kHeaderSize = TLXStream::HeaderSize();
constexpr int64_t kRecordOverhead = 12;  // page number, forward link, back link
constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();
constexpr int64_t kWindow = 65536;  // read-ahead of a walk over small records

// The length an EMF's header gives (its bytes from offset 48), or 0 when there is no header.
uint32_t EmfLength(const std::vector<uint8_t>& B) {
  TByteReader R(B.data(), B.size());
  return R.Has(0, TMetafile::MinHeaderSize) ? R.U32(48) : 0;
}
}  // namespace

int32_t TLXPageList::PageCount() const {
  TLock Guard(FLock);
  return FPageCount;
}

bool TLXPageList::Compression() const {
  TLock Guard(FLock);
  return FCompression;
}

void TLXPageList::SetCompression(bool V) {
  TLock Guard(FLock);
  FCompression = V;
}

TLXStream* TLXPageList::Stream() const {
  TLock Guard(FLock);
  return FStream.get();
}

void TLXPageList::SetStream(std::unique_ptr<TLXStream> S) {
  TLock Guard(FLock);
  FStream = std::move(S);
  FFileName.clear();
  ForgetRecords();
}

std::unique_ptr<TLXStream> TLXPageList::ReleaseStream() {
  TLock Guard(FLock);
  ForgetRecords();
  FFileName.clear();
  return std::move(FStream);
}

void TLXPageList::Clear() {
  TLock Guard(FLock);
  FPageCount = 0;
  ForgetRecords();
}

void TLXPageList::ForgetRecords() {
  FForward.clear();
  FBackward.clear();
  FForwardNext = 0;
  FPrefixTried = FSuffixTried = false;
  FForwardBlocked = FBackBlocked = false;
}

void TLXPageList::Damaged(const char* Why) const {
  if (FFileName.empty()) throw ELXError(Format(SLXDamagedPages, {Why}));
  throw ELXError(Format(SLXDamagedFile, {FFileName, Why}));
}

TStream& TLXPageList::S() {
  if (!FStream) throw ELXError(SLXNoPageStream);
  return *FStream;
}

int32_t TLXPageList::ReadLink() {
  uint8_t B[4];
  if (S().Read(B, 4) != 4) Damaged(SLXRecordCutShort);
  return TByteReader(B, 4).I32(0);
}

// A record's page number and forward link, in one read.
void TLXPageList::ReadRecordHead(int64_t At, int32_t& Number, int64_t& Next) {
  uint8_t B[8];
  S().Seek(At, soBeginning);
  if (S().Read(B, 8) != 8) Damaged(SLXRecordCutShort);
  TByteReader R(B, 8);
  Number = R.I32(0);
  Next = R.I32(4);
}

void TLXPageList::WriteFileHeader() {
  TLock Guard(FLock);
  uint8_t H[kHeaderSize] = {};
  auto Put16 = [&](int At, uint16_t V) { std::memcpy(H + At, &V, 2); };
  Put16(0, 3);
  Put16(2, 362);
  std::memcpy(H + 8, &FPageCount, 4);
  double Moment = Now();
  std::memcpy(H + 16, &Moment, 8);
  H[25] = FCompression ? 1 : 0;
  S().Seek(0, soBeginning);
  S().WriteBuffer(H, kHeaderSize);
}

void TLXPageList::Finish() { WriteFileHeader(); }

void TLXPageList::ReadFileHeader() {
  TLock Guard(FLock);
  uint8_t H[kHeaderSize];
  S().Seek(0, soBeginning);
  if (S().Read(H, kHeaderSize) != kHeaderSize) Damaged(SLXHeaderCutShort);
  TByteReader R(H, kHeaderSize);
  int32_t Count = R.I32(8);
  if (Count < 0) Damaged(SLXNegativePageCount);
  // Every record takes at least its 12 bytes of numbers and links.
  if (Count > 0 && Count > (S().Size() - kHeaderSize) / kRecordOverhead)
    Damaged(SLXTooManyPagesForFile);
  FPageCount = Count;
  // The file says how its pages were written, whatever the last file said.
  FCompression = R.U8(25) == 1;
  ForgetRecords();
}

// ---- Finding records

// Page 1 at the header's end starts the forward chain.
bool TLXPageList::StartPrefix() {
  if (!FPrefixTried && FForward.empty() && FPageCount > 0) {
    FPrefixTried = true;
    if (S().Size() < kHeaderSize + kRecordOverhead) return false;
    int32_t Number;
    int64_t Next;
    ReadRecordHead(kHeaderSize, Number, Next);
    if (Number != 1) return false;
    FForward.push_back(static_cast<int32_t>(kHeaderSize));
    FForwardNext = Next;
  }
  return !FForward.empty();
}

// The last four bytes of the file point at the last record, which starts the back chain.
bool TLXPageList::StartSuffix() {
  if (!FSuffixTried && FBackward.empty() && FPageCount > static_cast<int32_t>(FForward.size())) {
    FSuffixTried = true;
    int64_t Size = S().Size();
    if (Size < kHeaderSize + kRecordOverhead) return false;
    S().Seek(Size - 4, soBeginning);
    int64_t Last = ReadLink();
    int64_t Lowest = FForward.empty() ? kHeaderSize : FForward.back() + kRecordOverhead;
    if (Last < Lowest || Last > Size - kRecordOverhead) return false;
    S().Seek(Last, soBeginning);
    if (ReadLink() != FPageCount) return false;
    FBackward.push_back(static_cast<int32_t>(Last));
  }
  return !FBackward.empty();
}

// One record further along the forward chain: the link must move forward by a
// whole record, stay short of the records known from the back, and land on
// the next page number.
void TLXPageList::StepForward(TWalk& W) {
  int64_t Ceiling = (FBackward.empty() ? W.Size : FBackward.back()) - kRecordOverhead;
  int64_t Next = FForwardNext;
  int64_t Stride = Next - FForward.back();
  if (Stride < kRecordOverhead || Next > Ceiling) Damaged(SLXForwardLinkOrder);
  int32_t Number;
  int64_t Link;
  bool InWindow = Next >= W.WindowStart && Next + 8 <= W.WindowStart + static_cast<int64_t>(W.Window.size());
  if (!InWindow && Stride > kWindow / 8) {
    ReadRecordHead(Next, Number, Link);  // large records: only the head
  } else {
    if (!InWindow) {
      W.Window.resize(static_cast<size_t>(std::min(kWindow, W.Size - Next)));
      S().Seek(Next, soBeginning);
      int64_t Got = S().Read(W.Window.data(), static_cast<int64_t>(W.Window.size()));
      if (Got < 8) Damaged(SLXRecordCutShort);
      W.Window.resize(static_cast<size_t>(Got));
      W.WindowStart = Next;
    }
    TByteReader R(W.Window.data(), W.Window.size());
    Number = R.I32(static_cast<size_t>(Next - W.WindowStart));
    Link = R.I32(static_cast<size_t>(Next - W.WindowStart) + 4);
  }
  if (Number != static_cast<int32_t>(FForward.size()) + 1) Damaged(SLXPageNumberOrder);
  FForward.push_back(static_cast<int32_t>(Next));
  FForwardNext = Link;
}

// One record back: the back link just before the record must point at least a
// whole record back, stay past the records known from the front, and land on
// the previous page number.
void TLXPageList::StepBack() {
  int64_t Here = FBackward.back();
  int64_t Floor = FForward.empty() ? kHeaderSize : FForward.back() + kRecordOverhead;
  if (Here - kRecordOverhead < Floor) Damaged(SLXBackLinkOrder);
  S().Seek(Here - 4, soBeginning);
  int64_t Prev = ReadLink();
  if (Prev < Floor || Prev > Here - kRecordOverhead) Damaged(SLXBackLinkOrder);
  S().Seek(Prev, soBeginning);
  int32_t Want = FPageCount - static_cast<int32_t>(FBackward.size());
  if (ReadLink() != Want) Damaged(SLXPageNumberOrder);
  FBackward.push_back(static_cast<int32_t>(Prev));
}

int64_t TLXPageList::RecordStart(int32_t N) {
  auto Front = [&] { return static_cast<int32_t>(FForward.size()); };       // pages 1..Front known
  auto Back = [&] { return FPageCount - static_cast<int32_t>(FBackward.size()); };  // pages Back+1.. known
  if (N > Front()) StartPrefix();
  if (N > Front() && N <= Back()) StartSuffix();
  if (N <= Front()) return FForward[N - 1];
  if (N > Back()) return FBackward[FPageCount - N];
  // A gap: walk into it from the nearer known end, in one direction only.
  // A chain found damaged once is not walked again: the next seek tries the other one.
  bool CanForward = !FForward.empty() && !FForwardBlocked, CanBack = !FBackward.empty() && !FBackBlocked;
  if (!CanForward && !CanBack) Damaged(SLXNoReachableRecord);
  int64_t ForwardSteps = CanForward ? N - Front() : kMaxOffset;
  int64_t BackSteps = CanBack ? Back() + 1 - N : kMaxOffset;
  bool Forward = ForwardSteps <= BackSteps;
  TOnException Block([&] { (Forward ? FForwardBlocked : FBackBlocked) = true; });
  if (Forward) {
    TWalk W{S().Size()};
    while (Front() < N) StepForward(W);
    return FForward.back();
  }
  while (Back() >= N) StepBack();
  return FBackward.back();
}

// Indexes the whole forward chain once, so that every later page is found at
// once. A damaged link ends it quietly: the pages behind it are looked for
// from the back when asked for, and only those that cannot be reached fail.
void TLXPageList::IndexChain() {
  if (!StartPrefix()) return;
  TWalk W{S().Size()};
  try {
    while (static_cast<int32_t>(FForward.size() + FBackward.size()) < FPageCount) StepForward(W);
  } catch (const ELXError&) {
    FForwardBlocked = true;
  }
}

void TLXPageList::SeekToFirst() {
  TLock Guard(FLock);
  S().Seek(kHeaderSize, soBeginning);
}

void TLXPageList::SeekToLast() {
  TLock Guard(FLock);
  if (FPageCount < 1) Damaged(SLXNoPageRecord);
  S().Seek(RecordStart(FPageCount), soBeginning);
}

void TLXPageList::SeekToPage(int32_t N) {
  TLock Guard(FLock);
  if (N < 1 || N > FPageCount) throw ELXError(Format(SLXNoSuchPage, {N}));
  S().Seek(RecordStart(N), soBeginning);
}

// ---- Pages

void TLXPageList::AddPage(const TMetafile& Metafile) {
  TLock Guard(FLock);
  // Code the page first, so nothing is written when the record would not fit. An enhanced
  // metafile's stream is its bytes: they are written as they are.
  TMemoryStream Data;
  if (FCompression) {
    const auto& Bytes = Metafile.Data();
    if (Bytes.size() > static_cast<size_t>(kMaxOffset)) throw ELXError(SLXPageTooLarge);
    Data.WriteInt32(static_cast<int32_t>(Bytes.size()));
    TLXCompress Encoder(&Data, true);
    Encoder.CompressBuffer(Bytes.data(), Bytes.size());
    Encoder.Finish();
  } else if (!Metafile.Enhanced()) {
    Metafile.SaveToStream(Data);
  }
  const bool AsItIs = !FCompression && Metafile.Enhanced();
  const uint8_t* Payload = AsItIs ? Metafile.Data().data() : Data.Memory();
  const int64_t Size = AsItIs ? static_cast<int64_t>(Metafile.Data().size()) : Data.Size();
  int64_t Start = FStream ? S().Size() : kHeaderSize;
  if (FPageCount > 0 && Start < kHeaderSize) Damaged(SLXHeaderLost);
  int64_t End = std::max(Start, kHeaderSize) + kRecordOverhead + Size;
  if (End > kMaxOffset) throw ELXError(SLXReportTooLarge);
  if (FPageCount == std::numeric_limits<int32_t>::max()) throw ELXError(SLXTooManyPages);

  ++FPageCount;
  if (FPageCount == 1) WriteFileHeader();
  int32_t RecordStart = static_cast<int32_t>(S().Seek(0, soEnd));
  S().WriteInt32(FPageCount);
  int64_t LinkAt = S().Position();
  S().WriteInt32(static_cast<int32_t>(LinkAt));
  if (Size) S().WriteBuffer(Payload, Size);
  S().WriteInt32(RecordStart);
  int64_t RecordEnd = S().Position();
  S().Seek(LinkAt, soBeginning);
  S().WriteInt32(static_cast<int32_t>(RecordEnd));
  S().Seek(RecordEnd, soBeginning);
  // The record just written is known; what was known from the back counted from the old last page.
  if (static_cast<int32_t>(FForward.size()) == FPageCount - 1) {
    FForward.push_back(RecordStart);
    FForwardNext = RecordEnd;
  }
  FBackward.clear();
  FSuffixTried = false;
}

std::unique_ptr<TMetafile> TLXPageList::GetPage(int32_t N) {
  TLock Guard(FLock);
  if (N > FPageCount || N < 1) return nullptr;
  int64_t Start = RecordStart(N);
  int64_t Size = S().Size();
  int32_t Number;
  int64_t Forward;
  ReadRecordHead(Start, Number, Forward);
  if (Number != N) Damaged(SLXPageNumberOrder);
  // The record ends at its forward link, which may not reach into the next known record.
  int64_t NextStart = Size;
  if (N < static_cast<int32_t>(FForward.size())) NextStart = FForward[N];
  else if (N < FPageCount && N >= FPageCount - static_cast<int32_t>(FBackward.size()))
    NextStart = FBackward[FPageCount - N - 1];
  int64_t DataEnd = Forward - 4;  // the back link follows the data directly
  if (DataEnd < Start + 8 || Forward > NextStart) Damaged(SLXForwardLinkInsideRecord);
  // The whole of the page's data in one read.
  std::vector<uint8_t> Data(static_cast<size_t>(DataEnd - Start - 8));
  if (S().Read(Data.data(), static_cast<int64_t>(Data.size())) != static_cast<int64_t>(Data.size()))
    Damaged(SLXRecordCutShort);
  // The metafile takes the bytes it is made of; its header says how many (the
  // record may hold more).
  auto Page = std::make_unique<TMetafile>();
  auto Take = [&Page](std::vector<uint8_t>& Bytes) {
    if (uint32_t Length = EmfLength(Bytes); Length > 0 && Length <= Bytes.size()) Bytes.resize(Length);
    Page->SetData(std::move(Bytes));
  };
  if (FCompression) {
    TBytesStream D(Data.data(), static_cast<int64_t>(Data.size()));
    int64_t Count = Data.size() >= 4 ? D.ReadInt32() : -1;
    int64_t Coded = static_cast<int64_t>(Data.size()) - 4;
    // Every coded byte costs at least one bit.
    if (Count < 0 || Count > Coded * 8) Damaged(SLXCompressedCountTooLarge);
    std::vector<uint8_t> Bytes(static_cast<size_t>(Count));
    try {
      TLXCompress Decoder(&D, false);
      Decoder.ExpandBuffer(Bytes.data(), Bytes.size());
      Decoder.Finish();
    } catch (const ELXError&) {
      Damaged(SLXCodeCutShort);  // the decoder ran out of bytes inside a code
    }
    if (D.Position() != static_cast<int64_t>(Data.size())) Damaged(SLXCompressedDataShort);
    Take(Bytes);
  } else {
    if (EmfLength(Data) > Data.size()) Damaged(SLXMetafileTooLarge);
    Take(Data);
  }
  // The metafile may hold fewer bytes than its record: go to the record's end,
  // not to wherever the page's own length stopped.
  S().Seek(Forward, soBeginning);
  return Page;
}

// ---- Files

void TLXPageList::LoadFromFile(const std::string& FileName) { Load(TLXStream::CreateFromFile(FileName), FileName); }

void TLXPageList::LoadFromStream(std::unique_ptr<TLXStream> NewStream) { Load(std::move(NewStream), {}); }

void TLXPageList::Load(std::unique_ptr<TLXStream> NewStream, std::string FileName) {
  // Read the new file in a list of its own, so a bad file loses nothing.
  TLXPageList Fresh;
  Fresh.FStream = std::move(NewStream);
  Fresh.FFileName = std::move(FileName);
  Fresh.ReadFileHeader();
  Fresh.IndexChain();
  TLock Guard(FLock);
  FStream = std::move(Fresh.FStream);
  FFileName = std::move(Fresh.FFileName);
  FPageCount = Fresh.FPageCount;
  FCompression = Fresh.FCompression;
  FForward = std::move(Fresh.FForward);
  FForwardNext = Fresh.FForwardNext;
  FBackward = std::move(Fresh.FBackward);
  FPrefixTried = Fresh.FPrefixTried;
  FSuffixTried = Fresh.FSuffixTried;
  FForwardBlocked = Fresh.FForwardBlocked;
  FBackBlocked = Fresh.FBackBlocked;
}

void TLXPageList::SaveToFile(const std::string& FileName) {
  TLock Guard(FLock);
  if (!FStream) throw ELXError(SLXNoPagesToSave);
  // Put in place only when whole: a full disk leaves an earlier file as it was, and saving over
  // the file the pages were loaded from reads them before the old file goes.
  TSafeFileStream F(FileName);
  FStream->SaveToStream(F);
  F.Commit();
}
