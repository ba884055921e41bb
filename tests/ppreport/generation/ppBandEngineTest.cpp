// The detail band's engines: records down the page or across the columns of a row with their column
// headers and footers, column positions, the fixed print position of the first detail band of a
// page, and the band state a page record brings back.
#include <gtest/gtest.h>

#include <memory>

#include "ppreport/core/ppCache.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "ppreport/core/ppLanguage.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"

using namespace ppbandtest;

namespace {

class DetailEngines : public ::testing::Test {
protected:
  std::unique_ptr<TppDataPipeline> Pipeline = std::make_unique<TppDataSetPipeline>(nullptr);
  std::unique_ptr<TBandTestReport> Report = std::make_unique<TBandTestReport>(nullptr);
  TBandTestEngine& Engine = *Report->TestEngine;

  void SetUp() override { Report->SetDataPipeline(Pipeline.get()); }
  void TearDown() override { Report->SetDataPipeline(nullptr); }

  // Columns across: a column header and footer of 5 mm, the detail of DetailHeight.
  TppDetailBand* Across(int Columns, int32_t DetailHeight) {
    Report->SetColumns(Columns);
    Report->SetmmColumnWidth(20 * mm);
    AddBox(*AddBand(*Report, 5 * mm, btColumnHeader), "CH", 0, 5 * mm);
    AddBox(*AddBand(*Report, 5 * mm, btColumnFooter), "CF", 0, 5 * mm);
    auto* D = AddBand<TppDetailBand>(*Report, DetailHeight);
    AddBox(*D, "D", 0, DetailHeight);
    D->SetColumnTraversal(ctLeftToRight);
    Engine.PageConditions = pcHeader | pcFooter | pcGroupHeader;  // the column bands are the band engine's
    return D;
  }
  std::vector<TDrawn> Labelled(int Page, const std::string& Label) const {
    std::vector<TDrawn> V;
    for (const TDrawn& D : Engine.Pages.at(Page - 1))
      if (D.Label == Label) V.push_back(D);
    return V;
  }
};

}  // namespace

// Three columns and seven records: rows of 3, 3 and 1; every column has its header above its first
// record and its footer at the end of the page, the two the last row left empty included.
TEST_F(DetailEngines, RecordsAcrossTheColumns) {
  TppDetailBand* D = Across(3, 10 * mm);
  Engine.Records = 7;
  Engine.Run();
  ASSERT_NE(nullptr, dynamic_cast<TppHorizontalBandEngine*>(D->BandEngine()));
  ASSERT_EQ(1u, Engine.Pages.size());
  std::vector<TDrawn> Details, Headers, Footers;
  for (int R = 0; R < 7; ++R) Details.push_back({"D", 10 * mm + (R % 3) * 20 * mm, 15 * mm + (R / 3) * 10 * mm});
  for (int C = 0; C < 3; ++C) {
    Headers.push_back({"CH", 10 * mm + C * 20 * mm, 10 * mm});
    Footers.push_back({"CF", 10 * mm + C * 20 * mm, 45 * mm});
  }
  EXPECT_EQ(Details, Labelled(1, "D"));
  EXPECT_EQ(Headers, Labelled(1, "CH"));
  EXPECT_EQ(Footers, Labelled(1, "CF"));
  EXPECT_EQ(0, Engine.PrintCondition() & (pcColumnHeader | pcColumnFooter));
}

// Rows of 20 mm: three rows a page; each page has one header and one footer per column.
TEST_F(DetailEngines, ColumnsAcrossOverPages) {
  Across(3, 20 * mm);
  Engine.Records = 14;
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  EXPECT_EQ(9u, Labelled(1, "D").size());
  EXPECT_EQ(5u, Labelled(2, "D").size());
  for (int P = 1; P <= 2; ++P) {
    EXPECT_EQ(3u, Labelled(P, "CH").size()) << P;
    EXPECT_EQ(3u, Labelled(P, "CF").size()) << P;
  }
  EXPECT_EQ(15 * mm, Labelled(2, "D").front().Top);
  EXPECT_EQ(14, Engine.Record);
}

TEST_F(DetailEngines, OneColumnRunsDown) {
  TppDetailBand* D = Across(1, 10 * mm);
  D->Init();
  EXPECT_NE(nullptr, dynamic_cast<TppVerticalBandEngine*>(D->BandEngine()));
  D->SetColumnTraversal(ctTopToBottom);
  Report->SetColumns(3);
  D->Init();
  EXPECT_NE(nullptr, dynamic_cast<TppVerticalBandEngine*>(D->BandEngine()));
}

