// The preview window over a banded report while it generates, driven as a user drives it: Cancelar
// and closing the window stop a long page count, settings wait while pages are made, and keys typed
// into the window (delivered by the platform to whatever has the focus) keep paging after every
// page change and after a dialog.
#include <gtest/gtest.h>

#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>

#include "ppreport/output/forms/ppCDlg.h"
#include "ppreport/output/forms/ppPDlg.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/forms/ppBandedReportSupport.h"

namespace {

void Pump() {
  for (int I = 0; I < 10; ++I) Application->ProcessMessages();
}

// Processes messages until Done answers true (false after five seconds).
bool PumpUntil(const std::function<bool()>& Done) {
  for (int I = 0; I < 500 && !Done(); ++I) {
    Application->ProcessMessages();
    QTest::qSleep(10);
  }
  return Done();
}

class PreviewRun : public BandedReportTest {
protected:
  // Previews a report of Rows rows, each Height thousandths of a millimetre high (not modal).
  void Open(int Rows, int32_t Height, std::function<void(TppReport&)> Prepare = nullptr) {
    Report = MakeReport(Rows, Height);
    Report->SetModalPreview(false);
    if (Prepare) Prepare(*Report);
    Report->Print();
    Pump();
    ASSERT_TRUE(Window());
  }
  TppPrintPreview* Window() const { return dynamic_cast<TppPrintPreview*>(Report->PreviewForm()); }
  TppPreview* Preview() const { return dynamic_cast<TppPreview*>(Window()->Preview()); }
  int PageNo() const { return Window()->Viewer()->GetAbsolutePageNo(); }
  // A key typed into the window: the platform hands it to the focused control, or to the window.
  void Key(Qt::Key K, Qt::KeyboardModifiers M = Qt::NoModifier) {
    QTest::keyClick(Window()->Widget()->windowHandle(), K, M);
    Pump();
  }
  // Runs Step once the engine has finished page Page, from the message queue as a click would.
  void AtPage(int Page, std::function<void()> Step) {
    Report->OnEndPage = [this, Page, Step](TObject*) {
      if (Report->Engine()->AbsolutePageNo() == Page) QTimer::singleShot(0, Step);
    };
  }

  TppReport* Report = nullptr;
};

// 20,000 rows make a few hundred pages; Cancelar, pressed while page 3 is made, stops the count
// there. Meanwhile the report is printing, so a guarded setting waits.
TEST_F(PreviewRun, CancelarStopsThePageCount) {
  Open(20000, 5000);
  bool PrintingMeanwhile = false;
  AtPage(3, [this, &PrintingMeanwhile] {
    PrintingMeanwhile = Report->Printing();
    Report->SetShowPrintDialog(false);
    ClickAt(Preview()->CancelButton, 5, 5);
  });
  ClickAt(Preview()->LastButton, 5, 5);
  Pump();
  EXPECT_TRUE(PrintingMeanwhile);
  EXPECT_TRUE(Report->ShowPrintDialog()) << "a guarded setting changed while the report printed";
  EXPECT_FALSE(Report->Printing());
  EXPECT_LT(Report->Engine()->AbsolutePageNo(), 10);
  EXPECT_FALSE(Report->Engine()->DonePrinting());
  EXPECT_TRUE(TppCustomPreview::Cancelling());
  EXPECT_FALSE(Window()->Viewer()->GetBusy());
  EXPECT_FALSE(Preview()->NextButton->Enabled());
  EXPECT_EQ("Fechar", Preview()->CancelButton->Caption());
}

// Generation handles messages only every so often; Cancelar still reaches the run within 50 ms.
// Each row takes at least a millisecond here, so 50 rows are at least 50 ms; rows of 1 mm put
// more than 200 on a page, so the messages handled as each page arrives are not enough.
TEST_F(PreviewRun, CancelarIsHeardWithinFiftyMilliseconds) {
  Open(20000, 1000);
  constexpr int PostedAt = 400;  // on page 2
  int Rows = 0, HeardAt = 0;
  Report->GetDetailBand()->BeforePrint = [&](TObject*) {
    if (++Rows == PostedAt)
      QTimer::singleShot(0, [&] {
        HeardAt = Rows;
        ClickAt(Preview()->CancelButton, 5, 5);
      });
    QTest::qSleep(1);
  };
  ClickAt(Preview()->LastButton, 5, 5);
  Pump();
  ASSERT_GE(HeardAt, PostedAt) << "Cancelar was never heard";
  EXPECT_LT(HeardAt - PostedAt, 50);
  EXPECT_LE(Rows - HeardAt, 1) << "the run goes on after Cancelar";
  EXPECT_FALSE(Report->Printing());
  EXPECT_FALSE(Report->Engine()->DonePrinting());
}

// Closing the window while the pages are counted cancels the count; the window goes and the report
// is free again.
TEST_F(PreviewRun, ClosingTheWindowStopsThePageCount) {
  Open(20000, 5000);
  int Closed = 0;
  Report->OnPreviewFormClose = [&](TObject*) { ++Closed; };
  AtPage(3, [this] { Window()->Widget()->close(); });
  ClickAt(Preview()->LastButton, 5, 5);
  EXPECT_TRUE(PumpUntil([this] { return !Report->PreviewForm(); })) << "the window stays";
  EXPECT_EQ(1, Closed);
  EXPECT_FALSE(Report->Printing());
  EXPECT_FALSE(Report->Producing());
  EXPECT_LT(Report->Engine()->AbsolutePageNo(), 10);
}

// Keys typed into the window page on after every page change, whichever control had the focus
// (the zoom edit has it at first and is disabled while pages are made), and Escape closes.
TEST_F(PreviewRun, KeysPageOnAfterEveryPageChange) {
  Open(12, 120000);  // two rows a page
  Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(2, PageNo());
  // Clicked into, the zoom edit has the focus; it forwards the keys and is disabled meanwhile.
  QTest::mouseClick(Preview()->ZoomPercentEdit->Widget(), Qt::LeftButton);
  ASSERT_TRUE(Preview()->ZoomPercentEdit->Focused());
  for (int Expected : {3, 4}) {
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(Expected, PageNo());
  }
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(1, PageNo());
  ClickAt(Preview()->LastButton, 5, 5);
  Pump();
  const int Last = PageNo();
  ASSERT_GT(Last, 4);
  Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Last - 1, PageNo());
  Key(Qt::Key_Escape);
  EXPECT_TRUE(PumpUntil([this] { return !Report->PreviewForm(); })) << "Escape left the window open";
}

