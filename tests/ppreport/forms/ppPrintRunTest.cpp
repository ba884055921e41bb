// A report printed from its preview as a user prints it: the Print button opens the registered print
// dialog (answered through the dialog service), the chosen pages, copies and collation go to the
// CUPS PDF queue while the registered cancel dialog shows the progress, and Cancel in either dialog
// sends nothing to the queue. Where CUPS is not reachable a virtual printer stands in (said in the
// output) and only its page counts are checked.
#include <gtest/gtest.h>

#include <QTimer>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/output/forms/ppCDlg.h"
#include "ppreport/output/forms/ppPDlg.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "ppreport/output/ppArchiveReader.h"
#include "ppreport/output/ppPrnDev.h"
#include "tests/TestTemp.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/ppreport/forms/ppBandedReportSupport.h"
#include "tests/ppreport/ppPdfQueue.h"

namespace {

void Pump() {
  for (int I = 0; I < 10; ++I) Application->ProcessMessages();
}

// The report page each page of a printed PDF shows (0 when it cannot tell). The queue's PDF keeps
// where the glyphs are but not which letters they are: row i ends in a word of i W's, so a page's two
// rows, words of 2n-1 and 2n W's wide, give its number n as w2 / (2 (w2 - w1)).
std::vector<int> PdfReportPages(const std::string& Pdf) {
  std::vector<int> Pages;
  std::map<double, std::pair<double, double>> Rows;  // by top: left and width of the row's last word
  auto EndPage = [&] {
    int No = 0;
    if (Rows.size() == 2) {
      const double W1 = Rows.begin()->second.second, W2 = Rows.rbegin()->second.second;
      if (W2 > W1) No = static_cast<int>(std::lround(W2 / (2 * (W2 - W1))));
    }
    Pages.push_back(No);
    Rows.clear();
  };
  std::stringstream Html(RunCommand("pdftotext -bbox '" + Pdf + "' - 2>/dev/null"));
  bool InPage = false;
  for (std::string Line; std::getline(Html, Line);) {
    if (Line.find("<page ") != std::string::npos) InPage = true;
    if (Line.find("</page>") != std::string::npos && InPage) {
      EndPage();
      InPage = false;
    }
    double X0 = 0, Y0 = 0, X1 = 0;
    const size_t At = Line.find("<word ");
    if (At == std::string::npos ||
        std::sscanf(Line.c_str() + At, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\"", &X0, &Y0, &X1) != 3)
      continue;
    // Words of one row stand within a few points of each other; rows are centimetres apart.
    auto Near = Rows.lower_bound(Y0 - 20);
    auto& Row = Near != Rows.end() && Near->first < Y0 + 20 ? Near->second : Rows[Y0];
    if (X0 >= Row.first) Row = {X0, X1 - X0};
  }
  return Pages;
}

// Ten rows, two a page: five pages, page n showing rows 2n-1 and 2n, row i "Linha i" and i W's. The
// report is previewed in its window (not modal); its job title is unique to the test.
class PrintRun : public BandedReportTest {
protected:
  void SetUp() override {
    BandedReportTest::SetUp();
    Queue = ppPdfQueueOrVirtual(Virtual, {}, "Virtual Run");
    Report = MakeReport(10, 120000, [](int I) { return "Linha " + std::to_string(I) + " " + std::string(I, 'W'); });
    Report->PrinterSetup()->SetDocumentName(Token);
    Report->SetModalPreview(false);
    for (auto [Event, Name] : std::initializer_list<std::pair<TNotifyEvent*, const char*>>{
             {&Report->OnPrintDialogCreate, "print dialog"}, {&Report->OnPrintDialogClose, "print dialog closed"},
             {&Report->OnCancelDialogCreate, "cancel dialog"}, {&Report->OnCancelDialogClose, "cancel dialog closed"},
             {&Report->OnCancel, "cancel"}, {&Report->OnPrintingComplete, "complete"}})
      *Event = [this, Name](TObject*) { Heard.push_back(Name); };
    Service = new TScriptedDialogService;
    Scope = std::make_unique<TDialogServiceScope>(std::unique_ptr<TDialogService>(Service));
    Report->Print();
    Pump();
    ASSERT_TRUE(Window());
  }
  void TearDown() override {
    Scope.reset();
    BandedReportTest::TearDown();
    if (Virtual) {
      UninstallPrinter(Virtual);
      GetPrinterList()->RefreshPrinters();
    }
  }
  TppPrintPreview* Window() const { return dynamic_cast<TppPrintPreview*>(Report->PreviewForm()); }
  TppPreview* Preview() const { return dynamic_cast<TppPreview*>(Window()->Preview()); }

