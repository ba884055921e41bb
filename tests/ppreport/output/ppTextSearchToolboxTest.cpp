#include "ppreport/output/ppTextSearchToolbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppTypes.h"
#include "tests/ppreport/core/FixedMetrics.h"

namespace searchtoolboxtest {

TppTextSearchToolbox& Toolbox() { return TppTextSearchToolboxRegistry::ToolboxClass(); }

int32_t Find(const std::string& Text, const std::string& Search, bool Case, bool Whole, int32_t* Length = nullptr) {
  int32_t Position = -1;
  const bool Found = Toolbox().FindText(Text, Search, Case, Whole, Position, Length);
  EXPECT_EQ(Found, Position > 0) << Text << " / " << Search;
  return Position;
}

TEST(ppTextSearchToolboxTest, DelimiterList) {
  const TStrings& D = TppTextSearchToolbox::WordDelimiters();
  ASSERT_EQ(30, D.Count());
  EXPECT_EQ(" ", D.Strings(0));
  EXPECT_EQ("\\", D.Strings(29));
  EXPECT_EQ("`", D.Strings(27));
  for (char32_t C : {U'\t', U'\r', U'\n', U'_', U'a', U'0', U'é'}) EXPECT_FALSE(TppTextSearchToolbox::IsWordDelimiter(C));
  TStringList Again;
  Again.Add("stale");
  Toolbox().FillWordDelimiters(Again);
  EXPECT_EQ(30, Again.Count());
}

TEST(ppTextSearchToolboxTest, WholeWordAndCaseRules) {
  const struct {
    const char* Text;
    const char* Search;
    bool Case, Whole;
    int32_t Position;
  } Cases[] = {
      {"cat", "cat", false, true, 1},
      {"cat.", "cat", false, true, 1},
      {"the cat", "cat", false, true, 5},
      {"cats", "cat", false, true, 0},
      {"concat", "cat", false, true, 0},
      {"(cat)", "cat", false, true, 2},
      {"catcat cat", "cat", false, true, 8},
      {"cat_cat", "cat", false, true, 0},
      {"ab_ab ab", "ab", false, true, 7},
      {"a\tcat", "cat", false, true, 0},  // a tab is no delimiter
      {"cats", "cat", false, false, 1},
      {"x-y", "-", false, true, 2},  // a delimiter itself: plain search
      {"a - b", "-", true, true, 3},
      {"The CAT", "cat", false, true, 5},
      {"The CAT", "cat", true, true, 0},
      {"The CAT", "CAT", true, false, 5},
      {"the cat", "cat ", false, false, 0},  // used as typed
      {"the cat", "cat ", false, true, 0},
      {"ca", "cat", false, false, 0},
      {"ca", "cat", false, true, 0},
      {"cat", "", false, false, 0},
      {"cat", "", false, true, 0},
      {"", "", false, false, 0},
      {"Total: 100", "100", false, true, 8},
      {"ÉCOLE école", "école", false, true, 1},  // accented letters across case
      {"ÉCOLE école", "école", true, true, 8},   // bytes: "ÉCOLE " is 7
      {"ação, AÇÃO", "AÇÃO", true, true, 9},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(C.Position, Find(C.Text, C.Search, C.Case, C.Whole))
        << "'" << C.Text << "' / '" << C.Search << "' case " << C.Case << " whole " << C.Whole;

  // The length of the match in the text, which may differ from the search text's without case.
  int32_t Length = 0;
  EXPECT_EQ(3, Find("x ÉCOLE", "école", false, false, &Length));
  EXPECT_EQ(6, Length);
  EXPECT_EQ(3, Find("a \xFF" "b", "\xFF" "B", false, false, &Length));  // bytes that are no UTF-8 match as they are
  EXPECT_EQ(2, Length);
}

TEST(ppTextSearchToolboxTest, ReplaceText) {
  std::string R;
  Toolbox().ReplaceText("Cat cat CAT", "cat", R, false, true, "dog");
  EXPECT_EQ("dog dog dog", R);
  Toolbox().ReplaceText("Cat cat CAT", "cat", R, true, false, "dog");
  EXPECT_EQ("Cat dog CAT", R);
  Toolbox().ReplaceText("abc", "", R, false, true, "x");
  EXPECT_EQ("abc", R);
}

// A replacement toolbox is what callers get once registered, and the standard one again after.
TEST(ppTextSearchToolboxTest, RegistryTakesAReplacement) {
  struct TExact : TppTextSearchToolbox {
    bool FindText(std::string_view Text, std::string_view Search, bool, bool, int32_t& Position,
                  int32_t* Length) const override {
      Position = Text == Search ? 1 : 0;
      if (Length) *Length = Position ? static_cast<int32_t>(Text.size()) : 0;
      return Position > 0;
    }
  } Exact;
  TppTextSearchToolbox* Standard = &TppTextSearchToolboxRegistry::ToolboxClass();
  TppTextSearchToolboxRegistry::SetToolboxClass(&Exact);
  EXPECT_EQ(0, Find("the cat", "cat", false, false));
  TppTextSearchToolboxRegistry::SetToolboxClass(nullptr);
  EXPECT_EQ(Standard, &TppTextSearchToolboxRegistry::ToolboxClass());
  EXPECT_EQ(5, Find("the cat", "cat", false, false));
}

TEST(ppTextSearchToolboxTest, LineHeightAndWidth) {
  TFixedMetricsDC Dc(96, 10, 20);
  TCanvas Canvas(&Dc);
  EXPECT_EQ(70, Toolbox().TextWidth("Total: ", Canvas));

  std::unique_ptr<TppDrawText, TComponentDeleter> Memo(new TppDrawText(nullptr));
  Memo->SetIsMemo(true);
  TStringList Lines;
  Lines.Add("one");
  Lines.Add("two");
  Lines.Add("three");
  Memo->SetWrappedText(&Lines);
  const std::string FontBefore = Canvas.Font().Name();
  // Drawn 21 pixels a line against 20 measured: within 10 %, the drawn spacing counts.
  Memo->SetDrawRect(TRect{0, 0, 100, 63});
  EXPECT_EQ(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, 21), Toolbox().CalculateLineHeight(*Memo, &Canvas, 1));
  // 30 a line is too far off: the font's metrics count.
  Memo->SetDrawRect(TRect{0, 0, 100, 90});
  EXPECT_EQ(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, 20), Toolbox().CalculateLineHeight(*Memo, &Canvas, 1));
  // A single text: the whole rectangle is its line.
  std::unique_ptr<TppDrawText, TComponentDeleter> Text(new TppDrawText(nullptr));
  Text->SetDrawRect(TRect{0, 10, 100, 29});
  EXPECT_EQ(ConvertToMicrons(utScreenPixels, ppVertical, nullptr, 19), Toolbox().CalculateLineHeight(*Text, &Canvas, 2));
  EXPECT_EQ(FontBefore, Canvas.Font().Name());

  try {
    Toolbox().CalculateLineHeight(*Text, nullptr, 1);
    ADD_FAILURE() << "no error";
  } catch (const ESearchError& E) {
    EXPECT_STREQ("TppTextMetrics.CalculateLineHeight: Must assign current canvas before calling this routine.", E.what());
  }
}

}  // namespace searchtoolboxtest
