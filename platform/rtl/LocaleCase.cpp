#include "platform/rtl/LocaleCase.h"

#include <array>

#include "platform/rtl/Win1252.h"

char32_t LowerCaseChar(char32_t C) {
  if (C < 0x80) return (C >= 'A' && C <= 'Z') ? C + 32 : C;
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7) return C + 0x20;
  if (C == 0x178) return 0xFF;
  if (C >= 0x100 && C <= 0x137) return C | 1;
  if ((C >= 0x139 && C <= 0x148) || (C >= 0x179 && C <= 0x17E)) return (C & 1) ? C + 1 : C;
  if (C >= 0x14A && C <= 0x177) return C | 1;
  if (C >= 0x391 && C <= 0x3AB && C != 0x3A2) return C + 0x20;
  if (C >= 0x400 && C <= 0x40F) return C + 0x50;
  if (C >= 0x410 && C <= 0x42F) return C + 0x20;
  return C;
}

char32_t UpperCaseChar(char32_t C) {
  if (C < 0x80) return (C >= 'a' && C <= 'z') ? C - 32 : C;
  if (C >= 0xE0 && C <= 0xFE && C != 0xF7) return C - 0x20;
  if (C == 0xFF) return 0x178;
  if (C >= 0x100 && C <= 0x137) return C & ~char32_t(1);
  if ((C >= 0x139 && C <= 0x148) || (C >= 0x179 && C <= 0x17E)) return (C & 1) ? C : C - 1;
  if (C >= 0x14A && C <= 0x177) return C & ~char32_t(1);
  if (C >= 0x3B1 && C <= 0x3CB && C != 0x3C2) return C - 0x20;
  if (C >= 0x450 && C <= 0x45F) return C - 0x50;
  if (C >= 0x430 && C <= 0x44F) return C - 0x20;
  return C;
}

static std::string MapUtf8(std::string_view S, char32_t (*F)(char32_t)) {
  std::string Out;
  Out.reserve(S.size());
  size_t I = 0;
  while (I < S.size()) {
    size_t Start = I;
    char32_t C = NextUtf8(S, I);
    if (C == 0xFFFFFFFF) {
      Out.append(S.substr(Start, I - Start));  // keep bytes that are not UTF-8 as they are
      continue;
    }
    AppendUtf8(Out, F(C));
  }
  return Out;
}

std::string AnsiUpperCase(std::string_view S) { return MapUtf8(S, UpperCaseChar); }
std::string AnsiLowerCase(std::string_view S) { return MapUtf8(S, LowerCaseChar); }
bool AnsiSameText(std::string_view A, std::string_view B) { return AnsiUpperCase(A) == AnsiUpperCase(B); }

namespace {
struct TTables {
  std::array<unsigned char, 256> Upper{}, Lower{};
  TTables() {
    for (int B = 0; B < 256; ++B) {
      auto Map = [&](char32_t (*F)(char32_t)) {
        int R = CodePointToWin1252(F(Win1252ToCodePoint(static_cast<unsigned char>(B))));
        return static_cast<unsigned char>(R < 0 ? B : R);
      };
      Upper[static_cast<size_t>(B)] = Map(UpperCaseChar);
      Lower[static_cast<size_t>(B)] = Map(LowerCaseChar);
    }
  }
};
const TTables& Tables() {
  static const TTables T;
  return T;
}
}  // namespace

unsigned char UpperCase1252(unsigned char B) { return Tables().Upper[B]; }
unsigned char LowerCase1252(unsigned char B) { return Tables().Lower[B]; }

std::string UpperCase1252(std::string_view Bytes) {
  std::string Out(Bytes);
  for (char& C : Out) C = static_cast<char>(UpperCase1252(static_cast<unsigned char>(C)));
  return Out;
}

std::string LowerCase1252(std::string_view Bytes) {
  std::string Out(Bytes);
  for (char& C : Out) C = static_cast<char>(LowerCase1252(static_cast<unsigned char>(C)));
  return Out;
}
