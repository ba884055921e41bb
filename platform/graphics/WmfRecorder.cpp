#include "platform/graphics/WmfRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/graphics/EmfPlayer.h"
#include "platform/rtl/Win1252.h"

namespace {
// Record functions (the low byte numbers the function, the high byte its parameter words).
enum : uint16_t {
  META_EOF = 0x0000, META_SAVEDC = 0x001E, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
  META_SETROP2 = 0x0104, META_SETPOLYFILLMODE = 0x0106, META_SETSTRETCHBLTMODE = 0x0107,
  META_RESTOREDC = 0x0127, META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_DELETEOBJECT = 0x01F0,
  META_SETBKCOLOR = 0x0201, META_SETTEXTCOLOR = 0x0209, META_SETTEXTJUSTIFICATION = 0x020A,
  META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C, META_LINETO = 0x0213, META_MOVETO = 0x0214,
  META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
  META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416,
  META_ELLIPSE = 0x0418, META_RECTANGLE = 0x041B, META_SETPIXEL = 0x041F, META_POLYPOLYGON = 0x0538,
  META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D, META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830,
  META_EXTTEXTOUT = 0x0A32, META_STRETCHDIB = 0x0F43,
};
constexpr int MM_ANISOTROPIC = 8;
constexpr int HeaderBytes = 22 + 18;  // placeable header, then the metafile header

// Clamped before rounding: lround of a value beyond long (a hostile transform) has no defined result.
int16_t Clamp16(double V) {
  if (std::isnan(V)) return 0;
  return static_cast<int16_t>(std::lround(std::clamp(V, -32768.0, 32767.0)));
}

// A cubic Bézier as 16 chords per segment.
std::vector<TPoint> Flatten(TPoint From, const std::vector<TPoint>& Controls) {
  std::vector<TPoint> R;
  for (size_t I = 0; I + 2 < Controls.size() + 0 && I + 3 <= Controls.size(); I += 3) {
    const TPoint P0 = From, P1 = Controls[I], P2 = Controls[I + 1], P3 = Controls[I + 2];
    for (int K = 1; K <= 16; ++K) {
      const double T = K / 16.0, U = 1 - T;
      const double A = U * U * U, B = 3 * U * U * T, C = 3 * U * T * T, D = T * T * T;
      R.push_back({static_cast<int>(std::lround(A * P0.X + B * P1.X + C * P2.X + D * P3.X)),
                   static_cast<int>(std::lround(A * P0.Y + B * P1.Y + C * P2.Y + D * P3.Y))});
    }
    From = P3;
  }
  return R;
}

std::vector<TPoint> EllipsePoints(const TRect& R) {
  std::vector<TPoint> P;
  const double Cx = (R.Left + R.Right) / 2.0, Cy = (R.Top + R.Bottom) / 2.0;
  const double Rx = R.Width() / 2.0, Ry = R.Height() / 2.0;
  for (int K = 0; K < 64; ++K) {
    const double A = K * 2 * M_PI / 64;
    P.push_back({static_cast<int>(std::lround(Cx + Rx * std::cos(A))), static_cast<int>(std::lround(Cy + Ry * std::sin(A)))});
  }
  return P;
}
}  // namespace

TWmfRecorderDC::TWmfRecorderDC(TSize Size, int Inch) : FSize(Size), FInch(Inch) {
  FBytes.resize(HeaderBytes);
  FUsed.clear();
  Begin(META_SETMAPMODE), W16(MM_ANISOTROPIC), End();
  Begin(META_SETWINDOWORG), W16(0), W16(0), End();
  Begin(META_SETWINDOWEXT), W16(Size.cy), W16(Size.cx), End();
  // GDI's defaults as an EMF expects them; WMF players start from their own.
  FSel.Pen = CreatePen(FS.Pen), Select(FSel.Pen);
  FSel.Brush = CreateBrush(FS.Brush), Select(FSel.Brush);
  SelectFont(TLogFont{});
}

