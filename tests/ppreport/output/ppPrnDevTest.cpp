// The printer device on virtual printers of 600 x 300 dots per inch (each axis its own pixels:
// border and line widths, double-line gaps, image rectangles), its copies and collation, status
// texts and cancel; and through the CUPS PDF queue, read back with poppler.
#include <gtest/gtest.h>

#include <unistd.h>

#include "platform/graphics/CallLogDC.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppRotatedText.h"
#include "ppreport/output/ppDeviceDraw.h"
#include "ppreport/output/ppPrnDev.h"
#include "tests/TestTemp.h"
#include "tests/platform/printing/CupsPdfQueue.h"
#include "tests/platform/printing/PdfProbe.h"
#include "tests/ppreport/core/ppPrintTestSupport.h"
#include "tests/ppreport/output/ppBarCodePages.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

constexpr char PrnQueue[] = "Virtual 600x300";

class ppPrnDevTest : public ppPrintTest {
protected:
  void SetUp() override {
    ppPrintTest::SetUp();
    TVirtualPrinterConfig C;
    C.PixelsPerInchX = 600;
    C.PixelsPerInchY = 300;
    Printer = Install(PrnQueue, C, true);
    Refresh();
    Setup.SetPrinterName(PrnQueue);
    Setup.SetDocumentName("Vendas");
  }
  // Prints Count pages drawn by Fill; the commands' draw rectangles are kept per page.
  void Print(int Count, TPageSource::TFill Fill) {
    TPageSource Source(Count, &Setup, std::move(Fill));
    TppPrinterDevice Device(nullptr);
    Device.Printer()->SetPrinterName(PrnQueue);
    Device.OnEndPage = [this](TppDevice*, TppPage* Page) {
      std::vector<TRect> R;
      for (int I = 0; I < Page->GetDrawCommandCount(); ++I) R.push_back(Page->GetDrawCommand(I)->GetDrawRect());
      Rects.push_back(R);
    };
    Device.SetPublisher(&Source.Publisher());
    Device.RequestPages();
    Device.SetPublisher(nullptr);
  }
  const QImage& Image(int Page = 0) { return Printer->Jobs().back().Pages.at(Page); }

  std::shared_ptr<TVirtualPrinter> Printer;
  TppPrinterSetup Setup;
  std::vector<std::vector<TRect>> Rects;
};

TppDrawText* BorderedBox(TppPage& Page, int32_t Left, int32_t Top, float Weight) {
  auto* T = new TppDrawText(nullptr);
  T->SetLeft(Left);
  T->SetTop(Top);
  T->SetWidth(25400);
  T->SetHeight(25400);
  T->SetTransparent(true);
  TppBorder B;
  B.SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop) | ppSetBit(bpRight) | ppSetBit(bpBottom));
  B.SetWeight(Weight);
  T->SetBorder(&B);
  T->SetPage(&Page);
  return T;
}

// Round(w x dpi / 72) + 1 one-pixel lines a side, each axis at its own resolution; a weight that
// rounds to 0 gives two.
TEST_F(ppPrnDevTest, BorderWidthsFollowEachAxis) {
  const float Weights[] = {0.0f, 1.0f, 2.5f};
  Print(1, [&](int, TppPage& Page) {
    for (int I = 0; I < 3; ++I) BorderedBox(Page, 12700 + I * 50800, 12700, Weights[I]);
  });
  ASSERT_EQ(1u, Rects.size());
  for (int I = 0; I < 3; ++I) {
    SCOPED_TRACE(Weights[I]);
    const TRect R = Rects[0][I];
    const int Nx = std::max(1, static_cast<int>(Round(Weights[I] * 600 / 72.0L)));
    const int Ny = std::max(1, static_cast<int>(Round(Weights[I] * 300 / 72.0L)));
    const int MidX = (R.Left + R.Right) / 2, MidY = (R.Top + R.Bottom) / 2;
    EXPECT_EQ(Nx + 1, DarkRunX(Image(), R.Left - 2, MidY)) << "left";
    EXPECT_EQ(Ny + 1, DarkRunY(Image(), MidX, R.Top - 2)) << "top";
    EXPECT_FALSE(Dark(Image(), R.Left + Nx + 1, MidY));
  }
  EXPECT_EQ(600, Rects[0][0].Width());  // an inch on each axis
  EXPECT_EQ(300, Rects[0][0].Height());
}

