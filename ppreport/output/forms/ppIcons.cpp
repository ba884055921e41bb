#include "ppreport/output/forms/ppIcons.h"

#include <utility>
#include <vector>

// ---- TppMetaBitmap

void TppMetaBitmap::Render(TBitmap* Bitmap) {
  if (!Bitmap) return;
  Bitmap->SetSize(FWidth, FHeight);
  TCanvas& C = Bitmap->Canvas();
  C.Brush().SetColor(FBackgroundColor);
  C.FillRect(Rect(0, 0, FWidth, FHeight));
  Draw(C);
}

TPixelImage TppMetaBitmap::GlyphOf(TBitmap& Bitmap) {
  TPixelImage Image = TPixelImage::FromDib(Bitmap.Dib());
  if (!Image.Empty()) Image.MakeTransparent(Image.Pixel(0, Image.Height - 1) & 0xFFFFFF);
  return Image;
}

void TppMetaBitmap::Line(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour) {
  C.Pen().SetColor(Colour);
  C.MoveTo(X1, Y1);
  if (Y1 == Y2)
    C.LineTo(X2 + (X2 >= X1 ? 1 : -1), Y2);
  else if (X1 == X2)
    C.LineTo(X2, Y2 + (Y2 >= Y1 ? 1 : -1));
  else {
    C.LineTo(X2, Y2);
    C.SetPixels(X2, Y2, Colour);
  }
}

void TppMetaBitmap::Fill(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour) {
  C.Brush().SetColor(Colour);
  C.Pen().SetColor(Colour);
  C.FillRect(Rect(X1, Y1, X2 + 1, Y2 + 1));
}

void TppMetaBitmap::Frame(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour) {
  C.Brush().SetColor(Colour);
  C.Pen().SetColor(Colour);
  C.FrameRect(Rect(X1, Y1, X2 + 1, Y2 + 1));
}

void TppMetaBitmap::EllipseIn(TCanvas& C, int X1, int Y1, int X2, int Y2, TColor Colour) {
  C.Brush().SetColor(Colour);
  C.Pen().SetColor(Colour);
  C.Ellipse(X1, Y1, X2 + 1, Y2 + 1);
}

void TppMetaBitmap::Flood(TCanvas& C, int X, int Y, TColor Colour) const {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  const TColorRef Old = C.Pixels(X, Y);
  if (Old == ColorToRGB(Colour)) return;
  std::vector<std::pair<int, int>> Todo{{X, Y}};
  while (!Todo.empty()) {
    auto [PX, PY] = Todo.back();
    Todo.pop_back();
    if (PX < 0 || PY < 0 || PX >= FWidth || PY >= FHeight || C.Pixels(PX, PY) != Old) continue;
    C.SetPixels(PX, PY, Colour);
    Todo.insert(Todo.end(), {{PX + 1, PY}, {PX - 1, PY}, {PX, PY + 1}, {PX, PY - 1}});
  }
}

void TppMetaBitmap::Text(TCanvas& C, int X, int Y, const std::string& S) {
  C.Brush().SetStyle(bsClear);
  C.TextOut(X - 1, Y - 2, S);
  C.Brush().SetStyle(bsSolid);
}

// ---- single glyphs

void TppPrinterIcon::Draw(TCanvas& C) {
  // The sheet: an outline first, its inside flooded white, then the printer over its lower part.
  Frame(C, 4, 1, 11, 7, clBlack);
  Flood(C, 5, 2, clWhite);
  Line(C, 6, 3, 9, 3, clBlack);
  Fill(C, 1, 7, 14, 12, clSilver);
  Frame(C, 1, 7, 14, 12, clBlack);
  Line(C, 3, 10, 12, 10, clBlack);
  Line(C, 2, 13, 13, 13, clBlack);
  C.SetPixels(12, 8, clYellow);
  C.SetPixels(11, 8, clYellow);
}

void TppNetworkPrinterIcon::Draw(TCanvas& C) {
  TppPrinterIcon::Draw(C);
  Line(C, 7, 14, 7, 14, clBlack);
  Line(C, 0, 15, 15, 15, clNavy);
}

void TppAutoSearchIcon::Draw(TCanvas& C) {
  // The handle first, so that the lens's rim lies over its upper end.
  for (int I = 0; I < 5; ++I) {
    Fill(C, 10 + I, 10 + I, 11 + I, 11 + I, clNavy);
  }
  EllipseIn(C, 0, 0, 11, 11, clBlack);
  EllipseIn(C, 1, 1, 10, 10, clSilver);
  C.SetPixels(3, 3, clWhite);
  C.SetPixels(4, 3, clWhite);
  C.SetPixels(3, 4, clWhite);
  C.SetPixels(5, 3, clWhite);
  C.SetPixels(3, 5, clWhite);
}

