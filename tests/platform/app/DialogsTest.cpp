#include "platform/app/Dialogs.h"

#include <gtest/gtest.h>

#include "platform/app/Application.h"
#include "platform/printing/PaperSizes.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/platform/app/DialogsTestUtil.h"

namespace {
class DialogsTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto S = std::make_unique<TScriptedDialogService>();
    Script = S.get();
    Scope = std::make_unique<TDialogServiceScope>(std::move(S));
  }
  void TearDown() override { Scope.reset(); }
  TScriptedDialogService* Script = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
};

std::vector<std::string> Captions(const TMessageRequest& R) {
  std::vector<std::string> L;
  for (TMsgDlgBtn B : R.ButtonList()) L.push_back(MsgDlgButtonCaption(B));
  return L;
}

// A service that scribbles on the data of dialogs it then cancels.
class TScribbler : public TDialogService {
public:
  TModalResult Execute(TDialogRequest& R) override {
    if (auto* F = R.As<TFileDialogData>()) {
      F->FileName = "scribbled";
      F->FilterIndex = 9;
    }
    if (auto* P = R.As<TPrintDialogData>()) {
      P->Copies = 99;
      P->PrintRange = prSelection;
    }
    if (auto* I = R.As<TInputRequest>()) I->Value = "scribbled";
    return mrCancel;
  }
};
}  // namespace

TEST_F(DialogsTest, MessageDialogsHavePortugueseCaptionsAndButtons) {
  Application->SetTitle("Mivo Open Report");
  const std::pair<TMsgDlgType, const char*> Types[] = {{mtWarning, "Aviso"},
                                                       {mtError, "Erro"},
                                                       {mtInformation, "Informação"},
                                                       {mtConfirmation, "Confirmação"},
                                                       {mtCustom, "Mivo Open Report"}};
  for (auto [Type, Caption] : Types) {
    Script->Answer(mrYes);
    EXPECT_EQ(MessageDlg("Substituir?", Type, mbYesNoCancel), mrYes);
    EXPECT_EQ(Script->LastCall<TMessageRequest>().Caption, Caption);
  }
  EXPECT_EQ(Captions(Script->LastCall<TMessageRequest>()), (std::vector<std::string>{"Sim", "Não", "Cancelar"}));
  EXPECT_EQ(Script->LastCall<TMessageRequest>().Text, "Substituir?");
  ShowMessage("File does not exist");  // no answer left: closed
  EXPECT_EQ(Captions(Script->LastCall<TMessageRequest>()), std::vector<std::string>{"OK"});
  EXPECT_EQ(Script->LastCall<TMessageRequest>().Caption, "Mivo Open Report");
}

