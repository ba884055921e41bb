#include "ppreport/generation/ppBands.h"

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBandEngine.h"

uint16_t ppBandKindBit(TppBandType Kind) {
  switch (Kind) {
    case btTitle: return pcTitle;
    case btSummary: return pcSummary;
    case btHeader:
    case btPageStyle: return pcHeader;
    case btFooter: return pcFooter;
    case btColumnHeader: return pcColumnHeader;
    case btColumnFooter: return pcColumnFooter;
    case btGroupHeader: return pcGroupHeader;
    case btGroupFooter: return pcGroupFooter;
    case btDetail: return pcDetail;
  }
  return 0;
}

std::string ppBandSortKey(int Number) { return Format("%8d", {Number}); }

// The band's own generation: every hook is the band's virtual operation.
class TppCustomBand::TOwnGeneration : public TppBandGeneration {
public:
  explicit TOwnGeneration(TppCustomBand* Band) { SetGenerationBand(Band); }
  void CheckPrintPosition() override { GenerationBand()->CheckPrintPosition(); }
  void CheckNewPage() override { GenerationBand()->CheckNewPage(); }
  void CompleteGeneration() override { GenerationBand()->CompleteGeneration(); }
  void AfterBandGenerate() override { GenerationBand()->AfterBandGenerate(); }
  void CheckPrintOnPage() override { GenerationBand()->CheckPrintOnPage(); }
  void BeforeBandGenerate() override { GenerationBand()->BeforeBandGenerate(); }
  void BeginBandGeneration() override { GenerationBand()->BeginBandGeneration(); }
  void CalcBandPrintPosition() override { GenerationBand()->CalcBandPrintPosition(); }
  void ExtensionHook(TppPage* Page) override { GenerationBand()->ExtensionHook(Page); }
  bool IsPageStartBand() override { return GenerationBand()->IsPageStartBand(); }
  void UpdateSpaceUsed() override { GenerationBand()->UpdateSpaceUsed(); }
};

const TClassInfo& TppCustomBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCustomBand>("TppCustomBand", &TppBand::StaticClassInfo());
  return Info;
}

TppCustomBand::TppCustomBand(TComponent* AOwner) : TppBand(AOwner), FGeneration(new TOwnGeneration(this)) {
  SetCacheRecordSize(sizeof(TppBandCacheRecord));
  State().PartialAdjustment = mmHeight();
}

TppCustomBand::~TppCustomBand() { BeforeDestruction(); }

TppBandGeneration& TppCustomBand::Generation() { return *FGeneration; }

TppCustomEngine* TppCustomBand::Engine() const { return Report() ? Report()->Engine() : nullptr; }

TppComponent* TppCustomBand::CurrentObject() const {
  TppCustomReport* R = Report();
  if (!R || !R->GetMainReport()->Printing()) return nullptr;
  return Generation().ResumeObject();
}

// ---- the common behaviour

void TppCustomBand::CheckPrintPosition() { Generation().BaseCheckPrintPosition(); }

TppCustomBand* TppCustomBand::CheckNewPage() { return this; }

void TppCustomBand::CompleteGeneration() {
  Generation().EndObjects();
  if (!GetOutOfSpace() || GetOverFlow()) DoAfterPrint();
}

void TppCustomBand::AfterBandGenerate() { DoAfterGenerate(); }

void TppCustomBand::CheckPrintOnPage() {}

void TppCustomBand::BeforeBandGenerate() { DoBeforeGenerate(); }

void TppCustomBand::BeginBandGeneration() {
  // A header shows the record that prints below it.
  if (IsPageStartBand())
    if (TppCustomEngine* E = Engine()) E->AdvanceRecord();
  Generation().BeginObjects();
  DoBeforePrint();
}

void TppCustomBand::CalcBandPrintPosition() { Generation().BaseCalcBandPrintPosition(); }

void TppCustomBand::ExtensionHook(TppPage*) {}

