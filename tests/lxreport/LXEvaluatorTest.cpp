#include "lxreport/LXEvaluator.h"

#include "LXExprTestSupport.h"

namespace {
// Expression texts, their kind and value or message.
const TExprCase Cases[] = {
    // grammar, precedence, associativity
    {"", "S: "},
    {"10-4+3", "I:9"},
    {"2-3-4", "I:-5"},
    {"100/10/5", "F:2"},
    {"8/2*2", "F:8"},
    {"1+2*3", "I:7"},
    {"(1+2)*3", "I:9"},
    {" ( 1 + 2 ) * 3 ", "I:9"},
    {"-5", "I:-5"},
    {"-(2+3)+1", "I:-4"},
    {"+4", "I:4"},
    {"2*-3", "E:Illegal character in numeric contant \"2*\""},
    // a leading sign belongs to the first factor, blanks before it or not
    {" -5", "I:-5"},
    {"3 = -3", "B:False"},
    {"-3 = - 3", "B:True"},
    {"1 - -1", "I:2"},
    {"1--1", "I:2"},  // the right side's own sign is not swapped with the operators
    {"2 - -3 + 1", "I:6"},
    {"2 - (-3) + 1", "I:6"},
    {"1 + -1", "I:0"},
    {"-", "E:Illegal character in numeric contant \"0-\""},
    {"1E5", "F:100000"},
    {"1E+5", "E:Illegal character in numeric contant \"1E\""},
    {"1.5", "F:1.5"},
    {"1.5.2", "E:Illegal character in numeric contant \"1.5.2\""},
    {"12a", "E:Illegal character in numeric contant \"12a\""},
    {"3000000000", "F:3000000000"},
    {"2147483647", "I:2147483647"},
    {"2147483648", "F:2147483648"},
    {"00000000042", "I:42"},  // more than ten digits, and it fits
    {"0000000002147483647", "I:2147483647"},
    {"TRUE < b < c", "E:Unknown function : B < C"},
    {"TRUE or FALSE", "B:True"},
    {"FALSE OR FALSE", "B:False"},
    {"TRUE or(FALSE)", "E:Unknown function : TRUE OR"},
    {"(TRUE)or FALSE", "E:Missing )"},
    {"TRUE and FALSE", "B:False"},
    {"1 = 1 and 2 = 2", "E:Illegal character in numeric contant \"2 = 2\""},  // one comparison per expression
    {"(1 = 1) and (2 = 2)", "B:True"},
    {"TRUE", "B:True"},
    {"TRUE()", "B:True"},
    {"true", "B:True"},
    {"[TRUE]", "E:Unknown function : TRUE"},
    {"FOO(1)", "E:Unknown function : FOO"},
    {"foo", "E:Unknown function : FOO"},
    {"[foo]", "E:Unknown function : foo"},
    {"x(1", "E:Unknown function : "},
    {"COPY('a,b', 1, 3)", "S:a,b"},
    {"COPY('a(b', 1, 3)", "S:a(b"},
    {"COPY('abc',, 1)", "E:"},  // an empty argument is an error value; COPY refuses it
    {"'abc", "E:Missing '"},
    {"'", "E:Missing '"},
    {"(1+2", "E:Missing )"},
    {"[abc", "E:Missing ]"},
    {"#1", "E:Error in expression : #1"},
    {"1 + ", "E:Error in expression : "},
    {"()", "E:Error in expression : "},
    {"'it''s'", "S:it''s"},  // no escape: both quotes stay
    // negation
    {"NOT TRUE", "B:False"},
    {"not(1=2)", "B:True"},
    {"NOT 1", "E:Invalid use of NOT"},
    {"NOT", "E:Invalid use of NOT"},
    {"NOTES", "E:Unknown function : NOTES"},  // a name, not a negation
    {"[NOTES]", "E:Unknown function : NOTES"},
    {"NOT_A", "E:Unknown function : NOT_A"},
    // operators and promotion
    {"1 + 2.5", "F:3.5"},
    {"7 / 2", "F:3.5"},
    {"6 / 3", "F:2"},
    {"1 / 0", "E:Cannot divide by 0"},
    {"1.5 / 0", "E:Cannot divide by 0"},
    {"1.5 / 0.0", "E:Cannot divide by 0"},
    {"'ab' + 'cd'", "S:abcd"},
    {"'ab' - 'cd'", "E:Cannot subtract string expressions"},
    {"'ab' * 'cd'", "E:Cannot multiply string expressions"},
    {"'ab' / 'cd'", "E:Cannot divide string expressions"},
    {"'ab' or 'cd'", "E:Operator OR is not compatible with string expressions"},
    {"TRUE + TRUE", "E:Cannot add boolean expressions"},
    {"TRUE - TRUE", "E:Cannot subtract boolean expressions"},
    {"TRUE / TRUE", "E:Cannot divide boolean expressions"},
    {"'abc' < 'abd'", "B:True"},
    {"'B' < 'a'", "B:True"},
    {"'ab' < 'abc'", "B:True"},
    {"'ab' >= 'abc'", "B:False"},
    {"'a' = 'A'", "B:False"},
    {"'ç' > 'z'", "B:True"},  // Windows-1252 byte order
    {"'Ω' > 'ÿ'", "B:True"},  // past every Windows-1252 character
    {"'€' < 'ÿ'", "B:True"},  // € is 0x80 in that code page
    {"'日本' = '日本'", "B:True"},
    {"'日本' = '日木'", "B:False"},
    {"5 = '5'", "B:True"},
    {"TRUE = 'True'", "B:True"},
    {"TRUE <> FALSE", "B:True"},
    {"TRUE < FALSE", "E:Operator < is not compatible with boolean expressions"},
    {"TRUE >= FALSE", "E:Operator >= is not compatible with boolean expressions"},
    {"6 or 3", "I:7"},
    {"6 and 3", "I:2"},
    {"1.5 or 1", "E:Operator OR is not compatible with numeric expressions"},
    {"1.5 and 1", "E:Operator AND is not compatible with numeric expressions"},
    {"2147483647 + 1", "I:-2147483648"},
    {"65536 * 65536", "I:0"},
    {"1 + 'a'", "S:1a"},
    {"1 + TRUE", "S:1True"},
    {"1.5 + 'a'", "S:1.5a", "S:1,5a"},
    {"0.1 + 0.2 = 0.3", "B:False"},
    {"2 <= 2", "B:True"},
    {"2 <> 2.0", "B:False"},
    {"(1/0) + FOO", "E:Cannot divide by 0"},  // the left error wins
    {"FOO + (1/0)", "E:Unknown function : FOO"},
};

void RunTable() { RunExprTable(Cases); }
}  // namespace

