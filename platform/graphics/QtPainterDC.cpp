#include "platform/graphics/QtPainterDC.h"

#include <QPainterPath>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/QtPainterImpl.h"
#include "platform/graphics/QtSupport.h"

TQtPainterDC::TQtPainterDC(QPaintDevice* Device, int PpiX, int PpiY) : D(std::make_unique<Impl>()) {
  QtSupport::RequireGraphics();
  D->Dev = Device;
  D->PpiX = PpiX;
  D->PpiY = PpiY;
  D->Own.begin(Device);
  D->P = &D->Own;
  D->P->setRenderHint(QPainter::Antialiasing, false);
  D->P->setRenderHint(QPainter::TextAntialiasing, true);
}

TQtPainterDC::TQtPainterDC(QPainter* ActivePainter, int PpiX, int PpiY) : D(std::make_unique<Impl>()) {
  QtSupport::RequireGraphics();
  D->Dev = ActivePainter->device();
  D->P = ActivePainter;
  D->OwnsPainter = false;
  D->PpiX = PpiX;
  D->PpiY = PpiY;
  D->P->save();
  D->P->setRenderHint(QPainter::Antialiasing, false);
  if (D->P->hasClipping()) {
    D->Meta = D->P->clipRegion();
    D->HasMeta = true;
  }
}

TQtPainterDC::~TQtPainterDC() { End(); }

void TQtPainterDC::End() {
  if (!D->P) return;
  if (D->OwnsPainter) D->Own.end();
  else D->P->restore();
  D->P = nullptr;
}

QPainter* TQtPainterDC::Painter() { return D->P; }
int TQtPainterDC::PixelsPerInchX() const { return D->PpiX; }
int TQtPainterDC::PixelsPerInchY() const { return D->PpiY; }
TSize TQtPainterDC::DeviceSize() const { return D->Dev ? TSize{D->Dev->width(), D->Dev->height()} : TSize{}; }

void TQtPainterDC::SelectPen(const TLogPen& Pen) { D->S.Pen = Pen; }
void TQtPainterDC::SelectBrush(const TLogBrush& Brush) { D->S.Brush = Brush; }
void TQtPainterDC::SelectFont(const TLogFont& Font) { D->S.Font = Font; }
void TQtPainterDC::SetTextColor(TColorRef Color) { D->S.TextColor = Color; }
void TQtPainterDC::SetBkColor(TColorRef Color) { D->S.BkColor = Color; }
void TQtPainterDC::SetBkMode(int Mode) { D->S.BkMode = Mode; }
void TQtPainterDC::SetTextAlign(uint32_t Align) { D->S.TextAlign = Align; }
void TQtPainterDC::SetPolyFillMode(int Mode) { D->S.PolyFillMode = Mode; }
void TQtPainterDC::SetROP2(int Rop) { D->S.Rop2 = Rop; }
void TQtPainterDC::SetStretchBltMode(int Mode) { D->S.StretchMode = Mode; }
void TQtPainterDC::SetTextJustification(int Extra, int Count) {
  D->S.JustExtra = Extra;
  D->S.JustCount = Count;
}
void TQtPainterDC::SetWorldTransform(const TXForm& XForm) { D->S.World = XForm; }
TXForm TQtPainterDC::WorldTransform() const { return D->S.World; }

void TQtPainterDC::SetGraphicsMode(int Mode) {
  if (Mode == GM_COMPATIBLE || Mode == GM_ADVANCED) D->S.GraphicsMode = Mode;
}

int TQtPainterDC::SaveDC() { return D->Stack.Push(D->Saved()); }

void TQtPainterDC::RestoreDC(int Level) {
  TQtSaved Saved = D->Saved();
  if (!D->Stack.Pop(Level, Saved)) return;
  D->S = Saved.S;
  D->Clip = Saved.Clip;
  D->Meta = Saved.Meta;
  D->HasClip = Saved.HasClip;
  D->HasMeta = Saved.HasMeta;
  D->ApplyClip();
}

