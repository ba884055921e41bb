// The banded report: bands it makes for itself, pages through its publisher to a device, the page
// requests it serves with its engine and cache.
#include "tests/ppreport/generation/ppReportTestSupport.h"

#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/generation/ppPageBreak.h"
#include "ppreport/generation/ppPageStyle.h"
#include "tests/ppreport/ppSqlPipeline.h"

namespace reporttest {
namespace {

TEST_F(ReportTest, MakesTheBandsItLacksAndPrintsEveryRecordThroughItsDevice) {
  Table("aaaaaaaa");
  Report->CreateMissingBands();
  TppBand* Header = Report->GetHeaderBand();
  TppBand* Detail = Report->GetDetailBand();
  TppBand* Footer = Report->GetFooterBand();
  ASSERT_TRUE(Header && Detail && Footer);
  EXPECT_EQ(nullptr, Report->GetTitleBand());
  EXPECT_EQ(nullptr, Report->CreateBand(btDetail, 0));  // there is one already
  EXPECT_NE(Header->Name(), Footer->Name());
  for (TppBand* B : {Header, Detail, Footer}) B->ChangeHeight(10 * mm);
  Label(Header, "H");
  Field<TppDBText>(Detail, "Name");
  Label(Footer, "F");
  Run();
  ASSERT_EQ(2, PageCount());
  EXPECT_EQ((TTexts{{"H", 10}, {"n1", 20}, {"n2", 30}, {"n3", 40}, {"n4", 50}, {"n5", 60}, {"n6", 70}, {"F", 80}}),
            Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"n7", 20}, {"n8", 30}, {"F", 80}}), Page(2));
}

}  // namespace
}  // namespace reporttest

namespace reporttest {
namespace {

// Header, detail with the record's name and amount, footer; a region group around the details.
class GroupedReport : public ReportTest {
protected:
  TppGroup* Group = nullptr;
  void Build(const std::string& Regions, bool Grouped = true) {
    Table(Regions);
    Bands();
    if (Grouped) Group = RegionGroup();
  }
  // Header "H", detail with the name, footer "F", each 10 mm high.
  void Bands() {
    Report->CreateMissingBands();
    for (TppBand* B : {Report->GetHeaderBand(), Report->GetDetailBand(), Report->GetFooterBand()})
      B->ChangeHeight(10 * mm);
    Label(Report->GetHeaderBand(), "H");
    Field<TppDBText>(Report->GetDetailBand(), "Name", 0);
    Label(Report->GetFooterBand(), "F");
  }
};

TEST_F(GroupedReport, BandsStackInOrderAndGroupHeadersComeBackOnContinuedPages) {
  Build("aaaaaaabbbcc");
  Run();
  ASSERT_EQ(4, PageCount());
  // First, middle and last pages; a continued group starts its page with its header again.
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"a", 20}, {"n1", 30}, {"n2", 40}, {"n3", 50}, {"n4", 60}, {"n5", 70},
                    {"F", 80}}),
            Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"a", 20}, {"n6", 30}, {"n7", 40}, {"GF", 50}, {"28", 50}, {"GH", 60},
                    {"b", 60}, {"n8", 70}, {"F", 80}}),
            Page(2));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"c", 20}, {"n12", 30}, {"GF", 40}, {"23", 40}, {"F", 80}}), Page(4));

  Group->SetReprintOnSubsequentPage(false);
  Run();
  EXPECT_EQ((TTexts{{"H", 10}, {"n6", 20}, {"n7", 30}, {"GF", 40}, {"28", 40}, {"GH", 50}, {"b", 50}, {"n8", 60},
                    {"n9", 70}, {"F", 80}}),
            Page(2));
}

