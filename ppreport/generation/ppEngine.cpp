// TppEngine, the run: construction, simple answers, the band lists, serving a request, the page
// loop, initialisation, passes, the draw decision and the page properties.
#include "ppreport/generation/ppEngine.h"

#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/generation/ppEngineBands.h"

const TClassInfo& TppEngine::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppEngine>("TppEngine", &TppCustomEngine::StaticClassInfo());
  return Info;
}

TppEngine::TppEngine(TComponent* AOwner) : TppCustomEngine(AOwner), FPageRequest(std::make_unique<TppPageRequest>()) {
  SetCacheRecordSize(CacheRecordBytes);
  EventMask().Include(ciPipelineEngineNotice);
  IncludeEngineState(esInitialized);
  Reset();
}

TppEngine::~TppEngine() { BeforeDestruction(); }

void TppEngine::Destroying() {
  FreeAndNil(FNoDataText);
  // The pipelines stay open: they are the caller's.
  StopListeningTo(FMasterPipeline);
  StopListeningTo(FDetailPipeline);
  for (TppDataPipeline* P : FLookupPipelines) StopListeningTo(P);
  FMasterPipeline = FDetailPipeline = nullptr;
  FLookupPipelines.clear();
  for (auto& L : FBandLists) L.clear();
  TppCustomEngine::Destroying();
}

// Asked many times a record: the class table answers what a dynamic cast would, for less.
TppCustomReport* TppEngine::CustomReport() const {
  TComponent* R = Report();
  return R && R->InheritsFrom(TppCustomReport::StaticClassInfo()) ? static_cast<TppCustomReport*>(R) : nullptr;
}

bool TppEngine::IsChildEngine() const {
  TppCustomReport* R = CustomReport();
  return R && (R->IsChildReport() || R->PrintingAsSubReport());
}

TppBand* TppEngine::DetailBand() const {
  TppCustomReport* R = CustomReport();
  return R ? R->GetDetailBand() : nullptr;
}

void TppEngine::ProcessMessages() {
  if (TppCustomReport* R = CustomReport()) R->ProcessMessages();
}

TppCustomBand* TppEngine::GetCurrentBand() { return dynamic_cast<TppCustomBand*>(FCurrentBand); }

// ---- simple answers

bool TppEngine::IsFirstUncachedPage() { return LastPageCached() + 1 == AbsolutePageNo(); }

bool TppEngine::GetColumnFinished(int Index) {
  return Index >= 0 && static_cast<size_t>(Index) < FColumnFinished.size() && FColumnFinished[static_cast<size_t>(Index)];
}

bool TppEngine::GetColumnStarted(int Index) {
  return Index >= 0 && static_cast<size_t>(Index) < FColumnStarted.size() && FColumnStarted[static_cast<size_t>(Index)];
}

void TppEngine::SetColumnFinished(int Index, bool Value) {
  if (Index >= 0 && static_cast<size_t>(Index) < FColumnFinished.size()) FColumnFinished[static_cast<size_t>(Index)] = Value;
}

void TppEngine::SetColumnStarted(int Index, bool Value) {
  if (Index >= 0 && static_cast<size_t>(Index) < FColumnStarted.size()) FColumnStarted[static_cast<size_t>(Index)] = Value;
}

int32_t TppEngine::GetPageBottom() {
  TppCustomReport* R = CustomReport();
  if (!R) throw EPrintError("TppEngine.GetPageBottom: No Report assigned to this engine.");
  TppPageDef* Def = Page()->PageDef();
  int32_t Bottom = Def->mmHeight() - Def->mmMarginBottom();
  // Before the first run the lists are empty: take the report's bands directly.
  for (int I = 0; I < R->BandCount(); ++I) {
    TppBand* B = R->GetBands(I);
    const int Kind = B->GetBandType();
    if ((Kind == btColumnFooter || Kind == btFooter) && B->Visible()) Bottom -= B->mmHeight();
  }
  return Bottom;
}

bool TppEngine::GetPageStarted() {
  if (TppCustomEngine::GetPageStarted()) return true;
  TppCustomReport* R = CustomReport();
  TppCustomReport* Parent = R ? R->ParentReport() : nullptr;
  return Parent && Parent->Engine() ? Parent->Engine()->GetPageStarted() : false;
}

