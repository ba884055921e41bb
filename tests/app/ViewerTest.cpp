#include <gtest/gtest.h>

#include <QImage>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/Main.h"
#include "app/Message.h"
#include "app/Viewer.h"
#include "app/Visualizar.h"
#include "lxreport/LXConsts.h"
#include "lxreport/LXPDFPages.h"
#include "lxreport/forms/LXPrev.h"
#include "app/ViewerConsts.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/app/Registry.h"
#include "platform/classes/ClassesConsts.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FloatFormat.h"
#include "tests/TestEnv.h"
#include "tests/TestTemp.h"
#include "tests/platform/forms/FormsTestUtil.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"

namespace {

class ViewerTest : public ::testing::Test {
protected:
  void SetUp() override {
    // RunViewer ends by telling the application to terminate: a fresh start-up for this test.
    if (Application->Terminated()) {
      FinalizeApplication();
      InitializeApplication(0, nullptr, TDisplayMode::Offscreen);
    }
    SetSystemPrintersEnabled(false);
    auto Service = std::make_unique<TScriptedDialogService>();
    Dialogs = Service.get();
    Scope = std::make_unique<TDialogServiceScope>(std::move(Service));
    Home = Temp.Path("home");
    Config = std::make_unique<TEnvScope>("XDG_CONFIG_HOME", Home + "/config");
    Data = std::make_unique<TEnvScope>("XDG_DATA_HOME", Home + "/data");
  }
  void TearDown() override {
    Scope.reset();
    FreeGlobalPrinter();
    std::filesystem::remove_all(Home);
  }
  // A report file of Pages pages, page N black over N cm at its top.
  std::string ReportFile(int Pages, const std::string& Name) {
    TLXPrinter P;
    P.SetPaperSize(TLXPaperSize::A4);
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      P.NewPage();
      P.Canvas()->Brush().SetColor(clBlack);
      P.Canvas()->FillRect(Rect(0, 0, P.XPos(N * 100), P.YPos(100)));
    }
    P.EndDoc();
    std::string F = Temp.Path(Name);
    P.Save(F);
    return F;
  }

  TTestTempFiles Temp;
  TScriptedDialogService* Dialogs = nullptr;
  std::unique_ptr<TDialogServiceScope> Scope;
  std::string Home;
  std::unique_ptr<TEnvScope> Config, Data;
};
}  // namespace

TEST(JoinVariantsTest, JoinsByVariantTypeWithALeadingBlank) {
  TDateTime D = EncodeDate(2024, 3, 9);
  std::vector<Variant> Values = {Variant::OfInteger(7, varSmallint), 42, Variant::OfInteger(200, varByte),
                                 1.5, Variant::OfDate(D), "texto", true, Variant::Null(), int64_t(9),
                                 Variant::OfFloat(2.25, varCurrency)};
  EXPECT_EQ(JoinVariants(Values), " 7 42 200 1,5 09/03/2024 texto 2,25");
  EXPECT_EQ(JoinVariants({}), "");
  std::string Info = JoinVariants(ViewerInformation());
  EXPECT_EQ(Info.rfind(std::string(" ") + SViewerTitle + " \r ", 0), 0u) << Info;
  EXPECT_NE(Info.find(std::string(" \r ") + SContactTown), std::string::npos);
}

TEST_F(ViewerTest, MainFormNavigatesAndLabelsThePages) {
  std::unique_ptr<TMains, TComponentDeleter> Mains(new TMains(nullptr));
  TLXPrinter P;
  P.Load(ReportFile(3, "three.lxp"));
  Mains->LXPreview1->SetLXPrinter(&P);
  Mains->UpdatePageLabels();
  auto Labels = [&] { return Mains->LPage->Caption() + "|" + Mains->LPageTotal->Caption(); };
  EXPECT_EQ(Labels(), "Pagina 1|De 3");
  struct Step {
    TSpeedButton* Button;
    const char* After;
  } Steps[] = {{Mains->SpeedButton3, "Pagina 1|De 3"}, {Mains->SpeedButton4, "Pagina 2|De 3"},
               {Mains->SpeedButton1, "Pagina 3|De 3"}, {Mains->SpeedButton4, "Pagina 3|De 3"},
               {Mains->SpeedButton3, "Pagina 2|De 3"}, {Mains->SpeedButton2, "Pagina 1|De 3"}};
  for (const Step& S : Steps) {
    S.Button->Click();
    EXPECT_EQ(Labels(), S.After) << S.Button->Name();
  }
  EXPECT_EQ(Mains->SpeedButton3->Top(), 120);
  EXPECT_EQ(Mains->LPageTotal->Top(), 304);

  TLXPrinter Empty;
  Empty.Load(ReportFile(0, "empty.lxp"));
  Mains->LXPreview1->SetLXPrinter(&Empty);
  Mains->UpdatePageLabels();
  EXPECT_EQ(Labels(), "Pagina 1|De 0");
  EXPECT_FALSE(Mains->LXPreview1->PreviewImage()->ImageOK());
  Mains->SpeedButton1->Click();
  Mains->SpeedButton4->Click();
  EXPECT_EQ(Labels(), "Pagina 1|De 0");
  Mains->LXPreview1->SetLXPrinter(nullptr);
}

