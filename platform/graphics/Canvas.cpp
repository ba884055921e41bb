#include "platform/graphics/Canvas.h"

#include <algorithm>

#include "platform/graphics/Graphic.h"
#include "platform/rtl/Win1252.h"

TCanvas::TCanvas(TDeviceContext* Dc) {
  FFont.OnChange = [this](TGraphicsObject*) { FFontValid = false; };
  FPen.OnChange = [this](TGraphicsObject*) { FPenValid = false; };
  FBrush.OnChange = [this](TGraphicsObject*) { FBrushValid = false; };
  SetHandle(Dc);
}

void TCanvas::SetHandle(TDeviceContext* Dc) {
  FDc = Dc;
  Invalidate();
  if (FDc) {
    // A device of another resolution keeps the font's point size (as printer canvases do).
    int Ppi = FDc->PixelsPerInchY();
    if (Ppi > 0 && Ppi != FFont.PixelsPerInch()) {
      int Points = FFont.Size();
      FFont.SetPixelsPerInch(Ppi);
      FFont.SetSize(Points);
    }
    FDc->SetTextAlign(FTextAlign);
  }
}

void TCanvas::RequiredState() {
  if (!FDc) CreateHandle();
  if (!FDc) return;
  if (!FFontValid) {
    BeforeSelectFont();
    FDc->SelectFont(FFont.LogFont());
    FDc->SetTextColor(ColorToRGB(FFont.Color()));
    FFontValid = true;
  }
  if (!FPenValid) {
    FDc->SelectPen(FPen.LogPen());
    static const int Rops[] = {R2_BLACK, R2_WHITE, 11 /*R2_NOP*/, R2_NOT, R2_COPYPEN, 4 /*R2_NOTCOPYPEN*/, R2_XORPEN};
    FDc->SetROP2(Rops[FPen.Mode()]);
    FPenValid = true;
  }
  if (!FBrushValid) {
    FDc->SelectBrush(FBrush.LogBrush());
    FDc->SetBkColor(ColorToRGB(FBrush.Color()));
    FDc->SetBkMode(FBrush.Style() == bsSolid ? OPAQUE : TRANSPARENT);
    FBrushValid = true;
  }
}

TPoint TCanvas::PenPos() const { return FDc ? FDc->CurrentPosition() : TPoint{}; }

void TCanvas::MoveTo(int X, int Y) {
  if (FDc) FDc->MoveTo(X, Y);
}

void TCanvas::LineTo(int X, int Y) {
  RequiredState();
  FDc->LineTo(X, Y);
}

void TCanvas::Rectangle(const TRect& R) {
  RequiredState();
  FDc->Rectangle(R);
}

void TCanvas::FillRect(const TRect& R) {
  RequiredState();
  FDc->FillRect(R, FBrush.LogBrush());
}

void TCanvas::FrameRect(const TRect& R) {
  if (R.IsEmpty()) return;
  RequiredState();
  TLogBrush B = FBrush.LogBrush();
  FDc->FillRect(Rect(R.Left, R.Top, R.Right, R.Top + 1), B);
  FDc->FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom), B);
  FDc->FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom), B);
  FDc->FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom), B);
}

void TCanvas::Ellipse(const TRect& R) {
  RequiredState();
  FDc->Ellipse(R);
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  RequiredState();
  FDc->RoundRect(Rect(X1, Y1, X2, Y2), X3, Y3);
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  RequiredState();
  FDc->Arc(Rect(X1, Y1, X2, Y2), Point(X3, Y3), Point(X4, Y4));
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  RequiredState();
  FDc->Pie(Rect(X1, Y1, X2, Y2), Point(X3, Y3), Point(X4, Y4));
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  RequiredState();
  FDc->Chord(Rect(X1, Y1, X2, Y2), Point(X3, Y3), Point(X4, Y4));
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  RequiredState();
  FDc->Polygon(Points);
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  RequiredState();
  FDc->Polyline(Points);
}

void TCanvas::PolyBezier(const std::vector<TPoint>& Points) {
  RequiredState();
  FDc->PolyBezier(Points);
}

TColorRef TCanvas::Pixels(int X, int Y) const { return FDc ? FDc->GetPixel(X, Y) : 0xFFFFFFFF; }

void TCanvas::SetPixels(int X, int Y, TColor Color) {
  RequiredState();
  FDc->SetPixel(X, Y, ColorToRGB(Color));
}

std::u16string TCanvas::Shaped(const std::string& Text) const { return Utf8ToUtf16(Text); }

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  RequiredState();
  std::u16string T = Shaped(Text);
  FDc->ExtTextOut(X, Y, FTextFlags, nullptr, T, nullptr);
  // The class library leaves the pen after the text.
  FDc->MoveTo(X + FDc->TextExtent(T).cx, Y);
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  RequiredState();
  uint32_t Options = ETO_CLIPPED | FTextFlags;
  if (FBrush.Style() != bsClear) Options |= ETO_OPAQUE;
  FDc->ExtTextOut(X, Y, Options, &R, Shaped(Text), nullptr);
}

