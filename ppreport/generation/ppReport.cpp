#include "ppreport/generation/ppReport.h"

#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppOutlineReportNodeCreator.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppChildReport.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppGroupBands.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppPageStyle.h"

namespace {
// Designer message of a report starting and ending to print to devices.
constexpr int ppdmReportPrinting = 1141;
constexpr int ppdmReportPrintingClass = 5050;

// A report made before the generation library was started has no engine; without this error its
// print run would end with no page and no word of why.
[[noreturn]] void RaiseNoEngine() {
  throw EPrintError("TppReport.PageRequestEvent: No engine assigned to this report; start the pp library "
                    "(InitializePPGeneration or a library above it) before making reports.");
}
}  // namespace

// ---- the report tree

IppSubReportParent* HoldingSubReport(const TppCustomReport& Report) {
  return dynamic_cast<IppSubReportParent*>(Report.Parent());
}

TppCustomReport* HoldingSubReportReport(const TppCustomReport& Report) {
  auto* Sub = dynamic_cast<TppComponent*>(Report.Parent());
  if (!Sub || !HoldingSubReport(Report)) return nullptr;
  auto* Band = dynamic_cast<TppBand*>(Sub->Band());
  return Band ? Band->Report() : nullptr;
}

// ---- TppBandedReport

TppBandedReport::TppBandedReport(TComponent* AOwner)
    : TppCustomReport(AOwner), FOutlineSettings(std::make_unique<TppOutlineReportSettings>(this)) {}

TppBandedReport::~TppBandedReport() { BeforeDestruction(); }

TppBand* TppBandedReport::GetDetailBand() {
  if (TppBand* B = FindBand(btDetail)) return B;
  return CreateBand(btDetail, 0);
}

namespace {
const TClassInfo* BandClass(TppBandType Kind) {
  switch (Kind) {
    case btHeader: return &TppHeaderBand::StaticClassInfo();
    case btTitle: return &TppTitleBand::StaticClassInfo();
    case btColumnHeader: return &TppColumnHeaderBand::StaticClassInfo();
    case btGroupHeader: return &TppGroupHeaderBand::StaticClassInfo();
    case btDetail: return &TppDetailBand::StaticClassInfo();
    case btGroupFooter: return &TppGroupFooterBand::StaticClassInfo();
    case btColumnFooter: return &TppColumnFooterBand::StaticClassInfo();
    case btSummary: return &TppSummaryBand::StaticClassInfo();
    case btFooter: return &TppFooterBand::StaticClassInfo();
    case btPageStyle: return &TppPageStyle::StaticClassInfo();
  }
  return nullptr;
}
}  // namespace

TppBand* TppBandedReport::CreateBand(TppBandType Kind, int GroupIndex) {
  const bool GroupBand = Kind == btGroupHeader || Kind == btGroupFooter;
  if (GetBand(Kind, GroupIndex)) return nullptr;
  TppGroup* Group = nullptr;
  if (GroupBand) {
    if (GroupIndex < 0 || GroupIndex >= GroupCount()) return nullptr;
    Group = GetGroups(GroupIndex);
  }
  const TClassInfo* Class = BandClass(Kind);
  if (!Class) return nullptr;
  auto* Band = dynamic_cast<TppBand*>(CreateUniqueComponent(this, *Class));
  if (!Band) return nullptr;
  if (GroupBand)
    static_cast<TppGroupBand*>(Band)->SetGroup(Group);
  else
    Band->SetReport(this);
  return Band;
}

void TppBandedReport::CreateMissingBands() {
  if (BandCount() == 0) CreateDefaultBands();
  if (!FindBand(btDetail)) CreateBand(btDetail, 0);
  for (int I = 0; I < GroupCount(); ++I) {
    TppGroup* G = GetGroups(I);
    if (!G->HeaderBand()) CreateBand(btGroupHeader, I);
    if (!G->FooterBand()) CreateBand(btGroupFooter, I);
  }
}

void TppBandedReport::StartJob() {
  CreateMissingBands();
  TppCustomReport::StartJob();
}

void TppBandedReport::IncludeEngineState(uint16_t Bits) {
  if (TppCustomEngine* E = Engine()) E->IncludeEngineState(Bits);
}

void TppBandedReport::ExcludeEngineState(uint16_t Bits) {
  if (TppCustomEngine* E = Engine()) E->ExcludeEngineState(Bits);
}

std::string TppBandedReport::GetReportCaption() const {
  if (!DataPipeline()) return LanguageString(374) + ": No Data Pipeline Assigned";
  return LanguageString(374) + ": " + DataPipeline()->GetUserName();
}

