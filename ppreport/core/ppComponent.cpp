#include "ppreport/core/ppComponent.h"

#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppPrinter.h"

TppComponent::TppComponent(TComponent* AOwner) : TppPrintable(AOwner) {}

TppComponent::~TppComponent() { BeforeDestruction(); }

void TppComponent::Destroying() {
  SendDesignerMessage(ppdmComponentFree, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
  if (TppRegionMembers* R = RegionMembers()) R->RemoveMember(this);
  FRegion = nullptr;
  SetBand(nullptr);
  if (FResetGroup) RemoveNotify(FResetGroup);
  FResetGroup = nullptr;
  TppPrintable::Destroying();
}

// ---- membership

void TppComponent::SetBand(TppBand* NewBand) {
  PropertyChanging("Band");
  if (FBand) FBand->RemoveObject(this);
  FBand = NewBand;
  if (FBand && !HasState(csDestroying)) {
    SetUnits(FBand->Units());
    FBand->AddObject(this);
    if (GetParent() == FBand) ApplyAnchors();
    else NotifyBoundsChange();
    if (FBand->DesignState() & dsDisplayData) AddDesignState(dsDisplayData);
    else RemoveDesignState(dsDisplayData);
    FBandType = FBand->GetBandType();
    TppGroup* Group = FBand->GetGroup();
    FGroupNo = Group && (FBandType == btGroupHeader || FBandType == btGroupFooter) ? Group->GetGroupNo() : -1;
  }
  InvalidateDesignControl();
  InvalidateLayout();
  PropertyChanged();
}

TppRegionMembers* TppComponent::RegionMembers() const { return FRegion ? FRegion->AsRegion() : nullptr; }

void TppComponent::SetRegion(TppComponent* NewRegion) {
  if (NewRegion == this || (NewRegion && !NewRegion->AsRegion())) return;
  PropertyChanging("Region");
  TppRegionMembers* Old = RegionMembers();
  FRegion = NewRegion;
  if (Old) Old->RemoveMember(this);
  if (FRegion) FRegion->AsRegion()->AddMember(this);
  if (ParentWidth() || ParentHeight()) ApplyAnchors();
  else NotifyBoundsChange();
  InvalidateDesignControl();
  InvalidateLayout();
  PropertyChanged();
}

TComponent* TppComponent::GetParent() const {
  if (FRegion) return FRegion;
  return FBand;
}

int TppComponent::GetIndex() const { return FBand ? FBand->IndexOfObject(this) : -1; }

int TppComponent::GetParentIndex() const {
  if (TppRegionMembers* R = RegionMembers()) return R->IndexOfMember(this);
  return GetIndex();
}

TppComponent* TppComponent::GetNextSibling() const {
  if (!FBand) return nullptr;
  const int I = FBand->IndexOfObject(this);
  if (I < 0 || I + 1 >= FBand->GetObjectCount()) return nullptr;
  TppComponent* Next = FBand->GetObjects(I + 1);
  return Next->GetParent() == GetParent() ? Next : nullptr;
}

void TppComponent::BringToFront() {
  PropertyChanging("BringToFront");
  if (TppRegionMembers* R = RegionMembers()) R->MoveMemberToFront(this);
  else if (FBand) FBand->BringObjectToFront(this);
  PropertyChanged();
}

void TppComponent::SendToBack() {
  PropertyChanging("SendToBack");
  if (TppRegionMembers* R = RegionMembers()) R->MoveMemberToBack(this);
  else if (FBand) FBand->SendObjectToBack(this);
  PropertyChanged();
}

TppCustomReport* TppComponent::GetReport() const { return FBand ? FBand->Report() : nullptr; }

TppCustomReport* TppComponent::GetMainReport() const {
  TppCustomReport* R = GetReport();
  return R ? R->GetMainReport() : nullptr;
}

bool TppComponent::IsReportPrinting() const {
  TppCustomReport* Main = GetMainReport();
  return Main && Main->Printing();
}

bool TppComponent::IsNewPage() const { return !FBand || FBand->IsNewPage(); }

void TppComponent::ProcessMessages() {
  if (TppCustomReport* R = GetReport()) R->ProcessMessages();
}

TComponent* TppComponent::GetReportDesigner() const {
  TppCustomReport* R = GetReport();
  return R ? R->GetReportDesigner() : nullptr;
}

int TppComponent::GetLanguageIndex() const { return FBand ? FBand->GetLanguageIndex() : 0; }

TppPrinter* TppComponent::GetPrinter() const {
  if (TppCustomReport* R = GetReport()) return R->GetPrinter();
  return GetSharedPrinter();
}

// ---- data pipeline and reset group

void TppComponent::SetParentDataPipeline(bool Value) {
  FParentDataPipeline = Value;
  if (Value && FBand && FBand->GetDataPipeline() != GetDataPipeline()) SetDataPipeline(FBand->GetDataPipeline());
}

void TppComponent::SetDataPipeline(TppDataPipeline* Value) {
  TppPrintable::SetDataPipeline(Value);
  if (IsReadingOrLoading() || (DesignState() & dsTemplateLoading) || !FBand || !FParentDataPipeline) return;
  if (GetDataPipeline() != FBand->GetDataPipeline()) SetParentDataPipeline(false);
}

void TppComponent::SetResetGroup(TppGroup* Value) {
  if (FResetGroup) {
    FResetGroup->RemoveEventNotify(this);
    EventMask().Exclude(ciGroupAfterBreak);
  }
  FResetGroup = Value;
  if (Value) {
    Value->AddEventNotify(this);
    EventMask().Include(ciGroupAfterBreak);
  }
  PropertyChanged();
  InvalidateLayout();
}

void TppComponent::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppPrintable::Notify(Partner, Operation);
  if (Operation != ppopRemove || !Partner) return;
  if (Partner == FRegion) FRegion = nullptr;
  if (Partner == FResetGroup) FResetGroup = nullptr;
}

