#include "platform/forms/StdCtrls.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "FormsTestUtil.h"
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
