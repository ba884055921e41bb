#include "ppreport/generation/ppSubRpt.h"

#include <algorithm>
#include <cstring>

#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppOutlineReportNodeCreator.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppReaderUtils.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/generation/ppBands.h"
#include "ppreport/generation/ppChildReport.h"
#include "ppreport/generation/ppCompUtils.h"
#include "ppreport/generation/ppEngineBands.h"

namespace {

constexpr char SppNoDataPipelineAssigned[] = "No Data Pipeline Assigned";

}  // namespace

// ---- construction

TppSubReport::TppSubReport(TComponent* AOwner)
    : TppStretchable(AOwner), FOutlineSettings(std::make_unique<TppOutlineSettings>(this)) {
  SetCacheRecordSize(sizeof(TppSubReportCacheRecord));
  EventMask().Include(ciEnginePageSent);
  SetStretch(true);
  SetParentWidth(true);
  SetspHeight(19);
}

TppSubReport::~TppSubReport() { BeforeDestruction(); }

void TppSubReport::Destroying() {
  FExpansions.Clear();
  EndSectionJob();
  if (FListenedEngine) {
    FListenedEngine->RemoveEventNotify(this);
    RemoveNotify(FListenedEngine);
    FListenedEngine = nullptr;
  }
  if (FDrillDownComponent) {
    RemoveDrillDownHandlers();
    RemoveNotify(FDrillDownComponent);
    FDrillDownComponent = nullptr;
  }
  if (TppCustomReport* R = FReport) {
    FReport = nullptr;
    RemoveNotify(R);
    R->Free();
  }
  TppStretchable::Destroying();
}

// ---- the child report

void TppSubReport::CreateReport(TppCustomReport* MasterReport) {
  if (!MasterReport || FReport) return;
  auto* R = dynamic_cast<TppCustomReport*>(CreateUniqueComponent(MasterReport, TppChildReport::StaticClassInfo()));
  if (!R) return;
  R->SetParent(this);  // the child report's SetParent attaches it here
  if (FReport != R) AttachReport(R);
  R->SetPrinterSetup(MasterReport->PrinterSetup());
  R->SetReportDesigner(MasterReport->GetReportDesigner());
  R->SetUnits(Units());
  R->SetDataPipeline(GetDataPipeline());
  R->SetDefaultBandSet(DefaultBands());
}

void TppSubReport::AttachReport(TppCustomReport* Report) {
  if (Report == FReport) return;
  if (TppCustomReport* Old = FReport) {
    if (TppCustomEngine* E = Old->Engine()) {
      E->SetPrinting(false);
      E->Reset();
    }
    RemoveNotify(Old);
    Old->SetParentReport(nullptr);
    Old->SetPrintingAsSubReport(false);
  }
  FReport = Report;
  if (!Report) return;
  if (Band() && Band()->Report() && Band()->Report() != Report) Report->SetParentReport(Band()->Report());
  AddNotify(Report);
  if (!IsReadingOrLoading()) LanguageChanged();
}

uint32_t TppSubReport::DefaultBands() const {
  if (FPrintBehavior == pbChild) return (1u << btTitle) | (1u << btDetail) | (1u << btSummary);
  return (1u << btHeader) | (1u << btDetail) | (1u << btFooter);
}

TppCustomReport* TppSubReport::BandReport() const { return Band() ? Band()->Report() : nullptr; }

TppCustomEngine* TppSubReport::ChildEngine() const { return FReport ? FReport->Engine() : nullptr; }

void TppSubReport::PrepareContent() {
  if (TppCustomReport* R = BandReport()) CreateReport(R->GetMainReport());
}

void TppSubReport::SetBand(TppBand* NewBand) {
  TppStretchable::SetBand(NewBand);
  TppCustomReport* R = BandReport();
  if (!FReport || !R) return;
  if (FReport->ParentReport() != R && FReport != R) FReport->SetParentReport(R);
  FReport->SetReportDesigner(R->GetMainReport()->GetReportDesigner());
}

void TppSubReport::SetDataPipeline(TppDataPipeline* Value) {
  if (Value == GetDataPipeline()) return;
  TppStretchable::SetDataPipeline(Value);
  if (Designing()) {
    InvalidateDesignControl();
    SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, 0);
  }
  if (FReport && FReport->DataPipeline() != Value) FReport->SetDataPipeline(Value);
}

void TppSubReport::SetUserName(const std::string& Value) {
  TppStretchable::SetUserName(Value);
  SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, 0);
}

