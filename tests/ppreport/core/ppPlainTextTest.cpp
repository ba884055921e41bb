#include "ppreport/core/ppPlainText.h"

#include <gtest/gtest.h>

#include <cmath>

#include "ppreport/core/ppConvert.h"
#include "tests/ppreport/core/FixedMetrics.h"

namespace {

struct TWrapOutcome {
  std::vector<std::string> Lines;
  int32_t Next = 0;
  bool operator==(const TWrapOutcome&) const = default;
};

void PrintTo(const TWrapOutcome& O, std::ostream* Os) {
  *Os << "{";
  for (const auto& L : O.Lines) *Os << testing::PrintToString(L) << " ";
  *Os << "} next " << O.Next;
}

std::vector<std::string> LinesOf(const TStrings& S) {
  std::vector<std::string> V;
  for (int I = 0; I < S.Count(); ++I) V.push_back(S.Get(I));
  return V;
}

struct TWrapSettings {
  int Width = 10;         // characters
  double Height = 9;      // lines
  int32_t Start = 0;
  bool CharWrap = false;
  TppTextAlignment Alignment = taLeftJustified;
  bool AutoSize = false;
  const TStrings* Tabs = nullptr;
};

// Text wrapped into a box of characters and lines of the fixed-metrics printer.
TWrapOutcome WrapFixed(TFixedMetricsPrinter& P, const std::string& Text, const TWrapSettings& S) {
  TStringList Lines;
  TFont Font;
  int32_t Start = S.Start;
  const TRect Box{0, 0, P.Chars(S.Width), static_cast<int32_t>(std::lround(S.Height * P.Lines(1)))};
  TppPlainText::WordWrap(Text, Box, S.Alignment, S.AutoSize, Font, S.CharWrap, 0, S.Tabs, &P, Start, Lines);
  return {LinesOf(Lines), Start};
}

const std::string PlainMark(TppTextMarkups::ParagraphEnd());

TEST(ppPlainTextTest, TokensOfEverySeparator) {
  TppPlainTextParser Parser;
  Parser.SetText("ab  c\td\r\ne\rf\ng$\xC2\xB6h" + std::string("\0z", 2));
  std::vector<std::string> Tokens;
  for (std::string T; !(T = Parser.NextToken()).empty();) Tokens.push_back(T);
  EXPECT_EQ((std::vector<std::string>{"ab", " ", " ", "c", "\t", "d", "\r\n", "e", "\r\n", "f", "\r\n", "g", "\r\n",
                                      "h"}),
            Tokens);
  // Stopped on the NUL; nothing more comes however often it is asked.
  EXPECT_TRUE(Parser.EndOfText());
  EXPECT_EQ(19, Parser.Position());
  EXPECT_EQ("", Parser.NextToken());
  EXPECT_EQ(19, Parser.Position());

  // Resuming after the NUL; a position past the end reads nothing.
  Parser.SetPosition(19);
  EXPECT_EQ("z", Parser.NextToken());
  EXPECT_EQ(21, Parser.Position());  // one past the end
  Parser.SetPosition(1000);
  EXPECT_TRUE(Parser.EndOfText());
  EXPECT_EQ("", Parser.NextToken());
  Parser.SetPosition(-5);
  EXPECT_EQ("ab", Parser.NextToken());
  // A dollar sign alone is text.
  Parser.SetText("a$b$");
  EXPECT_EQ("a$b$", Parser.NextToken());
}

struct TPlainWrapCase {
  const char* Name;
  std::string Text;
  TWrapSettings Settings;
  TWrapOutcome Expected;
};

TEST(ppPlainTextTest, WrapTable) {
  const std::vector<TPlainWrapCase> Cases = {
      {"empty text", "", {}, {{}, 1}},
      {"short text", "ab", {}, {{"ab"}, 3}},
      {"box one line high", "ab cd", {.Height = 1, .Start = 2}, {{}, 2}},
      {"box two lines high", "aaa bbb ccc", {.Width = 3, .Height = 2}, {{"aaa", "bbb"}, 7}},
      {"every break", "a\rb\nc\r\nd" + PlainMark + "e", {}, {{"a", "b", "c", "d", "e"}, 13}},
      {"two breaks, an empty line", "a\r\n\r\nb", {}, {{"a", "", "b"}, 7}},
      {"word wider than the box", "abcdefgh", {.Width = 3}, {{"abc", "def", "gh"}, 9}},
      {"word moves whole", "ab cdef", {.Width = 4}, {{"ab", "cdef"}, 8}},
      {"char wrap fills the line", "ab cdefg", {.Width = 4, .CharWrap = true}, {{"ab c", "defg"}, 9}},
      {"two leading spaces dropped", "aaaa  bbb", {.Width = 4}, {{"aaaa", "bbb"}, 10}},
      {"three leading spaces kept", "aaaaaa   bb", {.Width = 6}, {{"aaaaaa", "   bb"}, 12}},
      {"trailing spaces dropped", "ab   ", {}, {{"ab"}, 6}},
      {"paragraph ends marked", "ab cd\r\nef", {.Alignment = taFullJustified},
       {{"ab cd" + PlainMark, "ef" + PlainMark}, 10}},
      {"only paragraph ends marked", "ab cd ef", {.Width = 5, .Alignment = taFullJustified},
       {{"ab cd", "ef" + PlainMark}, 9}},
      {"NUL ends the text", std::string("ab\0cd", 5), {}, {{"ab"}, 3}},
      {"resumed after the NUL", std::string("ab\0cd", 5), {.Start = 3}, {{"cd"}, 6}},
      {"split between characters", "\xC3\xA9\xC3\xA9\xC3\xA9", {.Width = 2}, {{"\xC3\xA9\xC3\xA9", "\xC3\xA9"}, 7}},
  };
  TFixedMetricsPrinter P;
  for (const auto& C : Cases) EXPECT_EQ(C.Expected, WrapFixed(P, C.Text, C.Settings)) << C.Name;
}

// A text printed page by page, each call resuming where the last stopped, gives the lines one tall
// page gives, and ends one past the text.
TEST(ppPlainTextTest, ResumesAcrossPages) {
  struct TPagedCase {
    std::string Text;
    int Width;
    bool CharWrap;
  };
  const std::vector<TPagedCase> Cases = {
      {"The quick brown fox jumps over the lazy dog", 9, false},
      {"abcdefghijklmnopqrstuvwxyz and more", 7, false},
      {"aaa bbb\r\nccc ddd eee\r\n\r\nfff ggg", 7, false},
      {"ab cdefg hij klmnopq", 4, true},
      {"\xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9", 4, false},
      // A tab stays on the line it was placed on: a page that ends after it resumes behind it.
      {"\tab cd\tef", 9, false},
      {"abcdefgh\tx abcdefgh\tx", 9, false},
  };
  TFixedMetricsPrinter P;
  for (const auto& C : Cases) {
    const TWrapOutcome Whole = WrapFixed(P, C.Text, {.Width = C.Width, .Height = 100, .CharWrap = C.CharWrap});
    ASSERT_EQ(static_cast<int32_t>(C.Text.size()) + 1, Whole.Next) << C.Text;
    for (double PageLines : {1.5, 2.0, 3.0}) {
      std::vector<std::string> Lines;
      int32_t Start = 0;
      for (int Page = 0; Start <= static_cast<int32_t>(C.Text.size()); ++Page) {
        ASSERT_LT(Page, 100) << C.Text;
        TWrapOutcome O =
            WrapFixed(P, C.Text, {.Width = C.Width, .Height = PageLines, .Start = Start, .CharWrap = C.CharWrap});
        EXPECT_LE(O.Lines.size(), static_cast<size_t>(PageLines)) << C.Text;
        ASSERT_GT(O.Next, Start) << C.Text;
        Lines.insert(Lines.end(), O.Lines.begin(), O.Lines.end());
        Start = O.Next;
      }
      EXPECT_EQ(Whole.Lines, Lines) << C.Text << " in pages of " << PageLines << " lines";
      EXPECT_EQ(Whole.Next, Start);
    }
  }
}

// A word split on the last line of a page just before a NUL resumes at its first unplaced
// character (the length of the text alone would put the resume position one too far).
TEST(ppPlainTextTest, SplitBeforeNulLosesNothing) {
  TFixedMetricsPrinter P;
  const std::string Text("abcdef\0gh", 9);
  std::vector<std::string> Lines;
  int32_t Start = 0;
  for (int Page = 0; Start <= 9 && Page < 10; ++Page) {
    TWrapOutcome O = WrapFixed(P, Text, {.Width = 4, .Height = 1.5, .Start = Start, .CharWrap = true});
    Lines.insert(Lines.end(), O.Lines.begin(), O.Lines.end());
    Start = O.Next;
  }
  EXPECT_EQ((std::vector<std::string>{"abcd", "ef", "gh"}), Lines);
}

TEST(ppPlainTextTest, AutoSizeLetsALineRunAThirdOfASpaceFurther) {
  TFixedMetricsPrinter P;
  TStringList Lines;
  TFont Font;
  // Four characters in a box a tenth of a character too narrow: 0.3 of a space more lets them in.
  const TRect Box{0, 0, P.Chars(4) - P.Chars(1) / 10, P.Lines(5)};
  for (bool AutoSize : {false, true}) {
    int32_t Start = 0;
    TppPlainText::WordWrap("abcd", Box, taLeftJustified, AutoSize, Font, false, 0, nullptr, &P, Start, Lines);
    const std::vector<std::string> Expected = AutoSize ? std::vector<std::string>{"abcd"}
                                                       : std::vector<std::string>{"abc", "d"};
    EXPECT_EQ(Expected, LinesOf(Lines));
  }
  // Leading adds to every line: lines of one and a half heights fit twice in three heights.
  int32_t Start = 0;
  TppPlainText::WordWrap("a\nb\nc", TRect{0, 0, P.Chars(5), P.Lines(3)}, taLeftJustified, false, Font, false,
                         P.Lines(1) / 2, nullptr, &P, Start, Lines);
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), LinesOf(Lines));
  EXPECT_EQ(4, Start);
}

