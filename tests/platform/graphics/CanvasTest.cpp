#include "platform/graphics/Canvas.h"

#include <gtest/gtest.h>

#include "FontTestUtil.h"
#include "platform/graphics/CallLogDC.h"

TEST(GraphicsTest, FontKeepsPointSizeAcrossResolutions) {
  TFont Screen;
  Screen.SetName("Arial");
  Screen.SetSize(10);
  EXPECT_EQ(Screen.Height(), -13);
  TFont Printer;
  Printer.SetPixelsPerInch(600);
  Printer.Assign(Screen);
  EXPECT_EQ(Printer.Size(), 10);
  EXPECT_EQ(Printer.Height(), -83);
  EXPECT_EQ(Printer.PixelsPerInch(), 600);
  TFont Same;
  Same.Assign(Screen);
  EXPECT_EQ(Same.Height(), -13);
  int Changes = 0;
  Same.OnChange = [&](TGraphicsObject*) { ++Changes; };
  Same.SetStyle(fsBold | fsItalic);
  Same.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Same.LogFont().Weight, FW_BOLD);
}

TEST(GraphicsTest, ColorsAndTools) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clBtnShadow), RGB(160, 160, 160));
  TPen P;
  P.SetWidth(0);
  EXPECT_EQ(P.LogPen().Width, 0);
  P.SetStyle(psClear);
  EXPECT_EQ(P.LogPen().Style, PS_NULL);
  TBrush B;
  B.SetStyle(bsClear);
  B.SetColor(clBlue);  // a colour makes a clear brush solid again
  EXPECT_EQ(B.Style(), bsSolid);
  EXPECT_EQ(B.LogBrush().Color, 0xFF0000u);
}

TEST(CanvasTest, SelectsToolsOnlyWhenChanged) {
  TCallLogDC Dc;
  TCanvas C(&Dc);
  C.Rectangle(0, 0, 10, 10);
  C.Rectangle(1, 1, 10, 10);
  EXPECT_EQ(Dc.Calls("SelectPen").size(), 1u);
  C.Pen().SetColor(clRed);
  C.LineTo(5, 5);
  EXPECT_EQ(Dc.Calls("SelectPen").back(), "SelectPen(0,1,0xFF)");
  C.Brush().SetStyle(bsClear);
  C.TextOut(3, 4, "olá");
  EXPECT_EQ(Dc.Calls("SetBkMode").back(), "SetBkMode(1)");
  EXPECT_EQ(Dc.Log.back().rfind("MoveTo(", 0), 0u);
  EXPECT_EQ(Dc.Calls("ExtTextOut").back(), "ExtTextOut(3,4,0x0,\"olá\")");
  {
    auto Saved = SaveDCScope(C);
    C.IntersectClipRect(Rect(0, 0, 5, 5));
  }
  EXPECT_EQ(Dc.Log.back(), "RestoreDC(1)");
  size_t Pens = Dc.Calls("SelectPen").size();
  C.Rectangle(0, 0, 1, 1);  // after a restore the tools are selected again
  EXPECT_EQ(Dc.Calls("SelectPen").size(), Pens + 1);
}

TEST(CanvasTest, DrawTextBreaksWordsAndMeasures) {
  REQUIRE_METRIC_FONTS();
  TCallLogDC Dc;
  TCanvas C(&Dc);
  C.Font().SetName("Courier New");
  C.Font().SetHeight(-10);  // 6 units per character
  int H = C.TextHeight("W");
  TRect R = Rect(0, 0, 60, 0);
  int Got = C.DrawText("aaaa bbbb cc\ndddddddddddddd", R, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(Got, 3 * H);  // "aaaa bbbb", "cc", the long word alone
  EXPECT_EQ(R.Bottom, 3 * H);
  EXPECT_EQ(R.Right, 84);
  R = Rect(0, 0, 60, 100);
  C.DrawText("ab&c", R, DT_RIGHT | DT_SINGLELINE);
  EXPECT_EQ(Dc.Calls("ExtTextOut").back(), "ExtTextOut(42,0,0x4,0,0,60,100,\"abc\")");
  R = Rect(10, 0, 70, 100);
  C.DrawText("a b", R, DT_CENTER | DT_NOCLIP | DT_NOPREFIX);
  EXPECT_EQ(Dc.Calls("ExtTextOut").back(), "ExtTextOut(31,0,0x0,10,0,70,100,\"a b\")");
}

TEST(CanvasTest, TabbedTextGoesToTheStops) {
  REQUIRE_METRIC_FONTS();
  TCallLogDC Dc;
  TCanvas C(&Dc);
  C.Font().SetName("Courier New");
  C.Font().SetHeight(-10);
  struct Case {
    std::vector<int> Stops;
    int Width;
  };
  const Case Cases[] = {
      {{}, 8 * 6 + 6},  // default: every 8 average characters
      {{25}, 25 + 6},
      {{20, 40}, 20 + 6},
  };
  for (const auto& Cs : Cases) EXPECT_EQ(C.TabbedTextExtent("ab\tc", Cs.Stops).cx, Cs.Width);
  TSize S = C.TabbedTextOut(100, 0, "a\tb", {30}, 100);
  EXPECT_EQ(S.cx, 36);
  EXPECT_EQ(Dc.Calls("ExtTextOut").back(), "ExtTextOut(100,0,0x0,\"a b\")");
}

TEST(CanvasTest, APrinterResolutionKeepsThePointSize) {
  TCallLogDC Screen(96), Printer(600);
  TCanvas C(&Screen);
  C.Font().SetSize(10);
  EXPECT_EQ(C.Font().Height(), -13);
  C.SetHandle(&Printer);
  EXPECT_EQ(C.Font().PixelsPerInch(), 600);
  EXPECT_EQ(C.Font().Size(), 10);
  EXPECT_EQ(C.Font().Height(), -83);
  TFont Label;  // a screen font assigned to the printer canvas keeps its size too
  Label.SetSize(12);
  C.SetFont(Label);
  C.TextOut(0, 0, "x");
  EXPECT_EQ(Printer.State().Font.Height, -100);
}
