#include "platform/graphics/Bitmap.h"

#include <QImage>
#include <algorithm>

#include "platform/classes/ByteReader.h"
#include "platform/graphics/EmfDib.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/rtl/SysUtils.h"

// The canvas paints into a QImage that shares the bitmap's pixel buffer.
struct TBitmap::TCanvasHost {
  QImage Image;
  TQtPainterDC Dc;
  TCanvas Canvas;
  TCanvasHost(uint32_t* Pixels, int W, int H)
      : Image(reinterpret_cast<uchar*>(Pixels), W, H, W * 4, QImage::Format_RGB32),
        Dc(&Image, ScreenPixelsPerInch(), ScreenPixelsPerInch()),
        Canvas(&Dc) {}
};

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int Width, int Height) { SetSize(Width, Height); }

TBitmap::TBitmap(const TBitmap& B)
    : TGraphic(), FWidth(B.FWidth), FHeight(B.FHeight), FPixelFormat(B.FPixelFormat), FPixels(B.FPixels) {}

TBitmap& TBitmap::operator=(const TBitmap& B) {
  if (&B == this) return *this;
  FreeCanvas();
  FWidth = B.FWidth;
  FHeight = B.FHeight;
  FPixelFormat = B.FPixelFormat;
  FPixels = B.FPixels;
  return *this;
}

TBitmap::~TBitmap() { FreeCanvas(); }

void TBitmap::FreeCanvas() { FCanvas.reset(); }

void TBitmap::SetSize(int Width, int Height) {
  Width = std::max(0, Width);
  Height = std::max(0, Height);
  if (Width == FWidth && Height == FHeight) return;
  FreeCanvas();
  std::vector<uint32_t> P(static_cast<size_t>(Width) * Height, 0xFFFFFFFFu);
  for (int Y = 0; Y < std::min(Height, FHeight); ++Y)
    std::copy_n(&FPixels[static_cast<size_t>(Y) * FWidth], std::min(Width, FWidth), &P[static_cast<size_t>(Y) * Width]);
  FPixels = std::move(P);
  FWidth = Width;
  FHeight = Height;
}

void TBitmap::SetPixelFormat(TPixelFormat F) {
  if (F == pf1bit && FPixelFormat != pf1bit) {
    SetMonochrome(true);
    return;
  }
  FPixelFormat = F;
}

void TBitmap::SetMonochrome(bool V) {
  if (!V) {
    if (FPixelFormat == pf1bit) FPixelFormat = pfDevice;
    return;
  }
  FPixelFormat = pf1bit;
  for (uint32_t& P : FPixels) {
    int Luma = (((P >> 16) & 0xFF) * 299 + ((P >> 8) & 0xFF) * 587 + (P & 0xFF) * 114) / 1000;
    P = Luma >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
  }
}

TCanvas& TBitmap::Canvas() {
  if (!FCanvas) {
    if (FPixels.empty()) FPixels.resize(1, 0xFFFFFFFFu);  // a canvas on an empty bitmap draws nowhere
    FCanvas = std::make_unique<TCanvasHost>(FPixels.data(), std::max(FWidth, 1), std::max(FHeight, 1));
  }
  return FCanvas->Canvas;
}

uint32_t* TBitmap::ScanLine(int Y) {
  if (Y < 0 || Y >= FHeight) throw EInvalidGraphicOperation(SScanLineIndexError);
  return &FPixels[static_cast<size_t>(Y) * FWidth];
}

const uint32_t* TBitmap::ScanLine(int Y) const { return const_cast<TBitmap*>(this)->ScanLine(Y); }

void TBitmap::Draw(TCanvas& Canvas, const TRect& R) {
  if (Empty()) return;
  Canvas.StretchDIB(R, Rect(0, 0, FWidth, FHeight), Dib());
}

