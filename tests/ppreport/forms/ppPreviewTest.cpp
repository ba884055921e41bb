// The print preview window opened by a report's producer, with pages from a test engine, worked
// through its real widgets: keys, the page and zoom edits, the buttons' state, the cancel/close
// button, the remembered window state and zoom, the plug-ins, and once under Xvfb a screenshot.
#include "ppreport/output/forms/ppPrvDlg.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>
#include <sys/wait.h>

#include "platform/app/Application.h"
#include "ppreport/core/ppPrinterSetup.h"
#include "ppreport/output/forms/ppOutlineViewer.h"
#include "ppreport/output/forms/ppTextSearchPreview.h"
#include "tests/TestTemp.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/core/ppPageTestSupport.h"

using namespace pptest;

namespace {

template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

void Pump() {
  for (int I = 0; I < 10; ++I) Application->ProcessMessages();
}

// A report of Pages pages previewed in its own window (not modal).
struct TPreviewed {
  TOwned<TTestReport> Report;
  explicit TPreviewed(int Pages, std::function<void(TTestReport&)> Prepare = nullptr,
                      TTestReport* Made = new TTestReport(nullptr))
      : Report(Made) {
    Report->Engine->PageCount = Pages;
    Report->SetModalPreview(false);
    if (Prepare) Prepare(*Report);
    Report->Print();
    Pump();
  }
  TppPrintPreview* Window() const { return dynamic_cast<TppPrintPreview*>(Report->PreviewForm()); }
  TppPreview* Preview() const { return dynamic_cast<TppPreview*>(Window()->Preview()); }
  TppViewer* Viewer() const { return Window()->Viewer(); }
  int PageNo() const { return Viewer()->GetAbsolutePageNo(); }
  void Key(int QtKey, Qt::KeyboardModifiers M = Qt::NoModifier) {
    SendKey(Preview()->KeyCatcher, QtKey, M);
    Pump();
  }
  // Types Text into the edit and presses Enter there.
  void Enter(TMaskEdit* Edit, const std::string& Text) {
    Edit->SetText(Text);
    SendKey(Edit, Qt::Key_Return, Qt::NoModifier, "\r");
    Pump();
  }
  // First, prior, next, last: enabled?
  std::vector<bool> Navigation() const {
    TppPreview* P = Preview();
    return {P->FirstButton->Enabled(), P->PriorButton->Enabled(), P->NextButton->Enabled(), P->LastButton->Enabled()};
  }
};

TEST(ppPreviewTest, TheWindowShowsTheFirstPageWithItsToolbar) {
  TPreviewed T(3);
  ASSERT_TRUE(T.Window());
  TppPreview* P = T.Preview();
  ASSERT_TRUE(P);
  EXPECT_EQ(T.Window()->GetViewer(), T.Viewer());
  EXPECT_EQ("Visualizando Impressão", T.Window()->Caption());
  EXPECT_EQ(1, T.PageNo());
  EXPECT_EQ("1", P->PageNoEdit->Text());
  // Only page 1 was asked for: the report is not complete yet.
  EXPECT_EQ("Página 1", T.Window()->StatusBar()->Panels()[0]->Text());
  EXPECT_EQ(2, T.Window()->StatusBar()->Panels().Count());
  EXPECT_EQ("Fechar", P->CancelButton->Caption());
  EXPECT_TRUE(P->WholePageButton->Down());
  EXPECT_EQ(std::to_string(T.Viewer()->GetCalculatedZoom()), P->ZoomPercentEdit->Text());
  // The toolbar's places, from 23-pixel buttons and 37-pixel edits.
  std::vector<int> Lefts;
  for (TControl* C : std::initializer_list<TControl*>{
           P->PrintButton, P->AutoSearchButton, P->TextSearchButton, P->WholePageButton, P->PageWidthButton,
           P->Zoom100Button, P->ZoomPercentEdit, P->FirstButton, P->PriorButton, P->PageNoEdit, P->NextButton,
           P->LastButton, P->CancelButton})
    Lefts.push_back(C->Left());
  EXPECT_EQ((std::vector<int>{2, 48, 77, 117, 140, 163, 191, 251, 274, 305, 350, 373, 442}), Lefts);
  // Autosearch is off; text search is on for a new report, its panel hidden until asked for; no
  // outline either, so no side panel.
  EXPECT_FALSE(P->AutoSearchButton->Visible());
  EXPECT_TRUE(P->TextSearchButton->Visible());
  EXPECT_FALSE(P->SidePanel->Visible());
}

// Keys reach the preview through its keyboard sink; the navigation buttons follow the page.
TEST(ppPreviewTest, KeysPageAndScrollAndTheButtonsFollow) {
  TPreviewed T(3);
  T.Preview()->PerformPreviewAction(pa100Percent);
  EXPECT_EQ((std::vector<bool>{false, false, true, true}), T.Navigation());
  T.Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(3, T.PageNo());
  EXPECT_EQ("3", T.Preview()->PageNoEdit->Text());
  EXPECT_EQ((std::vector<bool>{true, true, false, false}), T.Navigation());
  T.Key(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(2, T.PageNo());
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), T.Navigation());
  T.Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(1, T.PageNo());
  T.Key(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(2, T.PageNo());

  // Without Ctrl the keys scroll the page at 100 % by a screen; the wheel by a fifth of its turn.
  TControlScrollBar* Bar = T.Viewer()->ScrollBox()->VertScrollBar();
  ASSERT_EQ(0, Bar->Position());
  T.Key(Qt::Key_PageDown);
  EXPECT_EQ(2, T.PageNo());
  const int Down = Bar->Position();
  EXPECT_GT(Down, 0);
  SendWheel(T.Preview()->KeyCatcher, 120);
  EXPECT_EQ(Down - 24, Bar->Position());
  SendWheel(T.Preview()->KeyCatcher, -120);
  EXPECT_EQ(Down, Bar->Position());
  SendWheel(T.Preview()->KeyCatcher, 7);
  EXPECT_EQ(Down - 1, Bar->Position());
  T.Key(Qt::Key_PageUp);
  EXPECT_EQ(0, Bar->Position());

  // Escape closes the window, which frees itself; the report hears of it.
  int Closed = 0;
  T.Report->OnPreviewFormClose = [&](TObject*) { ++Closed; };
  T.Key(Qt::Key_Escape);
  EXPECT_EQ(1, Closed);
  EXPECT_EQ(nullptr, T.Report->PreviewForm());
  EXPECT_FALSE(T.Report->Producing());
}

TEST(ppPreviewTest, ThePageEditGoesToItsPageAndLeavesAnythingElseAlone) {
  TPreviewed T(4);
  TppPreview* P = T.Preview();
  T.Enter(P->PageNoEdit, "3");
  EXPECT_EQ(3, T.PageNo());
  EXPECT_EQ("3", P->PageNoEdit->Text());
  EXPECT_TRUE(P->KeyCatcher->Focused());
  // No number in the edit: the page shown stays and the edit is left as the user left it.
  T.Enter(P->PageNoEdit, "");
  EXPECT_EQ(3, T.PageNo());
  EXPECT_EQ("", P->PageNoEdit->Text());
  EXPECT_EQ("Página 3", T.Window()->StatusBar()->Panels()[0]->Text());
}

// The zoom edit keeps its percentage within 25 ... 250 and shows the zoom it applied.
TEST(ppPreviewTest, TheZoomEditIsKeptInRange) {
  TPreviewed T(1);
  TppPreview* P = T.Preview();
  for (auto [Typed, Kept] : {std::pair<const char*, int>{"10", 25}, {"300", 250}, {"120", 120}, {"", 100}}) {
    T.Enter(P->ZoomPercentEdit, Typed);
    EXPECT_EQ(zsPercentage, T.Viewer()->ZoomSetting()) << Typed;
    EXPECT_EQ(Kept, T.Viewer()->ZoomPercentage()) << Typed;
    EXPECT_EQ(std::to_string(Kept), P->ZoomPercentEdit->Text()) << Typed;
  }
  ClickAt(P->PageWidthButton, 5, 5);
  Pump();
  EXPECT_EQ(zsPageWidth, T.Viewer()->ZoomSetting());
  EXPECT_TRUE(P->PageWidthButton->Down());
  EXPECT_EQ(std::to_string(T.Viewer()->GetCalculatedZoom()), P->ZoomPercentEdit->Text());
}

// While the report generates, the button reads "Cancelar" and the edits are off; once idle it
// reads "Fechar" and a click closes the window.
TEST(ppPreviewTest, TheCancelButtonCancelsWhileBusyAndClosesWhenIdle) {
  std::vector<std::string> WhileBusy;
  std::vector<bool> EditsWhileBusy;
  TPreviewed* Current = nullptr;
  TPreviewed T(3, [&](TTestReport& R) {
    R.Engine->OnPageFinished = [&, Prev = R.Engine->OnPageFinished](TObject* S) {
      if (Current && Current->Viewer()->GetBusy()) {
        WhileBusy.push_back(Current->Preview()->CancelButton->Caption());
        EditsWhileBusy.push_back(Current->Preview()->PageNoEdit->Enabled());
      }
      Prev(S);
    };
  });
  Current = &T;
  T.Key(Qt::Key_End, Qt::ControlModifier);
  ASSERT_FALSE(WhileBusy.empty());
  EXPECT_EQ("Cancelar", WhileBusy.front());
  EXPECT_FALSE(EditsWhileBusy.front());
  EXPECT_EQ("Fechar", T.Preview()->CancelButton->Caption());
  EXPECT_TRUE(T.Preview()->PageNoEdit->Enabled());
  ClickAt(T.Preview()->CancelButton, 5, 5);
  Pump();
  EXPECT_EQ(nullptr, T.Report->PreviewForm());
}

// The report's preview form settings open the window maximised at its zoom, and a change while
// it is open is applied to it.
TEST(ppPreviewTest, TheWindowOpensWithTheRememberedStateAndZoom) {
  TPreviewed T(2, [](TTestReport& R) {
    R.PreviewFormSettings()->SetWindowState(pwsMaximized);
    R.PreviewFormSettings()->SetZoomPercentage(300);
  });
  EXPECT_EQ(wsMaximized, T.Window()->WindowState());
  EXPECT_EQ(zsPercentage, T.Viewer()->ZoomSetting());
  EXPECT_EQ(250, T.Viewer()->ZoomPercentage());
  EXPECT_EQ("250", T.Preview()->ZoomPercentEdit->Text());
  T.Report->PreviewFormSettings()->SetZoomSetting(zs100Percent);
  Pump();
  EXPECT_EQ(zs100Percent, T.Viewer()->ZoomSetting());
  EXPECT_TRUE(T.Preview()->Zoom100Button->Down());
  T.Report->PreviewFormSettings()->SetWindowState(pwsNormal);
  EXPECT_EQ(wsNormal, T.Window()->WindowState());
}

TEST(ppPreviewTest, TheCaptionIsTheDocumentNameOnlyWhenAsked) {
  TPreviewed T(1);
  T.Report->PrinterSetup()->SetDocumentName("Vendas de Março");
  auto Activate = [&] {
    QEvent E(QEvent::WindowActivate);
    QCoreApplication::sendEvent(T.Window()->Widget(), &E);
  };
  int Activations = 0;
  T.Window()->OnFormActivate = [&](TObject*) { ++Activations; };
  Activate();
  EXPECT_EQ("Visualizando Impressão", T.Window()->Caption());
  T.Window()->SetUseDocumentNameAsCaption(true);
  Activate();
  EXPECT_EQ("Vendas de Março", T.Window()->Caption());
  T.Report->PrinterSetup()->SetDocumentName("Vendas de Abril");
  Activate();
  EXPECT_EQ("Vendas de Abril", T.Window()->Caption());
  EXPECT_EQ(3, Activations);
}

// A modal preview starts generating when it comes up and returns once closed.
TEST(ppPreviewTest, AModalPreviewGeneratesWhenShownAndReturnsWhenClosed) {
  TOwned<TTestReport> R(new TTestReport(nullptr));
  R->Engine->PageCount = 2;
  int Seen = 0;
  R->OnPreviewFormCreate = [&](TObject*) {
    QTimer::singleShot(50, [&] {
      auto* W = dynamic_cast<TppPrintPreview*>(R->PreviewForm());
      ASSERT_TRUE(W);
      Seen = W->Viewer()->GetAbsolutePageNo();
      SendKey(dynamic_cast<TppPreview*>(W->Preview())->KeyCatcher, Qt::Key_Escape);
    });
  };
  R->Print();
  EXPECT_EQ(1, Seen);
  EXPECT_GE(R->Engine->Generated, 1);
  Pump();
  EXPECT_EQ(nullptr, R->PreviewForm());
  EXPECT_FALSE(R->Producing());
}

TEST(ppPreviewTest, ABareStatusBarOfOnePanelIsRefused) {
  TPreviewed T(1);
  TStatusBar* Bar = T.Window()->StatusBar();
  Bar->SetSimplePanel(true);
  EXPECT_THROW(T.Preview()->StatusChangeEvent(), ESearchError);
  Bar->SetSimplePanel(false);
  EXPECT_NO_THROW(T.Preview()->StatusChangeEvent());
}

// ---- plug-ins

// A search plug-in of the tests: records what the preview asks of it.
class TTestSearchPreview : public TppCustomSearchPreview {
  DECLARE_CLASSINFO(TTestSearchPreview)
public:
  using TppCustomSearchPreview::TppCustomSearchPreview;
  std::vector<std::string> Calls;
  void BeforePreview() override {
    Calls.push_back("BeforePreview");
    FPanelVisible = true;
    FToolbarWidth = 180;
  }
  void BeforePreviewAction(int A) override { Calls.push_back("before " + std::to_string(A)); }
  void AfterPreviewAction(int A) override { Calls.push_back("after " + std::to_string(A)); }
  void BeforeGotoPage(int No) override { Calls.push_back("goto " + std::to_string(No)); }
  void StatusChange() override { Calls.push_back("status"); }
};

const TClassInfo& TTestSearchPreview::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TTestSearchPreview>("TTestSearchPreview", &TppCustomSearchPreview::StaticClassInfo());
  return Info;
}

