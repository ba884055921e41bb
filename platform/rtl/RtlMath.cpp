#include "platform/rtl/RtlMath.h"

#include <cfenv>
#include <cmath>
#include <cstring>

namespace {
// A value beyond int64 (a damaged file's float) gives the nearest end instead of undefined behaviour;
// NaN gives 0.
int64_t Saturated(long double R) {
  constexpr long double Limit = 9223372036854775808.0L;  // 2^63
  if (std::isnan(R)) return 0;
  if (R >= Limit) return INT64_MAX;
  if (R < -Limit) return INT64_MIN;
  return static_cast<int64_t>(R);
}
}  // namespace

// nearbyintl honours the rounding mode as the short way does, but saves and restores the
// floating-point environment: fine for the few values that come here.
int64_t RtlMathDetail::RoundBeyond(long double X) { return Saturated(std::nearbyintl(X)); }

int64_t Trunc(long double X) { return Saturated(std::truncl(X)); }

TExtendedBytes EncodeExtended(long double X) {
  TExtendedBytes B{};
  uint16_t SignExp;
  uint64_t Mant;
  if (X == 0) {
    Mant = 0;
    SignExp = std::signbit(X) ? 0x8000 : 0;
  } else if (std::isnan(X)) {
    Mant = 0xC000000000000000ull;
    SignExp = 0x7FFF;
  } else if (std::isinf(X)) {
    Mant = 0x8000000000000000ull;
    SignExp = X < 0 ? 0xFFFF : 0x7FFF;
  } else {
    int E;
    long double F = std::frexp(std::fabs(X), &E);  // F in [0.5, 1)
    int Biased = E - 1 + 16383;
    if (Biased <= 0) {  // denormal: shift the mantissa right
      Mant = static_cast<uint64_t>(std::ldexp(F, 64 + Biased - 1));
      Biased = 0;
    } else {
      Mant = static_cast<uint64_t>(std::ldexp(F, 64));
    }
    SignExp = static_cast<uint16_t>(Biased | (X < 0 ? 0x8000 : 0));
  }
  for (int I = 0; I < 8; ++I) B[I] = static_cast<uint8_t>(Mant >> (8 * I));
  B[8] = static_cast<uint8_t>(SignExp);
  B[9] = static_cast<uint8_t>(SignExp >> 8);
  return B;
}

long double DecodeExtended(const uint8_t* B) {
  uint64_t Mant = 0;
  for (int I = 7; I >= 0; --I) Mant = (Mant << 8) | B[I];
  uint16_t SignExp = static_cast<uint16_t>(B[8] | (B[9] << 8));
  bool Neg = SignExp & 0x8000;
  int Exp = SignExp & 0x7FFF;
  long double R;
  if (Exp == 0x7FFF) {
    R = (Mant << 1) == 0 ? INFINITY : NAN;
  } else if (Exp == 0) {
    R = std::ldexp(static_cast<long double>(Mant), 1 - 16383 - 63);
  } else {
    R = std::ldexp(static_cast<long double>(Mant), Exp - 16383 - 63);
  }
  return Neg ? -R : R;
}

long double DecodeExtended(const TExtendedBytes& B) { return DecodeExtended(B.data()); }
