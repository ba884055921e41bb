#include "ppreport/core/ppRTTI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/classes/StringList.h"
#include "platform/data/DBFormat.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FormatSettings.h"

const TClassInfo& TObjectClassInfo() {
  static const TClassInfo Info{"TObject", nullptr, nullptr, {}};
  return Info;
}

// ---- the published fallback

namespace {

TraValueKind KindOfProp(const TPropInfo& P) {
  switch (P.Kind) {
    case TPropKind::Integer: return vkInteger;
    case TPropKind::Char: return vkChar;
    case TPropKind::Boolean: return vkBoolean;
    case TPropKind::Enum: return P.Enum && SameTextAscii(P.Enum->Name, "Boolean") ? vkBoolean : vkEnum;
    case TPropKind::Float:
      switch (P.FloatType) {
        case TFloatType::Single: return vkSingle;
        case TFloatType::Extended:
        case TFloatType::Comp: return vkExtended;
        case TFloatType::Currency: return vkCurrency;
        default: return vkDouble;  // a date-time is a double to the class library's type information
      }
    case TPropKind::String: return vkString;
    case TPropKind::Class: return vkClass;
    default: return vkNone;  // 64-bit integers, sets, events
  }
}

bool ReadPublished(const TPersistent& O, const TPropInfo& P, TraValue& V) {
  switch (KindOfProp(P)) {
    case vkInteger: V.Ord = static_cast<int32_t>(P.GetOrd(&O)); return true;
    case vkChar:
    case vkBoolean:
    case vkEnum: V.Ord = P.GetOrd(&O); return true;
    case vkSingle: V.Float = static_cast<float>(P.GetFloat(&O)); return true;
    case vkDouble: V.Float = static_cast<double>(P.GetFloat(&O)); return true;
    case vkExtended: V.Float = P.GetFloat(&O); return true;
    case vkCurrency: V.Ord = Round(P.GetFloat(&O) * 10000); return true;
    case vkString: V.Str = P.GetStr(&O); return true;
    case vkClass: V.Obj = P.GetObj(&O); return true;
    default: return false;
  }
}

bool WritePublished(TPersistent& O, const TPropInfo& P, const TraValue& V) {
  switch (KindOfProp(P)) {
    case vkInteger:
      if (!P.SetOrd) return false;
      P.SetOrd(&O, static_cast<int32_t>(V.Ord));
      return true;
    case vkChar:
    case vkBoolean:
    case vkEnum:
      if (!P.SetOrd) return false;
      P.SetOrd(&O, V.Ord & 0xFF);  // one byte carries these kinds
      return true;
    case vkSingle:
    case vkDouble:
    case vkExtended:
      if (!P.SetFloat) return false;
      P.SetFloat(&O, V.Float);
      return true;
    case vkCurrency:
      if (!P.SetFloat) return false;
      P.SetFloat(&O, static_cast<long double>(V.Ord) / 10000);
      return true;
    case vkString:
      if (!P.SetStr) return false;
      P.SetStr(&O, V.Str);
      return true;
    case vkClass: {
      if (!P.SetObj) return false;
      auto* Obj = dynamic_cast<TPersistent*>(V.Obj);
      if (V.Obj && (!Obj || (P.ClassType && !Obj->InheritsFrom(P.ClassType())))) return false;
      P.SetObj(&O, Obj);
      return true;
    }
    default: return false;
  }
}

// The general float format with Precision significant digits: fixed notation for decimal
// exponents from -4 to Precision - 1 (0.0001 stays fixed, 0.00001 is 1E-5), else d.dddE-x; trailing zeros dropped.
std::string FloatToStrGeneral(long double V, int Precision, const TFormatSettings& FS) {
  if (std::isnan(V)) return "NAN";
  if (std::isinf(V)) return V < 0 ? "-INF" : "INF";
  if (V == 0) return "0";
  char Buf[80];
  std::snprintf(Buf, sizeof Buf, "%.*Le", Precision - 1, V);
  std::string S(Buf);
  bool Negative = S[0] == '-';
  if (Negative) S.erase(0, 1);
  size_t E = S.find('e');
  int Exp = std::atoi(S.c_str() + E + 1);
  std::string Digits = S.substr(0, E);
  Digits.erase(std::remove(Digits.begin(), Digits.end(), '.'), Digits.end());
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();
  std::string R = Negative ? "-" : "";
  if (Exp < -4 || Exp >= Precision) {
    R += Digits[0];
    if (Digits.size() > 1) R += FS.DecimalSeparator + Digits.substr(1);
    R += "E" + std::to_string(Exp);
  } else if (Exp < 0) {
    R += "0";
    R += FS.DecimalSeparator;
    R += std::string(static_cast<size_t>(-Exp - 1), '0') + Digits;
  } else {
    size_t IntLen = static_cast<size_t>(Exp) + 1;
    if (Digits.size() <= IntLen) {
      R += Digits + std::string(IntLen - Digits.size(), '0');
    } else {
      R += Digits.substr(0, IntLen);
      R += FS.DecimalSeparator;
      R += Digits.substr(IntLen);
    }
  }
  return R;
}

bool IsEventProp(const TPropInfo& P) { return P.Kind == TPropKind::Method; }

std::vector<std::string> SortedNames(const TClassInfo& aClass, bool Events) {
  std::vector<std::string> Names;
  for (const TPropInfo* P : aClass.AllProps()) {
    if (IsEventProp(*P) != Events) continue;
    if (!Events && P->Kind == TPropKind::Set) continue;
    Names.push_back(P->Name);
  }
  std::stable_sort(Names.begin(), Names.end(),
                   [](const std::string& A, const std::string& B) { return UpperCaseAscii(A) < UpperCaseAscii(B); });
  return Names;
}

}  // namespace

