#pragma once
// What the descriptor tests share: a table row per described name checked against the record the
// registered descriptor fills, and a round trip of every published property by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/StringList.h"
#include "ppreport/core/ppRTTI.h"

namespace descriptorstest {

// One described name: its kind, the ReadOnly flag, the event code, the parameters the record
// carries (-1: no list) and the enumeration's type name or the class's name ("" for neither).
struct TNameRow {
  const char* Name;
  TraValueKind Kind;
  bool ReadOnly;
  int32_t EventId = -1;
  int Params = -1;
  const char* Type = "";
};

// The descriptor that the registry answers for Class must be Expected.
inline const TraRTTI& DescriptorOf(const TClassInfo& Class, const char* Expected) {
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(Class);
  EXPECT_NE(nullptr, D) << Class.Name;
  if (!D) return TraRTTIBase();
  EXPECT_STREQ(Expected, D->Name()) << Class.Name;
  return *D;
}

inline void ExpectNames(const TClassInfo& Class, const char* Descriptor, const std::vector<TNameRow>& Rows) {
  const TraRTTI& D = DescriptorOf(Class, Descriptor);
  for (const TNameRow& Row : Rows) {
    SCOPED_TRACE(std::string(Class.Name) + "." + Row.Name);
    TraPropRec R;
    ASSERT_TRUE(D.GetPropRec(Class, Row.Name, R));
    EXPECT_EQ(Row.Kind, R.DataType);
    EXPECT_EQ(Row.ReadOnly, R.ReadOnly);
    EXPECT_EQ(Row.EventId, R.EventId);
    EXPECT_EQ(Row.Params, R.Params ? R.Params->Count() : -1);
    if (Row.Kind == vkEnum) EXPECT_EQ(Row.Type, R.TypeName);
    if (Row.Kind == vkClass) EXPECT_EQ(std::string(Row.Type), R.ClassType ? R.ClassType->Name : "");
  }
}

// The names GetPropList lists for Class after its published properties and the base names.
inline std::vector<std::string> ListedNames(const TClassInfo& Class) {
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(Class);
  TStringList All, Base;
  D->GetPropList(Class, All);
  TraTComponentRTTI().GetPropList(Class, Base);
  std::vector<std::string> Names;
  for (int I = Base.Count(); I < All.Count(); ++I) Names.push_back(All.Get(I));
  return Names;
}

inline std::vector<std::string> EventNames(const TClassInfo& Class) {
  TStringList L;
  TraRTTIClassRegistry::GetRTTIClass(Class)->GetEventList(Class, L);
  std::vector<std::string> Names;
  for (int I = 0; I < L.Count(); ++I) Names.push_back(L.Get(I));
  return Names;
}

// Every published property of O that a value can carry is read by name, written back by name (True
// where it has a setter) and reads the same again.
inline void ExpectPublishedRoundTrip(TPersistent& O) {
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(O);
  ASSERT_NE(nullptr, D);
  for (const TPropInfo* P : O.ClassInfo()->AllProps()) {
    if (P->Kind == TPropKind::Method || P->Kind == TPropKind::Set || P->Kind == TPropKind::Int64) continue;
    SCOPED_TRACE(std::string(O.ClassInfo()->Name) + "." + P->Name);
    TraValue Before, After;
    ASSERT_TRUE(D->GetPropValue(&O, P->Name, Before));
    EXPECT_EQ(P->Writable(), D->SetPropValue(&O, P->Name, Before));
    ASSERT_TRUE(D->GetPropValue(&O, P->Name, After));
    EXPECT_EQ(Before.Ord, After.Ord);
    EXPECT_EQ(Before.Float, After.Float);
    EXPECT_EQ(Before.Str, After.Str);
    EXPECT_EQ(Before.Obj, After.Obj);
  }
}

// Values by name through the registered descriptor of the object's class.
inline TraValue Get(TPersistent& O, const char* Name) {
  TraValue V;
  EXPECT_TRUE(TraRTTIClassRegistry::GetRTTIClass(O)->GetPropValue(&O, Name, V)) << Name;
  return V;
}
inline bool SetOrd(TPersistent& O, const char* Name, int64_t Value) {
  TraValue V;
  V.Ord = Value;
  return TraRTTIClassRegistry::GetRTTIClass(O)->SetPropValue(&O, Name, V);
}
inline bool SetFloat(TPersistent& O, const char* Name, long double Value) {
  TraValue V;
  V.Float = Value;
  return TraRTTIClassRegistry::GetRTTIClass(O)->SetPropValue(&O, Name, V);
}
inline bool SetStr(TPersistent& O, const char* Name, const std::string& Value) {
  TraValue V;
  V.Str = Value;
  return TraRTTIClassRegistry::GetRTTIClass(O)->SetPropValue(&O, Name, V);
}
inline bool SetObj(TPersistent& O, const char* Name, TObject* Value) {
  TraValue V;
  V.Obj = Value;
  return TraRTTIClassRegistry::GetRTTIClass(O)->SetPropValue(&O, Name, V);
}

}  // namespace descriptorstest
