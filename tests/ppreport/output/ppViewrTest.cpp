// The screen device: the page image at 100 % and 200 % (a few pixels), hit-testing of clickable
// commands, the redraw of a page count that arrives late, and navigation that has nothing to do.
#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "ppreport/output/ppViewr.h"
#include "tests/ppreport/output/ppBarCodePages.h"
#include "tests/ppreport/output/ppDeviceTestSupport.h"

using namespace ppdevtest;

namespace {

// A viewer as the screen device sees it: a view of a fixed size with a zoom.
class TFakeView : public TComponent, public IppScreenView {
public:
  TFakeView() : TComponent(nullptr) {}
  TppZoomSettingType ZoomSetting() const override { return Zoom; }
  int ZoomPercentage() const override { return Percent; }
  TSize ViewSize() const override { return Size; }
  TColor PageColor() const override { return clWhite; }
  bool ViewEnabled() const override { return true; }
  TppProducer* ViewReport() const override { return nullptr; }
  void ClearViewReport() override {}
  void DeviceStatusChanged() override { ++StatusChanges; }
  void DevicePageShown() override { ++PagesShown; }
  void DeviceRepaint() override {}
  void DeviceRectChanged(const TRect& R) override { Changed.push_back(R); }
  void DeviceReportGone() override {}
  TppZoomSettingType Zoom = zsPercentage;
  int Percent = 100;
  TSize Size{400, 300};
  int StatusChanges = 0, PagesShown = 0;
  std::vector<TRect> Changed;
};

TppDrawShape* Square(TppPage& Page, int32_t Left, int32_t Top, int32_t Side, TColor Color) {
  auto* S = new TppDrawShape(nullptr);
  S->SetLeft(Left);
  S->SetTop(Top);
  S->SetWidth(Side);
  S->SetHeight(Side);
  TBrush B;
  B.SetColor(Color);
  S->SetBrush(&B);
  TPen P;
  P.SetColor(Color);
  S->SetPen(&P);
  S->SetPage(&Page);
  return S;
}

// The bitmap's pixels (0xAARRGGBB, as QRgb) as an image.
QImage ImageOf(const TBitmap& B) {
  QImage I(B.Width(), B.Height(), QImage::Format_RGB32);
  for (int Y = 0; Y < B.Height(); ++Y)
    std::copy(B.ScanLine(Y), B.ScanLine(Y) + B.Width(), reinterpret_cast<QRgb*>(I.scanLine(Y)));
  return I;
}

// A black inch square an inch from the corner: at 100 % an inch of screen pixels on the white page,
// at 200 % two; the surround is the button-shadow colour.
TEST(ppViewrTest, PageImageAtTwoZooms) {
  for (int Zoom : {100, 200}) {
    SCOPED_TRACE(Zoom);
    TFakeView View;
    View.Percent = Zoom;
    TppScreenDevice Device(&View);
    ASSERT_EQ(&View, Device.Viewer());
    TPageSource Source(1, nullptr, [](int, TppPage& Page) { Square(Page, 25400, 25400, 25400, clBlack); });
    RequestPagesFrom(Device, Source);
    EXPECT_EQ(1, View.PagesShown);
    const int Ppi = ScreenPixelsPerInch();
    const int Inch = static_cast<int>(Trunc(ConvertFromMicrons(25400, utScreenPixels, ppHorizontal, nullptr)));
    EXPECT_NEAR(Ppi, Inch, 1);
    EXPECT_EQ(Zoom, Device.CalculatedZoom());
    const QImage I = ImageOf(Device.Bitmap());
    const int L = Device.PageLeft(), T = Device.PageTop();
    const double S = Zoom / 100.0;
    EXPECT_NEAR(Device.PageWidth(), Device.Page()->PageDef()->GetspWidth() * S, 1);
    EXPECT_EQ(I.width(), std::max(400, Device.PageWidth() + static_cast<int>(Round(Ppi * 0.25L)) * 2));
    // Inside the square, just outside it on the page, and the surround.
    EXPECT_TRUE(Dark(I, L + static_cast<int>(Inch * S) + 2, T + static_cast<int>(Inch * S) + 2));
    EXPECT_TRUE(Dark(I, L + static_cast<int>(2 * Inch * S) - 3, T + static_cast<int>(2 * Inch * S) - 3));
    EXPECT_EQ(qRgb(255, 255, 255), I.pixel(L + static_cast<int>(Inch * S) - 3, T + static_cast<int>(Inch * S) + 5));
    EXPECT_EQ(qRgb(255, 255, 255), I.pixel(L + static_cast<int>(2 * Inch * S) + 3, T + static_cast<int>(Inch * S) + 5));
    EXPECT_NE(qRgb(255, 255, 255), I.pixel(L - 2, T + 5));
    const TRect R = Device.Page()->GetDrawCommand(0)->GetDrawRect();
    EXPECT_EQ(L + static_cast<int>(Round(Inch * Device.ScaleX())), R.Left);
    EXPECT_EQ(static_cast<int>(Round(Inch * Device.ScaleX())), R.Width());
  }
}

// The first clickable command in page order whose rectangle holds the point, edges included.
TEST(ppViewrTest, FindClickableCommands) {
  TppScreenDevice Device(nullptr);
  TPageSource Source(1, nullptr, [](int, TppPage& Page) {
    Square(Page, 0, 0, 25400, clBlack);  // not clickable, under the others
    for (int32_t Left : {12700, 25400}) {
      auto* T = new TppDrawText(nullptr);
      T->SetText("Detalhe");
      T->SetLeft(Left);
      T->SetTop(12700);
      T->SetWidth(25400);
      T->SetHeight(12700);
      T->SetClickable(true);
      T->SetPage(&Page);
    }
  });
  RequestPagesFrom(Device, Source);
  TppPage& P = *Device.Page();
  const TRect A = P.GetDrawCommand(1)->GetDrawRect(), B = P.GetDrawCommand(2)->GetDrawRect();
  ASSERT_LT(B.Left, A.Right);
  struct TCase {
    int X, Y;
    int Expected;  // command index, -1 none
  };
  const TCase Cases[] = {{A.Left, A.Top, 1},         {A.Left - 1, A.Top, -1},       {A.Right, A.Bottom, 1},
                         {B.Left, B.Top + 1, 1},      {A.Right + 1, B.Top + 1, 2},   {B.Right, B.Bottom, 2},
                         {B.Right + 1, B.Bottom, -1}, {A.Left + 1, A.Bottom + 1, -1}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::to_string(C.X) + "," + std::to_string(C.Y));
    EXPECT_EQ(C.Expected < 0 ? nullptr : P.GetDrawCommand(C.Expected), Device.FindClickable(C.X, C.Y));
  }
}

