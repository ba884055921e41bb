#include "platform/graphics/EmfPlayer.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "EmfFixtures.h"
#include "FontTestUtil.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/rtl/SysUtils.h"

using namespace emftest;
using namespace std::string_literals;

namespace {
int CountColour(const QImage& I, QRgb C, QRect Area) {
  int N = 0;
  for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
    for (int X = Area.left(); X <= Area.right(); ++X) N += I.pixel(X, Y) == C;
  return N;
}
}  // namespace

TEST(EmfPlayerTest, PlaysRecordsTheRecorderNeverWrites) {
  std::vector<uint8_t> Emf = ForeignEmf();
  QImage Img = WhiteImage(96, 96);
  TEmfPlayResult Res;
  {
    TQtPainterDC Dc(&Img, 96, 96);
    Res = PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  }
  EXPECT_EQ(Res.Skipped, 1);
  EXPECT_EQ(Img.pixel(5, 90), qRgb(0, 0, 0));  // the pattern blit
  EXPECT_EQ(Img.pixel(20, 90), qRgb(255, 255, 255));
  EXPECT_EQ(Res.Failed, 0);
  EXPECT_EQ(Img.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(22, 22), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(23, 23), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(55, 5), qRgb(0, 0, 255));     // top-left of the DIB: blue
  EXPECT_EQ(Img.pixel(90, 5), qRgb(255, 255, 255));  // top-right: white
  EXPECT_EQ(Img.pixel(55, 40), qRgb(255, 0, 0));     // bottom-left: red
  EXPECT_EQ(Img.pixel(90, 40), qRgb(0, 255, 0));     // bottom-right: green
  // "Hi" in red below y = 58, about 19 pixels high.
  EXPECT_GT(CountColour(Img, qRgb(255, 0, 0), QRect(0, 57, 40, 25)), 20);
  EXPECT_EQ(CountColour(Img, qRgb(255, 0, 0), QRect(0, 50, 40, 7)), 0);

  TCallLogDC Log;
  PlayEnhMetaFile(Log, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  EXPECT_EQ(Log.Calls("ExtTextOut").back(), "ExtTextOut(0,600,0x0,\"Hi\")");
  EXPECT_EQ(Log.Calls("RestoreDC").back(), "RestoreDC(1)");  // the device gets its state back
}

TEST(EmfPlayerTest, StretchesTheFrameOverTheDestination) {
  TMetafile M;
  M.SetWidth(100);
  M.SetHeight(50);
  {
    TMetafileCanvas C(M);
    C.Brush().SetColor(clBlack);
    C.FillRect(Rect(10, 10, 20, 20));
  }
  QImage Img = StretchedInto(240, 140, Rect(20, 20, 220, 120), M);
  EXPECT_EQ(Img.pixel(40, 40), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(59, 59), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(61, 61), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(38, 38), qRgb(255, 255, 255));
}

TEST(EmfPlayerTest, BadBytesNeverCrash) {
  TMetafile M;
  M.SetWidth(200);
  M.SetHeight(100);
  {
    TMetafileCanvas C(M);
    C.Font().SetName("Times New Roman");
    C.TextOut(5, 5, "Página 1");
    C.Pen().SetWidth(3);
    C.Polygon({Point(10, 10), Point(100, 20), Point(50, 90)});
    C.Ellipse(120, 10, 190, 90);
    C.IntersectClipRect(Rect(0, 0, 150, 80));
    C.Brush().SetStyle(bsClear);
    TRect Box = Rect(0, 50, 60, 100);
    C.DrawText("um dois três", Box, DT_WORDBREAK);
  }
  const std::vector<uint8_t> Good = M.Data();
  QImage Img = WhiteImage(64, 32);
  auto Try = [&](const std::vector<uint8_t>& B) {
    TBytesStream S(B.data(), static_cast<int64_t>(B.size()));
    TMetafile L;
    try {
      L.LoadFromStream(S);
    } catch (const EInvalidGraphic& E) {
      EXPECT_EQ(E.Message(), "Metafile inválido");
      return;
    }
    TQtPainterDC Dc(&Img, 96, 96);
    TCanvas C(&Dc);
    C.StretchDraw(Rect(0, 0, 64, 32), L);
  };
  for (size_t Len = 0; Len < Good.size(); Len += 7) Try(std::vector<uint8_t>(Good.begin(), Good.begin() + Len));
  uint32_t Seed = 12345;
  for (size_t At = 0; At < Good.size(); At += 3) {
    std::vector<uint8_t> B = Good;
    Seed = Seed * 1103515245 + 12345;
    B[At] = static_cast<uint8_t>(Seed >> 16);
    if (At + 1 < B.size()) B[At + 1] ^= 0x80;
    Try(B);
  }
  // Playing straight from bytes checks the header itself.
  std::vector<uint8_t> Bad(Good.begin(), Good.begin() + 40);
  TCallLogDC Log;
  EXPECT_THROW(PlayEnhMetaFile(Log, Bad.data(), Bad.size(), Rect(0, 0, 10, 10)), EInvalidGraphic);
}


TEST(EmfPlayerTest, RecordedPageMatchesDirectDrawing) {
  TBitmap Bmp;
  TJPEGImage Jpg;
  FixtureGraphics(Bmp, Jpg);
  QImage Direct = WhiteImage(400, 300);
  {
    TQtPainterDC Dc(&Direct, 96, 96);
    TCanvas C(&Dc);
    DrawFixturePage(C, Bmp, Jpg);
  }
  TMetafile M;
  M.SetWidth(400);
  M.SetHeight(300);
  {
    TMetafileCanvas C(M);
    DrawFixturePage(C, Bmp, Jpg);
  }
  QImage Played = StretchedInto(400, 300, Rect(0, 0, 400, 300), M);
  EXPECT_LT(DifferentPixels(Direct, Played), 0.002);
  // And the same page reloaded from its bytes.
  TMetafile Reloaded;
  Reloaded.SetData(M.Data());
  QImage Again = WhiteImage(400, 300);
  {
    TQtPainterDC Dc(&Again, 96, 96);
    TCanvas C(&Dc);
    C.Draw(0, 0, Reloaded);
  }
  EXPECT_EQ(Again, Played);
}

TEST(EmfPlayerTest, ClipRegionsFollowTheStretch) {
  TMetafile M;
  M.SetWidth(100);
  M.SetHeight(100);
  {
    TMetafileCanvas C(M);
    TRegion Rg{{Rect(10, 10, 30, 30)}};
    C.SelectClipRegion(&Rg);
    C.Brush().SetColor(clBlack);
    C.FillRect(Rect(0, 0, 100, 100));
    C.SelectClipRect(nullptr);
    C.IntersectClipRect(Rect(60, 60, 70, 70));
    C.FillRect(Rect(0, 0, 100, 100));
  }
  QImage Img = StretchedInto(200, 200, Rect(0, 0, 200, 200), M);
  EXPECT_EQ(Img.pixel(20, 20), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(59, 59), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(60, 60), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(19, 19), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(120, 120), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(139, 139), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(140, 140), qRgb(255, 255, 255));
}

TEST(EmfPlayerTest, AMetafileDrawnIntoARecordingPlaysInPlace) {
  TMetafile Inner;
  Inner.SetWidth(10);
  Inner.SetHeight(10);
  {
    TMetafileCanvas C(Inner);
    C.Brush().SetColor(clBlack);
    C.FillRect(Rect(0, 0, 5, 5));  // the top-left quarter
  }
  TMetafile Outer;
  Outer.SetWidth(100);
  Outer.SetHeight(100);
  {
    TMetafileCanvas C(Outer);
    C.StretchDraw(Rect(40, 40, 80, 80), Inner);
    C.Brush().SetColor(clRed);
    C.FillRect(Rect(0, 0, 10, 10));  // the outer page's own drawing is unaffected
  }
  QImage Img = WhiteImage(100, 100);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    TCanvas C(&Dc);
    C.Draw(0, 0, Outer);
  }
  EXPECT_EQ(Img.pixel(41, 41), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(59, 59), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(61, 61), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(5, 5), qRgb(255, 0, 0));
  EXPECT_EQ(Img.pixel(10, 10), qRgb(255, 255, 255));
}