  // Answers the print dialog as a user does: the dialog runs its own modal loop, in which Work
  // fills its controls and presses a button.
  void AnswerPrintDialog(std::function<void(TppPrintDialog&)> Work) {
    Service->Answers.push_back([Work](TDialogRequest& R) {
      auto* D = dynamic_cast<TppPrintDialog*>(R.As<TppFormRequest>()->Form);
      EXPECT_TRUE(D) << "the registered print dialog";
      if (!D) return mrCancel;
      QTimer::singleShot(0, [D, Work] { Work(*D); });
      return D->RunModal();
    });
  }
  // The queue, the pages typed (all when empty), the copies and collation, then OK or Cancel.
  void AnswerPrintDialog(const std::string& Pages, int Copies, bool Collate, TModalResult Result = mrOk) {
    AnswerPrintDialog([=, this](TppPrintDialog& D) {
      D.cbxPrinters->SetItemIndex(D.cbxPrinters->Items().IndexOf(Queue));
      D.cbxPrinters->OnChange(D.cbxPrinters);
      if (!Pages.empty()) {
        ClickAt(D.rdbPages, 3, 3);
        D.edtPageRange->SetText(Pages);
      }
      D.edtCopies->SetText(std::to_string(Copies));
      if (D.cbxCollate->Checked() != Collate) ClickAt(D.cbxCollate, 3, 3);
      ClickAt(Result == mrOk ? D.btnOK : D.btnCancel, 5, 5);
    });
  }
  void ClickPrint() {
    ClickAt(Preview()->PrintButton, 5, 5);
    Pump();
  }
  // The report pages the queue printed, in order (0 for each page of the virtual printer, which
  // keeps no text); empty when nothing was printed.
  std::vector<int> Printed() {
    if (Virtual) {
      std::vector<int> Pages;
      if (!Virtual->Jobs().empty() && Virtual->Jobs().back().Ended)
        Pages.resize(static_cast<size_t>(Virtual->Jobs().back().PageCount));
      return Pages;
    }
    const std::string Pdf = WaitForCupsPdf(Token);
    if (Pdf.empty()) return {};
    Temp.Adopt(Pdf);
    return PdfReportPages(Pdf);
  }
  // Nothing of the job reached the queue.
  bool NothingSent() {
    if (Virtual) return Virtual->Jobs().empty() || !Virtual->Jobs().back().Ended;
    return !CupsJobExists(Token);
  }