std::string TppBandedReport::GetSubReportKey() const {
  std::string Key;
  // Each sub-report up the tree adds its part, innermost first.
  for (const TppCustomReport* R = this; R;) {
    IppSubReportParent* Sub = HoldingSubReport(*R);
    if (!Sub) break;
    Key += Format("%8d", {Sub->GetSubReportCount()}) + "|";
    R = HoldingSubReportReport(*R);
  }
  return Key;
}

std::string TppBandedReport::GetStatus() const { return Publisher() ? Publisher()->GetStatus() : std::string(); }

void TppBandedReport::SetStatus(const std::string& Text) {
  if (Publisher()) Publisher()->SetStatus(Text);
}

std::vector<TComponent*> TppBandedReport::GetOutlineChildren() const {
  std::vector<TComponent*> List;
  GetSubReportsInPrintOrder(List);
  // Only what can take part in an outline (a holder of another kind has no node).
  std::erase_if(List, [](TComponent* C) { return !dynamic_cast<IppOutlineParticipant*>(C); });
  return List;
}

TComponent* TppBandedReport::GetOutlineParent() const { return dynamic_cast<TComponent*>(HoldingSubReport(*this)); }

const TClassInfo& TppBandedReport::GetNodeCreatorClass() const { return TppOutlineReportNodeCreator::StaticClassInfo(); }

void TppBandedReport::OutlineSettingsChanged() {
  SetModified(true);
  Reset();
}

bool TppBandedReport::IsLastBandGenerated() { return Engine() && Engine()->LastBandGenerated(); }

void TppBandedReport::SetOutlineSettings(const TppOutlineReportSettings* Value) {
  if (Value) FOutlineSettings->Assign(Value);
}

// ---- TppReport

TppAutoSearchDialogRunner& ReportAutoSearchDialogRunner() {
  static TppAutoSearchDialogRunner Runner;
  return Runner;
}

void SetAutoSearchDialogRunner(TppAutoSearchDialogRunner Runner) { ReportAutoSearchDialogRunner() = std::move(Runner); }

TppReport::TppReport(TComponent* AOwner) : TppBandedReport(AOwner), FCacheManager(new TppCacheManager(this)) {
  if (TppCustomEngine* E = Engine()) {
    E->OnPageStart = [this](TObject*) { FCacheManager->RestoreFromCache(Engine()->AbsolutePageNo() - 1); };
    E->OnInitialize = [this](TObject*) { FCacheManager->Reset(); };
    E->OnDataPipelineStatesSaved = [this](TObject*) { FCacheManager->SaveToCache(Engine()->AbsolutePageNo()); };
    E->OnGetLastPageCached = [this](TObject*, int& Last) { Last = FCacheManager->CachePageCount(); };
    EventMask().Include(ciEngineBeforeOpenDataPipelines);
    EventMask().Include(ciEngineAfterOpenDataPipelines);
    E->AddEventNotify(this);
  }
  EventMask().Include(ciReportGetAutoSearchValues);
  EventMask().Include(ciReportBeforeAutoSearchDialogCreate);
}

TppReport::~TppReport() { BeforeDestruction(); }

void TppReport::Destroying() {
  ResetPrinting();
  FreeAndNil(FAutoSearchDialog);
  for (TppAutoSearchField* F : std::vector<TppAutoSearchField*>(FAutoSearchFields)) {
    RemoveNotify(F);
    std::erase(FAutoSearchFields, F);
    F->Free();
  }
  if (FParameters) {
    TppParameterList* P = FParameters;
    FParameters = nullptr;
    RemoveNotify(P);
    P->Free();
  }
  if (TppCustomEngine* E = Engine()) E->RemoveEventNotify(this);
  TppBandedReport::Destroying();
}

TppAutoSearchField* TppReport::GetAutoSearchField(int Index) const {
  if (Index < 0 || Index >= GetAutoSearchFieldCount()) return nullptr;
  return FAutoSearchFields[static_cast<size_t>(Index)];
}

void TppReport::SetCachePages(bool Value) {
  if (FServingPageRequest || Value == FCachePages) return;
  FCachePages = Value;
  SetModified(true);
  Reset();
}

TppOutline* TppReport::Outline() {
  if (!FOutline) {
    FOutline = new TppOutline(this);
    FOutline->SetReport(this);
    FOutline->OnNodeCreate = [this](TObject* Sender, TObject* Node, bool& Accept) {
      OutlineNodeCreated(Sender, Node, Accept);
    };
  }
  return FOutline;
}

