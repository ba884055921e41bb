#include "platform/graphics/Picture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "platform/graphics/GraphicsConsts.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/RasterImage.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/graphics/PictureFixtures.h"

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

  std::vector<uint8_t> Unknown = {'P', '5', '\n', '2', ' ', '2', 0, 0};
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
  // GIF and PNG come with the readers of this Qt.
  EXPECT_EQ(GraphicClasses::FindByClassName("TGIFImage") != nullptr, RasterFormatReadable("GIF"));
  EXPECT_EQ(GraphicClasses::FindByExtension("png") != nullptr, RasterFormatReadable("PNG"));
  TPicture P;
  int Changes = 0;
  P.OnChange = [&](TPicture*) { ++Changes; };
  P.Bitmap().SetSize(3, 3);
  EXPECT_EQ(Changes, 1);
  TPicture Copy = P;
  EXPECT_EQ(Copy.Width(), 3);
  EXPECT_NE(Copy.Graphic(), P.Graphic());
}

TEST(PictureTest, RasterPicturesKeepTheirBytesAndPixels) {
  struct Case {
    std::string Data;
    const char* Class;
    const char* Format;
  };
  for (const Case& C : {Case{picturefixtures::Png(), "TPngImage", "PNG"}, Case{picturefixtures::Gif(), "TGIFImage", "GIF"}}) {
    if (!RasterFormatReadable(C.Format)) continue;  // this Qt has no reader: the class is not registered
    auto P = Load(std::vector<uint8_t>(C.Data.begin(), C.Data.end()));
    ASSERT_NE(P->Graphic(), nullptr) << C.Class;
    EXPECT_STREQ(P->Graphic()->ClassName(), C.Class);
    const TBitmap& Px = static_cast<TRasterImage*>(P->Graphic())->Image();
    ASSERT_EQ(Px.Width(), 2);
    ASSERT_EQ(Px.Height(), 2);
    EXPECT_EQ(Px.ScanLine(0)[0], 0xFFFF0000u) << C.Class;
    EXPECT_EQ(Px.ScanLine(0)[1], 0xFF00FF00u) << C.Class;
    EXPECT_EQ(Px.ScanLine(1)[0], 0xFF0000FFu) << C.Class;
    EXPECT_EQ(Px.ScanLine(1)[1], 0xFFFFFFFFu) << C.Class;
    std::vector<uint8_t> Saved = Bytes(*P->Graphic());
    EXPECT_EQ(std::string(Saved.begin(), Saved.end()), C.Data);  // saved back unchanged

    // Cut short, a bad checksum or code stream, a header claiming a huge picture: refused.
    std::string Cut = C.Data.substr(0, C.Data.size() / 2);
    std::string Huge = C.Data;
    if (Huge[1] == 'P') Huge[16] = 0x7F;  // IHDR width
    else Huge[7] = Huge[9] = 0x7F;        // logical screen
    for (const std::string& Bad : {Cut, Huge}) {
      TPngImage Png;
      TGIFImage Gif;
      TGraphic& G = C.Data[1] == 'P' ? static_cast<TGraphic&>(Png) : Gif;
      TMemoryStream S;
      S.WriteBuffer(Bad.data(), static_cast<int64_t>(Bad.size()));
      S.SetPosition(0);
      EXPECT_THROW(G.LoadFromStream(S), EInvalidGraphic) << C.Class;
    }
  }
}
