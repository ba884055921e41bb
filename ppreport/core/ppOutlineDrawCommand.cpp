#include "ppreport/core/ppOutlineDrawCommand.h"

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppOutlineNode.h"

const TClassInfo& TppOutlineDrawCommand::StaticClassInfo() {
  using C = TppOutlineDrawCommand;
  static const TClassInfo Info = TClassDef<C>("TppOutlineDrawCommand", &TppDrawCommand::StaticClassInfo())
                                     .Prop("Completed", &C::Completed, &C::SetCompleted)
                                     .Default(0);
  return Info;
}

TppOutlineDrawCommand::TppOutlineDrawCommand(TComponent* AOwner) : TppDrawCommand(AOwner) {}

TppOutlineDrawCommand::~TppOutlineDrawCommand() { BeforeDestruction(); }

TppOutlineNode* TppOutlineDrawCommand::Tree() const {
  Thaw();
  return TreeChild();
}

void TppOutlineDrawCommand::Thaw() const {
  if (!FSnapshot) return;
  auto Snapshot = std::move(FSnapshot);  // leaves FSnapshot empty
  // Making the nodes changes what the command holds, not what it shows.
  auto* Self = const_cast<TppOutlineDrawCommand*>(this);
  Self->AdoptTree(TppOutlineNode::Thaw(*Snapshot).release());
}

void TppOutlineDrawCommand::SetSnapshot(std::shared_ptr<const TppOutlineSnapshot> Snapshot) {
  SetTree(nullptr);
  FSnapshot = std::move(Snapshot);
}

void TppOutlineDrawCommand::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  Thaw();
  TppDrawCommand::GetChildren(Proc, Root);
}

TppOutlineNode* TppOutlineDrawCommand::TreeChild() const {
  for (int I = 0; I < GetChildCount(); ++I)
    if (auto* Node = dynamic_cast<TppOutlineNode*>(GetChild(I))) return Node;
  return nullptr;
}

void TppOutlineDrawCommand::AdoptTree(TppOutlineNode* Root) {
  FSnapshot.reset();
  TppOutlineNode* Old = TreeChild();
  if (Old == Root) return;
  if (Root) Root->SetParent(this);
  if (Old) Old->Free();
}

void TppOutlineDrawCommand::SetTree(std::unique_ptr<TppOutlineNode> Root) { AdoptTree(Root.release()); }

bool TppOutlineDrawCommand::IsEqual(const TppDrawCommand& Other) const {
  if (!TppDrawCommand::IsEqual(Other)) return false;
  const auto* O = dynamic_cast<const TppOutlineDrawCommand*>(&Other);
  if (!O || FCompleted != O->FCompleted) return false;
  if (FSnapshot && O->FSnapshot) return TppOutlineNode::IsEqual(*FSnapshot, *O->FSnapshot);
  const TppOutlineNode* A = Tree();
  const TppOutlineNode* B = O->Tree();
  if (!A || !B) return A == B;
  return A->IsEqual(*B);
}

void TppOutlineDrawCommand::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppOutlineDrawCommand*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  TppDrawCommand::Assign(Source);
  FCompleted = S->FCompleted;
  if (S->FSnapshot)
    SetSnapshot(S->FSnapshot);
  else
    SetTree(TppOutlineNode::CopyTree(S->Tree()));
}
