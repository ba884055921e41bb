// Layout of a character range into a rectangle, line by line, and drawing it.
//
// Lines are broken in twips with the unhinted advances of FontEngine, which
// every device shares: a range measured for the printer is drawn the same on
// the screen or in a metafile, whatever their resolutions (only the final
// positions are rounded to each device's pixels). Break opportunities come
// from Qt's line boundaries; spaces at the end of a line hang past its edge.
#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

#include "platform/graphics/FontEngine.h"
#include "platform/richtext/RichTextConsts.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RichTextLayoutCache.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

namespace {
using TParagraph = TRichTextDocument::TParagraph;

TLogFont LogFont(const TRichCharFormat& F, double Scale) {
  TLogFont L;
  L.Height = -std::max(1, static_cast<int>(std::lround(F.Size * Scale)));
  L.Weight = F.Bold ? FW_BOLD : FW_NORMAL;
  L.Italic = F.Italic;
  L.Underline = F.Underline;
  L.StrikeOut = F.StrikeOut;
  L.CharSet = F.Charset;
  L.PitchAndFamily = F.PitchAndFamily;
  L.FaceName = F.FaceName;
  return L;
}

// Format index of each character of [From, End) of a paragraph.
std::vector<int> CharFormats(const TParagraph& P, int From, int End) {
  std::vector<int> Out;
  Out.reserve(static_cast<size_t>(End - From));
  int Pos = 0;
  for (const TRichTextDocument::TRun& R : P.Runs) {
    for (int I = std::max(Pos, From); I < std::min(Pos + R.Length, End); ++I) Out.push_back(R.Format);
    Pos += R.Length;
  }
  return Out;
}

// Advances in twips of [From, End), measured run by run (tabs and line breaks 0).
std::vector<double> Advances(const TRichTextDocument& Doc, const TParagraph& P, int From, int End,
                             const std::vector<int>& Formats) {
  std::vector<double> Out(static_cast<size_t>(End - From), 0.0);
  size_t I = 0;
  while (I < Out.size()) {
    size_t J = I;
    while (J < Out.size() && Formats[J] == Formats[I]) ++J;
    std::u16string Piece = P.Text.substr(static_cast<size_t>(From) + I, J - I);
    for (char16_t& C : Piece)
      if (C == u'\t' || C == u'\v') C = u' ';
    std::vector<double> A = FontEngine::Advances(LogFont(Doc.FormatAt(Formats[I]), 1.0), Piece);
    for (size_t K = 0; K < Piece.size() && K < A.size(); ++K) {
      char16_t C = P.Text[static_cast<size_t>(From) + I + K];
      Out[I + K] = (C == u'\t' || C == u'\v') ? 0.0 : A[K];
    }
    I = J;
  }
  return Out;
}

struct TMetrics {
  double Ascent, Descent;
};
TMetrics Metrics(const TRichCharFormat& F) {
  TTextMetric M = FontEngine::Metrics(LogFont(F, 1.0));
  return {static_cast<double>(M.Ascent), static_cast<double>(M.Descent)};
}

// Left edge of a line's text from the rectangle's left, in twips.
double LineIndent(const TRichParaFormat& F, bool First) {
  return std::max(0, F.LeftIndent + (First ? F.FirstIndent : 0));
}

// What follows a tab up to the next tab or line break (or Limit): its width, and the width of its
// part before the first decimal separator (all of it without one).
struct TTabSegment {
  double Width = 0, BeforeSeparator = 0;
};

TTabSegment SegmentAfter(const std::u16string& Text, int From, int Tab, int Limit, const std::vector<double>& Adv) {
  const char16_t Separator = static_cast<unsigned char>(FormatSettings().DecimalSeparator);
  TTabSegment S;
  bool Seen = false;
  for (int J = Tab + 1; J < Limit; ++J) {
    const char16_t C = Text[static_cast<size_t>(From + J)];
    if (C == u'\t' || C == u'\v') break;
    if (!Seen && C == Separator) {
      Seen = true;
      S.BeforeSeparator = S.Width;
    }
    S.Width += Adv[static_cast<size_t>(J)];
  }
  if (!Seen) S.BeforeSeparator = S.Width;
  return S;
}

// Where the text after a tab at X starts. The next stop's kind places what follows the tab: a left
// stop starts it there, a right stop ends it there, a centre stop centres it on it, a decimal stop
// puts its decimal separator there (or ends it there, without one). What does not fit before the
// stop starts at the tab. Past the last stop, the default stops are left stops.
double TabEnd(const TRichParaFormat& F, int DefaultTab, double X, const TTabSegment& S) {
  for (const TRichTab& T : F.Tabs) {
    if (T.Position <= X + 0.5) continue;
    double Start = T.Position;
    switch (T.Kind) {
      case TTabKind::Left: break;
      case TTabKind::Right: Start -= S.Width; break;
      case TTabKind::Center: Start -= S.Width / 2; break;
      case TTabKind::Decimal: Start -= S.BeforeSeparator; break;
    }
    return std::max(X, Start);
  }
  return (std::floor(X / DefaultTab) + 1) * DefaultTab;
}

bool IsLowSurrogate(char16_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

// Breaks [From, End) of a paragraph into lines of at most Width twips.
std::vector<TRichLine> BreakLines(const TRichTextDocument& Doc, const TParagraph& P, int From, int End,
                                  int Width) {
  const std::vector<int> Formats = CharFormats(P, From, End);
  const std::vector<double> Adv = Advances(Doc, P, From, End, Formats);
  const QString Text(reinterpret_cast<const QChar*>(P.Text.data() + From), End - From);
  QTextBoundaryFinder Breaks(QTextBoundaryFinder::Line, Text);
  const TRichParaFormat& F = P.Format();
  const int N = End - From;
  std::vector<TRichLine> Lines;
  auto Close = [&](int Start, int Stop, double LineWidth) {
    TRichLine L;
    L.Start = From + Start;
    L.Length = Stop - Start;
    L.Width = LineWidth;
    L.FirstOfParagraph = From + Start == 0;
    int Seen = -1;  // runs are long: one look-up per change of format
    for (int K = Start; K < Stop; ++K) {
      const int Format = Formats[static_cast<size_t>(K)];
      if (Format == Seen) continue;
      Seen = Format;
      TMetrics M = Metrics(Doc.FormatAt(Format));
      L.Ascent = std::max(L.Ascent, M.Ascent);
      L.Descent = std::max(L.Descent, M.Descent);
    }
    Lines.push_back(L);
  };
  int Start = 0;
  while (Start < N || Lines.empty()) {
    const double Right = Width - F.RightIndent;
    double X = LineIndent(F, From + Start == 0), Inked = X;
    int LastBreak = -1, Stop = N;
    bool Forced = false;
    for (int I = Start; I < N; ++I) {
      char16_t C = P.Text[static_cast<size_t>(From + I)];
      Breaks.setPosition(I);
      if (I > Start && Breaks.isAtBoundary()) LastBreak = I;
      if (C == u'\v') {
        Stop = I + 1;
        Forced = true;
        break;
      }
      double Next = C == u'\t' ? TabEnd(F, Doc.DefaultTabWidth(), X, SegmentAfter(P.Text, From, I, N, Adv))
                                : X + Adv[static_cast<size_t>(I)];
      if (C != u' ' && Next > Right + 0.01 && I > Start) {
        Stop = LastBreak > Start ? LastBreak : I;
        if (Stop < N && IsLowSurrogate(P.Text[static_cast<size_t>(From + Stop)]) && Stop - 1 > Start) --Stop;
        break;
      }
      X = Next;
      if (C != u' ') Inked = X;
    }
    if (Stop < N || Forced) {
      // The width of what stays on the line, trailing spaces left out.
      double W = LineIndent(F, From + Start == 0);
      double InkedW = W;
      for (int I = Start; I < Stop; ++I) {
        char16_t C = P.Text[static_cast<size_t>(From + I)];
        W = C == u'\t' ? TabEnd(F, Doc.DefaultTabWidth(), W, SegmentAfter(P.Text, From, I, Stop, Adv))
                        : W + Adv[static_cast<size_t>(I)];
        if (C != u' ' && C != u'\v') InkedW = W;
      }
      Inked = InkedW;
    }
    Close(Start, Stop, Inked - LineIndent(F, From + Start == 0));
    if (Stop >= N && !Forced) break;
    Start = Stop;
    if (Start >= N) {  // a line break as the last character: an empty line follows
      Close(Start, Start, 0);
      break;
    }
  }
  // An empty line is as high as the mark; a line whose text ran out keeps its mark's height too.
  TMetrics Mark = Metrics(Doc.FormatAt(P.MarkFormat));
  for (TRichLine& L : Lines)
    if (L.Length == 0 || (L.Length == 1 && P.Text[static_cast<size_t>(L.Start)] == u'\v'))
      L.Ascent = std::max(L.Ascent, Mark.Ascent), L.Descent = std::max(L.Descent, Mark.Descent);
  if (End == static_cast<int>(P.Text.size())) Lines.back().LastOfParagraph = true;
  return Lines;
}

// Height of a line with the paragraph's spacing, and its baseline from its top.
std::pair<double, double> LineBox(const TRichLine& L, const TRichParaFormat& F) {
  double H = L.Ascent + L.Descent, Base = L.Ascent;
  if (F.LineSpacingMultiple) {
    if (F.LineSpacing > 0) {
      double M = H * F.LineSpacing / 240.0;
      Base += M - H;
      H = M;
    }
  } else if (F.LineSpacing > 0 && F.LineSpacing > H) {
    Base += F.LineSpacing - H;
    H = F.LineSpacing;
  } else if (F.LineSpacing < 0) {
    Base += -F.LineSpacing - H;
    H = -F.LineSpacing;
  }
  return {H, Base};
}

}  // namespace

class TLineDrawer {
public:
  TLineDrawer(const TRichTextDocument& Doc, TDeviceContext& Dc)
      : FDoc(Doc), FDc(Dc), FScaleX(Dc.PixelsPerInchX() / 1440.0), FScaleY(Dc.PixelsPerInchY() / 1440.0) {}

