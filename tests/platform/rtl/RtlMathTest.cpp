#include "platform/rtl/RtlMath.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(RoundTest, HalvesToEvenTruncTowardZero) {
  struct Case {
    long double X;
    int64_t Round, Trunc;
  };
  const Case Cases[] = {{0.5L, 0, 0},   {1.5L, 2, 1},   {2.5L, 2, 2},     {-0.5L, 0, 0},
                        {-1.5L, -2, -1}, {-2.5L, -2, -2}, {2.4999L, 2, 2}, {-2.7L, -3, -2},
                        {1e12L + 0.5L, 1000000000000, 1000000000000},
                        // Either side of 2^62, where the short way ends, and just below 2^63.
                        {4611686018427387903.5L, 4611686018427387904, 4611686018427387903},
                        {-4611686018427387904.5L, -4611686018427387904, -4611686018427387904},
                        {9223372036854775806.5L, INT64_MAX - 1, INT64_MAX - 1},
                        {9223372036854775807.5L, INT64_MAX, INT64_MAX},
                        {-9223372036854775808.0L, INT64_MIN, INT64_MIN},
                        // Beyond int64 (a damaged file's float): the nearest end, NaN 0.
                        {6.7e27L, INT64_MAX, INT64_MAX}, {-6.7e27L, INT64_MIN, INT64_MIN},
                        {INFINITY, INT64_MAX, INT64_MAX}, {NAN, 0, 0}};
  for (const Case& C : Cases) {
    EXPECT_EQ(Round(C.X), C.Round) << static_cast<double>(C.X);
    EXPECT_EQ(Trunc(C.X), C.Trunc) << static_cast<double>(C.X);
  }
}

TEST(ExtendedTest, KnownBytesAndRoundTrip) {
  // 1.0 = mantissa 0x8000000000000000, exponent 0x3FFF.
  TExtendedBytes One{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(EncodeExtended(1.0L), One);
  EXPECT_EQ(DecodeExtended(One), 1.0L);
  TExtendedBytes MinusTen{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0xC0};
  EXPECT_EQ(EncodeExtended(-10.0L), MinusTen);
  for (long double X : {0.0L, 0.1L, -3.14159L, 1e300L, 1e-300L, 123456789.125L, 1e-4940L})
    EXPECT_EQ(DecodeExtended(EncodeExtended(X)), X);
  EXPECT_TRUE(std::isnan(DecodeExtended(EncodeExtended(NAN))));
  EXPECT_EQ(DecodeExtended(EncodeExtended(-INFINITY)), -INFINITY);
}
