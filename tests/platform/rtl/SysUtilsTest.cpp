#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/RtlConsts.h"

TEST(FormatTest, IntegerAndStringForms) {
  struct Case {
    const char* Fmt;
    std::initializer_list<FormatArg> Args;
    const char* Want;
  };
  const Case Cases[] = {
      {"%d", {42}, "42"},
      {"%d", {-7}, "-7"},
      {"%.3d", {5}, "005"},
      {"%.3d", {-5}, "-005"},
      {"%5d|", {12}, "   12|"},
      {"%-5d|", {12}, "12   |"},
      {"%x", {255}, "ff"},
      {"%.4X", {255}, "00FF"},
      {"%X", {-1}, "FFFFFFFF"},
      {"%s de %s", {"Pagina 1", std::string("3")}, "Pagina 1 de 3"},
      {"100%%", {}, "100%"},
      {"%d", {INT64_MIN}, "-9223372036854775808"},
  };
  for (const Case& C : Cases) EXPECT_EQ(Format(C.Fmt, C.Args), C.Want) << C.Fmt;
}

TEST(FormatTest, MismatchRaisesConvertError) {
  EXPECT_THROW(Format("%d", {"x"}), EConvertError);
  EXPECT_THROW(Format("%s", {1}), EConvertError);
  EXPECT_THROW(Format("%d %d", {1}), EConvertError);
  EXPECT_THROW(Format("%q", {1}), EConvertError);
}

TEST(StrToIntTest, ParsesAndRejects) {
  EXPECT_EQ(StrToInt(" 12 "), 12);
  EXPECT_EQ(StrToInt("-0"), 0);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_THROW(StrToInt("12a"), EConvertError);
  EXPECT_THROW(StrToInt(""), EConvertError);
  EXPECT_THROW(StrToInt("99999999999999999999"), EConvertError);
  EXPECT_EQ(StrToIntDef("x", -1), -1);
  try {
    StrToInt("abc");
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), Format(SInvalidInteger, {"abc"}));
    EXPECT_STREQ(E.ClassName(), "EConvertError");
  }
}

TEST(FileNameTest, Parts) {
  EXPECT_EQ(ExtractFileExt("/a/b.c/report.lxp"), ".lxp");
  EXPECT_EQ(ExtractFileExt("/a/b.c/report"), "");
  EXPECT_EQ(ExtractFileName("/a/b/report.lxp"), "report.lxp");
  EXPECT_EQ(ExtractFilePath("/a/b/report.lxp"), "/a/b/");
  EXPECT_EQ(ChangeFileExt("/a/report.lxp", ".pdf"), "/a/report.pdf");
}

TEST(DateTimeTest, EncodeDecodeRoundTrip) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
  for (double D : {-693593.0, -600000.0, -1.0, 0.0, 36526.0, 45000.0, 2958465.0}) {
    int Y, M, Dd;
    DecodeDate(D, Y, M, Dd);
    EXPECT_EQ(EncodeDate(Y, M, Dd), D) << D;
  }
  int Y, M, Dd;
  DecodeDate(-1.25, Y, M, Dd);  // 1899-12-29 06:00: the day is the truncated part
  EXPECT_EQ(Y * 10000 + M * 100 + Dd, 18991229);
  int H, Mi, S, Ms;
  DecodeTime(EncodeTime(13, 45, 30, 250), H, Mi, S, Ms);
  EXPECT_EQ(H * 10000000 + Mi * 100000 + S * 1000 + Ms, 134530250);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);  // a Thursday
  TDateTime Bad;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, Bad));
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, Bad));
}
