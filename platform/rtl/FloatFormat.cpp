#include "platform/rtl/FloatFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Value = 0.Digits x 10^Exponent; Digits has no trailing zeros and is empty for zero.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
};

// The 18 leading significant digits of a finite value.
TDecimal ToDecimal(double V) {
  TDecimal D;
  D.Negative = std::signbit(V);
  V = std::fabs(V);
  if (V == 0) return D;
  char Buf[64];
  // A whole number below 2^53 is exact: its 18 leading digits are its own, found without the long way.
  if (V < 9007199254740992.0 && static_cast<double>(static_cast<uint64_t>(V)) == V) {
    size_t Length = static_cast<size_t>(std::to_chars(Buf, Buf + sizeof Buf, static_cast<uint64_t>(V)).ptr - Buf);
    D.Exponent = static_cast<int>(Length);
    while (Length > 1 && Buf[Length - 1] == '0') --Length;  // the first digit is not 0
    D.Digits.assign(Buf, Length);
    return D;
  }
  auto R = std::to_chars(Buf, Buf + sizeof Buf, V, std::chars_format::scientific, 17);
  std::string_view S(Buf, static_cast<size_t>(R.ptr - Buf));
  size_t EPos = S.find('e');
  D.Digits.reserve(EPos);
  for (size_t I = 0; I < EPos; ++I)
    if (S[I] != '.') D.Digits += S[I];
  int Exp = 0;
  std::from_chars(S.data() + EPos + (S[EPos + 1] == '+' ? 2 : 1), S.data() + S.size(), Exp);
  D.Exponent = Exp + 1;
  while (!D.Digits.empty() && D.Digits.back() == '0') D.Digits.pop_back();
  return D;
}

// Keeps Count significant digits, halves away from zero.
void RoundDigits(TDecimal& D, int Count) {
  if (Count >= static_cast<int>(D.Digits.size())) return;
  if (Count < 0) {
    D.Digits.clear();
    return;
  }
  bool Up = D.Digits[static_cast<size_t>(Count)] >= '5';
  D.Digits.resize(static_cast<size_t>(Count));
  if (Up) {
    int I = Count - 1;
    while (I >= 0 && D.Digits[static_cast<size_t>(I)] == '9') D.Digits[static_cast<size_t>(I--)] = '0';
    if (I < 0) {
      D.Digits.insert(D.Digits.begin(), '1');
      D.Exponent++;
    } else {
      D.Digits[static_cast<size_t>(I)]++;
    }
  }
  while (!D.Digits.empty() && D.Digits.back() == '0') D.Digits.pop_back();
}

std::string NonFinite(double V) {
  if (std::isnan(V)) return "NAN";
  return V < 0 ? "-INF" : "INF";
}

// One section of a FormatFloat text, as scanned.
struct TSection {
  std::string_view Text;
  int IntCount = 0, FirstIntZero = -1;
  int FracCount = 0, LastFracZero = 0;
  bool HasPoint = false, Thousands = false, Scientific = false;
  bool HasDigits() const { return IntCount + FracCount > 0; }
};

TSection ScanSection(std::string_view T) {
  TSection S;
  S.Text = T;
  for (size_t I = 0; I < T.size(); ++I) {
    char C = T[I];
    if (C == '\'' || C == '"') {
      size_t J = T.find(C, I + 1);
      I = J == std::string_view::npos ? T.size() : J;
    } else if ((C == '0' || C == '#') && !S.Scientific) {
      if (S.HasPoint) {
        S.FracCount++;
        if (C == '0') S.LastFracZero = S.FracCount;
      } else {
        if (C == '0' && S.FirstIntZero < 0) S.FirstIntZero = S.IntCount;
        S.IntCount++;
      }
    } else if (C == '.' && !S.Scientific) {
      S.HasPoint = true;
    } else if (C == ',' && !S.HasPoint) {
      S.Thousands = true;
    } else if ((C == 'E' || C == 'e') && I + 1 < T.size() && (T[I + 1] == '+' || T[I + 1] == '-') && !S.Scientific) {
      S.Scientific = true;
    }
  }
  return S;
}

