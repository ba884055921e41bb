#include "ppreport/output/forms/ppPDlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QTimer>

#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinter.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"

namespace {

// File devices of the test's own: a text type and, when the library has none registered, an
// archive type (registered as the archive device).
class TDlgTextDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TDlgTextDevice)
public:
  using TppFileDevice::TppFileDevice;
  static std::string DeviceName() { return "DlgTextFile"; }
  static std::string GetDefaultExt() { return "txt"; }
  static std::string GetFileFilter() { return "Texto (*.txt)|*.txt"; }
  static std::string GetFileDescription(TppLanguageType) { return "Texto do teste"; }
};
const TClassInfo& TDlgTextDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TDlgTextDevice>("TDlgTextDevice", &TppFileDevice::StaticClassInfo());
  return Info;
}

class TDlgArchiveDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TDlgArchiveDevice)
public:
  using TppFileDevice::TppFileDevice;
  static std::string DeviceName() { return ppArchiveDeviceName; }
  static std::string GetDefaultExt() { return "raf"; }
  static std::string GetFileFilter() { return "Arquivo (*.raf)|*.raf"; }
  static std::string GetFileDescription(TppLanguageType) { return "Arquivo do teste"; }
};
const TClassInfo& TDlgArchiveDevice::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TDlgArchiveDevice>("TDlgArchiveDevice", &TppFileDevice::StaticClassInfo());
  return Info;
}

using TDialogPtr = std::unique_ptr<TppPrintDialog, TComponentDeleter>;

// Two virtual printers, one local and one reached over the network, and the file devices; the
// dialog is made through the form registry and filled as the producer fills it.
class ppPrintDialogTest : public ppPrintTest {
protected:
  void SetUp() override {
    ppPrintTest::SetUp();
    Install("Local Laser", {}, true);
    TVirtualPrinterConfig Net;
    Net.OutputFile = "ipp://printhost:631/printers/rede";
    Install("Rede Andar 2", Net);
    Refresh();
    RegisterDeviceClass<TDlgTextDevice>();
    if (!DeviceClassForName(ppArchiveDeviceName)) {
      RegisterDeviceClass<TDlgArchiveDevice>();
      OwnArchive = true;
    }
    Archive = DeviceClassForName(ppArchiveDeviceName);
    // Not the default printer: a printer on the default one keeps the name "Default".
    Printer.GetPrinterSetup()->SetPrinterName("Rede Andar 2");
    Service = new TScriptedDialogService;
    Scope = std::make_unique<TDialogServiceScope>(std::unique_ptr<TDialogService>(Service));
  }
  void TearDown() override {
    Scope.reset();
    if (OwnArchive) UnregisterDeviceClass(TDlgArchiveDevice::StaticClassInfo());
    UnregisterDeviceClass(TDlgTextDevice::StaticClassInfo());
    ppPrintTest::TearDown();
  }

  TDialogPtr MakeDialog(bool AllowFile = false, bool AllowArchive = false) {
    TDialogPtr D(dynamic_cast<TppPrintDialog*>(CreateFormOfKind(ppPrintDialogRole, nullptr)));
    EXPECT_TRUE(D);
    D->Printer = &Printer;
    D->SetLanguageIndex(0);
    D->AllowPrintToFile = AllowFile;
    D->AllowPrintToArchive = AllowArchive;
    D->SetBackgroundPrintSettings(&Background);
    D->SetPageRequest(&Request);
    D->Init();
    return D;
  }
  // OK pressed; answers the messages it may show with Answers.
  TModalResult PressOK(TppPrintDialog& D, std::initializer_list<TModalResult> Answers = {}) {
    for (TModalResult A : Answers) Service->Answer(A);
    D.SetModalResult(mrNone);
    D.btnOK->Click();
    return D.ModalResult();
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> M;
    for (size_t I = 0; I < Service->Calls.size(); ++I)
      if (auto* R = Service->Calls[I]->As<TMessageRequest>()) M.push_back(R->Text);
    return M;
  }
  static std::vector<std::string> Pages(const TppPageRequest& R) {
    std::vector<std::string> P;
    for (int I = 0; I < R.PageList()->Count(); ++I) P.push_back(R.PageList()->Get(I));
    return P;
  }
  int FileTypeIndex(TppPrintDialog& D, const TClassInfo* Class) {
    for (int I = 0; I < D.cbxPrintToFileTypes->Items().Count(); ++I) {
      D.cbxPrintToFileTypes->SetItemIndex(I);
      if (D.SelectedFileClass() == Class) return I;
    }
    return -1;
  }
  // Picks a file type as the user does: the combo's change event follows.
  void PickFileType(TppPrintDialog& D, const TClassInfo* Class) {
    D.cbxPrintToFileTypes->SetItemIndex(FileTypeIndex(D, Class));
    D.cbxPrintToFileTypes->OnChange(D.cbxPrintToFileTypes);
  }
  std::string ArchiveExt() const { return DeviceClassFileType(*Archive).DefaultExt(); }