TEST(EmfPlayerTest, MetricMappingModesTurnTheYAxisUp) {
  // MM_LOMETRIC: tenths of a millimetre, y up; the window origin moved to the top.
  TEmfBuilder E(2540, 2540);
  E.Rec(17, {2});                            // SETMAPMODE MM_LOMETRIC
  E.Rec(10, {0, 254});                       // SETWINDOWORGEX (0, 254): y = 254 is the top edge
  E.Rec(39, {1, 0, 0, 0});                   // black brush
  E.Rec(37, {1});
  E.Rec(43, {0, 254, 127, 127});             // the top-left quarter inch
  E.Rec(17, {8});                            // MM_ANISOTROPIC keeps the metric scale
  E.Rec(39, {2, 0, 0x0000FF, 0});            // red brush
  E.Rec(37, {2});
  E.Rec(43, {127, 127, 254, 0});             // the bottom-right quarter
  std::vector<uint8_t> Emf = E.Done();
  QImage Img = WhiteImage(96, 96);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  }
  EXPECT_EQ(Img.pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(10, 80), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(80, 80), qRgb(255, 0, 0));
  EXPECT_EQ(Img.pixel(80, 10), qRgb(255, 255, 255));
}

TEST(EmfPlayerTest, APictureNeverPaintsOutsideTheCallersClip) {
  // A page that drops its clip, then clips to the whole page, and fills it.
  TMetafile Page;
  Page.SetWidth(200);
  Page.SetHeight(200);
  {
    TMetafileCanvas C(Page);
    C.SelectClipRect(nullptr);
    TRegion All{{Rect(0, 0, 200, 200)}};
    C.SelectClipRegion(&All);
    C.Brush().SetColor(clBlack);
    C.FillRect(Rect(0, 0, 200, 200));
  }
  QImage Img = WhiteImage(200, 200);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    TCanvas C(&Dc);
    C.IntersectClipRect(Rect(0, 0, 50, 50));
    C.StretchDraw(Rect(0, 0, 200, 200), Page);
    C.Brush().SetColor(clRed);
    C.FillRect(Rect(0, 100, 200, 200));  // the caller's clip still holds after playing
    C.SelectClipRect(nullptr);
    C.FillRect(Rect(100, 190, 200, 200));  // and is the caller's to remove
  }
  EXPECT_EQ(Img.pixel(25, 25), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(49, 49), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(50, 50), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(150, 150), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(150, 195), qRgb(255, 0, 0));

  // A clip set on the painter the device is given counts as the caller's too.
  QImage Painted = WhiteImage(200, 200);
  {
    QPainter P(&Painted);
    P.setClipRect(0, 0, 50, 50);
    TQtPainterDC Dc(&P, 96, 96);
    PlayEnhMetaFile(Dc, Page.Data().data(), Page.Data().size(), Rect(0, 0, 200, 200));
  }
  EXPECT_EQ(Painted.pixel(25, 25), qRgb(0, 0, 0));
  EXPECT_EQ(Painted.pixel(150, 150), qRgb(255, 255, 255));

  // Drawn into another picture, the page stays inside that picture's clip too.
  TMetafile Outer;
  Outer.SetWidth(200);
  Outer.SetHeight(200);
  {
    TMetafileCanvas C(Outer);
    C.IntersectClipRect(Rect(0, 0, 100, 100));
    C.StretchDraw(Rect(0, 0, 200, 200), Page);
  }
  QImage Nested = StretchedInto(200, 200, Rect(0, 0, 200, 200), Outer);
  EXPECT_EQ(Nested.pixel(99, 99), qRgb(0, 0, 0));
  EXPECT_EQ(Nested.pixel(150, 150), qRgb(255, 255, 255));
}

