#include "platform/forms/ExtCtrls.h"

#include <gtest/gtest.h>

#include "FormsTestUtil.h"
#include "platform/forms/Forms.h"

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

TEST_F(ExtCtrlsTest, BevelDrawsShadowAboveAndHighlightBelow) {
  TPanel Panel(nullptr);
  Panel.SetBevelOuter(bvNone);
  Panel.SetBounds(0, 0, 30, 30);
  auto* B = new TBevel(&Panel);
  B->SetParent(&Panel);
  B->SetBounds(5, 5, 10, 8);
  QImage Img = Grab(&Panel);
  auto Px = [&](int X, int Y) {
    QRgb P = Img.pixel(X, Y);
    return RGB(qRed(P), qGreen(P), qBlue(P));
  };
  EXPECT_EQ(Px(5, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(13, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(14, 6), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(6, 12), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(9, 9), ColorToRGB(clBtnFace));
}

TEST_F(ExtCtrlsTest, DraggingTheSplitterResizesTheControlBeforeIt) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 400, 200);
  auto* Side = new TPanel(&Form);
  Side->SetParent(&Form);
  Side->SetWidth(125);
  Side->SetAlign(alLeft);
  auto* Split = new TSplitter(&Form);
  Split->SetParent(&Form);
  Split->SetLeft(125);
  auto* Rest = new TPanel(&Form);
  Rest->SetParent(&Form);
  Rest->SetAlign(alClient);
  ASSERT_EQ(Split->Left(), 125);
  EXPECT_EQ(Split->FindControl(), Side);
  int Moved = 0;
  Split->OnMoved = [&](TObject*) { ++Moved; };
  SendMouse(Split, QEvent::MouseButtonPress, 1, 50);
  QMouseEvent Drag(QEvent::MouseMove, QPointF(41, 50), QPointF(41, 50), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Split->Widget(), &Drag);
  EXPECT_EQ(Side->Width(), 165);
  EXPECT_EQ(Split->Left(), 165);
  EXPECT_EQ(Rest->Left(), 168);
  SendMouse(Split, QEvent::MouseButtonRelease, 1, 50);
  EXPECT_EQ(Moved, 1);

  Split->SetMinSize(125);  // below the minimum: snaps shut, or stays at it without AutoSnap
  SendMouse(Split, QEvent::MouseButtonPress, 1, 50);
  QMouseEvent Left(QEvent::MouseMove, QPointF(-60, 50), QPointF(-60, 50), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Split->Widget(), &Left);
  EXPECT_EQ(Side->Width(), 0);
  Split->SetAutoSnap(false);
  QCoreApplication::sendEvent(Split->Widget(), &Left);
  EXPECT_EQ(Side->Width(), 125);
  SendMouse(Split, QEvent::MouseButtonRelease, 1, 50);
}
