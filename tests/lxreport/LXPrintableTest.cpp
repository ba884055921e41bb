#include "lxreport/LXPrintable.h"

#include <gtest/gtest.h>

#include "lxreport/LXError.h"
#include "lxreport/LXPrntr.h"
#include "platform/graphics/Bitmap.h"
#include "tests/lxreport/LXReportTestSupport.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

using namespace lxtest;

namespace {
class LXPrintableTest : public VirtualPrinterTest {
protected:
  TGeometryScope Geometry;
  TComponent Form{nullptr};

  // A report whose title band is Pixels wide at 96 ppi (Custom paper, no side margins).
  TReportPtr ReportWithBandOf(int Pixels, TLXBand*& Title) {
    TReportPtr R = NewReport(&Form);
    TLXPage& P = *R->Page();
    P.SetPaperSize(TLXPaperSize::Custom);
    P.SetLeftMargin(0);
    P.SetRightMargin(0);
    SetBandWidth(*R, Pixels);
    Title = R->NewBand(rbTitle);
    return R;
  }
  static void SetBandWidth(TCustomVexaRep& R, int Pixels) {
    R.SetUnits(TLXUnit::Pixels);
    R.Page()->SetWidth(Pixels);
    R.SetUnits(TLXUnit::MM);
  }
};
}  // namespace

TEST_F(LXPrintableTest, AlignedPrintablesFollowTheirBand) {
  struct Case {
    TAlignment Alignment;
    int Width, LeftOn600, LeftOn700;
  } const Cases[] = {
      {taRightJustify, 100, 500, 600},
      {taCenter, 100, 250, 300},
      {taCenter, 701, -50, 0},  // wider than the band: (600 - 701) div 2, toward zero
      {taLeftJustify, 100, 0, 0},
  };
  for (const Case& K : Cases) {
    SCOPED_TRACE(std::to_string(K.Alignment) + "/" + std::to_string(K.Width));
    TLXBand* Band;
    TReportPtr R = ReportWithBandOf(600, Band);
    ASSERT_EQ(Band->Width(), 600);
    auto* P = new TLXPrintable(&Form);
    P->SetParent(Band);
    P->SetBounds(37, 5, K.Width, 20);
    P->SetAlignment(K.Alignment);
    P->SetAlignToBand(true);
    EXPECT_EQ(P->Left(), K.LeftOn600);
    EXPECT_EQ(RoundPixels(P->Size()->FromNative(TLXUnit::Pixels, true, P->Size()->Native(TLXPrintableSize::LeftIndex))),
              K.LeftOn600);
    SetBandWidth(*R, 700);  // the band takes the new width and tells its printables
    ASSERT_EQ(Band->Width(), 700);
    EXPECT_EQ(P->Left(), K.LeftOn700);
    EXPECT_EQ(P->Width(), K.Width);
  }
}

TEST_F(LXPrintableTest, SizeFollowsMovesInPixelsAndTheZoom) {
  TLXBand* Band;
  TReportPtr R = ReportWithBandOf(600, Band);
  auto* P = new TLXPrintable(&Form);
  P->SetParent(Band);
  EXPECT_EQ(P->Report(), R.get());
  P->Size()->SetLeft(25.4L);  // mm: an inch
  P->Size()->SetWidth(12.7L);
  EXPECT_EQ(P->Left(), 96);
  EXPECT_EQ(P->Width(), 48);
  P->SetBounds(96, 10, 48, 30);  // same pixels: the native lengths stay as they are
  EXPECT_EQ(P->Size()->Native(TLXPrintableSize::LeftIndex), 254);
  P->SetBounds(100, 10, 48, 30);
  EXPECT_NEAR(static_cast<double>(P->Size()->Native(TLXPrintableSize::LeftIndex)), 100 * 254 / 96.0, 1e-9);
  // Zoomed, a size read in pixels is the control's (the zoom counts once).
  R->SetZoom(200);
  EXPECT_EQ(P->Left(), 200);
  R->SetUnits(TLXUnit::Pixels);
  EXPECT_NEAR(static_cast<double>(P->Size()->Left()), 200, 1e-9);
  P->Size()->SetLeft(150);
  EXPECT_EQ(P->Left(), 150);
  EXPECT_NEAR(static_cast<double>(P->Size()->Left()), 150, 1e-9);
}

