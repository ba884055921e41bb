// Layout of character ranges: "format a range into a rectangle and answer the
// first character that did not fit, counting whole lines", the ranges of
// pages joining without gap or overlap, and drawing a range on printer and
// screen resolutions.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/graphics/FontTestUtil.h"
#include "tests/platform/richtext/RichTextTestUtil.h"

namespace {
// Courier New 10 points: every character 0.6 em = 120 twips wide.
constexpr const char* Mono = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs20 ";

int Format(TRichEdit& E, TDeviceContext& Dc, int First, int Last, TRect Rc, bool Render = false,
           int* Used = nullptr) {
  TRichFormatRange R;
  R.Dc = &Dc;
  R.Rc = R.RcPage = Rc;
  R.First = First;
  R.Last = Last;
  return E.FormatRange(R, Render, Used);
}

// The height of one line of the sample's font, in twips.
int LineHeight(TRichEdit& E, TDeviceContext& Dc) {
  int Used = 0;
  Format(E, Dc, 0, 0, TRect{0, 0, 100000, 100000}, false, &Used);
  return Used;
}
}  // namespace

TEST(RichTextLayoutTest, AnswersTheFirstCharacterOfTheFirstLineThatDidNotFit) {
  REQUIRE_METRIC_FONTS();
  TCallLogDC Dc(600);
  // Ten characters a line: "aaaa bbbb " / "cccc dddd " / "eeee"; the spaces hang.
  TRichEdit E = Loaded(std::string(Mono) + "aaaa bbbb cccc dddd eeee\\par x}");
  const int L = LineHeight(E, Dc);
  ASSERT_GT(L, 150);
  ASSERT_LT(L, 350);
  struct TCase {
    int First, Height, Want;
  };
  const TCase Cases[] = {
      {0, 3 * L, 25},     // the whole first paragraph, its mark included
      {0, 4 * L, 26},     // everything: the text's length
      {0, 2 * L, 20},     // two whole lines
      {0, 2 * L - 1, 10}, // a line a twip too low stays out whole
      {0, L - 1, 0},      // not even the first line
      {10, L, 20},        // a range starting inside a paragraph starts a line there
      {25, L, 26},        // the last paragraph alone
      {26, L, 26},        // nothing left
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(Format(E, Dc, C.First, -1, TRect{0, 0, 1200, C.Height}), C.Want) << C.First << " in " << C.Height;
  // The range's last character bounds the layout: all fitting answers Last + 1.
  EXPECT_EQ(Format(E, Dc, 0, 12, TRect{0, 0, 1200, 2 * L}), 13);
  EXPECT_EQ(Format(E, Dc, 0, 12, TRect{0, 0, 1200, L}), 10);
  // A word longer than the line breaks inside it; nothing fitting still moves on.
  TRichEdit Long = Loaded(std::string(Mono) + "abcdefghijklmnopqrstuvwxyz}");
  EXPECT_EQ(Format(Long, Dc, 0, -1, TRect{0, 0, 1210, L}), 10);
  EXPECT_EQ(Format(Long, Dc, 0, -1, TRect{0, 0, 10, L}), 1) << "one character a line at least";
  // A device is needed.
  TRichFormatRange None;
  EXPECT_THROW(E.FormatRange(None, false), EInvalidOperation);
}

// The ranges of all pages join without gap or overlap from 0 to the end, every
// page moves on, and each page's range laid out alone fits its page.
TEST(RichTextLayoutTest, PageRangesAreContiguous) {
  REQUIRE_METRIC_FONTS();
  TCallLogDC Printer(600);
  std::string Rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}";
  for (int P = 0; P < 30; ++P) {
    Rtf += "\\pard" + std::string(P % 3 == 0 ? "\\qj" : P % 3 == 1 ? "\\qc\\sb120" : "\\li360\\fi-180\\sa60") +
           " {\\f1\\fs" + std::to_string(16 + P % 5 * 6) + " Par\\'e1grafo " + std::to_string(P) + "}";
    for (int W = 0; W < P % 7 * 9; ++W) Rtf += W % 5 == 0 ? " {\\b\\cf1 palavra}" : " texto\\tab x";
    if (P % 4 == 0) Rtf += "\\line linha";
    Rtf += "\\par\n";
  }
  Rtf += "}";
  TRichEdit E = Loaded(Rtf);
  const int Length = E.Length();
  for (int Height : {700, 1440, 5000}) {
    const TRect Page{0, 0, 4000, Height};
    int First = 0, Pages = 0;
    while (First < Length) {
      const int Next = Format(E, Printer, First, Length - 1, Page);
      ASSERT_GT(Next, First) << "page " << Pages << " of height " << Height << " moves on";
      ASSERT_LE(Next, Length);
      // Laid out alone, the page's range fits whole and is drawn whole.
      EXPECT_EQ(Format(E, Printer, First, Next - 1, Page), Next);
      First = Next;
      ++Pages;
    }
    EXPECT_EQ(First, Length);
    EXPECT_GT(Pages, 1);
  }
}

