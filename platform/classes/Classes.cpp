#include "platform/classes/Classes.h"

#include <algorithm>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo Info{"TPersistent", nullptr, nullptr, {}};
  return Info;
}

const TClassInfo* TPersistent::ClassInfo() const { return &StaticClassInfo(); }

void TPersistent::Assign(const TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignTo(this);  // nil source: let AssignTo raise with our own name
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  std::string Src = Dest == this ? "nil" : ClassName();
  throw EConvertError(Format(SAssignError, {Src, Dest->ClassName()}));
}

void TPersistent::DefineProperties(TFiler*) {}

// ---- TComponent

const TClassInfo& TComponent::StaticClassInfo() {
  // Name travels in the component header, not as a property.
  static const TClassInfo Info =
      TClassDef<TComponent>("TComponent", &TPersistent::StaticClassInfo())
          .Prop("Name", &TComponent::Name, &TComponent::SetName)
          .Stored(false)
          .Prop("Tag", [](const TComponent& C) { return static_cast<int32_t>(C.Tag()); },
                [](TComponent& C, int32_t V) { C.SetTag(V); })
          .Default(0);
  return Info;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Work is left only for a stack object or a plain delete, and the object is a TComponent now.
  BeforeDestruction();
}

void TComponent::Free() noexcept {
  BeforeDestruction();
  delete this;
}

// csDestroying goes down the ownership tree at once, so owned components skip work while the
// owner is going (layout, change events).
void TComponent::MarkDestroying() {
  FComponentState |= csDestroying;
  for (TComponent* C : FComponents) C->MarkDestroying();
}

