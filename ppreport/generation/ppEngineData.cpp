// TppEngine, the data side: record traversal over the master, detail and lookup pipelines, group
// breaks and keep-together, page numbers under a control group, pipeline positions through
// bookmarks, and the engine's record of each page in the page-state cache.
#include <algorithm>
#include <cstring>

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppEngineBands.h"

namespace {
// The engine's record of one page: the state at the end of that page.
#pragma pack(push, 1)
struct TEngineCacheRecord {
  uint8_t AdvanceRecordPending;
  uint8_t AllColumnsStarted;
  uint8_t AllDataTraversed;
  uint8_t Unused3;
  int32_t BandIndex;
  int32_t BandListIndex;
  int32_t ReportBandCount;
  uint8_t Initialized;
  uint8_t Unused17, Unused18;
  uint8_t PrintingSummary, PrintingTitle, SectionOpened, SectionRunning;
  uint8_t Unused23;
  uint8_t Conditions[9];
  uint8_t MasterTraversed, DetailTraversed, CalcsOutOfSync;
  TppPipelineStateRec Master, Detail;
};
#pragma pack(pop)
static_assert(sizeof(TEngineCacheRecord) == TppEngine::CacheRecordBytes);

// The print condition bits in the order of the record's nine bytes.
constexpr uint16_t RecordConditions[9] = {pcTitle,       pcHeader,      pcColumnHeader,
                                          pcGroupHeader, pcDetail,      pcGroupFooter,
                                          pcColumnFooter, pcFooter,     pcSummary};

uint8_t Flag(bool V) { return V ? 1 : 0; }
}  // namespace

// ---- record traversal

bool TppEngine::PipelineUsable(TppDataPipeline* P) const { return P && !P->NoRecords() && !P->LastRecord(); }

void TppEngine::NextRecord() {
  SetCheckForGroupBreaks(true);
  if (PrintCondition() & pcTitle) SetGenerationStarted(true);
  ExcludePrintCondition(pcHeader | pcColumnHeader | pcGroupHeader);
  IncludePrintCondition(pcDetail);
  if (AllDataTraversed()) return;
  TraverseRecord();
  if (!FMasterPipeline || FMasterPipeline->GetEOF()) {
    SetAllDataTraversed(true);
    IncludePrintCondition(pcSummary | pcGroupFooter);
    if (FMasterPipeline) MoveMaster(false);
  } else if (PrintCondition() & pcGroupFooter) {
    StepBack();
  } else {
    SetCalcsOutOfSync(true);
  }
}

void TppEngine::AdvanceRecord() {
  if (!AdvanceRecordPending() && !CalcsOutOfSync()) return;
  SetCheckForGroupBreaks(false);
  if (AdvanceRecordPending()) {
    // The record a keep-together group starts with is not counted yet: the group's restore point
    // lies before it, so a roll-back leaves it out of the totals of the page the group leaves.
    if (TppGroup* K = KeepTogetherGroup(); K && K->HeaderBand() && ppEngineBand::Generation(*K->HeaderBand()))
      K->SaveKeepTogetherState();
    SetAdvanceRecordPending(false);
    SetCalcsOutOfSync(false);
    TraverseRecord();
    DoTraversal();
    if (!(PrintCondition() & pcSummary)) ExcludePrintCondition(pcGroupFooter);
    IncludePrintCondition(pcGroupHeader | pcDetail);
  } else {
    SetCalcsOutOfSync(false);
    DoTraversal();
  }
  InitBreakValues();
}

void TppEngine::TraverseRecord() {
  TppCustomReport* R = CustomReport();
  FLowestBreakingGroup = R->GroupCount();
  if (FMasterDetailReport) {
    TraverseMasterDetail();
  } else {
    MoveMaster(true);
    CheckGroupBreaks(FMasterPipeline);
  }
  if (FLowestBreakingGroup < R->GroupCount()) {
    StartGroupBreaks();
    IncludePrintCondition(pcGroupHeader | pcGroupFooter);
  }
}

