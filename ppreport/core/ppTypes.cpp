#include "ppreport/core/ppTypes.h"

#include <memory>

#include "ppreport/core/ppGraphicTypes.h"
#include "ppreport/core/ppUnits.h"
#include "platform/printing/Printers.h"

std::string ppErrorText(std::string_view ClassName, std::string_view Operation, std::string_view Text) {
  std::string S;
  S.reserve(ClassName.size() + Operation.size() + Text.size() + 3);
  S.append(ClassName).append(".").append(Operation).append(": ").append(Text);
  return S;
}

const TEnumInfo& BooleanEnumInfo() {
  static const TEnumInfo Info{"Boolean", {"False", "True"}};
  return Info;
}

// ---- enumeration registry

namespace {
// Created on the first registration, freed when the types unit ends.
std::unique_ptr<std::vector<TppEnumTypeEntry>>& EnumTypes() {
  static std::unique_ptr<std::vector<TppEnumTypeEntry>> List;
  return List;
}

TppEnumTypeEntry* FindEntry(std::string_view Name) {
  auto& L = EnumTypes();
  if (!L) return nullptr;
  for (TppEnumTypeEntry& E : *L)
    if (SameTextAscii(E.Name, Name)) return &E;
  return nullptr;
}
}  // namespace

void RegisterEnumType(std::string_view Name, const TEnumInfo& TypeInfo) {
  if (TppEnumTypeEntry* E = FindEntry(Name)) {
    E->TypeInfo = &TypeInfo;
    return;
  }
  auto& L = EnumTypes();
  if (!L) L = std::make_unique<std::vector<TppEnumTypeEntry>>();
  L->push_back({std::string(Name), &TypeInfo});
}

void UnregisterEnumType(std::string_view Name) {
  auto& L = EnumTypes();
  if (!L) return;
  std::erase_if(*L, [Name](const TppEnumTypeEntry& E) { return SameTextAscii(E.Name, Name); });
}

const std::vector<TppEnumTypeEntry>& GetEnumTypeList() {
  static const std::vector<TppEnumTypeEntry> None;
  const auto& L = EnumTypes();
  return L ? *L : None;
}

const TEnumInfo* FindEnumType(std::string_view Name) {
  const TppEnumTypeEntry* E = FindEntry(Name);
  return E ? E->TypeInfo : nullptr;
}

// ---- the unit's start-up: the types that tools may ask for by name

namespace {
const std::vector<const TEnumInfo*>& UnitEnumTypes() {
  static const std::vector<const TEnumInfo*> Types{
      &BooleanEnumInfo(),
      &EnumInfo<TBrushStyle>(),
      &EnumInfo<TPenStyle>(),
      &EnumInfo<TAlignment>(),
      &EnumInfo<TppBarCodeType>(),
      &EnumInfo<TppBarCodeOrientation>(),
      &EnumInfo<TppBreakType>(),
      &EnumInfo<TppCalcType>(),
      &EnumInfo<TppDataType>(),
      &EnumInfo<TppDBCalcType>(),
      &EnumInfo<TppDuplexType>(),
      &EnumInfo<TppFileType>(),
      &EnumInfo<TppFormatType>(),
      &EnumInfo<TppLanguageType>(),
      &EnumInfo<TppLinePositionType>(),
      &EnumInfo<TppLineStyleType>(),
      &EnumInfo<TppPassSettingType>(),
      &EnumInfo<TppPrintBehaviorType>(),
      &EnumInfo<TppPrintHeightType>(),
      &EnumInfo<TppRangeBeginType>(),
      &EnumInfo<TppRangeEndType>(),
      &EnumInfo<TppSaveToType>(),
      &EnumInfo<TppSearchOperatorType>(),
      &EnumInfo<TShapeType>(),
      &EnumInfo<TppSortOrderType>(),
      &EnumInfo<TppTextAlignment>(),
      &EnumInfo<TppUnitType>(),
      &EnumInfo<TppVarEventType>(),
      &EnumInfo<TppVarType>(),
      &EnumInfo<TPrinterOrientation>(),
  };
  return Types;
}
}  // namespace

void InitializeTypesUnit() {
  for (const TEnumInfo* T : UnitEnumTypes()) RegisterEnumType(T->Name, *T);
}

void FinalizeTypesUnit() {
  for (const TEnumInfo* T : UnitEnumTypes()) UnregisterEnumType(T->Name);
  EnumTypes().reset();
}