void TWmfRecorderDC::Begin(uint16_t Function) {
  FRecordStart = FBytes.size();
  W32(0);
  W16(Function);
}

void TWmfRecorderDC::End() {
  if (FBytes.size() & 1) FBytes.push_back(0);
  const uint32_t Words = static_cast<uint32_t>((FBytes.size() - FRecordStart) / 2);
  for (int I = 0; I < 4; ++I) FBytes[FRecordStart + I] = static_cast<uint8_t>(Words >> (8 * I));
  FMaxRecord = std::max(FMaxRecord, Words);
}

void TWmfRecorderDC::W16(int V) {
  FBytes.push_back(static_cast<uint8_t>(V & 0xFF));
  FBytes.push_back(static_cast<uint8_t>((V >> 8) & 0xFF));
}

void TWmfRecorderDC::W32(uint32_t V) {
  W16(static_cast<int>(V & 0xFFFF));
  W16(static_cast<int>(V >> 16));
}

void TWmfRecorderDC::Words(std::initializer_list<int> Vs) {
  for (int V : Vs) W16(V);
}

TPoint TWmfRecorderDC::Map(int X, int Y) const {
  return {Clamp16(FS.World.MapX(X, Y)), Clamp16(FS.World.MapY(X, Y))};
}

std::vector<TPoint> TWmfRecorderDC::MapAll(const std::vector<TPoint>& Points) const {
  std::vector<TPoint> R;
  R.reserve(Points.size());
  for (auto P : Points) R.push_back(Map(P));
  return R;
}

void TWmfRecorderDC::MapRect(const TRect& R) {
  const TPoint A = Map(R.Left, R.Top), B = Map(R.Right, R.Bottom);
  Words({std::max(A.Y, B.Y), std::max(A.X, B.X), std::min(A.Y, B.Y), std::min(A.X, B.X)});
}

double TWmfRecorderDC::Scale() const {
  return std::sqrt(std::fabs(FS.World.M11 * FS.World.M22 - FS.World.M12 * FS.World.M21));
}

// Objects: WMF numbers them by the first free slot of the player's table.
int TWmfRecorderDC::NewObject() {
  auto It = std::find(FUsed.begin(), FUsed.end(), false);
  const int Slot = static_cast<int>(It - FUsed.begin());
  if (It == FUsed.end())
    FUsed.push_back(true);
  else
    *It = true;
  FMaxObjects = std::max(FMaxObjects, FUsed.size());
  return Slot;
}

void TWmfRecorderDC::Select(int Slot) { Begin(META_SELECTOBJECT), W16(Slot), End(); }

void TWmfRecorderDC::Release(int Old) {
  if (Old < 0) return;
  auto Holds = [Old](const TSelection& S) { return S.Pen == Old || S.Brush == Old || S.Font == Old; };
  if (Holds(FSel)) return;
  for (const auto& Sv : FSaved)
    if (Holds(Sv.Sel)) return;
  Begin(META_DELETEOBJECT), W16(Old), End();
  FUsed[static_cast<size_t>(Old)] = false;
}

int TWmfRecorderDC::CreatePen(const TLogPen& Pen) {
  const int Slot = NewObject();
  const int Width = Pen.Width <= 1 ? Pen.Width : std::max(1, static_cast<int>(std::lround(Pen.Width * Scale())));
  Begin(META_CREATEPENINDIRECT), W16(static_cast<int>(Pen.Style & 0xFF0F)), W16(Width), W16(0), W32(Pen.Color);
  End();
  return Slot;
}

