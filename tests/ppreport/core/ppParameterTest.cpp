#include "ppreport/core/ppParameter.h"

#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppParameterRTTI.h"

namespace {

std::string ErrorOf(const std::function<void()>& Fn) {
  try {
    Fn();
  } catch (const Exception& E) {
    return E.Message();
  }
  return {};
}

TEST(TppParameterListTest, ANewNameJoinsWhenItsValueIsSet) {
  TppParameterList List(nullptr);
  TppParameter* Spare = List.GetItemForName("Start");
  EXPECT_EQ("Start", Spare->Name());
  EXPECT_EQ(0, List.Count());  // read only: nothing added
  EXPECT_EQ(Variant(std::string()), List.GetParameterValue("Start"));
  Spare->SetValue(Variant(5));
  ASSERT_EQ(1, List.Count());
  EXPECT_EQ(Spare, List.GetItemForIndex(0));
  EXPECT_EQ(Variant(std::string("5")), List.GetParameterValue("start"));  // a text parameter
  TppParameter* Next = List.GetItemForName("End");
  EXPECT_NE(Spare, Next);
  EXPECT_EQ(1, List.Count());

  EXPECT_EQ("TppParameterList.Add: a Parameter named, START, already exists.",
            ErrorOf([&] { List.AddName("START"); }));
  List.SetInsertMode(false);
  EXPECT_EQ("TppParameterList.GetItemForName: No parameter named, End, exists",
            ErrorOf([&] { List.GetItemForName("End"); }));
  List.Remove("Start");
  EXPECT_FALSE(List.InList("Start"));
}

TEST(TppParameterTest, TypesAndValues) {
  struct TCase {
    TppDataType From;
    Variant Value;
    TppDataType To;
    Variant Expected;
  };
  const TCase Cases[] = {
      {dtString, Variant(std::string()), dtInteger, Variant(0)},
      {dtInteger, Variant(0), dtString, Variant(std::string())},
      {dtInteger, Variant(5), dtString, Variant(std::string("5"))},
      {dtString, Variant(std::string("12")), dtLargeInt, Variant(int64_t(12))},
      {dtDouble, Variant(2.5), dtCurrency, Variant::OfCurrency(25000)},
      {dtString, Variant(std::string()), dtBoolean, Variant(false)},
  };
  for (const TCase& C : Cases) {
    TppParameter P(nullptr);
    P.SetDataType(C.From);
    P.SetValue(C.Value);
    P.SetDataType(C.To);
    EXPECT_EQ(C.Expected, P.Value()) << C.From << " to " << C.To;
  }
  TppParameter P(nullptr);
  EXPECT_EQ("TppParameter.SetDataType: dtMemo data type is not supported", ErrorOf([&] { P.SetDataType(dtMemo); }));
  EXPECT_EQ(dtString, P.DataType());
  P.SetDataType(dtInteger);
  P.SetValue(Variant(7));
  // A null keeps the value it had and only says so.
  P.SetValue(Variant::Null());
  EXPECT_TRUE(P.IsNull());
  EXPECT_EQ(Variant(7), P.Value());
  EXPECT_THROW(P.SetValue(Variant(std::string("sete"))), EVariantError);
  EXPECT_THROW(P.SetValue(Variant(int64_t(1) << 40)), EVariantError);  // not a 32-bit integer
  EXPECT_EQ(dtLargeInt, P.VarTypeToDataType(varInt64));
  EXPECT_EQ(dtNotKnown, P.VarTypeToDataType(varNull));
  EXPECT_EQ(varUnknown, P.DataTypeToVarType(dtMemo));
}

TEST(TppParameterListTest, CopiesAndStreams) {
  TppParameterList List(nullptr);
  List.Add("Name", dtString, Variant(std::string("Ana")));
  List.Add("Count", dtInteger, Variant(3));
  List.Add("Price", dtCurrency, Variant(19.9));
  List.Add("Since", dtDateTime, Variant::OfDate(45000.5));
  List.Add("Active", dtBoolean, Variant(true));
  TppParameter* Empty = List.Add("Missing", dtInteger, Variant(1));
  Empty->SetValue(Variant::Null());
  List.GetItemForName("Name")->PickList()->Add("Ana");

  TppParameterList Copy(nullptr);
  Copy.Assign(&List);
  EXPECT_TRUE(Copy.EqualTo(&List));
  EXPECT_EQ("Ana", Copy.GetItemForName("Name")->PickList()->Get(0));
  Copy.GetItemForName("Count")->SetValue(Variant(4));
  EXPECT_FALSE(Copy.EqualTo(&List));

  TMemoryStream S;
  WriteComponentToStream(S, &List);
  S.SetPosition(0);
  TppParameterList Read(nullptr);
  ReadComponentFromStream(S, &Read);
  EXPECT_TRUE(Read.EqualTo(&List));
  EXPECT_EQ(varCurrency, Read.GetParameterValue("Price").VarType());
  EXPECT_EQ(varDate, Read.GetParameterValue("Since").VarType());
  EXPECT_EQ(1, Read.GetItemForName("Name")->PickList()->Count());
  Read.Assign(nullptr);
  EXPECT_EQ(0, Read.Count());
}

TEST(TppParameterListTest, Descriptor) {
  TppParameterList List(nullptr);
  const TraRTTI* D = TraRTTIClassRegistry::GetRTTIClass(List);
  ASSERT_EQ(&TraTppParameterListRTTI(), D);
  // Writing "Values" of a new name adds it; reading it back.
  std::string Name = "Limit";
  Variant Value(10);
  auto P = D->GetParams("Values");
  P->BindParam(0, &Name);
  P->BindParam(1, &Value);
  ASSERT_TRUE(D->CallMethod(&List, "Values", P.get(), false));
  EXPECT_EQ(1, List.Count());
  Value = Variant();
  ASSERT_TRUE(D->CallMethod(&List, "Values", P.get(), true));
  EXPECT_EQ(Variant(std::string("10")), Value);
  TraValue V;
  ASSERT_TRUE(D->GetPropValue(&List, "Count", V));
  EXPECT_EQ(1, V.Ord);
  bool Found = false;
  auto In = D->GetParams("InList");
  In->BindParam(0, &Name);
  In->BindParam(1, &Found);
  ASSERT_TRUE(D->CallMethod(&List, "InList", In.get()));
  EXPECT_TRUE(Found);
}

}  // namespace
