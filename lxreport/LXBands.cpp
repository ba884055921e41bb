#include "lxreport/LXBands.h"

#include <cstdlib>

#include "lxreport/LXConsts.h"
#include "lxreport/LXController.h"
#include "lxreport/LXEvEnvironment.h"
#include "lxreport/LXPrintable.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Dialogs.h"
#include "platform/data/DB.h"
#include "platform/rtl/RtlMath.h"

std::string LXBandTypeTitle(TLXBandType Type) {
  return Type < LXBandTypeCount ? LXBandText::Titles[Type] : std::string();
}

std::string LXBandNamePrefix(TLXBandType Type) {
  return Type < LXBandTypeCount ? LXBandText::NamePrefixes[Type] : std::string();
}

namespace {
// Far more links than any report has: a chain this long can only be a loop.
constexpr int MaxChain = 1 << 20;

// Whether the chain from From (Next gives each link, null ends it) reaches Target.
template <class T, class F>
bool ChainReaches(const T* From, const void* Target, F Next) {
  int Steps = 0;
  for (const T* X = From; X; X = Next(X))
    if (X == Target || ++Steps > MaxChain) return true;
  return false;
}

void Reorder(TCustomVexaRep* Report) {
  if (!Report || Report->HasState(csDestroying)) return;
  Report->OrderBands();
  Report->LayoutBands();
}
}  // namespace

// ---- TLXCustomBand

const TClassInfo& TLXCustomBand::StaticClassInfo() {
  using T = TLXCustomBand;
  static const TClassInfo Info =
      TClassDef<T>("TLXCustomBand", &TLXBasePanel::StaticClassInfo())
          .Event("AfterPrint", &T::AfterPrint)
          .Prop("AlignToBottom", &T::AlignToBottom, &T::SetAlignToBottom).Default(0)
          .Event("BeforePrint", &T::BeforePrint)
          .Prop("Color", &T::Color, &T::SetColor).Default(clWhite)
          .Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(1)
          .Prop("Font", [](const T& B) { return const_cast<TFont*>(B.Font()); }, [](T& B, TFont* F) { B.SetFont(F); })
          .Stored([](const T& B) { return !B.ParentFont(); })
          .Prop("ForceNewColumn", &T::ForceNewColumn, &T::SetForceNewColumn).Default(0)
          .Prop("ForceNewPage", &T::ForceNewPage, &T::SetForceNewPage).Default(0)
          // The child bands stream themselves (with their ParentBand); a stored HasChild would
          // make a second child while reading.
          .Prop("HasChild", &T::HasChild, &T::SetHasChild).Stored(false)
          .Prop("LinkBand", &T::LinkBand, &T::SetLinkBand)
          .Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(1)
          .Prop("Size", &T::Size);
  return Info;
}

TLXCustomBand::TLXCustomBand(TComponent* AOwner)
    : TLXBasePanel(AOwner), FSize(std::make_unique<TLXBandSize>(this)) {
  SetColor(clWhite);
  SetBounds(Left(), Top(), Width(), 40);  // no report yet: applied as it stands
}

TLXCustomBand::~TLXCustomBand() { BeforeDestruction(); }

void TLXCustomBand::Destroying() {
  if (FReport) FReport->UnregisterBand(this);
  TLXBasePanel::Destroying();
}

void TLXCustomBand::SetReport(TCustomVexaRep* Value) { FReport = Value; }

void TLXCustomBand::SetBandType(TLXBandType Value) {
  FBandType = Value;
  if (FReport && !HasState(csLoading)) Reorder(FReport);
}

TLXCustomBand* TLXCustomBand::FindChild() const {
  if (!FReport) return nullptr;
  for (TLXCustomBand* B : FReport->BandList()) {
    if (B->BandType() != rbChild) continue;  // before the cast: every band is asked for every record
    if (auto* C = dynamic_cast<TLXChildBand*>(B); C && C->ParentBand() == this && !C->HasState(csDestroying))
      return C;
  }
  return nullptr;
}