int TWmfRecorderDC::CreateBrush(const TLogBrush& Brush) {
  const int Slot = NewObject();
  // A pattern brush becomes its average colour: WMF's pattern records carry their own bitmap format.
  uint32_t Style = Brush.Style, Color = Brush.Color;
  if (Style == BS_PATTERN) {
    Style = BS_SOLID;
    if (Brush.Pattern && !Brush.Pattern->Pixels.empty()) {
      uint64_t R = 0, G = 0, B = 0;
      for (uint32_t P : Brush.Pattern->Pixels) R += (P >> 16) & 0xFF, G += (P >> 8) & 0xFF, B += P & 0xFF;
      const uint64_t N = Brush.Pattern->Pixels.size();
      Color = static_cast<uint32_t>(R / N | (G / N) << 8 | (B / N) << 16);
    }
  }
  Begin(META_CREATEBRUSHINDIRECT), W16(static_cast<int>(Style)), W32(Color & 0xFFFFFF),
      W16(static_cast<int>(Brush.Hatch)), End();
  return Slot;
}

void TWmfRecorderDC::SelectPen(const TLogPen& Pen) {
  if (Pen == FS.Pen) return;
  FS.Pen = Pen;
  const int Old = FSel.Pen;
  FSel.Pen = CreatePen(Pen);
  Select(FSel.Pen);
  Release(Old);
}

void TWmfRecorderDC::SelectBrush(const TLogBrush& Brush) {
  if (Brush == FS.Brush) return;
  FS.Brush = Brush;
  const int Old = FSel.Brush;
  FSel.Brush = CreateBrush(Brush);
  Select(FSel.Brush);
  Release(Old);
}

void TWmfRecorderDC::SelectFont(const TLogFont& Font) {
  if (Font == FS.Font && FSel.Font >= 0) return;
  FS.Font = Font;
  WriteFont();
}

// The font object at the present scale: the file has no transform to size it.
void TWmfRecorderDC::WriteFont() {
  const TLogFont& Font = FS.Font;
  const int Old = FSel.Font;
  FSel.Font = NewObject();
  const double S = std::fabs(FS.World.M22) > 0 ? std::fabs(FS.World.M22) : Scale();
  Begin(META_CREATEFONTINDIRECT);
  Words({Clamp16(Font.Height * S), Clamp16(Font.Width * std::fabs(FS.World.M11)), Font.Escapement, Font.Orientation,
         Font.Weight});
  for (uint8_t B : {static_cast<uint8_t>(Font.Italic), static_cast<uint8_t>(Font.Underline),
                    static_cast<uint8_t>(Font.StrikeOut), Font.CharSet, Font.OutPrecision, Font.ClipPrecision,
                    Font.Quality, Font.PitchAndFamily})
    FBytes.push_back(B);
  std::string Face = Utf8ToWin1252(Font.FaceName);
  Face.resize(31);
  Face.push_back('\0');
  FBytes.insert(FBytes.end(), Face.begin(), Face.end());
  End();
  Select(FSel.Font);
  Release(Old);
}

void TWmfRecorderDC::SetTextColor(TColorRef Color) {
  FS.TextColor = Color;
  Begin(META_SETTEXTCOLOR), W32(Color & 0xFFFFFF), End();
}
void TWmfRecorderDC::SetBkColor(TColorRef Color) {
  FS.BkColor = Color;
  Begin(META_SETBKCOLOR), W32(Color & 0xFFFFFF), End();
}
void TWmfRecorderDC::SetBkMode(int Mode) {
  FS.BkMode = Mode;
  Begin(META_SETBKMODE), W16(Mode), End();
}
void TWmfRecorderDC::SetTextAlign(uint32_t Align) {
  FS.TextAlign = Align;
  Begin(META_SETTEXTALIGN), W16(static_cast<int>(Align)), End();
}
void TWmfRecorderDC::SetPolyFillMode(int Mode) {
  FS.PolyFillMode = Mode;
  Begin(META_SETPOLYFILLMODE), W16(Mode), End();
}
void TWmfRecorderDC::SetROP2(int Rop) {
  FS.Rop2 = Rop;
  Begin(META_SETROP2), W16(Rop), End();
}
void TWmfRecorderDC::SetStretchBltMode(int Mode) {
  FS.StretchMode = Mode;
  Begin(META_SETSTRETCHBLTMODE), W16(Mode), End();
}
void TWmfRecorderDC::SetTextJustification(int Extra, int Count) {
  FS.JustExtra = Extra, FS.JustCount = Count;
  Begin(META_SETTEXTJUSTIFICATION), W16(Count), W16(Clamp16(Extra * std::fabs(FS.World.M11))), End();
}

