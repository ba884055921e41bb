#include "ppreport/generation/ppRegion.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppModelPalette.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppCtrls.h"

namespace {

TppStretchable* AsStretchable(TppComponent* C) { return dynamic_cast<TppStretchable*>(C); }

}  // namespace

// ---- construction

TppCustomRegion::TppCustomRegion(TComponent* AOwner)
    : TppStretchable(AOwner), FPen(std::make_unique<TppPen>()), FBrush(std::make_unique<TppBrush>()) {
  SetCacheRecordSize(sizeof(TppRegionCacheRecord));
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawShape(nullptr); });
  FPen->OnChange = [this](TGraphicsObject*) { BrushPenChanged(); };
  FBrush->OnChange = [this](TGraphicsObject*) { BrushPenChanged(); };
}

TppCustomRegion::~TppCustomRegion() {
  BeforeDestruction();
  FPen->OnChange = nullptr;
  FBrush->OnChange = nullptr;
}

void TppCustomRegion::Destroying() {
  // The members go with their region.
  while (MemberCount() > 0) {
    TppComponent* M = GetMember(MemberCount() - 1);
    M->SetRegion(nullptr);
    if (!M->HasState(csDestroying)) M->Free();
  }
  FSnapshots.clear();
  FPageCopy.reset();
  TppStretchable::Destroying();
}

void TppCustomRegion::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner)
    std::erase_if(FSnapshots, [Partner](const auto& S) { return S.first == Partner; });
  TppStretchable::Notify(Partner, Operation);
}

// ---- membership

void TppCustomRegion::AddObject(TppComponent* Component) {
  if (Component && Component != this) Component->SetRegion(this);
}

void TppCustomRegion::RemoveObject(TppComponent* Component) {
  if (Component && Component->Region() == this) Component->SetRegion(nullptr);
}

void TppCustomRegion::MemberAdded(TppComponent* Member) {
  if (Member->Band() != Band()) Member->SetBand(Band());
  if (IsReadingOrLoading()) return;
  BringObjectToFront(Member);
  if (const TppStretchable* S = AsStretchable(Member); S && S->Stretch()) SetStretch(true);
}

void TppCustomRegion::MemberRemoved(TppComponent* Member) {
  RemoveNotify(Member);
  InvalidateLayout();
  if (Band() && !Member->HasState(csDestroying))
    SendDesignerMessage(ppdmObjectMove, ppdmMessageClass, reinterpret_cast<intptr_t>(Member));
}

void TppCustomRegion::BringObjectToFront(TppComponent* Member) {
  TppBand* B = Band();
  if (!B || IndexOfMember(Member) < 0) return;
  if (!Member->Band()) Member->SetBand(B);
  MoveMemberToFront(Member);
  const int From = B->IndexOfObject(Member), Region = B->IndexOfObject(this);
  if (From < 0 || Region < 0) return;
  // Removing the member from below the region shifts the region's index down by one.
  const int To = std::min(Region - (From < Region ? 1 : 0) + MemberCount(), B->GetObjectCount() - 1);
  B->MoveObject(From, To);
}

void TppCustomRegion::SendObjectToBack(TppComponent* Member) {
  TppBand* B = Band();
  if (!B || IndexOfMember(Member) < 0) return;
  MoveMemberToBack(Member);
  const int From = B->IndexOfObject(Member), Region = B->IndexOfObject(this);
  if (From < 0 || Region < 0) return;
  const int To = From < Region ? Region : Region + 1;
  B->MoveObject(From, To);
}

void TppCustomRegion::BringToFront() {
  TppBand* B = Band();
  if (B) {
    B->BringObjectToFront(this);
    std::vector<TppComponent*> Members;
    for (int I = 0; I < MemberCount(); ++I) Members.push_back(GetMember(I));
    for (TppComponent* M : Members) BringObjectToFront(M);
  }
  PropertyChanged();
}

void TppCustomRegion::SendToBack() {
  TppBand* B = Band();
  if (B) {
    B->SendObjectToBack(this);
    std::vector<TppComponent*> Members;
    for (int I = 0; I < MemberCount(); ++I) Members.push_back(GetMember(I));
    for (auto M = Members.rbegin(); M != Members.rend(); ++M) SendObjectToBack(*M);
  }
  PropertyChanged();
}