// A preview class of an application's own.
class TOwnPreview : public TppPreview {
  DECLARE_CLASSINFO(TOwnPreview)
public:
  using TppPreview::TppPreview;
};

const TClassInfo& TOwnPreview::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TOwnPreview>("TOwnPreview", &TppPreview::StaticClassInfo());
  return Info;
}

TEST(ppPreviewTest, ATextSearchPlugInJoinsWhenTheReportSearches) {
  TppPreviewPlugIn::RegisterPlugInClass(TTestSearchPreview::StaticClassInfo());
  auto Back = TFinally([] { TppPreviewPlugIn::RegisterPlugInClass(TppTextSearchPreview::StaticClassInfo()); });
  TPreviewed T(3, [](TTestReport& R) {
    R.TextSearchSettings()->SetEnabled(true);
    R.TextSearchSettings()->SetDefaultString("Page");
  });
  auto* S = dynamic_cast<TTestSearchPreview*>(T.Preview()->SearchPreview());
  ASSERT_TRUE(S);
  EXPECT_EQ(T.Viewer(), S->Viewer());
  EXPECT_EQ(T.Window()->StatusBar(), S->StatusBar());
  EXPECT_EQ("Page", S->TextSearchSettings()->DefaultString());
  EXPECT_EQ(T.Preview()->SearchPanel, S->Toolbar());
  EXPECT_EQ(T.Preview()->SidePanel, T.Preview()->SearchPanel->Parent());
  EXPECT_TRUE(T.Preview()->SidePanel->Visible());
  EXPECT_EQ(180, T.Preview()->SidePanel->Width());
  EXPECT_TRUE(T.Preview()->TextSearchButton->Visible());
  // The plug-in writes the status, and brackets the toolbar's actions and hears of page jumps.
  EXPECT_NE(std::find(S->Calls.begin(), S->Calls.end(), "status"), S->Calls.end());
  S->Calls.clear();
  ClickAt(T.Preview()->NextButton, 5, 5);
  T.Enter(T.Preview()->PageNoEdit, "3");
  EXPECT_EQ(3, T.PageNo());
  S->Calls.erase(std::remove(S->Calls.begin(), S->Calls.end(), "status"), S->Calls.end());
  EXPECT_EQ((std::vector<std::string>{"before 8", "after 8", "goto 3"}), S->Calls);
  // Freed from outside, the plug-in is forgotten and the preview goes on without it.
  S->Free();
  EXPECT_EQ(nullptr, T.Preview()->SearchPreview());
  T.Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(1, T.PageNo());
}

