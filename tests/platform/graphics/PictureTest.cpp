#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"

namespace {
// Left half red, right half blue, a black dot at (1, 1).
TBitmap Sample(int W = 16, int H = 8) {
  TBitmap B(W, H);
  B.Canvas().Brush().SetColor(clRed);
  B.Canvas().FillRect(Rect(0, 0, W / 2, H));
  B.Canvas().Brush().SetColor(clBlue);
  B.Canvas().FillRect(Rect(W / 2, 0, W, H));
  B.Canvas().SetPixels(1, 1, clBlack);
  return B;
}

std::vector<uint8_t> Bytes(const TGraphic& G) {
  TMemoryStream S;
  G.SaveToStream(S);
  return S.Bytes();
}

std::unique_ptr<TPicture> Load(const std::vector<uint8_t>& B) {
  auto P = std::make_unique<TPicture>();
  TBytesStream S(B.data(), static_cast<int64_t>(B.size()));
  P->LoadFromStream(S);
  return P;
}
}  // namespace

TEST(BitmapTest, CanvasDrawsIntoThePixelsAndBmpRoundTrips) {
  TBitmap B = Sample();
  EXPECT_EQ(B.ScanLine(0)[0], 0xFFFF0000u);
  EXPECT_EQ(B.ScanLine(7)[15], 0xFF0000FFu);
  EXPECT_EQ(B.ScanLine(1)[1] & 0xFFFFFF, 0u);
  EXPECT_EQ(B.Canvas().Pixels(12, 3), 0xFF0000u);  // TColor order: blue in the high byte
  auto P = Load(Bytes(B));
  auto* Back = dynamic_cast<TBitmap*>(P->Graphic());
  ASSERT_NE(Back, nullptr);
  ASSERT_EQ(Back->Width(), 16);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 16; ++X) ASSERT_EQ(Back->ScanLine(Y)[X] & 0xFFFFFF, B.ScanLine(Y)[X] & 0xFFFFFF);
  B.SetSize(20, 8);  // keeps what fits, fills the rest white
  EXPECT_EQ(B.ScanLine(0)[0], 0xFFFF0000u);
  EXPECT_EQ(B.ScanLine(0)[19], 0xFFFFFFFFu);
  B.SetMonochrome(true);
  EXPECT_TRUE(B.Monochrome());
  EXPECT_EQ(B.PixelFormat(), pf1bit);
  auto M = Load(Bytes(B));
  auto* Mono = dynamic_cast<TBitmap*>(M->Graphic());
  ASSERT_NE(Mono, nullptr);
  EXPECT_TRUE(Mono->Monochrome());
  EXPECT_EQ(Mono->ScanLine(0)[19], 0xFFFFFFFFu);
  EXPECT_EQ(Mono->ScanLine(1)[1], 0xFF000000u);
  EXPECT_THROW(B.ScanLine(8), EInvalidGraphicOperation);
}

TEST(PictureTest, RecognisesGraphicsByTheirFirstBytes) {
  TBitmap Bmp = Sample();
  TJPEGImage Jpg;
  Jpg.CompressFrom(Bmp, 95);
  TMetafile Emf;
  {
    TMetafileCanvas C(Emf);
    C.Rectangle(0, 0, 10, 10);
  }
  QImage IconImg(16, 16, QImage::Format_ARGB32);
  IconImg.fill(qRgba(0, 128, 0, 255));
  QByteArray Ico;
  QBuffer Buf(&Ico);
  Buf.open(QIODevice::WriteOnly);
  ASSERT_TRUE(IconImg.save(&Buf, "ICO"));
  struct Case {
    std::vector<uint8_t> Data;
    const char* Class;
    int W;
  };
  const Case Cases[] = {
      {Bytes(Bmp), "TBitmap", 16},
      {Bytes(Jpg), "TJPEGImage", 16},
      {Emf.Data(), "TMetafile", 10},
      {std::vector<uint8_t>(Ico.begin(), Ico.end()), "TIcon", 16},
  };
  for (const auto& C : Cases) {
    auto P = Load(C.Data);
    ASSERT_NE(P->Graphic(), nullptr);
    EXPECT_STREQ(P->Graphic()->ClassName(), C.Class);
    EXPECT_EQ(P->Width(), C.W) << C.Class;
  }
  auto J = Load(Bytes(Jpg));
  const TBitmap& Decoded = static_cast<TJPEGImage*>(J->Graphic())->Bitmap();
  EXPECT_NEAR(int((Decoded.ScanLine(4)[2] >> 16) & 0xFF), 255, 24);  // still red
  EXPECT_NEAR(int(Decoded.ScanLine(4)[13] & 0xFF), 255, 24);          // still blue

  std::vector<uint8_t> Unknown = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  try {
    Load(Unknown);
    ADD_FAILURE();
  } catch (const EInvalidGraphic& E) {
    EXPECT_EQ(E.Message(), SUnknownPictureFormat);
  }
  std::vector<uint8_t> Cut = Bytes(Bmp);
  Cut.resize(60);
  EXPECT_THROW(Load(Cut), EInvalidGraphic);
  std::vector<uint8_t> NotJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0};
  EXPECT_THROW(Load(NotJpeg), EInvalidGraphic);
}

TEST(PictureTest, RegistryFindsClassesByNameAndExtension) {
  ASSERT_NE(GraphicClasses::FindByClassName("tjpegimage"), nullptr);
  EXPECT_EQ(GraphicClasses::FindByExtension(".JPG")->ClassName, "TJPEGImage");
  EXPECT_EQ(GraphicClasses::FindByExtension("emf")->ClassName, "TMetafile");
  EXPECT_EQ(GraphicClasses::FindByClassName("TGIFImage"), nullptr);
  TPicture P;
  int Changes = 0;
  P.OnChange = [&](TPicture*) { ++Changes; };
  P.Bitmap().SetSize(3, 3);
  EXPECT_EQ(Changes, 1);
  TPicture Copy = P;
  EXPECT_EQ(Copy.Width(), 3);
  EXPECT_NE(Copy.Graphic(), P.Graphic());
}