void TWmfRecorderDC::SetWorldTransform(const TXForm& XForm) {
  // The file has no transform: coordinates are mapped as they come, and the font's size with them.
  const bool Rescaled = XForm.M11 != FS.World.M11 || XForm.M22 != FS.World.M22;
  FS.World = XForm;
  if (Rescaled && FSel.Font >= 0) WriteFont();
}

int TWmfRecorderDC::SaveDC() {
  if (FSaved.size() >= static_cast<size_t>(MaxSavedDCs)) return 0;
  Begin(META_SAVEDC), End();
  FSaved.push_back(TSaved{FS, FSel});
  return static_cast<int>(FSaved.size());
}

void TWmfRecorderDC::RestoreDC(int Level) {
  const int Count = static_cast<int>(FSaved.size());
  const int Target = Level < 0 ? Count + Level + 1 : Level;
  if (Target < 1 || Target > Count) return;
  Begin(META_RESTOREDC), W16(Target - Count - 1), End();
  const TSelection Current = FSel;
  FS = FSaved[static_cast<size_t>(Target - 1)].S;
  FSel = FSaved[static_cast<size_t>(Target - 1)].Sel;
  FSaved.resize(static_cast<size_t>(Target - 1));
  Release(Current.Pen), Release(Current.Brush), Release(Current.Font);
}

void TWmfRecorderDC::IntersectClipRect(const TRect& R) { Begin(META_INTERSECTCLIPRECT), MapRect(R), End(); }
void TWmfRecorderDC::ExcludeClipRect(const TRect& R) { Begin(META_EXCLUDECLIPRECT), MapRect(R), End(); }

void TWmfRecorderDC::SelectClipRegion(const TRegion* Region, int Mode) {
  // Regions are device units already. WMF regions are seldom read right by players: a region
  // that narrows the clip becomes its bounding rectangle; widening it is left out.
  if (!Region || Region->Rects.empty() || Mode != RGN_AND) return;
  TRect B = Region->Rects.front();
  for (const auto& R : Region->Rects)
    B = {std::min(B.Left, R.Left), std::min(B.Top, R.Top), std::max(B.Right, R.Right), std::max(B.Bottom, R.Bottom)};
  Begin(META_INTERSECTCLIPRECT), Words({Clamp16(B.Bottom), Clamp16(B.Right), Clamp16(B.Top), Clamp16(B.Left)}), End();
}

void TWmfRecorderDC::MoveTo(int X, int Y) {
  FS.Pos = {X, Y};
  if (FInPath) {
    FPath.push_back({{Map(X, Y)}, false});
    return;
  }
  const TPoint P = Map(X, Y);
  Begin(META_MOVETO), W16(P.Y), W16(P.X), End();
}

void TWmfRecorderDC::LineTo(int X, int Y) {
  if (FInPath) {
    if (FPath.empty() || FPath.back().Closed) FPath.push_back({{Map(FS.Pos)}, false});
    FPath.back().Points.push_back(Map(X, Y));
    FS.Pos = {X, Y};
    return;
  }
  FS.Pos = {X, Y};
  const TPoint P = Map(X, Y);
  Begin(META_LINETO), W16(P.Y), W16(P.X), End();
}

void TWmfRecorderDC::PathFigure(std::vector<TPoint> Logical, bool Closed) {
  FPath.push_back({MapAll(Logical), Closed});
}