// Without a language module the bands, the group bands and the report carry the program's own
// captions, and the outline names the report by its caption.
TEST_F(GroupedReport, CaptionsHaveTheirBuiltInTexts) {
  Build("aab");
  auto* Title = Band<TppTitleBand>();
  auto* Summary = Band<TppSummaryBand>();
  auto* ColumnHeader = Band<TppColumnHeaderBand>();
  auto* ColumnFooter = Band<TppColumnFooterBand>();
  auto* Style = Band<TppPageStyle>();
  const std::vector<std::pair<TppBand*, std::string>> Captions = {
      {Report->GetHeaderBand(), "Cabeçalho"},
      {Report->GetDetailBand(), "Detalhe"},
      {Report->GetFooterBand(), "Rodapé"},
      {Title, "Título"},
      {Summary, "Sumário"},
      {ColumnHeader, "Cabeçalho da Coluna"},
      {ColumnFooter, "Rodapé da Coluna"},
      {Style, "Estilo da Página"},
      {Report->GetGroupHeaderBand(0), "Cabeçalho do Grupo[0]: Region"},
      {Report->GetGroupFooterBand(0), "Rodapé do Grupo[0]: Region"}};
  for (const auto& [Band, Caption] : Captions) EXPECT_EQ(Caption, Band->GetDefaultCaption());
  Group->SetBreakName("");
  EXPECT_EQ("Cabeçalho do Grupo[0]: Campo de Dados", Report->GetGroupHeaderBand(0)->GetDefaultCaption());
  Group->SetBreakType(btCustomField);
  EXPECT_EQ("Rodapé do Grupo[0]: Campo Personalizado", Report->GetGroupFooterBand(0)->GetDefaultCaption());
  Group->SetBreakType(btDataField);
  Group->SetBreakName("Region");

  EXPECT_EQ("Relatório: Sales", Report->GetReportCaption());
  Run();
  auto* Outline = dynamic_cast<TppOutlineDrawCommand*>(Device->Pages.at(1)->GetOutlineDrawCommand());
  ASSERT_TRUE(Outline && Outline->Tree() && Outline->Tree()->GetChildCount() > 0);
  EXPECT_EQ("Relatório", Outline->Tree()->GetOutlineChild(0)->Caption());
}

TEST_F(GroupedReport, AFooterWithoutRoomGoesOnWithTheGroupOnTheNextPage) {
  Build("aaaaab");
  Run();
  ASSERT_EQ(2, PageCount());
  EXPECT_EQ("n5", Texts(1).at(7));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"a", 20}, {"GF", 30}, {"15", 30}, {"GH", 40}, {"b", 40}, {"n6", 50},
                    {"GF", 60}, {"6", 60}, {"F", 80}}),
            Page(2));
}

TEST_F(GroupedReport, KeepTogetherMovesAGroupThatWouldBreakToTheNextPage) {
  Build("aabbbb");
  Group->SetKeepTogether(true);
  Run();
  ASSERT_EQ(2, PageCount());
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"a", 20}, {"n1", 30}, {"n2", 40}, {"GF", 50}, {"3", 50}, {"F", 80}}),
            Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"b", 20}, {"n3", 30}, {"n4", 40}, {"n5", 50}, {"n6", 60}, {"GF", 70},
                    {"18", 70}, {"F", 80}}),
            Page(2));
}

TEST_F(GroupedReport, TitleAndSummaryTakePagesOfTheirOwnWhenAsked) {
  Build("aab");
  auto* Title = static_cast<TppReportBand*>(Report->CreateBand(btTitle, 0));
  auto* Summary = static_cast<TppReportBand*>(Report->CreateBand(btSummary, 0));
  ASSERT_TRUE(Title && Summary);
  for (TppReportBand* B : {Title, Summary}) B->ChangeHeight(10 * mm);
  Label(Title, "T");
  Label(Summary, "S");
  Run();
  ASSERT_EQ(2, PageCount());
  EXPECT_EQ("T", Texts(1).at(0));
  EXPECT_EQ("S", Texts(2).at(Texts(2).size() - 2));

  Title->SetNewPage(true);
  Summary->SetNewPage(true);
  Run();
  ASSERT_EQ(4, PageCount());
  EXPECT_EQ((TTexts{{"T", 10}, {"F", 80}}), Page(1));
  EXPECT_EQ((std::vector<std::string>{"H", "GH", "a", "n1", "n2", "GF", "3", "GH", "b", "n3", "F"}), Texts(2));
  EXPECT_EQ((TTexts{{"H", 10}, {"S", 20}, {"F", 80}}), Page(4));
}

