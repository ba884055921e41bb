#include "ppreport/generation/ppGroupBands.h"

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"

// ---- TppGroupBand

const TClassInfo& TppGroupBand::StaticClassInfo() {
  using B = TppGroupBand;
  static const TClassInfo Info = TClassDef<B>("TppGroupBand", &TppCustomBand::StaticClassInfo())
                                     .Prop("BottomOffset", &B::GetBottomOffset, &B::SetBottomOffset)
                                     .Stored(false)
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic)
                                     .Prop("PrintPosition", &B::GetPrintPosition, &B::SetPrintPosition)
                                     .Stored(false);
  return Info;
}

TppGroupBand::TppGroupBand(TComponent* AOwner) : TppCustomBand(AOwner) { ChangeHeight(0); }
TppGroupBand::~TppGroupBand() { BeforeDestruction(); }

void TppGroupBand::Destroying() {
  if (FGroup) Detach();
  FGroup = nullptr;
  TppCustomBand::Destroying();
}

void TppGroupBand::SetGroup(TppGroup* Value) {
  FGroup = Value;
  if (FGroup) SetCaption(LanguageString(DescriptionNumber()));
  GroupChanged();
}

void TppGroupBand::GroupChanged() {
  if (FGroup) SetCaption(GetDefaultCaption());
}

std::string TppGroupBand::GetDefaultCaption() const {
  if (!FGroup || !Report()) return {};
  std::string Text = LanguageString(DescriptionNumber()) + "[" + std::to_string(FGroup->GetGroupNo()) + "]: ";
  const std::string& Name = FGroup->BreakName();
  if (Name.empty())
    Text += LanguageString(FGroup->BreakType() == btCustomField ? 300 : 301);
  else if (TppDataPipeline* P = FGroup->DataPipeline())
    Text += P->GetFieldAlias(Name);
  else
    Text += Name;
  return Text;
}

TComponent* TppGroupBand::GetParentComponent() const { return FGroup; }

void TppGroupBand::SetParentComponent(TComponent* Value) {
  if (auto* G = dynamic_cast<TppGroup*>(Value)) SetGroup(G);
}

void TppGroupBand::PropertyChanged() {
  if (FGroup) TppCustomBand::PropertyChanged();
}

void TppGroupBand::Init() {
  TppCustomBand::Init();
  SetGeneration(false);
  FSaveGeneration = false;
}

void TppGroupBand::FillGroupRecord(TppBandCacheRecord& Record) const {
  FillCacheRecord(Record);
  Record.Reserved2[0] = Generation() ? 1 : 0;
}

void TppGroupBand::TakeGroupRecord(const TppBandCacheRecord& Record) {
  TakeCacheRecord(Record);
  SetGeneration(Record.Reserved2[0] != 0);
}

void TppGroupBand::SaveToCache(int Page) {
  TppBandCacheRecord R{};
  FillGroupRecord(R);
  WriteRecord(Page, R);
}

void TppGroupBand::RestoreFromCache(int Page) {
  TppBandCacheRecord R{};
  if (ReadRecord(Page, R)) TakeGroupRecord(R);
}

// ---- TppGroupHeaderBand

const TClassInfo& TppGroupHeaderBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppGroupHeaderBand>("TppGroupHeaderBand", &TppGroupBand::StaticClassInfo());
  return Info;
}

TppGroupHeaderBand::TppGroupHeaderBand(TComponent* AOwner) : TppGroupBand(AOwner) {
  SetCacheRecordSize(sizeof(TppGroupHeaderCacheRecord));
}

TppGroupHeaderBand::~TppGroupHeaderBand() { BeforeDestruction(); }

void TppGroupHeaderBand::Detach() {
  if (FGroup->HeaderBand() == this) FGroup->SetHeaderBand(nullptr);
}

void TppGroupHeaderBand::SetGroup(TppGroup* Value) {
  if (FGroup && FGroup != Value) Detach();
  TppGroupBand::SetGroup(Value);
  if (Value && Value->HeaderBand() != this) Value->SetHeaderBand(this);
}

std::string TppGroupHeaderBand::GetBandSortKey() const {
  return FGroup ? ppBandSortKey(4) + ppBandSortKey(FGroup->GetGroupNo()) : std::string();
}

uint16_t TppGroupHeaderBand::GetBandTypeBits() const {
  uint16_t Bits = pcGroupHeader;
  if (!FGroup) return Bits;
  if (FGroup->ReprintOnSubsequentPage()) Bits |= pcHeader;
  if (Report() && Report()->Columns() > 1 && FGroup->ReprintOnSubsequentColumn()) Bits |= pcColumnHeader;
  return Bits;
}

void TppGroupHeaderBand::Init() {
  TppGroupBand::Init();
  TppCustomEngine* E = Engine();
  // The first break starts with the report; it takes no page break when no page had started.
  FAlreadyPageBreak = !(E && E->GetPageStarted());
  FAlreadyColumnBreak = true;
  SetGeneration(true);
  SetSaveGeneration(true);
}

