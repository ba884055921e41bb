// TCanvas::DrawText: line breaking and placement on top of the device's text output.
#include <algorithm>

#include "platform/graphics/Canvas.h"
#include "platform/rtl/Win1252.h"

namespace {
std::u16string StripPrefixes(const std::u16string& S) {
  std::u16string Out;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] == u'&' && I + 1 < S.size()) ++I;  // "&&" gives "&", "&x" gives "x"
    else if (S[I] == u'&') continue;
    Out += S[I];
  }
  return Out;
}

std::vector<std::u16string> Paragraphs(const std::u16string& S, bool SingleLine) {
  std::vector<std::u16string> Out(1);
  for (size_t I = 0; I < S.size(); ++I) {
    char16_t C = S[I];
    if (C == u'\r' || C == u'\n') {
      if (SingleLine) continue;
      if (C == u'\r' && I + 1 < S.size() && S[I + 1] == u'\n') ++I;
      Out.emplace_back();
    } else {
      Out.back() += C;
    }
  }
  return Out;
}
}  // namespace

int TCanvas::DrawText(const std::string& Text, TRect& R, uint32_t Format) {
  if (!FDc) return 0;
  RequiredState();
  std::u16string S = Utf8ToUtf16(Text);
  if (!(Format & DT_NOPREFIX)) S = StripPrefixes(S);
  TTextMetric M = FDc->TextMetrics();
  int LineHeight = M.Height + ((Format & DT_EXTERNALLEADING) ? M.ExternalLeading : 0);
  std::vector<int> Stops;
  if (Format & DT_TABSTOP) Stops.push_back(((Format >> 8) & 0xFF) * M.AveCharWidth);
  bool Tabs = Format & DT_EXPANDTABS;

  auto Width = [&](const std::u16string& L) {
    if (!Tabs) return FDc->TextExtent(L).cx;
    std::u16string Out;
    std::vector<int> Dx;
    return TabbedLayout(L, Stops, 0, 0, Out, Dx).cx;
  };

  std::vector<std::u16string> Lines;
  for (const auto& P : Paragraphs(S, Format & DT_SINGLELINE)) {
    if (!(Format & DT_WORDBREAK) || (Format & DT_SINGLELINE)) {
      Lines.push_back(P);
      continue;
    }
    // Greedy breaking at blanks; a word longer than the width stands alone.
    // Without tabs a piece's width is a difference of running sums of one measurement.
    std::vector<long> Sum(P.size() + 1, 0);
    if (!Tabs) {
      std::vector<int> Adv = FDc->CharAdvances(P);
      for (size_t I = 0; I < P.size(); ++I) Sum[I + 1] = Sum[I] + Adv[I];
    }
    auto Piece = [&](size_t From, size_t To) {
      return Tabs ? static_cast<long>(Width(P.substr(From, To - From))) : Sum[To] - Sum[From];
    };
    size_t Start = 0;
    while (true) {
      size_t LastFit = std::u16string::npos, I = Start;
      while (I <= P.size()) {
        size_t End = P.find(u' ', I);
        if (End == std::u16string::npos) End = P.size();
        if (Piece(Start, End) > R.Width() && LastFit != std::u16string::npos) break;
        LastFit = End;
        I = End + 1;
      }
      if (LastFit >= P.size()) {
        Lines.push_back(P.substr(Start));
        break;
      }
      Lines.push_back(P.substr(Start, LastFit - Start));
      Start = LastFit;
      while (Start < P.size() && P[Start] == u' ') ++Start;
      if (Start >= P.size()) break;
    }
  }
  int Height = static_cast<int>(Lines.size()) * LineHeight;
  if (Format & DT_CALCRECT) {
    int MaxW = 0;
    for (const auto& L : Lines) MaxW = std::max(MaxW, Width(L));
    R.Right = R.Left + MaxW;
    R.Bottom = R.Top + Height;
    return Height;
  }
  int Y = R.Top;
  if (Format & DT_SINGLELINE) {
    if (Format & DT_VCENTER) Y = R.Top + (R.Height() - LineHeight) / 2;
    else if (Format & DT_BOTTOM) Y = R.Bottom - LineHeight;
  }
  uint32_t SavedAlign = FTextAlign;
  FDc->SetTextAlign(TA_LEFT | TA_TOP | ((Format & DT_RTLREADING) ? TA_RTLREADING : 0));
  uint32_t Options = ((Format & DT_NOCLIP) ? 0 : ETO_CLIPPED) | ((Format & DT_RTLREADING) ? ETO_RTLREADING : 0);
  for (const auto& L : Lines) {
    std::u16string Out = L;
    std::vector<int> Dx;
    int W;
    if (Tabs) {
      W = TabbedLayout(L, Stops, 0, 0, Out, Dx).cx;
    } else {
      Dx = FDc->CharAdvances(L);
      W = 0;
      for (int D : Dx) W += D;
    }
    int X = R.Left;
    if (Format & DT_CENTER) X = R.Left + (R.Width() - W) / 2;
    else if (Format & DT_RIGHT) X = R.Right - W;
    if (!Out.empty()) FDc->ExtTextOut(X, Y, Options, &R, Out, Dx.data());
    Y += LineHeight;
  }
  FDc->SetTextAlign(SavedAlign);
  return Height;
}
