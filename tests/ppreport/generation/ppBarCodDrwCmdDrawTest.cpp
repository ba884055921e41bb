// The barcode draw command on devices: symbols drawn through the platform canvas and read back by
// zbarimg in every orientation, the geometry of bars, boxes and texts, transparency and borders.
#include <gtest/gtest.h>

#include <set>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"
#include "tests/ppreport/generation/BarCodeDevices.h"

namespace {

template <class T>
using TOwnedBC = std::unique_ptr<T, TComponentDeleter>;

TOwnedBC<TppDrawBarCode> MakeBarCode(TppBarCodeType Type, const std::string& Data, const std::string& AddOn = {}) {
  TOwnedBC<TppDrawBarCode> C(new TppDrawBarCode(nullptr));
  C->SetBarCodeType(Type);
  C->SetData(Data);
  C->SetAddOnCode(AddOn);
  C->SetBarWidth(330);  // 13 thousandths of an inch: four pixels at 300 dpi
  C->SetWideBarRatio(3);
  C->SetAutoEncode(true);
  C->SetColor(clWhite);
  C->SetBarColor(clBlack);
  C->SetAlignment(taCenter);
  C->Font()->SetName("DejaVu Sans");
  C->SetLeft(10000);  // 10 mm in: the page's white gives Code 128 and Code 39 their quiet zones
  C->SetTop(10000);
  return C;
}

// The symbol painted at 300 dpi on a bitmap of exactly its extent.
TBitmap PaintAlone(TppDrawBarCode& C, TppBarCodeOrientation O) {
  C.SetOrientation(O);
  TBitmap Measure(1, 1);
  auto MeasureDc = CreateBitmapDC(Measure, 300, 300);
  TCanvas MeasureCanvas(MeasureDc.get());
  const bool Vertical = O == orTopToBottom || O == orBottomToTop;
  C.MeasureOnCanvas(MeasureCanvas);
  TBitmap B(Vertical ? C.TotalHeight() : C.TotalWidth(), Vertical ? C.TotalWidth() : C.TotalHeight());
  auto Dc = CreateBitmapDC(B, 300, 300);
  TCanvas Canvas(Dc.get());
  C.Paint(&Canvas, 0, true, {300, 300}, 0);
  return B;
}

bool Dark(const TBitmap& B, int X, int Y) { return ((B.Dib().Pixels[Y * B.Width() + X] >> 8) & 0xFF) < 128; }

}  // namespace

class ppBarCodDrwCmdDrawTest : public ::testing::Test {
protected:
  TTestTempFiles Temp;
};

