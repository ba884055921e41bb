// Labels and texts on the real engine (places on the page, texts per record, what does not fit
// going on in the next page, pages generated again from the cache), auto-sizing and word wrap
// measured at 96 and 600 dpi, turned labels, the display format slot, and the property rules.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppDisplayFormat.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/generation/ppPageBands.h"
#include "tests/ppreport/generation/ppBandTestSupport.h"
#include "tests/ppreport/generation/ppCtrlsTestSupport.h"

namespace ctrlstest {
namespace {

// The record's "Name" after the caption.
void AppendName(TppCustomText* T, enginetest::TTestReport* R) {
  T->OnGetText = [R](TObject*, std::string& Text) { Text += " " + R->DataPipeline()->GetFieldAsString("Name"); };
}

// Width and height in microns of Text in Font on a bitmap of Dpi.
std::pair<int32_t, int32_t> Extent(const TFont& Font, const std::string& Text, int Dpi) {
  TBitmap B(1, 1);
  auto Dc = CreateBitmapDC(B, Dpi, Dpi);
  TCanvas Canvas(Dc.get());
  Canvas.Font().Assign(Font);
  const TSize S = Canvas.TextExtent(Text);
  return {static_cast<int32_t>(std::lround(S.cx * 25400.0 / Dpi)),
          static_cast<int32_t>(std::lround(S.cy * 25400.0 / Dpi))};
}

// A text whose value is a number shown through its display format (as the data-aware kinds do).
class TNumberText : public TppCustomText {
  DECLARE_CLASSINFO(TNumberText)
public:
  explicit TNumberText(TComponent* AOwner) : TppCustomText(AOwner) {}
  ~TNumberText() override { BeforeDestruction(); }
  double Value = 0;
  std::string GetDisplayText() const override { return FormatDisplayValue(DisplayFormat(), dtDouble, Value); }
};

const TClassInfo& TNumberText::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNumberText>("TCtrlsTestNumberText", &TppCustomText::StaticClassInfo());
  return Info;
}

}  // namespace

TEST_F(CtrlsOnEngine, LabelsPrintTheirTextsAtTheirPlacesPageByPage) {
  Label(Band<TppHeaderBand>(), "Relatório de Clientes", 5 * mm, 2 * mm, 60 * mm);
  TppLabel* Row = Label(Band<TppDetailBand>(), "Cliente", 20 * mm, 3 * mm);
  AppendName(Row, Report);
  Names(12);
  Run();
  // 80 mm of body: the header and seven rows of 10 mm a page.
  ASSERT_EQ(2u, Report->Pages.size());
  EXPECT_EQ((TTexts{{"Relatório de Clientes", 12}, {"Cliente r1", 23}, {"Cliente r2", 33}, {"Cliente r3", 43},
                    {"Cliente r4", 53}, {"Cliente r5", 63}, {"Cliente r6", 73}, {"Cliente r7", 83}}),
            Page(1));
  EXPECT_EQ((TTexts{{"Relatório de Clientes", 12}, {"Cliente r8", 23}, {"Cliente r9", 33}, {"Cliente r10", 43},
                    {"Cliente r11", 53}, {"Cliente r12", 63}}),
            Page(2));
  const TppDrawText* Last = Commands<TppDrawText>(2).back();
  EXPECT_EQ((TRect{30 * mm, 63 * mm, 60 * mm, 68 * mm}),
            (TRect{Last->Left(), Last->Top(), Last->Left() + Last->Width(), Last->Top() + Last->Height()}));
  EXPECT_EQ(Row, Last->Component());
  ExpectSinglePagesAlike();
}

