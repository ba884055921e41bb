#include "platform/graphics/QtPainterDC.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "FontTestUtil.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/FontEngine.h"

namespace {
// A white image with a canvas drawing on it at 96 pixels per inch.
struct TImageCanvas {
  QImage Img;
  TQtPainterDC Dc;
  TCanvas Canvas;
  TImageCanvas(int W, int H) : Img(Init(W, H)), Dc(&Img, 96, 96), Canvas(&Dc) {}
  static QImage Init(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(Qt::white);
    return I;
  }
  bool Black(int X, int Y) const { return Img.pixel(X, Y) == qRgb(0, 0, 0); }
  // Bounding box of the non-white pixels, right/bottom excluded.
  TRect Inked() const {
    TRect R{Img.width(), Img.height(), 0, 0};
    for (int Y = 0; Y < Img.height(); ++Y)
      for (int X = 0; X < Img.width(); ++X)
        if (Img.pixel(X, Y) != qRgb(255, 255, 255)) {
          R.Left = std::min(R.Left, X);
          R.Top = std::min(R.Top, Y);
          R.Right = std::max(R.Right, X + 1);
          R.Bottom = std::max(R.Bottom, Y + 1);
        }
    return R;
  }
};
}  // namespace

TEST(QtPainterDCTest, RectanglesExcludeRightAndBottomEdges) {
  struct Case {
    const char* What;
    TPenStyle Pen;
    TBrushStyle Brush;
    TRect Expect;
  };
  const Case Cases[] = {
      {"framed", psSolid, bsSolid, Rect(10, 10, 20, 15)},
      {"hollow", psSolid, bsClear, Rect(10, 10, 20, 15)},
      {"pen-less", psClear, bsSolid, Rect(10, 10, 19, 14)},
  };
  for (const auto& C : Cases) {
    TImageCanvas T(40, 40);
    T.Canvas.Pen().SetStyle(C.Pen);
    T.Canvas.Brush().SetStyle(C.Brush);
    T.Canvas.Brush().SetColor(clBlack);
    T.Canvas.Brush().SetStyle(C.Brush);
    T.Canvas.Rectangle(10, 10, 20, 15);
    T.Dc.End();
    EXPECT_EQ(T.Inked(), C.Expect) << C.What;
  }
  TImageCanvas F(40, 40);
  F.Canvas.Brush().SetColor(clBlack);
  F.Canvas.FillRect(Rect(3, 4, 8, 6));
  F.Canvas.Brush().SetColor(clRed);
  F.Canvas.FrameRect(Rect(20, 20, 30, 25));
  F.Dc.End();
  EXPECT_TRUE(F.Black(3, 4) && F.Black(7, 5));
  EXPECT_FALSE(F.Black(8, 5) || F.Black(7, 6));
  EXPECT_EQ(F.Img.pixel(29, 24), qRgb(255, 0, 0));
  EXPECT_EQ(F.Img.pixel(30, 24), qRgb(255, 255, 255));
  EXPECT_EQ(F.Img.pixel(25, 22), qRgb(255, 255, 255));
}

TEST(QtPainterDCTest, LineToLeavesItsEndPointOut) {
  TImageCanvas T(40, 40);
  T.Canvas.MoveTo(5, 5);
  T.Canvas.LineTo(15, 5);   // horizontal
  T.Canvas.LineTo(15, 12);  // vertical, starts where the last one stopped short
  T.Canvas.MoveTo(20, 20);
  T.Canvas.LineTo(30, 30);  // diagonal
  T.Dc.End();
  EXPECT_TRUE(T.Black(5, 5) && T.Black(14, 5));
  EXPECT_TRUE(T.Black(15, 5) && T.Black(15, 11));
  EXPECT_FALSE(T.Black(15, 12));
  EXPECT_TRUE(T.Black(20, 20) && T.Black(29, 29));
  EXPECT_FALSE(T.Black(30, 30));
  EXPECT_EQ(T.Canvas.PenPos(), Point(30, 30));
}

TEST(QtPainterDCTest, LinesRunningLeftOrUpKeepTheirStartAndLeaveTheirEndOut) {
  TImageCanvas T(40, 40);
  T.Canvas.MoveTo(15, 2);
  T.Canvas.LineTo(5, 2);  // leftwards
  T.Canvas.MoveTo(2, 15);
  T.Canvas.LineTo(2, 5);  // upwards
  T.Canvas.MoveTo(30, 30);
  T.Canvas.LineTo(20, 20);  // up-left diagonal
  T.Dc.End();
  EXPECT_TRUE(T.Black(15, 2) && T.Black(6, 2));
  EXPECT_FALSE(T.Black(5, 2));
  EXPECT_TRUE(T.Black(2, 15) && T.Black(2, 6));
  EXPECT_FALSE(T.Black(2, 5));
  EXPECT_TRUE(T.Black(30, 30) && T.Black(21, 21));
  EXPECT_FALSE(T.Black(20, 20));
}

