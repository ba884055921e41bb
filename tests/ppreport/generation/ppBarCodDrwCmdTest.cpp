// The symbologies other than Code 128: check digits, golden symbols of the standards' examples,
// element widths, add-ons, and the data they refuse.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {

// One module per pixel column: 0.01 inch at 100 dpi, wide elements three columns.
TppBarCodeSettings At100(TppBarCodeType Type, bool Calc = true) {
  TppBarCodeSettings S;
  S.BarCodeType = Type;
  S.CalcCheckDigit = Calc;
  S.BarWidth = 0.01f;
  S.WideBarRatio = 3;
  S.Dpi = 100;
  return S;
}

int ErrorNumber(TppBarCodeType Type, const std::string& Data, bool Calc) {
  try {
    ppEncodeSymbol(Data, At100(Type, Calc));
  } catch (const EBarCodeError& E) {
    EXPECT_FALSE(E.Message().empty());
    return E.Number();
  }
  return -1;
}

}  // namespace

TEST(ppBarCodDrwCmdTest, CheckDigits) {
  EXPECT_EQ(ppCalcUPCCheckDigit("03600029145"), '2');
  EXPECT_EQ(ppCalcUPCCheckDigit("01234567890"), '5');
  EXPECT_EQ(ppCalcUPCCheckDigit("9638507"), '4');  // EAN-8
  EXPECT_EQ(ppCalcEAN13CheckDigit("400638133393"), '1');
  EXPECT_EQ(ppCalcEAN13CheckDigit("001234567890"), '5');
  EXPECT_EQ(ppCalcInt2of5CheckDigit("123"), '6');
  EXPECT_EQ(ppCalcInt2of5CheckDigit("12345"), '7');
  EXPECT_EQ(ppCalcMSICheckDigit("1234"), '4');
  EXPECT_EQ(ppCalcMSICheckDigit("1234567"), '4');
  EXPECT_EQ(ppCalcPostnetCheckDigit("12345"), '5');
  EXPECT_EQ(ppCalcPostnetCheckDigit("12345-6789"), '5');
  EXPECT_EQ(ppCalcPostnetCheckDigit("55555"), '5');
  EXPECT_EQ(ppCalcPostnetCheckDigit("19"), '0');
}

TEST(ppBarCodDrwCmdTest, UPCEExpandsByItsLastDigit) {
  EXPECT_EQ(ppExpandUPCE("012345"), "00123400005");
  EXPECT_EQ(ppExpandUPCE("123450"), "01200000345");
  EXPECT_EQ(ppExpandUPCE("123451"), "01210000345");
  EXPECT_EQ(ppExpandUPCE("123453"), "01230000045");
  EXPECT_EQ(ppExpandUPCE("123454"), "01234000005");
  EXPECT_EQ(ppExpandUPCE("123456"), "01234500006");
  EXPECT_THROW(ppExpandUPCE("1234"), EBarCodeError);
}

// Data rewritten with the check digit, and again unchanged when encoded a second time.
TEST(ppBarCodDrwCmdTest, CheckDigitsAreAppendedOnce) {
  struct TCase {
    TppBarCodeType Type;
    const char* Data;
    const char* Result;
  };
  const TCase Cases[] = {
      {bcUPC_A, "01234567890", "012345678905"}, {bcUPC_A, "012345678901", "012345678905"},
      {bcUPC_E, "012345", "0123457"},           {bcUPC_E, "0123450", "0123457"},
      {bcEAN_13, "001234567890", "0012345678905"}, {bcEAN_13, "0012345678909", "0012345678905"},
      {bcEAN_8, "2012345", "20123451"},         {bcInt2of5, "123", "1236"},
      {bcInt2of5, "1234", "1234"},              {bcMSI, "1234", "1234"},
      {bcPostnet, "12345", "12345"},            {bcCode39, "ABC", "ABC"},
  };
  for (const TCase& C : Cases) {
    const TppBarCodeSymbol First = ppEncodeSymbol(C.Data, At100(C.Type));
    EXPECT_EQ(First.Data, C.Result) << C.Data;
    const TppBarCodeSymbol Again = ppEncodeSymbol(First.Data, At100(C.Type));
    EXPECT_EQ(Again.Data, First.Data) << C.Data;
    EXPECT_EQ(Again.Pattern, First.Pattern) << C.Data;
  }
  // Without the computed digit the data is the symbol's as it stands.
  EXPECT_EQ(ppEncodeSymbol("012345678901", At100(bcUPC_A, false)).Data, "012345678901");
}

