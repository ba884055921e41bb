#include "lxreport/LXPrntr.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "lxreport/LXError.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/PrintingConsts.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/lxreport/LXPageTestSupport.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
class TRecorder : public TMessageTarget {
public:
  std::vector<TMessage> Got;

protected:
  void WndProc(TMessage& M) override { Got.push_back(M); }
};

class LXPrinterTest : public VirtualPrinterTest {
protected:
  std::string Temp(const std::string& Name) { return TempFiles.Path(Name); }

  // Runs Pages pages; page N is black over its first N x 10 mm of width.
  static void Run(TLXPrinter& P, int Pages) {
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      P.NewPage();
      P.Canvas()->Brush().SetColor(clBlack);
      P.Canvas()->FillRect(Rect(P.XPos(0), P.YPos(0), P.XPos(N * 100), P.YPos(100)));
    }
    P.EndDoc();
  }
  // A page covered in black from edge to edge.
  static void RunFull(TLXPrinter& P, int Pages) {
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) {
      P.NewPage();
      P.Canvas()->Brush().SetColor(clBlack);
      P.Canvas()->FillRect(Rect(0, 0, P.XSize(P.PaperWidthValue()), P.YSize(P.PaperLengthValue())));
    }
    P.EndDoc();
  }
  static std::vector<char> Bytes(const std::string& File) {
    std::ifstream F(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(F), {}};
  }
};
}  // namespace

TEST_F(LXPrinterTest, RunProtocolRecordsPagesAndTellsTheStatusWindow) {
  TLXPrinter P;
  TRecorder Status;
  P.SetStatusWindow(Status.Handle());
  P.EndDoc();  // no run: nothing
  EXPECT_EQ(P.Status(), lxsReady);
  try {
    P.NewPage();
    FAIL();
  } catch (const ELXError& E) {
    EXPECT_EQ(E.Message(), "Illegal call to NewPage");
  }
  P.SetPaperSize(TLXPaperSize::A4);
  Run(P, 3);
  EXPECT_EQ(P.Status(), lxsFinished);
  EXPECT_EQ(P.PageCount(), 3);
  EXPECT_EQ(P.PageList()->PageCount(), 3);
  EXPECT_EQ(P.AvailablePages(), 3);
  try {
    P.BeginDoc();
    FAIL();
  } catch (const ELXError& E) {
    EXPECT_EQ(E.Message(), "LXPrinter not ready");
  }
  auto Page = P.GetPage(1);
  ASSERT_TRUE(Page);
  EXPECT_EQ(Page->Width(), 794);  // 210 mm on the 96 pixels per inch screen
  EXPECT_EQ(Page->Height(), 1123);
  EXPECT_FALSE(P.GetPage(0));
  EXPECT_FALSE(P.GetPage(4));

  // Posted; EndDoc processes what is pending before it posts the last one.
  EXPECT_EQ(Status.Got.size(), 2u);
  Application->ProcessMessages();
  ASSERT_EQ(Status.Got.size(), 3u);
  for (size_t I = 0; I < 3; ++I) {
    EXPECT_EQ(Status.Got[I].Msg, WM_LXPAGEAVAILABLE);
    EXPECT_EQ(Status.Got[I].WParam, I + 1);
  }
  P.SetProgress(40);
  EXPECT_EQ(Status.Got.size(), 3u);
  Application->ProcessMessages();
  EXPECT_EQ(Status.Got.back().Msg, WM_LXPROGRESS);
  EXPECT_EQ(Status.Got.back().WParam, 40u);

  P.Cleanup();
  EXPECT_EQ(P.Status(), lxsReady);
  EXPECT_FALSE(P.GetPage(1));
  Run(P, 1);
  EXPECT_EQ(P.PageCount(), 1);
}

