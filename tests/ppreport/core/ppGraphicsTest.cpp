#include "ppreport/core/ppGraphics.h"

#include <gtest/gtest.h>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppConvert.h"

namespace {

class TBorderPrinter : public IppPrinterResolution {
public:
  TPoint GetPixelsPerInch() const override { return {600, 300}; }
};

TEST(ppGraphicsTest, FontStreamsUnderItsOwnName) {
  EXPECT_EQ(&TppFont::StaticClassInfo(), GetClass("TppFont"));
  TppFont F;
  F.SetSize(10);
  TppFont G(F);
  EXPECT_EQ(10, G.Size());
  EXPECT_NE(nullptr, TppFont::StaticClassInfo().FindProp("Height"));
  EXPECT_NE(nullptr, TppFont::StaticClassInfo().FindProp("Size"));
}

TEST(ppGraphicsTest, BorderPropertiesAndChanges) {
  TppBorder B;
  EXPECT_EQ(0, B.BorderPositions());
  EXPECT_EQ(clBlack, B.Color());
  EXPECT_EQ(psSolid, B.Style());
  EXPECT_FALSE(B.Visible());
  EXPECT_FLOAT_EQ(1.0f, B.Weight());
  int Changes = 0;
  B.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(&B, Sender);
    ++Changes;
  };
  B.SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop));
  EXPECT_TRUE(B.Visible());
  B.SetBorderPositions(ppSetBit(bpRight));
  EXPECT_EQ(ppSetBit(bpLeft) | ppSetBit(bpTop), B.PreviousBorderPositions());
  B.SetBorderPositions(0);
  EXPECT_FALSE(B.Visible());  // no side: invisible
  B.SetVisible(true);
  B.SetColor(clRed);
  B.SetStyle(psDash);
  B.SetWeight(2.5f);
  EXPECT_EQ(7, Changes);

  TppBorder C(&B);
  EXPECT_EQ(&B, C.Printable());
  int CChanges = 0;
  C.OnChange = [&](TObject*) { ++CChanges; };
  B.SetBorderPositions(ppSetBit(bpBottom));
  C.Assign(&B);
  EXPECT_EQ(ppSetBit(bpBottom), C.BorderPositions());
  EXPECT_EQ(clRed, C.Color());
  EXPECT_EQ(psDash, C.Style());
  EXPECT_TRUE(C.Visible());
  EXPECT_FLOAT_EQ(2.5f, C.Weight());
  EXPECT_EQ(5, CChanges);  // through the setters
  TppFont F;
  EXPECT_THROW(C.Assign(&F), EConvertError);

  // Published in stream order, with the defaults of a new border.
  std::vector<std::string> Names;
  for (const TPropInfo* P : TppBorder::StaticClassInfo().AllProps()) Names.push_back(P->Name);
  EXPECT_EQ((std::vector<std::string>{"BorderPositions", "Color", "Style", "Visible", "Weight"}), Names);
}

TEST(ppGraphicsTest, BorderWeights) {
  TppBorder B;
  struct TCase {
    float Weight;
    int Pixels;
    int32_t Microns;
  };
  // 96 pixels per inch: a point is 1.33 pixels.
  const TCase Cases[] = {{1, 1, 353}, {0.1f, 1, 35}, {3, 4, 1058}, {0.75f, 1, 265}, {1.875f, 2, 661}};
  for (const TCase& C : Cases) {
    B.SetWeight(C.Weight);
    EXPECT_EQ(C.Pixels, B.GetspWeight()) << C.Weight;
    EXPECT_EQ(C.Microns, B.GetmmWeight()) << C.Weight;
  }
}

// A rotated text starts from the left or right and from the top or bottom by its angle; each
// bordered side it starts from moves it inwards by the border's width.
TEST(ppGraphicsTest, TextOriginInsideTheBorder) {
  TppBorder All;
  All.SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop) | ppSetBit(bpRight) | ppSetBit(bpBottom));
  All.SetWeight(3);  // 4 screen pixels
  struct TCase {
    int Angle;
    TPoint Origin;
  };
  const TCase Cases[] = {
      {0, {104, 54}},  {-30, {104, 54}}, {45, {104, 46}},  {90, {104, 46}},  {91, {96, 46}},
      {180, {96, 46}}, {181, {96, 54}},  {270, {96, 54}},  {271, {104, 54}}, {360, {104, 54}},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(C.Origin, TppBorder::AdjustTextOrigin(All, C.Angle, nullptr, 50, 100)) << C.Angle;

  // Only the sides that are set count; a printer gives each axis its own resolution (8 and 4 pixels).
  TppBorder LeftTop;
  LeftTop.SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop));
  const TBorderPrinter Printer;
  EXPECT_EQ((TPoint{108, 54}), TppBorder::AdjustTextOrigin(LeftTop, 0, &Printer, 50, 100));
  EXPECT_EQ((TPoint{100, 50}), TppBorder::AdjustTextOrigin(LeftTop, 135, &Printer, 50, 100));  // right, bottom
  LeftTop.SetWeight(1e30f);
  EXPECT_EQ(INT32_MAX, TppBorder::AdjustTextOrigin(LeftTop, 0, &Printer, 50, 100).X);
}

}  // namespace