TEST(EmfPlayerTest, SavedStatesStopWhereGdisDo) {
  // 80 KB of saves would otherwise hold some 40 times that in saved states.
  const int Saves = MaxSavedDCs + 500;
  TEmfBuilder E(2540, 2540);
  for (int I = 0; I < Saves; ++I) E.Rec(33, {});  // SAVEDC
  E.Rec(39, {1, 0, 0x0000FF, 0});
  E.Rec(37, {1});
  E.Rec(43, {0, 0, 48, 48});
  for (int I = 0; I < Saves; ++I) E.Rec(34, {uint32_t(-1)});  // RESTOREDC -1
  std::vector<uint8_t> Emf = E.Done();
  TCallLogDC Log;
  TEmfPlayResult Res = PlayEnhMetaFile(Log, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  // The player's own save takes the first level; the file gets the others.
  EXPECT_EQ(Res.Failed, Saves - (MaxSavedDCs - 1));
  EXPECT_EQ(Log.Calls("RestoreDC").back(), "RestoreDC(1)");
  QImage Img = WhiteImage(96, 96);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  }
  EXPECT_EQ(Img.pixel(10, 10), qRgb(255, 0, 0));

  // A device that can save no more cannot get its state back: nothing is played on it.
  TCallLogDC Full;
  for (int I = 0; I < MaxSavedDCs; ++I) Full.SaveDC();
  Res = PlayEnhMetaFile(Full, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  EXPECT_EQ(Res.Played, 0);
  EXPECT_EQ(Res.Failed, 1);
  EXPECT_TRUE(Full.Calls("SetMetaRgn").empty());
  EXPECT_TRUE(Full.Calls("Rectangle").empty());
}

TEST(EmfPlayerTest, WindowAndViewportGoThroughTheReferenceDeviceOntoTheFrame) {
  // Clip art: 1446 x 1420 logical units shown in 55 x 54 reference pixels.
  const uint32_t Neg54 = uint32_t(-54), Neg1420 = uint32_t(-1420);
  struct Case {
    const char* What;
    std::vector<TRec> Mapping;
    TRect Square;
    QPoint Black, White;
  };
  const Case Cases[] = {
      {"anisotropic", {{17, 8, 0}, {9, 1446, 1420}, {11, 55, 54}}, Rect(0, 0, 723, 710), {20, 20}, {80, 80}},
      {"y up through the viewport",
       {{17, 8, 0}, {9, 1446, 1420}, {12, 0, 54}, {11, 55, Neg54}},
       Rect(0, 0, 723, 710),
       {20, 80},
       {20, 20}},
      {"y up through the window",
       {{17, 8, 0}, {10, 0, 1420}, {9, 1446, Neg1420}, {11, 55, 54}},
       Rect(0, 0, 723, 710),
       {20, 80},
       {20, 20}},
      {"viewport origin", {{17, 8, 0}, {9, 1446, 1420}, {12, 27, 27}, {11, 55, 54}}, Rect(0, 0, 723, 710),
       {80, 80}, {20, 20}},
      {"isotropic keeps the units square", {{17, 7, 0}, {9, 1446, 1420}, {11, 55, 108}}, Rect(0, 0, 723, 710),
       {20, 20}, {20, 80}},
      // The viewport set first is shrunk against MM_ISOTROPIC's starting window,
      // then again against the window: the picture comes out smaller.
      {"isotropic, viewport first", {{17, 7, 0}, {11, 55, 54}, {9, 1446, 1420}}, Rect(0, 0, 723, 710), {30, 30},
       {45, 45}},
      // MM_ANISOTROPIC starts from MM_TEXT's extents, one unit to one pixel.
      {"viewport extent alone", {{17, 8, 0}, {11, 2, 2}}, Rect(0, 0, 7, 7), {20, 20}, {30, 30}},
  };
  for (const auto& C : Cases) {
    std::vector<uint8_t> Emf = ClipArtEmf(C.Mapping, C.Square);
    QImage Img = WhiteImage(100, 100);
    {
      TQtPainterDC Dc(&Img, 96, 96);
      PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 100, 100));
    }
    EXPECT_EQ(Img.pixel(C.Black), qRgb(0, 0, 0)) << C.What;
    EXPECT_EQ(Img.pixel(C.White), qRgb(255, 255, 255)) << C.What;
  }
}

