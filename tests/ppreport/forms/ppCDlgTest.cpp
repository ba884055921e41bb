#include "ppreport/output/forms/ppCDlg.h"

#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/output/ppPrnDev.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

TEST(ppCancelDialog, ShowsTheStatusAndCancelsThroughItsButtonOnlyWhenAllowed) {
  std::unique_ptr<TppForm, TComponentDeleter> F(CreateFormOfKind(ppCancelDialogRole, nullptr));
  auto* D = dynamic_cast<TppCancelDialog*>(F.get());
  ASSERT_TRUE(D);
  EXPECT_EQ(D->memMessage->Text(), "");
  EXPECT_EQ(D->ClientWidth(), 270);
  EXPECT_EQ(D->ClientHeight(), 133);
  D->SetLanguageIndex(0);
  EXPECT_EQ(D->Caption(), "Imprimindo");
  EXPECT_EQ(D->btnCancel->Caption(), "Cancelar");

  D->SetStatusText("Imprimindo página 1");
  EXPECT_EQ(D->memMessage->Text(), "Imprimindo página 1");
  D->SetStatusText("Imprimindo página 2");
  EXPECT_EQ(D->memMessage->Text(), "Imprimindo página 2");

  int Cancels = 0;
  D->OnFormCancel = [&](TObject*) { ++Cancels; };
  D->Show();
  Application->ProcessMessages();
  EXPECT_FALSE(D->btnCancel->Enabled()) << "created without AllowCancel";
  D->Hide();
  D->SetAllowCancel(true);
  D->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(D->btnCancel->Enabled());
  ClickAt(D->btnCancel, 5, 5);
  Application->ProcessMessages();
  EXPECT_EQ(Cancels, 1);
  EXPECT_FALSE(D->Visible());
}

TEST(ppCancelDialog, TheCancelButtonFollowsItsCaptionAndStaysCentred) {
  TppCancelDialog D(nullptr);
  D.SetLanguageIndex(0);
  TBitmap Measure(1, 1);
  Measure.Canvas().Font() = D.btnCancel->Font();
  const int Short = D.btnCancel->Width();
  EXPECT_EQ(Short, Measure.Canvas().TextWidth("Cancelar") + 30);
  EXPECT_EQ(D.btnCancel->Left(), (D.Width() - Short) / 2);
}

// The printer device writes its progress into a real cancel dialog: each page's line on its memo.
class ppCancelDialogPrintTest : public ppPrintTest {};

TEST_F(ppCancelDialogPrintTest, ShowsThePrinterDevicesStatus) {
  constexpr char Queue[] = "Virtual CDlg";
  Install(Queue, {}, true);
  Refresh();
  TppPrinterSetup Setup;
  Setup.SetPrinterName(Queue);
  Setup.SetDocumentName("Vendas");

  TppCancelDialog Dialog(nullptr);
  Dialog.SetLanguageIndex(0);
  ppdevtest::TPageSource Source(2, &Setup, nullptr);
  TppPrinterDevice Device(nullptr);
  Device.Printer()->SetPrinterName(Queue);
  Device.SetCancelDialog(&Dialog);
  EXPECT_EQ(static_cast<IppCancelDialogStatus*>(&Dialog), DeviceStatusDialog(Device));
  std::vector<std::string> Shown;
  Source.AfterPage = [&](int) { Shown.push_back(Dialog.memMessage->Text()); };
  Device.SetPublisher(&Source.Publisher());
  Device.RequestPages();
  Device.SetPublisher(nullptr);
  EXPECT_EQ((std::vector<std::string>{"Imprimindo a página 1 do Relatório Vendas em Virtual CDlg",
                                      "Imprimindo a página 2 do Relatório Vendas em Virtual CDlg"}),
            Shown);
  EXPECT_EQ(Shown.back(), Dialog.StatusText());
}

TEST(ppNoDataDialog, ShownOnceThroughTheDialogServiceWithItsTexts) {
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  std::string Seen;
  S->Answers.push_back([&](TDialogRequest& R) {
    TppForm* F = R.As<TppFormRequest>()->Form;
    auto* D = dynamic_cast<TppNoDataDialog*>(F);
    Seen = D->Caption() + "|" + D->memMessage->Text() + "|" + D->btnOK->Caption();
    ClickAt(D->btnOK, 5, 5);
    return F->ModalResult();
  });
  std::unique_ptr<TppForm, TComponentDeleter> F(CreateFormOfKind(ppNoDataDialogRole, Application));
  F->SetLanguageIndex(0);
  EXPECT_EQ(F->ClientHeight(), 93);
  EXPECT_EQ(F->ShowDialog(), mrOk);
  EXPECT_EQ(Seen, "Nenhum Dado Encontrado|Não há dados para este relatório.|OK");
  ASSERT_EQ(S->Calls.size(), 1u);
  EXPECT_EQ(S->Call<TppFormRequest>(0).Kind, "TppCustomNoDataDialog");
}
