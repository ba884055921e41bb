#include "platform/rtl/Win1252.h"

#include <gtest/gtest.h>

TEST(Win1252Test, ConvertsBothWays) {
  EXPECT_EQ(Utf8ToWin1252("Relatórios €"), std::string("Relat\xF3rios \x80"));
  EXPECT_EQ(Win1252ToUtf8("Relat\xF3rios \x80"), "Relatórios €");
  EXPECT_EQ(Utf8ToWin1252("日本"), "??");
  EXPECT_EQ(Win1252Length("Página"), 6u);
  // Every byte survives bytes -> UTF-8 -> bytes.
  std::string All;
  for (int I = 0; I < 256; ++I) All += static_cast<char>(I);
  EXPECT_EQ(Utf8ToWin1252(Win1252ToUtf8(All)), All);
}

TEST(Win1252Test, StrayBytesAreKept) {
  // Invalid UTF-8 is taken as Windows-1252 bytes, so nothing is lost.
  EXPECT_EQ(Utf8ToWin1252(std::string("a\xE9z")), std::string("a\xE9z"));
}

TEST(Win1252Test, Utf16) {
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("ação 😀")), "ação 😀");
  EXPECT_EQ(Utf8ToUtf16("😀").size(), 2u);
  // Stray bytes, a cut sequence at the end among them, are Windows-1252 characters.
  EXPECT_EQ(Utf8ToUtf16(std::string("a\xE9z\x80\xF0\x9F")), u"a\u00e9z\u20ac\u00f0\u0178");
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}
