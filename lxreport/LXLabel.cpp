#include "lxreport/LXLabel.h"

#include <algorithm>
#include <cmath>

#include "lxreport/LXBands.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/classes/Filer.h"

namespace {
// Bytes of the UTF-8 character starting at S[I] (a stray byte counts alone).
size_t CharLength(const std::string& S, size_t I) {
  unsigned char C = static_cast<unsigned char>(S[I]);
  size_t N = C < 0x80 ? 1 : (C >> 5) == 6 ? 2 : (C >> 4) == 14 ? 3 : (C >> 3) == 30 ? 4 : 1;
  return std::min(N, S.size() - I);
}

size_t LastCharStart(const std::string& S) {
  size_t I = S.size() - 1;
  while (I > 0 && (static_cast<unsigned char>(S[I]) & 0xC0) == 0x80) --I;
  return I;
}

int32_t MulDivRound(int64_t A, int64_t B, int64_t C) { return static_cast<int32_t>(std::llround(double(A) * B / C)); }

bool IsBreak(char C) { return C == '\r' || C == ' ' || C == '-'; }
}  // namespace


const TClassInfo& TLXCustomLabel::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCustomLabel>("TLXCustomLabel", &TLXPrintable::StaticClassInfo());
  return Info;
}

const TClassInfo& TLXLabel::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TLXLabel> D("TLXLabel", &TLXCustomLabel::StaticClassInfo());
    LXPublishTextProps(D).Prop("Caption", &TLXLabel::Caption, &TLXLabel::SetCaption);
    return TClassInfo(D);
  }();
  return Info;
}

TLXCustomLabel::TLXCustomLabel(TComponent* AOwner)
    : TLXPrintable(AOwner), FSourceLines(std::make_unique<TStringList>()) {}

TLXCustomLabel::~TLXCustomLabel() { BeforeDestruction(); }

void TLXCustomLabel::SetCaption(const std::string& V) {
  FCaption = V;
  FPrintText = V;
  LayoutLines();
  Invalidate();
}

void TLXCustomLabel::SetAutoStretch(bool V) {
  FAutoStretch = V;
  Invalidate();
}

void TLXCustomLabel::SetWordWrap(bool V) {
  FWordWrap = V;
  Invalidate();
}

void TLXCustomLabel::SetBiDiMode(TBiDiMode V) {
  if (V == FBiDiMode) return;
  FBiDiMode = V;
  FParentBiDiMode = false;
  Invalidate();
}

void TLXCustomLabel::SetParentBiDiMode(bool V) {
  FParentBiDiMode = V;
  if (V) FBiDiMode = bdLeftToRight;  // what every headless parent reads
  Invalidate();
}

TAlignment TLXCustomLabel::EffectiveAlignment() const {
  if (!UseRightToLeftAlignment()) return Alignment();
  switch (Alignment()) {
    case taLeftJustify: return taRightJustify;
    case taRightJustify: return taLeftJustify;
    default: return taCenter;
  }
}

void TLXCustomLabel::SetName(const std::string& NewName) {
  std::string Old = Name();
  TLXPrintable::SetName(NewName);
  if (FCaption.empty() || FCaption == Old) SetCaption(NewName);
}

void TLXCustomLabel::SetParent(THeadlessWinControl* AParent) {
  TLXPrintable::SetParent(AParent);
  LayoutLines();
}

void TLXCustomLabel::SetAlignment(TAlignment V) { TLXPrintable::SetAlignment(V); }

void TLXCustomLabel::FontChanged() {
  TLXPrintable::FontChanged();
  LayoutLines();
}

void TLXCustomLabel::DefineProperties(TFiler* Filer) {
  TLXPrintable::DefineProperties(Filer);
  // Always written: the point size survives a reader at another screen resolution.
  Filer->DefineProperty(
      "FontSize", [this](TReader& R) { ReadFontSize(R); }, [this](TWriter& W) { WriteFontSize(W); }, true);
}

void TLXCustomLabel::ReadFontSize(TReader& Reader) { FStoredFontSize = Reader.ReadInteger(); }

void TLXCustomLabel::WriteFontSize(TWriter& Writer) { Writer.WriteInteger(Font()->Size()); }

void TLXCustomLabel::Loaded() {
  TLXPrintable::Loaded();
  // Only a different size is set: setting the font would end ParentFont.
  if (FStoredFontSize > 0 && Font()->Size() != FStoredFontSize) Font()->SetSize(FStoredFontSize);
  LayoutLines();
}

// ---- Measuring

bool TLXCustomLabel::MeasuresOnPrinter() const {
  return Printing() && OutputPrinter() && OutputPrinter()->Canvas() && OutputPrinter()->Canvas()->HandleAllocated();
}

void TLXCustomLabel::UseFont(TCanvas& C) const {
  if (!(C.Font() == *Font())) C.SetFont(*Font());
}

