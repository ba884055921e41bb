#include "ppreport/core/ppOutlineNode.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <set>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineNodeCreator.h"

const TClassInfo& TppOutlineNode::StaticClassInfo() {
  using N = TppOutlineNode;
  static const TClassInfo Info = TClassDef<N>("TppOutlineNode", &TppTreeNode::StaticClassInfo())
                                     .Prop("Caption", &N::Caption, &N::SetCaption)
                                     .Prop("NodeType", &N::NodeType, &N::SetNodeType)
                                     .Default(ntOther)
                                     .Prop("PageReference", &N::PageReference, &N::SetPageReference)
                                     .Default(0);
  return Info;
}

// What freezing a node keeps for the next time. A node's frozen children are its accepted
// children's frozen forms with the children of refused ones lifted in their place; the node that
// receives them is the target (an accepted node, or the root). Every node whose children went into
// a target remembers where each child's part ended, so that a change refreezes from there on.
struct TppOutlineNode::TFreezing {
  // As a target: the frozen children so far, each one's page reference (page nodes only) and the
  // pages among them (no target takes two page nodes of one page).
  TppFrozenList<std::shared_ptr<const TppOutlineSnapshot>> Out;
  std::vector<std::optional<int>> Refs;
  std::set<int> Pages;
  // As a node whose children went into a target: that target (by its serial number: a freed
  // record's address may come back), its size before them, its size after each child, and how
  // many children those sizes still hold for.
  const uint64_t Serial = NextSerial();
  uint64_t Target = 0;
  size_t Start = 0;
  std::vector<size_t> Ends;
  size_t Valid = 0;

  void CutTo(size_t Size) {
    if (Size >= Refs.size()) return;
    for (size_t I = Size; I < Refs.size(); ++I)
      if (Refs[I]) Pages.erase(*Refs[I]);
    Refs.resize(Size);
    Out = Out.Truncated(Size);
  }
  void Push(std::shared_ptr<const TppOutlineSnapshot> Snapshot, std::optional<int> Page) {
    Out = Out.PushBack(std::move(Snapshot));
    Refs.push_back(Page);
  }
  static uint64_t NextSerial() {
    static std::atomic<uint64_t> Last{0};
    return ++Last;
  }
};

TppOutlineNode::TppOutlineNode(TComponent* AOwner) : TppTreeNode(AOwner) {}

TppOutlineNode::~TppOutlineNode() { BeforeDestruction(); }

void TppOutlineNode::Destroying() {
  if (FPageNodeCreator) {
    TppOutlineNodeCreator* Creator = FPageNodeCreator;
    SetPageNodeCreator(nullptr);
    Creator->NodeFreed(this);
  }
  TppTreeNode::Destroying();
}

void TppOutlineNode::SetAccepted(bool V) {
  if (V != FAccepted) FFreezing.reset();  // what it froze was for another target
  FAccepted = V;
  Changed();
}

void TppOutlineNode::SetPageNodeCreator(TppOutlineNodeCreator* V) {
  if ((V != nullptr) != (FPageNodeCreator != nullptr))
    if (auto* P = dynamic_cast<TppOutlineNode*>(Parent())) P->FWaitingChildren += V ? 1 : -1;
  FPageNodeCreator = V;
}

void TppOutlineNode::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppOutlineNode*>(Source);
  if (!S) {
    TppTreeNode::Assign(Source);
    return;
  }
  FCaption = S->FCaption;
  FPageReference = S->FPageReference;
  FNodeType = S->FNodeType;
  Changed();
}

int TppOutlineNode::IndexFromEnd(const TppRelative* Child) const {
  for (int I = GetChildCount() - 1; I >= 0; --I)
    if (GetChild(I) == Child) return I;
  return -1;
}

