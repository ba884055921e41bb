// Variables on the real engine: values computed and reset on the chosen events, totals per group,
// the page footer's value when a band goes on to the next page, texts and numbers of pages
// generated again alone, page numbers and counts through the two passes, streams and old
// calculation controls.
#include "tests/ppreport/generation/ppDBTextTestSupport.h"

#include <cstring>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/generation/ppPageBands.h"
#include "ppreport/generation/ppVar.h"

namespace dbtexttest {
namespace {

class Variables : public DataTexts {
protected:
  // A variable on B at Left counting by Step (an integer) on CalcType, cleared on ResetType.
  TppVariable* Counter(TppBand* B, TppVarEventType CalcType, TppVarEventType ResetType, int Step = 1,
                       int32_t Left = 60 * mm) {
    TppVariable* V = Var(B, Left);
    V->SetDataType(dtInteger);
    V->SetCalcType(CalcType);
    V->SetResetType(ResetType);
    V->OnCalc = [Step](TObject*, Variant& Value) { Value = Variant(int(Value.AsInteger() + Step)); };
    return V;
  }
  TppVariable* Var(TppBand* B, int32_t Left = 60 * mm) {
    auto* V = new TppVariable(&Form);
    V->SetBounds(Left, 0, 30 * mm, B->mmHeight());
    V->SetBand(B);
    return V;
  }
  template <class T>
  T* System(TppBand* B, int32_t Left = 60 * mm) {
    auto* S = new T(&Form);
    S->SetBounds(Left, 0, 30 * mm, B->mmHeight());
    S->SetBand(B);
    return S;
  }
  TLabels AllTextsOf(const TComponent* C) {
    TLabels All;
    for (auto& [No, P] : Report->Pages)
      for (auto& T : TextsOf(C, No)) All.push_back(T);
    return All;
  }
  // Fourteen records of groups AAAAABBBBBBBCC with values 1 to 14.
  void FourteenRows() {
    std::vector<double> Values;
    for (int I = 1; I <= 14; ++I) Values.push_back(I);
    Grouped("AAAAABBBBBBBCC", Values);
  }
};

// Header, footer and detail bands of 10 mm: six records a page, fourteen records on three pages.
struct TEventCase {
  const char* Name;
  TppVarEventType Calc, Reset;
  bool InHeader;
  std::vector<std::string> Expected;  // pages 1 to 3
};

void PrintTo(const TEventCase& C, std::ostream* Out) { *Out << C.Name; }

class VariableEvents : public Variables, public ::testing::WithParamInterface<TEventCase> {};

TEST_P(VariableEvents, ValuesFollowTheirCalcAndResetEvents) {
  const TEventCase& C = GetParam();
  FourteenRows();
  Detail();
  TppHeaderBand* H = Add<TppHeaderBand>("H");
  TppFooterBand* F = Add<TppFooterBand>("F");
  TppVariable* V = Counter(C.InHeader ? static_cast<TppBand*>(H) : F, C.Calc, C.Reset);
  if (C.Calc == veDataPipelineTraversal) V->SetCalcComponent(Pipe);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ(C.Expected, AllTextsOf(V));
  ExpectSinglePagesAlike();
}

INSTANTIATE_TEST_SUITE_P(
    Moments, VariableEvents,
    ::testing::Values(TEventCase{"RecordsOfTheReport", veTraversal, veReportEnd, false, {"6", "12", "14"}},
                      TEventCase{"RecordsOfThePage", veTraversal, vePageStart, false, {"6", "6", "2"}},
                      TEventCase{"PagesStarted", vePageStart, veReportEnd, true, {"1", "2", "3"}},
                      TEventCase{"PagesEnded", vePageEnd, veReportEnd, true, {"0", "1", "2"}},
                      TEventCase{"ReportStart", veReportStart, veReportEnd, true, {"1", "1", "1"}},
                      TEventCase{"PipelineSteps", veDataPipelineTraversal, veReportEnd, false, {"6", "12", "14"}}),
    [](const ::testing::TestParamInfo<TEventCase>& I) { return std::string(I.param.Name); });

TEST_F(Variables, GroupTotalsResetAtTheBreakAndStayRightOnAPageGeneratedAlone) {
  FourteenRows();
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppVariable* Sum = Var(G->FooterBand());
  Sum->SetDataType(dtDouble);
  Sum->SetResetType(veGroupEnd);
  Sum->SetResetComponent(G);
  Sum->OnCalc = [this](TObject*, Variant& V) { V = Variant(V.AsFloat() + Pipe->GetFieldValue("Value").AsFloat()); };
  // Computed after the sum in the same band, it sees this record's sum.
  TppVariable* Twice = Var(G->FooterBand(), 0);
  Twice->SetDataType(dtDouble);
  Twice->OnCalc = [Sum](TObject*, Variant& V) { V = Variant(Sum->AsDouble() * 2); };
  Twice->SetCalcOrder(1);
  Sum->SetCalcOrder(0);
  EXPECT_EQ(0, Sum->CalcOrder());
  Twice->SetResetType(veGroupEnd);
  Twice->SetResetComponent(G);
  Run();
  EXPECT_EQ((TLabels{"15", "63", "27"}), AllTextsOf(Sum));
  EXPECT_EQ((TLabels{"30", "126", "54"}), AllTextsOf(Twice));
  // Order reversed: the second reads the sum of the record before.
  Twice->SetCalcOrder(0);
  EXPECT_EQ(1, Sum->CalcOrder());
  Run();
  EXPECT_EQ((TLabels{"20", "102", "26"}), AllTextsOf(Twice));
  ExpectSinglePagesAlike();
}

// The fault mended: a text value comes back from the page cache with its page, so a page
// generated alone prints what it printed in the full run, not the text the variable had last.
TEST_F(Variables, ATextValueOfAPageGeneratedAloneIsTheTextOfThatPage) {
  FourteenRows();
  Detail();
  Add<TppHeaderBand>("H");
  TppVariable* Marks = Var(Add<TppFooterBand>("F"));
  EXPECT_EQ(dtString, Marks->DataType());
  Marks->OnCalc = [this](TObject*, Variant& V) {
    const std::string G = Pipe->GetFieldAsString("Grp");
    std::string S = V.AsString();
    if (S.empty() || S.back() != G[0]) S += G;
    V = Variant(S);
  };
  Run();
  EXPECT_EQ((TLabels{"AB", "AB", "ABC"}), AllTextsOf(Marks));
  Report->Pages.clear();
  Report->Request(psSinglePage, 2);
  EXPECT_EQ(TLabels{"AB"}, TextsOf(Marks, 2));
  EXPECT_LE(Marks->CachedTextCount(), 3);  // each text kept once
  ExpectSinglePagesAlike();
}

// A dynamic detail band that finds no room takes its record to the next page: the footer's
// count gives that record back on the page it did not print on.
TEST_F(Variables, APageFooterCountDropsTheRecordThatWentOnToTheNextPage) {
  std::vector<double> Values(12, 1.0);
  Grouped(std::string(12, 'A'), Values);
  TppDetailBand* D = Detail();
  D->SetPrintHeight(phDynamic);
  TppVariable* Count = Counter(Add<TppFooterBand>("F"), veTraversal, veReportEnd);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TLabels{"7", "12"}), AllTextsOf(Count));
  ExpectSinglePagesAlike();
}

