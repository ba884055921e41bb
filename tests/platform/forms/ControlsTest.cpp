#include "platform/forms/Controls.h"

#include <gtest/gtest.h>

#include <memory>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/graphics/FontEngine.h"

namespace {
// Tells when the components it watches are freed.
class TWatcher : public TComponent {
public:
  TWatcher() : TComponent(nullptr) {}
  std::vector<TComponent*> Freed;
  void Watch(TComponent* C) { C->FreeNotification(this); }

protected:
  void Notification(TComponent* C, TOperation Op) override {
    TComponent::Notification(C, Op);
    if (Op == opRemove) Freed.push_back(C);
  }
};

struct TBoundsCase {
  TAlign Align;
  int Expected[4];
};

std::array<int, 4> BoundsOf(const TControl* C) { return {C->Left(), C->Top(), C->Width(), C->Height()}; }

class TMessageControl : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  std::vector<TMessage> Got;

protected:
  void WndProc(TMessage& M) override {
    if (M.Msg >= WM_USER) Got.push_back(M);
    TCustomControl::WndProc(M);
  }
};

class TBoxControl : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;

protected:
  void Paint() override {
    Canvas().Brush().SetColor(clWhite);
    Canvas().FillRect(Rect(0, 0, Width(), Height()));
    Canvas().Pen().SetColor(clBlack);
    Canvas().Brush().SetColor(0x0000FF);  // red in 0x00BBGGRR
    Canvas().Rectangle(2, 2, 8, 6);
  }
};
}  // namespace

using ControlsTest = FormsTest;

TEST_F(ControlsTest, OwnerFreesAndParentFreesWhatIsStillOnIt) {
  TWatcher W;
  auto* Form = new TForm(nullptr);
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  auto* Owned = new TButton(Form);  // owned by the form, shown on the panel
  Owned->SetParent(Panel);
  auto* Orphan = new TButton(nullptr);  // no owner: the panel frees it
  Orphan->SetParent(Panel);
  for (TComponent* C : {static_cast<TComponent*>(Panel), static_cast<TComponent*>(Owned),
                        static_cast<TComponent*>(Orphan)})
    W.Watch(C);
  EXPECT_EQ(Panel->ControlCount(), 2);
  EXPECT_EQ(Owned->Widget()->parentWidget(), Panel->Widget());

  delete Owned;  // leaves its parent's list and its owner's
  EXPECT_EQ(Panel->ControlCount(), 1);
  EXPECT_EQ(Form->ComponentCount(), 1);
  delete Form;
  EXPECT_EQ(W.Freed.size(), 3u);
}

TEST_F(ControlsTest, AParentCannotBeItsOwnDescendant) {
  TForm Form(nullptr);
  auto* Outer = new TPanel(&Form);
  Outer->SetParent(&Form);
  auto* Inner = new TPanel(&Form);
  Inner->SetParent(Outer);
  EXPECT_THROW(Outer->SetParent(Inner), EInvalidOperation);
  EXPECT_THROW(Outer->SetParent(Outer), EInvalidOperation);
  Inner->SetParent(nullptr);
  EXPECT_EQ(Outer->ControlCount(), 0);
  EXPECT_EQ(Inner->Parent(), nullptr);
}

TEST_F(ControlsTest, AlignedChildrenShareTheClientAreaInAlignOrder) {
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 300, 200);
  const TBoundsCase Cases[] = {
      {alClient, {50, 30, 210, 150}}, {alTop, {0, 0, 300, 30}},    {alBottom, {0, 180, 300, 20}},
      {alLeft, {0, 30, 50, 150}},     {alRight, {260, 30, 40, 150}},
  };
  std::vector<TPanel*> Panels;
  for (const auto& C : Cases) {
    auto* P = new TPanel(&Form);
    P->SetBounds(0, 0, C.Align == alRight ? 40 : 50, C.Align == alBottom ? 20 : 30);
    P->SetParent(&Form);
    P->SetAlign(C.Align);
    Panels.push_back(P);
  }
  for (size_t I = 0; I < Panels.size(); ++I) {
    auto E = Cases[I].Expected;
    EXPECT_EQ(BoundsOf(Panels[I]), (std::array<int, 4>{E[0], E[1], E[2], E[3]})) << "case " << I;
  }
  // Resizing the parent places them again; a hidden control takes no room.
  Panels[1]->Hide();
  Form.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(BoundsOf(Panels[0]), (std::array<int, 4>{50, 0, 310, 280}));
  EXPECT_EQ(BoundsOf(Panels[4]), (std::array<int, 4>{360, 0, 40, 280}));
  // Changing an aligned child's width keeps it aligned.
  Panels[3]->SetWidth(80);
  EXPECT_EQ(BoundsOf(Panels[3]), (std::array<int, 4>{0, 0, 80, 280}));
  EXPECT_EQ(Panels[0]->Left(), 80);
}

