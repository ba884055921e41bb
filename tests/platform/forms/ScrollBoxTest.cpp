#include <gtest/gtest.h>

#include <QScrollBar>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"

namespace {
QScrollBar* BarOf(TScrollBox& Box, Qt::Orientation O) {
  for (auto* B : Box.Widget()->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
    if (B->orientation() == O) return B;
  return nullptr;
}

// Where the child's widget really is, seen from the box.
QPoint ShownAt(TScrollBox& Box, TControl* C) { return C->Widget()->mapTo(Box.Widget(), QPoint(0, 0)); }
}  // namespace

using ScrollBoxTest = FormsTest;

TEST_F(ScrollBoxTest, RangeFollowsTheHandPlacedChildAndPositionsStayInRange) {
  TScrollBox Box(nullptr);
  Box.SetBounds(0, 0, 250, 250);
  EXPECT_EQ(Box.BorderStyle(), bsSingle);
  EXPECT_EQ(Box.ClientWidth(), 246);  // a 2-pixel edge each side
  auto* Child = new TPanel(&Box);
  Child->SetParent(&Box);
  Child->SetBounds(0, 0, 600, 400);
  EXPECT_EQ(Box.HorzScrollBar()->Range(), 600);
  EXPECT_EQ(Box.VertScrollBar()->Range(), 400);
  EXPECT_TRUE(Box.HorzScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(Box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box.ClientWidth(), 246 - ScrollBarSize);
  EXPECT_EQ(Box.ClientHeight(), 246 - ScrollBarSize);

  Box.HorzScrollBar()->SetPosition(100000);
  Box.VertScrollBar()->SetPosition(-5);
  EXPECT_EQ(Box.HorzScrollBar()->Position(), 600 - 229);
  EXPECT_EQ(Box.VertScrollBar()->Position(), 0);
  Box.VertScrollBar()->SetPosition(30);
  // Scrolling moves the content, not the child's own coordinates.
  EXPECT_EQ(Child->Left(), 0);
  EXPECT_EQ(ShownAt(Box, Child), QPoint(2 - 371, 2 - 30));

  // A narrower child: only the vertical bar remains, and the width position resets.
  Child->SetBounds(10, 0, 200, 400);
  EXPECT_FALSE(Box.HorzScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(Box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box.HorzScrollBar()->Position(), 0);
  EXPECT_EQ(Box.VertScrollBar()->Position(), 30);
  EXPECT_EQ(Box.ClientHeight(), 246);
  EXPECT_EQ(ShownAt(Box, Child), QPoint(12, 2 - 30));
  // A child that fits: no bars at all.
  Child->SetBounds(0, 0, 100, 100);
  EXPECT_FALSE(Box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box.VertScrollBar()->Position(), 0);
}

TEST_F(ScrollBoxTest, OneBarNeedsTheOtherWhenItEatsTheRoom) {
  TScrollBox Box(nullptr);
  Box.SetBorderStyle(bsNone);
  Box.SetBounds(0, 0, 200, 200);
  auto* Child = new TPanel(&Box);
  Child->SetParent(&Box);
  Child->SetBounds(0, 0, 190, 300);  // fits in width until the vertical bar takes 17
  EXPECT_TRUE(Box.VertScrollBar()->IsScrollBarVisible());
  EXPECT_TRUE(Box.HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(Box.ClientWidth(), 183);
  EXPECT_EQ(Box.ClientHeight(), 183);
}

TEST_F(ScrollBoxTest, WithoutTrackingTheContentMovesOnlyWhenTheThumbIsLetGo) {
  TScrollBox Box(nullptr);
  Box.SetBounds(0, 0, 100, 100);
  auto* Child = new TPanel(&Box);
  Child->SetParent(&Box);
  Child->SetBounds(0, 0, 80, 500);
  QScrollBar* V = BarOf(Box, Qt::Vertical);
  ASSERT_NE(V, nullptr);
  V->setSliderDown(true);
  V->setSliderPosition(50);
  EXPECT_EQ(Box.VertScrollBar()->Position(), 0);
  V->setSliderDown(false);
  EXPECT_EQ(Box.VertScrollBar()->Position(), 50);

  Box.VertScrollBar()->SetTracking(true);
  V->setSliderDown(true);
  V->setSliderPosition(70);
  EXPECT_EQ(Box.VertScrollBar()->Position(), 70);
  V->setSliderDown(false);
}

TEST_F(ScrollBoxTest, ASetRangeReplacesTheAutomaticOneAndTheWheelGoesToTheForm) {
  TForm Form(nullptr);
  auto* Box = new TScrollBox(&Form);
  Box->SetParent(&Form);
  Box->SetBorderStyle(bsNone);
  Box->SetBounds(0, 0, 100, 100);
  Box->VertScrollBar()->SetRange(1000);
  EXPECT_FALSE(Box->AutoScroll());
  EXPECT_EQ(Box->VertScrollBar()->Range(), 1000);
  EXPECT_TRUE(Box->VertScrollBar()->IsScrollBarVisible());
  auto* Child = new TPanel(&Form);
  Child->SetParent(Box);
  Child->SetBounds(0, 0, 10, 2000);
  EXPECT_EQ(Box->VertScrollBar()->Range(), 1000);
  Box->VertScrollBar()->SetPosition(100);
  // The box leaves the wheel to its form, whose window procedure decides how far to scroll.
  int Delta = 0;
  Form.OnMouseWheel = [&](TObject*, TShiftState, int D, int, int, bool& Handled) {
    Delta = D;
    Handled = true;
  };
  SendWheel(Child, -240);
  EXPECT_EQ(Delta, -240);
  EXPECT_EQ(Box->VertScrollBar()->Position(), 100);
}
