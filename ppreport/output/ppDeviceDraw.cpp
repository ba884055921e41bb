#include "ppreport/output/ppDeviceDraw.h"

#include <algorithm>

#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConvert.h"

namespace ppDeviceDraw {

void StrokeLine(TCanvas& Canvas, TppLinePositionType Position, const TRect& R, int W, int Gap) {
  for (int K = 0; K < W; ++K) {
    switch (Position) {
      case lpTop:
        Canvas.MoveTo(R.Left, R.Top + Gap + K);
        Canvas.LineTo(R.Right, R.Top + Gap + K);
        break;
      case lpBottom:
        Canvas.MoveTo(R.Left, R.Bottom - Gap - K);
        Canvas.LineTo(R.Right, R.Bottom - Gap - K);
        break;
      case lpLeft:
        Canvas.MoveTo(R.Left + Gap + K, R.Top);
        Canvas.LineTo(R.Left + Gap + K, R.Bottom);
        break;
      case lpRight:
        Canvas.MoveTo(R.Right - Gap - K, R.Top);
        Canvas.LineTo(R.Right - Gap - K, R.Bottom);
        break;
    }
  }
}

void StrokeBorder(TCanvas& Canvas, const TppBorder& Border, const TRect& R, int Nx, int Ny) {
  Canvas.Pen().SetStyle(Border.Style());
  Canvas.Pen().SetColor(Border.Color());
  Canvas.Pen().SetWidth(1);
  for (int K = 0; K <= Nx; ++K) {
    if (Border.Has(bpLeft)) {
      Canvas.MoveTo(R.Left + K, R.Top);
      Canvas.LineTo(R.Left + K, R.Bottom);
    }
    if (Border.Has(bpRight)) {
      Canvas.MoveTo(R.Right - K, R.Top);
      Canvas.LineTo(R.Right - K, R.Bottom);
    }
  }
  for (int K = 0; K <= Ny; ++K) {
    if (Border.Has(bpTop)) {
      Canvas.MoveTo(R.Left, R.Top + K);
      Canvas.LineTo(R.Right, R.Top + K);
    }
    if (Border.Has(bpBottom)) {
      Canvas.MoveTo(R.Left, R.Bottom - K);
      Canvas.LineTo(R.Right, R.Bottom - K);
    }
  }
}

TRect PlaceImage(const TRect& R, int Gw, int Gh, bool Stretch, bool MaintainAspectRatio, bool Center) {
  const int W = R.Width(), H = R.Height();
  if (Stretch) {
    if (!MaintainAspectRatio) return R;
    const float S = CalcFitScale(static_cast<float>(W), static_cast<float>(H), static_cast<float>(Gw),
                                 static_cast<float>(Gh));
    const int C = static_cast<int>(Trunc(Gw * static_cast<long double>(S)));
    const int D = static_cast<int>(Trunc(Gh * static_cast<long double>(S)));
    int L = R.Left, T = R.Top;
    if (Center) {
      L += (W - C) / 2;
      T += (H - D) / 2;
    }
    return Bounds(L, T, C, D);
  }
  const int Ox = Center ? (W - Gw) / 2 : 0, Oy = Center ? (H - Gh) / 2 : 0;
  return Bounds(R.Left + Ox, R.Top + Oy, Gw, Gh);
}

std::vector<std::string> TextLinesOf(const TppDrawText& Text) {
  std::vector<std::string> Lines;
  if (Text.Text().empty()) return Lines;
  if (!Text.WordWrap()) {
    Lines.push_back(Text.Text());
    return Lines;
  }
  const TStringList& W = *Text.WrappedText();
  for (int I = 0; I < W.Count(); ++I) Lines.push_back(W.Get(I));
  return Lines;
}

namespace {
bool HasWordBreak(const std::string& Line) {
  const std::string T = Trim(Line);
  return T.find(TppTextMarkups::Space()) != std::string::npos;
}
}  // namespace

int DrawTextLines(TCanvas& Canvas, TppDrawText& Text, const TppTextLines& Layout) {
  const std::string_view Mark = TppTextMarkups::ParagraphEnd();
  const TppBorder& Border = *Text.Border();
  const bool Bordered = Border.Visible();
  const bool Left = Bordered && Border.Has(bpLeft), Right = Bordered && Border.Has(bpRight);
  const bool Top = Bordered && Border.Has(bpTop), Bottom = Bordered && Border.Has(bpBottom);
  const int Bx = Layout.Bx, By = Layout.By;
  const bool FullJustified = Text.TextAlignment() == taFullJustified;
  const std::vector<int> Stops(Layout.Tabs.begin(), Layout.Tabs.begin() + std::clamp(Layout.TabCount, 0, ppMaxTabStops));

  TRect R = Text.GetDrawRect();
  if (Text.AutoSize() && !Text.WordWrap() && !Text.Text().empty() && R.Height() < Layout.LineHeight)
    R.Bottom = R.Top + Layout.LineHeight;
  std::vector<std::string> Lines = TextLinesOf(Text);

  TRect T = R;
  if (Text.AutoSize()) {
    int Needed = 0;
    for (const std::string& S : Lines) {
      const std::string Measured = Layout.ScreenRules && FullJustified ? TppPlainText::RemoveText(S, Mark) : S;
      Needed = std::max(Needed, TppPlainText::GetTabbedTextWidth(Canvas, Measured, Layout.Tabs, Layout.TabCount));
    }
    Needed += (Left ? Bx : 0) + (Right ? Bx : 0);
    if (Needed != T.Width()) {
      switch (Text.Alignment()) {
        case taLeftJustify: T.Right = T.Left + Needed; break;
        case taRightJustify: T.Left = T.Right - Needed; break;
        case taCenter:
          T.Left += static_cast<int>(Round((T.Width() - Needed) / 2.0L));
          T.Right = T.Left + Needed;
          break;
      }
    }
  }
  if (!Text.Transparent()) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(Text.Color());
    Canvas.FillRect(T);
  }
  // The lines' clip reaches below the bottom border's first pixels on paper.
  if (Bordered && !Layout.ScreenRules) T.Bottom += By;