void TLXCustomBand::SetHasChild(bool Value) {
  if (HasState(csLoading) || !FReport) return;
  TLXCustomBand* Child = FindChild();
  if (Value) {
    if (Child) return;
    auto* C = new TLXChildBand(Owner());
    if (HasState(csDesigning)) C->SetName(FreeComponentName(Owner(), C->BandNamePrefix()));
    C->SetParent(Parent());
    C->SetParentBand(this);
  } else if (Child) {
    if (auto* Grand = dynamic_cast<TLXChildBand*>(Child->FindChild())) Grand->SetParentBand(this);
    Child->Free();
  }
}

bool TLXCustomBand::RefuseCircular() const {
  if (HasState(csDesigning)) ShowMessage(SLXCircularLinking);
  return false;
}

void TLXCustomBand::SetLinkBand(TLXCustomBand* Value) {
  if (ChainReaches<TLXCustomBand>(Value, this, [](const TLXCustomBand* B) { return B->FLinkBand; })) {
    RefuseCircular();
    return;
  }
  FLinkBand = Value;
  if (Value) FreeNotification(Value);
}

void TLXCustomBand::Notification(TComponent* AComponent, TOperation Operation) {
  TLXBasePanel::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLinkBand) FLinkBand = nullptr;
}

void TLXCustomBand::SetParent(THeadlessWinControl* AParent) {
  // A band sits on the report: a band given as parent hands over its own parent.
  if (auto* B = dynamic_cast<TLXCustomBand*>(AParent)) AParent = B->Parent();
  if (AParent == Parent()) return;
  if (auto* Old = dynamic_cast<TCustomVexaRep*>(Parent())) Old->UnregisterBand(this);
  TLXBasePanel::SetParent(AParent);
  if (auto* R = dynamic_cast<TCustomVexaRep*>(AParent)) {
    SetReport(R);
    FSize->SetReport(R);
    TLXBasePanel::SetZoom(R->Zoom());
    FSize->SetZoom(R->Zoom());
    R->RegisterBand(this);
  } else {
    SetReport(nullptr);  // no pointer left to a report it no longer sits on
    FSize->SetReport(nullptr);
  }
}

void TLXCustomBand::SetZoom(int32_t Z) {
  if (Z == 0) return;
  TLXBasePanel::SetZoom(Z);
  FSize->SetZoom(Z);
  FSize->ApplyToParent();
}

void TLXCustomBand::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (HasState(csLoading)) {
    // The stored lengths place the band in Loaded; the height read serves streams without them
    // (a property that sets another bound passes the control's own height).
    if (AHeight != Height()) FStoredHeight = AHeight;
    return;
  }
  if (!FReport) {
    TLXBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  if (FSize->Updating()) {
    TLXBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (!FLaying) FReport->LayoutBands();
    for (int I = 0; I < ControlCount(); ++I)
      if (auto* P = dynamic_cast<TLXPrintable*>(Controls(I)); P && P->AlignToBand()) P->ControllerNotify(this, 2);
    return;
  }
  // Moved or resized on the design surface: a new height flows into Size (only when its pixels
  // change, so the native length does not creep to whole pixels); LayoutBands decides widths.
  long double Length = FSize->Native(TLXBandSize::LengthIndex);
  if (RoundPixels(FSize->FromNative(TLXUnit::Pixels, false, Length)) != AHeight) {
    FSize->SetNative(TLXBandSize::LengthIndex, FSize->ToNative(TLXUnit::Pixels, false, AHeight));
    FSize->ApplyToParent();
  }
  if (ATop != Top() || ALeft != Left()) {
    TLXBasePanel::SetBounds(ALeft, ATop, Width(), Height());
    if (!FLaying) FReport->LayoutBands();
  }
  FReport->InvalidateThumbnail();
}

void TLXCustomBand::Loaded() {
  TLXBasePanel::Loaded();
  // Without "Values" the height the stream carried places the band.
  if (!FSize->ValuesRead()) FSize->SetNative(TLXBandSize::LengthIndex, FSize->ToNative(TLXUnit::Pixels, false, FStoredHeight));
  FSize->AfterLoad();
}

void TLXCustomBand::PaintRuler(TLXUnit Units) {
  if (FReport) SetFontSize(std::abs(FReport->Font()->Size()));
  TLXBasePanel::PaintRuler(Units);
}