TEST(EmfPlayerTest, AHeaderDescriptionIsNotTakenForTheSizeInMicrometres) {
  // Clip art with its description where a longer header keeps the reference
  // device's size in micrometres; that text read as a size magnified the picture.
  std::vector<uint8_t> Emf = WithDescription(
      ClipArtEmf({{17, 8, 0}, {9, 1446, 1420}, {11, 55, 54}}, Rect(0, 0, 723, 710)), u"Galeria de imagens\0Desenho 7\0\0"s);
  QImage Img = WhiteImage(100, 100);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 100, 100));
  }
  EXPECT_EQ(Img.pixel(20, 20), qRgb(0, 0, 0));  // the top-left quarter, as without the description
  EXPECT_EQ(Img.pixel(45, 45), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(55, 55), qRgb(255, 255, 255));
  EXPECT_EQ(Img.pixel(80, 80), qRgb(255, 255, 255));
  TMetafile M;
  M.SetData(Emf);
  EXPECT_EQ(M.MMWidth(), 1446);
}

namespace {
// The bounding box of what is not white, right/bottom excluded.
TRect Inked(const QImage& I) {
  TRect R{I.width(), I.height(), 0, 0};
  for (int Y = 0; Y < I.height(); ++Y)
    for (int X = 0; X < I.width(); ++X)
      if (I.pixel(X, Y) != qRgb(255, 255, 255)) R = Rect(std::min(R.Left, X), std::min(R.Top, Y),
                                                         std::max(R.Right, X + 1), std::max(R.Bottom, Y + 1));
  return R;
}
}  // namespace

