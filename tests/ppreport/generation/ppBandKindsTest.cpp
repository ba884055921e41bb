// The band kinds on the real engine over an in-memory table: where each kind prints on the first,
// middle and last pages.
#include <algorithm>

#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

namespace bandkindstest {
namespace {

// ---- page, title and summary bands

TEST_F(BandKinds, AListPlacesEveryKindOnTheFirstMiddleAndLastPage) {
  Add<TppTitleBand>("T");
  Add<TppHeaderBand>("H");
  Detail();
  Add<TppSummaryBand>("S");
  Add<TppFooterBand>("F");
  Names(13);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"T", 10}, {"H", 20}, {"D r1", 30}, {"D r2", 40}, {"D r3", 50}, {"D r4", 60}, {"D r5", 70},
                    {"F", 80}}),
            Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"D r6", 20}, {"D r7", 30}, {"D r8", 40}, {"D r9", 50}, {"D r10", 60}, {"D r11", 70},
                    {"F", 80}}),
            Page(2));
  // A footer sits on the bottom margin however little the page holds.
  EXPECT_EQ((TTexts{{"H", 10}, {"D r12", 20}, {"D r13", 30}, {"S", 40}, {"F", 80}}), Page(3));
  ExpectSinglePagesAlike();
}

TEST_F(BandKinds, HeadersAndFootersStayOffTheFirstOrLastPageAsAsked) {
  auto* H = Add<TppHeaderBand>("H");
  Detail();
  auto* S = Add<TppSummaryBand>("S");
  auto* F = Add<TppFooterBand>("F");
  Names(8);
  H->SetPrintOnFirstPage(false);
  F->SetPrintOnLastPage(false);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TLabels{"D r1", "D r2", "D r3", "D r4", "D r5", "D r6", "D r7", "F"}), Labels(1));
  // One pass knows the last page by the summary printing on it.
  EXPECT_EQ((TLabels{"H", "D r8", "S"}), Labels(2));
  S->SetVisible(false);
  Run();
  EXPECT_EQ((TLabels{"H", "D r8"}), Labels(2));
  // A one-page report without its header on the first page has none at all.
  Names(2);
  Run();
  EXPECT_EQ((TLabels{"D r1", "D r2"}), Labels(1));
}

TEST_F(BandKinds, ATwoPassReportKnowsItsLastPageByTheCount) {
  Add<TppHeaderBand>("H")->SetPrintOnLastPage(false);
  Detail();
  Add<TppFooterBand>("F")->SetPrintOnLastPage(false);
  Names(9);
  Report->SetPassSetting(psTwoPass);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ("H", Labels(1).front());
  EXPECT_EQ("F", Labels(1).back());
  EXPECT_EQ((TLabels{"D r7", "D r8", "D r9"}), Labels(2));
}

TEST_F(BandKinds, TitleAndSummaryTakePagesOfTheirOwnWhenAsked) {
  auto* T = Add<TppTitleBand>("T");
  Add<TppHeaderBand>("H");
  Detail();
  auto* S = Add<TppSummaryBand>("S");
  Names(3);
  T->SetNewPage(true);
  S->SetNewPage(true);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"T", 10}}), Page(1));  // the title ends its page at once
  EXPECT_EQ((TTexts{{"H", 10}, {"D r1", 20}, {"D r2", 30}, {"D r3", 40}}), Page(2));
  // On its second offer the summary prints at the top of the free space.
  EXPECT_EQ((TTexts{{"H", 10}, {"S", 20}}), Page(3));
  ExpectSinglePagesAlike();
  // An invisible title takes no page.
  T->SetVisible(false);
  S->SetNewPage(false);
  Run();
  ASSERT_EQ(1u, Report->Pages.size());
  EXPECT_EQ((TLabels{"H", "D r1", "D r2", "D r3", "S"}), Labels(1));
}

TEST_F(BandKinds, SettingsOfABandWithoutAReportHaveNoEffect) {
  TppHeaderBand H(nullptr);
  TppTitleBand T(nullptr);
  H.SetPrintOnFirstPage(false);
  H.SetPrintOnLastPage(false);
  T.SetNewPage(true);
  EXPECT_TRUE(H.PrintOnFirstPage());
  EXPECT_TRUE(H.PrintOnLastPage());
  EXPECT_FALSE(T.NewPage());
  TppFooterBand F(nullptr);
  TppColumnFooterBand CF(nullptr);
  F.SetPrintHeight(phDynamic);
  CF.SetPrintHeight(phDynamic);
  EXPECT_EQ(phStatic, F.PrintHeight());
  EXPECT_EQ(phStatic, CF.PrintHeight());
}