  TppPrinter Printer;
  TppPageRequest Request;
  TppBackgroundPrintSettings Background;
  TScriptedDialogService* Service = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
  const TClassInfo* Archive = nullptr;
  bool OwnArchive = false;
};

}  // namespace

TEST_F(ppPrintDialogTest, IsThePrintDialogKindWithTheLanguagesTexts) {
  EXPECT_EQ(GetFormClass<TppCustomPrintDialog>(), &TppPrintDialog::StaticClassInfo());
  TDialogPtr D = MakeDialog();
  EXPECT_EQ(D->ClientWidth(), 482);
  EXPECT_EQ(D->Caption(), "Imprimir");
  EXPECT_EQ(D->lblPrinterName->Caption(), "&Nome:");
  EXPECT_EQ(D->lblNumberOfCopies->Caption(), "Número de &cópias:");
  EXPECT_EQ(D->btnCancel->Caption(), "Cancelar");
  EXPECT_EQ(Items(D->cbxPrintWhat->Items()),
            (std::vector<std::string>{"Todas as páginas na faixa", "Páginas Impares", "Páginas Pares"}));
  EXPECT_EQ(D->cbxPrintWhat->ItemIndex(), 0);
  // The page range frame ends a margin below its description, however many lines that takes; the
  // copies frame matches it and the form grows with it.
  const int Margin = 9;
  EXPECT_EQ(D->bvlPageRange->Top() + D->bvlPageRange->Height(),
            D->lblPageRangeDescription->Top() + D->lblPageRangeDescription->Height() + Margin);
  EXPECT_EQ(D->bvlCopies->Height(), D->bvlPageRange->Height());
  EXPECT_EQ(D->ClientHeight(), 388 + D->bvlPageRange->Height() - 110);
  EXPECT_EQ(D->lblPrintWhat->Left() + D->lblPrintWhat->Width(), 285);
  // Setting the language again lays the form out the same.
  const int Width = D->ClientWidth(), Height = D->ClientHeight();
  D->SetLanguageIndex(0);
  EXPECT_EQ(D->ClientWidth(), Width);
  EXPECT_EQ(D->ClientHeight(), Height);
}

