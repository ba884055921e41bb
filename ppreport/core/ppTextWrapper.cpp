// TppTextWrapper: tokens laid into the lines that fit a rectangle, with the position to resume at.
#include <algorithm>
#include <limits>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppMeasuringCanvas.h"
#include "ppreport/core/ppPlainText.h"

namespace {
int32_t Saturated(int64_t V) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
}  // namespace

TppTextWrapper::TppTextWrapper() = default;
TppTextWrapper::~TppTextWrapper() = default;

void TppTextWrapper::SetTabStopPositions(const TStrings* Strings) {
  FTabStopStrings.reset();
  if (!Strings) return;
  FTabStopStrings = std::make_unique<TStringList>();
  FTabStopStrings->AddStrings(*Strings);
}

void TppTextWrapper::Wrap() {
  FLines.Clear();
  const TFont Fallback;
  TppMeasuringCanvas Measure(FPrinter, FFont ? *FFont : Fallback);
  FMeasure = &Measure;
  auto Done = TFinally([this] { FMeasure = nullptr; });
  TCanvas& Canvas = Measure.Canvas();

  FLineHeight = Saturated(int64_t{Measure.ToMicrons(Canvas.TextHeight("W"), ppVertical)} + FLeading);
  if (FTabStopStrings)
    TppPlainText::ConvertTabStops(Measure.Unit(), FTabStopStrings.get(), Measure.Resolution(), FTabStopCount,
                                  FTabStopPositions);
  // An auto-sized text may run a little into its right edge rather than lose a word to the next line.
  int64_t ExtraWidth = 0;
  if (FAutoSize) ExtraWidth = Round(0.3L * Measure.ToMicrons(Canvas.TextWidth(" "), ppHorizontal));

  if (int64_t{FRect.Top} + FLineHeight >= FRect.Bottom) return;
  FParser.SetText(FText);
  FParser.SetPosition(FStartPosition);
  FSkipLeadingSpaces = FStartPosition != 0;
  FAvailableWidth = Saturated(int64_t{FRect.Right} - FRect.Left + ExtraWidth);
  BuildLines();
}

bool TppTextWrapper::LinesFull() const {
  return int64_t{FRect.Top} + (int64_t{FLines.Count()} + 1) * FLineHeight > FRect.Bottom;
}

int32_t TppTextWrapper::MeasureText(const std::string& S) const {
  TCanvas& Canvas = FMeasure->Canvas();
  int64_t Pixels = S.find(TppTextMarkups::Tab()) != std::string::npos
                       ? TppPlainText::GetTabbedTextWidth(Canvas, S, FTabStopPositions, FTabStopCount)
                       : Canvas.TextWidth(S);
  return FMeasure->ToMicrons(Pixels, ppHorizontal);
}

void TppTextWrapper::BuildLines() {
  FLine.clear();
  FToken = FParser.NextToken();
  FPending.clear();
  int SpaceCount = 0;
  bool LineDone = false;
  bool Full = LinesFull();
  while (!FToken.empty() && !Full) {
    if (FToken == TppTextMarkups::LineBreak()) {
      AddParagraphLine(FLine);
      FStartPosition = FParser.Position();
      LineDone = true;
      FLine.clear();
      FToken.clear();
      FSkipLeadingSpaces = false;
      SpaceCount = 0;
    } else {
      // One or two spaces that open a wrapped line are dropped; three or more are meant.
      if (FSkipLeadingSpaces) {
        if (FToken.size() == 1 && FToken[0] == TppTextMarkups::Space()) {
          if (++SpaceCount > 2) {
            SpaceCount = 0;
            FSkipLeadingSpaces = false;
          }
        } else {
          if (SpaceCount > 0) FLine.erase(0, std::min<size_t>(SpaceCount, FLine.size()));
          SpaceCount = 0;
          FSkipLeadingSpaces = false;
        }
      }
      if (MeasureText(FLine + FToken) > FAvailableWidth) {
        BreakLine();
        FLine.clear();
        LineDone = true;
      } else {
        FLine += FToken;
        FToken.clear();
      }
    }
    if (LineDone && LinesFull()) {
      Full = true;
      // The next call starts with the unplaced token. The parser stands on its last character, or
      // one past it when it ended the text. Resuming a character earlier would read again what
      // this page placed: a tab before the word (a page holding only that tab would come back
      // forever) or the last character before a tab.
      if (!FToken.empty())
        FStartPosition = FParser.Position() - static_cast<int32_t>(FToken.size()) - (FParser.EndOfText() ? 1 : 0);
    }
    if (!Full) NextWord();
  }
  if (FLines.Count() == 0) FStartPosition = FParser.Position();
}

// The token does not fit after the line: split it, or move it whole to the next line.
void TppTextWrapper::BreakLine() {
  if (FCharWrap || FLine.empty() || MeasureText(FToken) > FAvailableWidth) {
    SplitWord(FLine, FToken, FPending);
    FLine += FToken;
    FToken.clear();
    // The parser stands on the token's last character, or one past it when the token ended the text
    // (its end or a NUL); the unplaced rest is read again. The text's length alone would miss the NUL
    // and lose a character on the next call.
    FStartPosition = FParser.Position() - static_cast<int32_t>(FPending.size());
    if (FParser.EndOfText()) --FStartPosition;
  } else {
    FStartPosition = FParser.Position();
  }
  AddLine(FLine);
}

void TppTextWrapper::SplitWord(const std::string& Line, std::string& Word, std::string& Rest) const {
  std::string Test = Line;
  size_t I = 0;
  bool First = true;
  while (I < Word.size()) {
    const size_t Start = I;
    NextUtf8(Word, I);
    Test.append(Word, Start, I - Start);
    if (MeasureText(Test) > FAvailableWidth) {
      // Every line takes at least one character.
      const size_t Cut = !First ? Start : Line.empty() ? I : 0;
      Rest = Word.substr(Cut);
      Word.resize(Cut);
      return;
    }
    First = false;
  }
  Rest.clear();
}

void TppTextWrapper::AddLine(std::string S) {
  if (!S.empty() && S.back() == TppTextMarkups::Space())
    while (!S.empty() && static_cast<unsigned char>(S.back()) <= 32) S.pop_back();
  FLines.Add(S);
  FSkipLeadingSpaces = true;
}

// A paragraph's last line; under full justification it carries the mark the devices draw it
// unjustified by.
void TppTextWrapper::AddParagraphLine(const std::string& S) {
  AddLine(S);
  if (FTextAlignment != taFullJustified) return;
  const int Last = FLines.Count() - 1;
  FLines.Put(Last, FLines.Get(Last) + std::string(TppTextMarkups::ParagraphEnd()));
}

void TppTextWrapper::NextWord() {
  if (!FPending.empty()) {
    FToken = std::move(FPending);
    FPending.clear();
    return;
  }
  if (!FToken.empty()) return;
  FToken = FParser.NextToken();
  if (!FToken.empty()) return;
  if (!FLine.empty()) AddParagraphLine(FLine);
  FStartPosition = FParser.Position();
}
