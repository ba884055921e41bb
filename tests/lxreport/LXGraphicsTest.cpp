// Rules, shapes and pictures from blob fields, printed at the screen's resolution (call log of
// the stored page) and at 600 dpi (pixels of the printed page).
#include "lxreport/LXGraphics.h"

#include <gtest/gtest.h>

#include <QImage>

#include "lxreport/LXExport.h"
#include "lxreport/LXLabel.h"
#include "lxreport/LXPDFFilter.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Jpeg.h"
#include "tests/lxreport/LXPDFTestSupport.h"
#include "tests/lxreport/LXPrintTestSupport.h"
#include "tests/platform/graphics/FontTestUtil.h"

using namespace lxtest;

namespace {
std::string BmpBytes(int W, int H, TColor Color = clRed) {
  TBitmap B(W, H);
  B.Canvas().Brush().SetColor(Color);
  B.Canvas().FillRect(Rect(0, 0, W, H));
  TMemoryStream S;
  B.SaveToStream(S);
  return std::string(reinterpret_cast<const char*>(S.Memory()), S.Bytes().size());
}

std::string JpegBytes(int W, int H) {
  TBitmap B(W, H);
  TJPEGImage J;
  J.CompressFrom(B);
  return std::string(J.Data().begin(), J.Data().end());
}

class LXGraphicsTest : public LXPrintTest {
protected:
  TMemoryDataSet* Data = new TMemoryDataSet(&Form);
  TLXBand* Band = Report->NewBand(rbTitle);

  LXGraphicsTest() {
    Report->SetUnits(TLXUnit::Native);
    Data->SetName("Pictures");
    Data->FieldDefs().Add("Pic", ftGraphic);
    Data->FieldDefs().Add("Name", ftString, 10);
  }
  // A picture printable on the band, 254 x 254 tenths (an inch square) at (100, 100).
  template <class T>
  T* NewImage(const std::string& Blob) {
    Data->AppendRecord({TDbValue::Blob(Blob), "x"});
    Data->Open();
    auto* I = new T(&Form);
    I->SetParent(Band);
    I->SetDataSet(Data);
    I->SetDataField("Pic");
    I->SetColor(clBlue);
    I->Size()->SetLeft(100);
    I->Size()->SetTop(100);
    I->Size()->SetWidth(254);
    I->Size()->SetHeight(254);
    return I;
  }
  // The printed page's pixels.
  QImage PrintedPage() {
    EndRun();
    return PrinterJobPage();
  }
  QImage PrinterJobPage() {
    if (!Virtual || Virtual->Jobs().empty() || Virtual->Jobs().back().Pages.empty()) return {};
    return Virtual->Jobs().back().Pages.back();
  }
  // A 600 dpi printer on paper 6 cm square: small pages print fast.
  void PrintAt600() {
    if (!Virtual) {
      TVirtualPrinterConfig Config;
      Config.PixelsPerInchX = Config.PixelsPerInchY = 600;
      Virtual = Install("Virtual", Config, true);
    }
    OwnPrinter = std::make_unique<TLXPrinter>();
    OwnPrinter->SetDestination(lxdPrinter);
    OwnPrinter->SetPaperSize(TLXPaperSize::Custom);
    OwnPrinter->SetPaperWidth(600);
    OwnPrinter->SetPaperLength(600);
  }
  // Bounds of the pixels of one colour.
  static TRect Extent(const QImage& Page, QRgb Colour) {
    TRect R{Page.width(), Page.height(), -1, -1};
    for (int Y = 0; Y < Page.height(); ++Y) {
      const QRgb* Line = reinterpret_cast<const QRgb*>(Page.constScanLine(Y));
      for (int X = 0; X < Page.width(); ++X)
        if ((Line[X] & 0xFFFFFF) == (Colour & 0xFFFFFF)) {
          R.Left = std::min(R.Left, X);
          R.Top = std::min(R.Top, Y);
          R.Right = std::max(R.Right, X + 1);
          R.Bottom = std::max(R.Bottom, Y + 1);
        }
    }
    return R;
  }
  std::shared_ptr<TVirtualPrinter> Virtual;
};
}  // namespace

