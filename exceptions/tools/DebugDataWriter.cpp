#include "exceptions/tools/DebugDataWriter.h"

#include <zlib.h>

#include <stdexcept>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/report/TarvikDebugData.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Win1252.h"

namespace {
void Put16(std::vector<uint8_t>& Out, uint32_t V) {
  Out.push_back(static_cast<uint8_t>(V));
  Out.push_back(static_cast<uint8_t>(V >> 8));
}
void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}
void Put64(std::vector<uint8_t>& Out, uint64_t V) {
  Put32(Out, static_cast<uint32_t>(V));
  Put32(Out, static_cast<uint32_t>(V >> 32));
}

// The masked bytes of a name that is already Windows-1252.
void PutName(std::vector<uint8_t>& Out, const std::string& Bytes) {
  size_t N = std::min(Bytes.size(), MaxDebugName);
  Out.push_back(static_cast<uint8_t>(N));
  for (size_t I = 0; I < N; ++I) Out.push_back(static_cast<uint8_t>(Bytes[I]) ^ DebugNameMask);
}

// One record whose deltas fit: LineDelta in -32768..32767, AddressDelta in 0..65536.
void WriteOne(std::vector<uint8_t>& Out, int Ld, uint32_t Ad, const std::string* Name) {
  uint32_t NameBit = Name ? 4 : 0;
  uint32_t LineField = static_cast<uint32_t>(Ld - 1) & 0xFFFF;
  if (!Name && Ld >= 1 && Ld <= 4 && Ad >= 1 && Ad <= 32) {
    Out.push_back(static_cast<uint8_t>((Ld - 1) << 6 | (Ad - 1) << 1));
  } else if (Name && Ld >= 1 && Ld <= 8 && Ad >= 1 && Ad <= 8) {
    Out.push_back(static_cast<uint8_t>((Ld - 1) << 5 | (Ad - 1) << 2 | 1));
  } else if (Ld >= 1 && Ld <= 32 && Ad >= 1 && Ad <= 128) {
    Put16(Out, static_cast<uint32_t>(Ld - 1) << 11 | (Ad - 1) << 4 | NameBit | 3);
  } else {
    // The 4-byte form holds address deltas 1 to 4095; its field 0xFFF stands for 0.
    uint32_t AddrField = Ad == 0 ? 0xFFF : Ad - 1;
    uint32_t E = AddrField << 16 | LineField;
    if ((Ad == 0 || Ad <= 0xFFF) && E != LineRecordEscape) {
      Put32(Out, E << 4 | 8 | NameBit | 3);
    } else {
      Put32(Out, LineRecordEscape << 4 | 8 | NameBit | 3);
      Put16(Out, LineField);
      Put16(Out, Ad - 1);
    }
  }
  if (Name) PutName(Out, *Name);
}
}  // namespace

void WriteMaskedShortString(std::vector<uint8_t>& Out, const std::string& Name) { PutName(Out, Utf8ToWin1252(Name)); }

void WriteLineRecord(std::vector<uint8_t>& Out, int LineDelta, uint32_t AddressDelta, const std::string* Name) {
  constexpr uint32_t MaxAddress = 65536;
  // Address first, at the current line; the line moves only after the last piece.
  while (AddressDelta > MaxAddress) {
    WriteOne(Out, 0, MaxAddress, Name);
    Name = nullptr;
    AddressDelta -= MaxAddress;
  }
  while (LineDelta > 32767 || LineDelta < -32768) {
    int Step = LineDelta > 0 ? 32767 : -32768;
    if (AddressDelta != 0 || Name) WriteOne(Out, 0, AddressDelta, Name);  // the range at the current line
    Name = nullptr;
    AddressDelta = 0;
    // ...then a record that covers nothing and only moves the line.
    WriteOne(Out, Step, 0, nullptr);
    LineDelta -= Step;
  }
  WriteOne(Out, LineDelta, AddressDelta, Name);
}

