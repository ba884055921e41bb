#include "lxreport/LXEvFunctions.h"

#include "LXExprTestSupport.h"
#include "platform/rtl/DateFormat.h"

namespace {
// Every built-in: what it accepts, what it gives, and its messages.
const TExprCase Cases[] = {
    {"TRUE(1)", "E:Too many arguments"},
    {"FALSE", "B:False"},
    {"FALSE(1, 2)", "E:Too many arguments"},
    {"IF(1=1, 'a', 2)", "S:a"},
    {"IF(1=2, 'a', 2)", "I:2"},
    {"IF(1, 2, 3)", "E:Wrong arguments for IF"},
    {"IF(TRUE, 1)", "E:Wrong arguments for IF"},
    {"IF(TRUE, 1/0, 2)", "E:Cannot divide by 0"},
    {"IF(TRUE, -1, 1)", "I:-1"},
    {"IF(FALSE,-1, - 1)", "I:-1"},
    {"TYPEOF(1)", "S:INTEGER"},
    {"TYPEOF(1.5)", "S:FLOAT"},
    {"TYPEOF('')", "S:STRING"},
    {"TYPEOF(1=1)", "S:BOOLEAN"},
    {"TYPEOF(1/0)", "S:ERROR"},
    {"TYPEOF()", "E:Wrong arguments for TypeOf"},
    {"TYPEOF(1, 2)", "E:Wrong arguments for TypeOf"},
    {"INT(-2.7)", "I:-2"},
    {"INT(7)", "I:7"},
    {"INT('7')", "E:Wrong arguments for INT"},
    {"INT(1, 2)", "E:Wrong arguments for INT"},
    {"INT(2147483647.9)", "I:2147483647"},
    {"INT(-2147483648.9)", "I:-2147483648"},
    {"INT(2147483648.0)", "E:Wrong arguments for INT"},  // no wrap-around beyond 32 bits
    {"INT(-3000000000.5)", "E:Wrong arguments for INT"},
    {"INT(1E300)", "E:Wrong arguments for INT"},
    {"FRAC(-2.75)", "F:-0.75"},
    {"FRAC(3)", "F:0"},
    {"TYPEOF(FRAC(3))", "S:FLOAT"},
    {"FRAC('x')", "E:"},
    {"SQRT(4)", "F:2"},
    {"SQRT(2.25)", "F:1.5"},
    {"SQRT(-1)", "E:Invalid argument to SQRT function"},
    {"SQRT('4')", "E:Invalid argument to SQRT function"},
    {"SQRT()", "E:Invalid argument to SQRT function"},
    {"DIV(7, 2)", "I:3"},
    {"DIV(-7, 2)", "I:-3"},
    {"DIV(2.5, 1)", "I:2"},
    {"DIV(3.5, 1)", "I:4"},
    {"DIV(7, 2.5)", "I:3"},
    {"DIV(1, 0)", "E:Division by Zero"},
    {"DIV(1, 0.4)", "E:Division by Zero"},
    {"DIV('a', 1)", "E:Wrong arguments for DIV"},
    {"DIV(1)", "E:Wrong arguments for DIV"},
    {"DIV(2147483647, -1)", "I:-2147483647"},
    {"DIV(-2147483648, -1)", "E:Wrong arguments for DIV"},  // the quotient does not fit
    {"DIV(3000000000, 7)", "E:Wrong arguments for DIV"},
    {"DIV(1, 4294967296)", "E:Wrong arguments for DIV"},  // not a zero divisor
    {"STR(12)", "S:12"},
    {"STR(2.5)", "S:2.5", "S:2,5"},
    {"STR(1/3)", "S:0.333333333333333", "S:0,333333333333333"},
    {"STR(TRUE)", "S:True"},
    {"STR('x')", "E:Conversion error"},
    {"STR()", "E:Conversion error"},
    {"UPPER('ação')", "S:AÇÃO"},
    {"LOWER('ÁGUA Doce')", "S:água doce"},
    {"UPPER(1/0)", "E:Cannot divide by 0"},
    {"UPPER(5)", "E:Wrong arguments for UPPER"},
    {"UPPER()", "E:Missing argument for UPPER"},
    {"LOWER('a', 'b')", "E:Missing argument for LOWER"},
    {"PRETTY('hELLO wORLD')", "S:Hello world"},
    {"PRETTY('élan')", "S:Élan"},
    {"PRETTY('')", "S:"},
    {"PRETTY()", "E:Missing argument for PRETTY"},
    {"COPY('abcdef', 0, 2)", "S:ab"},
    {"COPY('abcdef', 3, 2)", "S:cd"},
    {"COPY('abc', 2, 10)", "S:bc"},
    {"COPY('abc', 4, 1)", "S:"},
    {"COPY('abc', 1, 0-1)", "S:"},
    {"COPY('abc', 1, -1)", "S:"},
    {"COPY('abcdef', 2, - 1 + 3)", "S:bc"},
    {"COPY('abc', 1.0, 2)", "E:"},
    {"COPY('abc', 1)", "E:"},
    {"COPY('çãé', 2, 1)", "S:ã"},  // positions count characters
    {"COPY('日本語です', 2, 2)", "S:本語"},
    {"COPY('Ωμέγα', 5, 9)", "S:α"},
    {"UPPER('ωμεγα ção')", "S:ΩΜΕΓΑ ÇÃO"},
    {"PRETTY('ωμέγα')", "S:Ωμέγα"},
    {"PRETTY('日本')", "S:日本"},
    {"FORMATNUMERIC('#,##0.00', 1234.5)", "S:1,234.50", "S:1.234,50"},
    {"FORMATNUMERIC('000', 7)", "S:007"},
    {"FORMATNUMERIC('0.0', 'x')", "E:"},
    {"FORMATNUMERIC('0.0')", "E:"},
    {"COUNT(1)", "E:COUNT - Too many arguments"},
    {"COUNT", "I:0"},
    {"SUM()", "I:0"},
    {"MAX(1)", "I:0"},  // no aggregate pass yet
    {"TIME(1)", "E:"},
    {"DATE(1)", "E:"},
    {"APPNAME", "S:Relatórios"},
};

void RunTable() { RunExprTable(Cases); }
}  // namespace

