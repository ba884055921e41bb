#pragma once
// Report parameters: named, typed values that the program or a script sets before a report runs
// (the report's Parameters). A TppParameterList holds its TppParameter objects as tree children
// and hands out a spare parameter for a name it does not hold, so that assigning the value of a
// new name creates it; reading alone adds nothing.
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/rtl/Variants.h"
#include "ppreport/core/ppRelatv.h"
#include "ppreport/core/ppTypes.h"

// The variant type code the class library uses for "no such type".
constexpr TVarType varUnknown = 0x000D;

// Value converted to the variant type Type: EVariantError when it does not convert (or does not
// fit a 32-bit integer).
Variant ppVarAsType(const Variant& Value, TVarType Type);

class TppParameter : public TppRelative {
  DECLARE_CLASSINFO(TppParameter)
public:
  explicit TppParameter(TComponent* AOwner);
  ~TppParameter() override;

  // dtBoolean, dtDateTime, dtInteger, dtSingle, dtDouble, dtCurrency, dtString, dtLargeInt.
  static bool IsSupportedDataType(TppDataType Value);

  TppDataType DataType() const { return FDataType; }
  // EParameterError for a type outside the supported set; the value follows the new type.
  void SetDataType(TppDataType Value);
  // The stored value (the last one assigned that was not null).
  const Variant& Value() const { return FValue; }
  // A null or unassigned Value only sets the null flag; any other is stored as the type's
  // variant type (EVariantError when it does not convert), then Changed.
  virtual void SetValue(const Variant& Value);
  bool IsNull() const { return FIsNull; }
  // Created on first access.
  TStrings* PickList() const;
  void SetPickList(TStrings* Value);
  bool HasPickList() const { return FPickList && FPickList->Count() > 0; }

  virtual void Changed();
  virtual TppDataType VarTypeToDataType(TVarType VarType) const;
  virtual TVarType DataTypeToVarType(TppDataType DataType) const;

  void Assign(const TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // Fired by Changed (used by the list for its spare parameter).
  std::function<void(TppParameter*)> OnChange;

private:
  TppDataType FDataType = dtString;
  Variant FValue{std::string()};
  bool FIsNull = false;
  mutable std::unique_ptr<TStringList> FPickList;
};

class TppParameterList : public TppRelative {
  DECLARE_CLASSINFO(TppParameterList)
public:
  explicit TppParameterList(TComponent* AOwner);
  ~TppParameterList() override;

  bool InsertMode() const { return FInsertMode; }
  void SetInsertMode(bool Value) { FInsertMode = Value; }
  int Count() const { return GetChildCount(); }

  // A new parameter of that name (EParameterError when the name is taken, letter case ignored).
  TppParameter* AddName(const std::string& Name);
  TppParameter* Add(const std::string& Name, TppDataType DataType, const Variant& Value);
  // The parameter of that name; in insert mode the spare parameter under that name (it joins
  // the list when its value is assigned); otherwise EParameterError.
  virtual TppParameter* GetItemForName(const std::string& Name);
  virtual Variant GetParameterValue(const std::string& Name);
  TppParameter* GetItemForIndex(int Index) const;  // EListError outside
  // The parameter of that name, or null.
  TppParameter* Find(const std::string& Name) const;
  bool InList(const std::string& Name) const { return Find(Name) != nullptr; }
  void Remove(const std::string& Name);
  void Clear();
  // The same parameters in the same order: names (letter case ignored), types, null flags and the
  // values of those not null.
  bool EqualTo(const TppParameterList* Other) const;

  // From a list: copies of its parameters, owned by this list's owner; from null: Clear.
  void Assign(const TPersistent* Source) override;

protected:
  void Destroying() override;

private:
  void NewSpare();
  void SpareChanged(TppParameter* Spare);

  bool FInsertMode = true;
  TppParameter* FSpare = nullptr;
};
