#pragma once
// The settings a pipeline field (TppField) and an autosearch criterion (TppAutoSearchField)
// share: 25 published properties besides Position, with the same names, types and defaults.
// Both classes hold them through TppFieldSettings and publish them with FieldSettingsClassDef;
// each supplies its own setters for the five settings whose setting does more than store
// (SetFieldName, SetDataType, SetMandatory, SetSearchExpression, SetShowAllValues).
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppTypes.h"

struct TppFieldSettingsData {
  TAlignment Alignment = taLeftJustify;
  std::string FieldAlias;
  std::string FieldName;
  int FieldLength = 10;
  bool IsDetail = false;
  bool Linkable = true;
  int GroupOrder = -1;
  TppDataType DataType = dtString;
  std::string DisplayFormat;
  int DisplayWidth = 10;
  bool Mandatory = false;
  bool Selectable = true;
  int SelectOrder = -1;
  bool Searchable = true;
  bool Search = false;
  std::string SearchExpression;
  int SearchOrder = -1;
  bool ShowAllValues = false;
  bool Sortable = true;
  bool Sort = false;
  int SortOrder = -1;
  TppSortOrderType SortType = soAscending;
  std::string SortExpression;
  std::string TableAlias;
  std::string TableName;

  bool operator==(const TppFieldSettingsData&) const = default;
};

class TppFieldSettings {
public:
  const TppFieldSettingsData& Settings() const { return FSettings; }

  TAlignment Alignment() const { return FSettings.Alignment; }
  void SetAlignment(TAlignment Value) { FSettings.Alignment = Value; }
  const std::string& FieldAlias() const { return FSettings.FieldAlias; }
  void SetFieldAlias(const std::string& Value) { FSettings.FieldAlias = Value; }
  const std::string& FieldName() const { return FSettings.FieldName; }
  int FieldLength() const { return FSettings.FieldLength; }
  void SetFieldLength(int Value) { FSettings.FieldLength = Value; }
  bool IsDetail() const { return FSettings.IsDetail; }
  void SetIsDetail(bool Value) { FSettings.IsDetail = Value; }
  bool Linkable() const { return FSettings.Linkable; }
  void SetLinkable(bool Value) { FSettings.Linkable = Value; }
  int GroupOrder() const { return FSettings.GroupOrder; }
  void SetGroupOrder(int Value) { FSettings.GroupOrder = Value; }
  TppDataType DataType() const { return FSettings.DataType; }
  const std::string& DisplayFormat() const { return FSettings.DisplayFormat; }
  void SetDisplayFormat(const std::string& Value) { FSettings.DisplayFormat = Value; }
  int DisplayWidth() const { return FSettings.DisplayWidth; }
  void SetDisplayWidth(int Value) { FSettings.DisplayWidth = Value; }
  bool Mandatory() const { return FSettings.Mandatory; }
  bool Selectable() const { return FSettings.Selectable; }
  void SetSelectable(bool Value) { FSettings.Selectable = Value; }
  int SelectOrder() const { return FSettings.SelectOrder; }
  void SetSelectOrder(int Value) { FSettings.SelectOrder = Value; }
  bool Searchable() const { return FSettings.Searchable; }
  void SetSearchable(bool Value) { FSettings.Searchable = Value; }
  bool Search() const { return FSettings.Search; }
  void SetSearch(bool Value) { FSettings.Search = Value; }
  const std::string& SearchExpression() const { return FSettings.SearchExpression; }
  int SearchOrder() const { return FSettings.SearchOrder; }
  void SetSearchOrder(int Value) { FSettings.SearchOrder = Value; }
  bool ShowAllValues() const { return FSettings.ShowAllValues; }
  bool Sortable() const { return FSettings.Sortable; }
  void SetSortable(bool Value) { FSettings.Sortable = Value; }
  bool Sort() const { return FSettings.Sort; }
  void SetSort(bool Value) { FSettings.Sort = Value; }
  int SortOrder() const { return FSettings.SortOrder; }
  void SetSortOrder(int Value) { FSettings.SortOrder = Value; }
  TppSortOrderType SortType() const { return FSettings.SortType; }
  void SetSortType(TppSortOrderType Value) { FSettings.SortType = Value; }
  const std::string& SortExpression() const { return FSettings.SortExpression; }
  void SetSortExpression(const std::string& Value) { FSettings.SortExpression = Value; }
  const std::string& TableAlias() const { return FSettings.TableAlias; }
  void SetTableAlias(const std::string& Value) { FSettings.TableAlias = Value; }
  const std::string& TableName() const { return FSettings.TableName; }
  void SetTableName(const std::string& Value) { FSettings.TableName = Value; }

protected:
  ~TppFieldSettings() = default;
  // The name, with the alias following while it equals the old name.
  void StoreFieldName(const std::string& Value) {
    if (FSettings.FieldAlias == FSettings.FieldName) FSettings.FieldAlias = Value;
    FSettings.FieldName = Value;
  }
  // Mandatory and "show all values" exclude each other.
  void StoreMandatory(bool Value) {
    FSettings.Mandatory = Value;
    if (Value) FSettings.ShowAllValues = false;
  }
  void StoreShowAllValues(bool Value) {
    FSettings.ShowAllValues = Value;
    if (Value) FSettings.Mandatory = false;
  }

