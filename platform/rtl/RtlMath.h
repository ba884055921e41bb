#pragma once
// Rounding as the class library does it, and the 80-bit extended codec.
#include <array>
#include <cstdint>

// Nearest integer, halves to even, computed on long double. Beyond int64 the nearest end, NaN 0
// (both here and in Trunc).
int64_t Round(long double X);
// Toward zero.
int64_t Trunc(long double X);
// Integer division and remainder toward zero (C++ already does this; named for clarity).
constexpr int64_t IntDiv(int64_t A, int64_t B) { return A / B; }
constexpr int64_t IntMod(int64_t A, int64_t B) { return A % B; }

using TExtendedBytes = std::array<uint8_t, 10>;
// 10-byte x87 extended: 64-bit mantissa with explicit integer bit, 15-bit exponent, sign.
TExtendedBytes EncodeExtended(long double X);
long double DecodeExtended(const TExtendedBytes& B);
long double DecodeExtended(const uint8_t* B);
