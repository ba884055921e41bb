#include "ppreport/core/ppDrawing.h"

#include <algorithm>

#include "platform/classes/Streams.h"
#include "platform/graphics/Graphic.h"
#include "ppreport/core/ppLanguage.h"

namespace {
constexpr uint32_t White = 0xFFFFFFFFu, Black = 0xFF000000u;

bool IsWhite(uint32_t P) { return (P & 0xFFFFFF) == 0xFFFFFF; }

// The pixel at (X, Y) of a DIB, white outside it (as a mask leaves what it does not cover).
uint32_t PixelAt(const TDibView& D, int X, int Y) {
  if (!D.Pixels || X < 0 || Y < 0 || X >= D.Width || Y >= D.Height) return White;
  return D.Pixels[static_cast<size_t>(Y) * static_cast<size_t>(D.Width) + static_cast<size_t>(X)];
}

void PutLe(std::vector<uint8_t>& B, uint64_t V, int Bytes) {
  for (int I = 0; I < Bytes; ++I) B.push_back(static_cast<uint8_t>(V >> (8 * I)));
}
}  // namespace

// ---- TppDeviceCompatibleCanvas

TppDeviceCompatibleCanvas::TppDeviceCompatibleCanvas(TDeviceContext& DeviceDC, int Height, int Width)
    : FDevice(DeviceDC), FBitmap(std::max(Width, 1), std::max(Height, 1)) {
  // A new bitmap is white already.
  FDc = CreateBitmapDC(FBitmap, DeviceDC.PixelsPerInchX(), DeviceDC.PixelsPerInchY());
  SetHandle(FDc.get());
}

TppDeviceCompatibleCanvas::~TppDeviceCompatibleCanvas() {
  SetHandle(nullptr);
  FDc.reset();
}

void TppDeviceCompatibleCanvas::RenderToDevice(const TRect& Rect, uint32_t RasterOp) {
  const int W = std::min(Rect.Width(), FBitmap.Width()), H = std::min(Rect.Height(), FBitmap.Height());
  if (W <= 0 || H <= 0) return;
  FDevice.StretchDIBits(Bounds(Rect.Left, Rect.Top, W, H), ::Rect(0, 0, W, H), FBitmap.Dib(), RasterOp);
}

// ---- Device-independent bitmaps

int BytesPerScanline(int Width, int BitCount, int Alignment) {
  const int64_t Bits = static_cast<int64_t>(Width) * BitCount + Alignment - 1;
  return static_cast<int>(Bits / Alignment * Alignment / 8);
}

void InitBitmapInfoHeader(const TBitmap& Bitmap, TppBitmapInfoHeader& Header) {
  Header = TppBitmapInfoHeader{};
  Header.Width = Bitmap.Width();
  Header.Height = Bitmap.Height();
  Header.BitCount = Bitmap.Monochrome() ? 1 : 24;
  Header.SizeImage =
      static_cast<uint32_t>(BytesPerScanline(Header.Width, Header.BitCount, 32)) * static_cast<uint32_t>(std::abs(Header.Height));
}

void GetDIBSizes(const TBitmap& Bitmap, int& InfoSize, int& ImageSize) {
  TppBitmapInfoHeader H;
  InitBitmapInfoHeader(Bitmap, H);
  InfoSize = 40 + (H.BitCount <= 8 ? 4 << H.BitCount : 0);
  ImageSize = static_cast<int>(H.SizeImage);
}

bool GetDIB(const TBitmap& Bitmap, std::vector<uint8_t>& Info, std::vector<uint8_t>& Bits) {
  if (Bitmap.Empty()) return false;
  TppBitmapInfoHeader H;
  InitBitmapInfoHeader(Bitmap, H);
  Info.clear();
  PutLe(Info, H.Size, 4);
  PutLe(Info, static_cast<uint32_t>(H.Width), 4);
  PutLe(Info, static_cast<uint32_t>(H.Height), 4);
  PutLe(Info, H.Planes, 2);
  PutLe(Info, H.BitCount, 2);
  PutLe(Info, H.Compression, 4);
  PutLe(Info, H.SizeImage, 4);
  Info.resize(Info.size() + 16, 0);  // resolution and colour counts
  if (H.BitCount == 1) {
    PutLe(Info, 0x00000000, 4);  // black
    PutLe(Info, 0x00FFFFFF, 4);  // white
  }
  const int Row = BytesPerScanline(H.Width, H.BitCount, 32);
  Bits.assign(H.SizeImage, 0);
  for (int Y = 0; Y < H.Height; ++Y) {
    const uint32_t* Src = Bitmap.ScanLine(H.Height - 1 - Y);  // bottom-up
    uint8_t* Dst = Bits.data() + static_cast<size_t>(Y) * static_cast<size_t>(Row);
    for (int X = 0; X < H.Width; ++X) {
      if (H.BitCount == 1) {
        if (IsWhite(Src[X])) Dst[X / 8] |= static_cast<uint8_t>(0x80 >> (X % 8));
      } else {
        Dst[3 * X] = static_cast<uint8_t>(Src[X]);
        Dst[3 * X + 1] = static_cast<uint8_t>(Src[X] >> 8);
        Dst[3 * X + 2] = static_cast<uint8_t>(Src[X] >> 16);
      }
    }
  }
  return true;
}

