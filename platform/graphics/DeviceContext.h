#pragma once
// The abstract device context: what a canvas draws through, with Windows GDI
// semantics (right/bottom edges excluded, LineTo excludes its end point, text
// alignment flags, background mode, clip regions, save/restore of state).
// Backends: the EMF recorder, the Qt painter and the call log.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Types.h"

// Pen styles (low bits of the GDI pen style).
constexpr uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
                   PS_INSIDEFRAME = 6;
constexpr uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3;
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int ALTERNATE = 1, WINDING = 2;
constexpr int R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_COPYPEN = 13, R2_WHITE = 16;
constexpr int BLACKONWHITE = 1, COLORONCOLOR = 3, HALFTONE = 4;

// Text alignment flags (SetTextAlign).
constexpr uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                   TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_RTLREADING = 0x80,
                   ETO_NO_RECT = 0x100, ETO_PDY = 0x2000;
// Raster operations the canvas uses.
constexpr uint32_t SRCCOPY = 0x00CC0020, SRCAND = 0x008800C6, SRCPAINT = 0x00EE0086, SRCINVERT = 0x00660046,
                   PATCOPY = 0x00F00021, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;
// Region combination modes.
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
// Graphics modes: how text follows the transform (see SetGraphicsMode).
constexpr int GM_COMPATIBLE = 1, GM_ADVANCED = 2;

constexpr int FW_NORMAL = 400, FW_BOLD = 700;
constexpr uint8_t DEFAULT_CHARSET = 1, ANSI_CHARSET = 0, SYMBOL_CHARSET = 2;
constexpr uint8_t DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;

struct TLogPen {
  uint32_t Style = PS_SOLID;  // may carry end-cap/join/geometric bits of an extended pen
  int Width = 0;              // logical units; 0 and 1 are a one-pixel hairline
  TColorRef Color = 0;
  bool operator==(const TLogPen&) const = default;
};

// A pattern brush's picture: 0xAARRGGBB pixels, top row first, repeated from
// the device's origin. A monochrome pattern paints its black pixels in the
// text colour and the others in the background colour of the moment.
struct TBrushPattern {
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
  bool Mono = false;
};

struct TLogBrush {
  uint32_t Style = BS_SOLID;
  TColorRef Color = 0xFFFFFF;
  uint32_t Hatch = 0;
  std::shared_ptr<const TBrushPattern> Pattern;  // BS_PATTERN; shared, so brushes stay cheap to copy
  bool operator==(const TLogBrush&) const = default;
};

struct TLogFont {
  int Height = -13;  // negative: character (em) height; positive: cell height; logical units
  int Width = 0;
  int Escapement = 0;  // tenths of a degree, counter-clockwise
  int Orientation = 0;
  int Weight = FW_NORMAL;
  bool Italic = false, Underline = false, StrikeOut = false;
  uint8_t CharSet = DEFAULT_CHARSET;
  uint8_t OutPrecision = 0, ClipPrecision = 0, Quality = 0;
  uint8_t PitchAndFamily = DEFAULT_PITCH;
  std::string FaceName = "Arial";  // UTF-8; the Windows name, mapped when drawn
  bool operator==(const TLogFont&) const = default;
};

struct TTextMetric {
  int Height = 0, Ascent = 0, Descent = 0, InternalLeading = 0, ExternalLeading = 0;
  int AveCharWidth = 0, MaxCharWidth = 0, Weight = FW_NORMAL;
  bool Italic = false;
};

// An affine transform as EMF's XFORM: x' = x*M11 + y*M21 + Dx, y' = x*M12 + y*M22 + Dy.
struct TXForm {
  double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  double MapX(double X, double Y) const { return X * M11 + Y * M21 + Dx; }
  double MapY(double X, double Y) const { return X * M12 + Y * M22 + Dy; }
  bool IsIdentity() const { return M11 == 1 && M12 == 0 && M21 == 0 && M22 == 1 && Dx == 0 && Dy == 0; }
  // This transform followed by B.
  TXForm Then(const TXForm& B) const;
  bool operator==(const TXForm&) const = default;
};

// A device-independent bitmap as the DC takes it: 32-bit 0xAARRGGBB pixels,
// top row first. Pixels are borrowed for the call.
struct TDibView {
  int Width = 0, Height = 0;
  const uint32_t* Pixels = nullptr;
  bool HasAlpha = false;  // blend by the alpha byte (icons); otherwise it is ignored
};

// A clip region in device units: a union of rectangles.
struct TRegion {
  std::vector<TRect> Rects;
};

class TDeviceContext {
public:
  virtual ~TDeviceContext() = default;

  // Resolution of the device in pixels per inch and its size in pixels.
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  virtual TSize DeviceSize() const = 0;
  // Colour bits per pixel (planes included) and whether bit blocks can be stretched with raster
  // operations, as GetDeviceCaps answers them. Every backend here draws in 32-bit colour and
  // stretches; the call log can be told otherwise.
  virtual int BitsPerPixel() const { return 32; }
  virtual bool CanStretchBlt() const { return true; }

