// Group header and footer bands on the real engine: breaks, reprints on later pages, thresholds,
// orphaned footers; and the detail band's own settings and pipeline.
#include "tests/ppreport/generation/ppBandKindsTestSupport.h"

#include "ppreport/generation/ppBandEngine.h"

namespace bandkindstest {
namespace {

class GroupBands : public BandKinds {
protected:
  // Names r1... in the groups given, one letter a record.
  void Grouped(const std::string& Groups) {
    std::vector<std::pair<std::string, std::string>> R;
    for (size_t I = 0; I < Groups.size(); ++I) R.emplace_back("r" + std::to_string(I + 1), std::string(1, Groups[I]));
    Rows(R);
  }
};

TEST_F(GroupBands, BreaksPrintFootersAndHeadersBetweenTheRecords) {
  Grouped("AAB");
  Detail();
  Group("Grp", "G");
  Add<TppSummaryBand>("S");
  Run();
  ASSERT_EQ(1u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"GH A", 10}, {"D r1", 20}, {"D r2", 30}, {"GF", 40}, {"GH B", 50}, {"D r3", 60}, {"GF", 70},
                    {"S", 80}}),
            Page(1));
}

TEST_F(GroupBands, AnOrphanedFooterGetsTheHeadersAboveItAsItsGroupAsks) {
  Grouped("AAABBC");
  Detail();
  TppGroup* G = Group("Grp", "G");
  Run();
  EXPECT_EQ((TLabels{"GH A", "D r1", "D r2", "D r3", "GF", "GH B", "D r4", "D r5"}), Labels(1));
  EXPECT_EQ((TLabels{"GH B", "GF", "GH C", "D r6", "GF"}), Labels(2));
  ExpectSinglePagesAlike();
  G->SetHeaderForOrphanedFooter(false);
  Run();
  EXPECT_EQ((TLabels{"GF", "GH C", "D r6", "GF"}), Labels(2));
}

TEST_F(GroupBands, AReprintingHeaderTopsEveryLaterPageOfItsGroupWithoutANewBreak) {
  Grouped("AAAAAAAAAAB");
  Add<TppHeaderBand>("H");
  Detail();
  TppGroup* G = Group("Grp", "G");
  G->SetReprintOnSubsequentPage(true);
  int Breaks = 0;
  G->BeforeGroupBreak = [&](TObject*) { ++Breaks; };
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"H", 10}, {"GH A", 20}, {"D r1", 30}, {"D r2", 40}, {"D r3", 50}, {"D r4", 60}, {"D r5", 70},
                    {"D r6", 80}}),
            Page(1));
  EXPECT_EQ((TTexts{{"H", 10}, {"GH A", 20}, {"D r7", 30}, {"D r8", 40}, {"D r9", 50}, {"D r10", 60}, {"GF", 70},
                    {"GH B", 80}}),
            Page(2));
  // B's header had no record below it: it prints again above its first record.
  EXPECT_EQ((TTexts{{"H", 10}, {"GH B", 20}, {"D r11", 30}, {"GF", 40}}), Page(3));
  EXPECT_EQ(2, G->FirstPageNo());  // B began on page 2; the reprint is no new break
  EXPECT_EQ(1, Breaks);  // B's only: the first break starts with the report, the reprint is none
  ExpectSinglePagesAlike();
}

TEST_F(GroupBands, NewPageGroupsStartEachLaterBreakOnAPageOfItsOwn) {
  Grouped("AABC");
  Add<TppTitleBand>("T");
  Detail();
  Group("Grp", "G")->SetNewPage(true);
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  // The first break takes no page break, even below a title.
  EXPECT_EQ((TLabels{"T", "GH A", "D r1", "D r2", "GF"}), Labels(1));
  EXPECT_EQ((TLabels{"GH B", "D r3", "GF"}), Labels(2));
  EXPECT_EQ((TLabels{"GH C", "D r4", "GF"}), Labels(3));
  ExpectSinglePagesAlike();
}

TEST_F(GroupBands, AThresholdBreaksOnlyWhenTheFreeSpaceIsBelowIt) {
  // After A's header, two records and its footer, B's header starts at 50 mm: 40 mm are free.
  struct TCase {
    float Threshold;
    size_t Pages;
  };
  Report->SetUnits(utMMThousandths);
  for (const TCase C : {TCase{40000, 1}, TCase{40001, 2}, TCase{0, 1}}) {
    SCOPED_TRACE(C.Threshold);
    Grouped("AAB");
    Detail();
    Group("Grp", "G")->SetNewPageThreshold(C.Threshold);
    Run();
    EXPECT_EQ(C.Pages, Report->Pages.size());
    EXPECT_EQ("GH B", Labels(static_cast<int>(C.Pages)).at(C.Pages == 1 ? 4 : 0));
    delete Report->GetGroup(0);
    delete Report->GetDetailBand();
  }
}