TEST(QtPainterDCTest, ClipRectLimitsDrawingAndRestoreDropsIt) {
  TImageCanvas T(40, 40);
  T.Canvas.Brush().SetColor(clBlack);
  {
    auto Saved = SaveDCScope(T.Canvas);
    T.Canvas.IntersectClipRect(Rect(5, 5, 10, 10));
    T.Canvas.FillRect(Rect(0, 0, 40, 40));
  }
  T.Canvas.FillRect(Rect(30, 30, 32, 32));
  T.Dc.End();
  EXPECT_TRUE(T.Black(5, 5) && T.Black(9, 9) && T.Black(31, 31));
  EXPECT_FALSE(T.Black(10, 10) || T.Black(4, 5));
}

TEST(QtPainterDCTest, FontSizeIsTakenInPixelsOfTheDevice) {
  // The image claims 45 dots per inch; the text must not care.
  TImageCanvas A(200, 60), B(200, 60);
  B.Img.setDotsPerMeterX(1772);
  B.Img.setDotsPerMeterY(1772);
  for (TImageCanvas* T : {&A, &B}) {
    T->Canvas.Font().SetName("Arial");
    T->Canvas.Font().SetSize(12);
    T->Canvas.Brush().SetStyle(bsClear);
    T->Canvas.TextOut(2, 2, "Hello World");
    T->Dc.End();
  }
  EXPECT_EQ(A.Inked(), B.Inked());
  EXPECT_EQ(A.Img, B.Img);
  TRect Ink = A.Inked();
  // 12 points at 96 ppi is a 16 pixel em: capitals about 11 pixels high.
  EXPECT_NEAR(Ink.Height(), 15, 3);
}

TEST(QtPainterDCTest, TextAlignmentPlacesTheReferencePoint) {
  struct Case {
    uint32_t Align;
    int Edge;  // which inked edge meets x = 100: 0 left, 1 right, 2 centre
    int VEdge;  // 0 top at y=40 (within the internal leading), 1 baseline, 2 bottom
  };
  const Case Cases[] = {{TA_LEFT | TA_TOP, 0, 0}, {TA_RIGHT | TA_BASELINE, 1, 1}, {TA_CENTER | TA_BOTTOM, 2, 2}};
  for (const auto& C : Cases) {
    TImageCanvas T(200, 100);
    T.Canvas.Font().SetName("Courier New");
    T.Canvas.Font().SetHeight(-20);
    T.Canvas.Brush().SetStyle(bsClear);
    T.Canvas.SetTextAlign(C.Align);
    int W = T.Canvas.TextWidth("HHHH");
    TTextMetric M = T.Canvas.TextMetrics();
    T.Canvas.TextOut(100, 40, "HHHH");
    T.Dc.End();
    TRect Ink = T.Inked();
    int Left = C.Edge == 0 ? 100 : C.Edge == 1 ? 100 - W : 100 - W / 2;
    EXPECT_NEAR(Ink.Left, Left, 3) << C.Align;
    EXPECT_LE(Ink.Right, Left + W + 1) << C.Align;
    int Baseline = C.VEdge == 0 ? 40 + M.Ascent : C.VEdge == 1 ? 40 : 40 - M.Descent;
    EXPECT_NEAR(Ink.Bottom, Baseline, 1) << C.Align;  // "H" sits on the baseline
  }
}

TEST(QtPainterDCTest, WindowsFaceNamesMapToMetricCompatibleFonts) {
  REQUIRE_METRIC_FONTS();
  EXPECT_EQ(FontEngine::MapFaceName("Arial"), "Liberation Sans");
  EXPECT_EQ(FontEngine::MapFaceName("times new roman"), "Liberation Serif");
  EXPECT_EQ(FontEngine::MapFaceName("Courier New"), "Liberation Mono");
  TLogFont F;
  F.FaceName = "Arial";
  F.Height = -100;
  TTextMetric M = FontEngine::Metrics(F);
  // Arial's own metrics: ascent 0.905 em, descent 0.212 em.
  EXPECT_EQ(M.Ascent, 91);
  EXPECT_EQ(M.Descent, 21);
  EXPECT_EQ(M.InternalLeading, 12);
  F.Height = M.Height;  // a cell height gives back the same em
  EXPECT_NEAR(FontEngine::EmHeight(F), 100, 0.5);
  F.FaceName = "Courier New";
  F.Height = -10;
  std::vector<int> A = FontEngine::IntAdvances(F, u"iiiiiiiiii", 0, 0);
  int Sum = 0;
  for (int V : A) Sum += V;
  EXPECT_EQ(Sum, 60);  // 0.6 em per character
  std::vector<int> J = FontEngine::IntAdvances(F, u"a b c", 7, 2);
  EXPECT_EQ(J[1] - A[1], 4);
  EXPECT_EQ(J[3] - A[3], 3);
}