TEST(ppPreviewTest, TheWindowMakesThePreviewClassRegistered) {
  TppPreviewPlugIn::RegisterPreviewClass(TOwnPreview::StaticClassInfo());
  auto Back = TFinally([] { TppPreviewPlugIn::RegisterPreviewClass(TppPreview::StaticClassInfo()); });
  TPreviewed T(1);
  EXPECT_TRUE(dynamic_cast<TOwnPreview*>(T.Window()->Preview()));
  TppPreviewPlugIn::UnregisterPreviewClass();
  std::unique_ptr<TppCustomPreviewer, TComponentDeleter> Bare(new TppCustomPreviewer(nullptr));
  EXPECT_EQ(nullptr, Bare->GetViewer());
  std::unique_ptr<TppPrintPreview, TComponentDeleter> Plain(new TppPrintPreview(nullptr));
  EXPECT_EQ("TppPreview", Plain->Preview()->ClassName());
}

// ---- printing and cancelling

// A report whose printer run is only counted (or fails), as the viewer asks for it.
class TPrintingReport : public TTestReport {
  DECLARE_CLASSINFO(TPrintingReport)
public:
  using TTestReport::TTestReport;
  int Printed = 0;
  bool Fail = false;
  void Print() override {
    if (DeviceType() != ppPrinterDeviceName) return TTestReport::Print();
    ++Printed;
    if (Fail) throw ETalvorError("the printer is gone");
    SendEventNotify(this, ciProducerPrintRunFinished, nullptr);
  }
};