TEST_F(ViewerTest, RegistersTheFileTypeInTheStoreAndWithTheDesktop) {
  RegisterFileType(".l.xp", "", "Mivo Report FileMivo Open Report", "/opt/my apps/mivoreport", "/opt/my apps/mivoreport");
  RegisterFileType("...", "", "x", "/bin/true", "");  // nothing left of the extension: nothing written
  RegisterFileType(".abc", "", "x", "", "");           // no command: nothing written
  TRegistry Reg;
  std::vector<TRegistryEntry> Expected = {
      {"HKEY_CLASSES_ROOT\\.lxp", "", "lxp_auto_file"},
      {"HKEY_CLASSES_ROOT\\lxp_auto_file", "", "Mivo Report FileMivo Open Report"},
      {"HKEY_CLASSES_ROOT\\lxp_auto_file\\DefaultIcon", "", "/opt/my apps/mivoreport"},
      {"HKEY_CLASSES_ROOT\\lxp_auto_file\\shell\\open\\command", "", "/opt/my apps/mivoreport \"%1\""},
  };
  Reg.OpenKey("", false);
  EXPECT_EQ(Reg.Entries(), Expected);
  EXPECT_TRUE(std::filesystem::exists(Home + "/data/mime/packages/mivoreport-lxp.xml"));
  EXPECT_TRUE(std::filesystem::exists(Home + "/data/applications/mivoreport-lxp.desktop"));
}

// The main form registers the file type: the registry keeps its joined description, while the
// desktop's entry carries the program's one name and its picture from the user's icon folder.
TEST_F(ViewerTest, TheDesktopEntryHasOneNameAndTheProgramsIcon) {
  Application->SetTitle(SViewerTitle);
  std::unique_ptr<TMains, TComponentDeleter> Mains(new TMains(nullptr));
  std::ifstream In(Home + "/data/applications/mivoreport-lxp.desktop");
  std::vector<std::string> Names, Icons;
  for (std::string Line; std::getline(In, Line);) {
    if (Line.rfind("Name=", 0) == 0) Names.push_back(Line.substr(5));
    if (Line.rfind("Icon=", 0) == 0) Icons.push_back(Line.substr(5));
  }
  EXPECT_EQ(Names, std::vector<std::string>{SViewerTitle});
  EXPECT_EQ(Icons, std::vector<std::string>{SProgramIcon});
  std::string Installed = Home + "/data/icons/hicolor/32x32/apps/mivoreport.png";
  std::ifstream A(Installed, std::ios::binary), B(MOR_SOURCE_DIR "/resources/icons/mivoreport.png", std::ios::binary);
  std::string Got{std::istreambuf_iterator<char>(A), {}}, Want{std::istreambuf_iterator<char>(B), {}};
  EXPECT_FALSE(Want.empty());
  EXPECT_EQ(Got, Want) << Installed;
  std::ifstream Mime(Home + "/data/mime/packages/mivoreport-lxp.xml");
  std::string Xml{std::istreambuf_iterator<char>(Mime), {}};
  EXPECT_NE(Xml.find(std::string("<comment>") + SReportFileDescription + "</comment>"), std::string::npos) << Xml;
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(Reg.OpenKey("\\lxp_auto_file", false));
  EXPECT_EQ(Reg.ReadString(""), std::string(SReportFileDescription) + SViewerTitle);
}

// The whole main block on a file whose path has blanks: the information box first, then the main
// form on page 1; it exits with 0 and nothing refers to the freed report at shutdown.
TEST_F(ViewerTest, OpensTheFileNamedOnTheCommandLine) {
  std::string File = ReportFile(4, "my report file.lxp");
  Dialogs->Answer(mrOk);
  std::string Seen;
  int Status = RunViewer({File, "ignored"}, [&](TMains* M) {
    Seen = M->LPage->Caption() + "|" + M->LPageTotal->Caption() + "|" +
           std::to_string(M->LXPreview1->PreviewImage()->ImageOK());
    M->SetModalResult(mrOk);
  });
  EXPECT_EQ(Status, 0);
  EXPECT_EQ(Seen, "Pagina 1|De 4|1");
  const auto& Info = Dialogs->Call<TMessageRequest>(0);
  EXPECT_EQ(Info.Type, mtInformation);
  EXPECT_EQ(Info.Text, JoinVariants(ViewerInformation()));
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(Reg.OpenKey("\\lxp_auto_file", false)) << "the main form registered the file type";
}