void TBitmap::LoadFromStream(TStream& Stream) {
  uint8_t Head[14];
  if (Stream.Read(Head, 14) != 14 || Head[0] != 'B' || Head[1] != 'M') throw EInvalidGraphic(SInvalidBitmap);
  TByteReader H(Head, 14);
  uint32_t FileSize = H.U32(2), OffBits = H.U32(10);
  int64_t Left = Stream.Size() - Stream.Position();
  // Some writers leave the size at 0: the rest of the stream is the bitmap then.
  int64_t Body = FileSize >= 14 ? static_cast<int64_t>(FileSize) - 14 : Left;
  if (Body > Left || Body < 12 || OffBits < 14 + 12) throw EInvalidGraphic(SInvalidBitmap);
  std::vector<uint8_t> B(static_cast<size_t>(Body));
  Stream.ReadBuffer(B.data(), Body);
  TByteReader R(B.data(), B.size());
  try {
    size_t Bits = OffBits - 14;
    TDibImage Img = DecodeDib(R.Slice(0, std::min<size_t>(Bits, B.size())), R.Slice(Bits, B.size() - std::min<size_t>(Bits, B.size())));
    FreeCanvas();
    FWidth = Img.Width;
    FHeight = Img.Height;
    FPixels = std::move(Img.Pixels);
    FPixelFormat = R.U16(14) == 1 ? pf1bit : R.U16(14) == 32 ? pf32bit : pf24bit;
  } catch (const EReadError&) {
    throw EInvalidGraphic(SInvalidBitmap);
  }
}

void TBitmap::SaveToStream(TStream& Stream) const {
  bool Mono = Monochrome();
  int Bpp = Mono ? 1 : 24;
  uint32_t Stride = (static_cast<uint32_t>(FWidth) * Bpp + 31) / 32 * 4;
  uint32_t Palette = Mono ? 8 : 0, OffBits = 14 + 40 + Palette, Size = OffBits + Stride * FHeight;
  Stream.WriteByte('B');
  Stream.WriteByte('M');
  Stream.WriteUInt32(Size);
  Stream.WriteUInt32(0);
  Stream.WriteUInt32(OffBits);
  Stream.WriteUInt32(40);
  Stream.WriteInt32(FWidth);
  Stream.WriteInt32(FHeight);
  Stream.WriteUInt16(1);
  Stream.WriteUInt16(static_cast<uint16_t>(Bpp));
  Stream.WriteUInt32(0);
  Stream.WriteUInt32(Stride * FHeight);
  Stream.WriteInt32(3780);
  Stream.WriteInt32(3780);
  Stream.WriteUInt32(Mono ? 2 : 0);
  Stream.WriteUInt32(0);
  if (Mono) {
    Stream.WriteUInt32(0);
    Stream.WriteUInt32(0xFFFFFF);
  }
  std::vector<uint8_t> Row(Stride);
  for (int Y = FHeight - 1; Y >= 0; --Y) {
    std::fill(Row.begin(), Row.end(), 0);
    const uint32_t* P = &FPixels[static_cast<size_t>(Y) * FWidth];
    for (int X = 0; X < FWidth; ++X) {
      if (Mono) {
        if (P[X] & 0xFFFFFF) Row[X >> 3] |= 0x80 >> (X & 7);
      } else {
        Row[3 * X] = P[X] & 0xFF;
        Row[3 * X + 1] = (P[X] >> 8) & 0xFF;
        Row[3 * X + 2] = (P[X] >> 16) & 0xFF;
      }
    }
    Stream.WriteBuffer(Row.data(), Stride);
  }
}

namespace {
// The image a DC paints on must exist before the DC and outlive it: a base constructed first.
struct TImageHolder {
  QImage Image;
};
struct TBitmapDC : private TImageHolder, public TQtPainterDC {
  TBitmapDC(uint32_t* Pixels, int W, int H, int PpiX, int PpiY)
      : TImageHolder{QImage(reinterpret_cast<uchar*>(Pixels), W, H, W * 4, QImage::Format_RGB32)},
        TQtPainterDC(&Image, PpiX, PpiY) {}
};
}  // namespace

std::unique_ptr<TDeviceContext> CreateBitmapDC(TBitmap& Bitmap, int PpiX, int PpiY) {
  if (Bitmap.Empty()) throw EInvalidGraphicOperation(SInvalidBitmapDC);
  return std::make_unique<TBitmapDC>(Bitmap.ScanLine(0), Bitmap.Width(), Bitmap.Height(), PpiX, PpiY);
}