TEST_F(GroupedReport, ColumnsFillDownThePageOneAfterTheOther) {
  Build("aaaaaaaaab");
  Report->SetColumns(2);
  TppBand* ColumnHeader = Report->GetColumnHeaderBand();
  TppBand* ColumnFooter = Report->GetColumnFooterBand();
  ASSERT_TRUE(ColumnHeader && ColumnFooter);
  ColumnHeader->ChangeHeight(10 * mm);
  ColumnFooter->ChangeHeight(10 * mm);
  Label(ColumnHeader, "CH");
  Label(ColumnFooter, "CF");
  Run();
  ASSERT_EQ(3, PageCount());
  EXPECT_EQ((TTexts{{"H", 10}, {"CH", 20}, {"GH", 30}, {"a", 30}, {"n1", 40}, {"n2", 50}, {"n3", 60}, {"CF", 70},
                    {"CH", 20}, {"GH", 30}, {"a", 30}, {"n4", 40}, {"n5", 50}, {"n6", 60}, {"CF", 70}, {"F", 80}}),
            Page(1));
  // The second column stands to the right of the first.
  const TppPage& P = *Device->Pages.at(1);
  std::vector<int32_t> Lefts;
  for (int I = 0; I < P.GetDrawCommandCount(); ++I)
    if (auto* C = dynamic_cast<TppDrawText*>(P.GetDrawCommand(I)); C && C->Text() == "CH") Lefts.push_back(C->Left());
  ASSERT_EQ(2u, Lefts.size());
  EXPECT_EQ(10 * mm, Lefts[0]);
  EXPECT_EQ(50 * mm, Lefts[1]);
  EXPECT_EQ((std::vector<std::string>{"H", "CH", "GH", "b", "GF", "10", "CF", "F"}), Texts(3));
}

// Two columns down the page: wherever the data ends, the summary starts at the top of the first
// column, on the next page when the data ends in the second. Each case on a report of its own.
TEST_F(GroupedReport, TheSummaryNeverStartsInTheSecondColumn) {
  // Six rows a column; the data ends in the first column, at its foot, or in the second.
  for (int Records : {5, 6, 7, 8, 12}) {
    SCOPED_TRACE(Records);
    for (TComponent* Old : std::initializer_list<TComponent*>{Report, Device, Pipe ? Pipe->DataSet() : nullptr, Pipe})
      if (Old) Old->Free();
    Report = new TppReport(&Form);
    Device = nullptr;
    SetUp();
    Table(std::string(Records, 'a'), "columns" + std::to_string(Records) + ".db");
    Report->SetColumns(2);
    Bands();
    TppBand* Summary = Report->CreateBand(btSummary, 0);
    Summary->ChangeHeight(10 * mm);
    Label(Summary, "S");
    ASSERT_NO_THROW(Run());
    const int Pages = Records < 6 ? 1 : 2;
    ASSERT_EQ(Pages, PageCount());
    EXPECT_EQ("n" + std::to_string(Records), Texts(1).at(Records));
    const TppPage& Last = *Device->Pages.at(Pages);
    int Found = 0;
    for (int I = 0; I < Last.GetDrawCommandCount(); ++I)
      if (auto* C = dynamic_cast<TppDrawText*>(Last.GetDrawCommand(I)); C && C->Text() == "S") {
        ++Found;
        EXPECT_EQ(10 * mm, C->Left());
        EXPECT_EQ((Records < 6 ? 20 + 10 * Records : 20) * mm, C->Top());
      }
    EXPECT_EQ(1, Found);
  }
}

