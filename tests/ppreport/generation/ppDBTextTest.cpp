// Data-aware texts on the real engine: field values by display format and type, blank zeros,
// repeated values left out (and printed again at the top of a page), and pages generated again
// alone that suppress the same values.
#include "tests/ppreport/generation/ppDBTextTestSupport.h"

#include <functional>

#include "platform/rtl/DateTime.h"

namespace dbtexttest {
namespace {

TEST_F(DataTexts, FieldValuesPrintByFormatTypeAndBlankWhenZero) {
  const double Day = EncodeDate(2026, 12, 11);
  struct TCase {
    const char* Field;
    const char* Format;
    bool Blank;
    TRow Row;
    const char* Expected;
  };
  const TCase Cases[] = {
      {"Value", "#,0.00", false, {1, "a", "", 1234.5, Day}, "1.234,50"},
      {"Value", "", false, {1, "a", "", 0.0, Day}, "0"},
      {"Value", "", true, {1, "a", "", 0.0, Day}, ""},
      {"Id", "", true, {0, "a", "", 1.0, Day}, ""},
      {"Id", "000", true, {7, "a", "", 1.0, Day}, "007"},
      {"Day", "dd/mm/yyyy", false, {1, "a", "", 1.0, Day}, "11/12/2026"},
      {"Day", "dd/mm/yyyy", true, {1, "a", "", 1.0, 0.0}, ""},  // a zero date is a zero
      {"Day", "dd/mm/yyyy", false, {1, "a", "", 1.0, TDbValue::Null()}, ""},
      {"Value", "#,0.00", false, {1, "a", "", TDbValue::Null(), Day}, ""},
      {"Name", "", false, {1, "", "", 1.0, Day}, ""},
      {"Name", "", true, {1, "x", "", 0.0, Day}, "x"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Field) + " " + C.Format + " " + C.Expected);
    Report->Pages.clear();
    Data({C.Row});
    auto* D = new TppDetailBand(&Form);
    D->ChangeHeight(10 * mm);
    D->SetReport(Report);
    auto* T = Put<TppDBText>(D, C.Field);
    T->SetDisplayFormat(C.Format);
    T->SetBlankWhenZero(C.Blank);
    Run();
    const TLabels Printed = TextsOf(T, 1);
    EXPECT_EQ(TLabels{C.Expected}, Printed);
    delete D;
  }
}

TEST_F(DataTexts, OnFormatHasTheLastWordAndGetsTheFormatAndTheValue) {
  Data({{1, "a", "", 2.5, TDbValue::Null()}});
  TppDetailBand* D = Detail();
  auto* T = Put<TppDBText>(D, "Value");
  T->SetDisplayFormat("0.0");
  std::string SeenFormat;
  double SeenValue = 0;
  T->OnFormat = [&](TObject*, const std::string& Format, TppDataType Type, const Variant& Value, std::string& Text) {
    SeenFormat = Format;
    SeenValue = Value.AsFloat();
    EXPECT_EQ(dtDouble, Type);
    Text = "<" + Text + ">";
  };
  Run();
  // The format goes to the handler, not to the formatting before it.
  EXPECT_EQ(TLabels{"<2,5>"}, TextsOf(T, 1));
  EXPECT_EQ("0.0", SeenFormat);
  EXPECT_EQ(2.5, SeenValue);
}

// The text of a record is made once for its traversal, its layout and its draw command; a setting
// changed after the traversal (in the band's BeforeGenerate) still shows in the record's text.
TEST_F(DataTexts, ASettingChangedWhileARecordPrintsShowsInItsText) {
  struct TCase {
    const char* What;
    std::function<void(TppDBText&)> Change;
    TLabels Expected;
  };
  const TCase Cases[] = {
      {"nothing", [](TppDBText&) {}, {"1.234,50", "0,00", "7,00"}},
      {"format", [](TppDBText& T) { T.SetDisplayFormat("0.0"); }, {"1.234,50", "0,0", "7,0"}},
      {"blank when zero", [](TppDBText& T) { T.SetBlankWhenZero(true); }, {"1.234,50", "", "7,00"}},
      {"field", [](TppDBText& T) { T.SetDataField("Id"); }, {"1.234,50", "2,00", "3,00"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    Report->Pages.clear();
    Data({{1, "a", "", 1234.5, TDbValue::Null()}, {2, "b", "", 0.0, TDbValue::Null()}, {3, "c", "", 7.0, TDbValue::Null()}});
    auto* D = new TppDetailBand(&Form);
    D->ChangeHeight(10 * mm);
    D->SetReport(Report);
    auto* T = Put<TppDBText>(D, "Value");
    T->SetDisplayFormat("#,0.00");
    int Record = 0;
    D->BeforeGenerate = [&](TObject*) {
      if (++Record == 2) C.Change(*T);
    };
    Run();
    EXPECT_EQ(C.Expected, TextsOf(T, 1));
    delete D;
  }
}

TEST_F(DataTexts, WithoutDataTheTextNamesItsFieldOrItself) {
  Data({{1, "a", "", 1.0, TDbValue::Null()}});
  TppDetailBand* D = Detail();
  auto* T = Put<TppDBText>(D, "Name");
  T->SetUserName("NameText");
  T->SetDataPipeline(nullptr);
  EXPECT_EQ("Name", T->GetText());
  EXPECT_EQ("NameText: Name", T->GetDescription());
  T->SetDataField("");
  EXPECT_EQ("NameText", T->GetText());
  EXPECT_EQ("NameText", T->GetDescription());
}

class RepeatedValues : public DataTexts {
protected:
  TppDBText* Suppressed = nullptr;
  // Six details a page; the group letters become the suppressed values.
  void Build(const std::string& Groups, bool Reprint, bool Dynamic = false) {
    Grouped(Groups, std::vector<double>(Groups.size(), 1.0));
    TppDetailBand* D = Detail();
    if (Dynamic) D->SetPrintHeight(phDynamic);
    Add<TppHeaderBand>("H");
    Suppressed = Put<TppDBText>(D, "Grp");
    Suppressed->SetSuppressRepeatedValues(true);
    Suppressed->SetReprintOnSubsequent(Reprint);
  }
};

TEST_F(RepeatedValues, ARepeatedValueIsLeftOutAndTakesNoSpace) {
  Build("AABB", false, true);
  // The band's own label is left out so that the suppressed text alone decides the height.
  for (int I = Suppressed->Band()->GetObjectCount() - 1; I >= 0; --I)
    if (Suppressed->Band()->GetObjects(I) != Suppressed) delete Suppressed->Band()->GetObjects(I);
  Run();
  EXPECT_EQ((TTexts{{"A", 20}, {"B", 30}}), Of(Suppressed, 1));
}

TEST_F(RepeatedValues, AValueGoingOnOverAPageIsLeftOutUnlessReprinted) {
  Build("AAAAAAAAB", false);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"A", 20}}), Of(Suppressed, 1));
  EXPECT_EQ((TTexts{{"B", 30}}), Of(Suppressed, 2));
  ExpectSinglePagesAlike();

  Suppressed->SetReprintOnSubsequent(true);
  Run();
  EXPECT_EQ((TTexts{{"A", 20}}), Of(Suppressed, 1));
  EXPECT_EQ((TTexts{{"A", 20}, {"B", 30}}), Of(Suppressed, 2));
  ExpectSinglePagesAlike();
}

