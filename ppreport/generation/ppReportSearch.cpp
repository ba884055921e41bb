// The report's autosearch criteria and dialog, and its children (criteria, parameter list).
#include <algorithm>

#include "platform/app/Application.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/generation/ppReport.h"

TppAutoSearchDialogRunner& ReportAutoSearchDialogRunner();

TppAutoSearchField* TppReport::AutoSearchCriteriaByName(const std::string& DataPipelineName,
                                                        const std::string& FieldName) const {
  for (TppAutoSearchField* F : FAutoSearchFields)
    if (AnsiSameText(F->DataPipelineName(), DataPipelineName) && AnsiSameText(F->FieldName(), FieldName)) return F;
  return nullptr;
}

TppAutoSearchField* TppReport::CreateAutoSearchCriteria(const std::string& DataPipelineName,
                                                        const std::string& FieldName, TppSearchOperatorType Operator,
                                                        const std::string& Expression, bool Mandatory) {
  auto* F = new TppAutoSearchField(Owner() ? Owner() : this);
  F->SetName(GetUniqueName(F));
  F->SetDataPipelineName(DataPipelineName);
  F->SetFieldName(FieldName);
  F->SetSearchOperator(Operator);
  F->SetSearchExpression(Expression);
  F->SetMandatory(Mandatory);
  F->SetParent(this);
  TraParamList Params;
  Params.AddParam("aAutoSearchField", vkClass, &TppAutoSearchField::StaticClassInfo(), {}, true);
  Params.BindConstParam(0, F);
  SendEventNotify(this, ciReportAutoSearchFieldCreate, &Params);
  return F;
}

TppAutoSearchField* TppReport::CreateAutoSearchField(const std::string& TableName, const std::string& FieldName,
                                                     bool Mandatory, const std::string& SearchExpression,
                                                     TppSearchOperatorType SearchOperator, TppDataType DataType,
                                                     const std::string& FieldAlias) {
  TppAutoSearchField* F = CreateAutoSearchCriteria("", FieldName, SearchOperator, SearchExpression, Mandatory);
  F->SetTableName(TableName);
  F->SetDataType(DataType);
  F->SetFieldAlias(FieldAlias);
  return F;
}

std::string TppReport::GetAutoSearchDescriptionAsString() {
  std::string Text;
  for (size_t I = 0; I < FAutoSearchFields.size(); ++I) {
    FAutoSearchFields[I]->SetFirstField(I == 0);
    if (I > 0) Text += " ";
    Text += FAutoSearchFields[I]->GetDescription();
  }
  return Text;
}

void TppReport::GetAutoSearchDescriptionLines(TStrings& Lines) {
  Lines.Clear();
  for (TppAutoSearchField* F : FAutoSearchFields) {
    if (F->SearchExpression().empty()) continue;
    F->SetFirstField(Lines.Count() == 0);
    Lines.Add(F->GetDescription());
  }
}

bool TppReport::AutoSearchStep() {
  FAutoSearchFromPrint = true;
  TFinally Done([this] {
    FreeAndNil(FAutoSearchDialog);
    FAutoSearchFromPrint = false;
  });
  const bool Go = DisplayAutoSearchDialog();
  TppCustomEngine* E = Engine();
  if (Go && !(E && (E->EngineState() & esInitialized)) && !FAutoSearchFields.empty()) DoGetAutoSearchValues();
  return Go;
}

bool TppReport::DisplayAutoSearchDialog() {
  DoBeforeAutoSearchDialogCreate();
  if (!ShowAutoSearchDialog()) return true;
  FreeAndNil(FAutoSearchDialog);
  // No dialog to ask with: the criteria stand as they are.
  if (!GetFormClass(ppAutoSearchDialogRole)) return true;
  FAutoSearchDialog = CreateFormOfRole(ppAutoSearchDialogRole, Application);
  DoAfterAutoSearchDialogCreate();
  if (FAutoSearchFields.empty()) {
    FreeAndNil(FAutoSearchDialog);
    return true;
  }
  bool Ok = true;
  try {
    if (ReportAutoSearchDialogRunner()) Ok = ReportAutoSearchDialogRunner()(*FAutoSearchDialog, *this, FAutoSearchFields);
  } catch (...) {
    FreeAndNil(FAutoSearchDialog);
    throw;
  }
  if (Ok) {
    Reset();
    if (TppCustomEngine* E = Engine()) E->Reset();
    if (!FAutoSearchFromPrint) DoGetAutoSearchValues();
  }
  // Opened by Print, the caller frees it.
  if (!FAutoSearchFromPrint) FreeAndNil(FAutoSearchDialog);
  return Ok;
}

// ---- children

void TppReport::AddAutoSearchField(TppAutoSearchField* Field, int Position) {
  if (std::find(FAutoSearchFields.begin(), FAutoSearchFields.end(), Field) != FAutoSearchFields.end()) return;
  const size_t At = Position < 0 ? FAutoSearchFields.size()
                                 : std::min(static_cast<size_t>(Position), FAutoSearchFields.size());
  FAutoSearchFields.insert(FAutoSearchFields.begin() + static_cast<std::ptrdiff_t>(At), Field);
  AddNotify(Field);
  Reset();
}

void TppReport::AddChild(TppRelative* Child) {
  if (auto* F = dynamic_cast<TppAutoSearchField*>(Child)) return AddAutoSearchField(F, -1);
  if (auto* P = dynamic_cast<TppParameterList*>(Child)) {
    if (P == FParameters) return;
    TppParameterList* Old = FParameters;
    FParameters = P;
    AddNotify(P);
    if (Old) {
      RemoveNotify(Old);
      Old->Free();
    }
    return;
  }
  TppBandedReport::AddChild(Child);
}

void TppReport::InsertChild(int Position, TppRelative* Child) {
  if (auto* F = dynamic_cast<TppAutoSearchField*>(Child)) return AddAutoSearchField(F, Position);
  if (dynamic_cast<TppParameterList*>(Child)) return AddChild(Child);
  TppBandedReport::InsertChild(Position, Child);
}

int TppReport::IndexOfChild(const TppRelative* Child) const {
  if (auto* F = dynamic_cast<const TppAutoSearchField*>(Child)) {
    auto It = std::find(FAutoSearchFields.begin(), FAutoSearchFields.end(), F);
    return It == FAutoSearchFields.end() ? -1 : static_cast<int>(It - FAutoSearchFields.begin());
  }
  if (dynamic_cast<const TppParameterList*>(Child)) return Child == FParameters ? 0 : -1;
  return TppBandedReport::IndexOfChild(Child);
}

void TppReport::RemoveChild(TppRelative* Child) {
  if (auto* F = dynamic_cast<TppAutoSearchField*>(Child)) {
    RemoveNotify(F);
    std::erase(FAutoSearchFields, F);
    Reset();
    return;
  }
  if (Child && Child == FParameters) {
    RemoveNotify(FParameters);
    FParameters = nullptr;
    return;
  }
  TppBandedReport::RemoveChild(Child);
}

void TppReport::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TppBandedReport::GetChildren(Proc, Root);
  for (TppAutoSearchField* F : FAutoSearchFields) Proc(F);
  if (FParameters) Proc(FParameters);
}