TEST_F(ppBarCodDrwCmdDrawTest, ZbarReadsEverySymbologyInEveryOrientation) {
  ASSERT_TRUE(bctest::HaveProgram("zbarimg")) << "zbarimg (zbar-tools) is installed by scripts/deps.sh";
  struct TCase {
    TppBarCodeType Type;
    std::string Data, AddOn;
    std::multiset<std::string> Read;
  };
  // zbar gives UPC-A and UPC-E as the 13 digits of their EAN-13 form.
  const TCase Cases[] = {
      {bcUPC_A, "01234567890", "12", {"0012345678905", "12"}},
      {bcUPC_E, "123456", "", {"0012345000065"}},
      {bcEAN_13, "400638133393", "52495", {"4006381333931", "52495"}},
      {bcEAN_8, "9638507", "", {"96385074"}},
      {bcInt2of5, "12345", "", {"123457"}},
      {bcCode128, "Mivo Open Report 2024", "", {"Mivo Open Report 2024"}},
      {bcCode39, "MIVO-39", "", {"MIVO-39"}},
      {bcCodabar, "A40156B", "", {"A40156B"}},
  };
  const TppBarCodeOrientation Orientations[] = {orLeftToRight, orRightToLeft, orTopToBottom, orBottomToTop};
  for (const TCase& C : Cases) {
    for (TppBarCodeOrientation O : Orientations) {
      auto Device = TOwnedBC<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkPrinter, 1500, 1500, 300));
      auto Cmd = MakeBarCode(C.Type, C.Data, C.AddOn);
      Cmd->SetOrientation(O);
      Cmd->Draw(Device.get());
      ASSERT_TRUE(Cmd->CodeOK()) << C.Data;
      const std::string Png = Temp.Path("printer.png");
      Device->WritePng(Png);
      EXPECT_EQ(bctest::ZbarRead(Png), C.Read) << C.Data << " orientation " << O;
    }
  }
  // The screen: drawn at the screen's resolution and stretched by the zoom over the rectangle.
  for (TppBarCodeOrientation O : {orLeftToRight, orTopToBottom}) {
    for (const TCase& C : {Cases[2], Cases[5]}) {
      auto Device = TOwnedBC<bctest::TBitmapDevice>(
          new bctest::TBitmapDevice(rkScreen, 2000, 1500, 300, 300.0 / ScreenPixelsPerInch()));
      auto Cmd = MakeBarCode(C.Type, C.Data, C.AddOn);
      Cmd->SetOrientation(O);
      bctest::SizeForScreen(*Cmd);
      Cmd->Draw(Device.get());
      const std::string Png = Temp.Path("screen.png");
      Device->WritePng(Png);
      EXPECT_EQ(bctest::ZbarRead(Png), C.Read) << C.Data << " on the screen, orientation " << O;
    }
  }
}

TEST_F(ppBarCodDrwCmdDrawTest, EachOrientationIsTheFirstTurned) {
  for (bool Text : {false, true}) {
    auto C = MakeBarCode(bcEAN_13, "400638133393", "12");
    C->SetPrintHumanReadable(Text);
    C->SetBearerBars(true);
    const TBitmap L = PaintAlone(*C, orLeftToRight);
    const int W = L.Width(), H = L.Height();
    const TBitmap R = PaintAlone(*C, orRightToLeft), T = PaintAlone(*C, orTopToBottom), B = PaintAlone(*C, orBottomToTop);
    ASSERT_EQ(R.Width(), W);
    ASSERT_EQ(T.Width(), H);
    ASSERT_EQ(T.Height(), W);
    ASSERT_EQ(B.Width(), H);
    int Differ[3] = {0, 0, 0};
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const bool D = Dark(L, x, y);
        Differ[0] += D != Dark(R, W - 1 - x, H - 1 - y);
        Differ[1] += D != Dark(T, H - 1 - y, x);
        Differ[2] += D != Dark(B, y, W - 1 - x);
      }
    // Bars and boxes match to the pixel; turned glyphs may land a pixel apart at their edges.
    const int Allowed = Text ? W * H / 200 : 0;
    EXPECT_LE(Differ[0], Allowed) << "right to left, text " << Text;
    EXPECT_LE(Differ[1], Allowed) << "top to bottom, text " << Text;
    EXPECT_LE(Differ[2], Allowed) << "bottom to top, text " << Text;
  }
}

TEST_F(ppBarCodDrwCmdDrawTest, TextLineAndBarHeights) {
  // Auto-sized: the text line is added below the bars. Sized by the command: the bars give it up.
  auto C = MakeBarCode(bcCode128, "12345678");
  C->SetPrintHumanReadable(false);
  TBitmap Plain = PaintAlone(*C, orLeftToRight);
  C->SetPrintHumanReadable(true);
  TBitmap WithText = PaintAlone(*C, orLeftToRight);
  TBitmap Measure(1, 1);
  auto Dc = CreateBitmapDC(Measure, 300, 300);
  TCanvas Canvas(Dc.get());
  Canvas.SetFont(*C->Font());
  int TextH = Canvas.TextHeight("0");
  EXPECT_EQ(WithText.Height(), Plain.Height() + TextH);
  EXPECT_TRUE(Dark(WithText, 0, Plain.Height() - 1));  // the first bar reaches the text line
  EXPECT_FALSE(Dark(WithText, 0, Plain.Height()));

  C->SetAutoSize(false);
  C->SetHeight(25400);  // an inch: 300 pixels
  TBitmap Fixed = PaintAlone(*C, orLeftToRight);
  EXPECT_EQ(Fixed.Height(), 300);
  Canvas.SetFont(*C->Font());  // fitted again, to the taller symbol
  TextH = Canvas.TextHeight("0");
  EXPECT_TRUE(Dark(Fixed, 0, 300 - TextH - 1));
  EXPECT_FALSE(Dark(Fixed, 0, 300 - TextH));
}