const TClassInfo& TPrintingReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TPrintingReport>("TPrintingReport", &TTestReport::StaticClassInfo());
  return Info;
}

TEST(ppPreviewTest, PrintingFromThePreviewIsBracketedByItsEvents) {
  auto* R = new TPrintingReport(nullptr);
  TPreviewed T(2, nullptr, R);
  std::vector<std::string> Heard;
  T.Preview()->BeforePrint = [&](TObject*) { Heard.push_back("before " + std::to_string(R->Printed)); };
  T.Preview()->AfterPrint = [&](TObject*) { Heard.push_back("after " + std::to_string(R->Printed)); };
  ClickAt(T.Preview()->PrintButton, 5, 5);
  Pump();
  EXPECT_EQ((std::vector<std::string>{"before 0", "after 1"}), Heard);
  // Back on the screen afterwards.
  EXPECT_EQ(ppScreenDeviceName, R->DeviceType());
  EXPECT_EQ(R->Publisher(), T.Viewer()->ScreenDevice()->Publisher());
  // A print that fails still ends with AfterPrint, and the caller hears why.
  R->Fail = true;
  Heard.clear();
  EXPECT_THROW(T.Preview()->Print(), ETalvorError);
  EXPECT_EQ((std::vector<std::string>{"before 1", "after 2"}), Heard);
}