TEST_F(LXPrintableTest, HiddenPrintablesStillPrintDisabledOnesDoNot) {
  struct Case {
    bool Enabled, Visible, Output;
  } const Cases[] = {{true, true, true}, {false, true, false}, {false, false, true}, {true, false, true}};
  for (const Case& K : Cases) {
    TLXPrintable P(nullptr);
    P.SetEnabled(K.Enabled);
    P.SetVisible(K.Visible);
    EXPECT_EQ(P.IsOutputEnabled(), K.Output) << K.Enabled << K.Visible;
  }
}

TEST_F(LXPrintableTest, RunProtocolAndTheFrameOnThePrinter) {
  TLXBand* Band;
  TReportPtr R = ReportWithBandOf(600, Band);
  auto* P = new TLXPrintable(&Form);
  P->SetParent(Band);
  R->SetUnits(TLXUnit::Native);
  P->Size()->SetLeft(50);
  P->Size()->SetTop(20);
  P->Size()->SetWidth(300);
  P->Size()->SetHeight(40);
  P->Frame()->SetDrawTop(true);
  P->Frame()->SetDrawBottom(true);

  TLXPrinter Printer;
  R->SetActivePrinter(&Printer);
  R->PrepareContents();
  EXPECT_TRUE(P->Printing());
  EXPECT_EQ(P->OutputPrinter(), &Printer);
  Printer.BeginDoc();
  Printer.NewPage();
  P->PrintAt(100, 500);  // the band's origin
  EXPECT_TRUE(P->Finished());
  Printer.EndDoc();
  R->UnprepareContents();
  EXPECT_FALSE(P->Printing());
  EXPECT_EQ(P->OutputPrinter(), nullptr);

  // One-point strips across (XPos(150), YPos(520)) - (XPos(450), YPos(560)).
  auto Page = Printer.GetPage(1);
  ASSERT_TRUE(Page);
  TBitmap Image(Page->Width(), Page->Height());
  Image.Canvas().StretchDraw(Rect(0, 0, Page->Width(), Page->Height()), *Page);
  int L = Printer.XPos(150), T = Printer.YPos(520), Rt = Printer.XPos(450), B = Printer.YPos(560);
  auto Black = [&](int X, int Y) { return (Image.Canvas().Pixels(X, Y) & 0xFFFFFF) == 0; };
  EXPECT_TRUE(Black(L, T));
  EXPECT_TRUE(Black(Rt - 1, T));
  EXPECT_TRUE(Black((L + Rt) / 2, B - 1));
  EXPECT_FALSE(Black(L - 1, T));
  EXPECT_FALSE(Black(Rt, T));
  EXPECT_FALSE(Black(L, T - 1));
  EXPECT_FALSE(Black(L, (T + B) / 2));  // no side strips
  EXPECT_FALSE(Black((L + Rt) / 2, B));
  R->SetActivePrinter(nullptr);
}

TEST_F(LXPrintableTest, TheBaseEditorHasNothingToEdit) {
  TLXPrintable P(nullptr);
  TLXPrintableEditorClass Class = P.EditorClass();
  EXPECT_STREQ(Class.Name, "TLXPrintableEditor");
  EXPECT_EQ(Class.Create, nullptr);
  TLXPrintableEditor E(&P);
  EXPECT_EQ(&E.ControlClass(), &TLXPrintable::StaticClassInfo());
  EXPECT_EQ(E.ReadValue(), "");
  EXPECT_THROW(E.EditControl(), ELXError);
  EXPECT_THROW(E.WriteValue("x"), ELXError);
}
