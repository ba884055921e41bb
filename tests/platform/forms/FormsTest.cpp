#include "platform/forms/Forms.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "FormsTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/StdCtrls.h"

using FormTest = FormsTest;

TEST_F(FormTest, CaptionClientSizeAndCentredPosition) {
  TForm Form(nullptr);
  Form.SetCaption("Pré Visualizar");
  EXPECT_EQ(Form.Widget()->windowTitle(), QString::fromUtf8("Pré Visualizar"));
  Form.SetClientWidth(644);
  Form.SetClientHeight(536);
  EXPECT_EQ(Form.ClientWidth(), 644);
  EXPECT_EQ(Form.ClientHeight(), 536);
  Form.SetBounds(0, 0, 200, 100);
  Form.SetPosition(poScreenCenter);
  Form.Show();
  QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(Form.Left(), Screen.x() + (Screen.width() - 200) / 2);
  EXPECT_EQ(Form.Top(), Screen.y() + (Screen.height() - 100) / 2);
  EXPECT_TRUE(Form.Visible());
  EXPECT_TRUE(Form.Widget()->isVisible());
}

TEST_F(FormTest, MaximisedFormTakesTheScreenAndRealignsItsChildren) {
  TForm Form(nullptr);
  auto* Client = new TPanel(&Form);
  Client->SetParent(&Form);
  Client->SetAlign(alClient);
  int Resized = 0;
  Form.OnResize = [&](TObject*) { ++Resized; };
  Form.SetBorderStyle(bsSingle);  // a single-line border does not stop maximising
  Form.SetClientWidth(644);
  Form.SetClientHeight(536);
  Form.SetWindowState(wsMaximized);
  Form.Show();
  Application->ProcessMessages();
  QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(Form.WindowState(), wsMaximized);
  EXPECT_EQ(Form.Width(), Form.Widget()->width());
  EXPECT_GT(Form.Width(), Screen.width() - 20);  // the window frame may take a few pixels
  EXPECT_GT(Resized, 0);
  EXPECT_EQ(Client->Width(), Form.ClientWidth());
  EXPECT_EQ(Client->Height(), Form.ClientHeight());
}

TEST_F(FormTest, CreateShowActivateAndCloseActions) {
  std::vector<std::string> Log;
  auto* Form = new TForm(nullptr);
  Form->OnCreate = [&](TObject*) { Log.push_back("create"); };
  Form->OnShow = [&](TObject*) { Log.push_back("show"); };
  Form->OnHide = [&](TObject*) { Log.push_back("hide"); };
  bool Allow = false;
  Form->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = Allow; };
  TCloseAction Next = caHide;
  Form->OnClose = [&](TObject*, TCloseAction& A) {
    EXPECT_EQ(A, caHide);  // the default for a normal form
    A = Next;
    Log.push_back("close");
  };
  Form->Show();
  Form->Show();
  Form->Close();  // refused by the close query
  EXPECT_TRUE(Form->Visible());
  Allow = true;
  Form->Close();
  EXPECT_FALSE(Form->Visible());
  Form->Show();
  Next = caNone;
  Form->Close();
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Log, (std::vector<std::string>{"create", "show", "close", "hide", "show", "close"}));

  // caFree frees the form once the waiting messages are handled.
  HWND H = Form->Handle();
  Next = caFree;
  Form->Close();
  EXPECT_TRUE(IsWindow(H));
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(H));
}

namespace {
class TReportForm : public TForm {
public:
  using TForm::TForm;
  std::string Title = "Vendas";
};
}  // namespace

TEST_F(FormTest, OnDestroyAndFreeNotificationsSeeTheWholeDerivedForm) {
  // Released (caFree) and freed by Free alike: the handler and the receiver see the derived form.
  for (bool Release : {false, true}) {
    SCOPED_TRACE(Release ? "Release" : "Free");
    std::vector<std::string> Log;
    auto* Form = new TReportForm(nullptr);
    auto* Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetText("abc");
    Form->OnDestroy = [&](TObject* Sender) {
      auto* F = dynamic_cast<TReportForm*>(Sender);
      Log.push_back(F ? F->Title + " " + Edit->Text() : "not a report form");
    };
    if (Release) {
      Form->Release();
      Application->ProcessMessages();
    } else {
      Form->Free();
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"Vendas abc"}));
  }
}

TEST_F(FormTest, TheWindowsCloseBoxAndMessageGoThroughClose) {
  TForm Form(nullptr);
  int Closes = 0;
  int Activations = 0;
  Form.OnClose = [&](TObject*, TCloseAction&) { ++Closes; };
  Form.OnActivate = [&](TObject*) { ++Activations; };
  Form.Show();
  Application->ProcessMessages();
  EXPECT_EQ(Screen().ActiveForm(), &Form);
  EXPECT_EQ(Activations, 1);
  Form.Widget()->close();
  EXPECT_EQ(Closes, 1);
  EXPECT_FALSE(Form.Visible());
  Form.Show();
  PostMessage(Form.Handle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(Closes, 2);
  EXPECT_FALSE(Form.Visible());
}

TEST_F(FormTest, ShowModalRunsUntilAButtonGivesAModalResult) {
  TForm Form(nullptr);
  auto* Ok = new TButton(&Form);
  Ok->SetParent(&Form);
  Ok->SetModalResult(mrOk);
  int Refusals = 1;
  Form.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = Refusals-- <= 0; };
  auto* Clicker = new TTimer(&Form);
  Clicker->SetInterval(1);
  Clicker->OnTimer = [&](TObject*) { Ok->Click(); };  // clicks twice: the first close is refused
  EXPECT_EQ(Form.ShowModal(), mrOk);
  EXPECT_FALSE(Form.Visible());
  EXPECT_FALSE(Form.Modal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the other windows take input again
  Clicker->SetEnabled(false);

  // Close on a modal form cancels it; a shown form cannot go modal.
  Form.OnCloseQuery = nullptr;
  Form.OnShow = [&](TObject*) { PostMessage(Form.Handle(), WM_USER, 0, 0); };
  auto* Closer = new TTimer(&Form);
  Closer->SetInterval(1);
  Closer->OnTimer = [&](TObject*) {
    Closer->SetEnabled(false);
    Form.Close();
  };
  EXPECT_EQ(Form.ShowModal(), mrCancel);
  Form.OnShow = nullptr;
  Form.Show();
  EXPECT_THROW(Form.ShowModal(), EInvalidOperation);
}

TEST_F(FormTest, AModalFormFreedByItsCloseActionAnswersItsResult) {
  auto* Form = new TForm(nullptr);
  HWND H = Form->Handle();
  Form->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
  auto* T = new TTimer(Form);
  T->SetInterval(1);
  T->OnTimer = [Form](TObject*) { Form->SetModalResult(mrYes); };
  EXPECT_EQ(Form->ShowModal(), mrYes);
  Application->ProcessMessages();
  EXPECT_FALSE(IsWindow(H));
}
