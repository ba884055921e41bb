#include "platform/graphics/EmfRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsConsts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr uint32_t HeaderSize = 108;  // with the micrometre extension
// The reference screen's size in pixels; its millimetres follow from the ppi.
constexpr TSize ScreenPixels{1920, 1080};
constexpr uint32_t Stock(uint32_t N) { return EmfStockObject | N; }
bool Fits16(const TPoint& P) { return P.X >= -32768 && P.X <= 32767 && P.Y >= -32768 && P.Y <= 32767; }
}  // namespace

TEmfRecorderDC::TEmfRecorderDC(const TRect& Frame, int Ppi)
    : FPpi(Ppi > 0 ? Ppi : ScreenPixelsPerInch()), FDevice(ScreenPixels), FFrame(Frame) {
  FSel = TSelection{Stock(BLACK_PEN), Stock(WHITE_BRUSH), Stock(SYSTEM_FONT)};
  FS.Font.FaceName = "System";
  FS.Font.Height = 16;
  FS.Font.Weight = FW_BOLD;
  FUsed.push_back(true);
  Begin(static_cast<uint32_t>(TEmr::Header));
  Append(HeaderSize - 8);  // completed by Finish
  End();
}

void TEmfRecorderDC::Grow(size_t N) {
  // A page of text is some tens of kilobytes: start at 4 KiB and double.
  FBytes.resize(std::max({FBytes.size() * 2, FSize + N, size_t(4096)}));
}

void TEmfRecorderDC::Begin(uint32_t Type) {
  if (FFinished) throw EInvalidOperation(SMetafileFinished);
  FRecordStart = FSize;
  uint8_t* P = Append(8);
  Put32(P, Type);
}

void TEmfRecorderDC::End() {
  if (FSize % 4) Append(4 - FSize % 4);
  Put32(&FBytes[FRecordStart + 4], static_cast<uint32_t>(FSize - FRecordStart));
  ++FRecords;
}

void TEmfRecorderDC::F32(float V) {
  uint32_t U;
  std::memcpy(&U, &V, 4);
  U32(U);
}
void TEmfRecorderDC::Simple(uint32_t Type, uint32_t Value) {
  Begin(Type);
  U32(Value);
  End();
}

// Bounds are kept in reference-device pixels, inclusive as the header wants.
void TEmfRecorderDC::Touch(double X, double Y) {
  int Dx = static_cast<int>(std::floor(FS.World.MapX(X, Y))), Dy = static_cast<int>(std::floor(FS.World.MapY(X, Y)));
  if (!FHasBounds) {
    FBounds = TRect{Dx, Dy, Dx, Dy};
    FHasBounds = true;
    return;
  }
  FBounds.Left = std::min(FBounds.Left, Dx);
  FBounds.Top = std::min(FBounds.Top, Dy);
  FBounds.Right = std::max(FBounds.Right, Dx);
  FBounds.Bottom = std::max(FBounds.Bottom, Dy);
}

