// Code 128: the symbols of the data's characters in code sets A, B and C, its errors, and the
// auto-encoding that chooses the code sets. The work is on the characters' codes (0-255, one byte
// each); the functions are the codes 201-242 (TppCode128Char).
#include <cstdint>
#include <vector>

#include "platform/classes/ByteReader.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppBarCodDrwCmdPattern.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {

// The bar and space widths (in modules, bar first) of the symbols 0-105; the stop has seven.
constexpr std::string_view Symbols[106] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213", "221312",
    "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132", "221231", "213212",
    "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211", "212123", "212321", "232121",
    "111323", "131123", "131321", "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",
    "132131", "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131", "311123",
    "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111", "111224", "111422", "121124",
    "121421", "141122", "141221", "112214", "112412", "122114", "122411", "142112", "142211", "241211", "221114",
    "413111", "241112", "134111", "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112",
    "421211", "212141", "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr std::string_view Stop = "2331112";

enum TCodeSet { csA, csB, csC };

constexpr int ValueFNC4[2] = {101, 100};  // in code set A, B

bool IsDigit(uint8_t C) { return C >= '0' && C <= '9'; }
// Characters above 127 that are data, not functions: written as FNC4 and the character less 128.
bool IsExtended(uint8_t C) { return (C >= 128 && C <= 200) || C >= 243; }

std::string CharText(uint8_t C) { return ppCode128Char(C); }

[[noreturn]] void Fail(int Number, const char* Text) { ppBarCodeError(Number, Text); }
[[noreturn]] void FailWith(int Number, const char* Text, uint8_t C) {
  throw EBarCodeError(Number, Format(Text, {CharText(C)}), CharText(C));
}

// The codes of the characters of UTF-8 Data; a character above U+00FF, or bytes that are not
// UTF-8, are refused.
std::string DecodeData(std::string_view Data) {
  TByteReader R(reinterpret_cast<const uint8_t*>(Data.data()), Data.size());
  std::string Codes;
  Codes.reserve(Data.size());
  while (!R.AtEnd()) {
    const uint8_t B = R.U8();
    if (B < 0x80) {
      Codes += static_cast<char>(B);
      continue;
    }
    int More = B >= 0xC2 && B <= 0xDF ? 1 : B >= 0xE0 && B <= 0xEF ? 2 : B >= 0xF0 && B <= 0xF4 ? 3 : -1;
    if (More < 0 || R.Remaining() < static_cast<size_t>(More)) Fail(0, SppBarCodeNotText);
    uint32_t C = B & (0x3F >> More);
    for (int K = 0; K < More; ++K) {
      const uint8_t Next = R.U8();
      if ((Next & 0xC0) != 0x80) Fail(0, SppBarCodeNotText);
      C = (C << 6) | (Next & 0x3F);
    }
    // Shortest forms only: a longer one would hide an ASCII character (or a function) in other bytes.
    constexpr uint32_t Min[4] = {0, 0x80, 0x800, 0x10000};
    if (C < Min[More] || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) Fail(0, SppBarCodeNotText);
    if (C > 0xFF) {
      std::string Text(Data.substr(R.Offset() - static_cast<size_t>(More) - 1, static_cast<size_t>(More) + 1));
      throw EBarCodeError(0, Format(Spp128NotLatin1, {Text}), Text);
    }
    Codes += static_cast<char>(C);
  }
  return Codes;
}

std::string EncodeData(std::string_view Codes) {
  std::string Utf8;
  Utf8.reserve(Codes.size() + Codes.size() / 2);
  for (char C : Codes) Utf8 += ppCode128Char(static_cast<uint8_t>(C));
  return Utf8;
}

class TSymbolWriter {
public:
  TSymbolWriter(const TppBarElementWidths& Widths, int Start) : FPattern(Widths), FSum(Start) { Modules(Symbols[Start]); }
  void Add(int Value) {
    Modules(Symbols[Value]);
    // Modulo 103 as it goes: the sum stays small however long the data.
    FSum = (FSum + Value * FWeight) % 103;
    FWeight = (FWeight + 1) % 103;
  }
  std::string Finish() {
    Modules(Symbols[FSum]);
    Modules(Stop);
    return FPattern.Take();
  }

private:
  void Modules(std::string_view Widths) {
    char Module = '1';
    for (char W : Widths) {
      for (int K = 0; K < W - '0'; ++K) FPattern.Narrow(Module);
      Module = Module == '1' ? '0' : '1';
    }
  }
  TppPatternBuilder FPattern;
  int FSum;
  int FWeight = 1;
};