int32_t TLXCustomLabel::MeasureLine(const std::string& Text) {
  if (MeasuresOnPrinter()) {
    TCanvas& C = *OutputPrinter()->Canvas();
    UseFont(C);
    return C.TextWidth(Text);
  }
  if (Report()) return MulDivRound(Report()->MeasureTextWidth(Font(), Text), Zoom(), 100);
  return LXScreenTextExtent(*Font(), Text).cx;
}

int32_t TLXCustomLabel::TextLineHeight() {
  if (FPrintLineHeight >= 0 && MeasuresOnPrinter()) return FPrintLineHeight;
  if (MeasuresOnPrinter()) {
    TCanvas& C = *OutputPrinter()->Canvas();
    UseFont(C);
    return C.TextHeight("W");
  }
  if (Report()) return Report()->MeasureTextHeight(Font(), "W") * Zoom() / 100 + 1;
  return LXScreenTextExtent(*Font(), "W").cy + 1;
}

int32_t TLXCustomLabel::LayoutWidth() const {
  if (MeasuresOnPrinter()) return OutputPrinter()->XSize(Size()->Native(TLXPrintableSize::WidthIndex));
  return Width();
}

// ---- Layout

void TLXCustomLabel::LayoutLines() {
  if (!Parent()) return;
  FWrappedLines.clear();
  FStop = false;
  if (IsCaptionBased())
    LayoutFromCaption();
  else
    for (int I = 0; I < FSourceLines->Count(); ++I) PlaceSourceLine(FSourceLines->Strings(I));
  if (!FAutoSize || !Report() || FAdjustingBounds) return;
  int32_t NewWidth = 0;
  for (const std::string& L : FWrappedLines) NewWidth = std::max(NewWidth, MeasureLine(L));
  const TLXFrame& F = *Frame();
  int32_t FrameWidth;
  if (MeasuresOnPrinter())
    FrameWidth = F.Width() < 0 ? 1 : OutputPrinter()->XSize(F.Width() / 72.0L * 254);
  else
    FrameWidth = F.Width() < 0 ? 1 : MulDivRound(int64_t(Zoom()) * F.Width(), LXScreenPixelsPerInch(), 7200);
  if (F.DrawLeft()) NewWidth += FrameWidth;
  if (F.DrawRight()) NewWidth += FrameWidth;
  int32_t Old = LayoutWidth(), Shift = 0;
  switch (EffectiveAlignment()) {
    case taRightJustify: Shift = Old - NewWidth; break;
    case taCenter: Shift = (Old - NewWidth) / 2; break;
    default: break;
  }
  bool NoLines = FWrappedLines.empty() && !Printing();
  AdjustBounds(Shift, NewWidth, NoLines, TextLineHeight());
}

void TLXCustomLabel::AdjustBounds(int32_t Shift, int32_t NewWidth, bool RaiseHeight, int32_t MinHeight) {
  TRestore<bool> Adjusting(FAdjustingBounds, true);
  if (MeasuresOnPrinter()) {
    // Device pixels back to native lengths: the control follows from Size.
    TLXPrintableSize& S = *Size();
    TLXPrinter& P = *OutputPrinter();
    S.SetNative(TLXPrintableSize::LeftIndex, S.Native(TLXPrintableSize::LeftIndex) + Shift / P.XFactor());
    S.SetNative(TLXPrintableSize::WidthIndex, NewWidth / P.XFactor());
    if (RaiseHeight || P.YSize(S.Native(TLXPrintableSize::HeightIndex)) < MinHeight)
      S.SetNative(TLXPrintableSize::HeightIndex, MinHeight / P.YFactor());
    S.ApplyToParent();
    return;
  }
  int NewHeight = (RaiseHeight || Height() < MinHeight) ? MinHeight : Height();
  SetBounds(Left() + Shift, Top(), NewWidth, NewHeight);
}

void TLXCustomLabel::LayoutFromCaption() {
  PlaceSourceLine(FPrintText);
  if (!Report() || FAdjustingBounds) return;
  int32_t LineHeight = TextLineHeight();
  int32_t Current = MeasuresOnPrinter() ? OutputPrinter()->YSize(Size()->Native(TLXPrintableSize::HeightIndex)) : Height();
  if (Current >= LineHeight) return;
  TRestore<bool> Adjusting(FAdjustingBounds, true);
  if (MeasuresOnPrinter()) {
    Size()->SetNative(TLXPrintableSize::HeightIndex, LineHeight / OutputPrinter()->YFactor());
    Size()->ApplyToParent();
  } else {
    SetHeight(LineHeight);
  }
}

