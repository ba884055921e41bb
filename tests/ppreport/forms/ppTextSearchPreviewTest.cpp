// The search panel driven through the real preview window, headless: typing a word, stepping from
// hit to hit across pages, show-all, the status text, cancelling a running search, the panel shown
// and hidden, the glyphs, and the start-up registration taken back.
#include "ppreport/output/forms/ppTextSearchPreview.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "platform/app/Application.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/StdCtrls.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "ppreport/output/forms/ppTextSearchPreviewIcons.h"
#include "ppreport/output/forms/ppTextSearchRegistration.h"
#include "ppreport/output/ppTextSearchCustomEngine.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/output/ppSearchTestSupport.h"

using namespace pptest;
using namespace ppsearchtest;

namespace {

void Pump() {
  for (int I = 0; I < 10; ++I) Application->ProcessMessages();
}

// A report of Pages pages, "alfa" where Fill puts it, previewed in its own window with the search
// panel shown.
struct TSearched {
  std::unique_ptr<TTestReport, TComponentDeleter> Report{new TTestReport(nullptr)};
  TSearchReport::TFill Fill;
  TSearched(int Pages, TSearchReport::TFill F) : Fill(std::move(F)) {
    Report->Engine->PageCount = Pages;
    Report->Engine->OnEndPage = [this](TObject*) { Fill(Report->Engine->AbsolutePageNo(), *Report->Engine->Page()); };
    Report->Publisher()->SetCachePages(true);
    Report->SetModalPreview(false);
    Report->TextSearchSettings()->SetEnabled(true);
    Report->TextSearchSettings()->SetVisible(true);
    Report->Print();
    Pump();
  }
  TppPrintPreview* Window() const { return dynamic_cast<TppPrintPreview*>(Report->PreviewForm()); }
  TppPreview* Preview() const { return dynamic_cast<TppPreview*>(Window()->Preview()); }
  TppTextSearchPreview* Search() const { return dynamic_cast<TppTextSearchPreview*>(Preview()->SearchPreview()); }
  int PageNo() const { return Window()->Viewer()->GetAbsolutePageNo(); }
  std::string HitText() const { return Window()->StatusBar()->Panels()[1]->Text(); }
  void Type(const std::string& Text) {
    Search()->SearchEdit->SetText(Text);
    SendKey(Search()->SearchEdit, Qt::Key_Return, Qt::NoModifier, "\r");
    Pump();
  }
  void Click(TControl* C) {
    ClickAt(C, 5, 5);
    Pump();
  }
  // A right click on the search panel opens the options menu; a click chooses the item.
  void ChooseOption(int Index) {
    QWidget* Panel = Preview()->SearchPanel->Widget();
    QContextMenuEvent Right(QContextMenuEvent::Mouse, QPoint(3, 3), Panel->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(Panel, &Right);
    auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(Menu) << "no menu on the search panel";
    ASSERT_EQ(Search()->OptionsMenu(), Menu);
    const QPoint At = Menu->actionGeometry(Menu->actions()[Index]).center();
    for (QEvent::Type Kind : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent E(Kind, At, Menu->mapToGlobal(At), Qt::LeftButton,
                    Kind == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(Menu, &E);
    }
    Pump();
    EXPECT_FALSE(Menu->isVisible());
  }
  // First, prior, next, last: enabled?
  std::vector<bool> HitButtons() const {
    TppTextSearchPreview* S = Search();
    return {S->FirstButton->Enabled(), S->PriorButton->Enabled(), S->NextButton->Enabled(), S->LastButton->Enabled()};
  }
};

// Pages 2 and 4 hold the word, page 4 twice; page 5 none.
void TwoPagesOfHits(int No, TppPage& P) {
  if (No == 2) AddText(P, "Alfa Ltda", 10000, 20000);
  if (No == 4) AddText(P, "ALFA e alfa", 10000, 30000);
}

TEST(ppTextSearchPreviewTest, FindStepsFromHitToHitAcrossPagesAndSaysWhereItIs) {
  TSearched T(5, TwoPagesOfHits);
  TppTextSearchPreview* S = T.Search();
  ASSERT_TRUE(S);
  ASSERT_TRUE(T.Preview()->TextSearchButton->Visible());
  ASSERT_TRUE(S->PanelVisible());
  T.Type("alfa");
  EXPECT_EQ(2, T.PageNo());
  EXPECT_EQ("Found 1 de 1...mais...", T.HitText());
  EXPECT_EQ((std::vector<bool>{false, false, true, true}), T.HitButtons());
  ASSERT_EQ(1, S->Engine()->HighlightCount());

  T.Click(S->NextButton);
  EXPECT_EQ(4, T.PageNo());
  EXPECT_EQ(1, S->CurrentOccurrenceNo());
  EXPECT_EQ("Found 2 de 3...mais...", T.HitText());
  T.Click(S->NextButton);
  EXPECT_EQ("Found 3 de 3...mais...", T.HitText());
  // On the real last hit next searches the rest and stays.
  T.Click(S->NextButton);
  EXPECT_EQ(4, T.PageNo());
  EXPECT_EQ("Found 3 de 3", T.HitText());
  EXPECT_EQ((std::vector<bool>{true, true, false, false}), T.HitButtons());

  T.Click(S->PriorButton);
  T.Click(S->PriorButton);
  EXPECT_EQ(2, T.PageNo());
  EXPECT_EQ("Found 1 de 3", T.HitText());
  T.Click(S->LastButton);
  EXPECT_EQ(4, T.PageNo());
  EXPECT_EQ(2, S->CurrentOccurrenceNo());

  // Find again without a change shows the first hit instead of searching again.
  T.Click(S->FindButton);
  EXPECT_EQ(2, T.PageNo());
  EXPECT_EQ("Found 1 de 3", T.HitText());

  // Done clears: no hit text, the viewer stays.
  EXPECT_EQ("Done", S->DoneButton->Caption());
  ASSERT_TRUE(S->DoneButton->Enabled());
  T.Click(S->DoneButton);
  EXPECT_EQ("", T.HitText());
  EXPECT_EQ(2, T.PageNo());
  EXPECT_FALSE(S->DoneButton->Enabled());
  EXPECT_EQ(0, S->Engine()->HighlightCount());
}

TEST(ppTextSearchPreviewTest, OptionsChangeTheSearchAndShowInTheStatus) {
  TSearched T(5, TwoPagesOfHits);
  TppTextSearchPreview* S = T.Search();
  ASSERT_TRUE(S);
  // The menu's items, ticked from the report's settings.
  std::vector<std::string> Items;
  for (QAction* A : S->OptionsMenu()->actions()) Items.push_back(A->isSeparator() ? "-" : A->text().toStdString());
  EXPECT_EQ((std::vector<std::string>{"Show All", "Case Sensitive", "Whole Word", "-", "Start Search on First Page",
                                      "Start Search on Current Page"}),
            Items);
  EXPECT_TRUE(S->OptionChecked(soFromFirstPage));
  EXPECT_FALSE(S->OptionChecked(soCaseSensitive));
  // The two start options exclude each other.
  T.ChooseOption(soFromCurrentPage);
  EXPECT_TRUE(S->OptionChecked(soFromCurrentPage));
  EXPECT_FALSE(S->OptionChecked(soFromFirstPage));
  T.ChooseOption(soFromFirstPage);
  EXPECT_FALSE(S->OptionChecked(soFromCurrentPage));
  EXPECT_TRUE(S->OptionChecked(soFromFirstPage));

  // Without case sensitivity the first hit is "Alfa Ltda" on page 2; with it, page 4's "alfa".
  T.Type("alfa");
  EXPECT_EQ(2, T.PageNo());
  T.ChooseOption(soCaseSensitive);
  EXPECT_TRUE(S->FindButton->Enabled());
  T.Click(S->FindButton);
  EXPECT_EQ(4, T.PageNo());
  EXPECT_EQ("Found 1 de 1...mais..." + std::string(10, ' ') + "Case Sensitive", T.HitText());

  // Show all: the hit buttons stay off and the count stands alone.
  T.ChooseOption(soCaseSensitive);
  T.ChooseOption(soShowAll);
  T.Click(S->FindButton);
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), T.HitButtons());
  const std::string Text = T.HitText();
  EXPECT_EQ(0u, Text.find("Found 1"));
  EXPECT_EQ(std::string::npos, Text.find(" de "));
  EXPECT_TRUE(Text.ends_with(std::string(10, ' ') + "Show All")) << Text;
}

// Every page's hit of the twelve-page report of the jump tests: pages 2, 5, 8 and 11.
void EveryThirdPage(int No, TppPage& P) {
  if (No % 3 == 2) AddText(P, "alfa " + std::to_string(No), 10000, 20000);
}

// Jumping past the pages searched searches those before the target first, so the hits found later
// keep their numbers, and stops at the first page with hits from the page before the target on:
// the pages the search fetched are exactly those.
TEST(ppTextSearchPreviewTest, APageJumpSearchesOnlyThePagesItNeeds) {
  struct TCase {
    int Target;
    std::vector<int> Searched;
    int Hits;
  };
  for (const TCase& C : {TCase{9, {3, 4, 5, 6, 7, 8}, 3}, TCase{10, {3, 4, 5, 6, 7, 8, 9, 10, 11}, 4},
                         TCase{4, {}, 1}}) {
    SCOPED_TRACE(C.Target);
    TSearched T(12, EveryThirdPage);
    TppTextSearchPreview* S = T.Search();
    ASSERT_TRUE(S);
    T.Type("alfa");
    ASSERT_EQ(2, T.PageNo());
    // Each page fetched, and the status the preview showed while it came.
    std::vector<int> Fetched;
    std::vector<std::string> Status;
    std::unique_ptr<TppCommunicator, TComponentDeleter> Ear(new TppCommunicator(nullptr));
    Ear->EventMask().Include(ciDevicePageReceive);
    Ear->OnEventNotify = [&](TppCommunicator*, TppCommunicator* Device, int, TraParamList* P) {
      // The test engine makes the pages before the one asked for again: only that one is fetched.
      if (!static_cast<TppDevice*>(Device)->IsRequestedPage()) return;
      Fetched.push_back(dynamic_cast<TppPage&>(*P->ParamObject(0)).AbsolutePageNo());
      Status.push_back(T.Window()->StatusBar()->Panels()[0]->Text());
    };
    S->Engine()->OffScreenDevice()->AddEventNotify(Ear.get());
    T.Preview()->GotoPage(C.Target);
    Pump();
    EXPECT_EQ(C.Target, T.PageNo());
    EXPECT_EQ(C.Searched, Fetched);
    if (!Status.empty()) EXPECT_EQ(0u, Status.front().find("Calculando a página 3 para o relatório")) << Status.front();
    EXPECT_EQ(C.Hits, S->Engine()->GetOccurrenceCount());
    // The hit shown before the jump keeps its number.
    EXPECT_EQ(0, S->CurrentOccurrenceNo());
  }
}

// With show-all from the current page, pages before the start stay plain.
TEST(ppTextSearchPreviewTest, PageJumpsAndShowAllFromTheCurrentPage) {
  TSearched T(12, EveryThirdPage);
  TppTextSearchPreview* S = T.Search();
  ASSERT_TRUE(S);
  T.Type("alfa");
  ASSERT_EQ(2, T.PageNo());
  ASSERT_EQ(1, S->Engine()->GetOccurrenceCount());
  T.Preview()->GotoPage(10);
  Pump();
  EXPECT_EQ(10, T.PageNo());

  T.Preview()->GotoPage(8);
  Pump();
  T.ChooseOption(soShowAll);
  T.ChooseOption(soFromCurrentPage);
  T.Click(S->FindButton);
  EXPECT_EQ(8, S->StartPageNo());
  EXPECT_EQ(8, T.PageNo());
  EXPECT_EQ(1, S->Engine()->HighlightCount());
  T.Preview()->GotoPage(5);
  Pump();
  EXPECT_EQ(0, S->Engine()->HighlightCount());
  T.Preview()->GotoPage(11);
  Pump();
  EXPECT_EQ(1, S->Engine()->HighlightCount());
}

// A cancel arrives while the find runs (the engine lets messages through between pages). The done
// button cancels because the search is busy, whatever its caption reads.
TEST(ppTextSearchPreviewTest, DoneCancelsARunningFindWhateverItsCaption) {
  TSearched T(60, [](int No, TppPage& P) {
    if (No == 60) AddText(P, "alfa", 10000, 20000);
  });
  TppTextSearchPreview* S = T.Search();
  ASSERT_TRUE(S);
  std::string Caption, HitWhileCancelled;
  QTimer::singleShot(0, [&] {
    Caption = S->DoneButton->Caption();
    S->DoneButton->SetCaption("Cancel");  // as another language would read
    S->DoneButton->Click();
    HitWhileCancelled = T.HitText();
  });
  T.Type("alfa");
  EXPECT_EQ("Cancelar", Caption);
  EXPECT_EQ("Text Search Cancelled", HitWhileCancelled);
  EXPECT_EQ(1, T.PageNo());
  EXPECT_EQ("", T.HitText());
  EXPECT_FALSE(S->Busy());
  EXPECT_EQ(0, S->SearchState() & ppSearchStateActive);
  EXPECT_EQ("Done", S->DoneButton->Caption());
}

TEST(ppTextSearchPreviewTest, TheToolbarButtonShowsAndHidesThePanel) {
  TSearched T(5, TwoPagesOfHits);
  TppTextSearchPreview* S = T.Search();
  ASSERT_TRUE(S);
  T.Type("alfa");
  ASSERT_EQ(1, S->Engine()->HighlightCount());
  T.Click(T.Preview()->TextSearchButton);
  EXPECT_FALSE(S->PanelVisible());
  EXPECT_FALSE(T.Preview()->SearchPanel->Visible());
  EXPECT_FALSE(S->TextSearchSettings()->Visible());
  EXPECT_EQ(0, S->SearchState() & ppSearchStateActive);
  EXPECT_EQ(0, S->Engine()->HighlightCount());
  T.Click(T.Preview()->TextSearchButton);
  EXPECT_TRUE(S->PanelVisible());
  EXPECT_TRUE(T.Preview()->SearchPanel->Visible());
  EXPECT_GE(T.Preview()->SidePanel->Width(), S->ToolbarWidth());
}

TEST(ppTextSearchPreviewTest, GlyphsAreDrawnEnabledLeftAndGreyRight) {
  struct TCase {
    std::unique_ptr<TBitmap> Bitmap;
    TColor Enabled;
  };
  TCase Cases[] = {{TppMetaBitmap::CreateBitmap<TppFirstSearchOccurrenceIcon>(), ppsearchicons::Maroon},
                   {TppMetaBitmap::CreateBitmap<TppLastSearchOccurrenceIcon>(), ppsearchicons::Maroon},
                   {TppMetaBitmap::CreateBitmap<TppTextSearchIcon>(), clBlack}};
  for (TCase& C : Cases) {
    ASSERT_EQ(32, C.Bitmap->Width());
    int Left = 0, Right = 0, Grey = 0;
    for (int Y = 0; Y < 16; ++Y)
      for (int X = 0; X < 32; ++X) {
        const TColorRef P = C.Bitmap->Canvas().Pixels(X, Y);
        if (P == ColorToRGB(C.Enabled)) ++(X < 16 ? Left : Right);
        if (X >= 16 && P == ColorToRGB(clGray)) ++Grey;
      }
    EXPECT_GT(Left, 0);
    EXPECT_EQ(0, Right);
    EXPECT_GT(Grey, 0);
  }
}

TEST(ppTextSearchPreviewTest, ShutdownTakesTheRegistrationBack) {
  UnregisterTextSearch();
  auto Again = TFinally([] { RegisterTextSearch(); });
  EXPECT_EQ(nullptr, TppPreviewPlugIn::CreatePlugIn(nullptr));
  EXPECT_EQ(nullptr, TppTextSearchEngineRegistry::GetEngineClass("Full Search"));
  EXPECT_FALSE(TppTextSearchDrawCommandHighlightRegistry::HasHighlighter(TppDrawText::StaticClassInfo()));
  RegisterTextSearch();
  std::unique_ptr<TppCustomSearchPreview, TComponentDeleter> P(TppPreviewPlugIn::CreatePlugIn(nullptr));
  EXPECT_TRUE(dynamic_cast<TppTextSearchPreview*>(P.get()));
  EXPECT_NE(nullptr, TppTextSearchEngineRegistry::GetEngineClass("Full Search"));
  EXPECT_TRUE(TppTextSearchDrawCommandHighlightRegistry::HasHighlighter(TppDrawText::StaticClassInfo()));
  UnregisterTextSearch();
}

}  // namespace
