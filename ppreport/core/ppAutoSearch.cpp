#include "ppreport/core/ppAutoSearch.h"

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUtils.h"

// ---- TppAutoSearchField

const TClassInfo& TppAutoSearchField::StaticClassInfo() {
  using A = TppAutoSearchField;
  static const TClassInfo Info = FieldSettingsClassDef<A>("TppAutoSearchField", &TppRelative::StaticClassInfo())
                                     .Prop("Delimiter", &A::Delimiter, &A::SetDelimiter)
                                     .Prop("SearchOperator", &A::SearchOperator, &A::SetSearchOperator)
                                     .Default(soEqual)
                                     .Prop("WildCard", &A::WildCard, &A::SetWildCard);
  return Info;
}

TppAutoSearchField::TppAutoSearchField(TComponent* AOwner) : TppRelative(AOwner) {}

TppAutoSearchField::~TppAutoSearchField() { BeforeDestruction(); }

void TppAutoSearchField::DoChange() {
  if (HasState(csReading) || HasState(csLoading)) return;
  if (OnChange) OnChange(this);
}

void TppAutoSearchField::SetFieldName(const std::string& Value) {
  StoreFieldName(Value);
  PropertyChanged();
  DoChange();
}

void TppAutoSearchField::SetMandatory(bool Value) {
  StoreMandatory(Value);
  DoChange();
}

void TppAutoSearchField::SetShowAllValues(bool Value) {
  StoreShowAllValues(Value);
  DoChange();
}

void TppAutoSearchField::SetSearchExpression(const std::string& Value) {
  FSettings.SearchExpression = Value;
  PropertyChanged();
  DoChange();
}

void TppAutoSearchField::SetSearchOperator(TppSearchOperatorType Value) {
  FSearchOperator = Value;
  DoChange();
}

void TppAutoSearchField::SetDataPipelineName(const std::string& Value) {
  FDataPipelineName = Value;
  DoChange();
}

void TppAutoSearchField::SetField(TppField* Value) {
  if (Value == FField) return;
  if (FField) RemoveNotify(FField);
  FField = Value;
  if (FField) AddNotify(FField);
}

void TppAutoSearchField::SetDataPipeline(TppDataPipeline* Value) {
  if (Value == FDataPipeline) return;
  if (FDataPipeline) RemoveNotify(FDataPipeline);
  FDataPipeline = Value;
  if (FDataPipeline) AddNotify(FDataPipeline);
}

void TppAutoSearchField::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove) {
    if (Partner == FField) FField = nullptr;
    if (Partner == FDataPipeline) FDataPipeline = nullptr;
  }
  TppRelative::Notify(Partner, Operation);
}

void TppAutoSearchField::DefineProperties(TFiler* Filer) {
  TppRelative::DefineProperties(Filer);
  const auto* A = dynamic_cast<const TppAutoSearchField*>(Filer->Ancestor());
  const bool HasData = A ? A->FDataPipelineName != FDataPipelineName : !FDataPipelineName.empty();
  Filer->DefineProperty(
      "DataPipelineName", [this](TReader& R) { FDataPipelineName = R.ReadString(); },
      [this](TWriter& W) { W.WriteString(FDataPipelineName); }, HasData);
}

void TppAutoSearchField::DisableCriteria() {
  FCriteriaEnabled = false;
  DoChange();
}

bool TppAutoSearchField::AssignCriteria(const TppAutoSearchField* Other) {
  if (!Other || (SearchExpression() == Other->SearchExpression() && ShowAllValues() == Other->ShowAllValues()))
    return false;
  SetSearchExpression(Other->SearchExpression());
  SetShowAllValues(Other->ShowAllValues());
  return true;
}

void TppAutoSearchField::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppAutoSearchField*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FSettings = S->FSettings;
  if (S->GetPosition() >= 0) SetPosition(S->GetPosition());
  FDelimiter = S->FDelimiter;
  FSearchOperator = S->FSearchOperator;
  FWildCard = S->FWildCard;
  DoChange();
}

int TppAutoSearchField::GetValueCount() const {
  TStringList Parts;
  SplitCommaList(SearchExpression(), Parts);
  return Parts.Count();
}

Variant TppAutoSearchField::GetValues(int Index) const {
  TStringList Parts;
  SplitCommaList(SearchExpression(), Parts);
  if (Index < 0 || Index >= Parts.Count()) return Variant(std::string());
  const std::string Text = Parts.Get(Index);
  switch (DataType()) {
    case dtDate:
    case dtTime:
    case dtDateTime: return Variant::OfDate(TextToDateTime(Text));
    case dtInteger:
    case dtLongint: return Variant(StrToInt(Text));
    case dtSingle:
    case dtDouble:
    case dtExtended: return Variant(StrToFloat(Text));
    case dtCurrency: return Variant::OfCurrency(Round(static_cast<long double>(StrToFloat(Text)) * 10000));
    case dtChar:
    case dtString:
    case dtMemo:
      if (!FWildCard.empty() && Text.find(FWildCard) == std::string::npos) return Variant(Text + FWildCard);
      return Variant(Text);
    default: return Variant(std::string());
  }
}

std::string TppAutoSearchField::GetOperatorDescription() const {
  const bool DateKind = DataType() == dtDate || DataType() == dtTime || DataType() == dtDateTime;
  // Language strings: dates, other types.
  static constexpr int Texts[][2] = {
      {92, 93},     {94, 95},     {96, 97},     {98, 99},     {100, 1000},  {1001, 1002}, {1003, 1003},
      {1004, 1004}, {1005, 1005}, {1006, 1006}, {1007, 1007}, {1027, 1027}, {1008, 1008}, {1009, 1009},
  };
  const int Op = static_cast<int>(FSearchOperator);
  if (Op < 0 || Op >= static_cast<int>(std::size(Texts))) return {};
  return LanguageString(Texts[Op][DateKind ? 0 : 1]);
}