std::vector<uint8_t> EncodeUnitLines(const TDebugUnit& U) {
  std::vector<uint8_t> Out;
  // What a reader's state holds: its current procedure and the class a ".name" continues.
  std::string ReaderProc, SavedClass;
  bool First = true;
  for (size_t I = 0; I < U.Rows.size(); ++I) {
    const TDebugRow& Row = U.Rows[I];
    bool Last = I + 1 == U.Rows.size();
    int Ld = Last ? 0 : static_cast<int>(U.Rows[I + 1].Line - Row.Line);
    uint32_t Ad = (Last ? U.End : U.Rows[I + 1].Offset) - Row.Offset;
    std::string Bytes = Utf8ToWin1252(Row.Procedure).substr(0, MaxDebugName);
    bool NameChanges = Bytes != ReaderProc && !(First && Bytes.empty());
    std::string Name;
    if (NameChanges) {
      size_t Dot = Bytes.find('.');
      std::string Class = Dot == std::string::npos ? std::string() : Bytes.substr(0, Dot);
      Name = !Class.empty() && Class == SavedClass ? Bytes.substr(Dot) : Bytes;
      if (!Class.empty()) SavedClass = Class;
      ReaderProc = Bytes;
    }
    if (NameChanges && First && !Last) {
      // The reader's procedure is still empty: the name takes effect for this record's range.
      WriteLineRecord(Out, Ld, Ad, &Name);
    } else {
      // Otherwise a name takes effect after its record: a record that covers nothing carries it.
      if (NameChanges) WriteLineRecord(Out, 0, 0, &Name);
      if (!Last) WriteLineRecord(Out, Ld, Ad, nullptr);
    }
    First = false;
  }
  return Out;
}

std::vector<uint8_t> EncodeDebugData(const TDebugModel& Model) {
  std::vector<uint8_t> Index;
  for (const TDebugProcedure& P : Model.Procedures) {
    WriteMaskedShortString(Index, P.Name);
    Put32(Index, P.Offset);
    Put32(Index, 0);
  }
  std::vector<uint8_t> Out;
  Put32(Out, static_cast<uint32_t>(Index.size()));
  Out.insert(Out.end(), Index.begin(), Index.end());
  Put32(Out, static_cast<uint32_t>(Model.Units.size()));
  for (const TDebugUnit& U : Model.Units) {
    std::vector<uint8_t> Lines = EncodeUnitLines(U);
    WriteMaskedShortString(Out, U.Name);
    Put32(Out, U.Rows.empty() ? 0 : U.Rows.front().Line);
    Put32(Out, U.Start);
    Put32(Out, U.End - U.Start);
    Put32(Out, static_cast<uint32_t>(Lines.size()));
    Out.insert(Out.end(), Lines.begin(), Lines.end());
  }
  return Out;
}

std::vector<uint8_t> DeflateZlib(const std::vector<uint8_t>& Bytes) {
  uLongf Size = compressBound(static_cast<uLong>(Bytes.size()));
  std::vector<uint8_t> Out(Size);
  if (compress2(Out.data(), &Size, Bytes.data(), static_cast<uLong>(Bytes.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib cannot compress the reporter data");
  Out.resize(Size);
  return Out;
}

uint64_t DataStampOf(const std::vector<uint8_t>& Bytes) {
  uint64_t H = 0xCBF29CE484222325ull;
  for (uint8_t B : Bytes) H = (H ^ B) * 0x100000001B3ull;
  return H;
}

std::vector<uint8_t> BuildReporterData(const TTarvikModuleOptions& Options, const std::vector<uint8_t>& DebugData,
                                       uint64_t Stamp) {
  TMemoryStream S;
  Options.SaveToStream(S);
  std::vector<uint8_t> Payload = S.Bytes();
  Put32(Payload, static_cast<uint32_t>(DebugData.size()));
  Payload.insert(Payload.end(), DebugData.begin(), DebugData.end());
  std::vector<uint8_t> Out;
  Put32(Out, TarvikDataMagic);
  Put16(Out, TarvikLogDataVersion);
  Put64(Out, Stamp);
  std::vector<uint8_t> Packed = DeflateZlib(Payload);
  Out.insert(Out.end(), Packed.begin(), Packed.end());
  return Out;
}