// Column positions (stored in microns) place the columns; a column without a position or with one that is not a number
// is a report error, raised once, whose text ends in one period.
TEST_F(DetailEngines, ColumnPositions) {
  struct Case {
    std::vector<std::string> Positions;
    std::string Error;
    std::vector<int32_t> Lefts;
  } Cases[] = {
      {{"12700", "38100", "63500"}, "", {12700, 38100, 63500}},
      {{"12700", "38100"}, FormatLanguageString(43, {std::string("3")}), {}},
      {{"12700", "x", "63500"}, FormatLanguageString(42, {std::string("2")}), {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Error);
    Report = std::make_unique<TBandTestReport>(nullptr);
    Report->SetDataPipeline(Pipeline.get());
    TBandTestEngine& E = *Report->TestEngine;
    Report->SetColumns(3);
    // As a stored report holds them (microns, read as they stand).
    TStringList Stored;
    for (const std::string& P : C.Positions) Stored.Add(P);
    Report->SetState(csReading, true);
    Report->SetColumnPositions(&Stored);
    Report->SetState(csReading, false);
    auto* D = AddBand<TppDetailBand>(*Report, 10 * mm);
    AddBox(*D, "D", 0, 10 * mm);
    D->SetColumnTraversal(ctLeftToRight);
    E.Records = 3;
    int Raised = 0;
    try {
      E.Run();
    } catch (const EPrintError& X) {
      ++Raised;
      const std::string M = X.Message();
      EXPECT_EQ(0u, M.find(LanguageString(1023))) << M;
      ASSERT_GE(M.size(), C.Error.size());
      EXPECT_EQ(C.Error, M.substr(M.size() - C.Error.size())) << M;
    }
    EXPECT_EQ(C.Error.empty() ? 0 : 1, Raised);
    if (!C.Lefts.empty()) {
      std::vector<int32_t> Lefts;
      for (const TDrawn& X : E.Pages.at(0)) Lefts.push_back(X.Left);
      EXPECT_EQ(C.Lefts, Lefts);
    }
    Report->SetDataPipeline(nullptr);
  }
  EXPECT_EQ('.', FormatLanguageString(43, {std::string("3")}).back());
}

// A fixed print position places only the first detail band of each page.
TEST_F(DetailEngines, PrintPositionPlacesTheFirstDetailOfAPage) {
  auto* D = AddBand<TppDetailBand>(*Report, 10 * mm);
  AddBox(*D, "D", 0, 10 * mm);
  D->SetPrintPosition(D->FromMicrons(30 * mm, D->Units(), 1));
  Engine.Records = 10;
  Engine.Run();
  ASSERT_EQ(2u, Engine.Pages.size());
  std::vector<int32_t> Tops;
  for (int P = 1; P <= 2; ++P)
    for (const TDrawn& X : Labelled(P, "D")) Tops.push_back(X.Top);
  EXPECT_EQ((std::vector<int32_t>{30 * mm, 40 * mm, 50 * mm, 60 * mm, 70 * mm, 80 * mm, 30 * mm, 40 * mm,
                                  50 * mm, 60 * mm}),
            Tops);
}

TEST_F(DetailEngines, OnlyADetailBandHasADetailEngine) {
  auto* Title = AddBand(*Report, 10 * mm, btTitle);
  TppVerticalBandEngine E;
  try {
    E.SetBand(Title);
    FAIL() << "taken";
  } catch (const ETalvorError& X) {
    EXPECT_EQ("TppDetailBandEngine.SetBand: Band must be a TppDetailBand.", X.Message());
  }
  EXPECT_EQ(nullptr, E.Band());
}

// The resume state of a band that goes on in the next page comes back from its page record, and a
// freed band is forgotten by its engine.
TEST_F(DetailEngines, PageRecordBringsTheResumeStateBack) {
  auto* T = AddBand(*Report, 100 * mm, btTitle);
  T->SetPrintHeight(phDynamic);
  AddBox(*T, "A", 0, 10 * mm);
  AddBox(*T, "B", 75 * mm, 10 * mm);
  auto* D = AddBand<TppDetailBand>(*Report, 30 * mm);
  AddBox(*D, "D", 0, 30 * mm);
  D->SetBandsPerRecord(3);
  TppCacheManager Cache(nullptr);
  Cache.SetCacheables({T, D});
  bool Partial1 = false;
  int32_t Adjustment1 = 0;
  int Index1 = 0, PerRecord2 = 0;
  Engine.PageDone = [&](int Page) {
    Cache.SaveToCache(Page);
    if (Page == 1) {
      Partial1 = T->GetPartialGeneration();
      Adjustment1 = T->GetPartialAdjustment();
      Index1 = T->GetObjectIndex();
    }
    if (Page == 2) PerRecord2 = D->BandsPerRecordCount();
  };
  Engine.Records = 2;
  Engine.Run();
  ASSERT_EQ(4u, Engine.Pages.size());
  EXPECT_TRUE(Partial1);
  EXPECT_EQ(75 * mm, Adjustment1);
  EXPECT_EQ(1, Index1);
  EXPECT_EQ(3, PerRecord2);
  ASSERT_FALSE(T->GetPartialGeneration());

  Cache.RestoreFromCache(1);
  EXPECT_TRUE(T->GetPartialGeneration());
  EXPECT_EQ(Adjustment1, T->GetPartialAdjustment());
  EXPECT_EQ(Index1, T->GetObjectIndex());
  Cache.RestoreFromCache(2);
  EXPECT_FALSE(T->GetPartialGeneration());
  EXPECT_EQ(PerRecord2, D->BandsPerRecordCount());

  TppDetailBandEngine* BandEngine = D->BandEngine();
  Cache.FreeCache();
  TppVerticalBandEngine Other;
  auto* Detail2 = AddBand<TppDetailBand>(*Report, 10 * mm);
  Other.SetBand(Detail2);
  delete Detail2;
  EXPECT_EQ(nullptr, Other.Band());
  EXPECT_EQ(D, BandEngine->Band());
}
