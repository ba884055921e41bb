#include "ppreport/generation/ppStrtch.h"

#include <algorithm>
#include <limits>

#include "platform/classes/Filer.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppLanguageModule.h"
#include "ppreport/core/ppReaderUtils.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {

std::string ModuleText(int N, const char* Ours) {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(N);
    if (!Text.empty()) return Text;
  }
  return Ours;
}

}  // namespace

const TClassInfo& TppStretchable::StaticClassInfo() {
  using S = TppStretchable;
  static const TClassInfo Info = TClassDef<S>("TppStretchable", &TppComponent::StaticClassInfo())
                                     .Prop("KeepTogether", &S::KeepTogether, &S::SetKeepTogether)
                                     .Default(0)
                                     .Prop("Stretch", &S::Stretch, &S::SetStretch)
                                     .Default(0);
  return Info;
}

TppStretchable::TppStretchable(TComponent* AOwner) : TppComponent(AOwner) {
  SetCacheRecordSize(sizeof(TppStretchableCacheRecord));
  AssignAutoSize(false);
  SetspWidth(185);
  SetspHeight(89);
}

TppStretchable::~TppStretchable() { BeforeDestruction(); }

bool TppStretchable::Adjusting() const { return IsReadingOrLoading(); }

void TppStretchable::Changed() {
  PropertyChanged();
  InvalidateLayout();
}

TppCustomBand* TppStretchable::GenerationBand() const { return dynamic_cast<TppCustomBand*>(Band()); }

TppStretchable* TppStretchable::ParentStretchable() const {
  return dynamic_cast<TppStretchable*>(static_cast<TppComponent*>(Region()));
}

// ---- properties

void TppStretchable::SetStretch(bool Value) {
  if (Value == FStretch) return;
  // An object that others shift below keeps growing: its shifters print at its printed bottom.
  if (!Value && !FShifters.empty()) return;
  FStretch = Value;
  if (Value && !Adjusting()) {
    if (Anchors() & ppAnchorBottom) TppComponent::SetAnchors((Anchors() & ~ppAnchorBottom) | ppAnchorTop);
    TppComponent::SetReprintOnOverFlow(false);
    TppComponent::SetStretchWithParent(false);
    if (TppStretchable* P = ParentStretchable(); P && !P->Stretch())
      P->SetStretch(true);
    else if (Band() && Band()->PrintHeight() == phStatic)
      Band()->SetPrintHeight(phDynamic);
  }
  Changed();
}

void TppStretchable::SetKeepTogether(bool Value) {
  FKeepTogether = Value;
  Changed();
}

void TppStretchable::SetShiftRelativeTo(TppStretchable* Value) {
  if (Value == FShiftRelativeTo) return;
  if (!ppValidShiftRelativeTo(*this, Value)) throw EInvalidPropertyError(ModuleText(342, SppShiftRelativeToInvalid));
  if (FShiftRelativeTo) FShiftRelativeTo->RemoveShifter(this);
  FShiftRelativeTo = Value;
  if (Value) Value->AddShifter(this);
  TppComponent::SetReprintOnOverFlow(false);
  TppComponent::SetShiftWithParent(false);
  TppComponent::SetStretchWithParent(false);
  Changed();
}

void TppStretchable::AddShifter(TppStretchable* Object) {
  if (!Object || std::find(FShifters.begin(), FShifters.end(), Object) != FShifters.end()) return;
  FShifters.push_back(Object);
  if (!FStretch) SetStretch(true);
  AddNotify(Object);
}

void TppStretchable::RemoveShifter(TppStretchable* Object) {
  auto It = std::find(FShifters.begin(), FShifters.end(), Object);
  if (It == FShifters.end()) return;
  FShifters.erase(It);
  for (auto P = FPrintedShifters.begin(); P != FPrintedShifters.end();)
    P = P->second == Object ? FPrintedShifters.erase(P) : std::next(P);
  RemoveNotify(Object);
}

void TppStretchable::SetmmBottomOffset(int32_t Value) {
  FBottomOffset = Value;
  Changed();
}

void TppStretchable::SetmmOverFlowOffset(int32_t Value) {
  FOverFlowOffset = Value;
  Changed();
}