// ---- TraRTTI

TraRTTI::TraRTTI(const char* Name, const TraRTTI* Parent, const TClassInfo& (*Described)(),
                 std::vector<TraEntry> Entries, std::vector<std::string> HiddenEvents)
    : FClassInfo(Name, Parent ? &Parent->ClassInfo() : &TPersistent::StaticClassInfo(), nullptr, {}),
      FParent(Parent),
      FDescribed(Described),
      FEntries(std::move(Entries)),
      FHiddenEvents(std::move(HiddenEvents)) {
  for (size_t I = 0; I < FEntries.size(); ++I) FIndex.emplace(UpperCaseAscii(FEntries[I].Name), I);
}

bool TraRTTI::InheritsFrom(const TraRTTI& Other) const {
  for (const TraRTTI* D = this; D; D = D->FParent)
    if (D == &Other) return true;
  return false;
}

bool TraRTTI::Describes(const TClassInfo& Class) const {
  const TClassInfo& Described = FDescribed();
  return &Described == &TObjectClassInfo() || Class.InheritsFrom(&Described);
}

const TraEntry* TraRTTI::FindEntry(std::string_view Name) const {
  auto It = FIndex.find(UpperCaseAscii(Name));
  if (It != FIndex.end()) return &FEntries[It->second];
  if (Name.empty())
    for (const TraEntry& E : FEntries)
      if (E.DefaultIndexed) return &E;
  return nullptr;
}

void TraRTTI::GetPropList(const TClassInfo& aClass, TStrings& aNames) const {
  for (const std::string& N : SortedNames(aClass, false)) aNames.Add(N);
  std::vector<const TraRTTI*> Chain;
  for (const TraRTTI* D = this; D; D = D->FParent) Chain.push_back(D);
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    for (const TraEntry& E : (*It)->FEntries)
      if (E.Listed) aNames.Add(E.Name);
}

void TraRTTI::GetEventList(const TClassInfo& aClass, TStrings& aNames) const {
  for (const std::string& N : SortedNames(aClass, true)) aNames.Add(N);
  for (const TraRTTI* D = this; D; D = D->FParent)
    for (const std::string& Hidden : D->FHiddenEvents)
      for (int I = aNames.Count() - 1; I >= 0; --I)
        if (SameTextAscii(aNames.Get(I), Hidden)) aNames.Delete(I);
}

