// Sub-reports: a child report inside a master band over several pages with its own totals, a fixed
// area, a section of pages with their own setup, single pages generated again alike, drill-down
// instances, and the component's settings.
#include "ppreport/core/ppTemplate.h"
#include "ppreport/generation/ppSubRpt.h"
#if __has_include("ppreport/generation/ppRegion.h")
#include "ppreport/generation/ppRegion.h"
#endif
#include "tests/ppreport/generation/ppReportTestSupport.h"

namespace reporttest {
namespace {

// The report of ReportTest over "Sales", with a second table "Items" (Id, SaleId, Item, Qty): the
// items of each sale, linked to the sales pipeline when asked.
class SubReportTest : public ReportTest {
protected:
  TppDataSetPipeline* Items = nullptr;

  // Sales "n1".."nN" (one a count), each with Counts[i] items "i<sale>.<k>" of quantity k.
  void Data(const std::vector<int>& Counts, bool Linked = true) {
    Table(std::string(Counts.size(), 'a'));
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    Q.SetSQLText("CREATE TABLE Items (Id INTEGER, SaleId INTEGER, Item TEXT, Qty INTEGER)");
    Q.ExecSQL();
    int Id = 0;
    for (size_t S = 0; S < Counts.size(); ++S)
      for (int K = 1; K <= Counts[S]; ++K) {
        Q.SetSQLText("INSERT INTO Items VALUES (" + std::to_string(++Id) + ", " + std::to_string(S + 1) + ", 'i" +
                     std::to_string(S + 1) + "." + std::to_string(K) + "', " + std::to_string(K) + ")");
        Q.ExecSQL();
      }
    auto* Set = new TQuery(&Form);
    Set->SetDatabaseName(Path);
    Set->SetSQLText("SELECT Id, SaleId, Item, Qty FROM Items ORDER BY SaleId, Id");
    Items = new TppDataSetPipeline(&Form);
    Items->SetName("ItemsPipe");
    Items->SetUserName("Items");
    Items->SetDataSet(Set);
    if (Linked) {
      Items->SetMasterDataPipeline(Pipe);
      Items->AddLink(Pipe, "Id", "SaleId");
    }
  }