void TppReport::OutlineNodeCreated(TObject* Sender, TObject* Node, bool& Accept) {
  TraParamList Params;
  Params.AddParam("Node", vkClass, &TComponent::StaticClassInfo(), {}, true);
  Params.AddParam("Accept", vkBoolean, nullptr, {}, false, true);
  Params.BindConstParam(0, Node);
  Params.BindParam(1, &Accept);
  SendEventNotify(this, ciReportOutlineNodeCreate, &Params);
  if (OnOutlineNodeCreate) OnOutlineNodeCreate(Sender, Node, Accept);
}

TppParameterList* TppReport::GetParameters() {
  if (!FParameters) {
    auto* P = new TppParameterList(Owner() ? Owner() : this);
    P->SetParent(this);  // lands in FParameters through AddChild
  }
  return FParameters;
}

void TppReport::SetParameters(const TppParameterList* Value) { GetParameters()->Assign(Value); }

// ---- printing

void TppReport::Print() {
  if (!DoInitializeParameters()) return;
  if (!AutoSearchStep()) return;
  TppBandedReport::Print();
}

void TppReport::PrintDirect() { TppBandedReport::Print(); }

void TppReport::PrintToDevices() {
  SendDesignerMessage(ppdmReportPrinting, ppdmReportPrintingClass, 1);
  TFinally After([this] { SendDesignerMessage(ppdmReportPrinting, ppdmReportPrintingClass, 0); });
  TppCustomEngine* E = Engine();
  if (E && !(E->EngineState() & esInitialized) && !E->StopPrinting()) {
    Publisher()->SetCachePages(FCachePages);
    ResetChildEngines();
  }
  TppBandedReport::PrintToDevices();
}

void TppReport::PageRequestEvent(TObject* Sender, TppPageRequest* PageRequest) {
  TppBandedReport::PageRequestEvent(Sender, PageRequest);
  TppCustomEngine* E = Engine();
  if (!E) RaiseNoEngine();
  if (!(E->EngineState() & esInitialized) && FOutlineSettings->Enabled()) Outline()->Initialize();
  FServingPageRequest = true;
  try {
    // While pages are made the report is printing: guarded settings wait, and a preview closed or
    // cancelled meanwhile stops the engine.
    const bool WasPrinting = Printing();
    SetPrinting(true);
    TFinally Generated([this, WasPrinting] { SetPrinting(WasPrinting); });
    TppPage* Page = E->Page();
    // A paper changed since the pages were made: what was made no longer holds.
    if (!Page->PrinterSetup()->IsSamePaper(*PrinterSetup())) {
      Publisher()->ResetPageCache();
      E->Reset();
    }
    Page->SetPrinterSetup(PrinterSetup());
    Page->SetProducer(this);
    E->Generate(PageRequest);
    FServingPageRequest = false;
    if (E->StopPrinting()) E->Reset();
  } catch (...) {
    E->SetPrinting(false);
    E->Reset();
    FServingPageRequest = false;
    throw;
  }
  // No page exists: the run ends here.
  if (E->DonePrinting() && E->AbsolutePageCount() == 0 && HasNoDataBehavior(ndBlankPage)) {
    Cancel();
    Reset();
  }
}

void TppReport::Cancel() {
  TppBandedReport::Cancel();
  if (FActiveReport && FActiveReport != this) FActiveReport->Cancel();
  if (TppCustomEngine* E = Engine()) E->SetStopPrinting(true);
}

void TppReport::Reset() {
  TppBandedReport::Reset();
  if (!FServingPageRequest && FOutline) {
    TppOutline* O = FOutline;
    FOutline = nullptr;
    O->Free();
  }
}

void TppReport::EnginePageFinished() {
  if (Publisher() && Engine()) Publisher()->ReceivePage(Engine()->Page());
}

void TppReport::EngineEndPage() {
  TppBandedReport::EngineEndPage();
  // The tree so far goes into the page once the page's nodes are made (event 17 above).
  if (FOutline && FOutlineSettings->Enabled() && !PrintingAsSubReport()) FOutline->AddOutlineDrawCommand();
}

void TppReport::StartOfMainReport() {
  std::vector<TppDataPipeline*> Pipelines;
  GetDataPipelines(Pipelines);
  for (TppDataPipeline* P : Pipelines) P->InitializeTraversal(Pipelines);
  TppBandedReport::StartOfMainReport();
  if (TppDataPipeline* P = DataPipeline(); P && P->GetActive()) {
    P->ExcludeState(P->State());
    P->First();
  }
}

void TppReport::TruncateCache(int Pages) {
  FCacheManager->TruncateCache(Pages);
  if (TppCustomEngine* E = Engine()) E->ResetPageNumbers(Pages);
}

void TppReport::ResetChildEngines() {
  TSubReportList List;
  GetAllSubReports(List);
  for (auto& [Caption, Child] : List)
    if (Child && Child->Engine()) Child->Engine()->Reset();
}

