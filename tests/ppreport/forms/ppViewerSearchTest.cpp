// The page viewer searched by the full search engine, headless: find moves the viewer to the first
// page with hits, next and prior step across pages, and the hit is drawn on the viewer's page.
#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/Forms.h"
#include "ppreport/output/forms/ppViewer.h"
#include "ppreport/output/ppTextSearchRichTextEngine.h"
#include "tests/ppreport/output/ppSearchTestSupport.h"

using namespace ppsearchtest;

namespace {

TEST(ppViewerSearchTest, FindNextAndPriorAcrossPages) {
  THighlighters H;
  TSearchReport R(5, [](int No, TppPage& P) {
    AddText(P, "Cliente " + std::to_string(No), 10000, 10000);
    if (No == 2) AddText(P, "Alfa Ltda", 10000, 20000);
    if (No == 4) AddText(P, "ALFA e alfa", 10000, 30000);
  });
  TForm* Form = new TForm(nullptr);
  auto FreeForm = TFinally([&] {
    Form->Free();
  });
  auto* Viewer = new TppViewer(Form);
  Form->SetBounds(0, 0, 700, 600);
  Viewer->SetParent(Form);
  Viewer->SetAlign(alClient);
  Viewer->SetZoomSetting(zs100Percent);
  Form->Show();
  Viewer->SetReport(R.Report);
  Viewer->ScreenDevice()->RequestPages();
  Application->ProcessMessages();
  ASSERT_EQ(1, Viewer->GetAbsolutePageNo());

  std::unique_ptr<TppTextSearchRichTextEngine, TComponentDeleter> E(new TppTextSearchRichTextEngine(nullptr));
  E->SetViewer(Viewer);
  E->SetStartingPageNo(1);
  ASSERT_TRUE(E->Search("alfa"));
  EXPECT_EQ(2, Viewer->GetAbsolutePageNo());
  ASSERT_TRUE(E->FirstOccurrence());
  E->HighlightCurrentDrawCommand(Viewer->GetCurrentPage());
  ASSERT_EQ(1, E->HighlightCount());
  EXPECT_EQ("Alfa", dynamic_cast<TppDrawText*>(E->GetHighlight(0))->Text());

  // Next: the hits beyond the known ones are on page 4.
  EXPECT_EQ(4, E->FindNextPage("alfa"));
  E->ClearHighlights();
  ASSERT_TRUE(E->NextOccurrence());
  EXPECT_EQ(1, E->GetCurrentOccurrenceNo());
  Viewer->GotoPage(E->GetCurrentPageNo());
  EXPECT_EQ(4, Viewer->GetAbsolutePageNo());
  E->HighlightCurrentDrawCommand(Viewer->GetCurrentPage());
  EXPECT_EQ("ALFA", dynamic_cast<TppDrawText*>(E->GetHighlight(0))->Text());
  ASSERT_TRUE(E->NextOccurrence());
  EXPECT_EQ(2, E->GetCurrentOccurrenceNo());

  // Prior, twice: back to page 2.
  ASSERT_TRUE(E->PriorOccurrence());
  ASSERT_TRUE(E->PriorOccurrence());
  EXPECT_EQ(0, E->GetCurrentOccurrenceNo());
  EXPECT_EQ(2, E->GetCurrentPageNo());
  E->ClearHighlights();
  Viewer->GotoPage(E->GetCurrentPageNo());
  EXPECT_EQ(2, Viewer->GetAbsolutePageNo());
  // The viewer still shows the report's pages after the searches.
  EXPECT_EQ(&R.Publisher(), Viewer->ScreenDevice()->Publisher());
  Viewer->SetReport(nullptr);
}

}  // namespace