// An auto-sized label placed by its bounds and given its text afterwards keeps its alignment's
// anchor (left edge, centre, right edge of the bounds) through every change of its text, with or
// without a border on its sides, also when its font (which sizes it, left-aligned so far) and its
// alignment are set after the bounds; the page shows it there.
TEST_F(CtrlsOnEngine, AnAutoSizedLabelKeepsItsAlignmentsAnchorWhenItsTextChanges) {
  TppHeaderBand* H = Band<TppHeaderBand>();
  Band<TppDetailBand>();
  Names(1);
  for (bool StyledLate : {false, true})
    for (bool Bordered : {false, true})
    for (TppTextAlignment A : {taLeftJustified, taCentered, taRightJustified}) {
      SCOPED_TRACE(testing::Message() << StyledLate << " " << Bordered << " " << A);
      auto* L = new TppLabel(&Form);
      L->SetBand(H);
      if (!StyledLate) L->SetTextAlignment(A);
      if (Bordered) {
        L->Border()->SetWeight(72.0f / 25.4f);  // a millimetre
        L->Border()->SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpRight));
        L->Border()->SetPreviousBorderPositions(L->Border()->BorderPositions());
      }
      L->SetBounds(20 * mm, 0, 40 * mm, 5 * mm);
      if (StyledLate) {
        TFont F;
        F.SetName("Liberation Sans");
        F.SetSize(14);
        F.SetStyle(fsBold);
        L->SetFont(&F);
        L->SetTextAlignment(A);
      }
      // Twice the anchor's position from the left edge and the width, in the band.
      const int32_t Twice = A == taLeftJustified ? 40 * mm : A == taCentered ? 80 * mm : 120 * mm;
      auto TwiceAnchor = [A](int32_t Left, int32_t Width) {
        return A == taLeftJustified ? 2 * Left : A == taCentered ? 2 * Left + Width : 2 * (Left + Width);
      };
      // Halving an odd spare may move a centre by half a micron a change.
      int Changes = 0;
      for (const char* Caption : {"Relatório", "Relatório de vendas do mês de março", "R", "Relatório"}) {
        L->SetCaption(Caption);
        EXPECT_NEAR(Twice, TwiceAnchor(L->mmLeft(), L->mmWidth()), ++Changes) << Caption;
      }
      EXPECT_GT(L->mmLeft(), 0);
      Run();
      const auto Texts = Commands<TppDrawText>(1);
      ASSERT_EQ(1u, Texts.size());
      EXPECT_EQ(10 * mm + L->mmLeft(), Texts[0]->Left());
      EXPECT_EQ(L->mmWidth(), Texts[0]->Width());
      L->Free();
    }
}

TEST_F(CtrlsOnEngine, ALabelThatDoesNotFitGoesOnInTheNextPageAlone) {
  auto* D = Band<TppDetailBand>(30 * mm);
  D->SetPrintHeight(phDynamic);
  AppendName(Label(D, "A", 0, 0), Report);
  AppendName(Label(D, "B", 0, 25 * mm), Report);
  Names(3);
  Run();
  // The third record's B would end at 100 mm, below the page bottom at 90 mm.
  EXPECT_EQ((TTexts{{"A r1", 10}, {"B r1", 35}, {"A r2", 40}, {"B r2", 65}, {"A r3", 70}}), Page(1));
  EXPECT_EQ((TTexts{{"B r3", 10}}), Page(2));
  ExpectSinglePagesAlike();
}

TEST_F(CtrlsOnEngine, InAStaticBandALabelCrossingThePageBottomIsPlacedAnyway) {
  auto* D = Band<TppDetailBand>(40 * mm);
  AppendName(Label(D, "A", 0, 35 * mm, 30 * mm, 10 * mm), Report);
  Names(2);
  Run();
  // The second band ends at 90 mm; its label runs 5 mm past it.
  EXPECT_EQ((TTexts{{"A r1", 45}, {"A r2", 85}}), Page(1));
  EXPECT_EQ(95 * mm, Commands<TppDrawText>(1).back()->Top() + Commands<TppDrawText>(1).back()->Height());
}

TEST_F(CtrlsOnEngine, OnPrintMayShowOrHideALabelPerRecord) {
  TppLabel* L = Label(Band<TppDetailBand>(), "Só", 0, 0);
  AppendName(L, Report);
  L->SetVisible(false);
  L->OnPrint = [this, L](TObject*) { L->SetVisible(Report->DataPipeline()->GetFieldAsString("Name") == "r2"); };
  Names(3);
  Run();
  EXPECT_EQ((TTexts{{"Só r2", 20}}), Page(1));
}

