// The pipeline's companions: fields, master field links, the link range index, pipeline lists.
#include <algorithm>

#include "platform/app/DataModule.h"
#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/LocaleCase.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppUtils.h"

// ---- TppField

const TClassInfo& TppField::StaticClassInfo() {
  using F = TppField;
  static const TClassInfo Info = TClassDef<F>("TppField", &TppRelative::StaticClassInfo())
                                     .Prop("Alignment", &F::Alignment, &F::SetAlignment)
                                     .Default(taLeftJustify)
                                     .Prop("FieldAlias", &F::FieldAlias, &F::SetFieldAlias)
                                     .Prop("FieldName", &F::FieldName, &F::SetFieldName)
                                     .Prop("FieldLength", &F::FieldLength, &F::SetFieldLength)
                                     .Default(10)
                                     .Prop("DisplayFormat", &F::DisplayFormat, &F::SetDisplayFormat)
                                     .Prop("DisplayWidth", &F::DisplayWidth, &F::SetDisplayWidth)
                                     .Default(10)
                                     .Prop("DataType", &F::DataType, &F::SetDataType)
                                     .Default(dtString)
                                     .Prop("GroupOrder", &F::GroupOrder, &F::SetGroupOrder)
                                     .Default(-1)
                                     .Prop("IsDetail", &F::IsDetail, &F::SetIsDetail)
                                     .Default(0)
                                     .Prop("Linkable", &F::Linkable, &F::SetLinkable)
                                     .Default(1)
                                     .Prop("Mandatory", &F::Mandatory, &F::SetMandatory)
                                     .Default(0)
                                     .Prop("Searchable", &F::Searchable, &F::SetSearchable)
                                     .Default(1)
                                     .Prop("Search", &F::Search, &F::SetSearch)
                                     .Default(0)
                                     .Prop("SearchExpression", &F::SearchExpression, &F::SetSearchExpression)
                                     .Prop("SearchOrder", &F::SearchOrder, &F::SetSearchOrder)
                                     .Default(-1)
                                     .Prop("Selectable", &F::Selectable, &F::SetSelectable)
                                     .Default(1)
                                     .Prop("SelectOrder", &F::SelectOrder, &F::SetSelectOrder)
                                     .Default(-1)
                                     .Prop("ShowAllValues", &F::ShowAllValues, &F::SetShowAllValues)
                                     .Default(0)
                                     .Prop("Sortable", &F::Sortable, &F::SetSortable)
                                     .Default(1)
                                     .Prop("Sort", &F::Sort, &F::SetSort)
                                     .Default(0)
                                     .Prop("SortExpression", &F::SortExpression, &F::SetSortExpression)
                                     .Prop("SortOrder", &F::SortOrder, &F::SetSortOrder)
                                     .Default(-1)
                                     .Prop("SortType", &F::SortType, &F::SetSortType)
                                     .Default(soAscending)
                                     .Prop("TableAlias", &F::TableAlias, &F::SetTableAlias)
                                     .Prop("TableName", &F::TableName, &F::SetTableName);
  return Info;
}

TppField::TppField(TComponent* AOwner) : TppRelative(AOwner) {}

TppField::~TppField() { BeforeDestruction(); }

void TppField::SetFieldName(const std::string& Value) {
  if (FFieldAlias == FFieldName) FFieldAlias = Value;
  FFieldName = Value;
  PropertyChanged();
}

void TppField::SetSearchExpression(const std::string& Value) {
  FSearchExpression = Value;
  PropertyChanged();
}

void TppField::SetMandatory(bool Value) {
  FMandatory = Value;
  if (Value) FShowAllValues = false;
}

void TppField::SetShowAllValues(bool Value) {
  FShowAllValues = Value;
  if (Value) FMandatory = false;
}

void TppField::SetDataType(TppDataType Value) {
  if (TppDataPipeline* P = GetDataPipeline())
    if (!P->IsDataTypeSupported(Value)) throw EInvalidPropertyError(SppDataTypeNotSupported + P->ClassName());
  FDataType = Value;
}

bool TppField::IsEqual(const TppField* Other) const {
  if (!Other) return false;
  auto Key = [](const TppField& F) {
    return std::tuple(F.FAlignment, F.FFieldAlias, F.FFieldName, F.FFieldLength, F.FIsDetail, F.FLinkable,
                      F.FGroupOrder, F.FDataType, F.FDisplayFormat, F.FDisplayWidth, F.FMandatory, F.GetPosition(),
                      F.FSelectable, F.FSelectOrder, F.FSearchable, F.FSearch, F.FSearchExpression, F.FSearchOrder,
                      F.FShowAllValues, F.FSortable, F.FSort, F.FSortOrder, F.FSortType, F.FSortExpression,
                      F.FTableAlias, F.FTableName);
  };
  return Key(*this) == Key(*Other);
}

void TppField::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppField*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FAlignment = S->FAlignment;
  FFieldAlias = S->FFieldAlias;
  FFieldName = S->FFieldName;
  FFieldLength = S->FFieldLength;
  FIsDetail = S->FIsDetail;
  FLinkable = S->FLinkable;
  FGroupOrder = S->FGroupOrder;
  FDataType = S->FDataType;
  FDisplayFormat = S->FDisplayFormat;
  FDisplayWidth = S->FDisplayWidth;
  FMandatory = S->FMandatory;
  FSelectable = S->FSelectable;
  FSelectOrder = S->FSelectOrder;
  FSearchable = S->FSearchable;
  FSearch = S->FSearch;
  FSearchExpression = S->FSearchExpression;
  FSearchOrder = S->FSearchOrder;
  FShowAllValues = S->FShowAllValues;
  FSortable = S->FSortable;
  FSort = S->FSort;
  FSortOrder = S->FSortOrder;
  FSortType = S->FSortType;
  FSortExpression = S->FSortExpression;
  FTableAlias = S->FTableAlias;
  FTableName = S->FTableName;
  if (S->GetPosition() >= 0) SetPosition(S->GetPosition());
}