// The cancel button stops a report that is generating; the toolbar then offers nothing but the
// zoom edit and Close, until the next preview starts.
TEST(ppPreviewTest, CancellingStopsGenerationAndDisablesTheToolbar) {
  TPreviewed* Current = nullptr;
  TPreviewed T(6, [&](TTestReport& R) {
    R.Engine->OnPageFinished = [&, Send = R.Engine->OnPageFinished](TObject* S) {
      Send(S);
      if (Current && R.Engine->AbsolutePageNo() == 3) ClickAt(Current->Preview()->CancelButton, 5, 5);
    };
  });
  Current = &T;
  T.Key(Qt::Key_End, Qt::ControlModifier);
  TppPreview* P = T.Preview();
  EXPECT_TRUE(TppCustomPreview::Cancelling());
  EXPECT_TRUE(T.Viewer()->ScreenDevice()->Cancelled());
  EXPECT_FALSE(T.Viewer()->GetBusy());
  for (TControl* C : std::initializer_list<TControl*>{P->PrintButton, P->WholePageButton, P->PageWidthButton,
                                                      P->Zoom100Button, P->FirstButton, P->PriorButton,
                                                      P->NextButton, P->LastButton, P->PageNoEdit})
    EXPECT_FALSE(C->Enabled()) << C->ClassName() << " at " << C->Left();
  EXPECT_TRUE(P->ZoomPercentEdit->Enabled());
  EXPECT_EQ("Fechar", P->CancelButton->Caption());
  P->BeforePreview();
  EXPECT_FALSE(TppCustomPreview::Cancelling());
  EXPECT_TRUE(P->PrintButton->Enabled());
  ClickAt(P->CancelButton, 5, 5);
  Pump();
  EXPECT_EQ(nullptr, T.Report->PreviewForm());
}

