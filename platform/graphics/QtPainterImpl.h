#pragma once
// Private state of TQtPainterDC, shared by its shape and text sources.
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <cmath>

#include "platform/graphics/DCState.h"
#include "platform/graphics/QtPainterDC.h"

struct TQtSaved {
  TDCState S;
  QRegion Clip, Meta;
  bool HasClip, HasMeta;
};

struct TQtPainterDC::Impl {
  QPaintDevice* Dev = nullptr;
  QPainter Own;
  QPainter* P = nullptr;
  bool OwnsPainter = true;
  int PpiX = 96, PpiY = 96;
  TDCState S;
  TStateStack<TQtSaved> Stack;
  // Both in device pixels; what is drawn is clipped to their intersection.
  QRegion Clip, Meta;
  bool HasClip = false, HasMeta = false;
  bool InPath = false;
  QPainterPath Path;
  // A figure of the path that lines and curves from the current position extend.
  bool FigureOpen = false;

  double MapX(double X, double Y) const { return S.World.MapX(X, Y); }
  double MapY(double X, double Y) const { return S.World.MapY(X, Y); }
  QPointF MapF(double X, double Y) const { return QPointF(MapX(X, Y), MapY(X, Y)); }
  // GDI rounds transformed points to whole pixels before drawing. Far-off
  // points (damaged files, huge transforms) stop at a bound no painter reaches.
  static int ToPixel(double V) { return ClampToPixel(V); }
  QPoint Map(int X, int Y) const { return QPoint(ToPixel(MapX(X, Y)), ToPixel(MapY(X, Y))); }
  // Device rectangle, right/bottom excluded, normalised.
  QRect MapRect(const TRect& R) const {
    QPoint A = Map(R.Left, R.Top), B = Map(R.Right, R.Bottom);
    int L = std::min(A.x(), B.x()), T = std::min(A.y(), B.y());
    return QRect(L, T, std::abs(B.x() - A.x()), std::abs(B.y() - A.y()));
  }
  double ScaleX() const { return std::hypot(S.World.M11, S.World.M12); }
  double ScaleY() const { return std::hypot(S.World.M21, S.World.M22); }
  bool IsRaster() const { return Dev && Dev->devType() == QInternal::Image; }
  QImage* Image() const { return IsRaster() ? static_cast<QImage*>(Dev) : nullptr; }

  bool NullPen() const { return (S.Pen.Style & 0xF) == PS_NULL; }
  // Width 0 is one pixel whatever the transform; other widths are logical
  // units, so a width-1 pen on a page played onto a printer widens as GDI's does.
  bool Cosmetic() const { return S.Pen.Width <= 0 || S.Pen.Width * (ScaleX() + ScaleY()) / 2 < 1.5; }
  QPen MakePen() const;
  QBrush MakeBrush(const TLogBrush& B) const;
  TQtSaved Saved() const { return TQtSaved{S, Clip, Meta, HasClip, HasMeta}; }
  void ApplyClip();
  void ApplyRop();
  // Fills then strokes a device-space path with the selected brush and pen,
  // or adds it to the path being collected.
  void Shape(const QPainterPath& Path, bool Fill);
  // Starts the figure that a line or curve from the current position extends.
  void ContinueFigure();
  QPainterPath Ellipse(const QRect& R) const;
  QPainterPath ArcPath(const TRect& R, TPoint Start, TPoint End, int Kind) const;
};

inline QColor ToQColor(TColorRef C) { return QColor(GetRValue(C), GetGValue(C), GetBValue(C)); }