TEST(LXEvFunctionsTest, BuiltInTableBrazilian) { RunTable(); }

TEST(LXEvFunctionsTest, BuiltInTablePeriodDecimal) {
  TFormatSettingsScope Scope(EnglishFormatSettings());
  RunTable();
}

TEST(LXEvFunctionsTest, ErrorsWithoutMessageLeaveNoStaleText) {
  // A value that once held text is reused for an error with no message.
  TLXEvValue V = TLXEvValue::OfString("stale");
  TLXEvFracFunction F;
  F.Compute(V);
  EXPECT_EQ(V.Kind, evError);
  EXPECT_EQ(V.Text(), "");
  V = TLXEvValue::OfString("stale");
  TLXEvElementFunction Base;
  Base.Compute(V);
  EXPECT_EQ(V.Text(), "");
}

TEST(LXEvFunctionsTest, TimeAndDateUseTheLocaleFormats) {
  TFixedClockScope Clock(EncodeDate(2024, 3, 6) + EncodeTime(14, 5, 9, 250));
  EXPECT_EQ(Describe(EvalText("TIME")), "S:14:05:09");
  EXPECT_EQ(Describe(EvalText("DATE")), "S:06/03/2024");
  TFormatSettingsScope English(EnglishFormatSettings());
  EXPECT_EQ(Describe(EvalText("TIME")), "S:2:05:09 PM");
  EXPECT_EQ(Describe(EvalText("DATE")), "S:3/6/2024");
}

