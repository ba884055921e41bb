#include "ppreport/core/ppConvert.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/classes/StringList.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"

namespace {
// Intermediate values are extended precision; the factor keeps its single-precision value.
constexpr long double InchesPerMM = ppInchesPerMillimetre;

// Round and Trunc into a length: a value past the 32-bit range (or not a number) cannot be a
// length, and no conversion raises, so it saturates.
int32_t Saturated(long double X) {
  if (std::isnan(X)) return 0;
  constexpr long double Lo = std::numeric_limits<int32_t>::min(), Hi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(X, Lo, Hi));
}
int32_t Nearest(long double X) {
  if (std::isnan(X)) return 0;
  return Saturated(static_cast<long double>(Round(std::clamp(X, -1e12L, 1e12L))));
}
int32_t Truncated(long double X) { return std::isnan(X) ? 0 : Saturated(std::truncl(X)); }

long double ScreenPPI() { return ScreenPixelsPerInch(); }

long double PrinterPPI(int Axis, const IppPrinterResolution* Printer) {
  if (!Printer) return ScreenPPI();
  TPoint P = Printer->GetPixelsPerInch();
  int V = Axis == ppVertical ? P.Y : P.X;
  // A printer that reports no resolution would divide by zero: count it at the screen's.
  return V > 0 ? V : ScreenPPI();
}

long double Inches(int32_t Microns) { return Microns / 1000.0L * InchesPerMM; }
}  // namespace

float ConvertFromMicrons(int32_t Value, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer) {
  switch (Unit) {
    case utScreenPixels: return static_cast<float>(Nearest(Inches(Value) * ScreenPPI()));
    case utInches: return static_cast<float>(Nearest(Inches(Value) * 10000) / 10000.0L);
    case utMillimeters: return static_cast<float>(Value / 1000.0L);
    case utPrinterPixels: return static_cast<float>(Nearest(Inches(Value) * PrinterPPI(Axis, Printer)));
    case utMMThousandths: return static_cast<float>(Value);
  }
  return 0;
}

int32_t ConvertToMicrons(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value) {
  switch (Unit) {
    case utScreenPixels: return Nearest(Value / ScreenPPI() / InchesPerMM * 1000);
    case utInches: return Nearest(Value / InchesPerMM * 1000);
    case utMillimeters: return Nearest(static_cast<long double>(Value) * 1000);
    case utPrinterPixels: return Nearest(Value / PrinterPPI(Axis, Printer) / InchesPerMM * 1000);
    case utMMThousandths: return Truncated(Value);
  }
  return 0;
}

float ConvertFromScreenPixels(int32_t Pixels, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer) {
  return ConvertFromMicrons(ConvertToMicrons(utScreenPixels, Axis, Printer, static_cast<float>(Pixels)), Unit, Axis,
                            Printer);
}

int32_t ConvertToScreenPixels(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value) {
  return Truncated(
      ConvertFromMicrons(ConvertToMicrons(Unit, Axis, Printer, Value), utScreenPixels, Axis, Printer));
}

float ConvertFromTenthsMM(int32_t Value, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer) {
  const int32_t Microns = Saturated(Value * 100.0L);
  switch (Unit) {
    case utInches: {
      int32_t Pixels = ConvertToScreenPixels(utMMThousandths, Axis, Printer, static_cast<float>(Microns));
      return ConvertFromScreenPixels(Pixels, utInches, Axis, Printer);
    }
    case utMillimeters: return static_cast<float>(Nearest(Value / 10.0L));
    case utMMThousandths: return static_cast<float>(Microns);
    case utScreenPixels:
    case utPrinterPixels: return ConvertFromMicrons(Microns, Unit, Axis, Printer);
  }
  return 0;
}

int32_t ConvertToTenthsMM(TppUnitType Unit, int Axis, const IppPrinterResolution* Printer, float Value) {
  switch (Unit) {
    case utInches: {
      int32_t Pixels = ConvertToScreenPixels(utInches, Axis, Printer, Value);
      return Truncated(ConvertFromScreenPixels(Pixels, utMMThousandths, Axis, Printer) / 100.0L);
    }
    case utMillimeters: return Nearest(static_cast<long double>(Value) * 10);
    case utMMThousandths: return Nearest(Value / 100.0L);
    case utScreenPixels:
    case utPrinterPixels: return ConvertToMicrons(Unit, Axis, Printer, Value) / 100;
  }
  return 0;
}

void ConvertListFromMicrons(TStrings& List, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer) {
  for (int I = 0; I < List.Count(); ++I) {
    int64_t Microns = StrToIntDef(List.Get(I), 0);
    if (Microns < std::numeric_limits<int32_t>::min() || Microns > std::numeric_limits<int32_t>::max()) Microns = 0;
    float V = ConvertFromMicrons(static_cast<int32_t>(Microns), Unit, Axis, Printer);
    List.Put(I, std::isfinite(V) ? FloatToStrGeneral(V, 7, FormatSettings()) : "0.0");
  }
}

void ConvertListToMicrons(TStrings& List, TppUnitType Unit, int Axis, const IppPrinterResolution* Printer) {
  for (int I = 0; I < List.Count(); ++I) {
    double V = 0;
    if (!TryStrToFloat(List.Get(I), V) || !std::isfinite(static_cast<float>(V))) V = 0;
    List.Put(I, IntToStr(ConvertToMicrons(Unit, Axis, Printer, static_cast<float>(V))));
  }
}

float CalcFitScale(float Width, float Height, float BoxWidth, float BoxHeight) {
  if (!(BoxWidth > 0) || !(BoxHeight > 0)) return 0;
  return std::min(Height / BoxHeight, Width / BoxWidth);
}

int32_t PointsToMicrons(float Points) {
  return ConvertToMicrons(utInches, ppHorizontal, nullptr, static_cast<float>(Points / ppPointsPerInch));
}

int32_t PointsToPixels(float Points, int PixelsPerInch) {
  return Nearest(static_cast<long double>(PixelsPerInch) * Points / ppPointsPerInch);
}

int32_t PointsToScreenPixels(float Points) { return std::max(1, PointsToPixels(Points, ScreenPixelsPerInch())); }
