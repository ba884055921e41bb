#include "platform/graphics/EmfPlayer.h"

#include <gtest/gtest.h>

#include "EmfTestUtil.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr uint32_t Stock = 0x80000000;

// A file as another program writes it: an anisotropic mapping of 1000 logical
// units onto 96 pixels, an ANSI text record and a bottom-up 2 x 2 DIB.
std::vector<uint8_t> ForeignEmf() {
  TEmfBuilder E(2540, 2540);  // one inch: 96 reference pixels
  E.Rec(70, {4, 0x12345678});                  // GDICOMMENT, skipped
  E.Rec(17, {8});                              // SETMAPMODE MM_ANISOTROPIC
  E.Rec(9, {1000, 1000});                      // SETWINDOWEXTEX
  E.Rec(11, {96, 96});                         // SETVIEWPORTEXTEX
  E.Rec(39, {1, 0, 0x000000, 0});              // CREATEBRUSHINDIRECT #1 solid black
  E.Rec(37, {1});                              // SELECTOBJECT #1
  E.Rec(37, {Stock | 8});                      // SELECTOBJECT NULL_PEN
  E.Rec(43, {0, 0, 251, 251});                 // RECTANGLE: pixels (0,0)-(24,24), pen-less so 0..22
  E.Rec(250, {1, 2, 3});                       // a record type nobody knows
  // STRETCHDIBITS into logical (500,0)-(1000,500): pixels (48,0)-(96,48).
  size_t At = E.Start(81);
  for (uint32_t V : {0u, 0u, 0u, 0u, 500u, 0u, 0u, 0u, 2u, 2u, 80u, 40u, 120u, 16u, 0u, 0x00CC0020u, 500u, 500u})
    E.U32(V);
  for (uint32_t V : {40u, 2u, 2u}) E.U32(V);  // BITMAPINFOHEADER: size, width, height (bottom-up)
  E.U16(1);
  E.U16(24);
  for (uint32_t V : {0u, 16u, 0u, 0u, 0u, 0u}) E.U32(V);
  // Bottom row first: red, green; then the top row: blue, white. Rows padded to 4 bytes.
  for (uint8_t Byte : {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}) E.Bytes().push_back(Byte);
  E.Finish(At);
  // EXTCREATEFONTINDIRECTW #2: Arial, height -200 logical (19 pixels).
  At = E.Start(82);
  for (uint32_t V : {2u, uint32_t(-200), 0u, 0u, 0u, 400u, 0u}) E.U32(V);
  for (char C : std::string("Arial")) E.U16(uint16_t(C));
  for (int I = 5; I < 32; ++I) E.U16(0);
  E.Finish(At);
  E.Rec(37, {2});
  E.Rec(24, {0x0000FF});  // SETTEXTCOLOR red
  E.Rec(18, {1});         // SETBKMODE TRANSPARENT
  // EXTTEXTOUTA "Hi" at logical (0, 600) without advances.
  At = E.Start(83);
  for (uint32_t V : {0u, 0u, 0u, 0u, 1u, 0u, 0u, 0u, 600u, 2u, 76u, 0u, 0u, 0u, 0u, 0u, 0u}) E.U32(V);
  E.Raw("Hi");
  E.Finish(At);
  return E.Done();
}

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
  QImage Img = WhiteImage(240, 140);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    TCanvas C(&Dc);
    C.StretchDraw(Rect(20, 20, 220, 120), M);
  }
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