  std::string Queue, Token = UniqueJobTitle("MivoRun");
  std::shared_ptr<TVirtualPrinter> Virtual;
  TppReport* Report = nullptr;
  std::vector<std::string> Heard;
  TScriptedDialogService* Service = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
  TTestTempFiles Temp;
};

// The pages typed in the dialog, twice and collated, with the cancel dialog (modal) up meanwhile;
// the report's own setup is back afterwards and the preview shows its pages again.
TEST_F(PrintRun, ThePrintButtonPrintsTheDialogsPagesCopiesAndCollation) {
  const std::string PrinterBefore = Report->PrinterSetup()->PrinterName();
  std::string Status;
  bool Modal = false;
  Report->OnCancelDialogClose = [&](TObject*) {
    Heard.push_back("cancel dialog closed");
    auto* D = dynamic_cast<TppCancelDialog*>(Report->CancelDialog());
    ASSERT_TRUE(D);
    Status = D->memMessage->Text();
    Modal = D->Modal();
  };
  AnswerPrintDialog("4,2", 2, true);
  ClickPrint();
  ASSERT_EQ(1u, Service->Calls.size());
  EXPECT_EQ(ppPrintDialogRole, Service->Call<TppFormRequest>(0).Kind);
  EXPECT_EQ((std::vector<std::string>{"print dialog", "print dialog closed", "cancel dialog", "complete",
                                      "cancel dialog closed"}),
            Heard);
  EXPECT_TRUE(Modal);
  EXPECT_EQ(0u, Status.find("Imprimindo a")) << Status;
  EXPECT_NE(std::string::npos, Status.find(Queue)) << Status;
  EXPECT_EQ(nullptr, Report->CancelDialog());
  EXPECT_EQ(nullptr, Report->PrintDialog());
  EXPECT_EQ(nullptr, Report->PrinterDevice());
  EXPECT_EQ(PrinterBefore, Report->PrinterSetup()->PrinterName());
  EXPECT_EQ(ppScreenDeviceName, Report->DeviceType());

  const std::vector<int> Pages = Printed();
  if (Virtual)
    EXPECT_EQ(4u, Pages.size());
  else
    EXPECT_EQ((std::vector<int>{2, 4, 2, 4}), Pages);
}

TEST_F(PrintRun, CancelInThePrintDialogPrintsNothing) {
  int Before = 0;
  Report->BeforePrint = [&](TObject*) { ++Before; };
  AnswerPrintDialog("2", 3, false, mrCancel);
  ClickPrint();
  EXPECT_EQ((std::vector<std::string>{"print dialog", "print dialog closed"}), Heard);
  EXPECT_EQ(0, Before);
  EXPECT_FALSE(Report->Producing());
  EXPECT_EQ(nullptr, Report->PrinterDevice());
  EXPECT_EQ(nullptr, Report->PrintDialog());
  EXPECT_EQ(ppScreenDeviceName, Report->DeviceType());
  EXPECT_EQ(1, Report->PrinterSetup()->Copies());
  sleep(1);
  EXPECT_TRUE(NothingSent());
  // The preview still works: the next print goes through.
  EXPECT_TRUE(Preview()->PrintButton->Enabled());
}

// Cancel pressed in the cancel dialog while page 2 prints, modal or not: the job ends and nothing
// reaches the queue.
TEST_F(PrintRun, CancelInTheCancelDialogSendsNothingToTheQueue) {
  for (bool Modal : {true, false}) {
    SCOPED_TRACE(Modal ? "modal" : "not modal");
    Heard.clear();
    Token = UniqueJobTitle("MivoRunCancel");
    Report->PrinterSetup()->SetDocumentName(Token);
    Report->SetModalCancelDialog(Modal);
    bool Shown = false;
    Report->OnCancelDialogCreate = [&](TObject*) {
      Heard.push_back("cancel dialog");
      auto* D = dynamic_cast<TppCancelDialog*>(Report->CancelDialog());
      auto* Device = dynamic_cast<TppPrinterDevice*>(Report->PrinterDevice());
      ASSERT_TRUE(D && Device);
      EXPECT_EQ(D, Device->CancelDialog());
      // Pressed as a user would: a click waiting in the queue when page 1 is done.
      Device->OnEndPage = [&, D](TppDevice*, TppPage* Page) {
        Shown = D->Visible() && D->Modal() == Modal && D->btnCancel->Enabled();
        if (Page->AbsolutePageNo() == 1) QTimer::singleShot(0, [D] { ClickAt(D->btnCancel, 5, 5); });
      };
    };
    AnswerPrintDialog("", 1, false);
    ClickPrint();
    EXPECT_TRUE(Shown);
    // A dialog of its own closes at once; a modal one when the job is over.
    std::vector<std::string> Expected{"print dialog", "print dialog closed", "cancel dialog", "cancel"};
    for (const char* E : Modal ? std::vector<const char*>{"complete", "cancel dialog closed"}
                               : std::vector<const char*>{"cancel dialog closed", "complete"})
      Expected.push_back(E);
    EXPECT_EQ(Expected, Heard);
    EXPECT_FALSE(Report->Producing());
    EXPECT_EQ(nullptr, Report->CancelDialog());
    sleep(1);
    EXPECT_TRUE(NothingSent());
  }
}

// Cancel pressed in the modal cancel dialog before the job started: the run ends without it.
TEST_F(PrintRun, CancelBeforeTheJobStartsEndsTheRun) {
  int Before = 0;
  Report->BeforePrint = [&](TObject*) { ++Before; };
  Report->OnCancelDialogCreate = [this](TObject*) {
    auto* D = dynamic_cast<TppCancelDialog*>(Report->CancelDialog());
    QTimer::singleShot(0, [D] { ClickAt(D->btnCancel, 5, 5); });
  };
  AnswerPrintDialog("", 1, false);
  ClickPrint();
  EXPECT_EQ(0, Before);
  EXPECT_EQ((std::vector<std::string>{"print dialog", "print dialog closed", "cancel", "cancel dialog closed"}), Heard);
  EXPECT_FALSE(Report->Producing());
  EXPECT_EQ(nullptr, Report->PrinterDevice());
  EXPECT_EQ(nullptr, Report->CancelDialog());
}

// A run that fails inside the modal cancel dialog ends there: the dialog goes, nothing is sent,
// and the caller hears why.
TEST_F(PrintRun, AFailureInsideTheCancelDialogReachesTheCaller) {
  Report->OnEndPage = [this](TObject*) {
    if (Report->PrinterDevice() && Report->Engine()->AbsolutePageNo() == 2) throw ETalvorError("sem papel");
  };
  AnswerPrintDialog("", 1, false);
  EXPECT_THROW(Preview()->Print(), ETalvorError);
  EXPECT_EQ(nullptr, Report->CancelDialog());
  EXPECT_EQ(nullptr, Report->PrinterDevice());
  EXPECT_FALSE(Report->Producing());
  sleep(1);
  EXPECT_TRUE(NothingSent());
}

// The current page offered by the dialog is the page on display.
TEST_F(PrintRun, TheCurrentPageIsThePageOnDisplay) {
  ClickAt(Preview()->NextButton, 5, 5);
  ClickAt(Preview()->NextButton, 5, 5);
  Pump();
  ASSERT_EQ(3, Window()->Viewer()->GetAbsolutePageNo());
  AnswerPrintDialog([this](TppPrintDialog& D) {
    D.cbxPrinters->SetItemIndex(D.cbxPrinters->Items().IndexOf(Queue));
    D.cbxPrinters->OnChange(D.cbxPrinters);
    ClickAt(D.rdbCurrentPage, 3, 3);
    ClickAt(D.btnOK, 5, 5);
  });
  ClickPrint();
  const std::vector<int> Pages = Printed();
  if (Virtual)
    EXPECT_EQ(1u, Pages.size());
  else
    EXPECT_EQ(std::vector<int>{3}, Pages);
}

// A file or an archive chosen in the dialog gets the chosen pages, and the queue nothing.
TEST_F(PrintRun, TheDialogsFileAndArchiveChoicesWriteTheirFiles) {
  Report->SetAllowPrintToFile(true);
  Report->SetAllowPrintToArchive(true);
  const std::string Text = Temp.Path("relatorio.txt"), Archive = Temp.Path("relatorio.raf");
  for (const auto& [Type, File, Pages] :
       {std::tuple{"ReportTextFile", Text, "3"}, {ppArchiveDeviceName, Archive, "4,2"}}) {
    SCOPED_TRACE(Type);
    AnswerPrintDialog([&, Type = std::string(Type), File = File, Pages = std::string(Pages)](TppPrintDialog& D) {
      ClickAt(D.cbxPrintToFile, 3, 3);
      for (int I = 0; I < D.cbxPrintToFileTypes->Items().Count(); ++I) {
        D.cbxPrintToFileTypes->SetItemIndex(I);
        if (D.SelectedFileClass() == DeviceClassForName(Type)) break;
      }
      D.cbxPrintToFileTypes->OnChange(D.cbxPrintToFileTypes);
      D.edtPrintToFileName->SetText(File);
      ClickAt(D.rdbPages, 3, 3);
      D.edtPageRange->SetText(Pages);
      ClickAt(D.btnOK, 5, 5);
    });
    ClickPrint();
    EXPECT_EQ(ppScreenDeviceName, Report->DeviceType());
  }
  std::ifstream In(Text);
  ASSERT_TRUE(In) << "no text file written";
  const std::string Written((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  EXPECT_NE(std::string::npos, Written.find("Linha 5"));
  EXPECT_NE(std::string::npos, Written.find("Linha 6"));
  EXPECT_EQ(std::string::npos, Written.find("Linha 1 "));
  TppArchiveReader Reader(Archive);
  ASSERT_EQ(2, Reader.PageCount());
  EXPECT_EQ(2, Reader.AbsolutePageNo(0));
  EXPECT_EQ(4, Reader.AbsolutePageNo(1));
  EXPECT_TRUE(NothingSent());
}

}  // namespace