// Customers with their orders below them, customers without orders shown too: a customer without
// orders shows no order of another customer.
TEST_F(ReportTest, ACustomerWithoutOrdersShowsNoOrderOfAnother) {
  Path = Temp.Path("orders.db");
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  for (const char* Sql : {"CREATE TABLE Customer (CustNo INTEGER, Name TEXT)",
                          "INSERT INTO Customer VALUES (1, 'c1'), (2, 'c2'), (3, 'c3'), (4, 'c4')",
                          "CREATE TABLE Orders (CustNo INTEGER, Item TEXT)",
                          "INSERT INTO Orders VALUES (1, 'o11'), (1, 'o12'), (3, 'o31')"}) {
    Q.SetSQLText(Sql);
    Q.ExecSQL();
  }
  auto Pipeline = [&](const char* Name, const char* Sql) { return ppSqlPipeline(&Form, Path, Name, Sql); };
  Pipe = Pipeline("Customers", "SELECT CustNo, Name FROM Customer ORDER BY CustNo");
  TppDataSetPipeline* Orders = Pipeline("Orders", "SELECT CustNo, Item FROM Orders ORDER BY CustNo, Item");
  ASSERT_NE(nullptr, Orders->AddLink(Pipe, "CustNo", "CustNo"));
  Orders->SetSkipWhenNoRecords(false);
  Report->SetDataPipeline(Pipe);
  Report->CreateMissingBands();
  auto* Detail = static_cast<TppDetailBand*>(Report->GetDetailBand());
  Detail->ChangeHeight(5 * mm);
  Detail->SetDataPipeline(Orders);
  auto* Item = Field<TppDBText>(Detail, "Item", 0);
  Item->SetDataPipeline(Orders);
  auto* G = new TppGroup(&Form);
  G->SetReport(Report);
  G->SetBreakName("CustNo");
  G->SetDataPipeline(Pipe);
  Report->CreateMissingBands();
  TppBand* Header = Report->GetGroupHeaderBand(0);
  Header->ChangeHeight(5 * mm);
  Field<TppDBText>(Header, "Name", 0);
  Run();
  ASSERT_EQ(1, PageCount());
  // An order text of a customer without orders prints empty.
  EXPECT_EQ((std::vector<std::string>{"c1", "o11", "o12", "c2", "", "c3", "o31", "c4", ""}), Texts(1));
}

TEST_F(GroupedReport, TwoPassesGivePageOfPagesOnEveryPage) {
  Build("aaaaaaabbbcc");
  Report->SetPassSetting(psTwoPass);
  TppLabel* Count = Label(Report->GetFooterBand(), "", 50 * mm);
  Count->OnGetText = [this](TObject*, std::string& Text) {
    Text = "Página " + std::to_string(Report->PageNo()) + " de " + std::to_string(Report->PageCount());
  };
  Run();
  ASSERT_EQ(4, PageCount());
  for (int P = 1; P <= 4; ++P) {
    const std::vector<std::string> T = Texts(P);
    EXPECT_EQ("Página " + std::to_string(P) + " de 4", T.back()) << P;
    EXPECT_EQ(4, Device->Pages.at(P)->AbsolutePageCount());
  }
}

// The page limit ends the run at the end of its page, the pages before it as without a limit; in
// two passes the count is the limit's.
TEST_F(GroupedReport, ThePageLimitEndsTheRunAtItsPage) {
  Build("aaaaaaabbbcc");
  TppLabel* Count = Label(Report->GetFooterBand(), "", 50 * mm);
  Count->OnGetText = [this](TObject*, std::string& Text) { Text = std::to_string(Report->PageCount()); };
  Run();
  ASSERT_EQ(4, PageCount());
  std::map<int, std::vector<std::string>> Full;
  for (int P = 1; P <= 4; ++P) Full[P] = Texts(P);
  struct TCase {
    int Limit;
    TppPassSettingType Pass;
    int Pages;
  };
  for (const TCase& C : {TCase{2, psOnePass, 2}, TCase{2, psTwoPass, 2}, TCase{1, psOnePass, 1}, TCase{9, psOnePass, 4},
                         TCase{0, psTwoPass, 4}}) {
    SCOPED_TRACE(testing::Message() << C.Limit << " " << C.Pass);
    Report->SetPageLimit(C.Limit);
    Report->SetPassSetting(C.Pass);
    Run();
    ASSERT_EQ(C.Pages, PageCount());
    for (int P = 1; P <= C.Pages; ++P) {
      std::vector<std::string> T = Texts(P), Expected = Full[P];
      // The footer's count: what the first pass counted, else the page the run has reached.
      if (C.Pass == psTwoPass) Expected.back() = std::to_string(C.Pages);
      EXPECT_EQ(Expected, T) << "page " << P;
    }
  }
}

TEST_F(GroupedReport, APageBreakEndsThePageWhereItStands) {
  Build("aabbbc");
  auto* Title = Report->CreateBand(btTitle, 0);
  Title->ChangeHeight(20 * mm);
  Title->SetPrintHeight(phDynamic);
  Label(Title, "T");
  auto* Break = new TppPageBreak(&Form);
  Break->SetBounds(0, 15 * mm, 10 * mm, 1 * mm);
  Break->SetBand(Title);
  Run();
  ASSERT_EQ(4, PageCount());
  EXPECT_EQ((TTexts{{"T", 10}, {"F", 80}}), Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH", 20}, {"a", 20}, {"n1", 30}, {"n2", 40}, {"GF", 50}, {"3", 50}, {"GH", 60},
                    {"b", 60}, {"n3", 70}, {"F", 80}}),
            Page(2));
}