TppDataPipeline* TppField::GetDataPipeline() const { return dynamic_cast<TppDataPipeline*>(Parent()); }

double TppField::GetAsDouble() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsDouble(FFieldName) : 0;
}

TPicture* TppField::GetAsPicture() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsPicture(FFieldName) : nullptr;
}

std::string TppField::GetAsString() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsString(FFieldName) : std::string();
}

bool TppField::GetIsNull() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->IsFieldNull(FFieldName) : true;
}

Variant TppField::GetValue() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldValue(FFieldName) : Variant();
}

void TppField::DefineProperties(TFiler* Filer) {
  TppRelative::DefineProperties(Filer);
  // Older streams carry Visible; it means nothing any more.
  Filer->DefineProperty("Visible", [](TReader& R) { R.ReadBoolean(); }, [](TWriter&) {}, false);
}

// ---- TppMasterFieldLink

const TClassInfo& TppMasterFieldLink::StaticClassInfo() {
  using L = TppMasterFieldLink;
  static const TClassInfo Info = TClassDef<L>("TppMasterFieldLink", &TppRelative::StaticClassInfo())
                                     .Prop("MasterFieldName", &L::MasterFieldName, &L::MasterFieldName)
                                     .Prop("DetailFieldName", &L::DetailFieldName, &L::DetailFieldName)
                                     .Prop("DetailSortOrder", &L::DetailSortOrder, &L::DetailSortOrder)
                                     .Default(soAscending)
                                     .Prop("IsCaseSensitive", &L::IsCaseSensitive, &L::IsCaseSensitive)
                                     .Default(0)
                                     .Prop("CollationType", &L::CollationType, &L::CollationType)
                                     .Default(ctANSI)
                                     .Prop("GuidCollationType", &L::GuidCollationType, &L::GuidCollationType)
                                     .Default(gcString);
  return Info;
}

TppMasterFieldLink::~TppMasterFieldLink() { BeforeDestruction(); }

// ---- TppLinkRangeIndex

void TppLinkRangeIndex::Clear() {
  FKeys.clear();
  FRanges.clear();
  FIndex.clear();
}

int TppLinkRangeIndex::IndexOfMasterRecNo(int RecNo) const {
  auto It = FIndex.find(RecNo);
  return It == FIndex.end() ? -1 : static_cast<int>(It->second);
}

TppLinkRangeIndex::TRange* TppLinkRangeIndex::FindRange(int RecNo) {
  const int I = IndexOfMasterRecNo(RecNo);
  return I < 0 ? nullptr : &FRanges[static_cast<size_t>(I)];
}

void TppLinkRangeIndex::SetRange(int RecNo, int Start, int End) {
  if (TRange* R = FindRange(RecNo)) {
    *R = {Start, End};
    return;
  }
  FIndex.emplace(RecNo, FKeys.size());
  FKeys.push_back(RecNo);
  FRanges.push_back({Start, End});
}

bool TppLinkRangeIndex::GetRangeStart(int RecNo, int& Start) const {
  const int I = IndexOfMasterRecNo(RecNo);
  if (I < 0 || FRanges[static_cast<size_t>(I)].Start < 0) return false;
  Start = FRanges[static_cast<size_t>(I)].Start;
  return true;
}

bool TppLinkRangeIndex::GetRangeEnd(int RecNo, int& End) const {
  const int I = IndexOfMasterRecNo(RecNo);
  if (I < 0 || FRanges[static_cast<size_t>(I)].End < 0) return false;
  End = FRanges[static_cast<size_t>(I)].End;
  return true;
}

// ---- TppDataPipelineList

TppDataPipelineList::TppDataPipelineList(TComponent* Report) : FReport(Report) { Refresh(); }

void TppDataPipelineList::AddPipeline(TppDataPipeline* Pipeline) {
  if (!Pipeline || !Pipeline->Visible() || IndexOfObject(Pipeline) >= 0) return;
  AddObject(Pipeline->GetUserName(), Pipeline);
}

void TppDataPipelineList::AddOwnedBy(const TComponent* Owner) {
  if (!Owner) return;
  for (int I = 0; I < Owner->ComponentCount(); ++I)
    AddPipeline(dynamic_cast<TppDataPipeline*>(Owner->Components(I)));
}

void TppDataPipelineList::Refresh() {
  Clear();
  if (!FReport) return;
  if (auto* R = dynamic_cast<IppPipelineReport*>(FReport))
    R->GetDataModulePipelines([this](TppDataPipeline* P) { AddPipeline(P); });
  // A designer would enumerate the pipelines of its forms here; none runs in this program.
  const TComponent* Owner = FReport->Owner();
  AddOwnedBy(Owner);
  if (IsMainThreadContext())
    for (int I = 0; I < DataModuleCount(); ++I)
      if (DataModules(I) != Owner) AddOwnedBy(DataModules(I));
}

TppDataPipeline* TppDataPipelineList::GetDataPipelineForName(const std::string& Name) const {
  for (int I = 0; I < Count(); ++I) {
    auto* P = static_cast<TppDataPipeline*>(GetObject(I));
    if (AnsiSameText(P->Name(), Name)) return P;
  }
  return nullptr;
}

TppDataPipeline* TppDataPipelineList::GetDataPipeline(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexError, {Index}));
  return static_cast<TppDataPipeline*>(GetObject(Index));
}