TEST_F(Variables, PageNumbersAndCountsThroughTheTwoPasses) {
  FourteenRows();
  Detail();
  Add<TppHeaderBand>("H");
  TppFooterBand* F = Add<TppFooterBand>("F");
  auto* No = System<TppSystemVariable>(F, 0);
  No->SetVarType(vtPageNo);
  EXPECT_EQ(psOnePass, Report->PassSetting());
  auto* Count = System<TppSystemVariable>(F, 20 * mm);
  Count->SetVarType(vtPageCount);
  EXPECT_EQ(psOnePass, Report->PassSetting());
  auto* Set = System<TppSystemVariable>(F, 40 * mm);
  Set->SetVarType(vtPageSetDesc);
  EXPECT_EQ(psTwoPass, Report->PassSetting());
  auto* Old = System<TppCalc>(F, 70 * mm);
  Old->SetCalcType(ctPageSetDesc);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TLabels{"1", "2", "3"}), AllTextsOf(No));
  EXPECT_EQ((TLabels{"3", "3", "3"}), AllTextsOf(Count));
  EXPECT_EQ((TLabels{"Página 1 de 3", "Página 2 de 3", "Página 3 de 3"}), AllTextsOf(Set));
  EXPECT_EQ(AllTextsOf(Set), AllTextsOf(Old));
  ExpectSinglePagesAlike();
}