TEST(ppPlainTextTest, TabStops) {
  TFixedMetricsPrinter P;
  TStringList Stops;
  Stops.SetCommaText("1000,x,5000");
  int Count = -1;
  TppTabStopPositions Positions{};
  TppPlainText::ConvertTabStops(utPrinterPixels, &Stops, &P, Count, Positions);
  ASSERT_EQ(2, Count);
  EXPECT_EQ(10, Positions[0]);  // 1000 microns at 254 pixels per inch
  EXPECT_EQ(50, Positions[1]);
  // Other units leave everything as it was.
  Count = 7;
  TppPlainText::ConvertTabStops(utMillimeters, &Stops, &P, Count, Positions);
  EXPECT_EQ(7, Count);

  // "a", a tab to the next stop, "b": 60 pixels with stops at 10 and 50 (the first is behind the
  // "a"), 30 with one stop repeating every 20, 90 with none (every 8 average characters).
  struct {
    const char* Stops;
    int FitsIn;
  } Cases[] = {{"1000,x,5000", 6}, {"2000", 3}, {nullptr, 9}};
  for (const auto& C : Cases) {
    TStringList Tabs;
    if (C.Stops) Tabs.SetCommaText(C.Stops);
    const TStrings* T = C.Stops ? &Tabs : nullptr;
    EXPECT_EQ((std::vector<std::string>{"a\tb"}), WrapFixed(P, "a\tb", {.Width = C.FitsIn, .Tabs = T}).Lines)
        << (C.Stops ? C.Stops : "no stops");
    EXPECT_EQ((std::vector<std::string>{"a\t", "b"}), WrapFixed(P, "a\tb", {.Width = C.FitsIn - 1, .Tabs = T}).Lines)
        << (C.Stops ? C.Stops : "no stops");
  }
}

