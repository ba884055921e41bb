// The report's definition as a whole: default bands, freeing the bands, moving a definition
// between reports and between owners.
#include <algorithm>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTemplate.h"

void TppCustomReport::SetTemplateName(const std::string& Value) { FTemplate->SetTemplateName(Value); }

void TppCustomReport::SetTemplate(const TppReportTemplate* Value) { FTemplate->Assign(Value); }

void TppCustomReport::FreeBands() {
  // A group band goes with its group.
  std::vector<TppBand*> GroupBands;
  for (TppGroup* G : FGroups) GroupBands.insert(GroupBands.end(), {G->HeaderBand(), G->FooterBand()});
  while (!FBands.empty()) {
    TppBand* B = FBands.back();
    if (std::find(GroupBands.begin(), GroupBands.end(), B) != GroupBands.end())
      FBands.pop_back();
    else
      B->Free();
  }
  while (!FGroups.empty()) FGroups.back()->Free();
}

void TppCustomReport::CreateDefaultBands() {
  if (!FBands.empty()) return;
  BeginUpdate();
  TFinally AtEnd([this] {
    EndUpdate();
    SetModified(true);
  });
  constexpr uint32_t ColumnBands = (1u << btColumnHeader) | (1u << btColumnFooter);
  if (FColumns < 2)
    FDefaultBands &= ~ColumnBands;
  else
    FDefaultBands |= ColumnBands;
  for (int Kind = btHeader; Kind <= btPageStyle; ++Kind) {
    if (Kind == btGroupHeader || Kind == btGroupFooter || !(FDefaultBands & (1u << Kind))) continue;
    if (GetBand(Kind, 0)) continue;
    if (TppBand* Band = CreateBand(static_cast<TppBandType>(Kind))) Band->SetReport(this);
  }
}

void TppCustomReport::ChangeOwner(TComponent* NewOwner) {
  if (NewOwner == Owner()) return;
  TppProducer::ChangeOwner(NewOwner);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->ChangeOwner(NewOwner);
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->ChangeOwner(NewOwner);
  FTemplate->SetRoot(NewOwner);
}

void TppCustomReport::Transfer(TPersistent* Source) {
  TppProducer::Assign(Source);
  auto* S = dynamic_cast<TppCustomReport*>(Source);
  if (!S || S == this) return;
  // The designer must not watch the definition being torn down and rebuilt. Coming back it must
  // not load the template over the definition just moved in (a template load transfers too).
  TComponent* Designer = GetDesigner();
  ChangeReportDesigner(nullptr, false);
  TFinally AtEnd([this, Designer] {
    ChangeReportDesigner(Designer, false);
    Reset();
  });

  FColumns = S->FColumns;
  FColumnPositions.Assign(&S->FColumnPositions);
  FColumnWidth = S->FColumnWidth;
  SetDataPipeline(S->FDataPipeline);
  FAutoStop = S->FAutoStop;
  FModified = S->FModified;
  FNoDataBehaviors = S->FNoDataBehaviors;
  FPageLimit = S->FPageLimit;
  FPassSetting = S->FPassSetting;
  FSaveAsTemplate = S->FSaveAsTemplate;
  FUnits = S->FUnits;
  FTemplate->Assign(S->FTemplate.get());
  OnEndColumn = S->OnEndColumn;
  OnEndFirstPass = S->OnEndFirstPass;
  OnEndPage = S->OnEndPage;
  OnEndSecondPass = S->OnEndSecondPass;
  OnNoData = S->OnNoData;
  OnStartColumn = S->OnStartColumn;
  OnStartFirstPass = S->OnStartFirstPass;
  OnStartPage = S->OnStartPage;
  OnStartSecondPass = S->OnStartSecondPass;

  FreeBands();
  auto Adopt = [this](TppCommunicator* C) {
    if (C->Owner() != Owner()) C->ChangeOwner(Owner());
  };
  auto AdoptSubReports = [this](TppBand* B) {
    for (int I = 0; I < B->GetObjectCount(); ++I)
      if (TppComponent* C = B->GetObjects(I); C->IsSubReport() && C->ChildReport())
        C->ChildReport()->SetParentReport(this);
  };
  // Group bands follow their groups; every other band joins (first to last, so bands of equal
  // rank keep their order).
  std::vector<TppBand*> GroupBands;
  for (TppGroup* G : S->FGroups) {
    GroupBands.push_back(G->HeaderBand());
    GroupBands.push_back(G->FooterBand());
  }
  for (TppBand* B : std::vector<TppBand*>(S->FBands)) {
    if (std::find(GroupBands.begin(), GroupBands.end(), B) == GroupBands.end()) B->SetReport(this);
    Adopt(B);
    AdoptSubReports(B);
  }
  for (TppGroup* G : std::vector<TppGroup*>(S->FGroups)) {
    G->SetReport(this);
    Adopt(G);
    if (G->HeaderBand()) Adopt(G->HeaderBand());
    if (G->FooterBand()) Adopt(G->FooterBand());
  }
}
