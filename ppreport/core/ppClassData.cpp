// The report's master pipeline and how band objects and groups follow it.
#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTemplate.h"

TppDataPipeline* TppCustomReport::OwnDataPipelineOf(const TppBand* Band) const {
  if (Band->GetBandType() != btDetail) return nullptr;
  TppDataPipeline* P = Band->GetDataPipeline();
  return P != FDataPipeline ? P : nullptr;
}

namespace {
bool HasField(TppDataPipeline* Pipeline, const std::string& Name) {
  return Name.empty() || Pipeline->GetFieldObjects(Name) != nullptr;
}
}  // namespace

void TppCustomReport::SetDataPipeline(TppDataPipeline* Value) {
  if (Value == FDataPipeline) return;
  TppDataPipeline* Old = FDataPipeline;
  if (Old) {
    Old->RemoveEventNotify(this);
    RemoveNotify(Old);
  }
  FDataPipeline = Value;
  if (Value) {
    Value->AddEventNotify(this);
    AddNotify(Value);
  }
  if (auto* SubReport = dynamic_cast<TppComponent*>(Parent()); SubReport && SubReport->IsSubReport())
    SubReport->SetDataPipeline(Value);
  Notify(Value, ppopDataChange);
  if (GetReportDesigner()) SendNotify(Value, ppopDataChange);
  if (ReadingOrLoading() || (DesignState() & dsTemplateLoading)) return;
  ReplaceBandDataPipelines(Value, Old);
  FAutoStop = Value == nullptr;
  Reset();
  SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
}

void TppCustomReport::ReplaceBandDataPipelines(TppDataPipeline* NewPipeline, TppDataPipeline* OldPipeline) {
  for (TppBand* B : std::vector<TppBand*>(FBands)) {
    if (OwnDataPipelineOf(B)) continue;
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      TppComponent* C = B->GetObjects(I);
      if (!C->IsDataAware() || !C->ParentDataPipeline()) continue;
      if (TppDataPipeline* P = C->GetDataPipeline()) {
        if (P == OldPipeline) C->SetDataPipeline(NewPipeline);
      } else if (NewPipeline && HasField(NewPipeline, C->DataField())) {
        C->SetDataPipeline(NewPipeline);
      }
    }
  }
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) {
    if (G->BreakType() != btDataField) continue;
    if (G->DataPipeline() == OldPipeline)
      G->SetDataPipeline(NewPipeline);
    else if (NewPipeline && HasField(NewPipeline, G->BreakName()))
      G->SetDataPipeline(NewPipeline);
  }
}

void TppCustomReport::ResolveDataPipelines() {
  TppDataPipelineList List(this);
  for (int I = 0; I < List.Count(); ++I) List.GetDataPipeline(I)->ResolveMasterDataPipeline(List);
  if (!FDataPipeline && !FDataPipelineName.empty())
    SetDataPipeline(List.GetDataPipelineForName(FDataPipelineName));
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->ResolveDataPipeline(List);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->ResolveDataPipeline(List);
}

void TppCustomReport::GetDataPipelines(std::vector<TppDataPipeline*>& List) const {
  auto Add = [&List](TppDataPipeline* P) {
    if (P && std::find(List.begin(), List.end(), P) == List.end()) List.push_back(P);
  };
  Add(FDataPipeline);
  if (const TppBand* Detail = GetDetailBand()) Add(OwnDataPipelineOf(Detail));
  for (TppBand* B : FBands)
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      std::vector<TppDataPipeline*> Own;
      B->GetObjects(I)->GetDataPipelines(Own);
      for (TppDataPipeline* P : Own) Add(P);
    }
}

void TppCustomReport::RenameDataField(TppDataPipeline* Pipeline, const std::string& OldName,
                                      const std::string& NewName) {
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->RenameDataField(Pipeline, OldName, NewName);
  if (Pipeline && Pipeline == FDataPipeline)
    for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->RenameDataField(OldName, NewName);
}

void TppCustomReport::ReplaceDataPipeline(TppDataPipeline* NewPipeline, const std::string& UserName) {
  if (FDataPipeline && FDataPipeline->GetUserName() == UserName) SetDataPipeline(NewPipeline);
  for (TppBand* B : std::vector<TppBand*>(FBands)) B->ReplaceDataPipeline(NewPipeline, UserName);
  for (TppGroup* G : std::vector<TppGroup*>(FGroups)) G->ReplaceDataPipeline(NewPipeline, UserName);
}

void TppCustomReport::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppProducer::Notify(Partner, Operation);
  if (!Partner) return;
  if (Partner == FDataPipeline) {
    if (Operation == ppopRemove) {
      ClearCaches();
      FDataPipeline = nullptr;
      FAutoStop = true;
      Reset();
      SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
    } else if (Operation == ppopDataChange) {
      Reset();
    } else if (Operation == ppopUserNameChange) {
      SendDesignerMessage(ppdmReportPipelineChange, ppdmMessageClass, reinterpret_cast<intptr_t>(this));
    }
    return;
  }
  if (Operation != ppopRemove) return;
  if (Partner == FParentReport) FParentReport = nullptr;
  if (TppTemplateDBSettings* Settings = FTemplate ? FTemplate->DatabaseSettings() : nullptr;
      Settings && Partner == Settings->DataPipeline())
    Settings->SetDataPipeline(nullptr);
}

void TppCustomReport::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppProducer::EventNotify(Sender, EventID, Params);
  if (EventID == ciReportPipelineNotice && Sender && Sender == FDataPipeline && !GetMainReport()->Printing())
    ClearCaches();
}