TppComponent* TppCustomRegion::GetNextSibling() const {
  TppBand* B = Band();
  if (!B) return nullptr;
  for (int I = B->IndexOfObject(this) + 1; I > 0 && I < B->GetObjectCount(); ++I)
    if (IndexOfMember(B->GetObjects(I)) < 0) return B->GetObjects(I);
  return nullptr;
}

void TppCustomRegion::SetBand(TppBand* NewBand) {
  TppStretchable::SetBand(NewBand);
  if (HasState(csDestroying)) return;
  for (int I = 0; I < MemberCount(); ++I) GetMember(I)->SetBand(NewBand);
}

void TppCustomRegion::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
  for (int I = 0; I < MemberCount(); ++I) Proc(GetMember(I));
}

// ---- anchoring

void TppCustomRegion::ReAnchor() {
  if (IsReadingOrLoading()) return;
  const TRect S = SavedBounds();
  const TRect Now{mmLeft(), mmTop(), mmWidth(), mmHeight()};
  if (S.Right == 0 || S.Bottom == 0 || S == Now) {
    SetSavedBounds(Now);
    return;
  }
  MembersToBounds();
}

void TppCustomRegion::BoundsChanged() {
  TppStretchable::BoundsChanged();
  if (!IsReadingOrLoading()) ReAnchor();
}

void TppCustomRegion::NotifyBoundsChange() {
  TppStretchable::NotifyBoundsChange();
  ReAnchor();
}

void TppCustomRegion::Loaded() {
  TppStretchable::Loaded();
  SetSavedBounds({mmLeft(), mmTop(), mmWidth(), mmHeight()});
}

// ---- pen and brush

void TppCustomRegion::SetPen(const TPen* Value) {
  if (Value) FPen->Assign(*Value);
  BrushPenChanged();
}

void TppCustomRegion::SetBrush(const TBrush* Value) {
  if (Value) FBrush->Assign(*Value);
  BrushPenChanged();
}

void TppCustomRegion::BrushPenChanged() {
  const bool Clear = FBrush->Style() == bsClear;
  if (Clear != Transparent()) TppStretchable::SetTransparent(Clear);
  InvalidateDesignControl();
  PropertyChanged();
}

void TppCustomRegion::SetTransparent(bool Value) {
  TppStretchable::SetTransparent(Value);
  if (IsReadingOrLoading()) return;
  if (Value && FBrush->Style() != bsClear)
    FBrush->SetStyle(bsClear);
  else if (!Value && FBrush->Style() == bsClear)
    FBrush->SetStyle(bsSolid);
}

void TppCustomRegion::GetBackgroundColor(TColor& Value, bool& Transparent) const {
  Value = FBrush->Color();
  Transparent = FBrush->Style() == bsClear;
}

void TppCustomRegion::GetFontColor(TColor& Value, bool& Transparent) const {
  Value = FPen->Color();
  Transparent = FPen->Style() == psClear;
}

void TppCustomRegion::SetBackgroundColor(TColor Value, bool Transparent) {
  if (!Transparent && Value != FBrush->Color()) {
    PropertyChanging("Brush.Color");
    FBrush->SetColor(Value);
  }
  const TBrushStyle Wanted = Transparent ? bsClear : bsSolid;
  if (FBrush->Style() != Wanted) {
    PropertyChanging("Brush.Style");
    FBrush->SetStyle(Wanted);
  }
}

void TppCustomRegion::SetFontColor(TColor Value, bool Transparent) {
  if (!Transparent && Value != FPen->Color()) {
    PropertyChanging("Pen.Color");
    FPen->SetColor(Value);
  }
  const TPenStyle Wanted = Transparent ? psClear : psSolid;
  if (FPen->Style() != Wanted) {
    PropertyChanging("Pen.Style");
    FPen->SetStyle(Wanted);
  }
}

void TppCustomRegion::SetPenWidth(int Width) { FPen->SetWidth(Width); }

// ---- generation

void TppCustomRegion::Init() {
  TppStretchable::Init();
  for (int I = 0; I < MemberCount(); ++I) GetMember(I)->Init();
  SetPartialAdjustment(mmHeight());
  FListIndex = FMemberIndex = 0;
  BuildMemberLists();
}

