#include "platform/rtl/Variants.h"

#include <gtest/gtest.h>

TEST(VariantTest, TypeCodesAndConversions) {
  EXPECT_EQ(Variant().VarType(), varEmpty);
  EXPECT_EQ(Variant::Null().VarType(), varNull);
  EXPECT_EQ(Variant(3).VarType(), varInteger);
  EXPECT_EQ(Variant(2.5).VarType(), varDouble);
  EXPECT_EQ(Variant("a").VarType(), varString);
  EXPECT_EQ(Variant(true).VarType(), varBoolean);
  EXPECT_EQ(Variant::OfInteger(7, varByte).VarType(), 17);
  EXPECT_EQ(Variant::OfCurrency(12345).AsFloat(), 1.2345);
  EXPECT_EQ(Variant::OfCurrency(12345).VarType(), varCurrency);

  EXPECT_EQ(Variant(2.5).AsString(), "2,5");
  EXPECT_EQ(Variant(2.5).AsString(EnglishFormatSettings()), "2.5");
  EXPECT_EQ(Variant::OfDate(EncodeDate(2024, 3, 6)).AsString(), "06/03/2024");
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(Variant::Null().AsString(), "");
  EXPECT_EQ(Variant("12").AsInteger(), 12);
  EXPECT_EQ(Variant("1,5").AsFloat(), 1.5);
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // halves to even
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_EQ(Variant("06/03/2024").AsDateTime(), EncodeDate(2024, 3, 6));
  EXPECT_THROW(Variant("x").AsInteger(), EVariantError);
  EXPECT_THROW(Variant::Null().AsFloat(), EVariantError);
  EXPECT_TRUE(Variant(3) == Variant(3));
  EXPECT_FALSE(Variant(3) == Variant::OfInteger(3, varSmallint));
}
