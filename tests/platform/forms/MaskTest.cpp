#include "platform/forms/Mask.h"

#include <gtest/gtest.h>

#include "FormsTestUtil.h"

using MaskTest = FormsTest;

TEST(MaskNotation, ClassLibraryMasksBecomeQtInputMasks) {
  const std::pair<const char*, const char*> Cases[] = {
      {"999\\ %;0; ", "000 %; "},      // optional digits, a literal blank and percent sign
      {"99999;0; ", "00000; "},
      {"000-LL;1;_", "999-AA;_"},      // required digits and letters
      {"!>AAaa;0;*", ">NNnn;*"},       // upper case, letters or digits
      {"\\9\\0c", "\\9\\0x;_"},       // escaped mask characters stay literal
  };
  for (auto [In, Out] : Cases) EXPECT_EQ(QtInputMask(In), Out) << In;
}

TEST_F(MaskTest, TextLeavesOutLiteralsAndBlanksUnlessLiteralsAreSaved) {
  TMaskEdit Zoom(nullptr);
  Zoom.SetEditMask("999\\ %;0; ");
  Zoom.SetText("15");
  EXPECT_EQ(Zoom.Text(), "15");
  EXPECT_EQ(Zoom.EditText(), "15  %");
  Zoom.SetText("150");
  EXPECT_EQ(Zoom.Text(), "150");

  TMaskEdit Code(nullptr);
  Code.SetEditMask("000-00;1;_");
  Code.SetText("12345");
  EXPECT_EQ(Code.Text(), "123-45");
  Code.SetEditMask("");
  Code.SetText("livre");
  EXPECT_EQ(Code.Text(), "livre");
}
