#include "platform/printing/PaperSizes.h"

#include <gtest/gtest.h>

#include "platform/printing/DeviceMode.h"
#include "platform/printing/PrinterDriver.h"

TEST(PaperSizesTest, WindowsCodesGiveTheirSizes) {
  struct Case {
    int Code, W, H;
  } Cases[] = {
      {1, 2159, 2794}, {2, 2159, 2794}, {4, 4318, 2794}, {5, 2159, 3556}, {7, 1842, 2667},
      {8, 2970, 4200}, {9, 2100, 2970}, {12, 2500, 3540}, {20, 1048, 2413}, {27, 1100, 2200},
      {35, 1760, 1250}, {47, 2200, 2200}, {66, 4200, 5940}, {70, 1050, 1480},
      {48, 0, 0}, {49, 0, 0}, {256, 0, 0}, {0, 0, 0}, {118, 0, 0},
  };
  for (const auto& C : Cases) {
    int W = -1, H = -1;
    EXPECT_EQ(PaperSizeOfCode(C.Code, W, H), C.W != 0) << C.Code;
    EXPECT_EQ(W, C.W) << C.Code;
    EXPECT_EQ(H, C.H) << C.Code;
  }
  EXPECT_STREQ(FindPaperSize(9)->Name, "A4");
}

TEST(PaperSizesTest, SizeLooksUpTheFirstCodeEitherWayRound) {
  EXPECT_EQ(PaperCodeForSize(2100, 2970), 9);
  EXPECT_EQ(PaperCodeForSize(2970, 2100), 9);
  EXPECT_EQ(PaperCodeForSize(2109, 2975), 9);
  EXPECT_EQ(PaperCodeForSize(2115, 2970), 0);
  EXPECT_EQ(PaperCodeForSize(2159, 2794), 1);
  EXPECT_EQ(PaperCodeForSize(1234, 567), 0);
}

TEST(DeviceModeTest, OwnWidthAndLengthWinOverTheCodeAndLandscapeTurnsTheSheet) {
  TDeviceMode M;
  M.Fields = DM_PAPERSIZE | DM_ORIENTATION;
  M.PaperSize = 9;
  int W, H;
  ASSERT_TRUE(DeviceModePaperSize(M, W, H));
  EXPECT_EQ(W, 2100);
  M.Fields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
  M.PaperWidth = 1000;
  M.PaperLength = 1500;
  ASSERT_TRUE(DeviceModePaperSize(M, W, H));
  EXPECT_EQ(H, 1500);
  M.Orientation = DMORIENT_LANDSCAPE;
  ResolveSheet(M, {}, TDeviceMode{}, W, H);
  EXPECT_EQ(W, 1500);
  EXPECT_EQ(H, 1000);

  // A driver-specific code comes from the driver's list; an unknown mode
  // falls back to the driver's defaults.
  TDeviceMode U;
  U.Fields = DM_PAPERSIZE;
  U.PaperSize = 260;
  ResolveSheet(U, {{260, "Roll", 800, 2000}}, TDeviceMode{}, W, H);
  EXPECT_EQ(W, 800);
  TDeviceMode Fallback;
  Fallback.Fields = DM_PAPERSIZE;
  Fallback.PaperSize = 1;
  ResolveSheet(TDeviceMode{}, {}, Fallback, W, H);
  EXPECT_EQ(W, 2159);
}