void TppSubReport::ChangeOwner(TComponent* NewOwner) {
  TComponent* Old = Owner();
  TppStretchable::ChangeOwner(NewOwner);
  if (FReport && FReport->Owner() == Old && Old != NewOwner) FReport->ChangeOwner(NewOwner);
}

void TppSubReport::GetDataPipelines(std::vector<TppDataPipeline*>& List) const {
  if (FReport) FReport->GetDataPipelines(List);
}

void TppSubReport::RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName, const std::string& NewName) {
  if (FReport) FReport->RenameDataField(Pipeline, OldName, NewName);
}

void TppSubReport::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  if (FReport) FReport->ReplaceDataPipeline(NewPipeline, UserName);
}

void TppSubReport::LanguageChanged() {
  TppCustomReport* R = BandReport();
  if (!FReport || !R) return;
  FReport->SetLanguage(R->Language());
  FReport->LanguageChanged();
}

std::string TppSubReport::GetCaption() {
  TppDataPipeline* P = GetDataPipeline();
  return GetUserName() + ": " + (P ? P->GetUserName() : std::string(SppNoDataPipelineAssigned));
}

void TppSubReport::DefineProperties(TFiler* Filer) {
  TppStretchable::DefineProperties(Filer);
  // Older streams stored a caption of their own; it is read and dropped.
  Filer->DefineProperty(
      "Caption", [](TReader& Reader) { Reader.ReadString(); }, nullptr, false);
}

// ---- properties

void TppSubReport::SetPrintBehavior(TppPrintBehaviorType Value) {
  if (Value == pbSection && Region()) return;  // a region holds no page breaks
  PropertyChanging("PrintBehavior");
  FPrintBehavior = Value;
  SetStretch(Value == pbChild);
  if (Value == pbFixed) SetKeepTogether(false);
  if (!IsReadingOrLoading()) {
    if (Value == pbFixed) SetmmStopPosition(0);
    if (Value == pbSection) {
      SetDrillDownComponent(nullptr);
      TppStretchable::SetParentWidth(true);
      TppStretchable::SetShiftRelativeTo(nullptr);
    }
    if (FReport) FReport->SetDefaultBandSet(DefaultBands());
  }
  Changed();
}

void TppSubReport::SetNewPrintJob(bool Value) {
  FNewPrintJob = Value;
  if (Value) FPrintBehavior = pbSection;
  Changed();
}

void TppSubReport::SetResetPageNo(bool Value) {
  if (FPrintBehavior != pbSection) return;
  FResetPageNo = Value;
  Changed();
}

void TppSubReport::SetParentPrinterSetup(bool Value) {
  FParentPrinterSetup = Value;
  PropertyChanged();
  if (Value && FReport)
    if (TppCustomReport* R = BandReport()) FReport->SetPrinterSetup(R->PrinterSetup());
}

void TppSubReport::SetTraverseAllData(bool Value) {
  FTraverseAllData = Value;
  Changed();
}

void TppSubReport::SetExpandAll(bool Value) {
  FExpandAll = Value;
  if (!IsReadingOrLoading()) {
    FExpansions.Clear();
    if (Value)
      RemoveDrillDownHandlers();
    else
      InstallDrillDownHandlers();
  }
  Changed();
}

void TppSubReport::SetOutlineSettings(const TppOutlineSettings* Value) {
  if (Value) FOutlineSettings->Assign(Value);
}

void TppSubReport::SetRegion(TppSubReportRegionArg NewRegion) {
  TppStretchable::SetRegion(NewRegion);
  if (Region() && FPrintBehavior == pbSection) SetPrintBehavior(pbFixed);
}

void TppSubReport::SetShiftRelativeTo(TppStretchable* Value) {
  if (FPrintBehavior == pbSection && Value && !IsReadingOrLoading()) return;
  TppStretchable::SetShiftRelativeTo(Value);
}

void TppSubReport::SetParentWidth(bool Value) {
  if (FPrintBehavior == pbSection && !Value && !IsReadingOrLoading()) return;
  TppStretchable::SetParentWidth(Value);
}

TppComponent* TppSubReport::DrillDownComponent() {
  if (FDrillDownComponent && !HasState(csWriting) && FDrillDownComponent->Band() != Band()) {
    RemoveDrillDownHandlers();
    RemoveNotify(FDrillDownComponent);
    FDrillDownComponent = nullptr;
  }
  return FDrillDownComponent;
}

