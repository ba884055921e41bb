// The PDF export filter: the item records it hands to a recording stand-in of
// the writer component, and the real component's PDF read back with poppler.
#include "lxreport/LXPDFFilter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lxreport/LXPrntr.h"
#include "platform/app/DialogService.h"
#include "platform/app/Dialogs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/sys/DynamicLibrary.h"
#include "tests/lxreport/LXPDFRecorder.h"
#include "tests/lxreport/LXPDFTestSupport.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/graphics/FontTestUtil.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;
using namespace LXPDFItem;

namespace {
constexpr long double PointsPerMM = 2.8346456692913385826L;

class LXPDFFilterTest : public VirtualPrinterTest {
protected:
  void SetUp() override {
    VirtualPrinterTest::SetUp();
    // Held here too, so that the log outlives the filter's last call.
    Recorder = LoadLibrary(LXPDFRecorderName);
    ASSERT_NE(Recorder, nullptr) << LibraryError();
    Log = reinterpret_cast<TLXPDFRecordedCalls>(GetProcAddress(Recorder, "RecordedCalls"))();
    Printer = std::make_unique<TLXPrinter>();
    Printer->BeginDoc();  // stored pages: the screen's resolution
  }
  void TearDown() override {
    Printer.reset();
    FreeLibrary(Recorder);
    VirtualPrinterTest::TearDown();
  }
  std::unique_ptr<TLXPDFDocumentFilter> NewFilter(const std::string& Library = LXPDFRecorderName) {
    auto F = std::make_unique<TLXPDFDocumentFilter>(TempFiles.Path("out.pdf"), Library);
    F->SetSourcePrinter(Printer.get());
    return F;
  }
  std::vector<const TLXPDFRecordedCall*> Calls(const std::string& Entry) const {
    std::vector<const TLXPDFRecordedCall*> R;
    for (const auto& C : *Log)
      if (C.Entry == Entry) R.push_back(&C);
    return R;
  }
  static long double F(const TLXPDFRecordedCall* C, size_t At) { return GetFloat(C->Record.data(), At); }

  std::unique_ptr<TLXPrinter> Printer;
  TLibraryHandle Recorder = nullptr;
  std::vector<TLXPDFRecordedCall>* Log = nullptr;
};

TBitmap Picture(int W, int H, uint32_t Color) {
  TBitmap B(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) B.ScanLine(Y)[X] = Color;
  return B;
}
}  // namespace

TEST_F(LXPDFFilterTest, CallsOfAThreePageExportInOrderWithTwoPageBreaks) {
  auto Filter = NewFilter();
  const std::string Pdf = Filter->FileName();
  EXPECT_EQ(Filter->GetFilterName(), "PDF document");
  EXPECT_EQ(Filter->GetExtension(), "PDF");
  EXPECT_FALSE(Filter->GetStreaming());
  EXPECT_TRUE(Filter->FirstPage());
  EXPECT_EQ(Filter->PageCount(), 1);
  TFont Font;
  Filter->Start(2100, 2970, &Font);
  for (int Page = 0; Page < 3; ++Page) {
    Filter->EndPage();
    Filter->NewPage();
  }
  Filter->Finish();
  EXPECT_EQ(Filter->PageCount(), 3);
  EXPECT_FALSE(Filter->Active());
  Filter.reset();

  std::vector<std::string> Entries;
  for (const auto& C : *Log) Entries.push_back(C.Entry);
  EXPECT_EQ(Entries, (std::vector<std::string>{"InitLib", "SetPageParams", "AddPDFItem", "AddPDFItem", "FinishDoc",
                                               "CloseDownLib"}));
  for (const auto* C : Calls("AddPDFItem")) EXPECT_EQ(C->Record[Kind], KindPageBreak);
  const auto* Params = Calls("SetPageParams")[0];
  EXPECT_NEAR(double(Params->Floats[0]), 595.2756, 1e-3);
  EXPECT_NEAR(double(Params->Floats[1]), 841.8898, 1e-3);
  EXPECT_EQ(Params->Floats[3], 0);
  EXPECT_EQ(Params->Floats[4], 0);
  // A writer without an output of ours writes a file beside the one asked for, which takes its name after.
  const std::string Written = Calls("FinishDoc")[0]->FileName;
  EXPECT_EQ(std::filesystem::path(Written).parent_path(), std::filesystem::path(Pdf).parent_path());
  EXPECT_NE(std::filesystem::path(Written).filename().string().find("out.pdf"), std::string::npos) << Written;
  EXPECT_FALSE(std::filesystem::exists(Written));
  EXPECT_TRUE(std::filesystem::exists(Pdf));
}