// Line weights across the line on its own axis; a double line's gap is twice the weight, or two
// screen pixels on the printer when the pen has no width.
TEST_F(ppPrnDevTest, LinesAndDoubleLineGaps) {
  struct TCase {
    TppLinePositionType Pos;
    TppLineStyleType Style;
    int PenWidth;
    int W, Gap;  // expected pixels
  };
  const TCase Cases[] = {
      {lpLeft, lsSingle, 1, 8, 0},  {lpTop, lsSingle, 1, 4, 0},  {lpLeft, lsDouble, 1, 8, 16},
      {lpTop, lsDouble, 1, 4, 8},   {lpLeft, lsDouble, 0, 8, 12}, {lpTop, lsDouble, 0, 4, 6},
      {lpRight, lsDouble, 1, 8, 16}, {lpBottom, lsSingle, 1, 4, 0},
  };
  const int N = static_cast<int>(std::size(Cases));
  Print(1, [&](int, TppPage& Page) {
    for (int I = 0; I < N; ++I) {
      auto* L = new TppDrawLine(nullptr);
      L->SetLeft(12700 + (I % 4) * 50800);
      L->SetTop(12700 + (I / 4) * 50800);
      L->SetWidth(25400);
      L->SetHeight(25400);
      L->SetLinePosition(Cases[I].Pos);
      L->SetLineStyle(Cases[I].Style);
      L->SetWeight(1);
      TPen P;
      P.SetWidth(Cases[I].PenWidth);
      L->SetPen(&P);
      L->SetPage(&Page);
    }
  });
  for (int I = 0; I < N; ++I) {
    SCOPED_TRACE(I);
    const TCase& C = Cases[I];
    const TRect R = Rects[0][I];
    const int MidX = (R.Left + R.Right) / 2, MidY = (R.Top + R.Bottom) / 2;
    // The first run from the line's own edge, then the gap and the second run.
    switch (C.Pos) {
      case lpLeft:
        EXPECT_EQ(C.W, DarkRunX(Image(), R.Left, MidY));
        EXPECT_TRUE(Dark(Image(), R.Left, MidY));
        if (C.Gap) {
          EXPECT_FALSE(Dark(Image(), R.Left + C.W, MidY));
          EXPECT_EQ(C.W, DarkRunX(Image(), R.Left + C.W, MidY));
          EXPECT_TRUE(Dark(Image(), R.Left + C.Gap, MidY));
        }
        break;
      case lpTop:
        EXPECT_EQ(C.W, DarkRunY(Image(), MidX, R.Top));
        EXPECT_TRUE(Dark(Image(), MidX, R.Top));
        if (C.Gap) {
          EXPECT_EQ(C.W, DarkRunY(Image(), MidX, R.Top + C.W));
          EXPECT_TRUE(Dark(Image(), MidX, R.Top + C.Gap));
        }
        break;
      case lpRight:
        EXPECT_TRUE(Dark(Image(), R.Right, MidY));
        EXPECT_FALSE(Dark(Image(), R.Right - C.W, MidY));
        EXPECT_TRUE(Dark(Image(), R.Right - C.Gap, MidY));
        EXPECT_EQ(C.W, DarkRunX(Image(), R.Right - C.Gap - C.W + 1, MidY));
        break;
      case lpBottom:
        EXPECT_TRUE(Dark(Image(), MidX, R.Bottom));
        EXPECT_EQ(C.W, DarkRunY(Image(), MidX, R.Bottom - C.W + 1));
        break;
    }
  }
}

