#include "platform/graphics/EmfRecorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/classes/ByteReader.h"
#include <QImage>

#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/EmfRecords.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"

namespace {
void DrawSmallPage(TCanvas& C) {
  C.Font().SetName("Arial");
  C.Font().SetSize(14);
  C.Brush().SetStyle(bsClear);
  C.TextOut(20, 20, "Relatório Mensal");
  C.Pen().SetWidth(2);
  C.Brush().SetColor(clYellow);
  C.Rectangle(20, 60, 200, 120);
  C.Ellipse(220, 60, 300, 120);
  C.MoveTo(20, 140);
  C.LineTo(300, 140);
  C.Brush().SetColor(clLime);
  C.FillRect(Rect(20, 145, 60, 155));
}
}  // namespace

TEST(EmfRecorderTest, EndingTheCanvasCompletesTheHeader) {
  TMetafile M;
  M.SetWidth(794);
  M.SetHeight(1123);
  {
    TMetafileCanvas C(M);
    DrawSmallPage(C);
  }
  const auto& B = M.Data();
  TByteReader R(B.data(), B.size());
  EXPECT_EQ(R.U32(48), B.size());
  std::vector<TEmfRecordRef> Records = ParseEnhMetaFile(B.data(), B.size());
  EXPECT_EQ(R.U32(52), Records.size());
  EXPECT_EQ(Records.back().Type, static_cast<uint32_t>(TEmr::Eof));
  EXPECT_EQ(Records.back().Offset + Records.back().Size, B.size());
  // Handle count: the highest object index in use plus one.
  uint32_t MaxIndex = 0;
  for (const auto& Rec : Records)
    if (Rec.Type == static_cast<uint32_t>(TEmr::CreatePen) || Rec.Type == static_cast<uint32_t>(TEmr::CreateBrushIndirect) ||
        Rec.Type == static_cast<uint32_t>(TEmr::ExtCreateFontIndirectW))
      MaxIndex = std::max(MaxIndex, R.U32(Rec.Offset + 8));
  EXPECT_EQ(R.U16(56), MaxIndex + 1);
  // Bounds in pixels, inclusive: the rectangle's wide pen reaches 19; the text starts at 20.
  EXPECT_EQ(R.I32(8), 19);
  EXPECT_EQ(R.I32(12), 20);
  EXPECT_EQ(R.I32(16), 300);
  EXPECT_EQ(R.I32(20), 154);
  EXPECT_EQ(R.I32(32), M.MMWidth());

  TMemoryStream S;
  M.SaveToStream(S);
  S.SetPosition(0);
  TMetafile Back;
  Back.LoadFromStream(S);
  EXPECT_EQ(Back.Width(), 794);
  EXPECT_EQ(Back.Height(), 1123);
  EXPECT_EQ(Back.MMWidth(), M.MMWidth());
  EXPECT_TRUE(Back.Enhanced());
}

TEST(EmfRecorderTest, WithoutASizeTheFrameIsTheDrawing) {
  TMetafile M;
  {
    TMetafileCanvas C(M);
    C.Brush().SetColor(clBlack);
    C.FillRect(Rect(0, 0, 96, 48));
  }
  EXPECT_EQ(M.Width(), 96);
  EXPECT_EQ(M.Height(), 48);
  EXPECT_EQ(M.MMWidth(), 2540);
}

TEST(EmfRecorderTest, ObjectsAreDeletedWhenNoLongerSelected) {
  TEmfRecorderDC Dc;
  TCanvas C(&Dc);
  for (int I = 0; I < 50; ++I) {
    C.Pen().SetColor(static_cast<TColor>(I));
    C.Font().SetSize(8 + I % 5);
    C.Brush().SetColor(static_cast<TColor>(I * 3));
    C.Rectangle(0, 0, 10, 10);
    C.TextOut(0, 0, "x");
  }
  {
    auto Saved = SaveDCScope(C);
    C.Pen().SetColor(clRed);
    C.Rectangle(0, 0, 5, 5);
  }
  C.SetHandle(nullptr);
  std::vector<uint8_t> B = Dc.Finish();
  TByteReader R(B.data(), B.size());
  EXPECT_LE(R.U16(56), 6);  // a few slots reused, not 150
}