TEST_F(LXPrinterTest, CoordinatesRoundHalvesToEvenFromThePrintableCorner) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = 508;  // two pixels per tenth of a millimetre
  C.PixelsPerInchY = 254;
  C.MarginLeft = 50;
  C.MarginTop = 20;
  Install("Virtual", C);
  TLXPrinter P;
  P.SetDestination(lxdPrinter);
  P.BeginDoc();
  EXPECT_EQ(P.XFactor(), 2.0L);
  EXPECT_EQ(P.YFactor(), 1.0L);
  EXPECT_EQ(P.LeftWaste(), 50);
  EXPECT_EQ(P.TopWaste(), 20);
  struct Case {
    long double In;
    int32_t X, Y, W, H;
  } Cases[] = {
      {50, 0, 30, 100, 50},       {51.25L, 2, 31, 102, 51},  {51.75L, 4, 32, 104, 52},
      {22.5L, -55, 2, 45, 22},    {23.5L, -53, 4, 47, 24},   {0, -100, -20, 0, 0},
  };
  for (const auto& K : Cases) {
    EXPECT_EQ(P.XPos(K.In), K.X) << double(K.In);
    EXPECT_EQ(P.YPos(K.In), K.Y) << double(K.In);
    EXPECT_EQ(P.XSize(K.In), K.W) << double(K.In);
    EXPECT_EQ(P.YSize(K.In), K.H) << double(K.In);
  }
  P.AbortDoc();
}

TEST_F(LXPrinterTest, PrinterRunPrintsOnlyThePageRangeWithOneBreakPerPage) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 50;
  auto V = Install("Virtual", C);
  TLXPrinter P;
  P.SetTitle("Range");
  P.SetDestination(lxdPrinter);
  P.SetFirstPage(2);
  P.SetLastPage(3);
  int Printed = 0;
  P.AfterPrint = [&](TLXPrinter*) { ++Printed; };
  Run(P, 5);
  EXPECT_EQ(Printed, 1);
  ASSERT_EQ(V->Jobs().size(), 1u);
  const auto& J = V->Jobs()[0];
  EXPECT_EQ(J.Title, "Range");
  EXPECT_TRUE(J.Ended);
  ASSERT_EQ(J.Pages.size(), 2u);
  // Page 2 is black over 20 mm (39 pixels at 50 dpi), page 3 over 30 mm.
  EXPECT_EQ(J.Pages[0].pixel(38, 5), qRgb(0, 0, 0));
  EXPECT_EQ(J.Pages[0].pixel(40, 5), qRgb(255, 255, 255));
  EXPECT_EQ(J.Pages[1].pixel(58, 5), qRgb(0, 0, 0));
  EXPECT_EQ(J.Pages[1].pixel(60, 5), qRgb(255, 255, 255));
}

TEST_F(LXPrinterTest, LoadGuessesPaperAndOrientationAndSaveCopiesTheFile) {
  struct Case {
    TLXPaperSize Size;
    uint8_t Orientation;
    int Width, Length;  // for Custom
    TLXPaperSize Want;
    uint8_t WantOrientation;
  } Cases[] = {
      {TLXPaperSize::A4, 0, 0, 0, TLXPaperSize::A4, 0},
      {TLXPaperSize::A4, 1, 0, 0, TLXPaperSize::A4, 1},
      {TLXPaperSize::Letter, 0, 0, 0, TLXPaperSize::Letter, 0},
      {TLXPaperSize::Legal, 1, 0, 0, TLXPaperSize::Legal, 1},
      {TLXPaperSize::A3, 0, 0, 0, TLXPaperSize::A3, 0},
      {TLXPaperSize::Env10, 1, 0, 0, TLXPaperSize::Env10, 1},
      {TLXPaperSize::Custom, 0, 1000, 1000, TLXPaperSize::CSheet, 1},
      {TLXPaperSize::Custom, 0, 1234, 567, TLXPaperSize::A4, 0},  // no match: keeps the settings' paper
  };
  for (const auto& K : Cases) {
    std::string File = Temp("guess.lxp"), Copy = Temp("guess-copy.lxp");
    {
      TLXPrinter Maker;
      Maker.SetPaperSize(K.Size);
      Maker.SetPaperWidth(K.Width);
      Maker.SetPaperLength(K.Length);
      Maker.SetOrientation(K.Orientation);
      Run(Maker, 2);
      Maker.Save(File);
    }
    TLXPrinter P;
    P.Load(File);
    EXPECT_EQ(P.Status(), lxsFinished);
    EXPECT_TRUE(P.Prepared());
    EXPECT_EQ(P.PageCount(), 2);
    EXPECT_EQ(P.GetPaperSize(), K.Want) << int(K.Size);
    EXPECT_EQ(P.GetOrientation(), K.WantOrientation) << int(K.Size);
    // The page number is 0 after loading; asking for page 1 fetches it.
    EXPECT_EQ(P.PageNumber(), 0);
    P.SetPageNumber(1);
    ASSERT_NE(P.CurrentPage(), nullptr);
    EXPECT_EQ(P.PageNumber(), 1);
    P.SetPageNumber(3);
    EXPECT_EQ(P.PageNumber(), 1);
    P.Save(Copy);
    EXPECT_EQ(Bytes(Copy), Bytes(File));
  }
}

