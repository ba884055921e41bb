#include "platform/rtl/FloatFormat.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SysUtils.h"

TEST(FloatToStrTest, GeneralFormatFifteenDigits) {
  struct Case {
    double V;
    const char* Br;
    const char* En;
  };
  const Case Cases[] = {
      {0, "0", "0"},
      {-0.0, "0", "0"},
      {1, "1", "1"},
      {-2.5, "-2,5", "-2.5"},
      {0.25, "0,25", "0.25"},
      {0.1 + 0.2, "0,3", "0.3"},  // 15 digits hide the binary noise
      {1.0 / 3, "0,333333333333333", "0.333333333333333"},
      {2.0 / 3, "0,666666666666667", "0.666666666666667"},
      {100000, "100000", "100000"},
      {123456789012345.0, "123456789012345", "123456789012345"},  // exponent 15: still fixed
      {999999999999999.0, "999999999999999", "999999999999999"},
      {9999999999999999.0, "1E16", "1E16"},  // rounds up into the next decade
      {1e15, "1E15", "1E15"},
      {1234567890123456.0, "1,23456789012346E15", "1.23456789012346E15"},
      {1e20, "1E20", "1E20"},
      {-1.5e300, "-1,5E300", "-1.5E300"},
      {0.0001, "0,0001", "0.0001"},
      {0.00012345, "0,00012345", "0.00012345"},
      {0.00001, "1E-5", "1E-5"},
      {-1.25e-7, "-1,25E-7", "-1.25E-7"},
      {5e-324, "4,94065645841247E-324", "4.94065645841247E-324"},
      // Whole numbers either side of 2^53, where their digits stop being found directly.
      {-120, "-120", "-120"},
      {9007199254740991.0, "9,00719925474099E15", "9.00719925474099E15"},
      {9007199254740992.0, "9,00719925474099E15", "9.00719925474099E15"},
  };
  TFormatSettings Br = BrazilianFormatSettings(), En = EnglishFormatSettings();
  for (const Case& C : Cases) {
    EXPECT_EQ(FloatToStr(C.V, Br), C.Br) << C.En;
    EXPECT_EQ(FloatToStr(C.V, En), C.En);
  }
  EXPECT_EQ(FloatToStr(NAN, Br), "NAN");
  EXPECT_EQ(FloatToStr(-INFINITY, Br), "-INF");
}

TEST(FloatToStrTest, DefaultSettingsAreBrazilianAndScoped) {
  EXPECT_EQ(FloatToStr(1.5), "1,5");
  {
    TFormatSettingsScope Scope(EnglishFormatSettings());
    EXPECT_EQ(FloatToStr(1.5), "1.5");
  }
  EXPECT_EQ(FloatToStr(1.5), "1,5");
}

TEST(FormatFloatTest, Table) {
  struct Case {
    const char* Format;
    double V;
    const char* Br;
  };
  const Case Cases[] = {
      {"", 1.5, "1,5"},
      {"0", 2.5, "3"},          // halves away from zero
      {"0", -2.5, "-3"},
      {"0.00", 5, "5,00"},
      {"0.00", 0.125, "0,13"},
      {"0.00", 2.675, "2,67"},  // the double lies below the half
      {"0.00", -0.001, "0,00"}, // no minus sign on a zero
      {"#.##", 0.5, ",5"},
      {"#.##", 1, "1"},
      {"#", 0, ""},
      {"0.0#", 1.25, "1,25"},
      {"0.0#", 1.2, "1,2"},
      {"#,##0.00", 1234567.891, "1.234.567,89"},
      {"#,##0", 999, "999"},
      {"#,##0", 0, "0"},
      {"#,##0.00", 0.5, "0,50"},
      {"#,##0", 1234567890123.0, "1.234.567.890.123"},
      {"#,##0", -1000, "-1.000"},
      {"000", 7, "007"},
      {"000-000", 12345, "012-345"},
      {"R$ #,##0.00", 1234.5, "R$ 1.234,50"},
      {"'Total: '0", 12, "Total: 12"},
      {"\"x\"0\"y\"", 3, "x3y"},
      {"0;(0);'zero'", 5, "5"},
      {"0;(0);'zero'", -5, "(5)"},
      {"0;(0);'zero'", 0, "zero"},
      {"0;(0);'zero'", 0.2, "zero"},  // rounds to zero
      {"0;;'zero'", -5, "-5"},          // empty negative section: the first, with the sign
      {"0.00E+00", 12345, "1,23E+04"},
      {"0.00E+00", 0.00012345, "1,23E-04"},
      {"0.0E-0", 12345, "1,2E4"},
      {"00.0e+000", 12345, "12,3e+003"},
      {"0", 1e20, "1E20"},  // beyond 18 digits: general format
      {"0.00E+00", -1200, "-1,20E+03"},
      {"#,##0.00", 4503599627370496.0, "4.503.599.627.370.496,00"},
      {"#,##0.00", 9007199254740994.0, "9.007.199.254.740.994,00"},
  };
  TFormatSettings Br = BrazilianFormatSettings();
  for (const Case& C : Cases) EXPECT_EQ(FormatFloat(C.Format, C.V, Br), C.Br) << C.Format << " " << C.V;
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, EnglishFormatSettings()), "1,234.50");
}

TEST(StrToFloatTest, ParsesWithTheSettingsSeparator) {
  TFormatSettings Br = BrazilianFormatSettings(), En = EnglishFormatSettings();
  EXPECT_EQ(StrToFloat("1,5", Br), 1.5);
  EXPECT_EQ(StrToFloat(" -2,25e2 ", Br), -225);
  EXPECT_EQ(StrToFloat("1.5", En), 1.5);
  EXPECT_EQ(StrToFloat("+7", En), 7);
  EXPECT_EQ(StrToFloat("1E5", En), 100000);
  for (const char* Bad : {"", "  ", "1.5", "1,5,", "abc", "1e", "1e+", "--1", "1 2", "1,2.3", "1e999"}) {
    double V;
    EXPECT_FALSE(TryStrToFloat(Bad, V, Br)) << Bad;
  }
  try {
    StrToFloat("x1", Br);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), Format(SInvalidFloat, {"x1"}));
  }
}

TEST(FloatToStrTest, GeneralFormatWithAChosenPrecision) {
  const TFormatSettings FS = EnglishFormatSettings();
  EXPECT_EQ("12.345", FloatToStrGeneral(12.345f, 7, FS));  // the float's 12.3450002670
  EXPECT_EQ("1234568", FloatToStrGeneral(1234567.5, 7, FS));
  EXPECT_EQ("1.234568E7", FloatToStrGeneral(12345675, 7, FS));
  EXPECT_EQ("0.5", FloatToStrGeneral(0.5, 1, FS));
}

TEST(FloatToStrTest, CurrencyWithChosenDecimals) {
  const TFormatSettings BR = BrazilianFormatSettings(), EN = EnglishFormatSettings();
  EXPECT_EQ("R$ 1.234,50", FloatToCurrencyStr(1234.5, 2, BR));
  EXPECT_EQ("-R$ 1.235", FloatToCurrencyStr(-1234.5, 0, BR));  // halves away from zero
  EXPECT_EQ("($1,234.400)", FloatToCurrencyStr(-1234.4, 3, EN));
  EXPECT_EQ("R$ 0,00", FloatToCurrencyStr(-0.001, 2, BR));  // rounds to zero: no sign
}