TEST_F(GroupedReport, APageGeneratedAgainAloneEqualsThePageOfTheFullRun) {
  for (auto Pass : {psOnePass, psTwoPass}) {
    SCOPED_TRACE(Pass);
    if (!Pipe) Build("aaaaaaabbbcc");
    // The outline grows with the run: a page made again carries the tree as far as it has grown.
    Report->OutlineSettings()->SetEnabled(false);
    Report->SetPassSetting(Pass);
    Run();
    ASSERT_EQ(4, PageCount());
    std::map<int, std::unique_ptr<TppPage>> Full = std::move(Device->Pages);
    // Backwards and out of order: every page comes from the state cached before it.
    for (int No : {3, 1, 4, 2}) {
      Device->Pages.clear();
      Device->Reset();
      TppPageRequest R;
      R.SetPageSetting(psSinglePage);
      R.SetPageRequested(No);
      Device->SetPageRequest(&R);
      Report->PrintToDevices();
      ASSERT_EQ(1u, Device->Pages.size()) << No;
      std::string Why;
      EXPECT_TRUE(enginetest::SamePage(*Full.at(No), *Device->Pages.at(No), Pass == psTwoPass, &Why))
          << "page " << No << ": " << Why;
    }
  }
}

// The preview's buttons ask for pages in any order: every page served is the page of the full run,
// and none lies beyond it. A one-pass report learns where it ends only by getting there.
enum TRequestCaseFlag : unsigned {
  rcGroup = 1, rcKeepTogether = 2, rcGroupNewPage = 4, rcSummary = 8, rcSummaryOwnPage = 16, rcColumns = 32,
  rcTwoPass = 64, rcCachePages = 128, rcNotOnLastPage = 256, rcPageLimit = 512
};
struct TRequestCase {
  const char* Name;
  const char* Regions;
  unsigned Flags;
};
void PrintTo(const TRequestCase& C, std::ostream* Out) { *Out << C.Name; }

class PageRequests : public GroupedReport, public ::testing::WithParamInterface<TRequestCase> {
protected:
  std::map<int, std::unique_ptr<TppPage>> Full;
  int Count = 0;

  bool Has(unsigned Flag) const { return GetParam().Flags & Flag; }
  void SetUp() override {
    GroupedReport::SetUp();
    Build(GetParam().Regions, Has(rcGroup));
    if (Group) {
      Group->SetKeepTogether(Has(rcKeepTogether));
      Group->SetNewPage(Has(rcGroupNewPage));
    }
    if (Has(rcSummary)) {
      auto* Summary = static_cast<TppReportBand*>(Report->CreateBand(btSummary, 0));
      Summary->ChangeHeight(10 * mm);
      Summary->SetNewPage(Has(rcSummaryOwnPage));
      Label(Summary, "S");
    }
    if (Has(rcColumns)) Report->SetColumns(2);
    if (Has(rcNotOnLastPage))
      for (TppBand* B : {Report->GetHeaderBand(), Report->GetFooterBand()})
        static_cast<TppPageBand*>(B)->SetPrintOnLastPage(false);
    if (Has(rcPageLimit)) Report->SetPageLimit(3);
    Report->SetPassSetting(Has(rcTwoPass) ? psTwoPass : psOnePass);
    Report->SetCachePages(Has(rcCachePages));
    // The outline grows with the run: a page made again carries the tree as far as it has grown.
    Report->OutlineSettings()->SetEnabled(false);
    Run();
    Count = PageCount();
    Full = std::move(Device->Pages);
  }
  // Serves one request on a device that waits afresh; answers the pages it took, in order, each
  // checked against the full run.
  std::vector<int> Ask(TppPageSettingType Setting, int Page = 1) {
    Device->Pages.clear();
    Device->Order.clear();
    Device->Reset();
    TppPageRequest R;
    R.SetPageSetting(Setting);
    R.SetPageRequested(Page);
    Device->SetPageRequest(&R);
    Report->PrintToDevices();
    for (auto& [No, P] : Device->Pages) {
      if (!Full.contains(No)) continue;  // the order tells
      std::string Why;
      // One pass counts as it goes: the page count is the full run's on its last page only.
      EXPECT_TRUE(enginetest::SamePage(*Full.at(No), *P, Has(rcTwoPass) || No == Count, &Why))
          << "page " << No << ": " << Why;
    }
    // Until a one-pass report reaches its end it knows fewer pages, never more.
    if (Has(rcTwoPass)) EXPECT_EQ(Count, Report->Engine()->AbsolutePageCount());
    EXPECT_LE(Report->Engine()->AbsolutePageCount(), Count);
    return Device->Order;
  }
  std::vector<int> AllPages() const {
    std::vector<int> L;
    for (int No = 1; No <= Count; ++No) L.push_back(No);
    return L;
  }
};