void TppOutlineNode::Changed() {
  FFrozen.reset();
  // Each ancestor refreezes from the child on the path down to this node.
  const TppRelative* Child = this;
  for (auto* P = dynamic_cast<TppOutlineNode*>(Parent()); P; Child = P, P = dynamic_cast<TppOutlineNode*>(P->Parent())) {
    P->FFrozen.reset();
    if (P->FFreezing) P->FFreezing->Valid = std::min(P->FFreezing->Valid, static_cast<size_t>(std::max(0, P->IndexFromEnd(Child))));
  }
}

void TppOutlineNode::ChildrenChanged(int Index) {
  if (FFreezing) FFreezing->Valid = std::min(FFreezing->Valid, static_cast<size_t>(std::max(0, Index)));
  Changed();
}

void TppOutlineNode::InsertChild(int Index, TppRelative* Child) {
  TppTreeNode::InsertChild(Index, Child);
  if (auto* Node = dynamic_cast<TppOutlineNode*>(Child)) {
    // A refused node lifts its children into its new parent's target: start afresh there.
    if (!Node->Accepted()) Node->FFreezing.reset();
    if (Node->FPageNodeCreator) ++FWaitingChildren;
  }
  ChildrenChanged(Index);
}

void TppOutlineNode::RemoveChild(TppRelative* Child) {
  const int Index = IndexFromEnd(Child);
  TppTreeNode::RemoveChild(Child);
  if (Index < 0) return;
  if (auto* Node = dynamic_cast<TppOutlineNode*>(Child); Node && Node->FPageNodeCreator) --FWaitingChildren;
  ChildrenChanged(Index);
}

std::shared_ptr<const TppOutlineSnapshot> TppOutlineNode::Freeze(const TppOutlineNode* Root) {
  if (!Root || Root->NodeType() != ntRoot) return nullptr;
  return Root->Frozen();
}

TppOutlineNode::TFreezing& TppOutlineNode::Freezing() const {
  if (!FFreezing) FFreezing = std::make_unique<TFreezing>();
  return *FFreezing;
}

std::shared_ptr<const TppOutlineSnapshot> TppOutlineNode::Frozen() const {
  if (FFrozen) return FFrozen;
  auto Snapshot = std::make_shared<TppOutlineSnapshot>();
  Snapshot->Caption = FCaption;
  Snapshot->NodeType = FNodeType;
  Snapshot->PageReference = FPageReference;
  if (GetChildCount() > 0 || FFreezing) {
    TFreezing& F = Freezing();
    F.Target = F.Serial;
    F.Start = 0;
    Lift(F, *this, false);
    Snapshot->Children = F.Out;
  }
  FFrozen = std::move(Snapshot);
  return FFrozen;
}

// The filter of CopyChildren, resumed where the children last changed.
void TppOutlineNode::Lift(TFreezing& Target, const TppOutlineNode& Node, bool Fresh) {
  const int Count = Node.GetChildCount();
  // A refused node without children adds nothing and needs no record.
  if (Fresh && Count == 0 && !Node.FFreezing) return;
  TFreezing& N = Node.Freezing();
  if (Fresh) {
    N.Target = Target.Serial;
    N.Start = Target.Out.Size();
    N.Ends.clear();
    N.Valid = 0;
  }
  size_t From = std::min({N.Valid, N.Ends.size(), static_cast<size_t>(Count)});
  const size_t Begin = From == 0 ? N.Start : N.Ends[From - 1];
  N.Ends.resize(From);
  // The first child to refreeze, when refused and lifted to this very place before, resumes where
  // its own children changed; every child after it starts afresh (and every child of a node that
  // starts afresh).
  const TppOutlineNode* First =
      !Fresh && From < static_cast<size_t>(Count) ? Node.GetOutlineChild(static_cast<int>(From)) : nullptr;
  if (First && !First->Accepted() && First->FFreezing && First->FFreezing->Target == Target.Serial &&
      First->FFreezing->Start == Begin && Begin <= Target.Out.Size()) {
    Lift(Target, *First, false);
    N.Ends.push_back(Target.Out.Size());
    ++From;
  } else {
    Target.CutTo(Begin);
  }
  for (int I = static_cast<int>(From); I < Count; ++I) {
    if (const TppOutlineNode* C = Node.GetOutlineChild(I)) {
      if (!C->Accepted()) {
        Lift(Target, *C, true);
      } else if (C->NodeType() != ntPage) {
        Target.Push(C->Frozen(), std::nullopt);
      } else if (Target.Pages.insert(C->PageReference()).second) {
        Target.Push(C->Frozen(), C->PageReference());
      }
    }
    N.Ends.push_back(Target.Out.Size());
  }
  N.Valid = static_cast<size_t>(Count);
}

