#include "exceptions/report/TarvikDebugData.h"

#include <zlib.h>

#include <algorithm>

#include "exceptions/base/TarvikTexts.h"
#include "platform/classes/ByteReader.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
// Smallest unit: an empty name, four 32-bit fields, no line data.
constexpr size_t MinUnitBytes = 1 + 4 * 4;

[[noreturn]] void Damaged(const std::string& Text) { throw EReadError(Text); }

int Signed16(uint32_t V) { return static_cast<int16_t>(static_cast<uint16_t>(V)); }

// Splits a record's name as the line records mean it: ".Name" continues the saved class, "A.B"
// is class A and procedure B, anything else a procedure without class.
void SplitName(const std::string& Name, const std::string& SavedClass, std::string& Class, std::string& Proc) {
  if (!Name.empty() && Name[0] == '.') {
    Class = SavedClass;
    Proc = Name.substr(1);
  } else if (size_t Dot = Name.find('.'); Dot != std::string::npos) {
    Class = Name.substr(0, Dot);
    Proc = Name.substr(Dot + 1);
  } else {
    Class.clear();
    Proc = Name;
  }
  if (!Proc.empty() && Proc[0] == '@') Proc[0] = '_';
}
}  // namespace

TUninitializedBytes InflateZlib(const uint8_t* Data, size_t Size, size_t MaxSize) {
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK) Damaged(Format(TarvikText::DataBlockInflate, {"inflateInit"}));
  TUninitializedBytes Out;
  Z.next_in = const_cast<Bytef*>(Data);
  Z.avail_in = static_cast<uInt>(std::min<size_t>(Size, UINT32_MAX));
  int Result = Z_OK;
  while (Result != Z_STREAM_END) {
    if (Out.size() >= MaxSize) {
      inflateEnd(&Z);
      Damaged(Format(TarvikText::DataBlockTooLarge, {static_cast<int64_t>(MaxSize)}));
    }
    size_t Done = Out.size();
    size_t Grow = std::min(MaxSize - Done, std::max<size_t>(Size * 4, 64 * 1024));
    Out.resize(Done + Grow);
    Z.next_out = Out.data() + Done;
    Z.avail_out = static_cast<uInt>(Grow);
    Result = inflate(&Z, Z_NO_FLUSH);
    Out.resize(Done + Grow - Z.avail_out);
    if (Result == Z_STREAM_END) break;
    // Z_BUF_ERROR with input left means only that the output was full.
    if (Result != Z_OK && !(Result == Z_BUF_ERROR && Z.avail_in > 0 && Z.avail_out == 0)) {
      std::string Why = Z.msg ? Z.msg : (Result == Z_BUF_ERROR ? "the stream ends early" : "error " + std::to_string(Result));
      inflateEnd(&Z);
      Damaged(Format(TarvikText::DataBlockInflate, {Why}));
    }
  }
  inflateEnd(&Z);
  return Out;
}

namespace {
// Payloads of the reporter data never come near this; a block that claims more is damaged.
constexpr size_t MaxPayload = 512u << 20;
}  // namespace

TTarvikDataBlock ParseTarvikDataBlock(const uint8_t* Data, size_t Size) {
  if (Size < static_cast<size_t>(TarvikDataHeaderSize)) Damaged(TarvikText::DataBlockTooShort);
  TByteReader R(Data, Size);
  if (R.U32() != TarvikDataMagic) Damaged(TarvikText::DataBlockBadMagic);
  TTarvikDataBlock B;
  B.Version = R.U16();
  B.Stamp = R.U64();
  if (B.Version >= CompressedDataVersion)
    B.Payload = InflateZlib(Data + R.Offset(), R.Remaining(), MaxPayload);
  else
    B.Payload.assign(Data + R.Offset(), Data + Size);
  return B;
}

TTarvikDataBlock ParseAppendedDataBlock(const uint8_t* Tail, size_t Size) {
  if (Size < 8) Damaged(TarvikText::DataBlockTooShort);
  TByteReader R(Tail, Size);
  if (R.U32(Size - 4) != TarvikDataMagic) Damaged(TarvikText::DataBlockBadMagic);
  uint32_t BlockSize = R.U32(Size - 8);
  if (BlockSize < 10 || BlockSize > Size - 8) Damaged(Format(TarvikText::DataBlockBadSize, {static_cast<int64_t>(BlockSize)}));
  TByteReader Block = R.Slice(Size - 8 - BlockSize, BlockSize);
  TTarvikDataBlock B;
  B.Version = Block.U16();
  B.Stamp = Block.U64();
  const uint8_t* P = Block.Bytes(Block.Remaining());
  B.Payload.assign(P, P + (BlockSize - 10));
  return B;
}

