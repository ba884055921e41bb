#include "ppreport/core/ppParameter.h"

#include <cmath>
#include <limits>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConsts.h"

Variant ppVarAsType(const Variant& Value, TVarType Type) {
  switch (Type) {
    case varBoolean: return Variant(Value.AsBoolean());
    case varDate: return Variant::OfDate(Value.AsDateTime());
    case varInteger: {
      const int64_t I = Value.AsInteger();
      if (I < std::numeric_limits<int32_t>::min() || I > std::numeric_limits<int32_t>::max())
        throw EVariantError(SInvalidVariantType);
      return Variant(static_cast<int>(I));
    }
    case varInt64: return Variant(Value.AsInteger());
    case varSingle: return Variant::OfFloat(static_cast<float>(Value.AsFloat()), varSingle);
    case varDouble: return Variant(Value.AsFloat());
    case varCurrency: {
      const double F = Value.AsFloat();
      if (!std::isfinite(F) || std::fabs(F) > 9.2e14) throw EVariantError(SInvalidVariantType);
      return Variant::OfCurrency(Round(static_cast<long double>(F) * 10000));
    }
    case varString: return Variant(Value.AsString());
    default: throw EVariantError(SInvalidVariantType);
  }
}

namespace {
void WriteVariant(TWriter& W, const Variant& V) {
  switch (V.VarType()) {
    case varEmpty: W.WriteValue(vaNil); break;
    case varNull: W.WriteValue(vaNull); break;
    case varBoolean: W.WriteBoolean(V.AsBoolean()); break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: W.WriteInteger(V.AsInteger()); break;
    case varSingle: W.WriteSingle(static_cast<float>(V.AsFloat())); break;
    case varCurrency: W.WriteCurrency(Round(static_cast<long double>(V.AsFloat()) * 10000)); break;
    case varDate: W.WriteDate(V.AsDateTime()); break;
    case varDouble: W.WriteFloat(V.AsFloat()); break;
    default: W.WriteString(V.AsString()); break;
  }
}

Variant ReadVariant(TReader& R) {
  switch (R.NextValue()) {
    case vaNil: R.ReadValue(); return Variant();
    case vaNull: R.ReadValue(); return Variant::Null();
    case vaFalse:
    case vaTrue: return Variant(R.ReadBoolean());
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(static_cast<int>(R.ReadInteger()));
    case vaInt64: return Variant(R.ReadInt64());
    case vaSingle: return Variant::OfFloat(R.ReadSingle(), varSingle);
    case vaCurrency: return Variant::OfCurrency(R.ReadCurrency());
    case vaDate: return Variant::OfDate(R.ReadDate());
    case vaExtended: return Variant(R.ReadDouble());
    default: return Variant(R.ReadString());
  }
}

bool IsZero(const Variant& V) {
  if (!V.IsNumeric() && V.VarType() != varBoolean) return false;
  return V.AsFloat() == 0;
}
}  // namespace

// ---- TppParameter

const TClassInfo& TppParameter::StaticClassInfo() {
  using P = TppParameter;
  static const TClassInfo Info = TClassDef<P>("TppParameter", &TppRelative::StaticClassInfo())
                                     .Prop("DataType", &P::DataType, &P::SetDataType)
                                     .Default(dtString)
                                     .Prop("PickList", &P::PickList, &P::SetPickList)
                                     .Stored(&P::HasPickList);
  return Info;
}

TppParameter::TppParameter(TComponent* AOwner) : TppRelative(AOwner) {}

TppParameter::~TppParameter() { BeforeDestruction(); }

bool TppParameter::IsSupportedDataType(TppDataType Value) {
  switch (Value) {
    case dtBoolean:
    case dtDateTime:
    case dtInteger:
    case dtSingle:
    case dtDouble:
    case dtCurrency:
    case dtString:
    case dtLargeInt: return true;
    default: return false;
  }
}

TVarType TppParameter::DataTypeToVarType(TppDataType DataType) const {
  switch (DataType) {
    case dtBoolean: return varBoolean;
    case dtDateTime: return varDate;
    case dtInteger: return varInteger;
    case dtSingle: return varSingle;
    case dtDouble: return varDouble;
    case dtCurrency: return varCurrency;
    case dtString: return varString;
    case dtLargeInt: return varInt64;
    default: return varUnknown;
  }
}

TppDataType TppParameter::VarTypeToDataType(TVarType VarType) const {
  switch (VarType) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord: return dtInteger;
    case varSingle: return dtSingle;
    case varDouble: return dtDouble;
    case varCurrency: return dtCurrency;
    case varDate: return dtDateTime;
    case varOleStr:
    case varString: return dtString;
    case varBoolean: return dtBoolean;
    case varInt64: return dtLargeInt;
    default: return dtNotKnown;
  }
}

void TppParameter::SetValue(const Variant& Value) {
  FIsNull = Value.IsEmpty() || Value.IsNull();
  if (FIsNull) return;
  FValue = ppVarAsType(Value, DataTypeToVarType(FDataType));
  Changed();
}

void TppParameter::SetDataType(TppDataType Value) {
  if (!IsSupportedDataType(Value))
    throw EParameterError(
        ppErrorText("TppParameter", "SetDataType", Format(SppParameterTypeNotSupported, {EnumInfo<TppDataType>().NameOf(Value)})));
  if (Value != FDataType && !HasState(csReading) && !HasState(csLoading)) {
    const TVarType To = DataTypeToVarType(Value);
    if (FDataType == dtString && FValue.IsString() && FValue.AsString().empty())
      FValue = ppVarAsType(Variant(0), To);
    else if (Value == dtString && IsZero(FValue))
      FValue = Variant(std::string());
    else if (!FValue.IsEmpty() && !FValue.IsNull())
      FValue = ppVarAsType(FValue, To);
  }
  FDataType = Value;
}

