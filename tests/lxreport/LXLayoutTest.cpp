// Page and column layout of a run, shown as the places where each band printed: forced breaks,
// bottom-aligned summaries, full-width bands after columns, reprinted group headers, linked bands.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lxreport/LXController.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/graphics/Metafile.h"
#include "tests/lxreport/LXEngineTestSupport.h"

using namespace lxtest;

namespace {
using TLines = std::vector<std::string>;

struct TLayoutCase {
  const char* Name;
  std::function<void(TEngineScope&)> Build;
  TLines Expected;
};

// Each case on a fresh A4 report with 10 mm margins (lengths in tenths of a millimetre).
void RunCases(const std::vector<TLayoutCase>& Cases) {
  for (const TLayoutCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TEngineScope S;
    C.Build(S);
    S.Report->Prepare();
    EXPECT_EQ(S.Log, C.Expected);
  }
}

TVexaRep* Rep(TEngineScope& S) { return static_cast<TVexaRep*>(S.Report.get()); }
}  // namespace

TEST(LXLayoutTest, OnlyTheBandRightAfterTheTitleOrColumnHeaderAbsorbsAForcedPageBreak) {
  RunCases({
      {"a summary that forces a new page, records after the title",
       [](TEngineScope& S) {
         S.Band(rbTitle, 200, "T");
         S.Band(rbDetail, 300, "D");
         S.Band(rbSummary, 100, "S")->SetForceNewPage(true);
         S.Records(2);
       },
       {"T p1 100,100", "D p1 100,300", "D p1 100,600", "S p2 100,100"}},
      {"a break asked for in BeforePrint of the third record",
       [](TEngineScope& S) {
         S.Band(rbTitle, 200, "T");
         TLXBand* D = S.Band(rbDetail, 300, "D");
         D->BeforePrint = [&S, D](TLXCustomBand*, bool&) { D->SetForceNewPage(S.Record == 3); };
         S.Records(3);
       },
       {"T p1 100,100", "D p1 100,300", "D p1 100,600", "D p2 100,100"}},
      {"the first detail after the column header stays, the second breaks",
       [](TEngineScope& S) {
         S.Band(rbTitle, 200, "T");
         S.Band(rbColumnHeader, 50, "CH");
         S.Band(rbDetail, 300, "D")->SetForceNewPage(true);
         S.Records(2);
       },
       {"T p1 100,100", "CH p1 100,300", "D p1 100,350", "CH p2 100,100", "D p2 100,150"}},
  });
}

namespace {
// Two details of 1300 end at 2700; a page footer of 150 sits at 2970 - 100 - 150 = 2720.
void TwoTallDetails(TEngineScope& S, uint32_t Options, long double Summary) {
  S.Report->SetOptions(Options);
  S.Band(rbDetail, 1300, "D");
  S.Band(rbPageFooter, 150, "PF");
  S.Band(rbSummary, Summary, "S")->SetAlignToBottom(true);
  S.Records(2);
}

// A landscape page 2970 wide and 2100 long, two details of 800, a footer of 100 and a
// bottom-aligned summary of 200: the summary sits at 2100 - 100 - 100 - 200.
void Landscape(TEngineScope& S, bool Custom) {
  TLXPage* P = S.Report->Page();
  if (Custom) {
    P->SetPaperSize(TLXPaperSize::Custom);
    P->SetOrientation(poLandscape);
    P->SetWidth(2970);
    P->SetPageLength(2100);
  } else {
    P->SetPaperSize(TLXPaperSize::A4);
    P->SetOrientation(poLandscape);
  }
  S.Band(rbDetail, 800, "D");
  S.Band(rbPageFooter, 100, "PF");
  S.Band(rbSummary, 200, "S")->SetAlignToBottom(true);
  S.Records(2);
}
}  // namespace