TEST(LXEvFunctionsTest, RegistryEntries) {
  // The built-ins in registration order: name, argument code, description.
  const struct {
    const char* Name;
    const char* Code;
    const char* Description;
  } BuiltIns[] = {
      {"IF", "5BVV", "IF(<Exp>, <X>, <Y>)|Returns <X> or <Y> depending on the boolean expression <Exp>"},
      {"STR", "7N", "STR(<X>)|Convert a numeric <X> to a string"},
      {"UPPER", "7S", "UPPER(<X>)|Converts a string to upper case letters"},
      {"LOWER", "7S", "LOWER(<X>)|Converts a string to lower case letters"},
      {"PRETTY", "7S", "PRETTY(<X>)|Makes the first character upper case and the rest lower case"},
      {"TIME", "1", "TIME|Return current time as a string"},
      {"DATE", "1", "DATE|Return current date as a string"},
      {"COPY", "7SNN", "COPY(<X>, <St>,<Len>)|Returns a substring of string X"},
      {"SUM", "3N", "SUM(<X>)|Sums the numeric <X>"},
      {"COUNT", "3", "COUNT|Increments for each iteration"},
      {"MAX", "3V", "MAX(<X>)|Returns the highest <X>"},
      {"MIN", "3V", "MIN(<X>)|Returns the lowest <X>"},
      {"AVERAGE", "3N", "AVERAGE(<X>)|Returns the average of numeric <X>"},
      {"TRUE", "5", "TRUE|boolean value"},
      {"FALSE", "5", "FALSE|boolean value"},
      {"INT", "2N", "INT(<X>)|Returns the integer part of <X>"},
      {"FRAC", "2N", "FRAC(<X>)|Returns the fractional part of <X>"},
      {"SQRT", "2N", "SQRT(<X>)|Returns square root of <X>"},
      {"DIV", "2NN", "DIV(<X>, <Y>) | Integer division of <X> by <Y>"},
      {"TYPEOF", "6N", "TYPEOF(<Exp>)|Returns the data type of <Exp>"},
      {"FORMATNUMERIC", "7SN", "FORMATNUMERIC(<F>,<N>)|Formats numeric <N> using the mask in <F>"},
  };
  TLXFunctionLibrary* L = ExpressionFunctions();
  ASSERT_NE(L, nullptr);
  ASSERT_EQ(L->Count(), 21);
  for (int I = 0; I < 21; ++I) {
    TLXLibraryEntry* E = L->EntryAt(I);
    EXPECT_EQ(E->Name, BuiltIns[I].Name);
    EXPECT_EQ(E->ArgumentCode, BuiltIns[I].Code) << E->Name;
    EXPECT_EQ(E->Description, BuiltIns[I].Description) << E->Name;
    EXPECT_EQ(E->Vendor, "Mivo Open Report") << E->Name;
  }
  EXPECT_EQ(L->EntryAt(21), nullptr);
  EXPECT_EQ(L->EntryAt(-1), nullptr);
  EXPECT_EQ(L->IndexOf("formatNumeric"), 20);
  auto E = L->NewFunctionElement("NOPE");
  auto* Err = dynamic_cast<TLXEvElementError*>(E.get());
  ASSERT_NE(Err, nullptr);
  EXPECT_EQ(Err->Message(), "Unknown function : NOPE");
  // Each call site gets its own element of the registered class.
  auto A = L->NewFunctionElement("sum"), B = L->NewFunctionElement("SUM");
  EXPECT_NE(dynamic_cast<TLXEvSumFunction*>(A.get()), nullptr);
  EXPECT_NE(A.get(), B.get());
  EXPECT_NE(dynamic_cast<TLXEvAverageFunction*>(L->NewFunctionElement("AVERAGE").get()), nullptr);
}

namespace {
// One evaluator per expression over a one-field record.
struct TAggregates : ::testing::Test {
  TMemDataSet Rows{"Rows"};
  TLXDataSetList List{&Rows};
  TMemField* X = nullptr;
  std::vector<std::unique_ptr<TLXEvaluator>> Evs;
  void SetUp() override { X = &Rows.Add("X", TLXFieldKind::fkInteger); }
  TLXEvaluator& Make(const std::string& Text) {
    Evs.push_back(std::make_unique<TLXEvaluator>());
    Evs.back()->AssignDataSets(&List);
    Evs.back()->Compile(Text);
    Evs.back()->ResetAggregates();
    return *Evs.back();
  }
  // Sets X and runs one aggregate pass on every evaluator.
  void Pass(const TLXEvValue& V) {
    switch (V.Kind) {
      case evInteger: X->FKind = TLXFieldKind::fkInteger; X->Int = V.Integer; break;
      case evFloat: X->FKind = TLXFieldKind::fkFloat; X->Real = V.Float; break;
      case evBoolean: X->FKind = TLXFieldKind::fkBoolean; X->Bool = V.Boolean; break;
      default: X->FKind = TLXFieldKind::fkString; X->Text = V.Text(); break;
    }
    for (auto& E : Evs) E->AccumulateAggregates();
  }
};
}  // namespace

