// The design surface: rulers, margins, column ticks, band outlines, drawn through TCanvas.
#include "lxreport/LXDesign.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXPrntr.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/CallLogDC.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
// Vertical lines drawn from the top edge (MoveTo(x,0) then LineTo(x,H), maybe with the pen and
// other state set between): their x, in order.
std::vector<int> VerticalLines(const TCallLogDC& Dc, int H) {
  std::vector<int> Xs;
  int X = 0, Y = -1;
  for (const std::string& L : Dc.Log) {
    int X2, Y2;
    if (std::sscanf(L.c_str(), "MoveTo(%d,%d)", &X2, &Y2) == 2) {
      X = X2;
      Y = Y2;
    } else if (std::sscanf(L.c_str(), "LineTo(%d,%d)", &X2, &Y2) == 2) {
      if (Y == 0 && X2 == X && Y2 == H) Xs.push_back(X);
      Y = -1;
    } else if (L.rfind("Select", 0) != 0 && L.rfind("Set", 0) != 0) {
      Y = -1;
    }
  }
  return Xs;
}

// The texts drawn, in order.
std::vector<std::string> Texts(const TCallLogDC& Dc) {
  std::vector<std::string> Out;
  for (const std::string& L : Dc.Calls("ExtTextOut")) {
    size_t A = L.find('"'), B = L.rfind('"');
    if (A != std::string::npos && B > A) Out.push_back(L.substr(A + 1, B - A - 1));
  }
  return Out;
}

class LXDesignTest : public VirtualPrinterTest {
protected:
  LXDesignTest() { UseHighColourScheme(); }
  TGeometryScope Geometry;
};
}  // namespace

TEST_F(LXDesignTest, ColourSchemesByTheScreensColours) {
  ChooseColourScheme(256);
  EXPECT_EQ(LXDesignSettings().MarginStyle, psDash);
  EXPECT_EQ(LXDesignSettings().RulerMinorStyle, psDot);
  EXPECT_EQ(LXDesignSettings().BandFrameColor, 0x808080);
  ChooseColourScheme(-1);  // true colour
  EXPECT_EQ(LXDesignSettings().MarginStyle, psDot);
  EXPECT_EQ(LXDesignSettings().MarginColor, static_cast<TColor>(RGB(128, 128, 255)));
  ChooseColourScheme(65536);
  EXPECT_EQ(LXDesignSettings().RulerMajorColor, static_cast<TColor>(RGB(240, 240, 240)));
  EXPECT_EQ(LXDesignSettings().RulerFontName, "Small Fonts");
}

TEST_F(LXDesignTest, RulersByUnitAndZoomWithNumbersOnlyOnTheReport) {
  struct Case {
    TLXUnit Units;
    int32_t Zoom;
    std::vector<int> FirstLines;  // x of the first vertical ruler lines
    std::vector<std::string> FirstNumbers;
  } const Cases[] = {
      // Quarter inches only from zoom 50; whole inches always, numbered.
      {TLXUnit::Inches, 40, {38, 77, 115}, {"1", "2", "3"}},
      {TLXUnit::Inches, 50, {12, 24, 36, 48, 60}, {"1", "2"}},
      // 5 mm lines and all numbers only from zoom 60.
      {TLXUnit::MM, 50, {19, 38, 57}, {}},
      {TLXUnit::MM, 60, {11, 23, 34, 45}, {"1", "2"}},
      {TLXUnit::MM, 100, {19, 38, 57, 76}, {"1", "2"}},
      // Characters at the report font's 10 points: 3.15 per cm, a line each 10.
      {TLXUnit::Characters, 100, {119, 238, 357}, {"10", "20", "30"}},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(EnumInfo<TLXUnit>().NameOf(static_cast<int>(K.Units)) + " at " + std::to_string(K.Zoom));
    auto R = NewReport();
    R->SetZoom(K.Zoom);
    R->SetUnits(K.Units);
    TLXBand* Band = R->NewBand(rbDetail);

    TCallLogDC ReportDc;
    R->PaintTo(ReportDc, 0, 0);  // the report's own drawing first, then the band's
    size_t BandStart = 0;
    for (size_t I = 1; I < ReportDc.Log.size(); ++I)
      if (ReportDc.Log[I].rfind("SetWorldTransform", 0) == 0) BandStart = I;
    ASSERT_GT(BandStart, 0u);
    TCallLogDC Own;
    Own.Log.assign(ReportDc.Log.begin(), ReportDc.Log.begin() + static_cast<long>(BandStart));
    std::vector<int> Lines = VerticalLines(Own, R->Height());
    ASSERT_GE(Lines.size(), K.FirstLines.size());
    EXPECT_EQ(std::vector<int>(Lines.begin(), Lines.begin() + static_cast<long>(K.FirstLines.size())), K.FirstLines);
    std::vector<std::string> Numbers = Texts(Own);
    ASSERT_GE(Numbers.size(), K.FirstNumbers.size());
    EXPECT_EQ(std::vector<std::string>(Numbers.begin(), Numbers.begin() + static_cast<long>(K.FirstNumbers.size())),
              K.FirstNumbers);

    // The band draws the same lines, without numbers: its only text is its title.
    TCallLogDC BandDc;
    Band->PaintTo(BandDc, 0, 0);
    EXPECT_EQ(VerticalLines(BandDc, Band->Height()).size() > 0, true);
    EXPECT_EQ(Texts(BandDc), std::vector<std::string>{"Detail"});
  }
}