TEST(LXLayoutTest, ABottomAlignedSummarySitsAtTheBottomOfThePageItLandsOn) {
  const uint32_t NoLastFooter = LXOption(FirstPageHeader);
  RunCases({
      {"no room without the last page's footer: next page, bottom margin; the footer stays in place",
       [&](TEngineScope& S) { TwoTallDetails(S, NoLastFooter, 200); },
       {"D p1 100,100", "D p1 100,1400", "PF p1 100,2720", "S p2 100,2670"}},
      {"no room above the footer: next page, above its footer",
       [](TEngineScope& S) { TwoTallDetails(S, LXOption(FirstPageHeader) | LXOption(LastPageFooter), 200); },
       {"D p1 100,100", "D p1 100,1400", "PF p1 100,2720", "S p2 100,2520", "PF p2 100,2720"}},
      {"room only where the last page's footer would be: same page, bottom margin",
       [&](TEngineScope& S) { TwoTallDetails(S, NoLastFooter, 150); },
       {"D p1 100,100", "D p1 100,1400", "S p1 100,2720"}},
      {"landscape A4", [](TEngineScope& S) { Landscape(S, false); },
       {"D p1 100,100", "D p1 100,900", "S p1 100,1700", "PF p1 100,1900"}},
      {"landscape custom paper", [](TEngineScope& S) { Landscape(S, true); },
       {"D p1 100,100", "D p1 100,900", "S p1 100,1700", "PF p1 100,1900"}},
  });
}

TEST(LXLayoutTest, ALandscapeCustomPaperMakesLandscapePages) {
  TEngineScope S;
  Landscape(S, true);
  S.Report->Prepare();
  std::unique_ptr<TMetafile> Page = S.Report->ActivePrinter()->GetPage(1);
  ASSERT_NE(Page, nullptr);
  EXPECT_GT(Page->Width(), Page->Height());
  EXPECT_EQ(S.Report->Page()->Width(), 2970);  // the report's own page is left as it was
  EXPECT_EQ(S.Report->Page()->Length(), 2100);
}

namespace {
// Two columns 925 wide, 50 apart; a title of 200, details of 500 and a page footer of 100: four
// details fill column 1 (300 to 2300), the fifth starts column 2 at x 1075.
void TwoColumns(TEngineScope& S, int Records) {
  S.Report->Page()->SetColumns(2);
  S.Report->Page()->SetColumnSpace(50);
  S.Band(rbTitle, 200, "T");
  S.Band(rbDetail, 500, "D");
  S.Band(rbPageFooter, 100, "PF");
  S.Records(Records);
}
}  // namespace

TEST(LXLayoutTest, FullWidthBandsAfterColumnsStartAtTheLeftMarginBelowTheColumns) {
  const TLines FiveDetails = {"T p1 100,100",  "D p1 100,300",  "D p1 100,800", "D p1 100,1300",
                              "D p1 100,1800", "D p1 1075,300"};
  auto With = [](TLines L, const TLines& More) {
    L.insert(L.end(), More.begin(), More.end());
    return L;
  };
  RunCases({
      {"a summary after a detail in column 2",
       [](TEngineScope& S) {
         TwoColumns(S, 5);
         S.Band(rbSummary, 100, "S");
       },
       With(FiveDetails, {"S p1 100,2300", "PF p1 100,2770"})},
      {"a group footer stays in its column, the summary goes below both columns",
       [](TEngineScope& S) {
         Rep(S)->SetDataSet(Places(&S.Form, std::vector<std::pair<std::string, std::string>>(5, {"BR", "Natal"})));
         TwoColumns(S, 0);
         auto* G = S.Band<TLXGroup>(rbGroupHeader, 100, "GH");
         G->SetExpression("Country");
         G->SetFooterBand(S.Band(rbGroupFooter, 100, "GF"));
         S.Band(rbSummary, 100, "S");
       },
       {"T p1 100,100", "GH p1 100,300", "D p1 100,400", "D p1 100,900", "D p1 100,1400", "D p1 100,1900",
        "D p1 1075,300", "GF p1 1075,800", "S p1 100,2400", "PF p1 100,2770"}},
      {"a bottom-aligned summary after a detail in column 2",
       [](TEngineScope& S) {
         TwoColumns(S, 5);
         S.Band(rbSummary, 100, "S")->SetAlignToBottom(true);
       },
       With(FiveDetails, {"S p1 100,2670", "PF p1 100,2770"})},
      {"a summary with no room below column 1 starts a page, not column 2",
       [](TEngineScope& S) {
         TwoColumns(S, 4);
         S.Band(rbSummary, 500, "S");
       },
       {"T p1 100,100", "D p1 100,300", "D p1 100,800", "D p1 100,1300", "D p1 100,1800", "PF p1 100,2770",
        "S p2 100,100", "PF p2 100,2770"}},
  });
}