TEST_F(ppPrintDialogTest, ListsThePrintersWithTheirPlaceAndFollowsTheChoice) {
  TDialogPtr D = MakeDialog();
  D->Activate();
  const std::vector<std::string> Names = Items(D->cbxPrinters->Items());
  EXPECT_EQ(std::count(Names.begin(), Names.end(), "Screen"), 0);
  EXPECT_TRUE(std::is_sorted(Names.begin(), Names.end()));
  ASSERT_EQ(D->cbxPrinters->Text(), "Rede Andar 2");
  EXPECT_EQ(D->lblPrinterTypeDesc->Caption(), "Rede Andar 2");
  EXPECT_EQ(D->lblPrinterWhereDesc->Caption(), "ipp://printhost:631/printers/rede");
  EXPECT_EQ(TppPrintDialog::PrinterPicture("Local Laser"), 0);
  EXPECT_EQ(TppPrintDialog::PrinterPicture("Rede Andar 2"), 1);

  D->cbxPrinters->SetItemIndex(D->cbxPrinters->Items().IndexOf("Local Laser"));
  D->cbxPrinters->OnChange(D->cbxPrinters);
  EXPECT_EQ(Printer.GetPrinterSetup()->PrinterName(), "Local Laser");
  EXPECT_EQ(D->lblPrinterTypeDesc->Caption(), "Local Laser");
  EXPECT_EQ(D->lblPrinterWhereDesc->Caption(), "");

  // The driver's settings: only an accepted dialog counts.
  Service->Cancel();
  D->btnPrinterProperties->Click();
  EXPECT_FALSE(D->PrinterPropertiesAccepted);
  Service->Accept<TPrinterSetupData>();
  D->btnPrinterProperties->Click();
  EXPECT_TRUE(D->PrinterPropertiesAccepted);
  EXPECT_EQ(Service->LastCall<TPrinterSetupData>().PrinterName, "Local Laser");

  // A setup naming a printer the list lacks takes the first entry.
  TppPrinter Other;
  Other.GetPrinterSetup()->SetPrinterName("Screen");
  TDialogPtr E = MakeDialog();
  E->Printer = &Other;
  E->Activate();
  EXPECT_EQ(E->cbxPrinters->ItemIndex(), 0);
  // ("Default", the first entry, stands for the default printer, which the setup then names.)
  EXPECT_EQ(Other.GetPrinterSetup()->PrinterName(),
            GetPrinterList()->GetPrinterInfo(E->cbxPrinters->Items().Get(0))->Name());
}

TEST_F(ppPrintDialogTest, WithoutPrintersTheDialogSaysSo) {
  UninstallAllPrinters();
  Refresh();
  TppPrinter None;
  TDialogPtr D = MakeDialog();
  D->Printer = &None;
  D->Activate();
  EXPECT_FALSE(D->cbxPrinters->Visible());
  EXPECT_FALSE(D->btnPrinterProperties->Visible());
  EXPECT_TRUE(D->lblNoPrintersInstalled->Visible());
  EXPECT_EQ(D->lblNoPrintersInstalled->Caption(), "Não há impressoras conectadas ao seu computador.");
  EXPECT_EQ(D->lblPrinterTypeDesc->Caption(), "Screen");
}

TEST_F(ppPrintDialogTest, APrinterThatCannotBeOpenedKeepsTheDialogOpen) {
  TVirtualPrinterConfig Broken;
  Broken.PixelsPerInchX = Broken.PixelsPerInchY = 0;
  Install("Quebrada", Broken);
  Refresh();
  TDialogPtr D = MakeDialog();
  D->Activate();
  D->cbxPrinters->SetItemIndex(D->cbxPrinters->Items().IndexOf("Quebrada"));
  D->cbxPrinters->OnChange(D->cbxPrinters);
  EXPECT_EQ(PressOK(*D, {mrOk}), mrNone);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Não foi possível acessar a impressora selecionada.");
  EXPECT_EQ(Service->Call<TMessageRequest>(0).Type, mtWarning);
  // Another printer prints.
  D->cbxPrinters->SetItemIndex(D->cbxPrinters->Items().IndexOf("Local Laser"));
  D->cbxPrinters->OnChange(D->cbxPrinters);
  EXPECT_EQ(PressOK(*D), mrOk);
}

TEST_F(ppPrintDialogTest, PageTextsBecomeTheRequestAtOK) {
  struct Case {
    const char* Text;
    std::vector<std::string> Pages;
  } Cases[] = {{"3-5,1", {"1", "3", "4", "5"}}, {"7", {"7"}}, {" 2 - 4 ; 9", {"2", "3", "4", "9"}}, {"6-6", {"6"}}};
  for (const Case& C : Cases) {
    TppPageRequest Fresh;
    Request.Assign(&Fresh);
    TDialogPtr D = MakeDialog();
    D->Activate();
    // Typing in the field chooses Pages.
    SendKey(D->edtPageRange, Qt::Key_1, Qt::NoModifier, "1");
    EXPECT_TRUE(D->rdbPages->Checked());
    D->edtPageRange->SetText(C.Text);
    EXPECT_EQ(PressOK(*D), mrOk) << C.Text;
    EXPECT_EQ(Request.PageSetting(), psPageList) << C.Text;
    EXPECT_EQ(Pages(Request), C.Pages) << C.Text;
  }
}