void TLXCustomLabel::PlaceSourceLine(std::string Line) {
  std::erase(Line, '\n');
  if (Line.find('\r') != std::string::npos) {
    // Each carriage return starts a new line.
    for (size_t P; (P = Line.find('\r')) != std::string::npos; Line.erase(0, P + 1)) PlaceSourceLine(Line.substr(0, P));
    PlaceSourceLine(Line);
    return;
  }
  FLine.clear();
  FStop = false;
  size_t Before = FWrappedLines.size();
  if (FAutoSize) {
    FLine = Line;
    CommitLine();
    FStop = true;
  } else if (!Line.empty() && MeasureLine(Line) <= LayoutWidth()) {
    // A line that fits whole is one line: word by word, each would have fit after the others,
    // as a text's width only grows with it.
    FLine = std::move(Line);
  } else {
    for (size_t B = 0; B < Line.size() && !FStop;) {
      size_t E = B;
      while (E < Line.size() && !IsBreak(Line[E])) ++E;
      if (E < Line.size()) ++E;  // the break character ends its word
      PlaceWord(Line.substr(B, E - B));
      B = E;
    }
  }
  // What a cut word leaves is no line of its own; an empty source line is.
  if (!FStop && (!FLine.empty() || FWrappedLines.size() == Before)) CommitLine();
}

void TLXCustomLabel::PlaceWord(std::string Word) {
  int32_t W = LayoutWidth();
  if (MeasureLine(FLine + Word) <= W) {
    FLine += Word;
    return;
  }
  if (FLine.empty()) {
    // A word too long for an empty line is cut, not broken across lines; but it keeps at
    // least its first character, or nothing would ever be placed.
    size_t I = 0;
    while (I < Word.size()) {
      size_t N = CharLength(Word, I);
      if (MeasureLine(FLine + Word.substr(I, N)) >= W && (I > 0 || W <= 0)) break;
      FLine += Word.substr(I, N);
      I += N;
    }
    Word.clear();
  }
  CommitLine();
  if (!FWordWrap) {
    // Without word wrap a source line gives one line: the words that fit.
    FStop = true;
    return;
  }
  if (!Word.empty() && MeasureLine(Word) > W) {
    if (W > 0) {
      while (Word.size() > CharLength(Word, 0) && MeasureLine(Word) > W) Word.erase(LastCharStart(Word));
      FLine = Word;
      CommitLine();
    }
    Word.clear();
  }
  FLine = Word;
}

void TLXCustomLabel::CommitLine() {
  FWrappedLines.push_back(FLine);
  FLine.clear();
}

// ---- Design surface

void TLXCustomLabel::Paint() {
  if (Printing()) return;
  TCanvas& C = Canvas();
  TFont F(*Font());
  int Scaled = static_cast<int>(std::lround(F.Size() * Zoom() / 100.0));
  if (Scaled != F.Size()) F.SetSize(Scaled);
  C.SetFont(F);
  TLXPrintable::Paint();
  int32_t LineHeight = C.TextHeight("W");
  DrawLines(ClientRect(), LineHeight);
  PaintCorners();
}

void TLXCustomLabel::DrawLines(const TRect& R, int32_t LineHeight) {
  LayoutLines();
  TCanvas& C = Canvas();
  if (!Transparent()) {
    C.Brush().SetColor(Color());
    C.Brush().SetStyle(bsSolid);
    C.FillRect(R);
  }
  const TLXFrame& F = *Frame();
  int FrameWidth = F.Width() < 0 ? 1 : MulDivRound(int64_t(Zoom()) * F.Width(), LXScreenPixelsPerInch(), 7200);
  int X = R.Left + (F.DrawLeft() ? FrameWidth : 0);
  int Y = R.Top + (F.DrawTop() ? FrameWidth : 0);
  C.SetBkMode(TRANSPARENT);
  switch (EffectiveAlignment()) {
    case taRightJustify:
      C.SetTextAlign(TA_RIGHT | TA_TOP);
      X += R.Right - R.Left;
      break;
    case taCenter:
      C.SetTextAlign(TA_CENTER | TA_TOP);
      X += (R.Right - R.Left) / 2;
      break;
    default: C.SetTextAlign(TA_LEFT | TA_TOP); break;
  }
  for (size_t I = 0; I < FWrappedLines.size(); ++I)
    if (!FWrappedLines[I].empty()) C.TextOut(X, Y + static_cast<int>(I) * LineHeight, FWrappedLines[I]);
}

// ---- Run

void TLXCustomLabel::BeginPrinting() {
  TLXPrintable::BeginPrinting();
  SetCaption(FCaption);
}

void TLXCustomLabel::EndPrinting() { TLXPrintable::EndPrinting(); }

