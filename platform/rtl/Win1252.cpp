#include "platform/rtl/Win1252.h"

// 0x80..0x9F of Windows-1252; 0 marks the five undefined bytes.
static const char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t Win1252ToCodePoint(unsigned char B) {
  if (B >= 0x80 && B <= 0x9F && kHigh[B - 0x80]) return kHigh[B - 0x80];
  return B;
}

int CodePointToWin1252(char32_t C) {
  if (C < 0x80 || (C >= 0xA0 && C <= 0xFF)) return static_cast<int>(C);
  for (int I = 0; I < 32; ++I)
    if (kHigh[I] && kHigh[I] == C) return 0x80 + I;
  // The undefined bytes round-trip as their own C1 code points.
  if (C >= 0x80 && C <= 0x9F && !kHigh[C - 0x80]) return static_cast<int>(C);
  return -1;
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

char32_t NextUtf8(std::string_view S, size_t& I) {
  const auto U = [&](size_t K) { return static_cast<unsigned char>(S[K]); };
  unsigned char B = U(I);
  if (B < 0x80) {
    ++I;
    return B;
  }
  int Len = B >= 0xF0 && B < 0xF5 ? 4 : B >= 0xE0 ? 3 : B >= 0xC2 && B < 0xE0 ? 2 : 0;
  if (Len == 0 || I + Len > S.size()) {
    ++I;
    return 0xFFFFFFFF;
  }
  char32_t C = B & (0x7F >> Len);
  for (int K = 1; K < Len; ++K) {
    if ((U(I + K) & 0xC0) != 0x80) {
      ++I;
      return 0xFFFFFFFF;
    }
    C = (C << 6) | (U(I + K) & 0x3F);
  }
  static const char32_t Min[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (C < Min[Len] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
    ++I;
    return 0xFFFFFFFF;
  }
  I += Len;
  return C;
}

std::string Utf8ToWin1252(std::string_view Utf8) {
  std::string Out;
  Out.reserve(Utf8.size());
  size_t I = 0;
  while (I < Utf8.size()) {
    size_t Start = I;
    char32_t C = NextUtf8(Utf8, I);
    if (C == 0xFFFFFFFF) {
      Out += Utf8[Start];  // a stray byte is already a Windows-1252 byte
      continue;
    }
    int B = CodePointToWin1252(C);
    Out += B < 0 ? '?' : static_cast<char>(B);
  }
  return Out;
}

std::string Win1252ToUtf8(std::string_view Bytes) {
  std::string Out;
  Out.reserve(Bytes.size() + Bytes.size() / 8);
  for (char Ch : Bytes) AppendUtf8(Out, Win1252ToCodePoint(static_cast<unsigned char>(Ch)));
  return Out;
}

size_t Win1252Length(std::string_view Utf8) {
  size_t N = 0, I = 0;
  while (I < Utf8.size()) {
    NextUtf8(Utf8, I);
    ++N;
  }
  return N;
}

std::u16string Utf8ToUtf16(std::string_view S) {
  // Never more units than bytes: a surrogate pair comes from four bytes, anything else gives one.
  std::u16string Out(S.size(), u'\0');
  char16_t* P = Out.data();
  size_t I = 0;
  while (I < S.size()) {
    if (static_cast<unsigned char>(S[I]) < 0x80) {
      *P++ = static_cast<char16_t>(S[I++]);
      continue;
    }
    size_t Start = I;
    char32_t C = NextUtf8(S, I);
    if (C == 0xFFFFFFFF) C = Win1252ToCodePoint(static_cast<unsigned char>(S[Start]));
    if (C >= 0x10000) {
      C -= 0x10000;
      *P++ = static_cast<char16_t>(0xD800 + (C >> 10));
      *P++ = static_cast<char16_t>(0xDC00 + (C & 0x3FF));
    } else {
      *P++ = static_cast<char16_t>(C);
    }
  }
  Out.resize(static_cast<size_t>(P - Out.data()));
  return Out;
}

std::string Utf16ToUtf8(std::u16string_view S) {
  std::string Out;
  Out.reserve(S.size());
  for (size_t I = 0; I < S.size(); ++I) {
    char32_t C = S[I];
    if (C >= 0xD800 && C < 0xDC00 && I + 1 < S.size() && S[I + 1] >= 0xDC00 && S[I + 1] < 0xE000) {
      C = 0x10000 + ((C - 0xD800) << 10) + (S[I + 1] - 0xDC00);
      ++I;
    } else if (C >= 0xD800 && C < 0xE000) {
      C = 0xFFFD;
    }
    AppendUtf8(Out, C);
  }
  return Out;
}
