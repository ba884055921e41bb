#include "lxreport/forms/LXPreview.h"

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <functional>
#include <QWidget>

#include "lxreport/LXConsts.h"
#include "lxreport/forms/LXPrev.h"
#include "platform/app/Dialogs.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/RtlMath.h"
#include "tests/TestTemp.h"
#include "tests/lxreport/LXPageTestSupport.h"

namespace {
class LXPreviewTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetSystemPrintersEnabled(false);  // no printers: A4 portrait stored pages
  }
  void TearDown() override {
    FreeGlobalPrinter();
  }

  // Page N is black over its top left N x 10 mm by 10 mm.
  static void DrawPage(TLXPrinter& P, int N) {
    P.NewPage();
    P.Canvas()->Brush().SetColor(clBlack);
    P.Canvas()->FillRect(Rect(P.XPos(0), P.YPos(0), P.XPos(N * 100), P.YPos(100)));
  }
  static void Run(TLXPrinter& P, int Pages) {
    P.BeginDoc();
    for (int N = 1; N <= Pages; ++N) DrawPage(P, N);
    P.EndDoc();
  }
  static QImage Grab(TControl* C) {
    return C->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
};

uint32_t Px(const QImage& I, int X, int Y) { return I.pixel(X, Y) & 0xFFFFFF; }
constexpr uint32_t Black = 0x000000, White = 0xFFFFFF;

// Records what a printer's Preview asked of the preview interface class.
class TRecordingPreviewInterface : public TLXPreviewInterface {
  DECLARE_CLASSINFO(TRecordingPreviewInterface)
public:
  static inline std::vector<TLXPrinter*> Shown;
  static inline int Alive = 0;
  explicit TRecordingPreviewInterface(TComponent* AOwner) : TLXPreviewInterface(AOwner) { ++Alive; }
  ~TRecordingPreviewInterface() override { --Alive; }
  TForm* Show(TLXPrinter* Printer) override {
    Shown.push_back(Printer);
    return nullptr;
  }
};

const TClassInfo& TRecordingPreviewInterface::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TRecordingPreviewInterface>("TRecordingPreviewInterface",
                                                                       &TLXPreviewInterface::StaticClassInfo());
  return Info;
}
}  // namespace

TEST_F(LXPreviewTest, PaintsTheSheetFrameShadowAndPageAtTheZoom) {
  TLXPrinter P;
  Run(P, 2);
  TLXPreview V(nullptr);
  V.SetLXPrinter(&P);
  ASSERT_TRUE(V.PreviewImage()->ImageOK());
  // A4 at 96 ppi: 794 by 1123 pixels, and 4 for the frame and the shadow.
  struct Case {
    int Zoom, W, H;
  } Cases[] = {{100, 798, 1127}, {50, 401, 565}, {200, 1591, 2249}};
  for (const Case& C : Cases) {
    V.SetZoom(C.Zoom);
    TLXPreviewImage* Img = V.PreviewImage();
    ASSERT_EQ(Img->Width(), C.W) << C.Zoom;
    ASSERT_EQ(Img->Height(), C.H) << C.Zoom;
    QImage I = Grab(Img);
    int W = C.W, H = C.H;
    uint32_t Untouched = Px(I, W - 1, 0);  // right of the frame, above the shadow
    EXPECT_NE(Untouched, Black);
    EXPECT_EQ(Px(I, 1, H - 1), Untouched) << "left of the bottom shadow";
    // Frame: (0,0) -> (0,H-3) -> (W-3,H-3) -> (W-3,0).
    for (auto [X, Y] : {std::pair{0, H / 2}, {W / 2, 0}, {W - 3, H / 2}, {W / 2, H - 3}, {0, 0}, {W - 3, H - 3}})
      EXPECT_EQ(Px(I, X, Y), Black) << C.Zoom << " frame " << X << "," << Y;
    // Shadow: two pixels right from row 2 down and two pixels below from column 2 on.
    for (auto [X, Y] : {std::pair{W - 2, 2}, {W - 1, H / 2}, {W - 1, H - 1}, {2, H - 2}, {W / 2, H - 1}})
      EXPECT_EQ(Px(I, X, Y), Black) << C.Zoom << " shadow " << X << "," << Y;
    EXPECT_EQ(Px(I, W - 2, 1), Untouched);
    EXPECT_EQ(Px(I, 1, H - 2), Untouched);
    // The white sheet, and page 1 (black over its first 10 mm) stretched over the image.
    EXPECT_EQ(Px(I, W / 2, H / 2), White);
    EXPECT_EQ(Px(I, W - 4, H - 4), White);
    int TenMm = (W - 4) * 100 / 2100;
    EXPECT_EQ(Px(I, TenMm / 2, TenMm / 2), Black) << C.Zoom;
    EXPECT_EQ(Px(I, TenMm * 3 / 2, TenMm / 2), White) << C.Zoom;
  }
  V.SetZoom(100);
  V.SetPageNumber(2);
  QImage I = Grab(V.PreviewImage());
  EXPECT_EQ(Px(I, 57, 19), Black);  // page 2 is black over 20 mm
  EXPECT_EQ(Px(I, 95, 19), White);
}