TEST_F(LXPrinterTest, PrintStretchesStoredPagesOverThePrintableAreaAndStopsAtTheLastPage) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 40;
  C.MarginLeft = C.MarginTop = C.MarginRight = C.MarginBottom = 127;  // 20 pixels
  auto V = Install("Virtual", C);
  TLXPrinter P;
  P.SetPaperSize(TLXPaperSize::A4);
  RunFull(P, 3);
  P.SetLastPage(10);
  P.SetTitle("Stored");
  EXPECT_TRUE(P.Print());
  ASSERT_EQ(V->Jobs().size(), 1u);
  const auto& J = V->Jobs()[0];
  ASSERT_EQ(J.Pages.size(), 3u);
  const QImage& I = J.Pages[2];
  int W = I.width(), H = I.height();
  EXPECT_EQ(I.pixel(20, 20), qRgb(0, 0, 0));
  // The player maps the metafile's inclusive frame, so the last pixel may stay white.
  EXPECT_EQ(I.pixel(W - 22, H - 22), qRgb(0, 0, 0));
  EXPECT_EQ(I.pixel(19, 19), qRgb(255, 255, 255));
  EXPECT_EQ(I.pixel(W - 20, H - 20), qRgb(255, 255, 255));
  EXPECT_EQ(P.PageNumber(), 3);

  P.SetFirstPage(2);
  P.SetLastPage(2);
  EXPECT_TRUE(P.Print());
  EXPECT_EQ(V->Jobs()[1].Pages.size(), 1u);
}

TEST_F(LXPrinterTest, ReprintMessageOnlyForPagesThatAreNotFinal) {
  Install("Virtual");
  TRecorder Report;
  TLXPrinter P;
  P.SetParentReport(Report.Handle());
  Run(P, 1);
  EXPECT_FALSE(P.Print());
  Application->ProcessMessages();
  ASSERT_EQ(Report.Got.size(), 1u);
  EXPECT_EQ(Report.Got[0].Msg, WM_LXPRINT);

  std::string File = Temp("final.lxp");
  P.Save(File);
  TLXPrinter Loaded;
  Loaded.SetParentReport(Report.Handle());
  Loaded.Load(File);
  EXPECT_TRUE(Loaded.Print());
  Application->ProcessMessages();
  EXPECT_EQ(Report.Got.size(), 1u);

  Loaded.ClosePreview(nullptr);  // sent: handled before it returns
  ASSERT_EQ(Report.Got.size(), 2u);
  EXPECT_EQ(Report.Got[1].Msg, WM_LXPREVIEWCLOSED);
  EXPECT_EQ(Report.Got[1].LParam, reinterpret_cast<LPARAM>(&Loaded));
}