// ---- the outline

// A report that says whether it has an outline the way a report class without outline settings may.
class TOutlineReport : public TTestReport {
  DECLARE_CLASSINFO(TOutlineReport)
public:
  using TTestReport::TTestReport;
  bool Exists = false, Suppress = false;
  bool OutlineExists() const { return Exists; }
  bool SuppressOutline() const { return Suppress; }
};

const TClassInfo& TOutlineReport::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassDef<TOutlineReport> D("TOutlineReport", &TTestReport::StaticClassInfo());
    D.Prop("OutlineExists", &TOutlineReport::OutlineExists).Prop("SuppressOutline", &TOutlineReport::SuppressOutline);
    return TClassInfo(D);
  }();
  return Info;
}

// The real tree of the forms' start-up, shown or not as the report's published properties say.
TEST(ppPreviewTest, TheOutlineShowsOnlyWhenTheReportHasOne) {
  struct TCase {
    bool Described, Exists, Suppress, Shown;
  };
  for (TCase C : {TCase{false, true, false, false}, TCase{true, true, false, true}, TCase{true, true, true, false},
                  TCase{true, false, false, false}}) {
    TTestReport* R = new TTestReport(nullptr);
    if (C.Described) {
      R->Free();
      auto* O = new TOutlineReport(nullptr);
      O->Exists = C.Exists;
      O->Suppress = C.Suppress;
      R = O;
    }
    TPreviewed T(3, nullptr, R);
    const std::string Case = std::to_string(C.Described) + std::to_string(C.Exists) + std::to_string(C.Suppress);
    ASSERT_TRUE(T.Preview()->OutlineViewer()) << Case;
    auto* Tree = dynamic_cast<TppOutlineViewer*>(T.Preview()->OutlineViewer()->Control());
    ASSERT_TRUE(Tree) << Case;
    EXPECT_EQ(T.Preview()->SidePanel, Tree->Parent()) << Case;
    EXPECT_EQ(T.Viewer(), Tree->Viewer()) << Case;
    EXPECT_EQ(C.Shown, T.Preview()->GetOutlineVisible()) << Case;
    EXPECT_EQ(C.Shown, T.Preview()->SidePanel->Visible()) << Case;
    EXPECT_EQ(C.Shown, Tree->PopupMenu() != nullptr) << Case;
    if (!C.Shown) continue;
    // Hiding the tree from its own menu takes the side panel away and lays the page out again.
    const int Narrow = T.Viewer()->Width();
    Tree->PopupMenu()->actions()[0]->trigger();
    Pump();
    EXPECT_FALSE(T.Preview()->GetOutlineVisible());
    EXPECT_FALSE(T.Preview()->SidePanel->Visible());
    EXPECT_GT(T.Viewer()->Width(), Narrow);
  }
}