void TLXCustomBand::Paint() {
  TLXBasePanel::Paint();
  if (FReport && FReport->Page()->Ruler()) PaintRuler(FReport->Units());
  const TLXDesignSettings& S = LXDesignSettings();
  TCanvas& C = Canvas();
  int W = Width(), H = Height();
  C.Pen().SetWidth(1);
  C.Pen().SetColor(S.BandFrameColor);
  C.Pen().SetStyle(S.BandFrameStyle);
  C.MoveTo(0, 0);
  C.LineTo(W, 0);
  C.MoveTo(0, H - 1);
  C.LineTo(W - 1, H - 1);
  C.MoveTo(0, 0);
  C.LineTo(0, H - 1);
  C.MoveTo(W - 1, 0);
  C.LineTo(W - 1, H - 1);
  long double F = LXScreenPixelsPerInch() / 254.0L;
  Frame()->DrawOn(C, Rect(0, 0, W - 1, H - 1), F, F);
  C.Font().SetName(S.RulerFontName);
  C.Font().SetSize(S.RulerFontSize);
  C.Font().SetColor(S.RulerFontColor);
  C.Brush().SetStyle(bsClear);
  C.TextOut(2, H - C.TextHeight("W") - 4, BandTypeTitle());
}

// ---- TLXBand

const TClassInfo& TLXBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXBand>("TLXBand", &TLXCustomBand::StaticClassInfo())
                                     .Prop("BandType", &TLXBand::BandType, &TLXBand::SetBandType);
  return Info;
}

// ---- TLXChildBand

const TClassInfo& TLXChildBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXChildBand>("TLXChildBand", &TLXCustomBand::StaticClassInfo())
                                     .Prop("ParentBand", &TLXChildBand::ParentBand, &TLXChildBand::SetParentBand);
  return Info;
}

TLXChildBand::TLXChildBand(TComponent* AOwner) : TLXCustomBand(AOwner) { SetBandType(rbChild); }

void TLXChildBand::SetParentBand(TLXCustomBand* Value) {
  auto Up = [](const TLXCustomBand* B) -> const TLXCustomBand* {
    auto* C = dynamic_cast<const TLXChildBand*>(B);
    return C ? C->FParentBand : nullptr;
  };
  if (ChainReaches<TLXCustomBand>(Value, this, Up)) {
    RefuseCircular();
    return;
  }
  // A parent band means something only among a report's bands; letting go always works.
  if (Value && !Report()) return;
  FParentBand = Value;
  if (Value) FreeNotification(Value);
  if (!HasState(csLoading)) Reorder(Report());
}

void TLXChildBand::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentBand) FParentBand = nullptr;
}

// ---- TLXControllerBand

const TClassInfo& TLXControllerBand::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXControllerBand>("TLXControllerBand", &TLXCustomBand::StaticClassInfo())
          .Prop("Master", &TLXControllerBand::Master, &TLXControllerBand::SetMaster);
  return Info;
}

TLXControllerBand::TLXControllerBand(TComponent* AOwner)
    : TLXCustomBand(AOwner), FController(new TLXController(this)) {
  FController->SetSelfCheck(this);
  FController->SetDetailBand(this);
}

TLXControllerBand::~TLXControllerBand() { BeforeDestruction(); }

void TLXControllerBand::Destroying() {
  TLXCustomBand::Destroying();
  FController.reset();
}

void TLXControllerBand::SetMaster(TComponent* Value) {
  if (Value == this) return;
  auto Up = [](const TComponent* M) -> const TComponent* {
    auto* B = dynamic_cast<const TLXControllerBand*>(M);
    return B ? B->FMaster : nullptr;
  };
  if (ChainReaches<TComponent>(Value, this, Up)) {
    RefuseCircular();
    return;
  }
  FMaster = Value;
  FController->AttachMaster(Value);
  if (!HasState(csLoading)) Reorder(Report());
  if (Value) FreeNotification(Value);
}

void TLXControllerBand::AppendToBandList() {
  if (Report()) Report()->AppendBandChain(this);
}

void TLXControllerBand::SetName(const std::string& NewName) {
  if (FLocalVariableDefined) UndefineLocalVariable();
  TLXCustomBand::SetName(NewName);
  if (Report()) DefineLocalVariable();
}

