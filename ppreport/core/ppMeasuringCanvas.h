#pragma once
// For the pp library's own text layout (the text services, the text components, the report text
// file device): the canvas text is measured on for one call. With a printer that has a device
// context, the printer's canvas (its pixels are printer pixels); otherwise a bitmap at the
// screen's resolution made for the call (its pixels are screen pixels). The font handed in is the
// canvas's until the measuring canvas goes, then the printer canvas's own again.
#include <cstdint>
#include <memory>

#include "platform/graphics/Graphics.h"
#include "ppreport/core/ppTypes.h"

class TBitmap;
class TCanvas;
class IppMeasuringPrinter;
class IppPrinterResolution;

class TppMeasuringCanvas {
public:
  TppMeasuringCanvas(IppMeasuringPrinter* Printer, const TFont& Font);
  ~TppMeasuringCanvas();
  TppMeasuringCanvas(const TppMeasuringCanvas&) = delete;
  TppMeasuringCanvas& operator=(const TppMeasuringCanvas&) = delete;

  TCanvas& Canvas() { return *FCanvas; }
  // utPrinterPixels on the printer's canvas, utScreenPixels on the bitmap.
  TppUnitType Unit() const { return FUnit; }
  // The resolution the conversions ask: the printer's, or none for the screen.
  const IppPrinterResolution* Resolution() const;
  // Pixels of the canvas in thousandths of a millimetre on an axis (ppHorizontal, ppVertical).
  int32_t ToMicrons(int64_t Pixels, int Axis) const;

private:
  IppMeasuringPrinter* FPrinter = nullptr;
  TCanvas* FCanvas = nullptr;
  std::unique_ptr<TBitmap> FBitmap;
  std::unique_ptr<TFont> FSavedFont;  // the printer canvas's own, exactly
  TppUnitType FUnit = utScreenPixels;
};