// A red picture of 100 x 50 screen pixels: 625 x 156 printer pixels at 600 x 300 (each edge on its
// own axis), fitted and centred, or clipped to its rectangle when not stretched.
TEST_F(ppPrnDevTest, ImageFitCentreAndClip) {
  TBitmap Red(100, 50);
  Red.Canvas().Brush().SetColor(clRed);
  Red.Canvas().FillRect(Rect(0, 0, 100, 50));
  TPicture Picture;
  Picture.SetGraphic(&Red);
  struct TCase {
    bool Stretch, Aspect, Center;
  };
  const TCase Cases[] = {{true, true, true}, {true, true, false}, {true, false, false}, {false, false, true},
                         {false, false, false}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Stretch) + std::to_string(C.Aspect) + std::to_string(C.Center));
    Rects.clear();
    Print(1, [&](int, TppPage& Page) {
      auto* I = new TppDrawImage(nullptr);
      I->SetLeft(25400);
      I->SetTop(25400);
      I->SetWidth(C.Stretch ? 25400 : 12700);  // an inch square, or half an inch (smaller than the picture)
      I->SetHeight(C.Stretch ? 25400 : 12700);
      I->SetPicture(Picture);
      I->SetStretch(C.Stretch);
      I->SetMaintainAspectRatio(C.Aspect);
      I->SetCenter(C.Center);
      I->SetPage(&Page);
    });
    const TRect R = Rects[0][0];
    const TRect Expected = C.Stretch ? ppDeviceDraw::PlaceImage(R, 625, 156, true, C.Aspect, C.Center) : R;
    EXPECT_EQ(Expected, BoxOf(Image(), IsRed));
    if (C.Stretch && C.Aspect) {
      // The smaller scale: the width fills the inch, the height keeps the ratio.
      EXPECT_NEAR(R.Width(), Expected.Width(), 1);
      EXPECT_EQ(static_cast<int>(Trunc(156 * (R.Width() / 625.0f))), Expected.Height());
      if (C.Center) EXPECT_EQ(R.Top + (R.Height() - Expected.Height()) / 2, Expected.Top);
    }
  }
}

// An auto-sized turned text takes the size of its turned bounds, the width across at 600 dots per
// inch and the height down at 300.
TEST_F(ppPrnDevTest, AutoSizedTurnedTextOnEachAxis) {
  TFont Font;
  Font.SetName("DejaVu Sans");
  Font.SetSize(24);
  Print(1, [&](int, TppPage& Page) {
    auto* T = new TppDrawText(nullptr);
    T->SetText("Totais do mês");
    T->SetFont(&Font);
    T->SetAngle(90);
    T->SetAutoSize(true);
    T->SetLeft(25400);
    T->SetTop(25400);
    T->SetWidth(1000);
    T->SetHeight(1000);
    T->SetPage(&Page);
  });
  TBitmap Measure(1, 1);
  TppRotatedBounds B;
  TppRotatedText::CalcBoundsRect(Measure.Canvas(), "Totais do mês", B, nullptr, taLeftJustify, true, 90, 1000, 1000,
                                 25400, 25400, Font);
  ASSERT_GT(B.Height, 3 * B.Width);  // turned upright: taller than wide
  const TRect R = Rects[0][0];
  EXPECT_NEAR(B.Width * 600 / 25400.0, R.Width(), 3);
  EXPECT_NEAR(B.Height * 300 / 25400.0, R.Height(), 3);
  // The text is on the page inside its rectangle.
  EXPECT_TRUE(BoxOf(Image(), [](QRgb P) { return qGray(P) < 128; }).Left >= R.Left - 2);
}