TEST_F(CtrlsOnEngine, LabelsBesideAGrowingTextShiftAndPrintAgainOnItsNextPage) {
  auto* D = Band<TppDetailBand>(10 * mm);
  D->SetPrintHeight(phDynamic);
  auto* Text = new ppbandtest::TStretchText(&Form);
  Text->SetBand(D);
  Text->Label = "T";
  Text->SetBounds(40 * mm, 0, 30 * mm, 5 * mm);
  TppLabel* Below = Label(D, "Abaixo", 0, 8 * mm);
  Below->SetShiftWithParent(true);
  TppLabel* Again = Label(D, "De novo", 0, 0);
  Again->SetReprintOnOverFlow(true);
  Names(1);
  // 30 mm of text: the shifting label keeps its 3 mm below the text's end at 40 mm.
  Text->Length = 30 * mm;
  Run();
  EXPECT_EQ((TTexts{{"T", 10}, {"Abaixo", 43}, {"De novo", 10}}), Page(1));
  // 120 mm: the text goes on over the page (below the label printed again at its top, 5 mm high),
  // and the shifting label follows its end on the page it ends on.
  Text->Length = 120 * mm;
  Run();
  EXPECT_EQ((TTexts{{"T", 10}, {"De novo", 10}}), Page(1));
  EXPECT_EQ((TTexts{{"T", 15}, {"Abaixo", 58}, {"De novo", 10}}), Page(2));
}

TEST_F(CtrlsOnEngine, DisplayFormatAndOnGetTextShapeThePrintedText) {
  auto* D = Band<TppDetailBand>();
  auto* T = Put<TNumberText>(D, 0, 0, 30 * mm, 5 * mm);
  T->Value = 1234.5;
  T->SetDisplayFormat("#,0.00");
  std::string Seen;
  T->OnGetText = [&](TObject*, std::string& Text) {
    Seen = Text;
    Text = "R$ " + Text;
  };
  Names(1);
  Run();
  EXPECT_EQ("1.234,50", Seen);
  EXPECT_EQ((TTexts{{"R$ 1.234,50", 10}}), Page(1));
}

// ---- measuring where the text prints

class CtrlsMeasuring : public CtrlsOnEngine, public ::testing::WithParamInterface<int> {
protected:
  void SetUp() override {
    CtrlsOnEngine::SetUp();
    if (GetParam() != 96) UsePrinterOf(GetParam());
  }
  TppLabel* Sized(TppBand* B, const std::string& Caption, bool WordWrap = false) {
    auto* L = new TppLabel(&Form);
    L->SetBand(B);
    L->SetWordWrap(WordWrap);
    L->Font()->SetName("Arial");
    L->Font()->SetSize(10);
    L->SetBounds(5 * mm, 0, 25 * mm, 5 * mm);
    L->SetCaption(Caption);
    return L;
  }
};

TEST_P(CtrlsMeasuring, AutoSizeTakesTheTextsExtentAtTheResolutionItPrintsAt) {
  const int Dpi = GetParam();
  if (Dpi != 96) ASSERT_NE(nullptr, Report->GetPrinter()->MeasuringCanvas()) << "the virtual printer measures";
  const std::string Caption = "Relatório de Clientes";
  TppLabel* L = Sized(Band<TppDetailBand>(), Caption);
  const auto [Width, Height] = Extent(*L->Font(), Caption, Dpi);
  const int32_t Pixel = 25400 / Dpi + 1;
  EXPECT_NEAR(Width, L->mmWidth(), Pixel);
  EXPECT_GE(L->mmHeight(), Height - Pixel);
  EXPECT_LT(L->mmHeight(), Height * 3 / 2);
  // About the same length on paper whatever the resolution (hinting moves it a little).
  EXPECT_NEAR(Extent(*L->Font(), Caption, 96).first, L->mmWidth(), L->mmWidth() / 20);
  EXPECT_EQ(5 * mm, L->mmLeft());  // left aligned: the left edge stays
}

