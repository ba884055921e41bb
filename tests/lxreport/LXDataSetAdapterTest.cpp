#include "lxreport/LXDataSetAdapter.h"

#include "LXExprTestSupport.h"
#include "platform/data/MemDataSet.h"

namespace {
struct TAdapterFixture : ::testing::Test {
  TMemoryDataSet Sales{nullptr};
  TLXDataSetAdapter View{&Sales};
  TLXDataSetList List{&View};
  void SetUp() override {
    Sales.SetName("Sales");
    auto& D = Sales.FieldDefs();
    D.Add("Id", ftInteger);
    D.Add("Small", ftSmallint);
    D.Add("Name", ftString, 20);
    D.Add("Price", ftFloat);
    D.Add("Amount", ftCurrency);
    D.Add("Rate", ftBCD, 4);
    D.Add("Paid", ftBoolean);
    D.Add("Day", ftDate);
    D.Add("Stamp", ftDateTime);
    D.Add("At", ftTime);
    D.Add("Notes", ftMemo);
    TDateTime Day = EncodeDate(2024, 3, 6);
    Sales.AppendRecord({7, 3, "Açaí", 2.5, 10.25, 0.125, true, Day, Day + EncodeTime(8, 30, 0, 0),
                        EncodeTime(8, 30, 0, 0), "long text"});
    Sales.AppendRecord({"x", TDbValue::Null(), TDbValue::Null(), TDbValue::Null(), TDbValue::Null(),
                        TDbValue::Null(), TDbValue::Null(), TDbValue::Null(), TDbValue::Null(), TDbValue::Null(),
                        TDbValue::Null()});
    Sales.Open();
  }
  std::string Eval(const std::string& T) { return Describe(EvalText(T, &List)); }
};
}  // namespace

TEST_F(TAdapterFixture, FieldClassesGiveTheirKinds) {
  EXPECT_EQ(Eval("Id"), "I:7");
  EXPECT_EQ(Eval("Small + 1"), "I:4");
  EXPECT_EQ(Eval("Sales.Name"), "S:Açaí");
  EXPECT_EQ(Eval("Price * 2"), "F:5");
  EXPECT_EQ(Eval("TYPEOF(Amount)"), "S:FLOAT");
  EXPECT_EQ(Eval("TYPEOF(Rate)"), "S:FLOAT");
  EXPECT_EQ(Eval("Paid"), "B:True");
  EXPECT_EQ(Eval("Day"), "S:06/03/2024");
  EXPECT_EQ(Eval("Stamp"), "S:06/03/2024 08:30:00");
  EXPECT_EQ(Eval("TYPEOF(At)"), "S:STRING");
  EXPECT_EQ(Eval("Notes"), "E:Field Notes is of unknown type");
}

TEST_F(TAdapterFixture, ReopenedFieldsAndValuesThatDoNotConvert) {
  TLXEvaluator E;
  E.AssignDataSets(&List);
  E.Compile("Id * 2");
  EXPECT_EQ(Describe(E.CurrentValue()), "I:14");
  Sales.Close();  // the fields are freed; the compiled expression holds none of them
  EXPECT_EQ(Describe(E.CurrentValue()), "E:Field Id is no longer available");
  Sales.Open();
  EXPECT_EQ(Describe(E.CurrentValue()), "I:14");
  Sales.Next();
  // Text in an integer column: the conversion error becomes an error value.
  TLXEvValue V = E.CurrentValue();
  EXPECT_EQ(V.Kind, evError);
  EXPECT_FALSE(V.Text().empty());
  EXPECT_EQ(Eval("Name"), "S:");
}
