#pragma once
// A device that writes down what was drawn, one line per call, for tests:
// "Rectangle(10,10,50,40)", "ExtTextOut(5,5,0x0,\"abc\")". Text is measured as
// on the screen (or at the resolution given).
#include <string>
#include <vector>

#include "platform/graphics/DCState.h"

class TCallLogDC : public TDeviceContext {
public:
  explicit TCallLogDC(int Ppi = 96, TSize Size = TSize{816, 1056}) : FPpi(Ppi), FSize(Size) {}

  std::vector<std::string> Log;
  // Calls whose text starts with Prefix.
  std::vector<std::string> Calls(const std::string& Prefix) const;
  const TDCState& State() const { return FS; }

  int PixelsPerInchX() const override { return FPpi; }
  int PixelsPerInchY() const override { return FPpi; }
  TSize DeviceSize() const override { return FSize; }
  int BitsPerPixel() const override { return FBitsPerPixel; }
  bool CanStretchBlt() const override { return FCanStretchBlt; }
  // Makes the device answer like one with fewer colours or without stretched bit blocks.
  void SetDeviceCaps(int BitsPerPixel, bool CanStretchBlt) {
    FBitsPerPixel = BitsPerPixel;
    FCanStretchBlt = CanStretchBlt;
  }
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
  void SetMetaRgn() override { Add("SetMetaRgn"); }
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
  void EndPath() override;
  void CloseFigure() override;
  void FillPath() override;
  void StrokePath() override;
  void StrokeAndFillPath() override;
  void SelectClipPath(int Mode) override;

private:
  void Add(const std::string& S) { Log.push_back(S); }
  int FPpi;
  TSize FSize;
  int FBitsPerPixel = 32;
  bool FCanStretchBlt = true;
  TDCState FS;
  TStateStack<TDCState> FStack;
};
