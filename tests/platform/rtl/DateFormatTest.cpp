#include "platform/rtl/DateFormat.h"

#include <gtest/gtest.h>

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {
// Wednesday 2024-03-06 14:05:09.007
TDateTime Sample() { return EncodeDate(2024, 3, 6) + EncodeTime(14, 5, 9, 7); }
}  // namespace

TEST(FormatDateTimeTest, Specifiers) {
  struct Case {
    const char* Format;
    const char* Br;
  };
  const Case Cases[] = {
      {"d/m/yy", "6/3/24"},
      {"dd/mm/yyyy", "06/03/2024"},
      {"ddd dddd", "qua quarta-feira"},
      {"ddddd", "06/03/2024"},
      {"dddddd", "quarta-feira, 6 de março de 2024"},
      {"mmm mmmm", "mar março"},
      {"h:n:s.z", "14:5:9.7"},
      {"hh:nn:ss.zzz", "14:05:09.007"},
      {"hh:mm", "14:05"},  // m after h is minutes
      {"hh 'h' mm", "14 h 05"},
      {"t", "14:05"},
      {"tt", "14:05:09"},
      {"c", "06/03/2024 14:05:09"},
      {"h:nn am/pm", "2:05 pm"},
      {"hh:nn A/P", "02:05 P"},
      {"h AMPM", "2 PM"},
      {"\"dia\" d", "dia 6"},
      {"yyyy-mm-dd", "2024-03-06"},
  };
  TFormatSettings Br = BrazilianFormatSettings();
  for (const Case& C : Cases) EXPECT_EQ(FormatDateTime(C.Format, Sample(), Br), C.Br) << C.Format;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 6), Br), "06/03/2024");  // midnight: no time
  TFormatSettings En = EnglishFormatSettings();
  EXPECT_EQ(DateToStr(Sample(), En), "3/6/2024");
  EXPECT_EQ(TimeToStr(Sample(), En), "2:05:09 PM");
  EXPECT_EQ(DateToStr(Sample()), "06/03/2024");
  EXPECT_EQ(TimeToStr(Sample()), "14:05:09");
  EXPECT_EQ(DateTimeToStr(Sample()), "06/03/2024 14:05:09");
}

TEST(StrToDateTest, OrderSeparatorsAndErrors) {
  TFormatSettings Br = BrazilianFormatSettings(), En = EnglishFormatSettings();
  EXPECT_EQ(StrToDate("06/03/2024", Br), EncodeDate(2024, 3, 6));
  EXPECT_EQ(StrToDate(" 6/3/2024 ", Br), EncodeDate(2024, 3, 6));
  EXPECT_EQ(StrToDate("3/6/2024", En), EncodeDate(2024, 3, 6));
  {
    TFixedClockScope Clock(EncodeDate(2026, 12, 10) + EncodeTime(9, 0, 0, 0));
    EXPECT_EQ(StrToDate("6/3", Br), EncodeDate(2026, 3, 6));  // no year: this year
  }
  // Two-digit years: from fifty years before now to forty-nine after (the
  // century window); a window of 0 keeps this century.
  TFormatSettings NoWindow = Br;
  NoWindow.TwoDigitYearCenturyWindow = 0;
  const struct {
    int Now;
    const char* Text;
    int Year;
    const TFormatSettings* Settings;
  } Years[] = {
      {2026, "1/1/05", 2005, &Br},  {2026, "1/1/75", 2075, &Br},       {2026, "1/1/76", 1976, &Br},
      {2026, "1/1/99", 1999, &Br},  {2026, "1/1/00", 2000, &Br},       {2026, "1/1/5", 2005, &Br},
      {2070, "1/1/19", 2119, &Br},  {2070, "1/1/20", 2020, &Br},       {2070, "1/1/69", 2069, &Br},
      {1999, "1/1/49", 1949, &Br},  {1999, "1/1/48", 2048, &Br},       {2026, "1/1/99", 2099, &NoWindow},
      {2026, "1/1/05", 2005, &NoWindow}, {2026, "1/1/1905", 1905, &Br},
  };
  for (const auto& C : Years) {
    TFixedClockScope Clock(EncodeDate(C.Now, 6, 15));
    EXPECT_EQ(StrToDate(C.Text, *C.Settings), EncodeDate(C.Year, 1, 1)) << C.Text << " in " << C.Now;
  }
  for (const char* Bad : {"", "31/02/2024", "06-03-2024", "6", "a/b/c", "06/03/2024x", "0/1/2024"}) {
    TDateTime T;
    EXPECT_FALSE(TryStrToDate(Bad, T, Br)) << Bad;
  }
  try {
    StrToDate("32/01/2024", Br);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), Format(SInvalidDate, {"32/01/2024"}));
  }
}

TEST(StrToTimeTest, ClockFormsAndErrors) {
  TFormatSettings Br = BrazilianFormatSettings();
  EXPECT_DOUBLE_EQ(StrToTime("14:05", Br), EncodeTime(14, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("14:05:09", Br), EncodeTime(14, 5, 9, 0));
  EXPECT_DOUBLE_EQ(StrToTime("14:05:09,250", Br), EncodeTime(14, 5, 9, 250));
  EXPECT_DOUBLE_EQ(StrToTime("2:05 PM", Br), EncodeTime(14, 5, 0, 0));
  EXPECT_DOUBLE_EQ(StrToTime("12:00 am", Br), 0);
  for (const char* Bad : {"", "14", "25:00", "13:00 PM", "10:61", "1:2:3:4", "x"}) {
    TDateTime T;
    EXPECT_FALSE(TryStrToTime(Bad, T, Br)) << Bad;
  }
  EXPECT_THROW(StrToTime("nada", Br), EConvertError);
  EXPECT_DOUBLE_EQ(StrToDateTime("06/03/2024 14:05:09", Br), EncodeDate(2024, 3, 6) + EncodeTime(14, 5, 9, 0));
  EXPECT_THROW(StrToDateTime("06/03/2024 14", Br), EConvertError);
}