  // Draws one line whose left edge is Left and baseline Base (twips), with Top
  // and Bottom (twips) for background fills.
  void Draw(const TParagraph& P, const TRichLine& L, double Left, double Width, double Top, double Bottom,
            double Base) {
    const TRichParaFormat& F = P.Format();
    const int From = L.Start, End = L.Start + L.Length;
    const std::vector<int> Formats = CharFormats(P, From, End);
    const std::vector<double> Adv = Advances(FDoc, P, From, End, Formats);
    const double Indent = LineIndent(F, L.FirstOfParagraph);
    const double Room = Width - F.RightIndent - Indent;
    double Offset = 0, Extra = 0;
    int Spaces = 0;
    bool Broken = L.Length > 0 && P.Text[static_cast<size_t>(End - 1)] == u'\v';
    switch (F.Alignment) {
      case TParaAlignment::Left: break;
      case TParaAlignment::Right: Offset = std::max(0.0, Room - L.Width); break;
      case TParaAlignment::Center: Offset = std::max(0.0, (Room - L.Width) / 2); break;
      case TParaAlignment::Justify:
        if (!L.LastOfParagraph && !Broken) {
          int Trail = End;
          while (Trail > From && P.Text[static_cast<size_t>(Trail - 1)] == u' ') --Trail;
          for (int I = From; I < Trail; ++I) Spaces += P.Text[static_cast<size_t>(I)] == u' ';
          if (Spaces > 0) Extra = std::max(0.0, Room - L.Width) / Spaces;
        }
        break;
    }
    // Character positions in twips from the rectangle's left.
    std::vector<double> X(static_cast<size_t>(L.Length) + 1);
    double At = Indent;
    for (int I = From; I < End; ++I) {
      X[static_cast<size_t>(I - From)] = At + Offset;
      char16_t C = P.Text[static_cast<size_t>(I)];
      At = C == u'\t' ? TabEnd(F, FDoc.DefaultTabWidth(), At, SegmentAfter(P.Text, From, I - From, End - From, Adv))
                       : At + Adv[static_cast<size_t>(I - From)];
      if (C == u' ' && Spaces > 0) At += Extra, --Spaces;
    }
    X.back() = At + Offset;
    // Pieces of one format without tabs or line breaks.
    for (int I = From; I < End;) {
      char16_t C = P.Text[static_cast<size_t>(I)];
      if (C == u'\t' || C == u'\v') {
        ++I;
        continue;
      }
      int J = I;
      const int Format = Formats[static_cast<size_t>(I - From)];
      while (J < End && Formats[static_cast<size_t>(J - From)] == Format && P.Text[static_cast<size_t>(J)] != u'\t' &&
             P.Text[static_cast<size_t>(J)] != u'\v')
        ++J;
      Piece(P, I, J, Format, X, From, Left, Top, Bottom, Base);
      I = J;
    }
  }

private:
  int Px(double Twips) const { return static_cast<int>(std::lround(Twips * FScaleX)); }
  int Py(double Twips) const { return static_cast<int>(std::lround(Twips * FScaleY)); }

