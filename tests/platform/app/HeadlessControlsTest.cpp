#include "platform/app/HeadlessControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/CallLogDC.h"

namespace {
// Draws its name as a rectangle over its client area and logs who painted.
class TBox : public THeadlessWinControl {
  DECLARE_CLASSINFO(TBox)
public:
  using THeadlessWinControl::THeadlessWinControl;
  std::vector<std::string>* PaintLog = nullptr;
  int BoundsCalls = 0;
  std::vector<TMessage> Got;
  void SetBounds(int L, int T, int W, int H) override {
    ++BoundsCalls;
    THeadlessWinControl::SetBounds(L, T, W, H);
  }

protected:
  void Paint() override {
    if (PaintLog) PaintLog->push_back(Name());
    Canvas().Rectangle(ClientRect());
  }
  void WndProc(TMessage& M) override {
    Got.push_back(M);
    M.Result = 7;
  }
};

const TClassInfo& TBox::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TBox>("THeadlessTestBox", &THeadlessWinControl::StaticClassInfo())
          .Prop("Font", [](const TBox& B) { return const_cast<TFont*>(B.Font()); },
                [](TBox& B, TFont* F) { B.SetFont(F); })
          .Stored([](const TBox& B) { return !B.ParentFont(); })
          .Prop("ParentFont", &TBox::ParentFont, &TBox::SetParentFont).Default(1);
  return Info;
}

std::string TextOf(TMemoryStream& S) {
  S.SetPosition(0);
  TMemoryStream Out;
  ObjectBinaryToText(S, Out);
  return std::string(reinterpret_cast<const char*>(Out.Memory()), Out.Bytes().size());
}
}  // namespace

TEST(HeadlessControlsTest, ParentKeepsChildrenInInsertionOrderAndFreesThem) {
  auto* Root = new TBox(nullptr);
  TComponent Owner(nullptr);
  auto* A = new TBox(&Owner);
  auto* B = new TBox(&Owner);
  auto* C = new TBox(&Owner);
  C->SetParent(Root);
  A->SetParent(Root);
  B->SetParent(Root);
  ASSERT_EQ(Root->ControlCount(), 3);
  EXPECT_EQ(Root->Controls(0), C);
  EXPECT_EQ(Root->Controls(1), A);
  EXPECT_EQ(Root->Controls(2), B);
  A->SetParent(B);  // moving leaves the old parent
  EXPECT_EQ(Root->ControlCount(), 2);
  EXPECT_EQ(A->Parent(), B);
  EXPECT_THROW(B->SetParent(A), EInvalidOperation);  // its own grandchild
  EXPECT_EQ(B->Parent(), Root);
  C->Free();  // the owner's list and the parent's both forget it
  EXPECT_EQ(Owner.ComponentCount(), 2);
  EXPECT_EQ(Root->ControlCount(), 1);
  Root->Free();  // frees B and, through B, A: the owner sees both go
  EXPECT_EQ(Owner.ComponentCount(), 0);
}

TEST(HeadlessControlsTest, BoundsGoThroughTheOverrideAndMessagesReachTheControl) {
  TBox Box(nullptr);
  Box.SetLeft(5);
  Box.SetWidth(-3);  // no negative sizes
  Box.SetHeight(40);
  EXPECT_EQ(Box.BoundsCalls, 3);
  EXPECT_EQ(Box.BoundsRect(), Rect(5, 0, 5, 40));
  EXPECT_EQ(Box.Perform(WM_USER + 1, 2, 3), 7);
  EXPECT_EQ(SendMessage(Box.Handle(), WM_USER + 2, 0, 0), 7);
  ASSERT_EQ(Box.Got.size(), 2u);
  EXPECT_EQ(Box.Got[1].Msg, WM_USER + 2u);
}

TEST(HeadlessControlsTest, FontFollowsTheParentUntilChanged) {
  TBox Root(nullptr);
  auto* Child = new TBox(nullptr);
  Root.Font()->SetName("Arial");
  Child->SetParent(&Root);
  EXPECT_EQ(Child->Font()->Name(), "Arial");
  Root.Font()->SetSize(14);
  EXPECT_EQ(Child->Font()->Size(), 14);
  Child->Font()->SetSize(9);
  EXPECT_FALSE(Child->ParentFont());
  Root.Font()->SetSize(20);
  EXPECT_EQ(Child->Font()->Size(), 9);
  Child->SetParentFont(true);
  EXPECT_EQ(Child->Font()->Size(), 20);
}