TEST_F(ControlsTest, PanelBevelsAndBorderNarrowTheAlignedArea) {
  TPanel Panel(nullptr);
  Panel.SetBounds(0, 0, 100, 60);
  Panel.SetBevelInner(bvLowered);
  Panel.SetBevelWidth(2);
  Panel.SetBorderWidth(1);
  auto* Child = new TPanel(&Panel);
  Child->SetParent(&Panel);
  Child->SetAlign(alClient);
  EXPECT_EQ(BoundsOf(Child), (std::array<int, 4>{5, 5, 90, 50}));
}

TEST_F(ControlsTest, AResizeHandlerThatFailsDoesNotSwitchAlignmentOff) {
  TPanel Panel(nullptr);
  Panel.SetBounds(0, 0, 100, 60);
  auto* Child = new TPanel(&Panel);
  Child->SetParent(&Panel);
  bool Fail = true;
  Child->OnResize = [&](TObject*) {
    if (std::exchange(Fail, false)) throw Exception("resize");
  };
  EXPECT_THROW(Child->SetAlign(alClient), Exception);
  Panel.SetBounds(0, 0, 120, 80);
  EXPECT_EQ(BoundsOf(Child), (std::array<int, 4>{1, 1, 118, 78}));  // inside the raised bevel
}

TEST_F(ControlsTest, MouseEventsReachTheHandlersAndAClickNeedsPressAndReleaseInside) {
  TForm Form(nullptr);
  auto* P = new TPanel(&Form);
  P->SetParent(&Form);
  P->SetBounds(10, 10, 50, 40);
  std::vector<std::string> Log;
  P->OnMouseDown = [&](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
    EXPECT_EQ(S, P);
    Log.push_back("down " + std::to_string(B) + " " + std::to_string(X) + "," + std::to_string(Y) +
                  ((Sh & ssDouble) ? " double" : "") + ((Sh & ssCtrl) ? " ctrl" : ""));
  };
  P->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int X, int Y) {
    Log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  };
  P->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) {
    Log.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
  };
  P->OnClick = [&](TObject*) { Log.push_back("click"); };
  P->OnDblClick = [&](TObject*) { Log.push_back("dblclick"); };

  SendMouse(P, QEvent::MouseButtonPress, 3, 4, Qt::LeftButton, Qt::ControlModifier);
  SendMouse(P, QEvent::MouseMove, 5, 6);
  SendMouse(P, QEvent::MouseButtonRelease, 5, 6);
  SendMouse(P, QEvent::MouseButtonPress, 3, 4);
  SendMouse(P, QEvent::MouseButtonRelease, 70, 6);  // let go outside: no click
  SendMouse(P, QEvent::MouseButtonDblClick, 1, 2);
  SendMouse(P, QEvent::MouseButtonRelease, 1, 2);  // no second click
  SendMouse(P, QEvent::MouseButtonPress, 1, 2, Qt::RightButton);
  EXPECT_EQ(Log, (std::vector<std::string>{"down 0 3,4 ctrl", "move 5,6", "up 5,6", "click", "down 0 3,4",
                                           "up 70,6", "dblclick", "down 0 1,2 double", "up 1,2", "down 1 1,2"}));
}

TEST_F(ControlsTest, AClickHandlerMayFreeItsControl) {
  TForm Form(nullptr);
  auto* P = new TPanel(&Form);
  P->SetParent(&Form);
  P->OnClick = [&](TObject*) { delete P; };
  ClickAt(P, 1, 1);
  EXPECT_EQ(Form.ControlCount(), 0);
  EXPECT_EQ(Form.ComponentCount(), 0);
}

TEST_F(ControlsTest, KeyPreviewLetsTheFormSeeAndSwallowKeysFirst) {
  TForm Form(nullptr);
  auto* Edit = new TEdit(&Form);
  Edit->SetParent(&Form);
  std::vector<std::string> Log;
  Form.OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState Shift) {
    Log.push_back("form " + std::to_string(Key) + ((Shift & ssCtrl) ? " ctrl" : ""));
    if (Key == VK_NEXT) Key = 0;
  };
  Edit->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { Log.push_back("edit " + std::to_string(Key)); };
  Edit->OnKeyPress = [&](TObject*, char& Ch) { Log.push_back(std::string("press ") + Ch); };

  SendKey(Edit, Qt::Key_A, Qt::NoModifier, "a");  // no preview: only the edit
  EXPECT_EQ(Edit->Text(), "a");
  Form.SetKeyPreview(true);
  SendKey(Edit, Qt::Key_PageDown, Qt::ControlModifier);  // swallowed by the form
  SendKey(Edit, Qt::Key_Home);
  EXPECT_EQ(Log, (std::vector<std::string>{"edit 65", "press a", "form 34 ctrl", "form 36", "edit 36"}));
}

