#include "platform/forms/ExtCtrls.h"

#include <gtest/gtest.h>

#include "FormsTestUtil.h"

using ExtCtrlsTest = FormsTest;

TEST_F(ExtCtrlsTest, PanelPaintsItsRaisedBevel) {
  TPanel Panel(nullptr);
  Panel.SetBounds(0, 0, 20, 10);
  QImage Img = Grab(&Panel);
  auto Px = [&](int X, int Y) {
    QRgb P = Img.pixel(X, Y);
    return RGB(qRed(P), qGreen(P), qBlue(P));
  };
  EXPECT_EQ(Px(0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(18, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(19, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(0, 9), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(10, 5), ColorToRGB(clBtnFace));
}

TEST_F(ExtCtrlsTest, TimerFiresWhileEnabledAndItsHandlerMayStopOrFreeIt) {
  TComponent Owner(nullptr);
  auto* T = new TTimer(&Owner);
  T->SetInterval(1);
  int Ticks = 0;
  T->OnTimer = [&](TObject* S) {
    EXPECT_EQ(S, T);
    if (++Ticks == 3) T->SetEnabled(false);
  };
  while (T->Enabled()) Application->HandleMessage();
  EXPECT_EQ(Ticks, 3);

  T->OnTimer = [&](TObject*) {
    ++Ticks;
    delete T;
  };
  T->SetEnabled(true);
  while (Owner.ComponentCount()) Application->HandleMessage();
  Application->ProcessMessages();
  EXPECT_EQ(Ticks, 4);
}

TEST_F(ExtCtrlsTest, PaintBoxLetsItsOwnerPaintOnItsCanvas) {
  TPaintBox Box(nullptr);
  Box.SetBounds(0, 0, 6, 4);
  int Paints = 0;
  Box.OnPaint = [&](TObject*) {
    ++Paints;
    Box.Canvas().Brush().SetColor(0x00FF00);
    Box.Canvas().FillRect(Rect(0, 0, 3, 4));
  };
  QImage Img = Grab(&Box);
  EXPECT_GE(Paints, 1);
  EXPECT_EQ(Img.pixel(2, 3) & 0xFFFFFF, 0x00FF00u);
  EXPECT_FALSE(Box.Canvas().HandleAllocated());  // only while painting
}
