#pragma once
// The EMF recorder: a device context that writes genuine enhanced-metafile
// records. Text is measured as on its reference device (the screen), and
// every text record carries its advances so any reader places glyphs alike.
// Finish() writes the EOF record and completes the header (bounds, frame,
// byte, record and handle counts).
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/graphics/DCState.h"

class TEmfRecorderDC : public TDeviceContext {
public:
  // Frame: the picture's frame in hundredths of a millimetre; empty makes it
  // the bounds of what was drawn. The reference device is the screen at Ppi.
  explicit TEmfRecorderDC(const TRect& Frame = TRect{}, int Ppi = 0);

  // Completes and returns the metafile bytes; the recorder takes no more calls.
  std::vector<uint8_t> Finish();
  bool Finished() const { return FFinished; }

  int PixelsPerInchX() const override { return FPpi; }
  int PixelsPerInchY() const override { return FPpi; }
  TSize DeviceSize() const override { return FDevice; }
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
  void SetGraphicsMode(int Mode) override;
  int SaveDC() override;
  void RestoreDC(int Level) override;
  void IntersectClipRect(const TRect& R) override;
  void ExcludeClipRect(const TRect& R) override;
  void SelectClipRegion(const TRegion* Region, int Mode) override;
  void SetMetaRgn() override;
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
  TSize TextExtent(const std::u16string& Text) const override;
  TTextMetric TextMetrics() const override;
  void StretchDIBits(const TRect& Dest, const TRect& Src, const TDibView& Dib, uint32_t Rop) override;
  void BeginPath() override;
  void EndPath() override;
  void CloseFigure() override;
  void FillPath() override;
  void StrokePath() override;
  void StrokeAndFillPath() override;
  void SelectClipPath(int Mode) override;

private:
  // Object handles: table index, or EmfStockObject | stock number.
  struct TSelection {
    uint32_t Pen, Brush, Font;
  };
  struct TSaved {
    TDCState S;
    TSelection Sel;
  };
  void Begin(uint32_t Type);
  void End();
  // N bytes more at the end of the file, zeros for the caller to fill.
  uint8_t* Append(size_t N) {
    if (N > FBytes.size() - FSize) Grow(N);
    uint8_t* P = FBytes.data() + FSize;
    FSize += N;
    return P;
  }
  void Grow(size_t N);
  static void Put32(uint8_t* P, uint32_t V) {
    P[0] = uint8_t(V), P[1] = uint8_t(V >> 8), P[2] = uint8_t(V >> 16), P[3] = uint8_t(V >> 24);
  }
  static void PutRect(uint8_t* P, const TRect& R) {
    Put32(P, static_cast<uint32_t>(R.Left));
    Put32(P + 4, static_cast<uint32_t>(R.Top));
    Put32(P + 8, static_cast<uint32_t>(R.Right));
    Put32(P + 12, static_cast<uint32_t>(R.Bottom));
  }
  void U32(uint32_t V) { Put32(Append(4), V); }
  void I32(int32_t V) { U32(static_cast<uint32_t>(V)); }
  void F32(float V);
  void U16(uint16_t V) {
    uint8_t* P = Append(2);
    P[0] = uint8_t(V), P[1] = uint8_t(V >> 8);
  }
  void RectL(const TRect& R) { PutRect(Append(16), R); }
  void Simple(uint32_t Type, uint32_t Value);
  uint32_t NewHandle();
  void Select(uint32_t Handle);
  // Deletes Old unless a saved state or the current selection still holds it.
  void Release(uint32_t Old);
  void Touch(double X, double Y);
  void TouchRect(const TRect& R, int Grow = 0);
  void Poly(uint32_t Type16, uint32_t Type32, const std::vector<TPoint>& Points);
  void PatternBrush(uint32_t Handle, const TBrushPattern& Pattern);
  TRect PointsBounds(const std::vector<TPoint>& Points) const;

  // The file so far is the first FSize bytes; the rest is zeros, room to grow into.
  std::vector<uint8_t> FBytes;
  size_t FSize = 0;
  size_t FRecordStart = 0;
  uint32_t FRecords = 0;
  bool FFinished = false;
  int FPpi;
  TSize FDevice;
  TRect FFrame;
  TDCState FS;
  TSelection FSel;
  std::vector<TSaved> FSaved;
  std::vector<bool> FUsed;  // object table slots in use; slot 0 is reserved
  bool FHasBounds = false;
  TRect FBounds;
  bool FInPath = false;
};