TEST_F(LXPreviewTest, PagelessImagePaintsOnlyWhileDesigned) {
  TLXPreview V(nullptr);
  V.SetZoom(100);  // Letter in millimetres as pixels: 220 by 283
  TLXPreviewImage* Img = V.PreviewImage();
  ASSERT_EQ(Img->Width(), 220);
  ASSERT_EQ(Img->Height(), 283);
  QImage Run = Grab(Img);
  EXPECT_NE(Px(Run, 0, 0), Black);
  EXPECT_EQ(Px(Run, 0, 0), Px(Run, 110, 140));
  Img->SetState(csDesigning, true);
  QImage Design = Grab(Img);
  EXPECT_EQ(Px(Design, 0, 0), Black);
  EXPECT_EQ(Px(Design, 110, 140), White);
  EXPECT_EQ(Px(Design, 218, 140), Black);
  EXPECT_EQ(Px(Design, 110, 282), Black);
}

TEST_F(LXPreviewTest, FitPageAndFitWidthArithmetic) {
  TLXPrinter P;
  Run(P, 1);
  // Page 794 by 1123 pixels with the printer; 215.9 by 279.4 without.
  struct Case {
    bool Printer;
    int W, H;
    int Fit, Width;
  } Cases[] = {
      {true, 250, 250, 21, 28},    // Zw 30, Zh 21; width 250/794*90 = 28.3
      {true, 800, 600, 51, 91},    // Zw 96, Zh 51
      {true, 1600, 900, 76, 181},  // Zw 191, Zh 76.1
      {false, 250, 250, 85, 110},  // Zw 110, Zh 85; width uses 95 without a printer
      {false, 600, 900, 264, 264}, // Zw 264.0, Zh 306
      {true, 10, 10, 100, 100},    // 1 is out of range: the zoom stays
  };
  for (const Case& C : Cases) {
    TLXPreview V(nullptr);
    if (C.Printer) V.SetLXPrinter(&P);
    V.SetBounds(0, 0, C.W, C.H);
    V.ZoomToFit();
    EXPECT_EQ(V.Zoom(), C.Fit) << C.W << "x" << C.H;
    EXPECT_EQ(V.ZoomState(), lxzFitPage);
    V.SetZoom(100);
    V.ZoomToWidth();
    EXPECT_EQ(V.Zoom(), C.Width) << C.W << "x" << C.H;
    EXPECT_EQ(V.ZoomState(), lxzFitWidth);
  }
}