void TppSubReport::SetDrillDownComponent(TppComponent* Value) {
  if (Value == FDrillDownComponent) return;
  if (Value && FPrintBehavior != pbChild) return;
  if (TppComponent* Old = FDrillDownComponent) {
    RemoveDrillDownHandlers();
    RemoveNotify(Old);
  }
  FDrillDownComponent = Value;
  if (Value) {
    AddNotify(Value);
    // A component drives one sub-report at most.
    if (TppBand* B = Band())
      for (int I = 0; I < B->GetObjectCount(); ++I) {
        auto* Other = dynamic_cast<TppSubReport*>(B->GetObjects(I));
        if (Other && Other != this && Other->FDrillDownComponent == Value) Other->SetDrillDownComponent(nullptr);
      }
  }
  Changed();
}

// ---- instances and drill-down

std::string TppSubReport::CurrentReportKey() const {
  auto* R = dynamic_cast<TppBandedReport*>(BandReport());
  return R ? R->GetSubReportKey() : std::string();
}

std::string TppSubReport::CurrentExpansionKey() const { return CurrentReportKey() + Format("%8d", {FCount}); }

bool TppSubReport::DrillDownActive() const { return FDrillDownComponent && FPrintBehavior != pbSection; }

bool TppSubReport::DrillDownExpanded() const {
  return DrillDownActive() && (FExpandAll || FExpansions.IndexOf(CurrentExpansionKey()) >= 0);
}

void TppSubReport::InstallDrillDownHandlers() {
  if (!DrillDownActive() || FExpandAll) return;
  FDrillDownComponent->OnDrawCommandCreate = [this](TObject*, TObject* Made) {
    if (auto* C = dynamic_cast<TppDrawCommand*>(Made)) C->SetExpansionKey(CurrentExpansionKey());
  };
  FDrillDownComponent->OnDrawCommandClick = [this](TObject*, TObject* Clicked) {
    if (auto* C = dynamic_cast<TppDrawCommand*>(Clicked)) DrillDownClick(C);
  };
  FHandlersInstalled = true;
}

void TppSubReport::RemoveDrillDownHandlers() {
  if (!FHandlersInstalled || !FDrillDownComponent) return;
  FDrillDownComponent->OnDrawCommandCreate = nullptr;
  FDrillDownComponent->OnDrawCommandClick = nullptr;
  FHandlersInstalled = false;
}

void TppSubReport::DrillDownClick(TppDrawCommand* Command) {
  TppCustomReport* Main = GetMainReport();
  if (!Main || Main->Printing() || (Main->Engine() && Main->Engine()->Printing())) return;
  const int At = FExpansions.IndexOf(Command->ExpansionKey());
  if (At >= 0)
    FExpansions.Delete(At);
  else
    FExpansions.Add(Command->ExpansionKey());
  Command->SetRedrawPage(true);
  TppCustomEngine* E = Main->Engine();
  if (Main->PassSetting() == psTwoPass) {
    Main->ClearCaches();
    if (E) E->Reset();
    return;
  }
  // Pages before the clicked one stay as they are; generation resumes at the clicked page.
  const int Page = Command->Page() ? Command->Page()->AbsolutePageNo() : 1;
  const int Keep = std::max(Page - 1, 0);
  if (auto* Top = dynamic_cast<TppReport*>(Main))
    Top->TruncateCache(Keep);
  else if (E)
    E->ResetPageNumbers(Keep);
}

// ---- outline

std::vector<TComponent*> TppSubReport::GetOutlineChildren() const {
  std::vector<TComponent*> List;
  if (FReport) FReport->GetSubReportsInPrintOrder(List);
  return List;
}

TComponent* TppSubReport::GetOutlineParent() const {
  TppCustomReport* Main = GetMainReport();
  if (!Main) return nullptr;
  auto ChildrenOf = [](TObject* Participant) {
    std::vector<TObject*> L;
    if (auto* P = dynamic_cast<IppOutlineParticipant*>(Participant))
      for (TComponent* C : P->GetOutlineChildren()) L.push_back(C);
    else if (auto* R = dynamic_cast<TppCustomReport*>(Participant)) {
      std::vector<TComponent*> Own;
      R->GetSubReportsInPrintOrder(Own);
      L.assign(Own.begin(), Own.end());
    }
    return L;
  };
  return dynamic_cast<TComponent*>(TppCustomReport::FindObjectContainer(Main, this, ChildrenOf));
}

const TClassInfo& TppSubReport::GetNodeCreatorClass() const { return TppOutlineReportNodeCreator::StaticClassInfo(); }

void TppSubReport::OutlineSettingsChanged() {
  if (FReport) FReport->Reset();
}

bool TppSubReport::IsLastBandGenerated() {
  TppCustomEngine* E = ChildEngine();
  return E && E->LastBandGenerated();
}