TEST_F(TAggregates, PassesAndReset) {
  auto& Sum = Make("SUM(X)");
  auto& Count = Make("COUNT");
  auto& Max = Make("MAX(X)");
  auto& Min = Make("MIN(X)");
  auto& Avg = Make("AVERAGE(X)");
  auto& Plain = Make("X + 1");
  EXPECT_TRUE(Sum.HasAggregates());
  EXPECT_TRUE(Count.HasAggregates());
  EXPECT_FALSE(Plain.HasAggregates());
  EXPECT_EQ(Describe(Avg.CurrentValue()), "F:0");
  for (int V : {1, 2, 3}) Pass(TLXEvValue::OfInteger(V));
  EXPECT_EQ(Describe(Sum.CurrentValue()), "I:6");
  EXPECT_EQ(Describe(Count.CurrentValue()), "I:3");
  EXPECT_EQ(Describe(Count.CurrentValue()), "I:3");  // evaluating does not count
  EXPECT_EQ(Describe(Max.CurrentValue()), "I:3");
  EXPECT_EQ(Describe(Min.CurrentValue()), "I:1");
  EXPECT_EQ(Describe(Avg.CurrentValue()), "F:2");
  for (auto& E : Evs) E->ResetAggregates();
  EXPECT_EQ(Describe(Sum.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(Count.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(Max.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(Min.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(Avg.CurrentValue()), "F:0");
}

TEST_F(TAggregates, SumPromotesToFloatWhenAFloatArrives) {
  auto& Sum = Make("SUM(X)");
  auto& Avg = Make("AVERAGE(X)");
  Pass(TLXEvValue::OfInteger(1));
  Pass(TLXEvValue::OfFloat(2.5));
  Pass(TLXEvValue::OfInteger(3));
  EXPECT_EQ(Describe(Sum.CurrentValue()), "F:6.5");
  EXPECT_EQ(Describe(Avg.CurrentValue()), "F:" + FloatToStr(6.5 / 3, EnglishFormatSettings()));
}

TEST_F(TAggregates, SumKindsAndArgumentCounts) {
  auto& Sum = Make("SUM(X)");
  auto& None = Make("SUM()");
  auto& Two = Make("SUM(X, 1)");
  auto& AvgNone = Make("AVERAGE()");
  Pass(TLXEvValue::OfInteger(4));
  Pass(TLXEvValue::OfBoolean(true));  // ignored
  EXPECT_EQ(Describe(Sum.CurrentValue()), "I:4");
  Pass(TLXEvValue::OfString("x"));
  EXPECT_EQ(Describe(Sum.CurrentValue()), "E:");
  EXPECT_EQ(Describe(None.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(Two.CurrentValue()), "I:0");
  EXPECT_EQ(Describe(AvgNone.CurrentValue()), "F:0");
  Sum.ResetAggregates();
  Pass(TLXEvValue::OfString("x"));  // a first value that is not a number
  EXPECT_EQ(Describe(Sum.CurrentValue()), "E:");
}

TEST_F(TAggregates, MaxMinOverStringsAndBooleans) {
  auto& Max = Make("MAX(X)");
  auto& Min = Make("MIN(X)");
  for (const char* S : {"pera", "Uva", "abacaxi"}) Pass(TLXEvValue::OfString(S));
  EXPECT_EQ(Describe(Max.CurrentValue()), "S:pera");
  EXPECT_EQ(Describe(Min.CurrentValue()), "S:Uva");  // byte order: capitals first
  Max.ResetAggregates();
  Min.ResetAggregates();
  Pass(TLXEvValue::OfBoolean(false));
  Pass(TLXEvValue::OfBoolean(true));
  EXPECT_EQ(Describe(Max.CurrentValue()), "B:True");
  EXPECT_EQ(Describe(Min.CurrentValue()), "B:False");
  Max.ResetAggregates();
  Pass(TLXEvValue::OfInteger(2));
  Pass(TLXEvValue::OfFloat(2.5));
  EXPECT_EQ(Describe(Max.CurrentValue()), "F:2.5");
}

TEST_F(TAggregates, EveryBranchOfIfAccumulates) {
  auto& E = Make("IF(X > 1, SUM(X), COUNT)");
  EXPECT_TRUE(E.HasAggregates());
  for (int V : {1, 2, 3}) Pass(TLXEvValue::OfInteger(V));
  // SUM saw all three records although the condition chose it only twice.
  EXPECT_EQ(Describe(E.CurrentValue()), "I:6");
  X->Int = 0;
  EXPECT_EQ(Describe(E.CurrentValue()), "I:3");  // COUNT counted every pass too
  auto& Expr = Make("SUM(X) + 1");
  for (int V : {5, 6}) Pass(TLXEvValue::OfInteger(V));
  EXPECT_EQ(Describe(Expr.CurrentValue()), "I:12");
}
