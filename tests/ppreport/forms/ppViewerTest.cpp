// The page viewer: zoom limits, navigation and its notices (also as broadcasts), a click on a
// clickable command, and once on a real X display (Xvfb) with a screenshot of the page.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <QWidget>
#include <sys/wait.h>

#include "platform/app/Application.h"
#include "platform/forms/Forms.h"
#include "ppreport/output/forms/ppViewer.h"
#include "tests/TestTemp.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

// Hears the viewer's broadcasts.
struct TListener {
  TppCommunicator* C = new TppCommunicator(nullptr);
  std::vector<int> Heard;
  explicit TListener(TppViewer& V) {
    for (int E : {ciViewerPageChange, ciViewerPrintStateChange, ciViewerStatusChange, ciViewerReset, ciViewerMouseDown})
      C->EventMask().Include(E);
    C->OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int E, TraParamList*) { Heard.push_back(E); };
    V.WalkieTalkie()->AddEventNotify(C);
  }
  ~TListener() { C->Free(); }
  int Count(int E) const { return static_cast<int>(std::count(Heard.begin(), Heard.end(), E)); }
};

// A form with a viewer showing the pages of Source; each page has a black square and a clickable
// text whose click is counted.
struct TViewerForm {
  TForm* Form = new TForm(nullptr);
  TppViewer* Viewer = new TppViewer(Form);
  int Clicks = 0;
  TPageSource Source;
  explicit TViewerForm(int Pages)
      : Source(Pages, nullptr, [this](int No, TppPage& Page) {
          auto* S = new TppDrawShape(nullptr);
          S->SetLeft(25400);
          S->SetTop(25400);
          S->SetWidth(25400 * No);
          S->SetHeight(25400);
          TBrush B;
          B.SetColor(clBlack);
          S->SetBrush(&B);
          S->SetPage(&Page);
          auto* T = new TppDrawText(nullptr);
          T->SetText("Detalhe");
          T->SetLeft(25400);
          T->SetTop(76200);
          T->SetWidth(50800);
          T->SetHeight(12700);
          T->SetClickable(true);
          T->SetOnDrawCommandClick(nullptr, [this](TppDrawCommand*) { ++Clicks; });
          T->SetPage(&Page);
        }) {
    Form->SetBounds(0, 0, 700, 600);
    Viewer->SetParent(Form);
    Viewer->SetAlign(alClient);
    Viewer->SetZoomSetting(zs100Percent);
    Form->Show();
    Pump();
    Viewer->ScreenDevice()->SetPublisher(&Source.Publisher());
    Viewer->ScreenDevice()->RequestPages();
    Pump();
  }
  ~TViewerForm() {
    Viewer->ScreenDevice()->SetPublisher(nullptr);
    Form->Free();
  }
  static void Pump() {
    for (int I = 0; I < 10; ++I) Application->ProcessMessages();
  }
};

TEST(ppViewerTest, ZoomPercentagesAreKeptInRange) {
  TViewerForm F(1);
  for (auto [Asked, Kept] : {std::pair{10, 25}, {400, 250}, {180, 180}}) {
    F.Viewer->SetZoomSetting(zsWholePage);
    F.Viewer->SetZoomPercentage(Asked);
    EXPECT_EQ(Kept, F.Viewer->ZoomPercentage());
    EXPECT_EQ(zsPercentage, F.Viewer->ZoomSetting());
    EXPECT_EQ(Kept, F.Viewer->GetCalculatedZoom());
  }
  F.Viewer->SetZoomSetting(zsWholePage);
  // The whole page fits the view.
  EXPECT_LE(F.Viewer->ScreenDevice()->PageHeight(), F.Viewer->ScrollBox()->ClientHeight());
}

// The pages scroll in a pp scroll box: a page down on its vertical bar is reported with the
// position it moved to.
TEST(ppViewerTest, ScrollsAreReportedByItsScrollBox) {
  TViewerForm F(1);
  std::vector<std::pair<int, TppVerticalScrollEventType>> Heard;
  F.Viewer->ScrollBox()->OnVerticalScroll = [&](TObject*, int16_t Position, TppVerticalScrollEventType Kind) {
    Heard.emplace_back(Position, Kind);
  };
  QScrollBar* Bar = nullptr;
  for (QScrollBar* B : F.Viewer->ScrollBox()->Widget()->findChildren<QScrollBar*>())
    if (B->orientation() == Qt::Vertical) Bar = B;
  ASSERT_NE(nullptr, Bar);
  ASSERT_GT(Bar->maximum(), 0) << "the page at 100 % is taller than the view";
  Bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  TViewerForm::Pump();
  ASSERT_EQ(1u, Heard.size());
  EXPECT_EQ(vsPageDown, Heard[0].second);
  EXPECT_GT(Heard[0].first, 0);
  EXPECT_EQ(F.Viewer->ScrollBox()->VertScrollBar()->Position(), Heard[0].first);
}