// ---- notices

void TppSubReport::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove) {
    if (Partner == FDrillDownComponent) {
      FDrillDownComponent = nullptr;
      FHandlersInstalled = false;
    }
    if (Partner == FReport) FReport = nullptr;
    if (Partner == FListenedEngine) FListenedEngine = nullptr;
    if (Designing() && Partner == GetDataPipeline()) {
      InvalidateDesignControl();
      SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, 0);
    }
  } else if (Designing() && (Operation == ppopDataChange || Operation == ppopUserNameChange) && !IsReportPrinting()) {
    InvalidateDesignControl();
    SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, 0);
  }
  TppStretchable::Notify(Partner, Operation);
}

void TppSubReport::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppStretchable::EventNotify(Sender, EventID, Params);
  if (EventID == ciEnginePageSent && Sender == FListenedEngine) SectionPageSent();
}

// ---- generation: the run

void TppSubReport::ResetRunState() {
  FSectionBreakTaken = false;
  FFirstPassCompleted = false;
  FPageGenerated = false;
  FCompleted = false;
  FChildRun = false;
  FChildPageNo = 1;
  FChildPageCount = 0;
}

void TppSubReport::StartOfMainReport() {
  TppStretchable::StartOfMainReport();
  FLastCachedChildPage = 0;
  if (!FReport) return;
  FReport->SetPrintingAsSubReport(true);
  if (FReport->PassSetting() == psTwoPass) FReport->SetPassSetting(psOnePass);
  switch (FPrintBehavior) {
    case pbChild:
      for (int I = 0; I < FReport->BandCount(); ++I) {
        TppBand* B = FReport->GetBands(I);
        if (B->GetBandType() == btHeader || B->GetBandType() == btFooter) B->SetVisible(false);
      }
      [[fallthrough]];
    case pbFixed:
      if (DrillDownActive() && !FExpandAll) InstallDrillDownHandlers();
      if (FPrintBehavior == pbFixed && FTraverseAllData && !Stretch()) {
        // Stretching would make a static band dynamic: the band keeps its height setting.
        TppBand* B = Band();
        const TppPrintHeightType Kept = B ? B->PrintHeight() : phStatic;
        SetStretch(true);
        if (B && B->PrintHeight() != Kept) B->SetPrintHeight(Kept);
      }
      break;
    case pbSection: {
      TppCustomReport* R = BandReport();
      FOnMainReport = R && R == R->GetMainReport();
      break;
    }
  }
  if (TppCustomEngine* E = ChildEngine()) {
    E->SetPrinting(false);
    E->Reset();
    E->ExcludeEngineState(0xFFFF);
    E->Initialize();
  }
  FReport->StartOfMainReport();
}

void TppSubReport::EndOfMainReport() {
  TppStretchable::EndOfMainReport();
  if (TppCustomEngine* E = ChildEngine()) E->SetPrinting(false);
  if (FPrintBehavior == pbFixed && FTraverseAllData && Stretch()) {
    TppBand* B = Band();
    const TppPrintHeightType Kept = B ? B->PrintHeight() : phStatic;
    SetStretch(false);
    if (B && B->PrintHeight() != Kept) B->SetPrintHeight(Kept);
  }
}

void TppSubReport::StartOfGeneration() {
  TppStretchable::StartOfGeneration();
  FCount = 0;
}

void TppSubReport::Init() {
  TppStretchable::Init();
  ResetRunState();
  FBandSectionsOnly = false;
  if (FPrintBehavior == pbSection && Band()) {
    FBandSectionsOnly = true;
    for (int I = 0; I < Band()->GetObjectCount(); ++I) {
      auto* S = dynamic_cast<TppSubReport*>(Band()->GetObjects(I));
      if (!S || S->PrintBehavior() != pbSection) FBandSectionsOnly = false;
    }
  }
  if (TppCustomEngine* E = ChildEngine()) {
    E->SetPrinting(false);
    E->Initialize();
  }
}

void TppSubReport::BeginGeneration() {
  TppStretchable::BeginGeneration();
  FReportGenerated = false;
}

void TppSubReport::EndGeneration() {
  TppStretchable::EndGeneration();
  if (FPrintBehavior != pbSection && FReportGenerated && FCompleted) ++FCount;
  if (FPrintBehavior == pbFixed && FTraverseAllData && FStopPositionSaved) {
    AssignmmStopPosition(FSavedStopPosition);
    FStopPositionSaved = false;
  }
}

