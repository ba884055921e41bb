#include "ppreport/core/ppOutlineNode.h"

#include <algorithm>

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

TppOutlineNode::TppOutlineNode(TComponent* AOwner) : TppTreeNode(AOwner) {}

TppOutlineNode::~TppOutlineNode() { BeforeDestruction(); }

void TppOutlineNode::Destroying() {
  if (FPageNodeCreator) {
    TppOutlineNodeCreator* Creator = FPageNodeCreator;
    FPageNodeCreator = nullptr;
    Creator->NodeFreed(this);
  }
  TppTreeNode::Destroying();
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

void TppOutlineNode::Changed() {
  for (TppRelative* R = this; R; R = R->Parent()) {
    auto* Node = dynamic_cast<TppOutlineNode*>(R);
    if (!Node) break;
    Node->FFrozen.reset();
  }
}

void TppOutlineNode::InsertChild(int Index, TppRelative* Child) {
  TppTreeNode::InsertChild(Index, Child);
  Changed();
}

void TppOutlineNode::RemoveChild(TppRelative* Child) {
  TppTreeNode::RemoveChild(Child);
  Changed();
}

std::shared_ptr<const TppOutlineSnapshot> TppOutlineNode::Freeze(const TppOutlineNode* Root) {
  if (!Root || Root->NodeType() != ntRoot) return nullptr;
  return Root->Frozen();
}

std::shared_ptr<const TppOutlineSnapshot> TppOutlineNode::Frozen() const {
  if (FFrozen) return FFrozen;
  auto Snapshot = std::make_shared<TppOutlineSnapshot>();
  Snapshot->Caption = FCaption;
  Snapshot->NodeType = FNodeType;
  Snapshot->PageReference = FPageReference;
  std::vector<int> Pages;
  FreezeChildren(*this, *Snapshot, Pages);
  FFrozen = std::move(Snapshot);
  return FFrozen;
}

// The filter of CopyChildren; Pages holds, sorted, the page references of Target's page nodes.
void TppOutlineNode::FreezeChildren(const TppOutlineNode& Source, TppOutlineSnapshot& Target, std::vector<int>& Pages) {
  for (int I = 0; I < Source.GetChildCount(); ++I) {
    const TppOutlineNode* C = Source.GetOutlineChild(I);
    if (!C) continue;
    if (!C->Accepted()) {
      FreezeChildren(*C, Target, Pages);
      continue;
    }
    if (C->NodeType() == ntPage) {
      const int Ref = C->PageReference();
      if (Pages.empty() || Ref > Pages.back()) {  // pages come in order: no search
        Pages.push_back(Ref);
      } else {
        auto At = std::lower_bound(Pages.begin(), Pages.end(), Ref);
        if (*At == Ref) continue;
        Pages.insert(At, Ref);
      }
    }
    Target.Children.push_back(C->Frozen());
  }
}

std::unique_ptr<TppOutlineNode> TppOutlineNode::Thaw(const TppOutlineSnapshot& Snapshot) {
  auto Node = std::make_unique<TppOutlineNode>(nullptr);
  Node->FCaption = Snapshot.Caption;
  Node->FNodeType = Snapshot.NodeType;
  Node->FPageReference = Snapshot.PageReference;
  for (const auto& C : Snapshot.Children) Thaw(*C).release()->SetParent(Node.get());
  return Node;
}

bool TppOutlineNode::IsEqual(const TppOutlineSnapshot& A, const TppOutlineSnapshot& B) {
  if (&A == &B) return true;
  if (A.Caption != B.Caption || A.PageReference != B.PageReference || A.NodeType != B.NodeType ||
      A.Children.size() != B.Children.size())
    return false;
  for (size_t I = 0; I < A.Children.size(); ++I)
    if (!IsEqual(*A.Children[I], *B.Children[I])) return false;
  return true;
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
