#include "platform/forms/StdCtrls.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"

using StdCtrlsTest = FormsTest;

TEST_F(StdCtrlsTest, LabelShowsItsCaptionWithoutAcceleratorMarks) {
  TLabel L(nullptr);
  L.SetAutoSize(false);
  L.SetBounds(3, 288, 62, 17);
  L.SetCaption("&Ultima && Primeira");
  EXPECT_EQ(static_cast<QLabel*>(L.Widget())->text(), "Ultima & Primeira");
  EXPECT_EQ(L.Caption(), "&Ultima && Primeira");
  EXPECT_EQ(L.Width(), 62);  // no automatic size: the bounds stay
  L.SetAutoSize(true);
  EXPECT_GT(L.Width(), 0);
  EXPECT_NE(L.Width(), 62);
}

TEST_F(StdCtrlsTest, EditTextChangesFireOnChangeAndRespectMaxLength) {
  TEdit E(nullptr);
  int Changes = 0;
  E.OnChange = [&](TObject* S) {
    EXPECT_EQ(S, &E);
    ++Changes;
  };
  E.SetText("12345");
  EXPECT_EQ(Changes, 1);
  static_cast<QLineEdit*>(E.Widget())->setText("typed");
  EXPECT_EQ(E.Text(), "typed");
  EXPECT_EQ(Changes, 2);
  E.SetMaxLength(3);
  E.SetText("abcdef");
  EXPECT_EQ(E.Text(), "abc");
  E.SetMaxLength(0);
  E.SetText("abcdef");
  EXPECT_EQ(E.Text(), "abcdef");
}

TEST_F(StdCtrlsTest, FocusMovesBetweenEditsWithEnterAndExit) {
  TForm Form(nullptr);
  auto* A = new TEdit(&Form);
  A->SetParent(&Form);
  auto* B = new TEdit(&Form);
  B->SetParent(&Form);
  B->SetTop(30);
  std::vector<std::string> Log;
  A->OnEnter = [&](TObject*) { Log.push_back("enter A"); };
  A->OnExit = [&](TObject*) { Log.push_back("exit A"); };
  B->OnEnter = [&](TObject*) { Log.push_back("enter B"); };
  Form.Show();
  Application->ProcessMessages();
  A->SetFocus();
  EXPECT_TRUE(A->Focused());
  B->SetFocus();
  EXPECT_TRUE(B->Focused());
  EXPECT_EQ(Log, (std::vector<std::string>{"enter A", "exit A", "enter B"}));
  B->Hide();
  EXPECT_FALSE(B->CanFocus());
}

TEST_F(StdCtrlsTest, ButtonClickGivesTheFormItsModalResultThenFiresOnClick) {
  TForm Form(nullptr);
  auto* B = new TButton(&Form);
  B->SetParent(&Form);
  B->SetModalResult(mrCancel);
  TModalResult Seen = -1;
  B->OnClick = [&](TObject*) { Seen = Form.ModalResult(); };
  ClickAt(B, 5, 5);
  EXPECT_EQ(Seen, mrCancel);
}

TEST_F(StdCtrlsTest, CheckBoxAndRadioButtonsReportChangesAndRadiosAreExclusivePerParent) {
  TForm Form(nullptr);
  auto* Box = new TCheckBox(&Form);
  Box->SetParent(&Form);
  int BoxClicks = 0;
  Box->OnClick = [&](TObject*) { ++BoxClicks; };
  Box->SetChecked(true);
  Box->SetChecked(true);
  ClickAt(Box, 3, 8);  // the user unticks it
  EXPECT_FALSE(Box->Checked());
  EXPECT_EQ(BoxClicks, 2);

  std::vector<TRadioButton*> R;
  for (int I = 0; I < 3; ++I) {
    auto* B = new TRadioButton(&Form);
    B->SetParent(&Form);
    B->SetTop(20 * I + 30);
    R.push_back(B);
  }
  auto* Elsewhere = new TPanel(&Form);
  Elsewhere->SetParent(&Form);
  auto* Other = new TRadioButton(&Form);
  Other->SetParent(Elsewhere);
  Other->SetChecked(true);
  int Clicks = 0;
  R[2]->OnClick = [&](TObject*) { ++Clicks; };
  R[0]->SetChecked(true);
  ClickAt(R[2], 3, 8);
  EXPECT_FALSE(R[0]->Checked());
  EXPECT_TRUE(R[2]->Checked());
  EXPECT_TRUE(Other->Checked());  // another parent, another group
  EXPECT_EQ(Clicks, 1);
}

TEST_F(StdCtrlsTest, ComboBoxItemsCarryObjectsAndKeepTheirOrder) {
  TComboBox C(nullptr);
  C.SetStyle(csDropDownList);
  TObject Local, Network;
  C.SetSorted(true);
  C.Items().AddObject("Zeta", &Network);
  C.Items().AddObject("Alfa", &Local);
  EXPECT_EQ(C.ItemIndex(), -1);
  C.SetItemIndex(1);
  EXPECT_EQ(C.Text(), "Zeta");
  EXPECT_EQ(C.Items().Objects(C.ItemIndex()), &Network);
  C.SetText("Alfa");
  EXPECT_EQ(C.ItemIndex(), 0);
  C.SetItemIndex(7);  // out of range: nothing selected
  EXPECT_EQ(C.ItemIndex(), -1);
  C.Items().Delete(0);
  EXPECT_EQ(static_cast<int>(C.Items().Count()), 1);
}
