#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Main.h"
#include "app/Message.h"
#include "app/Viewer.h"
#include "app/ViewerConsts.h"
#include "platform/app/Dialogs.h"
#include "platform/app/Registry.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "platform/rtl/DateTime.h"
#include "tests/TestEnv.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"

namespace {

class ViewerTest : public ::testing::Test {
protected:
  void SetUp() override {
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
  for (const std::string& F : {Temp.Path("missing.lxp"), Damaged}) {
    Dialogs->Answer(mrOk);
    Dialogs->Answer(mrOk);
    bool Shown = false;
    EXPECT_EQ(RunViewer({F}, [&](TMains*) { Shown = true; }), 1);
    EXPECT_FALSE(Shown);
    const auto& M = Dialogs->LastCall<TMessageRequest>();
    EXPECT_EQ(M.Type, mtError);
    EXPECT_NE(M.Text.find(F), std::string::npos) << M.Text;
    EXPECT_GT(M.Text.size(), F.size() + 40) << "and the reason";
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
