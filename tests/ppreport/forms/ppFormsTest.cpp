#include "ppreport/output/forms/ppForms.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QWidget>
#include <chrono>

#include "platform/app/Application.h"
#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/output/forms/ppCDlg.h"
#include "ppreport/output/forms/ppScrollBox.h"

namespace {
// A form of a kind, for registry tests.
class TFormsTestDialog : public TppCustomNoDataDialog {
  DECLARE_CLASSINFO(TFormsTestDialog)
public:
  using TppCustomNoDataDialog::TppCustomNoDataDialog;
};
class TFormsTestDialog2 : public TppCustomNoDataDialog {
  DECLARE_CLASSINFO(TFormsTestDialog2)
public:
  using TppCustomNoDataDialog::TppCustomNoDataDialog;
};
}  // namespace

const TClassInfo& TFormsTestDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TFormsTestDialog>("TFormsTestDialog", &TppCustomNoDataDialog::StaticClassInfo());
  return Info;
}
const TClassInfo& TFormsTestDialog2::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TFormsTestDialog2>("TFormsTestDialog2", &TppCustomNoDataDialog::StaticClassInfo());
  return Info;
}

namespace {
// Puts the library's own no-data dialog back after a test replaced it.
struct TRestoreNoData {
  ~TRestoreNoData() { RegisterFormClass<TppCustomNoDataDialog>(TppNoDataDialog::StaticClassInfo()); }
};
}  // namespace

TEST(ppFormRegistry, TheLastRegistrationOfAKindWinsAndTheReplacedClassLeavesTheStreamingRegistry) {
  TRestoreNoData Restore;
  EXPECT_EQ(GetFormClass<TppCustomNoDataDialog>(), &TppNoDataDialog::StaticClassInfo());
  RegisterFormClass<TppCustomNoDataDialog>(TFormsTestDialog::StaticClassInfo());
  EXPECT_EQ(GetClass("TFormsTestDialog"), &TFormsTestDialog::StaticClassInfo());
  EXPECT_EQ(GetClass("TppNoDataDialog"), nullptr);
  // Kinds compare without regard to case.
  RegisterFormClass("tppcustomnodatadialog", TFormsTestDialog2::StaticClassInfo());
  EXPECT_EQ(GetFormClass("TppCustomNoDataDialog"), &TFormsTestDialog2::StaticClassInfo());
  EXPECT_EQ(GetClass("TFormsTestDialog"), nullptr);

  std::unique_ptr<TppForm, TComponentDeleter> F(CreateFormOfKind(ppNoDataDialogRole, nullptr));
  EXPECT_EQ(F->ClassName(), "TFormsTestDialog2");
}

TEST(ppFormRegistry, AKindNobodyRegisteredAnswersNoneAndCreatingItNamesTheKind) {
  constexpr char Unknown[] = "TppCustomUnknownDialog";  // a kind no library registers
  EXPECT_EQ(GetFormClass(Unknown), nullptr);
  UnregisterFormClass("");                      // nothing
  UnregisterFormClass(Unknown);  // nothing registered: nothing
  try {
    CreateFormOfKind(Unknown, nullptr);
    FAIL() << "no error";
  } catch (const ETalvorError& E) {
    EXPECT_NE(std::string(E.Message()).find(Unknown), std::string::npos) << E.Message();
  }
  // A registered class that is not of the kind asked for is refused the same way, and freed.
  RegisterFormClass<TppCustomCancelDialog>(TFormsTestDialog::StaticClassInfo());
  EXPECT_THROW(CreateForm<TppCustomCancelDialog>(nullptr), ETalvorError);
  RegisterFormClass<TppCustomCancelDialog>(TppCancelDialog::StaticClassInfo());
  std::unique_ptr<TppCustomCancelDialog, TComponentDeleter> C(CreateForm<TppCustomCancelDialog>(nullptr));
  EXPECT_EQ(C->ClassName(), "TppCancelDialog");
}

TEST(ppForm, EventsLanguageAndReportFollowTheForm) {
  std::vector<std::string> Log;
  {
    TppProducer Report(nullptr);
    TppForm F(nullptr);
    F.OnFormCancel = [&](TObject*) { Log.push_back("cancel"); };
    F.OnFormClose = [&](TObject*) { Log.push_back("close"); };
    F.OnFormDestroy = [&](TObject* S) { Log.push_back(S == &F ? "destroy" : "?"); };
    F.SetLanguageIndex(3);
    F.SetReport(&Report);
    EXPECT_EQ(F.LanguageIndex(), 3);
    EXPECT_EQ(F.Report(), &Report);
    F.DoCancel();
    EXPECT_TRUE(F.CloseQuery());
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"cancel", "close", "destroy"}));
}

