// The encoders against readers nobody here wrote: zint draws the same symbols module by module, and
// zbarimg reads our patterns back from a PNG to the data.
#include <gtest/gtest.h>

#include <set>

#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "tests/ppreport/generation/BarCodeReaders.h"

namespace {

TppBarCodeSettings ReaderSettings(TppBarCodeType Type, bool Calc, float BarWidth, float Ratio, int Dpi) {
  TppBarCodeSettings S;
  S.BarCodeType = Type;
  S.CalcCheckDigit = Calc;
  S.AutoEncode = true;
  S.BarWidth = BarWidth;
  S.WideBarRatio = Ratio;
  S.Dpi = Dpi;
  return S;
}

std::string C128(char32_t C) { return ppCode128Char(C); }

}  // namespace

class ppBarCodeReadersTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(bctest::HaveProgram("zint")) << "zint is installed by scripts/deps.sh";
    ASSERT_TRUE(bctest::HaveProgram("zbarimg")) << "zbarimg (zbar-tools) is installed by scripts/deps.sh";
  }
  TTestTempFiles Temp;
};


TEST_F(ppBarCodeReadersTest, ZintDrawsTheSameSymbols) {
  struct TCase {
    TppBarCodeType Type;
    std::string Data;
    bool Calc;
    const char* Symbology;
    std::string ZintData;
    const char* Options;
  };
  const TCase Cases[] = {
      {bcUPC_A, "01234567890", true, "UPCA", "01234567890", ""},
      {bcUPC_A, "036000291452", false, "UPCA", "036000291452", ""},
      {bcUPC_E, "012345", true, "UPCE", "0012345", ""},
      {bcUPC_E, "654321", true, "UPCE", "0654321", ""},
      {bcUPC_E, "123453", true, "UPCE", "0123453", ""},
      {bcUPC_E, "124560", true, "UPCE", "0124560", ""},
      {bcEAN_13, "001234567890", true, "EANX", "001234567890", ""},
      {bcEAN_13, "590123412345", true, "EANX", "590123412345", ""},
      {bcEAN_13, "978020137962", true, "EANX", "978020137962", ""},
      {bcEAN_8, "2012345", true, "EANX", "2012345", ""},
      {bcEAN_8, "5512345", true, "EANX", "5512345", ""},
      {bcInt2of5, "123", true, "C25INTER", "1236", ""},
      {bcInt2of5, "0123456789", true, "C25INTER", "0123456789", ""},
      {bcCode39, "code-39 $/+%.", true, "CODE39", "CODE-39 $/+%.", ""},
      {bcCode39, "*XYZ*", true, "CODE39", "XYZ", ""},
      {bcCodabar, "A40156B", true, "CODABAR", "A40156B", ""},
      {bcCodabar, "c$-:/.+9d", true, "CODABAR", "C$-:/.+9D", ""},
      {bcMSI, "80523", true, "MSI_PLESSEY", "80523", "--vers=1"},
      {bcMSI, "0139725", false, "MSI_PLESSEY", "0139725", ""},
      {bcFIM, "A", true, "FIM", "A", ""},
      {bcFIM, "b", true, "FIM", "B", ""},
      {bcFIM, "C", true, "FIM", "C", ""},
      {bcCode128, "Wikipedia", true, "CODE128", "Wikipedia", ""},
      {bcCode128, "1234abc", true, "CODE128", "1234abc", ""},
      {bcCode128, "\xc3\x81\xc3\x87\xc3\xb5x", true, "CODE128", "\xc3\x81\xc3\x87\xc3\xb5x", ""},  // FNC4
  };
  for (const TCase& C : Cases) {
    // One column per module, wide elements three (Interleaved 2 of 5, as zint draws it) or two with
    // Code 39's gap of two narrow widths a single column (0.6 columns rounded).
    const bool TwoToOne = C.Type == bcCode39 || C.Type == bcCodabar;
    const TppBarCodeSettings S = ReaderSettings(C.Type, C.Calc, TwoToOne ? 0.006f : 0.01f, 3, 100);
    const std::string Pattern = ppEncodeSymbol(C.Data, S).Pattern;
    const std::vector<std::string> Rows = bctest::ZintRows(Temp, C.Symbology, C.ZintData, C.Options);
    ASSERT_FALSE(Rows.empty()) << C.Data;
    EXPECT_EQ(bctest::BarsOf(Pattern), Rows.back()) << C.Data;
  }

  // POSTNET: zint's first row has the full bars, its second every bar.
  const std::string Postnet = ppEncodeSymbol("12345-6789", ReaderSettings(bcPostnet, true, 0.01f, 3, 100)).Pattern;
  const std::vector<std::string> Rows = bctest::ZintRows(Temp, "POSTNET", "123456789");
  ASSERT_EQ(Rows.size(), 2u);
  EXPECT_EQ(bctest::BarsOf(Postnet, true), Rows[0]);
  EXPECT_EQ(bctest::BarsOf(Postnet), Rows[1]);

  // Add-ons end zint's row, after the main symbol and a gap.
  struct TAddOn {
    TppBarCodeType Type;
    const char *Data, *AddOn, *Symbology, *ZintData;
  };
  const TAddOn AddOns[] = {{bcEAN_13, "400638133393", "52495", "EANX", "400638133393+52495"},
                           {bcEAN_13, "400638133393", "12", "EANX", "400638133393+12"},
                           {bcUPC_A, "01234567890", "07", "UPCA", "01234567890+07"},
                           {bcEAN_8, "9638507", "86104", "EANX", "9638507+86104"}};
  for (const TAddOn& A : AddOns) {
    const std::string AddOn = bctest::BarsOf(ppEncodeAddOn(A.AddOn, ReaderSettings(A.Type, true, 0.01f, 3, 100)));
    const std::vector<std::string> Row = bctest::ZintRows(Temp, A.Symbology, A.ZintData);
    ASSERT_FALSE(Row.empty());
    ASSERT_GT(Row[0].size(), AddOn.size());
    EXPECT_EQ(Row[0].substr(Row[0].size() - AddOn.size()), AddOn) << A.AddOn;
  }
}