std::string ReadMaskedShortString(TByteReader& R) {
  uint8_t N = R.U8();
  const uint8_t* P = R.Bytes(N);
  std::string S(N, '\0');
  for (size_t I = 0; I < N; ++I) S[I] = static_cast<char>(P[I] ^ DebugNameMask);
  return S;
}

TDebugLineRecord ReadDebugLineRecord(TByteReader& R, int Version) {
  TDebugLineRecord Rec;
  uint8_t B = R.U8();
  uint32_t LineField, AddrField;  // stored values: each delta is the field plus 1
  bool NoAddress = false;
  if ((B & 1) == 0) {
    LineField = B >> 6;
    AddrField = (B >> 1) & 0x1F;
  } else if ((B & 3) == 1) {
    Rec.HasName = true;
    LineField = B >> 5;
    AddrField = (B >> 2) & 7;
  } else if ((B & 8) == 0) {
    uint32_t W = B | static_cast<uint32_t>(R.U8()) << 8;
    Rec.HasName = (B & 4) != 0;
    LineField = W >> 11;
    AddrField = (W >> 4) & 0x7F;
  } else {
    uint32_t D = B | static_cast<uint32_t>(R.U8()) << 8;
    D |= static_cast<uint32_t>(R.U16()) << 16;
    Rec.HasName = (B & 4) != 0;
    uint32_t E = D >> 4;
    if (Version > 422 && E == LineRecordEscape) {
      LineField = R.U16();
      AddrField = R.U16();
    } else {
      LineField = E & 0xFFFF;
      AddrField = (E >> 16) & 0xFFF;
      NoAddress = AddrField == 0xFFF;
    }
  }
  // Line deltas live in 16 bits: a stored 0xFFFF is 0, larger deltas count backwards.
  Rec.LineDelta = Signed16(LineField + 1);
  Rec.AddressDelta = NoAddress ? 0 : AddrField + 1;
  if (Rec.HasName) Rec.Name = ReadMaskedShortString(R);
  return Rec;
}

TTarvikDebugData::TTarvikDebugData(std::vector<uint8_t> Bytes, int Version)
    : TTarvikDebugData(TUninitializedBytes(Bytes.begin(), Bytes.end()), 0, SIZE_MAX, Version) {}

TTarvikDebugData::TTarvikDebugData(TUninitializedBytes Store, size_t Begin, size_t Size, int Version)
    : FStore(std::move(Store)), FVersion(Version) {
  Begin = std::min(Begin, FStore.size());
  FData = FStore.data() + Begin;
  FSize = std::min(Size, FStore.size() - Begin);
  TByteReader R(FData, FSize);
  auto IndexEnds = [&] { Damaged(Format(TarvikText::NameIndexEnds, {static_cast<int64_t>(R.Offset())})); };
  if (FVersion > 404) {
    if (R.Remaining() < 4) IndexEnds();
    uint32_t S = R.U32();
    if (S > R.Remaining()) IndexEnds();
    FNameIndexAt = R.Offset();
    FNameIndexSize = S;
    R.Skip(S);
  }
  if (R.Remaining() < 4) Damaged(Format(TarvikText::UnitCountImpossible, {0, static_cast<int64_t>(R.Remaining())}));
  uint32_t Count = R.U32();
  if (Count > R.Remaining() / MinUnitBytes)
    Damaged(Format(TarvikText::UnitCountImpossible, {static_cast<int64_t>(Count), static_cast<int64_t>(R.Remaining())}));
  FUnits.reserve(Count);
  for (uint32_t I = 0; I < Count; ++I) {
    size_t At = R.Offset();
    try {
      TUnit U;
      U.NameAt = At;
      R.Skip(R.U8());
      U.StartLine = R.U32();
      U.Start = R.U32();
      U.End = U.Start + R.U32();
      U.LinesSize = R.U32();
      U.LinesAt = R.Offset();
      R.Skip(U.LinesSize);
      FUnits.push_back(U);
    } catch (const EReadError&) {
      Damaged(Format(TarvikText::UnitEnds, {static_cast<int64_t>(I), static_cast<int64_t>(At)}));
    }
  }
  FByStart.resize(FUnits.size());
  for (uint32_t I = 0; I < FByStart.size(); ++I) FByStart[I] = I;
  std::stable_sort(FByStart.begin(), FByStart.end(),
                   [this](uint32_t A, uint32_t B) { return FUnits[A].Start < FUnits[B].Start; });
  uint64_t Reach = 0;
  for (uint32_t I : FByStart) {
    const TUnit& U = FUnits[I];
    if (U.End <= U.Start) continue;
    if (U.Start < Reach) FOverlapping = true;
    Reach = std::max(Reach, U.End);
  }
}

