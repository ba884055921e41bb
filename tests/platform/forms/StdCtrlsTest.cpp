#include "platform/forms/StdCtrls.h"
#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QLineEdit>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Grids.h"

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

TEST_F(StdCtrlsTest, ComboBoxItemsShowTheirPicturesUntilTheListGoes) {
  TComboBox C(nullptr);
  C.SetStyle(csDropDownList);
  auto* Images = new TImageList(nullptr);
  TPixelImage Red{16, 16, std::vector<uint32_t>(256, 0xFFFF0000)};
  Images->Add(Red);
  C.SetImages(Images);
  C.OnGetImageIndex = [&C](int I) { return C.Items().Get(I) == "rede" ? 0 : -1; };
  C.SetSorted(true);
  C.Items().Add("rede");
  C.Items().Add("local");  // sorted first: the pictures follow their items
  auto* Q = qobject_cast<QComboBox*>(C.Widget());
  ASSERT_TRUE(Q);
  EXPECT_TRUE(Q->itemIcon(0).isNull());
  ASSERT_FALSE(Q->itemIcon(1).isNull());
  EXPECT_EQ(Q->itemIcon(1).pixmap(16, 16).toImage().pixel(8, 8), 0xFFFF0000u);
  Images->Free();
  EXPECT_EQ(C.Images(), nullptr);
  EXPECT_TRUE(Q->itemIcon(1).isNull());
}

TEST_F(StdCtrlsTest, MemoKeepsLineBreaksAsCrLfAndReplacesItsSelection) {
  TMemo M(nullptr);
  M.SetText("ab\r\ncd");
  EXPECT_EQ(M.Text(), "ab\r\ncd");
  M.SetSelStart(4);  // after "c": the break counts as one character
  M.SetSelLength(1);
  M.SetSelText("X Y");
  EXPECT_EQ(M.Text(), "ab\r\ncX Y");
  EXPECT_EQ(M.SelStart(), 7);
  EXPECT_EQ(M.SelLength(), 0);

  TEdit E(nullptr);
  E.SetText("x");
  E.SetSelStart(1);
  E.SetSelText(" <= ");
  EXPECT_EQ(E.Text(), "x <= ");
  EXPECT_EQ(E.SelStart(), 5);
}

TEST_F(StdCtrlsTest, ListBoxReportsUserPicksNotItsOwnChanges) {
  TListBox L(nullptr);
  int Clicks = 0, Doubles = 0;
  L.OnClick = [&](TObject*) { ++Clicks; };
  L.OnDblClick = [&](TObject*) { ++Doubles; };
  L.Items().Add("a");
  L.Items().Add("b");
  L.SetItemIndex(1);
  EXPECT_EQ(L.ItemIndex(), 1);
  L.Items().Clear();
  EXPECT_EQ(L.ItemIndex(), -1);
  EXPECT_EQ(Clicks, 0);
  L.Items().Add("c");
  auto* Q = static_cast<QListWidget*>(L.Widget());
  Q->setCurrentRow(0);  // as the user's click does
  emit Q->itemDoubleClicked(Q->item(0));
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Doubles, 1);
}

TEST_F(StdCtrlsTest, StringGridFixedCellsAreHeadersAndEditsAreReported) {
  TStringGrid G(nullptr);
  G.SetColCount(2);
  G.SetFixedCols(0);
  G.SetRowCount(3);
  G.SetEditing(true);
  G.SetCells(0, 0, "Name");
  G.SetCells(1, 2, "x");
  EXPECT_EQ(G.Cells(1, 2), "x");
  EXPECT_EQ(G.Cells(5, 9), "");
  auto* Q = static_cast<QTableWidget*>(G.Widget());
  EXPECT_FALSE(Q->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(Q->item(1, 0)->flags() & Qt::ItemIsEditable);
  std::vector<std::string> Edits;
  G.OnSetEditText = [&](TObject*, int C, int R, const std::string& V) {
    Edits.push_back(std::to_string(C) + "," + std::to_string(R) + "=" + V);
  };
  G.SetCells(0, 1, "by code");  // not reported
  Q->item(1, 1)->setText("typed");
  G.EditCell(0, 2, "y");
  EXPECT_EQ(Edits, (std::vector<std::string>{"1,1=typed", "0,2=y"}));
}