void TraRTTI::DescribeEntry(const TraEntry& E, const TClassInfo& aClass, std::string_view aName,
                            TraPropRec& aRec) const {
  const TClassInfo* Class = E.ClassType ? &E.ClassType() : nullptr;
  switch (E.Form) {
    case TraForm::Plain: PropToRec(aName, E.Kind, aRec, E.ReadOnly); break;
    case TraForm::Class: ClassPropToRec(aName, Class, aRec, E.ReadOnly); break;
    case TraForm::Enum: EnumPropToRec(aName, E.TypeName, aRec, E.ReadOnly); break;
    case TraForm::Method: MethodToRec(aName, E.RecordParams, aRec); break;
    case TraForm::Event: EventToRec(aName, E.EventId, aRec, E.RecordParams); break;
    case TraForm::Indexed: ArrayPropToRec(aName, aRec); break;
    case TraForm::Constructor: ConstructorToRec(aName, &aClass, aRec); break;
    case TraForm::None: break;
  }
}

bool TraRTTI::GetPropRec(const TClassInfo& aClass, std::string_view aName, TraPropRec& aRec) const {
  for (const TraRTTI* D = this; D; D = D->FParent) {
    const TraEntry* E = D->FindEntry(aName);
    if (E && E->Form != TraForm::None) {
      DescribeEntry(*E, aClass, aName, aRec);
      return true;
    }
  }
  const TPropInfo* P = aClass.FindProp(aName);
  if (!P) return false;
  PropToRec(P->Name, KindOfProp(*P), aRec, !P->Writable());
  if (P->Kind == TPropKind::Class && P->ClassType) aRec.ClassType = &P->ClassType();
  if (aRec.DataType == vkEnum && P->Enum) aRec.TypeName = TraShortText(P->Enum->Name);
  aRec.IsPublished = true;
  return true;
}

bool TraRTTI::CallMethod(TPersistent* aObject, std::string_view aName, TraParamList* aParams, bool aGet) const {
  if (!aObject) return false;
  for (const TraRTTI* D = this; D; D = D->FParent) {
    const TraEntry* E = D->FindEntry(aName);
    if (E && E->Call && E->Call(*aObject, aParams, aGet)) return true;
  }
  return false;
}

std::unique_ptr<TraParamList> TraRTTI::GetParams(std::string_view aName) const {
  for (const TraRTTI* D = this; D; D = D->FParent) {
    const TraEntry* E = D->FindEntry(aName);
    if (!E || !E->HasParams) continue;
    auto L = std::make_unique<TraParamList>();
    for (const TraParamSpec& S : E->Params)
      L->AddParam(S.Name, S.Kind, S.ClassType ? &S.ClassType() : nullptr, S.TypeName, S.IsConst, S.IsVar);
    return L;
  }
  return nullptr;
}

bool TraRTTI::GetPropValue(TPersistent* aObject, std::string_view aName, TraValue& aValue) const {
  if (!aObject) return false;
  for (const TraRTTI* D = this; D; D = D->FParent) {
    const TraEntry* E = D->FindEntry(aName);
    if (E && E->Get && E->Get(*aObject, E->Kind, aValue)) return true;
  }
  const TPropInfo* P = aObject->ClassInfo()->FindProp(aName);
  return P && ReadPublished(*aObject, *P, aValue);
}

bool TraRTTI::SetPropValue(TPersistent* aObject, std::string_view aName, const TraValue& aValue) const {
  if (!aObject) return false;
  for (const TraRTTI* D = this; D; D = D->FParent) {
    const TraEntry* E = D->FindEntry(aName);
    if (E && E->Set) return E->Set(*aObject, E->Kind, aValue);
  }
  const TPropInfo* P = aObject->ClassInfo()->FindProp(aName);
  return P && WritePublished(*aObject, *P, aValue);
}