  // The master detail band: the sale's name at the top, then a sub-report at Top.
  TppSubReport* MasterWithSub(int32_t Top, int32_t Height = 5 * mm) {
    TppBand* Detail = Band<TppDetailBand>(Top);
    Field<TppDBText>(Detail, "Name", 0);
    auto* S = new TppSubReport(&Form);
    S->SetBand(Detail);
    S->SetBounds(0, Top, 80 * mm, Height);
    S->CreateReport(Report);
    S->SetDataPipeline(Items);
    return S;
  }
  // A band of kind K on the child report with a text of Field (a label when Field is empty).
  TppBand* ChildBand(TppSubReport* S, TppBandType K, const std::string& Field, int32_t Height = 5 * mm) {
    auto* Child = static_cast<TppBandedReport*>(S->Report());
    TppBand* B = Child->CreateBand(K, 0);
    B->ChangeHeight(Height);
    if (!Field.empty()) ItemText<TppDBText>(B, Field);
    return B;
  }
  template <class T>
  T* ItemText(TppBand* B, const std::string& Name, int32_t Left = 0) {
    auto* C = new T(&Form);
    C->SetAutoSize(false);
    C->SetBounds(Left, 0, 25 * mm, 5 * mm);
    C->SetBand(B);
    C->SetDataPipeline(Items);
    C->SetDataField(Name);
    return C;
  }
  // The child's texts on a page (those of the given band kind's objects), in drawing order.
  TTexts TextsOfBand(int No, const TppBand* B) const {
    TTexts T;
    auto It = Device->Pages.find(No);
    if (It == Device->Pages.end()) return T;
    for (int I = 0; I < It->second->GetDrawCommandCount(); ++I)
      if (auto* C = dynamic_cast<TppDrawText*>(It->second->GetDrawCommand(I))) {
        auto* Made = dynamic_cast<TppComponent*>(C->Component());
        if (Made && Made->Band() == B) T.emplace_back(C->Text(), C->Top() / mm);
      }
    return T;
  }
  // Every page generated again alone equals the page of the full run.
  void ExpectSinglePagesAlike() {
    // The outline of a page generated alone is the outline's own matter: the pages are compared
    // without it.
    Report->OutlineSettings()->SetEnabled(false);
    Run();
    std::map<int, std::unique_ptr<TppPage>> First;
    for (auto& [No, P] : Device->Pages) {
      First[No] = std::make_unique<TppPage>(nullptr);
      First[No]->Assign(P.get());
    }
    ASSERT_FALSE(First.empty());
    for (auto It = First.rbegin(); It != First.rend(); ++It) {
      const int No = It->first;
      Device->Pages.clear();
      TppPageRequest R;
      R.SetPageSetting(psSinglePage);
      R.SetPageRequested(No);
      Device->SetPageRequest(&R);
      Report->PrintToDevices();
      ASSERT_EQ(1u, Device->Pages.count(No)) << No;
      std::string Why;
      EXPECT_TRUE(enginetest::SamePage(*It->second, *Device->Pages[No], false, &Why)) << "page " << No << ": " << Why;
    }
  }
  static TTexts Rows(int Sale, int From, int To, int Top) {
    TTexts T;
    for (int K = From; K <= To; ++K, Top += 5) T.emplace_back("i" + std::to_string(Sale) + "." + std::to_string(K), Top);
    return T;
  }
};

// A sale with 36 items: 15 rows fit below the name on page 1, 16 on page 2, the rest and the
// total on page 3; the next sale's items and total follow there, totalled on their own.
TEST_F(SubReportTest, ChildSpansThreePagesInsideTheMasterBandWithItsOwnTotals) {
  Data({36, 3});
  TppSubReport* S = MasterWithSub(5 * mm);
  ChildBand(S, btTitle, "", 0);
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  TppBand* Summary = ChildBand(S, btSummary, "");
  ItemText<TppDBCalc>(Summary, "Qty", 30 * mm);
  Run();
  ASSERT_EQ(3, PageCount());
  EXPECT_EQ(Rows(1, 1, 15, 15), TextsOfBand(1, Rows_));
  EXPECT_EQ(Rows(1, 16, 31, 10), TextsOfBand(2, Rows_));
  TTexts Third = Rows(1, 32, 36, 10);
  const TTexts Second = Rows(2, 1, 3, 45);
  Third.insert(Third.end(), Second.begin(), Second.end());
  EXPECT_EQ(Third, TextsOfBand(3, Rows_));
  // 1 + ... + 36 = 666 under the first sale's rows; 1 + 2 + 3 under the second's.
  EXPECT_EQ((TTexts{{"666", 35}, {"6", 60}}), TextsOfBand(3, Summary));
  EXPECT_EQ((TTexts{{"n1", 10}}), TextsOfBand(1, Report->GetDetailBand()));
  EXPECT_EQ((TTexts{{"n2", 40}}), TextsOfBand(3, Report->GetDetailBand()));
  EXPECT_EQ(2, S->Count());
}

TEST_F(SubReportTest, SinglePagesGenerateAgainAsInTheFullRun) {
  Data({36, 3, 20});
  TppSubReport* S = MasterWithSub(5 * mm);
  ChildBand(S, btDetail, "Item");
  ItemText<TppDBCalc>(ChildBand(S, btSummary, ""), "Qty", 30 * mm);
  ExpectSinglePagesAlike();
}

// A fixed area of 20 mm holds four rows; the rest of the sale's items are cut off, and an area
// that no longer fits below its sale's name goes whole to the top of the next page.
TEST_F(SubReportTest, FixedAreaCutsWhatDoesNotFitAndMovesWholeToTheNextPage) {
  Data({12, 2, 5, 1});
  TppSubReport* S = MasterWithSub(5 * mm, 20 * mm);
  S->SetPrintBehavior(pbFixed);
  EXPECT_FALSE(S->Stretch());
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  Run();
  ASSERT_EQ(2, PageCount());
  // Bands of 25 mm: three on the 80 mm of page 1; the fourth name fits there, its area does not.
  TTexts First = Rows(1, 1, 4, 15);
  for (const TTexts& More : {Rows(2, 1, 2, 40), Rows(3, 1, 4, 65)}) First.insert(First.end(), More.begin(), More.end());
  EXPECT_EQ(First, TextsOfBand(1, Rows_));
  EXPECT_EQ((TTexts{{"n1", 10}, {"n2", 35}, {"n3", 60}, {"n4", 85}}), TextsOfBand(1, Report->GetDetailBand()));
  EXPECT_EQ(Rows(4, 1, 1, 10), TextsOfBand(2, Rows_));
  ExpectSinglePagesAlike();
}

// With TraverseAllData the fixed area prints all of the data in slices of its own height.
TEST_F(SubReportTest, FixedAreaTraversingAllDataGoesOnInSlices) {
  Data({10}, false);
  TppSubReport* S = MasterWithSub(5 * mm, 20 * mm);
  S->SetPrintBehavior(pbFixed);
  S->SetTraverseAllData(true);
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  Run();
  ASSERT_EQ(3, PageCount());
  EXPECT_EQ(Rows(1, 1, 4, 15), TextsOfBand(1, Rows_));
  EXPECT_EQ(Rows(1, 5, 8, 10), TextsOfBand(2, Rows_));
  EXPECT_EQ(Rows(1, 9, 10, 10), TextsOfBand(3, Rows_));
}

// A section on the summary band: the sales fill page 1, the section's own pages (150 x 100 mm,
// numbered from 1) follow, and the report's pages go on after it.
TEST_F(SubReportTest, SectionPrintsWholePagesWithItsOwnPageSetup) {
  Data({20}, false);
  Band<TppDetailBand>(10 * mm);
  Field<TppDBText>(Report->GetDetailBand(), "Name", 0);
  TppBand* Summary = Band<TppSummaryBand>(5 * mm);
  auto* S = new TppSubReport(&Form);
  S->SetBand(Summary);
  S->SetBounds(0, 0, 80 * mm, 5 * mm);
  S->CreateReport(Report);
  S->SetDataPipeline(Items);
  S->SetPrintBehavior(pbSection);
  EXPECT_FALSE(S->Stretch());
  S->SetParentPrinterSetup(false);
  TppPrinterSetup* Own = S->Report()->PrinterSetup();
  Own->SetPaperWidth(150 * mm);
  Own->SetPaperHeight(100 * mm);
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  Run();
  ASSERT_EQ(3, PageCount());
  EXPECT_EQ((TTexts{{"n1", 10}}), TextsOfBand(1, Report->GetDetailBand()));
  EXPECT_EQ(100 * mm, Device->Pages[1]->PageDef()->mmWidth());
  EXPECT_EQ(Rows(1, 1, 16, 10), TextsOfBand(2, Rows_));
  EXPECT_EQ(Rows(1, 17, 20, 10), TextsOfBand(3, Rows_));
  for (int P : {2, 3}) {
    EXPECT_EQ(150 * mm, Device->Pages[P]->PageDef()->mmWidth()) << P;
    EXPECT_EQ(P - 1, Device->Pages[P]->PageNo()) << P;
  }
  // Numbered in the document's sequence instead.
  S->SetResetPageNo(false);
  Run();
  ASSERT_EQ(3, PageCount());
  for (int P : {1, 2, 3}) EXPECT_EQ(P, Device->Pages[P]->PageNo()) << P;
  EXPECT_EQ(Rows(1, 17, 20, 10), TextsOfBand(3, Rows_));
  ExpectSinglePagesAlike();
}

// Kept together, a child that does not fit below what the page holds starts whole on the next.
TEST_F(SubReportTest, KeptTogetherChildStartsWholeOnTheNextPage) {
  Data({2, 14});
  TppSubReport* S = MasterWithSub(5 * mm);
  S->SetKeepTogether(true);
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  Run();
  ASSERT_EQ(2, PageCount());
  EXPECT_EQ(Rows(1, 1, 2, 15), TextsOfBand(1, Rows_));
  EXPECT_EQ(Rows(2, 1, 14, 10), TextsOfBand(2, Rows_));
  ExpectSinglePagesAlike();
}

// Each instance of a drill-down sub-report has its own key; only the expanded one prints.
TEST_F(SubReportTest, DrillDownInstancesHaveTheirOwnKeysAndExpandAlone) {
  Data({2, 3});
  TppSubReport* S = MasterWithSub(5 * mm);
  TppBand* Rows_ = ChildBand(S, btDetail, "Item");
  auto* Click = static_cast<TppComponent*>(Report->GetDetailBand()->GetObjects(0));
  S->SetDrillDownComponent(Click);
  EXPECT_EQ(Click, S->DrillDownComponent());
  Run();
  ASSERT_EQ(1, PageCount());
  EXPECT_TRUE(TextsOfBand(1, Rows_).empty());  // collapsed
  std::vector<std::string> Keys;
  TppPage* P = Device->Pages[1].get();
  for (int I = 0; I < P->GetDrawCommandCount(); ++I)
    if (P->GetDrawCommand(I)->Component() == Click) Keys.push_back(P->GetDrawCommand(I)->ExpansionKey());
  EXPECT_EQ((std::vector<std::string>{"       0", "       1"}), Keys);

  // A click on the second sale's name expands its instance; the page comes again from the report.
  for (int I = 0; I < P->GetDrawCommandCount(); ++I)
    if (TppDrawCommand* C = P->GetDrawCommand(I); C->Component() == Click && C->ExpansionKey() == Keys[1]) {
      C->DoDrawCommandClick();
      EXPECT_TRUE(C->RedrawPage());
    }
  EXPECT_EQ(1, S->ExpansionCount());
  Device->Pages.clear();
  TppPageRequest Again;
  Again.SetPageSetting(psSinglePage);
  Again.SetPageRequested(1);
  Device->SetPageRequest(&Again);
  Report->PrintToDevices();
  EXPECT_EQ(Rows(2, 1, 3, 20), TextsOfBand(1, Rows_));
  Run();
  EXPECT_EQ(Rows(2, 1, 3, 20), TextsOfBand(1, Rows_));
  S->SetExpandAll(true);
  Run();
  TTexts Both = Rows(1, 1, 2, 15);
  const TTexts Second = Rows(2, 1, 3, 30);
  Both.insert(Both.end(), Second.begin(), Second.end());
  EXPECT_EQ(Both, TextsOfBand(1, Rows_));
}

#if __has_include("ppreport/generation/ppRegion.h")
using TTestRegion = TppRegion;
#else
// A region kind of the tests' own: holds members and prints nothing.
class TTestRegion : public TppCustomRegion {
  DECLARE_CLASSINFO(TTestRegion)
public:
  using TppCustomRegion::TppCustomRegion;
  ~TTestRegion() override { BeforeDestruction(); }
  void Generate() override {}
};

const TClassInfo& TTestRegion::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTestRegion>("TSubRptTestRegion", &TppCustomRegion::StaticClassInfo());
  return Info;
}
#endif

TEST_F(SubReportTest, SettingsFollowTheBehaviour) {
  Data({1});
  TppSubReport* S = MasterWithSub(5 * mm);
  auto* Other = new TppSubReport(&Form);
  Other->SetBand(Report->GetDetailBand());
  auto* Click = static_cast<TppComponent*>(Report->GetDetailBand()->GetObjects(0));

  EXPECT_EQ("SubReport1: Items", S->GetCaption());
  EXPECT_EQ("SubReport2: No Data Pipeline Assigned", Other->GetCaption());
  EXPECT_EQ(S, S->Report()->Parent());
  EXPECT_EQ(Report, S->Report()->ParentReport());

  // The child's default bands follow the behaviour: a title and summary inside a band, page
  // header and footer for pages of its own.
  Other->CreateReport(Report);
  Other->SetPrintBehavior(pbFixed);
  Other->SetPrintBehavior(pbChild);
  Other->Report()->CreateDefaultBands();
  for (TppBandType K : {btTitle, btDetail, btSummary}) EXPECT_NE(nullptr, Other->Report()->FindBand(K)) << K;
  EXPECT_EQ(nullptr, Other->Report()->FindBand(btHeader));

  // A component drives one sub-report at most.
  S->SetDrillDownComponent(Click);
  Other->SetDrillDownComponent(Click);
  EXPECT_EQ(nullptr, S->DrillDownComponent());
  EXPECT_EQ(Click, Other->DrillDownComponent());

  // NewPrintJob makes a section directly: Stretch stays as it was.
  S->SetNewPrintJob(true);
  EXPECT_EQ(pbSection, S->PrintBehavior());
  EXPECT_TRUE(S->Stretch());

  // A region takes no section: refused inside one, and a section moved into one becomes fixed.
  auto* R = new TTestRegion(&Form);
  R->SetBand(Report->GetDetailBand());
  S->SetRegion(R);
  EXPECT_EQ(pbFixed, S->PrintBehavior());
  S->SetPrintBehavior(pbSection);
  EXPECT_EQ(pbFixed, S->PrintBehavior());
}

}  // namespace
}  // namespace reporttest