namespace {
// Country (reprinted on a new page) and Town groups of 100 over details of 500, no footers.
void CountryAndTown(TEngineScope& S, int Paris) {
  std::vector<std::pair<std::string, std::string>> Rows(Paris, {"FR", "Paris"});
  Rows.push_back({"FR", "Lyon"});
  Rep(S)->SetDataSet(Places(&S.Form, Rows));
  auto* Country = S.Band<TLXGroup>(rbGroupHeader, 100, "GC");
  auto* Town = S.Band<TLXGroup>(rbGroupHeader, 100, "GT");
  Country->SetExpression("Country");
  Country->SetReprintOnNewPage(true);
  Town->SetExpression("Town");
  S.Band(rbDetail, 500, "D");
  for (TLXCustomBand* B : S.Report->BandList())
    S.ProbeOf(B)->Extra = [&S] { return " " + Rep(S)->DataSet()->FieldByName("Town")->AsString(); };
}
}  // namespace

TEST(LXLayoutTest, OpenOuterGroupsAreReprintedAboveANewInnerGroupThatStartsAPage) {
  RunCases({
      {"the new inner header does not fit", [](TEngineScope& S) { CountryAndTown(S, 5); },
       {"GC p1 100,100 Paris", "GT p1 100,200 Paris", "D p1 100,300 Paris", "D p1 100,800 Paris",
        "D p1 100,1300 Paris", "D p1 100,1800 Paris", "D p1 100,2300 Paris", "GC p2 100,100 Lyon",
        "GT p2 100,200 Lyon", "D p2 100,300 Lyon"}},
      {"the new inner group's first detail does not fit", [](TEngineScope& S) { CountryAndTown(S, 4); },
       {"GC p1 100,100 Paris", "GT p1 100,200 Paris", "D p1 100,300 Paris", "D p1 100,800 Paris",
        "D p1 100,1300 Paris", "D p1 100,1800 Paris", "GT p1 100,2300 Lyon", "GC p2 100,100 Lyon",
        "GT p2 100,200 Lyon", "D p2 100,300 Lyon"}},
  });
}

namespace {
// A town header of 100 linked to its detail: four records of A, then one of B.
void LinkedHeader(TEngineScope& S, long double Detail) {
  std::vector<std::pair<std::string, std::string>> Rows(4, {"X", "A"});
  Rows.push_back({"X", "B"});
  Rep(S)->SetDataSet(Places(&S.Form, Rows));
  auto* Town = S.Band<TLXGroup>(rbGroupHeader, 100, "GT");
  Town->SetExpression("Town");
  Town->SetLinkBand(S.Band(rbDetail, Detail, "D"));
}
}  // namespace

TEST(LXLayoutTest, AHeaderLinkedToItsDetailMovesOnlyWhenBothDoNotFit) {
  RunCases({
      {"600 in the 670 left", [](TEngineScope& S) { LinkedHeader(S, 500); },
       {"GT p1 100,100", "D p1 100,200", "D p1 100,700", "D p1 100,1200", "D p1 100,1700", "GT p1 100,2200",
        "D p1 100,2300"}},
      {"620 in the 590 left", [](TEngineScope& S) { LinkedHeader(S, 520); },
       {"GT p1 100,100", "D p1 100,200", "D p1 100,720", "D p1 100,1240", "D p1 100,1760", "GT p2 100,100",
        "D p2 100,200"}},
  });
}