  TppFieldSettingsData FSettings;
};

// The class record of T with the shared settings published, in their stream order.
template <class T>
TClassDef<T> FieldSettingsClassDef(const char* Name, const TClassInfo* Parent) {
  TClassDef<T> D(Name, Parent);
  D.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  D.Prop("FieldAlias", &T::FieldAlias, &T::SetFieldAlias);
  D.Prop("FieldName", &T::FieldName, &T::SetFieldName);
  D.Prop("FieldLength", &T::FieldLength, &T::SetFieldLength).Default(10);
  D.Prop("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat);
  D.Prop("DisplayWidth", &T::DisplayWidth, &T::SetDisplayWidth).Default(10);
  D.Prop("DataType", &T::DataType, &T::SetDataType).Default(dtString);
  D.Prop("GroupOrder", &T::GroupOrder, &T::SetGroupOrder).Default(-1);
  D.Prop("IsDetail", &T::IsDetail, &T::SetIsDetail).Default(0);
  D.Prop("Linkable", &T::Linkable, &T::SetLinkable).Default(1);
  D.Prop("Mandatory", &T::Mandatory, &T::SetMandatory).Default(0);
  D.Prop("Searchable", &T::Searchable, &T::SetSearchable).Default(1);
  D.Prop("Search", &T::Search, &T::SetSearch).Default(0);
  D.Prop("SearchExpression", &T::SearchExpression, &T::SetSearchExpression);
  D.Prop("SearchOrder", &T::SearchOrder, &T::SetSearchOrder).Default(-1);
  D.Prop("Selectable", &T::Selectable, &T::SetSelectable).Default(1);
  D.Prop("SelectOrder", &T::SelectOrder, &T::SetSelectOrder).Default(-1);
  D.Prop("ShowAllValues", &T::ShowAllValues, &T::SetShowAllValues).Default(0);
  D.Prop("Sortable", &T::Sortable, &T::SetSortable).Default(1);
  D.Prop("Sort", &T::Sort, &T::SetSort).Default(0);
  D.Prop("SortExpression", &T::SortExpression, &T::SetSortExpression);
  D.Prop("SortOrder", &T::SortOrder, &T::SetSortOrder).Default(-1);
  D.Prop("SortType", &T::SortType, &T::SetSortType).Default(soAscending);
  D.Prop("TableAlias", &T::TableAlias, &T::SetTableAlias);
  D.Prop("TableName", &T::TableName, &T::SetTableName);
  return D;
}
