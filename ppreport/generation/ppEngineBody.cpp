// TppEngine: one page (its start, the body of band lists, the group footers that open a page) and
// the page end with the two-pass last-page adjustment.
#include <algorithm>

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppEngineBands.h"

// ---- one page

void TppEngine::GeneratePage() {
  DoOnPageStart();
  RestoreDataPipelineStates();
  if (EngineState() & (esSectionOpened | esSectionRunning)) {
    InitPage();
    SetPageStarted(false);
    GenerateBody(FBandListIndex, FBandIndex);
    return;
  }
  StartPage();
  if (FBandListIndex != blGroupFooter) {
    AdvanceRecord();
    InitBreakValues();
  }
  switch (FBandListIndex) {
    case blHeader:
    case blTitle:
    case blColumnHeader:
    case blDetail:
      FBandListIndex = blGroupHeader;
      FBandIndex = 0;
      break;
    case blGroupHeader: FBandIndex = 0; break;
    case blGroupFooter:
      if (!FColumnar) GenerateGroupFooters();
      break;
    default: break;
  }
  GenerateBody(FBandListIndex, FBandIndex);
}

void TppEngine::StartPage() {
  SetPageStarted(false);
  const int KeptList = FBandListIndex, KeptBand = FBandIndex;
  InitPage();
  if (!FPageComplete) {
    IncludePrintCondition(pcHeader);
    GenerateBandList(blPageStyle, 0, false);
    ExcludePrintCondition(pcHeader);
  }
  if (PrintCondition() & pcTitle) {
    FBandListIndex = blTitle;
    GenerateBandList(blTitle, 0, false);
    if (!FPageComplete) ExcludePrintCondition(pcTitle);
  }
  if (!FPageComplete) {
    // Page-start kinds stay due until the next record prints.
    IncludePrintCondition(pcHeader);
    FBandListIndex = blHeader;
    GenerateBandList(blHeader, 0, false);
    FBandListIndex = KeptList;
    FBandIndex = KeptBand;
  }
  std::fill(FColumnStarted.begin(), FColumnStarted.end(), false);
  std::fill(FColumnFinished.begin(), FColumnFinished.end(), false);
}

void TppEngine::InitPage() {
  TppCustomReport* R = CustomReport();
  if (TppBand* Detail = DetailBand()) ppEngineBand::SetCount(*Detail, 0);
  if (AbsolutePageNo() == 1) SendEventNotify(this, ciEngineReportStart, nullptr);
  R->DoOnStartPage();
  if (AbsolutePageNo() == 1) IncludePrintCondition(pcDetail);
  TppPageDef* Def = Page()->PageDef();
  SetPrintPosition(Def->mmMarginLeft(), Def->mmMarginTop(), Def->mmMarginLeft() + Def->GetmmPrintableWidth(),
                   Def->mmMarginTop());
  SetFirstDetailBandPrinted(false);
  FAllColumnsStarted = false;
  FPageComplete = false;
  SetCurrentColumn(0);
  FColumnStartPosition = 0;
  SetPageBandCount(1);
  if (FirstPass() && AbsolutePageNo() > AbsolutePageCount()) {
    SetAbsolutePageCount(AbsolutePageNo());
    UpdateGroupPageNumbers();
  }
  Page()->ClearDrawCommands();
  SetDrawPage(false);
  UpdatePageProperties();
  DecideDrawPage();
  for (int I = 0; I < R->BandCount(); ++I) R->GetBands(I)->SetDrawPage(DrawPage());
  for (int I = 0; I < R->BandCount(); ++I) R->GetBands(I)->ReprintCheck();
}

