// The page style on the real engine: drawn first at the top margin, under the rest of the page,
// on the pages its setting chooses, taking no room from the body.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppPageStyle.h"
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

namespace bandkindstest {
namespace {

class PageStyles : public BandKinds {
protected:
  TppPageStyle* Style = nullptr;
  // A header, 15 records over three pages (seven a page) and a footer; the style of Height.
  void Build(int32_t Height = 30 * mm) {
    Add<TppHeaderBand>("H");
    Detail();
    Add<TppFooterBand>("F");
    Names(15);
    Style = Add<TppPageStyle>("Style", Height);
  }
  std::set<int> StyledPages() {
    std::set<int> Pages;
    for (auto& [No, P] : Report->Pages)
      for (const std::string& L : Labels(No))
        if (L == "Style") Pages.insert(No);
    return Pages;
  }
};

}  // namespace

// Drawn first on every page at the top margin, even when taller than the body; the header and
// the body print over it exactly where they print without it.
TEST_F(PageStyles, DrawnFirstUnderEverythingTakingNoBodySpace) {
  Build();
  Style->SetVisible(false);
  Run();
  std::map<int, TTexts> Without;
  for (auto& [No, P] : Report->Pages) Without[No] = Page(No);
  for (int32_t Height : {30 * mm, 85 * mm}) {
    SCOPED_TRACE(Height);
    Style->ChangeHeight(Height);
    Style->SetVisible(true);
    Run();
    ASSERT_EQ(3u, Report->Pages.size());
    for (auto& [No, P] : Report->Pages) {
      TTexts Texts = Page(No);
      ASSERT_FALSE(Texts.empty());
      EXPECT_EQ((std::pair<std::string, int32_t>{"Style", 10}), Texts.front()) << "page " << No;
      Texts.erase(Texts.begin());
      EXPECT_EQ(Without[No], Texts) << "page " << No;
    }
    ExpectSinglePagesAlike();
  }
}

// Only the pages the setting chooses get the style.
TEST_F(PageStyles, PrintsOnTheChosenPagesOnly) {
  Build();
  struct Case {
    const char* Name;
    std::function<void()> Set;
    std::set<int> Pages;
  };
  const Case Cases[] = {
      {"first", [&] { Style->SetPageSetting(psFirstPage); }, {1}},
      {"single", [&] { Style->SetSinglePage(2), Style->SetPageSetting(psSinglePage); }, {2}},
      {"list", [&] { Style->SetValidPages("1,3"); }, {1, 3}},
      {"range open", [&] { Style->SetStartPage(2), Style->SetEndPage(0), Style->SetPageSetting(psPageRange); }, {2, 3}},
      {"range closed", [&] { Style->SetStartPage(2), Style->SetEndPage(2), Style->SetPageSetting(psPageRange); }, {2}},
      {"last, two passes", [&] { Report->SetPassSetting(psTwoPass), Style->SetPageSetting(psLastPage); }, {3}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    C.Set();
    Run();
    EXPECT_EQ(C.Pages, StyledPages());
    ExpectSinglePagesAlike();
  }
}

// One pass learns the last page only at its end: the style appears on the last page once that
// page is generated again.
TEST_F(PageStyles, LastPageOfOnePassOnlyWhenGeneratedAgain) {
  Build();
  Style->SetPageSetting(psLastPage);
  Run();
  EXPECT_EQ(std::set<int>{}, StyledPages());
  Report->Pages.clear();
  Report->Request(psSinglePage, 3);
  EXPECT_EQ(std::set<int>{3}, StyledPages());
}

// The typed list becomes sorted pages without repeats, and the setting follows; while the report
// prints, no setting changes.
TEST_F(PageStyles, ValidPagesAndChangesWhilePrinting) {
  Build();
  Style->SetValidPages("1,3,5-7");
  EXPECT_EQ(psPageList, Style->PageSetting());
  EXPECT_EQ("       1\r\n       3\r\n       5\r\n       6\r\n       7\r\n", Style->PageList()->Text());
  Style->SetValidPages("3,1,3");
  EXPECT_EQ("       1\r\n       3\r\n", Style->PageList()->Text());

  Style->SetPageSetting(psAll);
  TppCustomEngine* E = Report->Engine();
  auto Cached = E->OnPageStart;
  E->OnPageStart = [&](TObject* Sender) {
    Cached(Sender);
    Style->SetPageSetting(psFirstPage);
    Style->SetValidPages("2");
    Style->SetSinglePage(3);
  };
  Run();
  EXPECT_EQ((std::set<int>{1, 2, 3}), StyledPages());
  EXPECT_EQ(psAll, Style->PageSetting());
  EXPECT_EQ("3,1,3", Style->ValidPages());
  EXPECT_EQ(0, Style->SinglePage());
}

}  // namespace bandkindstest