TEST_F(ppPrintDialogTest, PagesThatNameNothingOrTooMuchKeepTheDialogOpen) {
  TDialogPtr D = MakeDialog();
  D->Activate();
  D->rdbPages->SetChecked(true);
  for (const char* Text : {"", "-", "123456789"}) {
    D->edtPageRange->SetText(Text);
    EXPECT_EQ(PressOK(*D, {mrOk}), mrNone) << Text;
  }
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages()[0], "Nenhuma página informada.");
  EXPECT_EQ(Service->Call<TMessageRequest>(0).Type, mtInformation);
  EXPECT_EQ(Messages()[1], "Nenhuma página informada.");
  EXPECT_FALSE(Messages()[2].empty());
  EXPECT_EQ(Request.PageSetting(), psAll);
  // All clears the field again; the current page is a single-page request.
  D->rdbAll->SetChecked(true);
  EXPECT_EQ(D->edtPageRange->Text(), "");
  Request.SetPageRequested(4);
  D->rdbCurrentPage->SetChecked(true);
  EXPECT_EQ(PressOK(*D), mrOk);
  EXPECT_EQ(Request.PageSetting(), psSinglePage);
  EXPECT_EQ(Request.PageRequested(), 4);
}

TEST_F(ppPrintDialogTest, TheRequestComingInChoosesTheControls) {
  TStringList List;
  List.Add("2");
  List.Add("4");
  struct Case {
    TppPageSettingType Setting;
    TRadioButton* TppPrintDialog::*Button;
    const char* Text;
  } Cases[] = {{psAll, &TppPrintDialog::rdbAll, ""},
               {psPageList, &TppPrintDialog::rdbPages, "2,4"},
               {psSinglePage, &TppPrintDialog::rdbCurrentPage, ""},
               {psPageRange, &TppPrintDialog::rdbPages, "3-6"},
               {psLastPage, &TppPrintDialog::rdbAll, ""}};
  for (const Case& C : Cases) {
    Request.SetPageList(&List);
    Request.SetPageSetting(C.Setting);
    if (C.Setting == psPageRange) Request.SetPageRangeBounds(6, 3);
    Request.SetPageRange(prEvenPages);
    TDialogPtr D = MakeDialog();
    D->Activate();
    EXPECT_TRUE(((*D).*C.Button)->Checked()) << C.Setting;
    EXPECT_EQ(D->edtPageRange->Text(), C.Text) << C.Setting;
    EXPECT_EQ(D->cbxPrintWhat->ItemIndex(), 2);
    // Loading the controls changed nothing of the request.
    EXPECT_EQ(Request.PageSetting(), C.Setting);
  }
  TDialogPtr D = MakeDialog();
  D->Activate();
  D->cbxPrintWhat->SetItemIndex(1);
  D->cbxPrintWhat->OnChange(D->cbxPrintWhat);
  EXPECT_EQ(Request.PageRange(), prOddPages);
}