// The table takes 100 positions; later strings are left out and nothing is written past it.
TEST(ppPlainTextTest, TabStopTableStopsAtAHundred) {
  TFixedMetricsPrinter P;
  TStringList Stops;
  for (int I = 1; I <= 150; ++I) Stops.Add(std::to_string(I * 1000));
  struct {
    TppTabStopPositions Positions{};
    int32_t After = 12345;
  } Table;
  int Count = 0;
  TppPlainText::ConvertTabStops(utPrinterPixels, &Stops, &P, Count, Table.Positions);
  EXPECT_EQ(ppMaxTabStops, Count);
  EXPECT_EQ(1000, Table.Positions[99]);  // 100,000 microns
  EXPECT_EQ(12345, Table.After);
  // A count beyond the table reads no further than it.
  EXPECT_EQ(1010, TppPlainText::GetTabbedTextWidth(P.Canvas, std::string(100, '\t') + "a", Table.Positions, 500));
}

// Widths are whole: a line wider than 65,535 pixels keeps its width.
TEST(ppPlainTextTest, TabbedWidthIsNotCutTo16Bits) {
  TFixedMetricsPrinter P;
  TppTabStopPositions None{};
  EXPECT_EQ(7000 * 10 + 80, TppPlainText::GetTabbedTextWidth(P.Canvas, std::string(7000, 'x') + "\t", None, 0));
}