void TppEngine::TraverseMasterDetail() {
  if (PipelineUsable(FDetailPipeline)) {
    FDetailPipeline->Next();
    FDetailTraversed = true;
    FMasterTraversed = false;
    CheckGroupBreaks(FDetailPipeline);
    if (!FDetailPipeline->GetEOF()) return;
    FDetailTraversed = false;
  } else if (!PipelineUsable(FMasterPipeline)) {
    return;
  }
  MoveMaster(true);
  FDetailPipeline->First();
  CheckGroupBreaks(FMasterPipeline);
}

void TppEngine::MoveMaster(bool Forward) {
  if (!FMasterPipeline) return;
  if (Forward) {
    FMasterPipeline->Next();
    FMasterTraversed = true;
    FDetailTraversed = FDetailPipeline != nullptr;
  } else if (FMasterPipeline->GetEOF()) {
    FMasterPipeline->Last();
  } else {
    FMasterPipeline->Prior();
  }
}

void TppEngine::StepBack() {
  if (FMasterDetailReport) {
    if (FDetailPipeline && !FDetailPipeline->NoRecords() && !FDetailPipeline->FirstRecord()) {
      if (FDetailPipeline->GetEOF())
        FDetailPipeline->Last();
      else
        FDetailPipeline->Prior();
    } else if (FMasterPipeline && !FMasterPipeline->NoRecords() && !FMasterPipeline->FirstRecord()) {
      MoveMaster(false);
      FDetailPipeline->Last();
    }
    return;
  }
  MoveMaster(false);
}

void TppEngine::DoTraversal() {
  if (FMasterTraversed && FMasterPipeline) FMasterPipeline->DoOnTraversal();
  if (FDetailTraversed && FDetailPipeline) FDetailPipeline->DoOnTraversal();
  SendEventNotify(this, ciEngineTraversal, nullptr);
}

// ---- groups

void TppEngine::CheckGroupBreaks(TppDataPipeline* Pipeline) {
  if (!CheckForGroupBreaks()) return;
  TppCustomReport* R = CustomReport();
  for (int I = R->GroupCount() - 1; I >= 0; --I) {
    TppGroup* G = R->GetGroup(I);
    bool Breaking;
    if (G->DataPipeline() && G->DataPipeline() == Pipeline && Pipeline->GetEOF()) {
      Breaking = true;
    } else {
      G->CheckForBreak();
      Breaking = G->Breaking();
    }
    if (Breaking) FLowestBreakingGroup = I;
  }
}

void TppEngine::StartGroupBreaks() {
  TppCustomReport* R = CustomReport();
  bool PageBreakTaken = false;
  for (int I = FLowestBreakingGroup; I < R->GroupCount(); ++I) {
    TppGroup* G = R->GetGroup(I);
    G->StartBreak();
    // Nested breaks at one record take one page break: the outer group's.
    if (PageBreakTaken) {
      if (TppBand* H = G->HeaderBand())
        if (IppEngineBandSettings* S = ppEngineBand::MutableSettings(*H)) S->SetAlreadyPageBreak(true);
    } else if (G->NewPage()) {
      PageBreakTaken = true;
    }
  }
}

void TppEngine::InitializeGroups() {
  TppCustomReport* R = CustomReport();
  SetControlGroup(nullptr);
  SetKeepTogetherGroup(nullptr);
  for (int I = 0; I < R->GroupCount(); ++I) R->GetGroup(I)->InitializeBreak();
  for (int I = 0; I < R->GroupCount() && !ControlGroup(); ++I) {
    TppGroup* G = R->GetGroup(I);
    if (G->NewPage() && G->ResetPageNo()) SetControlGroup(G);
  }
  for (int I = R->GroupCount() - 1; I >= 0; --I) {
    TppGroup* G = R->GetGroup(I);
    if (G->NewPage()) break;  // a page-breaking group inside it wins
    if (G->KeepTogether()) {
      SetKeepTogetherGroup(G);
      break;
    }
  }
  if (TppGroup* K = KeepTogetherGroup())
    for (int I = R->IndexOfGroup(K) + 1; I < R->GroupCount(); ++I)
      if (R->GetGroup(I)->NewPage()) SetKeepTogetherGroup(nullptr);
}