void TppEngine::GenerateBody(int List, int Band) {
  FBandListIndex = List;
  FBandIndex = Band;
  while (FBandListIndex <= blGroupFooter && !FPageComplete && !StopPrinting() && !(EngineState() & esSectionOpened)) {
    if (FColumnar && (FColumnComplete || CurrentColumn() == 0)) {
      FColumnComplete = false;
      const int L = FBandListIndex, B = FBandIndex;
      StartColumn();
      FBandListIndex = L;
      FBandIndex = B;
      if (FBandListIndex == blGroupFooter) {
        GenerateGroupFooters();
      } else if (FBandListIndex == blGroupHeader || FBandListIndex == blDetail) {
        GenerateBandList(blGroupHeader, 0, false);
        FBandListIndex = blDetail;
        FBandIndex = 0;
      }
    }
    if (!FColumnar || !FColumnComplete) {
      const int Current = FBandListIndex;
      GenerateBandList(FBandListIndex, FBandIndex, true);
      const bool Still = FBandListIndex == Current && ((!FColumnar && !FPageComplete) || (FColumnar && !FColumnComplete));
      if (Still) {
        if (FBandListIndex == blGroupFooter && !AllDataTraversed())
          FBandListIndex = blGroupHeader;
        else
          ++FBandListIndex;
        FBandIndex = 0;
      }
    }
    ProcessMessages();
    if (EngineState() & esSectionOpened) break;
  }
  if (!FPageComplete && AllDataTraversed() && !StopPrinting()) {
    FBandListIndex = blSummary;
    GenerateBandList(blSummary, 0, false);
  }
  if (!FPageComplete && !StopPrinting()) {
    if (FColumnar)
      EndColumn();
    else
      EndPage();
  }
}

bool TppEngine::IsPageStartedByBand(TppBand* Band) const {
  if (FBandListIndex >= blHeader && FBandListIndex <= blColumnHeader) return false;
  if (Band->GetBandType() == btGroupHeader && Band->GetGroup() && Band->GetGroup()->ReprintOnSubsequentPage())
    return false;
  return const_cast<TppEngine*>(this)->TppCustomEngine::GetPageStarted() || ppEngineBand::SpaceUsed(*Band) > 0;
}

void TppEngine::GenerateBandList(int List, int Start, bool Keep) {
  GenerateBands(FBandLists[static_cast<size_t>(List)], Start, Keep, List);
}

void TppEngine::GenerateBands(const std::vector<TppBand*>& Bands, int Start, bool Keep, int List) {
  bool OutOfSpace = false;
  int Index = Start;
  for (; Index < static_cast<int>(Bands.size()) && !OutOfSpace && !StopPrinting(); ++Index) {
    TppBand* B = Bands[static_cast<size_t>(Index)];
    FCurrentBand = B;
    ppEngineBand::Generate(*B);
    if (StopPrinting()) {
      FCurrentBand = nullptr;
      return;
    }
    if (IsPageStartedByBand(B)) SetPageStarted(true);
    // The space used is the lowest position reached on the page, whichever column reached it.
    SetSpaceUsed(std::max(SpaceUsed(), PrintPosition().Bottom));
    OutOfSpace = ppEngineBand::OutOfSpace(*B);
    if (OutOfSpace) CheckKeepTogether(B);
    if (AllDataTraversed() && B == FLastBand && !OutOfSpace) SetLastBandGenerated(true);
    ProcessMessages();
    if (OutOfSpace) break;
  }
  if (List == blGroupHeader && !OutOfSpace) ExcludePrintCondition(pcTitle | pcHeader | pcColumnHeader);
  // Where the list stopped: the band that ran out of space resumes itself on the next page.
  if (Keep) FBandIndex = OutOfSpace ? Index : std::max(0, static_cast<int>(Bands.size()) - 1);
  if (OutOfSpace && !(PrintCondition() & pcFooter) && !StopPrinting()) {
    if (FColumnar)
      EndColumn();
    else
      EndPage();
  }
  FCurrentBand = nullptr;
}

void TppEngine::GenerateGroupFooters() {
  TppCustomReport* R = CustomReport();
  std::vector<TppBand*> Headers = FBandLists[blGroupHeader];
  // Each header's break flag is kept aside while the headers reprint above orphaned footers.
  std::vector<bool> SaveGeneration;
  for (TppBand* H : Headers) {
    SaveGeneration.push_back(ppEngineBand::Generation(*H));
    ppEngineBand::SetGeneration(*H, false);
  }
  const auto& Footers = FBandLists[blGroupFooter];
  if (FBandIndex < static_cast<int>(Footers.size())) {
    TppGroup* G = Footers[static_cast<size_t>(FBandIndex)]->GetGroup();
    const int GroupNo = G ? R->IndexOfGroup(G) : -1;
    const int Last = G && !G->HeaderForOrphanedFooter() ? GroupNo - 1 : GroupNo;
    std::vector<TppBand*> Reprint;
    for (TppBand* H : Headers) {
      TppGroup* HG = H->GetGroup();
      if (HG && R->IndexOfGroup(HG) <= Last) Reprint.push_back(H);
    }
    const int Kept = FBandListIndex;
    FBandListIndex = blGroupHeader;
    GenerateBands(Reprint, 0, false, -1);
    FBandListIndex = Kept;
  }
  ExcludePrintCondition(pcTitle | pcHeader | pcColumnHeader);
  for (size_t I = 0; I < Headers.size(); ++I) ppEngineBand::SetGeneration(*Headers[I], SaveGeneration[I]);
  if (FPageComplete) return;
  const int From = FBandIndex;
  GenerateBandList(blGroupFooter, From, true);
  bool AllFit = true;
  TppBand* LastExamined = nullptr;
  for (int I = From; I < static_cast<int>(Footers.size()); ++I) {
    LastExamined = Footers[static_cast<size_t>(I)];
    if (ppEngineBand::OutOfSpace(*LastExamined)) {
      AllFit = false;
      break;
    }
  }
  if (AllFit) {
    FBandListIndex = AllDataTraversed() ? blSummary : blGroupHeader;
    FBandIndex = 0;
  }
  InitBreakValues();
  TppGroup* LG = LastExamined ? LastExamined->GetGroup() : nullptr;
  if (!(LG && LG->NewPage())) AdvanceRecord();
}

