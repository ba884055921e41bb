#include "platform/rtl/LocaleCase.h"

#include <gtest/gtest.h>

#include "platform/rtl/Win1252.h"

TEST(LocaleCaseTest, AccentedLettersBothWays) {
  EXPECT_EQ(AnsiUpperCase("ação é çá ñ ÿ œ š ž"), "AÇÃO É ÇÁ Ñ Ÿ Œ Š Ž");
  EXPECT_EQ(AnsiLowerCase("AÇÃO É ÇÁ Ñ Ÿ Œ Š Ž"), "ação é çá ñ ÿ œ š ž");
  // Letters without a case partner and non-letters stay.
  EXPECT_EQ(AnsiUpperCase("ß µ × ÷ 1-2"), "ß µ × ÷ 1-2");
  EXPECT_EQ(AnsiUpperCase("ąłő αβγ жя"), "ĄŁŐ ΑΒΓ ЖЯ");
  EXPECT_EQ(AnsiLowerCase("ĄŁŐ ΑΒΓ ЖЯЁ"), "ąłő αβγ жяё");
  EXPECT_TRUE(AnsiSameText("Preço", "PREÇO"));
  EXPECT_FALSE(AnsiSameText("Preco", "PREÇO"));
}

TEST(LocaleCaseTest, Win1252BytesAgreeWithUtf8) {
  std::string Bytes = Utf8ToWin1252("àéîõüçÿšžœ abc");
  EXPECT_EQ(Win1252ToUtf8(UpperCase1252(Bytes)), "ÀÉÎÕÜÇŸŠŽŒ ABC");
  EXPECT_EQ(LowerCase1252(UpperCase1252(Bytes)), Bytes);
  EXPECT_EQ(UpperCase1252(static_cast<unsigned char>(0xDF)), 0xDF);  // ß
}