// On a real X display: the window with the toolbar above the first page.
TEST(ppPreviewTest, ScreenshotUnderXvfb) {
  if (QGuiApplication::platformName() != "xcb") {
    ASSERT_EQ(std::system("bash '" MOR_SOURCE_DIR "/scripts/deps.sh' >/dev/null"), 0) << "xvfb-run";
    const std::string Cmd = "env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb LSAN_OPTIONS=suppressions='" MOR_SOURCE_DIR
                            "/tests/ppreport/forms/xcb-leaks.supp' xvfb-run -a -s '-screen 0 1024x768x24' "
                            "/proc/" + std::to_string(getpid()) + "/exe --gtest_filter=ppPreviewTest.ScreenshotUnderXvfb";
    const int Status = std::system(Cmd.c_str());
    ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Cmd;
    return;
  }
  // Each page gets a title and a black band across its top.
  TPreviewed T(2, [](TTestReport& R) {
    R.Engine->OnPageFinished = [&R, Send = R.Engine->OnPageFinished](TObject* S) {
      TppPage* Page = R.Engine->Page();
      auto* Title = new TppDrawText(nullptr);
      Title->SetText("Página de teste " + std::to_string(Page->AbsolutePageNo()));
      Title->SetLeft(25400);
      Title->SetTop(50800);
      Title->SetWidth(101600);
      Title->SetHeight(12700);
      Title->SetPage(Page);
      auto* Band = new TppDrawShape(nullptr);
      Band->SetLeft(25400);
      Band->SetTop(25400);
      Band->SetWidth(152400);
      Band->SetHeight(12700);
      TBrush B;
      B.SetColor(clBlack);
      Band->SetBrush(&B);
      Band->SetPage(Page);
      Send(S);
    };
  });
  T.Window()->SetBounds(T.Window()->Left(), T.Window()->Top(), 700, 560);
  Pump();
  QImage Shot = Grab(T.Window());
  TTestTempFiles Temp;
  ASSERT_TRUE(Shot.save(QString::fromStdString(Temp.Path("pp-print-preview.png"))));
  const TppScreenDevice& D = *T.Viewer()->ScreenDevice();
  const QPoint Origin = T.Viewer()->Widget()->mapTo(T.Window()->Widget(), QPoint(0, 0));
  // The page is white inside the grey surround, below the toolbar, with its black band.
  EXPECT_GE(Origin.y(), 26);
  const TRect Band = D.Page()->GetDrawCommand(D.Page()->GetDrawCommandCount() - 1)->GetDrawRect();
  EXPECT_EQ(qRgb(0, 0, 0), Shot.pixel(Origin.x() + Band.Left + 5, Origin.y() + Band.Top + 2));
  EXPECT_EQ(qRgb(255, 255, 255), Shot.pixel(Origin.x() + D.PageLeft() + D.PageWidth() / 2,
                                            Origin.y() + D.PageTop() + D.PageHeight() - 10));
  EXPECT_NE(qRgb(255, 255, 255), Shot.pixel(Origin.x() + D.PageLeft() - 3, Origin.y() + D.PageTop() + 10));
}

}  // namespace