void TEmfRecorderDC::TouchRect(const TRect& R, int Grow) {
  if (FInPath) return;
  TRect N = NormalizedRect(R);
  if (FS.World.IsIdentity()) {
    // The corners as Touch would map them: no transform, whole pixels.
    int X1 = N.Left - Grow, Y1 = N.Top - Grow, X2 = N.Right - 1 + Grow, Y2 = N.Bottom - 1 + Grow;
    TRect Box{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
    if (FHasBounds)
      Box = TRect{std::min(FBounds.Left, Box.Left), std::min(FBounds.Top, Box.Top), std::max(FBounds.Right, Box.Right),
                  std::max(FBounds.Bottom, Box.Bottom)};
    FBounds = Box;
    FHasBounds = true;
    return;
  }
  Touch(N.Left - Grow, N.Top - Grow);
  Touch(N.Right - 1 + Grow, N.Top - Grow);
  Touch(N.Left - Grow, N.Bottom - 1 + Grow);
  Touch(N.Right - 1 + Grow, N.Bottom - 1 + Grow);
}

uint32_t TEmfRecorderDC::NewHandle() {
  for (size_t I = 1; I < FUsed.size(); ++I)
    if (!FUsed[I]) {
      FUsed[I] = true;
      return static_cast<uint32_t>(I);
    }
  FUsed.push_back(true);
  return static_cast<uint32_t>(FUsed.size() - 1);
}

void TEmfRecorderDC::Select(uint32_t Handle) { Simple(static_cast<uint32_t>(TEmr::SelectObject), Handle); }

void TEmfRecorderDC::Release(uint32_t Old) {
  if (Old & EmfStockObject) return;
  auto Holds = [Old](const TSelection& S) { return S.Pen == Old || S.Brush == Old || S.Font == Old; };
  if (Holds(FSel)) return;
  for (const auto& Sv : FSaved)
    if (Holds(Sv.Sel)) return;
  Simple(static_cast<uint32_t>(TEmr::DeleteObject), Old);
  if (Old < FUsed.size()) FUsed[Old] = false;
}

void TEmfRecorderDC::SelectPen(const TLogPen& Pen) {
  if (Pen == FS.Pen) return;
  FS.Pen = Pen;
  uint32_t Old = FSel.Pen, H;
  if ((Pen.Style & 0xF) == PS_NULL) {
    H = Stock(NULL_PEN);
  } else {
    H = NewHandle();
    Begin(static_cast<uint32_t>(TEmr::CreatePen));
    U32(H);
    U32(Pen.Style);
    I32(Pen.Width);
    I32(0);
    U32(Pen.Color);
    End();
  }
  Select(H);
  FSel.Pen = H;
  Release(Old);
}

void TEmfRecorderDC::SelectBrush(const TLogBrush& Brush) {
  if (Brush == FS.Brush) return;
  FS.Brush = Brush;
  uint32_t Old = FSel.Brush, H;
  if (Brush.Style == BS_NULL) {
    H = Stock(NULL_BRUSH);
  } else if (Brush.Style == BS_PATTERN && Brush.Pattern) {
    H = NewHandle();
    PatternBrush(H, *Brush.Pattern);
  } else {
    H = NewHandle();
    Begin(static_cast<uint32_t>(TEmr::CreateBrushIndirect));
    U32(H);
    U32(Brush.Style);
    U32(Brush.Color);
    U32(Brush.Hatch);
    End();
  }
  Select(H);
  FSel.Brush = H;
  Release(Old);
}

// A pattern as GDI records it: a bottom-up DIB after the record's fields, in
// 32 bits, or for a monochrome pattern in one bit with black first.
void TEmfRecorderDC::PatternBrush(uint32_t H, const TBrushPattern& P) {
  uint32_t Bpp = P.Mono ? 1 : 32, W = uint32_t(P.Width), Rows = uint32_t(P.Height);
  uint32_t Stride = (W * Bpp + 31) / 32 * 4, CbBmi = 40 + (P.Mono ? 8 : 0);
  Begin(static_cast<uint32_t>(P.Mono ? TEmr::CreateMonoBrush : TEmr::CreateDIBPatternBrushPt));
  for (uint32_t V : {H, 0u /* DIB_RGB_COLORS */, 32u, CbBmi, 32u + CbBmi, Stride * Rows}) U32(V);
  for (uint32_t V : {40u, W, Rows}) U32(V);
  U16(1);
  U16(static_cast<uint16_t>(Bpp));
  for (uint32_t V : {0u, Stride * Rows, 0u, 0u, P.Mono ? 2u : 0u, 0u}) U32(V);
  if (P.Mono) {
    U32(0);  // black, then white
    U32(0xFFFFFF);
  }
  for (uint32_t Y = Rows; Y-- > 0;) {
    const uint32_t* Row = &P.Pixels[size_t(Y) * W];
    if (P.Mono) {
      std::vector<uint8_t> Bits(Stride);
      for (uint32_t X = 0; X < W; ++X)
        if (Row[X] & 0xFFFFFF) Bits[X >> 3] |= uint8_t(0x80 >> (X & 7));
      for (size_t I = 0; I < Stride; I += 4)
        U32(uint32_t(Bits[I]) | uint32_t(Bits[I + 1]) << 8 | uint32_t(Bits[I + 2]) << 16 | uint32_t(Bits[I + 3]) << 24);
    } else {
      for (uint32_t X = 0; X < W; ++X) U32(Row[X] & 0xFFFFFF);
    }
  }
  End();
}

void TEmfRecorderDC::SelectFont(const TLogFont& Font) {
  if (Font == FS.Font) return;
  FS.Font = Font;
  uint32_t Old = FSel.Font, H = NewHandle();
  Begin(static_cast<uint32_t>(TEmr::ExtCreateFontIndirectW));
  U32(H);
  I32(Font.Height);
  I32(Font.Width);
  I32(Font.Escapement);
  I32(Font.Orientation);
  I32(Font.Weight);
  uint8_t Flags[8] = {uint8_t(Font.Italic), uint8_t(Font.Underline), uint8_t(Font.StrikeOut), Font.CharSet,
                      Font.OutPrecision, Font.ClipPrecision, Font.Quality, Font.PitchAndFamily};
  std::memcpy(Append(8), Flags, 8);
  std::u16string Face = Utf8ToUtf16(Font.FaceName);
  for (int I = 0; I < 32; ++I) U16(I < static_cast<int>(Face.size()) && I < 31 ? Face[I] : 0);
  // The rest of a LogFontPanose (full name, style, version, panose): zeros.
  Append(320 - 92);
  End();
  Select(H);
  FSel.Font = H;
  Release(Old);
}

void TEmfRecorderDC::SetTextColor(TColorRef C) {
  if (C == FS.TextColor) return;
  FS.TextColor = C;
  Simple(static_cast<uint32_t>(TEmr::SetTextColor), C);
}
void TEmfRecorderDC::SetBkColor(TColorRef C) {
  if (C == FS.BkColor) return;
  FS.BkColor = C;
  Simple(static_cast<uint32_t>(TEmr::SetBkColor), C);
}
void TEmfRecorderDC::SetBkMode(int M) {
  if (M == FS.BkMode) return;
  FS.BkMode = M;
  Simple(static_cast<uint32_t>(TEmr::SetBkMode), M);
}
void TEmfRecorderDC::SetTextAlign(uint32_t A) {
  if (A == FS.TextAlign) return;
  FS.TextAlign = A;
  Simple(static_cast<uint32_t>(TEmr::SetTextAlign), A);
}
void TEmfRecorderDC::SetPolyFillMode(int M) {
  if (M == FS.PolyFillMode) return;
  FS.PolyFillMode = M;
  Simple(static_cast<uint32_t>(TEmr::SetPolyFillMode), M);
}
void TEmfRecorderDC::SetROP2(int R) {
  if (R == FS.Rop2) return;
  FS.Rop2 = R;
  Simple(static_cast<uint32_t>(TEmr::SetROP2), R);
}
void TEmfRecorderDC::SetStretchBltMode(int M) {
  if (M == FS.StretchMode) return;
  FS.StretchMode = M;
  Simple(static_cast<uint32_t>(TEmr::SetStretchBltMode), M);
}
// Only measuring changes: every text record already carries its advances.
void TEmfRecorderDC::SetTextJustification(int Extra, int Count) {
  FS.JustExtra = Extra;
  FS.JustCount = Count;
}

void TEmfRecorderDC::SetWorldTransform(const TXForm& X) {
  if (X == FS.World) return;
  FS.World = X;
  Begin(static_cast<uint32_t>(TEmr::SetWorldTransform));
  for (double V : {X.M11, X.M12, X.M21, X.M22, X.Dx, X.Dy}) F32(static_cast<float>(V));
  End();
}

// EMF has no graphics-mode record: each text record carries the mode.
void TEmfRecorderDC::SetGraphicsMode(int Mode) {
  if (Mode == GM_COMPATIBLE || Mode == GM_ADVANCED) FS.GraphicsMode = Mode;
}

int TEmfRecorderDC::SaveDC() {
  if (FSaved.size() >= static_cast<size_t>(MaxSavedDCs)) return 0;
  Begin(static_cast<uint32_t>(TEmr::SaveDC));
  End();
  FSaved.push_back(TSaved{FS, FSel});
  return static_cast<int>(FSaved.size());
}

void TEmfRecorderDC::RestoreDC(int Level) {
  int Count = static_cast<int>(FSaved.size());
  int Target = Level < 0 ? Count + Level + 1 : Level;
  if (Target < 1 || Target > Count) return;
  Simple(static_cast<uint32_t>(TEmr::RestoreDC), static_cast<uint32_t>(Target - Count - 1));
  std::vector<uint32_t> Dropped = {FSel.Pen, FSel.Brush, FSel.Font};
  for (int I = Target; I < Count; ++I)
    for (uint32_t H : {FSaved[I].Sel.Pen, FSaved[I].Sel.Brush, FSaved[I].Sel.Font}) Dropped.push_back(H);
  FS = FSaved[Target - 1].S;
  FSel = FSaved[Target - 1].Sel;
  FSaved.resize(Target - 1);
  std::sort(Dropped.begin(), Dropped.end());
  Dropped.erase(std::unique(Dropped.begin(), Dropped.end()), Dropped.end());
  for (uint32_t H : Dropped) {
    bool Live = !(H & EmfStockObject) && H < FUsed.size() && FUsed[H];
    if (Live) Release(H);
  }
}

void TEmfRecorderDC::IntersectClipRect(const TRect& R) {
  Begin(static_cast<uint32_t>(TEmr::IntersectClipRect));
  RectL(R);
  End();
}

void TEmfRecorderDC::ExcludeClipRect(const TRect& R) {
  Begin(static_cast<uint32_t>(TEmr::ExcludeClipRect));
  RectL(R);
  End();
}

void TEmfRecorderDC::SelectClipRegion(const TRegion* Region, int Mode) {
  Begin(static_cast<uint32_t>(TEmr::ExtSelectClipRgn));
  if (!Region) {
    U32(0);
    U32(static_cast<uint32_t>(Mode));
  } else {
    uint32_t N = static_cast<uint32_t>(Region->Rects.size());
    U32(32 + 16 * N);
    U32(static_cast<uint32_t>(Mode));
    TRect B{};
    for (size_t I = 0; I < Region->Rects.size(); ++I) {
      const TRect& R = Region->Rects[I];
      B = I == 0 ? R
                 : TRect{std::min(B.Left, R.Left), std::min(B.Top, R.Top), std::max(B.Right, R.Right),
                         std::max(B.Bottom, R.Bottom)};
    }
    U32(32);  // RGNDATAHEADER: size, RDH_RECTANGLES, count, rectangle bytes, bounds
    U32(1);
    U32(N);
    U32(16 * N);
    RectL(B);
    for (const TRect& R : Region->Rects) RectL(R);
  }
  End();
}

void TEmfRecorderDC::SetMetaRgn() {
  Begin(static_cast<uint32_t>(TEmr::SetMetaRgn));
  End();
}

void TEmfRecorderDC::MoveTo(int X, int Y) {
  FS.Pos = TPoint{X, Y};
  Begin(static_cast<uint32_t>(TEmr::MoveToEx));
  I32(X);
  I32(Y);
  End();
}

void TEmfRecorderDC::LineTo(int X, int Y) {
  // The end point is not drawn; a wide pen reaches half its width beyond the line.
  TRect Line = NormalizedRect(Rect(FS.Pos.X, FS.Pos.Y, X, Y));
  TouchRect(Rect(Line.Left, Line.Top, Line.Right + (Line.Width() ? 0 : 1), Line.Bottom + (Line.Height() ? 0 : 1)),
            FS.Pen.Width / 2);
  FS.Pos = TPoint{X, Y};
  Begin(static_cast<uint32_t>(TEmr::LineTo));
  I32(X);
  I32(Y);
  End();
}

void TEmfRecorderDC::Rectangle(const TRect& R) {
  bool NoPen = (FS.Pen.Style & 0xF) == PS_NULL;  // then GDI fills one pixel less
  TouchRect(NoPen ? Rect(R.Left, R.Top, R.Right - 1, R.Bottom - 1) : R, NoPen ? 0 : FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::Rectangle));
  RectL(R);
  End();
}