int32_t TppSubReport::CalcPrintPosition() {
  const int32_t Top = TppStretchable::CalcPrintPosition();
  if (FPrintBehavior == pbFixed && FTraverseAllData) {
    if (!FStopPositionSaved) {
      FSavedStopPosition = mmStopPosition();
      FStopPositionSaved = true;
    }
    // Each slice ends at the sub-report's own bottom.
    const int32_t Stop = Top + mmHeight();
    AssignmmStopPosition(Stop);
    if (Stop < PageBottom()) SetPageBottom(Stop - mmBottomOffset());
  }
  return Top;
}

void TppSubReport::GenerateContent() {
  FReportGenerated = true;
  if (!FReport || !ChildEngine()) {
    SetOverFlow(false);
    FCompleted = true;
    return;
  }
  // The main report's cancel reaches the child report while it generates.
  auto* Main = dynamic_cast<TppReport*>(GetMainReport());
  TppCustomReport* KeptActive = Main ? Main->ActiveReport() : nullptr;
  if (Main) Main->SetActiveReport(FReport);
  TFinally Restore([&] {
    if (Main) Main->SetActiveReport(KeptActive);
  });
  switch (FPrintBehavior) {
    case pbChild: ChildStep(); break;
    case pbSection: SectionStep(); break;
    case pbFixed:
      if (FTraverseAllData)
        ChildStep();
      else
        FixedStep();
      break;
  }
}

void TppSubReport::GenerateChildPage() {
  TppCustomEngine* E = ChildEngine();
  TppLastPageCachedEvent KeptLast = E->OnGetLastPageCached;
  TNotifyEvent KeptInit = E->OnInitialize, KeptStart = E->OnPageStart, KeptSaved = E->OnDataPipelineStatesSaved;
  TFinally Restore([&] {
    E->OnGetLastPageCached = KeptLast;
    E->OnInitialize = KeptInit;
    E->OnPageStart = KeptStart;
    E->OnDataPipelineStatesSaved = KeptSaved;
  });
  E->OnGetLastPageCached = [this](TObject*, int& Last) { Last = FLastCachedChildPage; };
  E->OnInitialize = nullptr;
  E->OnPageStart = nullptr;
  E->OnDataPipelineStatesSaved = nullptr;
  TppPageRequest Request;
  Request.SetPageSetting(psSinglePage);
  Request.SetPageRequested(FChildPageNo);
  E->SetPrinting(false);
  E->Generate(&Request);
  if (E->StopPrinting())
    E->Reset();
  else
    E->SetPrinting(true);
}

void TppSubReport::SetChildPageDef(int32_t Width, int32_t Height) {
  TppPageDef* Def = ChildEngine()->Page()->PageDef();
  Def->SetmmWidth(Width);
  Def->SetmmHeight(Height);
  Def->SetmmMarginLeft(0);
  Def->SetmmMarginTop(0);
  Def->SetmmMarginRight(0);
  Def->SetmmMarginBottom(0);
}

void TppSubReport::ChildStep() {
  TppCustomEngine* E = ChildEngine();
  if (!FChildRun && OverFlow() && !KeptTogether()) return;
  if (DrillDownActive() && !DrillDownExpanded()) {
    E->SetPrinting(false);
    E->Reset();
    FCompleted = true;
    SetOverFlow(false);
    SetSpaceUsed(0);
    return;
  }
  TppCustomReport* R = BandReport();
  if (R) FReport->SetPrinterSetup(R->PrinterSetup());
  if (!FChildRun) {
    FChildRun = true;
    FFirstPassCompleted = false;
    FCompleted = false;
    FChildPageNo = 1;
    FChildPageCount = 1;
    FLastCachedChildPage = 0;
    E->SetPrinting(false);
    E->Reset();
  } else {
    E->SetFirstPassCompleted(FFirstPassCompleted);
    E->SetAbsolutePageCount(FChildPageCount);
  }
  // The run's start lays its page out for the report's paper: the child's area comes after it.
  if (!(E->EngineState() & esInitialized)) E->Initialize();
  if (R) E->Page()->SetPrinterSetup(R->PrinterSetup());
  const TRect Area = PrintRect();
  SetChildPageDef(Area.Right - Area.Left, Area.Bottom - Area.Top);
  const bool Keep = KeepTogetherApplies() && FPrintBehavior != pbFixed;
  GenerateChildPage();
  if (StopsAtPageBottom()) {
    FCompleted = E->LastBandGenerated();
    SetOverFlow(!FCompleted);
    SetSpaceUsed(E->SpaceUsed());
  } else {
    FCompleted = true;
    SetOverFlow(false);
    SetSpaceUsed(mmHeight());
  }
  if (SpaceUsed() > 0) {
    if (OverFlow() && Keep) {
      // The whole child report starts again on the next page.
      SetKeptTogether(true);
      SetSpaceUsed(0);
      FChildRun = false;
      E->Page()->ClearDrawCommands();
      return;
    }
    if (OverFlow()) {
      ++FChildPageNo;
      FLastCachedChildPage = FReport->AbsolutePageNo();
    }
    FChildPageCount = FReport->AbsolutePageCount();
  } else {
    FLastCachedChildPage = 0;
  }
  FFirstPassCompleted = E->AllDataTraversed() && E->LastBandGenerated();
  if (FCompleted) FChildRun = false;
  if (!OverFlow() && KeepTogether() && KeptTogether()) SetKeptTogether(false);
}