TEST_P(CtrlsMeasuring, WordWrapBreaksWhereTheSizingBrokeAtTheSameResolution) {
  const int Dpi = GetParam();
  auto* D = Band<TppDetailBand>(40 * mm);
  D->SetPrintHeight(phDynamic);
  TppLabel* L = Sized(D, "Clientes ativos por região e vendedor no último trimestre", true);
  Names(1);
  Run();
  ASSERT_EQ(1u, Commands<TppDrawText>(1).size());
  const TppDrawText& C = *Commands<TppDrawText>(1)[0];
  ASSERT_TRUE(C.WordWrap());
  ASSERT_NE(nullptr, C.WrappedText());
  const int Lines = C.WrappedText()->Count();
  EXPECT_GE(Lines, 3);
  const int32_t LineHeight = Extent(*L->Font(), "Ag", Dpi).second;
  // The auto-sized height holds exactly the lines the command wraps into.
  EXPECT_NEAR(L->mmHeight(), Lines * LineHeight, LineHeight / 2) << Lines << " lines at " << Dpi;
  EXPECT_LE(L->mmWidth(), 25 * mm);
  std::string Joined;
  for (int I = 0; I < Lines; ++I) {
    EXPECT_LE(Extent(*L->Font(), C.WrappedText()->Get(I), Dpi).first, C.Width() + 25400 / Dpi + 1) << I;
    Joined += (I ? " " : "") + C.WrappedText()->Get(I);
  }
  EXPECT_EQ("Clientes ativos por região e vendedor no último trimestre", Joined);
}

TEST_P(CtrlsMeasuring, TurnedLabelsAt90And270) {
  const std::string Caption = "Total geral";
  auto* D = Band<TppDetailBand>(40 * mm);
  TppLabel* Flat = Sized(D, Caption);
  TppLabel* Up = Sized(D, Caption);
  Up->SetAngle(90);
  TppLabel* Down = Sized(D, Caption);
  Down->SetAngle(-90);
  EXPECT_EQ(270, Down->Angle());
  for (TppLabel* L : {Up, Down}) {
    // The box turns with the text.
    EXPECT_NEAR(Flat->mmWidth(), L->mmHeight(), 2 * 265);
    EXPECT_LT(L->mmWidth(), L->mmHeight());
  }
  // Upwards from the bottom left corner; downwards from the top right one.
  EXPECT_EQ(0, Up->RotatedOriginLeft());
  EXPECT_EQ(Up->mmHeight(), Up->RotatedOriginTop());
  EXPECT_EQ(Down->mmWidth(), Down->RotatedOriginLeft());
  EXPECT_EQ(0, Down->RotatedOriginTop());
  Names(1);
  Run();
  const auto Texts = Commands<TppDrawText>(1);
  ASSERT_EQ(3u, Texts.size());
  for (auto [I, L] : {std::pair{1, Up}, std::pair{2, Down}}) {
    EXPECT_EQ(L->Angle(), Texts[I]->Angle());
    EXPECT_EQ(Caption, Texts[I]->Text());
    EXPECT_EQ(L->mmHeight(), Texts[I]->Height());
    EXPECT_EQ(L->RotatedOriginLeft(), Texts[I]->RotatedOriginLeft());
    EXPECT_EQ(L->RotatedOriginTop(), Texts[I]->RotatedOriginTop());
  }
}

INSTANTIATE_TEST_SUITE_P(Dpi, CtrlsMeasuring, ::testing::Values(96, 600),
                         [](const auto& Info) { return std::to_string(Info.param) + "dpi"; });

// ---- property rules

TEST(ppCtrlsTest, AngleWordWrapAndAlignmentRules) {
  TComponent Owner(nullptr);
  auto* L = new TppLabel(&Owner);
  L->SetAutoSize(false);
  L->SetWordWrap(true);
  struct TCase {
    int Set, Expected;
  };
  // -359..-1 count from 360; anything outside -359..359 leaves the angle.
  for (TCase C : {TCase{-90, 270}, {400, 270}, {359, 359}, {-359, 1}, {360, 1}, {0, 0}, {-1, 359}}) {
    L->SetAngle(C.Set);
    EXPECT_EQ(C.Expected, L->Angle()) << C.Set;
  }
  EXPECT_FALSE(L->WordWrap()) << "a turned angle turned word wrap off";
  L->SetAngle(90);
  L->SetWordWrap(true);
  EXPECT_FALSE(L->WordWrap());
  L->SetAngle(0);
  L->SetWordWrap(true);
  EXPECT_TRUE(L->WordWrap());
  L->SetTextAlignment(taCentered);
  L->SetTextAlignment(taFullJustified);
  EXPECT_EQ(taCentered, L->TextAlignment());
}