  Canvas.Brush().SetStyle(bsClear);
  Canvas.SetTextFlags(0);
  int Y = 0;
  bool Justified = false;
  for (size_t I = 0; I < Lines.size(); ++I) {
    if (Layout.LastLine >= 0 && static_cast<int>(I) > Layout.LastLine) break;
    std::string S = Lines[I];
    TRect L = Rect(T.Left, T.Top + Y, T.Right, T.Bottom);
    int LineTop = T.Top + Y;
    int X = L.Left;
    if (FullJustified) {
      // A paragraph's last line stays unjustified unless it is forced and has more than one word;
      // both start inside the border.
      const bool Last = S.find(Mark) != std::string::npos;
      S = TppPlainText::RemoveText(S, Mark);
      if (Left) L.Left += Bx;
      if (Right) L.Right -= Bx;
      X = L.Left;
      if (!Last || (Text.ForceJustifyLastLine() && HasWordBreak(S))) {
        TppPlainText::JustifyLine(Canvas, L, Layout.Tabs, Layout.TabCount, S);
        Justified = true;
      } else {
        Canvas.SetTextJustification(0, 0);
      }
    } else {
      const int W = TppPlainText::GetTabbedTextWidth(Canvas, S, Layout.Tabs, Layout.TabCount);
      switch (Text.TextAlignment()) {
        case taRightJustified: X = L.Right - W; break;
        case taCentered: X = L.Left + static_cast<int>(Round((T.Width() - W) / 2.0L - 0.5L)); break;
        default: break;
      }
      if (Left && Text.TextAlignment() == taLeftJustified) X += Bx;
      if (Right && Text.TextAlignment() == taRightJustified) X -= Bx;
    }
    if (Top) LineTop += By;
    if (Text.IsMemo())
      Canvas.TabbedTextOut(X, LineTop, S, Stops, X);
    else if (Layout.ScreenRules && Text.AutoSize())
      Canvas.TextOut(X, LineTop, S);
    else
      Canvas.TextRect(L, X, LineTop, S);
    Y += Layout.LineHeight;
  }
  if (Justified) Canvas.SetTextJustification(0, 0);

  if (Text.AutoSize()) {
    TRect D = Text.GetDrawRect();
    D.Left = T.Left;
    D.Right = T.Right;
    D.Bottom = D.Top + Y + (Top ? By : 0) + (Bottom ? By : 0);
    Text.SetDrawRect(D);
  }
  return T.Width();
}

}  // namespace ppDeviceDraw
