#include "lxreport/LXEvEnvironment.h"

#include "LXExprTestSupport.h"
#include "platform/classes/Streams.h"

namespace {
struct TEnvFixture : ::testing::Test {
  TLXEvEnvironment Env{nullptr};
  std::string Eval(const std::string& Text) { return Describe(EvalText(Text, nullptr, &Env)); }
};
}  // namespace

TEST_F(TEnvFixture, NamesAreUpperCaseAndFirstDefinitionStays) {
  Env.Define("pagenumber", "0");
  Env.Define("PageNumber", "99");
  ASSERT_EQ(Env.Count(), 1);
  EXPECT_EQ(Env.Names(0), "PAGENUMBER");
  EXPECT_EQ(Env.Entries(0)->ExpressionText(), "0");
  Env.Define("preço", "1");
  EXPECT_EQ(Env.Names(1), "PREÇO");
  Env.Compile();
  EXPECT_EQ(Eval("PageNumber"), "I:0");
  EXPECT_EQ(Eval("[pagenumber] + 1"), "I:1");
  EXPECT_EQ(Eval("[Preço]"), "I:1");
  EXPECT_EQ(Eval("[nothing]"), "E:Unknown function : nothing");
  Env.Discard();
}

TEST_F(TEnvFixture, VariablesReferToEachOther) {
  Env.Define("X", "1+1");
  Env.Define("Y", "X*2");
  Env.Define("Z", "Y + X + W");  // W is defined after Z
  Env.Define("W", "10");
  Env.Define("A", "A+1");
  Env.Define("B", "C");
  Env.Define("C", "B");
  Env.Compile();
  EXPECT_EQ(Eval("Y"), "I:4");
  EXPECT_EQ(Eval("Z"), "I:16");
  EXPECT_EQ(Eval("A"), "E:Recursive calls not allowed");
  EXPECT_EQ(Eval("B"), "E:Recursive calls not allowed");
  EXPECT_EQ(Eval("Y + Y"), "I:8");  // the same entry twice is not recursion
  TLXEvValue V;
  Env.ValueOf("y", V);
  EXPECT_EQ(Describe(V), "I:4");
  V = TLXEvValue::OfString("stale");
  Env.ValueOf("absent", V);
  EXPECT_EQ(Describe(V), "E:");
  Env.Discard();
  EXPECT_FALSE(Env.IsCompiled());
  EXPECT_THROW(Env.ValueOf("Y", V), Exception);  // "Evaluator not prepared"
}

TEST_F(TEnvFixture, CountersChangeWithoutRecompiling) {
  Env.Define("PAGENUMBER", "0");
  Env.Define("REPORTTITLE", "''");
  Env.Compile();
  Env.Compile();  // counted
  TLXEvElement* Page = Env.FirstElementOf("pagenumber");
  TLXEvElement* Title = Env.FirstElementOf("REPORTTITLE");
  ASSERT_NE(Page, nullptr);
  ASSERT_NE(Title, nullptr);
  EXPECT_EQ(Env.FirstElementOf("absent"), nullptr);

  TLXEvaluator E;
  E.SetEnvironment(&Env);
  E.Compile("'Página ' + STR(PAGENUMBER) + ' de ' + REPORTTITLE");
  TLXEvEnvironment::StoreInteger(Page, 3);
  TLXEvEnvironment::StoreText(Title, "Vendas");
  EXPECT_EQ(Describe(E.CurrentValue()), "S:Página 3 de Vendas");
  TLXEvEnvironment::StoreText(Page, "x");  // a constant, not a string literal
  TLXEvEnvironment::StoreInteger(Title, 1);  // a string literal, not a constant
  EXPECT_EQ(Describe(E.CurrentValue()), "S:Página 3 de Vendas");
  TLXEvEnvironment::StoreValue(Page, TLXEvValue::OfFloat(2.5));
  TLXEvEnvironment::StoreValue(Title, TLXEvValue::OfString("Compras"));
  TLXEvEnvironment::StoreValue(Title, TLXEvValue::OfInteger(7));  // ignored
  EXPECT_EQ(Describe(E.CurrentValue()), "S:Página 2,5 de Compras");

  Env.Discard();
  EXPECT_TRUE(Env.IsCompiled());
  Env.Discard();
  EXPECT_FALSE(Env.IsCompiled());
  EXPECT_EQ(Env.FirstElementOf("PAGENUMBER"), nullptr);
  Env.Discard();  // one discard too many stays harmless
  EXPECT_FALSE(Env.IsCompiled());
}

TEST_F(TEnvFixture, DefineWhileCompiledAndUndefine) {
  Env.Compile();
  Env.Define("LATE", "40 + 2");
  EXPECT_EQ(Eval("LATE"), "I:42");
  TLXEvaluator E;
  E.SetEnvironment(&Env);
  E.Compile("LATE + 1");
  Env.Undefine("late");
  Env.Undefine("late");  // absent: nothing
  EXPECT_EQ(Env.Count(), 0);
  // The compiled expression outlives the entry it named.
  EXPECT_EQ(Describe(E.CurrentValue()), "E:Unknown function : LATE");
  Env.Discard();
}

