#include "lxreport/LXUnits.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/CallLogDC.h"
#include "tests/lxreport/LXReportTestSupport.h"

using namespace lxtest;

TEST(LXUnitsTest, EveryUnitConvertsBothWays) {
  TGeometryScope Geometry;
  auto Report = NewReport();
  Report->Font()->SetSize(10);
  TLXPage& P = *Report->Page();
  // 254 native is an inch: 25.4 mm, 96 pixels at 96 ppi (192 at zoom 200); characters follow the
  // report font: 80 / 10 / 2.54 per cm across, 145.3 / 10 / 2.54 per cm down.
  struct Case {
    TLXUnit Unit;
    bool Horizontal;
    int32_t Zoom;
    long double Native, Value;
  } const Cases[] = {
      {TLXUnit::MM, true, 100, 254, 25.4L},
      {TLXUnit::MM, false, 100, 100, 10},
      {TLXUnit::Inches, true, 100, 254, 1},
      {TLXUnit::Inches, false, 100, 127, 0.5L},
      {TLXUnit::Pixels, true, 100, 254, 96},
      {TLXUnit::Pixels, false, 200, 254, 192},
      {TLXUnit::Pixels, true, 50, 127, 24},
      {TLXUnit::Native, false, 100, 123.25L, 123.25L},
      {TLXUnit::Characters, true, 100, 254, 254 / (80 / 10 / 2.54L) / 10},
      {TLXUnit::Characters, false, 100, 254, 254 / (145.3L / 10 / 2.54L) / 10},
  };
  for (const Case& K : Cases) {
    P.SetZoom(K.Zoom);
    SCOPED_TRACE(EnumInfo<TLXUnit>().NameOf(static_cast<int>(K.Unit)) + (K.Horizontal ? " across" : " down"));
    EXPECT_NEAR(static_cast<double>(P.FromNative(K.Unit, K.Horizontal, K.Native)), static_cast<double>(K.Value), 1e-12);
    EXPECT_NEAR(static_cast<double>(P.ToNative(K.Unit, K.Horizontal, K.Value)), static_cast<double>(K.Native), 1e-12);
  }
  // A report font of size 0 counts as 1 point: no division by zero.
  Report->Font()->SetHeight(0);
  EXPECT_TRUE(std::isfinite(static_cast<double>(P.ToNative(TLXUnit::Characters, true, 3))));
}

TEST(LXUnitsTest, NewPagesFollowTheLocalesMeasurement) {
  struct Case {
    bool Inches;
    TLXUnit Units;
    TLXPaperSize Paper;
    long double Width, Length, Margin;  // native
  } const Cases[] = {
      {false, TLXUnit::MM, TLXPaperSize::A4, 2100, 2970, 100},
      {true, TLXUnit::Inches, TLXPaperSize::Letter, 2159, 2794, 127},
  };
  for (const Case& K : Cases) {
    TGeometryScope Geometry(K.Inches);
    auto Report = NewReport();
    const TLXPage& P = *Report->Page();
    EXPECT_EQ(Report->Units(), K.Units);
    EXPECT_EQ(P.PaperSize(), K.Paper);
    EXPECT_NEAR(static_cast<double>(P.Native(TLXPage::WidthIndex)), static_cast<double>(K.Width), 1e-9);
    EXPECT_NEAR(static_cast<double>(P.Native(TLXPage::LengthIndex)), static_cast<double>(K.Length), 1e-9);
    for (size_t I : {TLXPage::TopMarginIndex, TLXPage::BottomMarginIndex, TLXPage::LeftMarginIndex,
                     TLXPage::RightMarginIndex})
      EXPECT_NEAR(static_cast<double>(P.Native(I)), static_cast<double>(K.Margin), 1e-9) << I;
    EXPECT_EQ(P.Native(TLXPage::ColumnSpaceIndex), 0);
    EXPECT_TRUE(P.Ruler());
    EXPECT_EQ(P.Columns(), 1);
    // The report control is as large as the paper at 96 ppi.
    EXPECT_EQ(Report->Width(), RoundPixels(K.Width / 254 * 96));
    EXPECT_EQ(Report->Height(), RoundPixels(K.Length / 254 * 96));
  }
}