TEST(EmfPlayerTest, TextAnglesFollowTheHandednessOfTheMapping) {
  REQUIRE_METRIC_FONTS();
  // A chart's axis title, 96 reference pixels for 1000 logical units.
  struct Case {
    const char* What;
    uint32_t GraphicsMode;
    bool FlipX;  // otherwise the y axis points up
    int Escapement;
    TRect Within;  // where all the ink is
  };
  const Case Cases[] = {
      // Outline fonts turn with the coordinate system's handedness: 270 degrees
      // under a y-up mapping read upwards, the letters' tops to the left.
      {"compatible, y up", GM_COMPATIBLE, false, 2700, Rect(28, 20, 52, 68)},
      // Everything in logical space, then through the mapping: mirrored.
      {"advanced, y up", GM_ADVANCED, false, 2700, Rect(6, 20, 30, 68)},
      // Text is written left to right, however x runs.
      {"compatible, x to the left", GM_COMPATIBLE, true, 0, Rect(47, 28, 90, 52)},
      {"advanced, x to the left", GM_ADVANCED, true, 0, Rect(6, 28, 50, 52)},
  };
  for (const auto& C : Cases) {
    std::vector<uint8_t> Emf = TurnedTextEmf(C.GraphicsMode, C.FlipX, C.Escapement);
    QImage Img = WhiteImage(96, 96);
    {
      TQtPainterDC Dc(&Img, 96, 96);
      PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
    }
    TRect Ink = Inked(Img);
    EXPECT_GE(Ink.Left, C.Within.Left) << C.What;
    EXPECT_GE(Ink.Top, C.Within.Top) << C.What;
    EXPECT_LE(Ink.Right, C.Within.Right) << C.What;
    EXPECT_LE(Ink.Bottom, C.Within.Bottom) << C.What;
    // The reference point is at (29, 67), or (48, 29): the text runs 30 pixels and more from it.
    int Run = C.Escapement ? 67 - Ink.Top : C.GraphicsMode == GM_ADVANCED ? 48 - Ink.Left : Ink.Right - 48;
    EXPECT_GE(Run, 30) << C.What;
  }
}