// The last-page button of a one-pass report counts the pages to the end and shows the last one
// drawn: no empty page after it, and the count is the run's.
TEST_F(PreviewRun, TheLastPageButtonShowsTheLastPageOfTheRun) {
  Open(12, 120000);  // two rows a page: six pages
  ClickAt(Preview()->LastButton, 5, 5);
  Pump();
  EXPECT_EQ(6, PageNo());
  TppPage* Page = Window()->Viewer()->GetCurrentPage();
  ASSERT_TRUE(Page);
  EXPECT_TRUE(Page->LastPage());
  EXPECT_EQ(6, Page->AbsolutePageCount());
  EXPECT_EQ(6, Report->Engine()->AbsolutePageCount());
  std::vector<std::string> Texts;
  for (int I = 0; I < Page->GetDrawCommandCount(); ++I)
    if (auto* T = dynamic_cast<TppDrawText*>(Page->GetDrawCommand(I))) Texts.push_back(T->Text());
  EXPECT_EQ((std::vector<std::string>{"Linha 11", "Linha 12"}), Texts);
  EXPECT_FALSE(Preview()->NextButton->Enabled());
}

// After a dialog: the no-data message shown while the first page is made, and a print dialog
// cancelled from the toolbar.
TEST_F(PreviewRun, KeysWorkAfterADialog) {
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  // Each dialog runs its own modal loop, in which its button is pressed.
  auto Press = [S](std::function<TButton*(TppForm*)> Button) {
    S->Answers.push_back([Button](TDialogRequest& R) {
      TppForm* F = R.As<TppFormRequest>()->Form;
      QTimer::singleShot(0, [F, Button] { ClickAt(Button(F), 5, 5); });
      return F->RunModal();
    });
  };
  Press([](TppForm* F) { return dynamic_cast<TppNoDataDialog*>(F)->btnOK; });
  Open(0, 120000, [](TppReport& R) { R.SetNoDataBehaviors((1u << ndBlankPage) | (1u << ndMessageDialog)); });
  ASSERT_EQ(1u, S->Calls.size());
  Key(Qt::Key_Escape);
  EXPECT_TRUE(PumpUntil([this] { return !Report->PreviewForm(); })) << "Escape after the no-data dialog";

  Press([](TppForm* F) { return dynamic_cast<TppPrintDialog*>(F)->btnCancel; });
  Open(12, 120000);
  ClickAt(Preview()->PrintButton, 5, 5);
  Pump();
  ASSERT_EQ(2u, S->Calls.size());
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_GT(PageNo(), 4);
  EXPECT_TRUE(Report->Engine()->DonePrinting());
}

}  // namespace
