#pragma once
// Raster devices over a bitmap for the barcode draw command: a printer at any resolution and a
// screen at the screen's resolution with a zoom, computing rectangles as the printer and screen
// devices do and recording the borders asked for. The page bitmap is written to a grey PNG for zbarimg.
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "tests/ppreport/generation/BarCodeReaders.h"

namespace bctest {

// Width and Height of the symbol as the screen measures it.
inline void SizeForScreen(TppDrawBarCode& C) {
  TBitmap B(1, 1);
  C.MeasureOnCanvas(B.Canvas());
  const bool Vertical = C.Orientation() == orTopToBottom || C.Orientation() == orBottomToTop;
  const int EW = Vertical ? C.TotalHeight() : C.TotalWidth(), EH = Vertical ? C.TotalWidth() : C.TotalHeight();
  C.SetWidth(ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(EW)));
  C.SetHeight(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(EH)));
}

class TBitmapDevice : public TppRasterDevice, private IppPrinterResolution {
public:
  // A page of Width x Height pixels at Ppi, white. A screen device draws at the screen's resolution
  // times Zoom; its page is given in device pixels all the same.
  TBitmapDevice(TppRasterKind Kind, int Width, int Height, int Ppi, double Zoom = 1)
      : TppRasterDevice(nullptr), Page(Width, Height), FKind(Kind), FPpi(Ppi), FZoom(Zoom),
        FDc(CreateBitmapDC(Page, Ppi, Ppi)), FCanvas(std::make_unique<TCanvas>(FDc.get())) {}

  TBitmap Page;
  std::vector<TRect> Borders;

  TppRasterKind RasterKind() const override { return FKind; }
  TCanvas* DeviceCanvas() override { return FCanvas.get(); }
  TPoint DevicePixelsPerInch() const override { return GetPixelsPerInch(); }
  double ScaleX() const override { return FZoom; }
  void ComputeDrawRect(TppDrawCommand& C) override {
    if (FKind == rkPrinter) {
      const auto At = [&](int32_t V, int Axis) {
        return static_cast<int>(Trunc(ConvertFromMicrons(V, utPrinterPixels, Axis, this)));
      };
      C.SetDrawRect(Rect(At(C.Left(), ppHorizontal), At(C.Top(), ppVertical), At(C.Left() + C.Width(), ppHorizontal),
                         At(C.Top() + C.Height(), ppVertical)));
      return;
    }
    const auto Sp = [&](int32_t V, int Axis) {
      return static_cast<long double>(Trunc(ConvertFromMicrons(V, utScreenPixels, Axis, nullptr)));
    };
    const long double a = Sp(C.Left(), ppHorizontal), b = Sp(C.Top(), ppVertical);
    const long double c = Sp(C.Width(), ppHorizontal), d = Sp(C.Height(), ppVertical);
    C.SetDrawRect(Rect(static_cast<int>(Round(a * FZoom)), static_cast<int>(Round(b * FZoom)),
                       static_cast<int>(Round((a + c) * FZoom)), static_cast<int>(Round((b + d) * FZoom))));
  }
  void DrawBorder(TppDrawCommand& C, const TRect& R) override {
    if (C.Border()->Visible()) Borders.push_back(R);
  }

  // The page as grey bytes (the green channel), row by row.
  std::string Grey() {
    std::string G;
    for (int Y = 0; Y < Page.Height(); ++Y)
      for (int X = 0; X < Page.Width(); ++X) G += static_cast<char>((Page.ScanLine(Y)[X] >> 8) & 0xFF);
    return G;
  }
  void WritePng(const std::string& Path) { WriteGreyPng(Path, Page.Width(), Page.Height(), Grey()); }
  // The pixel as 0x00RRGGBB.
  uint32_t At(int X, int Y) { return Page.ScanLine(Y)[X] & 0xFFFFFF; }

private:
  TPoint GetPixelsPerInch() const override {
    return FKind == rkPrinter ? TPoint{FPpi, FPpi} : TPoint{ScreenPixelsPerInch(), ScreenPixelsPerInch()};
  }

  TppRasterKind FKind;
  int FPpi;
  double FZoom;
  std::unique_ptr<TDeviceContext> FDc;
  std::unique_ptr<TCanvas> FCanvas;
};

}  // namespace bctest