// A printer handed to a preview that is never resized (a window without a window manager): the
// zoom mode applies to the printer's paper at once, not the paperless Letter size.
TEST_F(LXPreviewTest, AttachingAPrinterAppliesTheZoomModeToItsPaper) {
  TLXPrinter P;
  P.SetPaperSize(TLXPaperSize::A4);
  Run(P, 1);
  for (bool FitWidth : {false, true}) {
    TLXPreview V(nullptr);
    V.SetBounds(0, 0, 400, 300);
    if (FitWidth) V.ZoomToWidth();
    else V.UpdateZoom();
    if (!FitWidth) EXPECT_EQ(V.PreviewImage()->Width(), 220) << "Letter in millimetres as pixels";
    V.SetLXPrinter(&P);
    int Zoom = FitWidth ? static_cast<int>(Round(400.0L / P.XSize(2100) * 90)) : 100;
    EXPECT_EQ(V.Zoom(), Zoom) << FitWidth;
    EXPECT_EQ(V.PreviewImage()->Width(), static_cast<int>(Round(P.XSize(2100.0L / 100 * Zoom))) + 4) << FitWidth;
    EXPECT_EQ(V.PreviewImage()->Height(), static_cast<int>(Round(P.YSize(2970.0L / 100 * Zoom))) + 4) << FitWidth;
  }
}

TEST_F(LXPreviewTest, ResizeRefitsOrOnlyRecentres) {
  TLXPrinter P;
  Run(P, 1);
  TLXPreview V(nullptr);
  V.SetLXPrinter(&P);
  V.SetBounds(0, 0, 800, 600);
  V.SetZoom(50);  // 401 by 565
  EXPECT_EQ(V.PreviewImage()->Left(), 199);
  EXPECT_EQ(V.PreviewImage()->Top(), 17);
  V.SetBounds(0, 0, 1000, 300);
  EXPECT_EQ(V.Zoom(), 50);
  EXPECT_EQ(V.ZoomState(), lxzNumeric);
  EXPECT_EQ(V.PreviewImage()->Left(), 299);
  EXPECT_EQ(V.PreviewImage()->Top(), 0);  // taller than the control
  V.ZoomToFit();
  V.SetBounds(0, 0, 800, 600);
  EXPECT_EQ(V.Zoom(), 51);
  EXPECT_EQ(V.ZoomState(), lxzFitPage);
  V.ZoomToWidth();
  V.SetBounds(0, 0, 250, 250);
  EXPECT_EQ(V.Zoom(), 28);
  EXPECT_EQ(V.ZoomState(), lxzFitWidth);
  EXPECT_EQ(V.PreviewImage()->Left(), 12);  // 222 + 4 pixels wide: centred
  EXPECT_EQ(V.PreviewImage()->Top(), 0);
}

TEST_F(LXPreviewTest, OutOfRangePagesAndZoomsAreIgnored) {
  TLXPrinter P;
  Run(P, 3);
  TLXPreview V(nullptr);
  for (int N : {2, 0}) {
    V.SetPageNumber(N);  // no printer
    EXPECT_EQ(V.PageNumber(), 1);
  }
  V.SetLXPrinter(&P);
  TMetafile* Page1 = V.PreviewImage()->PageMetafile();
  ASSERT_NE(Page1, nullptr);
  V.SetPageNumber(1);  // already shown: not fetched again
  EXPECT_EQ(V.PreviewImage()->PageMetafile(), Page1);
  for (int N : {0, -1, 4}) {
    V.SetPageNumber(N);
    EXPECT_EQ(V.PageNumber(), 1) << N;
    EXPECT_EQ(V.PreviewImage()->PageMetafile(), Page1) << N;
  }
  V.SetPageNumber(3);
  EXPECT_EQ(V.PageNumber(), 3);
  EXPECT_EQ(V.PreviewImage()->PageNumber(), 3);

  V.ZoomToFit();
  int Fit = V.Zoom();
  for (int Z : {1, 2001, 0, -5}) {
    V.SetZoom(Z);
    EXPECT_EQ(V.Zoom(), Fit) << Z;
    EXPECT_EQ(V.ZoomState(), lxzFitPage) << Z;
  }
  for (int Z : {2, 2000}) {
    V.SetZoom(Z);
    EXPECT_EQ(V.Zoom(), Z);
    EXPECT_EQ(V.ZoomState(), lxzNumeric);
    EXPECT_EQ(V.PreviewImage()->Zoom(), Z);
  }
}

