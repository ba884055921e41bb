#include "ppreport/core/ppRotatedText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppGraphics.h"

namespace {
enum TQuadrant { Q1, Q2, Q3, Q4 };

// Above 0 up to 90, above 90 up to 180, above 180 up to 270; everything else (0 and below, above
// 270) the fourth. The origin alone counts 0 into the first.
TQuadrant QuadrantOf(int Angle, bool ZeroInFirst = false) {
  if (Angle > 0 && Angle <= 90) return Q1;
  if (Angle > 90 && Angle <= 180) return Q2;
  if (Angle > 180 && Angle <= 270) return Q3;
  return ZeroInFirst && Angle == 0 ? Q1 : Q4;
}

int32_t Rounded(double V) {
  if (!std::isfinite(V)) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(Round(std::clamp<long double>(V, -1e18L, 1e18L)),
                                                  std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t Clamped(int64_t V) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Sines, cosines and tangents are used to three decimals, halves to even.
double ThreeDecimals(double V) { return static_cast<double>(Round(static_cast<long double>(V) * 1000)) / 1000; }

// The left-top corner of a box whose size changes by (DW, DH), so that the text keeps its place:
// the corner moves by the change on the sides the text grows toward. Other alignments: false.
bool GrownCorner(TAlignment Alignment, int Angle, int64_t DW, int64_t DH, int64_t& Left, int64_t& Top) {
  const TQuadrant Q = QuadrantOf(Angle);
  switch (Alignment) {
    case taCenter:
      Left -= DW / 2;
      Top -= DH / 2;
      return true;
    case taLeftJustify:
      if (Q == Q2 || Q == Q3) Left -= DW;
      if (Q == Q1 || Q == Q2) Top -= DH;
      return true;
    case taRightJustify:
      if (Q == Q1 || Q == Q4) Left -= DW;
      if (Q == Q3 || Q == Q4) Top -= DH;
      return true;
  }
  return false;
}
}  // namespace

TLogFont TppRotatedText::CreateRotatedFont(const TFont& Font, int Angle) { return ::CreateRotatedFont(Font, Angle); }

void TppRotatedText::CalcTextExtent(TCanvas& Canvas, const std::string& Text, const TFont& Font, int Angle,
                                    TAlignment Alignment, int32_t& TextWidth, int32_t& TextHeight) {
  TextWidth = TextHeight = 0;
  TDeviceContext* Dc = Canvas.Handle();
  if (!Dc) return;
  // The canvas's own objects go in first, so that the state saved and put back is theirs.
  Canvas.RequiredState();
  const int Level = Dc->SaveDC();
  auto Restore = TFinally([&] {
    if (Level) Dc->RestoreDC(Level);
    else Canvas.Refresh();  // no state could be saved: the canvas selects its own again
  });
  Dc->SelectFont(CreateRotatedFont(Font, Angle));
  const uint32_t AlignFormat = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  TRect R{0, 0, 0, 0};
  Canvas.DrawText(Text, R, AlignFormat | DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
  // The rotated font's height came from the font's own resolution: its pixels are the screen's.
  TextWidth = ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(R.Right));
  TextHeight = ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(R.Bottom));
}

TppRotatedTextGeometry TppRotatedText::CalcGeometry(int32_t BoxWidth, int32_t BoxHeight, int32_t TextWidth,
                                                    int32_t TextHeight, const TppBorder* Border, bool AutoSize,
                                                    int Angle) {
  const double A = Angle * std::numbers::pi / 180;
  const double Cos = ThreeDecimals(std::cos(A)), Sin = ThreeDecimals(std::sin(A));
  const double Tan = Cos == 0 ? 0 : ThreeDecimals(std::tan(A));
  const double Wb = BoxWidth, Hb = BoxHeight;
  TppRotatedTextGeometry G;
  G.BoxWidth = BoxWidth;
  G.BoxHeight = BoxHeight;
  const double Hc = TextHeight * Cos, Hs = TextHeight * Sin;
  double Dx = 0, Dy = 0;
  if (AutoSize) {
    G.LineLength = TextWidth;
    Dx = TextWidth * Cos;
    Dy = TextWidth * Sin;
  } else {
    if (Hb >= Wb) {
      // The run goes as far as the width lets it, then is held to the height.
      if (Cos == 0) {
        Dx = 0;
        Dy = Hb;
      } else {
        Dx = Wb - std::abs(Hs);
        Dy = Tan * Dx;
      }
      if (Rounded(std::abs(Hc) + std::abs(Dy)) > Hb) {
        Dy = Hb - std::abs(Hc);
        Dx = Tan == 0 ? 0 : Dy / Tan;
      }
    } else {
      Dy = Hb - std::abs(Hc);
      if (Tan != 0) {
        Dx = Dy / Tan;
      } else if (Sin == 0) {
        Dx = Wb;
        Dy = 0;
      } else {
        Dx = 0;
      }
      if (Rounded(std::abs(Dx) + std::abs(Hs)) > Wb) {
        Dx = Wb - std::abs(Hs);
        Dy = Tan * Dx;
      }
    }
    G.LineLength = Rounded(std::sqrt(Dx * Dx + Dy * Dy));
  }
  G.TextHeight = TextHeight;
  G.HeightCos = Hc;
  G.HeightSin = Hs;
  G.LineDX = Dx;
  G.LineDY = Dy;
  G.SpanWidth = Rounded(std::abs(Dx) + std::abs(Hs));
  G.SpanHeight = Rounded(std::abs(Hc) + std::abs(Dy));
  if (AutoSize) {
    const int64_t Frame = Border && Border->Visible() ? 2 * int64_t{Border->GetmmWeight()} : 0;
    G.BoxWidth = Clamped(G.SpanWidth + Frame);
    G.BoxHeight = Clamped(G.SpanHeight + Frame);
  }
  if (G.LineLength == 0) G.LineLength = G.BoxWidth;
  // An empty box has no run to measure along.
  if (G.LineLength != 0) {
    G.CosRatio = std::abs(Dx) / G.LineLength;
    G.SinRatio = std::abs(Dy) / G.LineLength;
  }
  return G;
}

TPoint TppRotatedText::CalcOrigin(int Angle, int32_t TextWidth, TAlignment Alignment,
                                  const TppRotatedTextGeometry& G, TPoint Offset) {
  const TQuadrant Q = QuadrantOf(Angle, true);
  const int64_t X0 = Offset.X, Y0 = Offset.Y, W = G.BoxWidth, H = G.BoxHeight;
  int64_t X = X0, Y = Y0;
  switch (Q) {
    case Q1: Y = Y0 + H - Rounded(std::abs(G.HeightCos)); break;
    case Q2:
      X = X0 + W - Rounded(std::abs(G.HeightSin));
      Y = Y0 + H;
      break;
    case Q3:
      X = X0 + W;
      Y = Y0 + Rounded(std::abs(G.HeightCos));
      break;
    case Q4: X = X0 + Rounded(std::abs(G.HeightSin)); break;
  }
  if (Alignment == taRightJustify || Alignment == taCenter) {
    // Along the run by what the run has beyond the text (all of it right, half of it centred).
    const double K = Alignment == taRightJustify ? 1 : 2;
    const int64_t Sx = Rounded(std::abs(G.LineDX / K)) - Rounded(TextWidth * G.CosRatio / K);
    const int64_t Sy = Rounded(std::abs(G.LineDY / K)) - Rounded(TextWidth * G.SinRatio / K);
    X += (Q == Q1 || Q == Q4) ? Sx : -Sx;
    Y += (Q == Q3 || Q == Q4) ? Sy : -Sy;
  }
  return TPoint{Clamped(X), Clamped(Y)};
}

void TppRotatedText::CalcAutoSizeBounds(const TppRotatedTextGeometry& G, TAlignment Alignment, int Angle,
                                        int32_t Height, int32_t Width, int32_t Top, int32_t Left,
                                        TppRotatedBounds& Bounds) {
  // The spans alone: a border is drawn inside the bounds.
  int64_t L = Left, T = Top;
  if (!GrownCorner(Alignment, Angle, int64_t{G.SpanWidth} - Width, int64_t{G.SpanHeight} - Height, L, T)) return;
  Bounds = TppRotatedBounds{Clamped(L), Clamped(T), G.SpanWidth, G.SpanHeight};
}

void TppRotatedText::CalcTextOrigin(TCanvas& Canvas, const std::string& Text, TPoint& Origin, const TppBorder* Border,
                                    TAlignment Alignment, bool AutoSize, int Angle, int32_t Height, int32_t Width,
                                    const TFont& Font) {
  int32_t Tw = 0, Th = 0;
  CalcTextExtent(Canvas, Text, Font, Angle, Alignment, Tw, Th);
  const TppRotatedTextGeometry G = CalcGeometry(Width, Height, Tw, Th, Border, AutoSize, Angle);
  Origin = CalcOrigin(Angle, Tw, Alignment, G, TPoint{0, 0});
}

void TppRotatedText::CalcBoundsRect(TCanvas& Canvas, const std::string& Text, TppRotatedBounds& Bounds,
                                    const TppBorder* Border, TAlignment Alignment, bool AutoSize, int Angle,
                                    int32_t Height, int32_t Width, int32_t Top, int32_t Left, const TFont& Font) {
  int32_t Tw = 0, Th = 0;
  CalcTextExtent(Canvas, Text, Font, Angle, Alignment, Tw, Th);
  const TppRotatedTextGeometry G = CalcGeometry(Width, Height, Tw, Th, Border, AutoSize, Angle);
  if (AutoSize) CalcAutoSizeBounds(G, Alignment, Angle, Height, Width, Top, Left, Bounds);
  else Bounds = TppRotatedBounds{Left, Top, Width, Height};
}

void TppRotatedText::AdjustRectForSize(TAlignment Alignment, int Angle, int Left, TRect& Rect, int OldHeight,
                                       int OldWidth, int NewHeight, int NewWidth, int Top) {
  int64_t L = Left, T = Top;
  GrownCorner(Alignment, Angle, int64_t{NewWidth} - OldWidth, int64_t{NewHeight} - OldHeight, L, T);
  Rect.Left = Clamped(L);
  Rect.Top = Clamped(T);
  Rect.Right = Clamped(L + NewWidth);
  Rect.Bottom = Clamped(T + NewHeight);
}

void TppRotatedText::AdjustOriginForSize(TPoint Point, TAlignment Alignment, int Angle, TPoint& NewPoint,
                                         int HeightChange, int WidthChange) {
  const double K = Alignment == taCenter ? 2 : 1;
  const int64_t DW = Rounded(WidthChange / K), DH = Rounded(HeightChange / K);
  const TQuadrant Q = QuadrantOf(Angle);
  const int64_t X = Point.X + ((Q == Q1 || Q == Q4) ? -DW : DW);
  const int64_t Y = Point.Y + ((Q == Q1 || Q == Q2) ? DH : -DH);
  NewPoint = TPoint{Clamped(X), Clamped(Y)};
}

void TppRotatedText::TextOut(TCanvas& Canvas, const TFont& Font, int X, int Y, int Angle, const std::string& Text) {
  TDeviceContext* Dc = Canvas.Handle();
  if (!Dc) return;
  const TBrushStyle Style = Canvas.Brush().Style();
  auto RestoreBrush = TFinally([&] { Canvas.Brush().SetStyle(Style); });
  Canvas.Brush().SetStyle(bsClear);
  Canvas.RequiredState();
  const int Level = Dc->SaveDC();
  auto Restore = TFinally([&] {
    if (Level) Dc->RestoreDC(Level);
    else Canvas.Refresh();
  });
  Dc->SelectFont(CreateRotatedFont(Font, Angle));
  Dc->SetTextAlign(TA_LEFT | TA_TOP);
  Canvas.TextOut(X, Y, Text);
}
