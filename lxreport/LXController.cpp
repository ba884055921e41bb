#include "lxreport/LXController.h"

#include <algorithm>

#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/data/DB.h"

namespace {
// Masters never loop (their setters refuse it); deeper than this, a tree is damaged.
constexpr int MaxDepth = 1000;

template <class T>
void Forget(std::vector<T*>& List, const TComponent* C) {
  std::erase_if(List, [C](T* X) { return static_cast<const TComponent*>(X) == C; });
}
}  // namespace

// ---- TLXCustomController

const TClassInfo& TLXCustomController::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCustomController>("TLXCustomController", &TComponent::StaticClassInfo())
                                     .Factory(nullptr);
  return Info;
}

TLXCustomController::TLXCustomController(TComponent* NamingOwner)
    : TComponent(nullptr), FNamingOwner(NamingOwner), FSelfCheck(this) {}

TLXCustomController::~TLXCustomController() = default;

void TLXCustomController::AttachMaster(TComponent* Value) {
  if (Value == this) return;
  if (Value && !dynamic_cast<TCustomVexaRep*>(Value) && !dynamic_cast<TLXCustomController*>(Value) &&
      !dynamic_cast<TLXControllerBand*>(Value))
    return;
  FMaster = Value;
  if (Value) FreeNotification(Value);
}

void TLXCustomController::CollectChildren() {
  if (HasState(csDestroying)) return;
  FBeforeList.clear();
  FAfterList.clear();
  FGroupList.clear();
  TComponent* Root = nullptr;
  if (auto* C = dynamic_cast<TLXCustomController*>(FSelfCheck))
    Root = C->FNamingOwner;
  else if (FSelfCheck)
    Root = FSelfCheck->Owner();
  CollectFrom(Root, 0);
  if (FSelfCheck != Root) CollectFrom(FSelfCheck, 0);
}

void TLXCustomController::CollectFrom(TComponent* Owner, int Depth) {
  if (!Owner || Depth > MaxDepth) return;
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* C = Owner->Components(I);
    if (C->HasState(csDestroying)) continue;  // going: no pointer to it may stay in the lists
    TLXCustomController* Child = dynamic_cast<TLXCustomController*>(C);
    if (auto* Band = dynamic_cast<TLXControllerBand*>(C)) Child = Band->OwnedController();
    if (Child && Child != this && Child->FMaster && Child->FMaster == FSelfCheck) {
      Child->FParentReport = FParentReport;
      (Child->FPrintBefore ? FBeforeList : FAfterList).push_back(Child);
      Child->CollectChildren();
    } else if (auto* G = dynamic_cast<TLXGroup*>(C); G && G->Master() && G->Master() == FSelfCheck) {
      FGroupList.push_back(G);
      if (FParentReport) G->SetReport(FParentReport);
    }
  }
}

void TLXCustomController::AddNotifyTarget(TLXPrintable* P) {
  if (!P) return;
  FNotifyList.push_back(P);
  FreeNotification(P);
}

void TLXCustomController::ClearNotifyTargets() { FNotifyList.clear(); }

void TLXCustomController::NotifyTargets(int32_t Code) {
  for (size_t I = 0; I < FNotifyList.size(); ++I) FNotifyList[I]->ControllerNotify(this, Code);
}

void TLXCustomController::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMaster) FMaster = nullptr;
  if (AComponent == FSelfCheck) FSelfCheck = this;
  Forget(FNotifyList, AComponent);
  Forget(FBeforeList, AComponent);
  Forget(FAfterList, AComponent);
  Forget(FGroupList, AComponent);
}

// ---- TLXController

const TClassInfo& TLXController::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXController>("TLXController", &TLXCustomController::StaticClassInfo()).Factory(nullptr);
  return Info;
}

void TLXController::AttachDataSet(TDataSet* Value) {
  FDataSet = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::SetHeaderBand(TLXCustomBand* Value) {
  FHeaderBand = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::SetDetailBand(TLXCustomBand* Value) {
  FDetailBand = Value;
  if (Value && Value != NamingOwner()) FreeNotification(Value);
}

void TLXController::SetFooterBand(TLXCustomBand* Value) {
  FFooterBand = Value;
  if (Value) FreeNotification(Value);
}

void TLXController::ListBands() {
  TCustomVexaRep* R = ParentReport();
  if (!R) return;
  auto Append = [R](TLXCustomBand* B) {
    if (B) R->AppendBandChain(B);
  };
  Append(FHeaderBand);
  for (TLXGroup* G : GroupList()) Append(G);
  for (TLXCustomController* C : BeforeList()) C->ListBands();
  Append(FDetailBand);
  for (TLXCustomController* C : AfterList()) C->ListBands();
  for (auto It = GroupList().rbegin(); It != GroupList().rend(); ++It) Append((*It)->FooterBand());
  Append(FFooterBand);
}

void TLXController::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomController::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FHeaderBand) FHeaderBand = nullptr;
  if (AComponent == FDetailBand) FDetailBand = nullptr;
  if (AComponent == FFooterBand) FFooterBand = nullptr;
  if (AComponent == static_cast<TComponent*>(FDataSet)) FDataSet = nullptr;
}

// ---- TLXGroup

const TClassInfo& TLXGroup::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXGroup>("TLXGroup", &TLXCustomBand::StaticClassInfo())
                                     .Prop("Expression", &TLXGroup::Expression, &TLXGroup::SetExpression)
                                     .Prop("FooterBand", &TLXGroup::FooterBand, &TLXGroup::SetFooterBand)
                                     .Prop("Master", &TLXGroup::Master, &TLXGroup::SetMaster)
                                     .Prop("ReprintOnNewPage", &TLXGroup::ReprintOnNewPage,
                                           &TLXGroup::SetReprintOnNewPage)
                                     .Default(0);
  return Info;
}

TLXGroup::TLXGroup(TComponent* AOwner) : TLXCustomBand(AOwner) { SetBandType(rbGroupHeader); }

void TLXGroup::SetFooterBand(TLXBand* Value) {
  FFooterBand = Value;
  if (Value) {
    Value->SetBandType(rbGroupFooter);
    FreeNotification(Value);
  }
}

void TLXGroup::SetMaster(TComponent* Value) {
  if (!dynamic_cast<TLXControllerBand*>(Value) && !dynamic_cast<TCustomVexaRep*>(Value)) return;
  FMaster = Value;
  if (Report() && !HasState(csLoading) && !Report()->HasState(csDestroying)) {
    Report()->OrderBands();
    Report()->LayoutBands();
  }
  FreeNotification(Value);
}

void TLXGroup::SetParent(THeadlessWinControl* AParent) {
  TLXCustomBand::SetParent(AParent);
  if (!FMaster)
    if (auto* R = dynamic_cast<TCustomVexaRep*>(Parent())) SetMaster(R);
}

void TLXGroup::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomBand::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FFooterBand) FFooterBand = nullptr;
  if (AComponent == FMaster) FMaster = nullptr;
}
