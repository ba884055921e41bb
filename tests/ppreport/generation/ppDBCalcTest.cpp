// Data calculations on the real engine: the aggregates with their reset at the group break, the
// page footer's total when a detail band goes on to the next page, totals of pages generated
// again alone, and look-ahead totals through the two passes.
#include "tests/ppreport/generation/ppDBTextTestSupport.h"

#include <algorithm>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "ppreport/generation/ppPageBands.h"

namespace dbtexttest {
namespace {

class Calcs : public DataTexts {};

TEST_F(Calcs, AggregatesResetAtTheGroupBreak) {
  struct TCase {
    TppDBCalcType Kind;
    TLabels Expected;  // the footers of groups A, B and C
  };
  const TCase Cases[] = {
      {dcCount, {"4", "2", "1"}},      {dcSum, {"19", "6", "-1"}},  {dcMinimum, {"3", "2", "-1"}},
      {dcMaximum, {"8", "4", "-1"}},  {dcAverage, {"4,75", "3", "-1"}},
  };
  Grouped("AAAABBC", {5, 3, 3, 8, 2, 4, -1});
  Detail();
  TppGroup* G = Group("Grp", "G");
  std::vector<TppDBCalc*> Calc;
  for (const TCase& C : Cases) {
    Calc.push_back(Put<TppDBCalc>(G->FooterBand(), "Value"));
    Calc.back()->SetDBCalcType(C.Kind);
    Calc.back()->SetResetGroup(G);
  }
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  for (size_t I = 0; I < Calc.size(); ++I) {
    SCOPED_TRACE(I);
    TLabels All = TextsOf(Calc[I], 1);
    for (auto& T : TextsOf(Calc[I], 2)) All.push_back(T);
    EXPECT_EQ(Cases[I].Expected, All);
  }
  ExpectSinglePagesAlike();
}

TEST_F(Calcs, CountWithoutFieldCountsRecordsAndBlankZeroSkipsOnFormat) {
  Grouped("AB", {0, 0});
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppDBCalc* Count = Put<TppDBCalc>(G->FooterBand(), "");
  Count->SetDBCalcType(dcCount);
  Count->SetResetGroup(G);
  Count->SetUserName("Count");
  TppDBCalc* Sum = Put<TppDBCalc>(G->FooterBand(), "Value", 0);
  Sum->SetBlankWhenZero(true);
  int Formatted = 0;
  Sum->OnFormat = [&](TObject*, const std::string&, TppDataType, const Variant&, std::string&) { ++Formatted; };
  Run();
  EXPECT_EQ((TLabels{"1", "1"}), TextsOf(Count, 1));
  EXPECT_EQ((TLabels{"", ""}), TextsOf(Sum, 1));
  EXPECT_EQ(0, Formatted);
  EXPECT_EQ("Count: Contar(*)", Count->GetDescription());
  Sum->SetDBCalcType(dcMinimum);
  Sum->SetUserName("Low");
  EXPECT_EQ("Low: Mínimo(Value)", Sum->GetDescription());
}

TEST_F(Calcs, AtDesignTimeACalculationOnAGroupBandTotalsThatGroupAndNamesItsAggregate) {
  Grouped("AB", {1, 2});
  TppDetailBand* D = Detail();
  TppGroup* G = Group("Grp", "G");
  auto* C = new TppDBCalc(&Form);
  C->AddDesignState(dsDesigning);
  C->SetDataPipeline(Pipe);
  C->SetDataField("Value");
  for (TppBand* B : {G->HeaderBand(), G->FooterBand()}) {
    C->SetBand(B);
    EXPECT_EQ(G, C->ResetGroup());
  }
  C->SetBand(D);
  EXPECT_EQ(nullptr, C->ResetGroup());
  EXPECT_EQ("Somar(Value)", C->GetText());
  C->SetDBCalcType(dcAverage);
  EXPECT_EQ("Média(Value)", C->GetText());
  C->SetDataField("");
  EXPECT_EQ("Média(?)", C->GetText());
}

// A text over a field the data lacks prints empty; a calculation over it cannot count and stops
// the run with the print error instead of printing a wrong total.
TEST_F(Calcs, AFieldTheDataLacksStopsTheRunOfACalculation) {
  Grouped("AB", {1, 2});
  TppDetailBand* D = Detail();
  auto* T = Put<TppDBText>(D, "Missing");
  Run();
  EXPECT_EQ((TLabels{"", ""}), TextsOf(T, 1));
  Calc(Add<TppFooterBand>("F"), dcSum, "Missing");
  EXPECT_THROW(Run(), EPrintError);
  EXPECT_FALSE(Report->Engine()->Printing());
}

TEST_F(Calcs, SettingsGoThroughAStreamAndDefaultsStayOut) {
  auto* C = new TppDBCalc(&Form);
  C->SetDataField("Value");
  C->SetDBCalcType(dcMaximum);
  C->SetBlankWhenZero(true);
  C->SetDisplayFormat("#,0.00");
  C->SetSuppressRepeatedValues(true);
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, C);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  const std::string S(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  EXPECT_NE(std::string::npos, S.find("DBCalcType = dcMaximum")) << S;
  for (const char* Default : {"AutoSize", "LookAhead", "ReprintOnSubsequent", "Caption"})
    EXPECT_EQ(std::string::npos, S.find(Default)) << Default << "\n" << S;
  Bin.SetPosition(0);
  std::unique_ptr<TComponent> Read(ReadComponentFromStream(Bin, nullptr));
  auto* R = dynamic_cast<TppDBCalc*>(Read.get());
  ASSERT_NE(nullptr, R);
  EXPECT_EQ(dcMaximum, R->DBCalcType());
  EXPECT_EQ("Value", R->DataField());
  EXPECT_EQ("#,0.00", R->DisplayFormat());
  EXPECT_TRUE(R->BlankWhenZero());
  EXPECT_TRUE(R->SuppressRepeatedValues());
  EXPECT_FALSE(R->AutoSize());
}

TEST_F(Calcs, SummedDatesPrintAsDateTimes) {
  const double Day = EncodeDate(2026, 12, 11);
  Data({{1, "a", "A", 1.0, Day}, {2, "b", "B", 1.0, 0.0}});
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppDBCalc* Sum = Calc(G->FooterBand(), dcSum, "Day", G);
  Sum->SetDisplayFormat("dd/mm/yyyy");
  Run();
  EXPECT_EQ((TLabels{"11/12/2026", ""}), TextsOf(Sum, 1));
}

// A dynamic detail band that finds no room takes its record to the next page: the page footer's
// running total leaves it out on the page it did not print on.
TEST_F(Calcs, APageFooterTotalDropsTheRecordThatWentOnToTheNextPage) {
  std::vector<double> Values;
  for (int I = 0; I < 12; ++I) Values.push_back(double(1 << I));
  Grouped(std::string(12, 'A'), Values);
  TppDetailBand* D = Detail();
  D->SetPrintHeight(phDynamic);
  TppFooterBand* F = Add<TppFooterBand>("F");
  TppDBCalc* Total = Calc(F, dcSum);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  // Seven details on page 1 (10 to 80 mm), the rest on page 2.
  EXPECT_EQ(TLabels{"127"}, TextsOf(Total, 1));
  EXPECT_EQ(TLabels{"4095"}, TextsOf(Total, 2));
  ExpectSinglePagesAlike();
}

// A keep-together group that does not fit rolls back to before its first record: the page it
// leaves totals only the records printed on it, whether the record was fetched by the group's own
// header, by an outer group's header, or after footers that opened the page.
TEST_F(Calcs, AKeepTogetherRollBackLeavesTheGroupsFirstRecordOutOfThePageTotal) {
  struct TCase {
    const char* Name;
    std::string Groups;
    bool Outer;
  };
  for (const TCase& C : {TCase{"footers open the page", "AAAAAABBBBB", false},
                         TCase{"outer header first", "AABBBBB", true}}) {
    SCOPED_TRACE(C.Name);
    std::vector<double> Values;
    for (size_t I = 1; I <= C.Groups.size(); ++I) Values.push_back(double(I));
    Grouped(C.Groups, Values);
    Detail();
    if (C.Outer) Group("Grp", "O");
    TppGroup* Kept = Group("Grp", "G");
    Kept->SetKeepTogether(true);
    TppDBCalc* GroupSum = Calc(Kept->FooterBand(), dcSum, "Value", Kept);
    TppDBCalc* Running = Calc(Add<TppFooterBand>("F"), dcSum);
    Run();
    ASSERT_GE(Report->Pages.size(), 2u);
    int Printed = 0;
    for (auto& [No, P] : Report->Pages) {
      const TLabels L = Labels(No);
      for (const std::string& T : L)
        if (T.rfind("D r", 0) == 0) Printed += std::stoi(T.substr(3));
      EXPECT_EQ(TLabels{std::to_string(Printed)}, TextsOf(Running, No)) << "page " << No;
      // The group moved whole, with the outer header: no header of B is left at a page's foot.
      for (const char* Header : {"OH B", "GH B"})
        if (std::find(L.begin(), L.end(), Header) != L.end()) EXPECT_EQ(C.Outer ? "OH B" : "GH B", L[0]) << No;
    }
    TLabels Sums;
    for (auto& [No, P] : Report->Pages)
      for (auto& T : TextsOf(GroupSum, No)) Sums.push_back(T);
    const int As = static_cast<int>(C.Groups.find('B')), All = static_cast<int>(C.Groups.size());
    EXPECT_EQ((TLabels{std::to_string(As * (As + 1) / 2), std::to_string((All * (All + 1) - As * (As + 1)) / 2)}), Sums);
    ExpectSinglePagesAlike();
    Report->FreeBands();
    for (int I = Report->GroupCount() - 1; I >= 0; --I) Report->GetGroup(I)->Free();
  }
}

TEST_F(Calcs, TotalsOfAPageGeneratedAgainAloneMatchTheFullRun) {
  std::vector<double> Values;
  for (int I = 0; I < 20; ++I) Values.push_back(I + 1);
  Grouped("AAAAAAAAABBBBBBBBBBC", Values);
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppDBCalc* GroupSum = Calc(G->FooterBand(), dcSum, "Value", G);
  TppDBCalc* Running = Calc(Add<TppFooterBand>("F"), dcSum);
  Run();
  ASSERT_GE(Report->Pages.size(), 3u);
  TLabels Sums;
  for (auto& [No, P] : Report->Pages)
    for (auto& T : TextsOf(GroupSum, No)) Sums.push_back(T);
  EXPECT_EQ((TLabels{"45", "145", "20"}), Sums);
  EXPECT_EQ(TLabels{"210"}, TextsOf(Running, int(Report->Pages.size())));
  ExpectSinglePagesAlike();
}

// The group's total in its header: known only at the footer, delivered through the two passes.
TEST_F(Calcs, LookAheadTotalsInTheHeaderEqualTheFooters) {
  std::vector<double> Values;
  for (int I = 0; I < 20; ++I) Values.push_back(I + 1);
  Grouped("AAAAAAAAABBBBBBBBBBC", Values);
  Detail();
  TppGroup* G = Group("Grp", "G");
  TppDBCalc* Ahead = Calc(G->HeaderBand(), dcSum, "Value", G);
  Ahead->SetLookAhead(true);
  EXPECT_EQ(psTwoPass, Report->PassSetting());
  TppDBCalc* Footer = Calc(G->FooterBand(), dcSum, "Value", G);
  Run();
  TLabels Heads, Feet;
  for (auto& [No, P] : Report->Pages) {
    for (auto& T : TextsOf(Ahead, No)) Heads.push_back(T);
    for (auto& T : TextsOf(Footer, No)) Feet.push_back(T);
  }
  EXPECT_EQ((TLabels{"45", "145", "20"}), Feet);
  // The header of A and B tops each page of its group again.
  EXPECT_EQ((TLabels{"45", "45", "145", "145", "145", "20"}), Heads);
  ASSERT_NE(nullptr, Ahead->LookAheadList());
  EXPECT_EQ(0, Ahead->LookAheadList()->ListenerCount());
  EXPECT_EQ("145", Ahead->GetLookAheadValue(Ahead->LookAheadList()->GetEntry(1).Key));
  ExpectSinglePagesAlike();
}

// Across the columns the records alternate between the columns' keys: each column header still
// gets the total as it stood at its own column's last record (a key that merely passed by
// another must not freeze).
TEST_F(Calcs, LookAheadKeysArrivingOutOfOrderKeepTheirOwnTotals) {
  std::vector<double> Values;
  for (int I = 0; I < 9; ++I) Values.push_back(1 << I);
  Grouped(std::string(9, 'A'), Values);
  Report->SetColumns(2);
  Detail()->SetColumnTraversal(ctLeftToRight);
  TppDBCalc* Ahead = Calc(Add<TppColumnHeaderBand>("CH"), dcSum);
  Ahead->SetLookAhead(true);
  Run();
  ASSERT_EQ(1u, Report->Pages.size());
  // Records 1, 3, ... 9 in the first column, 2, 4, ... 8 in the second.
  EXPECT_EQ((TLabels{"511", "255"}), TextsOf(Ahead, 1));
  ExpectSinglePagesAlike();
}

}  // namespace
}  // namespace dbtexttest
