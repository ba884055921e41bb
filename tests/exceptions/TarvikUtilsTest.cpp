#include "exceptions/base/TarvikUtils.h"

#include <gtest/gtest.h>

namespace {
TEST(TarvikUtilsTest, ReplaceText) {
  struct {
    const char *Text, *Find, *Replacement, *Expected;
  } Cases[] = {
      {"aaa", "aa", "b", "ba"},  // left to right, never overlapping
      {"a-b-c", "-", "--", "a--b--c"},
      {"Abc abc", "abc", "x", "Abc x"},  // case matters
      {"abc", "", "x", "abc"},
      {"", "a", "b", ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(ReplaceText(C.Text, C.Find, C.Replacement), C.Expected) << C.Text;
}

TEST(TarvikUtilsTest, HtmlEncodeKeepsLinesAndSpacesAndEscapesMarkup) {
  EXPECT_EQ(HtmlEncode("a b\r\nc"), "a&nbsp;b<br>c");
  EXPECT_EQ(HtmlEncode("<script>alert(\"x\") & 1</script>"),
            "&lt;script&gt;alert(&quot;x&quot;)&nbsp;&amp;&nbsp;1&lt;/script&gt;");
  EXPECT_EQ(HtmlEncode("&nbsp;"), "&amp;nbsp;");  // a text's own entities show as text
}

TEST(TarvikUtilsTest, ConditionalTexts) {
  EXPECT_EQ(IfThenText(true, "a", "b"), "a");
  EXPECT_EQ(IfThenText(false, "a", "b"), "b");
  EXPECT_EQ(IfText(true, "a"), "a");
  EXPECT_EQ(IfText(false, "a"), "");
}

TEST(TarvikUtilsTest, StackBaseAndDebugger) {
  int Local = 0;
  EXPECT_GT(GetStackBase(), reinterpret_cast<uintptr_t>(&Local));
  EXPECT_EQ(GetDefaultCharset(), 0);
}
}  // namespace