TEST(ppViewerTest, NavigationAndItsNotices) {
  TViewerForm F(3);
  TListener L(*F.Viewer);
  int Changes = 0;
  F.Viewer->OnPageChange = [&](TObject*) { ++Changes; };
  ASSERT_EQ(1, F.Viewer->GetAbsolutePageNo());
  F.Viewer->PriorPage();  // on page 1: nothing
  EXPECT_EQ(0, Changes);
  F.Viewer->NextPage();
  EXPECT_EQ(2, F.Viewer->GetAbsolutePageNo());
  F.Viewer->LastPage();
  EXPECT_EQ(3, F.Viewer->GetAbsolutePageNo());
  F.Viewer->NextPage();  // on the last page: nothing
  EXPECT_EQ(3, F.Viewer->GetAbsolutePageNo());
  EXPECT_EQ(2, Changes);
  EXPECT_EQ(2, L.Count(ciViewerPageChange));
  EXPECT_GE(L.Count(ciViewerPrintStateChange), 4);  // each job's start and end
  EXPECT_GE(L.Count(ciViewerStatusChange), 2);
  EXPECT_EQ("Página 3 de 3", F.Viewer->GetStatus());
  F.Viewer->Reset();
  EXPECT_EQ(1, L.Count(ciViewerReset));
}

// A click on the clickable text reaches its command; one beside it only the viewer's OnClick.
TEST(ppViewerTest, ClicksReachClickableCommands) {
  TViewerForm F(1);
  TListener L(*F.Viewer);
  int ViewerClicks = 0;
  F.Viewer->OnClick = [&](TObject*) { ++ViewerClicks; };
  const TRect R = F.Viewer->GetCurrentPage()->GetDrawCommand(1)->GetDrawRect();
  TppPaintBox* P = F.Viewer->PaintBox();
  P->OnMouseDown(P, mbLeft, 0, R.Left + 2, R.Top + 2);
  P->OnClick(P);
  EXPECT_EQ(1, F.Clicks);
  P->OnMouseDown(P, mbLeft, 0, R.Right + 5, R.Top + 2);
  P->OnClick(P);
  EXPECT_EQ(1, F.Clicks);
  EXPECT_EQ(2, ViewerClicks);
  EXPECT_EQ(2, L.Count(ciViewerMouseDown));
  P->OnMouseMove(P, 0, R.Left + 2, R.Top + 2);
  EXPECT_EQ(crHandPoint, P->Cursor());
  P->OnMouseMove(P, 0, R.Right + 5, R.Top + 2);
  EXPECT_NE(crHandPoint, P->Cursor());
}

// On a real X display: the page at 100 % is white with its black square, in the grey surround.
TEST(ppViewerTest, ScreenshotUnderXvfb) {
  if (QGuiApplication::platformName() != "xcb") {
    ASSERT_EQ(std::system("bash '" MOR_SOURCE_DIR "/scripts/deps.sh' >/dev/null"), 0) << "xvfb-run";
    const std::string Cmd = "env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb LSAN_OPTIONS=suppressions='" MOR_SOURCE_DIR
                            "/tests/ppreport/forms/xcb-leaks.supp' xvfb-run -a -s '-screen 0 1024x768x24' "
                            "/proc/" + std::to_string(getpid()) + "/exe --gtest_filter=ppViewerTest.ScreenshotUnderXvfb";
    const int Status = std::system(Cmd.c_str());
    ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0) << Cmd;
    return;
  }
  TViewerForm F(1);
  QImage Shot = F.Form->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  TTestTempFiles Temp;
  ASSERT_TRUE(Shot.save(QString::fromStdString(Temp.Path("pp-viewer.png"))));
  const TppScreenDevice& D = *F.Viewer->ScreenDevice();
  const TRect Square = D.Page()->GetDrawCommand(0)->GetDrawRect();
  // The form's client shows the bitmap from its corner at scroll position 0.
  EXPECT_TRUE(Dark(Shot, Square.Left + 5, Square.Top + 5));
  EXPECT_EQ(qRgb(255, 255, 255), Shot.pixel(Square.Left + 5, Square.Bottom + 5));
  EXPECT_NE(qRgb(255, 255, 255), Shot.pixel(D.PageLeft() - 3, D.PageTop() + 10));
}

}  // namespace
