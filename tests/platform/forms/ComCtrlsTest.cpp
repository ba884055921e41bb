#include "platform/forms/ComCtrls.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QToolButton>
#include <algorithm>

#include "FormsTestUtil.h"
#include "platform/forms/Forms.h"

namespace {
TPixelImage Solid(int W, int H, uint32_t Argb) {
  TPixelImage I;
  I.Width = W;
  I.Height = H;
  I.Pixels.assign(static_cast<size_t>(W) * H, Argb);
  return I;
}

QToolButton* ToolOf(TControl* C) { return static_cast<QToolButton*>(C->Widget()); }

struct TLayoutCase {
  int ClientWidth;
  std::vector<int> Widths;
  std::vector<bool> Wrap;
  bool Wrapable;
  std::vector<std::pair<int, int>> Expected;
};
}  // namespace

using ComCtrlsTest = FormsTest;

TEST(ToolButtonLayout, RowsFillLeftToRightAndWrap) {
  const TLayoutCase Cases[] = {
      {59, {59, 59, 59}, {}, true, {{0, 0}, {0, 36}, {0, 72}}},         // a left tool bar: one per row
      {100, {23, 23, 23, 23, 23}, {}, true, {{0, 0}, {23, 0}, {46, 0}, {69, 0}, {0, 36}}},
      {100, {23, 8, 23}, {false, true, false}, true, {{0, 0}, {23, 0}, {0, 36}}},  // Wrap ends the row
      {30, {23, 23}, {}, false, {{0, 0}, {23, 0}}},                      // not wrapable: one row
      {10, {23, 23}, {}, true, {{0, 0}, {0, 36}}},                       // wider than the bar: still placed
  };
  for (const auto& C : Cases)
    EXPECT_EQ(LayoutToolButtons(C.ClientWidth, 36, C.Widths, C.Wrap, C.Wrapable), C.Expected) << C.ClientWidth;
}

TEST_F(ComCtrlsTest, ToolBarPlacesButtonsWithCaptionsUnderImages) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 400, 300);
  auto* Images = new TImageList(&Form);
  Images->Add(Solid(32, 16, 0xFF00FF00));  // two images
  auto* Bar = new TToolBar(&Form);
  Bar->SetParent(&Form);
  Bar->SetAlign(alLeft);
  Bar->SetWidth(59);
  Bar->SetButtonWidth(59);
  Bar->SetButtonHeight(36);
  Bar->SetShowCaptions(true);
  Bar->SetImages(Images);
  const char* Captions[] = {"Ajustar", "100%", "&Fechar"};
  for (int I = 0; I < 3; ++I) {
    auto* B = new TToolButton(&Form);
    B->SetParent(Bar);
    B->SetCaption(Captions[I]);
    B->SetImageIndex(I == 2 ? -1 : I);
  }
  ASSERT_EQ(Bar->ButtonCount(), 3);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Bar->Buttons(I)->Index(), I);
    EXPECT_EQ(Bar->Buttons(I)->Top(), 36 * I);
    EXPECT_EQ(Bar->Buttons(I)->Width(), 59);
    EXPECT_EQ(Bar->Buttons(I)->Height(), 36);
  }
  EXPECT_EQ(ToolOf(Bar->Buttons(0))->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  EXPECT_EQ(ToolOf(Bar->Buttons(2))->toolButtonStyle(), Qt::ToolButtonTextOnly);  // no picture
  EXPECT_EQ(ToolOf(Bar->Buttons(1))->text(), "100%");

  // Pictures of 22 pixels leave a 36-pixel button too little room for a line of caption
  // ("Ajustar" would lose its "j"): the rows grow to fit, every row alike.
  auto* Large = new TImageList(&Form);
  Large->SetWidth(22);
  Large->SetHeight(22);
  Large->Add(Solid(22, 22, 0xFF00FF00));
  Bar->SetImages(Large);
  int Line = QFontMetrics(Bar->Widget()->font()).height();
  EXPECT_EQ(Bar->RowHeight(), std::max(36, 22 + 4 + Line));
  EXPECT_GT(Bar->RowHeight(), 36) << "a caption line is taller than 10 pixels";
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Bar->Buttons(I)->Height(), Bar->RowHeight());
    EXPECT_EQ(Bar->Buttons(I)->Top(), Bar->RowHeight() * I);
  }
  EXPECT_EQ(Bar->ButtonHeight(), 36);
  delete Large;
  EXPECT_EQ(Bar->Buttons(1)->Height(), 36);

  delete Images;  // the bar forgets the freed list
  EXPECT_EQ(Bar->Images(), nullptr);
  EXPECT_EQ(ToolOf(Bar->Buttons(0))->toolButtonStyle(), Qt::ToolButtonTextOnly);
}