TEST_F(LXPreviewTest, PageAnnouncedDuringARunIsShown) {
  TLXPrinter P;
  TLXPreview V(nullptr);
  V.SetLXPrinter(&P);
  std::vector<int> Announced, Progress;
  V.OnPageAvailable = [&](TObject* Sender, int Page) {
    EXPECT_EQ(Sender, &V);
    Announced.push_back(Page);
  };
  V.OnProgressUpdate = [&](TObject*, int Pct) { Progress.push_back(Pct); };
  V.SetZoom(100);
  P.BeginDoc();
  DrawPage(P, 1);
  P.SetProgress(40);
  Application->ProcessMessages();
  EXPECT_FALSE(V.PreviewImage()->ImageOK());  // page 1 is still being drawn
  EXPECT_EQ(Progress, std::vector<int>{40});
  DrawPage(P, 2);  // page 1 finished: 0x401 with 1
  EXPECT_FALSE(V.PreviewImage()->ImageOK());  // posted, not yet handled
  Application->ProcessMessages();
  EXPECT_EQ(Announced, std::vector<int>{1});
  ASSERT_TRUE(V.PreviewImage()->ImageOK());
  EXPECT_EQ(V.ZoomState(), lxzFitWidth);
  EXPECT_EQ(V.Zoom(), 28);  // 250 / 794 x 90
  QImage I = Grab(V.PreviewImage());
  EXPECT_EQ(Px(I, 3, 3), Black);

  // Only the low 16 bits count; a page other than the awaited one is only passed on.
  PostMessage(V.Handle(), WM_LXPAGEAVAILABLE, 0x30002, 0);
  PostMessage(V.Handle(), WM_LXPROGRESS, 0x10050, 0);
  Application->ProcessMessages();
  EXPECT_EQ(Announced, (std::vector<int>{1, 2}));
  EXPECT_EQ(Progress, (std::vector<int>{40, 0x50}));
  EXPECT_EQ(V.PreviewImage()->PageNumber(), 1);
  P.EndDoc();
}

TEST_F(LXPreviewTest, AttachingAndDetachingFollowTheStatusWindow) {
  auto P = std::make_unique<TLXPrinter>();
  Run(*P, 1);
  int AfterPreview = 0;
  P->AfterPreview = [&](TLXPrinter*) { ++AfterPreview; };
  {
    TLXPreview V(nullptr);
    int Clicks = 0;
    V.OnClick = [&](TObject*) { ++Clicks; };
    V.SetLXPrinter(P.get());
    EXPECT_EQ(P->StatusWindow(), V.Handle());
    EXPECT_TRUE(P->ShowingPreview());
    V.PreviewImage()->Click();
    EXPECT_EQ(Clicks, 1);
  }
  EXPECT_EQ(P->StatusWindow(), 0u);
  EXPECT_FALSE(P->ShowingPreview());
  EXPECT_EQ(AfterPreview, 1);

  TLXPreview V(nullptr);
  V.SetLXPrinter(P.get());
  P.reset();  // the printer goes first: the preview lets go of it
  EXPECT_EQ(V.LXPrinter(), nullptr);
  EXPECT_FALSE(V.PreviewImage()->ImageOK());
  V.SetPageNumber(1);
}

TEST_F(LXPreviewTest, PrinterPreviewUsesTheLibraryWideInterfaceClass) {
  // The test main's InitializeLXReportForms chose the standard window.
  EXPECT_EQ(LXPreviewInterfaceClass, &TLXStandardPreviewInterface::StaticClassInfo());
  TLXPrinter P;
  P.Preview();  // the standard window, owned by the application: closed here so no other test meets it
  int Opened = 0;
  for (int I = Screen().FormCount() - 1; I >= 0; --I)
    if (auto* W = dynamic_cast<TLXStandardPreview*>(Screen().Forms(I)); W && W->Printer() == &P) {
      ++Opened;
      W->Free();
    }
  EXPECT_EQ(Opened, 1);
  LXPreviewInterfaceClass = &TRecordingPreviewInterface::StaticClassInfo();
  P.Preview();
  EXPECT_EQ(TRecordingPreviewInterface::Shown, std::vector<TLXPrinter*>{&P});
  EXPECT_EQ(TRecordingPreviewInterface::Alive, 0);  // made for the call and freed
  FinalizeLXPreview();
  P.Preview();  // once the library has ended: nothing
  EXPECT_EQ(TRecordingPreviewInterface::Shown.size(), 1u);
  InitializeLXPreview();
  EXPECT_EQ(LXPreviewInterfaceClass, &TLXStandardPreviewInterface::StaticClassInfo());
}