static const QRect kEverything(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

void TQtPainterDC::Impl::ApplyClip() {
  if (!P) return;
  if (HasClip && HasMeta) P->setClipRegion(Clip.intersected(Meta));
  else if (HasClip || HasMeta) P->setClipRegion(HasClip ? Clip : Meta);
  else P->setClipping(false);
}

void TQtPainterDC::SetMetaRgn() {
  if (!D->HasClip) return;  // no clip: the meta region stays as it is
  D->Meta = D->HasMeta ? D->Meta.intersected(D->Clip) : D->Clip;
  D->HasMeta = true;
  D->Clip = QRegion();
  D->HasClip = false;
  D->ApplyClip();
}

void TQtPainterDC::IntersectClipRect(const TRect& R) {
  QRegion Rg(D->MapRect(R));
  D->Clip = D->HasClip ? D->Clip.intersected(Rg) : Rg;
  D->HasClip = true;
  D->ApplyClip();
}

void TQtPainterDC::ExcludeClipRect(const TRect& R) {
  QRegion Rg(D->MapRect(R));
  D->Clip = (D->HasClip ? D->Clip : QRegion(kEverything)).subtracted(Rg);
  D->HasClip = true;
  D->ApplyClip();
}

static QRegion Combine(const QRegion& Old, bool HasOld, const QRegion& New, int Mode, bool& HasClip) {
  QRegion Base = HasOld ? Old : QRegion(kEverything);
  HasClip = true;
  switch (Mode) {
    case RGN_AND: return Base.intersected(New);
    case RGN_OR:
      if (!HasOld) HasClip = false;
      return Base.united(New);
    case RGN_XOR: return Base.xored(New);
    case RGN_DIFF: return Base.subtracted(New);
    default: return New;
  }
}

void TQtPainterDC::SelectClipRegion(const TRegion* Region, int Mode) {
  if (!Region) {
    if (Mode == RGN_COPY) {
      D->HasClip = false;
      D->Clip = QRegion();
      D->ApplyClip();
    }
    return;
  }
  QRegion New;
  for (const TRect& R : Region->Rects) {
    int L = ClampToPixel(R.Left), T = ClampToPixel(R.Top), Rt = ClampToPixel(R.Right), B = ClampToPixel(R.Bottom);
    if (Rt > L && B > T) New += QRect(L, T, Rt - L, B - T);
  }
  D->Clip = Combine(D->Clip, D->HasClip, New, Mode, D->HasClip);
  D->ApplyClip();
}

namespace {
// One polygon cut to a rectangle, edge by edge (Sutherland-Hodgman) in doubles: inside the
// rectangle every point keeps its winding number, so either fill rule gives the same area there.
QPolygonF ClipToRect(const QPolygonF& In, const QRectF& R) {
  QPolygonF Out;
  for (const QPointF& P : In)
    if (std::isfinite(P.x()) && std::isfinite(P.y())) Out << P;
  auto Side = [&Out](auto Inside, auto Cross) {
    QPolygonF Kept;
    for (qsizetype I = 0, N = Out.size(); I < N; ++I) {
      const QPointF A = Out[(I + N - 1) % N], B = Out[I];
      const bool InA = Inside(A), InB = Inside(B);
      if (InA != InB) Kept << Cross(A, B);
      if (InB) Kept << B;
    }
    Out.swap(Kept);
  };
  auto AtX = [](double X) {
    return [X](QPointF A, QPointF B) { return QPointF(X, A.y() + (B.y() - A.y()) * ((X - A.x()) / (B.x() - A.x()))); };
  };
  auto AtY = [](double Y) {
    return [Y](QPointF A, QPointF B) { return QPointF(A.x() + (B.x() - A.x()) * ((Y - A.y()) / (B.y() - A.y())), Y); };
  };
  Side([&](QPointF P) { return P.x() >= R.left(); }, AtX(R.left()));
  Side([&](QPointF P) { return P.x() <= R.right(); }, AtX(R.right()));
  Side([&](QPointF P) { return P.y() >= R.top(); }, AtY(R.top()));
  Side([&](QPointF P) { return P.y() <= R.bottom(); }, AtY(R.bottom()));
  return Out;
}
}  // namespace

void TQtPainterDC::SelectClipPath(int Mode) {
  // A region is built scan line by scan line: a path reaching far beyond the device (a damaged
  // file's) would take seconds and gigabytes, and the path's own intersection loses itself in
  // coordinates of 1e15. Only what lies near the device can be painted, so each figure is cut to
  // that first, then joined as QPainterPath::toFillPolygon joins them (back and forth to the first
  // point, which cancels out).
  QPainterPath Path = D->Path;
  D->Path = QPainterPath();
  TSize Size = DeviceSize();
  int W = std::max(Size.cx, 1), H = std::max(Size.cy, 1);
  const QRectF Near(-W, -H, 3.0 * W, 3.0 * H);
  QPolygonF Fill;
  for (const QPolygonF& Figure : Path.toSubpathPolygons()) {
    QPolygonF Cut = ClipToRect(Figure, Near);
    if (Cut.isEmpty()) continue;
    const QPointF First = Fill.isEmpty() ? Cut.first() : Fill.first();
    const bool Joined = !Fill.isEmpty();
    Fill += Cut;
    Fill << Cut.first();
    if (Joined) Fill << First;
  }
  QRegion New(Fill.toPolygon(), D->S.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  D->Clip = Combine(D->Clip, D->HasClip, New, Mode, D->HasClip);
  D->ApplyClip();
}

QPen TQtPainterDC::Impl::MakePen() const {
  if (NullPen()) return QPen(Qt::NoPen);
  QPen Pen(ToQColor(S.Pen.Color));
  static const Qt::PenStyle Styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                        Qt::DashDotDotLine};
  uint32_t Style = S.Pen.Style & 0xF;
  Pen.setStyle(Style < 5 ? Styles[Style] : Qt::SolidLine);
  if (Cosmetic()) {
    Pen.setWidth(0);  // one device pixel whatever the transform
    Pen.setCapStyle(Qt::FlatCap);
    Pen.setJoinStyle(Qt::MiterJoin);
  } else {
    // A damaged file's pen can be wider than any page; stroking it would take forever.
    Pen.setWidthF(std::min(S.Pen.Width * (ScaleX() + ScaleY()) / 2, 20000.0));
    uint32_t Cap = S.Pen.Style & 0xF00, Join = S.Pen.Style & 0xF000;
    Pen.setCapStyle(Cap == 0x100 ? Qt::SquareCap : Cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    Pen.setJoinStyle(Join == 0x1000 ? Qt::BevelJoin : Join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
  }
  return Pen;
}

QBrush TQtPainterDC::Impl::MakeBrush(const TLogBrush& B) const {
  if (B.Style == BS_NULL) return QBrush(Qt::NoBrush);
  if (B.Style == BS_PATTERN && B.Pattern && B.Pattern->Width > 0 && B.Pattern->Height > 0) {
    const TBrushPattern& Pt = *B.Pattern;
    QImage Img(Pt.Width, Pt.Height, QImage::Format_RGB32);
    for (int Y = 0; Y < Pt.Height; ++Y) {
      auto* Row = reinterpret_cast<QRgb*>(Img.scanLine(Y));
      for (int X = 0; X < Pt.Width; ++X) {
        uint32_t C = Pt.Pixels[size_t(Y) * Pt.Width + X];
        if (Pt.Mono) C = (C & 0xFFFFFF) == 0 ? ToQColor(S.TextColor).rgb() : ToQColor(S.BkColor).rgb();
        Row[X] = C | 0xFF000000u;
      }
    }
    return QBrush(Img);
  }
  if (B.Style == BS_HATCHED) {
    static const Qt::BrushStyle H[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                       Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(ToQColor(B.Color), B.Hatch < 6 ? H[B.Hatch] : Qt::SolidPattern);
  }
  return QBrush(ToQColor(B.Color));
}

void TQtPainterDC::Impl::ApplyRop() {
  QPainter::CompositionMode M = QPainter::CompositionMode_SourceOver;
  if (IsRaster()) {
    if (S.Rop2 == R2_XORPEN) M = QPainter::RasterOp_SourceXorDestination;
    else if (S.Rop2 == R2_NOT) M = QPainter::RasterOp_NotDestination;
  }
  P->setCompositionMode(M);
}

void TQtPainterDC::Impl::Shape(const QPainterPath& Shape, bool Fill) {
  if (InPath) {
    Path.addPath(Shape);
    FigureOpen = false;  // a shape is a figure of its own
    return;
  }
  if (!P) return;
  ApplyRop();
  QPainterPath Filled = Shape;
  Filled.setFillRule(S.PolyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  if (Fill && S.Brush.Style != BS_NULL) {
    if (S.Brush.Style == BS_HATCHED && S.BkMode == OPAQUE) P->fillPath(Filled, ToQColor(S.BkColor));
    P->fillPath(Filled, MakeBrush(S.Brush));
  }
  if (!NullPen()) P->strokePath(Shape, MakePen());
}

void TQtPainterDC::MoveTo(int X, int Y) {
  D->S.Pos = TPoint{X, Y};
  D->FigureOpen = false;
}

void TQtPainterDC::Impl::ContinueFigure() {
  if (!FigureOpen) Path.moveTo(MapF(S.Pos.X, S.Pos.Y));
  FigureOpen = true;
}
TPoint TQtPainterDC::CurrentPosition() const { return D->S.Pos; }

void TQtPainterDC::LineTo(int X, int Y) {
  QPoint A = D->Map(D->S.Pos.X, D->S.Pos.Y), B = D->Map(X, Y);
  if (D->InPath) {
    D->ContinueFigure();
    D->Path.lineTo(B);
    D->S.Pos = TPoint{X, Y};
    return;
  }
  D->S.Pos = TPoint{X, Y};
  if (D->NullPen() || !D->P) return;
  D->ApplyRop();
  QPen Pen = D->MakePen();
  if (D->Cosmetic()) {
    // Qt leaves out the pixel at its own fixed end of a line, not at B. GDI
    // draws from A up to the pixel before B whichever way the line runs: stop
    // one step short of B along the major axis and draw both ends.
    int Dx = B.x() - A.x(), Dy = B.y() - A.y();
    int Steps = std::max(std::abs(Dx), std::abs(Dy));
    if (Steps == 0) return;
    double F = double(Steps - 1) / Steps;
    B = QPoint(A.x() + int(std::lround(Dx * F)), A.y() + int(std::lround(Dy * F)));
    Pen.setCapStyle(Qt::SquareCap);
  }
  D->P->setPen(Pen);
  D->P->drawLine(A, B);
}

void TQtPainterDC::Rectangle(const TRect& R) {
  QRect Dr = D->MapRect(R);
  if (D->InPath) {
    D->Path.addRect(QRectF(Dr));
    return;
  }
  if (!D->P || Dr.isEmpty()) return;
  if (D->NullPen() || D->Cosmetic()) {
    // GDI: a pen-less rectangle fills one pixel less on the right and bottom;
    // a hairline frame sits on the outermost included pixels.
    QRect Fill = D->NullPen() ? Dr.adjusted(0, 0, -1, -1) : Dr;
    D->ApplyRop();
    if (D->S.Brush.Style != BS_NULL && !Fill.isEmpty()) {
      if (D->S.Brush.Style == BS_HATCHED && D->S.BkMode == OPAQUE) D->P->fillRect(Fill, ToQColor(D->S.BkColor));
      D->P->fillRect(Fill, D->MakeBrush(D->S.Brush));
    }
    if (!D->NullPen()) {
      D->P->setPen(D->MakePen());
      D->P->setBrush(Qt::NoBrush);
      D->P->drawRect(Dr.adjusted(0, 0, -1, -1));
    }
    return;
  }
  QRectF Path(Dr);
  if ((D->S.Pen.Style & 0xF) == PS_INSIDEFRAME) {
    double H = D->S.Pen.Width * (D->ScaleX() + D->ScaleY()) / 4;
    Path.adjust(H, H, -H, -H);
  }
  QPainterPath Pp;
  Pp.addRect(Path);
  D->Shape(Pp, true);
}

QPainterPath TQtPainterDC::Impl::Ellipse(const QRect& R) const {
  QPainterPath Pp;
  Pp.addEllipse(QRectF(R.left(), R.top(), std::max(0, R.width() - 1), std::max(0, R.height() - 1)));
  return Pp;
}

void TQtPainterDC::RoundRect(const TRect& R, int CornerW, int CornerH) {
  QRect Dr = D->MapRect(R);
  QPainterPath Pp;
  Pp.addRoundedRect(QRectF(Dr.left(), Dr.top(), std::max(0, Dr.width() - 1), std::max(0, Dr.height() - 1)),
                    std::abs(CornerW) * D->ScaleX() / 2, std::abs(CornerH) * D->ScaleY() / 2);
  D->Shape(Pp, true);
}

void TQtPainterDC::Ellipse(const TRect& R) { D->Shape(D->Ellipse(D->MapRect(R)), true); }

// Kind 0 arc, 1 pie, 2 chord. GDI draws counter-clockwise from the radial
// through Start to the radial through End.
QPainterPath TQtPainterDC::Impl::ArcPath(const TRect& R, TPoint Start, TPoint End, int Kind) const {
  QRect Dr = MapRect(R);
  QRectF E(Dr.left(), Dr.top(), std::max(0, Dr.width() - 1), std::max(0, Dr.height() - 1));
  QPointF C = E.center(), A = MapF(Start.X, Start.Y), B = MapF(End.X, End.Y);
  double Rx = std::max(E.width() / 2, 1e-9), Ry = std::max(E.height() / 2, 1e-9);
  auto Angle = [&](QPointF Pt) { return std::atan2(-(Pt.y() - C.y()) / Ry, (Pt.x() - C.x()) / Rx) * 180 / std::numbers::pi; };
  double A1 = Angle(A), A2 = Angle(B), Sweep = A2 - A1;
  // A mirrored transform turns GDI's counter-clockwise into clockwise on the device.
  bool Mirrored = S.World.M11 * S.World.M22 - S.World.M12 * S.World.M21 < 0;
  if (Mirrored) {
    while (Sweep >= 0) Sweep -= 360;
  } else {
    while (Sweep <= 0) Sweep += 360;
  }
  QPainterPath Pp;
  if (Kind == 1) {
    Pp.moveTo(C);
    Pp.arcTo(E, A1, Sweep);
    Pp.closeSubpath();
  } else {
    Pp.arcMoveTo(E, A1);
    Pp.arcTo(E, A1, Sweep);
    if (Kind == 2) Pp.closeSubpath();
  }
  return Pp;
}

void TQtPainterDC::Arc(const TRect& R, TPoint Start, TPoint End) { D->Shape(D->ArcPath(R, Start, End, 0), false); }
void TQtPainterDC::Pie(const TRect& R, TPoint Start, TPoint End) { D->Shape(D->ArcPath(R, Start, End, 1), true); }
void TQtPainterDC::Chord(const TRect& R, TPoint Start, TPoint End) { D->Shape(D->ArcPath(R, Start, End, 2), true); }

static QPolygon MapPolygon(const TQtPainterDC::Impl& D, const std::vector<TPoint>& Points) {
  QPolygon Poly;
  Poly.reserve(static_cast<qsizetype>(Points.size()));
  for (const TPoint& Pt : Points) Poly << D.Map(Pt.X, Pt.Y);
  return Poly;
}

void TQtPainterDC::Polygon(const std::vector<TPoint>& Points) {
  if (Points.size() < 2) return;
  QPainterPath Pp;
  Pp.addPolygon(MapPolygon(*D, Points));
  Pp.closeSubpath();
  D->Shape(Pp, true);
}

void TQtPainterDC::Polyline(const std::vector<TPoint>& Points) {
  if (Points.size() < 2) return;
  QPainterPath Pp;
  Pp.addPolygon(MapPolygon(*D, Points));
  D->Shape(Pp, false);
}

void TQtPainterDC::PolyPolygon(const std::vector<std::vector<TPoint>>& Polygons) {
  QPainterPath Pp;
  for (const auto& Points : Polygons) {
    if (Points.size() < 2) continue;
    Pp.addPolygon(MapPolygon(*D, Points));
    Pp.closeSubpath();
  }
  D->Shape(Pp, true);
}

void TQtPainterDC::PolyBezier(const std::vector<TPoint>& Points) {
  if (Points.size() < 4) return;
  QPainterPath Pp;
  Pp.moveTo(D->MapF(Points[0].X, Points[0].Y));
  for (size_t I = 1; I + 2 < Points.size(); I += 3)
    Pp.cubicTo(D->MapF(Points[I].X, Points[I].Y), D->MapF(Points[I + 1].X, Points[I + 1].Y),
               D->MapF(Points[I + 2].X, Points[I + 2].Y));
  D->Shape(Pp, false);
}

void TQtPainterDC::PolylineTo(const std::vector<TPoint>& Points) {
  if (Points.empty()) return;
  if (D->InPath) {
    D->ContinueFigure();
    for (const TPoint& Pt : Points) D->Path.lineTo(D->Map(Pt.X, Pt.Y));
  } else {
    std::vector<TPoint> All{D->S.Pos};
    All.insert(All.end(), Points.begin(), Points.end());
    Polyline(All);
  }
  D->S.Pos = Points.back();
}

void TQtPainterDC::PolyBezierTo(const std::vector<TPoint>& Points) {
  if (Points.size() < 3) return;
  QPainterPath Own;
  QPainterPath& Pp = D->InPath ? D->Path : Own;
  if (D->InPath) D->ContinueFigure();
  else Own.moveTo(D->MapF(D->S.Pos.X, D->S.Pos.Y));
  size_t I = 0;
  for (; I + 2 < Points.size(); I += 3)
    Pp.cubicTo(D->MapF(Points[I].X, Points[I].Y), D->MapF(Points[I + 1].X, Points[I + 1].Y),
               D->MapF(Points[I + 2].X, Points[I + 2].Y));
  D->S.Pos = Points[I - 1];
  if (!D->InPath) D->Shape(Own, false);
}

void TQtPainterDC::FillRect(const TRect& R, const TLogBrush& Brush) {
  if (!D->P || Brush.Style == BS_NULL) return;
  D->P->setCompositionMode(QPainter::CompositionMode_SourceOver);
  D->P->fillRect(D->MapRect(R), D->MakeBrush(Brush));
}

void TQtPainterDC::SetPixel(int X, int Y, TColorRef Color) {
  if (!D->P) return;
  QPoint Pt = D->Map(X, Y);
  D->P->fillRect(QRect(Pt.x(), Pt.y(), 1, 1), ToQColor(Color));
}

TColorRef TQtPainterDC::GetPixel(int X, int Y) const {
  QImage* Img = D->Image();
  QPoint Pt = D->Map(X, Y);
  if (!Img || !Img->rect().contains(Pt)) return 0xFFFFFFFF;
  QRgb C = Img->pixel(Pt);
  return RGB(qRed(C), qGreen(C), qBlue(C));
}

void TQtPainterDC::BeginPath() {
  D->InPath = true;
  D->FigureOpen = false;
  D->Path = QPainterPath();
}
void TQtPainterDC::EndPath() { D->InPath = false; }
void TQtPainterDC::CloseFigure() {
  if (!D->InPath || !D->FigureOpen) return;
  D->Path.closeSubpath();
  D->FigureOpen = false;
}

void TQtPainterDC::FillPath() {
  QPainterPath Pp = D->Path;
  D->Path = QPainterPath();
  TLogPen Pen = D->S.Pen;
  D->S.Pen.Style = PS_NULL;
  D->Shape(Pp, true);
  D->S.Pen = Pen;
}

void TQtPainterDC::StrokePath() {
  QPainterPath Pp = D->Path;
  D->Path = QPainterPath();
  D->Shape(Pp, false);
}

void TQtPainterDC::StrokeAndFillPath() {
  QPainterPath Pp = D->Path;
  D->Path = QPainterPath();
  D->Shape(Pp, true);
}
