#pragma once
// Writing the reporter data of a module: the debug data from a table of units and lines, the
// options, the header, and the compression. The build step (tarvik_debug_gen) uses it; the tests
// use it to make data whose content they know.
#include <cstdint>
#include <string>
#include <vector>

class TTarvikModuleOptions;

// One line of a unit: from Offset up to the next row's offset (or the unit's end) the code is
// Procedure's, at Line. Procedure is "Class.method" for a member ("ns::Class.method"), a plain
// name otherwise, empty when unknown.
struct TDebugRow {
  uint32_t Offset = 0;
  uint32_t Line = 0;
  std::string Procedure;
};

// Code from Start up to End (outside) of one source file. Rows are ordered; the first starts at
// Start. Offsets count from the module's handle + DebugCodeBase.
struct TDebugUnit {
  std::string Name;
  uint32_t Start = 0, End = 0;
  std::vector<TDebugRow> Rows;
};

// An entry of the name index: a procedure's dotted name and the offset of its first byte.
struct TDebugProcedure {
  std::string Name;
  uint32_t Offset = 0;
};

struct TDebugModel {
  std::vector<TDebugUnit> Units;
  std::vector<TDebugProcedure> Procedures;
};

// Names longer than this are cut: they are short strings.
inline constexpr size_t MaxDebugName = 255;

// Appends the smallest line record for the deltas, with Name after it when given (names are
// Windows-1252 bytes, at most MaxDebugName). Deltas beyond one record's reach become several
// records: the address ones first, then the line; the name goes with the first.
void WriteLineRecord(std::vector<uint8_t>& Out, int LineDelta, uint32_t AddressDelta, const std::string* Name);
// The masked short string of a name (UTF-8 in, Windows-1252 written, cut at MaxDebugName bytes).
void WriteMaskedShortString(std::vector<uint8_t>& Out, const std::string& Name);
// The line records of one unit.
std::vector<uint8_t> EncodeUnitLines(const TDebugUnit& Unit);
// The debug data at the current data version: the name index, then the units.
std::vector<uint8_t> EncodeDebugData(const TDebugModel& Model);
// The reporter data block: header (magic, current version, Stamp), then the options stream, the
// debug data's size and the debug data, compressed.
std::vector<uint8_t> BuildReporterData(const TTarvikModuleOptions& Options, const std::vector<uint8_t>& DebugData,
                                       uint64_t Stamp);
// Compresses with zlib at its best level.
std::vector<uint8_t> DeflateZlib(const std::vector<uint8_t>& Bytes);
// A stamp for the data: a 64-bit FNV-1a hash of the bytes, so one build's data has one stamp.
uint64_t DataStampOf(const std::vector<uint8_t>& Bytes);
