#include "ppreport/core/ppRelatv.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"

namespace {

// A relative whose children come back in their stored order, and that counts the changes
// reaching it from below.
class TOrderedRelative : public TppRelative {
  DECLARE_CLASSINFO(TOrderedRelative)
public:
  explicit TOrderedRelative(TComponent* AOwner) : TppRelative(AOwner) { SetOrderedChildren(true); }
  int Changes = 0;
  void AfterPropertyChanged() override { ++Changes; }
};
const TClassInfo& TOrderedRelative::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TOrderedRelative>("TOrderedRelative", &TppRelative::StaticClassInfo());
  return Info;
}

std::vector<TppRelative*> ChildrenOf(const TppRelative& R) {
  std::vector<TppRelative*> L;
  for (int I = 0; I < R.GetChildCount(); ++I) L.push_back(R.GetChild(I));
  return L;
}

struct TFamily {
  TComponent Form{nullptr};
  TppRelative* Root = new TppRelative(&Form);
  TppRelative* A = new TppRelative(&Form);
  TppRelative* B = new TppRelative(&Form);
  TppRelative* C = new TppRelative(&Form);
  TFamily() {
    for (TppRelative* R : {A, B, C}) R->SetParent(Root);
  }
};

TEST(TppRelativeTest, PositionsAndChildTypes) {
  struct Case {
    int Wanted;
    std::vector<int> Order;  // of A, B, C by their original index
  };
  const Case Cases[] = {{99, {0, 2, 1}}, {-5, {1, 0, 2}}, {1, {0, 1, 2}}, {0, {1, 0, 2}}};
  for (const Case& K : Cases) {
    TFamily F;
    const std::vector<TppRelative*> Original{F.A, F.B, F.C};
    F.B->SetPosition(K.Wanted);
    std::vector<TppRelative*> Expected;
    for (int I : K.Order) Expected.push_back(Original[static_cast<size_t>(I)]);
    EXPECT_EQ(Expected, ChildrenOf(*F.Root)) << K.Wanted;
  }
  TFamily F;
  EXPECT_EQ(-1, F.Root->GetPosition());
  F.A->SetChildType(3);
  EXPECT_EQ((std::vector<TppRelative*>{F.B, F.C, F.A}), ChildrenOf(*F.Root));
  EXPECT_EQ(3, F.A->ChildType());
  EXPECT_EQ(2, F.A->GetIndex());
  EXPECT_THROW(F.Root->GetChild(3), EListError);
}

// A relative never becomes its own ancestor; the refused step changes nothing.
TEST(TppRelativeTest, CyclesAreRefused) {
  TFamily F;
  TppRelative* Grandchild = new TppRelative(&F.Form);
  Grandchild->SetParent(F.A);
  const std::vector<std::pair<std::string, std::function<void()>>> Steps{
      {"itself", [&] { F.A->SetParent(F.A); }},
      {"its child", [&] { F.A->SetParent(Grandchild); }},
      {"the root under a leaf", [&] { F.Root->SetParent(Grandchild); }},
      {"an ancestor as child", [&] { Grandchild->AddChild(F.Root); }},
      {"an ancestor inserted", [&] { F.A->InsertChild(0, F.A); }},
      {"the place of its own child", [&] { F.A->Transfer(Grandchild); }},
      {"the place of its own grandchild", [&] { F.Root->Transfer(Grandchild); }},
  };
  for (const auto& [What, Step] : Steps) {
    EXPECT_THROW(Step(), ETalvorError) << What;
    EXPECT_EQ(nullptr, F.Root->Parent()) << What;
    EXPECT_EQ(F.Root, F.A->Parent()) << What;
    EXPECT_EQ(F.A, Grandchild->Parent()) << What;
    EXPECT_EQ((std::vector<TppRelative*>{F.A, F.B, F.C}), ChildrenOf(*F.Root)) << What;
    EXPECT_EQ(std::vector<TppRelative*>{Grandchild}, ChildrenOf(*F.A)) << What;
  }
  try {
    F.A->SetParent(Grandchild);
  } catch (const ETalvorError& E) {
    EXPECT_EQ(0u, E.Message().find("TppRelative.SetParent: "));
  }
}