// The examples of the standards, module by module (the same symbols zint draws).
TEST(ppBarCodDrwCmdTest, GoldenSymbols) {
  struct TCase {
    TppBarCodeType Type;
    const char* Data;
    const char* Modules;
  };
  const TCase Cases[] = {
      {bcUPC_A, "03600029145",
       "10100011010111101010111100011010001101000110101010110110011101001100110101110010011101101100101"},
      {bcEAN_13, "400638133393",
       "10100011010100111010111101111010001001011001101010100001010000101000010111010010000101100110101"},
      {bcEAN_8, "9638507", "1010001011010111101111010110111010101001110111001010001001011100101"},
      {bcUPC_E, "123456", "101011001100100110111101001110101110010101111010101"},
      {bcInt2of5, "12345", "101011101000101011100011101110100010100011101011101000100011101"},
      {bcMSI, "1234", "110100100100110100100110100100100110110100110100100100110100100100100"},
      {bcFIM, "a", "101000001000001010"},
  };
  for (const TCase& C : Cases) EXPECT_EQ(ppEncodeSymbol(C.Data, At100(C.Type)).Pattern, C.Modules) << C.Data;

  // Code 39 *A* with narrow 1, wide 3 and a gap of two narrow widths after every character.
  EXPECT_EQ(ppEncodeSymbol("a", At100(bcCode39)).Pattern,
            "100010111011101" "00" "111010100010111" "00" "100010111011101" "00");
  // Codabar start A, digit 1, stop B: a gap of one narrow width after each.
  EXPECT_EQ(ppEncodeSymbol("A1B", At100(bcCodabar)).Pattern,
            "1011100010001" "0" "10101110001" "0" "1000100010111" "0");
  // POSTNET 1 with its check digit 9: frame, 00011, 10100, frame; one column each, gaps of one.
  EXPECT_EQ(ppEncodeSymbol("1", At100(bcPostnet)).Pattern, "20" "1010102020" "2010201010" "2");
  EXPECT_EQ(ppEncodeSymbol("1-", At100(bcPostnet)).Pattern, ppEncodeSymbol("1", At100(bcPostnet)).Pattern);
}

TEST(ppBarCodDrwCmdTest, ParityTables) {
  // EAN-13 with first digit 0: digits 2-7 all in set A; UPC-E's check digit 7 gives B A B A B A.
  const std::string Ean = ppEncodeSymbol("001234567890", At100(bcEAN_13)).Pattern;
  for (int K = 0; K < 6; ++K)
    EXPECT_EQ(Ean.substr(3 + 7 * K, 7), ppEANDigitPattern('A', "012345"[K] - '0')) << K;
  const std::string UpcE = ppEncodeSymbol("012345", At100(bcUPC_E)).Pattern;
  for (int K = 0; K < 6; ++K)
    EXPECT_EQ(UpcE.substr(3 + 7 * K, 7), ppEANDigitPattern("BABABA"[K], K)) << K;
  EXPECT_EQ(UpcE.size(), 51u);
  EXPECT_EQ(UpcE.substr(45), "010101");
  // The digit fields the human-readable text stands under: guards between them stay long.
  ASSERT_EQ(ppDigitFields(bcUPC_E).size(), 1u);
  EXPECT_EQ(ppDigitFields(bcUPC_E)[0].EndModule, 45);
  EXPECT_EQ(ppDigitFields(bcUPC_A)[1].FirstModule, 50);
  EXPECT_TRUE(ppDigitFields(bcCode39).empty());
}

TEST(ppBarCodDrwCmdTest, ElementWidths) {
  struct TCase {
    float BarWidth, Ratio;
    int Dpi, Narrow, Wide;
  };
  const TCase Cases[] = {
      {0.01f, 3, 300, 3, 9},
      {0.01f, 2.5f, 600, 6, 15},
      {0.013f, 3, 96, 1, 4},
      // 0.005 × 300 in single precision is 1.5 exactly, which rounds to the even 2.
      {0.005f, 2, 300, 2, 3},
      {0.0025f, 3, 300, 1, 2},  // 0.75 → 1; 2.25 → 2
      {0.01f, 3, 0, 0, 0},
      {-0.01f, 3, 300, 0, 0},
      {std::numeric_limits<float>::quiet_NaN(), 3, 300, 0, 0},
  };
  for (const TCase& C : Cases) {
    const TppBarElementWidths W = ppBarElementWidths(C.BarWidth, C.Ratio, C.Dpi);
    EXPECT_EQ(W.Narrow, C.Narrow) << C.BarWidth << " at " << C.Dpi;
    EXPECT_EQ(W.Wide, C.Wide) << C.BarWidth << " at " << C.Dpi;
  }
  EXPECT_THROW(ppBarElementWidths(1e9f, 3, 2400), EBarCodeError);
  EXPECT_THROW(ppBarElementWidths(0.01f, std::numeric_limits<float>::infinity(), 300), EBarCodeError);

  // Every column of the symbol scales: UPC-A is 95 modules, Interleaved 2 of 5 mixes both widths.
  TppBarCodeSettings S = At100(bcUPC_A);
  S.Dpi = 300;
  EXPECT_EQ(ppEncodeSymbol("01234567890", S).Pattern.size(), 95u * 3);
  S.BarCodeType = bcInt2of5;
  // Start 4 narrow; each digit 3 narrow + 2 wide; stop 2 narrow + 1 wide.
  EXPECT_EQ(ppEncodeSymbol("1234", S).Pattern.size(), 4u * 3 + 4 * (3 * 3 + 2 * 9) + 2 * 3 + 9);
  // A bar width of 0 draws nothing, without complaint.
  S.BarWidth = 0;
  EXPECT_EQ(ppEncodeSymbol("1234", S).Pattern, "");
}

