// Code 128: auto-encoding, the checksum, the errors of hand-written code sets, and characters above
// 127 (FNC4) that must never vanish.
#include <gtest/gtest.h>

#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {

std::string Ch(char32_t C) { return ppCode128Char(C); }
const std::string StartA = Ch(c128StartA), StartB = Ch(c128StartB), StartC = Ch(c128StartC), CodeA = Ch(c128CodeA),
                  CodeB = Ch(c128CodeB), CodeC = Ch(c128CodeC), Shift = Ch(c128Shift), FNC1 = Ch(c128FNC1);

TppBarCodeSettings Code128At100(bool AutoEncode) {
  TppBarCodeSettings S;
  S.BarCodeType = bcCode128;
  S.AutoEncode = AutoEncode;
  S.BarWidth = 0.01f;
  S.WideBarRatio = 3;
  S.Dpi = 100;
  return S;
}

size_t SymbolCount(const std::string& Pattern) { return (Pattern.size() - 13) / 11; }  // stop: 13 modules

}  // namespace

TEST(ppBarCodDrwCmdCode128Test, AutoEncodeChoosesCodeSets) {
  struct TCase {
    std::string Data, Encoded;
  };
  const TCase Cases[] = {
      {"1234abc", StartC + "1234" + CodeB + "abc"},
      {"ABC", StartA + "ABC"},
      {"abc", StartB + "abc"},
      {"a12b", StartB + "a12b"},  // a lone pair stays in code set B
      {"12ab", StartC + "12" + CodeB + "ab"},
      {"ab1234", StartB + "ab" + CodeC + "1234"},
      {"123", StartC + "12" + CodeA + "3"},
      {"ab\tcd", StartB + "ab" + Shift + "\t" + "cd"},  // one character of code set A
      {"\x01\x02" "a", StartA + "\x01\x02" + CodeB + "a"},
      // The code set characters already there are removed first.
      {StartA + "abc" + CodeC, StartB + "abc"},
      // A FNC1 before digit pairs joins code set C (GS1): the pairs after it stay whole.
      {FNC1 + "0112345678901231", StartC + FNC1 + "0112345678901231"},
      {"12" + FNC1 + "34", StartC + "12" + FNC1 + "34"},
      {FNC1 + "abc", StartB + FNC1 + "abc"},
      // Characters above 127 go by their lower half; a shift would cover only their FNC4.
      {"\xc3\x81\xc3\x87\xc3\xb5x", StartB + "\xc3\x81\xc3\x87\xc3\xb5x"},
      {"ab\xc2\x80" "cd", StartB + "ab" + CodeA + "\xc2\x80" + CodeB + "cd"},
  };
  for (const TCase& C : Cases) {
    const std::string Encoded = ppAutoEncode128(C.Data);
    EXPECT_EQ(Encoded, C.Encoded) << C.Data;
    EXPECT_EQ(ppAutoEncode128(Encoded), Encoded) << C.Data;
    // Encoding the rewritten data gives the same symbol.
    const TppBarCodeSymbol Symbol = ppEncodeSymbol(C.Data, Code128At100(true));
    EXPECT_EQ(Symbol.Data, C.Encoded);
    EXPECT_EQ(ppEncodeSymbol(Symbol.Data, Code128At100(true)).Pattern, Symbol.Pattern);
    EXPECT_EQ(ppEncodeSymbol(Symbol.Data, Code128At100(false)).Pattern, Symbol.Pattern);
  }
}

TEST(ppBarCodDrwCmdCode128Test, GoldenSymbol) {
  // Start B, "Wikipedia", checksum 92 ((104 + Σ value × position) mod 103), stop.
  EXPECT_EQ(ppEncodeSymbol("Wikipedia", Code128At100(true)).Pattern,
            "11010010000111010001101000011010011000010010100001101001010011110010110010000100001001101000011010"
            "010010110000111100100101100011101011");  // checked with zint
  // Twice as wide at 200 dpi, every module a narrow element.
  TppBarCodeSettings S = Code128At100(true);
  S.Dpi = 200;
  EXPECT_EQ(ppEncodeSymbol("Wikipedia", S).Pattern.size(), 2 * (11 * 11 + 13));
}

