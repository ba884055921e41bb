#include "ppreport/core/ppConvert.h"

#include <gtest/gtest.h>

#include "platform/classes/StringList.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/FormatSettings.h"

namespace {

// A printer of 600 x 300 pixels per inch, so each axis is told apart.
class TFakePrinter : public IppPrinterResolution {
public:
  TPoint GetPixelsPerInch() const override { return {600, 300}; }
};

// Every unit both ways, at one inch (25400 microns) and at values whose rounding tells the rule.
TEST(ppConvertTest, EveryUnitBothWays) {
  ASSERT_EQ(96, ScreenPixelsPerInch());
  const TFakePrinter Printer;
  struct TCase {
    TppUnitType Unit;
    int Axis;
    const IppPrinterResolution* Printer;
    int32_t Microns;
    float Expected;  // Microns in Unit
    float Back;      // a value in Unit...
    int32_t BackMicrons;  // ...and its microns
  };
  const TCase Cases[] = {
      {utScreenPixels, ppHorizontal, nullptr, 25400, 96, 96, 25400},
      {utScreenPixels, ppVertical, &Printer, 25400, 96, 1, 265},  // the printer plays no part
      {utInches, ppHorizontal, nullptr, 25400, 1, 1, 25400},       // 25.4 x 0.03937 = 0.999998
      {utInches, ppHorizontal, nullptr, 2540000, 99.9998f, 100, 2540005},
      {utMillimeters, ppHorizontal, nullptr, 25400, 25.4f, 25.4f, 25400},
      {utMillimeters, ppHorizontal, nullptr, 1, 0.001f, 0.0004f, 0},
      {utPrinterPixels, ppHorizontal, &Printer, 25400, 600, 600, 25400},
      {utPrinterPixels, ppVertical, &Printer, 25400, 300, 300, 25400},
      {utPrinterPixels, 7, &Printer, 25400, 600, 1, 42},  // any axis but 1 is horizontal
      {utPrinterPixels, ppVertical, nullptr, 25400, 96, 96, 25400},  // no printer: the screen's
      {utMMThousandths, ppHorizontal, nullptr, 25400, 25400, 12.9f, 12},  // truncated, not rounded
      {utMMThousandths, ppHorizontal, nullptr, -7, -7, -12.9f, -12},
      {static_cast<TppUnitType>(6), ppHorizontal, nullptr, 25400, 0, 5, 0},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(::testing::Message() << EnumInfo<TppUnitType>().NameOf(C.Unit) << " axis " << C.Axis);
    EXPECT_FLOAT_EQ(C.Expected, ConvertFromMicrons(C.Microns, C.Unit, C.Axis, C.Printer));
    EXPECT_EQ(C.BackMicrons, ConvertToMicrons(C.Unit, C.Axis, C.Printer, C.Back));
  }
}

// Halves go to the even neighbour wherever a result is taken to the nearest integer.
TEST(ppConvertTest, TiesGoToTheEvenNeighbour) {
  EXPECT_FLOAT_EQ(297, ConvertFromTenthsMM(2970, utMillimeters, ppHorizontal, nullptr));
  EXPECT_FLOAT_EQ(298, ConvertFromTenthsMM(2975, utMillimeters, ppHorizontal, nullptr));  // 297.5
  EXPECT_FLOAT_EQ(296, ConvertFromTenthsMM(2965, utMillimeters, ppHorizontal, nullptr));  // 296.5
  EXPECT_FLOAT_EQ(-2, ConvertFromTenthsMM(-25, utMillimeters, ppHorizontal, nullptr));    // -2.5
  EXPECT_EQ(2, ConvertToTenthsMM(utMillimeters, ppHorizontal, nullptr, 0.25f));  // 2.5
  EXPECT_EQ(8, ConvertToTenthsMM(utMillimeters, ppHorizontal, nullptr, 0.75f));  // 7.5
  EXPECT_EQ(2, ConvertToTenthsMM(utMMThousandths, ppHorizontal, nullptr, 250));  // 2.5
  EXPECT_EQ(4, ConvertToTenthsMM(utMMThousandths, ppHorizontal, nullptr, 350));  // 3.5
  EXPECT_EQ(1, PointsToScreenPixels(0.75f));  // 96 x 0.75 / 72 = 1
  EXPECT_EQ(2, PointsToScreenPixels(1.125f)); // 1.5
  EXPECT_EQ(2, PointsToScreenPixels(1.875f)); // 2.5
}

TEST(ppConvertTest, PaperSizesInTenthsOfAMillimetre) {
  const TFakePrinter Printer;
  // Inches pass through whole screen pixels: A4's 2100 become 794 pixels, 210080 microns, 8.2708 inches.
  EXPECT_FLOAT_EQ(8.2708f, ConvertFromTenthsMM(2100, utInches, ppHorizontal, nullptr));
  EXPECT_FLOAT_EQ(210000, ConvertFromTenthsMM(2100, utMMThousandths, ppHorizontal, nullptr));
  EXPECT_FLOAT_EQ(794, ConvertFromTenthsMM(2100, utScreenPixels, ppHorizontal, nullptr));
  EXPECT_FLOAT_EQ(2480, ConvertFromTenthsMM(2100, utPrinterPixels, ppVertical, &Printer));
  EXPECT_FLOAT_EQ(0, ConvertFromTenthsMM(2100, static_cast<TppUnitType>(5), ppHorizontal, nullptr));
  // Letter: 8.5 inches -> 816 pixels -> 215900 microns -> 2159 tenths.
  EXPECT_EQ(2159, ConvertToTenthsMM(utInches, ppHorizontal, nullptr, 8.5f));
  EXPECT_EQ(2116, ConvertToTenthsMM(utScreenPixels, ppHorizontal, nullptr, 800));  // 211666 / 100, dropped
  EXPECT_EQ(2100, ConvertToTenthsMM(utMillimeters, ppHorizontal, nullptr, 210));
  EXPECT_EQ(0, ConvertToTenthsMM(static_cast<TppUnitType>(5), ppHorizontal, nullptr, 210));
  // Screen pixels to a unit and back.
  EXPECT_FLOAT_EQ(1, ConvertFromScreenPixels(96, utInches, ppHorizontal, nullptr));
  EXPECT_EQ(96, ConvertToScreenPixels(utMillimeters, ppHorizontal, nullptr, 25.4f));
  EXPECT_EQ(4, ConvertToScreenPixels(utMillimeters, ppHorizontal, nullptr, 1));  // 3.78 rounded, then truncated
}

// Values no length can hold saturate instead of raising or wrapping.
TEST(ppConvertTest, OutOfRangeValuesSaturate) {
  EXPECT_EQ(INT32_MAX, ConvertToMicrons(utMillimeters, ppHorizontal, nullptr, 1e30f));
  EXPECT_EQ(INT32_MIN, ConvertToMicrons(utMMThousandths, ppHorizontal, nullptr, -1e30f));
  EXPECT_EQ(0, ConvertToMicrons(utInches, ppHorizontal, nullptr, std::numeric_limits<float>::quiet_NaN()));
}

TEST(ppConvertTest, TabStopListsAndFitScale) {
  TFormatSettingsScope English(EnglishFormatSettings());
  TStringList List;
  List.SetText("25400\nabc\n12700\n");
  ConvertListFromMicrons(List, utInches, ppHorizontal, nullptr);
  EXPECT_EQ("1\n0\n0.5\n", [&] {
    std::string S;
    for (int I = 0; I < List.Count(); ++I) S += List.Get(I) + "\n";
    return S;
  }());
  List.SetText("1\n0.5\nx\n");
  ConvertListToMicrons(List, utInches, ppHorizontal, nullptr);
  EXPECT_EQ("25400", List.Get(0));
  EXPECT_EQ("12700", List.Get(1));
  EXPECT_EQ("0", List.Get(2));
  List.SetText("12345\n");
  ConvertListFromMicrons(List, utMillimeters, ppHorizontal, nullptr);
  EXPECT_EQ("12.345", List.Get(0));

  EXPECT_FLOAT_EQ(0.25f, CalcFitScale(100, 50, 200, 200));
  EXPECT_FLOAT_EQ(0, CalcFitScale(100, 50, 0, 200));
  EXPECT_FLOAT_EQ(0, CalcFitScale(100, 50, 200, -1));
  EXPECT_EQ(353, PointsToMicrons(1));  // 1/72 inch
  EXPECT_EQ(1, PointsToScreenPixels(1));  // 1.33
  EXPECT_EQ(1, PointsToScreenPixels(0.1f));  // at least one pixel
}

}  // namespace
