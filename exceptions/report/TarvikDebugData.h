#pragma once
// The reporter data a module carries and the debug data inside it.
//
// Reporter data is a block in the module's file (the ELF section ".tvdata"): a 14-byte header
// (magic, data version, stamp), then the payload, zlib-compressed from version 450 on. The
// payload holds the module's options stream, a 32-bit count and that many bytes of debug data.
// Older programs appended the block to the end of the file instead.
//
// Debug data maps code offsets (counted from the module's handle + DebugCodeBase) to a source
// unit, a class, a procedure and a line: a name index of procedures (from version 405 on), then
// units, each a code range with the line records that cover it. Every byte is read through
// bounds checks; damaged data raises EReadError naming what is wrong and where.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sys/UninitializedBytes.h"

class TByteReader;

inline constexpr uint32_t TarvikDataMagic = 0x000FAB10;
// The ELF sections of a module file that hold the reporter data and the version texts.
inline constexpr const char* TarvikDataSection = ".tvdata";
inline constexpr const char* TarvikVersionSection = ".tvversion";
inline constexpr int TarvikDataHeaderSize = 14;
// First data version whose payload is compressed.
inline constexpr int CompressedDataVersion = 450;
// Code offsets count from the module's handle plus this.
inline constexpr uint32_t DebugCodeBase = 0x1000;
// Names in the debug data are short strings (a length byte, then the bytes) XORed with this.
inline constexpr uint8_t DebugNameMask = 0xB5;
// Appended to unit names that have no extension.
inline constexpr const char* DefaultSourceExtension = ".cpp";
// Four-byte line records whose packed fields hold this are followed by two 16-bit deltas.
inline constexpr uint32_t LineRecordEscape = 0x0FFEFFFE;

// The reporter data block: its header and its payload (inflated).
struct TTarvikDataBlock {
  uint16_t Version = 0;
  uint64_t Stamp = 0;
  TUninitializedBytes Payload;
};
// The block as the section holds it. Raises EReadError when it is shorter than its header, has
// another magic, or its compressed payload is damaged.
TTarvikDataBlock ParseTarvikDataBlock(const uint8_t* Data, size_t Size);
// The older form at the end of a file: the block, its 32-bit size, the magic. Tail holds the last
// bytes of the file (at least the whole block and the 8 bytes after it). Raises EReadError when
// the size does not fit.
TTarvikDataBlock ParseAppendedDataBlock(const uint8_t* Tail, size_t Size);
// Inflates a zlib stream; raises EReadError when it is damaged, ends early or inflates to more
// than MaxSize bytes.
TUninitializedBytes InflateZlib(const uint8_t* Data, size_t Size, size_t MaxSize);

// One line record: the line delta (signed), the address delta and the name that may follow.
struct TDebugLineRecord {
  int LineDelta = 0;
  uint32_t AddressDelta = 0;
  bool HasName = false;
  std::string Name;  // unmasked bytes, Windows-1252
};
// Reads one record at the reader's position (data of version Version). Raises EReadError when
// the record runs past the reader's end.
TDebugLineRecord ReadDebugLineRecord(TByteReader& Reader, int Version);
// A masked short string, unmasked (Windows-1252 bytes).
std::string ReadMaskedShortString(TByteReader& Reader);

// Where a code offset lies in the source: texts in UTF-8.
struct TDebugLineInfo {
  std::string UnitName, ClassName, ProcedureName;
  uint32_t Line = 0;
};

// The debug data of one module, with an index of its units by code offset made when it is read.
class TTarvikDebugData {
public:
  // Raises EReadError when the name index or the unit headers are damaged (a count that the
  // bytes cannot hold, a unit that runs past the end).
  TTarvikDebugData(std::vector<uint8_t> Bytes, int Version);
  // The Size bytes at Begin of Store (a whole payload kept as it is, without a copy).
  TTarvikDebugData(TUninitializedBytes Store, size_t Begin, size_t Size, int Version);

  // The unit, class, procedure and line of the code at Offset (address - handle - DebugCodeBase).
  // False when no unit covers it. Raises EReadError when the unit's line records are damaged:
  // a record that runs past the unit's line data, or deltas that leave the unit's code range.
  bool FindLine(uint64_t Offset, TDebugLineInfo& Info) const;
  // The code offset of a procedure in the name index (the first entry with exactly this name);
  // nullopt when there is none or the data has no index. Raises EReadError on a damaged index.
  std::optional<uint32_t> FindProcedure(std::string_view DottedName) const;

  int Version() const { return FVersion; }
  size_t Size() const { return FSize; }
  size_t UnitCount() const { return FUnits.size(); }
  // The code offsets of unit I in data order: first, and the first past its end.
  std::pair<uint64_t, uint64_t> UnitRange(size_t I) const { return {FUnits.at(I).Start, FUnits.at(I).End}; }

private:
  struct TUnit {
    uint64_t Start = 0, End = 0;  // code offsets, End outside
    uint32_t StartLine = 0;
    size_t NameAt = 0, LinesAt = 0, LinesSize = 0;
  };
  bool SearchUnit(const TUnit& U, uint64_t Offset, TDebugLineInfo& Info) const;
  std::string UnitName(const TUnit& U) const;
  TUninitializedBytes FStore;
  const uint8_t* FData = nullptr;
  size_t FSize = 0;
  int FVersion;
  size_t FNameIndexAt = 0, FNameIndexSize = 0;
  std::vector<TUnit> FUnits;        // in data order
  std::vector<uint32_t> FByStart;   // unit numbers sorted by start
  bool FOverlapping = false;
};