void TppGroupHeaderBand::CheckPrintOnPage() {
  TppCustomEngine* E = Engine();
  if (!E || !FGroup) {
    SetGenerationComplete(true);
    return;
  }
  const bool Gen = Generation();
  if (Gen) FGroup->SaveKeepTogetherState();
  const uint16_t Cond = E->PrintCondition();
  const int Page = E->AbsolutePageNo();
  bool Print;
  if (!Gen && (Cond & pcHeader) && FGroup->ReprintOnSubsequentPage() && Page >= FGroup->FirstPageNo())
    Print = true;
  else if (!Gen && (Cond & pcColumnHeader) && FGroup->ReprintOnSubsequentColumn() &&
           (Page > FGroup->FirstPageNo() ||
            (Page == FGroup->FirstPageNo() && E->CurrentColumn() > FGroup->FirstColumn())))
    Print = true;
  else if (E->EngineState() & (esPrintingTitle | esPrintingSummary))
    Print = false;
  else
    Print = Gen || GetOverFlow();
  SetGenerationComplete(!Print);
  if (!Print) return;

  CalcBandPrintPosition();
  const int32_t Free = GetPageBottom() - GetStartingPosition();
  const bool Columns = Report()->Columns() > 1;
  if (!FAlreadyPageBreak && !(Columns && FAlreadyColumnBreak)) {
    // Strictly below a threshold: a free space equal to it still prints here.
    if (Columns && Gen && FGroup->NewColumn()) {
      FAlreadyColumnBreak = true;
      SetOutOfSpace(true);
    } else if (Gen && FGroup->NewPage()) {
      FAlreadyPageBreak = true;
      SetOutOfSpace(true);
    } else if (Columns && Free < FGroup->mmNewColumnThreshold()) {
      FAlreadyColumnBreak = true;
      SetOutOfSpace(true);
    } else if (Free < FGroup->mmNewPageThreshold()) {
      FAlreadyPageBreak = true;
      SetOutOfSpace(true);
    }
  }
  if (GetOutOfSpace()) return;
  if (!Gen && !(Cond & pcTitle)) return;
  if (GetOverFlow()) return;
  FGroup->SetFirstPageNo(Page);
  FGroup->SetFirstColumn(E->CurrentColumn());
  E->AdvanceRecord();
}

void TppGroupHeaderBand::BeginBandGeneration() {
  if (FGroup && FGroup->Breaking()) FGroup->CheckBeforeGroupBreak();
  TppGroupBand::BeginBandGeneration();
}

void TppGroupHeaderBand::BeforeBandGenerate() {
  if (FGroup && !GetOverFlow() && !GetPartialGeneration()) FGroup->DoBeforeHeader();
  TppGroupBand::BeforeBandGenerate();
}

void TppGroupHeaderBand::CompleteGeneration() {
  TppGroupBand::CompleteGeneration();
  if (!Generation() || GetOverFlow() || GetOutOfSpace()) return;
  SetGeneration(false);
  if (FGroup) FGroup->SetBreaking(false);
  FAlreadyPageBreak = FAlreadyColumnBreak = false;
}

void TppGroupHeaderBand::SaveToCache(int Page) {
  TppGroupHeaderCacheRecord R{};
  FillGroupRecord(R.Band);
  R.Band.Reserved2[1] = FAlreadyColumnBreak ? 1 : 0;
  R.AlreadyPageBreak = FAlreadyPageBreak ? 1 : 0;
  WriteRecord(Page, R);
}

void TppGroupHeaderBand::RestoreFromCache(int Page) {
  TppGroupHeaderCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TakeGroupRecord(R.Band);
  FAlreadyColumnBreak = R.Band.Reserved2[1] != 0;
  FAlreadyPageBreak = R.AlreadyPageBreak != 0;
}

// ---- TppGroupFooterBand

const TClassInfo& TppGroupFooterBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppGroupFooterBand>("TppGroupFooterBand", &TppGroupBand::StaticClassInfo());
  return Info;
}

TppGroupFooterBand::TppGroupFooterBand(TComponent* AOwner) : TppGroupBand(AOwner) {}
TppGroupFooterBand::~TppGroupFooterBand() { BeforeDestruction(); }

void TppGroupFooterBand::Detach() {
  if (FGroup->FooterBand() == this) FGroup->SetFooterBand(nullptr);
}

void TppGroupFooterBand::SetGroup(TppGroup* Value) {
  if (FGroup && FGroup != Value) Detach();
  TppGroupBand::SetGroup(Value);
  if (Value && Value->FooterBand() != this) Value->SetFooterBand(this);
}

std::string TppGroupFooterBand::GetBandSortKey() const {
  return FGroup ? ppBandSortKey(6) + ppBandSortKey(99999998 - FGroup->GetGroupNo()) : std::string();
}

void TppGroupFooterBand::CheckPrintOnPage() {
  TppCustomEngine* E = Engine();
  bool Print;
  if (!Generation() && E && (E->PrintCondition() & pcSummary))
    Print = true;  // at the end of the report every group's footer prints
  else
    Print = Generation() || GetOverFlow();
  SetGenerationComplete(!Print);
}

void TppGroupFooterBand::BeforeBandGenerate() {
  if (FGroup && !GetOverFlow() && !GetPartialGeneration()) FGroup->DoBeforeFooter();
  TppGroupBand::BeforeBandGenerate();
}

void TppGroupFooterBand::CompleteGeneration() {
  TppGroupBand::CompleteGeneration();
  if (!Generation() || GetOverFlow() || GetOutOfSpace()) return;
  SetGeneration(false);
  if (FGroup) FGroup->EndBreak();
}

TppCustomBand* TppGroupFooterBand::CheckNewPage() {
  TppCustomEngine* E = Engine();
  if (E && FGroup && FGroup->GetGroupNo() == 0 && !GetOutOfSpace() && !E->AllDataTraversed() &&
      (E->PrintCondition() & pcGroupFooter))
    E->SetAdvanceRecordPending(true);
  return this;
}
