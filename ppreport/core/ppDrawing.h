#pragma once
// What the printer and screen devices need to print pictures: a memory canvas compatible with the
// output device, device-independent bitmaps, and pictures whose white is transparent. Everything
// draws in 32-bit colour on the platform's canvas, so there are no palettes to select.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

class TGraphic;

// A memory canvas compatible with an output device: a white bitmap of Width x Height pixels at the
// device's resolution, one unit a pixel. Its font counts in the device's vertical resolution, so
// point sizes come out as on the device.
class TppDeviceCompatibleCanvas : public TCanvas {
public:
  TppDeviceCompatibleCanvas(TDeviceContext& DeviceDC, int Height, int Width);
  ~TppDeviceCompatibleCanvas() override;
  TBitmap& Bitmap() { return FBitmap; }
  int Width() const { return FBitmap.Width(); }
  int Height() const { return FBitmap.Height(); }
  // Copies the bitmap onto Rect of the device with a raster operation, unstretched (the part of
  // Rect the bitmap covers).
  void RenderToDevice(const TRect& Rect, uint32_t RasterOp);

private:
  TDeviceContext& FDevice;
  TBitmap FBitmap;
  std::unique_ptr<TDeviceContext> FDc;
};

// The 40-byte header of a device-independent bitmap.
struct TppBitmapInfoHeader {
  uint32_t Size = 40;
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t Planes = 1;
  uint16_t BitCount = 0;
  uint32_t Compression = 0;  // uncompressed
  uint32_t SizeImage = 0;
  int32_t XPelsPerMeter = 0, YPelsPerMeter = 0;
  uint32_t ClrUsed = 0, ClrImportant = 0;
};

// Bytes of one row of Width pixels of BitCount bits, the row padded to Alignment bits.
int BytesPerScanline(int Width, int BitCount, int Alignment);
// Bitmap's header: 1 bit per pixel for a monochrome bitmap, else 24 (pixels live as 32 bits, and
// 16 and 32 bits are given as 24).
void InitBitmapInfoHeader(const TBitmap& Bitmap, TppBitmapInfoHeader& Header);
// InfoSize: header and colour table (40 + 4 x 2^bits up to 8 bits); ImageSize: the rows.
void GetDIBSizes(const TBitmap& Bitmap, int& InfoSize, int& ImageSize);
// The header with its colour table in Info, the rows (bottom-up, blue-green-red) in Bits.
bool GetDIB(const TBitmap& Bitmap, std::vector<uint8_t>& Info, std::vector<uint8_t>& Bits);
// A new bitmap of the graphic's size with its picture copied.
std::unique_ptr<TBitmap> CopyToDeviceBitmap(TGraphic& Graphic);

// The graphic stretched over Rect with a raster operation; halftone when the device has fewer
// colours than the picture, else colour on colour (a monochrome picture keeps the device's mode).
void StretchDrawDIB(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic, uint32_t RasterOp);
// Src (its part SrcX, SrcY, SrcW, SrcH) stretched onto (X, Y, W, H) of Dest where Mask (from MaskX,
// MaskY) is black; where Mask is white Dest stays as it was.
void TransparentStretchBlt(TDeviceContext& Dest, int X, int Y, int W, int H, const TDibView& Src, int SrcX, int SrcY,
                           int SrcW, int SrcH, const TDibView& Mask, int MaskX, int MaskY);
// The graphic over Rect with its white transparent. The canvas's brush is left clear.
void DrawMaskedGraphic(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic);
// DrawMaskedGraphic where the device stretches bit blocks, else StretchDrawDIB.
void DrawTransparentGraphic(TCanvas& Canvas, const TRect& Rect, TGraphic& Graphic, uint32_t RasterOp);

// The first bitmap of that name in the loaded language modules; null when none has one (or its
// bytes are not a bitmap).
std::unique_ptr<TBitmap> LoadBitmapResource(std::string_view Name);