void TppCustomRegion::BuildMemberLists() {
  FLists.clear();
  for (int I = 0; I < MemberCount(); ++I) {
    TppComponent* M = GetMember(I);
    M->SetZOrder(I);  // the band puts its own index here when it builds its lists
    char Key = '1';
    if (TppStretchable* S = AsStretchable(M)) {
      if (S->ShiftRelativeTo()) continue;  // generated by the object it shifts relative to
      if (S->Stretch())
        Key = '2';
      else if (S->StretchWithParent())
        Key = '3';
      else if (S->GetShiftWithParent())
        Key = '4';
    } else if (dynamic_cast<TppCustomComponent*>(M)) {
      if (M->StretchWithParent())
        Key = '3';
      else if (M->GetShiftWithParent())
        Key = '4';
    }
    auto It = std::find_if(FLists.begin(), FLists.end(), [Key](const TMemberList& L) { return L.first == Key; });
    if (It == FLists.end()) It = FLists.insert(FLists.end(), {Key, {}});
    It->second.push_back(M);
  }
  std::sort(FLists.begin(), FLists.end(), [](const TMemberList& A, const TMemberList& B) { return A.first < B.first; });
}

void TppCustomRegion::BeginGeneration() {
  TppStretchable::BeginGeneration();
  FAllMembersPrinted = true;
  FFirstUnfinishedNoted = FFirstUnfinishedStretches = FResumeListNoted = false;
  FPrinted.clear();
  FMaxStretchable = nullptr;
}

void TppCustomRegion::MarkForDrawing() {
  TppStretchable::MarkForDrawing();
  for (int I = 0; I < MemberCount(); ++I) GetMember(I)->MarkForDrawing();
}

bool TppCustomRegion::InSectionState() const {
  TppCustomBand* B = GenerationBand();
  TppCustomEngine* E = B ? B->Engine() : nullptr;
  return E && (E->EngineState() & (esSectionOpened | esSectionRunning | esSectionDone)) != 0;
}

void TppCustomRegion::TakeRestorePoint() {
  TppCustomBand* B = GenerationBand();
  TppCustomEngine* E = B ? B->Engine() : nullptr;
  if (!E || !E->GetPage()) return;
  if (!FPageCopy) FPageCopy = std::make_unique<TppPage>(nullptr);
  FPageCopy->Assign(E->GetPage());
  FSnapshots.clear();
  for (int I = 0; I < MemberCount(); ++I) FSnapshots.emplace_back(GetMember(I), GetMember(I)->SaveSnapshot());
}

void TppCustomRegion::RestoreKeepTogether() {
  TppCustomEngine* E = GenerationBand()->Engine();
  for (auto& [Member, Snapshot] : FSnapshots) Member->RestoreSnapshot(Snapshot);
  E->RestoreDataPipelineStates();
  E->GetPage()->Assign(FPageCopy.get());
  SetSpaceUsed(0);
  SetKeptTogether(true);
  for (int I = 0; I < MemberCount(); ++I) {
    GetMember(I)->SetDrawComponent(true);
    GetMember(I)->SetGenerationComplete(false);
  }
  FPrinted.clear();
  FListIndex = FMemberIndex = 0;
  SetPartialGeneration(false);
  SetPartialAdjustment(mmHeight());
}

void TppCustomRegion::GenerateContent() {
  const bool RestorePoint = KeepTogetherApplies() && GenerationBand()->Engine() && GenerationBand()->Engine()->GetPage();
  if (RestorePoint) TakeRestorePoint();
  GenerateMembers(FListIndex, FMemberIndex);
  if (RestorePoint && OverFlow()) RestoreKeepTogether();
  if (KeptTogether() && !OverFlow()) SetKeptTogether(false);
}