void TEmfRecorderDC::RoundRect(const TRect& R, int CornerW, int CornerH) {
  TouchRect(R, FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::RoundRect));
  RectL(R);
  I32(CornerW);
  I32(CornerH);
  End();
}

void TEmfRecorderDC::Ellipse(const TRect& R) {
  TouchRect(R, FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::Ellipse));
  RectL(R);
  End();
}


void TEmfRecorderDC::Arc(const TRect& R, TPoint Start, TPoint End_) {
  TouchRect(R, FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::Arc));
  RectL(R);
  I32(Start.X), I32(Start.Y), I32(End_.X), I32(End_.Y);
  End();
}
void TEmfRecorderDC::Pie(const TRect& R, TPoint Start, TPoint End_) {
  TouchRect(R, FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::Pie));
  RectL(R);
  I32(Start.X), I32(Start.Y), I32(End_.X), I32(End_.Y);
  End();
}
void TEmfRecorderDC::Chord(const TRect& R, TPoint Start, TPoint End_) {
  TouchRect(R, FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::Chord));
  RectL(R);
  I32(Start.X), I32(Start.Y), I32(End_.X), I32(End_.Y);
  End();
}

TRect TEmfRecorderDC::PointsBounds(const std::vector<TPoint>& Points) const {
  TRect B{Points[0].X, Points[0].Y, Points[0].X, Points[0].Y};
  for (const TPoint& P : Points) {
    B.Left = std::min(B.Left, P.X);
    B.Top = std::min(B.Top, P.Y);
    B.Right = std::max(B.Right, P.X);
    B.Bottom = std::max(B.Bottom, P.Y);
  }
  return B;  // inclusive, as the records' rclBounds
}

