// The tokenizer and the class methods around the wrapper.
#include "ppreport/core/ppPlainText.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppMeasuringCanvas.h"

// --- TppPlainTextParser ---

void TppPlainTextParser::SetText(std::string Text) {
  FText = std::move(Text);
  // Positions are 32-bit; whatever lies beyond is never reached.
  FTextLength = static_cast<int32_t>(std::min<size_t>(FText.size(), std::numeric_limits<int32_t>::max() - 1));
  FPosition = 0;
  FEndOfText = false;
}

void TppPlainTextParser::SetPosition(int32_t P) {
  FPosition = std::clamp(P, 0, FTextLength + 1);
  FEndOfText = FTextLength < FPosition;
}

bool TppPlainTextParser::IsParagraphEndAt(int32_t P) const {
  const auto Mark = TppTextMarkups::ParagraphEnd();
  return int64_t{P} - 1 + static_cast<int64_t>(Mark.size()) <= FTextLength &&
         FText.compare(P - 1, Mark.size(), Mark) == 0;
}

std::string TppPlainTextParser::NextToken() {
  std::string Token;
  // A token ends at a separator: a separator read first is the token, one read after a word is
  // pushed back and read again next time.
  auto Single = [&](std::string_view S) {
    if (Token.empty()) Token = S;
    else --FPosition;
  };
  while (!FEndOfText) {
    if (++FPosition > FTextLength) {
      FEndOfText = true;
      break;
    }
    const char C = FText[FPosition - 1];
    if (C == TppTextMarkups::NullChar()) {
      FEndOfText = true;  // the position stays on the NUL
      break;
    }
    if (C == TppTextMarkups::Space()) {
      Single(" ");
      break;
    }
    if (C == TppTextMarkups::CarriageReturn()) {
      if (Token.empty() && FPosition < FTextLength && FText[FPosition] == TppTextMarkups::LineFeed()) ++FPosition;
      Single(TppTextMarkups::LineBreak());
      break;
    }
    if (C == TppTextMarkups::LineFeed()) {
      Single(TppTextMarkups::LineBreak());
      break;
    }
    if (C == TppTextMarkups::Tab()) {
      Single("\t");
      break;
    }
    if (IsParagraphEndAt(FPosition)) {
      if (Token.empty()) FPosition += static_cast<int32_t>(TppTextMarkups::ParagraphEnd().size()) - 1;
      Single(TppTextMarkups::LineBreak());
      break;
    }
    Token += C;
  }
  return Token;
}

// --- TppPlainText ---

void TppPlainText::WordWrap(const std::string& Text, const TRect& Rect, TppTextAlignment TextAlignment, bool AutoSize,
                            const TFont& Font, bool CharWrap, int32_t Leading, const TStrings* TabStopPositions,
                            IppMeasuringPrinter* Printer, int32_t& StartPosition, TStrings& Lines) {
  TppTextWrapper Wrapper;
  Wrapper.SetText(Text);
  Wrapper.SetRect(Rect);
  Wrapper.SetTextAlignment(TextAlignment);
  Wrapper.SetAutoSize(AutoSize);
  Wrapper.SetFont(&Font);
  Wrapper.SetCharWrap(CharWrap);
  Wrapper.SetLeading(Leading);
  Wrapper.SetPrinter(Printer);
  Wrapper.SetStartPosition(StartPosition);
  Wrapper.SetTabStopPositions(TabStopPositions);
  Wrapper.Wrap();
  Lines.Clear();
  Lines.AddStrings(Wrapper.Lines());
  StartPosition = Wrapper.StartPosition();
}

int TppPlainText::CalcLineCount(const TFont& Font, int32_t Leading, int32_t& LineHeight, IppMeasuringPrinter* Printer,
                                int32_t Height) {
  TppMeasuringCanvas Measure(Printer, Font);
  const auto InPixels = [&](int32_t Microns) {
    return Trunc(ConvertFromMicrons(Microns, Measure.Unit(), ppVertical, Measure.Resolution()));
  };
  int64_t H = Measure.Canvas().TextMetrics().Height;
  if (Leading != 0) H += InPixels(Leading);
  LineHeight = Measure.ToMicrons(H, ppVertical);
  // A line of no height (a negative leading) would fit any number of times: none is counted.
  if (H <= 0) return 0;
  return static_cast<int>(std::max<int64_t>(0, InPixels(Height) / H));
}

