#include "ppreport/generation/ppBands.h"

#include "platform/classes/Filer.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppReaderUtils.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBandEngine.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"

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

// ---- TppBasicBand

const TClassInfo& TppBasicBand::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppBasicBand>("TppBasicBand", &TppCustomBand::StaticClassInfo());
  return Info;
}

TppBasicBand::~TppBasicBand() { BeforeDestruction(); }

// ---- TppDetailBand

const TClassInfo& TppDetailBand::StaticClassInfo() {
  using B = TppDetailBand;
  static const TClassInfo Info = TClassDef<B>("TppDetailBand", &TppBasicBand::StaticClassInfo())
                                     .Prop("BandsPerRecord", &B::BandsPerRecord, &B::SetBandsPerRecord)
                                     .Default(1)
                                     .Prop("ColumnTraversal", &B::ColumnTraversal, &B::SetColumnTraversal)
                                     .Default(ctTopToBottom)
                                     .Prop("BottomOffset", &B::GetBottomOffset, &B::SetBottomOffset)
                                     .Stored(false)
                                     .Prop("PrintCount", &B::PrintCount, &B::SetPrintCount)
                                     .Default(0)
                                     .Prop("PrintHeight", &B::PrintHeight, &B::SetPrintHeight)
                                     .Default(phStatic)
                                     .Prop("PrintPosition", &B::GetPrintPosition, &B::SetPrintPosition)
                                     .Stored(false);
  return Info;
}

TppDetailBand::TppDetailBand(TComponent* AOwner) : TppBasicBand(AOwner) {
  SetCacheRecordSize(sizeof(TppDetailBandCacheRecord));
  SetPrintCount(0);  // the print mode of the kind
  // What the state reads before the first run made a band engine.
  TppBandGenerationState& S = State();
  S.GenerationComplete = true;
  S.ObjectListIndex = S.ObjectIndex = -1;
}

TppDetailBand::~TppDetailBand() { BeforeDestruction(); }

void TppDetailBand::Destroying() {
  if (FDataPipeline) {
    RemoveNotify(FDataPipeline);
    FDataPipeline = nullptr;
  }
  FBandEngine.reset();
  TppBasicBand::Destroying();
}

void TppDetailBand::SetBandsPerRecord(int Value) {
  FBandsPerRecord = Value < 1 ? 1 : Value;
  Reset();
}

void TppDetailBand::SetColumnTraversal(TppColumnTraversalType Value) {
  FColumnTraversal = Value;
  Reset();
  if (PrintHeight() == phDynamic && Value == ctLeftToRight) TppBasicBand::SetPrintHeight(phStatic);
}

void TppDetailBand::SetPrintHeight(TppPrintHeightType Value) {
  if (Value == phDynamic && FColumnTraversal == ctLeftToRight) return;
  TppBasicBand::SetPrintHeight(Value);
}

TppDataPipeline* TppDetailBand::GetDataPipeline() const {
  return FDataPipeline ? FDataPipeline : TppBasicBand::GetDataPipeline();
}

void TppDetailBand::SetDataPipeline(TppDataPipeline* Value) {
  if (Report() && Value == Report()->DataPipeline()) return;
  if (Value == FDataPipeline) return;
  // The objects that followed the band (its own pipeline or the report's) follow it on.
  TppDataPipeline* Old = GetDataPipeline();
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = Value;
  if (Value) AddNotify(Value);
  Reset();
  if (IsReadingOrLoading() || (DesignState() & 128)) return;
  FDataPipelineName = Value ? Value->Name() : std::string();
  for (int I = 0; I < GetObjectCount(); ++I) {
    TppComponent* C = GetObjects(I);
    if (!C->IsDataAware() || !C->ParentDataPipeline()) continue;
    TppDataPipeline* Own = C->GetDataPipeline();
    const bool Take =
        Own ? Own == Old : C->DataField().empty() || (Value && Value->IndexOfFieldName(C->DataField()) != -1);
    if (Take) C->SetDataPipeline(Value);
  }
}

void TppDetailBand::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppBasicBand::Notify(Partner, Operation);
  if (!Partner) return;
  if (Partner != FDataPipeline) return;
  if (Operation == ppopRemove) {
    FDataPipeline = nullptr;
    Reset();
  } else if (Operation == ppopDataChange) {
    Reset();
  }
}

void TppDetailBand::ResolveDataPipeline(const TppDataPipelineList& List) {
  if (!FDataPipeline && !FDataPipelineName.empty())
    if (TppDataPipeline* P = List.GetDataPipelineForName(FDataPipelineName)) SetDataPipeline(P);
  TppBasicBand::ResolveDataPipeline(List);
}

void TppDetailBand::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  if (FDataPipeline && FDataPipeline->GetUserName() == UserName) SetDataPipeline(NewPipeline);
  TppBasicBand::ReplaceDataPipeline(NewPipeline, UserName);
}

void TppDetailBand::DefineProperties(TFiler* Filer) {
  TppBasicBand::DefineProperties(Filer);
  const auto* Anc = dynamic_cast<const TppDetailBand*>(Filer->Ancestor());
  const std::string Name = FDataPipeline ? FDataPipeline->Name() : std::string();
  const bool Store = FDataPipeline && !(Anc && Anc->FDataPipeline && Anc->FDataPipeline->Name() == Name);
  Filer->DefineProperty(
      "DataPipeline", [this](TReader& R) { FDataPipelineName = R.ReadIdent(); },
      [Name](TWriter& W) { W.WriteIdent(Name); }, Store);
  // Properties of older streams.
  Filer->DefineProperty(
      "DataSource", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty(
      "NoRecordsAction", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
  Filer->DefineProperty(
      "SkipWhenNoRecords", [](TReader& R) { R.ReadBoolean(); }, nullptr, false);
}

void TppDetailBand::ReadState(TReader& Reader) {
  FDataPipelineName = TppHReaderUtils::PeekIdentProperty(Reader, "DataPipeline");
  TppBasicBand::ReadState(Reader);
}

std::string TppDetailBand::GetDefaultCaption() const { return LanguageString(189); }

int TppDetailBand::BandsPerRecordCount() const { return FBandEngine ? FBandEngine->BandsPerRecordCount() : 0; }

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
  RegisterPPClasses({&TppHeaderBand::StaticClassInfo(), &TppTitleBand::StaticClassInfo(),
                     &TppDetailBand::StaticClassInfo(), &TppSummaryBand::StaticClassInfo(),
                     &TppFooterBand::StaticClassInfo(), &TppGroupHeaderBand::StaticClassInfo(),
                     &TppGroupFooterBand::StaticClassInfo(), &TppColumnHeaderBand::StaticClassInfo(),
                     &TppColumnFooterBand::StaticClassInfo()});
  RegisterEnumType("TppColumnTraversalType", EnumInfo<TppColumnTraversalType>());
}

void FinalizeBandsUnit() {
  UnregisterEnumType("TppColumnTraversalType");
  UnregisterPPClasses({&TppHeaderBand::StaticClassInfo(), &TppTitleBand::StaticClassInfo(),
                       &TppDetailBand::StaticClassInfo(), &TppSummaryBand::StaticClassInfo(),
                       &TppFooterBand::StaticClassInfo(), &TppGroupHeaderBand::StaticClassInfo(),
                       &TppGroupFooterBand::StaticClassInfo(), &TppColumnHeaderBand::StaticClassInfo(),
                       &TppColumnFooterBand::StaticClassInfo()});
}