TEST_F(BandKinds, KindsSortInPrintOrder) {
  Rows({{"a", "A"}});
  auto* G0 = Group("Grp", "O");
  auto* G1 = Group("Name", "I");
  const std::vector<std::pair<TppBand*, std::string>> Cases = {
      {Add<TppTitleBand>("T"), "       1"},
      {Add<TppHeaderBand>("H"), "       2"},
      {Add<TppColumnHeaderBand>("CH"), "       3"},
      {G0->HeaderBand(), "       4       0"},
      {G1->HeaderBand(), "       4       1"},
      {Detail(), "       5"},
      {G1->FooterBand(), "       699999997"},
      {G0->FooterBand(), "       699999998"},
      {Add<TppColumnFooterBand>("CF"), "       7"},
      {Add<TppFooterBand>("F"), "       8"},
      {Add<TppSummaryBand>("S"), "       9"},
  };
  for (auto& [Band, Key] : Cases) EXPECT_EQ(Key, Band->GetBandSortKey()) << Band->ClassName();
  EXPECT_EQ(0, TppColumnHeaderBand(nullptr).mmHeight());
  EXPECT_EQ(0, TppGroupFooterBand(nullptr).mmHeight());
  EXPECT_EQ(13229, TppTitleBand(nullptr).mmHeight());
}

// ---- column bands

TEST_F(BandKinds, ColumnsDownThePagePrintTheirHeadersAndFootersInEachColumn) {
  Report->SetColumns(2);
  Report->SetmmColumnWidth(40 * mm);
  Add<TppHeaderBand>("H");
  Add<TppColumnHeaderBand>("CH");
  Detail();
  Add<TppColumnFooterBand>("CF");
  Add<TppSummaryBand>("S");
  Add<TppFooterBand>("F");
  Names(9);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  // Body 20..60 in each column, the column footer above the page footer's room.
  EXPECT_EQ((TTexts{{"H", 10},     {"CH", 20},    {"D r1", 30}, {"D r2", 40}, {"D r3", 50}, {"D r4", 60},
                    {"CF", 70},    {"CH", 20},    {"D r5", 30}, {"D r6", 40}, {"D r7", 50}, {"D r8", 60},
                    {"CF", 70},    {"F", 80}}),
            Page(1));
  std::vector<int32_t> Lefts;
  for (int I = 0; I < Report->Pages[1]->GetDrawCommandCount(); ++I)
    if (auto* T = dynamic_cast<TppDrawText*>(Report->Pages[1]->GetDrawCommand(I)); T && T->Text().rfind("C", 0) == 0)
      Lefts.push_back(T->Left());
  EXPECT_EQ((std::vector<int32_t>{10 * mm, 10 * mm, 50 * mm, 50 * mm}), Lefts);
  // The last column holds the summary; it never starts in a later column.
  EXPECT_EQ((TTexts{{"H", 10}, {"CH", 20}, {"D r9", 30}, {"S", 40}, {"CF", 70}, {"F", 80}}), Page(2));
  ExpectSinglePagesAlike();
}

TEST_F(BandKinds, OneColumnPrintsNoColumnBandsButKeepsTheFootersRoom) {
  Add<TppColumnHeaderBand>("CH");
  Detail();
  Add<TppColumnFooterBand>("CF", 20 * mm);
  Names(7);
  Run();
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TLabels{"D r1", "D r2", "D r3", "D r4", "D r5", "D r6"}), Labels(1));
}

TEST_F(BandKinds, AColumnFooterFiresEveryEventButAfterGenerate) {
  Report->SetColumns(2);
  Detail();
  auto* CF = Add<TppColumnFooterBand>("CF");
  Names(1);
  std::vector<std::string> Fired;
  CF->BeforePrint = [&](TObject*) { Fired.push_back("BeforePrint"); };
  CF->BeforeGenerate = [&](TObject*) { Fired.push_back("BeforeGenerate"); };
  CF->AfterGenerate = [&](TObject*) { Fired.push_back("AfterGenerate"); };
  CF->AfterPrint = [&](TObject*) { Fired.push_back("AfterPrint"); };
  Run();
  ASSERT_FALSE(Fired.empty());
  EXPECT_EQ((std::vector<std::string>{"BeforePrint", "BeforeGenerate", "AfterPrint"}),
            std::vector<std::string>(Fired.begin(), Fired.begin() + 3));
  EXPECT_EQ(0, std::count(Fired.begin(), Fired.end(), "AfterGenerate"));
}

}  // namespace
}  // namespace bandkindstest