TEST(LXUnitsTest, PaperOrientationColumnsAndUnits) {
  TGeometryScope Geometry;
  auto Report = NewReport();
  TLXPage& P = *Report->Page();
  P.SetOrientation(poLandscape);  // the A4 table size, turned
  EXPECT_EQ(P.Width(), 297);
  EXPECT_EQ(P.Length(), 210);
  EXPECT_EQ(Report->Width(), RoundPixels(2970 / 254.0L * 96));

  P.SetPageLength(300);  // only a Custom paper takes lengths
  EXPECT_EQ(P.Length(), 210);
  P.SetPaperSize(TLXPaperSize::Custom);
  EXPECT_EQ(P.Length(), 210);
  P.SetPageLength(300);
  EXPECT_EQ(P.Length(), 300);
  EXPECT_EQ(P.Native(TLXPage::LengthIndex), 3000);
  // A Custom paper resized on the design surface takes the control's size; a named one does not.
  Report->SetBounds(0, 0, 480, 960);
  EXPECT_EQ(P.Native(TLXPage::WidthIndex), 1270);
  EXPECT_EQ(P.Native(TLXPage::LengthIndex), 2540);
  P.SetPaperSize(TLXPaperSize::Default);  // keeps the lengths
  EXPECT_EQ(P.Length(), 254);
  Report->SetBounds(0, 0, 100, 100);
  EXPECT_EQ(P.Native(TLXPage::WidthIndex), 1270);

  P.SetColumns(3);
  P.SetColumns(0);
  P.SetColumns(-2);
  EXPECT_EQ(P.Columns(), 3);

  Report->SetUnits(TLXUnit::Inches);
  P.SetTopMargin(1);
  EXPECT_EQ(P.Native(TLXPage::TopMarginIndex), 254);
  Report->SetUnits(TLXUnit::MM);
  EXPECT_NEAR(static_cast<double>(P.TopMargin()), 25.4, 1e-12);
}

TEST(LXUnitsTest, PaperTableSizesInBothOrientations) {
  TGeometryScope Geometry;
  auto Report = NewReport();
  TLXPage& P = *Report->Page();
  struct Case {
    TLXPaperSize Paper;
    long double Width, Length;  // mm, portrait
  } const Cases[] = {{TLXPaperSize::Letter, 215.9L, 279.4L}, {TLXPaperSize::Ledger, 431.8L, 279.4L},
                     {TLXPaperSize::A3, 297, 420},         {TLXPaperSize::Env9, 98.43L, 225.4L},
                     {TLXPaperSize::Quarto, 215, 275},     {TLXPaperSize::ESheet, 100, 100}};
  for (const Case& K : Cases) {
    for (TPrinterOrientation O : {poPortrait, poLandscape}) {
      P.SetOrientation(O);
      P.SetPaperSize(K.Paper);
      EXPECT_EQ(P.PaperSize(), K.Paper);
      bool Turned = O == poLandscape;
      EXPECT_NEAR(static_cast<double>(P.Width()), static_cast<double>(Turned ? K.Length : K.Width), 1e-9);
      EXPECT_NEAR(static_cast<double>(P.Length()), static_cast<double>(Turned ? K.Width : K.Length), 1e-9);
    }
  }
}

TEST(LXUnitsTest, SystemMeasurementFromTheCLibrary) {
  // The C and POSIX locales measure in millimetres; en_US in inches (from the system's locale
  // data when installed, else by its territory), pt_BR in millimetres.
  EXPECT_FALSE(SystemMeasuresInInches("C"));
  EXPECT_FALSE(SystemMeasuresInInches("POSIX"));
  EXPECT_TRUE(SystemMeasuresInInches("en_US.UTF-8"));
  EXPECT_FALSE(SystemMeasuresInInches("pt_BR.UTF-8"));
  EXPECT_FALSE(SystemMeasuresInInches("en_GB"));
}

TEST(LXUnitsTest, FramesAreFilledStripsAsThickAsTheirWidthOnTheDevice) {
  struct Case {
    int32_t Width;
    long double Ppi;
    int Thickness;  // device pixels; 0: nothing drawn
  } const Cases[] = {
      {1, 600, 8},   // Round(600 / 254 / 72 x 254)
      {2, 600, 17},  // 16.67
      {1, 96, 1},    // 1.33
      {1, 30, 1},    // 0.42 rounds to 0 but a positive width stays visible
      {-1, 600, 1},  // a hairline on any device
      {0, 600, 0},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(std::to_string(K.Width) + " pt at " + std::to_string(static_cast<int>(K.Ppi)));
    TLXFrame F;
    F.SetWidth(K.Width);
    F.SetColor(clRed);
    F.SetDrawTop(true);
    F.SetDrawBottom(true);
    F.SetDrawLeft(true);
    F.SetDrawRight(true);
    TCallLogDC Dc;
    TCanvas C(&Dc);
    F.DrawOn(C, Rect(100, 200, 500, 400), K.Ppi / 254, K.Ppi / 254);
    auto Fills = Dc.Calls("FillRect");
    if (K.Thickness == 0) {
      EXPECT_TRUE(Fills.empty());
      continue;
    }
    int T = K.Thickness;
    std::vector<std::string> Want;
    for (TRect R : {Rect(100, 200, 500, 200 + T), Rect(100, 400 - T, 500, 400), Rect(100, 200, 100 + T, 400),
                    Rect(500 - T, 200, 500, 400)})
      Want.push_back("FillRect(" + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," +
                     std::to_string(R.Right) + "," + std::to_string(R.Bottom) + ",0xFF)");
    EXPECT_EQ(Fills, Want);
    EXPECT_EQ(C.Brush().Style(), bsClear);
  }
}
