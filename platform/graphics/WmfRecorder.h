#pragma once
// The WMF recorder: a device context that writes a placeable Windows metafile
// (16-bit records, no world transform, no paths, no Unicode text). Coordinates
// arrive through the world transform and leave as WMF logical units; paths are
// flattened into polygons; text is written as Windows-1252 with its advances.
// Playing an EMF into it (EmfToWmf) converts a page.
#include <cstdint>
#include <vector>

#include "platform/graphics/DCState.h"

class TWmfRecorderDC : public TDeviceContext {
public:
  // Size: the picture in logical units; Inch: logical units per inch (the
  // placeable header's), also the reference resolution.
  TWmfRecorderDC(TSize Size, int Inch);

  // Completes and returns the file bytes; the recorder takes no more calls.
  std::vector<uint8_t> Finish();

  int PixelsPerInchX() const override { return FInch; }
  int PixelsPerInchY() const override { return FInch; }
  TSize DeviceSize() const override { return FSize; }
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
  TXForm WorldTransform() const override { return FS.World; }
  void SetGraphicsMode(int Mode) override { FS.GraphicsMode = Mode; }
  int SaveDC() override;
  void RestoreDC(int Level) override;
  void IntersectClipRect(const TRect& R) override;
  void ExcludeClipRect(const TRect& R) override;
  void SelectClipRegion(const TRegion* Region, int Mode) override;
  void SetMetaRgn() override {}
  void MoveTo(int X, int Y) override;
  TPoint CurrentPosition() const override { return FS.Pos; }
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
  TColorRef GetPixel(int, int) const override { return 0xFFFFFFFF; }
  void ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::u16string& Text,
                  const int* Dx) override;
  std::vector<int> CharAdvances(const std::u16string& Text) const override { return FS.Advances(Text); }
  TTextMetric TextMetrics() const override;
  void StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) override;
  void BeginPath() override;
  void EndPath() override { FInPath = false; }
  void CloseFigure() override;
  void FillPath() override;
  void StrokePath() override;
  void StrokeAndFillPath() override;
  void SelectClipPath(int) override { FPath.clear(); }

private:
  struct TSelection {
    int Pen = -1, Brush = -1, Font = -1;
  };
  struct TSaved {
    TDCState S;
    TSelection Sel;
  };
  struct TFigure {
    std::vector<TPoint> Points;  // WMF units
    bool Closed = false;
  };
  void Begin(uint16_t Function);
  void End();
  void W16(int V);
  void W32(uint32_t V);
  void Words(std::initializer_list<int> Vs);
  TPoint Map(int X, int Y) const;
  TPoint Map(TPoint P) const { return Map(P.X, P.Y); }
  void MapRect(const TRect& R);  // writes bottom, right, top, left
  std::vector<TPoint> MapAll(const std::vector<TPoint>& Points) const;
  double Scale() const;
  int NewObject();
  void Select(int Slot);
  void Release(int Old);
  int CreatePen(const TLogPen& Pen);
  int CreateBrush(const TLogBrush& Brush);
  void WriteFont();
  void PatBlt(const TRect& R, uint32_t Rop);
  void PolyRecord(uint16_t Function, const std::vector<TPoint>& Mapped);
  void PathFigure(std::vector<TPoint> Logical, bool Closed);
  void DrawPath(bool Fill, bool Stroke);

  std::vector<uint8_t> FBytes;
  size_t FRecordStart = 0;
  uint32_t FMaxRecord = 0;
  bool FFinished = false;
  TSize FSize;
  int FInch;
  TDCState FS;
  TSelection FSel;
  std::vector<TSaved> FSaved;
  std::vector<bool> FUsed;
  size_t FMaxObjects = 0;
  bool FInPath = false;
  std::vector<TFigure> FPath;
};

// A placeable WMF of an EMF whose frame is MMWidth x MMHeight hundredths of a
// millimetre: 1440 logical units per inch, fewer when the page would pass the
// 16-bit coordinates. Raises EInvalidGraphic when the bytes are not an EMF.
std::vector<uint8_t> EmfToWmf(const std::vector<uint8_t>& Emf, int MMWidth, int MMHeight);