std::unique_ptr<TBitmap> CopyToDeviceBitmap(TGraphic& Graphic) {
  auto B = std::make_unique<TBitmap>(std::max(Graphic.Width(), 1), std::max(Graphic.Height(), 1));
  if (!Graphic.Empty()) Graphic.Draw(B->Canvas(), Rect(0, 0, B->Width(), B->Height()));
  return B;
}

// ---- Drawing pictures

void StretchDrawDIB(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic, uint32_t RasterOp) {
  TDeviceContext* Dc = Canvas.Handle();
  if (!Dc || Graphic.Empty()) return;
  std::unique_ptr<TBitmap> Copy;
  auto* Source = dynamic_cast<TBitmap*>(&Graphic);
  if (!Source || RasterOp == SRCAND) {
    Copy = CopyToDeviceBitmap(Graphic);
    Source = Copy.get();
  }
  TppBitmapInfoHeader H;
  InitBitmapInfoHeader(*Source, H);
  const int DeviceBits = Dc->BitsPerPixel();
  if (DeviceBits <= 8 && DeviceBits < H.BitCount) Dc->SetStretchBltMode(HALFTONE);
  else if (!Source->Monochrome()) Dc->SetStretchBltMode(COLORONCOLOR);
  Dc->StretchDIBits(Rect, ::Rect(0, 0, Source->Width(), Source->Height()), Source->Dib(), RasterOp);
}

void TransparentStretchBlt(TDeviceContext& Dest, int X, int Y, int W, int H, const TDibView& Src, int SrcX, int SrcY,
                           int SrcW, int SrcH, const TDibView& Mask, int MaskX, int MaskY) {
  if (SrcW <= 0 || SrcH <= 0 || W == 0 || H == 0) return;
  // The picture where the mask is black, black where it is white (the mask, then the source
  // with SRCERASE: source AND NOT mask).
  TBitmap Memory(SrcW, SrcH);
  for (int J = 0; J < SrcH; ++J) {
    uint32_t* Row = Memory.ScanLine(J);
    for (int I = 0; I < SrcW; ++I)
      Row[I] = Black | (PixelAt(Src, SrcX + I, SrcY + J) & ~PixelAt(Mask, MaskX + I, MaskY + J) & 0xFFFFFF);
  }
  auto Saved = SaveDCScope(Dest);
  Dest.SetTextColor(0x000000);
  Dest.SetBkColor(0xFFFFFF);
  // Blending neighbours would smear the mask's edge into the colours.
  Dest.SetStretchBltMode(COLORONCOLOR);
  const TRect Target = Bounds(X, Y, W, H);
  // The mask ANDed in blackens the picture's place; the picture XORed in fills it.
  Dest.StretchDIBits(Target, Bounds(MaskX, MaskY, SrcW, SrcH), Mask, SRCAND);
  Dest.StretchDIBits(Target, Rect(0, 0, SrcW, SrcH), Memory.Dib(), SRCINVERT);
}

void DrawMaskedGraphic(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic) {
  TDeviceContext* Dc = Canvas.Handle();
  if (!Dc || Graphic.Empty() || Rect.IsEmpty()) return;
  const bool Monochrome = Dc->BitsPerPixel() == 1;
  const int W = Monochrome ? Rect.Width() : Graphic.Width(), H = Monochrome ? Rect.Height() : Graphic.Height();
  if (W <= 0 || H <= 0) return;
  TppDeviceCompatibleCanvas Image(*Dc, H, W);
  Image.StretchDraw(::Rect(0, 0, W, H), Graphic);
  TppDeviceCompatibleCanvas MaskCanvas(*Dc, H, W);
  TBitmap& Mask = MaskCanvas.Bitmap();
  for (int J = 0; J < H; ++J) {
    const uint32_t* In = Image.Bitmap().ScanLine(J);
    uint32_t* Out = Mask.ScanLine(J);
    for (int I = 0; I < W; ++I) Out[I] = IsWhite(In[I]) ? White : Black;
  }
  Canvas.Brush().SetStyle(bsClear);
  TransparentStretchBlt(*Dc, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Image.Bitmap().Dib(), 0, 0, W, H,
                        Mask.Dib(), 0, 0);
}

void DrawTransparentGraphic(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic, uint32_t RasterOp) {
  TDeviceContext* Dc = Canvas.Handle();
  if (!Dc) return;
  if (Dc->CanStretchBlt()) DrawMaskedGraphic(Canvas, Rect, Graphic);
  else StretchDrawDIB(Canvas, Rect, Graphic, RasterOp);
}

std::unique_ptr<TBitmap> LoadBitmapResource(std::string_view Name) {
  std::vector<uint8_t> Bytes = ppResourceManager().LoadBitmapBytes(Name);
  if (Bytes.empty()) return nullptr;
  TMemoryStream S;
  S.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  S.SetPosition(0);
  auto B = std::make_unique<TBitmap>();
  try {
    B->LoadFromStream(S);
  } catch (const EInvalidGraphic&) {
    return nullptr;
  } catch (const EStreamError&) {
    return nullptr;
  }
  return B;
}