TEST(LXEvaluatorTest, ExpressionTableBrazilian) { RunTable(); }

TEST(LXEvaluatorTest, ExpressionTablePeriodDecimal) {
  TFormatSettingsScope Scope(EnglishFormatSettings());
  RunTable();
}

// Texts are kept whole, whatever their length and whatever characters they hold.
TEST(LXEvaluatorTest, TextsAreKeptWhole) {
  std::string A(200, 'a'), B(100, 'b');
  TLXEvValue V = EvalText("'" + A + "' + '" + B + "'");
  ASSERT_EQ(V.Kind, evString);
  EXPECT_EQ(V.Text(), A + B);
  V = EvalText("'" + std::string(300, 'x') + "'");
  EXPECT_EQ(V.Text(), std::string(300, 'x'));
  V = EvalText("'" + std::string(254, 'x') + "' + 'çã Ωμέγα 日本 €'");
  EXPECT_EQ(V.Text(), std::string(254, 'x') + "çã Ωμέγα 日本 €");
  V = EvalText("1" + std::string(300, 'x'));
  EXPECT_EQ(V.Text(), "Illegal character in numeric contant \"1" + std::string(300, 'x') + "\"");
}

TEST(LXEvaluatorTest, NotPreparedRaisesAndCompileReplaces) {
  TLXEvaluator E;
  EXPECT_THROW(E.CurrentValue(), Exception);
  try {
    E.CurrentValue();
  } catch (const Exception& X) {
    EXPECT_EQ(X.Message(), "Evaluator not prepared");
  }
  E.Compile("1+1");
  EXPECT_EQ(Describe(E.CurrentValue()), "I:2");
  E.Compile("'x'");
  EXPECT_EQ(Describe(E.CurrentValue()), "S:x");
  E.Discard();
  EXPECT_FALSE(E.Compiled());
  EXPECT_THROW(E.CurrentValue(), Exception);
}

TEST(LXEvaluatorTest, SplittingHelpers) {
  EXPECT_EQ(FindArgumentSeparator("'a,b'+(1,2),3"), 12u);
  EXPECT_EQ(FindArgumentSeparator("abc,"), 0u);  // the last character never counts
  EXPECT_EQ(FindArgumentSeparator(""), 0u);
}

namespace {
std::string Repeat(const std::string& S, int N) {
  std::string R;
  for (int I = 0; I < N; ++I) R += S;
  return R;
}
}  // namespace

