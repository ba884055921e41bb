// Feeds arbitrary bytes to the exception reporter's readers of module data; the first byte picks
// the reader:
//   0   debug data (the second byte picks the data version): units, a lookup at every unit's first
//       and last byte and in between, the name index
//   1   a reporter data block: header, inflation, then the payload's options and debug data
//   2   a module's ELF file: section headers, every section's first bytes, exported functions
// Damaged bytes may raise EReadError and nothing else; a lookup never reads outside the bytes
// (the sanitizers watch).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exceptions/report/TarvikDebugData.h"
#include "exceptions/report/TarvikModules.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/ElfFile.h"

// No start-up: these readers need none, and the reporter's would leave shared-memory names
// behind when the fuzzer exits.
namespace {
const int Versions[] = {404, 405, 422, 423, 449, 454};

void Lookups(const TTarvikDebugData& Data) {
  TDebugLineInfo Info;
  for (size_t I = 0; I < Data.UnitCount() && I < 64; ++I) {
    auto [Start, End] = Data.UnitRange(I);
    for (uint64_t O : {Start, End - 1, Start + (End - Start) / 2, End}) {
      try {
        Data.FindLine(O, Info);
      } catch (const EReadError&) {
      }
    }
  }
  Data.FindProcedure("TForm1.Paint");
}

void DebugData(const uint8_t* Data, size_t Size) {
  if (Size < 1) return;
  int Version = Versions[Data[0] % (sizeof Versions / sizeof Versions[0])];
  TTarvikDebugData D(std::vector<uint8_t>(Data + 1, Data + Size), Version);
  Lookups(D);
}

void Block(const uint8_t* Data, size_t Size) {
  TTarvikDataBlock B = ParseTarvikDataBlock(Data, Size);
  TTarvikModuleInfo M;
  M.Options = std::make_unique<TTarvikModuleOptionsEx>("", 0);
  ReadReporterPayload(M, std::move(B));
  Lookups(*M.DebugData);
}

void Elf(const uint8_t* Data, size_t Size) {
  auto F = TElfFile::FromBytes(Data, Size);
  for (const TElfFile::TSection& S : F->Sections()) {
    try {
      F->SectionBytes(S, 64);
    } catch (const EReadError&) {
    }
  }
  F->ExportedFunctions();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  try {
    switch (Data[0] % 3) {
      case 0: DebugData(Data + 1, Size - 1); break;
      case 1: Block(Data + 1, Size - 1); break;
      default: Elf(Data + 1, Size - 1); break;
    }
  } catch (const EReadError&) {
  }
  return 0;
}