void TLXCustomLabel::PrintAt(int32_t X, int32_t Y) {
  if (!IsOutputEnabled() || !Report() || !MeasuresOnPrinter()) return;
  TLXPrinter& P = *OutputPrinter();
  UseFont(*P.Canvas());
  const TLXPrintableSize& S = *Size();
  long double Left = X + S.Native(TLXPrintableSize::LeftIndex);
  long double Top = Y + S.Native(TLXPrintableSize::TopIndex);
  PrintLines(Left, Top, S.Native(TLXPrintableSize::WidthIndex), S.Native(TLXPrintableSize::HeightIndex),
             P.Canvas()->TextHeight("W"));
}

void TLXCustomLabel::PrintLines(long double Left, long double Top, long double Width, long double Height,
                                int32_t LinePixels) {
  TLXPrinter& P = *OutputPrinter();
  TCanvas& C = *P.Canvas();
  const TLXPrintableSize& S = *Size();
  std::string Saved;
  bool Changed = false;
  if (!FPrintText.empty() && OnPrint) {
    std::string Value = FPrintText;
    OnPrint(this, Value);
    UseFont(C);
    Height = S.Native(TLXPrintableSize::HeightIndex);
    LinePixels = C.TextHeight("W");
    if (Value != FPrintText) {
      Saved = FPrintText;
      FPrintText = Value;
      Changed = true;
    }
  }
  TFinally Restore([&] {
    if (Changed) FPrintText = Saved;
  });
  const long double LineHeight = LinePixels / P.YFactor();
  long double WidthBefore = Width;
  {
    TRestore<int32_t> Known(FPrintLineHeight, LinePixels);
    LayoutLines();
  }
  Width = S.Native(TLXPrintableSize::WidthIndex);
  // AutoSize keeps the right edge or the centre where it was.
  long double XLeft = Left;
  if (FAutoSize && Alignment() == taRightJustify)
    XLeft = Left - (Width - WidthBefore);
  else if (FAutoSize && Alignment() == taCenter)
    XLeft = Left - (Width - WidthBefore) / 2;
  bool Rendering = Report()->Rendering();
  auto Fill = [&](long double T, long double B) {
    C.Brush().SetColor(Color());
    C.Brush().SetStyle(bsSolid);
    C.FillRect(Rect(P.XPos(XLeft), P.YPos(T), P.XPos(XLeft + Width), P.YPos(B)));
  };
  if (Rendering && !Transparent()) Fill(Top, Top + Height);
  TRect OutRect = Rect(0, 0, P.XSize(Width), P.YSize(LineHeight));
  uint32_t Options = 0, Align = TA_TOP;
  if (UseRightToLeftReading()) {
    Options |= ETO_RTLREADING;
    Align |= TA_RTLREADING;
  }
  long double TextX = XLeft;
  switch (EffectiveAlignment()) {
    case taRightJustify:
      Align |= TA_RIGHT;
      TextX = XLeft + Width;
      break;
    case taCenter:
      Align |= TA_CENTER;
      TextX = XLeft + Width / 2;
      break;
    default: Align |= TA_LEFT; break;
  }
  C.SetBkMode(TRANSPARENT);
  C.SetTextAlign(Align);

  long double Y = Top, Limit = Top + Height + 1, Stretch = 0;
  bool HasGrown = false;
  auto RoomForLine = [&] {
    if (Y + LineHeight <= Limit) return true;
    if (!FAutoStretch) return false;
    auto* Band = dynamic_cast<TLXCustomBand*>(Parent());
    if (!Band || !Band->HasRoomFor(LineHeight)) return false;
    long double Previous = Stretch, NewExpanded = 0;
    Band->GrowBy(NewExpanded, HasGrown, LineHeight);
    Stretch = NewExpanded;
    Limit = Top + Height + 1 + Stretch;
    if (Rendering && !Transparent()) Fill(Top + Height + Previous, Top + Height + Stretch);
    return true;
  };
  if (Finished()) FNextLine = 0;
  int32_t Count = static_cast<int32_t>(FWrappedLines.size());
  while (FNextLine < Count && RoomForLine()) {
    const std::string& Line = FWrappedLines[static_cast<size_t>(FNextLine)];
    if (Rendering && !Line.empty()) C.ExtTextOut(P.XPos(TextX), P.YPos(Y), Options, &OutRect, Line);
    // The filters get the anchor the text is drawn at: the right edge of a right-aligned
    // line, the middle of a centred one.
    if (Report()->Exporting() && Report()->ExportFilter())
      Report()->ExportFilter()->TextOut(TextX, Y, Font(), Color(), EffectiveAlignment(), Line);
    Y += LineHeight;
    ++FNextLine;
  }
  SetFinished(!(FNextLine < Count && FAutoStretch));
  if (Rendering && Frame()->HasAnySide())
    Frame()->DrawOn(C, Rect(P.XPos(XLeft), P.YPos(Top), P.XPos(XLeft + Width), P.YPos(Top + Height + Stretch)),
                    P.XFactor(), P.YFactor());
}