void TLXControllerBand::SetReport(TCustomVexaRep* Value) {
  TLXCustomBand::SetReport(Value);
  if (Value && !FLocalVariableDefined) DefineLocalVariable();
}

void TLXControllerBand::SetParent(THeadlessWinControl* AParent) {
  TLXCustomBand::SetParent(AParent);
  if (!FMaster)
    if (auto* R = dynamic_cast<TCustomVexaRep*>(Parent())) SetMaster(R);
}

void TLXControllerBand::DefineLocalVariable() {
  std::string Expr = LocalVariableExpression();
  if (Expr.empty() || !Report()) return;
  Report()->Functions()->Define(Name(), Expr);
  FLocalVariableDefined = true;
}

void TLXControllerBand::UndefineLocalVariable() {
  if (Report()) Report()->Functions()->Undefine(Name());
  FLocalVariableDefined = false;
}

void TLXControllerBand::Notification(TComponent* AComponent, TOperation Operation) {
  TLXCustomBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMaster) FMaster = nullptr;
}

// ---- TLXSubDetailGroupBands

const TClassInfo& TLXSubDetailGroupBands::StaticClassInfo() {
  using T = TLXSubDetailGroupBands;
  // The header and footer bands stream themselves; stored switches would make second ones.
  static const TClassInfo Info = TClassDef<T>("TLXSubDetailGroupBands", &TPersistent::StaticClassInfo())
                                     .Prop("HasHeader", &T::HasHeader, &T::SetHasHeader).Stored(false)
                                     .Prop("HasFooter", &T::HasFooter, &T::SetHasFooter).Stored(false);
  return Info;
}

bool TLXSubDetailGroupBands::HasHeader() const { return FSubDetail && FSubDetail->HeaderBand(); }
bool TLXSubDetailGroupBands::HasFooter() const { return FSubDetail && FSubDetail->FooterBand(); }

void TLXSubDetailGroupBands::SetHasHeader(bool Value) { Switch(Value, rbGroupHeader); }
void TLXSubDetailGroupBands::SetHasFooter(bool Value) { Switch(Value, rbGroupFooter); }

void TLXSubDetailGroupBands::Switch(bool Value, TLXBandType Type) {
  bool Header = Type == rbGroupHeader;
  TLXSubDetail* S = FSubDetail;
  if (!S || !S->Report() || S->HasState(csLoading) || Value == (Header ? HasHeader() : HasFooter())) return;
  auto Set = [S, Header](TLXCustomBand* B) { Header ? S->SetHeaderBand(B) : S->SetFooterBand(B); };
  if (Value) {
    Set(S->Report()->NewBand(Type));
  } else {
    TLXCustomBand* Old = Header ? S->HeaderBand() : S->FooterBand();
    Set(nullptr);
    Old->Free();
  }
}

// ---- TLXSubDetail

const TClassInfo& TLXSubDetail::StaticClassInfo() {
  using T = TLXSubDetail;
  static const TClassInfo Info = TClassDef<T>("TLXSubDetail", &TLXControllerBand::StaticClassInfo())
                                     .Prop("Bands", &T::Bands)
                                     .Prop("DataSet", &T::DataSet, &T::SetDataSet)
                                     .Prop("FooterBand", &T::FooterBand, &T::SetFooterBand)
                                     .Prop("HeaderBand", &T::HeaderBand, &T::SetHeaderBand)
                                     .Event("OnNeedData", &T::OnNeedData)
                                     .Prop("PrintBefore", &T::PrintBefore, &T::SetPrintBefore).Default(0)
                                     .Prop("PrintIfEmpty", &T::PrintIfEmpty, &T::SetPrintIfEmpty).Default(1);
  return Info;
}

TLXSubDetail::TLXSubDetail(TComponent* AOwner)
    : TLXControllerBand(AOwner), FBands(std::make_unique<TLXSubDetailGroupBands>(this)) {
  SetBandType(rbSubDetail);
}