TEST_F(LXPrinterTest, WithoutPrintersPagesKeepTheReportsPaperAndPrintDoesNothing) {
  TLXPrinter P;
  EXPECT_FALSE(P.PrintersAvailable());
  P.SetPaperSize(TLXPaperSize::Letter);
  P.SetOrientation(1);
  Run(P, 1);
  auto Page = P.GetPage(1);
  ASSERT_TRUE(Page);
  EXPECT_EQ(Page->Width(), 1056);  // 279.4 mm across
  EXPECT_EQ(Page->Height(), 816);
  EXPECT_FALSE(P.Print());
  std::string File = Temp("letter.lxp");
  P.Save(File);
  TLXPrinter Loaded;
  Loaded.Load(File);
  EXPECT_EQ(Loaded.GetPaperSize(), TLXPaperSize::Letter);
  EXPECT_EQ(Loaded.GetOrientation(), 1);
}

TEST_F(LXPrinterTest, PreviewClosingCancelsARunAndCallsAfterPreview) {
  TLXPrinter P;
  int Closed = 0;
  P.AfterPreview = [&](TLXPrinter*) {
    ++Closed;
    throw ELXError("handler failed");
  };
  P.SetShowingPreview(true);
  P.BeginDoc();
  EXPECT_THROW(P.SetShowingPreview(false), ELXError);
  EXPECT_FALSE(P.ShowingPreview());
  EXPECT_TRUE(P.Cancelled());
  EXPECT_EQ(Closed, 1);
  P.SetShowingPreview(false);
  EXPECT_EQ(Closed, 1);
  TLXPrinter* Seen = nullptr;
  P.OnPreview = [&](TLXPrinter* S) { Seen = S; };
  P.Preview();
  EXPECT_EQ(Seen, &P);
}

// A stored three-page report printed through the CUPS PDF queue: three pages,
// each stretched over the printable area. Without CUPS, the virtual printer.
TEST_F(LXPrinterTest, ThreeStoredPagesThroughCups) {
  SetSystemPrintersEnabled(true);
  RefreshPrinters();
  std::string File = Temp("three.lxp");
  {
    TLXPrinter Maker;
    Maker.SetPaperSize(TLXPaperSize::A4);
    RunFull(Maker, 3);
    Maker.Save(File);
  }
  TLXPrinter P;
  int Queue = -1;
  for (size_t I = 0; I < P.Printer()->Printers().size(); ++I)
    if (P.Printer()->Printers()[I] == CupsPdfQueueName) Queue = static_cast<int>(I);
  std::string Token = UniqueJobTitle("MivoThree");
  std::string VirtualPdf = Temp(Token + ".pdf");
  std::shared_ptr<TVirtualPrinter> V;
  if (Queue < 0) {
    std::printf("CUPS queue %s not reachable: printing on the virtual printer instead\n", CupsPdfQueueName);
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = C.PixelsPerInchY = 72;
    C.MarginLeft = C.MarginTop = C.MarginRight = C.MarginBottom = 64;  // 18 points
    C.OutputFile = VirtualPdf;
    V = Install("Virtual", C);
    P.Printer()->Refresh();
    Queue = static_cast<int>(P.Printer()->Printers().size()) - 1;
  }
  P.Load(File);
  P.SetPrinterIndex(Queue);
  P.SetPaperSize(TLXPaperSize::A4);
  P.SetTitle(Token);
  ASSERT_TRUE(P.Print());

  TDeviceCaps Caps = P.Printer()->DeviceCaps();
  std::string Pdf = V ? VirtualPdf : WaitForCupsPdf(Token);
  ASSERT_FALSE(Pdf.empty()) << "no PDF from the CUPS queue";
  TempFiles.Adopt(Pdf);
  TPdfInfo Info = ReadPdfInfo(Pdf);
  EXPECT_EQ(Info.Pages, 3);
  // Render each page at 72 pixels per inch (one pixel a point) and look at the
  // corners of the printable area.
  std::string Png = Temp(Token);
  RunCommand("pdftoppm -r 72 -gray -png '" + Pdf + "' '" + Png + "'");
  double ToPt = 72.0 / Caps.PixelsPerInchX;
  int L = static_cast<int>(Caps.PhysicalOffsetX * ToPt), T = static_cast<int>(Caps.PhysicalOffsetY * ToPt);
  int R = static_cast<int>((Caps.PhysicalOffsetX + Caps.PageWidth) * ToPt);
  int B = static_cast<int>((Caps.PhysicalOffsetY + Caps.PageHeight) * ToPt);
  ASSERT_GT(L, 2);
  for (int Page = 1; Page <= 3; ++Page) {
    QImage I(QString::fromStdString(Png + "-" + std::to_string(Page) + ".png"));
    ASSERT_FALSE(I.isNull()) << Page;
    EXPECT_LT(qGray(I.pixel(L + 2, T + 2)), 60) << Page;
    EXPECT_LT(qGray(I.pixel(R - 3, B - 3)), 60) << Page;
    EXPECT_GT(qGray(I.pixel(L - 2, T - 2)), 200) << Page;
    EXPECT_GT(qGray(I.pixel(R + 1, B + 1)), 200) << Page;
    std::remove((Png + "-" + std::to_string(Page) + ".png").c_str());
  }
}