// Full justification on the shared text path: every line of a paragraph spreads to the rectangle
// but its last, which stays as it is unless forced and made of more than one word.
TEST(ppDeviceDrawTest, JustifiedLastLine) {
  struct TCase {
    bool Force;
    const char* Last;
    bool LastJustified;
  };
  const TCase Cases[] = {{false, "dd ee", false}, {true, "dd ee", true}, {true, "dd", false}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Last) + (C.Force ? " forced" : ""));
    TCallLogDC Dc(96, TSize{800, 600});
    TCanvas Canvas(&Dc);
    TppDrawText T(nullptr);
    T.SetIsMemo(true);
    T.SetWordWrap(true);
    T.SetTextAlignment(taFullJustified);
    T.SetForceJustifyLastLine(C.Force);
    T.SetText("aa bb cc dd ee");
    TStringList Lines;
    Lines.Add("aa bb cc");
    Lines.Add(std::string(C.Last) + std::string(TppTextMarkups::ParagraphEnd()));
    T.SetWrappedText(&Lines);
    T.SetTransparent(true);
    T.SetDrawRect(Rect(10, 10, 410, 200));
    ppDeviceDraw::TppTextLines Layout;
    Layout.LineHeight = 20;
    ppDeviceDraw::DrawTextLines(Canvas, T, Layout);
    // The justification set before each line's output, in order.
    std::vector<std::string> Before;
    std::string Current = "SetTextJustification(0,0)";
    for (const std::string& L : Dc.Log) {
      if (L.rfind("SetTextJustification", 0) == 0) Current = L;
      if (L.rfind("ExtTextOut", 0) == 0) Before.push_back(Current);
    }
    ASSERT_EQ(2u, Before.size());
    EXPECT_NE("SetTextJustification(0,0)", Before[0]);
    EXPECT_EQ(C.LastJustified, Before[1] != "SetTextJustification(0,0)") << Before[1];
    for (const std::string& L : Dc.Calls("ExtTextOut")) EXPECT_EQ(std::string::npos, L.find("$")) << L;
    EXPECT_EQ("SetTextJustification(0,0)", Dc.Calls("SetTextJustification").back());
  }
}

// Three copies of two pages: each page three times in a row without collation, the whole request
// three times with it; the driver is asked for one copy of every sheet either way.
TEST_F(ppPrnDevTest, CopiesAndCollationAreMadeByTheDevice) {
  for (bool Collated : {false, true}) {
    SCOPED_TRACE(Collated ? "collated" : "uncollated");
    Setup.SetCopies(3);
    Setup.SetCollation(Collated);
    std::vector<int> Order;
    TPageSource Source(2, &Setup, [](int No, TppPage& Page) {
      auto* S = new TppDrawShape(nullptr);  // a black square whose place tells the page
      S->SetLeft(No * 25400);
      S->SetTop(25400);
      S->SetWidth(12700);
      S->SetHeight(12700);
      TBrush B;
      B.SetColor(clBlack);
      S->SetBrush(&B);
      S->SetPage(&Page);
    });
    TppPrinterDevice Device(nullptr);
    Device.Printer()->SetPrinterName(PrnQueue);
    Device.OnEndPage = [&](TppDevice*, TppPage* Page) { Order.push_back(Page->AbsolutePageNo()); };
    Device.SetPublisher(&Source.Publisher());
    Device.RequestPages();
    EXPECT_FALSE(Device.Busy());
    EXPECT_EQ(1, Device.CollatedCopies());
    const std::vector<int> Expected = Collated ? std::vector<int>{1, 2, 1, 2, 1, 2} : std::vector<int>{1, 1, 1, 2, 2, 2};
    EXPECT_EQ(Expected, Order);
    const TVirtualPrinter::TJob& Job = Printer->Jobs().back();
    EXPECT_TRUE(Job.Ended);
    ASSERT_EQ(6, Job.PageCount);
    std::vector<int> Printed;
    for (int I = 0; I < 6; ++I) {
      EXPECT_EQ(1, Job.PageModes[I].Copies) << I;
      Printed.push_back(Dark(Job.Pages[I], 900, 450) ? 1 : Dark(Job.Pages[I], 1500, 450) ? 2 : 0);
    }
    EXPECT_EQ(Order, Printed);
  }
}