void TWmfRecorderDC::Rectangle(const TRect& R) {
  if (FInPath) return PathFigure({{R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}}, true);
  Begin(META_RECTANGLE), MapRect(R), End();
}

void TWmfRecorderDC::RoundRect(const TRect& R, int CornerW, int CornerH) {
  if (FInPath) return Rectangle(R);
  Begin(META_ROUNDRECT), W16(Clamp16(CornerH * std::fabs(FS.World.M22))), W16(Clamp16(CornerW * std::fabs(FS.World.M11)));
  MapRect(R), End();
}

void TWmfRecorderDC::Ellipse(const TRect& R) {
  if (FInPath) return PathFigure(EllipsePoints(R), true);
  Begin(META_ELLIPSE), MapRect(R), End();
}

void TWmfRecorderDC::Arc(const TRect& R, TPoint Start, TPoint End_) {
  const TPoint S = Map(Start), E = Map(End_);
  Begin(META_ARC), Words({E.Y, E.X, S.Y, S.X}), MapRect(R), End();
}
void TWmfRecorderDC::Pie(const TRect& R, TPoint Start, TPoint End_) {
  const TPoint S = Map(Start), E = Map(End_);
  Begin(META_PIE), Words({E.Y, E.X, S.Y, S.X}), MapRect(R), End();
}
void TWmfRecorderDC::Chord(const TRect& R, TPoint Start, TPoint End_) {
  const TPoint S = Map(Start), E = Map(End_);
  Begin(META_CHORD), Words({E.Y, E.X, S.Y, S.X}), MapRect(R), End();
}

void TWmfRecorderDC::PolyRecord(uint16_t Function, const std::vector<TPoint>& Mapped) {
  // A record counts its points in 16 bits.
  for (size_t From = 0; From < Mapped.size(); From += 16000) {
    const size_t N = std::min<size_t>(16000, Mapped.size() - From);
    Begin(Function), W16(static_cast<int>(N));
    for (size_t I = From; I < From + N; ++I) W16(Mapped[I].X), W16(Mapped[I].Y);
    End();
  }
}

void TWmfRecorderDC::Polygon(const std::vector<TPoint>& Points) {
  if (FInPath) return PathFigure(Points, true);
  PolyRecord(META_POLYGON, MapAll(Points));
}

void TWmfRecorderDC::Polyline(const std::vector<TPoint>& Points) {
  if (FInPath) return PathFigure(Points, false);
  PolyRecord(META_POLYLINE, MapAll(Points));
}

void TWmfRecorderDC::PolyPolygon(const std::vector<std::vector<TPoint>>& Polygons) {
  if (FInPath) {
    for (const auto& P : Polygons) PathFigure(P, true);
    return;
  }
  size_t Total = 0;
  for (const auto& P : Polygons) Total += P.size();
  if (Polygons.size() > 8000 || Total > 16000) {
    for (const auto& P : Polygons) Polygon(P);
    return;
  }
  Begin(META_POLYPOLYGON), W16(static_cast<int>(Polygons.size()));
  for (const auto& P : Polygons) W16(static_cast<int>(P.size()));
  for (const auto& P : Polygons)
    for (auto Q : P) {
      const TPoint M = Map(Q);
      W16(M.X), W16(M.Y);
    }
  End();
}

void TWmfRecorderDC::PolyBezier(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  std::vector<TPoint> Line{Points.front()};
  const auto Rest = Flatten(Points.front(), std::vector<TPoint>(Points.begin() + 1, Points.end()));
  Line.insert(Line.end(), Rest.begin(), Rest.end());
  Polyline(Line);
}

void TWmfRecorderDC::PolylineTo(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  if (FInPath) {
    if (FPath.empty() || FPath.back().Closed) FPath.push_back({{Map(FS.Pos)}, false});
    for (auto P : Points) FPath.back().Points.push_back(Map(P));
    FS.Pos = Points.back();
    return;
  }
  std::vector<TPoint> Line{FS.Pos};
  Line.insert(Line.end(), Points.begin(), Points.end());
  PolyRecord(META_POLYLINE, MapAll(Line));
  MoveTo(Points.back().X, Points.back().Y);
}