void TppEngine::InitBreakValues() {
  TppCustomReport* R = CustomReport();
  for (int I = 0; I < R->GroupCount(); ++I) R->GetGroup(I)->InitBreakValue();
}

void TppEngine::CheckKeepTogether(TppBand* Band) {
  TppGroup* K = KeepTogetherGroup();
  if (!K || !Band) return;
  TppCustomReport* R = CustomReport();
  const int Kind = Band->GetBandType();
  bool Applies = Kind == btDetail;
  if ((Kind == btGroupHeader || Kind == btGroupFooter) && Band->GetGroup())
    Applies = R->IndexOfGroup(Band->GetGroup()) >= R->IndexOfGroup(K);
  if (Applies) K->RestoreKeepTogether();
}

void TppEngine::UpdateGroupPageNumbers() {
  if (!ControlGroup() || FBandListIndex == blGroupFooter || FBandListIndex == blSummary) return;
  TppCustomReport* R = CustomReport();
  for (int I = 0; I < R->GroupCount(); ++I) {
    TppGroup* G = R->GetGroup(I);
    if (!G->ResetPageNo()) continue;
    TppBand* H = G->HeaderBand();
    const bool HeaderGenerated = H && ppEngineBand::Generation(*H) && !H->OverFlow();
    if ((PrintCondition() & pcTitle) || HeaderGenerated) G->SetFirstPageNo(AbsolutePageNo());
  }
  for (int I = 0; I < R->GroupCount(); ++I)
    if (R->GetGroup(I)->ResetPageNo()) R->GetGroup(I)->UpdateLastPageNo();
}

// ---- page numbers

namespace {
bool TitleOnOwnPage(const std::vector<TppBand*>& Titles) {
  for (TppBand* T : Titles)
    if (ppEngineBand::Settings(*T).TitleNewPage()) return true;
  return false;
}
}  // namespace

int TppEngine::GetPageNo() {
  if (AbsolutePageNo() == 1 && TitleOnOwnPage(FBandLists[blTitle])) return AbsolutePageNo();
  if (Printing() && ControlGroup()) return ControlGroup()->GetPageNo();
  return AbsolutePageNo();
}

int TppEngine::GetPageCount() {
  if (AbsolutePageNo() == 1 && TitleOnOwnPage(FBandLists[blTitle]))
    return ControlGroup() ? AbsolutePageNo() : AbsolutePageCount();
  if (Printing() && ControlGroup()) return ControlGroup()->GetPageCount();
  return AbsolutePageCount();
}

// ---- pipelines

void TppEngine::ListenTo(TppDataPipeline* Pipeline) {
  if (!Pipeline) return;
  AddNotify(Pipeline);
  Pipeline->AddEventNotify(this);
}

void TppEngine::StopListeningTo(TppDataPipeline* Pipeline) {
  if (!Pipeline) return;
  Pipeline->RemoveEventNotify(this);
  RemoveNotify(Pipeline);
}

TppDataPipeline* TppEngine::DetailBandPipeline() const {
  TppBand* Detail = DetailBand();
  return Detail ? Detail->GetDataPipeline() : nullptr;
}

void TppEngine::OpenDataPipelines() {
  TppCustomReport* R = CustomReport();
  FPipelineStatesRead = false;
  StopListeningTo(FMasterPipeline);
  StopListeningTo(FDetailPipeline);
  FMasterPipeline = R->DataPipeline();
  FDetailPipeline = nullptr;
  if (FMasterPipeline) {
    ListenTo(FMasterPipeline);
    OpenDataPipeline(FMasterPipeline);
    if (IsChildEngine()) {
      FNextStartBookmark = 0;
    } else {
      const TppBookmark B = FMasterPipeline->GetBookmark();
      FNextStartBookmark = static_cast<uint32_t>(B);
      if (B != FNextStartBookmark) FMasterPipeline->FreeBookmark(B), FNextStartBookmark = 0;
    }
    FMasterPipeline->First();
    FMasterTraversed = true;
    TppDataPipeline* Detail = DetailBandPipeline();
    if (Detail && Detail != FMasterPipeline) {
      FDetailPipeline = Detail;
      ListenTo(FDetailPipeline);
      OpenDataPipeline(FDetailPipeline);
      FDetailPipeline->First();
      FDetailTraversed = true;
    }
  }
  OpenLookupPipelines();
}