// 16-bit points when they fit, as GDI writes them.
void TEmfRecorderDC::Poly(uint32_t Type16, uint32_t Type32, const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  TRect B = PointsBounds(Points);
  TouchRect(Rect(B.Left, B.Top, B.Right + 1, B.Bottom + 1), FS.Pen.Width / 2);
  bool Small = std::all_of(Points.begin(), Points.end(), Fits16);
  Begin(Small ? Type16 : Type32);
  RectL(B);
  U32(static_cast<uint32_t>(Points.size()));
  for (const TPoint& P : Points) {
    if (Small) {
      U16(static_cast<uint16_t>(P.X));
      U16(static_cast<uint16_t>(P.Y));
    } else {
      I32(P.X);
      I32(P.Y);
    }
  }
  End();
}

void TEmfRecorderDC::Polygon(const std::vector<TPoint>& P) {
  Poly(static_cast<uint32_t>(TEmr::Polygon16), static_cast<uint32_t>(TEmr::Polygon), P);
}
void TEmfRecorderDC::Polyline(const std::vector<TPoint>& P) {
  Poly(static_cast<uint32_t>(TEmr::Polyline16), static_cast<uint32_t>(TEmr::Polyline), P);
}
void TEmfRecorderDC::PolyBezier(const std::vector<TPoint>& P) {
  Poly(static_cast<uint32_t>(TEmr::PolyBezier16), static_cast<uint32_t>(TEmr::PolyBezier), P);
}
// The ...To forms start at the current position, which ends at their last point.
void TEmfRecorderDC::PolylineTo(const std::vector<TPoint>& P) {
  if (P.empty()) return;
  TouchRect(Rect(FS.Pos.X, FS.Pos.Y, FS.Pos.X + 1, FS.Pos.Y + 1), FS.Pen.Width / 2);
  Poly(static_cast<uint32_t>(TEmr::PolylineTo16), static_cast<uint32_t>(TEmr::PolylineTo), P);
  FS.Pos = P.back();
}
void TEmfRecorderDC::PolyBezierTo(const std::vector<TPoint>& P) {
  if (P.empty()) return;
  TouchRect(Rect(FS.Pos.X, FS.Pos.Y, FS.Pos.X + 1, FS.Pos.Y + 1), FS.Pen.Width / 2);
  Poly(static_cast<uint32_t>(TEmr::PolyBezierTo16), static_cast<uint32_t>(TEmr::PolyBezierTo), P);
  FS.Pos = P.back();
}