bool TraRTTI::GetPropValueText(TPersistent* aObject, std::string_view aName, std::string& aText) const {
  aText.clear();
  if (!aObject) return false;
  TraPropRec Rec;
  TraValue V;
  if (!GetPropRec(*aObject->ClassInfo(), aName, Rec) || !GetPropValue(aObject, aName, V)) return false;
  const TFormatSettings& FS = FormatSettings();
  switch (Rec.DataType) {
    case vkInteger:
    case vkChar: aText = IntToStr(V.Ord); break;
    case vkSingle: aText = FloatToStrGeneral(V.Float, 8, FS); break;
    case vkDouble: aText = FloatToStrGeneral(V.Float, 15, FS); break;
    case vkExtended: aText = FloatToStrGeneral(V.Float, 18, FS); break;
    case vkCurrency: aText = DBCurrToStr(static_cast<double>(V.Ord) / 10000); break;
    case vkString: aText = V.Str; break;
    case vkDateTime: aText = DateTimeToStr(static_cast<TDateTime>(V.Float), FS); break;
    case vkDate: aText = DateToStr(static_cast<TDateTime>(V.Float), FS); break;
    case vkTime: aText = TimeToStr(static_cast<TDateTime>(V.Float), FS); break;
    case vkBoolean: aText = (V.Ord & 0xFF) ? "True" : "False"; break;
    case vkVariant: aText = V.Var.AsString(FS); break;
    case vkEnum: {
      const TPropInfo* P = aObject->ClassInfo()->FindProp(aName);
      if (P && P->Enum) aText = P->Enum->NameOf(V.Ord);
      break;
    }
    default: break;
  }
  return true;
}

// ---- record fillers

void TraRTTI::PropToRec(std::string_view Name, TraValueKind Kind, TraPropRec& Rec, bool ReadOnly) {
  Rec.Name = TraShortText(Name);
  Rec.DataType = Kind;
  Rec.ReadOnly = ReadOnly;
  Rec.ClassType = nullptr;
  Rec.TypeName.clear();
  Rec.IsPublished = false;
  Rec.IsConstructor = false;
  Rec.IsArray = false;
  Rec.EventId = -1;
  Rec.Params.reset();
}

void TraRTTI::ClassPropToRec(std::string_view Name, const TClassInfo* Class, TraPropRec& Rec, bool ReadOnly) {
  PropToRec(Name, vkClass, Rec, ReadOnly);
  Rec.ClassType = Class;
}

void TraRTTI::EnumPropToRec(std::string_view Name, std::string_view TypeName, TraPropRec& Rec, bool ReadOnly) {
  PropToRec(Name, vkEnum, Rec, ReadOnly);
  Rec.TypeName = TraShortText(TypeName);
}

void TraRTTI::MethodToRec(std::string_view Name, bool WithParams, TraPropRec& Rec) const {
  PropToRec(Name, vkMethod, Rec, true);
  if (!WithParams) return;
  Rec.Params = GetParams(Name);
  if (Rec.Params && Rec.Params->Count() > 0) {
    const TraParamRec& Last = Rec.Params->GetParamRec(Rec.Params->Count() - 1);
    if (SameTextAscii(Last.Name, "Result") && Last.DataType == vkClass) Rec.ClassType = Last.ClassType;
  }
}

void TraRTTI::ArrayPropToRec(std::string_view Name, TraPropRec& Rec) const {
  MethodToRec(Name, true, Rec);
  Rec.IsArray = true;
}

void TraRTTI::ConstructorToRec(std::string_view Name, const TClassInfo* Class, TraPropRec& Rec) const {
  MethodToRec(Name, true, Rec);
  Rec.ClassType = Class;
  if (!Rec.Params) Rec.Params = std::make_unique<TraParamList>();
  Rec.Params->AddParam("Class", vkClass, Class);
  Rec.Params->AddParam("Result", vkClass);
  Rec.IsConstructor = true;
}

void TraRTTI::EventToRec(std::string_view Name, int32_t EventId, TraPropRec& Rec, bool WithParams) const {
  MethodToRec(Name, WithParams, Rec);
  Rec.EventId = EventId;
}