void TWmfRecorderDC::PolyBezierTo(const std::vector<TPoint>& Points) {
  const size_t Whole = Points.size() / 3 * 3;
  if (Whole == 0) return;
  PolylineTo(Flatten(FS.Pos, std::vector<TPoint>(Points.begin(), Points.begin() + static_cast<long>(Whole))));
  FS.Pos = Points[Whole - 1];
}

void TWmfRecorderDC::FillRect(const TRect& R, const TLogBrush& Brush) {
  const int Temp = CreateBrush(Brush);
  Select(Temp);
  PatBlt(R, PATCOPY);
  Select(FSel.Brush);
  Begin(META_DELETEOBJECT), W16(Temp), End();
  FUsed[static_cast<size_t>(Temp)] = false;
}

void TWmfRecorderDC::SetPixel(int X, int Y, TColorRef Color) {
  const TPoint P = Map(X, Y);
  Begin(META_SETPIXEL), W32(Color & 0xFFFFFF), W16(P.Y), W16(P.X), End();
}

void TWmfRecorderDC::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                                const int* Dx) {
  if (Text.size() > 8000) return ExtTextOut(X, Y, Options, R, Text.substr(0, 8000), Dx);
  const TPoint P = Map(X, Y);
  std::string Bytes;
  for (char16_t U : Text) {
    const int B = CodePointToWin1252(U);
    Bytes += B >= 0 ? static_cast<char>(B) : '?';
  }
  const std::vector<int> Adv = Dx ? std::vector<int>(Dx, Dx + Text.size()) : FS.Advances(Text);
  const uint32_t Opts = Options & (ETO_OPAQUE | ETO_CLIPPED);
  Begin(META_EXTTEXTOUT), W16(P.Y), W16(P.X), W16(static_cast<int>(Bytes.size())), W16(static_cast<int>(Opts));
  if (Opts) {  // left, top, right, bottom
    const TPoint A = R ? Map(R->Left, R->Top) : TPoint{}, B = R ? Map(R->Right, R->Bottom) : TPoint{};
    Words({std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)});
  }
  FBytes.insert(FBytes.end(), Bytes.begin(), Bytes.end());
  if (Bytes.size() & 1) FBytes.push_back(0);
  // Advances through the transform, rounded on their running sums so the line does not drift. Each
  // is one 16-bit word: a step beyond it is clamped, and the next ones count from where the glyph
  // was really placed.
  double Sum = 0, Placed = 0;
  for (int A : Adv) {
    Sum += A * FS.World.M11;
    const int16_t Step = Clamp16(std::round(Sum) - Placed);
    W16(Step);
    Placed += Step;
  }
  End();
  if (FS.TextAlign & TA_UPDATECP) {
    int64_t Total = FS.Pos.X;
    for (int A : Adv) Total += A;
    FS.Pos.X = static_cast<int>(std::clamp<int64_t>(Total, INT32_MIN, INT32_MAX));
  }
}

TTextMetric TWmfRecorderDC::TextMetrics() const { return FontEngine::Metrics(FS.Font); }

