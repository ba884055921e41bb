#include "ppreport/core/ppRelatv.h"

#include <algorithm>
#include <iterator>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppUnits.h"

const TClassInfo& TppRelative::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppRelative>("TppRelative", &TppCommunicator::StaticClassInfo())
                                     .Prop("Position", &TppRelative::GetPosition, &TppRelative::SetPosition);
  return Info;
}

TppRelative::TppRelative(TComponent* AOwner) : TppCommunicator(AOwner) {}

TppRelative::~TppRelative() { BeforeDestruction(); }

// ---- the tree

bool TppRelative::IsSelfOrDescendantOf(const TppRelative* Other) const {
  for (const TppRelative* R = this; R; R = R->FParent)
    if (R == Other) return true;
  return false;
}

void TppRelative::CheckNewParent(const TppRelative* NewParent, const char* Operation) const {
  if (NewParent && NewParent->IsSelfOrDescendantOf(this))
    throw ETalvorError(ppErrorText(ClassName(), Operation, SppParentCycle));
}

void TppRelative::SetParent(TppRelative* NewParent) {
  if (!HasParent()) return;
  CheckNewParent(NewParent, "SetParent");
  if (FParent) FParent->RemoveChild(this);
  FParent = NewParent;
  if (!NewParent) return;
  // A parent that refuses the child leaves it without one, not pointing at a parent that lacks it.
  TOnException Refused([this] { FParent = nullptr; });
  NewParent->AddChild(this);
}

void TppRelative::AddChild(TppRelative* Child) { InsertChild(GetChildCount(), Child); }

void TppRelative::InsertChild(int Index, TppRelative* Child) {
  if (Index < 0 || Index > GetChildCount()) throw EListError(Format(SListIndexError, {Index}));
  if (Child && IsSelfOrDescendantOf(Child)) throw ETalvorError(ppErrorText(ClassName(), "InsertChild", SppParentCycle));
  FChildren.insert(FChildren.begin() + Index, Child);
}

int TppRelative::IndexOfChild(const TppRelative* Child) const {
  auto It = std::find(FChildren.begin(), FChildren.end(), Child);
  return It == FChildren.end() ? -1 : static_cast<int>(It - FChildren.begin());
}

void TppRelative::RemoveChild(TppRelative* Child) {
  // From the end: children leave last first when a tree is freed, and trees grow at the end.
  auto It = std::find(FChildren.rbegin(), FChildren.rend(), Child);
  if (It != FChildren.rend()) FChildren.erase(std::next(It).base());
}

TppRelative* TppRelative::GetChild(int Index) const {
  if (Index < 0 || Index >= GetChildCount()) throw EListError(Format(SListIndexError, {Index}));
  return FChildren[static_cast<size_t>(Index)];
}

int TppRelative::GetIndex() const { return FParent ? FParent->IndexOfChild(this) : -1; }

void TppRelative::MoveTo(int Index) {
  if (!FParent) return;
  Index = std::clamp(Index, 0, std::max(FParent->GetChildCount() - 1, 0));
  int Current = FParent->IndexOfChild(this);
  if (Current == Index) return;
  if (Current >= 0) FParent->RemoveChild(this);
  FParent->InsertChild(std::min(Index, FParent->GetChildCount()), this);
}

void TppRelative::SetPosition(int Value) {
  if (HasState(csReading) || HasState(csLoading)) {
    FStoredPosition = Value;
    return;
  }
  MoveTo(Value);
  PropertyChanged();
}

void TppRelative::SetChildType(int Value) {
  TppRelative* P = HasParent() ? FParent : nullptr;
  if (P) P->RemoveChild(this);
  FChildType = Value;
  if (P) P->AddChild(this);
}

void TppRelative::FreeChildren() {
  TRestore Freeing(FFreeingChildren, true);
  while (!FChildren.empty()) {
    TppRelative* Child = FChildren.back();
    const size_t Before = FChildren.size();
    Child->Free();  // leaves this parent on its way
    // In case an override kept it (compares the pointer only); a child that left costs no search.
    if (FChildren.size() >= Before || (!FChildren.empty() && FChildren.back() == Child)) std::erase(FChildren, Child);
  }
}

void TppRelative::Transfer(TPersistent* Source) {
  auto* S = dynamic_cast<TppRelative*>(Source);
  if (!S || S == this) return;
  CheckNewParent(S->FParent, "Transfer");
  FOrderedChildren = S->FOrderedChildren;
  SetParent(S->FParent);
  FreeChildren();
  TComponent* SourceOwner = S->Owner();
  while (!S->FChildren.empty()) {
    TppRelative* Child = S->FChildren.front();
    Child->SetParent(this);
    std::erase(S->FChildren, Child);
    if (Child->Owner() == SourceOwner) Child->ChangeOwner(Owner());
  }
}

void TppRelative::ChangeOwner(TComponent* NewOwner) {
  TComponent* Old = Owner();
  if (NewOwner == Old) return;
  TppCommunicator::ChangeOwner(NewOwner);
  for (TppRelative* Child : FChildren)
    if (Child->Owner() == Old) Child->ChangeOwner(NewOwner);
}

void TppRelative::PropertyChanged() {
  TppCommunicator::PropertyChanged();
  if (FParent) FParent->PropertyChanged();
  AfterPropertyChanged();
}

// ---- streaming

void TppRelative::SetParentComponent(TComponent* Value) {
  if (auto* R = dynamic_cast<TppRelative*>(Value)) SetParent(R);
}

void TppRelative::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TppRelative* Child : std::vector<TppRelative*>(FChildren)) Proc(Child);
  GetExtraChildren(Proc, Root);
}

void TppRelative::DefineProperties(TFiler* Filer) {
  if (StoresDesignInfo()) TppCommunicator::DefineProperties(Filer);
  // Older streams carry ChildType; it is read and never written.
  if (!ClassInfo()->FindProp("ChildType"))
    Filer->DefineProperty(
        "ChildType", [this](TReader& R) { FChildType = static_cast<int>(R.ReadInteger()); }, [](TWriter&) {}, false);
}

// Children come back at the positions they were written with; a child whose position does not
// fit stays where it was read.
void TppRelative::ReadState(TReader& Reader) {
  TppCommunicator::ReadState(Reader);
  if (!FOrderedChildren || FChildren.empty()) return;
  const int Count = GetChildCount();
  std::vector<TppRelative*> Slots(static_cast<size_t>(Count), nullptr);
  for (TppRelative* Child : FChildren)
    if (Child->FStoredPosition >= 0 && Child->FStoredPosition < Count)
      Slots[static_cast<size_t>(Child->FStoredPosition)] = Child;
  for (int I = 0; I < Count; ++I)
    if (TppRelative* Child = Slots[static_cast<size_t>(I)]) Child->MoveTo(I);
}

// ---- end

void TppRelative::Destroying() {
  if (FParent) SetParent(nullptr);
  FreeChildren();
  TppCommunicator::Destroying();
}

// ---- the unit

void InitializeRelativeUnit() {
  RegisterPPClasses({&TppRelative::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppRelativeRTTI());
}

void FinalizeRelativeUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppRelativeRTTI());
  UnregisterPPClasses({&TppRelative::StaticClassInfo()});
}