void TEmfRecorderDC::PolyPolygon(const std::vector<std::vector<TPoint>>& Polygons) {
  std::vector<TPoint> All;
  for (const auto& P : Polygons) All.insert(All.end(), P.begin(), P.end());
  if (All.empty()) return;
  bool Small = std::all_of(All.begin(), All.end(), Fits16);
  if (!Small) {  // 32-bit poly-polygons are rare; draw them one by one
    for (const auto& P : Polygons) Polygon(P);
    return;
  }
  TRect B = PointsBounds(All);
  TouchRect(Rect(B.Left, B.Top, B.Right + 1, B.Bottom + 1), FS.Pen.Width / 2);
  Begin(static_cast<uint32_t>(TEmr::PolyPolygon16));
  RectL(B);
  U32(static_cast<uint32_t>(Polygons.size()));
  U32(static_cast<uint32_t>(All.size()));
  for (const auto& P : Polygons) U32(static_cast<uint32_t>(P.size()));
  for (const TPoint& P : All) {
    U16(static_cast<uint16_t>(P.X));
    U16(static_cast<uint16_t>(P.Y));
  }
  End();
}

// GDI's FillRect: recorded as GDI records it, a pattern blit with the brush,
// so that it scales exactly when played stretched.
void TEmfRecorderDC::FillRect(const TRect& R, const TLogBrush& Brush) {
  if (Brush.Style == BS_NULL || R.IsEmpty()) return;
  TLogBrush OldBrush = FS.Brush;
  SelectBrush(Brush);
  StretchDIBits(R, TRect{}, TDibView{}, PATCOPY);
  SelectBrush(OldBrush);
}