TEST_F(ppBarCodDrwCmdDrawTest, GuardBarsReachIntoTheDigitLineAndBoxesCutTheOthers) {
  for (TppBarCodeType Type : {bcUPC_A, bcUPC_E, bcEAN_13, bcEAN_8}) {
    const char* Data = Type == bcUPC_A ? "01234567890" : Type == bcUPC_E ? "123456" : Type == bcEAN_13 ? "400638133393" : "9638507";
    auto C = MakeBarCode(Type, Data);
    C->SetAutoSizeFont(false);
    C->Font()->SetSize(6);
    const TBitmap B = PaintAlone(*C, orLeftToRight);
    const int q = C->QuietZone(), m = 4, H = B.Height();
    TBitmap Measure(1, 1);
    auto Dc = CreateBitmapDC(Measure, 300, 300);
    TCanvas Canvas(Dc.get());
    Canvas.SetFont(*C->Font());
    const int r = H - Canvas.TextHeight("0");
    const int Long = r - m + (H - r) / 2;
    EXPECT_TRUE(Dark(B, q, Long - 1)) << Type;  // the first guard bar
    EXPECT_FALSE(Dark(B, q, Long)) << Type;
    // The first bar inside the first digit field stops where the box begins.
    const TppDigitField F = ppDigitFields(Type)[0];
    const std::string& P = C->MainPattern();
    size_t Bar = P.find('1', static_cast<size_t>(F.FirstModule * m));
    ASSERT_LT(Bar, static_cast<size_t>(F.EndModule * m));
    EXPECT_TRUE(Dark(B, q + static_cast<int>(Bar), r - 1)) << Type;
    EXPECT_FALSE(Dark(B, q + static_cast<int>(Bar), r)) << Type;
  }
}

TEST_F(ppBarCodDrwCmdDrawTest, PostnetHalfBarsAreFortyPercentAtTheBottom) {
  auto C = MakeBarCode(bcPostnet, "12345");
  C->SetPrintHumanReadable(false);
  C->SetBarWidth(508);  // 6 pixels
  const TBitmap B = PaintAlone(*C, orLeftToRight);
  const int r = B.Height(), Half = r - static_cast<int>(Round(r * 0.4L));
  const std::string& P = C->MainPattern();
  const int Full = static_cast<int>(P.find('2')), Short = static_cast<int>(P.find('1'));
  EXPECT_TRUE(Dark(B, Full, 0));
  EXPECT_TRUE(Dark(B, Full, r - 1));
  EXPECT_FALSE(Dark(B, Short, Half - 1));
  EXPECT_TRUE(Dark(B, Short, Half));
  EXPECT_TRUE(Dark(B, Short, r - 1));
}