TEST_F(LXDesignTest, MarginsColumnsAndBandsOnTheCallLog) {
  auto R = NewReport();
  TLXPage& P = *R->Page();
  TCallLogDC One;
  R->PaintTo(One, 0, 0);
  // 10 mm margins at 96 ppi: 38 pixels in from each edge, dotted, in the margin colour.
  int W = R->Width(), H = R->Height();
  std::string Margins = "Rectangle(38,38," + std::to_string(W - 38) + "," + std::to_string(H - 38) + ")";
  EXPECT_EQ(One.Calls("Rectangle"), std::vector<std::string>{Margins});
  EXPECT_EQ(VerticalLines(One, 38).size(), 0u);  // one column: no ticks

  P.SetColumns(3);
  P.SetColumnSpace(5);
  TCallLogDC Three;
  R->PaintTo(Three, 0, 0);
  // Columns of (794 - 38 - 38 - 2 x 19) / 3 = 226.7 -> 227 pixels; ticks at each column's end and
  // the next one's start, down to the top margin.
  long double L = 100 / 254.0L * 96, S = 50 / 254.0L * 96;
  int G = RoundPixels((2100 / 254.0L * 96 - 2 * L - 2 * S) / 3);
  std::vector<int> Want = {RoundPixels(L + G), RoundPixels(L + S + G), RoundPixels(L + G * 2 + S),
                           RoundPixels(L + (S + G) * 2)};
  EXPECT_EQ(VerticalLines(Three, 38), Want);

  // A disabled band paints grey, an enabled one its colour; both get their outline.
  TLXBand* Band = R->NewBand(rbSummary);
  for (bool Enabled : {true, false}) {
    Band->SetEnabled(Enabled);
    TCallLogDC Dc;
    Band->PaintTo(Dc, 0, 0);
    ASSERT_FALSE(Dc.Calls("FillRect").empty());
    EXPECT_EQ(Dc.Calls("FillRect")[0],
              "FillRect(0,0," + std::to_string(Band->Width()) + ",40," + (Enabled ? "0xFFFFFF" : "0xC0C0C0") + ")");
    EXPECT_NE(std::find(Dc.Log.begin(), Dc.Log.end(), "LineTo(" + std::to_string(Band->Width() - 1) + ",39)"),
              Dc.Log.end());
  }
}

TEST_F(LXDesignTest, TheSurfaceDrawnIntoAnImage) {
  auto R = NewReport();
  R->SetUnits(TLXUnit::Inches);
  TLXBand* Band = R->NewBand(rbTitle);
  R->Frame()->SetDrawLeft(true);
  TBitmap Image(R->Width(), R->Height());
  R->PaintTo(*Image.Canvas().Handle(), 0, 0);
  auto At = [&](int X, int Y) { return Image.Canvas().Pixels(X, Y) & 0xFFFFFF; };
  // The page is white, the two-inch ruler line on it in the major ruler colour, the report's left
  // frame line black at the left margin, the band's top outline in the band frame colour.
  EXPECT_EQ(At(R->Width() / 2 + 7, R->Height() - 10), RGB(255, 255, 255));
  EXPECT_EQ(At(192, R->Height() - 10), RGB(240, 240, 240));
  EXPECT_EQ(At(38, 500), RGB(0, 0, 0));
  int BandTop = Band->Top();
  int Dark = 0;
  for (int X = 100; X < 140; ++X) Dark += At(X, BandTop) == RGB(96, 96, 96);
  EXPECT_GT(Dark, 10);  // dotted: every other pixel
  EXPECT_LT(Dark, 30);
}

TEST_F(LXDesignTest, PageOneBecomesTheThumbnailAndMovingABandDropsIt) {
  auto R = NewReport();
  TLXBand* Band = R->NewBand(rbDetail);
  TLXPrinter Printer;
  Printer.BeginDoc();
  Printer.NewPage();
  Printer.EndDoc();
  R->SetActivePrinter(&Printer);
  R->Perform(WM_LXPAGEAVAILABLE, 2, 0);  // only the first page is wanted
  EXPECT_EQ(R->Thumbnail(), nullptr);
  R->Perform(WM_LXPAGEAVAILABLE, 0x10001, 0);
  ASSERT_NE(R->Thumbnail(), nullptr);
  EXPECT_EQ(R->Thumbnail()->Width(), Printer.GetPage(1)->Width());
  R->SetActivePrinter(nullptr);
  TCallLogDC Dc;
  R->PaintTo(Dc, 0, 0);
  EXPECT_FALSE(R->ThumbnailStale());
  Band->SetBounds(Band->Left(), Band->Top(), Band->Width(), 70);
  EXPECT_TRUE(R->ThumbnailStale());
  EXPECT_EQ(R->Thumbnail(), nullptr);
  R->PaintTo(Dc, 0, 0);
  EXPECT_FALSE(R->ThumbnailStale());
}