// ---- anchors

void TppComponent::SetAnchors(TppAnchors Value) {
  if ((Value & ppAnchorTop) && (Value & ppAnchorBottom)) return;
  if ((Value & ppAnchorLeft) && (Value & ppAnchorRight)) return;
  PropertyChanging("Anchors");
  FAnchors = Value;
  PropertyChanged();
  InvalidateLayout();
}

void TppComponent::SetShiftWithParent(bool Value) {
  if (Value) SetAnchors(static_cast<TppAnchors>((FAnchors | ppAnchorBottom) & ~ppAnchorTop));
  else SetAnchors(static_cast<TppAnchors>((FAnchors & ~ppAnchorBottom) | ppAnchorTop));
}

TRect TppComponent::GetParentBounds() const {
  if (FRegion)
    return TRect{FRegion->mmLeft(), FRegion->mmTop(), FRegion->mmLeft() + FRegion->mmWidth(),
                 FRegion->mmTop() + FRegion->mmHeight()};
  if (FBand) return TRect{0, 0, FBand->GetmmWidth(), FBand->mmHeight()};
  return TRect{mmLeft(), mmTop(), mmLeft() + mmWidth(), mmTop() + mmHeight()};
}

TRect TppComponent::GetPriorParentBounds() const {
  if (TppRegionMembers* R = RegionMembers()) return R->SavedBounds();
  if (FBand) return FBand->GetPriorBounds();
  return TRect{};
}

void TppComponent::ApplyAnchors() {
  if (IsReadingOrLoading() || !GetParent()) return;
  const TRect P = GetParentBounds();
  const TRect Q = GetPriorParentBounds();  // left, top, width, height
  int32_t L = mmLeft(), T = mmTop(), W = mmWidth(), H = mmHeight();
  if (FAnchors & ppAnchorLeft) L = mmLeft() + (P.Left - Q.Left);
  if (FAnchors & ppAnchorTop) T = mmTop() + (P.Top - Q.Top);
  if (FAnchors & ppAnchorRight) L = mmLeft() + (P.Right - (Q.Left + Q.Right));
  if (FAnchors & ppAnchorBottom) T = mmTop() + (P.Bottom - (Q.Top + Q.Bottom));
  if (ParentWidth()) {
    L = P.Left;
    W = P.Right - P.Left;
  }
  if (ParentHeight()) {
    T = P.Top;
    H = P.Bottom - P.Top;
  }
  if (FAnchors != 0 || ParentWidth() || ParentHeight()) SetBounds(L, T, W, H);
}

// ---- bounds

void TppComponent::SetmmLeft(int32_t Value) {
  if (ParentWidth()) return;
  if (Value < 0) Value = 0;
  else if (FBand && Value > FBand->GetmmWidth()) Value = FBand->GetmmWidth();
  if (Value != mmLeft()) TppPrintable::SetmmLeft(Value);
}

void TppComponent::SetmmTop(int32_t Value) {
  if (ParentHeight()) return;
  if (Value < 0) Value = 0;
  else if (Designing() && !IsReportPrinting() && FBand && Value > FBand->mmHeight()) Value = FBand->mmHeight();
  if (Value != mmTop()) TppPrintable::SetmmTop(Value);
}

void TppComponent::SetmmWidth(int32_t Value) {
  if (ParentWidth()) return;
  if (Value < 0) Value = 0;
  if (Value != mmWidth()) TppPrintable::SetmmWidth(Value);
}

void TppComponent::SetmmHeight(int32_t Value) {
  if (ParentHeight()) return;
  if (Value < 0) Value = 0;
  if (Value != mmHeight()) TppPrintable::SetmmHeight(Value);
}

void TppComponent::SetBounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  if (Designing() && !IsReportPrinting()) {
    if (Top < 0) Top = 0;
    else if (FBand && Top > FBand->mmHeight()) Top = FBand->mmHeight();
    if (Left < 0) Left = 0;
    else if (FBand && Left > FBand->GetmmWidth()) Left = FBand->GetmmWidth();
  }
  TppPrintable::SetBounds(Left, Top, Width, Height);
}