TEST(ppBarCodDrwCmdTest, AddOns) {
  const TppBarCodeSettings S = At100(bcEAN_13);
  // 12: value mod 4 = 0, both digits in set A.
  EXPECT_EQ(ppEncodeAddOn("12", S),
            std::string("1011") + std::string(ppEANDigitPattern('A', 1)) + "01" + std::string(ppEANDigitPattern('A', 2)));
  // 52495: 3 × 14 + 9 × 11 = 141, the parity row of 1 (B A B A A).
  std::string Expected = "1011";
  for (int K = 0; K < 5; ++K) {
    if (K > 0) Expected += "01";
    Expected += ppEANDigitPattern("BABAA"[K], "52495"[K] - '0');
  }
  EXPECT_EQ(ppEncodeAddOn("52495", S), Expected);
  EXPECT_EQ(ppEncodeAddOn("", S), "");
  EXPECT_EQ(ppEncodeAddOn("12", At100(bcCode39)), "");  // no add-on outside UPC and EAN

  // Every module is one narrow element, whatever the wide ratio.
  TppBarCodeSettings Wide = S;
  Wide.Dpi = 200;
  EXPECT_EQ(ppEncodeAddOn("12", Wide).size(), 2 * ppEncodeAddOn("12", S).size());

  struct TBad {
    const char* Code;
    int Number;
  };
  const TBad Bad[] = {{"1a", 0}, {"1 345", 0}, {"+1", 0}, {"\xd9\xa1\xd9\xa2", 0}, {"123", 424}, {"1", 424},
                      {"123456", 424}};
  for (const TBad& B : Bad) {
    try {
      ppEncodeAddOn(B.Code, S);
      ADD_FAILURE() << B.Code << " was encoded";
    } catch (const EBarCodeError& E) {
      EXPECT_EQ(E.Number(), B.Number) << B.Code;
      EXPECT_FALSE(E.Message().empty());
    }
  }
}

// Data a symbology refuses: the language string of the fault (0: none has it), never a pattern.
TEST(ppBarCodDrwCmdTest, HostileDataRaises) {
  struct TCase {
    TppBarCodeType Type;
    const char* Data;
    bool Calc;
    int Number;
  };
  const TCase Cases[] = {
      {bcUPC_A, "", true, 0},
      {bcUPC_A, " \t ", true, 0},
      {bcUPC_A, "0123456789", true, 438},
      {bcUPC_A, "0123456789012", true, 438},
      {bcUPC_A, "01234567890", false, 439},
      {bcUPC_A, "0123456789a", true, 440},
      {bcUPC_A, "0123456789\xc3\xa9", true, 440},
      {bcUPC_E, "01234", true, 648},
      {bcUPC_E, "012345", false, 649},
      {bcUPC_E, "01234x", true, 650},
      {bcEAN_13, "12345678901234", true, 431},
      {bcEAN_13, "123456789012", false, 432},
      {bcEAN_13, "12345678901-", true, 433},
      {bcEAN_8, "123456789", true, 645},
      {bcEAN_8, "1234567", false, 646},
      {bcEAN_8, "123 567", true, 647},
      {bcInt2of5, "12a4", true, 434},
      {bcInt2of5, "123", false, 435},
      {bcCode39, "A*B", true, 430},
      {bcCode39, "AB#", true, 430},
      {bcCode39, "\xc3\x89", true, 430},
      {bcPostnet, "12 345", true, 436},
      {bcPostnet, "--", true, 0},
      {bcFIM, "D", true, 651},
      {bcFIM, "AB", true, 651},
      {bcCodabar, "A12#B", true, 652},
      {bcCodabar, "123B", true, 653},
      {bcCodabar, "A", true, 653},
      {bcCodabar, "A1C2B", true, 654},
      {bcMSI, "12.5", true, 0},
  };
  for (const TCase& C : Cases) EXPECT_EQ(ErrorNumber(C.Type, C.Data, C.Calc), C.Number) << C.Data;

  // The components' check says the same, and accepts what the symbologies take.
  EXPECT_THROW(ppCheckBarCodeData(bcCode39, "A*B", true), EBarCodeError);
  EXPECT_NO_THROW(ppCheckBarCodeData(bcCode39, "*A-B.c $/+%*", true));
  EXPECT_NO_THROW(ppCheckBarCodeData(bcCodabar, "a0123456789-$:/.+d", true));
  EXPECT_NO_THROW(ppCheckBarCodeData(bcInt2of5, "12345", true));
  EXPECT_NO_THROW(ppCheckBarCodeData(bcPostnet, "12345-6789", true));
  EXPECT_NO_THROW(ppCheckBarCodeData(bcFIM, "c", true));

  // A symbol wider than any page is refused instead of filling memory.
  TppBarCodeSettings S = At100(bcCode39);
  S.Dpi = 2400;
  S.BarWidth = 0.1f;
  EXPECT_THROW(ppEncodeSymbol(std::string(300, 'A'), S), EBarCodeError);
  EXPECT_FALSE(ppHasBarCodeData(" \x01\t"));
  EXPECT_TRUE(ppHasBarCodeData(" 0 "));
}