TEST_F(Variables, SystemVariablesOutsidePrinting) {
  TppFooterBand* F = Add<TppFooterBand>("F");
  struct TCase {
    TppVarType Kind;
    TppDataType Type;
    const char* Text;  // null: not checked
  } Cases[] = {
      {vtPageNo, dtInteger, "1"},          {vtPageCount, dtInteger, "1"},   {vtPageSet, dtString, "1 de 1"},
      {vtPageSetDesc, dtString, "Página 1 de 1"}, {vtPageNoDesc, dtString, "Página 1"}, {vtDocumentName, dtString, "Clientes"},
      {vtDate, dtDate, nullptr},           {vtTime, dtTime, nullptr},       {vtPrintDateTime, dtDateTime, nullptr},
  };
  Report->PrinterSetup()->SetDocumentName("Clientes");
  auto* S = System<TppSystemVariable>(F);
  S->SetDisplayFormat("0000");  // the document name and composed texts ignore it
  for (const auto& C : Cases) {
    S->SetVarType(C.Kind);
    EXPECT_EQ(C.Type, S->GetDataType()) << C.Kind;
    if (C.Text) EXPECT_EQ(C.Kind == vtPageNo || C.Kind == vtPageCount ? "0001" : C.Text, S->GetText()) << C.Kind;
    else EXPECT_FALSE(S->GetText().empty()) << C.Kind;
  }
}

TEST_F(Variables, ValuesConvertToTheTypeAndBlankZerosOnlyForNumbers) {
  TppVariable* V = Var(Add<TppFooterBand>("F"));
  V->SetAsDate(45000);
  EXPECT_EQ(dtDateTime, V->DataType());
  V->SetDataType(dtInteger);
  V->SetValue(Variant("42"));
  EXPECT_EQ(42, V->AsInteger());
  V->SetValue(Variant());  // empty: unchanged
  V->SetValue(Variant::Null());
  EXPECT_EQ(42, V->AsInteger());
  EXPECT_THROW(V->SetValue(Variant("muitos")), EVariantError);
  EXPECT_EQ(42, V->AsInteger());
  V->SetDataType(dtVariant);  // refused
  EXPECT_EQ(dtInteger, V->DataType());
  V->SetDataType(dtCurrency);
  V->SetValue(Variant(1.23456));
  EXPECT_EQ(12346, V->AsCurrencyUnits());
  V->SetDataType(dtChar);
  V->SetValue(Variant("xyz"));
  EXPECT_EQ('x', V->AsChar());
  V->SetValue(Variant(""));
  EXPECT_EQ('x', V->AsChar());

  V->SetBlankWhenZero(true);
  V->SetAsInteger(0);
  EXPECT_EQ("", V->GetText());
  V->SetAsBoolean(false);
  EXPECT_NE("", V->GetText());
  V->SetAsExtended(0);
  EXPECT_EQ("", V->GetText());
}

// An OnCalc that leaves the value alone stores nothing; one that answers a text stores it in the
// variable's own type.
TEST_F(Variables, AHandlerThatChangesTheTypeStoresTheConvertedValue) {
  Names(3);
  Detail();
  TppVariable* V = Var(Add<TppFooterBand>("F"));
  V->SetDataType(dtInteger);
  int Calls = 0;
  V->OnCalc = [&](TObject*, Variant& Value) {
    if (++Calls == 2) Value = Variant(std::string("7"));
  };
  Run();
  EXPECT_EQ(TLabels{"7"}, TextsOf(V, 1));
  EXPECT_EQ(dtInteger, V->DataType());
}