void TppEngine::OpenLookupPipelines() {
  TppCustomReport* R = CustomReport();
  for (int B = 0; B < R->BandCount(); ++B) {
    TppBand* Band = R->GetBands(B);
    for (int O = 0; O < Band->GetObjectCount(); ++O) {
      TppDataPipeline* P = Band->GetObjects(O)->GetDataPipeline();
      if (!P || P == FMasterPipeline || P == FDetailPipeline) continue;
      if (std::find(FLookupPipelines.begin(), FLookupPipelines.end(), P) != FLookupPipelines.end()) continue;
      OpenDataPipeline(P);
      AddNotify(P);
      FLookupPipelines.push_back(P);
    }
  }
}

void TppEngine::OpenDataPipeline(TppDataPipeline* Pipeline) {
  TppCustomReport* R = CustomReport();
  try {
    Pipeline->Open();
  } catch (const EDataError&) {
    R->PrintError(LanguageString(40) + ": " + Pipeline->GetUserName());
    return;
  }
  if (!Pipeline->GetActive()) R->PrintError(LanguageString(40) + ": " + Pipeline->GetUserName());
}

void TppEngine::ReleaseDataPipelines() {
  for (TppDataPipeline* P : {FMasterPipeline, FDetailPipeline}) {
    if (!P) continue;
    StopListeningTo(P);
    P->Close();
  }
  FMasterPipeline = FDetailPipeline = nullptr;
  while (!FLookupPipelines.empty()) {
    TppDataPipeline* P = FLookupPipelines.back();
    RemoveNotify(P);
    P->Close();
    FLookupPipelines.pop_back();
  }
}

bool TppEngine::HasData() {
  if (StopPrinting()) return false;
  if (!FMasterPipeline) return true;
  return !(FMasterPipeline->NoRecords() || (FMasterPipeline->GetBOF() && FMasterPipeline->GetEOF()));
}

void TppEngine::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCustomEngine::Notify(Partner, Operation);
  if (Operation != ppopRemove || !Partner) return;
  if (Partner == FMasterPipeline || Partner == FDetailPipeline) {
    RestoreSavedBookmarks();
    RestoreCallerBookmarks();
    if (Partner == FMasterPipeline) FMasterPipeline = nullptr;
    if (Partner == FDetailPipeline) FDetailPipeline = nullptr;
    if (Partner == FCallerMasterPipeline) FCallerMasterPipeline = nullptr;
    if (Partner == FCallerDetailPipeline) FCallerDetailPipeline = nullptr;
  }
  std::erase(FLookupPipelines, static_cast<TppDataPipeline*>(dynamic_cast<TppDataPipeline*>(Partner)));
}

void TppEngine::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCustomEngine::EventNotify(Sender, EventID, Params);
  if (EventID == ciPipelineEngineNotice && Sender && (Sender == FMasterPipeline || Sender == FDetailPipeline)) {
    RestoreSavedBookmarks();
    RestoreCallerBookmarks();
  }
}

// ---- pipeline states