void TppSubReport::FixedStep() {
  TppCustomEngine* E = ChildEngine();
  TppCustomReport* R = BandReport();
  const TRect Area = PrintRect();
  if (Area.Bottom - Area.Top < mmHeight()) {
    SetOverFlow(true);  // the area moves to the next page whole
    return;
  }
  FChildPageNo = 1;
  FLastCachedChildPage = 0;
  FChildPageCount = 1;
  E->SetPrinting(false);
  E->Reset();
  E->Initialize();
  if (R) E->Page()->SetPrinterSetup(R->PrinterSetup());
  SetChildPageDef(mmWidth(), mmHeight());
  GenerateChildPage();
  FCompleted = true;
  SetOverFlow(false);
  SetSpaceUsed(mmHeight());
  FFirstPassCompleted = E->AllDataTraversed() && E->LastBandGenerated();
}

void TppSubReport::ChangeEngineState(uint16_t Bits, bool Include) {
  TppCustomReport* R = BandReport();
  if (auto* Banded = dynamic_cast<TppBandedReport*>(R); Banded && FOnMainReport) {
    if (Include)
      Banded->IncludeEngineState(Bits);
    else
      Banded->ExcludeEngineState(Bits);
    return;
  }
  TppCustomEngine* E = R ? R->Engine() : nullptr;
  if (!E) return;
  if (Include)
    E->IncludeEngineState(Bits);
  else
    E->ExcludeEngineState(Bits);
}

void TppSubReport::SectionStep() {
  TppCustomEngine* E = ChildEngine();
  auto* B = dynamic_cast<TppCustomBand*>(Band());
  TppCustomReport* R = BandReport();
  TppCustomEngine* PE = R ? R->Engine() : nullptr;
  TppCustomReport* Main = GetMainReport();
  TppCustomEngine* ME = Main ? Main->Engine() : nullptr;
  if (!B || !PE || !ME) return;
  SetSpaceUsed(0);
  bool MustStart = FChildRun;
  if (!FSectionBreakTaken) {
    FSectionBreakTaken = true;
    SetOverFlow(true);
    // The section's page break is its own: its opening group breaks add none.
    for (int I = 0; I < FReport->GroupCount(); ++I) {
      TppGroup* G = FReport->GetGroup(I);
      if (G->NewPage() && G->HeaderBand())
        if (IppEngineBandSettings* S = ppEngineBand::MutableSettings(*G->HeaderBand())) S->SetAlreadyPageBreak(true);
    }
    MustStart = ME->AbsolutePageNo() == 0 || ME->AbsolutePageNo() > ME->LastPageCached();
    FChildRun = MustStart;
    FCompleted = false;
    ChangeEngineState(esSectionOpened, true);
    B->SetPrintingSection(true);
    if (B->GetSpaceUsed() > 0 || PE->SpaceUsed() > 0 || !FBandSectionsOnly) return;  // begins on the next page
    if (ME->AbsolutePageNo() == 1 && Main->AbsolutePageCount() > 1) MustStart = FChildRun = false;
  }
  if (MustStart) {
    FChildRun = false;
    FChildPageNo = 1;
    FChildPageCount = 0;
    FLastCachedChildPage = 0;
    FFirstPassCompleted = false;
    FCompleted = false;
    E->SetPrinting(false);
    E->Reset();
  } else {
    E->SetFirstPassCompleted(FFirstPassCompleted);
    E->SetAbsolutePageCount(FChildPageCount);
  }
  if (PE->EngineState() & esSectionOpened) ChangeEngineState(esSectionOpened, false);
  if (!(PE->EngineState() & esSectionRunning)) ChangeEngineState(esSectionRunning, true);
  B->SetPrintingSection(true);
  if (!(E->EngineState() & esInitialized)) E->Initialize();
  if (!E->Page()->PrinterSetup()->IsEqual(*FReport->PrinterSetup())) E->Page()->SetPrinterSetup(FReport->PrinterSetup());
  E->Page()->SetProducer(FReport);
  GenerateChildPage();
  TppPage* ChildPage = E->Page();
  FPageGenerated = ChildPage->GetDrawCommandCount() > 0;
  SetOverFlow(!E->LastBandGenerated());
  SetSpaceUsed(E->SpaceUsed());
  FCompleted = !OverFlow();
  if (FCompleted) {
    ChangeEngineState(esSectionRunning, false);
    ChangeEngineState(esSectionDone, true);
  }
  if (SpaceUsed() > 0) {
    if (OverFlow()) ++FChildPageNo;
    FLastCachedChildPage = FReport->AbsolutePageNo();
    FChildPageCount = FReport->AbsolutePageCount();
  } else {
    FLastCachedChildPage = 0;
  }
  FFirstPassCompleted = E->AllDataTraversed() && E->LastBandGenerated();
  UpdateCachedRunState();
  if (FListenedEngine != PE) {
    if (FListenedEngine) {
      FListenedEngine->RemoveEventNotify(this);
      RemoveNotify(FListenedEngine);
    }
    FListenedEngine = PE;
    PE->AddEventNotify(this);
    AddNotify(PE);
  }
  if (FPageGenerated) {
    // The section page takes the parent page's place, with the child's page setup.
    ME->Page()->Assign(ChildPage);
    if (FNewPrintJob && SameTextAscii(Main->DeviceType(), ppPrinterDeviceName) && ME->DrawPage() && !FSectionDevice)
      StartSectionJob();
  }
  if (!FResetPageNo) {
    TppPage* Target = FPageGenerated ? ME->Page() : ChildPage;
    Target->SetPageNo(PE->GetPageNo());
    Target->SetPageCount(PE->GetPageCount());
    Target->RedrawUpdateables(nullptr);
  }
  if (FCompleted) {
    ++FCount;
    FSectionBreakTaken = false;
    FChildPageNo = 1;
    FChildPageCount = 0;
    FLastCachedChildPage = 0;
    FFirstPassCompleted = false;
    E->SetPrinting(false);
    E->Reset();
    E->Initialize();
  }
}