// Page 1 is shown with the count unknown; a calculation page of a later pass brings the count, and
// the page-of-pages text on the page is redrawn there (and only its rectangle reaches the view).
TEST(ppViewrTest, LatePageCountIsRedrawn) {
  TFakeView View;
  TppScreenDevice Device(&View);
  auto MakePage = [](TppPage& Page, int No, int Count, bool Calculation) {
    Page.SetAbsolutePageNo(No);
    Page.SetPageNo(No);
    Page.SetAbsolutePageCount(Count);
    Page.SetPageCount(Count);
    Page.SetFinal(!Calculation);
    Page.SetFirstPage(No == 1);
    Page.SetCalculation(Calculation);
  };
  TppPage* First = new TppPage(nullptr);
  MakePage(*First, 1, 0, false);
  auto* Var = new TppDrawVar(nullptr);
  Var->SetVarType(vtPageSetDesc);
  Var->SetTransparent(true);
  Var->SetLeft(25400);
  Var->SetTop(25400);
  Var->SetWidth(50800);
  Var->SetHeight(6350);
  Var->SetPage(First);
  Device.StartJob();
  Device.ReceivePage(First);
  First->Free();
  ASSERT_EQ(1, View.PagesShown);
  ASSERT_TRUE(Device.Page()->HasUpdateables());

  TppPage* Later = new TppPage(nullptr);
  MakePage(*Later, 2, 3, true);
  Device.ReceivePage(Later);
  Later->Free();
  EXPECT_EQ(1, View.PagesShown);
  EXPECT_EQ(3, Device.Page()->AbsolutePageCount());
  auto* Shown = dynamic_cast<TppDrawVar*>(Device.Page()->GetDrawCommand(0));
  ASSERT_TRUE(Shown);
  EXPECT_NE(std::string::npos, Shown->Text().find('3')) << Shown->Text();
  EXPECT_TRUE(Shown->Transparent());
  ASSERT_EQ(1u, View.Changed.size());
  EXPECT_EQ(Shown->GetDrawRect(), View.Changed[0]);
  Device.CancelJob();
}

// Navigation that would show the page on display asks the publisher for nothing.
TEST(ppViewrTest, NavigationToThePageShownDoesNothing) {
  TppScreenDevice Device(nullptr);
  TPageSource Source(3, nullptr, [](int, TppPage& Page) { Square(Page, 0, 0, 1000, clBlack); });
  Device.SetPublisher(&Source.Publisher());
  Device.RequestPages();
  ASSERT_EQ(1, Device.GetAbsolutePageNo());
  const int Made = Source.Generated;
  Device.FirstPage();
  Device.GotoPage(1);
  EXPECT_EQ(Made, Source.Generated);
  Device.GotoPage(3);
  EXPECT_EQ(3, Device.GetAbsolutePageNo());
  Device.LastPage();
  Device.GotoPage(3);
  EXPECT_EQ(Made + 3, Source.Generated);
  Device.FirstPage();
  EXPECT_EQ(1, Device.GetAbsolutePageNo());
  Device.SetPublisher(nullptr);
}