void TppEngine::SetPageStarted(bool Value) {
  TppCustomEngine::SetPageStarted(Value);
  if (!Value) return;
  TppCustomReport* R = CustomReport();
  TppCustomReport* Parent = R ? R->ParentReport() : nullptr;
  auto* PE = Parent ? dynamic_cast<TppEngine*>(Parent->Engine()) : nullptr;
  if (!PE) return;
  const int L = PE->FBandListIndex;
  if (L == blHeader || L == blTitle || L == blColumnHeader) return;
  if (L == blGroupHeader && PE->FCurrentBand && PE->FCurrentBand->GetGroup() &&
      PE->FCurrentBand->GetGroup()->ReprintOnSubsequentPage())
    return;
  PE->SetPageStarted(true);
}

bool TppEngine::IsPageToGenerate() {
  DoOnGetLastPageCached();
  return !(AbsolutePageNo() != 0 && AbsolutePageNo() <= LastPageCached());
}

void TppEngine::Stop() {
  SetAllDataTraversed(true);
  IncludePrintCondition(pcSummary | pcGroupFooter);
}

void TppEngine::PageLimitReached() {
  SetAllDataTraversed(true);
  SetLastBandGenerated(true);
  IncludePrintCondition(pcSummary | pcGroupFooter);
}

void TppEngine::Reset() {
  if (Printing()) return;
  Page()->ClearDrawCommands();
  SetAbsolutePageNo(0);
  SetAbsolutePageCount(0);
  ExcludeEngineState(0xFFFF);
  ExcludePrintCondition(0xFFFF);
  FMainReportStarted = false;
  SetFirstPassCompleted(false);
  FEndOfFirstPassFired = false;
  FStartOfSecondPassFired = false;
  TppCustomReport* R = CustomReport();
  if (R && !IsChildEngine()) R->ResetPrinting();
}

void TppEngine::ResetPageNumbers(int Count) {
  if (Count > 0) {
    SetAbsolutePageCount(Count);
  } else {
    SetAbsolutePageNo(0);
    SetAbsolutePageCount(0);
    ExcludeEngineState(0xFFFF);
    ExcludePrintCondition(0xFFFF);
  }
  Page()->ClearDrawCommands();
  SetFirstPassCompleted(false);
  FEndOfFirstPassFired = false;
  FStartOfSecondPassFired = false;
}

// ---- band lists

