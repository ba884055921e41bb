#include "ppreport/output/ppTextSearchHighlighter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppPlainText.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "tests/ppreport/core/FixedMetrics.h"

namespace searchhighlighttest {

template <class T>
using TOwnedCmd = std::unique_ptr<T, TComponentDeleter>;

// Screen pixels in microns, as the highlighter converts them.
int32_t Px(int Pixels) { return ConvertToMicrons(utScreenPixels, ppHorizontal, nullptr, static_cast<float>(Pixels)); }
int32_t Scaled(int32_t Microns, double Scale) { return static_cast<int32_t>(Round(Microns / static_cast<long double>(Scale))); }

// Characters 10 pixels wide on the canvas; the command as the screen device left it.
struct THighlightFixture {
  TFixedMetricsDC Dc{96, 10, 20};
  TCanvas Canvas{&Dc};
  TppTextSearchSelectionHighlighter Highlighter;
  TOwnedCmd<TppDrawText> Text{new TppDrawText(nullptr)};
  TppTextSearchOccurrence Hit;

  explicit THighlightFixture(const std::string& S, int Ordinal = 1) {
    Text->SetText(S);
    Text->SetLeft(5000);
    Text->SetTop(20000);
    Text->SetColor(clBtnFace);
    Text->Font()->SetColor(clBlack);
    Text->SetLayoutFontHeight(-13);
    Text->SetLayoutLineHeight(4000);
    Text->SetLayoutTextWidth(Px(10 * static_cast<int>(S.size())));
    Hit.SetOrdinalInLine(Ordinal);
  }
  TppDrawText* Highlight(const std::string& Search) {
    Made = Highlighter.CreateHighlight(Text.get(), &Hit, Search, &Canvas);
    return dynamic_cast<TppDrawText*>(Made.get());
  }
  TppOwnedDrawCommand Made;
};

std::string HighlightError(THighlightFixture& F, const std::string& Search, TppDrawCommand* Command = nullptr,
                           bool NoHit = false, bool NoCanvas = false) {
  try {
    F.Highlighter.CreateHighlight(Command ? Command : F.Text.get(), NoHit ? nullptr : &F.Hit, Search,
                                  NoCanvas ? nullptr : &F.Canvas);
  } catch (const ESearchHighlightError& E) {
    return E.what();
  }
  return "no error";
}

TEST(ppTextSearchHighlighterTest, PlacesTheMatchOnItsLine) {
  const struct {
    const char* Text;
    const char* Search;
    int Ordinal;
    TppTextAlignment Alignment;
    int LeftPx;
    const char* Shown;
  } Cases[] = {
      {"Total: 100", "100", 1, taLeftJustified, 70, "100"},
      {"ab ab", "ab", 2, taLeftJustified, 30, "ab"},
      {"Total", "TOTAL", 1, taLeftJustified, 0, "Total"},     // the report's own case is shown
      {"Total: 100", "100", 1, taRightJustified, 170, "100"},  // command 200 pixels wide
      {"Total: 100", "Total", 1, taRightJustified, 100, "Total"},
      {"Total: 100", "100", 1, taCentered, 80, "100"},  // text laid out 120 wide: 70 + R(9.5)
  };
  for (const auto& C : Cases) {
    THighlightFixture F(C.Text, C.Ordinal);
    F.Text->SetTextAlignment(C.Alignment);
    F.Text->SetWidth(Px(200));
    if (C.Alignment == taCentered) F.Text->SetLayoutTextWidth(Px(120) + 50);  // clear of the truncation
    TppDrawText* H = F.Highlight(C.Search);
    ASSERT_NE(nullptr, H) << C.Text;
    EXPECT_EQ(C.Shown, H->Text()) << C.Text;
    EXPECT_EQ(5000 + Px(C.LeftPx), H->Left()) << C.Text << " " << C.Alignment;
    EXPECT_EQ(20000, H->Top());
    EXPECT_EQ(Px(10 * static_cast<int>(std::string(C.Shown).size())) + 100, H->Width()) << C.Text;
    EXPECT_EQ(4000, H->Height());
    EXPECT_TRUE(H->RedrawPage());
    EXPECT_EQ(clHighlight, H->Color());
    EXPECT_EQ(clHighlightText, H->Font()->Color());
    // The colours the highlight covers are kept for erasing it.
    EXPECT_EQ(clBtnFace, F.Hit.SavedBackColor);
    EXPECT_EQ(clBlack, F.Hit.SavedFontColor);
  }
}

TEST(ppTextSearchHighlighterTest, ItalicZoomAndMemoLines) {
  THighlightFixture F("Total: 100");
  // A cached copy of a drawn command keeps the layout the highlight needs.
  TOwnedCmd<TppDrawText> Copy(new TppDrawText(nullptr));
  Copy->Assign(F.Text.get());
  EXPECT_EQ(-13, Copy->LayoutFontHeight());
  EXPECT_EQ(4000, Copy->LayoutLineHeight());
  EXPECT_EQ(F.Text->LayoutTextWidth(), Copy->LayoutTextWidth());
  F.Text->Font()->SetStyle(fsItalic);
  EXPECT_EQ(Px(30) + 750, F.Highlight("100")->Width());  // 0.75 mm over the slant at 100 %

  // At 200 % the viewer's measures are halved back into the report's.
  F.Highlighter.ScaleX = F.Highlighter.ScaleY = 2;
  TppDrawText* H = F.Highlight("100");
  EXPECT_EQ(5000 + Scaled(Px(70), 2), H->Left());
  EXPECT_EQ(Scaled(Px(30) + 1500, 2), H->Width());
  EXPECT_EQ(2000, H->Height());
  F.Highlighter.ScaleX = F.Highlighter.ScaleY = 1;

  // A memo: the hit's wrapped line, one line height further down per line.
  THighlightFixture M("", 2);
  M.Text->SetIsMemo(true);
  TStringList Lines;
  Lines.Add("first line");
  Lines.Add("a cat and a cat");
  M.Text->SetWrappedText(&Lines);
  M.Hit.TextLineNo = 2;
  H = M.Highlight("cat");
  EXPECT_EQ("cat", H->Text());
  EXPECT_EQ(5000 + Px(120), H->Left());
  EXPECT_EQ(20000 + 4000, H->Top());
  M.Hit.TextLineNo = 3;
  EXPECT_NE("no error", HighlightError(M, "cat"));

  // Justified: the whole line again, justified unless it ends its paragraph.
  M.Text->SetTextAlignment(taFullJustified);
  M.Hit.TextLineNo = 2;
  H = M.Highlight("cat");
  EXPECT_EQ("a cat and a cat", H->Text());
  EXPECT_EQ(taFullJustified, H->TextAlignment());
  EXPECT_EQ(5000, H->Left());
  EXPECT_EQ(M.Text->LayoutTextWidth() + 100, H->Width());
  Lines.SetStrings(1, "a cat and a cat" + std::string(TppTextMarkups::ParagraphEnd()));
  M.Text->SetWrappedText(&Lines);
  H = M.Highlight("cat");
  EXPECT_EQ("a cat and a cat", H->Text());
  EXPECT_NE(taFullJustified, H->TextAlignment());
}

TEST(ppTextSearchHighlighterTest, RefusesWhatItCannotHighlight) {
  THighlightFixture F("Total: 100");
  const std::string Base = "TppTextSearchDrawCommandHighlighter.CreateHighlight: ";
  EXPECT_EQ(Base + "Must pass a non nil draw command object.", [&] {
    try {
      F.Highlighter.CreateHighlight(nullptr, &F.Hit, "100", &F.Canvas);
    } catch (const ESearchHighlightError& E) {
      return std::string(E.what());
    }
    return std::string("no error");
  }());
  EXPECT_EQ(Base + "Must pass a non nil draw command search Artifact object.", HighlightError(F, "100", nullptr, true));
  EXPECT_EQ(Base + "Must pass a non nil TCanvas object.", HighlightError(F, "100", nullptr, false, true));
  TOwnedCmd<TppDrawImage> Image(new TppDrawImage(nullptr));
  EXPECT_EQ("TppTextSearchHighlighter.HighlightText: Must pass a TppDrawText object.", HighlightError(F, "100", Image.get()));
  F.Text->SetLayoutFontHeight(0);
  EXPECT_EQ("TppTextSearchHighlighter.CreateHighlight: Must use a screen device to generate highlights. TppDrawText",
            HighlightError(F, "100"));
  F.Text->SetLayoutFontHeight(-13);
  F.Text->SetLayoutLineHeight(0);
  EXPECT_EQ("TppTextSearchHighlighter.CalculateSize: Must use a screen device to generate highlights.",
            HighlightError(F, "100"));
}

TEST(ppTextSearchHighlighterTest, RegistryFindsOneInstancePerClass) {
  using Reg = TppTextSearchDrawCommandHighlightRegistry;
  TFinally Clean([] { Reg::Clear(); });
  struct TOther : TppTextSearchHighlighter {};
  Reg::Register<TppDrawText, TppTextSearchSelectionHighlighter>();
  Reg::Register<TppDrawVariable, TOther>();  // the more general registration wins

  TOwnedCmd<TppDrawText> A(new TppDrawText(nullptr)), B(new TppDrawText(nullptr));
  TOwnedCmd<TppDrawVariable> V(new TppDrawVariable(nullptr));
  TOwnedCmd<TppDrawImage> Image(new TppDrawImage(nullptr));
  TppTextSearchDrawCommandHighlighter& H = Reg::GetHighlighter(*A);
  EXPECT_EQ(&H, &Reg::GetHighlighter(*B));
  EXPECT_EQ(&H, &Reg::GetHighlighter(*V));
  EXPECT_NE(nullptr, dynamic_cast<TppTextSearchSelectionHighlighter*>(&H));
  EXPECT_TRUE(Reg::HasHighlighter(TppDrawCalc::StaticClassInfo()));
  EXPECT_FALSE(Reg::HasHighlighter(TppDrawImage::StaticClassInfo()));
  try {
    Reg::GetHighlighterClass(*Image);
    ADD_FAILURE() << "no error";
  } catch (const ESearchError& E) {
    EXPECT_STREQ("TppTextSearchHighlightRegistry.GetHighlighterForDrawCommand: Unable to find highlighter class for: "
                 "TppDrawImage.",
                 E.what());
  }

  // Of two for one class the last counts; unregistering one pair leaves the other.
  Reg::Register<TppDrawText, TOther>();
  EXPECT_NE(nullptr, dynamic_cast<TOther*>(&Reg::GetHighlighter(*A)));
  Reg::UnRegister<TppDrawText, TOther>();
  EXPECT_EQ(&H, &Reg::GetHighlighter(*A));
  Reg::UnRegister<TppDrawText, TppTextSearchSelectionHighlighter>();
  EXPECT_NE(nullptr, dynamic_cast<TOther*>(&Reg::GetHighlighter(*V)));
  EXPECT_FALSE(Reg::HasHighlighter(TppDrawText::StaticClassInfo()));
}

}  // namespace searchhighlighttest