TEST_F(LXPDFFilterTest, TextItemsInPointsWithTheirFontAndAlignedByTheirWidth) {
  auto Filter = NewFilter();
  TFont Font;
  Filter->Start(2100, 2970, &Font);
  long double XPoints = Filter->XPoints();
  EXPECT_NEAR(double(XPoints), 72.0 / 96, 1e-12);  // stored pages are at the screen's 96 to the inch
  Font.SetName("Arial");
  Font.SetSize(12);
  Font.SetStyle(fsBold | fsItalic);
  Font.SetColor(TColor(0x336699));
  // The width in points at the font's own size: "Conceição" in 12 pt bold italic Arial (Liberation
  // Sans) is about 60 points.
  const long double Width = LXPDFTextWidth(Font, "Conceição");
  EXPECT_NEAR(double(Width), 60, 3);
  long double At500 = 500 / Printer->XFactor();  // tenths of a millimetre at pixel 500
  ASSERT_EQ(Printer->XPos(At500), 500);
  struct Case {
    TAlignment Alignment;
    long double Points;
  } Cases[] = {{taLeftJustify, 500 * XPoints}, {taRightJustify, 500 * XPoints - Width},
               {taCenter, 500 * XPoints - Width / 2}};
  for (const Case& K : Cases) Filter->TextOut(At500, 1000, &Font, clWhite, K.Alignment, "Conceição");
  auto Items = Calls("AddPDFItem");
  ASSERT_EQ(Items.size(), 3u);
  for (size_t I = 0; I < 3; ++I) {
    const auto* C = Items[I];
    EXPECT_EQ(C->Record[Kind], KindText);
    EXPECT_NEAR(double(F(C, X)), double(Cases[I].Points), 1e-9) << I;
    EXPECT_NEAR(double(F(C, Y)), double(12 + Printer->YPos(1000) * Filter->YPoints()), 1e-9);
    EXPECT_EQ(C->Text, "Conceição");
    EXPECT_EQ(C->FontName, "Arial");
    EXPECT_EQ(GetInt(C->Record.data(), FontSize), 12);
    EXPECT_EQ(C->Record[Bold], 1);
    EXPECT_EQ(C->Record[Italic], 1);
    EXPECT_EQ(std::vector<uint8_t>(C->Record.begin() + Color, C->Record.begin() + Color + 3),
              (std::vector<uint8_t>{0x99, 0x66, 0x33}));
    EXPECT_EQ(F(C, ScaleX), 1);
    EXPECT_EQ(F(C, ScaleY), 1);
  }
}

