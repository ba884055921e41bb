// The banded report: bands it makes for itself, pages through its publisher to a device, the page
// requests it serves with its engine and cache.
#include "tests/ppreport/generation/ppReportTestSupport.h"

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