  // State. Objects are passed by value: a backend creates, selects and deletes
  // whatever handles it needs.
  virtual void SelectPen(const TLogPen& Pen) = 0;
  virtual void SelectBrush(const TLogBrush& Brush) = 0;
  virtual void SelectFont(const TLogFont& Font) = 0;
  virtual void SetTextColor(TColorRef Color) = 0;
  virtual void SetBkColor(TColorRef Color) = 0;
  virtual void SetBkMode(int Mode) = 0;
  virtual void SetTextAlign(uint32_t Align) = 0;
  virtual void SetPolyFillMode(int Mode) = 0;
  virtual void SetROP2(int Rop) = 0;
  virtual void SetStretchBltMode(int Mode) = 0;
  // Spreads Extra logical units over the next texts' Count break characters.
  virtual void SetTextJustification(int Extra, int Count) = 0;
  // Logical to device-logical transform (EMF's world transform).
  virtual void SetWorldTransform(const TXForm& XForm) = 0;
  virtual TXForm WorldTransform() const = 0;
  // GM_COMPATIBLE (the default): text stays upright and unmirrored whatever
  // the transform; a mapping that flips one axis turns the escapement the
  // other way on the device (outline fonts rotate with the handedness of the
  // coordinate system). GM_ADVANCED: text follows the transform fully,
  // escapement and orientation taken in logical space.
  virtual void SetGraphicsMode(int Mode) = 0;
  // Returns the saved level (1 for the first save), or 0 when MaxSavedDCs
  // states are already saved (nothing is saved then).
  virtual int SaveDC() = 0;
  // Negative: relative to the current level; positive: that absolute level.
  virtual void RestoreDC(int Level) = 0;

  // Clipping. Rectangles are logical; regions are in device pixels. What is
  // drawn is clipped to the clip and to the meta region; removing the clip
  // (a region nullptr with RGN_COPY) goes back to the meta region alone.
  virtual void IntersectClipRect(const TRect& R) = 0;
  virtual void ExcludeClipRect(const TRect& R) = 0;
  virtual void SelectClipRegion(const TRegion* Region, int Mode) = 0;
  // The meta region becomes its intersection with the clip, and the clip is
  // removed. Saved and restored with the rest of the state. A player calls it
  // first, so nothing a picture does to its clip reaches outside the caller's.
  virtual void SetMetaRgn() = 0;

  // Drawing, logical coordinates.
  virtual void MoveTo(int X, int Y) = 0;
  virtual TPoint CurrentPosition() const = 0;
  virtual void LineTo(int X, int Y) = 0;
  virtual void Rectangle(const TRect& R) = 0;
  virtual void RoundRect(const TRect& R, int CornerW, int CornerH) = 0;
  virtual void Ellipse(const TRect& R) = 0;
  virtual void Arc(const TRect& R, TPoint Start, TPoint End) = 0;
  virtual void Pie(const TRect& R, TPoint Start, TPoint End) = 0;
  virtual void Chord(const TRect& R, TPoint Start, TPoint End) = 0;
  virtual void Polygon(const std::vector<TPoint>& Points) = 0;
  virtual void Polyline(const std::vector<TPoint>& Points) = 0;
  virtual void PolyPolygon(const std::vector<std::vector<TPoint>>& Polygons) = 0;
  virtual void PolyBezier(const std::vector<TPoint>& Points) = 0;
  // From the current position through Points (lines, or Bézier segments of
  // three points each), which ends at the last point. In a path they continue
  // the open figure; the figure ends with MoveTo, CloseFigure or a closed shape.
  virtual void PolylineTo(const std::vector<TPoint>& Points) = 0;
  virtual void PolyBezierTo(const std::vector<TPoint>& Points) = 0;
  // Fills with the given brush, pen and selection untouched (GDI FillRect).
  virtual void FillRect(const TRect& R, const TLogBrush& Brush) = 0;
  virtual void SetPixel(int X, int Y, TColorRef Color) = 0;
  // Backends that cannot read back answer 0xFFFFFFFF (CLR_INVALID).
  virtual TColorRef GetPixel(int X, int Y) const = 0;

  // Text in UTF-16 as EMR_EXTTEXTOUTW carries it. Dx (optional, Text.size()
  // entries) gives each character's advance in logical units.
  virtual void ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                          const int* Dx) = 0;
  // Advances of each character in logical units, the selected font and the
  // current justification applied; the sum is the text extent.
  virtual std::vector<int> CharAdvances(const std::u16string& Text) const = 0;
  virtual TTextMetric TextMetrics() const = 0;

  // Copies Src (a part of the DIB) stretched into Dest with a raster operation.
  virtual void StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) = 0;

  // Paths: between BeginPath and EndPath shapes are collected, not drawn.
  virtual void BeginPath() = 0;
  virtual void EndPath() = 0;
  // Closes the open figure of the path with a line back to its start.
  virtual void CloseFigure() = 0;
  virtual void FillPath() = 0;
  virtual void StrokePath() = 0;
  virtual void StrokeAndFillPath() = 0;
  virtual void SelectClipPath(int Mode) = 0;

  // Text extent of the selected font, justification applied: the sum of CharAdvances and the
  // metrics' height (a backend may find the same faster).
  virtual TSize TextExtent(const std::u16string& Text) const;
};

// Saves the state of a canvas or device context (objects, clip, meta region,
// transform) and restores it on every exit from the scope:
//   auto Saved = SaveDCScope(Canvas);
template <class T>
[[nodiscard]] auto SaveDCScope(T& Target) {
  return TFinally([&Target, Level = Target.SaveDC()] { Target.RestoreDC(Level); });
}