void TEmfRecorderDC::SetPixel(int X, int Y, TColorRef Color) {
  TouchRect(Rect(X, Y, X + 1, Y + 1));
  Begin(static_cast<uint32_t>(TEmr::SetPixelV));
  I32(X);
  I32(Y);
  U32(Color);
  End();
}

TTextMetric TEmfRecorderDC::TextMetrics() const { return FontEngine::Metrics(FS.Font); }

TSize TEmfRecorderDC::TextExtent(const std::u16string& Text) const {
  return TSize{FS.TextWidth(Text), FontEngine::Metrics(FS.Font).Height};
}

void TEmfRecorderDC::BeginPath() {
  FInPath = true;
  Begin(static_cast<uint32_t>(TEmr::BeginPath));
  End();
}
void TEmfRecorderDC::EndPath() {
  FInPath = false;
  Begin(static_cast<uint32_t>(TEmr::EndPath));
  End();
}
void TEmfRecorderDC::CloseFigure() {
  Begin(static_cast<uint32_t>(TEmr::CloseFigure));
  End();
}
static const TRect NoBounds{0, 0, -1, -1};
void TEmfRecorderDC::FillPath() {
  Begin(static_cast<uint32_t>(TEmr::FillPath));
  RectL(NoBounds);
  End();
}
void TEmfRecorderDC::StrokePath() {
  Begin(static_cast<uint32_t>(TEmr::StrokePath));
  RectL(NoBounds);
  End();
}
void TEmfRecorderDC::StrokeAndFillPath() {
  Begin(static_cast<uint32_t>(TEmr::StrokeAndFillPath));
  RectL(NoBounds);
  End();
}
void TEmfRecorderDC::SelectClipPath(int Mode) { Simple(static_cast<uint32_t>(TEmr::SelectClipPath), Mode); }