std::string TTarvikDebugData::UnitName(const TUnit& U) const {
  TByteReader R(FData, FSize);
  R.Seek(U.NameAt);
  std::string Name = Win1252ToUtf8(ReadMaskedShortString(R));
  if (Name.find('.') == std::string::npos) Name += DefaultSourceExtension;
  return Name;
}

bool TTarvikDebugData::FindLine(uint64_t Offset, TDebugLineInfo& Info) const {
  if (!FOverlapping) {
    // Units do not overlap: the one that starts last at or before Offset is the only candidate.
    auto It = std::upper_bound(FByStart.begin(), FByStart.end(), Offset,
                               [this](uint64_t O, uint32_t I) { return O < FUnits[I].Start; });
    while (It != FByStart.begin()) {
      const TUnit& U = FUnits[*--It];
      if (Offset >= U.End) {
        if (U.End > U.Start) return false;
        continue;  // an empty unit hides nothing
      }
      return SearchUnit(U, Offset, Info);
    }
    return false;
  }
  // Overlapping units: the first in data order that covers the offset, as a plain walk finds it.
  for (const TUnit& U : FUnits)
    if (Offset >= U.Start && Offset < U.End) return SearchUnit(U, Offset, Info);
  return false;
}

bool TTarvikDebugData::SearchUnit(const TUnit& U, uint64_t Offset, TDebugLineInfo& Info) const {
  TByteReader R(FData + U.LinesAt, U.LinesSize);
  uint32_t Line = U.StartLine;
  uint64_t Address = U.Start;
  std::string Proc, Class, SavedClass, LastName, RecordClass, RecordProc;
  auto Found = [&] {
    Info.UnitName = UnitName(U);
    Info.ClassName = Win1252ToUtf8(Class);
    Info.ProcedureName = Win1252ToUtf8(Proc);
    Info.Line = Line;
    return true;
  };
  while (!R.AtEnd()) {
    size_t At = U.LinesAt + R.Offset();
    TDebugLineRecord Rec;
    try {
      Rec = ReadDebugLineRecord(R, FVersion);
    } catch (const EReadError&) {
      Damaged(Format(TarvikText::LineRecordEnds, {UnitName(U), static_cast<int64_t>(At)}));
    }
    if (Rec.HasName) {
      SplitName(Rec.Name, SavedClass, RecordClass, RecordProc);
      Class = RecordClass;
      if (!Class.empty()) SavedClass = Class;
      if (Proc.empty()) Proc = RecordProc;
      LastName = RecordProc;
    }
    uint64_t Next = Address + Rec.AddressDelta;
    if (Next > U.End)
      Damaged(Format(TarvikText::LineRecordsLeaveUnit, {UnitName(U), static_cast<int64_t>(At), IntToStr(static_cast<int64_t>(Next - U.End))}));
    if (Offset >= Address && Offset < Next) return Found();
    Proc = LastName;
    Line += static_cast<uint32_t>(Rec.LineDelta);
    Address = Next;
  }
  if (Offset >= Address && Offset < U.End) return Found();
  return false;
}

std::optional<uint32_t> TTarvikDebugData::FindProcedure(std::string_view DottedName) const {
  if (FVersion <= 404) return std::nullopt;
  std::string Masked = Utf8ToWin1252(DottedName);
  for (char& C : Masked) C = static_cast<char>(static_cast<uint8_t>(C) ^ DebugNameMask);
  TByteReader R(FData + FNameIndexAt, FNameIndexSize);
  while (!R.AtEnd()) {
    size_t At = FNameIndexAt + R.Offset();
    try {
      uint8_t N = R.U8();
      const uint8_t* P = R.Bytes(N);
      uint32_t CodeOffset = R.U32();
      R.Skip(4);
      if (N == Masked.size() && std::equal(Masked.begin(), Masked.end(), reinterpret_cast<const char*>(P)))
        return CodeOffset;
    } catch (const EReadError&) {
      Damaged(Format(TarvikText::NameIndexEntryEnds, {static_cast<int64_t>(At)}));
    }
  }
  return std::nullopt;
}