TEST_F(ViewerTest, AMissingOrDamagedFileEndsWithAMessageAndStatusOne) {
  std::string Damaged = Temp.Path("damaged.lxp");
  std::ofstream(Damaged) << "not a report";
  std::string Folder = Temp.Path("folder.lxp");
  std::filesystem::create_directory(Folder);
  for (const std::string& F : {Temp.Path("missing.lxp"), Damaged, Folder}) {
    Dialogs->Answer(mrOk);
    Dialogs->Answer(mrOk);
    bool Shown = false;
    EXPECT_EQ(RunViewer({F}, [&](TMains*) { Shown = true; }), 1);
    EXPECT_FALSE(Shown);
    const auto& M = Dialogs->LastCall<TMessageRequest>();
    EXPECT_EQ(M.Type, mtError);
    EXPECT_NE(M.Text.find(F), std::string::npos) << M.Text;
    // The reason in the program's language; a damaged file is named in its own message too.
    const std::string Why = F == Folder    ? SIsAFolder
                            : F == Damaged ? Format(SLXDamagedFile, {F, SLXHeaderCutShort})
                                           : SNoSuchFile;
    EXPECT_NE(M.Text.find(Why), std::string::npos) << M.Text;
  }
}

// The print button prints the stored pages on the current printer: through the CUPS PDF queue when
// it is there, else the virtual printer.
TEST_F(ViewerTest, PrintButtonPrintsEveryStoredPage) {
  SetSystemPrintersEnabled(true);
  RefreshPrinters();
  std::string File = ReportFile(3, "print.lxp");
  std::unique_ptr<TMains, TComponentDeleter> Mains(new TMains(nullptr));
  TLXPrinter P;
  P.Load(File);
  int Queue = -1;
  for (size_t I = 0; I < P.Printer()->Printers().size(); ++I)
    if (P.Printer()->Printers()[I] == CupsPdfQueueName) Queue = static_cast<int>(I);
  std::string Token = UniqueJobTitle("MivoViewer");
  std::string VirtualPdf = Temp.Path(Token + ".pdf");
  std::shared_ptr<TVirtualPrinter> V;
  if (Queue < 0) {
    std::printf("CUPS queue %s not reachable: printing on the virtual printer instead\n", CupsPdfQueueName);
    TVirtualPrinterConfig C;
    C.OutputFile = VirtualPdf;
    V = std::make_shared<TVirtualPrinter>("Virtual", C);
    InstallPrinter(V);
    P.Printer()->Refresh();
    Queue = static_cast<int>(P.Printer()->Printers().size()) - 1;
  }
  P.SetPrinterIndex(Queue);
  P.SetTitle(Token);
  Mains->LXPreview1->SetLXPrinter(&P);
  Mains->SpeedButton5->Click();
  std::string Pdf = V ? VirtualPdf : WaitForCupsPdf(Token);
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the queue";
  Temp.Adopt(Pdf);
  EXPECT_EQ(ReadPdfInfo(Pdf).Pages, 3);
  Mains->LXPreview1->SetLXPrinter(nullptr);
  if (V) UninstallPrinter(V);
  SetSystemPrintersEnabled(false);
  RefreshPrinters();
}

// The hidden form's report prepares itself through the band engine (a report without bands: its
// run begins no page), and hands the printer over so that it outlives the form.
TEST_F(ViewerTest, TheHiddenReportPreparesItselfThroughTheEngine) {
  std::string File = ReportFile(2, "after-prepare.lxp");
  std::unique_ptr<TLXPrinter> Printer;
  {
    std::unique_ptr<TVisualizars, TComponentDeleter> V(new TVisualizars(nullptr));
    int Runs = 0;
    V->VexaRep1->BeforePrint = [&](TObject*, bool&) { ++Runs; };
    TLXPrinter* P = V->Prepare();
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(Runs, 1) << "the report ran";
    EXPECT_EQ(P->Status(), lxsFinished);
    EXPECT_TRUE(P->Prepared());
    EXPECT_EQ(P->PageCount(), 0);
    EXPECT_EQ(P->GetPaperSize(), TLXPaperSize::Letter);
    Printer = V->TakePrinter();
    EXPECT_TRUE(V->VexaRep1->Printers().empty()) << "the report no longer counts it as its own";
  }
  EXPECT_EQ(Printer->OwnerReport(), nullptr);
  Printer->Load(File);
  EXPECT_TRUE(Printer->GetPage(2));
}