std::unique_ptr<TppOutlineNode> TppOutlineNode::Thaw(const TppOutlineSnapshot& Snapshot) {
  auto Node = std::make_unique<TppOutlineNode>(nullptr);
  Node->FCaption = Snapshot.Caption;
  Node->FNodeType = Snapshot.NodeType;
  Node->FPageReference = Snapshot.PageReference;
  TppOutlineNode* Parent = Node.get();
  Snapshot.Children.ForEach([Parent](const std::shared_ptr<const TppOutlineSnapshot>& C) {
    Thaw(*C).release()->SetParent(Parent);
  });
  return Node;
}

bool TppOutlineNode::IsEqual(const TppOutlineSnapshot& A, const TppOutlineSnapshot& B) {
  if (&A == &B) return true;
  if (A.Caption != B.Caption || A.PageReference != B.PageReference || A.NodeType != B.NodeType) return false;
  return A.Children.Equals(B.Children, [](const std::shared_ptr<const TppOutlineSnapshot>& X,
                                          const std::shared_ptr<const TppOutlineSnapshot>& Y) {
    return IsEqual(*X, *Y);
  });
}

void TppOutlineNode::SetParentComponent(TComponent* Value) {
  if (auto* Command = dynamic_cast<TppOutlineDrawCommand*>(Value); Command && (HasState(csLoading) || HasState(csReading))) {
    Command->AdoptTree(this);
    return;
  }
  TppTreeNode::SetParentComponent(Value);
}

std::unique_ptr<TppOutlineNode> TppOutlineNode::CopyTree(const TppOutlineNode* Root) {
  if (!Root || Root->NodeType() != ntRoot) return nullptr;
  auto Copy = std::make_unique<TppOutlineNode>(nullptr);
  Copy->SetNodeType(ntRoot);
  Copy->SetCaption(Root->Caption());
  Copy->SetPageReference(Root->PageReference());
  CopyChildren(*Root, *Copy);
  return Copy;
}

void TppOutlineNode::CopyChildren(const TppOutlineNode& Source, TppOutlineNode& Target) {
  for (int I = 0; I < Source.GetChildCount(); ++I) {
    const TppOutlineNode* C = Source.GetOutlineChild(I);
    if (!C) continue;
    if (!C->Accepted()) {  // refused: its children join the target in its place
      CopyChildren(*C, Target);
      continue;
    }
    if (C->NodeType() == ntPage) {
      bool Twice = false;
      for (int J = 0; J < Target.GetChildCount() && !Twice; ++J) {
        const TppOutlineNode* T = Target.GetOutlineChild(J);
        Twice = T && T->NodeType() == ntPage && T->PageReference() == C->PageReference();
      }
      if (Twice) continue;
    }
    auto* Node = new TppOutlineNode(nullptr);
    Node->Assign(C);
    Node->SetParent(&Target);
    CopyChildren(*C, *Node);
  }
}

bool TppOutlineNode::IsEqual(const TppOutlineNode& Other) const {
  if (FCaption != Other.FCaption || FPageReference != Other.FPageReference || FNodeType != Other.FNodeType ||
      GetChildCount() != Other.GetChildCount())
    return false;
  for (int I = 0; I < GetChildCount(); ++I) {
    const TppOutlineNode* A = GetOutlineChild(I);
    const TppOutlineNode* B = Other.GetOutlineChild(I);
    if (!A || !B) {
      if (A != B) return false;
      continue;
    }
    if (!A->IsEqual(*B)) return false;
  }
  return true;
}
