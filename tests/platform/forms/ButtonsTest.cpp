#include "platform/forms/Buttons.h"

#include <gtest/gtest.h>

#include <QToolButton>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"

using ButtonsTest = FormsTest;

TEST_F(ButtonsTest, SpeedButtonsOfOneGroupAreExclusive) {
  TPanel Panel(nullptr);
  std::vector<TSpeedButton*> B;
  for (int I = 0; I < 3; ++I) {
    auto* S = new TSpeedButton(&Panel);
    S->SetParent(&Panel);
    S->SetGroupIndex(I < 2 ? 1 : 0);
    B.push_back(S);
  }
  auto Click = [&](int I) { static_cast<QToolButton*>(B[I]->Widget())->click(); };
  int Clicks = 0;
  B[0]->OnClick = [&](TObject*) { ++Clicks; };
  Click(0);
  EXPECT_TRUE(B[0]->Down());
  Click(1);
  EXPECT_FALSE(B[0]->Down());
  EXPECT_TRUE(B[1]->Down());
  Click(1);  // without AllowAllUp one stays down
  EXPECT_TRUE(B[1]->Down());
  B[1]->SetDown(false);
  EXPECT_TRUE(B[1]->Down());
  B[0]->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(B[1]->AllowAllUp());
  Click(1);
  EXPECT_FALSE(B[1]->Down());
  Click(2);
  B[2]->SetDown(true);  // no group: never down
  EXPECT_FALSE(B[2]->Down());
  EXPECT_EQ(Clicks, 1);
}

TEST_F(ButtonsTest, GlyphTakesItsBottomLeftColourAsTransparentAndLayoutPlacesTheCaption) {
  TSpeedButton B(nullptr);
  TPixelImage G;
  G.Width = 4;
  G.Height = 2;
  G.Pixels = {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000,   // row 0
              0xFF123456, 0xFF123456, 0xFF000000, 0xFF123456};  // row 1: bottom-left is the mask
  B.SetGlyph(G);
  EXPECT_EQ(B.Glyph().Pixel(0, 1), 0u);
  EXPECT_EQ(B.Glyph().Pixel(2, 1), 0xFF000000u);
  EXPECT_EQ(B.Glyph().Pixel(1, 0), 0xFF00FF00u);
  auto* Q = static_cast<QToolButton*>(B.Widget());
  EXPECT_EQ(Q->toolButtonStyle(), Qt::ToolButtonIconOnly);
  B.SetCaption("Ultima");
  B.SetLayout(blGlyphTop);
  EXPECT_EQ(Q->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  B.SetNumGlyphs(2);  // up and disabled halves
  EXPECT_EQ(Q->iconSize(), QSize(2, 2));
}