TEST(ppCtrlsTest, SaveOrderIsClampedToTheBandsSaveList) {
  TComponent Owner(nullptr);
  auto* B = new TppDetailBand(&Owner);
  std::vector<TppLabel*> L;
  for (int I = 0; I < 3; ++I) {
    L.push_back(new TppLabel(&Owner));
    L[I]->SetBand(B);
    L[I]->SetSave(true);
  }
  L[0]->MoveToSaveOrder(99);
  EXPECT_EQ(2, L[0]->SaveOrder());
  EXPECT_EQ((std::vector<TppComponent*>{L[1], L[2], L[0]}), (std::vector{B->GetSaves(0), B->GetSaves(1), B->GetSaves(2)}));
  L[0]->SetSaveOrder(-5);
  EXPECT_EQ(0, L[0]->SaveOrder());
  L[1]->SetSave(false);
  EXPECT_EQ(-1, L[1]->SaveOrder());
  EXPECT_EQ(2, B->GetSaveCount());
  L[1]->MoveToSaveOrder(0);  // not saved: stays out
  EXPECT_EQ(2, B->GetSaveCount());
}

TEST(ppCtrlsTest, ALabelsCaptionFollowsItsUserNameUntilEdited) {
  TComponent Owner(nullptr);
  auto* L = new TppLabel(&Owner);
  L->SetAutoSize(false);
  L->SetUserName("Label1");
  L->SetCaption("Label1");
  L->SetUserName("Titulo");
  EXPECT_EQ("Titulo", L->Caption());
  L->SetCaption("Relatório");
  L->SetUserName("Cabecalho");
  EXPECT_EQ("Relatório", L->Caption());
  EXPECT_EQ("Cabecalho: Relatório", L->GetDescription());
}

TEST(ppCtrlsTest, AdjustBoundsByBorderAndAlignment) {
  TComponent Owner(nullptr);
  auto* L = new TppLabel(&Owner);
  L->Border()->SetWeight(72.0f / 25.4f);  // a millimetre
  L->Border()->SetBorderPositions(ppSetBit(bpLeft) | ppSetBit(bpTop) | ppSetBit(bpBottom));
  const int32_t B = L->Border()->GetmmWeight();
  // Sizing runs on every border, caption and wrap change: each case starts from these bounds.
  auto Adjust = [&](TAlignment A) {
    L->SetAlignment(A);
    L->SetBounds(10000, 2000, 30000, 5000);
    return L->AdjustBounds({0, 0, 20000, 4000});
  };
  // Sides set just now: the right-aligned text keeps its left edge once, then its right edge; the
  // centred one its centre, the border's width included.
  L->Border()->SetPreviousBorderPositions(ppSetBit(bpLeft));
  EXPECT_EQ((TppControlBounds{10000, 2000, 20000 + B, 4000 + 2 * B}), Adjust(taRightJustify));
  EXPECT_EQ((TppControlBounds{20000 - B, 2000, 20000 + B, 4000 + 2 * B}), Adjust(taRightJustify));
  EXPECT_EQ((TppControlBounds{15000 - B / 2, 2000, 20000 + B, 4000 + 2 * B}), Adjust(taCenter));
  EXPECT_EQ((TppControlBounds{10000, 2000, 20000 + B, 4000 + 2 * B}), Adjust(taLeftJustify));
  // Without auto-size the box keeps its width, and its height unless the text wraps.
  L->SetAutoSize(false);
  EXPECT_EQ((TppControlBounds{10000, 2000, 30000, 5000}), Adjust(taLeftJustify));
  L->SetWordWrap(true);
  EXPECT_EQ((TppControlBounds{10000, 2000, 30000, 4000 + 2 * B}), Adjust(taLeftJustify));
}

TEST(ppCtrlsTest, BreakGroupsFollowRenamesAndLetGoWhenTheTextGoes) {
  TComponent Owner(nullptr);
  auto* R = new enginetest::TTestReport(&Owner);
  auto* B = new TppDetailBand(&Owner);
  B->SetReport(R);
  auto* L = new TppLabel(&Owner);
  L->SetBand(B);
  L->SetName("lblCidade");
  auto* G = new TppGroup(&Owner);
  G->SetReport(R);
  G->SetBreakType(btCustomField);
  G->SetBreakName("lblCidade");
  ASSERT_EQ(1, L->BreakGroupCount());
  L->SetName("lblUF");
  EXPECT_EQ("lblUF", G->BreakName());
  L->Free();
  EXPECT_EQ("", G->BreakName());
}

}  // namespace ctrlstest
