#pragma once
// Rounding as the class library does it, and the 80-bit extended codec.
#include <array>
#include <cmath>
#include <cstdint>

namespace RtlMathDetail {
int64_t RoundBeyond(long double X);
}

// Nearest integer, halves to even, computed on long double. Beyond int64 the nearest end, NaN 0
// (both here and in Trunc). Inline: a page's layout rounds every length it places.
inline int64_t Round(long double X) {
  // Below 2^62 (NaN is not) the rounding mode decides, which is to-nearest-even unless changed.
  if (X > -4611686018427387904.0L && X < 4611686018427387904.0L) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // The x87 store llrintl itself is, without the call.
    int64_t R;
    __asm__("fistpll %0" : "=m"(R) : "t"(X) : "st");
    return R;
#else
    return std::llrintl(X);
#endif
  }
  return RtlMathDetail::RoundBeyond(X);
}
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