TEST_F(DialogsTest, MessageBoxTakesButtonsIconAndDefaultFromItsFlags) {
  Script->Answer(mrNo);
  EXPECT_EQ(MessageBox("Enviar?", "Probably internal bug", MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2), IDNO);
  const TMessageRequest& R = Script->LastCall<TMessageRequest>();
  EXPECT_EQ(R.Caption, "Probably internal bug");
  EXPECT_EQ(R.Type, mtError);
  EXPECT_EQ(Captions(R), (std::vector<std::string>{"Sim", "Não"}));
  EXPECT_EQ(R.DefaultButton, mbNo);
  // Closed without choosing: a lone OK answers OK; Yes/No without Cancel answers IDCANCEL.
  EXPECT_EQ(MessageBox("x", "y", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(Script->LastCall<TMessageRequest>().Type, mtInformation);
  EXPECT_EQ(MessageBox("x", "y", MB_YESNO), IDCANCEL);
}

TEST_F(DialogsTest, InputBoxAnswersTheDefaultWhenCancelled) {
  Script->Accept<TInputRequest>([](TInputRequest& R) { R.Value = "7"; });
  EXPECT_EQ(InputBox("Selecione pagina de 1 para 9", "Ir para pagina >>", "1"), "7");
  const auto& Asked = Script->Call<TInputRequest>(0);
  EXPECT_EQ(Asked.Caption, "Selecione pagina de 1 para 9");
  EXPECT_EQ(Asked.Prompt, "Ir para pagina >>");
  EXPECT_EQ(Asked.Value, "1");
  EXPECT_EQ(InputBox("c", "p", "1"), "1");

  SetDialogService(std::make_unique<TScribbler>());
  std::string V = "keep";
  EXPECT_FALSE(InputQuery("c", "p", V));
  EXPECT_EQ(V, "keep");
}

TEST_F(DialogsTest, SaveDialogHandsOverFilterTitleAndDefaultExtension) {
  TSaveDialog D(nullptr);
  D.SetTitle("Save report");
  D.SetFilter("VexaReport file (*.LXP)|*.LXP|Texto|*.txt;*.pdf|Formato de Documento portavel (PDF)");
  D.SetDefaultExt("LXP");
  D.SetFilterIndex(1);
  Script->Accept<TFileDialogData>([](TFileDialogData& F) {
    F.FileName = "/tmp/relatorio";
    F.FilterIndex = 3;
  });
  ASSERT_TRUE(D.Execute());
  const TFileDialogData& Asked = Script->Call<TFileDialogData>(0);
  EXPECT_TRUE(Asked.Save);
  EXPECT_EQ(Asked.Title, "Save report");
  EXPECT_EQ(Asked.FilterIndex, 1);
  EXPECT_EQ(Asked.DefaultExt, "LXP");
  EXPECT_EQ(D.FileName(), "/tmp/relatorio.LXP");
  EXPECT_EQ(D.FilterIndex(), 3);
  EXPECT_EQ(D.Files(), std::vector<std::string>{"/tmp/relatorio.LXP"});

  EXPECT_FALSE(D.Execute());  // cancelled: the last choice stays
  EXPECT_EQ(D.FileName(), "/tmp/relatorio.LXP");
  SetDialogService(std::make_unique<TScribbler>());
  EXPECT_FALSE(D.Execute());
  EXPECT_EQ(D.FileName(), "/tmp/relatorio.LXP");
  EXPECT_EQ(D.FilterIndex(), 3);
}

TEST_F(DialogsTest, WindowsFiltersSplitIntoEntries) {
  auto F = ParseFileFilter("Text files|*.TXT|Both|*.lxp; *.pdf|Formato de Documento portavel (PDF)");
  ASSERT_EQ(F.size(), 3u);
  EXPECT_EQ(F[0].Description, "Text files");
  EXPECT_EQ(F[0].Patterns, std::vector<std::string>{"*.TXT"});
  EXPECT_EQ(F[1].Patterns, (std::vector<std::string>{"*.lxp", "*.pdf"}));
  EXPECT_EQ(F[2].Description, "Formato de Documento portavel (PDF)");  // no pattern: still an entry
  EXPECT_EQ(F[2].Patterns, std::vector<std::string>{"*.*"});
  EXPECT_TRUE(ParseFileFilter("").empty());
}

TEST_F(DialogsTest, DefaultExtensionOnlyForNamesWithoutOne) {
  const std::tuple<const char*, const char*, const char*> Cases[] = {
      {"report", "txt", "report.txt"},         {"report.", "txt", "report.txt"},
      {"report.csv", "txt", "report.csv"},     {"/tmp/a.b/report", "LXP", "/tmp/a.b/report.LXP"},
      {"report", "", "report"},                {"", "txt", ""},
      {"report", ".pdf", "report.pdf"},
  };
  for (auto [Name, Ext, Expected] : Cases) EXPECT_EQ(ApplyDefaultExt(Name, Ext), Expected) << Name << " " << Ext;
}

TEST_F(DialogsTest, PrintDialogHandsBackRangeAndCopiesAndNothingOnCancel) {
  TPrintDialogData D;
  D.MinPage = 1;
  D.MaxPage = 12;
  D.Options = poPageNums;
  Script->Accept<TPrintDialogData>([](TPrintDialogData& P) {
    P.PrintRange = prPageNums;
    P.FromPage = 3;
    P.ToPage = 5;
    P.Copies = 2;
    P.Collate = true;
  });
  ASSERT_TRUE(ExecutePrintDialog(D));
  EXPECT_EQ(Script->Call<TPrintDialogData>(0).MaxPage, 12);
  EXPECT_EQ(D.PrintRange, prPageNums);
  EXPECT_EQ(D.FromPage, 3);
  EXPECT_EQ(D.ToPage, 5);
  EXPECT_EQ(D.Copies, 2);
  EXPECT_TRUE(D.Collate);

  TPrintDialogData Before = D;
  Script->Answers.push_back([](TDialogRequest& R) {
    R.As<TPrintDialogData>()->Copies = 50;  // edited, then cancelled
    return mrCancel;
  });
  EXPECT_FALSE(ExecutePrintDialog(D));
  SetDialogService(std::make_unique<TScribbler>());
  EXPECT_FALSE(ExecutePrintDialog(D));
  EXPECT_EQ(D.Copies, Before.Copies);
  EXPECT_EQ(D.PrintRange, Before.PrintRange);
  EXPECT_EQ(D.FromPage, Before.FromPage);
}

TEST_F(DialogsTest, ThePrinterObjectGetsThePrinterAndTheWholeDeviceModeBack) {
  SetSystemPrintersEnabled(false);
  TVirtualPrinterConfig Letter;
  Letter.Defaults.PaperSize = DMPAPER_LETTER;
  Letter.Defaults.Copies = 2;
  InstallPrinter(std::make_shared<TVirtualPrinter>("Primeira"), true);
  InstallPrinter(std::make_shared<TVirtualPrinter>("Segunda", Letter));
  {
    TPrinter P;
    ASSERT_EQ(P.PrinterName(), "Primeira");
    const TDeviceMode Opened = P.DeviceMode();
    // Everything picked on the same printer comes back to it.
    Script->Accept<TPrintDialogData>([](TPrintDialogData& D) {
      D.DeviceMode.Orientation = DMORIENT_LANDSCAPE;
      D.DeviceMode.PaperSize = DMPAPER_A5;
      D.DeviceMode.Fields &= ~(DM_PAPERWIDTH | DM_PAPERLENGTH);
      D.DeviceMode.Duplex = DMDUP_HORIZONTAL;
      D.DeviceMode.Color = 1;
      D.OutputFileName = "/tmp/out.pdf";
      D.PrintToFile = true;
    });
    TPrintDialogData D;
    ASSERT_TRUE(ExecutePrintDialog(D, &P));
    const auto& Asked = Script->Call<TPrintDialogData>(0);
    EXPECT_EQ(Asked.PrinterName, "Primeira");  // the dialog opens on the current printer and its mode
    EXPECT_EQ(Asked.DeviceMode, Opened);
    EXPECT_EQ(P.DeviceMode().Orientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(P.DeviceMode().PaperSize, DMPAPER_A5);
    EXPECT_EQ(P.DeviceMode().Duplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(P.DeviceMode().Color, 1);
    EXPECT_EQ(D.OutputFileName, "/tmp/out.pdf");
    EXPECT_TRUE(D.PrintToFile);

    // Another printer: its own mode (portrait Letter, 2 copies) with what the user changed (duplex),
    // not the first printer's landscape A5, which the user did not touch.
    Script->Accept<TPrinterSetupData>([](TPrinterSetupData& S) {
      S.PrinterName = "Segunda";
      S.DeviceMode.Duplex = DMDUP_VERTICAL;
    });
    TPrinterSetupData S;
    ASSERT_TRUE(ExecutePrinterSetupDialog(S, &P));
    EXPECT_EQ(P.PrinterName(), "Segunda");
    EXPECT_EQ(P.DeviceMode().Duplex, DMDUP_VERTICAL);
    EXPECT_EQ(P.DeviceMode().Orientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(P.DeviceMode().PaperSize, DMPAPER_LETTER);
    EXPECT_EQ(P.DeviceMode().Copies, 2);
    EXPECT_EQ(S.DeviceMode, P.DeviceMode());

    // Cancelled: printer and mode stay.
    Script->Cancel();
    TPrinterSetupData Cancelled;
    Cancelled.PrinterName = "Primeira";
    EXPECT_FALSE(ExecutePrinterSetupDialog(Cancelled, &P));
    EXPECT_EQ(P.PrinterName(), "Segunda");
    EXPECT_EQ(P.DeviceMode().Duplex, DMDUP_VERTICAL);
  }
  UninstallAllPrinters();
  SetSystemPrintersEnabled(true);
}

TEST_F(DialogsTest, AnyRequestTypeGoesThroughTheOneCall) {
  // A dialog this library does not know: a request type of its own, nothing else to change.
  struct TColourRequest : TDialogRequestOf<TColourRequest> {
    uint32_t Colour = 0;
  };
  Script->Accept<TColourRequest>([](TColourRequest& R) { R.Colour = 0xFF0000; });
  TColourRequest R;
  R.Colour = 0x00FF00;
  ASSERT_TRUE(ExecuteDialog(R));
  EXPECT_EQ(R.Colour, 0xFF0000u);
  EXPECT_EQ(Script->Call<TColourRequest>(0).Colour, 0x00FF00u);
  // A script written for another dialog says so instead of answering the wrong one.
  Script->Accept<TPrintDialogData>();
  EXPECT_THROW(ExecuteDialog(R), EInvalidOperation);
  EXPECT_THROW(Script->Call<TPrintDialogData>(0), EInvalidOperation);
}

TEST_F(DialogsTest, WithoutWindowsEveryDialogIsCancelled) {
  SetDialogService(nullptr);  // the default one: no widget library has started here
  ExpectEveryDialogCancelled();
}