void TppComponent::SetParentWidth(bool Value) {
  PropertyChanging("ParentWidth");
  TppPrintable::SetParentWidth(Value);
  if (Value) ApplyAnchors();
  SendEventNotify(this, ciComponentParentWidth, nullptr);
  PropertyChanged();
}

void TppComponent::SetParentHeight(bool Value) {
  PropertyChanging("ParentHeight");
  TppPrintable::SetParentHeight(Value);
  if (Value) ApplyAnchors();
  SendEventNotify(this, ciComponentParentHeight, nullptr);
  PropertyChanged();
}

TRect TppComponent::GetClientRect() const {
  if (!FRegion) return TppPrintable::GetClientRect();
  const TRect Own = GetSpBoundsRect();
  const TRect Reg = FRegion->GetSpBoundsRect();
  return TRect{0, 0, std::min(Own.Right, Reg.Right) - Own.Left, std::min(Own.Bottom, Reg.Bottom) - Own.Top};
}

void TppComponent::NotifyBoundsChange() {
  if (Designing() && !IsReportPrinting() && FBand && !IsReadingOrLoading()) TppPrintable::NotifyBoundsChange();
}

void TppComponent::InvalidateLayout() {
  if (FBand) FBand->Reset();
}

void TppComponent::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppPrintable::PropertiesToDrawCommand(DrawCommand);
  DrawCommand->SetBand(FBand);
}

// ---- streaming

void TppComponent::ReadState(TReader& Reader) {
  TComponent* Parent = Reader.Parent();
  if (auto* B = dynamic_cast<TppBand*>(Parent)) SetBand(B);
  else if (auto* R = dynamic_cast<TppComponent*>(Parent); R && R->AsRegion()) SetRegion(R);
  TppPrintable::ReadState(Reader);
}

void TppComponent::DefineProperties(TFiler* Filer) {
  TppPrintable::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppComponent*>(Filer->Ancestor());
  Filer->DefineProperty(
      "BandType",
      [this](TReader& R) {
        const int V = R.ReadInteger();
        if (!FBand && V >= btHeader && V <= btPageStyle) FBandType = static_cast<TppBandType>(V);
      },
      [this](TWriter& W) { W.WriteInteger(FBandType); }, !Anc || Anc->FBandType != FBandType);
  Filer->DefineProperty(
      "GroupNo", [this](TReader& R) { FGroupNo = R.ReadInteger(); },
      [this](TWriter& W) { W.WriteInteger(FGroupNo); }, FGroupNo >= 0 && (!Anc || Anc->FGroupNo != FGroupNo));
  Filer->DefineProperty(
      "ShiftWithParent",
      [this](TReader& R) {
        if (R.ReadBoolean()) SetAnchors(static_cast<TppAnchors>((FAnchors | ppAnchorBottom) & ~ppAnchorTop));
      },
      nullptr, false);
}

// ---- regions

void TppRegionMembers::ReleaseMembers() {
  // Members stay in the band, outside any region.
  while (!FMembers.empty()) FMembers.back()->SetRegion(nullptr);
}

TppComponent* TppRegionMembers::GetMember(int Index) const {
  if (Index < 0 || Index >= MemberCount()) throw EListError(Format(SListIndexError, {Index}));
  return FMembers[static_cast<size_t>(Index)];
}

int TppRegionMembers::IndexOfMember(const TppComponent* Component) const {
  auto It = std::find(FMembers.begin(), FMembers.end(), Component);
  return It == FMembers.end() ? -1 : static_cast<int>(It - FMembers.begin());
}

void TppRegionMembers::AddMember(TppComponent* Component) {
  if (IndexOfMember(Component) < 0) FMembers.push_back(Component);
  RegionComponent()->AddNotify(Component);
  MemberAdded(Component);
}

void TppRegionMembers::RemoveMember(TppComponent* Component) {
  if (IndexOfMember(Component) < 0) return;
  std::erase(FMembers, Component);
  MemberRemoved(Component);
}

void TppRegionMembers::MoveMemberToFront(TppComponent* Component) {
  std::erase(FMembers, Component);
  FMembers.push_back(Component);
}

void TppRegionMembers::MoveMemberToBack(TppComponent* Component) {
  std::erase(FMembers, Component);
  FMembers.insert(FMembers.begin(), Component);
}

void TppRegionMembers::MembersToBounds() {
  for (TppComponent* M : std::vector<TppComponent*>(FMembers)) M->ApplyAnchors();
  const TppComponent* R = RegionComponent();
  FSavedBounds = TRect{R->mmLeft(), R->mmTop(), R->mmWidth(), R->mmHeight()};
}

// ---- class records

const TClassInfo& TppComponent::StaticClassInfo() {
  using C = TppComponent;
  static const TClassInfo Info = TClassDef<C>("TppComponent", &TppPrintable::StaticClassInfo())
                                     .Prop("UserName", &C::GetUserName, &C::SetUserName);
  return Info;
}