// ---- page end

void TppEngine::EndPage() {
  TppCustomReport* R = CustomReport();
  FPageComplete = true;
  if (!FColumnar) SaveStatesAtPageEnd();
  FLastPageGenerated = AbsolutePageNo();
  if (!FColumnar && CalcsOutOfSync()) StepBack();
  R->EndOfPage();
  if (!(PrintCondition() & pcFooter) && !(EngineState() & (esSectionRunning | esSectionDone))) {
    IncludePrintCondition(pcFooter);
    const int L = FBandListIndex, B = FBandIndex;
    GenerateBandList(blFooter, 0, false);
    FBandListIndex = L;
    FBandIndex = B;
  }
  DoOnEndPage();
  if (FirstPass() && AllDataTraversed() && LastBandGenerated()) {
    SetFirstPassCompleted(true);
    SendEventNotify(this, ciEngineReportEnd, nullptr);
    if (!IsChildEngine() && FMainReportStarted) R->EndOfMainReport();
  }
  if (FirstPassCompleted() && AbsolutePageNo() == AbsolutePageCount() && DrawPage()) AdjustLastPage();
  if (!HasData() && SpaceUsed() > 0) ShowNoDataMessage();
  DoBeforeSendPage();
  UpdatePageProperties();
  CheckGenerationComplete();
  DoAfterSendPage();
  ExcludePrintCondition(pcFooter);
}

void TppEngine::AdjustLastPage() {
  TppPage* P = Page();
  std::vector<TppDrawCommand*> Remove;
  auto CommandsOf = [P](TppBand* B) {
    std::vector<TppDrawCommand*> L;
    for (int I = 0; I < P->GetDrawCommandCount(); ++I)
      if (TppDrawCommand* C = P->GetDrawCommand(I); C && C->Band() == B) L.push_back(C);
    return L;
  };
  auto KindOf = [](TppDrawCommand* C) {
    auto* B = dynamic_cast<TppBand*>(C->Band());
    return B ? static_cast<int>(B->GetBandType()) : -1;
  };
  int32_t H = 0;
  for (TppBand* B : FBandLists[blHeader]) {
    H = std::max(H, ppEngineBand::SpaceUsed(*B));
    if (ppEngineBand::Settings(*B).PrintOnLastPage()) continue;
    for (TppDrawCommand* C : CommandsOf(B)) Remove.push_back(C);
    for (int I = 0; I < P->GetDrawCommandCount(); ++I) {
      TppDrawCommand* C = P->GetDrawCommand(I);
      if (!C || C->Band() == B) continue;
      const int K = KindOf(C);
      if (K != btTitle && K != btFooter && K != btColumnFooter) C->SetTop(C->Top() - H);
    }
  }
  int32_t F = 0;
  for (TppBand* B : FBandLists[blFooter]) {
    const int32_t Used = ppEngineBand::SpaceUsed(*B);
    F = Used > F ? Used : B->mmHeight();
    if (ppEngineBand::Settings(*B).PrintOnLastPage()) continue;
    for (TppDrawCommand* C : CommandsOf(B)) Remove.push_back(C);
    for (int I = 0; I < P->GetDrawCommandCount(); ++I)
      if (TppDrawCommand* C = P->GetDrawCommand(I); C && KindOf(C) == btColumnFooter) C->SetTop(C->Top() + F);
  }
  for (TppDrawCommand* C : Remove) {
    P->RemoveDrawCommand(C);
    delete C;
  }
}
