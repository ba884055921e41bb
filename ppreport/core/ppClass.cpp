#include "ppreport/core/ppClass.h"

#include <algorithm>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppTemplate.h"

namespace {
TppEngineFactory& EngineFactory() {
  static TppEngineFactory Factory;
  return Factory;
}
}  // namespace

void SetReportEngineFactory(TppEngineFactory Factory) { EngineFactory() = std::move(Factory); }
const TppEngineFactory& ReportEngineFactory() { return EngineFactory(); }

TppCustomReport::TppCustomReport(TComponent* AOwner)
    : TppProducer(AOwner), FTemplate(std::make_unique<TppReportTemplate>(this)) {
  EventMask().Include(ciReportPipelineNotice);
  FEditedColumnPositions.OnChange = [this](TObject*) { ColumnPositionsChanged(); };
  if (const TppEngineFactory& Make = ReportEngineFactory()) SetEngine(Make(*this));
  PrinterSetup()->SetDocumentName(GetUserName());
}

TppCustomReport::~TppCustomReport() { BeforeDestruction(); }

void TppCustomReport::Destroying() {
  ClearCaches();
  SendDesignerMessage(ppdmReportFree, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
  if (FEngine && FEngine->Printing()) FEngine->SetStopPrinting(true);
  // Cache managers go first: they hold the cacheables below.
  while (!FCacheManagers.empty()) delete FCacheManagers.back();
  FreeBands();
  if (FDataPipeline) {
    FDataPipeline->RemoveEventNotify(this);
    RemoveNotify(FDataPipeline);
  }
  FDataPipeline = nullptr;
  if (FParentReport) RemoveNotify(FParentReport);
  FParentReport = nullptr;
  SetEngine(nullptr);
  TppProducer::Destroying();
}

void TppCustomReport::SetEngine(TppCustomEngine* Engine) {
  if (Engine == FEngine) return;
  if (FEngine) {
    TppCustomEngine* Old = FEngine;
    FEngine = nullptr;
    Old->Free();
  }
  FEngine = Engine;
  if (!Engine) return;
  if (Engine->Owner() != this) InsertComponent(Engine);
  Engine->OnEndPage = [this](TObject*) { EngineEndPage(); };
  Engine->OnPageFinished = [this](TObject*) { EnginePageFinished(); };
}

// ---- bands and groups

void TppCustomReport::AddBand(TppBand* Band) {
  if (!Band || std::find(FBands.begin(), FBands.end(), Band) != FBands.end()) return;
  FBands.push_back(Band);
  if (Owner() && Band->Owner() != Owner()) Band->ChangeOwner(Owner());
  SortBands();
  SendEventNotify(Band, ciReportBandAdd, nullptr);
  Reset();
}

void TppCustomReport::RemoveBand(TppBand* Band) {
  if (std::erase(FBands, Band) == 0) return;
  SortBands();
  SendEventNotify(Band, ciReportBandRemove, nullptr);
  Reset();
}

void TppCustomReport::SortBands() {
  Reset();
  // Keys are right-aligned numbers, so text order is numeric order; stable keeps the order of
  // equal keys as it was.
  std::stable_sort(FBands.begin(), FBands.end(), [](const TppBand* A, const TppBand* B) {
    return UpperCaseAscii(A->GetBandSortKey()) < UpperCaseAscii(B->GetBandSortKey());
  });
}

TppBand* TppCustomReport::GetBands(int Index) const {
  if (Index < 0 || Index >= BandCount()) throw EListError(Format(SListIndexError, {Index}));
  return FBands[static_cast<size_t>(Index)];
}

int TppCustomReport::IndexOfBand(const TppBand* Band) const {
  auto It = std::find(FBands.begin(), FBands.end(), Band);
  return It == FBands.end() ? -1 : static_cast<int>(It - FBands.begin());
}

TppBand* TppCustomReport::GetBand(int BandType, int GroupIndex) const {
  if (BandType == btGroupHeader || BandType == btGroupFooter) {
    if (GroupIndex < 0 || GroupIndex >= GroupCount()) return nullptr;
    TppGroup* G = FGroups[static_cast<size_t>(GroupIndex)];
    return BandType == btGroupHeader ? G->HeaderBand() : G->FooterBand();
  }
  if (BandType < btHeader || BandType > btPageStyle) return nullptr;
  for (TppBand* B : FBands)
    if (B->GetBandType() == BandType) return B;
  return nullptr;
}

void TppCustomReport::AddGroup(TppGroup* Group) {
  if (!Group || std::find(FGroups.begin(), FGroups.end(), Group) != FGroups.end()) return;
  FGroups.push_back(Group);
  if (Owner() && Group->Owner() != Owner()) Group->ChangeOwner(Owner());
  Reset();
}

void TppCustomReport::RemoveGroup(TppGroup* Group) {
  if (std::erase(FGroups, Group) == 0) return;
  const std::vector<TppGroup*> Left(FGroups);
  for (TppGroup* G : Left) G->RefreshBands();
  SortBands();
  for (TppGroup* G : Left) G->NotifyBandsMoved();
  Reset();
}

TppGroup* TppCustomReport::GetGroups(int Index) const {
  if (Index < 0 || Index >= GroupCount()) throw EListError(Format(SListIndexError, {Index}));
  return FGroups[static_cast<size_t>(Index)];
}

int TppCustomReport::IndexOfGroup(const TppGroup* Group) const {
  auto It = std::find(FGroups.begin(), FGroups.end(), Group);
  return It == FGroups.end() ? -1 : static_cast<int>(It - FGroups.begin());
}

TppComponent* TppCustomReport::FindObjectByName(const std::string& Name) const {
  for (TppBand* B : FBands) {
    int Index = -1;
    if (B->FindObjectByName(Name, Index)) return B->GetObjects(Index);
  }
  return nullptr;
}

bool TppCustomReport::FindObjectByName(const std::string& Name, int& BandIndex, int& ObjectIndex) const {
  for (size_t I = 0; I < FBands.size(); ++I)
    if (int Index = -1; FBands[I]->FindObjectByName(Name, Index)) {
      BandIndex = static_cast<int>(I);
      ObjectIndex = Index;
      return true;
    }
  BandIndex = ObjectIndex = 0;
  return false;
}

// ---- settings

void TppCustomReport::SetUnits(TppUnitType Value) {
  FUnits = Value;
  PrinterSetup()->SetUnits(Value);
  for (TppGroup* G : FGroups) G->SetUnits(Value);
  for (TppBand* B : FBands) B->SetUnits(Value);
  if (!ReadingOrLoading()) SendDesignerMessage(ppdmUnitsChange, ppdmMessageClass, Value);
}

void TppCustomReport::SetPageLimit(int Value) {
  FPageLimit = Value;
  Reset();
}

void TppCustomReport::SetPassSetting(TppPassSettingType Value) {
  FPassSetting = Value;
  SetModified(true);
  Reset();
}

void TppCustomReport::SetNoDataBehaviors(TppNoDataBehaviors Value) {
  constexpr TppNoDataBehaviors Page = 1u << ndBlankPage, Report = 1u << ndBlankReport,
                               OnPage = 1u << ndMessageOnPage;
  if ((FNoDataBehaviors & Page) && (Value & Report)) Value &= static_cast<TppNoDataBehaviors>(~Page);
  if ((FNoDataBehaviors & Report) && (Value & Page)) Value &= static_cast<TppNoDataBehaviors>(~Report);
  FNoDataBehaviors = Value;
  if (!(Value & (Page | Report))) FNoDataBehaviors |= Page;
  if ((FNoDataBehaviors & Page) && (FNoDataBehaviors & OnPage))
    FNoDataBehaviors &= static_cast<TppNoDataBehaviors>(~OnPage);
  Reset();
}

void TppCustomReport::SetModified(bool Value) {
  if (ReadingOrLoading() || (DesignState() & dsUpdating)) return;
  FModified = Value;
  if (GetReportDesigner() && FindComponentCreator()) DesignerModified();
}

void TppCustomReport::BeginUpdate() {
  if (FUpdateCount++ > 0) return;
  AddDesignState(dsUpdating);
  SendDesignerMessage(ppdmBeginUpdate, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
}

void TppCustomReport::EndUpdate() {
  if (FUpdateCount <= 0 || --FUpdateCount > 0) return;
  RemoveDesignState(dsUpdating);
  SendDesignerMessage(ppdmEndUpdate, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
}

void TppCustomReport::AddDesignState(uint16_t Flags) {
  TppProducer::AddDesignState(Flags);
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->AddDesignState(Flags);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->AddDesignState(Flags);
  if (FEngine) FEngine->AddDesignState(Flags);
}

void TppCustomReport::RemoveDesignState(uint16_t Flags) {
  TppProducer::RemoveDesignState(Flags);
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->RemoveDesignState(Flags);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->RemoveDesignState(Flags);
  if (FEngine) FEngine->RemoveDesignState(Flags);
}

void TppCustomReport::SendDesignerMessage(int Msg, intptr_t Arg1, intptr_t Arg2) {
  const TppCustomReport* Main = GetMainReport();
  if (!Main || !Main->Printing()) TppProducer::SendDesignerMessage(Msg, Arg1, Arg2);
}

void TppCustomReport::NotifyPropertyChange4() { SendNotify(this, ppopReportPropertyChange); }

// ---- the report tree

TppCustomReport* TppCustomReport::GetMainReport() {
  TppCustomReport* R = this;
  while (R->FParentReport) R = R->FParentReport;
  return R;
}

void TppCustomReport::SetParentReport(TppCustomReport* Report) {
  if (Report == FParentReport) return;
  // A report above itself would make every walk to the main report endless.
  for (TppCustomReport* R = Report; R; R = R->FParentReport)
    if (R == this) throw ETalvorError(ppErrorText("TppCustomReport", "SetParentReport", SppParentReportCycle));
  if (FParentReport) RemoveNotify(FParentReport);
  FParentReport = Report;
  if (Report) {
    AddNotify(Report);
    SetReportDesigner(Report->GetReportDesigner());
  }
}

template <class F>
void TppCustomReport::ForEachChildReport(F&& Visit) const {
  TSubReportList SubReports;
  GetSubReports(SubReports);
  for (auto& Entry : SubReports) Visit(*Entry.second);
}

// ---- the engine

int TppCustomReport::AbsolutePageNo() const { return Engine() ? Engine()->AbsolutePageNo() : 0; }
int TppCustomReport::AbsolutePageCount() const { return Engine() ? Engine()->AbsolutePageCount() : 0; }
int TppCustomReport::PageNo() const { return Engine() ? Engine()->GetPageNo() : 0; }
int TppCustomReport::PageCount() const { return Engine() ? Engine()->GetPageCount() : 0; }
int TppCustomReport::CurrentColumn() const { return Engine() ? Engine()->CurrentColumn() : 0; }
bool TppCustomReport::DonePrinting() const { return Engine() && Engine()->DonePrinting(); }
bool TppCustomReport::FirstPass() const { return Engine() && Engine()->FirstPass(); }
bool TppCustomReport::SecondPass() const { return Engine() && Engine()->SecondPass(); }
TDateTime TppCustomReport::PrintDateTime() const { return Engine() ? Engine()->PrintDateTime() : 0; }
int TppCustomReport::ReportBandCount() const { return Engine() ? Engine()->ReportBandCount() : 0; }
int TppCustomReport::PageBandCount() const { return Engine() ? Engine()->PageBandCount() : 0; }

bool TppCustomReport::IsFirstUncachedPage() const {
  TppCustomEngine* E = Engine();
  return !E || E->IsFirstUncachedPage();
}

bool TppCustomReport::GetMainReportPageIsNew() const { return GetMainReport()->IsFirstUncachedPage(); }

void TppCustomReport::StopEngine() {
  if (TppCustomEngine* E = Engine()) E->Stop();
}

void TppCustomReport::PageLimitReached() {
  if (TppCustomEngine* E = Engine()) E->PageLimitReached();
}

void TppCustomReport::EngineEndPage() {
  DoOnEndPage();
  if (FPageLimit > 0 && AbsolutePageNo() >= FPageLimit) PageLimitReached();
}

// ---- report events

void TppCustomReport::FireReportEvent(const TNotifyEvent& Callback, int EventID) {
  if (Callback) Callback(this);
  SendEventNotify(this, EventID, nullptr);
}

void TppCustomReport::DoOnStartFirstPass() { FireReportEvent(OnStartFirstPass, ciReportStartFirstPass); }
void TppCustomReport::DoOnEndFirstPass() { FireReportEvent(OnEndFirstPass, ciReportEndFirstPass); }
void TppCustomReport::DoOnStartSecondPass() { FireReportEvent(OnStartSecondPass, ciReportStartSecondPass); }
void TppCustomReport::DoOnEndSecondPass() { FireReportEvent(OnEndSecondPass, ciReportEndSecondPass); }
void TppCustomReport::DoOnStartPage() { FireReportEvent(OnStartPage, ciReportStartPage); }
void TppCustomReport::DoOnEndPage() { FireReportEvent(OnEndPage, ciReportEndPage); }
void TppCustomReport::DoOnStartColumn() { FireReportEvent(OnStartColumn, ciReportStartColumn); }
void TppCustomReport::DoOnEndColumn() { FireReportEvent(OnEndColumn, ciReportEndColumn); }
void TppCustomReport::NotifyStartOfReport() { SendEventNotify(this, ciReportGenerationStart, nullptr); }

void TppCustomReport::DoOnNoData(TObject* Dialog, bool& ShowDialog, TObject* DrawCommand, bool& AddDrawCommand) {
  if (OnNoData) OnNoData(this, Dialog, ShowDialog, DrawCommand, AddDrawCommand);
  bool Show = ShowDialog, Add = AddDrawCommand;
  {
    TraParamList Params;
    Params.AddParam("aDialog", vkClass, &TComponent::StaticClassInfo(), {}, true);
    Params.AddParam("aShowDialog", vkBoolean, nullptr, {}, false, true);
    Params.AddParam("aDrawCommand", vkClass, &TppDrawCommand::StaticClassInfo(), {}, true);
    Params.AddParam("aAddDrawCommand", vkBoolean, nullptr, {}, false, true);
    Params.BindConstParam(0, Dialog);
    Params.BindParam(1, &Show);
    Params.BindConstParam(2, DrawCommand);
    Params.BindParam(3, &Add);
    SendEventNotify(this, ciReportNoData, &Params);
  }
  ShowDialog = Show;
  AddDrawCommand = Add;
}

// ---- report-wide steps

void TppCustomReport::StartOfMainReport() {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->StartOfMainReport();
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->PrepareKeepTogether();
}

void TppCustomReport::EndOfMainReport() {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->EndOfMainReport();
}

void TppCustomReport::StartOfGeneration() {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->StartOfGeneration();
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->StartOfGeneration();
}

void TppCustomReport::EndOfPage() {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->EndOfPage();
}

void TppCustomReport::LanguageChanged() {
  TppProducer::LanguageChanged();
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->LanguageChanged();
  FTemplate->SetLanguageIndex(LanguageIndex());
  SendDesignerMessage(ppdmLanguageChange, ppdmMessageClass, 0);
  SendNotify(this, ppopLanguageChange);
}

void TppCustomReport::LayoutChanged() {
  TppProducer::LayoutChanged();
  ColumnsChanged();
}

void TppCustomReport::PrinterSetupChanged() {
  TppProducer::PrinterSetupChanged();
  PrinterSetup()->SetUnits(FUnits);
  for (TppBand* B : FBands)
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      TppComponent* C = B->GetObjects(I);
      if (TppCustomReport* Child = C->IsSubReport() ? C->ChildReport() : nullptr)
        if (C->ParentPrinterSetup()) Child->SetPrinterSetup(PrinterSetup());
    }
}

// ---- page-state caches

void TppCustomReport::ClearCaches() {
  if (FParentReport) FParentReport->ClearCaches();
  for (TppCacheManager* M : std::vector<TppCacheManager*>(FCacheManagers)) {
    M->SetTruncateNotices(true);
    M->TruncateCache(0);
  }
}

void TppCustomReport::RegisterCacheManager(TppCacheManager* Manager) {
  if (std::find(FCacheManagers.begin(), FCacheManagers.end(), Manager) != FCacheManagers.end()) return;
  FCacheManagers.push_back(Manager);
  AddNotify(Manager);
}

void TppCustomReport::UnregisterCacheManager(TppCacheManager* Manager) {
  if (std::erase(FCacheManagers, Manager)) RemoveNotify(Manager);
}

void TppCustomReport::GetCacheables(const std::function<void(TppCacheable*)>& Add) {
  if (TppCustomEngine* E = Engine()) Add(E);
  for (TppGroup* G : FGroups) Add(G);
  std::vector<TppCustomReport*> Children;
  for (TppBand* B : FBands) {
    Add(B);
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      TppComponent* C = B->GetObjects(I);
      Add(C);
      if (TppCustomReport* Child = C->IsSubReport() ? C->ChildReport() : nullptr) Children.push_back(Child);
    }
  }
  // A sub-report's page state lives in its child report's objects.
  for (TppCustomReport* Child : Children) Child->GetCacheables(Add);
}

// ---- printing

void TppCustomReport::Reset() {
  TppProducer::Reset();
  if (TppCustomEngine* E = Engine(); E && !ReadingOrLoading() && !Producing()) E->Reset();
}

bool TppCustomReport::IsPrintToDevice() const {
  const TppPublisher* P = GetMainReport()->Publisher();
  if (!P) return false;
  for (int I = 0; I < P->GetDeviceCount(); ++I)
    if (!SameTextAscii(P->GetDevice(I)->ClassName(), "TppScreenDevice")) return true;
  return false;
}

void TppCustomReport::BeginPrinting() {
  TppProducer::BeginPrinting();
  ForEachChildReport([](TppCustomReport& Child) { Child.BeginPrinting(); });
}

void TppCustomReport::NotifyEndPrinting() {
  TppProducer::NotifyEndPrinting();
  ForEachChildReport([](TppCustomReport& Child) { Child.NotifyEndPrinting(); });
}

void TppCustomReport::ResetPrinting() {
  ForEachChildReport([](TppCustomReport& Child) {
    Child.EndPrinting();
    Child.ResetPrinting();
  });
  EndPrinting();
  TppProducer::ResetPrinting();
}

void TppCustomReport::PrintError(const std::string& Message) {
  TppProducer::PrintError();
  TppCustomEngine* E = Engine();
  if (E && E->Printing()) E->SetStopPrinting(true);
  if (E && E->SilentExceptions()) return;
  throw EPrintError(LanguageString(1023) + "\r\n\r\n" + Message);
}