std::vector<std::string_view> SplitSections(std::string_view F) {
  std::vector<std::string_view> R;
  size_t Start = 0;
  for (size_t I = 0; I < F.size(); ++I) {
    char C = F[I];
    if (C == '\'' || C == '"') {
      size_t J = F.find(C, I + 1);
      I = J == std::string_view::npos ? F.size() - 1 : J;
    } else if (C == ';') {
      R.push_back(F.substr(Start, I - Start));
      Start = I + 1;
      if (R.size() == 2) break;
    }
  }
  R.push_back(F.substr(Start));
  if (R.size() == 3) {
    // A third section ends at a further ';' as well.
    std::string_view Z = R[2];
    for (size_t I = 0; I < Z.size(); ++I) {
      char C = Z[I];
      if (C == '\'' || C == '"') {
        size_t J = Z.find(C, I + 1);
        I = J == std::string_view::npos ? Z.size() - 1 : J;
      } else if (C == ';') {
        R[2] = Z.substr(0, I);
        break;
      }
    }
  }
  return R;
}

std::string Render(const TSection& S, const TDecimal& D, bool ShowMinus, const TFormatSettings& FS) {
  int MinInt = S.FirstIntZero < 0 ? 0 : S.IntCount - S.FirstIntZero;
  std::string IntPart, FracPart;
  int Exp10 = 0;
  if (S.Scientific) {
    // The integer part takes IntCount digits (at least one); the exponent follows.
    int IntDigits = S.IntCount > 0 ? S.IntCount : 1;
    if (!D.Digits.empty()) Exp10 = D.Exponent - IntDigits;
    for (int I = 0; I < IntDigits; ++I)
      IntPart += I < static_cast<int>(D.Digits.size()) ? D.Digits[static_cast<size_t>(I)] : '0';
    if (static_cast<int>(D.Digits.size()) > IntDigits) FracPart = D.Digits.substr(static_cast<size_t>(IntDigits));
    if (D.Digits.empty()) IntPart = std::string(static_cast<size_t>(std::max(MinInt, 1)), '0');
  } else {
    int E = D.Digits.empty() ? 0 : D.Exponent;
    if (E > 0) {
      IntPart = D.Digits.substr(0, std::min<size_t>(D.Digits.size(), static_cast<size_t>(E)));
      IntPart.append(static_cast<size_t>(E) - IntPart.size(), '0');
      if (static_cast<int>(D.Digits.size()) > E) FracPart = D.Digits.substr(static_cast<size_t>(E));
    } else if (!D.Digits.empty()) {
      FracPart = std::string(static_cast<size_t>(-E), '0') + D.Digits;
    }
    if (static_cast<int>(IntPart.size()) < MinInt)
      IntPart.insert(0, static_cast<size_t>(MinInt) - IntPart.size(), '0');
  }
  if (static_cast<int>(FracPart.size()) > S.FracCount) FracPart.resize(static_cast<size_t>(S.FracCount));
  if (static_cast<int>(FracPart.size()) < S.LastFracZero)
    FracPart.append(static_cast<size_t>(S.LastFracZero) - FracPart.size(), '0');

  std::string Out;
  if (ShowMinus) Out += '-';
  const int L = static_cast<int>(IntPart.size());
  auto EmitInt = [&](int I) {
    Out += IntPart[static_cast<size_t>(I)];
    int Left = L - 1 - I;
    if (S.Thousands && !S.Scientific && Left > 0 && Left % 3 == 0) Out += FS.ThousandSeparator;
  };
  int IntSeen = 0, FracSeen = 0;
  bool InFrac = false, IntDone = false, InExp = false;
  auto FlushInt = [&]() {  // a section without integer placeholders still shows the integer digits
    if (!IntDone && S.IntCount == 0)
      for (int I = 0; I < L; ++I) EmitInt(I);
    IntDone = true;
  };
  std::string_view T = S.Text;
  for (size_t I = 0; I < T.size(); ++I) {
    char C = T[I];
    if (C == '\'' || C == '"') {
      size_t J = T.find(C, I + 1);
      if (J == std::string_view::npos) J = T.size();
      Out.append(T.substr(I + 1, J - I - 1));
      I = J;
    } else if ((C == '0' || C == '#') && !InExp) {
      if (!InFrac) {
        int K = IntSeen++;
        int First = L - S.IntCount + K;
        if (K == 0) {
          for (int J = 0; J <= First && J < L; ++J) EmitInt(J);
        } else if (First >= 0) {
          EmitInt(First);
        }
        if (IntSeen == S.IntCount) IntDone = true;
      } else {
        if (FracSeen < static_cast<int>(FracPart.size())) Out += FracPart[static_cast<size_t>(FracSeen)];
        FracSeen++;
      }
    } else if (C == '.' && !InExp) {
      if (!InFrac) {
        FlushInt();
        InFrac = true;
        if (!FracPart.empty()) Out += FS.DecimalSeparator;
      }
    } else if (C == ',' && !InExp) {
    } else if ((C == 'E' || C == 'e') && S.Scientific && !InExp && I + 1 < T.size() &&
               (T[I + 1] == '+' || T[I + 1] == '-')) {
      FlushInt();
      InExp = true;
      Out += C;
      if (Exp10 < 0) Out += '-';
      else if (T[I + 1] == '+') Out += '+';
      I++;
      int Zeros = 0;
      while (I + 1 < T.size() && T[I + 1] == '0' && Zeros < 4) {
        ++Zeros;
        ++I;
      }
      std::string ED = std::to_string(Exp10 < 0 ? -Exp10 : Exp10);
      if (static_cast<int>(ED.size()) < Zeros) ED.insert(0, static_cast<size_t>(Zeros) - ED.size(), '0');
      Out += ED;
    } else {
      Out += C;
    }
  }
  if (!IntDone && !InExp) FlushInt();
  return Out;
}

