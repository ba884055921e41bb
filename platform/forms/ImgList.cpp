#include "platform/forms/ImgList.h"

#include <QImage>
#include <algorithm>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/QtPainterDC.h"

TPixelImage TPixelImage::Slice(int X, int W) const {
  TPixelImage R;
  X = std::clamp(X, 0, Width);
  W = std::clamp(W, 0, Width - X);
  R.Width = W;
  R.Height = Height;
  R.Pixels.reserve(static_cast<size_t>(W) * Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int I = 0; I < W; ++I) R.Pixels.push_back(Pixel(X + I, Y));
  return R;
}

void TPixelImage::MakeTransparent(uint32_t Rgb) {
  for (uint32_t& P : Pixels)
    if ((P & 0xFFFFFF) == (Rgb & 0xFFFFFF)) P = 0;
}

TPixelImage TPixelImage::FromDib(const TDibView& Dib) {
  TPixelImage R;
  if (!Dib.Pixels || Dib.Width <= 0 || Dib.Height <= 0) return R;
  R.Width = Dib.Width;
  R.Height = Dib.Height;
  R.Pixels.assign(Dib.Pixels, Dib.Pixels + static_cast<size_t>(Dib.Width) * Dib.Height);
  return R;
}

TPixelImage TPixelImage::FromGraphic(TGraphic& Graphic, int W, int H) {
  TPixelImage R;
  if (W <= 0 || H <= 0) return R;
  QImage Img(W, H, QImage::Format_ARGB32);
  Img.fill(Qt::transparent);
  {
    int Ppi = ScreenPixelsPerInch();
    TQtPainterDC Dc(&Img, Ppi, Ppi);
    TCanvas C(&Dc);
    C.StretchDraw(Rect(0, 0, W, H), Graphic);
  }
  R.Width = W;
  R.Height = H;
  R.Pixels.resize(static_cast<size_t>(W) * H);
  for (int Y = 0; Y < H; ++Y) {
    auto* Line = reinterpret_cast<const uint32_t*>(Img.constScanLine(Y));
    std::copy(Line, Line + W, R.Pixels.begin() + static_cast<ptrdiff_t>(Y) * W);
  }
  return R;
}

void DrawPixelImage(TCanvas& Canvas, int X, int Y, const TPixelImage& Image) {
  // The device draws 32-bit pixels opaquely, so draw the opaque runs of each row.
  TDibView V = Image.View();
  for (int Row = 0; Row < Image.Height; ++Row) {
    int Col = 0;
    while (Col < Image.Width) {
      while (Col < Image.Width && (Image.Pixel(Col, Row) >> 24) < 0x80) ++Col;
      int Start = Col;
      while (Col < Image.Width && (Image.Pixel(Col, Row) >> 24) >= 0x80) ++Col;
      if (Col > Start)
        Canvas.StretchDIB(Rect(X + Start, Y + Row, X + Col, Y + Row + 1), Rect(Start, Row, Col, Row + 1), V);
    }
  }
}

// ---- TImageList

const TClassInfo& TImageList::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TImageList>("TImageList", &TComponent::StaticClassInfo())
                                     .Prop("Width", &TImageList::Width, &TImageList::SetWidth).Default(16)
                                     .Prop("Height", &TImageList::Height, &TImageList::SetHeight).Default(16)
                                     .Event("OnChange", &TImageList::OnChange);
  return Info;
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}

void TImageList::SetWidth(int V) {
  if (V == FWidth || V <= 0) return;
  FWidth = V;
  Clear();
}

void TImageList::SetHeight(int V) {
  if (V == FHeight || V <= 0) return;
  FHeight = V;
  Clear();
}

int TImageList::Add(const TPixelImage& Image) {
  int First = Count();
  if (Image.Empty()) return -1;
  for (int X = 0; X + FWidth <= std::max(Image.Width, FWidth); X += FWidth) {
    TPixelImage Part = Image.Slice(X, FWidth);
    // Every image has the list's size: pad or cut the rows.
    TPixelImage Sized;
    Sized.Width = FWidth;
    Sized.Height = FHeight;
    Sized.Pixels.assign(static_cast<size_t>(FWidth) * FHeight, 0);
    for (int Y = 0; Y < std::min(FHeight, Part.Height); ++Y)
      for (int I = 0; I < Part.Width; ++I) Sized.Pixels[static_cast<size_t>(Y) * FWidth + I] = Part.Pixel(I, Y);
    FImages.push_back(std::move(Sized));
  }
  Changed();
  return First;
}

int TImageList::AddMasked(const TPixelImage& Image, uint32_t MaskColor) {
  TPixelImage Copy = Image;
  Copy.MakeTransparent(MaskColor);
  return Add(Copy);
}

int TImageList::AddGraphic(TGraphic& Graphic) {
  int W = Graphic.Width() > FWidth ? Graphic.Width() / FWidth * FWidth : FWidth;
  return Add(TPixelImage::FromGraphic(Graphic, W, FHeight));
}

void TImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FImages.erase(FImages.begin() + Index);
  Changed();
}

void TImageList::Clear() {
  FImages.clear();
  Changed();
}

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index) const {
  if (Index < 0 || Index >= Count()) return;
  DrawPixelImage(Canvas, X, Y, FImages[static_cast<size_t>(Index)]);
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}