TEST(EmfPlayerTest, TextWithoutAdvancesIsPlacedAtDeviceResolution) {
  REQUIRE_METRIC_FONTS();
  // Each "I" is 3.61 logical units wide: 11.3 device pixels at 300 ppi.
  std::vector<uint8_t> Emf = PlainTextEmf();
  QImage Img = WhiteImage(300, 100);
  {
    TQtPainterDC Dc(&Img, 300, 300);
    PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 300, 300));
  }
  // Where each stem starts, across the middle of the capitals.
  std::vector<int> Stems;
  bool Ink = false;
  for (int X = 0; X < Img.width(); ++X) {
    bool Now = qRed(Img.pixel(X, 40)) < 128;
    if (Now && !Ink) Stems.push_back(X);
    Ink = Now;
  }
  ASSERT_EQ(Stems.size(), 8u);
  for (size_t I = 1; I < Stems.size(); ++I) EXPECT_NEAR(Stems[I] - Stems[I - 1], 11.3, 0.8) << I;
}

TEST(EmfPlayerTest, PathRecordsGoOnWithTheOpenFigure) {
  // Drawing programs write a curved outline as one MoveToEx and a POLYBEZIERTO16
  // per segment, closed by CLOSEFIGURE: one figure, not a figure per record.
  auto Pt = [](int X, int Y) { return uint32_t(uint16_t(X)) | uint32_t(uint16_t(Y)) << 16; };
  auto Bezier = [&](TEmfBuilder& E, std::array<int, 6> P) {
    E.Rec(88, {0, 0, 0, 0, 3, Pt(P[0], P[1]), Pt(P[2], P[3]), Pt(P[4], P[5])});  // POLYBEZIERTO16
  };
  TEmfBuilder E(2540, 2540);
  E.Rec(39, {1, 0, 0, 0});  // black brush
  E.Rec(37, {1});
  E.Rec(59, {});            // BEGINPATH
  E.Rec(27, {55, 30});      // MOVETOEX: a circle of radius 25 round (30, 30)
  Bezier(E, {55, 44, 44, 55, 30, 55});
  Bezier(E, {16, 55, 5, 44, 5, 30});
  Bezier(E, {5, 16, 16, 5, 30, 5});
  Bezier(E, {44, 5, 55, 16, 55, 30});
  E.Rec(61, {});                                  // CLOSEFIGURE
  E.Rec(60, {});                                  // ENDPATH
  E.Rec(62, {0, 0, uint32_t(-1), uint32_t(-1)});  // FILLPATH
  // A triangle's outline: its last side comes from CLOSEFIGURE alone.
  E.Rec(59, {});
  E.Rec(27, {60, 5});
  E.Rec(89, {0, 0, 0, 0, 2, Pt(94, 5), Pt(60, 90)});  // POLYLINETO16
  E.Rec(61, {});
  E.Rec(60, {});
  E.Rec(64, {0, 0, uint32_t(-1), uint32_t(-1)});  // STROKEPATH
  std::vector<uint8_t> Emf = E.Done();
  QImage Img = WhiteImage(96, 96);
  TEmfPlayResult Res;
  {
    TQtPainterDC Dc(&Img, 96, 96);
    Res = PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  }
  EXPECT_EQ(Res.Failed, 0);
  EXPECT_EQ(Img.pixel(30, 30), qRgb(0, 0, 0));  // the middle of the disc is filled
  EXPECT_EQ(Img.pixel(30, 50), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(8, 8), qRgb(255, 255, 255));
  EXPECT_GT(CountColour(Img, qRgb(0, 0, 0), QRect(59, 40, 3, 10)), 5);  // the side from (60, 90) back up
  EXPECT_EQ(Img.pixel(70, 20), qRgb(255, 255, 255));                    // an outline, not filled

  TCallLogDC Log;
  PlayEnhMetaFile(Log, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  EXPECT_EQ(Log.Calls("PolylineTo").back(), "PolylineTo(94,5;60,90)");
  EXPECT_EQ(Log.Calls("CloseFigure").size(), 2u);
}

TEST(EmfPlayerTest, PatternBrushesRepeatFromTheDeviceOrigin) {
  TMetafile Foreign;
  Foreign.SetData(PatternBrushEmf());
  // Played straight, and recorded into another page first (as a report page
  // holding the picture is), then played.
  TMetafile Page;
  Page.SetWidth(96);
  Page.SetHeight(96);
  {
    TMetafileCanvas C(Page);
    C.StretchDraw(Rect(0, 0, 96, 96), Foreign);
  }
  for (TMetafile* M : {&Foreign, &Page}) {
    QImage Img = StretchedInto(96, 96, Rect(0, 0, 96, 96), *M);
    const char* What = M == &Foreign ? "played" : "recorded";
    EXPECT_EQ(Img.pixel(10, 10), qRgb(0, 0, 255)) << What;
    EXPECT_EQ(Img.pixel(11, 10), qRgb(255, 0, 0)) << What;
    EXPECT_EQ(Img.pixel(10, 11), qRgb(255, 0, 0)) << What;
    EXPECT_EQ(Img.pixel(11, 11), qRgb(0, 0, 255)) << What;
    EXPECT_EQ(Img.pixel(50, 10), qRgb(0, 255, 0)) << What;    // x mod 8 below 4: the text colour
    EXPECT_EQ(Img.pixel(51, 30), qRgb(0, 255, 0)) << What;
    EXPECT_EQ(Img.pixel(54, 10), qRgb(255, 255, 0)) << What;  // the background colour
    EXPECT_EQ(Img.pixel(57, 30), qRgb(0, 255, 0)) << What;
    EXPECT_EQ(Img.pixel(60, 30), qRgb(255, 255, 0)) << What;
    EXPECT_EQ(Img.pixel(45, 10), qRgb(255, 255, 255)) << What;
  }
}

TEST(EmfPlayerTest, AClipPathFarBeyondThePictureClipsOnlyWhatIsNear) {
  // A clip path a hundred million units across, with a square hole: made into a
  // region scan line by scan line it would take seconds and gigabytes.
  const uint32_t Far = 100000000;
  TEmfBuilder E(2540, 2540);
  E.Rec(59, {});  // BEGINPATH
  E.Rec(27, {0, 0});
  E.Rec(54, {Far, 0});
  E.Rec(54, {0, Far});
  E.Rec(61, {});  // CLOSEFIGURE
  E.Rec(27, {20, 20});
  E.Rec(54, {40, 20});
  E.Rec(54, {40, 40});
  E.Rec(54, {20, 40});
  E.Rec(61, {});
  E.Rec(60, {});      // ENDPATH
  E.Rec(67, {5});     // SELECTCLIPPATH RGN_COPY (ALTERNATE: the square is a hole)
  E.Rec(39, {1, 0, 0, 0});
  E.Rec(37, {1});
  E.Rec(37, {Stock | 8});
  E.Rec(43, {0, 0, 97, 97});
  std::vector<uint8_t> Emf = E.Done();
  QImage Img = WhiteImage(96, 96);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    PlayEnhMetaFile(Dc, Emf.data(), Emf.size(), Rect(0, 0, 96, 96));
  }
  EXPECT_EQ(Img.pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(90, 90), qRgb(0, 0, 0));
  EXPECT_EQ(Img.pixel(30, 30), qRgb(255, 255, 255));
}
