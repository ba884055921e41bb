#include "lxreport/LXDataSetAdapter.h"

#include <typeinfo>

#include "platform/data/DB.h"

TLXFieldKind LXFieldKindOf(const TField* F) {
  if (dynamic_cast<const TStringField*>(F)) return TLXFieldKind::fkString;
  if (dynamic_cast<const TIntegerField*>(F)) return TLXFieldKind::fkInteger;
  if (dynamic_cast<const TFloatField*>(F) || dynamic_cast<const TBCDField*>(F)) return TLXFieldKind::fkFloat;
  if (dynamic_cast<const TBooleanField*>(F)) return TLXFieldKind::fkBoolean;
  if (dynamic_cast<const TDateField*>(F)) return TLXFieldKind::fkDate;
  if (dynamic_cast<const TDateTimeField*>(F)) return TLXFieldKind::fkDateTime;
  return TLXFieldKind::fkOther;
}

class TLXDataSetAdapter::TFieldView : public TLXFieldAccess {
public:
  TFieldView(TDataSet* DS, int Index) : FDataSet(DS), FIndex(Index) {}
  // The field of the current opening; the view itself stays valid.
  TField* Field() const { return FDataSet->Active() ? FDataSet->Fields().Fields(FIndex) : nullptr; }
  std::string FieldName() const override { return Field() ? Field()->FieldName() : std::string(); }
  TLXFieldKind Kind() const override {
    const TField* F = Field();
    if (!F) return TLXFieldKind::fkOther;
    // The kind follows the class alone: found again only for a field of another class.
    if (const std::type_info* Type = &typeid(*F); FKindOf != Type) {
      FKind = LXFieldKindOf(F);
      FKindOf = Type;
    }
    return FKind;
  }
  bool IsNull() const override { return !Field() || Field()->IsNull(); }
  std::string AsString() const override { return Field()->AsString(); }
  int32_t AsInteger() const override {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(Field()->AsInteger())));
  }
  double AsFloat() const override { return Field()->AsFloat(); }
  bool AsBoolean() const override { return Field()->AsBoolean(); }
  TDateTime AsDateTime() const override { return Field()->AsDateTime(); }
  std::string DisplayText() const override { return Field()->DisplayText(); }

private:
  TDataSet* FDataSet;
  int FIndex;
  mutable const std::type_info* FKindOf = nullptr;
  mutable TLXFieldKind FKind = TLXFieldKind::fkOther;
};

TLXDataSetAdapter::TLXDataSetAdapter(TDataSet* DataSet) : FDataSet(DataSet) {}
TLXDataSetAdapter::~TLXDataSetAdapter() = default;

std::string TLXDataSetAdapter::Name() const { return FDataSet->Name(); }
int TLXDataSetAdapter::FieldCount() const { return FDataSet->Active() ? FDataSet->FieldCount() : 0; }
bool TLXDataSetAdapter::DefaultFields() const { return FDataSet->DefaultFields(); }
bool TLXDataSetAdapter::Active() const { return FDataSet->Active(); }

TLXFieldAccess* TLXDataSetAdapter::Fields(int Index) const {
  if (Index < 0 || Index >= FieldCount()) return nullptr;
  while (static_cast<int>(FViews.size()) <= Index)
    FViews.push_back(std::make_unique<TFieldView>(FDataSet, static_cast<int>(FViews.size())));
  return FViews[static_cast<size_t>(Index)].get();
}