// Another program must read what we write.
TEST(EmfRecorderTest, AnIndependentReaderConvertsTheFile) {
  if (std::system("command -v emf2svg-conv >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "emf2svg-conv is not installed (Debian package emf2svg)";
  TMetafile M;
  M.SetWidth(320);
  M.SetHeight(160);
  {
    TMetafileCanvas C(M);
    DrawSmallPage(C);
  }
  std::string Base = "/tmp/mor-emf2svg-" + std::to_string(::getpid());
  M.SaveToFile(Base + ".emf");
  std::string Cmd = "emf2svg-conv -i " + Base + ".emf -o " + Base + ".svg 2>" + Base + ".err";
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  std::ifstream In(Base + ".svg");
  std::stringstream Svg;
  Svg << In.rdbuf();
  std::string S = Svg.str();
  EXPECT_NE(S.find("Relatório Mensal"), std::string::npos) << S.substr(0, 2000);
  EXPECT_NE(S.find("ellipse"), std::string::npos);
  std::string Lower = LowerCaseAscii(S);
  EXPECT_NE(Lower.find("#ffff00"), std::string::npos);  // the rectangle's yellow brush
  EXPECT_NE(Lower.find("#00ff00"), std::string::npos);  // the filled rectangle
  std::remove((Base + ".emf").c_str());
  std::remove((Base + ".svg").c_str());
  std::remove((Base + ".err").c_str());
}

TEST(EmfRecorderTest, PatternBlitsAndBitmapsPlayBack) {
  const uint32_t Pixels[] = {0xFF00FF00u, 0xFF0000FFu, 0xFFFF0000u, 0xFF000000u};  // green, blue / red, black
  TEmfRecorderDC Dc(Rect(0, 0, 1058, 529));  // 40 x 20 pixels
  Dc.SelectBrush(TLogBrush{BS_SOLID, 0x0000FF, 0, {}});
  Dc.StretchDIBits(Rect(0, 0, 20, 20), TRect{}, TDibView{}, PATCOPY);
  Dc.StretchDIBits(Rect(20, 0, 40, 20), Rect(0, 0, 2, 2), TDibView{2, 2, Pixels}, SRCCOPY);
  std::vector<uint8_t> B = Dc.Finish();
  TCallLogDC Log;
  TEmfPlayResult Res = PlayEnhMetaFile(Log, B.data(), B.size(), Rect(0, 0, 40, 20));
  EXPECT_EQ(Res.Skipped + Res.Failed, 0);
  EXPECT_EQ(Log.Calls("StretchDIBits"),
            (std::vector<std::string>{"StretchDIBits(0,0,20,20,0,0,20,20,0x0,0xF00021)",
                                      "StretchDIBits(20,0,40,20,0,0,2,2,2x2,0xCC0020)"}));
  QImage Img(40, 20, QImage::Format_RGB32);
  Img.fill(Qt::white);
  {
    TQtPainterDC Q(&Img, 96, 96);
    PlayEnhMetaFile(Q, B.data(), B.size(), Rect(0, 0, 40, 20));
  }
  EXPECT_EQ(Img.pixel(5, 5), qRgb(255, 0, 0));    // the red brush
  EXPECT_EQ(Img.pixel(22, 2), qRgb(0, 255, 0));   // the DIB's top-left
  EXPECT_EQ(Img.pixel(38, 2), qRgb(0, 0, 255));
  EXPECT_EQ(Img.pixel(22, 18), qRgb(255, 0, 0));
  EXPECT_EQ(Img.pixel(38, 18), qRgb(0, 0, 0));
}
