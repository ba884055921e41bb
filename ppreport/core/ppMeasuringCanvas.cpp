#include "ppreport/core/ppMeasuringCanvas.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppMeasuringPrinter.h"

TppMeasuringCanvas::TppMeasuringCanvas(IppMeasuringPrinter* Printer, const TFont& Font) {
  if (Printer) FCanvas = Printer->MeasuringCanvas();
  if (FCanvas) {
    FPrinter = Printer;
    FUnit = utPrinterPixels;
    FSavedFont = std::make_unique<TFont>(FCanvas->Font());
  } else {
    FBitmap = std::make_unique<TBitmap>(1, 1);
    FCanvas = &FBitmap->Canvas();
  }
  // The font keeps its point size on the canvas: its pixels follow the canvas's resolution.
  FCanvas->Font().Assign(Font);
}

TppMeasuringCanvas::~TppMeasuringCanvas() {
  if (FSavedFont) FCanvas->Font().Assign(*FSavedFont);
}

const IppPrinterResolution* TppMeasuringCanvas::Resolution() const { return FPrinter; }

int32_t TppMeasuringCanvas::ToMicrons(int64_t Pixels, int Axis) const {
  return ConvertToMicrons(FUnit, Axis, Resolution(), static_cast<float>(Pixels));
}