// The status line: accessing the data, then page n (of m once the report is complete) on the
// printer; a cancel in the middle throws the job away and prints nothing more.
TEST_F(ppPrnDevTest, StatusTextsAndCancel) {
  TStatusDialog Dialog;
  TPageSource Source(4, &Setup, nullptr);
  TppPrinterDevice Device(nullptr);
  Device.Printer()->SetPrinterName(PrnQueue);
  Device.SetCancelDialog(&Dialog);
  Device.SetPublisher(&Source.Publisher());
  Source.AfterPage = [&](int No) {
    if (No == 2) Source.Publisher().CancelJob();
  };
  Device.RequestPages();
  EXPECT_TRUE(Device.Cancelled());
  EXPECT_FALSE(Device.Busy());
  ASSERT_GE(Dialog.History.size(), 3u);
  EXPECT_EQ("Acessando os dados...", Dialog.History[0]);
  EXPECT_EQ("Imprimindo a página 1 do Relatório Vendas em Virtual 600x300", Dialog.History[1]);
  EXPECT_EQ("Imprimindo a página 2 do Relatório Vendas em Virtual 600x300", Dialog.History.back());
  const TVirtualPrinter::TJob& Job = Printer->Jobs().back();
  EXPECT_TRUE(Job.Aborted);
  EXPECT_FALSE(Job.Ended);
  EXPECT_EQ(2, Job.PageCount);  // the pages made after the cancel are not printed
  Device.SetPublisher(nullptr);
}

// Barcodes draw themselves through the device's canvas, resolution and rectangles: both symbols
// are read back from the printed page.
TEST_F(ppPrnDevTest, BarCodesArePrintedReadably) {
  ASSERT_TRUE(bctest::HaveProgram("zbarimg")) << "zbarimg (zbar-tools) is installed by scripts/deps.sh";
  Print(1, [](int, TppPage& Page) {
    BarCodeOn(Page, bcCode128, "Mivo Open Report 2024", 12700, 12700);
    BarCodeOn(Page, bcEAN_13, "400638133393", 12700, 76200);
  });
  ASSERT_EQ(1u, Rects.size());
  TTestTempFiles Temp;
  EXPECT_EQ((std::multiset<std::string>{"4006381333931", "Mivo Open Report 2024"}), ZbarReadImage(Image(), Temp));
  // Their rectangles in printer pixels, each axis at its own resolution: 2.5 inches apart.
  EXPECT_EQ(Rects[0][0].Left, Rects[0][1].Left);
  EXPECT_EQ(750, Rects[0][1].Top - Rects[0][0].Top);
}

// A two-pass report: the first pass's pages are not final and print nothing, and the status line
// keeps its text while the report is not complete.
TEST_F(ppPrnDevTest, PagesThatAreNotFinalAreNotPrinted) {
  TStatusDialog Dialog;
  TPageSource Source(2, &Setup, nullptr);
  Source.Passes = 2;
  TppPrinterDevice Device(nullptr);
  Device.Printer()->SetPrinterName(PrnQueue);
  Device.SetCancelDialog(&Dialog);
  std::vector<int> Printed;
  Device.OnEndPage = [&](TppDevice*, TppPage* Page) { Printed.push_back(Page->AbsolutePageNo()); };
  Device.SetPublisher(&Source.Publisher());
  Device.RequestPages();
  Device.SetPublisher(nullptr);
  EXPECT_EQ(4, Source.Generated);
  EXPECT_EQ((std::vector<int>{1, 2}), Printed);
  EXPECT_EQ(2, Printer->Jobs().back().PageCount);
  ASSERT_EQ(3u, Dialog.History.size());  // accessing the data, then the two final pages only
  EXPECT_EQ("Acessando os dados...", Dialog.History[0]);
  EXPECT_NE(std::string::npos, Dialog.History[1].find("1")) << Dialog.History[1];
}

