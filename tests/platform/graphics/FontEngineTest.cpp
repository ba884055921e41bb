#include "platform/graphics/FontEngine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/platform/graphics/FontTestUtil.h"

namespace {
TLogFont Font(const char* Face, int Height, int Width = 0, int Weight = FW_NORMAL, bool Italic = false) {
  TLogFont F;
  F.FaceName = Face;
  F.Height = Height;
  F.Width = Width;
  F.Weight = Weight;
  F.Italic = Italic;
  return F;
}

int Sum(const std::vector<int>& V) {
  int S = 0;
  for (int A : V) S += A;
  return S;
}
}  // namespace

// Text below U+0100 is measured from a table each font makes once; a line with a character beyond
// it goes through Qt's glyphs every time. Both must give the same advances, justified or not, and
// a width must be the sum of the integer advances.
TEST(FontEngineTest, LatinTextFromTheTableMeasuresAsTheGlyphsDo) {
  REQUIRE_METRIC_FONTS();
  std::u16string Latin;
  for (char16_t C = 1; C < 256; ++C) Latin += C;
  const std::u16string Beyond = Latin + u"\u20ac\u4e2d";  // the euro sign and a Chinese character
  const TLogFont Fonts[] = {Font("Arial", -12), Font("Times New Roman", -37, 0, FW_BOLD, true),
                            Font("Courier New", 15) /* a cell height */, Font("Arial", -20, 7) /* narrowed */};
  const int Justify[][2] = {{0, 0}, {7, 2}, {-5, 3}, {1000, 1}};
  for (const TLogFont& F : Fonts) {
    SCOPED_TRACE(F.FaceName + " " + std::to_string(F.Height));
    const std::vector<double> Short = FontEngine::Advances(F, Latin), Long = FontEngine::Advances(F, Beyond);
    ASSERT_EQ(Short.size(), Latin.size());
    for (size_t I = 0; I < Latin.size(); ++I) ASSERT_EQ(Short[I], Long[I]) << "U+" << std::hex << int(Latin[I]);
    // Unjustified integer advances: differences of the running sums rounded halves away from zero.
    std::vector<int> Rounded;
    double Running = 0;
    long Prev = 0;
    for (double A : Short) {
      Running += A;
      Rounded.push_back(static_cast<int>(std::lround(Running) - Prev));
      Prev = std::lround(Running);
    }
    EXPECT_EQ(FontEngine::IntAdvances(F, Latin, 0, 0), Rounded);
    for (const auto& [Extra, Count] : Justify) {
      SCOPED_TRACE(std::to_string(Extra) + " over " + std::to_string(Count));
      const std::vector<int> A = FontEngine::IntAdvances(F, Latin, Extra, Count);
      const std::vector<int> B = FontEngine::IntAdvances(F, Beyond, Extra, Count);
      EXPECT_EQ(A, std::vector<int>(B.begin(), B.begin() + static_cast<long>(A.size())));
      EXPECT_EQ(FontEngine::TextWidth(F, Latin, Extra, Count), Sum(A));
      EXPECT_EQ(FontEngine::TextWidth(F, Beyond, Extra, Count), Sum(B));
    }
  }
}
