#pragma once
// TBitmap: a 32-bit pixel buffer with a canvas (drawn through the Qt backend
// at the screen's resolution), loaded from and saved as BMP.
#include <memory>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(int Width, int Height);
  TBitmap(const TBitmap& B);
  TBitmap& operator=(const TBitmap& B);
  ~TBitmap() override;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  // Keeps the pixels that still fit; new ones are white.
  void SetSize(int Width, int Height);
  void SetWidth(int W) { SetSize(W, FHeight); }
  void SetHeight(int H) { SetSize(FWidth, H); }
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Pixels stay 32-bit in memory; pf1bit also makes the bitmap monochrome.
  void SetPixelFormat(TPixelFormat F);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  // Turns the pixels black and white (threshold at mid grey).
  void SetMonochrome(bool V);

  // The canvas draws straight into the pixels; it lives until the size changes.
  TCanvas& Canvas();
  // 0xAARRGGBB, top row first.
  uint32_t* ScanLine(int Y);
  const uint32_t* ScanLine(int Y) const;
  TDibView Dib() const { return TDibView{FWidth, FHeight, FPixels.data()}; }

  void Draw(TCanvas& Canvas, const TRect& R) override;
  // Reads a BMP file ("BM", then the header's byte count); raises EInvalidGraphic.
  void LoadFromStream(TStream& Stream) override;
  // Writes a 24-bit BMP (1-bit when monochrome).
  void SaveToStream(TStream& Stream) const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
  const char* ClassName() const override { return "TBitmap"; }
  void Assign(const TBitmap& B) { *this = B; }

private:
  void FreeCanvas();
  int FWidth = 0, FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  std::vector<uint32_t> FPixels;
  struct TCanvasHost;
  std::unique_ptr<TCanvasHost> FCanvas;
};

// A device context drawing straight into Bitmap's pixels at the given resolution (a memory device
// compatible with a device of that resolution). The bitmap must keep its size while it lives.
std::unique_ptr<TDeviceContext> CreateBitmapDC(TBitmap& Bitmap, int PpiX, int PpiY);
