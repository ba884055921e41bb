#pragma once
// Toolbar glyphs and the print dialog's collation pictures, drawn in code: the library ships no
// bitmaps. An icon knows its size and background and paints itself; the class methods turn an icon
// class into a bitmap, or into a glyph whose background (its bottom-left pixel) is transparent.
#include <memory>

#include "platform/forms/ImgList.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

class TppMetaBitmap {
public:
  TppMetaBitmap() = default;
  virtual ~TppMetaBitmap() = default;
  TppMetaBitmap(const TppMetaBitmap&) = delete;
  TppMetaBitmap& operator=(const TppMetaBitmap&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TColor BackgroundColor() const { return FBackgroundColor; }

  // Sizes the bitmap to the icon, fills it with the background and draws; nothing for null.
  void Render(TBitmap* Bitmap);
  virtual void Draw(TCanvas& Canvas) = 0;

  // A new bitmap of the icon class I; the caller owns it.
  template <class I>
  static std::unique_ptr<TBitmap> CreateBitmap() {
    auto B = std::make_unique<TBitmap>();
    I().Render(B.get());
    return B;
  }
  template <class I>
  static void DrawTo(TBitmap* Bitmap) {
    I().Render(Bitmap);
  }
  // What a toolbar button takes: the picture with its bottom-left colour transparent.
  template <class I>
  static TPixelImage CreateGlyph() {
    return GlyphOf(*CreateBitmap<I>());
  }
  static TPixelImage GlyphOf(TBitmap& Bitmap);

protected:
  void SetSize(int W, int H, TColor Background) {
    FWidth = W;
    FHeight = H;
    FBackgroundColor = Background;
  }
  // Drawing with end points included (the platform's lines leave out their last pixel).
  static void Line(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour);
  static void Fill(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour);
  static void Frame(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour);
  static void EllipseIn(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour);
  // Fills the area of the colour found at X, Y (within the icon).
  void Flood(TCanvas& C, int X, int Y, TColor Colour) const;
  static void Text(TCanvas& C, int X, int Y, const std::string& S);

private:
  TColor FBackgroundColor = 0;
  int FHeight = 0, FWidth = 0;
};

// 16 x 16 on green (0, 128, 0), the toolbar glyphs' transparent colour.
class TppPreviewIcon : public TppMetaBitmap {
public:
  TppPreviewIcon() { SetSize(16, 16, clGreen); }
};

class TppPrinterIcon : public TppPreviewIcon {
public:
  void Draw(TCanvas& C) override;
};
// The print dialog's picture of a printer reached over the network: the printer on a cable.
class TppNetworkPrinterIcon : public TppPrinterIcon {
public:
  void Draw(TCanvas& C) override;
};
class TppAutoSearchIcon : public TppPreviewIcon {
public:
  void Draw(TCanvas& C) override;
};
// The desk behind a page: a teal square cross-hatched in grey.
class TppZoomIcon : public TppPreviewIcon {
public:
  void Draw(TCanvas& C) override;
};
class TppZoomWholePageIcon : public TppZoomIcon {
public:
  void Draw(TCanvas& C) override;
};
class TppZoomPageWidthIcon : public TppZoomIcon {
public:
  void Draw(TCanvas& C) override;
};
class TppZoom100PercentIcon : public TppZoomIcon {
public:
  void Draw(TCanvas& C) override;
};

// 32 x 16 on the button face: the enabled glyph on the left, the same in grey on the right.
class TppDoubleGlyphIcon : public TppPreviewIcon {
public:
  TppDoubleGlyphIcon() { SetSize(32, 16, clBtnFace); }
  void Draw(TCanvas& C) override;
  virtual TColor GetEnabledColor() const { return clBlack; }
  virtual TColor GetDisabledColor() const { return clGray; }

protected:
  // One glyph, X shifted by Offset.
  virtual void DrawGlyph(TCanvas& C, int Offset, TColor Colour) = 0;
};

class TppFirstIcon : public TppDoubleGlyphIcon {
protected:
  void DrawGlyph(TCanvas& C, int Offset, TColor Colour) override;
};
class TppPriorIcon : public TppDoubleGlyphIcon {
protected:
  void DrawGlyph(TCanvas& C, int Offset, TColor Colour) override;
};
class TppNextIcon : public TppDoubleGlyphIcon {
protected:
  void DrawGlyph(TCanvas& C, int Offset, TColor Colour) override;
};
class TppLastIcon : public TppDoubleGlyphIcon {
protected:
  void DrawGlyph(TCanvas& C, int Offset, TColor Colour) override;
};

// The print dialog's pictures of copies printed collated (1 2 3, 1 2 3) or not (1 1, 2 2, 3 3).
class TppCollationBitmap : public TppMetaBitmap {
public:
  TppCollationBitmap() { SetSize(102, 53, clBtnFace); }
  void Draw(TCanvas& C) override;
};
class TppNonCollationBitmap : public TppMetaBitmap {
public:
  TppNonCollationBitmap() { SetSize(102, 53, clBtnFace); }
  void Draw(TCanvas& C) override;
};