// Drawn on the printer (600 dpi) and on the screen (96 dpi) a range lands at
// the same place of the page: lines at the same twips, text in its formats.
TEST(RichTextLayoutTest, DrawsTheSameOnPrinterAndScreen) {
  REQUIRE_METRIC_FONTS();
  TRichEdit E = Loaded(std::string(Mono) +
                       "{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}"
                       "aaaa {\\cf1\\highlight2 bbbb} cccc\\par\\qr dd}");
  auto Draw = [&](int Ppi) {
    TCallLogDC Dc(Ppi);
    EXPECT_EQ(Format(E, Dc, 0, -1, TRect{720, 1440, 720 + 2400, 1440 + 2000}, true), E.Length());
    return Dc.Calls("");
  };
  const std::vector<std::string> Printer = Draw(600), Screen = Draw(96);
  auto Texts = [](const std::vector<std::string>& Calls) {
    std::vector<std::string> Out;
    for (const std::string& C : Calls)
      if (C.rfind("ExtTextOut", 0) == 0) Out.push_back(C.substr(C.find('"')));
    return Out;
  };
  // Runs of one format each, the second line right-aligned.
  const std::vector<std::string> Want = {"\"aaaa \")", "\"bbbb\")", "\" cccc\")", "\"dd\")"};
  EXPECT_EQ(Texts(Printer), Want);
  EXPECT_EQ(Texts(Screen), Want);
  // Positions: the first run starts at the rectangle's left (720 twips = half an inch),
  // the right-aligned "dd" ends at its right edge; the same on both devices.
  auto Origin = [](const std::vector<std::string>& Calls, int Index) {
    int N = 0;
    for (const std::string& C : Calls)
      if (C.rfind("ExtTextOut", 0) == 0 && N++ == Index) {
        int X = 0, Y = 0;
        sscanf(C.c_str(), "ExtTextOut(%d,%d", &X, &Y);
        return std::pair<int, int>{X, Y};
      }
    return std::pair<int, int>{-1, -1};
  };
  EXPECT_EQ(Origin(Printer, 0).first, 300);
  EXPECT_EQ(Origin(Screen, 0).first, 48);
  EXPECT_EQ(Origin(Printer, 3).first, 300 + 1000 - 100);  // 2400 twips wide, "dd" 240 twips
  EXPECT_EQ(Origin(Screen, 3).first, 48 + 160 - 16);
  for (int I = 0; I < 4; ++I)
    EXPECT_NEAR(Origin(Screen, I).second * 600.0 / 96, Origin(Printer, I).second, 600.0 / 96) << I;
  // The highlighted run gets its background, and the coloured run its colour.
  bool Filled = false, Blue = false;
  for (const std::string& C : Printer) Filled |= C == "FillRect(550,600,750,695,0xFFFF)";  // the line's box
  for (const std::string& C : Printer) Blue |= C == "SetTextColor(0xFF0000)";
  EXPECT_TRUE(Filled) << ::testing::PrintToString(Printer);
  EXPECT_TRUE(Blue);
}