TEST(ppPlainTextTest, JustifyLine) {
  TFixedMetricsDC Dc(96, 10, 20);
  TCanvas Canvas(&Dc);
  TppTabStopPositions None{};
  const TRect Rect{0, 0, 100, 20};
  struct {
    std::string Line, Justified;
    const char* Call;
  } Cases[] = {
      {"abc", "a b c", "SetTextJustification(50,2)"},          // one word spread, two breaks
      {"ab cd ef", "ab cd ef", "SetTextJustification(20,2)"},  // 80 pixels of text, 20 to spread
      {"  ab cd  ", "  ab cd  ", "SetTextJustification(50,1)"},
      {"", "", "SetTextJustification(0,0)"},
      {"   ", "   ", "SetTextJustification(0,0)"},
  };
  for (const auto& C : Cases) {
    std::string Line = C.Line;
    TppPlainText::JustifyLine(Canvas, Rect, None, 0, Line);
    EXPECT_EQ(C.Justified, Line);
    EXPECT_EQ(C.Call, Dc.Calls("SetTextJustification").back()) << C.Line;
  }
  // The justified line fills the rectangle.
  std::string Line = "ab cd ef";
  TppPlainText::JustifyLine(Canvas, Rect, None, 0, Line);
  EXPECT_EQ(100, Canvas.TextWidth(Line));

  int Breaks = 0, First = -1, Last = -1;
  std::string Spread;
  TppPlainText::SpreadCharacters("a\xC3\xA9z", Breaks, Spread, Last, First);
  EXPECT_EQ("a \xC3\xA9 z", Spread);
  EXPECT_EQ(2, Breaks);
  EXPECT_EQ(0, First);
  EXPECT_EQ(5, Last);
}

TEST(ppPlainTextTest, RemoveText) {
  EXPECT_EQ("", TppPlainText::RemoveText("$$\xC2\xB6\xC2\xB6", TppTextMarkups::ParagraphEnd()));
  EXPECT_EQ("ab cd", TppPlainText::RemoveText("ab cd" + PlainMark, TppTextMarkups::ParagraphEnd()));
  EXPECT_EQ("ab", TppPlainText::RemoveText("ab", ""));
  EXPECT_EQ("xy", TppPlainText::RemoveText("xaaabbby", "ab"));
}

TEST(ppPlainTextTest, CalcLineCount) {
  TFixedMetricsPrinter P;
  TFont Font;
  int32_t LineHeight = 0;
  EXPECT_EQ(5, TppPlainText::CalcLineCount(Font, 0, LineHeight, &P, P.Lines(5)));
  EXPECT_EQ(P.Lines(1), LineHeight);
  // Half a line of leading: lines of 30 pixels in 100.
  EXPECT_EQ(3, TppPlainText::CalcLineCount(Font, P.Lines(1) / 2, LineHeight, &P, P.Lines(5)));
  EXPECT_EQ(P.Lines(1) * 3 / 2, LineHeight);
  // A leading that leaves a line no height counts none instead of dividing by nothing.
  EXPECT_EQ(0, TppPlainText::CalcLineCount(Font, -P.Lines(1), LineHeight, &P, P.Lines(5)));
  EXPECT_EQ(0, TppPlainText::CalcLineCount(Font, 0, LineHeight, &P, -P.Lines(5)));
}

// A printer without a device context measures as no printer does: on a screen bitmap, in screen
// pixels. The printer's canvas keeps its own font after measuring.
class TNoCanvasPrinter : public IppMeasuringPrinter {
public:
  TPoint GetPixelsPerInch() const override { return TPoint{96, 96}; }
  TCanvas* MeasuringCanvas() override { return nullptr; }
};

TEST(ppPlainTextTest, MeasuresOnTheScreenWithoutAPrinterCanvas) {
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(10);
  const std::string Text = "The quick brown fox jumps over the lazy dog again and again";
  const TRect Box{0, 0, 30000, 100000};
  TStringList Screen, NoCanvas;
  int32_t StartScreen = 0, StartNoCanvas = 0, HeightScreen = 0, HeightNoCanvas = 0;
  TNoCanvasPrinter P;
  TppPlainText::WordWrap(Text, Box, taLeftJustified, false, Font, false, 0, nullptr, nullptr, StartScreen, Screen);
  TppPlainText::WordWrap(Text, Box, taLeftJustified, false, Font, false, 0, nullptr, &P, StartNoCanvas, NoCanvas);
  EXPECT_GT(Screen.Count(), 1);
  EXPECT_EQ(LinesOf(Screen), LinesOf(NoCanvas));
  EXPECT_EQ(static_cast<int32_t>(Text.size()) + 1, StartScreen);
  EXPECT_EQ(TppPlainText::CalcLineCount(Font, 0, HeightScreen, nullptr, 100000),
            TppPlainText::CalcLineCount(Font, 0, HeightNoCanvas, &P, 100000));
  EXPECT_EQ(HeightScreen, HeightNoCanvas);
  EXPECT_NEAR(4000, HeightScreen, 1000);  // a 10-point line, about 4 mm

  TFixedMetricsPrinter Fixed;
  Fixed.Canvas.Font().SetName("Courier New");
  TppPlainText::WordWrap(Text, Box, taLeftJustified, false, Font, false, 0, nullptr, &Fixed, StartScreen, Screen);
  EXPECT_EQ("Courier New", Fixed.Canvas.Font().Name());
}

}  // namespace