void TppReport::SetSubReportsExpandAll(bool Value) {
  std::vector<TComponent*> Subs;
  TSubReportList List;
  GetAllSubReports(List);
  for (auto& [Caption, Child] : List)
    if (IppSubReportParent* Sub = Child ? HoldingSubReport(*Child) : nullptr) Sub->SetExpandAll(Value);
}

// ---- the report tree

TppCustomReport* TppReport::GetMainReport() {
  return ParentReport() ? ParentReport()->GetMainReport() : this;
}

void TppReport::ChildReportLoaded(TppCustomReport* Child) {
  if (ChildReportLoadedHook) ChildReportLoadedHook(this, Child);
}

void TppReport::SetLanguage(TppLanguageType Value) {
  const TppLanguageType Old = Language();
  TppBandedReport::SetLanguage(Value);
  if (!Reading() && Language() != Old) LanguageChanged();
}

void TppReport::Loaded() {
  TppBandedReport::Loaded();
  LanguageChanged();
}

void TppReport::ChangeOwner(TComponent* NewOwner) {
  if (NewOwner == Owner()) return;
  TppBandedReport::ChangeOwner(NewOwner);
  if (FParameters && NewOwner && FParameters->Owner() != NewOwner) FParameters->ChangeOwner(NewOwner);
}

void TppReport::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppBandedReport::Notify(Partner, Operation);
  if (Operation != ppopRemove) return;
  if (auto* F = dynamic_cast<TppAutoSearchField*>(Partner)) std::erase(FAutoSearchFields, F);
  if (Partner == FParameters) FParameters = nullptr;
  if (Partner == FOutline) FOutline = nullptr;
}

void TppReport::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppBandedReport::EventNotify(Sender, EventID, Params);
  if (Sender == Engine()) {
    if (EventID == ciEngineBeforeOpenDataPipelines) DoBeforeOpenDataPipelines();
    if (EventID == ciEngineAfterOpenDataPipelines) DoAfterOpenDataPipelines();
    return;
  }
  if (Sender == this) return;
  if (EventID == ciReportGetAutoSearchValues) DoGetAutoSearchValues();
  if (EventID == ciReportBeforeAutoSearchDialogCreate) DoBeforeAutoSearchDialogCreate();
}

// ---- the steps

void TppReport::AutoSearchDialogCloseEvent(TObject*) { DoAutoSearchDialogClose(); }

void TppReport::DoAfterOpenDataPipelines() {
  if (AfterOpenDataPipelines) AfterOpenDataPipelines(this);
  SendEventNotify(this, ciEngineAfterOpenDataPipelines, nullptr);
}

void TppReport::DoBeforeOpenDataPipelines() {
  if (BeforeOpenDataPipelines) BeforeOpenDataPipelines(this);
  SendEventNotify(this, ciEngineBeforeOpenDataPipelines, nullptr);
}

void TppReport::DoAfterAutoSearchDialogCreate() {
  if (AfterAutoSearchDialogCreate) AfterAutoSearchDialogCreate(this);
  SendEventNotify(this, ciReportAfterAutoSearchDialogCreate, nullptr);
}

void TppReport::DoBeforeAutoSearchDialogCreate() {
  if (BeforeAutoSearchDialogCreate) BeforeAutoSearchDialogCreate(this);
  SendEventNotify(this, ciReportBeforeAutoSearchDialogCreate, nullptr);
}

void TppReport::DoAutoSearchDialogClose() {
  if (OnAutoSearchDialogClose) OnAutoSearchDialogClose(this);
  SendEventNotify(this, ciReportAutoSearchDialogClose, nullptr);
}

void TppReport::DoGetAutoSearchValues() {
  if (OnGetAutoSearchValues) OnGetAutoSearchValues(this);
  SendEventNotify(this, ciReportGetAutoSearchValues, nullptr);
}

bool TppReport::DoInitializeParameters() {
  bool Cancel = false;
  if (OnInitializeParameters) OnInitializeParameters(this, Cancel);
  TraParamList Params;
  Params.AddParam("aCancel", vkBoolean, nullptr, {}, false, true);
  Params.BindParam(0, &Cancel);
  SendEventNotify(this, ciReportInitializeParameters, &Params);
  return !Cancel;
}

// ---- start-up

void InitializeReportUnit() {
  RegisterPPClasses({&TppReport::StaticClassInfo(), &TppChildReport::StaticClassInfo()});
}

void FinalizeReportUnit() {
  UnregisterPPClasses({&TppChildReport::StaticClassInfo(), &TppReport::StaticClassInfo()});
}