TEST_P(PageRequests, GiveThePagesOfTheFullRunAndNoMore) {
  ASSERT_GE(Count, 3);
  if (Has(rcPageLimit)) ASSERT_EQ(3, Count);
  const std::vector<int> Last{Count};
  {
    SCOPED_TRACE("the last page first, then all pages and single pages");
    Report->Reset();
    EXPECT_EQ(Last, Ask(psLastPage));
    EXPECT_EQ(AllPages(), Ask(psAll));
    for (int No = Count; No >= 1; --No) EXPECT_EQ(std::vector<int>{No}, Ask(psSinglePage, No));
    EXPECT_EQ(Last, Ask(psSinglePage, 99));
  }
  {
    SCOPED_TRACE("single pages, then the last page, then single pages around it");
    Report->Reset();
    EXPECT_EQ(std::vector<int>{1}, Ask(psFirstPage));
    EXPECT_EQ(std::vector<int>{2}, Ask(psSinglePage, 2));
    EXPECT_EQ(Last, Ask(psLastPage));
    EXPECT_EQ(Last, Ask(psLastPage));
    EXPECT_EQ(std::vector<int>{Count - 1}, Ask(psSinglePage, Count - 1));
    EXPECT_EQ(Last, Ask(psSinglePage, 99));
    EXPECT_EQ(std::vector<int>{1}, Ask(psFirstPage));
  }
  {
    SCOPED_TRACE("a page beyond the end first");
    Report->Reset();
    EXPECT_EQ(Last, Ask(psSinglePage, 99));
    EXPECT_EQ(Last, Ask(psLastPage));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, PageRequests,
    ::testing::Values(
        TRequestCase{"OnePassList", "aaaaaaabbbcccdd", 0},
        TRequestCase{"OnePassGroups", "aaaaaaabbbcc", rcGroup},
        TRequestCase{"OnePassGroupsSummary", "aaaaaaabbbcc", rcGroup | rcSummary},
        TRequestCase{"OnePassSummaryOwnPage", "aaaaaaabbbcc", rcGroup | rcSummary | rcSummaryOwnPage},
        TRequestCase{"OnePassKeepTogether", "aaabbbbcccccdd", rcGroup | rcKeepTogether | rcSummary},
        TRequestCase{"OnePassGroupNewPage", "aaabbbbcc", rcGroup | rcGroupNewPage},
        TRequestCase{"OnePassColumns", "aaaaaaaaaaaabbbbbbbbbbbcc", rcGroup | rcColumns},
        TRequestCase{"OnePassNotOnLastPage", "aaaaaaabbbcc", rcGroup | rcNotOnLastPage},
        TRequestCase{"OnePassPageLimit", "aaaaaaabbbccccdd", rcGroup | rcSummary | rcPageLimit},
        TRequestCase{"OnePassCachedPages", "aaaaaaabbbcc", rcGroup | rcSummary | rcCachePages},
        TRequestCase{"TwoPassList", "aaaaaaabbbcccdd", rcSummary | rcTwoPass},
        TRequestCase{"TwoPassGroups", "aaaaaaabbbcc", rcGroup | rcTwoPass},
        TRequestCase{"TwoPassKeepTogether", "aaabbbbcccccdd", rcGroup | rcKeepTogether | rcSummary | rcTwoPass},
        TRequestCase{"TwoPassCachedPages", "aaaaaaabbbcc",
                     rcGroup | rcKeepTogether | rcSummary | rcTwoPass | rcCachePages}),
    [](const auto& Info) { return std::string(Info.param.Name); });

}  // namespace
}  // namespace reporttest