void TppEngine::SaveDataPipelineState(TppPipelineStateRec& Rec, TppDataPipeline* Pipeline) {
  Rec = TppPipelineStateRec{};
  if (!Pipeline) return;
  Rec.NoRecords = Flag(Pipeline->NoRecords());
  Rec.LastRecord = Flag(Pipeline->LastRecord());
  Rec.FirstRecord = Flag(Pipeline->FirstRecord());
  Rec.TraversalCount = Pipeline->TraversalCount();
  if (Pipeline->LastRecord()) Rec.RecordNo = Pipeline->RecordNo();
  if (Pipeline->GetActive()) {
    const TppBookmark B = Pipeline->GetBookmark();
    // The record keeps 32 bits: a handle beyond them is not kept rather than kept wrong.
    if (B != 0 && B <= UINT32_MAX) {
      Rec.Bookmark = static_cast<uint32_t>(B);
      Rec.Bookmarked = 1;
    } else if (B != 0) {
      Pipeline->FreeBookmark(B);
    }
    Rec.RecordNo = Pipeline->RecordNo();
  }
}

void TppEngine::RestoreDataPipelineState(TppPipelineStateRec& Rec, TppDataPipeline* Pipeline, bool Free) {
  if (!Pipeline) return;
  Pipeline->ExcludeState(ppdsNoRecords | ppdsLastRecord | ppdsFirstRecord);
  if (Rec.NoRecords) Pipeline->IncludeState(ppdsNoRecords);
  if (Rec.LastRecord) Pipeline->IncludeState(ppdsLastRecord);
  if (Rec.FirstRecord) Pipeline->IncludeState(ppdsFirstRecord);
  Pipeline->SetTraversalCount(Rec.TraversalCount);
  if (Pipeline->FirstRecord()) {
    Pipeline->First();
  } else if (Pipeline->LastRecord()) {
    Pipeline->SetRecordNo(Rec.RecordNo);
    Pipeline->Last();
  } else if (Rec.Bookmarked && Pipeline->GetActive()) {
    Pipeline->SetRecordNo(Rec.RecordNo);
    // A bookmark the pipeline no longer knows is refused, not followed.
    Pipeline->GotoBookmark(Rec.Bookmark);
  }
  if (Rec.Bookmarked && Free) FreeBookmark(Pipeline, Rec);
}

void TppEngine::FreeBookmark(TppDataPipeline* Pipeline, TppPipelineStateRec& Rec) {
  if (Pipeline && Rec.Bookmarked && Rec.Bookmark) Pipeline->FreeBookmark(Rec.Bookmark);
  Rec.Bookmarked = 0;
  Rec.Bookmark = 0;
}

void TppEngine::RestoreDataPipelineStates() {
  if (!FPipelineStatesRead) return;
  RestoreDataPipelineState(FSavedMaster, FMasterPipeline, false);
  RestoreDataPipelineState(FSavedDetail, FDetailPipeline, false);
  FPipelineStatesRead = false;
}

void TppEngine::SaveStatesAtPageEnd() {
  TppCustomReport* R = CustomReport();
  TppCustomReport* M = R->GetMainReport() ? R->GetMainReport() : R;
  if (!IsChildEngine()) {
    if (FirstPassCompleted()) return;
    if (M != R && M->Engine() && M->Engine()->FirstPassCompleted()) return;
  }
  RestoreSavedBookmarks();
  FPipelineStatesSaved = true;
  SaveDataPipelineState(FSavedMaster, FMasterPipeline);
  SaveDataPipelineState(FSavedDetail, FDetailPipeline);
  if (M->Engine() && M->Engine()->IsPageToGenerate()) DoOnDataPipelineStatesSaved();
}

void TppEngine::RestoreSavedBookmarks() {
  if (!FPipelineStatesSaved) return;
  FPipelineStatesSaved = false;
  FreeBookmark(FMasterPipeline, FSavedMaster);
  FreeBookmark(FDetailPipeline, FSavedDetail);
}

void TppEngine::RestoreCallerBookmarks() {
  FreeBookmark(FCallerMasterPipeline, FCallerMaster);
  FreeBookmark(FCallerDetailPipeline, FCallerDetail);
}

// ---- the page record