void TppCustomRegion::GenerateMembers(int ListIndex, int MemberIndex) {
  FMaxStretchable = nullptr;
  const bool Section = InSectionState();
  const auto Static = std::find_if(FLists.begin(), FLists.end(), [](const TMemberList& L) { return L.first == '1'; });
  if (OverFlow() && !PartialGeneration() && Static != FLists.end() && ListIndex != 0)
    GenerateMemberList(static_cast<int>(Static - FLists.begin()), 0);
  for (int L = std::max(ListIndex, 0); L < static_cast<int>(FLists.size()); ++L) {
    GenerateMemberList(L, L == ListIndex ? MemberIndex : 0);
    if (!FAllMembersPrinted && !FResumeListNoted) {
      FResumeListNoted = true;
      FListIndex = L;
    }
    if (Section) break;
    if (FLists[L].first == '2' && SpaceUsed() == 0) break;
    ProcessMessages();
  }
  SetOverFlow(FFirstUnfinishedStretches);
  SetPartialGeneration(!(FAllMembersPrinted || OverFlow()));
  if (PartialGeneration() && FPrinted.empty())
    SetPartialAdjustment(0);
  else if (!PartialGeneration())
    SetPartialAdjustment(mmHeight());
  if (FAllMembersPrinted) FListIndex = FMemberIndex = 0;
  // A region always goes on as an overflowing stretchable.
  if (PartialGeneration()) SetOverFlow(true);
}

void TppCustomRegion::GenerateMemberList(int ListIndex, int From) {
  FLowestBottom = CurrentPosition();
  const std::vector<TppComponent*> List = FLists[static_cast<size_t>(ListIndex)].second;
  TppCustomBand* B = GenerationBand();
  const bool Grows = B && B->PrintHeight() == phDynamic && Stretch();
  const bool Section = InSectionState();
  for (int I = std::max(From, 0); I < static_cast<int>(List.size()); ++I) {
    TppComponent& M = *List[static_cast<size_t>(I)];
    M.Generate();
    if (M.SpaceUsed() > 0) FPrinted[M.ZOrder()] = &M;
    if (!M.GenerationComplete()) {
      if (!FFirstUnfinishedNoted) {
        FFirstUnfinishedNoted = true;
        FMemberIndex = I;
        const TppStretchable* S = AsStretchable(&M);
        FFirstUnfinishedStretches = S && S->Stretch();
      }
      if (M.mmTop() - mmTop() < PartialAdjustment()) SetPartialAdjustment(M.mmTop() - mmTop());
      FAllMembersPrinted = false;
    }
    TppStretchable* S = AsStretchable(&M);
    if (S && !FMaxStretchable) FMaxStretchable = S;
    if (Grows && M.SpaceUsed() > 0) {
      const int32_t Bottom = M.PrintRect().Top + M.SpaceUsed();
      if (Bottom > FLowestBottom) {
        FLowestBottom = Bottom;
        if (S) FMaxStretchable = S;
      }
    }
    if (Section && !M.GenerationComplete() && I + 1 < static_cast<int>(List.size())) {
      SetGenerationComplete(true);
      break;
    }
    ProcessMessages();
  }
  if (FLowestBottom > CurrentPosition()) {
    SetCurrentPosition(FLowestBottom);
    SetSpaceUsed(FLowestBottom - PrintRect().Top);
  }
}

void TppCustomRegion::PrintToPage(TppPage* Page) {
  TppStretchable::PrintToPage(Page);
  // Members lie above the frame, in their drawing order.
  for (const auto& [Index, Member] : FPrinted) {
    Member->PrintToPage(Page);
    ProcessMessages();
  }
}

void TppCustomRegion::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppStretchable::PropertiesToDrawCommand(DrawCommand);
  auto* S = dynamic_cast<TppDrawShape*>(DrawCommand);
  if (!S) return;
  const TRect R = PrintRect();
  // The pen's half width stays inside the print rectangle: the pen is in screen pixels, the
  // rectangle in thousandths of a millimetre.
  const int32_t WX = ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(FPen->Width())) / 2;
  const int32_t WY = ConvertToMicrons(utScreenPixels, ppVertical, nullptr, static_cast<float>(FPen->Width())) / 2;
  S->SetLeft(R.Left + WX);
  S->SetTop(R.Top + WY);
  S->SetWidth(R.Right - WX - (R.Left + WX));
  S->SetHeight(R.Bottom - WY - (R.Top + WY));
  S->SetBrush(FBrush.get());
  S->SetPen(FPen.get());
  S->SetShapeType(stRectangle);
  const int32_t Corner = std::min(R.Width(), R.Height()) / 4;
  S->SetXCornerRound(Corner);
  S->SetYCornerRound(Corner);
}

// ---- the page cache

