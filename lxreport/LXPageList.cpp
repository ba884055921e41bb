#include "lxreport/LXPageList.h"

#include <cstring>
#include <limits>

#include "lxreport/LXCompress.h"
#include "lxreport/LXError.h"
#include "platform/rtl/DateTime.h"

namespace {
constexpr int64_t kHeaderSize = TLXStream::HeaderSize();
constexpr int64_t kRecordOverhead = 12;  // page number, forward link, back link
constexpr int64_t kMaxOffset = std::numeric_limits<int32_t>::max();

[[noreturn]] void Damaged(const char* Why) { throw ELXError(std::string("Damaged report file: ") + Why); }
}  // namespace

TStream& TLXPageList::S() {
  if (!FStream) throw ELXError("The page list has no page stream");
  return *FStream;
}

int32_t TLXPageList::ReadLink() {
  int32_t V;
  if (S().Read(&V, 4) != 4) Damaged("a page record is cut short");
  return V;  // little-endian host
}

void TLXPageList::WriteFileHeader() {
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

void TLXPageList::ReadFileHeader() {
  uint8_t H[kHeaderSize];
  S().Seek(0, soBeginning);
  if (S().Read(H, kHeaderSize) != kHeaderSize) Damaged("the file is shorter than its 128-byte header");
  int32_t Count;
  std::memcpy(&Count, H + 8, 4);
  if (Count < 0) Damaged("the header gives a negative page count");
  // Every record takes at least its 12 bytes of numbers and links.
  if (Count > 0 && Count > (S().Size() - kHeaderSize) / kRecordOverhead)
    Damaged("the header gives more pages than the file can hold");
  FPageCount = Count;
  // Pages written compressed say so in byte 25; honour it unless compression is already on.
  if (!FCompression && H[25] == 1) FCompression = true;
}

void TLXPageList::SeekToFirst() { S().Seek(kHeaderSize, soBeginning); }

void TLXPageList::SeekToLast() {
  int64_t Size = S().Size();
  if (Size < kHeaderSize + kRecordOverhead) Damaged("there is no page record");
  S().Seek(Size - 4, soBeginning);
  int64_t Last = ReadLink();
  if (Last < kHeaderSize || Last > Size - kRecordOverhead) Damaged("the last back link points outside the file");
  S().Seek(Last, soBeginning);
}

void TLXPageList::SeekToPage(int32_t N) {
  if (N == 1) return SeekToFirst();
  if (N == FPageCount) return SeekToLast();
  int64_t Size = S().Size();
  int64_t Pos = S().Position();
  if (Pos == Size) {
    SeekToLast();
    Pos = S().Position();
  }
  if (Pos < kHeaderSize || Pos > Size - kRecordOverhead) Damaged("the page chain leaves the file");
  int32_t P = ReadLink();
  // Walk one record at a time; every link must stay in the file and move the
  // walk strictly towards the wanted page, so a damaged chain cannot loop.
  while (P != N) {
    if (N > P) {
      int64_t Next = ReadLink();
      if (Next < Pos + kRecordOverhead || Next > Size - kRecordOverhead) Damaged("a forward link is out of order");
      Pos = Next;
    } else {
      if (Pos - 4 < kHeaderSize + 8) Damaged("a back link is out of order");
      S().Seek(Pos - 4, soBeginning);
      int64_t Prev = ReadLink();
      if (Prev < kHeaderSize || Prev > Pos - kRecordOverhead) Damaged("a back link is out of order");
      Pos = Prev;
    }
    S().Seek(Pos, soBeginning);
    int32_t Q = ReadLink();
    // Page numbers must keep moving towards N from the side we came.
    if ((N > P && Q <= P) || (N < P && Q >= P)) Damaged("page numbers are out of order");
    P = Q;
  }
  S().Seek(Pos, soBeginning);
}

void TLXPageList::AddPage(const TMetafile& Metafile) {
  TLock Guard(FLock);
  // Code the page first, so nothing is written when the record would not fit.
  TMemoryStream Data;
  if (FCompression) {
    const auto& Bytes = Metafile.Data();
    if (Bytes.size() > static_cast<size_t>(kMaxOffset)) throw ELXError("A page is too large to store");
    Data.WriteInt32(static_cast<int32_t>(Bytes.size()));
    TLXCompress Encoder(&Data, true);
    Encoder.CompressBuffer(Bytes.data(), Bytes.size());
    Encoder.Finish();
  } else {
    Metafile.SaveToStream(Data);
  }
  int64_t Start = FStream ? S().Size() : kHeaderSize;
  if (FPageCount > 0 && Start < kHeaderSize) Damaged("the page stream lost its header");
  int64_t End = std::max(Start, kHeaderSize) + kRecordOverhead + Data.Size();
  if (End > kMaxOffset) throw ELXError("The report is too large: stored pages cannot pass 2 GiB");
  if (FPageCount == std::numeric_limits<int32_t>::max()) throw ELXError("Too many pages");

  ++FPageCount;
  if (FPageCount == 1) WriteFileHeader();
  int32_t RecordStart = static_cast<int32_t>(S().Seek(0, soEnd));
  S().WriteInt32(FPageCount);
  int64_t LinkAt = S().Position();
  S().WriteInt32(static_cast<int32_t>(LinkAt));
  if (Data.Size()) S().WriteBuffer(Data.Memory(), Data.Size());
  S().WriteInt32(RecordStart);
  int64_t RecordEnd = S().Position();
  S().Seek(LinkAt, soBeginning);
  S().WriteInt32(static_cast<int32_t>(RecordEnd));
  S().Seek(RecordEnd, soBeginning);
}

std::unique_ptr<TMetafile> TLXPageList::GetPage(int32_t N) {
  if (N > FPageCount || N < 1) return nullptr;
  TLock Guard(FLock);
  SeekToPage(N);
  int64_t Size = S().Size();
  ReadLink();
  int64_t Forward = ReadLink();
  int64_t DataStart = S().Position();
  int64_t DataEnd = Forward - 4;  // the back link follows the data directly
  if (DataEnd < DataStart || Forward > Size) Damaged("a forward link does not end its record");
  auto Page = std::make_unique<TMetafile>();
  if (FCompression) {
    int64_t Count = ReadLink();
    int64_t Coded = DataEnd - S().Position();
    // Every coded byte costs at least one bit.
    if (Count < 0 || Coded < 0 || Count > Coded * 8) Damaged("a compressed page claims more bytes than it holds");
    std::vector<uint8_t> Bytes(static_cast<size_t>(Count));
    {
      TLXCompress Decoder(&S(), false);
      Decoder.ExpandBuffer(Bytes.data(), Bytes.size());
      Decoder.Finish();
    }
    if (S().Position() != DataEnd) Damaged("compressed page data does not fill its record");
    TBytesStream M(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    Page->LoadFromStream(M);
  } else {
    uint8_t Head[TMetafile::MinHeaderSize];
    if (S().Read(Head, sizeof Head) == sizeof Head) {
      uint32_t Total;
      std::memcpy(&Total, Head + 48, 4);
      if (Total > static_cast<uint64_t>(DataEnd - DataStart)) Damaged("a page metafile is larger than its record");
    }
    S().Seek(DataStart, soBeginning);
    Page->LoadFromStream(S());
  }
  ReadLink();  // back link: leaves the position on the next record
  return Page;
}

void TLXPageList::LoadFromFile(const std::string& FileName) {
  TLock Guard(FLock);
  // Read the new header before letting the old stream go, so a bad file loses nothing.
  auto Old = std::move(FStream);
  int32_t OldCount = FPageCount;
  bool OldCompression = FCompression;
  try {
    FStream = TLXStream::CreateFromFile(FileName);
    ReadFileHeader();
  } catch (...) {
    FStream = std::move(Old);
    FPageCount = OldCount;
    FCompression = OldCompression;
    throw;
  }
}

void TLXPageList::SaveToFile(const std::string& FileName) {
  TLock Guard(FLock);
  if (!FStream) throw ELXError("There are no pages to save");
  TFileStream F(FileName, fmCreate);
  FStream->SaveToStream(F);
}