void TppZoomIcon::Draw(TCanvas& C) {
  Fill(C, 3, 3, 12, 12, clTeal);
  for (int Y = 3; Y <= 12; ++Y)
    for (int X = 3; X <= 12; ++X)
      if ((X + Y) % 4 == 0 || (X - Y) % 4 == 0) C.SetPixels(X, Y, clGray);
  Frame(C, 2, 2, 13, 13, clBlack);
}

void TppZoomWholePageIcon::Draw(TCanvas& C) {
  TppZoomIcon::Draw(C);
  Fill(C, 5, 4, 10, 11, clWhite);
  Frame(C, 5, 4, 10, 11, clBlack);
  Line(C, 6, 6, 9, 6, clBlack);
  Line(C, 6, 8, 8, 8, clBlack);
}

void TppZoomPageWidthIcon::Draw(TCanvas& C) {
  TppZoomIcon::Draw(C);
  Fill(C, 3, 4, 12, 13, clWhite);
  Frame(C, 3, 4, 12, 13, clBlack);
  Line(C, 5, 6, 10, 6, clBlack);
  Line(C, 5, 8, 10, 8, clBlack);
  Line(C, 5, 10, 8, 10, clBlack);
}

void TppZoom100PercentIcon::Draw(TCanvas& C) {
  TppZoomIcon::Draw(C);
  // A page too big for the square: its right and bottom edges are off the picture.
  Fill(C, 4, 4, 12, 12, clWhite);
  Line(C, 4, 4, 12, 4, clBlack);
  Line(C, 4, 4, 4, 12, clBlack);
  Fill(C, 6, 6, 8, 7, clBlack);
  Fill(C, 10, 6, 12, 7, clBlack);
  Fill(C, 6, 9, 8, 10, clBlack);
  Fill(C, 10, 9, 12, 10, clBlack);
}

// ---- two-glyph icons

void TppDoubleGlyphIcon::Draw(TCanvas& C) {
  DrawGlyph(C, 0, GetEnabledColor());
  DrawGlyph(C, 16, GetDisabledColor());
}

namespace {
// A triangle of vertical lines: tip column TipX, widening by one pixel up and down per column
// towards BaseX; the base spans rows 2 .. 13.
void Triangle(TCanvas& C, int TipX, int BaseX, TColor Colour) {
  const int Step = BaseX > TipX ? 1 : -1;
  C.Pen().SetColor(Colour);
  for (int D = 0; D <= (BaseX - TipX) * Step; ++D) {
    C.MoveTo(TipX + D * Step, 7 - D);
    C.LineTo(TipX + D * Step, 9 + D);
  }
}
}  // namespace

void TppFirstIcon::DrawGlyph(TCanvas& C, int O, TColor Colour) {
  Fill(C, O + 3, 1, O + 4, 13, Colour);
  Triangle(C, O + 7, O + 12, Colour);
}

void TppPriorIcon::DrawGlyph(TCanvas& C, int O, TColor Colour) { Triangle(C, O + 5, O + 10, Colour); }

void TppNextIcon::DrawGlyph(TCanvas& C, int O, TColor Colour) { Triangle(C, O + 10, O + 5, Colour); }

void TppLastIcon::DrawGlyph(TCanvas& C, int O, TColor Colour) {
  Triangle(C, O + 8, O + 3, Colour);
  Fill(C, O + 11, 1, O + 12, 13, Colour);
}

// ---- collation pictures

namespace {
// One numbered sheet with a grey shadow on its right and bottom.
void Sheet(TCanvas& C, int X, int Y, char Number) {
  C.Brush().SetColor(clWhite);
  C.Pen().SetColor(clBlack);
  C.Rectangle(X, Y, X + 22, Y + 36);
  C.Pen().SetColor(clGray);
  C.MoveTo(X + 22, Y + 2);
  C.LineTo(X + 22, Y + 37);
  C.LineTo(X + 1, Y + 36);
  C.Font().SetSize(8);
  C.Font().SetColor(clBlack);
  C.Brush().SetStyle(bsClear);
  C.TextOut(X + 13, Y + 21, std::string(1, Number));
  C.Brush().SetStyle(bsSolid);
}
}  // namespace

void TppCollationBitmap::Draw(TCanvas& C) {
  // Two copies, each a whole set: 3 at the back, 1 in front.
  for (int Copy = 0; Copy < 2; ++Copy)
    for (int I = 0; I < 3; ++I) Sheet(C, 4 + Copy * 50 + I * 5, 2 + I * 5, static_cast<char>('3' - I));
}

void TppNonCollationBitmap::Draw(TCanvas& C) {
  // Each page's copies together: 1 1, 2 2, 3 3.
  for (int I = 0; I < 3; ++I)
    for (int Copy = 0; Copy < 2; ++Copy) Sheet(C, 2 + I * 34 + Copy * 6, 4 + Copy * 6, static_cast<char>('1' + I));
}
