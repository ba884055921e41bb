#include "lxreport/LXExport.h"

#include <gtest/gtest.h>

namespace {
class TNamedFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetFilterName() const override { return "Named"; }
  std::string GetExtension() const override { return "NAM"; }
};

class TOtherFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetFilterName() const override { return "Other"; }
  std::string GetExtension() const override { return "OTH"; }
  // Does not call the base: Active stays false.
  void Start(int, int, const TFont*) override { ++Starts; }
  int Starts = 0;
};
}  // namespace

TEST(LXExportFilterTest, BaseStartAndFinishToggleActive) {
  TLXExportFilter F("out.x");
  EXPECT_EQ(F.FileName(), "out.x");
  EXPECT_FALSE(F.Active());
  EXPECT_EQ(F.Owner(), nullptr);
  EXPECT_EQ(F.GetFilterName(), "Abstract filter");
  EXPECT_EQ(F.GetDescription(), "Abstract non-working export filter");
  EXPECT_EQ(F.GetExtension(), "");
  EXPECT_FALSE(F.GetStreaming());
  TFont Font;
  F.Start(2100, 2970, &Font);
  EXPECT_TRUE(F.Active());
  F.Finish();
  EXPECT_FALSE(F.Active());

  // A filter that skips the base Start stays inactive, so the next report of a run starts it again.
  TOtherFilter O("");
  O.Start(1, 1, &Font);
  EXPECT_FALSE(O.Active());
}

TEST(LXExportFilterTest, SaveDialogFilterListsEntriesInOrder) {
  TLXExportFilterLibrary L;
  EXPECT_EQ(L.GetSaveDialogFilter(), "VexaReport file(*.LXP)|*.LXP");
  L.AddFilter(ExportFilterClassOf<TNamedFilter>());
  L.AddFilter(ExportFilterClassOf<TOtherFilter>());
  EXPECT_EQ(L.GetSaveDialogFilter(), "VexaReport file(*.LXP)|*.LXP|Named (*.NAM)|*.NAM|Other (*.OTH)|*.OTH");
  ASSERT_EQ(L.FilterList().size(), 2u);
  EXPECT_EQ(L.FilterList()[1].ExportFilterClass, ExportFilterClassOf<TOtherFilter>());
  auto Made = L.FilterList()[0].ExportFilterClass->Create("a.nam");
  EXPECT_EQ(Made->GetFilterName(), "Named");
  EXPECT_EQ(Made->FileName(), "a.nam");
}

TEST(LXExportFilterTest, SameClassTwiceGivesTwoEntriesAndRemoveTakesOne) {
  TLXExportFilterLibrary L;
  L.AddFilter(ExportFilterClassOf<TNamedFilter>());
  L.AddFilter(ExportFilterClassOf<TOtherFilter>());
  L.AddFilter(ExportFilterClassOf<TNamedFilter>());
  L.RemoveFilter(ExportFilterClassOf<TNamedFilter>());
  ASSERT_EQ(L.FilterList().size(), 2u);
  EXPECT_EQ(L.FilterList()[0].Name, "Other");
  EXPECT_EQ(L.FilterList()[1].Name, "Named");
  // A class that is not registered removes nothing.
  L.RemoveFilter(ExportFilterClassOf<TLXExportFilter>());
  EXPECT_EQ(L.FilterList().size(), 2u);
}

TEST(LXExportFilterTest, ProgramLibraryExistsAfterStartUp) {
  ASSERT_NE(ExportFilterLibrary, nullptr);
  const size_t Before = ExportFilterLibrary->FilterList().size();
  AddExportFilter(ExportFilterClassOf<TNamedFilter>());
  EXPECT_EQ(ExportFilterLibrary->FilterList().size(), Before + 1);
  RemoveExportFilter(ExportFilterClassOf<TNamedFilter>());
  EXPECT_EQ(ExportFilterLibrary->FilterList().size(), Before);
}
