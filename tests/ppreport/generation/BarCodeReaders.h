#pragma once
// Readers nobody here wrote, for the barcode tests: zint's module rows of a symbology (its --dump),
// and zbarimg reading a PNG that a tiny rasteriser draws from a pattern (bars as black columns,
// quiet zones white). Both come from scripts/deps.sh (Debian packages zint and zbar-tools).
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/TestTemp.h"

namespace bctest {

inline bool HaveProgram(const char* Name) {
  return std::system((std::string("command -v ") + Name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of a shell command (its standard error dropped).
inline std::string RunOutput(const std::string& Command) {
  std::string Out;
  if (FILE* P = popen((Command + " 2>/dev/null").c_str(), "r")) {
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, P)) > 0) Out.append(Buf, N);
    pclose(P);
  }
  return Out;
}

// zint's rows of modules ('1' a bar) for Data of a symbology, trailing spaces cut. Data goes
// through a file, so no character of it meets the shell.
inline std::vector<std::string> ZintRows(TTestTempFiles& Temp, const std::string& Symbology, const std::string& Data,
                                         const std::string& Options = {}) {
  const std::string Input = Temp.Path("zint.txt");
  std::ofstream(Input, std::ios::binary) << Data;
  std::istringstream Dump(RunOutput("zint --dump -b " + Symbology + " " + Options + " -i '" + Input + "'"));
  std::vector<std::string> Rows;
  for (std::string Line; std::getline(Dump, Line);) {
    std::string Bits;
    for (char C : Line) {
      if (C == ' ') continue;
      const int V = std::stoi(std::string(1, C), nullptr, 16);
      for (int B = 3; B >= 0; --B) Bits += (V >> B) & 1 ? '1' : '0';
    }
    Bits.erase(Bits.find_last_not_of('0') + 1);
    if (!Bits.empty()) Rows.push_back(Bits);
  }
  return Rows;
}

// A pattern with its trailing spaces cut ('2' and '1' of POSTNET both bars, unless FullOnly).
inline std::string BarsOf(const std::string& Pattern, bool FullOnly = false) {
  std::string Bits;
  for (char C : Pattern) Bits += C == '2' || (C == '1' && !FullOnly) ? '1' : '0';
  Bits.erase(Bits.find_last_not_of('0') + 1);
  return Bits;
}

// An 8-bit grey PNG of Width x Height pixels, one byte each, row by row.
inline void WriteGreyPng(const std::string& Path, int Width, int Height, const std::string& Pixels) {
  std::string Raw;
  for (int Y = 0; Y < Height; ++Y) Raw += '\0' + Pixels.substr(static_cast<size_t>(Y) * Width, Width);  // filter 0
  uLongf Size = compressBound(Raw.size());
  std::string Packed(Size, '\0');
  compress(reinterpret_cast<Bytef*>(Packed.data()), &Size, reinterpret_cast<const Bytef*>(Raw.data()), Raw.size());
  Packed.resize(Size);
  const auto Be32 = [](uint32_t V) {
    return std::string{char(V >> 24), char(V >> 16), char(V >> 8), char(V)};
  };
  const auto Chunk = [&](const std::string& Type, const std::string& Body) {
    const std::string Tagged = Type + Body;
    return Be32(Body.size()) + Tagged +
           Be32(crc32(0, reinterpret_cast<const Bytef*>(Tagged.data()), Tagged.size()));
  };
  const std::string Header = Be32(Width) + Be32(Height) + std::string{8, 0, 0, 0, 0};  // 8-bit grey
  std::ofstream(Path, std::ios::binary) << "\x89PNG\r\n\x1a\n" << Chunk("IHDR", Header) << Chunk("IDAT", Packed)
                                        << Chunk("IEND", "");
}

// An 8-bit grey PNG: each pattern column Scale pixels wide, Quiet white columns on both sides.
inline void WriteBarPng(const std::string& Path, const std::string& Columns, int Scale, int Quiet, int Height) {
  const int Width = (static_cast<int>(Columns.size()) + 2 * Quiet) * Scale;
  std::string Row(Width, '\xff');
  for (size_t I = 0; I < Columns.size(); ++I)
    if (Columns[I] != '0') Row.replace((Quiet + I) * Scale, Scale, Scale, '\0');
  std::string Pixels;
  for (int Y = 0; Y < Height; ++Y) Pixels += Row;
  WriteGreyPng(Path, Width, Height, Pixels);
}

// What zbarimg reads in a PNG, one entry per symbol (add-ons are symbols of their own).
inline std::multiset<std::string> ZbarRead(const std::string& Png) {
  std::istringstream Out(RunOutput("zbarimg -q --raw -Sean2.enable -Sean5.enable '" + Png + "'"));
  std::multiset<std::string> Symbols;
  for (std::string Line; std::getline(Out, Line);) Symbols.insert(Line);
  return Symbols;
}

}  // namespace bctest
