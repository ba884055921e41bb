#pragma once
// TCanvas: the class library's canvas over a device context. Font, pen and
// brush are selected lazily before each drawing call (only when changed).
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"

class TGraphic;

// DrawText format flags.
constexpr uint32_t DT_LEFT = 0, DT_TOP = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
                   DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
                   DT_RTLREADING = 0x20000;

enum TCopyMode : uint32_t { cmSrcCopy = SRCCOPY, cmSrcAnd = SRCAND, cmSrcPaint = SRCPAINT, cmSrcInvert = SRCINVERT };

class TCanvas {
public:
  // The canvas draws on Dc, which outlives it (or is replaced by SetHandle).
  explicit TCanvas(TDeviceContext* Dc = nullptr);
  virtual ~TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TDeviceContext* Handle() const { return FDc; }
  // Takes another device; the font's resolution follows the device, keeping its point size.
  void SetHandle(TDeviceContext* Dc);
  bool HandleAllocated() const { return FDc != nullptr; }

  TFont& Font() { return FFont; }
  TPen& Pen() { return FPen; }
  TBrush& Brush() { return FBrush; }
  void SetFont(const TFont& F) { FFont.Assign(F); }
  void SetPen(const TPen& P) { FPen.Assign(P); }
  void SetBrush(const TBrush& B) { FBrush.Assign(B); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode M) { FCopyMode = M; }
  // ExtTextOut options used by TextOut (ETO_RTLREADING for right-to-left).
  uint32_t TextFlags() const { return FTextFlags; }
  void SetTextFlags(uint32_t F) { FTextFlags = F; }

  TPoint PenPos() const;
  void SetPenPos(TPoint P) { MoveTo(P.X, P.Y); }
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2) { Rectangle(Rect(X1, Y1, X2, Y2)); }
  void Rectangle(const TRect& R);
  void FillRect(const TRect& R);
  // One-pixel frame in the brush colour.
  void FrameRect(const TRect& R);
  void Ellipse(int X1, int Y1, int X2, int Y2) { Ellipse(Rect(X1, Y1, X2, Y2)); }
  void Ellipse(const TRect& R);
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Polygon(const std::vector<TPoint>& Points);
  void Polyline(const std::vector<TPoint>& Points);
  void PolyBezier(const std::vector<TPoint>& Points);
  TColorRef Pixels(int X, int Y) const;
  void SetPixels(int X, int Y, TColor Color);

  // Text. Strings are UTF-8.
  void TextOut(int X, int Y, const std::string& Text);
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  void ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::string& Text,
                  const std::vector<int>* Dx = nullptr);
  TSize TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  TTextMetric TextMetrics();
  void SetTextAlign(uint32_t Align);
  uint32_t TextAlign() const { return FTextAlign; }
  void SetBkMode(int Mode);
  void SetBkColor(TColorRef Color);
  void SetTextJustification(int Extra, int Count);
  // Tab stops in logical units; none: every 8 average characters; one: every that much.
  // Returns the extent of the text drawn.
  TSize TabbedTextOut(int X, int Y, const std::string& Text, const std::vector<int>& TabStops, int TabOrigin);
  TSize TabbedTextExtent(const std::string& Text, const std::vector<int>& TabStops);
  // Lays the text out in R by the DT_ flags; with DT_CALCRECT only measures and
  // sets R's right and bottom. Returns the text's height.
  int DrawText(const std::string& Text, TRect& R, uint32_t Format);

  // Clipping (logical rectangles). SelectClipRect(nullptr) removes the clip.
  void IntersectClipRect(const TRect& R);
  void ExcludeClipRect(const TRect& R);
  void SelectClipRect(const TRect* R);
  void SelectClipRegion(const TRegion* DeviceRegion, int Mode = RGN_COPY);

  void Draw(int X, int Y, TGraphic& Graphic);
  void StretchDraw(const TRect& R, TGraphic& Graphic);
  // A DIB (or part Src of it) stretched over Dest with the copy mode.
  void StretchDIB(const TRect& Dest, const TRect& Src, const TDibView& Dib);

  int SaveDC();
  void RestoreDC(int Level);

  // Selects font, pen and brush into the device when they changed.
  void RequiredState();
  // Forgets what was selected, so the next drawing call selects it again
  // (after someone else changed the device's state).
  void Refresh() { Invalidate(); }

protected:
  // Hooks of derived canvases (a printer's). CreateHandle runs when the canvas must draw or
  // measure without a device and may give it one (SetHandle); BeforeSelectFont runs before a
  // changed font is selected into the device and may still change the font.
  virtual void CreateHandle() {}
  virtual void BeforeSelectFont() {}

private:
  std::u16string Shaped(const std::string& Text) const;
  TSize TabbedLayout(const std::u16string& Text, const std::vector<int>& TabStops, int TabOrigin, int StartX,
                     std::u16string& Out, std::vector<int>& Dx);
  void Invalidate() { FFontValid = FPenValid = FBrushValid = false; }

  TDeviceContext* FDc = nullptr;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  uint32_t FTextFlags = 0;
  uint32_t FTextAlign = TA_LEFT | TA_TOP;
  bool FFontValid = false, FPenValid = false, FBrushValid = false;
};
