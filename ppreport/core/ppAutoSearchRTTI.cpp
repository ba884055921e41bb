#include "ppreport/core/ppAutoSearchRTTI.h"

#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"
#include "platform/classes/ScopeGuard.h"

const TraRTTI& TraTppAutoSearchFieldRTTI() {
  using A = TppAutoSearchField;
  static const TraRTTI Info = TraRTTIDef<A>("TraTppAutoSearchFieldRTTI", TraTppRelativeRTTI())
                                  .Method("DisableCriteria", &A::DisableCriteria).Listed()
                                  .Prop("Value", &A::GetValue).Listed()
                                  .Indexed("Values", &A::GetValues, {"Index"}).Listed()
                                  .Prop("ValueCount", &A::GetValueCount).Listed();
  return Info;
}

// ---- TppAutoSearchRTTI

namespace {
IppAutoSearchFields* FieldsOf(TPersistent* Producer) { return dynamic_cast<IppAutoSearchFields*>(Producer); }

// The target takes everything of the source, its criteria included.
void CopyField(TppAutoSearchField* Target, const TppAutoSearchField* Source) {
  Target->Assign(Source);
  Target->AssignCriteria(Source);
}

void CopyAutoSearchFields(IppAutoSearchFields& Fields, const std::vector<TppAutoSearchField*>& From) {
  if (Fields.GetAutoSearchFieldCount() != static_cast<int>(From.size()))
    throw EBackgroundPrintError(ppErrorText(
        "TppAutoSearchRTTI", "CopyAutoSearchFields",
        "The report in the background thread has different autosearch fields than the request."));
  for (int I = 0; I < static_cast<int>(From.size()); ++I) CopyField(Fields.GetAutoSearchField(I), From[I]);
}
}  // namespace

int TppAutoSearchRTTI::GetAutoSearchFieldCount(TPersistent* Producer) {
  IppAutoSearchFields* F = FieldsOf(Producer);
  return F ? F->GetAutoSearchFieldCount() : 0;
}

TppAutoSearchField* TppAutoSearchRTTI::GetAutoSearchField(TPersistent* Producer, int Index) {
  IppAutoSearchFields* F = FieldsOf(Producer);
  return F ? F->GetAutoSearchField(Index) : nullptr;
}

void TppAutoSearchRTTI::ReadAutoSearchFields(TPersistent* Producer, TppAutoSearchGroups* Groups) {
  if (!Groups) return;
  std::vector<TppAutoSearchField*> Copies;
  const int Count = GetAutoSearchFieldCount(Producer);
  for (int I = 0; I < Count; ++I) {
    auto* Copy = new TppAutoSearchField(nullptr);
    Copies.push_back(Copy);
    if (const TppAutoSearchField* F = GetAutoSearchField(Producer, I)) CopyField(Copy, F);
  }
  Groups->CreateGroups(Copies);
  // The copies follow no pipeline, so they land in one group in index order; they become the
  // group's own so that it frees them.
  for (int G = 0; G < Groups->GroupCount(); ++G) {
    TppAutoSearchGroup* Group = Groups->GetGroup(G);
    std::vector<TppAutoSearchField*> Listed;
    for (int I = 0; I < Group->FieldCount(); ++I) Listed.push_back(Group->GetField(I));
    for (TppAutoSearchField* F : Listed) {
      if (F->Parent()) continue;
      Group->RemoveChild(F);
      F->SetParent(Group);
    }
  }
  for (TppAutoSearchField* F : Copies)
    if (!F->Parent()) F->Free();  // none is left over; kept for a group kind that refuses some
}

void TppAutoSearchRTTI::WriteAutoSearchFields(TPersistent* Producer, TppAutoSearchGroups* Groups) {
  if (!Groups) return;
  std::vector<TppAutoSearchField*> From;
  Groups->GetFieldList(From);
  TFinally FreeCollected([&From] {
    for (TppAutoSearchField* F : From) F->Free();
  });
  IppAutoSearchFields* Fields = FieldsOf(Producer);
  if (From.empty() || !Fields) return;
  if (Fields->GetAutoSearchFieldCount() > 0) {
    CopyAutoSearchFields(*Fields, From);
    return;
  }
  for (const TppAutoSearchField* F : From) {
    TppAutoSearchField* Made =
        Fields->CreateAutoSearchField(F->TableName(), F->FieldName(), F->Mandatory(), F->SearchExpression(),
                                      F->SearchOperator(), F->DataType(), F->FieldAlias());
    if (Made) CopyField(Made, F);
  }
}

// ---- the unit

void InitializeAutoSearchUnit() {
  RegisterPPClasses({&TppAutoSearchField::StaticClassInfo(), &TppAutoSearchGroup::StaticClassInfo(),
                     &TppAutoSearchGroups::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppAutoSearchFieldRTTI());
}

void FinalizeAutoSearchUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppAutoSearchFieldRTTI());
  UnregisterPPClasses({&TppAutoSearchField::StaticClassInfo(), &TppAutoSearchGroup::StaticClassInfo(),
                       &TppAutoSearchGroups::StaticClassInfo()});
}