TEST(HeadlessControlsTest, PaintToDrawsEachControlAtItsPlaceAndChildrenOnTop) {
  std::vector<std::string> Order;
  TBox Root(nullptr);
  Root.SetName("Root");
  Root.SetBounds(0, 0, 200, 100);
  auto* A = new TBox(nullptr);
  A->SetName("A");
  A->SetBounds(10, 20, 50, 30);
  auto* Hidden = new TBox(nullptr);
  Hidden->SetName("Hidden");
  Hidden->SetVisible(false);
  for (TBox* B : {&Root, A, Hidden}) B->PaintLog = &Order;
  A->SetParent(&Root);
  Hidden->SetParent(&Root);
  int Asked = 0;
  Root.OnInvalidate = [&](THeadlessControl*) { ++Asked; };
  A->SetLeft(12);  // a child's change reaches the window showing the tree
  EXPECT_EQ(Asked, 1);

  TCallLogDC Dc;
  Root.PaintTo(Dc, 0, 0);
  EXPECT_EQ(Order, (std::vector<std::string>{"Root", "A"}));
  // A paints in its own coordinates, moved to (12, 20) and clipped to its 50 x 30.
  auto Rects = Dc.Calls("Rectangle");
  ASSERT_EQ(Rects.size(), 2u);
  EXPECT_EQ(Rects[1], "Rectangle(0,0,50,30)");
  auto Moves = Dc.Calls("SetWorldTransform");
  ASSERT_EQ(Moves.size(), 2u);
  EXPECT_EQ(Moves[1], "SetWorldTransform(1,0,0,1,12,20)");
  EXPECT_EQ(Dc.Calls("IntersectClipRect").back(), "IntersectClipRect(0,0,50,30)");
  EXPECT_TRUE(Dc.State().World.IsIdentity());  // the device's state comes back
}

TEST(HeadlessControlsTest, StreamsChildrenTheRootOwnsWithTheirBoundsAndFont) {
  RegisterClass(TBox::StaticClassInfo());
  TBox Root(nullptr);
  Root.SetName("Root");
  auto* A = new TBox(&Root);
  A->SetName("A");
  A->SetParent(&Root);
  A->SetBounds(3, 4, 50, 60);
  A->Font()->SetName("Courier New");
  A->Font()->SetSize(11);
  A->Font()->SetStyle(fsBold | fsItalic);
  auto* Foreign = new TBox(nullptr);  // on the root but owned elsewhere: not written
  Foreign->SetParent(&Root);
  TMemoryStream S;
  WriteComponentToStream(S, &Root);
  std::string Text = TextOf(S);
  EXPECT_NE(Text.find("object A: THeadlessTestBox"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Font.Size = 11"), std::string::npos) << Text;
  EXPECT_NE(Text.find("Font.Style = [fsBold, fsItalic]"), std::string::npos) << Text;
  EXPECT_EQ(Text.find("Font.Height"), std::string::npos) << Text;  // the size in points is what travels
  EXPECT_EQ(Text.find("Visible"), std::string::npos) << Text;      // defaults are not written
  EXPECT_EQ(Text.find("Charset"), std::string::npos) << Text;

  S.SetPosition(0);
  TBox Copy(nullptr);
  ReadComponentFromStream(S, &Copy);
  ASSERT_EQ(Copy.ControlCount(), 1);
  auto* B = dynamic_cast<TBox*>(Copy.Controls(0));
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Owner(), &Copy);
  EXPECT_EQ(B->BoundsRect(), Rect(3, 4, 53, 64));
  EXPECT_EQ(B->Font()->Name(), "Courier New");
  EXPECT_EQ(B->Font()->Size(), 11);
  EXPECT_EQ(B->Font()->Style(), fsBold | fsItalic);
  EXPECT_FALSE(B->ParentFont());
  UnRegisterClass(TBox::StaticClassInfo());
}