TEST_F(LXPDFFilterTest, ShapesAndRulesConvertHeightsWithTheVerticalResolution) {
  TVirtualPrinterConfig Config;
  Config.PixelsPerInchX = 600;
  Config.PixelsPerInchY = 300;
  Install("Wide", Config, true);
  TLXPrinter Device;
  Device.SetDestination(lxdPrinter);
  Device.BeginDoc();
  auto Filter = NewFilter();
  Filter->SetSourcePrinter(&Device);
  TFont Font;
  Filter->Start(2100, 2970, &Font);
  EXPECT_NEAR(double(Filter->XPoints()), 72.0 / 600, 1e-12);
  EXPECT_NEAR(double(Filter->YPoints()), 72.0 / 300, 1e-12);
  Filter->TextOut(100, 100, &Font, clWhite, taLeftJustify, "antes");  // a shape clears the text slots
  TPen Pen;
  Pen.SetWidth(3);
  Pen.SetColor(clRed);
  TBrush Brush;
  Brush.SetColor(clBlue);
  Filter->SendShape(600, 300, ShapeRoundRect, Pen, Brush, 1200, 300);
  Brush.SetStyle(bsClear);
  Filter->SendShape(600, 300, ShapeEllipse, Pen, Brush, 1200, 300);
  Filter->SendRule(0, 30, Pen, 600, 6);
  Device.AbortDoc();

  auto Items = Calls("AddPDFItem");
  ASSERT_EQ(Items.size(), 4u);
  struct Want {
    uint8_t Shape, Filled;
    double X, Y, W, H;
  } Wants[] = {{ShapeRoundRect, 1, 72, 72, 144, 72}, {ShapeEllipse, 0, 72, 72, 144, 72}, {ShapeHorLine, 0, 0, 7.2, 72, 1.44}};
  for (size_t I = 0; I < 3; ++I) {
    const auto* C = Items[I + 1];
    EXPECT_EQ(C->Record[Kind], KindShape);
    EXPECT_EQ(C->Record[ShapeKind], Wants[I].Shape);
    EXPECT_EQ(C->Record[Filled], Wants[I].Filled);
    EXPECT_NEAR(double(F(C, X)), Wants[I].X, 1e-9);
    EXPECT_NEAR(double(F(C, Y)), Wants[I].Y, 1e-9);
    EXPECT_NEAR(double(F(C, LXPDFItem::Width)), Wants[I].W, 1e-9);
    EXPECT_NEAR(double(F(C, LXPDFItem::Height)), Wants[I].H, 1e-9) << I;
    EXPECT_EQ(F(C, PenWidth), 3);
    EXPECT_EQ(C->Record[PenColor], 0xFF);
    EXPECT_EQ(C->FontName, "");
    EXPECT_EQ(C->Text, "");
  }
  EXPECT_EQ(Items[1]->Record[Color + 2], 0xFF);  // the brush's blue
}

TEST_F(LXPDFFilterTest, PicturesGoToNumberedFilesInAPrivateFolderRemovedWithTheDocument) {
  auto Filter = NewFilter();
  TFont Font;
  Filter->Start(2100, 2970, &Font);
  std::vector<TBitmap> Pictures = {Picture(2, 1, 0x00FF8000), Picture(400, 2, 0x123456), Picture(3, 2, 0xABCDEF)};
  for (const TBitmap& B : Pictures) {
    Filter->WritePictureFile(B);
    Filter->SendPicture(96, 96, B, B.Width() * 2, B.Height() * 3, true);
  }
  std::string Folder = Filter->PictureFolder();
  ASSERT_FALSE(Folder.empty());
  EXPECT_NE(Folder, std::filesystem::current_path().string());
  EXPECT_EQ(Filter->ImageCount(), 3);
  // A picture printable without a picture file of its own sends an empty name.
  Filter->SendPicture(0, 0, Pictures[0], 2, 1, false);
  Filter->Finish();
  EXPECT_FALSE(std::filesystem::exists(Folder));

  auto Items = Calls("AddImageItem");
  ASSERT_EQ(Items.size(), 4u);
  const char* Names[] = {"TF000000.tmp", "TF000001.tmp", "TF000002.tmp"};
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Items[I]->PictureFile, Folder + "/" + Names[I]);
    EXPECT_TRUE(Items[I]->PictureExisted) << I;
    EXPECT_EQ(Items[I]->Record[Kind], KindImage);
    EXPECT_EQ(Items[I]->Integer, 0);
  }
  EXPECT_EQ(Items[0]->PictureText, "FF8000FF8000\r\n");
  // A line ends as soon as it holds more than 2047 characters.
  EXPECT_EQ(Items[1]->PictureText.find("\r\n"), 2048u);
  EXPECT_EQ(Items[1]->PictureText.size(), 800u * 6 + 3 * 2);
  const auto* Third = Items[2];
  EXPECT_EQ(GetInt(Third->Record.data(), PictureWidth), 3);
  EXPECT_EQ(GetInt(Third->Record.data(), PictureHeight), 2);
  EXPECT_NEAR(double(F(Third, X)), 72, 1e-9);
  EXPECT_NEAR(double(F(Third, Y)), (96 + 6) * 0.75, 1e-9);  // the bottom edge
  EXPECT_NEAR(double(F(Third, LXPDFItem::Width)), 3 * 0.75, 1e-9);
  EXPECT_NEAR(double(F(Third, LXPDFItem::Height)), 2 * 0.75, 1e-9);
  EXPECT_EQ(F(Third, ScaleX), 2);
  EXPECT_EQ(F(Third, ScaleY), 3);
  EXPECT_EQ(Items[3]->PictureFile, "");
}