void TppSubReport::SectionPageSent() {
  if (FPrintBehavior != pbSection) return;
  if (FCompleted) ChangeEngineState(esSectionDone, false);
  if (FPageGenerated) FPageGenerated = false;
  TppCustomReport* Main = GetMainReport();
  TppCustomEngine* ME = Main ? Main->Engine() : nullptr;
  if (FSectionDevice && (FCompleted || (ME && ME->DonePrinting()))) EndSectionJob();
  if (FOnMainReport && ME) {
    TppCustomReport* R = BandReport();
    ME->Page()->SetPrinterSetup(R->PrinterSetup());
    ME->Page()->SetProducer(R);
  }
}

void TppSubReport::StartSectionJob() {
  const TClassInfo* Class = DeviceClassForName(ppPrinterDeviceName);
  TppCustomReport* Main = GetMainReport();
  if (!Class || !Class->Create || !Main) return;
  TPersistent* Made = Class->Create(nullptr);
  auto* D = dynamic_cast<TppDevice*>(Made);
  if (!D) {
    delete Made;
    return;
  }
  FSectionDevice = D;
  D->SetStackable(true);
  if (TppPrinter* P = D->Printer()) P->SetPrinterSetup(*FReport->PrinterSetup());
  D->SetPublisher(Main->Publisher());
  D->StartJob();
}

void TppSubReport::EndSectionJob() {
  TppDevice* D = FSectionDevice;
  if (!D) return;
  FSectionDevice = nullptr;
  if (D->Busy()) D->EndJob();
  D->Free();
}

void TppSubReport::UpdateCachedRunState() {
  TppCustomReport* Main = GetMainReport();
  if (!FReportGenerated || !Main || Main->AbsolutePageNo() < Main->AbsolutePageCount() || !CacheStream()) return;
  // Earlier pages of this run learn its final page count, so any of them regenerates alike.
  for (int Page = CachePageCount(); Page >= 1; --Page) {
    TppSubReportCacheRecord Rec{};
    if (!ReadRecord(Page, Rec) || Rec.Count != FCount) break;
    Rec.ChildRun = FChildRun;
    Rec.FirstPassCompleted = FFirstPassCompleted;
    Rec.LastCachedChildPage = FLastCachedChildPage;
    Rec.ChildPageCount = FReport->AbsolutePageCount();
    WriteRecord(Page, Rec);
  }
}

