// The pp printer over virtual printers: choice of printer, the setup written into the device mode
// and read back, jobs and pages, failures of the spooler, the "Screen" pseudo printer, monochrome
// devices, and a printer shared with a worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/app/Dialogs.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/Printers.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppPrinter.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"

namespace {

// A driver whose spooler fails: at the end of the job, or when a page after the first is started.
class TFailingPrinter : public TVirtualPrinter {
public:
  enum TWhen { AtEnd, AtNewPage };
  TFailingPrinter(std::string Name, TVirtualPrinterConfig C, TWhen When)
      : TVirtualPrinter(std::move(Name), std::move(C)), FWhen(When) {}
  std::unique_ptr<TPrintJob> StartDoc(const TDeviceMode& Mode, const std::string& Title) override {
    struct TJob : TPrintJob {
      std::unique_ptr<TPrintJob> Inner;
      TWhen When;
      TDeviceContext& DeviceContext() override { return Inner->DeviceContext(); }
      void NewPage(const TDeviceMode& M) override {
        if (When == AtNewPage) throw EPrinter("a fila parou");
        Inner->NewPage(M);
      }
      void End() override {
        Inner->Abort();
        throw EPrinter("a fila recusou o trabalho");
      }
      void Abort() override { Inner->Abort(); }
    };
    auto J = std::make_unique<TJob>();
    J->Inner = TVirtualPrinter::StartDoc(Mode, Title);
    J->When = FWhen;
    return J;
  }

private:
  TWhen FWhen;
};

TVirtualPrinterConfig OfficeConfig() {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 50;
  C.MarginLeft = C.MarginTop = C.MarginRight = C.MarginBottom = 51;  // tenths of a millimetre: 10 pixels
  C.Papers = {{9, "A4", 2100, 2970}, {1, "Letter", 2159, 2794}, {5, "Legal", 2159, 3556}};
  C.Bins = {{1, "Upper"}, {2, "Lower"}};
  return C;
}

class ppPrinterTest : public ppPrintTest {
protected:
  void SetUp() override {
    ppPrintTest::SetUp();
    Office = Install("Office", OfficeConfig(), true);
    Refresh();
  }
  std::shared_ptr<TVirtualPrinter> Office;
};

TEST_F(ppPrinterTest, PrinterChoice) {
  TppPrinter P;
  EXPECT_EQ("Default", P.PrinterName());
  EXPECT_EQ("Office", P.GetPrinterName());
  EXPECT_EQ("Office", P.GetPrinterInfo()->Name());
  P.SetPrinterName("Nowhere");
  EXPECT_EQ("Screen", P.PrinterName());
  EXPECT_EQ(nullptr, P.GetDevMode());
  EXPECT_EQ(Point(96, 96), P.GetPixelsPerInch());

  // "Default" follows the system's default as it is now.
  auto Other = Install("Other", OfficeConfig());
  Refresh();
  UninstallPrinter(Other);
  InstallPrinter(Other, true);
  P.SetPrinterName("Default");
  EXPECT_EQ("Other", P.PrinterName());
  P.SetPrinterName("office");
  EXPECT_EQ("Office", P.PrinterName());
  EXPECT_EQ(Point(50, 50), P.GetPixelsPerInch());
  ASSERT_NE(nullptr, P.GetDevMode());
  EXPECT_EQ(1, P.DefaultSource());

  // A printer the platform no longer has cannot be opened: it is marked and the screen measures.
  UninstallPrinter(Other);
  P.SetPrinterName("Other");
  EXPECT_EQ(Point(96, 96), P.GetPixelsPerInch());
  EXPECT_EQ("Screen", P.PrinterName());
  EXPECT_FALSE(GetPrinterList()->GetPrinterInfo("Other")->IsValid());
  P.SetPrinterName("Other");
  EXPECT_EQ("Screen", P.PrinterName());
}

// Text is measured on the printer's own canvas at its resolution; "Screen" leaves it to a screen bitmap.
TEST_F(ppPrinterTest, MeasuresOnItsOwnCanvas) {
  TppPrinter P;
  IppMeasuringPrinter& M = P;
  EXPECT_EQ(static_cast<TCanvas*>(P.GetCanvas()), M.MeasuringCanvas());
  EXPECT_EQ(Point(50, 50), M.GetPixelsPerInch());
  P.SetPrinterName("Screen");
  EXPECT_EQ(nullptr, M.MeasuringCanvas());
}

TEST_F(ppPrinterTest, SetupToDeviceModeAndBack) {
  TppPrinter P;
  TppPrinterSetup S;
  S.SetPaperName("Letter");
  S.SetOrientation(poLandscape);
  S.SetBinName("Lower");
  S.SetDuplex(dpVertical);
  S.SetCopies(3);
  S.SetDocumentName("Vendas");
  P.SetPrinterSetup(S);
  TDeviceMode M = *P.GetDevMode();
  EXPECT_EQ(DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX | DM_DEFAULTSOURCE, M.Fields);
  EXPECT_EQ(1, M.PaperSize);
  EXPECT_EQ(DMORIENT_LANDSCAPE, M.Orientation);
  EXPECT_EQ(1, M.Copies);  // the printer device makes the copies
  EXPECT_EQ(3, M.Duplex);
  EXPECT_EQ(2, M.DefaultSource);
  EXPECT_EQ("Vendas", P.DocumentName());
  EXPECT_EQ(Point(50, 50), P.GetPixelsPerInch());
  EXPECT_GT(P.GetPhysicalSize().cx, P.GetPhysicalSize().cy);  // the context follows the mode
  EXPECT_EQ(Rect(10, 10, 10, 10), P.GetUnprintableMargins());

  // Another printer object reads the same mode back into its setup.
  TppPrinter Q;
  Q.SetPrinterName("Office");
  Q.SetDevMode(M);
  TppPrinterSetup* R = Q.GetPrinterSetup();
  EXPECT_EQ("Letter", R->PaperName());
  EXPECT_EQ(poLandscape, R->Orientation());
  EXPECT_EQ(279400, R->PageDef()->mmWidth());
  EXPECT_EQ(215900, R->PageDef()->mmHeight());
  EXPECT_EQ("Lower", R->BinName());
  EXPECT_EQ(dpVertical, R->Duplex());
  EXPECT_TRUE(R->Active());  // tracking back on

  // The bin "Default" is the driver's own choice, and reads back as "Default".
  S.SetBinName("Default");
  P.SetPrinterSetup(S);
  EXPECT_EQ(1, P.GetDevMode()->DefaultSource);
  EXPECT_EQ("Default", P.GetPrinterSetup()->BinName());
  // An equal setup changes nothing; the own setup follows a change of its own.
  P.GetDevMode()->Orientation = DMORIENT_PORTRAIT;
  P.SetPrinterSetup(S);
  EXPECT_EQ(DMORIENT_PORTRAIT, P.GetDevMode()->Orientation);
  P.GetPrinterSetup()->SetPaperName("Legal");
  EXPECT_EQ(5, P.GetDevMode()->PaperSize);
}

// A size of the user's own: the paper code 256 with its size flagged, and a form of the paper's
// name flagged too, so that the driver reads it.
TEST_F(ppPrinterTest, ACustomPaperTravelsAsAFormAndASize) {
  TppPrinter P;
  TppPrinterSetup S;
  S.SetUnits(utMillimeters);
  S.SetPaperWidth(100);
  S.SetPaperHeight(150);
  ASSERT_EQ("Custom", S.PaperName());
  P.SetPrinterSetup(S);
  TDeviceMode M = *P.GetDevMode();
  EXPECT_EQ(DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DUPLEX | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME |
                DM_DEFAULTSOURCE,
            M.Fields);
  EXPECT_EQ(256, M.PaperSize);
  EXPECT_EQ(1000, M.PaperWidth);
  EXPECT_EQ(1500, M.PaperLength);
  EXPECT_EQ("Custom", M.FormName);
  ASSERT_EQ(1u, Office->Forms().size());
  EXPECT_EQ((TPaperForm{"Custom", 100000, 150000, 0, 0, 100000, 150000}), Office->Forms()[0]);

  // Another size, turned: the form is replaced; form and mode keep the paper upright.
  S.SetPaperHeight(120);
  S.SetOrientation(poLandscape);
  P.SetPrinterSetup(S);
  ASSERT_EQ(1u, Office->Forms().size());
  EXPECT_EQ(100000, Office->Forms()[0].Width);
  EXPECT_EQ(120000, Office->Forms()[0].Height);
  EXPECT_EQ(1000, P.GetDevMode()->PaperWidth);
  EXPECT_EQ(1200, P.GetDevMode()->PaperLength);
  EXPECT_EQ(DMORIENT_LANDSCAPE, P.GetDevMode()->Orientation);

  TppPrinter Q;
  Q.SetPrinterName("Office");
  Q.SetDevMode(*P.GetDevMode());
  EXPECT_EQ("Custom", Q.GetPrinterSetup()->PaperName());
  EXPECT_EQ(120000, Q.GetPrinterSetup()->PageDef()->mmWidth());
  EXPECT_EQ(100000, Q.GetPrinterSetup()->PageDef()->mmHeight());
}

// Two pages of different paper and orientation in one job, each page's setup taken as the printer
// device takes it: adopted before the page starts.
TEST_F(ppPrinterTest, AJobOfTwoPapers) {
  TppPrinter P;
  TppPrinterSetup First, Second;
  First.SetPaperName("A4");
  First.SetDocumentName("Relatório");
  Second.SetPaperName("Legal");
  Second.SetOrientation(poLandscape);
  Second.SetDocumentName("Relatório");

  P.BeginDoc();
  P.BeginDoc();  // nothing during a job
  EXPECT_TRUE(P.Printing());
  EXPECT_EQ(0, P.PageNumber());
  P.SetPrinterSetup(First);
  EXPECT_TRUE(P.DevModeChanged());
  P.StartPage();
  P.StartPage();  // one page
  EXPECT_EQ(1, P.PageNumber());
  P.GetCanvas()->Brush().SetColor(clBlack);
  P.GetCanvas()->FillRect(Rect(0, 0, 20, 20));
  P.EndPage();
  P.SetPrinterSetup(Second);
  P.SetPrinterName("Screen");  // ignored during a job
  P.StartPage();
  EXPECT_EQ(2, P.PageNumber());
  EXPECT_GT(P.GetPrintableSize().cx, P.GetPrintableSize().cy);
  P.EndDoc();  // ends the open page first
  EXPECT_FALSE(P.Printing());
  EXPECT_FALSE(P.PageStarted());
  EXPECT_EQ(0, P.PageNumber());

  ASSERT_EQ(1u, Office->Jobs().size());
  const auto& J = Office->Jobs()[0];
  EXPECT_TRUE(J.Ended);
  EXPECT_EQ("Relatório", J.Title);
  ASSERT_EQ(2, J.PageCount);
  EXPECT_EQ(9, J.PageModes[0].PaperSize);
  EXPECT_EQ(DMORIENT_PORTRAIT, J.PageModes[0].Orientation);
  EXPECT_EQ(5, J.PageModes[1].PaperSize);
  EXPECT_EQ(DMORIENT_LANDSCAPE, J.PageModes[1].Orientation);
  ASSERT_EQ(2u, J.Pages.size());
  EXPECT_NEAR(413, J.Pages[0].width(), 1);  // 210 mm at 50 pixels per inch
  EXPECT_NEAR(700, J.Pages[1].width(), 1);  // 355.6 mm
  EXPECT_EQ(qRgb(0, 0, 0), J.Pages[0].pixel(15, 15));  // drawn from the printable corner
  EXPECT_EQ(qRgb(255, 255, 255), J.Pages[0].pixel(5, 5));

  // A document without pages sends nothing.
  P.BeginDoc();
  P.EndDoc();
  EXPECT_EQ(1u, Office->Jobs().size());
}

// A spooler that fails makes the printer raise the print error and leaves it idle, with nothing of
// the job handed on.
TEST_F(ppPrinterTest, SpoolerFailuresRaise) {
  for (auto When : {TFailingPrinter::AtEnd, TFailingPrinter::AtNewPage}) {
    SCOPED_TRACE(When);
    auto Failing = std::make_shared<TFailingPrinter>("Failing", OfficeConfig(), When);
    InstallPrinter(Failing);
    Refresh();
    TppPrinter P;
    P.SetPrinterName("Failing");
    P.BeginDoc();
    P.StartPage();
    P.EndPage();
    if (When == TFailingPrinter::AtNewPage) {
      EXPECT_THROW(P.StartPage(), EPrintError);
    } else {
      try {
        P.EndDoc();
        ADD_FAILURE() << "a refused job was reported as printed";
      } catch (const EPrintError& E) {
        EXPECT_STREQ("a fila recusou o trabalho", E.what());
      }
    }
    EXPECT_FALSE(P.Printing());
    ASSERT_EQ(1u, Failing->Jobs().size());
    EXPECT_TRUE(Failing->Jobs()[0].Aborted);
    EXPECT_FALSE(Failing->Jobs()[0].Ended);
    P.EndDoc();  // idle: nothing
    UninstallPrinter(Failing);
  }
}

TEST_F(ppPrinterTest, TheScreenMeasuresButDoesNotPrint) {
  TppPrinter P;
  P.SetPrinterName("Screen");
  try {
    P.BeginDoc();
    ADD_FAILURE() << "printed on the screen";
  } catch (const EPrintError& E) {
    EXPECT_STREQ(SppScreenPrinting, E.what());
  }
  EXPECT_FALSE(P.Printing());
  P.GetCanvas()->Font().SetName("Arial");
  P.GetCanvas()->Font().SetSize(10);
  EXPECT_GT(P.GetCanvas()->TextWidth("Relatório"), 0);
  EXPECT_EQ(96, P.GetCanvas()->Font().PixelsPerInch());
  EXPECT_EQ(nullptr, P.GetDevMode());
  TppPrinterSetup* S = P.GetPrinterSetup();  // no device mode: as it was
  EXPECT_EQ("Default", S->PrinterName());
}

TEST_F(ppPrinterTest, FontsFollowThePrinter) {
  TVirtualPrinterConfig Mono = OfficeConfig();
  Mono.Color = false;
  Mono.PixelsPerInchX = Mono.PixelsPerInchY = 300;
  Install("Mono", Mono);
  Refresh();
  for (bool Colour : {true, false}) {
    SCOPED_TRACE(Colour);
    TppPrinter P;
    P.SetPrinterName(Colour ? "Office" : "Mono");
    EXPECT_EQ(Colour, P.GetIsColor());
    TCanvas& C = *P.GetCanvas();
    C.Font().SetSize(10);
    C.Font().SetColor(clRed);
    C.TextWidth("x");  // the canvas takes its context and selects the font
    EXPECT_EQ(Colour ? 50 : 300, C.Font().PixelsPerInch());
    EXPECT_EQ(10, C.Font().Size());
    EXPECT_EQ(Colour ? clRed : clBlack, C.Font().Color());
    C.Font().SetColor(clWhite);
    C.TextWidth("x");
    EXPECT_EQ(clWhite, C.Font().Color());
    // During a page too.
    P.BeginDoc();
    P.StartPage();
    C.Font().SetColor(clBlue);
    C.TextOut(0, 0, "x");
    EXPECT_EQ(Colour ? clBlue : clBlack, C.Font().Color());
    P.EndDoc();
  }
}

TEST_F(ppPrinterTest, ThePrinterPropertiesDialogChangesTheDeviceMode) {
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* Script = Service.get();
  TDialogServiceScope Scope(std::move(Service));
  TppPrinter P;
  int Changes = 0;
  P.OnDevModeChange = [&](TObject* Sender) {
    ++Changes;
    EXPECT_EQ(DMORIENT_LANDSCAPE, static_cast<TppPrinter*>(Sender)->GetDevMode()->Orientation);
  };
  Script->Cancel();
  EXPECT_FALSE(P.ShowPrinterProperties());
  EXPECT_EQ(0, Changes);
  Script->Accept<TPrinterSetupData>([](TPrinterSetupData& D) { D.DeviceMode.Orientation = DMORIENT_LANDSCAPE; });
  EXPECT_TRUE(P.ShowPrinterProperties());
  EXPECT_EQ(1, Changes);
  EXPECT_EQ("Office", Script->LastCall<TPrinterSetupData>().PrinterName);
  EXPECT_EQ(poLandscape, P.GetPrinterSetup()->Orientation());
}

// With no printer at all, everything that does not print still works.
TEST_F(ppPrinterTest, WithoutAnyPrinter) {
  UninstallAllPrinters();
  Refresh();
  EXPECT_EQ(nullptr, GetSharedPrinter());
  TppPrinter P;
  EXPECT_EQ("Screen", P.GetPrinterName());
  EXPECT_EQ(Point(96, 96), P.GetPixelsPerInch());
  EXPECT_THROW(P.BeginDoc(), EPrintError);
  TppPrinterSetup S;
  S.SetPaperName("Letter 8 1/2 x 11 in");  // the screen's list
  EXPECT_EQ(215900, S.PageDef()->mmWidth());
  S.SetUnits(utPrinterPixels);  // the screen's pixels without a shared printer
  EXPECT_FLOAT_EQ(816, S.PaperWidth());
  P.SetPrinterSetup(S);
  EXPECT_EQ(nullptr, P.GetDevMode());
}

// A worker prints while the main thread measures and reads the setup of the same printer.
TEST_F(ppPrinterTest, APrinterSharedWithAWorker) {
  TppPrinter P;
  TppPrinterSetup A4;
  A4.SetPaperName("A4");
  std::atomic<bool> Done{false};
  std::thread Worker([&] {
    for (int Job = 0; Job < 3; ++Job) {
      P.BeginDoc();
      for (int Page = 0; Page < 4; ++Page) {
        P.SetPrinterSetup(A4);
        P.StartPage();
        P.GetCanvas()->TextOut(10, 10, "x");
        P.EndPage();
      }
      P.EndDoc();
    }
    Done = true;
  });
  int Reads = 0;
  while (!Done || Reads == 0) {
    EXPECT_EQ(50, P.GetPixelsPerInch().X);
    EXPECT_EQ("A4", P.GetPrinterSetup()->PaperName());
    ++Reads;
  }
  Worker.join();
  EXPECT_EQ(3u, Office->Jobs().size());
  for (const auto& J : Office->Jobs()) EXPECT_EQ(4, J.PageCount);
}

}  // namespace
