#include "ppreport/output/forms/ppTmDlg.h"

#include <gtest/gtest.h>

#include <QListWidget>

#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/data/MemDataSet.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppDataSetPipe.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/core/ppTemplateTestSupport.h"

namespace {

// A template table as a design tool would list it: three names, given out of order.
struct TemplateTable {
  TForm Owner{nullptr};
  TMemoryDataSet* Data = new TMemoryDataSet(&Owner);
  TppDataSetPipeline* Pipeline = new TppDataSetPipeline(&Owner);
  std::unique_ptr<TppForm, TComponentDeleter> Form{CreateFormOfKind(ppTemplateDialogRole, nullptr)};
  TppTemplateDialog* Dialog = dynamic_cast<TppTemplateDialog*>(Form.get());

  explicit TemplateTable(uint8_t Kind) {
    Data->FieldDefs().Add("Name", ftString, 40);
    for (const char* N : {"Vendas", "Compras", "Estoque"}) Data->AppendRecord({std::string(N)});
    Pipeline->SetDataSet(Data);
    Dialog->SetLanguageIndex(0);
    Dialog->Kind = Kind;
    Dialog->NameField = "Name";
    Dialog->SetDataPipeline(Pipeline);
  }
  std::vector<std::string> Names() {
    std::vector<std::string> N;
    Dialog->GetTemplateNames(N);
    return N;
  }
  // What the modal loop asks once a button set the modal result.
  bool CloseWith(const std::string& Name, TModalResult Result) {
    Dialog->SetTemplateName(Name);
    Dialog->SetModalResult(Result);
    return Dialog->CloseQuery();
  }
};

QListWidget* ListOf(TListBox* L) {
  auto* W = qobject_cast<QListWidget*>(L->Widget());
  return W ? W : L->Widget()->findChild<QListWidget*>();
}

}  // namespace

TEST(ppTemplateDialog, EachActivationListsTheNamesOnceSortedWithCaptionsByKind) {
  TemplateTable T(0);
  ASSERT_TRUE(T.Dialog);
  EXPECT_EQ(T.Dialog->ClientWidth(), 419);
  EXPECT_EQ(T.Dialog->ClientHeight(), 265);
  T.Dialog->Activate();
  T.Dialog->Activate();
  EXPECT_EQ((std::vector<std::string>{"Compras", "Estoque", "Vendas"}), T.Names());
  EXPECT_EQ(T.Dialog->Caption(), "Abrir Modelo");
  EXPECT_EQ(T.Dialog->btnOK->Caption(), "&Abrir");
  EXPECT_EQ(T.Dialog->btnCancel->Caption(), "Cancelar");
  EXPECT_EQ(T.Dialog->hdrList->Caption(), "Nome");
  EXPECT_EQ(T.Dialog->lblTemplateName->Caption(), "Nome");

  TemplateTable S(1);
  S.Dialog->SetTemplateName("Vendas 2");
  S.Dialog->Activate();
  EXPECT_EQ(S.Dialog->Caption(), "Salvar Modelo Vendas 2 Como");
  EXPECT_EQ(S.Dialog->btnOK->Caption(), "&Salvar");

  // Names set by the caller stay when there is no pipeline to list.
  TemplateTable N(0);
  N.Dialog->SetDataPipeline(nullptr);
  N.Dialog->SetTemplateNames({"B", "A"});
  N.Dialog->Activate();
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), N.Names());
}

