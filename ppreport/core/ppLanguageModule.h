#pragma once
// Language module files: the texts and pictures of one language for one base name, read at run
// time from "<base name>.<language extension>" (tlPrint.eng). Our own small binary format, all
// numbers little-endian:
//   0   "MRLM"                  signature
//   4   u16 version             1
//   6   u16 reserved            0
//   8   u32 text count          then per text: u32 string id, u16 byte count, UTF-8 bytes
//       u32 bitmap count        then per bitmap: u8 name length, name (ASCII), u32 byte count, BMP bytes
// and nothing after the last bitmap. Ids are unique, names unique ignoring case.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class TStream;

// Longest text a module answers, in characters; a longer one is cut there.
constexpr size_t ppMaxLanguageStringLength = 1023;
// Largest module file that is read at all.
constexpr size_t ppMaxLanguageModuleSize = 16u << 20;

struct TppLanguageModuleData {
  std::map<uint32_t, std::string> Strings;                          // string id -> UTF-8 text
  std::vector<std::pair<std::string, std::vector<uint8_t>>> Bitmaps;  // name -> BMP file bytes
};

// Reads a whole module. Raises EReadError when the bytes are not a module (wrong signature or
// version, cut short, bytes left over, invalid UTF-8, a name not ASCII, a repeated id or name); a text longer than
// ppMaxLanguageStringLength characters is cut.
TppLanguageModuleData ReadLanguageModule(const uint8_t* Data, size_t Size);
// Writes Module in the format above. Raises EWriteError for what the format cannot hold (a text
// over 65535 bytes, a name over 255 bytes or not ASCII, a picture over 4 GB).
void WriteLanguageModule(const TppLanguageModuleData& Module, TStream& Stream);
