#include "ppreport/core/ppTreeNode.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppUnits.h"

const TClassInfo& TppTreeNode::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppTreeNode>("TppTreeNode", &TppRelative::StaticClassInfo());
  return Info;
}

TppTreeNode::~TppTreeNode() { BeforeDestruction(); }

int TppTreeNode::GetAbsoluteChildNodeCount() const {
  int Count = GetChildCount();
  for (int I = 0; I < GetChildCount(); ++I)
    if (TppTreeNode* Child = GetChildNode(I)) Count += Child->GetAbsoluteChildNodeCount();
  return Count;
}

int TppTreeNode::GetLevel() const {
  int Level = 0;
  for (TppTreeNode* N = GetParentNode(); N; N = N->GetParentNode()) ++Level;
  return Level;
}

TppTreeNode* TppTreeNode::GetFirstChild() const { return GetChildCount() > 0 ? GetChildNode(0) : nullptr; }

TppTreeNode* TppTreeNode::GetLastChild() const {
  return GetChildCount() > 0 ? GetChildNode(GetChildCount() - 1) : nullptr;
}

TppTreeNode* TppTreeNode::GetNextSibling() const {
  TppTreeNode* P = GetParentNode();
  if (!P) return nullptr;
  int I = P->IndexOfChild(this);
  return I >= 0 && I + 1 < P->GetChildCount() ? P->GetChildNode(I + 1) : nullptr;
}

TppTreeNode* TppTreeNode::GetPreviousSibling() const {
  TppTreeNode* P = GetParentNode();
  if (!P) return nullptr;
  int I = P->IndexOfChild(this);
  return I > 0 ? P->GetChildNode(I - 1) : nullptr;
}

TppTreeNode* TppTreeNode::GetLastChildDescendent() const {
  TppTreeNode* N = GetLastChild();
  while (N && N->GetLastChild()) N = N->GetLastChild();
  return N;
}

TppTreeNode* TppTreeNode::GetNext() const {
  if (TppTreeNode* First = GetFirstChild()) return First;
  for (const TppTreeNode* N = this; N->GetParentNode(); N = N->GetParentNode())
    if (TppTreeNode* Sibling = N->GetNextSibling()) return Sibling;
  return nullptr;
}

TppTreeNode* TppTreeNode::GetPrevious() const {
  if (TppTreeNode* Sibling = GetPreviousSibling()) {
    TppTreeNode* Last = Sibling->GetLastChildDescendent();
    return Last ? Last : Sibling;
  }
  return GetParentNode();
}

TppTreeNode* TppTreeNode::NewNodeOfMyClass(TComponent* NodeOwner) const {
  const TClassInfo* Info = ClassInfo();
  TPersistent* Made = Info->Create ? Info->Create(NodeOwner) : new TppTreeNode(NodeOwner);
  auto* Node = dynamic_cast<TppTreeNode*>(Made);
  if (!Node) {  // a record whose factory makes something else: fall back on a plain node
    if (auto* C = dynamic_cast<TComponent*>(Made))
      C->Free();
    else
      delete Made;
    Node = new TppTreeNode(NodeOwner);
  }
  return Node;
}

TppTreeNode* TppTreeNode::Add() {
  TppTreeNode* Node = NewNodeOfMyClass(this);
  Node->SetParent(this);
  return Node;
}

TppTreeNode* TppTreeNode::CloneNode(TppTreeNode* NewParent, bool Recurse) {
  TppTreeNode* Node = NewNodeOfMyClass(nullptr);
  TOnException Drop([Node] { Node->Free(); });
  Node->Assign(this);
  if (Recurse)
    for (TppTreeNode* Child = GetFirstChild(); Child; Child = Child->GetNextSibling()) Child->CloneNode(Node, true);
  Node->SetParent(NewParent);
  return Node;
}

void TppTreeNode::Assign(const TPersistent* Source) {
  if (dynamic_cast<const TppTreeNode*>(Source)) return;
  TppRelative::Assign(Source);
}

// ---- the unit

void InitializeTreeNodeUnit() {
  RegisterPPClasses({&TppTreeNode::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppTreeNodeRTTI());
}

void FinalizeTreeNodeUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppTreeNodeRTTI());
  UnregisterPPClasses({&TppTreeNode::StaticClassInfo()});
}
