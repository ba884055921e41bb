// Shapes and lines: the shape geometry table, the draw commands both make on the real engine
// (shape kinds, line positions and double lines, weight in points), a line stretching with its
// band beside a growing text, the weight and pen width rules, and the controls in streams.
#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/graphics/Graphics.h"
#include "ppreport/core/ppConvert.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"
#include "tests/ppreport/generation/ppCtrlsTestSupport.h"

namespace ctrlstest {
namespace {

int32_t Px(int Axis, int Pixels) { return ConvertToMicrons(utScreenPixels, Axis, nullptr, static_cast<float>(Pixels)); }

// The text form of a component's binary stream, and a component read back from a text form.
std::string AsText(TComponent* C) {
  TMemoryStream Bin, Text;
  WriteComponentToStream(Bin, C);
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  return std::string(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
}
std::unique_ptr<TComponent> FromText(const std::string& S) {
  TMemoryStream In, Bin;
  In.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  return std::unique_ptr<TComponent>(ReadComponentFromStream(Bin, nullptr));
}

}  // namespace

TEST(ppShapesTest, GeometryCentresTheSquareKindsAndKeepsThePenInside) {
  struct TCase {
    TShapeType Shape;
    int Pen, Width, Height;
    TppShapeGeometry Expected;
  };
  const TCase Cases[] = {
      {stCircle, 2, 100, 40, {31, 1, 69, 39, 10}},
      {stRectangle, 2, 100, 40, {1, 1, 99, 39, 10}},  // only the corner radius takes the smaller side
      {stRoundRect, 1, 200, 80, {0, 0, 200, 80, 20}},
      {stSquare, 3, 40, 100, {1, 31, 39, 69, 10}},
      {stRoundSquare, 0, 101, 40, {30, 0, 71, 40, 10}},  // (101 - 40) / 2 toward zero
      {stEllipse, 5, 60, 60, {2, 2, 58, 58, 15}},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(C.Expected, ppCalcShapeGeometry(C.Shape, C.Pen, C.Width, C.Height)) << static_cast<int>(C.Shape);
}

TEST_F(CtrlsOnEngine, ShapesAndLinesHandTheirGeometryToTheirDrawCommands) {
  auto* D = Band<TppDetailBand>(40 * mm);
  struct TShapeCase {
    TShapeType Kind, Sent;
  };
  const TShapeCase Kinds[] = {{stRectangle, stRectangle}, {stSquare, stRectangle}, {stRoundRect, stRoundRect},
                              {stRoundSquare, stRoundRect}, {stEllipse, stEllipse},  {stCircle, stEllipse}};
  for (int I = 0; I < 6; ++I) {
    auto* S = new TppShape(&Form);
    S->SetBand(D);
    S->SetShape(Kinds[I].Kind);
    S->Pen()->SetWidth(2);
    S->SetSpBounds(I * 100, 10, 100, 40);
  }
  struct TLineCase {
    TppLinePositionType Position;
    TppLineStyleType Style;
    float Weight;
    int PenWidth;
  };
  const TLineCase Lines[] = {{lpTop, lsSingle, 0.75f, 1},
                             {lpBottom, lsDouble, 1.5f, 2},
                             {lpLeft, lsSingle, 3.0f, 4},
                             {lpRight, lsDouble, 0.375f, 0}};
  for (int I = 0; I < 4; ++I) {
    auto* L = new TppLine(&Form);
    L->SetBand(D);
    L->SetPosition(Lines[I].Position);
    L->SetStyle(Lines[I].Style);
    L->SetWeight(Lines[I].Weight);
    L->SetBounds(I * 20 * mm, 25 * mm, 15 * mm, 5 * mm);
  }
  Names(1);
  Run();
  const auto Shapes = Commands<TppDrawShape>(1);
  ASSERT_EQ(6u, Shapes.size());
  for (int I = 0; I < 6; ++I) {
    const TppDrawShape& S = *Shapes[I];
    const TppShapeGeometry G = ppCalcShapeGeometry(Kinds[I].Kind, 2, 100, 40);
    // The page rectangle starts at the band's place: left margin and band top, 10 mm each.
    const int32_t Left = 10 * mm + Px(ppHorizontal, I * 100), Top = 10 * mm + Px(ppVertical, 10);
    EXPECT_EQ(Kinds[I].Sent, S.ShapeType()) << I;
    EXPECT_EQ(Left + Px(ppHorizontal, G.X), S.Left()) << I;
    EXPECT_EQ(Top + Px(ppVertical, G.Y), S.Top()) << I;
    EXPECT_EQ(Px(ppHorizontal, G.Right) - Px(ppHorizontal, G.X), S.Width()) << I;
    EXPECT_EQ(Px(ppVertical, G.Bottom) - Px(ppVertical, G.Y), S.Height()) << I;
    EXPECT_EQ(Px(ppHorizontal, 10), S.XCornerRound()) << I;
    EXPECT_EQ(S.XCornerRound(), S.YCornerRound()) << I;
    EXPECT_EQ(2, S.Pen()->Width()) << I;
  }
  const auto Drawn = Commands<TppDrawLine>(1);
  ASSERT_EQ(4u, Drawn.size());
  for (int I = 0; I < 4; ++I) {
    const TppDrawLine& L = *Drawn[I];
    EXPECT_EQ(Lines[I].Position, L.LinePosition()) << I;
    EXPECT_EQ(Lines[I].Style, L.LineStyle()) << I;
    EXPECT_FLOAT_EQ(Lines[I].Weight, L.Weight()) << I;
    EXPECT_EQ(Lines[I].PenWidth, L.Pen()->Width()) << I;
    EXPECT_EQ((TRect{(10 + I * 20) * mm, 35 * mm, (25 + I * 20) * mm, 40 * mm}),
              (TRect{L.Left(), L.Top(), L.Left() + L.Width(), L.Top() + L.Height()}))
        << I;
  }
}

TEST_F(CtrlsOnEngine, ALineStretchesWithItsBandBesideAGrowingText) {
  auto* D = Band<TppDetailBand>(10 * mm);
  D->SetPrintHeight(phDynamic);
  auto* Text = new ppbandtest::TStretchText(&Form);
  Text->SetBand(D);
  Text->Label = "T";
  Text->SetBounds(10 * mm, 0, 30 * mm, 5 * mm);
  auto* L = Put<TppLine>(D, 0, 2 * mm, 1 * mm, 5 * mm);
  L->SetPosition(lpLeft);
  L->SetStretchWithParent(true);
  struct TCase {
    int32_t Length, LineBottom;
  };
  // The text ends where it ends; past the page it stops at the page bottom (90 mm), and so does the line.
  for (TCase C : {TCase{30 * mm, 40 * mm}, {100 * mm, 90 * mm}}) {
    Text->Length = C.Length;
    Names(1);
    Run();
    const auto Drawn = Commands<TppDrawLine>(1);
    ASSERT_EQ(1u, Drawn.size());
    EXPECT_EQ(12 * mm, Drawn[0]->Top());
    EXPECT_EQ(C.LineBottom, Drawn[0]->Top() + Drawn[0]->Height()) << C.Length;
  }
}

TEST(ppShapesTest, WeightInPointsAndPenWidthInPixelsFollowEachOther) {
  ASSERT_EQ(96, ScreenPixelsPerInch());
  TComponent Owner(nullptr);
  auto* L = new TppLine(&Owner);
  EXPECT_FLOAT_EQ(0.75f, L->Weight());
  EXPECT_EQ(1, L->Pen()->Width());
  struct TCase {
    float Weight;
    int Pen;
  };
  // Halves go to the even pixel count: 0.5 pixel is 0, 1.5 pixels are 2, 2.5 pixels are 2.
  for (TCase C : {TCase{1.5f, 2}, {0.375f, 0}, {1.125f, 2}, {1.875f, 2}, {1.6f, 2}}) {
    L->SetWeight(C.Weight);
    EXPECT_EQ(C.Pen, L->Pen()->Width()) << C.Weight;
    EXPECT_FLOAT_EQ(C.Weight, L->Weight()) << "the pen's change notice left the weight alone";
  }
  L->Pen()->SetWidth(3);
  EXPECT_FLOAT_EQ(2.25f, L->Weight());
  L->SetPenWidth(4);
  EXPECT_FLOAT_EQ(3.0f, L->Weight());
}

TEST(ppShapesTest, ColoursAndTransparency) {
  TComponent Owner(nullptr);
  auto* S = new TppShape(&Owner);
  EXPECT_FALSE(S->Transparent());
  S->Brush()->SetStyle(bsClear);
  EXPECT_TRUE(S->Transparent());
  S->SetBackgroundColor(clRed, false);
  EXPECT_FALSE(S->Transparent());
  EXPECT_EQ(clRed, S->Brush()->Color());
  EXPECT_EQ(bsSolid, S->Brush()->Style());
  TColor C;
  bool Clear;
  S->SetFontColor(clBlue, true);
  S->GetFontColor(C, Clear);
  EXPECT_TRUE(Clear);
  S->GetBackgroundColor(C, Clear);
  EXPECT_EQ(clRed, C);
  EXPECT_FALSE(Clear);
  auto* L = new TppLine(&Owner);
  EXPECT_TRUE(L->Transparent());
  EXPECT_FALSE(L->HasColor());
  EXPECT_FALSE(L->HasFont());
  EXPECT_FALSE(S->HasFont());
}

TEST(ppShapesTest, ControlsGoThroughStreamsAndReadTheirOldProperties) {
  TComponent Owner(nullptr);
  auto* Label = new TppLabel(&Owner);
  Label->SetName("lblTotal");
  Label->SetAutoSize(false);
  Label->SetCaption("Total");
  Label->SetAngle(90);
  Label->SetBounds(1000, 2000, 5000, 20000);
  const std::string Text = AsText(Label);
  EXPECT_NE(std::string::npos, Text.find("Angle = 90")) << Text;
  EXPECT_NE(std::string::npos, Text.find("RotatedOriginTop = ")) << Text;
  auto Read = FromText(Text);
  auto* R = dynamic_cast<TppLabel*>(Read.get());
  ASSERT_NE(nullptr, R);
  EXPECT_EQ("Total", R->Caption());
  EXPECT_EQ(90, R->Angle());
  EXPECT_EQ(Label->RotatedOriginTop(), R->RotatedOriginTop());
  EXPECT_EQ(20000, R->mmHeight());

  auto* Line = new TppLine(&Owner);
  Line->SetName("linSep");
  Line->SetPosition(lpBottom);
  Line->SetStyle(lsDouble);
  Line->SetWeight(1.5f);
  auto ReadLine = FromText(AsText(Line));
  auto* RL = dynamic_cast<TppLine*>(ReadLine.get());
  ASSERT_NE(nullptr, RL);
  EXPECT_EQ(lpBottom, RL->Position());
  EXPECT_EQ(lsDouble, RL->Style());
  EXPECT_FLOAT_EQ(1.5f, RL->Weight());
  EXPECT_EQ(2, RL->Pen()->Width());

  // Old streams: the band options by their old names and a text's save handler.
  auto Old = FromText(
      "object L: TppLabel\n  Caption = 'Velho'\n  ShiftWithBand = True\n  StretchWithBand = True\n"
      "  OnSave = SalvarTexto\n  AutoSize = False\nend\n");
  auto* O = dynamic_cast<TppLabel*>(Old.get());
  ASSERT_NE(nullptr, O);
  EXPECT_TRUE(O->GetShiftWithParent());
  EXPECT_TRUE(O->StretchWithParent());
  EXPECT_EQ("SalvarTexto", O->OnSaveHandlerName());
}

}  // namespace ctrlstest