std::string EncodeCodes(std::string_view Codes, const TppBarElementWidths& Widths) {
  const auto At = [&](size_t I) { return static_cast<uint8_t>(Codes[I]); };
  if (Codes.empty() || At(0) < c128StartA || At(0) > c128StartC) Fail(451, Spp128NoStart);
  TCodeSet Set = static_cast<TCodeSet>(At(0) - c128StartA);
  TSymbolWriter W(Widths, 103 + Set);
  bool ShiftPending = false;
  bool AfterFnc4 = false;  // the previous character was a FNC4 the data wrote itself
  for (size_t I = 1; I < Codes.size(); ++I) {
    const uint8_t C = At(I);
    bool ShiftHere = false, Fnc4Here = false;
    if (C >= c128StartA && C <= c128StartC) {
      Fail(452, Spp128LateStart);
    } else if (Set != csC && C >= 32 && C <= 95) {
      W.Add(C - 32);
    } else if (C >= 96 && C <= 127) {
      if (Set != csB) FailWith(453, Spp128OnlyInB, C);
      W.Add(C - 32);
    } else if (C >= c128Control0 && C <= c128Control0 + 31) {
      if (Set != csA) Fail(454, Spp128OnlyInA);
      W.Add(C - 147);
    } else if (Set == csC && !(C >= c128FNC3 && C <= c128FNC1)) {
      if (I + 1 >= Codes.size()) Fail(455, Spp128LoneDigit);
      if (!IsDigit(C) || !IsDigit(At(I + 1))) Fail(456, Spp128NotDigit);
      W.Add((C - '0') * 10 + (At(I + 1) - '0'));
      ++I;
    } else if (C >= c128FNC3 && C <= c128FNC1) {
      if (Set == csC && C <= c128CodeC) Fail(457, Spp128NotInC);
      // A shift covers one symbol: a change of code set cannot be it.
      const bool ChangesSet =
          C == c128CodeC || (C == c128CodeB && Set != csB) || (C == c128CodeA && Set != csA);
      if (ShiftPending && ChangesSet) Fail(0, Spp128ShiftOne);
      switch (C) {
        case c128FNC3: W.Add(96); break;
        case c128FNC2: W.Add(97); break;
        case c128Shift:
          if (ShiftPending) Fail(458, Spp128DoubleShift);
          W.Add(98);
          Set = Set == csA ? csB : csA;
          ShiftPending = ShiftHere = true;
          break;
        case c128CodeC:
          W.Add(99);
          Set = csC;
          break;
        case c128CodeB:  // FNC4 in code set B
          Fnc4Here = Set == csB;
          W.Add(100);
          Set = csB;
          break;
        case c128CodeA:  // FNC4 in code set A
          Fnc4Here = Set == csA;
          W.Add(101);
          Set = csA;
          break;
        case c128FNC1: W.Add(102); break;
      }
    } else if (C < 32) {
      // A control character in the data itself (code set C went to the digit pairs above).
      if (Set != csA) Fail(454, Spp128OnlyInA);
      W.Add(C + 64);
    } else {
      // Extended (ISO 8859-1): FNC4, then the character less 128 in the current set. Neither a shift
      // (it would cover the FNC4 only) nor a FNC4 of the data's own (two FNC4 switch the mode) may
      // come before it.
      if (ShiftPending) Fail(0, Spp128ShiftOne);
      if (AfterFnc4) Fail(0, Spp128Fnc4Twice);
      const int Low = C - 128;
      if (Low < 32 && Set != csA) Fail(454, Spp128OnlyInA);
      if (Low >= 96 && Set != csB) FailWith(453, Spp128OnlyInB, C);
      W.Add(ValueFNC4[Set]);
      W.Add(Low < 32 ? Low + 64 : Low - 32);
    }
    if (ShiftPending && !ShiftHere) {
      Set = Set == csA ? csB : csA;
      ShiftPending = false;
    }
    AfterFnc4 = Fnc4Here;
  }
  // A shift before the check symbol would shift that.
  if (ShiftPending) Fail(0, Spp128ShiftOne);
  return W.Finish();
}

// ---- Auto-encoding

bool InSetA(uint8_t C) {
  return C < 96 || C == c128FNC3 || C == c128FNC2 || C == c128CodeA || C == c128FNC1 ||
         (C >= c128Control0 && C <= c128Control0 + 31) || (IsExtended(C) && C - 128 < 96);
}
bool InSetB(uint8_t C) {
  return (C >= 32 && C <= 127) || C == c128FNC3 || C == c128FNC2 || C == c128CodeB || C == c128FNC1 ||
         (IsExtended(C) && C - 128 >= 32);
}

struct TAutoEncoder {
  std::string Codes;               // the data without code set characters
  std::vector<uint8_t> UnitLength;  // > 0 where a unit of code set C starts
  std::vector<bool> Paired;
  std::string Out;
  TCodeSet Set = csA;