TEST_F(ppBarCodeReadersTest, ZbarReadsTheData) {
  const std::string StartA = C128(c128StartA), CodeB = C128(c128CodeB), CodeC = C128(c128CodeC);
  struct TCase {
    TppBarCodeType Type;
    std::string Data, AddOn;
    bool Auto;
    std::multiset<std::string> Read;
  };
  const TCase Cases[] = {
      // zbar gives UPC-A and UPC-E as the 13 digits of their EAN-13 form.
      {bcUPC_A, "03600029145", "", true, {"0036000291452"}},
      {bcUPC_A, "01234567890", "12", true, {"0012345678905", "12"}},
      {bcUPC_E, "123456", "", true, {"0012345000065"}},
      {bcUPC_E, "012345", "07", true, {"0001234000057", "07"}},
      {bcEAN_13, "400638133393", "", true, {"4006381333931"}},
      {bcEAN_13, "400638133393", "52495", true, {"4006381333931", "52495"}},
      {bcEAN_8, "9638507", "", true, {"96385074"}},
      {bcEAN_8, "9638507", "86104", true, {"96385074", "86104"}},
      {bcInt2of5, "12345", "", true, {"123457"}},
      {bcInt2of5, "0123456789", "", true, {"0123456789"}},
      {bcCode39, "Mivo-39 $/+%.", "", true, {"MIVO-39 $/+%."}},
      {bcCodabar, "A40156B", "", true, {"A40156B"}},
      {bcCode128, "Mivo Open Report 2024", "", true, {"Mivo Open Report 2024"}},
      {bcCode128, "1234abc", "", true, {"1234abc"}},
      {bcCode128, "ab\tcd", "", true, {"ab\tcd"}},  // a shift to code set A
      {bcCode128, "\x01\x02" "abc", "", true, {"\x01\x02" "abc"}},
      // zbar leaves out FNC4 and gives the lower half of each character (zint's symbol above is the same).
      {bcCode128, "\xc3\x81\xc3\x87\xc3\xb5x", "", true, {"AGux"}},
      // Hand-written code sets: control character, shift, code set C, code set B.
      {bcCode128, StartA + "HELLO" + C128(c128Control0 + 9) + C128(c128Shift) + "a" + CodeC + "1234" + CodeB + "xyz",
       "", false, {"HELLO\ta1234xyz"}},
  };
  for (const TCase& C : Cases) {
    // 0.01 inch at 300 dpi: three columns a module; quiet zones of 15 modules.
    TppBarCodeSettings S = ReaderSettings(C.Type, true, 0.01f, 3, 300);
    S.AutoEncode = C.Auto;
    std::string Columns = ppEncodeSymbol(C.Data, S).Pattern;
    if (!C.AddOn.empty()) Columns += std::string(9 * 3, '0') + ppEncodeAddOn(C.AddOn, S);
    const std::string Png = Temp.Path("symbol.png");
    bctest::WriteBarPng(Png, Columns, 1, 15 * 3, 150);
    EXPECT_EQ(bctest::ZbarRead(Png), C.Read) << C.Data;
  }
}