TEST_F(LXPDFFilterTest, AFailedExportRemovesThePictureFolderToo) {
  std::string Folder;
  {
    auto Filter = NewFilter();
    TFont Font;
    Filter->Start(2100, 2970, &Font);
    Filter->WritePictureFile(Picture(1, 1, 0));
    Folder = Filter->PictureFolder();
    ASSERT_TRUE(std::filesystem::exists(Folder + "/TF000000.tmp"));
  }
  EXPECT_FALSE(std::filesystem::exists(Folder));
}

TEST_F(LXPDFFilterTest, PicturesFitInsideTheirBoxCentredOnTheAxisThatShrinks) {
  struct Case {
    int PW, PH, W, H;
    TLXPictureFit Want;
  } Cases[] = {
      {200, 100, 100, 100, {100, 50, 0, 25}},  // wide: shorter, moved down
      {100, 200, 100, 100, {50, 100, 25, 0}},  // tall: narrower, moved right
      {50, 50, 100, 80, {80, 80, 10, 0}},      // small pictures grow
      {3, 1, 10, 10, {10, 3, 0, 3}},
  };
  for (const Case& K : Cases) {
    TLXPictureFit Fit = FitPictureInside(K.PW, K.PH, K.W, K.H);
    EXPECT_EQ(std::vector<int>({Fit.W, Fit.H, Fit.DX, Fit.DY}), std::vector<int>({K.Want.W, K.Want.H, K.Want.DX, K.Want.DY}))
        << K.PW << "x" << K.PH;
  }
}

TEST_F(LXPDFFilterTest, AMissingLibraryIsSaidOnceAndAMissingEntryByName) {
  auto* Dialogs = new TScriptedDialogService;
  TDialogServiceScope Scope{std::unique_ptr<TDialogService>(Dialogs)};
  {
    auto Filter = NewFilter("NoSuchWriter.so");
    TFont Font;
    Filter->Start(2100, 2970, &Font);
    Filter->NewPage();
    Filter->NewPage();
    Filter->Finish();  // no document, and nothing else to say
  }
  ASSERT_EQ(Dialogs->Calls.size(), 1u);
  const auto& Box = Dialogs->Call<TMessageRequest>(0);
  EXPECT_EQ(Box.Text,
            "Não foi possível encontrar a biblioteca REZivIdu.dll necessária para \rexecutar este procedimento favor "
            "contacte o Mivo Sistemas ");
  EXPECT_EQ(Box.Type, mtError);
  EXPECT_EQ(Box.Buttons, MsgButton(mbOK));

  // A library without the entries: each call says which one it lacks.
  Dialogs->Calls.clear();
  TLXPDFLibrary Foreign("libz.so.1");
  Foreign.InitLib(nullptr);
  EXPECT_FALSE(Foreign.FinishDoc("x.pdf"));
  ASSERT_EQ(Dialogs->Calls.size(), 2u);
  EXPECT_EQ(Dialogs->Call<TMessageRequest>(0).Text, "impossivel localizar funcao InitLib");
  EXPECT_EQ(Dialogs->Call<TMessageRequest>(1).Text, "impossivel localizar funcao FinishDoc");
}