// A page generated again from the cache compares each value with the one before it, as the full
// run did: here a name that changes within its reset group on the page after the break.
TEST_F(RepeatedValues, APageGeneratedAgainAloneLeavesOutTheSameValues) {
  std::vector<TRow> Rows;
  for (const char* Name : {"x", "x", "x", "x", "x", "x", "x", "x", "x", "y", "y", "z"})
    Rows.push_back({1, Name, "A", 1.0, TDbValue::Null()});
  Data(Rows);
  TppDetailBand* D = Detail();
  TppGroup* G = Group("Grp", "G");
  auto* T = Put<TppDBText>(D, "Name");
  T->SetSuppressRepeatedValues(true);
  T->SetResetGroup(G);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TLabels{"x"}), TextsOf(T, 1));
  EXPECT_EQ((TLabels{"y", "z"}), TextsOf(T, 2));
  ExpectSinglePagesAlike();
}

// A value repeated across a group break prints again in the new group when the group resets the
// text; a page generated again alone within the group keeps it left out.
TEST_F(RepeatedValues, AResetGroupPrintsTheValueAgainInEachGroup) {
  std::vector<TRow> Rows;
  for (char Grp : std::string("AAAABBBBBBBBBBBB")) Rows.push_back({1, "x", std::string(1, Grp), 1.0, TDbValue::Null()});
  Data(Rows);
  TppDetailBand* D = Detail();
  TppGroup* G = Group("Grp", "G");
  auto* Plain = Put<TppDBText>(D, "Name");
  auto* InGroup = Put<TppDBText>(D, "Name", 60 * mm);
  for (TppDBText* T : {Plain, InGroup}) T->SetSuppressRepeatedValues(true);
  InGroup->SetResetGroup(G);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"x", 20}}), Of(Plain, 1));
  EXPECT_EQ((TTexts{{"x", 20}, {"x", 80}}), Of(InGroup, 1));
  for (int Page : {2, 3}) {
    EXPECT_EQ((TTexts{}), Of(Plain, Page));
    EXPECT_EQ((TTexts{}), Of(InGroup, Page));
  }
  ExpectSinglePagesAlike();
}

}  // namespace
}  // namespace dbtexttest