  void Piece(const TParagraph& P, int I, int J, int Format, const std::vector<double>& X, int From, double Left,
             double Top, double Bottom, double Base) {
    const TRichCharFormat& CF = FDoc.FormatAt(Format);
    const double X0 = Left + X[static_cast<size_t>(I - From)], X1 = Left + X[static_cast<size_t>(J - From)];
    if (!CF.AutoBackColor)
      FDc.FillRect(TRect{Px(X0), Py(Top), Px(X1), Py(Bottom)}, TLogBrush{BS_SOLID, CF.BackColor & 0xFFFFFF, 0, {}});
    FDc.SelectFont(LogFont(CF, FScaleY));
    FDc.SetTextColor(CF.AutoColor ? 0 : (CF.Color & 0xFFFFFF));
    std::u16string Text = P.Text.substr(static_cast<size_t>(I), static_cast<size_t>(J - I));
    std::vector<int> Dx(Text.size());
    for (int K = I; K < J; ++K)
      Dx[static_cast<size_t>(K - I)] = Px(Left + X[static_cast<size_t>(K + 1 - From)]) - Px(Left + X[static_cast<size_t>(K - From)]);
    FDc.ExtTextOut(Px(X0), Py(Base), 0, nullptr, Text, Dx.data());
  }

  const TRichTextDocument& FDoc;
  TDeviceContext& FDc;
  const double FScaleX, FScaleY;
};

int TRichTextDocument::FormatRange(const TRichFormatRange& Range, bool Render, int* UsedBottom) {
  TLock L(RichTextLock());
  if (!Range.Dc && !Range.TargetDc) throw EInvalidOperation(SRichTextNoDevice);
  if (Render && !Range.Dc) throw EInvalidOperation(SRichTextNoDevice);
  if (FLayouts->Revision != FRevision) FLayouts->Reset(FRevision);
  const int Length = LengthNoLock();
  const int First = std::clamp(Range.First, 0, Length);
  const int Last = (Range.Last < 0 || Range.Last >= Length) ? Length : Range.Last;  // Length: the end, no mark
  const TRect& Rc = Range.Rc;
  if (UsedBottom) *UsedBottom = Rc.Top;
  if (First > Last || (First == Length && Length > 0)) return First;

  if (!Render) return LayOut(First, Last, Rc, nullptr, UsedBottom);
  auto Saved = SaveDCScope(*Range.Dc);
  Range.Dc->SetBkMode(TRANSPARENT);
  Range.Dc->SetTextAlign(TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
  TLineDrawer Drawer(*this, *Range.Dc);
  return LayOut(First, Last, Rc, &Drawer, UsedBottom);
}

int TRichTextDocument::LayOut(int First, int Last, const TRect& Rc, TLineDrawer* Drawer, int* UsedBottom) {
  const int Length = LengthNoLock();
  const int Width = std::max(0, Rc.Right - Rc.Left);
  double Y = Rc.Top;
  auto [Para, Offset] = Locate(First);
  BuildStarts();
  for (size_t PI = static_cast<size_t>(Para); PI < FParas.size(); ++PI, Offset = 0) {
    const TParagraph& P = FParas[PI];
    const int Start = FStarts[PI];
    if (Start > Last) break;
    const int End = std::min(static_cast<int>(P.Text.size()), Last - Start + 1);
    TRichLayoutCache::TKey Key{static_cast<int>(PI), Offset, End, Width};
    auto It = FLayouts->Lines.find(Key);
    if (It == FLayouts->Lines.end()) {
      if (FLayouts->Lines.size() >= TRichLayoutCache::MaxEntries) FLayouts->Lines.clear();
      It = FLayouts->Lines.emplace(Key, BreakLines(*this, P, Offset, End, Width)).first;
    }
    const std::vector<TRichLine>& Lines = It->second;
    for (const TRichLine& Line : Lines) {
      auto [H, Base] = LineBox(Line, P.Format());
      double Top = Y + (Line.FirstOfParagraph ? P.Format().SpaceBefore : 0);
      if (Top + H > Rc.Bottom + 0.01) return Start + Line.Start;
      if (Drawer) Drawer->Draw(P, Line, Rc.Left, Width, Top, Top + H, Top + Base);
      Y = Top + H;
      if (UsedBottom) *UsedBottom = static_cast<int>(std::ceil(Y - 0.01));
      if (Line.LastOfParagraph) Y += P.Format().SpaceAfter;
    }
  }
  return Last < Length ? Last + 1 : Length;
}

void TRichTextDocument::ClearFormatCache() {
  TLock L(RichTextLock());
  FLayouts->Reset(FRevision);
}