namespace {
class TFakeReport : public TComponent, public ILXPrinterOwner {
public:
  using TComponent::TComponent;
  TVexaRepPrinterSettings Settings;
  int Reads = 0, Applies = 0;
  const TLXPrinterSettings* ReportPrinterSettings() const override { return &Settings; }
  void GetPrinterSettings(TPrinterSettings*, bool&, TDeviceMode*) override { ++Reads; }
  void ApplyPrinterSettings(TPrinterSettings*, bool&, TDeviceMode* M) override {
    ++Applies;
    M->Copies = 7;
  }
};

class TFakePreview : public TMessageTarget, public ILXPrinterView {
public:
  TLXPrinter* Freed = nullptr;
  void PrinterFreed(TLXPrinter* P) override { Freed = P; }
};
}  // namespace

TEST_F(LXPrinterTest, AReportChoosesThePrinterObjectAndHearsTheDriverAndAPreviewHearsTheFree) {
  Install("Virtual");
  auto Second = std::make_shared<TVirtualPrinter>("Second");
  InstallPrinter(Second);
  CreateGlobalPrinter();
  ::Printer()->SetPrinterIndex(1);
  TFakeReport Report(nullptr);
  {
    TLXPrinter Own(&Report);
    EXPECT_EQ(Own.OwnerReport(), &Report);
    EXPECT_NE(Own.Printer(), ::Printer());
    EXPECT_EQ(Own.Printer()->PrinterName(), "Second");  // follows the global printer's choice
    EXPECT_EQ(Report.Reads, 2);                         // before and after reading the driver
    Own.SetDestination(lxdPrinter);
    Own.BeginDoc();
    EXPECT_EQ(Report.Applies, 1);
    EXPECT_EQ(Own.Printer()->DeviceMode().Copies, 7);
    Own.AbortDoc();
  }
  Report.Settings.SetUseStandardprinter(true);
  auto P = std::make_unique<TLXPrinter>(&Report);
  EXPECT_EQ(P->Printer(), ::Printer());
  P->SetPrinterIndex(0);  // never moves the global printer
  EXPECT_EQ(::Printer()->PrinterIndex(), 1);

  TFakePreview Preview;
  P->SetStatusWindow(Preview.Handle());
  TLXPrinter* Raw = P.get();
  P.reset();
  EXPECT_EQ(Preview.Freed, Raw);
  EXPECT_NE(::Printer(), nullptr);  // the global printer outlives it
}