TEST_F(Variables, TheValueRecordHoldsTheEightyBitFloat) {
  TExtendedBytes B = EncodeExtended(1.0L);
  const uint8_t One[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(0, std::memcmp(One, B.data(), 10));
  for (long double X : {0.0L, -2.5L, 1e300L, 3.0e-300L, 1.0L / 3.0L}) {
    B = EncodeExtended(X);
    EXPECT_EQ(static_cast<double>(X), static_cast<double>(DecodeExtended(B))) << static_cast<double>(X);
  }
  auto* V = new TppVariable(&Form);
  V->SetAsExtended(-2.5L);
  TppVarValue R;
  V->WriteValueRecord(R);
  EXPECT_EQ(0, R.Fixed.DrawComponent);  // bytes 0 and 1 are the cache's
  V->SetAsExtended(9);
  V->ReadValueRecord(R);
  EXPECT_EQ(-2.5L, V->AsExtended());
  EXPECT_EQ(40u, offsetof(TppVarValueRecord, AsExtended));
  EXPECT_EQ(52u, offsetof(TppVarValueRecord, AsSingle));
}

TEST_F(Variables, SettingsGoThroughAStream) {
  FourteenRows();
  Pipe->SetName("plCustomers");
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppVariable* V = Var(G->FooterBand());
  V->SetName("Variable1");
  V->SetDataType(dtCurrency);
  V->SetCalcType(veDataPipelineTraversal);
  V->SetCalcComponent(Pipe);
  V->SetResetType(vePageEnd);
  V->SetResetComponent(G);  // bound at each run for a page event: not written
  V->SetBlankWhenZero(false);
  V->SetDisplayFormat("#,0.00");
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, V);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  const std::string S(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  for (const char* Written : {"BlankWhenZero = False", "CalcDataPipelineName = 'plCustomers'", "CalcType = veDataPipelineTraversal",
                              "DataType = dtCurrency", "ResetType = vePageEnd", "CalcOrder = 0"})
    EXPECT_NE(std::string::npos, S.find(Written)) << Written << "\n" << S;
  for (const char* Left : {"CalcComponent", "ResetComponent", "LookAhead", "AutoSize"})
    EXPECT_EQ(std::string::npos, S.find(Left)) << Left << "\n" << S;
  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* R = dynamic_cast<TppVariable*>(Read.get());
  ASSERT_NE(nullptr, R);
  EXPECT_EQ(dtCurrency, R->DataType());
  EXPECT_EQ(veDataPipelineTraversal, R->CalcType());
  EXPECT_EQ(vePageEnd, R->ResetType());
  EXPECT_EQ("#,0.00", R->DisplayFormat());
  EXPECT_TRUE(R->AutoSize());
  EXPECT_EQ(nullptr, R->CalcComponent());
  TppDataPipelineList List(Report);
  List.AddPipeline(Pipe);
  R->ResolveDataPipeline(List);
  EXPECT_EQ(Pipe, R->CalcComponent());
}

// Reports of the first versions: a calculation's old field type, and the band's replacement of
// its calculations by variables.
TEST_F(Variables, OldCalculationsAreReadAndReplacedByVariables) {
  const char* Text =
      "object ppCalc1: TppCalc\n"
      "  CalcType = ctCustom\n"
      "  DataType = ftCurrency\n"
      "  DisplayFormat = '0.0'\n"
      "end\n";
  TMemoryStream In, Bin;
  In.Write(Text, static_cast<int64_t>(std::strlen(Text)));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* C = dynamic_cast<TppCalc*>(Read.get());
  ASSERT_NE(nullptr, C);
  EXPECT_EQ(dtDouble, C->CustomType());
  C->SetText("ignored for a custom double");
  EXPECT_EQ(dtString, C->CustomType());
  C->SetCalcType(ctPageNo);
  C->SetText("no");
  EXPECT_EQ(dtInteger, C->CustomType());

  TppFooterBand* F = Add<TppFooterBand>("F");
  auto* Custom = System<TppCalc>(F, 5 * mm);
  Custom->SetCalcType(ctCustom);
  Custom->SetCustomType(dtInteger);
  Custom->SetName("Calc1");
  Custom->SetDisplayFormat("000");
  auto* Pages = System<TppCalc>(F, 50 * mm);
  Pages->SetCalcType(ctPageNoDesc);
  Pages->SetName("Calc2");
  F->ConvertFromVersion(3998);
  ASSERT_EQ(3, F->GetObjectCount());  // the label and the two replacements
  auto* V = dynamic_cast<TppVariable*>(Form.FindComponent("Calc1"));
  auto* S = dynamic_cast<TppSystemVariable*>(Form.FindComponent("Calc2"));
  ASSERT_NE(nullptr, V);
  ASSERT_NE(nullptr, S);
  EXPECT_EQ(dtInteger, V->DataType());
  EXPECT_EQ("000", V->DisplayFormat());
  EXPECT_EQ(5 * mm, V->mmLeft());
  EXPECT_EQ(F, V->Band());
  EXPECT_EQ(vtPageNoDesc, S->VarType());
  EXPECT_EQ(50 * mm, S->mmLeft());
  EXPECT_EQ(2, F->GetVariableCount());
}

}  // namespace
}  // namespace dbtexttest
