#pragma once
// What measuring text asks of a printer: its resolution (for the conversions of ppConvert.h) and
// the canvas on its device context, so that wrapped lines break where the printer will break them.
// The printer class implements it; text output takes it wherever a printer or none may be given.
#include "ppreport/core/ppConvert.h"

class TCanvas;

class IppMeasuringPrinter : public IppPrinterResolution {
public:
  // The canvas on the printer's device context, its font counted at the printer's resolution; null
  // when the printer has no device context, and text is then measured on a screen bitmap.
  virtual TCanvas* MeasuringCanvas() = 0;

protected:
  ~IppMeasuringPrinter() = default;
};