TEST_F(ppPrintDialogTest, CopiesStayWithinTheFieldAndCollationFollowsTheBox) {
  Printer.GetPrinterSetup()->SetCopies(2);
  Printer.GetPrinterSetup()->SetCollation(false);
  TDialogPtr D = MakeDialog();
  D->Activate();
  EXPECT_EQ(D->edtCopies->Text(), "2");
  EXPECT_EQ(D->CollationPicture(), 1);
  struct Case {
    const char* Text;
    TUDBtnType Arrow;
    const char* After;
  } Cases[] = {{"999", btNext, "999"}, {"998", btNext, "999"}, {"1", btPrev, "1"},
               {"5", btPrev, "4"},     {"abc", btNext, "2"},   {"abc", btPrev, "1"}};
  for (const Case& C : Cases) {
    D->edtCopies->SetText(C.Text);
    D->udCopies->OnClick(D->udCopies, C.Arrow);
    EXPECT_EQ(D->edtCopies->Text(), C.After) << C.Text;
  }
  D->edtCopies->SetText("abc");
  D->edtCopies->OnExit(D->edtCopies);
  EXPECT_EQ(D->edtCopies->Text(), "1");

  ClickAt(D->lblCollate, 2, 2);
  EXPECT_TRUE(D->cbxCollate->Checked());
  EXPECT_TRUE(Printer.GetPrinterSetup()->Collation());
  EXPECT_EQ(D->CollationPicture(), 0);
  // The two pictures differ, and the image shows the one chosen.
  EXPECT_NE(D->imlCollation->Image(0).Pixels, D->imlCollation->Image(1).Pixels);

  // A copies text that is not a number prints one copy instead of failing.
  D->edtCopies->SetText("x");
  EXPECT_EQ(PressOK(*D), mrOk);
  EXPECT_EQ(Printer.GetPrinterSetup()->Copies(), 1);
  D->edtCopies->SetText("12");
  EXPECT_EQ(PressOK(*D), mrOk);
  EXPECT_EQ(Printer.GetPrinterSetup()->Copies(), 12);
}

TEST_F(ppPrintDialogTest, WithoutFileOutputTheFilePanelGoes) {
  TDialogPtr D = MakeDialog();
  const int Full = D->ClientHeight();
  D->Activate();
  EXPECT_FALSE(D->pnlPrintToFile->Visible());
  EXPECT_EQ(D->ClientHeight(), Full - 95);
  EXPECT_EQ(D->pnlBottom->Top(), D->pnlPrint->Height());

  TDialogPtr F = MakeDialog(true, false);
  F->DeviceType = ppArchiveDeviceName;  // not offered here: printing to a file is not chosen
  F->Activate();
  EXPECT_FALSE(F->cbxPrintToFile->Checked());
  EXPECT_TRUE(F->pnlPrintToFile->Visible());
  EXPECT_EQ(F->ClientHeight(), Full);
  EXPECT_EQ(FileTypeIndex(*F, Archive), -1) << "the archive only when allowed";
  EXPECT_GE(FileTypeIndex(*F, &TDlgTextDevice::StaticClassInfo()), 0);
}

TEST_F(ppPrintDialogTest, TheFileControlsWorkOnlyWhenPrintingToAFile) {
  TDialogPtr D = MakeDialog(true, true);
  D->TextFileName = "/tmp/vendas.txt";
  D->Activate();
  // Archives are listed before the other file types; the printer device ticks nothing.
  EXPECT_EQ(FileTypeIndex(*D, Archive), 0);
  D->cbxPrintToFileTypes->SetItemIndex(0);
  EXPECT_FALSE(D->cbxPrintToFile->Checked());
  for (TControl* C : {static_cast<TControl*>(D->cbxPrintToFileTypes), static_cast<TControl*>(D->edtPrintToFileName),
                      static_cast<TControl*>(D->spbPrintToFile)})
    EXPECT_FALSE(C->Enabled());
  ClickAt(D->lblPrintToFile, 2, 2);
  EXPECT_TRUE(D->cbxPrintToFile->Checked());
  EXPECT_TRUE(D->edtPrintToFileName->Enabled());
  PickFileType(*D, &TDlgTextDevice::StaticClassInfo());
  EXPECT_EQ(D->edtPrintToFileName->Text(), "/tmp/vendas.txt");
  EXPECT_EQ(D->DefaultFileExt, "txt");
  EXPECT_EQ(D->FileFilter, "Texto (*.txt)|*.txt");
  EXPECT_EQ(D->SaveDialog1->InitialDir(), "/tmp/");

  // A device type of a file device comes in chosen.
  TDialogPtr E = MakeDialog(true, true);
  E->DeviceType = TDlgTextDevice::DeviceName();
  E->TextFileName = "relatorio";
  E->Activate();
  EXPECT_TRUE(E->cbxPrintToFile->Checked());
  EXPECT_EQ(E->SelectedFileClass(), &TDlgTextDevice::StaticClassInfo());
  EXPECT_EQ(E->edtPrintToFileName->Text(), "relatorio");
}

