#include "ppreport/core/ppLanguageModule.h"

#include <cstring>
#include <limits>
#include <set>

#include "platform/classes/ByteReader.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConsts.h"

namespace {
constexpr char Signature[4] = {'M', 'R', 'L', 'M'};
constexpr uint16_t Version = 1;

// Valid UTF-8, cut after ppMaxLanguageStringLength characters.
std::string CheckedText(TByteReader& R, std::string Bytes) {
  size_t I = 0, Chars = 0;
  while (I < Bytes.size()) {
    if (Chars == ppMaxLanguageStringLength) {
      Bytes.resize(I);
      break;
    }
    if (NextUtf8(Bytes, I) == 0xFFFFFFFF) R.Fail(SppLanguageModuleText);
    ++Chars;
  }
  return Bytes;
}

void Put(TStream& S, const void* P, size_t N) { S.WriteBuffer(P, static_cast<int64_t>(N)); }
template <class T>
void PutLe(TStream& S, T V) {
  uint8_t B[sizeof(T)];
  for (size_t I = 0; I < sizeof(T); ++I) B[I] = static_cast<uint8_t>(static_cast<uint64_t>(V) >> (8 * I));
  Put(S, B, sizeof(T));
}
}  // namespace

TppLanguageModuleData ReadLanguageModule(const uint8_t* Data, size_t Size) {
  TByteReader R(Data, Size);
  if (Size > ppMaxLanguageModuleSize || std::memcmp(R.Bytes(4), Signature, 4) != 0 || R.U16() != Version ||
      R.U16() != 0)
    R.Fail(SppLanguageModuleHeader);
  TppLanguageModuleData M;
  // Each count is checked against the bytes left, so a hostile count costs nothing.
  uint32_t Texts = R.U32();
  if (Texts > R.Remaining() / 6) R.Fail(SppLanguageModuleCount);
  for (uint32_t I = 0; I < Texts; ++I) {
    uint32_t Id = R.U32();
    uint16_t Length = R.U16();
    std::string Text = CheckedText(R, R.String(Length));
    if (!M.Strings.emplace(Id, std::move(Text)).second) R.Fail(SppLanguageModuleRepeated);
  }
  uint32_t Bitmaps = R.U32();
  if (Bitmaps > R.Remaining() / 5) R.Fail(SppLanguageModuleCount);
  std::set<std::string> Names;
  for (uint32_t I = 0; I < Bitmaps; ++I) {
    std::string Name = R.String(R.U8());
    for (char C : Name)
      if (static_cast<unsigned char>(C) >= 0x80) R.Fail(SppLanguageModuleName);
    if (!Names.insert(LowerCaseAscii(Name)).second) R.Fail(SppLanguageModuleRepeated);
    uint32_t Length = R.U32();
    const uint8_t* P = R.Bytes(Length);
    M.Bitmaps.emplace_back(std::move(Name), std::vector<uint8_t>(P, P + Length));
  }
  if (!R.AtEnd()) R.Fail(SppLanguageModuleTrailing);
  return M;
}

void WriteLanguageModule(const TppLanguageModuleData& Module, TStream& Stream) {
  for (const auto& [Id, Text] : Module.Strings)
    if (Text.size() > std::numeric_limits<uint16_t>::max()) throw EWriteError(SppLanguageModuleTooLong);
  for (const auto& [Name, Bytes] : Module.Bitmaps) {
    if (Name.size() > std::numeric_limits<uint8_t>::max() || Bytes.size() > std::numeric_limits<uint32_t>::max())
      throw EWriteError(SppLanguageModuleTooLong);
    for (char C : Name)
      if (static_cast<unsigned char>(C) >= 0x80) throw EWriteError(SppLanguageModuleName);
  }
  Put(Stream, Signature, 4);
  PutLe<uint16_t>(Stream, Version);
  PutLe<uint16_t>(Stream, 0);
  PutLe<uint32_t>(Stream, static_cast<uint32_t>(Module.Strings.size()));
  for (const auto& [Id, Text] : Module.Strings) {
    PutLe<uint32_t>(Stream, Id);
    PutLe<uint16_t>(Stream, static_cast<uint16_t>(Text.size()));
    Put(Stream, Text.data(), Text.size());
  }
  PutLe<uint32_t>(Stream, static_cast<uint32_t>(Module.Bitmaps.size()));
  for (const auto& [Name, Bytes] : Module.Bitmaps) {
    PutLe<uint8_t>(Stream, static_cast<uint8_t>(Name.size()));
    Put(Stream, Name.data(), Name.size());
    PutLe<uint32_t>(Stream, static_cast<uint32_t>(Bytes.size()));
    Put(Stream, Bytes.data(), Bytes.size());
  }
}