void TppSubReport::CreateDrawCommand(TppPage* Page) {
  TppCustomEngine* E = ChildEngine();
  if (!E || !Page || FPrintBehavior == pbSection) return;
  if (DrillDownActive() && !DrillDownExpanded()) return;
  TppPage* Child = E->Page();
  const TRect Area = PrintRect();
  const TppPageDef* Def = Child->PageDef();
  TRect Printable;
  if (FPrintBehavior == pbChild)
    Printable = {Area.Left + Def->mmMarginLeft(), Area.Top + Def->mmMarginTop(), Area.Right - Def->mmMarginRight(),
                 Area.Bottom - Def->mmMarginBottom()};
  else  // the fixed area: the commands stay inside the sub-report's own bounds
    Printable = {Area.Left + Def->mmMarginLeft(), Area.Top + Def->mmMarginTop(),
                 Area.Left + mmWidth() - Def->mmMarginRight(), Area.Top + mmHeight() - Def->mmMarginBottom()};
  while (Child->GetDrawCommandCount() > 0) {
    TppDrawCommand* C = Child->GetDrawCommand(0);
    if (!C) {
      Child->ClearDrawCommands();
      break;
    }
    C->SetLeft(C->Left() + Area.Left);
    C->SetTop(C->Top() + Area.Top);
    C->SetPageRect(Printable);
    C->SetPage(Page);
    if (C->Page() != Page) {  // refused (a second outline command): it goes
      Child->RemoveDrawCommand(C);
      C->Free();
    }
  }
}

// ---- the page record

void TppSubReport::SaveToCache(int Page) {
  TppSubReportCacheRecord R{};
  FillStretchableRecord(R.Stretchable);
  R.Stretchable.Reserved1[0] = KeptTogether();
  R.Stretchable.Reserved2[0] = FSectionBreakTaken;
  R.Count = FCount;
  R.ChildRun = FChildRun;
  R.LastCachedChildPage = FLastCachedChildPage;
  R.Completed = FCompleted;
  R.ChildPageNo = FChildPageNo;
  R.ChildPageCount = FChildPageCount;
  R.FirstPassCompleted = FFirstPassCompleted;
  WriteRecord(Page, R);
}

void TppSubReport::RestoreFromCache(int Page) {
  TppSubReportCacheRecord R{};
  if (!ReadRecord(Page, R)) return;
  TakeStretchableRecord(R.Stretchable);
  SetKeptTogether(R.Stretchable.Reserved1[0] != 0);
  FSectionBreakTaken = R.Stretchable.Reserved2[0] != 0;
  FCount = R.Count;
  FChildRun = R.ChildRun != 0;
  FLastCachedChildPage = R.LastCachedChildPage;
  FCompleted = R.Completed != 0;
  FChildPageNo = R.ChildPageNo;
  FChildPageCount = R.ChildPageCount;
  FFirstPassCompleted = R.FirstPassCompleted != 0;
}

// ---- class record

const TClassInfo& TppSubReport::StaticClassInfo() {
  using C = TppSubReport;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppSubReport", &TppStretchable::StaticClassInfo());
    D.Prop("DataPipeline", &C::GetDataPipeline, &C::SetDataPipeline);
    D.Prop("ExpandAll", &C::ExpandAll, &C::SetExpandAll).Default(0);
    D.Prop("NewPrintJob", &C::NewPrintJob, &C::SetNewPrintJob).Default(0);
    D.Prop("OutlineSettings", &C::OutlineSettings, &C::SetOutlineSettings);
    D.Prop("ParentPrinterSetup", &C::ParentPrinterSetup, &C::SetParentPrinterSetup).Default(1);
    D.Prop("ParentWidth", &C::ParentWidth, &C::SetParentWidth).Default(1);
    D.Prop("PrintBehavior", &C::PrintBehavior, &C::SetPrintBehavior).Default(pbChild);
    D.Prop("ResetPageNo", &C::ResetPageNo, &C::SetResetPageNo).Default(1);
    D.Prop("TraverseAllData", &C::TraverseAllData, &C::SetTraverseAllData).Default(0);
    D.Prop("Stretch", &C::Stretch, &C::SetStretch).Default(1);
    return TClassInfo(D);
  }();
  return Info;
}

void InitializeSubReportUnit() { RegisterPPClasses({&TppSubReport::StaticClassInfo()}); }

void FinalizeSubReportUnit() { UnregisterPPClasses({&TppSubReport::StaticClassInfo()}); }
