#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

#include <QImage>

#include "FormsTestUtil.h"
#include "platform/graphics/QtPainterDC.h"

using ImgListTest = FormsTest;

TEST_F(ImgListTest, WidePicturesAreCutIntoImagesOfTheListsSize) {
  TImageList L(nullptr);
  L.SetWidth(2);
  L.SetHeight(2);
  TPixelImage P;
  P.Width = 5;  // two whole images; the last column is dropped
  P.Height = 1;
  P.Pixels = {0xFF000001, 0xFF000002, 0xFF000003, 0xFFFFFFFF, 0xFF000005};
  EXPECT_EQ(L.AddMasked(P, 0xFFFFFF), 0);
  ASSERT_EQ(L.Count(), 2);
  EXPECT_EQ(L.Image(1).Pixel(0, 0), 0xFF000003u);
  EXPECT_EQ(L.Image(1).Pixel(1, 0), 0u);  // the mask colour
  EXPECT_EQ(L.Image(1).Pixel(1, 1), 0u);  // padding row
  L.SetWidth(3);  // a new size empties the list
  EXPECT_EQ(L.Count(), 0);
}

TEST_F(ImgListTest, DrawLeavesTransparentPixelsAlone) {
  TImageList L(nullptr);
  L.SetWidth(2);
  L.SetHeight(1);
  TPixelImage P;
  P.Width = 2;
  P.Height = 1;
  P.Pixels = {0xFFFF0000, 0x00000000};
  L.Add(P);
  QImage Img(4, 2, QImage::Format_RGB32);
  Img.fill(Qt::white);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    TCanvas C(&Dc);
    L.Draw(C, 1, 1, 0);
    L.Draw(C, 0, 0, 5);  // out of range: nothing
  }
  EXPECT_EQ(Img.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Img.pixel(2, 1) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
}