TEST(QtPainterDCTest, AFaceStoodInForIsToldOnce) {
  EXPECT_FALSE(FontEngine::FaceInstalled("Nenhuma Fonte Assim"));
  testing::internal::CaptureStderr();
  TImageCanvas T(200, 60);
  T.Canvas.Font().SetName("Nenhuma Fonte Assim");
  T.Canvas.TextOut(2, 2, "um");
  T.Canvas.Font().SetSize(20);
  T.Canvas.TextOut(2, 20, "dois");
  T.Dc.End();
  std::string Err = testing::internal::GetCapturedStderr();
  size_t First = Err.find("\"Nenhuma Fonte Assim\" is not installed");
  EXPECT_NE(First, std::string::npos) << Err;
  EXPECT_EQ(Err.find("Nenhuma Fonte Assim", First + 2), std::string::npos) << Err;
}

TEST(QtPainterDCTest, EscapementTurnsTextCounterClockwise) {
  TImageCanvas T(200, 200);
  T.Canvas.Font().SetName("Arial");
  T.Canvas.Font().SetHeight(-20);
  T.Canvas.Font().SetOrientation(900);
  T.Canvas.Brush().SetStyle(bsClear);
  int W = T.Canvas.TextWidth("HHHHHH");
  T.Canvas.TextOut(50, 150, "HHHHHH");
  T.Dc.End();
  TRect Ink = T.Inked();
  // The line runs upwards from the reference point; its top faces left.
  EXPECT_GT(Ink.Height(), 2 * Ink.Width());
  EXPECT_GE(Ink.Left, 50);
  EXPECT_LE(Ink.Right, 50 + 24);
  EXPECT_LE(Ink.Bottom, 151);
  EXPECT_NEAR(Ink.Top, 150 - W, 3);
}

TEST(QtPainterDCTest, PieGoesCounterClockwiseFromStartToEnd) {
  TImageCanvas T(60, 60);
  T.Canvas.Brush().SetColor(clBlack);
  T.Canvas.Pie(10, 10, 50, 50, 50, 30, 30, 10);  // from 3 o'clock to 12 o'clock
  T.Dc.End();
  EXPECT_TRUE(T.Black(40, 20));
  EXPECT_FALSE(T.Black(20, 20) || T.Black(20, 40) || T.Black(40, 40));
}

TEST(QtPainterDCTest, JustificationAndOpaqueBackground) {
  TImageCanvas T(300, 60);
  TCanvas& C = T.Canvas;
  C.Font().SetName("Courier New");
  C.Font().SetHeight(-10);
  C.Brush().SetColor(clYellow);
  int Plain = C.TextWidth("a b c");
  C.SetTextJustification(21, 2);
  EXPECT_EQ(C.TextWidth("a b c"), Plain + 21);
  C.TextOut(10, 10, "a b c");
  C.SetTextJustification(0, 0);
  T.Dc.End();
  TTextMetric M = C.TextMetrics();
  // The opaque cell covers the justified width and the font's height.
  EXPECT_EQ(T.Img.pixel(10, 10), qRgb(255, 255, 0));
  EXPECT_EQ(T.Img.pixel(10 + Plain + 20, 10 + M.Height - 1), qRgb(255, 255, 0));
  EXPECT_EQ(T.Img.pixel(10 + Plain + 21, 10), qRgb(255, 255, 255));
  EXPECT_EQ(T.Img.pixel(10, 10 + M.Height), qRgb(255, 255, 255));
}

TEST(QtPainterDCTest, PenWidthsScaleWithThePageButHairlinesDoNot) {
  // A page at 96 ppi played six times larger, as onto a 600 ppi printer.
  for (int Width : {0, 1}) {
    QImage Img = TImageCanvas::Init(120, 60);
    TQtPainterDC Dc(&Img, 600, 600);
    Dc.SetWorldTransform(TXForm{6, 0, 0, 6, 0, 0});
    Dc.SelectPen(TLogPen{PS_SOLID, Width, 0});
    Dc.MoveTo(1, 5);
    Dc.LineTo(15, 5);
    Dc.End();
    int Rows = 0;
    for (int Y = 0; Y < 60; ++Y) Rows += Img.pixel(40, Y) == qRgb(0, 0, 0);
    EXPECT_EQ(Rows, Width == 0 ? 1 : 6) << Width;
  }
}