TDataSet* TLXSubDetail::DataSet() const { return OwnedController() ? OwnedController()->DataSet() : nullptr; }
void TLXSubDetail::SetDataSet(TDataSet* Value) { OwnedController()->AttachDataSet(Value); }
TLXCustomBand* TLXSubDetail::HeaderBand() const { return OwnedController() ? OwnedController()->HeaderBand() : nullptr; }
TLXCustomBand* TLXSubDetail::FooterBand() const { return OwnedController() ? OwnedController()->FooterBand() : nullptr; }
bool TLXSubDetail::PrintBefore() const { return OwnedController()->PrintBefore(); }
bool TLXSubDetail::PrintIfEmpty() const { return OwnedController()->PrintIfEmpty(); }
void TLXSubDetail::SetPrintIfEmpty(bool Value) { OwnedController()->SetPrintIfEmpty(Value); }

void TLXSubDetail::SetHeaderBand(TLXCustomBand* Value) {
  if (Value) {
    Value->SetBandType(rbGroupHeader);
    FreeNotification(Value);
  }
  OwnedController()->SetHeaderBand(Value);
  if (!HasState(csLoading)) Reorder(Report());
}

void TLXSubDetail::SetFooterBand(TLXCustomBand* Value) {
  if (Value) {
    Value->SetBandType(rbGroupFooter);
    FreeNotification(Value);
  }
  OwnedController()->SetFooterBand(Value);
  if (!HasState(csLoading)) Reorder(Report());
}

void TLXSubDetail::SetPrintBefore(bool Value) {
  if (Value == PrintBefore()) return;
  OwnedController()->SetRunsBefore(Value);
  if (!HasState(csLoading)) Reorder(Report());
}

void TLXSubDetail::RegisterWithSubDetail(TLXPrintable* Printable) { OwnedController()->AddNotifyTarget(Printable); }

void TLXSubDetail::AppendToBandList() {
  if (HasState(csDestroying) || !Report()) return;
  if (HeaderBand()) Report()->AppendBandChain(HeaderBand());
  Report()->AppendBandChain(this);
  if (FooterBand()) Report()->AppendBandChain(FooterBand());
}

void TLXSubDetail::Notification(TComponent* AComponent, TOperation Operation) {
  TLXControllerBand::Notification(AComponent, Operation);
  if (Operation != opRemove || !OwnedController()) return;
  TLXController* C = OwnedController();
  if (AComponent == C->FooterBand()) C->SetFooterBand(nullptr);
  if (AComponent == C->HeaderBand()) C->SetHeaderBand(nullptr);
  if (AComponent == static_cast<TComponent*>(C->DataSet())) C->AttachDataSet(nullptr);
  if (AComponent == C->Master()) C->AttachMaster(nullptr);
}

// ---- TVexaRepBands

const TClassInfo& TVexaRepBands::StaticClassInfo() {
  auto Get = [](TLXBandType Type) {
    return [Type](const TVexaRepBands& B) { return B.Has(Type); };
  };
  auto Set = [](TLXBandType Type) {
    return [Type](TVexaRepBands& B, bool V) { B.SetHas(Type, V); };
  };
  // The bands stream themselves; stored switches would make second ones while reading.
  static const TClassInfo Info = TClassDef<TVexaRepBands>("TVexaRepBands", &TPersistent::StaticClassInfo())
                                     .Prop("HasTitle", Get(rbTitle), Set(rbTitle)).Stored(false)
                                     .Prop("HasPageHeader", Get(rbPageHeader), Set(rbPageHeader)).Stored(false)
                                     .Prop("HasColumnHeader", Get(rbColumnHeader), Set(rbColumnHeader)).Stored(false)
                                     .Prop("HasDetail", Get(rbDetail), Set(rbDetail)).Stored(false)
                                     .Prop("HasPageFooter", Get(rbPageFooter), Set(rbPageFooter)).Stored(false)
                                     .Prop("HasSummary", Get(rbSummary), Set(rbSummary)).Stored(false);
  return Info;
}

bool TVexaRepBands::Has(TLXBandType Type) const { return FReport && FReport->BandOfType(Type); }

void TVexaRepBands::SetHas(TLXBandType Type, bool Value) {
  if (!FReport || FReport->HasState(csLoading)) return;
  TLXCustomBand* Band = FReport->BandOfType(Type);
  if (Value && !Band)
    FReport->NewBand(Type);
  else if (!Value && Band)
    Band->Free();
}