namespace reporttest {
namespace {

// A total printed above the rows it sums (look-ahead, two passes) shows each instance's own total:
// the key of a text inside a sub-report starts with the instance.
TEST_F(SubReportTest, LookAheadTotalsAreKeptPerInstance) {
  Data({3, 2});
  TppSubReport* S = MasterWithSub(5 * mm);
  TppBand* Title = ChildBand(S, btTitle, "");
  auto* Total = ItemText<TppDBCalc>(Title, "Qty", 30 * mm);
  Total->SetLookAhead(true);
  EXPECT_EQ(psTwoPass, Report->PassSetting());
  EXPECT_EQ("       0|       0|       0", Total->GetLookAheadKey());
  ChildBand(S, btDetail, "Item");
  Run();
  ASSERT_EQ(1, PageCount());
  EXPECT_EQ((TTexts{{"6", 15}, {"3", 40}}), TextsOfBand(1, Title));
}

}  // namespace
}  // namespace reporttest

namespace reporttest {
namespace {

// A template keeps the sub-report with its child report, the child's bands and settings.
TEST_F(SubReportTest, TemplateKeepsTheChildReport) {
  Data({36, 3});
  TppSubReport* S = MasterWithSub(5 * mm);
  S->SetPrintBehavior(pbFixed);
  S->SetTraverseAllData(true);
  ChildBand(S, btDetail, "Item");
  ItemText<TppDBCalc>(ChildBand(S, btSummary, ""), "Qty", 30 * mm);
  TMemoryStream Stream;
  Report->Template()->SaveToStream(Stream);
  Run();
  const TTexts Before = Page(1);

  Stream.SetPosition(0);
  Report->Template()->LoadFromStream(Stream);
  TppSubReport* Loaded = nullptr;
  for (int I = 0; I < Report->GetDetailBand()->GetObjectCount(); ++I)
    if (auto* L = dynamic_cast<TppSubReport*>(Report->GetDetailBand()->GetObjects(I))) Loaded = L;
  ASSERT_NE(nullptr, Loaded);
  EXPECT_EQ(pbFixed, Loaded->PrintBehavior());
  EXPECT_TRUE(Loaded->TraverseAllData());
  ASSERT_NE(nullptr, Loaded->Report());
  EXPECT_EQ(Loaded, Loaded->Report()->Parent());
  EXPECT_EQ(2, Loaded->Report()->BandCount());
  Run();
  EXPECT_EQ(Before, Page(1));
}

}  // namespace
}  // namespace reporttest