TEST_F(ComCtrlsTest, GroupedCheckButtonsKeepOneDown) {
  TToolBar Bar(nullptr);
  std::vector<TToolButton*> B;
  const TToolButtonStyle Styles[] = {tbsCheck, tbsCheck, tbsCheck, tbsSeparator, tbsCheck, tbsCheck};
  int Clicks = 0;
  for (TToolButtonStyle S : Styles) {
    auto* T = new TToolButton(&Bar);
    T->SetParent(&Bar);
    T->SetStyle(S);
    T->SetGrouped(true);
    T->OnClick = [&](TObject*) { ++Clicks; };
    B.push_back(T);
  }
  B[5]->SetGrouped(false);
  auto DownSet = [&] {
    std::string S;
    for (auto* T : B) S += T->Down() ? '1' : '0';
    return S;
  };
  ToolOf(B[0])->click();
  EXPECT_EQ(DownSet(), "100000");
  ToolOf(B[1])->click();
  EXPECT_EQ(DownSet(), "010000");
  ToolOf(B[1])->click();  // the down button of a group stays down
  EXPECT_EQ(DownSet(), "010000");
  EXPECT_TRUE(ToolOf(B[1])->isChecked());
  B[4]->SetDown(true);  // past the separator: another group
  EXPECT_EQ(DownSet(), "010010");
  B[2]->SetDown(true);
  EXPECT_EQ(DownSet(), "001010");
  ToolOf(B[5])->click();  // not grouped: toggles
  ToolOf(B[5])->click();
  ToolOf(B[5])->click();
  EXPECT_EQ(DownSet(), "001011");
  EXPECT_EQ(Clicks, 6);
  B[0]->SetStyle(tbsButton);
  B[0]->SetDown(true);  // only check buttons go down
  EXPECT_FALSE(B[0]->Down());
}

TEST_F(ComCtrlsTest, StatusBarPanelsAndTheirText) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 300, 200);
  auto* Bar = new TStatusBar(&Form);
  Bar->SetParent(&Form);
  EXPECT_EQ(Bar->Top(), 200 - 19);  // aligned to the bottom
  EXPECT_EQ(Bar->Width(), 300);
  TStatusPanel* P0 = Bar->Panels().Add();
  P0->SetWidth(40);
  P0->SetAlignment(taRightJustify);
  P0->SetText("99%");
  TStatusPanel* P1 = Bar->Panels().Add();
  P1->SetText("");
  EXPECT_EQ(Bar->Panels().Count(), 2);
  EXPECT_EQ(P1->Index(), 1);
  EXPECT_EQ(Bar->Panels()[0]->Text(), "99%");

  // Right-aligned text ends near the right of its 40-pixel panel.
  QImage Img = Grab(Bar);
  auto Inked = [&](int X0, int X1) {
    for (int X = X0; X < X1; ++X)
      for (int Y = 3; Y < 17; ++Y)
        if (qGray(Img.pixel(X, Y)) < 80) return true;
    return false;
  };
  EXPECT_FALSE(Inked(2, 12));
  EXPECT_TRUE(Inked(20, 38));
  EXPECT_FALSE(Inked(60, 290));
  Bar->SetSimplePanel(true);
  Bar->SetSimpleText("Pronto");
  Img = Grab(Bar);
  EXPECT_TRUE(Inked(2, 12));
}

TEST_F(ComCtrlsTest, ProgressBarKeepsItsPositionInRange) {
  TProgressBar P(nullptr);
  EXPECT_EQ(P.Max(), 100);
  P.SetPosition(40);
  P.StepIt();
  EXPECT_EQ(P.Position(), 50);
  P.SetPosition(150);
  EXPECT_EQ(P.Position(), 100);
  P.StepBy(-500);
  EXPECT_EQ(P.Position(), 0);
  P.SetMin(10);
  EXPECT_EQ(P.Position(), 10);
}

TEST_F(ComCtrlsTest, UpDownHalvesStepThePositionWithinItsRange) {
  TUpDown U(nullptr);
  U.SetMin(1);
  U.SetMax(3);
  U.SetPosition(2);
  std::vector<TUDBtnType> Got;
  U.OnClick = [&](TObject*, TUDBtnType B) { Got.push_back(B); };
  ClickAt(&U, 5, 2);
  EXPECT_EQ(U.Position(), 3);
  ClickAt(&U, 5, 2);  // at the top: stays, still reported
  EXPECT_EQ(U.Position(), 3);
  ClickAt(&U, 5, 20);
  EXPECT_EQ(U.Position(), 2);
  EXPECT_EQ(Got, (std::vector<TUDBtnType>{btNext, btNext, btPrev}));
}