void TppStretchable::SetmmStopPosition(int32_t Value) {
  FStopPosition = Value;
  Changed();
}

void TppStretchable::SetAnchors(TppAnchors Value) {
  if (FStretch && (Value & ppAnchorBottom)) return;  // a growing object keeps its top
  TppComponent::SetAnchors(Value);
}

void TppStretchable::SetReprintOnOverFlow(bool Value) {
  if (Value && !Adjusting()) {
    SetShiftRelativeTo(nullptr);
    SetStretch(false);
  }
  TppComponent::SetReprintOnOverFlow(Value);
}

void TppStretchable::SetStretchWithParent(bool Value) {
  if (Value && !Adjusting()) {
    SetShiftRelativeTo(nullptr);
    SetStretch(false);
  }
  TppComponent::SetStretchWithParent(Value);
}

void TppStretchable::SetShiftWithParent(bool Value) {
  if (Value && !Adjusting()) {
    SetShiftRelativeTo(nullptr);
    SetStretch(false);
  }
  TppComponent::SetShiftWithParent(Value);
}

void TppStretchable::SetRegion(TppComponent* NewRegion) {
  if (NewRegion == Region()) return;
  TppComponent::SetRegion(NewRegion);
  if (Adjusting()) return;
  if (FShiftRelativeTo) SetShiftRelativeTo(nullptr);
  if (TppStretchable* R = ParentStretchable(); R && R->FShiftRelativeTo == this) R->SetShiftRelativeTo(nullptr);
}

void TppStretchable::SetBand(TppBand* NewBand) {
  if (NewBand == Band()) return;
  TppComponent::SetBand(NewBand);
  if (Adjusting() || HasState(csDestroying)) return;
  if (FShiftRelativeTo && FShiftRelativeTo->Band() != NewBand) SetShiftRelativeTo(nullptr);
  for (const std::vector<TppStretchable*> Shifters = FShifters; TppStretchable* S : Shifters)
    if (S->Band() != NewBand) S->SetShiftRelativeTo(nullptr);
}

void TppStretchable::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && !HasState(csDestroying)) {
    if (Partner == FShiftRelativeTo) FShiftRelativeTo = nullptr;
    auto It = std::find(FShifters.begin(), FShifters.end(), Partner);
    if (It != FShifters.end()) {
      FShifters.erase(It);
      for (auto P = FPrintedShifters.begin(); P != FPrintedShifters.end();)
        P = P->second == Partner ? FPrintedShifters.erase(P) : std::next(P);
    }
  }
  TppComponent::Notify(Partner, Operation);
}

void TppStretchable::BoundsChanged() {
  TppComponent::BoundsChanged();
  if (Designing() && !IsReportPrinting() && Band() && !Adjusting() && FStretch) InvalidateLayout();
}