TEST_F(LXPrinterTest, CancelDuringPrintAbortsTheJobAndTheNextPrintIsWhole) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 30;
  auto V = Install("Virtual", C);
  TLXPrinter P;
  Run(P, 3);
  struct TCanceller : TMessageTarget {
    TLXPrinter* Printer = nullptr;
    void WndProc(TMessage&) override { Printer->Cancel(); }
  } Canceller;
  Canceller.Printer = &P;
  PostMessage(Canceller.Handle(), WM_USER + 100, 0, 0);  // handled while page 1 prints
  EXPECT_FALSE(P.Print());
  ASSERT_EQ(V->Jobs().size(), 1u);
  EXPECT_TRUE(V->Jobs()[0].Aborted);
  EXPECT_EQ(V->Jobs()[0].PageCount, 2);  // page 2 had been started
  EXPECT_TRUE(P.Print());
  EXPECT_EQ(V->Jobs()[1].PageCount, 3);
  EXPECT_TRUE(V->Jobs()[1].Ended);
}

namespace {
std::vector<uint8_t> ReadBytes(const std::string& File) {
  TMemoryStream M;
  M.LoadFromFile(File);
  return M.Bytes();
}
void WriteBytes(const std::string& File, const std::vector<uint8_t>& B) {
  TFileStream F(File, fmCreate);
  F.WriteBuffer(B.data(), static_cast<int64_t>(B.size()));
}
}  // namespace

TEST_F(LXPrinterTest, PaperWidthAndLengthAreThePapersSize) {
  struct Case {
    TLXPaperSize Size;
    uint8_t Orientation;
    int32_t Width, Length, WantWidth, WantLength;
  } Cases[] = {
      {TLXPaperSize::A4, 0, 0, 0, 2100, 2970},
      {TLXPaperSize::A4, 1, 0, 0, 2100, 2970},  // the paper, not as oriented
      {TLXPaperSize::Letter, 0, 0, 0, 2159, 2794},
      {TLXPaperSize::Custom, 0, 1234, 567, 1234, 567},
  };
  for (const Case& K : Cases) {
    TLXPrinter P;
    P.SetPaperSize(K.Size);
    P.SetOrientation(K.Orientation);
    P.SetPaperWidth(K.Width);
    P.SetPaperLength(K.Length);
    EXPECT_EQ(P.GetPaperWidth(), K.WantWidth) << int(K.Size);
    EXPECT_EQ(P.GetPaperLength(), K.WantLength) << int(K.Size);
  }
}

TEST_F(LXPrinterTest, NothingToPrintOpensNoJobAndAFailingPageThrowsTheJobAway) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 30;
  auto V = Install("Virtual", C);
  TLXPrinter P;
  Run(P, 3);
  for (int32_t First : {4, 9}) {
    P.SetFirstPage(First);
    EXPECT_FALSE(P.Print()) << First;
  }
  EXPECT_TRUE(V->Jobs().empty());

  std::string File = Temp("spoilt-page-2.lxp");
  P.Save(File);
  auto B = ReadBytes(File);
  SpoilPage(B, 2);
  WriteBytes(File, B);
  TLXPrinter Loaded;
  Loaded.Load(File);
  EXPECT_THROW(Loaded.Print(), EInvalidGraphic);
  ASSERT_EQ(V->Jobs().size(), 1u);
  EXPECT_TRUE(V->Jobs()[0].Aborted);
  EXPECT_FALSE(V->Jobs()[0].Ended);
  EXPECT_FALSE(Loaded.Printer()->Printing());
  std::remove(File.c_str());
}

