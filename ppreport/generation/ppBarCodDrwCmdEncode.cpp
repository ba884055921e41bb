// The symbologies other than Code 128: their data check, check digits and element tables. Every
// table is the published one of its symbology.
#include <cmath>

#include "platform/rtl/RtlMath.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "ppreport/generation/ppBarCodDrwCmdPattern.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {

// ---- UPC/EAN number sets A (odd parity, the standard's L), B (even, G) and C (right-hand, R).
constexpr std::string_view SetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                       "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::string_view SetB[10] = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                       "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::string_view SetC[10] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                       "1001110", "1010000", "1000100", "1001000", "1110100"};
// EAN-13: the sets of digits 2-7 by the first digit.
constexpr std::string_view EAN13Parity[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                              "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
// UPC-E, number system 0: the sets of the six digits by the check digit.
constexpr std::string_view UPCEParity[10] = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                             "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};
// EAN-2 by the value mod 4; EAN-5 by the last digit of its weighted sum.
constexpr std::string_view AddOn2Parity[4] = {"AA", "AB", "BA", "BB"};
constexpr std::string_view AddOn5Parity[10] = {"BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA",
                                               "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};

// Interleaved 2 of 5: the five elements of each digit, W wide.
constexpr std::string_view Int2of5Digits[10] = {"NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW",
                                                "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN"};

// Code 39: nine elements per character (bar first), 1 wide.
constexpr std::string_view Code39Chars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
constexpr std::string_view Code39Elements[44] = {
    "000110100", "100100001", "001100001", "101100000", "000110001", "100110000", "001110000", "000100101",
    "100100100", "001100100", "100001001", "001001001", "101001000", "000011001", "100011000", "001011000",
    "000001101", "100001100", "001001100", "000011100", "100000011", "001000011", "101000010", "000010011",
    "100010010", "001010010", "000000111", "100000110", "001000110", "000010110", "110000001", "011000001",
    "111000000", "010010001", "110010000", "011010000", "010000101", "110000100", "011000100", "010101000",
    "010100010", "010001010", "000101010", "010010100"};

// Codabar: seven elements per character (bar first), 1 wide.
constexpr std::string_view CodabarChars = "0123456789-$:/.+ABCD";
constexpr std::string_view CodabarElements[20] = {
    "0000011", "0000110", "0001001", "1100000", "0010010", "1000010", "0100001", "0100100", "0110000", "1001000",
    "0001100", "0011000", "1000101", "1010001", "1010100", "0010101", "0011010", "0101001", "0001011", "0001110"};

// POSTNET: five bars per digit, 1 full.
constexpr std::string_view PostnetDigits[10] = {"11000", "00011", "00101", "00110", "01001",
                                                "01010", "01100", "10001", "10010", "10100"};

// FIM A, B and C: nine positions, 1 a bar.
constexpr std::string_view FIMPatterns[3] = {"110010011", "101101101", "110101011"};

constexpr TppDigitField UPCAFields[] = {{10, 45, 1, 5}, {50, 85, 6, 5}};
constexpr TppDigitField UPCEFields[] = {{3, 45, 0, 6}};
constexpr TppDigitField EAN13Fields[] = {{3, 45, 1, 6}, {50, 92, 7, 6}};
constexpr TppDigitField EAN8Fields[] = {{3, 31, 0, 4}, {36, 64, 4, 4}};

bool IsDigit(char C) { return C >= '0' && C <= '9'; }
int DigitOf(char C) { return C - '0'; }
char UpCase(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }
char CheckChar(int Sum) { return static_cast<char>('0' + (10 - Sum % 10) % 10); }

bool AllDigits(std::string_view S) {
  for (char C : S)
    if (!IsDigit(C)) return false;
  return true;
}

bool Among(std::string_view Set, char C) { return C != '\0' && Set.find(C) != std::string_view::npos; }

// The fixed-length UPC and EAN data: the length with and without the check digit, then digits.
void CheckFixed(std::string_view Data, size_t Length, bool CalcCheckDigit, int LengthNo, const char* LengthText,
                int NoCheckNo, const char* NoCheckText, int DigitsNo, const char* DigitsText) {
  if (Data.size() != Length && Data.size() != Length + 1) ppBarCodeError(LengthNo, LengthText);
  if (Data.size() == Length && !CalcCheckDigit) ppBarCodeError(NoCheckNo, NoCheckText);
  if (!AllDigits(Data)) ppBarCodeError(DigitsNo, DigitsText);
}

void CheckCode39(std::string_view Data) {
  constexpr std::string_view Inner = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
  for (size_t I = 0; I < Data.size(); ++I) {
    const char C = UpCase(Data[I]);
    const bool AtEnd = I == 0 || I + 1 == Data.size();
    if (!Among(Inner, C) && !(AtEnd && C == '*')) ppBarCodeError(430, SppCode39Chars);
  }
}

void CheckCodabar(std::string_view Data) {
  constexpr std::string_view Letters = "ABCD";
  for (char C : Data)
    if (!Among(CodabarChars, UpCase(C))) ppBarCodeError(652, SppCodabarChars);
  if (Data.size() < 2 || !Among(Letters, UpCase(Data.front())) || !Among(Letters, UpCase(Data.back())))
    ppBarCodeError(653, SppCodabarEnds);
  for (size_t I = 1; I + 1 < Data.size(); ++I)
    if (Among(Letters, UpCase(Data[I]))) ppBarCodeError(654, SppCodabarMiddle);
}

void AddEANDigits(TppPatternBuilder& P, std::string_view Digits, std::string_view Sets) {
  for (size_t I = 0; I < Digits.size(); ++I) P.Modules(ppEANDigitPattern(Sets[I], DigitOf(Digits[I])));
}

std::string EncodeUPCA(std::string& Data, bool Calc, TppPatternBuilder& P) {
  if (Calc) {
    Data.resize(11);
    Data += ppCalcUPCCheckDigit(Data);
  }
  P.Modules("101");
  AddEANDigits(P, std::string_view(Data).substr(0, 6), "AAAAAA");
  P.Modules("01010");
  AddEANDigits(P, std::string_view(Data).substr(6, 6), "CCCCCC");
  P.Modules("101");
  return P.Take();
}

std::string EncodeUPCE(std::string& Data, bool Calc, TppPatternBuilder& P) {
  if (Calc) {
    Data.resize(6);
    Data += ppCalcUPCCheckDigit(ppExpandUPCE(Data));
  }
  P.Modules("101");
  AddEANDigits(P, std::string_view(Data).substr(0, 6), UPCEParity[DigitOf(Data[6])]);
  P.Modules("010101");
  return P.Take();
}

std::string EncodeEAN13(std::string& Data, bool Calc, TppPatternBuilder& P) {
  if (Calc) {
    Data.resize(12);
    Data += ppCalcEAN13CheckDigit(Data);
  }
  P.Modules("101");
  AddEANDigits(P, std::string_view(Data).substr(1, 6), EAN13Parity[DigitOf(Data[0])]);
  P.Modules("01010");
  AddEANDigits(P, std::string_view(Data).substr(7, 6), "CCCCCC");
  P.Modules("101");
  return P.Take();
}

std::string EncodeEAN8(std::string& Data, bool Calc, TppPatternBuilder& P) {
  if (Calc) {
    Data.resize(7);
    Data += ppCalcUPCCheckDigit(Data);
  }
  P.Modules("101");
  AddEANDigits(P, std::string_view(Data).substr(0, 4), "AAAA");
  P.Modules("01010");
  AddEANDigits(P, std::string_view(Data).substr(4, 4), "CCCC");
  P.Modules("101");
  return P.Take();
}

std::string EncodeInt2of5(std::string& Data, bool Calc, TppPatternBuilder& P) {
  // An even count already carries its check digit (or needs none), so encoding again adds nothing.
  if (Calc && Data.size() % 2 == 1) Data += ppCalcInt2of5CheckDigit(Data);
  P.Narrow('1');
  P.Narrow('0');
  P.Narrow('1');
  P.Narrow('0');
  for (size_t I = 0; I + 1 < Data.size(); I += 2) {
    const std::string_view Bars = Int2of5Digits[DigitOf(Data[I])], Spaces = Int2of5Digits[DigitOf(Data[I + 1])];
    for (size_t K = 0; K < 5; ++K) {
      Bars[K] == 'W' ? P.Wide('1') : P.Narrow('1');
      Spaces[K] == 'W' ? P.Wide('0') : P.Narrow('0');
    }
  }
  P.Wide('1');
  P.Narrow('0');
  P.Narrow('1');
  return P.Take();
}

// Each character's elements alternate bar and space from a bar; Gap space columns follow each one.
void AddWideNarrow(TppPatternBuilder& P, std::string_view Elements, int Gap) {
  for (size_t K = 0; K < Elements.size(); ++K) {
    const char Module = K % 2 == 0 ? '1' : '0';
    Elements[K] == '1' ? P.Wide(Module) : P.Narrow(Module);
  }
  P.Add(Gap, '0');
}

std::string EncodeCode39(std::string_view Data, const TppBarCodeSettings& S, TppPatternBuilder& P) {
  std::string Text(Data);
  if (Text.front() != '*') Text.insert(Text.begin(), '*');
  if (Text.back() != '*') Text += '*';
  // Two narrow widths, rounded as one product.
  const int Gap = ppBarColumns(static_cast<long double>(S.BarWidth) * 2 * S.Dpi);
  for (char C : Text) AddWideNarrow(P, Code39Elements[Code39Chars.find(UpCase(C))], Gap);
  return P.Take();
}

std::string EncodeCodabar(std::string_view Data, const TppBarCodeSettings& S, TppPatternBuilder& P) {
  const int Gap = ppBarColumns(static_cast<long double>(S.BarWidth) * S.Dpi);
  for (char C : Data) AddWideNarrow(P, CodabarElements[CodabarChars.find(UpCase(C))], Gap);
  return P.Take();
}

std::string EncodeMSI(std::string_view Data, bool Calc, TppPatternBuilder& P) {
  std::string Text(Data);
  if (Calc) Text += ppCalcMSICheckDigit(Data);
  P.Modules("110");
  for (char C : Text)
    for (int Bit = 3; Bit >= 0; --Bit) P.Modules((DigitOf(C) >> Bit) & 1 ? "110" : "100");
  P.Modules("100100");
  return P.Take();
}

std::string EncodePostnet(std::string_view Data, TppPatternBuilder& P) {
  const int Bar = P.Widths().Narrow;
  const int Gap = ppBarColumns(Bar * 1.375L);
  const auto AddDigit = [&](int Digit) {
    for (char Full : PostnetDigits[Digit]) {
      P.Add(Bar, Full == '1' ? '2' : '1');
      P.Add(Gap, '0');
    }
  };
  P.Add(Bar, '2');
  P.Add(Gap, '0');
  for (char C : Data)
    if (C != '-') AddDigit(DigitOf(C));
  AddDigit(DigitOf(ppCalcPostnetCheckDigit(Data)));
  P.Add(Bar, '2');
  return P.Take();
}

std::string EncodeFIM(std::string_view Data, TppPatternBuilder& P) {
  for (char Position : FIMPatterns[UpCase(Data[0]) - 'A']) {
    P.Narrow(Position);
    P.Narrow('0');
  }
  return P.Take();
}

}  // namespace

[[noreturn]] void ppBarCodeError(int Number, const char* Text) { throw EBarCodeError(Number, Text); }

int ppBarColumns(long double X) {
  if (!(X > 0)) return 0;  // also what is not a number
  if (X >= static_cast<long double>(ppMaxBarCodePattern)) ppBarCodeError(0, SppBarCodeTooWide);
  return static_cast<int>(Round(X));
}

TppBarElementWidths ppBarElementWidths(float BarWidth, float WideBarRatio, int Dpi) {
  // Both products are held in single precision before they are rounded.
  const float NarrowProduct = BarWidth * static_cast<float>(Dpi);
  const float WideProduct = NarrowProduct * WideBarRatio;
  return {ppBarColumns(NarrowProduct), ppBarColumns(WideProduct)};
}

bool ppHasBarCodeData(std::string_view Data) {
  for (char C : Data)
    if (static_cast<unsigned char>(C) > ' ') return true;
  return false;
}

void ppCheckBarCodeData(TppBarCodeType Type, std::string_view Data, bool CalcCheckDigit) {
  if (Data.empty()) ppBarCodeError(0, SppBarCodeNoData);
  switch (Type) {
    case bcUPC_A: CheckFixed(Data, 11, CalcCheckDigit, 438, SppUPCALength, 439, SppUPCANoCheck, 440, SppUPCADigits); break;
    case bcUPC_E: CheckFixed(Data, 6, CalcCheckDigit, 648, SppUPCELength, 649, SppUPCENoCheck, 650, SppUPCEDigits); break;
    case bcEAN_13:
      CheckFixed(Data, 12, CalcCheckDigit, 431, SppEAN13Length, 432, SppEAN13NoCheck, 433, SppEAN13Digits);
      break;
    case bcEAN_8: CheckFixed(Data, 7, CalcCheckDigit, 645, SppEAN8Length, 646, SppEAN8NoCheck, 647, SppEAN8Digits); break;
    case bcInt2of5:
      if (!AllDigits(Data)) ppBarCodeError(434, SppInt2of5Digits);
      if (Data.size() % 2 == 1 && !CalcCheckDigit) ppBarCodeError(435, SppInt2of5Odd);
      break;
    case bcCode128: break;
    case bcCode39: CheckCode39(Data); break;
    case bcPostnet: {
      bool Digit = false;
      for (char C : Data) {
        if (!IsDigit(C) && C != '-') ppBarCodeError(436, SppPostnetChars);
        Digit = Digit || IsDigit(C);
      }
      if (!Digit) ppBarCodeError(0, SppPostnetNoDigits);
      break;
    }
    case bcFIM:
      if (Data.size() != 1 || !Among("ABC", UpCase(Data[0]))) ppBarCodeError(651, SppFIMData);
      break;
    case bcCodabar: CheckCodabar(Data); break;
    case bcMSI:
      if (!AllDigits(Data)) ppBarCodeError(0, SppMSIDigits);
      break;
  }
}

TppBarCodeSymbol ppEncodeSymbol(std::string_view Data, const TppBarCodeSettings& S) {
  if (!ppHasBarCodeData(Data)) ppBarCodeError(0, SppBarCodeNoData);
  ppCheckBarCodeData(S.BarCodeType, Data, S.CalcCheckDigit);
  TppPatternBuilder P(ppBarElementWidths(S.BarWidth, S.WideBarRatio, S.Dpi));
  TppBarCodeSymbol Symbol{std::string(Data), {}};
  std::string& D = Symbol.Data;
  switch (S.BarCodeType) {
    case bcUPC_A: Symbol.Pattern = EncodeUPCA(D, S.CalcCheckDigit, P); break;
    case bcUPC_E: Symbol.Pattern = EncodeUPCE(D, S.CalcCheckDigit, P); break;
    case bcEAN_13: Symbol.Pattern = EncodeEAN13(D, S.CalcCheckDigit, P); break;
    case bcEAN_8: Symbol.Pattern = EncodeEAN8(D, S.CalcCheckDigit, P); break;
    case bcInt2of5: Symbol.Pattern = EncodeInt2of5(D, S.CalcCheckDigit, P); break;
    case bcCode128: Symbol.Pattern = ppEncodeCode128(D, S.AutoEncode, P.Widths()); break;
    case bcCode39: Symbol.Pattern = EncodeCode39(D, S, P); break;
    case bcPostnet: Symbol.Pattern = EncodePostnet(D, P); break;
    case bcFIM: Symbol.Pattern = EncodeFIM(D, P); break;
    case bcCodabar: Symbol.Pattern = EncodeCodabar(D, S, P); break;
    case bcMSI: Symbol.Pattern = EncodeMSI(D, S.CalcCheckDigit, P); break;
  }
  return Symbol;
}

std::string ppEncodeAddOn(std::string_view AddOnCode, const TppBarCodeSettings& S) {
  const TppBarCodeType T = S.BarCodeType;
  if (AddOnCode.empty() || (T != bcUPC_A && T != bcUPC_E && T != bcEAN_13 && T != bcEAN_8)) return {};
  if (!AllDigits(AddOnCode)) ppBarCodeError(0, SppAddOnDigits);
  if (AddOnCode.size() != 2 && AddOnCode.size() != 5) ppBarCodeError(424, SppAddOnLength);
  // Every module of the add-on is a narrow element.
  TppPatternBuilder P({ppBarElementWidths(S.BarWidth, S.WideBarRatio, S.Dpi).Narrow, 0});
  std::string_view Sets;
  if (AddOnCode.size() == 2) {
    Sets = AddOn2Parity[(DigitOf(AddOnCode[0]) * 10 + DigitOf(AddOnCode[1])) % 4];
  } else {
    const int Sum = 3 * (DigitOf(AddOnCode[0]) + DigitOf(AddOnCode[2]) + DigitOf(AddOnCode[4])) +
                    9 * (DigitOf(AddOnCode[1]) + DigitOf(AddOnCode[3]));
    Sets = AddOn5Parity[Sum % 10];
  }
  P.Modules("1011");
  for (size_t I = 0; I < AddOnCode.size(); ++I) {
    if (I > 0) P.Modules("01");
    P.Modules(ppEANDigitPattern(Sets[I], DigitOf(AddOnCode[I])));
  }
  return P.Take();
}

char ppCalcUPCCheckDigit(std::string_view Digits) {
  int Sum = 0;
  for (size_t I = 0; I < Digits.size(); ++I) Sum += DigitOf(Digits[I]) * (I % 2 == 0 ? 3 : 1);
  return CheckChar(Sum);
}

char ppCalcEAN13CheckDigit(std::string_view Digits) {
  int Sum = 0;
  for (size_t I = 0; I < Digits.size(); ++I) Sum += DigitOf(Digits[I]) * (I % 2 == 1 ? 3 : 1);
  return CheckChar(Sum);
}

char ppCalcInt2of5CheckDigit(std::string_view Digits) { return ppCalcUPCCheckDigit(Digits); }

char ppCalcMSICheckDigit(std::string_view Digits) {
  int Sum = 0;
  for (size_t K = 0; K < Digits.size(); ++K) {
    int D = DigitOf(Digits[Digits.size() - 1 - K]);
    if (K % 2 == 0) D = D * 2 > 9 ? D * 2 - 9 : D * 2;
    Sum += D;
  }
  return CheckChar(Sum);
}

char ppCalcPostnetCheckDigit(std::string_view Digits) {
  int Sum = 0;
  for (char C : Digits)
    if (C != '-') Sum += DigitOf(C);
  return CheckChar(Sum);
}

std::string ppExpandUPCE(std::string_view D) {
  if (D.size() < 6 || !AllDigits(D.substr(0, 6))) ppBarCodeError(650, SppUPCEDigits);
  const std::string_view M = D.substr(0, 5);  // d1-d5
  switch (D[5]) {
    case '0':
    case '1':
    case '2': return std::string("0") + D[0] + D[1] + D[5] + "0000" + D[2] + D[3] + D[4];
    case '3': return std::string("0") + std::string(D.substr(0, 3)) + "00000" + D[3] + D[4];
    case '4': return std::string("0") + std::string(D.substr(0, 4)) + "00000" + D[4];
    default: return std::string("0") + std::string(M) + "0000" + D[5];
  }
}

std::string_view ppEANDigitPattern(char Set, int Digit) {
  if (Digit < 0 || Digit > 9) return {};
  switch (Set) {
    case 'A': return SetA[Digit];
    case 'B': return SetB[Digit];
    default: return SetC[Digit];
  }
}

std::span<const TppDigitField> ppDigitFields(TppBarCodeType Type) {
  switch (Type) {
    case bcUPC_A: return UPCAFields;
    case bcUPC_E: return UPCEFields;
    case bcEAN_13: return EAN13Fields;
    case bcEAN_8: return EAN8Fields;
    default: return {};
  }
}