std::string TppAutoSearchField::GetDescription() const {
  std::string Text = LanguageString(FFirstField ? 54 : 55) + " " + FieldAlias();
  if (ShowAllValues()) return Text + " " + LanguageString(1036);
  return Text + " " + GetOperatorDescription() + " " + SearchExpression();
}

// ---- TppAutoSearchGroup

const TClassInfo& TppAutoSearchGroup::StaticClassInfo() {
  using G = TppAutoSearchGroup;
  static const TClassInfo Info = TClassDef<G>("TppAutoSearchGroup", &TppRelative::StaticClassInfo())
                                     .Prop("Description", &G::Description, &G::SetDescription)
                                     .Prop("TabOrder", &G::TabOrder, &G::SetTabOrder);
  return Info;
}

TppAutoSearchGroup::TppAutoSearchGroup(TComponent* AOwner) : TppRelative(AOwner) {}

TppAutoSearchGroup::~TppAutoSearchGroup() { BeforeDestruction(); }

void TppAutoSearchGroup::AddField(TppAutoSearchField* Field) {
  if (!Field || IndexOfChild(Field) >= 0) return;
  AddChild(Field);
  AddNotify(Field);
}

TppAutoSearchField* TppAutoSearchGroup::GetField(int Index) const {
  return dynamic_cast<TppAutoSearchField*>(GetChild(Index));
}

void TppAutoSearchGroup::ReleaseFields() {
  for (int I = GetChildCount() - 1; I >= 0; --I) {
    TppRelative* C = GetChild(I);
    if (C->Parent() == this) {
      C->Free();
    } else {
      RemoveChild(C);
      RemoveNotify(C);
    }
  }
}

void TppAutoSearchGroup::CopyGroup(const TppAutoSearchGroup* Source) {
  if (!Source || Source == this) return;
  FDescription = Source->FDescription;
  FTabOrder = Source->FTabOrder;
  ReleaseFields();
  for (int I = 0; I < Source->FieldCount(); ++I) {
    const TppAutoSearchField* From = Source->GetField(I);
    if (!From) continue;
    auto* Copy = new TppAutoSearchField(nullptr);
    Copy->Assign(From);
    Copy->SetParent(this);
    AddNotify(Copy);
  }
}

void TppAutoSearchGroup::Assign(const TPersistent* Source) {
  if (const auto* G = dynamic_cast<const TppAutoSearchGroup*>(Source)) {
    CopyGroup(G);
    return;
  }
  TppRelative::Assign(Source);
}

void TppAutoSearchGroup::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && !HasState(csDestroying))
    if (auto* R = dynamic_cast<TppRelative*>(Partner)) RemoveChild(R);
  TppRelative::Notify(Partner, Operation);
}

void TppAutoSearchGroup::Destroying() {
  if (GetChildCount() > 0)
    if (TppAutoSearchField* First = GetField(0); First && First->DataPipeline())
      if (HasPublishedProperty(First->DataPipeline(), "AutoSearchTabOrder"))
        SetOrdPropByName(First->DataPipeline(), "AutoSearchTabOrder", FTabOrder);
  ReleaseFields();
  TppRelative::Destroying();
}

// ---- TppAutoSearchGroups

const TClassInfo& TppAutoSearchGroups::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppAutoSearchGroups>("TppAutoSearchGroups", &TppRelative::StaticClassInfo());
  return Info;
}

TppAutoSearchGroups::~TppAutoSearchGroups() { BeforeDestruction(); }

void TppAutoSearchGroups::CreateGroups(const std::vector<TppAutoSearchField*>& Fields) {
  FreeGroups();
  for (TppAutoSearchField* F : Fields) {
    if (!F) continue;
    TppDataPipeline* P = F->DataPipeline();
    const std::string Description = P ? GetStrPropByName(P, "Description") : std::string();
    const int TabOrder = P ? static_cast<int>(GetOrdPropByName(P, "AutoSearchTabOrder")) : 0;
    TppAutoSearchGroup* Group = nullptr;
    for (int I = 0; I < GroupCount() && !Group; ++I)
      if (GetGroup(I)->Description() == Description) Group = GetGroup(I);
    if (!Group) {
      Group = new TppAutoSearchGroup(this);
      Group->SetDescription(Description);
      Group->SetParent(this);
    }
    Group->SetTabOrder(TabOrder);
    Group->AddField(F);
  }
}

TppAutoSearchGroup* TppAutoSearchGroups::GetGroup(int Index) const {
  if (Index < 0 || Index >= GetChildCount()) return nullptr;
  return dynamic_cast<TppAutoSearchGroup*>(GetChild(Index));
}

void TppAutoSearchGroups::FreeGroups() { FreeChildren(); }

void TppAutoSearchGroups::GetFieldList(std::vector<TppAutoSearchField*>& List) const {
  List.clear();
  for (int G = 0; G < GroupCount(); ++G)
    if (const TppAutoSearchGroup* Group = GetGroup(G))
      for (int I = 0; I < Group->FieldCount(); ++I)
        if (TppAutoSearchField* F = Group->GetField(I)) List.push_back(F);
}

void TppAutoSearchGroups::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppAutoSearchGroups*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  if (S == this) return;
  FreeGroups();
  for (int I = 0; I < S->GroupCount(); ++I) {
    auto* Group = new TppAutoSearchGroup(this);
    Group->SetParent(this);
    Group->CopyGroup(S->GetGroup(I));
  }
}