TEST_F(LXGraphicsTest, BlobPicturesByTheirFirstBytes) {
  TPicture P;
  LXLoadBlobPicture(P, BmpBytes(4, 3));
  EXPECT_STREQ(P.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(P.Width(), 4);
  LXLoadBlobPicture(P, JpegBytes(8, 6));
  EXPECT_STREQ(P.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(P.Height(), 6);
  LXLoadBlobPicture(P, "");
  EXPECT_TRUE(P.Empty());
  std::string Jpeg = JpegBytes(8, 6);
  // A header that claims 10,000 x 10,000 pixels is not decoded.
  std::string Huge = Jpeg;
  size_t Sof = Huge.find("\xFF\xC0");
  ASSERT_NE(Sof, std::string::npos);
  Huge.replace(Sof + 5, 4, "\x27\x10\x27\x10");
  for (const std::string& Bad : {std::string("GIF89a\x01\x00"), std::string("\xFF\xD8\xFF\xE0 not a jpeg"),
                                 std::string("BM\x10"), Jpeg.substr(0, Jpeg.size() / 2), Huge})
    EXPECT_THROW(LXLoadBlobPicture(P, Bad), EInvalidGraphic) << Bad.size();
}

namespace {
// The drawing calls of one printable's print, without the player's own start.
std::vector<std::string> Drawn(const std::vector<std::string>& Log) {
  std::vector<std::string> Out;
  for (const std::string& C : Log)
    for (const char* Kind : {"Rectangle", "Ellipse", "MoveTo", "LineTo", "RoundRect"})
      if (C.rfind(Kind, 0) == 0 && C != "MoveTo(0,0)") Out.push_back(C);
  return Out;
}
}  // namespace

TEST_F(LXGraphicsTest, ShapesAndRulesOnTheStoredPage) {
  // The box: XPos(300)..XPos(500) x YPos(1100)..YPos(1140) is (113,416)-(189,431) at 96 ppi; the
  // middles are 151 and 423. The control is 76 pixels wide: a round factor 0.5 gives 38.
  struct Case {
    const char* Class;
    TLXShapeType Type;
    std::vector<std::string> Calls;
  } const Cases[] = {
      {"TLXShape", lxsRectangle, {"Rectangle(113,416,189,431)"}},
      {"TLXShape", lxsCircle, {"Ellipse(113,416,189,431)"}},
      {"TLXShape", lxsVertLine, {"MoveTo(151,416)", "LineTo(151,431)"}},
      {"TLXShape", lxsHorLine, {"MoveTo(113,423)", "LineTo(189,423)"}},
      {"TLXShape", lxsTopAndBottom, {"MoveTo(113,416)", "LineTo(189,416)", "MoveTo(113,431)", "LineTo(189,431)"}},
      {"TLXShape", lxsRightAndLeft, {"MoveTo(113,416)", "LineTo(113,431)", "MoveTo(189,416)", "LineTo(189,431)"}},
      {"TLXShape", lxsRoundRect, {"RoundRect(113,416,189,431,38,38)"}},
      {"TLXPDFShape", lxsTopAndBottom, {"MoveTo(113,416)", "LineTo(189,416)", "MoveTo(113,431)", "LineTo(189,431)"}},
      {"TLXPDFShape", lxsRoundRect, {}},
      {"TLXHRule", lxsRectangle, {"MoveTo(113,423)", "LineTo(189,423)"}},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(std::string(K.Class) + " " + std::to_string(K.Type));
    TLXPrintable* P;
    if (K.Class == std::string("TLXShape")) {
      auto* S = new TLXShape(&Form);
      S->SetShape(K.Type);
      S->SetRoundFactor(0.5f);
      P = S;
    } else if (K.Class == std::string("TLXPDFShape")) {
      auto* S = new TLXPDFShape(&Form);
      S->SetShapeType(K.Type);
      P = S;
    } else {
      P = new TLXHRule(&Form);
    }
    P->SetParent(Band);
    P->Size()->SetLeft(100);
    P->Size()->SetTop(100);
    P->Size()->SetWidth(200);
    P->Size()->SetHeight(40);
    P->Frame()->SetDrawTop(true);  // shapes and rules draw only themselves
    StartRun();
    P->PrintAt(200, 1000);
    EXPECT_EQ(Drawn(EndRunLog()), K.Calls);
    P->Free();
  }
}

TEST_F(LXGraphicsTest, RoundCornersScaleToTheDevice) {
  // At 600 dpi a corner designed 32 pixels wide is 200 device pixels: the paper shows what the
  // screen showed.
  PrintAt600();
  auto* S = new TLXShape(&Form);
  S->SetParent(Band);
  S->SetShape(lxsRoundRect);
  S->SetRoundFactor(0.5f);
  S->SetBounds(0, 0, 65, 65);
  S->Brush()->SetColor(clBlack);
  S->Pen()->SetColor(clBlack);
  StartRun();
  S->PrintAt(254, 254);
  QImage Page = PrintedPage();
  ASSERT_FALSE(Page.isNull());
  int L = Printer().XPos(254 + S->Size()->Native(TLXPrintableSize::LeftIndex));
  int T = Printer().YPos(254 + S->Size()->Native(TLXPrintableSize::TopIndex));
  auto Black = [&](int X, int Y) { return (Page.pixel(X, Y) & 0xFFFFFF) == 0; };
  EXPECT_TRUE(Black(L + 100, T + 100));
  EXPECT_FALSE(Black(L + 20, T + 20));  // outside a corner of radius 100
  EXPECT_TRUE(Black(L + 100, T + 1));
}

TEST_F(LXGraphicsTest, PictureBoxesAt96And600Dpi) {
  // The printable is an inch square at (100, 100) + the band origin (0, 0): XPos(100) is 38 at
  // 96 ppi and 236 at 600 dpi, its side 96 and 600 device pixels.
  struct Case {
    const char* What;
    int PW, PH;
    bool Empty, Stretch, Clip;
    TFitMode Fit;
    // Drawn box relative to the printable's corner, at 96 and at 600 dpi.
    TRect At96, At600;
  } const Cases[] = {
      {"inside, 2:1 into a square", 40, 20, false, false, false, fmInsideProp, {0, 24, 96, 72}, {0, 150, 600, 450}},
      {"natural size, centred", 20, 10, false, false, true, fmProportional, {38, 43, 58, 53}, {238, 269, 363, 332}},
      {"stretched", 20, 10, false, true, false, fmProportional, {0, 0, 96, 96}, {0, 0, 600, 600}},
      {"empty, stretched: the box in the colour", 0, 0, true, true, false, fmInsideProp, {0, 0, 96, 96}, {0, 0, 600, 600}},
      {"keep width", 40, 20, false, false, false, fmKeepWidth, {0, 0, 96, 48}, {0, 0, 600, 300}},
  };
  for (int Ppi : {96, 600}) {
    for (const Case& K : Cases) {
      SCOPED_TRACE(std::string(K.What) + " at " + std::to_string(Ppi));
      if (Ppi == 600) PrintAt600();
      Data->Close();
      Data->EmptyDataSet();
      TLXGrDBImage* I = NewImage<TLXGrDBImage>(K.Empty ? std::string() : BmpBytes(K.PW, K.PH, clRed));
      I->SetStretch(K.Stretch);
      I->SetClipImage(K.Clip);
      I->SetFitMode(K.Fit);
      StartRun();
      I->PrintAt(0, 0);
      int L = Printer().XPos(100), T = Printer().YPos(100);
      TRect Want = Ppi == 96 ? K.At96 : K.At600;
      Want = Rect(Want.Left + L, Want.Top + T, Want.Right + L, Want.Bottom + T);
      if (Ppi == 96) {
        auto Log = EndRunLog();
        // A picture, or the box filled with the brush (a pattern copy, 0xF00021).
        std::string Expect = "StretchDIBits(" + std::to_string(Want.Left) + "," + std::to_string(Want.Top) + "," +
                             std::to_string(Want.Right) + "," + std::to_string(Want.Bottom) + ",";
        bool Found = false;
        for (const std::string& C : Log) Found |= C.rfind(Expect, 0) == 0;
        EXPECT_TRUE(Found) << Expect << "\n" << ::testing::PrintToString(Log);
      } else {
        QImage Page = PrintedPage();
        ASSERT_FALSE(Page.isNull());
        TRect Got = Extent(Page, K.Empty ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
        EXPECT_NEAR(Got.Left, Want.Left, 1);
        EXPECT_NEAR(Got.Top, Want.Top, 1);
        EXPECT_NEAR(Got.Right, Want.Right, 1);
        EXPECT_NEAR(Got.Bottom, Want.Bottom, 1);
      }
      I->Free();
    }
  }
}

TEST_F(LXGraphicsTest, ADataImageKeepsItsNaturalSizeCentred) {
  // 48 pixels at 96 ppi are half an inch: centred in the inch box at (38, 38)-(134, 134).
  TLXDBImage* I = NewImage<TLXDBImage>(BmpBytes(48, 48));
  StartRun();
  I->PrintAt(0, 0);
  auto Log = EndRunLog();
  EXPECT_TRUE(HasCall(Log, "IntersectClipRect(38,38,134,134)")) << ::testing::PrintToString(Log);
  EXPECT_EQ(CallsOf(Log, "StretchDIBits(62,62,110,110,").size(), 1u);
}

TEST_F(LXGraphicsTest, AnUnknownBlobPrintsOnlyTheFrame) {
  TLXDBImage* I = NewImage<TLXDBImage>("GIF89a not taken");
  I->SetStretch(true);
  I->Frame()->SetDrawTop(true);
  StartRun();
  EXPECT_NO_THROW(I->PrintAt(0, 0));
  auto Log = EndRunLog();
  // No picture: with Stretch the box is filled in the image's colour (a pattern copy), and the
  // frame still prints.
  EXPECT_TRUE(HasCall(Log, "StretchDIBits(38,38,134,134,0,0,96,96,0x0,0xF00021)"));
  for (const std::string& C : CallsOf(Log, "StretchDIBits")) EXPECT_EQ(C.find("0xCC0020"), std::string::npos) << C;
  EXPECT_GT(CallsOf(Log, "StretchDIBits").size(), 1u);
  // Removing the data set from the form clears it.
  Data->Free();
  EXPECT_EQ(I->DataSet(), nullptr);
  Data = nullptr;
}

TEST_F(LXGraphicsTest, DesignSurfaceShowsTheImagesNameAndTheShape) {
  auto* I = new TLXDBImage(&Form);
  I->SetName("Photo");
  I->SetParent(Band);
  auto* S = new TLXShape(&Form);
  S->SetParent(Band);
  S->SetShape(lxsTopAndBottom);
  S->SetBounds(0, 0, 10, 4);
  TCallLogDC Dc;
  I->PaintTo(Dc, 0, 0);
  bool Named = false;
  for (const std::string& C : Dc.Log) Named |= C.find("\"(Photo)\"") != std::string::npos;
  EXPECT_TRUE(Named);
  Dc.Log.clear();
  S->PaintTo(Dc, 0, 0);
  // Rows 0 and 3 of a shape 4 pixels high.
  auto Lines = CallsOf(Dc.Log, "LineTo");
  ASSERT_GE(Lines.size(), 2u);
  EXPECT_EQ(Lines[Lines.size() - 2], "LineTo(10,0)");
  EXPECT_EQ(Lines.back(), "LineTo(10,3)");
}

namespace {
// Writes down what the printables hand over.
class TRecordingFilter : public TLXExportFilter {
public:
  TRecordingFilter(std::string Name) : TLXExportFilter("out"), FName(std::move(Name)) {}
  std::string GetFilterName() const override { return FName; }
  void AcceptGraphic(long double X, long double Y, TLXPrintable* Control) override {
    Calls.push_back(Control->ClassName() + " " + std::to_string(int(X)) + "," + std::to_string(int(Y)));
  }
  void TextOut(long double X, long double Y, const TFont*, TColor, TAlignment Alignment,
               const std::string& Text) override {
    Calls.push_back("Text " + std::to_string(int(X)) + "," + std::to_string(int(Y)) + " " +
                    std::to_string(Alignment) + " " + Text);
  }
  std::vector<std::string> Calls;

private:
  std::string FName;
};
}  // namespace

TEST_F(LXGraphicsTest, ExportFiltersGetGraphicsAndLines) {
  // Shapes and data images go to any filter; rules, PDF shapes and graphic images only to the
  // PDF document filter. Device position XPos(100), YPos(100) is (38, 38).
  auto Place = [&](TLXPrintable* P) {
    P->SetParent(Band);
    P->Size()->SetLeft(100);
    P->Size()->SetTop(100);
    P->Size()->SetWidth(254);
    P->Size()->SetHeight(254);
    return P;
  };
  std::vector<TLXPrintable*> All = {Place(new TLXShape(&Form)), Place(new TLXHRule(&Form)),
                                    Place(new TLXPDFShape(&Form)), NewImage<TLXDBImage>(BmpBytes(4, 4)),
                                    NewImage<TLXGrDBImage>(BmpBytes(4, 4))};
  auto* L = new TLXLabel(&Form);
  L->SetParent(Band);
  L->SetAutoSize(false);
  L->SetAlignment(taRightJustify);
  L->SetCaption("a\r\rb");
  L->Size()->SetLeft(100);
  L->Size()->SetTop(100);
  L->Size()->SetWidth(500);
  L->Size()->SetHeight(500);
  for (const char* Name : {"CSV", LXPDFDocumentFilterName}) {
    TRecordingFilter F(Name);
    Report->SetExportFilter(&F);
    Report->SetRendering(false);
    StartRun();
    for (TLXPrintable* P : All) P->PrintAt(0, 0);
    L->PrintAt(0, 0);
    auto Log = EndRunLog();
    Report->SetExportFilter(nullptr);
    Report->SetRendering(true);
    long double LH = LineHeightOf(*L->Font());
    // A right-aligned line goes at its box's right edge, where it is drawn.
    std::vector<std::string> Lines = {"Text 600,100 1 a", "Text 600," + std::to_string(int(100 + LH)) + " 1 ",
                                      "Text 600," + std::to_string(int(100 + 2 * LH)) + " 1 b"};
    std::vector<std::string> Want = {"TLXShape 38,38", "TLXDBImage 38,38"};
    if (std::string(Name) == LXPDFDocumentFilterName)
      Want = {"TLXShape 38,38", "TLXHRule 38,38", "TLXPDFShape 38,38", "TLXDBImage 38,38", "TLXGrDBImage 38,38"};
    Want.insert(Want.end(), Lines.begin(), Lines.end());
    EXPECT_EQ(F.Calls, Want) << Name;
    // Not rendering: no text and no shapes on the page; the pictures still draw.
    EXPECT_TRUE(TextCalls(Log).empty());
    EXPECT_TRUE(CallsOf(Log, "Rectangle").empty());
    EXPECT_EQ(CallsOf(Log, "StretchDIBits(84,84,88,88,").size(), 1u);   // natural size, centred
    EXPECT_EQ(CallsOf(Log, "StretchDIBits(38,38,134,134,").size(), 1u);  // fitted to the box
  }
}

TEST_F(LXGraphicsTest, PrintablesExportedToThePdfWriterComeOutInThePdf) {
  REQUIRE_METRIC_FONTS();
  auto* Rule = new TLXHRule(&Form);
  auto* Round = new TLXPDFShape(&Form);
  Round->SetShapeType(lxsRoundRect);
  for (TLXPrintable* P : std::initializer_list<TLXPrintable*>{Rule, Round}) {
    P->SetParent(Band);
    P->Size()->SetLeft(100);
    P->Size()->SetTop(500);
    P->Size()->SetWidth(1000);
    P->Size()->SetHeight(100);
  }
  auto* Image = NewImage<TLXGrDBImage>(BmpBytes(4, 4, clBlue));
  auto* L = new TLXLabel(&Form);
  L->SetParent(Band);
  L->SetCaption("Relatório");
  L->Size()->SetLeft(100);
  L->Size()->SetTop(800);
  std::string Pdf = TempFiles.Path("printables.pdf");
  {
    TLXPDFDocumentFilter Filter(Pdf);
    Filter.SetSourcePrinter(&Printer());
    Report->SetExportFilter(&Filter);
    Report->SetRendering(false);
    StartRun();
    TFont Font;
    Filter.Start(2100, 2970, &Font);
    Filter.NewPage();
    for (TLXPrintable* P : std::initializer_list<TLXPrintable*>{Rule, Round, Image, L}) P->PrintAt(0, 0);
    Filter.EndPage();
    Filter.Finish();
    EndRun();
    Report->SetExportFilter(nullptr);
    Report->SetRendering(true);
  }
  EXPECT_EQ(ReadPdfInfo(Pdf).Pages, 1);
  EXPECT_EQ(PdfText(Pdf, 1), "Relatório");
  // The picture travels at its own 4 x 4 pixels.
  EXPECT_NE(RunCommand("pdfimages -list '" + Pdf + "'").find("4     4"), std::string::npos);
  QImage Page = RenderPdfPage(Pdf, 1, 254, TempFiles);  // a pixel a tenth of a millimetre
  ASSERT_FALSE(Page.isNull());
  EXPECT_GT(qBlue(Page.pixel(220, 220)), 200);  // inside the picture
  EXPECT_LT(qRed(Page.pixel(220, 220)), 60);
  EXPECT_GT(InkIn(Page, QRect(100, 495, 1000, 110)), 1000);  // the rule and the round rectangle
}