void TppCustomRegion::CacheTruncated(int Pages) {
  TppStretchable::CacheTruncated(Pages);
  SetKeptTogether(false);
}

void TppCustomRegion::SaveToCache(int Page) {
  TppStretchableCacheRecord S{};
  FillStretchableRecord(S);
  TppRegionCacheRecord R{};
  R.DrawComponent = S.DrawComponent;
  R.ShiftersActive = S.ShiftersActive;
  R.KeptTogether = KeptTogether();
  // Three bytes hold any shifter index a band can have.
  const uint32_t Shifter = static_cast<uint32_t>(std::clamp(S.ShifterIndex, 0, 0xFFFFFF));
  R.ShifterIndexLow = static_cast<uint8_t>(Shifter);
  R.ShifterIndexHigh[0] = static_cast<uint8_t>(Shifter >> 8);
  R.ShifterIndexHigh[1] = static_cast<uint8_t>(Shifter >> 16);
  R.MemberIndex = FMemberIndex;
  R.OverFlow = S.OverFlow;
  R.PartialGeneration = S.PartialGeneration;
  R.ListIndex = FListIndex;
  R.PartialAdjustment = PartialAdjustment();
  WriteRecord(Page, R);
}

void TppCustomRegion::RestoreFromCache(int Page) {
  TppRegionCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TppStretchableCacheRecord S{};
  S.DrawComponent = R.DrawComponent;
  S.ShiftersActive = R.ShiftersActive;
  S.ShifterIndex = R.ShifterIndexLow | R.ShifterIndexHigh[0] << 8 | R.ShifterIndexHigh[1] << 16;
  S.OverFlow = R.OverFlow;
  S.PartialGeneration = R.PartialGeneration;
  TakeStretchableRecord(S);
  SetKeptTogether(R.KeptTogether != 0);
  FMemberIndex = R.MemberIndex;
  FListIndex = R.ListIndex;
  SetPartialAdjustment(R.PartialAdjustment);
}

// ---- TppRegion

TppRegion::TppRegion(TComponent* AOwner) : TppCustomRegion(AOwner) { SetDefaultProp("Caption", 0); }

TppRegion::~TppRegion() { BeforeDestruction(); }

// ---- class records

const TClassInfo& TppCustomRegion::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomRegion>("TppCustomRegion", &TppStretchable::StaticClassInfo());
  return Info;
}

const TClassInfo& TppRegion::StaticClassInfo() {
  using C = TppRegion;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppRegion", &TppCustomRegion::StaticClassInfo());
    D.SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors).Default(ppAnchorLeft | ppAnchorTop);
    D.Prop("Brush", &C::Brush, &C::SetBrush);
    D.Prop("Caption", &C::Caption, &C::SetCaption);
    D.Prop("ParentHeight", &C::ParentHeight, &C::SetParentHeight).Default(0);
    D.Prop("ParentWidth", &C::ParentWidth, &C::SetParentWidth).Default(0);
    D.Prop("Pen", &C::Pen, &C::SetPen);
    D.Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(0);
    D.Prop("ShiftRelativeTo", &C::ShiftRelativeTo, &C::SetShiftRelativeTo);
    D.Prop("StretchWithParent", &C::StretchWithParent, &C::SetStretchWithParent).Default(0);
    D.Prop("Transparent", &C::Transparent, &C::SetTransparent).Default(0);
    D.Prop("Visible", &C::Visible, &C::SetVisible).Default(1);
    D.Prop("BottomOffset", &C::GetBottomOffset, &C::SetBottomOffset).Stored(false);
    D.Prop("OverFlowOffset", &C::GetOverFlowOffset, &C::SetOverFlowOffset).Stored(false);
    D.Prop("Left", &C::GetLeft, &C::SetLeft).Stored(false);
    D.Prop("Top", &C::GetTop, &C::SetTop).Stored(false);
    D.Prop("Width", &C::GetWidth, &C::SetWidth).Stored(false);
    D.Prop("Height", &C::GetHeight, &C::SetHeight).Stored(false);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeRegionUnit() { ppRegisterModelComponents({&TppRegion::StaticClassInfo()}); }

void FinalizeRegionUnit() { ppUnregisterModelComponents({&TppRegion::StaticClassInfo()}); }