bool ParseFloat(std::string_view S, double& Value, char DecimalSeparator) {
  std::string T = Trim(S);
  std::string C;
  size_t I = 0;
  if (I < T.size() && (T[I] == '+' || T[I] == '-')) C += T[I++];
  int Digits = 0;
  bool Point = false;
  for (; I < T.size(); ++I) {
    char Ch = T[I];
    if (Ch >= '0' && Ch <= '9') {
      C += Ch;
      ++Digits;
    } else if (Ch == DecimalSeparator && !Point) {
      C += '.';
      Point = true;
    } else {
      break;
    }
  }
  if (Digits == 0) return false;
  if (I < T.size() && (T[I] == 'E' || T[I] == 'e')) {
    C += 'e';
    ++I;
    if (I < T.size() && (T[I] == '+' || T[I] == '-')) C += T[I++];
    int ExpDigits = 0;
    for (; I < T.size() && T[I] >= '0' && T[I] <= '9'; ++I, ++ExpDigits) C += T[I];
    if (ExpDigits == 0) return false;
  }
  if (I != T.size()) return false;
  const char* B = C.data();
  if (*B == '+') ++B;
  double V = 0;
  auto R = std::from_chars(B, C.data() + C.size(), V);
  if (R.ec != std::errc() || R.ptr != C.data() + C.size()) {
    // Underflow to zero is still a valid number; overflow is not.
    size_t EPos = C.find('e');
    int Exp = 0;
    if (EPos != std::string::npos) {
      const char* X = C.data() + EPos + 1;
      if (*X == '+') ++X;
      if (std::from_chars(X, C.data() + C.size(), Exp).ec != std::errc()) Exp = *X == '-' ? -100000 : 100000;
    }
    if (R.ec == std::errc::result_out_of_range && Exp < 0) {
      Value = 0;
      return true;
    }
    return false;
  }
  Value = V;
  return true;
}

}  // namespace

std::string FloatToStr(double Value, const TFormatSettings& FS) { return FloatToStrGeneral(Value, 15, FS); }

std::string FloatToStrGeneral(double Value, int Precision, const TFormatSettings& FS) {
  if (!std::isfinite(Value)) return NonFinite(Value);
  Precision = std::clamp(Precision, 1, 18);
  TDecimal D = ToDecimal(Value);
  RoundDigits(D, Precision);
  if (D.Digits.empty()) return "0";
  std::string Out;
  if (D.Negative) Out += '-';
  const int N = static_cast<int>(D.Digits.size());
  if (D.Exponent > Precision || D.Exponent < -3) {
    Out += D.Digits[0];
    if (N > 1) {
      Out += FS.DecimalSeparator;
      Out.append(D.Digits, 1);
    }
    Out += 'E';
    Out += std::to_string(D.Exponent - 1);
    return Out;
  }
  if (D.Exponent <= 0) {
    Out += '0';
    Out += FS.DecimalSeparator;
    Out.append(static_cast<size_t>(-D.Exponent), '0');
    Out += D.Digits;
    return Out;
  }
  if (N <= D.Exponent) {
    Out += D.Digits;
    Out.append(static_cast<size_t>(D.Exponent - N), '0');
    return Out;
  }
  Out.append(D.Digits, 0, static_cast<size_t>(D.Exponent));
  Out += FS.DecimalSeparator;
  Out.append(D.Digits, static_cast<size_t>(D.Exponent));
  return Out;
}