// A file damaged from some page on (cut short), or on one page: it opens with its full page count,
// says once from which page it is damaged, and shows every unreadable page as a blank sheet.
TEST_F(LXPreviewTest, UnreadablePagesShowBlankAndAreReportedOnce) {
  TTestTempFiles Temp;
  std::string Good = Temp.Path("preview-good.lxp");
  {
    TLXPrinter Maker;
    Run(Maker, 6);
    Maker.Save(Good);
  }
  TMemoryStream M;
  M.LoadFromFile(Good);
  struct Case {
    const char* Name;
    std::function<void(std::vector<uint8_t>&)> Spoil;
    int32_t From;
    std::vector<int32_t> Blank;
  } Cases[] = {
      {"cut in page 4", [](std::vector<uint8_t>& B) { B.resize(lxtest::RecordOf(B, 4) + 60); }, 4, {4, 5, 6}},
      {"page 2 spoilt", [](std::vector<uint8_t>& B) { lxtest::SpoilPage(B, 2); }, 2, {2}},
  };
  for (const Case& C : Cases) {
    std::vector<uint8_t> B = M.Bytes();
    C.Spoil(B);
    std::string File = Temp.Path("preview-damaged.lxp");
    {
      TFileStream F(File, fmCreate);
      F.WriteBuffer(B.data(), static_cast<int64_t>(B.size()));
    }
    auto Service = std::make_unique<TScriptedDialogService>();
    TScriptedDialogService* Dialogs = Service.get();
    TDialogServiceScope Scope(std::move(Service));
    TLXPrinter P;
    P.Load(File);
    EXPECT_EQ(P.PageCount(), 6) << C.Name;
    TLXPreview V(nullptr);
    V.SetLXPrinter(&P);
    V.SetZoom(100);
    ASSERT_TRUE(V.PreviewImage()->ImageOK()) << C.Name;
    for (int32_t N : {6, 5, 4, 3, 2, 1, 6}) {  // the last page first, as the "last page" button does
      V.SetPageNumber(N);
      EXPECT_EQ(V.PageNumber(), N) << C.Name;
      bool Blank = std::find(C.Blank.begin(), C.Blank.end(), N) != C.Blank.end();
      EXPECT_EQ(V.PreviewImage()->ImageOK(), !Blank) << C.Name << " page " << N;
      QImage I = Grab(V.PreviewImage());
      EXPECT_EQ(Px(I, 0, 0), Black) << "the sheet's frame, " << C.Name << " page " << N;
      EXPECT_EQ(Px(I, 3, 3), Blank ? White : Black) << C.Name << " page " << N;
    }
    ASSERT_EQ(Dialogs->Calls.size(), 1u) << C.Name;
    const auto& Message = Dialogs->Call<TMessageRequest>(0);
    EXPECT_EQ(Message.Type, mtWarning);
    EXPECT_EQ(Message.Text.rfind(Format(SLXDamagedFromPage, {C.From, std::string()}), 0), 0u) << Message.Text;
    std::remove(File.c_str());
  }
}

// A preview freed with its form lets go of the printer before its page image
// goes, whichever of printer and form is freed first.
TEST_F(LXPreviewTest, APreviewFreedWithItsFormLetsGoOfThePrinter) {
  for (bool PrinterFirst : {false, true}) {
    auto P = std::make_unique<TLXPrinter>();
    Run(*P, 2);
    int AfterPreview = 0;
    P->AfterPreview = [&](TLXPrinter*) { ++AfterPreview; };
    auto* Form = new TForm(nullptr);
    auto* V = new TLXPreview(Form);
    V->SetParent(Form);
    V->SetLXPrinter(P.get());
    if (PrinterFirst) P.reset();
    Form->Free();
    EXPECT_EQ(AfterPreview, 1) << PrinterFirst;
    if (P) {
      EXPECT_EQ(P->StatusWindow(), 0u);
      EXPECT_FALSE(P->ShowingPreview());
    }
  }
}