TEST_F(ControlsTest, EnterAndEscapeClickTheDefaultAndCancelButtons) {
  TForm Form(nullptr);
  auto* Edit = new TEdit(&Form);
  Edit->SetParent(&Form);
  auto* Ok = new TButton(&Form);
  Ok->SetParent(&Form);
  Ok->SetDefault(true);
  Ok->SetModalResult(mrOk);
  auto* Cancel = new TButton(&Form);
  Cancel->SetParent(&Form);
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
  SendKey(Edit, Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(Form.ModalResult(), mrOk);
  SendKey(Edit, Qt::Key_Escape, Qt::NoModifier, "\x1b");
  EXPECT_EQ(Form.ModalResult(), mrCancel);
}

TEST_F(ControlsTest, WheelArrivesAsMessage0x20AAndUnhandledGoesToTheParent) {
  TForm Form(nullptr);
  auto* Outer = new TMessageControl(&Form);
  Outer->SetParent(&Form);
  auto* Inner = new TMessageControl(&Form);
  Inner->SetParent(Outer);
  std::vector<int> Deltas;
  Outer->OnMouseWheel = [&](TObject* S, TShiftState Shift, int Delta, int, int, bool& Handled) {
    EXPECT_EQ(S, Outer);
    EXPECT_TRUE(Shift & ssShift);
    Deltas.push_back(Delta);
    Handled = true;
  };
  SendWheel(Inner, -240, Qt::ShiftModifier);
  EXPECT_EQ(Deltas, std::vector<int>{-240});
  // The window procedure sees the Windows layout: delta in the high word, keys in the low.
  EXPECT_EQ(Inner->Perform(WM_MOUSEWHEEL, (WPARAM(uint16_t(120)) << 16) | 0x04, 0), 1);
  EXPECT_EQ(Deltas.back(), 120);
}

TEST_F(ControlsTest, PostedMessagesReachAWindowedControl) {
  TMessageControl C(nullptr);
  EXPECT_TRUE(IsWindow(C.Handle()));
  PostMessage(C.Handle(), WM_USER + 1, 7, 0);
  PostMessage(C.Handle(), WM_USER, 40, 0);
  EXPECT_TRUE(C.Got.empty());
  Application->ProcessMessages();
  ASSERT_EQ(C.Got.size(), 2u);
  EXPECT_EQ(C.Got[0].Msg, WM_USER + 1);
  EXPECT_EQ(C.Got[1].WParam, 40u);
}

TEST_F(ControlsTest, GraphicControlPaintsThroughItsCanvas) {
  TForm Form(nullptr);
  Form.SetColor(clWhite);
  auto* Box = new TBoxControl(&Form);
  Box->SetParent(&Form);
  Box->SetBounds(4, 4, 10, 10);
  QImage Img = Grab(&Form);
  auto Px = [&](int X, int Y) { return Img.pixel(X, Y) & 0xFFFFFF; };
  EXPECT_EQ(Px(4 + 2, 4 + 2), 0x000000u);  // frame
  EXPECT_EQ(Px(4 + 4, 4 + 4), 0xFF0000u);  // fill (Qt's 0xRRGGBB)
  EXPECT_EQ(Px(4 + 8, 4 + 4), 0xFFFFFFu);  // right edge excluded
  EXPECT_EQ(Px(4 + 4, 4 + 6), 0xFFFFFFu);  // bottom edge excluded
}

TEST_F(ControlsTest, VirtualKeysFromQtKeys) {
  const std::pair<int, uint16_t> Cases[] = {{Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_PageUp, VK_PRIOR},
                                            {Qt::Key_PageDown, VK_NEXT},  {Qt::Key_End, VK_END},
                                            {Qt::Key_Home, VK_HOME},      {Qt::Key_Up, VK_UP},
                                            {Qt::Key_Down, VK_DOWN},      {Qt::Key_Enter, VK_RETURN},
                                            {Qt::Key_F5, 0x74},           {Qt::Key_Q, 'Q'}};
  for (auto [Q, Vk] : Cases) EXPECT_EQ(QtKeyToVirtualKey(Q), Vk) << Q;
}

TEST_F(ControlsTest, ChildrenFollowTheParentsFontAndHintsUntilGivenTheirOwn) {
  TForm Form(nullptr);
  auto* Follows = new TPanel(&Form);
  Follows->SetParent(&Form);
  auto* Own = new TPanel(&Form);
  Own->SetParent(&Form);
  Own->Font().SetName("Courier New");
  EXPECT_FALSE(Own->ParentFont());
  Form.Font().SetName("Arial");
  Form.Font().SetHeight(-11);
  EXPECT_TRUE(Follows->ParentFont());
  EXPECT_EQ(Follows->Font().Name(), "Arial");
  EXPECT_EQ(Own->Font().Name(), "Courier New");
  // The widget gets the mapped family at the font's pixel height.
  EXPECT_EQ(Follows->Widget()->font().pixelSize(), 11);
  EXPECT_EQ(Follows->Widget()->font().family().toStdString(), FontEngine::MapFaceName("Arial"));

  Follows->SetHint("Ultima Página");
  EXPECT_TRUE(Follows->Widget()->toolTip().isEmpty());
  Form.SetShowHint(true);
  EXPECT_TRUE(Follows->ShowHint());
  EXPECT_EQ(Follows->Widget()->toolTip(), QString::fromUtf8("Ultima Página"));
  Follows->SetShowHint(false);
  EXPECT_TRUE(Follows->Widget()->toolTip().isEmpty());
}