TEST(LXEvaluatorTest, LongAndDeepExpressionsAreBounded) {
  const std::string TooDeep = "E:Expression nested too deeply: more than 256 levels";
  // Every further term of a chain nests one level deeper when evaluated.
  EXPECT_EQ(Describe(EvalText("1" + Repeat("+1", 255))), "I:256");
  EXPECT_EQ(Describe(EvalText("256" + Repeat("-1", 255))), "I:1");
  EXPECT_EQ(Describe(EvalText("2" + Repeat(" * 1", 255))), "I:2");
  EXPECT_EQ(Describe(EvalText("1" + Repeat("+1", 14999))), TooDeep);
  EXPECT_EQ(Describe(EvalText(Repeat("IF(TRUE, ", 200) + "7" + Repeat(", 0)", 200))), "I:7");
  EXPECT_EQ(Describe(EvalText(Repeat("IF(TRUE, ", 2000) + "7" + Repeat(", 0)", 2000))), TooDeep);
  EXPECT_EQ(Describe(EvalText(Repeat("(", 250) + "1" + Repeat(")", 250))), "I:1");
  EXPECT_EQ(Describe(EvalText(Repeat("(", 10000) + "1" + Repeat(")", 10000))), TooDeep);
  EXPECT_EQ(Describe(EvalText(Repeat("NOT ", 300) + "TRUE")), TooDeep);
  EXPECT_EQ(Describe(EvalText("1" + Repeat("+1", 200000))), "E:Expression too long: more than 32767 characters");
}

namespace {
struct TDataFixture : ::testing::Test {
  TMemDataSet Orders{"Orders"}, Items{"Items"};
  TLXDataSetList List{&Orders, &Items};
  void SetUp() override {
    Orders.Add("Nota", TLXFieldKind::fkInteger).Int = 9;
    Orders.Add("Customer", TLXFieldKind::fkString).Text = "Açaí Ltda";
    Orders.Add("Total", TLXFieldKind::fkFloat).Real = 10.25;
    Orders.Add("Paid", TLXFieldKind::fkBoolean).Bool = true;
    Orders.Add("Issued", TLXFieldKind::fkDate).Real = EncodeDate(2024, 3, 6);
    Orders.Add("Stamp", TLXFieldKind::fkDateTime).Real = EncodeDate(2024, 3, 6) + EncodeTime(8, 30, 0, 0);
    Orders.Add("Photo", TLXFieldKind::fkOther);
    Orders.Add("Unit-Price", TLXFieldKind::fkFloat).Real = 2;
    Items.Add("Total", TLXFieldKind::fkFloat).Real = 99;
    Items.Add("Qty", TLXFieldKind::fkInteger).Int = 3;
  }
  std::string Eval(const std::string& T) { return Describe(EvalText(T, &List)); }
};
}  // namespace

TEST_F(TDataFixture, FieldsByKindAndName) {
  EXPECT_EQ(Eval("NOTA"), "I:9");  // not a negation of A
  EXPECT_EQ(Eval("nota + 1"), "I:10");
  EXPECT_EQ(Eval("NOT NOTA = 9"), "E:Invalid use of NOT");  // NOT 9, compared with 9
  EXPECT_EQ(Eval("Customer"), "S:Açaí Ltda");
  EXPECT_EQ(Eval("Total"), "F:10.25");  // the first data set with the field
  EXPECT_EQ(Eval("Items.Total"), "F:99");
  EXPECT_EQ(Eval("[items.qty] * 2"), "I:6");
  EXPECT_EQ(Eval("Orders.Qty"), "E:Unknown function : ORDERS.QTY");
  EXPECT_EQ(Eval("Paid"), "B:True");
  EXPECT_EQ(Eval("NOT Paid"), "B:False");
  EXPECT_EQ(Eval("not[Paid]"), "B:False");
  EXPECT_EQ(Eval("Issued"), "S:06/03/2024");
  EXPECT_EQ(Eval("Stamp"), "S:06/03/2024 08:30:00");
  EXPECT_EQ(Eval("Photo"), "E:Field Photo is of unknown type");
  EXPECT_EQ(Eval("[Unit-Price] * 2"), "F:4");
  // In the right part of a subtraction the swap changes the bracketed name too.
  EXPECT_EQ(Eval("10 - [Unit-Price]"), "E:Unknown function : Unit+Price");
  Orders.F("Customer").Null = true;
  EXPECT_EQ(Eval("Customer"), "S:");
}

TEST_F(TDataFixture, DefaultFieldsAreFetchedAgainByIndex) {
  Orders.Defaults = true;
  TLXEvaluator E;
  E.AssignDataSets(&List);
  E.Compile("Nota * 2");
  EXPECT_EQ(Describe(E.CurrentValue()), "I:18");
  // The data set reopens: its default fields are new objects.
  Orders.FFields[0] = std::make_unique<TMemField>("Nota", TLXFieldKind::fkInteger);
  Orders.FFields[0]->Int = 21;
  EXPECT_EQ(Describe(E.CurrentValue()), "I:42");
}