  uint8_t At(size_t I) const { return static_cast<uint8_t>(Codes[I]); }

  // Code set C's units, greedily from the left: two digits, or a FNC1 that a digit pair follows.
  void FindUnits() {
    UnitLength.assign(Codes.size(), 0);
    Paired.assign(Codes.size(), false);
    const auto DigitPair = [&](size_t I) { return I + 1 < Codes.size() && IsDigit(At(I)) && IsDigit(At(I + 1)); };
    for (size_t I = 0; I < Codes.size();) {
      if (DigitPair(I)) {
        UnitLength[I] = 2;
        Paired[I] = Paired[I + 1] = true;
        I += 2;
      } else if (At(I) == c128FNC1 && DigitPair(I + 1)) {
        UnitLength[I] = 1;
        Paired[I] = true;
        I += 1;
      } else {
        ++I;
      }
    }
  }

  void Choose(size_t I, bool Start) {
    TCodeSet Chosen = csA;
    if (Paired[I]) {
      Chosen = csC;
    } else {
      for (size_t J = I; J < Codes.size(); ++J) {
        const bool A = InSetA(At(J)), B = InSetB(At(J));
        if (A && B) continue;
        Chosen = A ? csA : csB;
        break;
      }
    }
    static constexpr uint8_t StartChar[3] = {c128StartA, c128StartB, c128StartC};
    static constexpr uint8_t CodeChar[3] = {c128CodeA, c128CodeB, c128CodeC};
    Out += static_cast<char>(Start ? StartChar[Chosen] : CodeChar[Chosen]);
    Set = Chosen;
  }

  void Run() {
    FindUnits();
    if (Codes.empty()) return;
    Choose(0, true);
    for (size_t I = 0; I < Codes.size();) {
      if (const size_t Len = UnitLength[I]) {
        // A unit alone amid other characters stays in code set A or B.
        if (Set != csC && (I + Len >= Codes.size() || UnitLength[I + Len])) {
          Out += static_cast<char>(c128CodeC);
          Set = csC;
        }
        Out.append(Codes, I, Len);
        I += Len;
        continue;
      }
      if (Set == csC) Choose(I, false);
      const uint8_t C = At(I);
      const bool Last = I + 1 == Codes.size();
      // An extended character is two symbols (FNC4 and the character), more than one shift covers.
      if (Set == csA && !InSetA(C)) {
        if (Last || InSetB(At(I + 1)) || IsExtended(C)) {
          Out += static_cast<char>(c128CodeB);
          Set = csB;
        } else {
          Out += static_cast<char>(c128Shift);
        }
      } else if (Set == csB && !InSetB(C)) {
        if (Last || InSetA(At(I + 1)) || IsExtended(C)) {
          Out += static_cast<char>(c128CodeA);
          Set = csA;
        } else {
          Out += static_cast<char>(c128Shift);
        }
      }
      Out += static_cast<char>(C);
      ++I;
    }
  }
};

std::string AutoEncodeCodes(std::string_view Codes) {
  TAutoEncoder E;
  E.Codes.reserve(Codes.size());
  for (char C : Codes) {
    const uint8_t U = static_cast<uint8_t>(C);
    if (U == c128Shift || U == c128CodeC || U == c128CodeB || U == c128CodeA || (U >= c128StartA && U <= c128StartC))
      continue;
    E.Codes += C;
  }
  E.Run();
  return E.Out;
}

}  // namespace

std::string ppCode128Char(char32_t C) {
  std::string S;
  if (C < 0x80) {
    S += static_cast<char>(C);
  } else if (C <= 0xFF) {
    S += static_cast<char>(0xC0 | (C >> 6));
    S += static_cast<char>(0x80 | (C & 0x3F));
  }
  return S;
}

std::string ppAutoEncode128(std::string_view Data) { return EncodeData(AutoEncodeCodes(DecodeData(Data))); }

std::string ppCode128HumanReadable(std::string_view Data) {
  std::string Text;
  for (char C : DecodeData(Data)) {
    const uint8_t U = static_cast<uint8_t>(C);
    if ((U >= 32 && U <= 126) || (U >= 160 && U <= 200) || U >= 243) Text += ppCode128Char(U);
  }
  return Text;
}

std::string ppEncodeCode128(std::string& Data, bool AutoEncode, const TppBarElementWidths& Widths) {
  std::string Codes = DecodeData(Data);
  if (AutoEncode) {
    Codes = AutoEncodeCodes(Codes);
    Data = EncodeData(Codes);
  }
  return EncodeCodes(Codes, Widths);
}