void TppEngine::SaveToCache(int Page) {
  TEngineCacheRecord Rec{};
  Rec.AdvanceRecordPending = Flag(AdvanceRecordPending());
  Rec.AllColumnsStarted = Flag(FAllColumnsStarted);
  Rec.AllDataTraversed = Flag(AllDataTraversed());
  Rec.BandIndex = FBandIndex;
  Rec.BandListIndex = FBandListIndex;
  Rec.ReportBandCount = ReportBandCount();
  const uint16_t S = EngineState();
  Rec.Initialized = Flag(S & esInitialized);
  Rec.PrintingSummary = Flag(S & esPrintingSummary);
  Rec.PrintingTitle = Flag(S & esPrintingTitle);
  Rec.SectionOpened = Flag(S & esSectionOpened);
  Rec.SectionRunning = Flag(S & esSectionRunning);
  for (int I = 0; I < 9; ++I) Rec.Conditions[I] = Flag(PrintCondition() & RecordConditions[I]);
  Rec.MasterTraversed = Flag(FMasterTraversed);
  Rec.DetailTraversed = Flag(FDetailTraversed);
  Rec.CalcsOutOfSync = Flag(CalcsOutOfSync());
  if (FPipelineStatesSaved) {
    // The saved records move into the cache, bookmarks and all.
    FPipelineStatesSaved = false;
    Rec.Master = FSavedMaster;
    Rec.Detail = FSavedDetail;
    FSavedMaster = FSavedDetail = TppPipelineStateRec{};
  } else {
    SaveDataPipelineState(Rec.Master, FMasterPipeline);
    SaveDataPipelineState(Rec.Detail, FDetailPipeline);
  }
  WriteRecord(Page, Rec);
}

void TppEngine::RestoreFromCache(int Page) {
  TEngineCacheRecord Rec{};
  if (!ReadRecord(Page, Rec)) return;
  SetAdvanceRecordPending(Rec.AdvanceRecordPending != 0);
  FAllColumnsStarted = Rec.AllColumnsStarted != 0;
  SetAllDataTraversed(Rec.AllDataTraversed != 0);
  FBandIndex = Rec.BandIndex;
  FBandListIndex = Rec.BandListIndex;
  SetReportBandCount(Rec.ReportBandCount);
  auto SetState = [this](uint16_t Bit, uint8_t On) { On ? IncludeEngineState(Bit) : ExcludeEngineState(Bit); };
  SetState(esInitialized, Rec.Initialized);
  SetState(esPrintingTitle, Rec.PrintingTitle);
  SetState(esPrintingSummary, Rec.PrintingSummary);
  SetState(esSectionOpened, Rec.SectionOpened);
  SetState(esSectionRunning, Rec.SectionRunning);
  ExcludePrintCondition(0xFFFF);
  for (int I = 0; I < 9; ++I)
    if (Rec.Conditions[I]) IncludePrintCondition(RecordConditions[I]);
  FMasterTraversed = Rec.MasterTraversed != 0;
  FDetailTraversed = Rec.DetailTraversed != 0;
  SetCalcsOutOfSync(Rec.CalcsOutOfSync != 0);
  RestoreSavedBookmarks();
  FPipelineStatesRead = true;
  // The bookmarks stay the cache's: the saved records only borrow them (they are released only
  // while the saved flag is set, which a restore leaves off).
  FSavedMaster = Rec.Master;
  FSavedDetail = Rec.Detail;
}

void TppEngine::CacheTruncated(int Page) { FreeCachedBookmarks(Page); }

void TppEngine::FreeCachedBookmarks(int Page) {
  RestoreSavedBookmarks();
  if (!CacheStream()) return;
  if (FMasterPipeline && FStartBookmark) FMasterPipeline->FreeBookmark(FStartBookmark);
  FStartBookmark = 0;
  for (int P = Page; P <= CachePageCount(); ++P) {
    TEngineCacheRecord Rec{};
    if (!ReadRecord(P, Rec)) continue;
    // Pipelines refuse handles they no longer know; nothing here depends on catching faults.
    FreeBookmark(FMasterPipeline, Rec.Master);
    FreeBookmark(FDetailPipeline, Rec.Detail);
  }
}