// Without a file the report previews itself: the standard window follows its run, so once the empty
// report has finished both "Imprimir" and "Configurar" are enabled; closing the window ends the run.
TEST_F(ViewerTest, WithoutAFileTheStandardWindowOffersPrintAndPrintSetup) {
  Dialogs->Answer(mrOk);  // the information box
  bool Seen = false, PrintOn = false, SetupOn = false;
  int32_t Pages = -1;
  QTimer Watch;
  QObject::connect(&Watch, &QTimer::timeout, [&] {
    for (int I = 0; I < Screen().FormCount(); ++I) {
      auto* W = dynamic_cast<TLXStandardPreview*>(Screen().Forms(I));
      // The run has ended once it has announced its last page (after its status went to finished).
      if (!W || !W->Printer() || W->Printer()->Status() != lxsFinished || W->Printer()->AvailablePages() < 1) continue;
      Application->ProcessMessages();  // that announcement
      Seen = true;
      PrintOn = W->Print->Enabled();
      SetupOn = W->PrintSetup->Enabled();
      Pages = W->Printer()->PageCount();
      Watch.stop();
      W->Close();
      return;
    }
  });
  Watch.start(10);
  EXPECT_EQ(RunViewer({}), 0);
  ASSERT_TRUE(Seen) << "no standard preview window on a finished report";
  EXPECT_TRUE(PrintOn);
  EXPECT_TRUE(SetupOn);
  EXPECT_EQ(Pages, 0) << "a report without bands";
}

// The main form scrolls its page with the wheel, wherever the pointer is on it, by the desktop's
// scroll lines.
TEST_F(ViewerTest, TheMainFormScrollsWithTheWheel) {
  std::unique_ptr<TMains, TComponentDeleter> Mains(new TMains(nullptr));
  TLXPrinter P;
  P.Load(ReportFile(2, "wheel.lxp"));
  Mains->SetBounds(0, 0, 600, 400);
  Mains->LXPreview1->SetLXPrinter(&P);
  Mains->LXPreview1->SetZoom(200);
  TControlScrollBar* Bar = Mains->LXPreview1->VertScrollBar();
  int Notch = TLXPreview::DesktopScrollLines() * Bar->Increment();
  for (TWinControl* Target : {static_cast<TWinControl*>(Mains->LXPreview1), static_cast<TWinControl*>(Mains->Panel1)}) {
    Bar->SetPosition(0);
    SendWheel(Target, -240);
    EXPECT_EQ(Bar->Position(), 2 * Notch) << Target->Name();
    SendWheel(Target, 120);
    EXPECT_EQ(Bar->Position(), Notch) << Target->Name();
  }
  Mains->LXPreview1->SetLXPrinter(nullptr);
}

// The sample report the build makes is the band engine's run over the products table: every page
// numbered by the engine's PAGENUMBER, a total per category, and the grand total summed by the
// engine from the records (as poppler reads the pages).
TEST_F(ViewerTest, TheSampleIsTheEnginesRunOverTheProductsTable) {
  TLXPrinter P;
  P.Load(MOR_SAMPLE);
  ASSERT_GT(P.PageCount(), 1);
  std::string Pdf = Temp.Path("sample.pdf");
  ExportPagesToPDF(P, Pdf);
  std::string Text = RunCommand("pdftotext -layout '" + Pdf + "' - 2>/dev/null");
  std::vector<std::string> Pages;
  for (size_t From = 0, FF; (FF = Text.find('\f', From)) != std::string::npos; From = FF + 1)
    Pages.push_back(Text.substr(From, FF - From));
  ASSERT_EQ(static_cast<int>(Pages.size()), P.PageCount());
  for (size_t I = 0; I < Pages.size(); ++I)
    EXPECT_NE(Pages[I].find("Página " + std::to_string(I + 1)), std::string::npos) << "page " << I + 1;
  size_t Groups = 0;
  for (size_t At = 0; (At = Text.find("Total da categoria", At)) != std::string::npos; ++At) ++Groups;
  EXPECT_EQ(Groups, 6u);
  // The maker's 240 products: quantity 1 + 7i mod 23, price 1.5 + (13i mod 97) / 4.
  double Sum = 0;
  for (int I = 0; I < 240; ++I) Sum += (1 + (I * 7) % 23) * (1.5 + (I * 13) % 97 / 4.0);
  std::string Total = FormatFloat("#,##0.00", Sum);
  size_t Grand = Pages.back().find("Total geral");
  ASSERT_NE(Grand, std::string::npos);
  EXPECT_NE(Pages.back().find(Total, Grand), std::string::npos) << Total << "\n" << Pages.back();
}
