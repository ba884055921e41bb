#include "platform/data/DBFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"

namespace {

std::string Two(int V) {
  char B[8];
  std::snprintf(B, sizeof B, "%02d", V);
  return B;
}

// Reads exactly N digits at S[Pos].
bool Digits(std::string_view S, size_t& Pos, size_t N, int& Out) {
  if (Pos + N > S.size()) return false;
  int V = 0;
  for (size_t I = 0; I < N; ++I) {
    char C = S[Pos + I];
    if (C < '0' || C > '9') return false;
    V = V * 10 + (C - '0');
  }
  Pos += N;
  Out = V;
  return true;
}

bool ParseDate(std::string_view S, size_t& Pos, TDateTime& D) {
  int Y, M, Dd;
  if (!Digits(S, Pos, 4, Y) || Pos >= S.size() || S[Pos++] != '-' || !Digits(S, Pos, 2, M) || Pos >= S.size() ||
      S[Pos++] != '-' || !Digits(S, Pos, 2, Dd))
    return false;
  return TryEncodeDate(Y, M, Dd, D);
}

bool ParseTime(std::string_view S, size_t& Pos, TDateTime& T) {
  int H, Mi, Sec = 0, Ms = 0;
  if (!Digits(S, Pos, 2, H) || Pos >= S.size() || S[Pos++] != ':' || !Digits(S, Pos, 2, Mi)) return false;
  if (Pos < S.size() && S[Pos] == ':') {
    ++Pos;
    if (!Digits(S, Pos, 2, Sec)) return false;
    if (Pos < S.size() && S[Pos] == '.') {
      ++Pos;
      // Any number of fraction digits; milliseconds are kept, rounded down.
      size_t Start = Pos;
      int Scale = 100;
      while (Pos < S.size() && S[Pos] >= '0' && S[Pos] <= '9') {
        Ms += (S[Pos] - '0') * Scale;
        Scale /= 10;
        ++Pos;
      }
      if (Pos == Start) return false;
    }
  }
  return TryEncodeTime(H, Mi, Sec, Ms, T);
}

}  // namespace

std::string DBCurrToStr(double V) {
  const TFormatSettings& FS = FormatSettings();
  return FloatToCurrencyStr(V, FS.CurrencyDecimals, FS);
}

bool TryIsoToDateTime(std::string_view S, TDateTime& Result) {
  while (!S.empty() && S.front() == ' ') S.remove_prefix(1);
  while (!S.empty() && S.back() == ' ') S.remove_suffix(1);
  if (!S.empty() && (S.back() == 'Z' || S.back() == 'z')) S.remove_suffix(1);
  size_t Pos = 0;
  TDateTime D = 0, T = 0;
  if (S.size() >= 3 && S[2] == ':') {
    if (!ParseTime(S, Pos, T)) return false;
  } else {
    if (!ParseDate(S, Pos, D)) return false;
    if (Pos < S.size() && (S[Pos] == ' ' || S[Pos] == 'T')) {
      ++Pos;
      if (!ParseTime(S, Pos, T)) return false;
    }
  }
  if (Pos != S.size()) return false;
  // Before 1899-12-30 the day count is negative and the time still adds to its size.
  Result = D < 0 ? D - T : D + T;
  return true;
}

std::string DateToIso(TDateTime V) {
  int Y, M, D;
  DecodeDate(V, Y, M, D);
  char B[32];
  std::snprintf(B, sizeof B, "%04d-%02d-%02d", Y, M, D);
  return B;
}

std::string TimeToIso(TDateTime V) {
  int H, M, S, Ms;
  DecodeTime(V, H, M, S, Ms);
  std::string R = Two(H) + ":" + Two(M) + ":" + Two(S);
  if (Ms) {
    char B[8];
    std::snprintf(B, sizeof B, ".%03d", Ms);
    R += B;
  }
  return R;
}

std::string DateTimeToIso(TDateTime V) { return DateToIso(V) + " " + TimeToIso(V); }

bool TryDbTextToFloat(std::string_view S, double& Result) {
  while (!S.empty() && S.front() == ' ') S.remove_prefix(1);
  while (!S.empty() && S.back() == ' ') S.remove_suffix(1);
  if (!S.empty() && S.front() == '+') S.remove_prefix(1);
  if (S.empty()) return false;
  auto R = std::from_chars(S.data(), S.data() + S.size(), Result);
  return R.ec == std::errc() && R.ptr == S.data() + S.size();
}