// Each kind of tab stop places what follows the tab (up to the next tab): a left stop starts it at
// the stop, a right stop ends it there, a centre stop centres it there, a decimal stop puts the
// decimal separator there (without one, it ends there). What does not fit before the stop starts at
// the tab. Courier New 10: 120 twips a character; at 1440 dpi a pixel is a twip.
TEST(RichTextLayoutTest, TabStopsOfEveryKindPlaceTheTextAfterThem) {
  REQUIRE_METRIC_FONTS();
  TFormatSettingsScope Brazil(BrazilianFormatSettings());
  struct TCase {
    const char* Stop;
    const char* After;
    int Left;  // where the text after the tab starts, twips
  } Cases[] = {
      {"\\tx2400", "abc", 2400},
      {"\\tqr\\tx2400", "abc", 2400 - 360},
      {"\\tqc\\tx2400", "abc", 2400 - 180},
      {"\\tqdec\\tx2400", "12,50", 2400 - 240},
      {"\\tqdec\\tx2400", "1250", 2400 - 480},
      {"\\tqr\\tx480", "abcdef", 240},  // wider than the room before the stop: starts at the tab
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Stop) + " " + C.After);
    TRichEdit E = Loaded(std::string(Mono) + C.Stop + " xy\\tab " + C.After + "\\tab z}");
    TCallLogDC Dc(1440);
    Format(E, Dc, 0, -1, TRect{0, 0, 9000, 2000}, true);
    std::vector<int> Xs;
    for (const std::string& Call : Dc.Calls(""))
      if (Call.rfind("ExtTextOut", 0) == 0) {
        int X = 0, Y = 0;
        sscanf(Call.c_str(), "ExtTextOut(%d,%d", &X, &Y);
        Xs.push_back(X);
      }
    ASSERT_EQ(3u, Xs.size());
    EXPECT_EQ(0, Xs[0]);
    EXPECT_EQ(C.Left, Xs[1]);
    // The second tab goes on to the next default stop (every 720 twips).
    const int EndOfText = C.Left + 120 * static_cast<int>(std::string(C.After).size());
    EXPECT_EQ((EndOfText / 720 + 1) * 720, Xs[2]);
  }
}

// A few pixels of a range drawn into an image: glyph ink inside the line, the
// highlighted run's background, nothing below the range.
TEST(RichTextLayoutTest, DrawnIntoAnImage) {
  REQUIRE_METRIC_FONTS();
  TRichEdit E = Loaded(std::string(Mono) +
                       "{\\colortbl ;\\red255\\green0\\blue0;}\\fs40 {\\highlight1 ab}WWWW\\par next}");
  QImage Img(200, 100, QImage::Format_RGB32);
  Img.fill(Qt::white);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    // One line's height only: "next" stays out.
    TCallLogDC Measure(96);
    int Used = 0;
    Format(E, Measure, 0, 5, TRect{0, 0, 3000, 3000}, false, &Used);
    EXPECT_EQ(Format(E, Dc, 0, -1, TRect{150, 150, 3000, 150 + Used}, true), 7);
  }
  // Two characters of 20 points from 10 px: 0.6 * 20 pt * 2 = 24 pt = 32 px wide, red behind them.
  EXPECT_EQ(Img.pixel(12, 14), qRgb(255, 0, 0));
  EXPECT_EQ(Img.pixel(40, 14), qRgb(255, 0, 0));
  EXPECT_NE(Img.pixel(45, 25), qRgb(255, 0, 0)) << "the highlight ends with its run";
  int Ink = 0;
  for (int X = 44; X < 100; ++X)
    for (int Y = 10; Y < 40; ++Y) Ink += qGray(Img.pixel(X, Y)) < 100;
  EXPECT_GT(Ink, 50) << "the W's are drawn";
  for (int X = 0; X < 200; ++X) EXPECT_EQ(Img.pixel(X, 60), qRgb(255, 255, 255)) << X;
}