void TppEngine::BuildBandLists() {
  TppCustomReport* R = CustomReport();
  if (R->BandCount() == 0) R->CreateDefaultBands();
  for (auto& L : FBandLists) L.clear();
  std::vector<std::pair<std::string, TppBand*>> Sorted;
  for (int I = 0; I < R->BandCount(); ++I) Sorted.emplace_back(R->GetBands(I)->GetBandSortKey(), R->GetBands(I));
  std::stable_sort(Sorted.begin(), Sorted.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
  for (auto& [Key, B] : Sorted) {
    int List = -1;
    switch (B->GetBandType()) {
      case btTitle: List = blTitle; break;
      case btGroupHeader: List = blGroupHeader; break;
      case btPageStyle: List = blPageStyle; break;
      case btHeader: List = blHeader; break;
      case btColumnHeader: List = blColumnHeader; break;
      case btDetail: List = blDetail; break;
      case btGroupFooter: List = blGroupFooter; break;
      case btColumnFooter: List = blColumnFooter; break;
      case btFooter: List = blFooter; break;
      case btSummary: List = blSummary; break;
    }
    if (List >= 0) FBandLists[static_cast<size_t>(List)].push_back(B);
  }
  // The band after which the report is done.
  FLastBand = nullptr;
  for (int L : {blSummary, blGroupFooter, blDetail})
    if (!FBandLists[static_cast<size_t>(L)].empty()) {
      FLastBand = FBandLists[static_cast<size_t>(L)].back();
      break;
    }
}

// ---- serving a request

void TppEngine::Generate(TppPageRequest* Request) {
  // A request arriving while messages are processed during generation is dropped.
  if (Printing() || !Request) return;
  SetPrinting(true);
  TppCustomReport* R = CustomReport();
  TppDataPipeline* Master = R ? R->DataPipeline() : nullptr;
  TppDataPipeline* Detail = DetailBandPipeline();
  bool CallerSaved = false;
  // Whatever happens, the caller gets its pipelines back where they were and the flag cleared.
  TFinally Done([&] {
    if (CallerSaved) {
      try {
        RestoreDataPipelineState(FCallerMaster, Master, true);
        RestoreDataPipelineState(FCallerDetail, Detail, true);
        RestoreCallerBookmarks();
      } catch (...) {
        if (!std::uncaught_exceptions()) {
          SetPrinting(false);
          throw;
        }
      }
    }
    SetPrinting(false);
  });
  FPageRequest->Assign(Request);
  SaveDataPipelineState(FCallerMaster, Master);
  SaveDataPipelineState(FCallerDetail, Detail);
  FCallerMasterPipeline = Master;
  FCallerDetailPipeline = Detail;
  CallerSaved = true;
  if (R && R->PrintingAsSubReport() && FPipelineStatesSaved) {
    RestoreDataPipelineState(FSavedMaster, Master, true);
    RestoreDataPipelineState(FSavedDetail, Detail, true);
    FPipelineStatesSaved = false;
  }
  if (R && R->PassSetting() == psTwoPass && !R->IsChildReport() &&
      !((EngineState() & esInitialized) && FirstPassCompleted())) {
    const TppPageSettingType Wanted = FPageRequest->PageSetting();
    FPageRequest->SetPageSetting(psAll);
    GeneratePages();
    FPageRequest->SetPageSetting(Wanted);
    if (!StopPrinting()) GeneratePages();
  } else {
    GeneratePages();
  }
  if (R && R->PrintingAsSubReport() && !FPipelineStatesSaved) {
    SaveDataPipelineState(FSavedMaster, Master);
    SaveDataPipelineState(FSavedDetail, Detail);
    FPipelineStatesSaved = true;
  }
}

void TppEngine::GeneratePages() {
  SetDonePrinting(false);
  SetStopPrinting(false);
  SetLastBandGenerated(false);
  Initialize();
  CustomReport()->NotifyStartOfReport();
  SetFirstPage();
  while (!DonePrinting() && !StopPrinting()) {
    SetSpaceUsed(0);
    StartPass();
    GeneratePage();
    EndPass();
    NextPage();
    ProcessMessages();
  }
}

void TppEngine::Initialize() {
  TppCustomReport* R = CustomReport();
  if (!R) throw EPrintError("TppEngine.Initialize: No Report assigned to this engine.");
  if (EngineState() & esInitialized) {
    if (!HasData()) HandleNoDataBlankPage();
    return;
  }
  const bool Main = !IsChildEngine();
  if (Main && !FMainReportStarted) {
    R->NotifyEndPrinting();
    SendEventNotify(this, ciEngineBeforeOpenDataPipelines, nullptr);
    R->BeginPrinting();
  }
  OpenDataPipelines();
  if (StopPrinting() && FMasterPipeline) FMasterPipeline->IncludeState(ppdsNoRecords);
  if (Main && !FMainReportStarted) {
    R->StartOfMainReport();
    FMainReportStarted = true;
    SendEventNotify(this, ciEngineAfterOpenDataPipelines, nullptr);
  }
  R->StartOfGeneration();
  // The run lays pages out for the report's paper.
  Page()->SetPrinterSetup(R->PrinterSetup());
  ExcludeEngineState(0xFFFF);
  ExcludePrintCondition(0xFFFF);
  DoOnInitialize();
  FStartBookmark = FNextStartBookmark;
  FNextStartBookmark = 0;
  FStartOfFirstPassFired = false;
  SetFirstPassCompleted(false);
  FEndOfFirstPassFired = false;
  FStartOfSecondPassFired = false;
  FEndOfSecondPassFired = false;
  SetSpaceUsed(0);
  SetAllDataTraversed(false);
  FDetailTraversed = FMasterTraversed = false;
  SetAdvanceRecordPending(false);
  SetCalcsOutOfSync(false);
  FAllColumnsStarted = false;
  FMasterDetailReport = FMasterPipeline && FDetailPipeline;
  FreeAndNil(FNoDataText);
  if (!HasData()) HandleNoDataBlankPage();
  SetCalcsOutOfSync(true);
  FMasterTraversed = FMasterPipeline != nullptr;
  FDetailTraversed = FDetailPipeline != nullptr;
  SetPageStarted(false);
  InitializeGroups();
  BuildBandLists();
  for (int I = 0; I < R->BandCount(); ++I) R->GetBands(I)->Init();
  IncludePrintCondition(pcGroupHeader);
  if (!Main && R->GetMainReport() && R->GetMainReport()->Engine())
    SetPrintDateTime(R->GetMainReport()->Engine()->PrintDateTime());
  else
    SetPrintDateTime(Now());
  IncludeEngineState(esInitialized | esFirstPass);
  SetReportBandCount(0);
  SetPageBandCount(0);
  SetAbsolutePageNo(0);
  SetAbsolutePageCount(0);
  TppBand* Detail = DetailBand();
  FColumnar = R->Columns() > 1 && Detail && ppEngineBand::ColumnTraversal(*Detail) == ctTopToBottom;
  IncludePrintCondition(pcTitle);
  FBandListIndex = blTitle;
  FBandIndex = 0;
  SaveStatesAtPageEnd();
  FLastPageGenerated = 0;
  StartPass();
  FColumnStarted.clear();
  FColumnFinished.clear();
  if (Detail && ppEngineBand::ColumnTraversal(*Detail) == ctLeftToRight) {
    FColumnStarted.assign(static_cast<size_t>(R->Columns()), false);
    FColumnFinished.assign(static_cast<size_t>(R->Columns()), false);
  }
}

// ---- passes

void TppEngine::StartPass() {
  TppCustomReport* R = CustomReport();
  ExcludeEngineState(esFirstPass | esSecondPass);
  if (R->PassSetting() == psTwoPass && FirstPassCompleted())
    IncludeEngineState(esSecondPass);
  else
    IncludeEngineState(esFirstPass);
  if (FirstPass() && !FStartOfFirstPassFired) {
    FStartOfFirstPassFired = true;
    R->DoOnStartFirstPass();
  }
  if (SecondPass() && !FStartOfSecondPassFired) {
    FStartOfSecondPassFired = true;
    R->DoOnStartSecondPass();
  }
}

void TppEngine::EndPass() {
  if (!FirstPassCompleted() || AbsolutePageNo() != AbsolutePageCount()) return;
  TppCustomReport* R = CustomReport();
  if (FirstPass() && !FEndOfFirstPassFired) {
    FEndOfFirstPassFired = true;
    R->DoOnEndFirstPass();
    ExcludeEngineState(esFirstPass);
  } else if (SecondPass() && !FEndOfSecondPassFired) {
    FEndOfSecondPassFired = true;
    R->DoOnEndSecondPass();
    ExcludeEngineState(esSecondPass);
  }
}

void TppEngine::DecideDrawPage() {
  TppCustomReport* R = CustomReport();
  TppCustomReport* M = R->GetMainReport() ? R->GetMainReport() : R;
  const bool ThisPageRequested = FPageRequest->PageRequested() == AbsolutePageNo();
  bool Draw = false;
  if (FirstPass() && M->PassSetting() == psOnePass)
    Draw = true;
  else if (SecondPass() && M->PassSetting() == psTwoPass)
    Draw = true;
  else if (FirstPass() && M->PassSetting() == psTwoPass)
    Draw = ThisPageRequested;
  // A drawn page stands when the publisher caches pages; otherwise the request narrows it.
  if (!Draw || !M->Publisher() || !M->Publisher()->CachePages()) {
    switch (FPageRequest->PageSetting()) {
      case psPageList:
      case psSinglePage: Draw = ThisPageRequested; break;
      case psFirstPage: Draw = AbsolutePageNo() == 1; break;
      case psLastPage: Draw = FirstPassCompleted() && AbsolutePageNo() == AbsolutePageCount(); break;
      default: break;
    }
  }
  SetDrawPage(Draw);
}

void TppEngine::UpdatePageProperties() {
  TppCustomReport* R = CustomReport();
  TppPage* P = Page();
  P->SetAbsolutePageNo(AbsolutePageNo());
  P->SetAbsolutePageCount(AbsolutePageCount());
  if (ControlGroup()) P->SetControlGroupBreakNo(ControlGroup()->BreakNo());
  P->SetDocumentName(R->PrinterSetup()->DocumentName());
  P->SetFirstPage(AbsolutePageNo() == 1);
  P->SetLanguageIndex(R->LanguageIndex());
  P->SetLastPage(LastBandGenerated() && AbsolutePageNo() == AbsolutePageCount());
  P->SetPassSetting(R->PassSetting());
  if (!(EngineState() & (esSectionOpened | esSectionRunning | esSectionDone))) {
    P->SetPageNo(GetPageNo());
    P->SetPageCount(GetPageCount());
  }
  P->SetPrintDateTime(PrintDateTime());
  P->SetProducer(R);
  P->SetFinal((R->PassSetting() == psOnePass && FirstPass()) ||
              (R->PassSetting() == psTwoPass && SecondPass() && DrawPage()));
  P->SetCalculation(!DrawPage());
  DoOnPageFinished();
}

// ---- the engine of every report

void RegisterEngineFactory() {
  SetReportEngineFactory([](TppCustomReport& Report) -> TppCustomEngine* { return new TppEngine(&Report); });
}

void UnregisterEngineFactory() { SetReportEngineFactory(nullptr); }
