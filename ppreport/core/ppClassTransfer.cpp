// The report's definition as a whole: freeing its bands and moving a definition between reports.
#include <algorithm>
#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTemplate.h"

void TppCustomReport::SetTemplateName(const std::string& Value) { FTemplate->SetTemplateName(Value); }

void TppCustomReport::FreeBands() {
  // Groups free their own bands.
  while (!FGroups.empty()) delete FGroups.back();
  while (!FBands.empty()) delete FBands.back();
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
  FColumnWidth = S->FColumnWidth;
  SetDataPipeline(S->FDataPipeline);
  FModified = S->FModified;
  FSaveAsTemplate = S->FSaveAsTemplate;
  FUnits = S->FUnits;
  FTemplate->Assign(S->FTemplate.get());

  FreeBands();
  auto Adopt = [this](TppCommunicator* C) {
    if (C->Owner() != Owner()) C->ChangeOwner(Owner());
  };
  // Group bands follow their groups; every other band joins in its order.
  std::vector<TppBand*> GroupBands;
  for (TppGroup* G : S->FGroups) {
    GroupBands.push_back(G->HeaderBand());
    GroupBands.push_back(G->FooterBand());
  }
  for (TppBand* B : std::vector<TppBand*>(S->FBands)) {
    if (std::find(GroupBands.begin(), GroupBands.end(), B) != GroupBands.end()) continue;
    B->SetReport(this);
    Adopt(B);
  }
  for (TppGroup* G : std::vector<TppGroup*>(S->FGroups)) {
    G->SetReport(this);
    Adopt(G);
    if (G->HeaderBand()) Adopt(G->HeaderBand());
    if (G->FooterBand()) Adopt(G->FooterBand());
  }
}