void TppParameter::Changed() {
  if (OnChange) OnChange(this);
}

TStrings* TppParameter::PickList() const {
  if (!FPickList) FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

void TppParameter::SetPickList(TStrings* Value) {
  TStrings* L = PickList();
  if (Value != L) L->Assign(Value);
}

void TppParameter::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppParameter*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  SetName(S->Name());
  FDataType = S->FDataType;
  SetValue(S->FValue);
  FIsNull = S->FIsNull;
  if (S->FPickList)
    PickList()->Assign(S->FPickList.get());
  else if (FPickList)
    FPickList->Clear();
}

void TppParameter::DefineProperties(TFiler* Filer) {
  TppRelative::DefineProperties(Filer);
  // A variant has no published kind: it travels as a value of its own type under "Value".
  const bool HasData = !(FValue.IsString() && FValue.AsString().empty());
  Filer->DefineProperty(
      "Value",
      [this](TReader& R) {
        Variant V = ReadVariant(R);
        FIsNull = V.IsEmpty() || V.IsNull();
        if (!FIsNull) FValue = V;
      },
      [this](TWriter& W) { WriteVariant(W, FIsNull ? Variant::Null() : FValue); }, HasData || FIsNull);
}

// ---- TppParameterList

const TClassInfo& TppParameterList::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppParameterList>("TppParameterList", &TppRelative::StaticClassInfo());
  return Info;
}

TppParameterList::TppParameterList(TComponent* AOwner) : TppRelative(AOwner) { NewSpare(); }

TppParameterList::~TppParameterList() { BeforeDestruction(); }

void TppParameterList::Destroying() {
  if (FSpare) {
    FSpare->OnChange = nullptr;
    FSpare->Free();
    FSpare = nullptr;
  }
  TppRelative::Destroying();
}

void TppParameterList::NewSpare() {
  FSpare = new TppParameter(nullptr);
  FSpare->OnChange = [this](TppParameter* P) { SpareChanged(P); };
}

void TppParameterList::SpareChanged(TppParameter* Spare) {
  if (Spare != FSpare) return;
  Spare->OnChange = nullptr;
  FSpare = nullptr;
  Spare->SetParent(this);
  NewSpare();
}

TppParameter* TppParameterList::Find(const std::string& Name) const {
  for (int I = 0; I < GetChildCount(); ++I)
    if (auto* P = dynamic_cast<TppParameter*>(GetChild(I)); P && SameTextAscii(P->Name(), Name)) return P;
  return nullptr;
}

TppParameter* TppParameterList::AddName(const std::string& Name) {
  if (InList(Name))
    throw EParameterError(ppErrorText("TppParameterList", "Add", Format(SppParameterExists, {Name})));
  auto* P = new TppParameter(nullptr);
  try {
    P->SetName(Name);
  } catch (...) {
    P->Free();
    throw;
  }
  P->SetParent(this);
  return P;
}

TppParameter* TppParameterList::Add(const std::string& Name, TppDataType DataType, const Variant& Value) {
  TppParameter* P = AddName(Name);
  P->SetDataType(DataType);
  P->SetValue(Value);
  return P;
}

TppParameter* TppParameterList::GetItemForName(const std::string& Name) {
  if (TppParameter* P = Find(Name)) return P;
  if (!FInsertMode)
    throw EParameterError(ppErrorText("TppParameterList", "GetItemForName", Format(SppParameterMissing, {Name})));
  if (FSpare->Name() != Name) {
    // A spare asked for under another name starts afresh.
    FSpare->OnChange = nullptr;
    FSpare->Free();
    NewSpare();
    FSpare->SetName(Name);
  }
  return FSpare;
}

Variant TppParameterList::GetParameterValue(const std::string& Name) { return GetItemForName(Name)->Value(); }

TppParameter* TppParameterList::GetItemForIndex(int Index) const {
  return dynamic_cast<TppParameter*>(GetChild(Index));
}

void TppParameterList::Remove(const std::string& Name) {
  if (TppParameter* P = Find(Name)) P->Free();
}

void TppParameterList::Clear() { FreeChildren(); }

bool TppParameterList::EqualTo(const TppParameterList* Other) const {
  if (!Other || Other->Count() != Count()) return false;
  for (int I = 0; I < Count(); ++I) {
    const TppParameter* A = GetItemForIndex(I);
    const TppParameter* B = Other->GetItemForIndex(I);
    if (!SameTextAscii(A->Name(), B->Name()) || A->DataType() != B->DataType() || A->IsNull() != B->IsNull() ||
        (!A->IsNull() && !(A->Value() == B->Value())))
      return false;
  }
  return true;
}

void TppParameterList::Assign(const TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  const auto* S = dynamic_cast<const TppParameterList*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  if (S == this) return;
  Clear();
  for (int I = 0; I < S->Count(); ++I) {
    auto* P = new TppParameter(Owner());
    try {
      P->Assign(S->GetItemForIndex(I));
    } catch (...) {
      P->Free();
      throw;
    }
    P->SetParent(this);
  }
}