void TWmfRecorderDC::PatBlt(const TRect& R, uint32_t Rop) {
  const TPoint A = Map(R.Left, R.Top), B = Map(R.Right, R.Bottom);
  if (Rop != PATCOPY && Rop != BLACKNESS && Rop != WHITENESS) {
    Begin(META_PATBLT), W32(Rop);
    Words({std::abs(B.Y - A.Y), std::abs(B.X - A.X), std::min(A.Y, B.Y), std::min(A.X, B.X)});
    End();
    return;
  }
  // A fill is written as a rectangle without outline, which every reader draws (not all play
  // pattern blits); without a pen GDI leaves out the right and bottom edge, hence the one unit.
  const int NullPen = CreatePen(TLogPen{PS_NULL, 0, 0});
  Select(NullPen);
  int Brush = -1;
  if (Rop != PATCOPY) {
    Brush = CreateBrush(TLogBrush{BS_SOLID, Rop == BLACKNESS ? 0u : 0xFFFFFFu, 0, nullptr});
    Select(Brush);
  }
  Begin(META_RECTANGLE);
  Words({std::max(A.Y, B.Y) + 1, std::max(A.X, B.X) + 1, std::min(A.Y, B.Y), std::min(A.X, B.X)});
  End();
  Select(FSel.Pen);
  Begin(META_DELETEOBJECT), W16(NullPen), End();
  FUsed[static_cast<size_t>(NullPen)] = false;
  if (Brush >= 0) {
    Select(FSel.Brush);
    Begin(META_DELETEOBJECT), W16(Brush), End();
    FUsed[static_cast<size_t>(Brush)] = false;
  }
}

void TWmfRecorderDC::StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) {
  // Without a bitmap it is a blit of the brush or a constant (GDI's PatBlt).
  if (!Dib.Pixels) return PatBlt(Dest, Rop);
  if (Dib.Width <= 0 || Dib.Height <= 0) return;
  const uint32_t Stride = (static_cast<uint32_t>(Dib.Width) * 3 + 3) & ~3u;
  const uint64_t ImageSize = static_cast<uint64_t>(Stride) * static_cast<uint32_t>(Dib.Height);
  if (ImageSize > (1u << 30)) return;
  const TPoint A = Map(Dest.Left, Dest.Top), B = Map(Dest.Right, Dest.Bottom);
  Begin(META_STRETCHDIB), W32(Rop), W16(0 /* DIB_RGB_COLORS */);
  // The source's y counts from the bottom row of a bottom-up bitmap.
  Words({Src.Height(), Src.Width(), Dib.Height - Src.Bottom, Src.Left, B.Y - A.Y, B.X - A.X, A.Y, A.X});
  W32(40), W32(static_cast<uint32_t>(Dib.Width)), W32(static_cast<uint32_t>(Dib.Height)), W16(1), W16(24), W32(0),
      W32(static_cast<uint32_t>(ImageSize)), W32(0), W32(0), W32(0), W32(0);
  for (int Y = Dib.Height - 1; Y >= 0; --Y) {
    const uint32_t* Row = Dib.Pixels + static_cast<size_t>(Y) * static_cast<size_t>(Dib.Width);
    for (int X = 0; X < Dib.Width; ++X) {
      uint32_t P = Row[X];
      if (Dib.HasAlpha) {  // over white, as the page is
        const uint32_t Al = P >> 24;
        auto Mix = [Al](uint32_t C) { return (C * Al + 255 * (255 - Al)) / 255; };
        P = Mix(P & 0xFF) | Mix((P >> 8) & 0xFF) << 8 | Mix((P >> 16) & 0xFF) << 16;
      }
      FBytes.push_back(static_cast<uint8_t>(P & 0xFF));
      FBytes.push_back(static_cast<uint8_t>((P >> 8) & 0xFF));
      FBytes.push_back(static_cast<uint8_t>((P >> 16) & 0xFF));
    }
    FBytes.insert(FBytes.end(), Stride - static_cast<uint32_t>(Dib.Width) * 3, 0);
  }
  End();
}

void TWmfRecorderDC::BeginPath() {
  FPath.clear();
  FInPath = true;
}

void TWmfRecorderDC::CloseFigure() {
  if (!FPath.empty()) FPath.back().Closed = true;
}