void TCanvas::ExtTextOut(int X, int Y, uint32_t Options, const TRect* R, const std::string& Text,
                         const std::vector<int>* Dx) {
  RequiredState();
  std::u16string T = Shaped(Text);
  if (Dx && Dx->size() < T.size()) Dx = nullptr;
  FDc->ExtTextOut(X, Y, Options, R, T, Dx ? Dx->data() : nullptr);
}

TSize TCanvas::TextExtent(const std::string& Text) {
  RequiredState();
  return FDc->TextExtent(Shaped(Text));
}

TTextMetric TCanvas::TextMetrics() {
  RequiredState();
  return FDc->TextMetrics();
}

void TCanvas::SetTextAlign(uint32_t Align) {
  FTextAlign = Align;
  if (FDc) FDc->SetTextAlign(Align);
}

void TCanvas::SetBkMode(int Mode) {
  RequiredState();
  FDc->SetBkMode(Mode);
}

void TCanvas::SetBkColor(TColorRef Color) {
  RequiredState();
  FDc->SetBkColor(Color);
}

void TCanvas::SetTextJustification(int Extra, int Count) {
  if (FDc) FDc->SetTextJustification(Extra, Count);
}

// Tabs become spaces whose advance reaches the next stop: one text record per line.
TSize TCanvas::TabbedLayout(const std::u16string& Text, const std::vector<int>& TabStops, int TabOrigin,
                            int StartX, std::u16string& Out, std::vector<int>& Dx) {
  RequiredState();
  TTextMetric M = FDc->TextMetrics();
  Out = Text;
  for (auto& C : Out)
    if (C == u'\t') C = u' ';
  Dx = FDc->CharAdvances(Out);
  int DefaultStep = TabStops.size() == 1 ? std::max(1, std::abs(TabStops[0])) : 8 * std::max(1, M.AveCharWidth);
  int X = StartX;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] == u'\t') {
      int Rel = X - TabOrigin, Next = -1;
      if (TabStops.size() > 1) {
        for (int S : TabStops)
          if (std::abs(S) > Rel) {
            Next = std::abs(S);
            break;
          }
      }
      if (Next < 0 && TabStops.size() > 1) Next = Rel + Dx[I];  // past the last stop: a space
      if (Next < 0) Next = (Rel / DefaultStep + 1) * DefaultStep;
      Dx[I] = Next - Rel;
    }
    X += Dx[I];
  }
  return TSize{X - StartX, M.Height};
}

TSize TCanvas::TabbedTextOut(int X, int Y, const std::string& Text, const std::vector<int>& TabStops,
                             int TabOrigin) {
  std::u16string Out;
  std::vector<int> Dx;
  TSize S = TabbedLayout(Shaped(Text), TabStops, TabOrigin, X, Out, Dx);
  FDc->ExtTextOut(X, Y, FTextFlags, nullptr, Out, Dx.data());
  return S;
}

TSize TCanvas::TabbedTextExtent(const std::string& Text, const std::vector<int>& TabStops) {
  std::u16string Out;
  std::vector<int> Dx;
  return TabbedLayout(Shaped(Text), TabStops, 0, 0, Out, Dx);
}

void TCanvas::IntersectClipRect(const TRect& R) {
  if (FDc) FDc->IntersectClipRect(R);
}

void TCanvas::ExcludeClipRect(const TRect& R) {
  if (FDc) FDc->ExcludeClipRect(R);
}

void TCanvas::SelectClipRect(const TRect* R) {
  if (!FDc) return;
  FDc->SelectClipRegion(nullptr, RGN_COPY);
  if (R) FDc->IntersectClipRect(*R);
}

void TCanvas::SelectClipRegion(const TRegion* DeviceRegion, int Mode) {
  if (FDc) FDc->SelectClipRegion(DeviceRegion, Mode);
}

void TCanvas::Draw(int X, int Y, TGraphic& Graphic) {
  if (Graphic.Empty()) return;
  Graphic.Draw(*this, Bounds(X, Y, Graphic.Width(), Graphic.Height()));
}

void TCanvas::StretchDraw(const TRect& R, TGraphic& Graphic) {
  if (Graphic.Empty()) return;
  Graphic.Draw(*this, R);
}

void TCanvas::StretchDIB(const TRect& Dest, const TRect& Src, const TDibView& Dib) {
  RequiredState();
  FDc->StretchDIBits(Dest, Src, Dib, FCopyMode);
}

int TCanvas::SaveDC() { return FDc ? FDc->SaveDC() : 0; }

void TCanvas::RestoreDC(int Level) {
  if (!FDc) return;
  FDc->RestoreDC(Level);
  Invalidate();
}