// The real writer component: items become a PDF poppler reads.
TEST_F(LXPDFFilterTest, TheWriterComponentMakesAPdfOfTheItems) {
  REQUIRE_METRIC_FONTS();
  auto Filter = NewFilter(SLXPDFLibraryName);
  std::string Pdf = Filter->FileName();
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(14);
  Filter->Start(2100, 2970, &Font);
  Filter->NewPage();
  Filter->TextOut(200, 200, &Font, clWhite, taLeftJustify, "Relatório de Vendas");
  TPen Pen;
  TBrush Brush;
  Brush.SetColor(clBlack);
  Filter->SendShape(Printer->XPos(200), Printer->YPos(400), ShapeRectangle, Pen, Brush, Printer->XSize(1000),
                    Printer->YSize(100));
  TBitmap Blue = Picture(20, 10, 0x0000FF);
  Filter->WritePictureFile(Blue);
  Filter->SendPicture(Printer->XPos(200), Printer->YPos(600), Blue, 40, 20, true);
  Filter->NewPage();
  Filter->TextOut(200, 200, &Font, clWhite, taLeftJustify, "Última página");
  Filter->Finish();

  TPdfInfo Info = ReadPdfInfo(Pdf);
  ASSERT_EQ(Info.Pages, 2);
  EXPECT_EQ(QpdfProblems(Pdf), "");
  EXPECT_NEAR(Info.PageSizes[0].first, 595.3, 1);
  EXPECT_NEAR(Info.PageSizes[0].second, 841.9, 1);
  EXPECT_EQ(PdfText(Pdf, 1), "Relatório de Vendas");
  EXPECT_EQ(PdfText(Pdf, 2), "Última página");
  std::vector<TPdfFont> Fonts = PdfFonts(Pdf);
  ASSERT_FALSE(Fonts.empty());
  for (const TPdfFont& F : Fonts) EXPECT_TRUE(F.Embedded) << F.Name;
  EXPECT_NE(RunCommand("pdfimages -list '" + Pdf + "'").find("20    10"), std::string::npos);

  QImage Page = RenderPdfPage(Pdf, 1, 254, TempFiles);  // a pixel a tenth of a millimetre
  ASSERT_FALSE(Page.isNull());
  EXPECT_LT(qGray(Page.pixel(700, 450)), 60);             // inside the black bar
  EXPECT_GT(qGray(Page.pixel(700, 380)), 200);            // above it
  QRgb Pic = Page.pixel(220, 630);                        // inside the picture
  EXPECT_LT(qRed(Pic), 60);
  EXPECT_GT(qBlue(Pic), 200);
  EXPECT_GT(InkIn(Page, QRect(200, 200, 600, 60)), 200);  // the text's line
}

// A tab in the data is a character of the line, as wide as the report measured it (a blank),
// not a jump to a tab stop of the writer's; a right-aligned line with one still ends at its X.
TEST_F(LXPDFFilterTest, ATabInTheDataIsDrawnAsACharacter) {
  REQUIRE_METRIC_FONTS();
  auto Filter = NewFilter(SLXPDFLibraryName);
  const std::string Pdf = Filter->FileName();
  TFont Font;
  Font.SetName("Arial");
  Font.SetSize(14);
  Filter->Start(2100, 2970, &Font);
  Filter->NewPage();
  Filter->TextOut(200, 200, &Font, clWhite, taLeftJustify, "Valor\tTotal");
  Filter->TextOut(1800, 400, &Font, clWhite, taRightJustify, "Soma\tFinal");
  Filter->Finish();
  const auto Words = PdfWords(Pdf);
  ASSERT_EQ(Words.size(), 4u);
  const double Blank = double(LXPDFTextWidth(Font, " "));
  const double Right = Printer->XPos(1800) * double(Filter->XPoints());
  EXPECT_NEAR(Words[1].XMin - Words[0].XMax, Blank, 0.5) << Words[1].Text;
  EXPECT_NEAR(Words[3].XMin - Words[2].XMax, Blank, 0.5) << Words[3].Text;
  EXPECT_NEAR(Words[3].XMax, Right, 0.5);
}

