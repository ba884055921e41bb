#include "ppreport/core/ppDrawing.h"

#include <gtest/gtest.h>

#include "platform/graphics/CallLogDC.h"

namespace {

constexpr uint32_t Red = 0xFFFF0000u, Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;

uint32_t Pixel(TBitmap& B, int X, int Y) { return B.ScanLine(Y)[X] | 0xFF000000u; }

// A 4 x 4 picture, white with a red 2 x 2 square in its middle.
TBitmap Picture() {
  TBitmap P(4, 4);
  for (int Y = 1; Y <= 2; ++Y)
    for (int X = 1; X <= 2; ++X) P.ScanLine(Y)[X] = Red;
  return P;
}

TEST(ppDrawingTest, DeviceIndependentBitmaps) {
  EXPECT_EQ(32, BytesPerScanline(10, 24, 32));
  EXPECT_EQ(4, BytesPerScanline(1, 24, 32));
  EXPECT_EQ(4, BytesPerScanline(32, 1, 32));
  EXPECT_EQ(8, BytesPerScanline(33, 1, 32));
  EXPECT_EQ(2, BytesPerScanline(3, 4, 16));

  TBitmap B(2, 2);
  B.ScanLine(0)[0] = 0xFF112233u;  // top left
  TppBitmapInfoHeader H;
  InitBitmapInfoHeader(B, H);
  EXPECT_EQ(24, H.BitCount);
  EXPECT_EQ(16u, H.SizeImage);  // two rows of 6 bytes, padded to 8
  int InfoSize = 0, ImageSize = 0;
  GetDIBSizes(B, InfoSize, ImageSize);
  EXPECT_EQ(40, InfoSize);
  EXPECT_EQ(16, ImageSize);
  std::vector<uint8_t> Info, Bits;
  ASSERT_TRUE(GetDIB(B, Info, Bits));
  ASSERT_EQ(40u, Info.size());
  EXPECT_EQ(24, Info[14]);
  ASSERT_EQ(16u, Bits.size());
  // Bottom-up: the top row comes second, blue first.
  EXPECT_EQ((std::vector<uint8_t>{0x33, 0x22, 0x11, 0xFF, 0xFF, 0xFF}), std::vector<uint8_t>(Bits.begin() + 8, Bits.begin() + 14));

  B.SetMonochrome(true);
  InitBitmapInfoHeader(B, H);
  EXPECT_EQ(1, H.BitCount);
  GetDIBSizes(B, InfoSize, ImageSize);
  EXPECT_EQ(48, InfoSize);  // two palette entries
  EXPECT_EQ(8, ImageSize);
  ASSERT_TRUE(GetDIB(B, Info, Bits));
  EXPECT_EQ(48u, Info.size());
  EXPECT_EQ(0x40, Bits[4]);  // top row: black, white
  EXPECT_EQ(0xC0, Bits[0]);
  EXPECT_FALSE(GetDIB(TBitmap(), Info, Bits));
}

// The memory canvas takes the device's resolution (fonts keep their point size) and copies itself
// onto the device unstretched.
TEST(ppDrawingTest, DeviceCompatibleCanvas) {
  TCallLogDC Device(300);
  TppDeviceCompatibleCanvas C(Device, 20, 30);
  EXPECT_EQ(30, C.Width());
  EXPECT_EQ(20, C.Height());
  EXPECT_EQ(White, Pixel(C.Bitmap(), 29, 19));
  EXPECT_EQ(300, C.Font().PixelsPerInch());
  EXPECT_EQ(8, C.Font().Size());
  EXPECT_EQ(-33, C.Font().Height());  // 8 points at 300 pixels per inch
  C.Brush().SetColor(clRed);
  C.FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(Red, Pixel(C.Bitmap(), 9, 9));
  EXPECT_EQ(White, Pixel(C.Bitmap(), 10, 10));
  C.RenderToDevice(Rect(100, 200, 200, 210), SRCCOPY);
  ASSERT_EQ(1u, Device.Calls("StretchDIBits").size());
  EXPECT_EQ("StretchDIBits(100,200,130,210,0,0,30,10,30x20,0xCC0020)", Device.Calls("StretchDIBits")[0]);
}

// White in the picture is transparent: what was on the device stays there.
TEST(ppDrawingTest, TransparentGraphicAtAFewPixels) {
  TBitmap Target(20, 20);
  Target.Canvas().Brush().SetColor(clBlue);
  Target.Canvas().FillRect(Rect(0, 0, 20, 20));
  TBitmap P = Picture();
  DrawTransparentGraphic(Target.Canvas(), Rect(2, 2, 10, 10), P, SRCCOPY);
  EXPECT_EQ(Blue, Pixel(Target, 2, 2));    // the picture's white corner
  EXPECT_EQ(Blue, Pixel(Target, 9, 9));
  EXPECT_EQ(Red, Pixel(Target, 4, 4));     // its red square, stretched twice
  EXPECT_EQ(Red, Pixel(Target, 7, 7));
  EXPECT_EQ(Blue, Pixel(Target, 10, 10));  // outside the rectangle
  EXPECT_EQ(bsClear, Target.Canvas().Brush().Style());

  // Without the mask the whole picture is copied.
  TBitmap Opaque(20, 20);
  Opaque.Canvas().Brush().SetColor(clBlue);
  Opaque.Canvas().FillRect(Rect(0, 0, 20, 20));
  StretchDrawDIB(Opaque.Canvas(), Rect(2, 2, 10, 10), P, SRCCOPY);
  EXPECT_EQ(White, Pixel(Opaque, 2, 2));
  EXPECT_EQ(Red, Pixel(Opaque, 5, 5));
}

// Through the call log: the mask ANDed, then the picture XORed, the device's state given back; a
// device that cannot stretch bit blocks gets the picture itself; a monochrome one is masked at the
// rectangle's size.
TEST(ppDrawingTest, TransparentGraphicOnTheCallLog) {
  TBitmap P = Picture();
  {
    TCallLogDC Device;
    TCanvas C(&Device);
    DrawTransparentGraphic(C, Rect(10, 10, 50, 30), P, SRCCOPY);
    const auto Blits = Device.Calls("StretchDIBits");
    ASSERT_EQ(2u, Blits.size());
    EXPECT_EQ("StretchDIBits(10,10,50,30,0,0,4,4,4x4,0x8800C6)", Blits[0]);
    EXPECT_EQ("StretchDIBits(10,10,50,30,0,0,4,4,4x4,0x660046)", Blits[1]);
    EXPECT_EQ(1u, Device.Calls("SaveDC").size());
    EXPECT_EQ(1u, Device.Calls("RestoreDC").size());
  }
  {
    TCallLogDC Device;
    Device.SetDeviceCaps(32, false);
    TCanvas C(&Device);
    DrawTransparentGraphic(C, Rect(10, 10, 50, 30), P, SRCCOPY);
    const auto Blits = Device.Calls("StretchDIBits");
    ASSERT_EQ(1u, Blits.size());
    EXPECT_EQ("StretchDIBits(10,10,50,30,0,0,4,4,4x4,0xCC0020)", Blits[0]);
    EXPECT_EQ(1u, Device.Calls("SetStretchBltMode(3)").size());  // colour on colour
  }
  {
    TCallLogDC Device;
    Device.SetDeviceCaps(1, true);
    TCanvas C(&Device);
    DrawTransparentGraphic(C, Rect(10, 10, 50, 30), P, SRCCOPY);
    const auto Blits = Device.Calls("StretchDIBits");
    ASSERT_EQ(2u, Blits.size());
    EXPECT_EQ("StretchDIBits(10,10,50,30,0,0,40,20,40x20,0x8800C6)", Blits[0]);
  }
  {
    // Fewer colours than the picture: halftone.
    TCallLogDC Device;
    Device.SetDeviceCaps(8, false);
    TCanvas C(&Device);
    StretchDrawDIB(C, Rect(0, 0, 8, 8), P, SRCCOPY);
    EXPECT_EQ(1u, Device.Calls("SetStretchBltMode(4)").size());
  }
}

}  // namespace
