#include "ppreport/core/ppRotatedText.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppGraphics.h"
#include "tests/ppreport/core/FixedMetrics.h"

namespace {

// Characters of 12 by 24 screen pixels: 3175 by 6350 thousandths of a millimetre each.
struct TRotatedFixture {
  TFixedMetricsDC Dc{96, 12, 24};
  TCanvas Canvas{&Dc};
  TFont Font;
};

constexpr int32_t RotChar = 3175, RotLine = 6350;

TEST(ppRotatedTextTest, ExtentOfTheUnrotatedLayout) {
  TRotatedFixture F;
  F.Font.SetName("Arial");
  struct {
    std::string Text;
    int32_t Width, Height;
  } Cases[] = {
      {"abcd", 4 * RotChar, RotLine},
      {"ab\r\nabcd", 4 * RotChar, 2 * RotLine},  // broken only at its own line break
      {"a\tb", 28575, RotLine},                   // a tab to 8 average characters, then "b"
      {"&x", 2 * RotChar, RotLine},               // no prefix characters
  };
  for (const auto& C : Cases) {
    int32_t W = 0, H = 0;
    TppRotatedText::CalcTextExtent(F.Canvas, C.Text, F.Font, 90, taLeftJustify, W, H);
    EXPECT_EQ(C.Width, W) << C.Text;
    EXPECT_EQ(C.Height, H) << C.Text;
  }
  // Measured with the turned font, which is gone again afterwards.
  EXPECT_FALSE(F.Dc.Calls("SelectFont(Arial,-11,0,900)").empty());
  EXPECT_EQ(F.Canvas.Font().LogFont(), F.Dc.State().Font);
}

TEST(ppRotatedTextTest, RotatedFont) {
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(10);
  Font.SetStyle(fsBold | fsItalic | fsUnderline);
  TLogFont L = TppRotatedText::CreateRotatedFont(Font, 45);
  EXPECT_EQ(-13, L.Height);  // 10 points at the font's 96 pixels per inch
  EXPECT_EQ(0, L.Width);
  EXPECT_EQ(450, L.Escapement);
  EXPECT_EQ(450, L.Orientation);
  EXPECT_EQ(FW_BOLD, L.Weight);
  EXPECT_TRUE(L.Italic && L.Underline && !L.StrikeOut);
  EXPECT_EQ(DEFAULT_CHARSET, L.CharSet);
  EXPECT_EQ("Arial", L.FaceName);

  Font.SetStyle(0);
  Font.SetName(std::string(40, 'N'));
  Font.SetPixelsPerInch(600);
  Font.SetSize(10);
  L = TppRotatedText::CreateRotatedFont(Font, -90);
  EXPECT_EQ(-83, L.Height);
  EXPECT_EQ(-900, L.Escapement);
  EXPECT_EQ(0, L.Weight);
  EXPECT_EQ(std::string(31, 'N'), L.FaceName);
}

TEST(ppRotatedTextTest, GeometryTable) {
  struct {
    int Angle;
    bool AutoSize;
    int32_t BoxWidth, BoxHeight;  // the component's box
    int32_t Length, SpanWidth, SpanHeight, Width, Height;
  } Cases[] = {
      // 90 degrees: cosine 0, tangent taken as 0; a box taller than wide runs along its height.
      {90, false, 10000, 30000, 30000, 6350, 30000, 10000, 30000},
      {30, false, 20000, 10000, 9006, 10976, 10000, 20000, 10000},  // held to the height
      {60, false, 10000, 10000, 7881, 9440, 10000, 10000, 10000},   // first the width, then the height
      {180, false, 20000, 10000, 20000, 20000, 6350, 20000, 10000},  // tangent and sine 0
      {90, true, 1, 1, 12700, 6350, 12700, 6350, 12700},
      {45, true, 1, 1, 12700, 13468, 13468, 13468, 13468},
  };
  for (const auto& C : Cases) {
    const TppRotatedTextGeometry G =
        TppRotatedText::CalcGeometry(C.BoxWidth, C.BoxHeight, 4 * RotChar, RotLine, nullptr, C.AutoSize, C.Angle);
    const std::string Name = std::to_string(C.Angle) + (C.AutoSize ? " auto-sized" : "");
    EXPECT_EQ(C.Length, G.LineLength) << Name;
    EXPECT_EQ(C.SpanWidth, G.SpanWidth) << Name;
    EXPECT_EQ(C.SpanHeight, G.SpanHeight) << Name;
    EXPECT_EQ(C.Width, G.BoxWidth) << Name;
    EXPECT_EQ(C.Height, G.BoxHeight) << Name;
    EXPECT_EQ(RotLine, G.TextHeight) << Name;
  }
  // A box of nothing has no run to divide by.
  const TppRotatedTextGeometry Empty = TppRotatedText::CalcGeometry(0, 0, 0, 0, nullptr, true, 30);
  EXPECT_EQ(0, Empty.CosRatio);
  EXPECT_EQ(0, Empty.SinRatio);
}

TEST(ppRotatedTextTest, OriginTable) {
  TRotatedFixture F;
  struct {
    std::string Text;
    int Angle;
    bool AutoSize;
    int32_t Width, Height;
    TPoint Left, Right, Centre;
  } Cases[] = {
      {"abcd", 90, false, 10000, 30000, {0, 30000}, {0, 12700}, {0, 21350}},
      {"abcd", 30, false, 20000, 10000, {0, 4501}, {-3199, 6347}, {-1600, 5425}},  // text longer than the run
      {"abcd", 60, false, 10000, 10000, {0, 6825}, {-2409, 10998}, {-1205, 8912}},
      {"abcd", 150, false, 20000, 10000, {16825, 10000}, {20024, 11846}, {18425, 10924}},
      {"abcd", 180, false, 20000, 10000, {20000, 10000}, {12700, 10000}, {16350, 10000}},
      {"abcd", 200, false, 20000, 10000, {20000, 5969}, {20860, 5656}, {20430, 5813}},
      // Auto-sized: the run is the text, so every alignment starts at the quadrant's base point.
      {"abcd", 90, true, 1, 1, {0, 12700}, {0, 12700}, {0, 12700}},  // the bottom-left corner
      {"abcd", 45, true, 1, 1, {0, 8979}, {0, 8979}, {0, 8979}},
      {"abcd", 270, true, 1, 1, {6350, 0}, {6350, 0}, {6350, 0}},
      {"ab", -30, true, 1, 1, {3175, 0}, {3175, 0}, {3175, 0}},  // below 0 and above 270: the fourth
      {"ab", 330, true, 1, 1, {3175, 0}, {3175, 0}, {3175, 0}},
  };
  for (const auto& C : Cases) {
    const std::pair<TAlignment, TPoint> Expected[] = {
        {taLeftJustify, C.Left}, {taRightJustify, C.Right}, {taCenter, C.Centre}};
    for (const auto& [Alignment, Point] : Expected) {
      TPoint Origin{-1, -1};
      TppRotatedText::CalcTextOrigin(F.Canvas, C.Text, Origin, nullptr, Alignment, C.AutoSize, C.Angle, C.Height,
                                     C.Width, F.Font);
      EXPECT_EQ(Point, Origin) << C.Text << " at " << C.Angle << ", alignment " << Alignment;
    }
  }
}

// Where an auto-sized box grows: by quadrant and alignment, centred by half on each side (the half
// truncated toward zero).
TEST(ppRotatedTextTest, AutoSizeBoundsTable) {
  TppRotatedTextGeometry G;
  G.SpanWidth = 6350;
  G.SpanHeight = 12700;
  // Left 1000, top 2000, 20001 x 5000: the width shrinks by 13651, the height grows by 7700.
  struct {
    TAlignment Alignment;
    int Angle;
    int32_t Left, Top;
  } Cases[] = {
      {taCenter, 90, 7825, -1850},  {taCenter, 200, 7825, -1850}, {taLeftJustify, 90, 1000, -5700},
      {taLeftJustify, 135, 14651, -5700}, {taLeftJustify, 200, 14651, 2000}, {taLeftJustify, 300, 1000, 2000},
      {taRightJustify, 90, 14651, 2000},  {taRightJustify, 135, 1000, 2000}, {taRightJustify, 200, 1000, -5700},
      {taRightJustify, 0, 14651, -5700},
  };
  for (const auto& C : Cases) {
    TppRotatedBounds B;
    TppRotatedText::CalcAutoSizeBounds(G, C.Alignment, C.Angle, 5000, 20001, 2000, 1000, B);
    EXPECT_EQ((TppRotatedBounds{C.Left, C.Top, 6350, 12700}), B) << C.Alignment << " at " << C.Angle;
  }
  TppRotatedBounds Untouched{1, 2, 3, 4};
  TppRotatedText::CalcAutoSizeBounds(G, static_cast<TAlignment>(3), 90, 5000, 20001, 2000, 1000, Untouched);
  EXPECT_EQ((TppRotatedBounds{1, 2, 3, 4}), Untouched);

  // Through the canvas: at 90 degrees, left-aligned, the bounds grow upward.
  TRotatedFixture F;
  TppRotatedBounds B;
  TppRotatedText::CalcBoundsRect(F.Canvas, "abcd", B, nullptr, taLeftJustify, true, 90, 5000, 20001, 2000, 1000,
                                 F.Font);
  EXPECT_EQ((TppRotatedBounds{1000, -5700, 6350, 12700}), B);
  TppRotatedText::CalcBoundsRect(F.Canvas, "abcd", B, nullptr, taLeftJustify, false, 90, 5000, 20001, 2000, 1000,
                                 F.Font);
  EXPECT_EQ((TppRotatedBounds{1000, 2000, 20001, 5000}), B);
}

// A visible border widens the auto-sized box the origin is placed in, not the bounds.
TEST(ppRotatedTextTest, BorderWidensTheAutoSizedBox) {
  TRotatedFixture F;
  TppBorder Border;
  Border.SetWeight(1);  // 353 thousandths of a millimetre
  for (bool Visible : {false, true}) {
    Border.SetVisible(Visible);
    const TppRotatedTextGeometry G = TppRotatedText::CalcGeometry(1, 1, 4 * RotChar, RotLine, &Border, true, 90);
    EXPECT_EQ(Visible ? 6350 + 706 : 6350, G.BoxWidth);
    EXPECT_EQ(Visible ? 12700 + 706 : 12700, G.BoxHeight);
    TPoint Origin;
    TppRotatedText::CalcTextOrigin(F.Canvas, "abcd", Origin, &Border, taLeftJustify, true, 90, 1, 1, F.Font);
    EXPECT_EQ((TPoint{0, Visible ? 13406 : 12700}), Origin);
    TppRotatedBounds B;
    TppRotatedText::CalcBoundsRect(F.Canvas, "abcd", B, &Border, taLeftJustify, true, 90, 12700, 6350, 0, 0, F.Font);
    EXPECT_EQ((TppRotatedBounds{0, 0, 6350, 12700}), B);
  }
}

TEST(ppRotatedTextTest, DeviceAdjustments) {
  // 50 x 40 becomes 45 x 60 at (100, 200): the width shrinks by 5, the height grows by 20.
  struct {
    TAlignment Alignment;
    int Angle;
    TRect Expected;
  } Rects[] = {
      {taCenter, 45, {102, 190, 147, 250}},
      {taLeftJustify, 45, {100, 180, 145, 240}},
      {taRightJustify, 300, {105, 180, 150, 240}},
      {static_cast<TAlignment>(3), 45, {100, 200, 145, 260}},
  };
  for (const auto& C : Rects) {
    TRect R{};
    TppRotatedText::AdjustRectForSize(C.Alignment, C.Angle, 100, R, 40, 50, 60, 45, 200);
    EXPECT_EQ(C.Expected, R) << C.Alignment << " at " << C.Angle;
  }
  // Halves round to even.
  TPoint P;
  TppRotatedText::AdjustOriginForSize(TPoint{100, 100}, taCenter, 45, P, -3, 5);
  EXPECT_EQ((TPoint{98, 98}), P);
  TppRotatedText::AdjustOriginForSize(TPoint{100, 100}, taRightJustify, 200, P, -3, 5);
  EXPECT_EQ((TPoint{105, 103}), P);
  TppRotatedText::AdjustOriginForSize(TPoint{100, 100}, taRightJustify, 120, P, 4, 6);
  EXPECT_EQ((TPoint{106, 104}), P);
  TppRotatedText::AdjustOriginForSize(TPoint{100, 100}, taRightJustify, 0, P, 4, 6);
  EXPECT_EQ((TPoint{94, 96}), P);
}

// The turned font and a clear brush only while the text is drawn; the canvas's own afterwards.
TEST(ppRotatedTextTest, TextOutLeavesTheCanvasAsItWas) {
  TCallLogDC Dc;
  TCanvas Canvas(&Dc);
  Canvas.Font().SetName("Arial");
  Canvas.Brush().SetStyle(bsSolid);
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(12);
  TppRotatedText::TextOut(Canvas, Font, 10, 20, 90, "ab");
  const auto Texts = Dc.Calls("ExtTextOut");
  ASSERT_EQ(1u, Texts.size());
  EXPECT_EQ(0u, Texts[0].find("ExtTextOut(10,20,"));
  auto Find = [&](const std::string& S) {
    return std::find(Dc.Log.begin(), Dc.Log.end(), S) - Dc.Log.begin();
  };
  const auto Text = std::find_if(Dc.Log.begin(), Dc.Log.end(), [](const std::string& S) {
                      return S.rfind("ExtTextOut", 0) == 0;
                    }) - Dc.Log.begin();
  EXPECT_LT(Find("SelectFont(Arial,-16,0,900)"), Text);
  EXPECT_EQ(Canvas.Font().LogFont(), Dc.State().Font);
  EXPECT_EQ(bsSolid, Canvas.Brush().Style());
  EXPECT_EQ(TA_LEFT | TA_TOP, Dc.State().TextAlign);
}

bool RotIsInk(uint32_t Pixel) {
  const int R = (Pixel >> 16) & 0xFF, G = (Pixel >> 8) & 0xFF, B = Pixel & 0xFF;
  return R + G + B < 300;
}

int RotInkIn(TBitmap& Bitmap, int X1, int Y1, int X2, int Y2) {
  int Count = 0;
  for (int Y = std::max(0, Y1); Y < std::min(Bitmap.Height(), Y2); ++Y)
    for (int X = std::max(0, X1); X < std::min(Bitmap.Width(), X2); ++X) Count += RotIsInk(Bitmap.ScanLine(Y)[X]);
  return Count;
}

// Real text on a Qt image: turned a quarter counter-clockwise, "HHH" drawn from (60, 150) runs up
// from its starting point with the glyphs' feet to the right, so it lies right of x = 60 and above
// y = 150, on no background; the canvas then draws upright and opaque again.
TEST(ppRotatedTextTest, DrawsTurnedOnAnImage) {
  TBitmap Bitmap(200, 200);
  TCanvas& Canvas = Bitmap.Canvas();
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(20);
  Font.SetStyle(fsBold);
  Canvas.SetFont(Font);
  Canvas.Font().SetColor(clBlack);
  Canvas.Brush().SetColor(clRed);
  Canvas.Brush().SetStyle(bsSolid);

  TppRotatedText::TextOut(Canvas, Font, 60, 150, 90, "HHH");
  const int Total = RotInkIn(Bitmap, 0, 0, 200, 200);
  EXPECT_GT(Total, 200);
  EXPECT_EQ(Total, RotInkIn(Bitmap, 59, 60, 100, 151));  // all of it right of and above the start
  EXPECT_GT(RotInkIn(Bitmap, 59, 60, 100, 110), 30);     // and well up the run
  int Red = 0;
  for (int Y = 0; Y < 200; ++Y)
    for (int X = 0; X < 200; ++X) Red += (Bitmap.ScanLine(Y)[X] & 0xFFFFFF) == 0xFF0000;
  EXPECT_EQ(0, Red);

  // Upright text along the top: ink far to the right of its start, and an opaque background again.
  Canvas.TextOut(10, 10, "HHH");
  EXPECT_GT(RotInkIn(Bitmap, 50, 10, 75, 45), 30);
  Red = 0;
  for (int Y = 0; Y < 60; ++Y)
    for (int X = 0; X < 200; ++X) Red += (Bitmap.ScanLine(Y)[X] & 0xFFFFFF) == 0xFF0000;
  EXPECT_GT(Red, 0);
}

}  // namespace