TEST(ppForm, AbstractOperationsOfAKindRaiseAndTheShownDialogGoesThroughTheService) {
  TppCustomAutoSearchDialog A(nullptr);
  EXPECT_THROW(A.Init(), ETalvorError);
  EXPECT_THROW(A.GetAutoSearchGroups(), ETalvorError);
  TppCustomTemplateErrorDialog T(nullptr);
  EXPECT_THROW(T.SetErrorMessage("x"), ETalvorError);

  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  S->Answer(mrRetry);
  EXPECT_EQ(A.ShowDialog(), mrRetry);
  EXPECT_EQ(S->LastCall<TppFormRequest>().Kind, "TppCustomAutoSearchDialog");
  EXPECT_EQ(S->LastCall<TppFormRequest>().Form, &A);
}

TEST(ppCancelDialogBase, ExecuteModalStartsTheJobOnceInsideTheModalLoop) {
  TppCancelDialog D(nullptr);
  int Starts = 0;
  bool WasModal = false;
  D.OnStart = [&](TObject*) {
    ++Starts;
    WasModal = D.Modal() && D.Visible();
    // The job: let the modal loop run a while (timer ticks would start it again), then end.
    const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(80);
    while (std::chrono::steady_clock::now() < Until) Application->ProcessMessages();
    D.SetModalResult(mrOk);
  };
  EXPECT_EQ(D.StartTimer()->Interval(), 10u);
  EXPECT_FALSE(D.StartTimer()->Enabled());
  EXPECT_EQ(D.ExecuteModal(), mrOk);
  EXPECT_EQ(Starts, 1);
  EXPECT_TRUE(WasModal);
  EXPECT_FALSE(D.StartTimer()->Enabled());
}

TEST(ppCancelDialogBase, ANonModalDialogGivesTheFocusBackToTheFormActiveBeforeIt) {
  TForm Main(nullptr);
  Main.SetBounds(0, 0, 200, 100);
  Main.Show();
  Application->ProcessMessages();
  if (Screen().ActiveForm() != &Main) GTEST_SKIP() << "no active window under this platform";
  Main.SetEnabled(false);
  {
    TppCancelDialog D(nullptr);
    D.Show();
    Application->ProcessMessages();
    D.Hide();
    Application->ProcessMessages();
  }
  EXPECT_TRUE(Main.Enabled());
}

TEST(ppUpDown, SitsInsideTheRightEndOfItsEdit) {
  TForm F(nullptr);
  auto* E = new TEdit(&F);
  E->SetParent(&F);
  E->SetBounds(396, 116, 61, 21);
  TppUpDown* U = TppUpDown::CreateForEdit(E);
  EXPECT_EQ(U->Owner(), &F);
  EXPECT_EQ(U->Parent(), &F);
  EXPECT_EQ(U->Edit(), E);
  EXPECT_EQ(U->Left(), 396 + 61 - U->Width() - 2);
  EXPECT_EQ(U->Top(), 118);
  EXPECT_EQ(U->Height(), 17);
  EXPECT_EQ(U->Min(), -100);
}