TEST(ppTemplateDialog, ClickingANameFillsTheEditAndADoubleClickConfirms) {
  TemplateTable T(0);
  T.Dialog->Show();
  T.Dialog->Activate();
  Application->ProcessMessages();
  QListWidget* L = ListOf(T.Dialog->lbxTemplates);
  ASSERT_TRUE(L);
  const QPoint P = L->visualItemRect(L->item(1)).center();
  QMouseEvent Press(QEvent::MouseButtonPress, P, L->viewport()->mapToGlobal(P), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent Release(QEvent::MouseButtonRelease, P, L->viewport()->mapToGlobal(P), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(L->viewport(), &Press);
  QCoreApplication::sendEvent(L->viewport(), &Release);
  EXPECT_EQ(T.Dialog->GetTemplateName(), "Estoque");
  EXPECT_EQ(T.Dialog->ModalResult(), mrNone);
  QMouseEvent Double(QEvent::MouseButtonDblClick, P, L->viewport()->mapToGlobal(P), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
  QCoreApplication::sendEvent(L->viewport(), &Double);
  EXPECT_EQ(T.Dialog->ModalResult(), mrOk);
  T.Dialog->Hide();
}

TEST(ppTemplateDialog, ClosingChecksTheNameAgainstTheTable) {
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));

  TemplateTable Open(0);
  Open.Dialog->Activate();  // as showing it does: the table is open from here
  EXPECT_TRUE(Open.CloseWith("vendas", mrOk)) << "found case-insensitively";
  EXPECT_TRUE(Open.CloseWith("", mrCancel)) << "cancel checks nothing";
  EXPECT_TRUE(S->Calls.empty());
  S->Answer(mrOk);
  EXPECT_FALSE(Open.CloseWith("Folha", mrOk));
  ASSERT_EQ(S->Calls.size(), 1u);
  EXPECT_EQ(S->Call<TMessageRequest>(0).Text, "Registro não encontrado: Folha");
  EXPECT_EQ(S->Call<TMessageRequest>(0).Type, mtWarning);
  S->Answer(mrOk);
  EXPECT_FALSE(Open.CloseWith("", mrOk));
  EXPECT_EQ(S->Calls.size(), 2u);

  TemplateTable Save(1);
  Save.Dialog->Activate();
  EXPECT_TRUE(Save.CloseWith("Folha", mrOk)) << "a new name closes at once";
  EXPECT_EQ(S->Calls.size(), 2u);
  S->Answer(mrNo);
  EXPECT_FALSE(Save.CloseWith("Compras", mrOk));
  ASSERT_EQ(S->Calls.size(), 3u);
  EXPECT_EQ(S->Call<TMessageRequest>(2).Text, "O modelo Compras já existe.\n\nDeseja substituí-lo?");
  EXPECT_EQ(S->Call<TMessageRequest>(2).Buttons, mbYesNo);
  S->Answer(mrYes);
  EXPECT_TRUE(Save.CloseWith("Compras", mrOk)) << "replacing was confirmed";
}

TEST(ppTemplateErrorDialog, AReaderErrorIsAnsweredThroughTheFormIgnoreAll) {
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  // The service shows the error request with the registered form, as the Qt service does.
  S->Answers.push_back([](TDialogRequest& R) { return ExecuteTemplateErrorDialog(*R.As<TppTemplateErrorRequest>()); });
  std::string Seen;
  S->Answers.push_back([&](TDialogRequest& R) {
    auto* D = dynamic_cast<TppTemplateErrorDialog*>(R.As<TppFormRequest>()->Form);
    Seen = D->Caption() + "|" + D->GetErrorMessage() + "|" + D->btnIgnore->Caption() + "|" +
           D->btnCancel->Caption() + "|" + D->btnIgnoreAll->Caption();
    ClickAt(D->btnIgnoreAll, 5, 5);
    return D->ModalResult();
  });
  TppTemplateErrorRequest R;
  R.Message = "Propriedade Bogus inexistente\nIgnora o erro e continua?";
  EXPECT_EQ(DialogService().Execute(R), mrAll);
  EXPECT_EQ(Seen,
            "Erro ao Ler o Modelo|Propriedade Bogus inexistente\nIgnora o erro e continua?|&Ignorar|Cancelar|"
            "Ignorar &Todos");
  ASSERT_EQ(S->Calls.size(), 2u);
  EXPECT_EQ(S->Call<TppFormRequest>(1).Kind, "TppCustomTemplateErrorDialog");
}

// A template with two unknown properties loads once "Ignorar Todos" was pressed on the real form
// for the first: the second error is skipped without asking.
TEST(ppTemplateErrorDialog, IgnoreAllOnTheFormSkipsTheRestOfTheLoad) {
  using namespace pptest;
  TTemplateClasses Classes;
  TComponent Form{nullptr};
  auto* Report = new TModelReport(&Form);
  Report->SetName("Report1");
  BuildTemplateReport(Report);
  std::string Text = SaveTemplate(Report, ftASCII);
  const size_t At = Text.find("Ratio = 1.25\r\n");
  ASSERT_NE(std::string::npos, At);
  Text.insert(At, "Bogus = 1\r\n      Other = 2\r\n      ");

  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  S->Answers.push_back([](TDialogRequest& R) { return ExecuteTemplateErrorDialog(*R.As<TppTemplateErrorRequest>()); });
  S->Answers.push_back([](TDialogRequest& R) {
    auto* D = dynamic_cast<TppTemplateErrorDialog*>(R.As<TppFormRequest>()->Form);
    ClickAt(D->btnIgnoreAll, 5, 5);
    return D->ModalResult();
  });
  TMemoryStream M;
  M.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  M.SetPosition(0);
  Report->Template()->LoadFromStream(M);
  ASSERT_EQ(S->Calls.size(), 2u);
  EXPECT_NE(std::string::npos, S->Call<TppTemplateErrorRequest>(0).Message.find("Bogus"));
  auto* L2 = dynamic_cast<TTemplateLabel*>(Report->FindObjectByName("Label2"));
  ASSERT_NE(nullptr, L2);
  EXPECT_EQ(1.25, L2->Ratio());
}