TEST_F(GroupBands, NoGroupHeaderPrintsBesideATitleOnItsOwnPageAndEveryFooterClosesTheReport) {
  Grouped("AB");
  Add<TppTitleBand>("T")->SetNewPage(true);
  Detail();
  Group("Grp", "O");
  Group("Name", "I");
  Run();
  ASSERT_EQ(3u, Report->Pages.size());
  EXPECT_EQ((TLabels{"T"}), Labels(1));
  EXPECT_EQ((TLabels{"OH A", "IH r1", "D r1", "IF", "OF", "OH B", "IH r2", "D r2"}), Labels(2));
  // Footers without room go on with the headers of their groups above them.
  EXPECT_EQ((TLabels{"OH B", "IH r2", "IF", "OF"}), Labels(3));
  ExpectSinglePagesAlike();
}

TEST_F(GroupBands, InOneColumnNewColumnAndItsThresholdDoNothing) {
  Grouped("AAB");
  Detail();
  TppGroup* G = Group("Grp", "G");
  G->SetNewColumn(true);
  G->SetNewColumnThreshold(70);
  Run();
  EXPECT_EQ(1u, Report->Pages.size());
}

TEST_F(GroupBands, CaptionsNameTheGroupAndItsBreak) {
  Grouped("A");
  TppGroup* G = Group("Grp", "G");
  auto* H = static_cast<TppGroupHeaderBand*>(G->HeaderBand());
  G->SetReprintOnSubsequentPage(false);
  G->SetReprintOnSubsequentColumn(false);
  EXPECT_NE(std::string::npos, H->GetDefaultCaption().find("[0]: "));
  EXPECT_EQ(G, H->GetParentComponent());
  EXPECT_EQ(pcGroupHeader, H->GetBandTypeBits());
  G->SetReprintOnSubsequentPage(true);
  G->SetReprintOnSubsequentColumn(true);
  EXPECT_EQ(pcGroupHeader | pcHeader, H->GetBandTypeBits());
  Report->SetColumns(2);
  EXPECT_EQ(pcGroupHeader | pcHeader | pcColumnHeader, H->GetBandTypeBits());
  delete H;
  EXPECT_EQ(nullptr, G->HeaderBand());
}

// ---- the detail band

TEST_F(GroupBands, DetailSettingsKeepTheirRules) {
  TppDetailBand* D = Detail();
  EXPECT_TRUE(D->GetGenerationComplete());  // no band engine before the first run
  EXPECT_EQ(-1, D->GetObjectIndex());
  EXPECT_EQ(-1, D->GetObjectListIndex());
  EXPECT_EQ(0, D->BandsPerRecordCount());
  for (const auto& [Set, Get] : std::vector<std::pair<int, int>>{{0, 1}, {-3, 1}, {1, 1}, {4, 4}}) {
    D->SetBandsPerRecord(Set);
    EXPECT_EQ(Get, D->BandsPerRecord()) << Set;
  }
  D->SetPrintHeight(phDynamic);
  D->SetColumnTraversal(ctLeftToRight);
  EXPECT_EQ(phStatic, D->PrintHeight());
  D->SetPrintHeight(phDynamic);
  EXPECT_EQ(phStatic, D->PrintHeight());
  // Across with one column is down the page.
  D->Init();
  EXPECT_NE(nullptr, dynamic_cast<TppVerticalBandEngine*>(D->BandEngine()));
  Report->SetColumns(2);
  D->Init();
  EXPECT_NE(nullptr, dynamic_cast<TppHorizontalBandEngine*>(D->BandEngine()));
}

// A label that reads a field of a pipeline.
class TFieldLabel : public TLabel {
public:
  using TLabel::TLabel;
  bool IsDataAware() const override { return true; }
};

TEST_F(GroupBands, TheDetailsOwnPipelineTakesTheObjectsThatCanUseIt) {
  Names(2);
  TppDataSetPipeline* Master = static_cast<TppDataSetPipeline*>(Report->DataPipeline());
  TppDetailBand* D = Detail();
  TppDataSetPipeline* Other = MakePipeline(&Form, {{"x", "1"}});
  Other->Open();
  D->SetDataPipeline(Master);  // the report's own: no change
  EXPECT_EQ(nullptr, D->DataPipeline());
  struct TCase {
    TppDataPipeline* Before;
    std::string Field;
    bool Parent;
    TppDataPipeline* After;
  };
  const std::vector<TCase> Cases = {
      {Master, "Name", true, Other},    // it used the old one (the report's)
      {nullptr, "", true, Other},       // none, no field yet
      {nullptr, "Grp", true, Other},    // none, a field the new one has
      {nullptr, "Zzz", true, nullptr},  // none, a field the new one lacks
      {Master, "Name", false, Master},  // its own pipeline
  };
  std::vector<TFieldLabel*> Objects;
  for (const TCase& C : Cases) {
    auto* L = new TFieldLabel(&Form);
    L->SetBand(D);
    L->SetDataField(C.Field);
    L->SetParentDataPipeline(C.Parent);
    L->TppPrintable::SetDataPipeline(C.Before);
    Objects.push_back(L);
  }
  D->SetDataPipeline(Other);
  EXPECT_EQ(Other, D->GetDataPipeline());
  EXPECT_EQ(Other->Name(), D->DataPipelineName());
  for (size_t I = 0; I < Cases.size(); ++I) EXPECT_EQ(Cases[I].After, Objects[I]->GetDataPipeline()) << I;
  delete Other;
  EXPECT_EQ(nullptr, D->DataPipeline());
  EXPECT_EQ(Master, D->GetDataPipeline());
}

}  // namespace
}  // namespace bandkindstest