TEST(ppScrollBox, ReportsEachScrollWithItsKindAndPosition) {
  TForm F(nullptr);
  F.SetBounds(0, 0, 200, 200);
  auto* B = new TppScrollBox(&F);
  B->SetParent(&F);
  B->SetBounds(0, 0, 150, 150);
  auto* Big = new TPanel(&F);
  Big->SetParent(B);
  Big->SetBounds(0, 0, 1000, 2000);
  F.Show();
  Application->ProcessMessages();
  std::vector<std::pair<int, int>> V, H;
  B->OnVerticalScroll = [&](TObject*, int16_t P, TppVerticalScrollEventType T) { V.push_back({T, P}); };
  B->OnHorizontalScroll = [&](TObject*, int16_t P, TppHorizontalScrollEventType T) { H.push_back({T, P}); };
  QScrollBar *VB = nullptr, *HB = nullptr;
  for (QScrollBar* S : B->Widget()->findChildren<QScrollBar*>()) (S->orientation() == Qt::Vertical ? VB : HB) = S;
  ASSERT_TRUE(VB && HB);
  VB->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  Application->ProcessMessages();
  ASSERT_EQ(V.size(), 1u);
  EXPECT_EQ(V[0].first, vsLineDown);
  EXPECT_EQ(V[0].second, B->VertScrollBar()->Position());
  EXPECT_GT(V[0].second, 0);
  // Dragging the thumb reports the thumb's position.
  VB->setSliderDown(true);
  VB->setSliderPosition(300);
  Application->ProcessMessages();
  ASSERT_GE(V.size(), 2u);
  EXPECT_EQ(V[1], std::make_pair(int(vsThumbTrack), 300));
  HB->triggerAction(QAbstractSlider::SliderToMaximum);
  Application->ProcessMessages();
  ASSERT_EQ(H.size(), 1u);
  EXPECT_EQ(H[0].first, hsRight);
  EXPECT_EQ(H[0].second, B->HorzScrollBar()->Position());
}

// ---- the settings a report owns

TEST(ppPreviewFormSettings, ZoomPercentageIsClampedAndSwitchesTheZoomToPercentage) {
  struct Case {
    int Set, Stored;
  };
  for (Case C : {Case{10, 25}, Case{400, 250}, Case{120, 120}, Case{25, 25}, Case{250, 250}}) {
    TppPreviewFormSettings S;
    int Notified = 0;
    S.OnChange = [&](TObject*) { ++Notified; };
    S.SetZoomPercentage(C.Set);
    EXPECT_EQ(S.ZoomPercentage(), C.Stored) << C.Set;
    EXPECT_EQ(S.ZoomSetting(), zsPercentage);
    EXPECT_EQ(Notified, 2);
  }
  TppPreviewFormSettings A, B;
  int Notified = 0;
  B.OnChange = [&](TObject*) { ++Notified; };
  A.SetWindowState(pwsMaximized);
  A.SetZoomSetting(zsPageWidth);
  B.CopySettings(A);
  EXPECT_EQ(B.WindowState(), pwsMaximized);
  EXPECT_EQ(B.ZoomSetting(), zsPageWidth);
  EXPECT_EQ(Notified, 0);
  // A report publishes them, under the form's enumeration names.
  TppProducer P(nullptr);
  P.SetPreviewFormSettings(&A);
  EXPECT_EQ(P.PreviewFormSettings()->WindowState(), pwsMaximized);
  EXPECT_EQ(GetClass("TppPreviewFormSettings"), &TppPreviewFormSettings::StaticClassInfo());
  EXPECT_EQ(FindEnumType("TWindowState")->NameOf(2), "wsMaximized");
}

TEST(ppBackgroundPrintSettings, ActiveOnlyWhileEnabledButAssignmentCopiesBoth) {
  TppBackgroundPrintSettings S;
  S.SetActive(true);
  EXPECT_FALSE(S.Active());
  S.SetEnabled(true);
  S.SetActive(true);
  EXPECT_TRUE(S.Active());
  TppBackgroundPrintSettings T;
  T.Assign(&S);
  EXPECT_TRUE(T.Enabled());
  EXPECT_TRUE(T.Active());
  TppPDFSettings Pdf;
  EXPECT_THROW(T.Assign(&Pdf), Exception);
}

TEST(ppPDFSettings, DefaultsAndAssignCopyAllSeven) {
  TppPDFSettings S;
  EXPECT_EQ(S.CompressionLevel(), pclDefault);
  EXPECT_TRUE(S.ScaleImages());
  EXPECT_FALSE(S.OpenPDFFile());
  S.SetAuthor("Ana");
  S.SetCompressionLevel(pclMax);
  S.SetKeywords("vendas");
  S.SetOpenPDFFile(true);
  S.SetScaleImages(false);
  S.SetSubject("Mensal");
  S.SetTitle("Relatório");
  TppPDFSettings T;
  T.Assign(&S);
  EXPECT_EQ(T.Author(), "Ana");
  EXPECT_EQ(T.CompressionLevel(), pclMax);
  EXPECT_EQ(T.Keywords(), "vendas");
  EXPECT_TRUE(T.OpenPDFFile());
  EXPECT_FALSE(T.ScaleImages());
  EXPECT_EQ(T.Subject(), "Mensal");
  EXPECT_EQ(T.Title(), "Relatório");
}