// A load that fails leaves the printer with what it held: pages of a run stay
// unprepared (printing re-runs the report), a loaded file stays loaded.
TEST_F(LXPrinterTest, AFailedLoadKeepsThePagesHeldBefore) {
  std::string Good = Temp("good.lxp"), BadFirst = Temp("spoilt-page-1.lxp"), Missing = Temp("missing.lxp");
  {
    TLXPrinter Maker;
    Run(Maker, 3);
    Maker.Save(Good);
    Maker.Save(BadFirst);
  }
  auto B = ReadBytes(BadFirst);
  SpoilPage(B, 1);
  WriteBytes(BadFirst, B);
  std::remove(Missing.c_str());

  TLXPrinter P;
  Run(P, 2);
  auto Expect = [&](int32_t Count, bool Prepared) {
    EXPECT_EQ(P.Status(), lxsFinished);
    EXPECT_EQ(P.PageCount(), Count);
    EXPECT_EQ(P.Prepared(), Prepared);
    EXPECT_TRUE(P.GetPage(Count));
  };
  EXPECT_THROW(P.Load(Missing), EFOpenError);
  Expect(2, false);
  EXPECT_THROW(P.Load(BadFirst), EInvalidGraphic);
  Expect(2, false);
  P.Load(Good);
  Expect(3, true);
  EXPECT_THROW(P.Load(BadFirst), EInvalidGraphic);
  Expect(3, true);
  std::remove(Good.c_str());
  std::remove(BadFirst.c_str());
}

// Each file's header says whether its pages are coded; the report's own option
// decides only the pages of its runs.
TEST_F(LXPrinterTest, ACompressingPrinterLoadsPlainFiles) {
  std::string CodedFile = Temp("coded.lxp"), PlainFile = Temp("plain.lxp");
  {
    TLXPrinter M;
    M.SetCompression(true);
    Run(M, 2);
    M.Save(CodedFile);
  }
  {
    TLXPrinter M;
    Run(M, 2);
    M.Save(PlainFile);
  }
  TLXPrinter P;
  P.SetCompression(true);
  Run(P, 1);
  for (const std::string& F : {PlainFile, CodedFile, PlainFile}) {
    P.Load(F);
    EXPECT_TRUE(P.GetPage(2)) << F;
  }
  P.Cleanup();
  Run(P, 1);
  EXPECT_TRUE(P.PageList()->Compression());
  TLXPrinter Q;
  Q.Load(CodedFile);
  Q.Cleanup();
  Run(Q, 1);
  EXPECT_FALSE(Q.PageList()->Compression());
  std::remove(CodedFile.c_str());
  std::remove(PlainFile.c_str());
}

TEST_F(LXPrinterTest, PrintingReadsEachStoredPageOnce) {
  TVirtualPrinterConfig C;
  C.PixelsPerInchX = C.PixelsPerInchY = 30;
  Install("Virtual", C);
  TLXPrinter P;
  Run(P, 4);
  TMemoryStream Copy;
  P.Stream()->SaveToStream(Copy);
  auto Counting = std::make_unique<TCountingStream>(Copy.Bytes());
  TCountingStream* S = Counting.get();
  P.PageList()->SetStream(std::move(Counting));
  for (int32_t N = 1; N <= 4; ++N) ASSERT_TRUE(P.GetPage(N));  // the list finds its records again
  S->BytesRead = 0;
  ASSERT_TRUE(P.Print());
  EXPECT_LE(S->BytesRead, S->Size());  // each record's head and data, once
}

