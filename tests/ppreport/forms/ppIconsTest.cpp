#include "ppreport/output/forms/ppIcons.h"

#include <gtest/gtest.h>

namespace {
template <class I>
void ExpectGlyph(int Width, TColor Background, const char* Name) {
  std::unique_ptr<TBitmap> B = TppMetaBitmap::CreateBitmap<I>();
  EXPECT_EQ(B->Width(), Width) << Name;
  EXPECT_EQ(B->Height(), 16) << Name;
  // The bottom-left pixel is the background, so a toolbar taking it as transparent shows the figure.
  EXPECT_EQ(B->Canvas().Pixels(0, 15), ColorToRGB(Background)) << Name;
  TPixelImage G = TppMetaBitmap::CreateGlyph<I>();
  EXPECT_EQ(G.Pixel(0, 15) >> 24, 0u) << Name;
  int Figure = 0;
  for (uint32_t P : G.Pixels) Figure += (P >> 24) != 0;
  EXPECT_GT(Figure, 10) << Name << ": a figure is drawn";
}

// Pixels of the glyph's left half that differ from the background.
std::vector<std::pair<int, int>> FigureOf(TBitmap& B, int Offset, TColorRef Colour) {
  std::vector<std::pair<int, int>> P;
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X)
      if (B.Canvas().Pixels(X + Offset, Y) == Colour) P.push_back({X, Y});
  return P;
}
}  // namespace

TEST(ppIcons, EveryGlyphHasItsSizeAndBackground) {
  ExpectGlyph<TppPrinterIcon>(16, clGreen, "printer");
  ExpectGlyph<TppAutoSearchIcon>(16, clGreen, "autosearch");
  ExpectGlyph<TppZoomWholePageIcon>(16, clGreen, "whole page");
  ExpectGlyph<TppZoomPageWidthIcon>(16, clGreen, "page width");
  ExpectGlyph<TppZoom100PercentIcon>(16, clGreen, "100%");
  ExpectGlyph<TppFirstIcon>(32, clBtnFace, "first");
  ExpectGlyph<TppPriorIcon>(32, clBtnFace, "prior");
  ExpectGlyph<TppNextIcon>(32, clBtnFace, "next");
  ExpectGlyph<TppLastIcon>(32, clBtnFace, "last");
}

TEST(ppIcons, ATwoGlyphIconDrawsTheSameFigureBlackThenGrey) {
  for (auto Make : {+[] { return TppMetaBitmap::CreateBitmap<TppFirstIcon>(); },
                    +[] { return TppMetaBitmap::CreateBitmap<TppPriorIcon>(); },
                    +[] { return TppMetaBitmap::CreateBitmap<TppNextIcon>(); },
                    +[] { return TppMetaBitmap::CreateBitmap<TppLastIcon>(); }}) {
    std::unique_ptr<TBitmap> B = Make();
    auto Black = FigureOf(*B, 0, RGB(0, 0, 0));
    EXPECT_FALSE(Black.empty());
    EXPECT_EQ(Black, FigureOf(*B, 16, RGB(128, 128, 128)));
  }
  // The first icon's bar and the tip of its triangle.
  std::unique_ptr<TBitmap> B = TppMetaBitmap::CreateBitmap<TppFirstIcon>();
  EXPECT_EQ(B->Canvas().Pixels(3, 1), RGB(0, 0, 0));
  EXPECT_EQ(B->Canvas().Pixels(4, 13), RGB(0, 0, 0));
  EXPECT_EQ(B->Canvas().Pixels(7, 7), RGB(0, 0, 0));
  EXPECT_EQ(B->Canvas().Pixels(12, 2), RGB(0, 0, 0));
  EXPECT_EQ(B->Canvas().Pixels(12, 13), RGB(0, 0, 0));
}

TEST(ppIcons, PicturesAndRenderingIntoNothing) {
  std::unique_ptr<TBitmap> C = TppMetaBitmap::CreateBitmap<TppCollationBitmap>();
  EXPECT_EQ(C->Width(), 102);
  EXPECT_EQ(C->Height(), 53);
  std::unique_ptr<TBitmap> N = TppMetaBitmap::CreateBitmap<TppNonCollationBitmap>();
  EXPECT_EQ(N->Width(), 102);
  EXPECT_EQ(N->Height(), 53);
  TppPrinterIcon P;
  P.Render(nullptr);  // nothing
  TBitmap Into;
  TppMetaBitmap::DrawTo<TppPrinterIcon>(&Into);
  EXPECT_EQ(Into.Width(), 16);
  // The sheet coming out of the printer is flooded white.
  EXPECT_EQ(Into.Canvas().Pixels(5, 2), RGB(255, 255, 255));
  // The zoom square's frame and its teal desk.
  std::unique_ptr<TBitmap> Z = TppMetaBitmap::CreateBitmap<TppZoomWholePageIcon>();
  EXPECT_EQ(Z->Canvas().Pixels(2, 2), RGB(0, 0, 0));
  EXPECT_EQ(Z->Canvas().Pixels(3, 4), RGB(0, 128, 128));
}