// Through the CUPS PDF queue: copies in order, a landscape page in the middle of the job (pdfinfo
// tells the pages by their sheets: page 1 A4, page 2 Letter), and a cancelled job that leaves no
// PDF and no CUPS job.
class ppPrnDevCupsTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(true);
    GetPrinterList()->RefreshPrinters();
    bool Listed = false;
    for (const std::string& N : GetPrinterList()->Names()) Listed |= N == CupsPdfQueueName;
    if (!Listed) GTEST_SKIP() << "CUPS queue " << CupsPdfQueueName << " not reachable";
  }
  // Prints Count pages, each with its text "Folha <n>", under the job title Token.
  std::string Print(const std::string& Token, int Count, int Copies, bool Collated,
                    std::function<void(int, TppPrinterSetup&)> Adjust = nullptr, int CancelAfter = 0) {
    TppPrinterSetup S;
    S.SetPrinterName(CupsPdfQueueName);
    S.SetDocumentName(Token);
    S.SetCopies(Copies);
    S.SetCollation(Collated);
    TPageSource Source(Count, &S, [](int No, TppPage& Page) {
      auto* T = new TppDrawText(nullptr);
      T->SetText("Folha" + std::to_string(No));
      T->SetLeft(25400);
      T->SetTop(25400);
      T->SetWidth(100000);
      T->SetHeight(10000);
      T->SetPage(&Page);
    });
    Source.AdjustSetup = std::move(Adjust);
    if (CancelAfter) Source.AfterPage = [&](int No) {
      if (No == CancelAfter) Source.Publisher().CancelJob();
    };
    TppPrinterDevice Device(nullptr);
    Device.Printer()->SetPrinterName(CupsPdfQueueName);
    Device.Printer()->SetDocumentName(Token);
    Device.SetPublisher(&Source.Publisher());
    Device.RequestPages();
    Device.SetPublisher(nullptr);
    if (CancelAfter) return std::string();
    std::string Pdf = WaitForCupsPdf(Token);
    if (!Pdf.empty()) TempFiles.Adopt(Pdf);
    return Pdf;
  }
  TTestTempFiles TempFiles;
};

TEST_F(ppPrnDevCupsTest, CopiesInOrder) {
  for (bool Collated : {false, true}) {
    SCOPED_TRACE(Collated ? "collated" : "uncollated");
    const std::string Pdf = Print(UniqueJobTitle("MivoCopies"), 2, 3, Collated, [](int No, TppPrinterSetup& S) {
      std::string Name;
      ASSERT_TRUE(S.PaperNameForCode(No == 1 ? 9 : 1, Name));
      S.SetPaperName(Name);
    });
    ASSERT_FALSE(Pdf.empty());
    const TPdfInfo Info = ReadPdfInfo(Pdf);
    ASSERT_EQ(6u, Info.PageSizes.size());
    std::string Order;
    for (const auto& Size : Info.PageSizes) Order += std::abs(Size.first - 595.3) < 2 ? "1," : "2,";
    EXPECT_EQ(Collated ? "1,2,1,2,1,2," : "1,1,1,2,2,2,", Order);
  }
}

TEST_F(ppPrnDevCupsTest, LandscapePageInTheMiddle) {
  const std::string Pdf = Print(UniqueJobTitle("MivoTurn"), 3, 1, false, [](int No, TppPrinterSetup& S) {
    S.SetOrientation(No == 2 ? poLandscape : poPortrait);
  });
  ASSERT_FALSE(Pdf.empty());
  const TPdfInfo Info = ReadPdfInfo(Pdf);
  ASSERT_EQ(3u, Info.PageSizes.size());
  EXPECT_LT(Info.PageSizes[0].first, Info.PageSizes[0].second);
  EXPECT_GT(Info.PageSizes[1].first, Info.PageSizes[1].second);
  EXPECT_LT(Info.PageSizes[2].first, Info.PageSizes[2].second);
}

TEST_F(ppPrnDevCupsTest, CancelLeavesNoPages) {
  const std::string Token = UniqueJobTitle("MivoCancel");
  Print(Token, 4, 1, false, nullptr, 2);
  sleep(1);
  EXPECT_FALSE(CupsJobExists(Token));
  EXPECT_TRUE(WaitForCupsPdf(Token, 2).empty());
}

}  // namespace