// Transfer: the target takes the source's parent, ordering and children; the children that the
// source's owner owned go to the target's owner; the target's own children are freed first.
TEST(TppRelativeTest, TransferTakesTheSourcesPlace) {
  TComponent FormA(nullptr), FormB(nullptr);
  auto* Parent = new TppRelative(&FormA);
  auto* Source = new TOrderedRelative(&FormA);
  Source->SetParent(Parent);
  auto* C1 = new TppRelative(&FormA);
  auto* C2 = new TppRelative(&FormB);  // owned elsewhere already
  auto* C3 = new TppRelative(&FormA);
  for (TppRelative* C : {C1, C2, C3}) C->SetParent(Source);
  auto* G = new TppRelative(&FormA);
  G->SetParent(C1);

  auto* Target = new TppRelative(&FormB);
  auto* Old = new TppRelative(&FormB);
  Old->SetParent(Target);
  TppCommunicator Watcher(nullptr);
  Old->AddNotify(&Watcher);

  Target->Transfer(Source);
  EXPECT_EQ(0, Watcher.GetNotifyCount());  // the old child is gone, and said so
  EXPECT_EQ(Parent, Target->Parent());
  EXPECT_TRUE(Target->OrderedChildren());
  EXPECT_EQ((std::vector<TppRelative*>{C1, C2, C3}), ChildrenOf(*Target));
  EXPECT_EQ(0, Source->GetChildCount());
  for (TppRelative* C : {C1, C2, C3, G}) EXPECT_EQ(&FormB, C->Owner());
  EXPECT_EQ(2, FormA.ComponentCount());  // Parent and Source are left
  Target->Transfer(Target);                  // nothing
  EXPECT_EQ(3, Target->GetChildCount());
}

// Freeing a relative frees its subtree, whoever owns the pieces, and each piece's partners hear
// of it.
TEST(TppRelativeTest, FreeingFreesTheSubtree) {
  TComponent Form(nullptr);
  auto* Root = new TppRelative(&Form);
  auto* Mid = new TppRelative(nullptr);
  auto* Leaf = new TppRelative(&Form);
  Mid->SetParent(Root);
  Leaf->SetParent(Mid);
  TppCommunicator Watcher(nullptr);
  std::vector<TppCommunicator*> Gone;
  Watcher.OnNotify = [&](TppCommunicator*, TppCommunicator* P, TppNotifyOperation) { Gone.push_back(P); };
  for (TppRelative* R : {Root, Mid, Leaf}) R->AddNotify(&Watcher);
  auto* Other = new TppRelative(&Form);
  Other->SetParent(Root);
  Root->Free();
  EXPECT_EQ((std::vector<TppCommunicator*>{Leaf, Mid, Root}), Gone);
  EXPECT_EQ(0, Form.ComponentCount());
}

TEST(TppRelativeTest, ChangesGoUpToTheRoot) {
  TOrderedRelative Root(nullptr);
  auto* Mid = new TOrderedRelative(&Root);
  auto* Leaf = new TOrderedRelative(&Root);
  Mid->SetParent(&Root);
  Leaf->SetParent(Mid);
  Leaf->SetPosition(0);
  EXPECT_EQ(1, Leaf->Changes);
  EXPECT_EQ(1, Mid->Changes);
  EXPECT_EQ(1, Root.Changes);
}

// Children are read back at the positions they were written with; a child whose stored
// position does not fit stays where it was read; "ChildType" of old streams is read.
TEST(TppRelativeTest, StreamsRestoreTheChildOrder) {
  RegisterClass(TOrderedRelative::StaticClassInfo());
  RegisterClass(TppRelative::StaticClassInfo());
  const std::string Text =
      "object Root: TOrderedRelative\n"
      "  Position = -1\n"
      "  object First: TppRelative\n"
      "    Position = 2\n"
      "  end\n"
      "  object Second: TppRelative\n"
      "    Position = 5\n"
      "    ChildType = 4\n"
      "  end\n"
      "  object Third: TppRelative\n"
      "    Position = 0\n"
      "  end\n"
      "end\n";
  TMemoryStream In, Bin;
  In.Write(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  auto* Root = static_cast<TOrderedRelative*>(ReadComponentFromStream(Bin, nullptr));
  ASSERT_NE(nullptr, Root);
  std::vector<std::string> Names;
  for (TppRelative* C : ChildrenOf(*Root)) Names.push_back(C->Name());
  EXPECT_EQ((std::vector<std::string>{"Third", "Second", "First"}), Names);
  EXPECT_EQ(4, Root->GetChild(1)->ChildType());
  EXPECT_EQ(Root, Root->GetChild(0)->Owner());

  // Written and read again, the order holds.
  TMemoryStream Out;
  WriteComponentToStream(Out, Root);
  Root->Free();
  Out.SetPosition(0);
  auto* Again = static_cast<TOrderedRelative*>(ReadComponentFromStream(Out, nullptr));
  Names.clear();
  for (TppRelative* C : ChildrenOf(*Again)) Names.push_back(C->Name());
  EXPECT_EQ((std::vector<std::string>{"Third", "Second", "First"}), Names);
  Again->Free();
  UnRegisterClass(TOrderedRelative::StaticClassInfo());
}

}  // namespace