void TComponent::BeforeDestruction() {
  if (FFreeing) return;
  FFreeing = true;
  MarkDestroying();
  Destroying();
  // Tell everyone who asked, then drop their links back to us.
  while (!FFreeNotifies.empty()) {
    TComponent* C = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    UnlinkFreeNotify(C->FFreeNotifies, this);
    C->Notification(this, opRemove);
  }
  // Owned components go last-first, as the class library frees them; each is whole when it goes,
  // and so is this owner, whose Notification override hears of each.
  while (!FComponents.empty()) FComponents.back()->Free();
  if (FOwner) FOwner->RemoveComponent(this);
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& L = FOwner->FComponents;
  auto It = std::find(L.begin(), L.end(), this);
  return It == L.end() ? -1 : static_cast<int>(It - L.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  if (FNameIndex) {
    auto It = FNameIndex->find(UpperCaseAscii(AName));
    return It == FNameIndex->end() ? nullptr : It->second;
  }
  for (TComponent* C : FComponents)
    if (SameTextAscii(C->FName, AName)) return C;
  return nullptr;
}

bool IsValidIdent(const std::string& S) {
  if (S.empty()) return false;
  auto Alpha = [](char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; };
  if (!Alpha(S[0])) return false;
  for (char C : S)
    if (!Alpha(C) && !(C >= '0' && C <= '9')) return false;
  return true;
}

std::string FreeComponentName(const TComponent* Owner, const std::string& Prefix) {
  for (int N = 1;; ++N) {
    std::string Name = Prefix + std::to_string(N);
    if (!Owner || !Owner->FindComponent(Name)) return Name;
  }
}

void TComponent::ValidateRename(TComponent* C, const std::string& CurName, const std::string& NewName) const {
  if (!NewName.empty() && !SameTextAscii(CurName, NewName)) {
    TComponent* Other = FindComponent(NewName);
    if (Other && Other != C) throw EComponentError(Format(SDuplicateName, {NewName}));
  }
}

void TComponent::SetName(const std::string& NewName) {
  if (NewName == FName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format(SInvalidName, {NewName}));
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  if (FOwner) FOwner->IndexName(this, false);
  FName = NewName;
  if (FOwner) FOwner->IndexName(this, true);
}

void TComponent::IndexName(TComponent* C, bool Add) {
  constexpr size_t IndexFrom = 64;  // below this a scan is as quick
  if (!FNameIndex) {
    if (!Add || FComponents.size() < IndexFrom) return;
    FNameIndex = std::make_unique<std::unordered_map<std::string, TComponent*>>();
    for (TComponent* X : FComponents)
      if (!X->FName.empty()) (*FNameIndex)[UpperCaseAscii(X->FName)] = X;
    return;
  }
  if (C->FName.empty()) return;
  std::string Key = UpperCaseAscii(C->FName);
  if (Add) {
    (*FNameIndex)[Key] = C;
  } else {
    auto It = FNameIndex->find(Key);
    if (It != FNameIndex->end() && It->second == C) FNameIndex->erase(It);
  }
}

void TComponent::SetState(TComponentStateFlag F, bool On) {
  if (On)
    FComponentState |= F;
  else
    FComponentState &= ~static_cast<uint32_t>(F);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  SetState(csDesigning, Value);
  if (SetChildren)
    for (TComponent* C : FComponents) C->SetDesigning(Value);
}

void TComponent::InsertComponent(TComponent* C) {
  if (!C || C->FOwner == this) return;
  if (C->FOwner) C->FOwner->RemoveComponent(C);
  ValidateRename(C, "", C->FName);
  FComponents.push_back(C);
  C->FOwner = this;
  IndexName(C, true);
  if (HasState(csDesigning)) C->SetDesigning(true);
  Notification(C, opInsert);
}

void TComponent::RemoveComponent(TComponent* C) {
  // Searched from the end: an owner frees its components last-first.
  auto Find = [&] { return std::find(FComponents.rbegin(), FComponents.rend(), C); };
  if (Find() == FComponents.rend()) return;
  Notification(C, opRemove);
  auto It = Find();  // Notification may have changed the list
  if (It == FComponents.rend()) return;
  IndexName(C, false);
  FComponents.erase(std::next(It).base());
  C->FOwner = nullptr;
}

// A band or a report component is linked to every command made from it, so its list gets long and
// the commands come and go last-first: both sides of a link know of each other, so the shorter
// list answers whether it exists, and a link is looked for from the end.
void TComponent::UnlinkFreeNotify(std::vector<TComponent*>& List, TComponent* C) {
  auto It = std::find(List.rbegin(), List.rend(), C);
  if (It != List.rend()) List.erase(std::next(It).base());
}

void TComponent::FreeNotification(TComponent* C) {
  if (!C || C == this) return;
  const bool MineShorter = FFreeNotifies.size() <= C->FFreeNotifies.size();
  const auto& Shorter = MineShorter ? FFreeNotifies : C->FFreeNotifies;
  if (std::find(Shorter.rbegin(), Shorter.rend(), MineShorter ? C : this) != Shorter.rend()) return;
  FFreeNotifies.push_back(C);
  C->FFreeNotifies.push_back(this);  // both sides learn of each other's end
}

void TComponent::RemoveFreeNotification(TComponent* C) {
  // Both sides always know of each other, so an empty list means nothing to undo.
  if (FFreeNotifies.empty() || !C) return;
  UnlinkFreeNotify(FFreeNotifies, C);
  UnlinkFreeNotify(C->FFreeNotifies, this);
}

void TComponent::Loaded() { FComponentState &= ~static_cast<uint32_t>(csLoading); }

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Owned components hear of every insertion and removal, as in the class library.
  if (!NotifiesOwned(AComponent)) return;
  for (size_t I = 0; I < FComponents.size(); ++I) FComponents[I]->Notification(AComponent, Operation);
}

void TComponent::ReadState(TReader& Reader) { Reader.ReadData(this); }

void TComponent::WriteState(TWriter& Writer) { Writer.WriteData(this); }

// The design position travels as two defined properties, written when not 0 (or not the ancestor's).
void TComponent::DefineProperties(TFiler* Filer) {
  auto Lo = [this] { return static_cast<uint16_t>(FDesignInfo & 0xFFFF); };
  auto Hi = [this] { return static_cast<uint16_t>(static_cast<uint32_t>(FDesignInfo) >> 16); };
  auto* Anc = dynamic_cast<const TComponent*>(Filer->Ancestor());
  uint32_t AncInfo = Anc ? static_cast<uint32_t>(Anc->FDesignInfo) : 0;
  Filer->DefineProperty(
      "Left", [this, Hi](TReader& R) { FDesignInfo = static_cast<int32_t>((uint32_t(Hi()) << 16) | uint16_t(R.ReadInteger())); },
      [Lo](TWriter& W) { W.WriteInteger(Lo()); }, Lo() != (AncInfo & 0xFFFF));
  Filer->DefineProperty(
      "Top", [this, Lo](TReader& R) { FDesignInfo = static_cast<int32_t>((uint32_t(uint16_t(R.ReadInteger())) << 16) | Lo()); },
      [Hi](TWriter& W) { W.WriteInteger(Hi()); }, Hi() != (AncInfo >> 16));
}
