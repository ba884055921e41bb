#include "platform/forms/Dialogs.h"

#include <gtest/gtest.h>

#include "FormsTestUtil.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"

namespace {
class DialogsTest : public FormsTest {
protected:
  void SetUp() override {
    FormsTest::SetUp();
    auto S = std::make_unique<TScriptedDialogService>();
    Script = S.get();
    Scope = std::make_unique<TDialogServiceScope>(std::move(S));
  }
  void TearDown() override {
    Scope.reset();
    FormsTest::TearDown();
  }
  TScriptedDialogService* Script = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
};

std::vector<std::string> Captions(const TMessageRequest& R) {
  std::vector<std::string> L;
  for (TMsgDlgBtn B : R.ButtonList()) L.push_back(MsgDlgButtonCaption(B));
  return L;
}

// A service that scribbles on the data of dialogs it then cancels.
class TScribbler : public TScriptedDialogService {
public:
  bool FileDialog(TFileDialogData& Data) override {
    Data.FileName = "scribbled";
    Data.FilterIndex = 9;
    return false;
  }
  bool PrintDialog(TPrintDialogData& Data) override {
    Data.Copies = 99;
    Data.PrintRange = prSelection;
    return false;
  }
  bool InputQuery(const std::string&, const std::string&, std::string& Value) override {
    Value = "scribbled";
    return false;
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
    EXPECT_EQ(Script->Calls.back().Request.Caption, Caption);
  }
  EXPECT_EQ(Captions(Script->Calls.back().Request), (std::vector<std::string>{"Sim", "Não", "Cancelar"}));
  EXPECT_EQ(Script->Calls.back().Request.Text, "Substituir?");
  ShowMessage("File does not exist");  // no answer left: closed
  EXPECT_EQ(Captions(Script->Calls.back().Request), std::vector<std::string>{"OK"});
  EXPECT_EQ(Script->Calls.back().Request.Caption, "Mivo Open Report");
}

TEST_F(DialogsTest, MessageBoxTakesButtonsIconAndDefaultFromItsFlags) {
  Script->Answer(mrNo);
  EXPECT_EQ(MessageBox("Enviar?", "Probably internal bug", MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2), IDNO);
  const TMessageRequest& R = Script->Calls.back().Request;
  EXPECT_EQ(R.Caption, "Probably internal bug");
  EXPECT_EQ(R.Type, mtError);
  EXPECT_EQ(Captions(R), (std::vector<std::string>{"Sim", "Não"}));
  EXPECT_EQ(R.DefaultButton, mbNo);
  // Closed without choosing: a lone OK answers OK; Yes/No without Cancel answers IDCANCEL.
  EXPECT_EQ(MessageBox("x", "y", MB_OK | MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(Script->Calls.back().Request.Type, mtInformation);
  EXPECT_EQ(MessageBox("x", "y", MB_YESNO), IDCANCEL);
}

TEST_F(DialogsTest, InputBoxAnswersTheDefaultWhenCancelled) {
  Script->AcceptInput("7");
  EXPECT_EQ(InputBox("Selecione pagina de 1 para 9", "Ir para pagina >>", "1"), "7");
  EXPECT_EQ(Script->Calls[0].Caption, "Selecione pagina de 1 para 9");
  EXPECT_EQ(Script->Calls[0].Prompt, "Ir para pagina >>");
  EXPECT_EQ(Script->Calls[0].Value, "1");
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
  Script->AcceptFile("/tmp/relatorio", 3);
  ASSERT_TRUE(D.Execute());
  const TFileDialogData& Asked = Script->Calls[0].File;
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
  Script->AcceptPrint([](TPrintDialogData& P) {
    P.PrintRange = prPageNums;
    P.FromPage = 3;
    P.ToPage = 5;
    P.Copies = 2;
    P.Collate = true;
  });
  ASSERT_TRUE(ExecutePrintDialog(D));
  EXPECT_EQ(Script->Calls[0].Print.MaxPage, 12);
  EXPECT_EQ(D.PrintRange, prPageNums);
  EXPECT_EQ(D.FromPage, 3);
  EXPECT_EQ(D.ToPage, 5);
  EXPECT_EQ(D.Copies, 2);
  EXPECT_TRUE(D.Collate);

  TPrintDialogData Before = D;
  Script->Answers.push_back([](TDialogCall& C) {
    C.Print.Copies = 50;  // edited, then cancelled
    return mrCancel;
  });
  EXPECT_FALSE(ExecutePrintDialog(D));
  SetDialogService(std::make_unique<TScribbler>());
  EXPECT_FALSE(ExecutePrintDialog(D));
  EXPECT_EQ(D.Copies, Before.Copies);
  EXPECT_EQ(D.PrintRange, Before.PrintRange);
  EXPECT_EQ(D.FromPage, Before.FromPage);
}

TEST_F(DialogsTest, PrinterChosenInTheDialogIsSelectedOnThePrinterObject) {
  SetSystemPrintersEnabled(false);
  InstallPrinter(std::make_shared<TVirtualPrinter>("Primeira"), true);
  InstallPrinter(std::make_shared<TVirtualPrinter>("Segunda"));
  {
    TPrinter P;
    ASSERT_EQ(P.PrinterName(), "Primeira");
    Script->AcceptPrint([](TPrintDialogData& D) { D.PrinterName = "Segunda"; });
    TPrintDialogData D;
    ASSERT_TRUE(ExecutePrintDialog(D, &P));
    EXPECT_EQ(Script->Calls[0].Print.PrinterName, "Primeira");  // the dialog opens on the current one
    EXPECT_EQ(P.PrinterName(), "Segunda");

    Script->Answers.push_back([](TDialogCall& C) {
      C.Setup.PrinterName = "Primeira";
      C.Setup.Landscape = true;
      return mrOk;
    });
    TPrinterSetupData S;
    ASSERT_TRUE(ExecutePrinterSetupDialog(S, &P));
    EXPECT_TRUE(S.Landscape);
    EXPECT_EQ(P.PrinterName(), "Primeira");
  }
  UninstallAllPrinters();
  SetSystemPrintersEnabled(true);
}

TEST_F(DialogsTest, TheQtServiceCancelsAtOnceWhereNobodyCanAnswer) {
  SetDialogService(nullptr);  // the Qt one, under the offscreen platform
  EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYesNo), mrCancel);
  std::string V = "1";
  EXPECT_FALSE(InputQuery("c", "p", V));
  TOpenDialog D(nullptr);
  EXPECT_FALSE(D.Execute());
  TPrintDialogData P;
  EXPECT_FALSE(ExecutePrintDialog(P));
}
