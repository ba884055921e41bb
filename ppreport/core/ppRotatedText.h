#pragma once
// One text turned by an angle: its extent, the bounds an auto-sized component takes, the point
// where drawing starts, and the drawing. Angles are whole degrees counter-clockwise (callers use
// this only for angles other than 0); lengths are thousandths of a millimetre, except in the two
// Adjust operations and TextOut, which work in device pixels.
#include <cstdint>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Types.h"

class TCanvas;
class TFont;
class TppBorder;

// The box a turned text occupies and how its run and height project on the axes.
struct TppRotatedTextGeometry {
  int32_t BoxWidth = 0;    // W
  int32_t BoxHeight = 0;   // H
  int32_t LineLength = 0;  // L: along the baseline
  int32_t TextHeight = 0;  // Th: unrotated
  int32_t SpanWidth = 0;   // SW: horizontal span of the turned text
  int32_t SpanHeight = 0;  // SH
  double HeightCos = 0;    // Th x cos
  double LineDY = 0;       // vertical projection of the run
  double LineDX = 0;       // horizontal projection of the run
  double HeightSin = 0;    // Th x sin
  double CosRatio = 0;     // |dx| / L
  double SinRatio = 0;     // |dy| / L
};

// A component's bounds: left-top corner and size.
struct TppRotatedBounds {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TppRotatedBounds&) const = default;
};

class TppRotatedText {
public:
  TppRotatedText() = delete;

  // Where the turned text starts, relative to the component's top-left (Height and Width its size;
  // with AutoSize relative to the auto-sized bounds).
  static void CalcTextOrigin(TCanvas& Canvas, const std::string& Text, TPoint& Origin, const TppBorder* Border,
                             TAlignment Alignment, bool AutoSize, int Angle, int32_t Height, int32_t Width,
                             const TFont& Font);
  // The component's new bounds: with AutoSize the spans of the turned text placed by the alignment
  // and the angle's quadrant, otherwise (Left, Top, Width, Height) as they are.
  static void CalcBoundsRect(TCanvas& Canvas, const std::string& Text, TppRotatedBounds& Bounds,
                             const TppBorder* Border, TAlignment Alignment, bool AutoSize, int Angle, int32_t Height,
                             int32_t Width, int32_t Top, int32_t Left, const TFont& Font);
  // A text draw command's device rectangle after its size changed (the command's Alignment and
  // Angle given).
  static void AdjustRectForSize(TAlignment Alignment, int Angle, int Left, TRect& Rect, int OldHeight, int OldWidth,
                                int NewHeight, int NewWidth, int Top);
  // The device drawing origin after the size changed; the devices ask it for right and centre alignment.
  static void AdjustOriginForSize(TPoint Point, TAlignment Alignment, int Angle, TPoint& NewPoint, int HeightChange,
                                  int WidthChange);
  // Draws Text turned by Angle from (X, Y), the background left as it is.
  static void TextOut(TCanvas& Canvas, const TFont& Font, int X, int Y, int Angle, const std::string& Text);

  // The steps of the above.
  // Width and height of the unrotated layout (broken at the text's own line breaks), as screen
  // pixels in thousandths of a millimetre.
  static void CalcTextExtent(TCanvas& Canvas, const std::string& Text, const TFont& Font, int Angle,
                             TAlignment Alignment, int32_t& TextWidth, int32_t& TextHeight);
  // The logical font of Font turned by Angle, its height at the font's own resolution.
  static TLogFont CreateRotatedFont(const TFont& Font, int Angle);
  static TppRotatedTextGeometry CalcGeometry(int32_t BoxWidth, int32_t BoxHeight, int32_t TextWidth,
                                             int32_t TextHeight, const TppBorder* Border, bool AutoSize, int Angle);
  static TPoint CalcOrigin(int Angle, int32_t TextWidth, TAlignment Alignment, const TppRotatedTextGeometry& Geometry,
                           TPoint Offset);
  static void CalcAutoSizeBounds(const TppRotatedTextGeometry& Geometry, TAlignment Alignment, int Angle,
                                 int32_t Height, int32_t Width, int32_t Top, int32_t Left, TppRotatedBounds& Bounds);
};