TEST_F(ppPrintDialogTest, FileNamesGetTheTypesExtension) {
  const std::string Dir = TempFiles.Path("dir");
  std::filesystem::create_directory(Dir);
  struct Case {
    const char* Typed;
    const char* Written;
  } Cases[] = {{"report", "report.txt"}, {"report.", "report.txt"}, {"report.csv", "report.csv"},
               {"v1.2/report", "v1.2/report.txt"}};
  for (const Case& C : Cases) {
    TDialogPtr D = MakeDialog(true, true);
    D->DeviceType = TDlgTextDevice::DeviceName();
    D->Activate();
    D->edtPrintToFileName->SetText(Dir + "/" + C.Typed);
    EXPECT_EQ(PressOK(*D), mrOk) << C.Typed;
    EXPECT_EQ(D->TextFileName, Dir + "/" + C.Written);
    EXPECT_EQ(D->edtPrintToFileName->Text(), Dir + "/" + C.Typed) << "the edit keeps its text";
    EXPECT_TRUE(D->PrintToFile);
    EXPECT_FALSE(D->PrintToArchive);
    EXPECT_EQ(D->DeviceType, TDlgTextDevice::DeviceName());
  }
  TDialogPtr A = MakeDialog(true, true);
  A->Activate();
  ClickAt(A->lblPrintToFile, 2, 2);
  PickFileType(*A, Archive);
  A->edtPrintToFileName->SetText(Dir + "/saida");
  EXPECT_EQ(PressOK(*A), mrOk);
  EXPECT_EQ(A->ArchiveFileName, Dir + "/saida." + ArchiveExt());
  EXPECT_TRUE(A->PrintToArchive);
  EXPECT_FALSE(A->PrintToFile);
  EXPECT_EQ(A->DeviceType, ppArchiveDeviceName);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ppPrintDialogTest, AFileIsNamedAndReplacedOnlyWhenConfirmed) {
  const std::string Existing = TempFiles.Path("report.txt");
  std::ofstream(Existing) << "x";
  const std::string Typed = Existing.substr(0, Existing.size() - 4);
  TDialogPtr D = MakeDialog(true, false);
  D->DeviceType = TDlgTextDevice::DeviceName();
  D->Activate();
  D->edtPrintToFileName->SetText("");
  EXPECT_EQ(PressOK(*D, {mrOk}), mrNone);
  EXPECT_EQ(Messages().back(), "Por favor especifique o arquivo antes de continuar.");
  // The name asked about is the one that would be written: typed without its extension.
  D->edtPrintToFileName->SetText(Typed);
  EXPECT_EQ(PressOK(*D, {mrNo}), mrNone);
  EXPECT_EQ(Messages().back(), Existing + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(Service->LastCall<TMessageRequest>().Buttons, mbYesNo);
  EXPECT_FALSE(D->PrintToFile);
  // A page list does not skip the question.
  D->rdbPages->SetChecked(true);
  D->edtPageRange->SetText("1-2");
  EXPECT_EQ(PressOK(*D, {mrNo}), mrNone);
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_EQ(PressOK(*D, {mrYes}), mrOk);
  EXPECT_TRUE(D->PrintToFile);
  EXPECT_EQ(D->TextFileName, Existing);
}

TEST_F(ppPrintDialogTest, TheBackgroundBoxFollowsTheSettingsUnlessDesigning) {
  struct Case {
    bool Enabled, Active, DesignTime, Visible;
  } Cases[] = {{true, true, false, true}, {true, false, false, true}, {false, false, false, false},
               {true, true, true, false}};
  for (const Case& C : Cases) {
    Background.SetEnabled(C.Enabled);
    Background.SetActive(C.Active);
    TDialogPtr D = MakeDialog();
    D->DesignTime = C.DesignTime;
    D->Activate();
    EXPECT_EQ(D->cbxBackgroundPrinting->Visible(), C.Visible);
    if (C.Visible) EXPECT_EQ(D->cbxBackgroundPrinting->Checked(), C.Active);
  }
  Background.SetEnabled(true);
  Background.SetActive(false);
  TDialogPtr D = MakeDialog();
  D->Activate();
  D->cbxBackgroundPrinting->SetChecked(true);
  EXPECT_TRUE(D->GetBackgroundPrintSettings()->Active());
  EXPECT_FALSE(Background.Active()) << "the dialog works on its own copy";
}

TEST_F(ppPrintDialogTest, ActivatingAgainKeepsWhatTheUserChose) {
  TDialogPtr D = MakeDialog();
  D->Activate();
  D->edtCopies->SetText("7");
  D->rdbPages->SetChecked(true);
  D->edtPageRange->SetText("2");
  D->Activate();  // as after a message box in front of the dialog
  EXPECT_EQ(D->edtCopies->Text(), "7");
  EXPECT_TRUE(D->rdbPages->Checked());
  EXPECT_EQ(D->edtPageRange->Text(), "2");
}

TEST_F(ppPrintDialogTest, CancelLeavesEverySettingAsItCame) {
  Background.SetEnabled(true);
  Printer.GetPrinterSetup()->SetCopies(2);
  Printer.GetPrinterSetup()->SetCollation(true);
  TDialogPtr D = MakeDialog(true, true);
  D->TextFileName = "antes.txt";
  // The person changes everything, then cancels.
  Service->Answers.push_back([&](TDialogRequest& R) {
    auto* F = dynamic_cast<TppPrintDialog*>(R.As<TppFormRequest>()->Form);
    F->Activate();
    F->cbxPrinters->SetItemIndex(F->cbxPrinters->Items().IndexOf("Local Laser"));
    F->cbxPrinters->OnChange(F->cbxPrinters);
    F->cbxCollate->SetChecked(false);
    F->cbxPrintWhat->SetItemIndex(2);
    F->cbxPrintWhat->OnChange(F->cbxPrintWhat);
    F->cbxBackgroundPrinting->SetChecked(true);
    F->cbxPrintToFile->SetChecked(true);
    PickFileType(*F, &TDlgTextDevice::StaticClassInfo());
    F->edtPrintToFileName->SetText("depois");
    F->btnCancel->Click();
    return F->ModalResult();
  });
  EXPECT_EQ(D->ShowDialog(), mrCancel);
  TppPrinterSetup* S = Printer.GetPrinterSetup();
  EXPECT_EQ(S->PrinterName(), "Rede Andar 2");
  EXPECT_EQ(S->Copies(), 2);
  EXPECT_TRUE(S->Collation());
  EXPECT_EQ(Request.PageRange(), prAll);
  EXPECT_FALSE(D->GetBackgroundPrintSettings()->Active());
  EXPECT_EQ(D->TextFileName, "antes.txt");
  EXPECT_FALSE(D->PrintToFile);

  // Shown as a window, the dialog comes up loaded and Cancel ends it the same way.
  TDialogPtr W = MakeDialog();
  std::string Shown;
  QTimer::singleShot(0, [&] {
    Shown = W->edtCopies->Text();
    W->cbxCollate->SetChecked(false);
    W->btnCancel->Click();
  });
  Service->Answers.push_back([&](TDialogRequest&) { return W->RunModal(); });
  EXPECT_EQ(W->ShowDialog(), mrCancel);
  EXPECT_EQ(Shown, "2");
  EXPECT_TRUE(S->Collation());

  // Confirmed, the same choices stay.
  TDialogPtr E = MakeDialog();
  Service->Answers.push_back([&](TDialogRequest& R) {
    auto* F = dynamic_cast<TppPrintDialog*>(R.As<TppFormRequest>()->Form);
    F->Activate();
    F->cbxCollate->SetChecked(false);
    F->edtCopies->SetText("3");
    F->btnOK->Click();
    return F->ModalResult();
  });
  EXPECT_EQ(E->ShowDialog(), mrOk);
  EXPECT_FALSE(S->Collation());
  EXPECT_EQ(S->Copies(), 3);
}