// On the real queue: a print that fails half-way or is cancelled sends nothing to CUPS, a whole one
// does, and a queue that refuses jobs makes Print raise the printing error instead of answering true.
TEST_F(LXPrinterTest, OnlyAWholeJobReachesCupsAndARefusingQueueRaises) {
  SetSystemPrintersEnabled(true);
  RefreshPrinters();
  std::string Good = Temp("cups-good.lxp"), Spoilt = Temp("cups-spoilt.lxp");
  {
    TLXPrinter Maker;
    Maker.SetPaperSize(TLXPaperSize::A4);
    Run(Maker, 3);
    Maker.Save(Good);
  }
  auto B = ReadBytes(Good);
  SpoilPage(B, 3);
  WriteBytes(Spoilt, B);
  TLXPrinter P;
  auto QueueIndex = [&P](const std::string& Name) {
    P.Printer()->Refresh();
    for (size_t I = 0; I < P.Printer()->Printers().size(); ++I)
      if (P.Printer()->Printers()[I] == Name) return static_cast<int>(I);
    return -1;
  };
  int Queue = QueueIndex(CupsPdfQueueName);
  if (Queue < 0) GTEST_SKIP() << "CUPS queue " << CupsPdfQueueName << " not reachable (the virtual printer's abort is tested above)";
  P.SetPrinterIndex(Queue);

  std::string Failed = UniqueJobTitle("MivoFailed");
  P.Load(Spoilt);
  P.SetTitle(Failed);
  EXPECT_THROW(P.Print(), EInvalidGraphic);  // pages 1 and 2 were drawn

  std::string Cancelled = UniqueJobTitle("MivoCancelled");
  P.Load(Good);
  P.SetTitle(Cancelled);
  struct TCanceller : TMessageTarget {
    TLXPrinter* Printer = nullptr;
    void WndProc(TMessage&) override { Printer->Cancel(); }
  } Canceller;
  Canceller.Printer = &P;
  PostMessage(Canceller.Handle(), WM_USER + 100, 0, 0);  // handled while page 1 prints
  EXPECT_FALSE(P.Print());

  std::string Whole = UniqueJobTitle("MivoWhole");
  P.SetTitle(Whole);
  ASSERT_TRUE(P.Print());
  EXPECT_TRUE(CupsJobExists(Whole));
  EXPECT_FALSE(CupsJobExists(Failed));
  EXPECT_FALSE(CupsJobExists(Cancelled));
  std::string Pdf = WaitForCupsPdf(Whole);
  if (!Pdf.empty()) TempFiles.Adopt(Pdf);
  EXPECT_EQ(ReadPdfInfo(Pdf).Pages, 3);

  TCupsTestQueue Refusing("MivoRefusing" + std::to_string(getpid()));
  if (!Refusing.Ok() || !Refusing.Reject()) GTEST_SKIP() << "no rights to add a CUPS queue for the refused job";
  RefreshPrinters();
  int R = QueueIndex(Refusing.Name());
  ASSERT_GE(R, 0);
  P.SetPrinterIndex(R);
  std::string Refused = UniqueJobTitle("MivoRefused");
  P.SetTitle(Refused);
  try {
    P.Print();
    ADD_FAILURE() << "a refused job was reported as printed";
  } catch (const EPrinter& E) {
    EXPECT_NE(std::string(E.what()).find(Refusing.Name()), std::string::npos) << E.what();
    EXPECT_GT(std::string(E.what()).size(), std::string(SPrintJobRefused).size() + Refusing.Name().size()) << "with CUPS's reason";
  }
  EXPECT_FALSE(CupsJobExists(Refused));
  EXPECT_FALSE(P.Printer()->Printing());
}

TEST_F(LXPrinterTest, AScratchPageStartsEmptyAgainWithoutANewPage) {
  // An export run draws all its pages on one scratch page: restarting it keeps it one page long.
  auto Utf16 = [](const std::string& S) {
    std::string R;
    for (char C : S) R += C, R += '\0';
    return R;
  };
  TLXPrinter P;
  P.BeginDoc();
  P.NewPage();
  P.Canvas()->TextOut(10, 10, "primeira");
  P.RestartScratchPage();
  P.Canvas()->TextOut(10, 10, "segunda");
  P.EndDoc();
  ASSERT_EQ(P.PageCount(), 1);
  const auto Page = P.GetPage(1);
  const std::string Bytes(Page->Data().begin(), Page->Data().end());
  EXPECT_EQ(Bytes.find(Utf16("primeira")), std::string::npos);
  EXPECT_NE(Bytes.find(Utf16("segunda")), std::string::npos);
}
