// The built-in paper table: names as drivers write them (quirks kept) and sizes in tenths of a
// millimetre, inch papers counted through the unit conversions.
#include <gtest/gtest.h>

#include "ppreport/core/ppPaper.h"

namespace {

TEST(ppPaperTest, NamesAndSizesByCode) {
  struct TRow {
    int Code;
    const char* Name;
    int Width, Height;
  };
  const TRow Rows[] = {
      {1, "Letter 8 1/2 x 11 in", 2159, 2794},
      {2, "Letter 8 1/2 x 11 in", 2159, 2794},
      {4, "Ledger 17 x 11 in", 4318, 2794},
      {5, "Legal 8 12 x 14 in", 2159, 3556},
      {8, "A3 297 x 420 mm", 2970, 4200},
      {9, "A4 210 x 297 mm", 2100, 2970},
      {12, "B4 (JIS) 250 x 354", 2500, 3540},
      {27, "Envelope DL 110 x 220mm", 1100, 2200},
      {29, " Envelope C3  324 x 458 mm", 3240, 4580},
      {35, "Envelope B6  176 x 125 mm", 1760, 1250},  // wider than high, as listed
      {39, "US Std Fanfold 14 7/8 x 11 in", 3778, 2794},
      {47, "Envelope Invite 220 x 220 mm", 2200, 2200},
      {48, "Unknown", 0, 0},
      {49, "Unknown", 0, 0},
      {50, "Letter Extra 9 \\275 x 12 in", 2355, 3048},
      {53, "A4 Extra 9.27 x 12.69 in", 2355, 3223},
      {56, "Letter Extra Transverse 9\\275 x 12 in", 2355, 3048},
      {57, "SuperASuperAA4 227 x 356 mm", 2270, 3560},
      {66, "A2 420 x 594 mm", 4200, 5940},
      {68, "A3 Extra Transverse 322 x 445 mm", 3220, 4450},
      {69, "Unknown", 0, 0},
      {118, "DMPAPER_A3_EXTRA_TRANSVERSE", 0, 0},
      {256, "Custom", 0, 0},
      {0, "Unknown", 0, 0},
      {-3, "Unknown", 0, 0},
  };
  for (const TRow& R : Rows) {
    SCOPED_TRACE(R.Code);
    EXPECT_EQ(R.Name, BuiltInPaperName(R.Code));
    int W = -1, H = -1;
    BuiltInPaperSize(R.Code, W, H);
    EXPECT_EQ(R.Width, W);
    EXPECT_EQ(R.Height, H);
  }
}

TEST(ppPaperTest, EveryCodeWithARowHasASize) {
  for (int Code = 1; Code <= 68; ++Code) {
    if (Code == 48 || Code == 49) continue;
    int W, H;
    BuiltInPaperSize(Code, W, H);
    EXPECT_GT(W, 0) << Code;
    EXPECT_GT(H, 0) << Code;
    EXPECT_NE("Unknown", BuiltInPaperName(Code)) << Code;
  }
}

TEST(ppPaperTest, SizeTextDividesToWholeMillimetres) {
  EXPECT_EQ("215 x 279 mm", PaperSizeText(2159, 2794));
  EXPECT_EQ("0 x 9 mm", PaperSizeText(9, 99));
}

}  // namespace