// Every character of the data gives symbols or an error: none is dropped.
TEST(ppBarCodDrwCmdCode128Test, NoCharacterIsDropped) {
  const size_t Plain = SymbolCount(ppEncodeSymbol("xy", Code128At100(true)).Pattern);
  for (char32_t C = 0; C <= 0xFF; ++C) {
    if (C == c128Shift || C == c128CodeC || C == c128CodeB || C == c128CodeA || (C >= c128StartA && C <= c128StartC))
      continue;  // the code set characters auto-encoding chooses itself
    const std::string Data = "x" + Ch(C) + "y";
    const TppBarCodeSymbol Symbol = ppEncodeSymbol(Data, Code128At100(true));
    EXPECT_GT(SymbolCount(Symbol.Pattern), Plain) << int(C);
    // FNC4 and the character: extended characters take two symbols more.
    if ((C >= 128 && C <= 200) || C >= 243) EXPECT_GE(SymbolCount(Symbol.Pattern), Plain + 2) << int(C);
  }
  // What a reader shows: data characters, extended ones included; no functions, no controls.
  EXPECT_EQ(ppCode128HumanReadable(StartC + "1234" + CodeB + " abcd"), "1234 abcd");
  EXPECT_EQ(ppCode128HumanReadable(StartB + "\xc3\x81\t" + FNC1 + "\xc3\xb5~\x7f"), "\xc3\x81\xc3\xb5~");
}

TEST(ppBarCodDrwCmdCode128Test, ErrorsOfHandWrittenCodeSets) {
  struct TCase {
    std::string Data;
    int Number;
  };
  const TCase Cases[] = {
      {"ABC", 451},
      {StartA + "A" + StartB + "B", 452},
      {StartA + "Aa", 453},
      {StartA + "\xc3\xb5", 453},  // õ: FNC4 and "u", which only code set B has
      {StartB + Ch(c128Control0 + 1), 454},
      {StartB + "\x01", 454},
      {StartB + "\xc2\x81", 454},  // U+0081: FNC4 and a control character of code set A
      {StartC + "123", 455},
      {StartC + "1a", 456},
      {StartC + "1" + CodeB + "a", 456},
      {StartC + "\xc3\x81" "1", 456},
      {StartC + Ch(c128FNC3), 457},
      {StartC + Shift + "a", 457},
      {StartA + Shift + Shift + "a", 458},
      // A shift covers one symbol: not a change of code set, not FNC4 and its character, not the check.
      {StartA + Shift + CodeC + "12", 0},
      {StartB + Shift + "\xc3\x81", 0},
      {StartA + "A" + Shift, 0},
      // FNC4 of the data's own before an extended character would be two FNC4 (a change of mode).
      {StartB + CodeB + "\xc3\x81", 0},
      {StartB + "\xe2\x82\xac", 0},  // the euro sign: not in ISO 8859-1
      {StartB + "\xff", 0},
      {StartB + "\xc1\x81", 0},         // "A" written in two bytes
      {StartB + "\xe0\x81\x81", 0},     // and in three
      {StartB + "\xc3", 0},             // cut short
      {StartB + "\xed\xa0\x80", 0},     // a surrogate
  };
  for (const TCase& C : Cases) {
    try {
      const TppBarCodeSymbol S = ppEncodeSymbol(C.Data, Code128At100(false));
      ADD_FAILURE() << C.Data << " was encoded: " << S.Pattern;
    } catch (const EBarCodeError& E) {
      EXPECT_EQ(E.Number(), C.Number) << C.Data << ": " << E.Message();
      EXPECT_FALSE(E.Message().empty());
    }
  }
  // 453 names the character, and hands it to a language string's placeholder.
  try {
    ppEncodeSymbol(StartA + "A~", Code128At100(false));
    ADD_FAILURE();
  } catch (const EBarCodeError& E) {
    EXPECT_EQ(E.Argument(), "~");
    EXPECT_NE(E.Message().find('~'), std::string::npos);
  }
  // Auto-encoding cannot make characters of ISO 8859-1 out of others.
  EXPECT_THROW(ppEncodeSymbol("\xe2\x82\xac", Code128At100(true)), EBarCodeError);
  EXPECT_THROW(ppAutoEncode128("a\xffz"), EBarCodeError);
}

TEST(ppBarCodDrwCmdCode128Test, HandWrittenCodeSets) {
  // FNC4 written by the data (CODE A in code set A), then a plain character: allowed.
  EXPECT_NO_THROW(ppEncodeSymbol(StartA + CodeA + "A", Code128At100(false)));
  // A shift to FNC4 of the other set, FNC1 to FNC3 in any set that has them.
  EXPECT_NO_THROW(ppEncodeSymbol(StartA + Shift + CodeB + "A", Code128At100(false)));
  EXPECT_NO_THROW(ppEncodeSymbol(StartC + FNC1 + "12", Code128At100(false)));
  EXPECT_NO_THROW(ppEncodeSymbol(StartB + Ch(c128FNC2) + "a" + Ch(c128FNC3), Code128At100(false)));
  // Start, nothing, check, stop.
  EXPECT_EQ(SymbolCount(ppEncodeSymbol(StartB, Code128At100(false)).Pattern), 2u);
}