TEST_F(ppBarCodDrwCmdDrawTest, TransparentOnScreenKeepsThePageAndBordersMoveTheSymbol) {
  for (bool Transparent : {true, false}) {
    auto Device = TOwnedBC<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkScreen, 600, 300, 96));
    TCanvas& Page = *Device->DeviceCanvas();
    Page.Brush().SetColor(clRed);
    Page.FillRect(Rect(0, 0, 600, 300));
    auto C = MakeBarCode(bcCode128, "ABC");
    C->SetTransparent(Transparent);
    C->SetBarWidth(508);  // two screen pixels
    C->SetLeft(0);
    C->SetTop(0);
    bctest::SizeForScreen(*C);
    C->Draw(Device.get());
    const TRect R = C->GetDrawRect();
    // Code 128 starts with a bar two modules wide, then a space of one.
    EXPECT_EQ(Device->At(R.Left + 1, R.Top + 2), 0u);
    EXPECT_EQ(Device->At(R.Left + 4, R.Top + 2), Transparent ? 0xFF0000u : 0xFFFFFFu);
  }
  // A visible border with its left and top edges moves the symbol inside it, on the printer too.
  auto Device = TOwnedBC<bctest::TBitmapDevice>(new bctest::TBitmapDevice(rkPrinter, 1500, 600, 300));
  auto C = MakeBarCode(bcCode128, "ABC");
  C->SetLeft(0);
  C->SetTop(0);
  C->SetWidth(80000);
  C->SetHeight(20000);
  C->Border()->SetVisible(true);
  C->Border()->SetWeight(2);  // 8 pixels at 300 dpi
  C->Border()->SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop));
  C->Draw(Device.get());
  ASSERT_EQ(Device->Borders.size(), 1u);
  EXPECT_EQ(Device->Borders[0], C->GetDrawRect());
  EXPECT_NE(Device->At(7, 8), 0u);
  EXPECT_EQ(Device->At(8, 8), 0u);
  EXPECT_NE(Device->At(8, 7), 0u);
}

TEST_F(ppBarCodDrwCmdDrawTest, CalcSizeMeasuresAtThePrintersResolutionOrTheScreens) {
  // A virtual printer at 600 dpi, the machine's printers hidden.
  SetSystemPrintersEnabled(false);
  UninstallAllPrinters();
  TVirtualPrinterConfig Config;
  Config.PixelsPerInchX = Config.PixelsPerInchY = 600;
  InstallPrinter(std::make_shared<TVirtualPrinter>("Barcodes600", Config), true);
  GetPrinterList()->RefreshPrinters();
  TFinally Restore([] {
    UninstallAllPrinters();
    SetSystemPrintersEnabled(true);
    GetPrinterList()->RefreshPrinters();
  });
  // Code 128 "ABC": start, three characters, check (11 modules each) and stop (13): 68 modules of
  // a hundredth of an inch, 0.68 inch whatever the resolution, as a whole number of pixels.
  auto C = MakeBarCode(bcCode128, "ABC");
  C->SetBarWidth(254);
  C->SetAutoEncode(false);
  C->SetData(ppCode128Char(c128StartA) + "ABC");
  TppPrinter Printer;
  Printer.SetPrinterName("Barcodes600");
  C->CalcSize(&Printer);
  EXPECT_EQ(C->TotalWidth(), 68 * 6);
  EXPECT_EQ(C->Width(), ConvertToMicrons(utPrinterPixels, ppHorizontal, &Printer, 68 * 6.0f));
  EXPECT_EQ(C->Height(), ConvertToMicrons(utPrinterPixels, ppVertical, &Printer, static_cast<float>(C->TotalHeight())));
  C->SetOrientation(orBottomToTop);
  C->CalcSize(&Printer);
  EXPECT_EQ(C->Height(), ConvertToMicrons(utPrinterPixels, ppVertical, &Printer, 68 * 6.0f));
  // The screen "printer" has no device context: a bitmap at the screen's resolution measures.
  C->SetOrientation(orLeftToRight);
  Printer.SetPrinterName("Screen");
  C->CalcSize(&Printer);
  const int Columns = static_cast<int>(Round(0.01L * ScreenPixelsPerInch()));
  EXPECT_EQ(C->TotalWidth(), 68 * Columns);
  EXPECT_EQ(C->Width(), ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, 68.0f * Columns));
}