TEST_F(LXPDFFilterTest, ShapeAndRulePrintablesBecomeShapeItemsOfTheirKind) {
  auto Filter = NewFilter();
  TFont Font;
  Filter->Start(2100, 2970, &Font);
  TComponent Owner(nullptr);
  auto* Round = new TLXPDFShape(&Owner);
  Round->SetShapeType(lxsRoundRect);
  auto* Circle = new TLXShape(&Owner);
  Circle->SetShape(lxsCircle);
  Circle->Brush()->SetStyle(bsClear);
  auto* Rule = new TLXHRule(&Owner);
  for (TLXPrintable* P : std::initializer_list<TLXPrintable*>{Round, Circle, Rule}) Filter->AcceptGraphic(40, 80, P);
  auto Items = Calls("AddPDFItem");
  ASSERT_EQ(Items.size(), 3u);
  const uint8_t Kinds[] = {ShapeRoundRect, ShapeEllipse, ShapeHorLine}, Fills[] = {1, 0, 0};
  for (size_t I = 0; I < 3; ++I) {
    EXPECT_EQ(Items[I]->Record[Kind], KindShape);
    EXPECT_EQ(Items[I]->Record[ShapeKind], Kinds[I]);
    EXPECT_EQ(Items[I]->Record[Filled], Fills[I]);
    EXPECT_NEAR(double(F(Items[I], X)), 30, 1e-9);
    EXPECT_NEAR(double(F(Items[I], Y)), 60, 1e-9);
  }
  long double WantW = Printer->XSize(Round->Size()->Native(TLXPrintableSize::WidthIndex)) * Filter->XPoints();
  EXPECT_NEAR(double(F(Items[0], LXPDFItem::Width)), double(WantW), 1e-9);
  const std::pair<TLXShapeType, uint8_t> Table[] = {{lxsRectangle, 0}, {lxsCircle, 1}, {lxsHorLine, 2}, {lxsVertLine, 3},
                                                    {lxsRoundRect, 4}, {lxsTopAndBottom, 5}, {lxsRightAndLeft, 6}};
  for (const auto& [Type, Want] : Table) EXPECT_EQ(LXPDFShapeKind(Type), Want);
}

TEST_F(LXPDFFilterTest, GraphicPicturesFitByTheirMode) {
  struct Case {
    TFitMode Mode;
    int PW, PH, W, H;
    TLXPictureFit Want;
  } Cases[] = {
      {fmKeepWidth, 200, 100, 100, 100, {100, 50}},
      {fmKeepHeight, 200, 100, 100, 100, {200, 100}},
      {fmProportional, 200, 100, 100, 100, {200, 100}},  // wider: covers the height
      {fmProportional, 100, 200, 100, 100, {100, 200}},  // taller: covers the width
      {fmInsideProp, 200, 100, 100, 100, {100, 50, 0, 25}},
  };
  for (const Case& K : Cases) {
    TLXPictureFit Fit = FitPicture(K.Mode, K.PW, K.PH, K.W, K.H);
    EXPECT_EQ(std::vector<int>({Fit.W, Fit.H, Fit.DX, Fit.DY}), std::vector<int>({K.Want.W, K.Want.H, K.Want.DX, K.Want.DY}))
        << int(K.Mode) << " " << K.PW << "x" << K.PH;
  }
}
