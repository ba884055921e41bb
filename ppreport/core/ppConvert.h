#pragma once
// Lengths. The pp library keeps every length as a 32-bit number of thousandths of a millimetre
// (microns); these routines are the only place where a length changes unit, and every change
// passes through microns (there is no direct inch-to-pixel path). "Nearest" is Round: halves go
// to the even neighbour. No conversion raises; an unknown unit gives 0.
#include <cstdint>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppTypes.h"

class TStrings;

// What a conversion asks of a printer: its pixels per inch, X horizontal and Y vertical. The
// printer class implements it; without one, printer pixels are counted at the screen's resolution.
class IppPrinterResolution {
public:
  virtual TPoint GetPixelsPerInch() const = 0;

protected:
  ~IppPrinterResolution() = default;
};

// The inch factor of every conversion: 0.03937 inch per millimetre in single precision (not 1/25.4),
// so 2540 mm are 99.9998 inches.
constexpr float ppInchesPerMillimetre = 0.03937f;
constexpr int ppPointsPerInch = 72;

// The Axis argument: 1 is vertical (the printer's vertical resolution); any other value horizontal.
constexpr int ppHorizontal = 0;
constexpr int ppVertical = 1;

float ConvertFromMicrons(int32_t Value, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer);
int32_t ConvertToMicrons(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value);
float ConvertFromScreenPixels(int32_t Pixels, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer);
int32_t ConvertToScreenPixels(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value);
// Paper sizes as printer drivers report them, in tenths of a millimetre. Inches go through whole
// screen pixels; millimetres are whole.
float ConvertFromTenthsMM(int32_t Value, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer);
int32_t ConvertToTenthsMM(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value);

// Tab-stop lists of memos: every entry converted in place. From microns, an entry that is not an
// integer counts as 0 and results are written in general format with 7 significant digits; to
// microns, an entry that is not a number counts as 0 and results are written as integers.
void ConvertListFromMicrons(TStrings& List, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer);
void ConvertListToMicrons(TStrings& List, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer);

// The largest scale at which a box of BoxWidth x BoxHeight fits Width x Height; 0 for an empty box.
float CalcFitScale(float Width, float Height, float BoxWidth, float BoxHeight);

// A border or line weight in points: in microns, in pixels at a resolution, and in screen pixels
// (at least 1).
int32_t PointsToMicrons(float Points);
int32_t PointsToPixels(float Points, int PixelsPerInch);
int32_t PointsToScreenPixels(float Points);