void TppPlainText::ConvertTabStops(TppUnitType Unit, const TStrings* TabStopPositions,
                                   const IppPrinterResolution* Printer, int& Count, TppTabStopPositions& Positions) {
  if (Unit != utScreenPixels && Unit != utPrinterPixels) return;
  Count = 0;
  if (!TabStopPositions) return;
  for (int I = 0; I < TabStopPositions->Count() && Count < ppMaxTabStops; ++I) {
    const int64_t Microns = StrToIntDef(TabStopPositions->Get(I), std::numeric_limits<int64_t>::min());
    if (Microns < std::numeric_limits<int32_t>::min() || Microns > std::numeric_limits<int32_t>::max()) continue;
    const float Pixels = ConvertFromMicrons(static_cast<int32_t>(Microns), Unit, ppHorizontal, Printer);
    Positions[Count++] = static_cast<int32_t>(std::clamp<int64_t>(
        Trunc(Pixels), std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  }
}

int TppPlainText::GetTabbedTextWidth(TCanvas& Canvas, const std::string& Text, const TppTabStopPositions& Positions,
                                     int Count) {
  const std::vector<int> Stops(Positions.begin(), Positions.begin() + std::clamp(Count, 0, ppMaxTabStops));
  return Canvas.TabbedTextExtent(Text, Stops).cx;
}

namespace {
// The first and last bytes that are not spaces and the spaces between them; false for a line of
// spaces only.
bool FindWords(const std::string& Line, int& First, int& Last, int& Breaks) {
  const size_t F = Line.find_first_not_of(TppTextMarkups::Space());
  if (F == std::string::npos) return false;
  const size_t L = Line.find_last_not_of(TppTextMarkups::Space());
  First = static_cast<int>(F);
  Last = static_cast<int>(L);
  Breaks = static_cast<int>(std::count(Line.begin() + F, Line.begin() + L, TppTextMarkups::Space()));
  return true;
}
}  // namespace

void TppPlainText::JustifyLine(TCanvas& Canvas, const TRect& Rect, const TppTabStopPositions& Positions, int Count,
                               std::string& Line) {
  int First = 0, Last = 0, Breaks = 0;
  Canvas.SetTextJustification(0, 0);
  // A line of spaces has nothing to spread.
  if (Line.empty() || !FindWords(Line, First, Last, Breaks)) return;
  if (Breaks == 0) {
    std::string Spread;
    SpreadCharacters(Line, Breaks, Spread, Last, First);
    Line = std::move(Spread);
  }
  const int Width = GetTabbedTextWidth(Canvas, Line.substr(First, Last - First + 1), Positions, Count);
  Canvas.SetTextJustification(Rect.Right - Rect.Left - Width, Breaks);
}

void TppPlainText::SpreadCharacters(const std::string& Line, int& BreakCount, std::string& Spread, int& LastIndex,
                                    int& FirstIndex) {
  Spread.clear();
  int Characters = 0;
  for (size_t I = 0; I < Line.size();) {
    const size_t Start = I;
    NextUtf8(Line, I);
    if (Characters++ > 0) Spread += TppTextMarkups::Space();
    Spread.append(Line, Start, I - Start);
  }
  BreakCount = std::max(0, Characters - 1);
  int Breaks = 0;
  FirstIndex = LastIndex = 0;
  FindWords(Spread, FirstIndex, LastIndex, Breaks);
}

std::string TppPlainText::RemoveText(std::string Text, std::string_view SubText) {
  if (SubText.empty()) return Text;
  // Everything before a cut was searched already: a new occurrence can only span the cut.
  size_t From = 0;
  for (size_t At; (At = Text.find(SubText, From)) != std::string::npos;) {
    Text.erase(At, SubText.size());
    From = At >= SubText.size() - 1 ? At - (SubText.size() - 1) : 0;
  }
  return Text;
}
