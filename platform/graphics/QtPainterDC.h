#pragma once
// The Qt painter backend: draws on any QPaintDevice (QImage, QPdfWriter,
// QPrinter, a widget) at an explicit resolution, with GDI's pixel rules.
// Fonts are given to Qt in pixels at this resolution, never in points.
#include <memory>

#include "platform/graphics/DeviceContext.h"

class QPaintDevice;
class QPainter;

class TQtPainterDC : public TDeviceContext {
public:
  // Begins painting on Device (which must outlive this DC). A painter already
  // active on Device may be passed instead, and is then left active at the end;
  // the clip it has then is the DC's meta region.
  TQtPainterDC(QPaintDevice* Device, int PpiX, int PpiY);
  TQtPainterDC(QPainter* ActivePainter, int PpiX, int PpiY);
  ~TQtPainterDC() override;

  QPainter* Painter();
  // Ends painting now (the destructor does it otherwise).
  void End();

  int PixelsPerInchX() const override;
  int PixelsPerInchY() const override;
  TSize DeviceSize() const override;
  void SelectPen(const TLogPen& Pen) override;
  void SelectBrush(const TLogBrush& Brush) override;
  void SelectFont(const TLogFont& Font) override;
  void SetTextColor(TColorRef Color) override;
  void SetBkColor(TColorRef Color) override;
  void SetBkMode(int Mode) override;
  void SetTextAlign(uint32_t Align) override;
  void SetPolyFillMode(int Mode) override;
  void SetROP2(int Rop) override;
  void SetStretchBltMode(int Mode) override;
  void SetTextJustification(int Extra, int Count) override;
  void SetWorldTransform(const TXForm& XForm) override;
  TXForm WorldTransform() const override;
  void SetGraphicsMode(int Mode) override;
  int SaveDC() override;
  void RestoreDC(int Level) override;
  void IntersectClipRect(const TRect& R) override;
  void ExcludeClipRect(const TRect& R) override;
  void SelectClipRegion(const TRegion* Region, int Mode) override;
  void SetMetaRgn() override;
  void MoveTo(int X, int Y) override;
  TPoint CurrentPosition() const override;
  void LineTo(int X, int Y) override;
  void Rectangle(const TRect& R) override;
  void RoundRect(const TRect& R, int CornerW, int CornerH) override;
  void Ellipse(const TRect& R) override;
  void Arc(const TRect& R, TPoint Start, TPoint End) override;
  void Pie(const TRect& R, TPoint Start, TPoint End) override;
  void Chord(const TRect& R, TPoint Start, TPoint End) override;
  void Polygon(const std::vector<TPoint>& Points) override;
  void Polyline(const std::vector<TPoint>& Points) override;
  void PolyPolygon(const std::vector<std::vector<TPoint>>& Polygons) override;
  void PolyBezier(const std::vector<TPoint>& Points) override;
  void PolylineTo(const std::vector<TPoint>& Points) override;
  void PolyBezierTo(const std::vector<TPoint>& Points) override;
  void FillRect(const TRect& R, const TLogBrush& Brush) override;
  void SetPixel(int X, int Y, TColorRef Color) override;
  TColorRef GetPixel(int X, int Y) const override;
  void ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                  const int* Dx) override;
  std::vector<int> CharAdvances(const std::u16string& Text) const override;
  TTextMetric TextMetrics() const override;
  void StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) override;
  void BeginPath() override;
  void EndPath() override;
  void CloseFigure() override;
  void FillPath() override;
  void StrokePath() override;
  void StrokeAndFillPath() override;
  void SelectClipPath(int Mode) override;

  struct Impl;

private:
  std::unique_ptr<Impl> D;
};