TEST_F(TEnvFixture, EntryAggregatesAreNotResetThroughWrappers) {
  TMemDataSet Rows{"Rows"};
  Rows.Add("Q", TLXFieldKind::fkInteger).Int = 5;
  TLXDataSetList List{&Rows};
  Env.AssignDataSets(&List);
  Env.Define("RUNNING", "SUM(Q)");
  Env.Compile();
  Env.Entries(0)->Evaluator().ResetAggregates();
  Env.Entries(0)->Evaluator().AccumulateAggregates();
  TLXEvaluator E;
  E.SetEnvironment(&Env);
  E.Compile("RUNNING * 2");
  E.AccumulateAggregates();  // the wrapper does not make the entry accumulate
  EXPECT_EQ(Describe(E.CurrentValue()), "I:10");
  E.ResetAggregates();
  EXPECT_EQ(Describe(E.CurrentValue()), "I:10");
  Env.Entries(0)->ResetState();
  EXPECT_EQ(Describe(E.CurrentValue()), "I:0");
  Env.Discard();
}

TEST_F(TEnvFixture, SharedEnvironmentAndLookupOrder) {
  TLXEvEnvironment* Shared = SharedEnvironment();
  ASSERT_NE(Shared, nullptr);
  ASSERT_EQ(Shared->Count(), 3);
  EXPECT_EQ(Shared->Names(0), "APPSTARTTIME");
  EXPECT_EQ(Shared->Names(1), "APPSTARTDATE");
  EXPECT_EQ(Shared->Names(2), "APPNAME");
  EXPECT_EQ(Eval("AppName"), "S:Relatórios");
  EXPECT_EQ(Eval("APPSTARTDATE"), "S:" + DateToStr(Date()));
  // The report's own environment comes before the shared one.
  Env.Define("APPNAME", "'own'");
  Env.Compile();
  EXPECT_EQ(Eval("AppName"), "S:own");
  Env.Discard();
  // Once compiled by an evaluator, the shared environment stays compiled.
  EXPECT_TRUE(Shared->IsCompiled());
}

TEST_F(TEnvFixture, StreamPropertiesRoundTrip) {
  Env.Define("X", "1+1");
  Env.Define("Y", "X*2");
  Env.Define("Nome", "'São Paulo'");
  TMemoryStream Strings, Data;
  ASSERT_TRUE(Env.HasStrings());
  Env.WriteStringsProperty(Strings);
  Env.WriteDataProperty(Data);
  // List start, short strings (length byte, Windows-1252 bytes), list end.
  const std::vector<uint8_t> WantData = {1, 6, 3, '1', '+', '1', 6, 3, 'X', '*', '2',
                                         6, 11, '\'', 'S', 0xE3, 'o', ' ', 'P', 'a', 'u', 'l', 'o', '\'', 0};
  EXPECT_EQ(Data.Bytes(), WantData);

  TLXEvEnvironment Back(nullptr);
  Strings.SetPosition(0);
  Data.SetPosition(0);
  Back.ReadStringsProperty(Strings);
  Back.ReadDataProperty(Data);
  ASSERT_EQ(Back.Count(), 3);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Back.Names(I), Env.Names(I));
    EXPECT_EQ(Back.Entries(I)->ExpressionText(), Env.Entries(I)->ExpressionText());
  }
  Back.Compile();
  EXPECT_EQ(Describe(EvalText("Y", nullptr, &Back)), "I:4");
  EXPECT_EQ(Describe(EvalText("NOME", nullptr, &Back)), "S:São Paulo");
  Back.Discard();
}

TEST_F(TEnvFixture, EmptyEnvironmentAndBadStreams) {
  EXPECT_FALSE(Env.HasStrings());
  TMemoryStream Data;
  Env.WriteDataProperty(Data);
  EXPECT_EQ(Data.Bytes(), (std::vector<uint8_t>{1, 0}));

  // More expressions than names.
  TMemoryStream Names, Exprs;
  Names.WriteByte(1);
  Names.WriteByte(0);
  Exprs.WriteByte(1);
  Exprs.WriteByte(6);
  Exprs.WriteByte(1);
  Exprs.WriteByte('1');
  Exprs.WriteByte(0);
  Names.SetPosition(0);
  Exprs.SetPosition(0);
  Env.ReadStringsProperty(Names);
  EXPECT_THROW(Env.ReadDataProperty(Exprs), EReadError);
  // A long string whose length runs past the end.
  TMemoryStream Bad;
  Bad.WriteByte(1);
  Bad.WriteByte(12);
  Bad.WriteInt32(1000);
  Bad.SetPosition(0);
  EXPECT_THROW(Env.ReadStringsProperty(Bad), EStreamError);
}