void TppCustomBand::UpdateSpaceUsed() { Generation().BaseUpdateSpaceUsed(); }

// ---- TppBand

void TppCustomBand::Generate() { Generation().RunGeneration(); }

void TppCustomBand::Init() {
  TppBand::Init();
  Generation().InitGeneration();
}

void TppCustomBand::SaveToCache(int Page) {
  TppBandCacheRecord R{};
  FillCacheRecord(R);
  WriteRecord(Page, R);
}

void TppCustomBand::RestoreFromCache(int Page) {
  TppBandCacheRecord R{};
  if (ReadRecord(Page, R)) TakeCacheRecord(R);
}

// ---- TppDetailBand

const TClassInfo& TppDetailBand::StaticClassInfo() {
  using B = TppDetailBand;
  static const TClassInfo Info = TClassDef<B>("TppDetailBand", &TppCustomBand::StaticClassInfo())
                                     .Prop("BandsPerRecord", &B::BandsPerRecord, &B::SetBandsPerRecord)
                                     .Default(1)
                                     .Prop("ColumnTraversal", &B::ColumnTraversal, &B::SetColumnTraversal)
                                     .Default(ctTopToBottom);
  return Info;
}

TppDetailBand::TppDetailBand(TComponent* AOwner) : TppCustomBand(AOwner) {
  SetCacheRecordSize(sizeof(TppDetailBandCacheRecord));
  SetPrintCount(0);  // the print mode of the kind
}

TppDetailBand::~TppDetailBand() { BeforeDestruction(); }

std::string TppDetailBand::GetDefaultCaption() const { return LanguageString(189); }

int TppDetailBand::BandsPerRecordCount() const { return FBandEngine ? FBandEngine->BandsPerRecordCount() : 1; }

TppBandGeneration& TppDetailBand::Generation() {
  if (FBandEngine) return *FBandEngine;
  return TppCustomBand::Generation();
}

void TppDetailBand::Init() {
  TppCustomReport* R = Report();
  // A new engine for the run; the old one goes only after its state is no longer reached.
  std::unique_ptr<TppDetailBandEngine> Engine;
  if (FColumnTraversal == ctLeftToRight && R && R->Columns() >= 2)
    Engine = std::make_unique<TppHorizontalBandEngine>();
  else
    Engine = std::make_unique<TppVerticalBandEngine>();
  Engine->SetBand(this);
  Engine->BeforePrint = [this](TObject*) { DoBeforePrint(); };
  Engine->AfterPrint = [this](TObject*) { DoAfterPrint(); };
  Engine->BeforeGenerate = [this](TObject*) { DoBeforeGenerate(); };
  Engine->AfterGenerate = [this](TObject*) { DoAfterGenerate(); };
  FBandEngine = std::move(Engine);
  FBandEngine->Init();
}

void TppDetailBand::Generate() {
  if (!FBandEngine) Init();
  FBandEngine->Generate();
}

void TppDetailBand::EndOfPage() {
  TppCustomBand::EndOfPage();
  if (FBandEngine) FBandEngine->EndOfPage();
}

void TppDetailBand::SaveToCache(int Page) {
  TppDetailBandCacheRecord R{};
  FillCacheRecord(R.Band);
  R.BandsPerRecordCount = BandsPerRecordCount();
  WriteRecord(Page, R);
}

void TppDetailBand::RestoreFromCache(int Page) {
  TppDetailBandCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TakeCacheRecord(R.Band);
  if (FBandEngine) FBandEngine->SetBandsPerRecordCount(R.BandsPerRecordCount);
}

// ---- start-up

void InitializeBandsUnit() {
  RegisterPPClasses({&TppDetailBand::StaticClassInfo()});
  RegisterEnumType("TppColumnTraversalType", EnumInfo<TppColumnTraversalType>());
}

void FinalizeBandsUnit() {
  UnregisterEnumType("TppColumnTraversalType");
  UnregisterPPClasses({&TppDetailBand::StaticClassInfo()});
}