TEST(QtPainterDCTest, SrcAndKeepsWhatWhitePixelsCover) {
  const uint32_t Pixels[] = {0xFF000000u, 0xFFFFFFFFu};  // black, white
  TDibView Dib{2, 1, Pixels};
  TImageCanvas T(40, 20);
  T.Canvas.Brush().SetColor(clRed);
  T.Canvas.FillRect(Rect(0, 0, 40, 20));
  T.Canvas.SetCopyMode(cmSrcAnd);
  T.Canvas.StretchDIB(Rect(0, 0, 40, 20), Rect(0, 0, 2, 1), Dib);
  T.Canvas.SetCopyMode(cmSrcCopy);
  T.Canvas.StretchDIB(Rect(0, 15, 40, 20), Rect(0, 0, 2, 1), Dib);
  T.Dc.End();
  EXPECT_EQ(T.Img.pixel(5, 5), qRgb(0, 0, 0));
  EXPECT_EQ(T.Img.pixel(35, 5), qRgb(255, 0, 0));
  EXPECT_EQ(T.Img.pixel(35, 17), qRgb(255, 255, 255));
}

// A damaged file's clip path may reach 1e34 pixels off the page, where cutting curves to the page
// in floats leaves spikes of 1e27 pixels and the region would take gigabytes: it is cut to the
// page's neighbourhood in time and memory, and what lies on the page still clips.
TEST(QtPainterDCTest, AClipPathReachingFarOffThePageStillClipsOnIt) {
  auto Clipped = [](int Rule, const TXForm& World, auto Figure) {
    auto T = std::make_unique<TImageCanvas>(48, 48);
    T->Dc.SetPolyFillMode(Rule);
    T->Dc.SetWorldTransform(World);
    T->Dc.BeginPath();
    Figure(T->Dc);
    T->Dc.CloseFigure();
    T->Dc.EndPath();
    T->Dc.SelectClipPath(RGN_COPY);
    T->Dc.SetWorldTransform(TXForm{});
    T->Dc.FillRect(Rect(0, 0, 48, 48), TLogBrush{BS_SOLID, 0, 0, nullptr});
    T->Dc.End();
    return T;
  };
  for (int Rule : {ALTERNATE, WINDING}) {
    // A band from row 40 up to 2e34 pixels above the page (logical y 0 is device row 40).
    auto T = Clipped(Rule, TXForm{1, 0, 0, 1e25, 0, 40}, [](TDeviceContext& Dc) {
      Dc.MoveTo(10, 0);
      Dc.PolylineTo({{30, 0}, {30, -2000000000}, {10, -2000000000}});
    });
    EXPECT_TRUE(T->Black(10, 0) && T->Black(29, 39) && T->Black(20, 20)) << Rule;
    EXPECT_FALSE(T->Black(9, 20) || T->Black(30, 20) || T->Black(20, 40)) << Rule;
    // What the fuzzer found: an ellipse squashed to a sliver 1e34 pixels high.
    T = Clipped(Rule, TXForm{0.01, 0, 0, 1e28, 0, 0}, [](TDeviceContext& Dc) {
      Dc.MoveTo(4093, -2622297);
      Dc.PolyBezierTo({{4093, -2622297}, {3348, -2138452}, {2429, -1542297}, {1511, -946143}, {766, -462950},
                       {766, -462950}, {766, -462950}, {1511, -946143}, {2429, -1542297}, {3348, -2138452},
                       {4093, -2622297}, {-3633, 2392455}});
    });
    int Inked = 0;
    for (int Y = 0; Y < 48; ++Y)
      for (int X = 0; X < 48; ++X) Inked += T->Black(X, Y);
    EXPECT_LE(Inked, 2 * 48) << Rule;  // a sliver at most
  }
}

// Glyphs squeezed a thousandfold (a damaged transform) make the rasteriser read a glyph image it
// never made: such text is left out, as any squeezed beyond a hundredfold.
TEST(QtPainterDCTest, TextSqueezedAThousandfoldIsLeftOut) {
  for (int Escapement : {0, 900}) {
    TImageCanvas T(48, 48);
    TLogFont F;
    F.FaceName = "Times New Roman";
    F.Height = -11;
    F.Escapement = F.Orientation = Escapement;
    T.Dc.SelectFont(F);
    T.Dc.SetWorldTransform(TXForm{0.12, 0, 0, 150, 24, 24});
    T.Dc.ExtTextOut(0, 0, 0, nullptr, u"Relat\u00f3rio Mensal", nullptr);
    T.Dc.End();
    EXPECT_EQ(T.Inked().Right, 0) << Escapement;
  }
}
