// The variables' descriptors: every name each describes, the names listed and the events hidden,
// typed values by name on a real variable, and the names whose write answers False.
#include <gtest/gtest.h>

#include <algorithm>

#include "ppreport/generation/ppVar.h"
#include "tests/ppreport/descriptors/ppDescriptorsTestSupport.h"

namespace descriptorstest {
namespace {

TEST(ppVarRTTITest, EveryDescribedNameOfTheVariables) {
  ExpectNames(TppVariable::StaticClassInfo(), "TraTppVariableRTTI",
              {{"SaveToCache", vkMethod, true, -1, 1},
               {"OnCalc", vkMethod, true, 33, 1},
               {"OnReset", vkMethod, true, 34, 1},
               {"AsBoolean", vkBoolean, false},
               {"AsChar", vkChar, false},
               {"AsCurrency", vkCurrency, false},
               {"AsDateTime", vkDateTime, false},
               {"AsDate", vkDate, false},
               {"AsTime", vkTime, false},
               {"AsDouble", vkDouble, false},
               {"AsExtended", vkExtended, false},
               {"AsInteger", vkInteger, false},
               {"CalcOrder", vkInteger, false},
               {"AsSingle", vkSingle, false},
               {"AsString", vkString, false},
               {"CalcComponent", vkClass, false, -1, -1, "TppCommunicator"},
               {"ResetComponent", vkClass, false, -1, -1, "TppCommunicator"},
               {"CalcType", vkEnum, false, -1, -1, "TppVarEventType"},
               {"ResetType", vkEnum, false, -1, -1, "TppVarEventType"},
               {"DataType", vkEnum, false, -1, -1, "TppDataType"},
               {"Value", vkVariant, false}});
  ExpectNames(TppSystemVariable::StaticClassInfo(), "TraTppSystemVariableRTTI",
              {{"VarType", vkEnum, true, -1, -1, "TppVarType"}, {"DataType", vkEnum, false, -1, -1, "TppDataType"}});

  using L = std::vector<std::string>;
  const L Variable = ListedNames(TppVariable::StaticClassInfo());
  const L Own = {"SaveToCache", "AsBoolean",  "AsChar",    "AsCurrency", "AsDateTime", "AsDate", "AsDouble",
                 "AsExtended",  "AsInteger",  "AsSingle",  "AsString",   "AsTime",     "Value"};
  ASSERT_GE(Variable.size(), Own.size());
  EXPECT_EQ(Own, L(Variable.end() - static_cast<long>(Own.size()), Variable.end()));
  EXPECT_EQ("DataType", ListedNames(TppSystemVariable::StaticClassInfo()).back());
  for (const L& Events : {EventNames(TppVariable::StaticClassInfo()), EventNames(TppSystemVariable::StaticClassInfo())}) {
    for (const char* Hidden : {"OldOnCalc", "OnFormat"})
      EXPECT_EQ(Events.end(), std::find(Events.begin(), Events.end(), Hidden)) << Hidden;
  }
  const L Events = EventNames(TppVariable::StaticClassInfo());
  EXPECT_NE(Events.end(), std::find(Events.begin(), Events.end(), "OnReset"));
}

TEST(ppVarRTTITest, TypedValuesByName) {
  TComponent Form(nullptr);
  auto* Var = new TppVariable(&Form);
  auto* Sys = new TppSystemVariable(&Form);
  ExpectPublishedRoundTrip(*Var);
  ExpectPublishedRoundTrip(*Sys);

  EXPECT_TRUE(SetOrd(*Var, "DataType", dtDateTime));
  EXPECT_EQ(dtDateTime, Var->DataType());
  EXPECT_TRUE(SetFloat(*Var, "AsDate", 45000.25));
  for (const char* Name : {"AsDate", "AsTime", "AsDateTime"})  // one stored date-time under three names
    EXPECT_EQ(45000.25, Get(*Var, Name).Float) << Name;
  EXPECT_TRUE(SetOrd(*Var, "DataType", dtCurrency));
  EXPECT_TRUE(SetOrd(*Var, "AsCurrency", 123456));  // ten-thousandths
  EXPECT_DOUBLE_EQ(12.3456, Var->AsCurrency());
  EXPECT_EQ(123456, Get(*Var, "AsCurrency").Ord);
  EXPECT_TRUE(SetOrd(*Var, "DataType", dtInteger));
  TraValue V;
  V.Var = Variant("42");  // converted to the current type
  EXPECT_TRUE(TraRTTIClassRegistry::GetRTTIClass(*Var)->SetPropValue(Var, "Value", V));
  EXPECT_EQ(42, Var->AsInteger());
  EXPECT_EQ(42, Get(*Var, "Value").Var.AsInteger());
  EXPECT_TRUE(SetOrd(*Var, "AsChar", 'x'));
  EXPECT_EQ('x', Var->AsChar());
  EXPECT_TRUE(SetOrd(*Var, "CalcType", veGroupEnd));
  EXPECT_EQ(veGroupEnd, Var->CalcType());
  EXPECT_EQ(-1, Get(*Var, "CalcOrder").Ord);  // no band

  const TraRTTI& D = *TraRTTIClassRegistry::GetRTTIClass(*Var);
  EXPECT_FALSE(D.CallMethod(Var, "NoSuchMethod", nullptr));

  EXPECT_TRUE(SetOrd(*Sys, "VarType", vtPageNo));  // described read-only, written all the same
  EXPECT_EQ(vtPageNo, Sys->VarType());
  const TraValue Type = Get(*Sys, "DataType");
  EXPECT_EQ(Sys->GetDataType(), Type.Ord);
  EXPECT_FALSE(SetOrd(*Sys, "DataType", dtString));  // described writable, never written
  EXPECT_EQ(Type.Ord, Get(*Sys, "DataType").Ord);
}

}  // namespace
}  // namespace descriptorstest
