#include "lxreport/LXEvEnvironment.h"

#include <algorithm>

#include "LXExprTestSupport.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"

namespace {
struct TEnvFixture : ::testing::Test {
  TLXEvEnvironment Env;
  std::string Eval(const std::string& Text) { return Describe(EvalText(Text, nullptr, &Env)); }
};
}  // namespace

TEST_F(TEnvFixture, NamesAreUpperCaseAndFirstDefinitionStays) {
  Env.Define("pagenumber", "0");
  Env.Define("PageNumber", "99");
  ASSERT_EQ(Env.Count(), 1);
  EXPECT_EQ(Env.Strings(0), "PAGENUMBER");
  EXPECT_EQ(Env.Entries(0)->ExpressionText(), "0");
  Env.Define("preço", "1");
  EXPECT_EQ(Env.Strings(1), "PREÇO");
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

TEST_F(TEnvFixture, AChainOfVariablesNestsLikeOneExpression) {
  // Each variable evaluates inside the one that names it: bounded as one expression's levels are.
  Env.Define("V0", "1");
  for (int I = 1; I <= 200; ++I) Env.Define("V" + std::to_string(I), "V" + std::to_string(I - 1) + " + 1");
  Env.Compile();
  EXPECT_EQ(Eval("V100"), "I:101");
  EXPECT_EQ(Eval("V200"), "E:Expression nested too deeply: more than 256 levels");
  EXPECT_EQ(Eval("V100"), "I:101");
  Env.Discard();
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
  EXPECT_EQ(Shared->Strings(0), "APPSTARTTIME");
  EXPECT_EQ(Shared->Strings(1), "APPSTARTDATE");
  EXPECT_EQ(Shared->Strings(2), "APPNAME");
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

// A component whose published "Functions" is an environment, as a report's is.
class TFuncHolder : public TComponent {
  DECLARE_CLASSINFO(TFuncHolder)
public:
  using TComponent::TComponent;
  TLXEvEnvironment Functions;
};

const TClassInfo& TFuncHolder::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TFuncHolder>("TFuncHolder", &TComponent::StaticClassInfo())
                                     .Prop("Functions", [](const TFuncHolder& H) { return &H.Functions; });
  return Info;
}

namespace {
std::vector<uint8_t> WriteHolder(TFuncHolder& H) {
  TMemoryStream M;
  WriteComponentToStream(M, &H);
  return M.Bytes();
}

void ReadHolder(const std::vector<uint8_t>& Bytes, TFuncHolder& Into) {
  TBytesStream S(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  TReader R(S);
  R.ReadRootComponent(&Into);
}

std::string ToText(const std::vector<uint8_t>& Bytes) {
  TBytesStream In(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  TMemoryStream Out;
  ObjectBinaryToText(In, Out);
  return std::string(Out.Bytes().begin(), Out.Bytes().end());
}

// The bytes that follow a property name in a binary stream.
std::vector<uint8_t> ValueAfter(const std::vector<uint8_t>& Bytes, const std::string& Name, size_t Count) {
  std::string Key = static_cast<char>(Name.size()) + Name;
  auto It = std::search(Bytes.begin(), Bytes.end(), Key.begin(), Key.end());
  if (It == Bytes.end()) return {};
  It += static_cast<std::ptrdiff_t>(Key.size());
  return std::vector<uint8_t>(It, It + static_cast<std::ptrdiff_t>(std::min<size_t>(Count, Bytes.end() - It)));
}
}  // namespace

TEST(LXEvEnvironmentStreamTest, NamesAndExpressionsRoundTripThroughAFormStream) {
  TFuncHolder H(nullptr);
  H.Functions.Define("X", "1+1");
  H.Functions.Define("Y", "X*2");
  H.Functions.Define("Nome", "'São Paulo'");
  std::vector<uint8_t> Bytes = WriteHolder(H);
  // "DATA": list start, short strings (length byte, Windows-1252 bytes), list end.
  const std::vector<uint8_t> WantData = {1, 6, 3, '1', '+', '1', 6, 3, 'X', '*', '2',
                                         6, 11, '\'', 'S', 0xE3, 'o', ' ', 'P', 'a', 'u', 'l', 'o', '\'', 0};
  EXPECT_EQ(ValueAfter(Bytes, "Functions.DATA", WantData.size()), WantData);
  std::string Text = ToText(Bytes);
  EXPECT_NE(Text.find("Functions.Strings = ("), std::string::npos) << Text;

  TFuncHolder Back(nullptr);
  ReadHolder(Bytes, Back);
  ASSERT_EQ(Back.Functions.Count(), 3);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Back.Functions.Strings(I), H.Functions.Strings(I));
    EXPECT_EQ(Back.Functions.Entries(I)->ExpressionText(), H.Functions.Entries(I)->ExpressionText());
  }
  EXPECT_EQ(WriteHolder(Back), Bytes);
  Back.Functions.Compile();
  EXPECT_EQ(Describe(EvalText("Y", nullptr, &Back.Functions)), "I:4");
  EXPECT_EQ(Describe(EvalText("NOME", nullptr, &Back.Functions)), "S:São Paulo");
  Back.Functions.Discard();
}

namespace {
std::vector<uint8_t> FromText(const std::string& T) {
  TMemoryStream In, Out;
  In.WriteBuffer(T.data(), static_cast<int64_t>(T.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Out);
  return Out.Bytes();
}
}  // namespace

TEST(LXEvEnvironmentStreamTest, EmptyEnvironmentAndBadStreams) {
  TFuncHolder H(nullptr);
  std::vector<uint8_t> Bytes = WriteHolder(H);
  // No names: no "Strings", and an empty "DATA" list all the same.
  EXPECT_EQ(ValueAfter(Bytes, "Functions.DATA", 2), (std::vector<uint8_t>{1, 0}));
  EXPECT_TRUE(ValueAfter(Bytes, "Functions.Strings", 1).empty());
  TFuncHolder Back(nullptr);
  ReadHolder(Bytes, Back);
  EXPECT_EQ(Back.Functions.Count(), 0);
  // Read into an environment that has entries already (a report's counters): they stay.
  Back.Functions.Define("PAGENUMBER", "0");
  ReadHolder(Bytes, Back);
  ASSERT_EQ(Back.Functions.Count(), 1);
  EXPECT_EQ(Back.Functions.Entries(0)->ExpressionText(), "0");

  // Names and expressions that do not pair up.
  const char* const Damaged[] = {
      " Functions.Strings = ('A')\n Functions.DATA = ('1' '2')\n",  // more expressions than names
      " Functions.Strings = ('A' 'B')\n Functions.DATA = ('1')\n",  // fewer
      " Functions.Strings = ('A')\n Functions.DATA = ()\n",         // none
      " Functions.Strings = ('A')\n",                                // no "DATA" at all
      " Functions.Strings = ('A')\n Tag = 1\n",                     // not right after the names
      " Functions.DATA = ('1')\n",                                   // expressions without names
      " Functions.DATA = ('1')\n Functions.Strings = ('A')\n",      // names after their expressions
  };
  for (const char* Props : Damaged) {
    TFuncHolder Bad(nullptr);
    EXPECT_THROW(ReadHolder(FromText(std::string("object H: TFuncHolder\n") + Props + "end\n"), Bad), EReadError)
        << Props;
    // Whatever was read, no name is a variable without its expression.
    Bad.Functions.Define("B", "2");
    Bad.Functions.Compile();
    TLXEvValue V;
    Bad.Functions.ValueOf("A", V);
    EXPECT_EQ(V.Kind, evError) << Props;
    EXPECT_EQ(Bad.Functions.FirstElementOf("A"), nullptr) << Props;
    EXPECT_EQ(Describe(EvalText("A", nullptr, &Bad.Functions)), "E:Unknown function : A") << Props;
    EXPECT_EQ(Describe(EvalText("B", nullptr, &Bad.Functions)), "I:2") << Props;
    Bad.Functions.Discard();
  }

  // A long string whose length runs past the end of the stream.
  TFuncHolder Bad(nullptr);
  std::vector<uint8_t> Cut = WriteHolder(H);
  std::vector<uint8_t> Truncated(Cut.begin(), Cut.end() - 4);
  Truncated.insert(Truncated.end(), {12, 0xE8, 0x03, 0, 0});
  EXPECT_THROW(ReadHolder(Truncated, Bad), EReadError);
}

TEST(LXEvEnvironmentStreamTest, NamesFromAStreamAreFoundInAnyCase) {
  TFuncHolder H(nullptr);
  ReadHolder(FromText("object H: TFuncHolder\n Functions.Strings = ('pageNumber' 'pre'#231'o')\n"
                      " Functions.DATA = ('7' '2')\nend\n"),
             H);
  H.Functions.Compile();
  EXPECT_EQ(Describe(EvalText("PAGENUMBER + [Preço]", nullptr, &H.Functions)), "I:9");
  EXPECT_NE(H.Functions.FirstElementOf("pagenumber"), nullptr);
  H.Functions.Define("PAGENUMBER", "99");  // the name exists: the first expression stays
  EXPECT_EQ(H.Functions.Count(), 2);
  H.Functions.Undefine("PREÇO");
  EXPECT_EQ(H.Functions.Count(), 1);
  H.Functions.Discard();
}

TEST_F(TEnvFixture, EntriesFollowTheirNamesThroughListEdits) {
  Env.Define("A", "1");
  Env.Define("B", "2");
  Env.Insert(0, "LOOSE");  // a name without an entry is no variable
  Env.Exchange(1, 2);
  Env.Compile();
  EXPECT_EQ(Eval("A * 10 + B"), "I:12");
  EXPECT_EQ(Eval("LOOSE"), "E:Unknown function : LOOSE");
  EXPECT_EQ(Env.Entries(0), nullptr);
  EXPECT_EQ(Env.Entries(1)->ExpressionText(), "2");
  Env.Delete(0);
  EXPECT_EQ(Eval("B - A"), "I:1");
  Env.Discard();
}