void TWmfRecorderDC::DrawPath(bool Fill, bool Stroke) {
  std::vector<TFigure> Path;
  Path.swap(FPath);
  if (Fill) {
    // Points are WMF units already: written as they stand.
    const int PenSlot = FSel.Pen;
    int NullPen = -1;
    if (!Stroke) {
      NullPen = CreatePen(TLogPen{PS_NULL, 0, 0});
      Select(NullPen);
    }
    for (const auto& F : Path)
      if (F.Points.size() >= 3) {
        Begin(META_POLYGON), W16(static_cast<int>(std::min<size_t>(F.Points.size(), 16000)));
        for (size_t I = 0; I < std::min<size_t>(F.Points.size(), 16000); ++I) W16(F.Points[I].X), W16(F.Points[I].Y);
        End();
      }
    if (NullPen >= 0) {
      Select(PenSlot);
      Begin(META_DELETEOBJECT), W16(NullPen), End();
      FUsed[static_cast<size_t>(NullPen)] = false;
    }
    if (Stroke) return;
  }
  if (Stroke)
    for (auto F : Path) {
      if (F.Closed && !F.Points.empty()) F.Points.push_back(F.Points.front());
      if (F.Points.size() < 2) continue;
      Begin(META_POLYLINE), W16(static_cast<int>(std::min<size_t>(F.Points.size(), 16000)));
      for (size_t I = 0; I < std::min<size_t>(F.Points.size(), 16000); ++I) W16(F.Points[I].X), W16(F.Points[I].Y);
      End();
    }
}

void TWmfRecorderDC::FillPath() { DrawPath(true, false); }
void TWmfRecorderDC::StrokePath() { DrawPath(false, true); }
void TWmfRecorderDC::StrokeAndFillPath() { DrawPath(true, true); }

std::vector<uint8_t> TWmfRecorderDC::Finish() {
  if (FFinished) return FBytes;
  Begin(META_EOF), End();
  FFinished = true;
  auto Put16 = [this](size_t At, int V) {
    FBytes[At] = static_cast<uint8_t>(V & 0xFF);
    FBytes[At + 1] = static_cast<uint8_t>((V >> 8) & 0xFF);
  };
  auto Put32 = [&](size_t At, uint32_t V) { Put16(At, static_cast<int>(V & 0xFFFF)), Put16(At + 2, static_cast<int>(V >> 16)); };
  // Placeable header: key, handle, bounding box, units per inch, reserved, checksum of the ten words before it.
  Put32(0, 0x9AC6CDD7u), Put16(4, 0), Put16(6, 0), Put16(8, 0), Put16(10, FSize.cx), Put16(12, FSize.cy),
      Put16(14, FInch), Put32(16, 0);
  uint16_t Sum = 0;
  for (size_t I = 0; I < 20; I += 2) Sum ^= static_cast<uint16_t>(FBytes[I] | FBytes[I + 1] << 8);
  Put16(20, Sum);
  // The metafile header: in memory, nine words, version 3.
  Put16(22, 1), Put16(24, 9), Put16(26, 0x0300), Put32(28, static_cast<uint32_t>((FBytes.size() - 22) / 2)),
      Put16(32, static_cast<int>(FMaxObjects)), Put32(34, FMaxRecord), Put16(38, 0);
  return FBytes;
}

std::vector<uint8_t> EmfToWmf(const std::vector<uint8_t>& Emf, int MMWidth, int MMHeight) {
  MMWidth = std::max(MMWidth, 1), MMHeight = std::max(MMHeight, 1);
  const int Largest = std::max(MMWidth, MMHeight);
  const int Inch = static_cast<int>(std::clamp<int64_t>(int64_t{32767} * 2540 / Largest, 1, 1440));
  const TSize Size{static_cast<int>(int64_t{MMWidth} * Inch / 2540), static_cast<int>(int64_t{MMHeight} * Inch / 2540)};
  TWmfRecorderDC Dc(Size, Inch);
  PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), TRect{0, 0, Size.cx, Size.cy});
  return Dc.Finish();
}