// A page definition without width leaves the image of the page before.
TEST(ppViewrTest, EmptyPageDefinitionKeepsTheImage) {
  TppScreenDevice Device(nullptr);
  TPageSource Source(1, nullptr, [](int, TppPage& Page) { Square(Page, 0, 0, 1000, clBlack); });
  RequestPagesFrom(Device, Source);
  const TBitmap* Before = &Device.Bitmap();
  const int W = Device.Bitmap().Width();
  Device.Page()->PageDef()->SetmmWidth(0);
  Device.RenderPage();
  EXPECT_EQ(Before, &Device.Bitmap());
  EXPECT_EQ(W, Device.Bitmap().Width());
}

// Barcodes draw themselves on the page bitmap at the viewer's zoom: both symbols are read back.
TEST(ppViewrTest, BarCodesAreShownReadably) {
  ASSERT_TRUE(bctest::HaveProgram("zbarimg")) << "zbarimg (zbar-tools) is installed by scripts/deps.sh";
  TFakeView View;
  View.Percent = 300;
  TppScreenDevice Device(&View);
  TPageSource Source(1, nullptr, [](int, TppPage& Page) {
    BarCodeOn(Page, bcCode128, "Mivo Open Report 2024", 12700, 12700);
    BarCodeOn(Page, bcEAN_13, "400638133393", 12700, 50800);
  });
  RequestPagesFrom(Device, Source);
  TTestTempFiles Temp;
  EXPECT_EQ((std::multiset<std::string>{"4006381333931", "Mivo Open Report 2024"}),
            ZbarReadImage(ImageOf(Device.Bitmap()), Temp));
}

// The screen device keeps where it laid a text out, and the plain-text highlighter puts its
// highlight over the match as drawn: "100" covered, "Total:" left clear.
TEST(ppViewrTest, HighlightCoversTheMatchAsDrawn) {
  for (int Zoom : {100, 200}) {
    SCOPED_TRACE(Zoom);
    TFakeView View;
    View.Percent = Zoom;
    TppScreenDevice Device(&View);
    TPageSource Source(1, nullptr, [](int, TppPage& Page) {
      auto* T = new TppDrawText(nullptr);
      T->SetText("Total: 100");
      T->SetLeft(12700);
      T->SetTop(12700);
      T->SetWidth(50800);
      T->SetHeight(6350);
      T->SetTransparent(true);
      T->Font()->SetName("DejaVu Sans");
      T->Font()->SetSize(12);
      T->Font()->SetColor(clBlack);
      T->SetPage(&Page);
    });
    RequestPagesFrom(Device, Source);
    auto* Text = dynamic_cast<TppDrawText*>(Device.Page()->GetDrawCommand(0));
    ASSERT_NE(nullptr, Text);
    EXPECT_LT(Text->LayoutFontHeight(), 0);
    EXPECT_GT(Text->LayoutLineHeight(), 0);
    EXPECT_GT(Text->LayoutTextWidth(), 0);

    TppTextSearchHighlighter Highlighter;
    Highlighter.ScaleX = Device.ScaleX();
    Highlighter.ScaleY = Device.ScaleY();
    TppTextSearchOccurrence Hit;
    Hit.SetOrdinalInLine(1);
    TppOwnedDrawCommand Made = Highlighter.CreateHighlight(Text, &Hit, "100", &Device.Bitmap().Canvas());
    ASSERT_TRUE(Made);
    Device.ComputeDrawRect(*Made);
    const TRect H = Made->GetDrawRect(), T = Text->GetDrawRect();
    const QImage I = ImageOf(Device.Bitmap());
    const TRect Ink = BoxOf(I.copy(T.Left, T.Top, T.Width(), T.Height()), [](QRgb P) { return qGray(P) < 128; });
    const TRect Match = BoxOf(I.copy(H.Left, T.Top, T.Right - H.Left, T.Height()), [](QRgb P) { return qGray(P) < 128; });
    ASSERT_GE(Ink.Right, Ink.Left);
    // The whole line's ink is under the highlight's rows, its end inside the highlight.
    EXPECT_LE(H.Top, T.Top + Ink.Top);
    EXPECT_GE(H.Bottom, T.Top + Ink.Bottom);
    EXPECT_GE(H.Right, T.Left + Ink.Right);
    EXPECT_GT(H.Left, T.Left + Ink.Left);
    // The match's ink starts a side bearing into the highlight; "Total:" ends before it.
    EXPECT_LE(Match.Left, 2 * Zoom / 100);  // the glyph's side bearing
    const TRect Before = BoxOf(I.copy(T.Left, T.Top, H.Left - T.Left, T.Height()), [](QRgb P) { return qGray(P) < 128; });
    EXPECT_LE(T.Left + Before.Right, H.Left);
    EXPECT_GE(H.Width(), Match.Right - Match.Left);
    EXPECT_LE(H.Width(), 2 * (Match.Right - Match.Left));
  }
}

}  // namespace
