#include "ppreport/core/ppDisplayFormat.h"

#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

namespace {

struct TSampleEntry {
  std::string Sample, Format;
};

std::vector<TSampleEntry> Samples(TppDataType T) {
  TStringList L;
  TppDisplayFormat().GetDisplayFormats(T, L);
  std::vector<TSampleEntry> Out;
  for (int I = 0; I < L.Count(); ++I) {
    std::string S = L.Get(I);
    size_t P = S.find(ppDisplayFormatSeparator);
    EXPECT_NE(std::string::npos, P) << S;
    Out.push_back({S.substr(0, P), S.substr(P + 1)});
  }
  return Out;
}

TEST(ppDisplayFormatTest, SampleListsByType) {
  struct TCount {
    TppDataType Type;
    size_t Count;
  };
  const TCount Counts[] = {{dtBoolean, 8}, {dtDate, 9},     {dtTime, 4},     {dtDateTime, 11},  {dtString, 8},
                           {dtInteger, 9}, {dtSingle, 9},   {dtDouble, 9},   {dtExtended, 9},   {dtCurrency, 9},
                           {dtLongint, 9}, {dtLargeInt, 9}, {dtChar, 0},     {dtMemo, 0},       {dtBLOB, 0},
                           {dtVariant, 0}, {dtGraphic, 0},  {dtNotKnown, 0}, {dtGUID, 0}};
  for (const TCount& C : Counts) EXPECT_EQ(C.Count, Samples(C.Type).size()) << EnumInfo<TppDataType>().NameOf(C.Type);
  TStringList L;
  L.Add("stale");
  TppDisplayFormat().GetDisplayFormats(dtBoolean, L);
  EXPECT_EQ("Yes\x01Yes;No", L.Get(0));
  EXPECT_EQ("\x01;Not Done", L.Get(7));
  EXPECT_EQ("3/4/95 13:30:55", Samples(dtDateTime)[1].Sample);
  EXPECT_EQ("m/d/yy", Samples(dtDateTime)[2].Format);  // then the date entries
  EXPECT_EQ("!\\(999\\)\\ 000\\-0000;0; ", Samples(dtString)[0].Format);
}

// Each sample is what its format makes of the sample moment (4 March 1995, 13:30:55) or of true.
TEST(ppDisplayFormatTest, DateTimeAndBooleanSamplesShowTheirFormat) {
  TFormatSettingsScope English(EnglishFormatSettings());
  const TDateTime Moment = EncodeDate(1995, 3, 4) + EncodeTime(13, 30, 55, 0);
  for (TppDataType T : {dtDate, dtTime, dtDateTime})
    for (const TSampleEntry& E : Samples(T))
      EXPECT_EQ(Trim(E.Sample), FormatDisplayValue(E.Format, T, Variant::OfDate(Moment))) << E.Format;
  for (const TSampleEntry& E : Samples(dtBoolean)) EXPECT_EQ(E.Sample, FormatDisplayValue(E.Format, dtBoolean, true));
}

// Number samples name their style; money follows the locale's own money format.
TEST(ppDisplayFormatTest, NumberSamples) {
  TFormatSettingsScope English(EnglishFormatSettings());
  const std::vector<std::string> Expected{"-1,234",      "-1,234.40",   "(1,234.40)", "($1,234.40)", "($1,234.40)",
                                          "($1,234)",    "($1,234)",    "-1234 %",    "-1234.40 %"};
  const auto S = Samples(dtDouble);
  ASSERT_EQ(Expected.size(), S.size());
  for (size_t I = 0; I < S.size(); ++I) EXPECT_EQ(Expected[I], FormatDisplayValue(S[I].Format, dtDouble, -1234.4)) << S[I].Format;
}

TEST(ppDisplayFormatTest, FormatValueByType) {
  struct TCase {
    const char* Format;
    TppDataType Type;
    Variant Value;
    const char* Text;
  };
  const TCase Cases[] = {
      {"Yes;No", dtBoolean, true, "Yes"},
      {"Yes;No", dtBoolean, false, "No"},
      {";Not OK", dtBoolean, true, ""},
      {"Done", dtBoolean, false, ""},
      {"", dtBoolean, true, "True"},
      {"Yes;No", dtBoolean, Variant(1), "1"},  // not a Boolean: as text
      {"$#,0.00", dtDouble, 1234.5, "R$ 1.234,50"},
      {"", dtDouble, 1234.5, "1234,5"},
      {"", dtCurrency, Variant::OfCurrency(12345000), "R$ 1.234,50"},
      {"#,0.000", dtCurrency, Variant::OfCurrency(12345678), "1.234,568"},
      {"", dtInteger, 42, "42"},
      {"", dtLargeInt, Variant(int64_t(123456789012)), "123456789012"},
      {"0.0", dtSingle, 2.25, "2,3"},
      {"!\\(999\\)\\ 000\\-0000;0; ", dtString, "5551234567", "(555) 123-4567"},
      {"", dtMemo, "linha", "linha"},
      {"", dtDate, Variant::OfDate(EncodeDate(2026, 3, 4)), "04/03/2026"},
      {"", dtTime, Variant::OfDate(EncodeTime(8, 5, 9, 0)), "08:05:09"},
      {"", dtDateTime, Variant::OfDate(EncodeDate(2026, 3, 4) + EncodeTime(8, 5, 0, 0)), "04/03/2026 08:05:00"},
      {"dd/mm", dtDate, Variant::OfDate(EncodeDate(2026, 3, 4)), "04/03"},
      {"Yes;No", dtBoolean, Variant::Null(), ""},
      {"", dtString, Variant(), ""},
      {"", dtBLOB, "bytes", ""},
      {"", dtGraphic, 1, ""},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(C.Text, FormatDisplayValue(C.Format, C.Type, C.Value))
        << EnumInfo<TppDataType>().NameOf(C.Type) << " " << C.Format;
}

TEST(ppDisplayFormatTest, Decimals) {
  EXPECT_EQ(2, GetDecimals("#,0.00;(#,0.000)"));
  EXPECT_EQ(0, GetDecimals("#,0"));
  EXPECT_EQ(3, GetDecimals("0.000"));
  EXPECT_EQ(0, GetDecimals("#,0;-#,0.00"));  // the first section has no point
  EXPECT_EQ(0, GetDecimals(""));
}

// A program may put a class of its own in charge; the library's start-up puts the base there.
TEST(ppDisplayFormatTest, TheCurrentClassFormats) {
  class TUpper : public TppDisplayFormat {
  public:
    std::string FormatValue(const std::string&, TppDataType, const Variant& V) const override {
      return "<" + V.AsString() + ">";
    }
  };
  const TUpper Mine;
  const TppDisplayFormat* Before = DisplayFormatClass();
  ASSERT_NE(nullptr, Before);
  SetDisplayFormatClass(&Mine);
  EXPECT_EQ("<7>", FormatDisplayValue("", dtInteger, 7));
  SetDisplayFormatClass(Before);
  EXPECT_EQ("7", FormatDisplayValue("", dtInteger, 7));
}

}  // namespace
