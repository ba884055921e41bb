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
  static const TClassInfo Info = FieldSettingsClassDef<TppField>("TppField", &TppRelative::StaticClassInfo());
  return Info;
}

TppField::TppField(TComponent* AOwner) : TppRelative(AOwner) {}

TppField::~TppField() { BeforeDestruction(); }

void TppField::SetFieldName(const std::string& Value) {
  StoreFieldName(Value);
  if (TppDataPipeline* P = GetDataPipeline()) P->FieldChanged();
  PropertyChanged();
}

void TppField::SetSearchExpression(const std::string& Value) {
  FSettings.SearchExpression = Value;
  PropertyChanged();
}

void TppField::SetDataType(TppDataType Value) {
  if (TppDataPipeline* P = GetDataPipeline())
    if (!P->IsDataTypeSupported(Value)) throw EInvalidPropertyError(SppDataTypeNotSupported + P->ClassName());
  FSettings.DataType = Value;
  if (TppDataPipeline* P = GetDataPipeline()) P->FieldChanged();
}

bool TppField::IsEqual(const TppField* Other) const {
  return Other && FSettings == Other->FSettings && GetPosition() == Other->GetPosition();
}

void TppField::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppField*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FSettings = S->FSettings;
  if (TppDataPipeline* P = GetDataPipeline()) P->FieldChanged();
  if (S->GetPosition() >= 0) SetPosition(S->GetPosition());
}

TppDataPipeline* TppField::GetDataPipeline() const { return dynamic_cast<TppDataPipeline*>(Parent()); }

double TppField::GetAsDouble() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsDouble(FieldName()) : 0;
}

TPicture* TppField::GetAsPicture() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsPicture(FieldName()) : nullptr;
}

std::string TppField::GetAsString() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldAsString(FieldName()) : std::string();
}

bool TppField::GetIsNull() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->IsFieldNull(FieldName()) : true;
}

Variant TppField::GetValue() const {
  TppDataPipeline* P = GetDataPipeline();
  return P ? P->GetFieldValue(FieldName()) : Variant();
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