void TppStretchable::DefineProperties(TFiler* Filer) {
  TppComponent::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppStretchable*>(Filer->Ancestor());
  TppHReaderUtils::DefineMicrons(*Filer, "mmBottomOffset", FBottomOffset, Anc ? &Anc->FBottomOffset : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmOverFlowOffset", FOverFlowOffset, Anc ? &Anc->FOverFlowOffset : nullptr);
  TppHReaderUtils::DefineMicrons(*Filer, "mmStopPosition", FStopPosition, Anc ? &Anc->FStopPosition : nullptr);
}

// ---- layout questions

bool TppStretchable::IsContainerDynamic() const {
  if (!Band() || Band()->PrintHeight() != phDynamic) return false;
  const TppStretchable* P = ParentStretchable();
  return !P || P->Stretch();
}

bool TppStretchable::StopsAtPageBottom() const { return (IsContainerDynamic() && FStretch) || FStopPosition != 0; }

bool TppStretchable::KeepTogetherApplies() const {
  if (!FKeepTogether || FKeptTogether) return false;
  if (FShiftRelativeTo) {
    int64_t Above = 0;
    for (const TppStretchable* R = FShiftRelativeTo; R; R = R->FShiftRelativeTo) Above += R->SpaceUsed();
    return Above != 0;
  }
  TppCustomBand* B = GenerationBand();
  if (!B) return false;
  TppCustomEngine* E = B->Engine();
  return (E && E->GetPageStarted()) || B->GetSpaceUsed() > 0;
}

// ---- generation

int32_t TppStretchable::CalcPrintPosition() {
  TppCustomBand* B = GenerationBand();
  constexpr int32_t NoLimit = std::numeric_limits<int32_t>::min();
  int32_t Base = 0, Bottom = 0, Lower = NoLimit, Top = 0, Adjustment = 0, Growth = 0;
  bool Partial = false;
  const TppComponent* Lowest = nullptr;
  if (FShiftRelativeTo) {
    Base = Top = FShiftRelativeTo->FCurrentPosition;
    Bottom = B ? B->GetPageBottom() : 0;
  } else if (TppStretchable* P = ParentStretchable()) {
    Base = P->FCurrentPosition;
    Bottom = P->FPageBottom;
    Partial = P->FPartialGeneration;
    Adjustment = P->FPartialAdjustment;
    Lower = P->PrintRect().Top;
    Top = Lower + mmTop() - P->mmTop();
    if (P->SpaceUsed() > 0) {
      Lowest = P->MaxStretchable();
      Growth = P->SpaceUsed() - P->mmHeight();
    }
  } else if (B) {
    Base = B->GetCurrentPosition();
    Bottom = B->GetPageBottom();
    Partial = B->GetPartialGeneration();
    Adjustment = B->GetPartialAdjustment();
    Lower = B->GetPrintRect().Top;
    Top = Lower + mmTop();
    if (B->GetSpaceUsed() > 0) {
      Lowest = B->GetMaxStretchable();
      Growth = B->GetSpaceUsed() - B->mmHeight();
    }
  }
  if (Partial)
    Top -= Adjustment;  // the part that already printed is gone from above
  else if (OverFlow() && FStopPosition == 0)
    Top = Base + (FShiftRelativeTo ? 0 : FOverFlowOffset);
  else if (GetShiftWithParent() && !FShiftRelativeTo) {
    if (Lowest && Lowest != this)
      Top = Lowest->PrintRect().Top + Lowest->SpaceUsed() + mmTop() - Lowest->mmTop() - Lowest->mmHeight();
    else
      Top += Growth;
  }
  if (Lower != NoLimit) Top = std::max(Top, Lower);
  FCurrentPosition = Top;
  FPageBottom = (FStopPosition != 0 && FStopPosition < Bottom ? FStopPosition : Bottom) - FBottomOffset;
  return Top;
}

void TppStretchable::Generate() {
  TppCustomBand* B = GenerationBand();
  if (!B) return;
  const TppStretchable* P = ParentStretchable();
  if (ReprintOnOverFlow() && (P ? P->OverFlow() : B->GetOverFlow())) MarkForDrawing();
  DoOnPrint();
  const bool Drawn = DrawComponent() && Visible();
  const int32_t Left = B->GetPrintRect().Left + (Drawn ? mmLeft() : 0);
  const int32_t Top = CalcPrintPosition();
  const bool ToBottom = StopsAtPageBottom();
  int32_t Height = 0;
  if (Drawn) {
    Height = ToBottom ? 0 : mmHeight();
    bool FollowsContainer = false;
    if (StretchWithParent()) {
      const int32_t Container = P ? P->FCurrentPosition : B->GetCurrentPosition();
      if (Top < Container) {
        Height = Container - Top;
        FollowsContainer = true;
      }
    }
    // A height that follows the container stops at the page bottom. An object of its own height in
    // a container that grows is not cut: it does not fit (below) and goes on in the next page whole,
    // so none of its content is lost.
    if ((FollowsContainer || !IsContainerDynamic()) && FPageBottom > Top && FPageBottom < Top + Height)
      Height = FPageBottom - Top;
  }
  TRect Rect{Left, Top, Left + mmWidth(), ToBottom ? FPageBottom : Top + Height};
  SetPrintRect(Rect);
  if (Drawn && Top + Height > FPageBottom + 1) {
    SetOutOfSpace(true);
    return;
  }
  if (Drawn) {
    if (!ToBottom) SetSpaceUsed(Height);
    GenerateContent();
  }
  Rect = PrintRect();
  Rect.Bottom = Rect.Top + SpaceUsed();
  SetPrintRect(Rect);
  if (Drawn && SpaceUsed() > 0) SetSpaceUsed(SpaceUsed() + FBottomOffset);
  if (DrawComponent() && !OverFlow() && !FShiftersActive) {
    FShiftersActive = true;
    for (TppStretchable* S : FShifters) S->SetDrawComponent(true);
  }
  if (FShiftersActive) GenerateShifters(FShifterIndex);
  if (!OverFlow() && !FPartialGeneration) SetGenerationComplete(true);
}

void TppStretchable::GenerateShifters(int From) {
  FCurrentPosition = PrintRect().Top + SpaceUsed();
  FPageBottom += FBottomOffset;
  int32_t Lowest = FCurrentPosition;
  for (int I = std::max(From, 0); I < static_cast<int>(FShifters.size()); ++I) {
    TppStretchable& S = *FShifters[static_cast<size_t>(I)];
    S.Generate();
    if (S.SpaceUsed() > 0) {
      FPrintedShifters[S.ZOrder()] = &S;
      Lowest = std::max(Lowest, S.PrintRect().Top + S.SpaceUsed());
    }
    if (!S.GenerationComplete()) {
      if (!FFirstUnfinishedNoted) {
        FFirstUnfinishedNoted = true;
        FShifterIndex = I;
        FFirstUnfinishedStretches = S.Stretch();
      }
      if (S.mmTop() < FPartialAdjustment) FPartialAdjustment = S.mmTop();
      FAllShiftersPrinted = false;
    }
    ProcessMessages();
  }
  // The object grows to cover its shifters.
  if (Lowest > FCurrentPosition) {
    FCurrentPosition = Lowest;
    SetSpaceUsed(Lowest - PrintRect().Top);
  }
  SetOverFlow(FFirstUnfinishedStretches);
  FPartialGeneration = !(FAllShiftersPrinted || FFirstUnfinishedStretches);
}

void TppStretchable::BeginGeneration() {
  TppComponent::BeginGeneration();
  FAllShiftersPrinted = true;
  FCurrentPosition = 0;
  FFirstUnfinishedNoted = FFirstUnfinishedStretches = false;
  FPageBottom = 0;
  FPrintedShifters.clear();
}

void TppStretchable::EndGeneration() {
  TppComponent::EndGeneration();
  if (DrawComponent() && FShiftersActive) SetDrawComponent(false);
  if (FShiftersActive && !OverFlow() && !FPartialGeneration) FShiftersActive = false;
  if (FAllShiftersPrinted) FShifterIndex = 0;
}

void TppStretchable::Init() {
  TppComponent::Init();
  FShiftersActive = false;
  FKeptTogether = false;
  FShifterIndex = 0;
  FPartialAdjustment = 0;
  FPartialGeneration = false;
}

void TppStretchable::PrintToPage(TppPage* Page) {
  TppComponent::PrintToPage(Page);
  for (const auto& [Index, Shifter] : FPrintedShifters) {
    Shifter->PrintToPage(Page);
    ProcessMessages();
  }
}

void TppStretchable::FillStretchableRecord(TppStretchableCacheRecord& R) const {
  R.DrawComponent = DrawComponent();
  R.ShiftersActive = FShiftersActive;
  R.ShifterIndex = FShifterIndex;
  R.OverFlow = OverFlow();
  R.PartialGeneration = FPartialGeneration;
}

void TppStretchable::TakeStretchableRecord(const TppStretchableCacheRecord& R) {
  SetDrawComponent(R.DrawComponent != 0);
  FShiftersActive = R.ShiftersActive != 0;
  FShifterIndex = R.ShifterIndex;
  SetOverFlow(R.OverFlow != 0);
  FPartialGeneration = R.PartialGeneration != 0;
}

void TppStretchable::SaveToCache(int Page) {
  TppStretchableCacheRecord R{};
  FillStretchableRecord(R);
  WriteRecord(Page, R);
}

void TppStretchable::RestoreFromCache(int Page) {
  TppStretchableCacheRecord R{};
  if (ReadRecord(Page, R)) TakeStretchableRecord(R);
}