std::string FloatToStr(double Value) { return FloatToStr(Value, FormatSettings()); }

std::string FormatFloat(std::string_view Format, double Value, const TFormatSettings& FS) {
  if (Format.empty() || !std::isfinite(Value)) return FloatToStr(Value, FS);
  std::vector<std::string_view> Sections = SplitSections(Format);
  auto Usable = [&](size_t I) { return I < Sections.size() && !Sections[I].empty(); };
  size_t Index = 0;
  if (Value == 0 && Usable(2)) Index = 2;
  else if (Value < 0 && Usable(1)) Index = 1;
  TSection S = ScanSection(Sections[Index]);
  if (!S.HasDigits()) return Render(S, TDecimal{}, false, FS);

  TDecimal D = ToDecimal(Value);
  if (S.Scientific) {
    RoundDigits(D, std::min(18, std::max(1, S.IntCount) + S.FracCount));
  } else {
    if (!D.Digits.empty() && D.Exponent > 18) return FloatToStr(Value, FS);
    RoundDigits(D, D.Exponent + S.FracCount);
  }
  if (D.Digits.empty() && Index != 2 && Usable(2)) {
    // Rounds to zero: the zero section shows it.
    Index = 2;
    S = ScanSection(Sections[2]);
    if (!S.HasDigits()) return Render(S, TDecimal{}, false, FS);
  }
  bool ShowMinus = D.Negative && Index == 0 && !D.Digits.empty();
  return Render(S, D, ShowMinus, FS);
}

std::string FormatFloat(std::string_view Format, double Value) { return FormatFloat(Format, Value, FormatSettings()); }

bool TryStrToFloat(std::string_view S, double& Value, const TFormatSettings& FS) {
  return ParseFloat(S, Value, FS.DecimalSeparator);
}
bool TryStrToFloat(std::string_view S, double& Value) { return TryStrToFloat(S, Value, FormatSettings()); }

double StrToFloat(std::string_view S, const TFormatSettings& FS) {
  double V;
  if (!ParseFloat(S, V, FS.DecimalSeparator))
    throw EConvertError(Format(SInvalidFloat, {S}));
  return V;
}
double StrToFloat(std::string_view S) { return StrToFloat(S, FormatSettings()); }

std::string FloatToCurrencyStr(double Value, int Digits, const TFormatSettings& FS) {
  if (!std::isfinite(Value)) return NonFinite(Value);
  std::string Fmt = "#,##0";
  Digits = std::clamp(Digits, 0, 18);
  if (Digits > 0) {
    Fmt += '.';
    Fmt.append(static_cast<size_t>(Digits), '0');
  }
  std::string N = FormatFloat(Fmt, std::fabs(Value), FS);
  const std::string& C = FS.CurrencyString;
  bool Negative = Value < 0 && N.find_first_of("123456789") != std::string::npos;  // not when it rounds to 0
  if (!Negative) {
    switch (FS.CurrencyFormat) {
      case 1: return N + C;
      case 2: return C + " " + N;
      case 3: return N + " " + C;
      default: return C + N;
    }
  }
  // The class library's sixteen negative forms.
  switch (FS.NegCurrFormat) {
    case 0: return "(" + C + N + ")";
    case 1: return "-" + C + N;
    case 2: return C + "-" + N;
    case 3: return C + N + "-";
    case 4: return "(" + N + C + ")";
    case 5: return "-" + N + C;
    case 6: return N + "-" + C;
    case 7: return N + C + "-";
    case 8: return "-" + N + " " + C;
    case 10: return N + " " + C + "-";
    case 11: return C + " " + N + "-";
    case 12: return C + " -" + N;
    case 13: return N + "- " + C;
    case 14: return "(" + C + " " + N + ")";
    case 15: return "(" + N + " " + C + ")";
    default: return "-" + C + " " + N;  // 9
  }
}
