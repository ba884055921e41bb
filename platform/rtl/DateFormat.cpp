#include "platform/rtl/DateFormat.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/SysUtils.h"

namespace {

char Lower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + 32) : C; }

bool StartsWithNoCase(std::string_view S, size_t I, std::string_view P) {
  if (S.size() - I < P.size()) return false;
  for (size_t K = 0; K < P.size(); ++K)
    if (Lower(S[I + K]) != P[K]) return false;
  return true;
}

// V's decimal text (a minus sign counts), led by zeros up to Width characters.
void AppendPadded(std::string& Out, int V, int Width) {
  char Buf[16];
  const auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
  const int Length = static_cast<int>(R.ptr - Buf);
  if (Length < Width) Out.append(static_cast<size_t>(Width - Length), '0');
  Out.append(Buf, R.ptr);
}

bool Uses12Hour(std::string_view F) {
  for (size_t I = 0; I < F.size(); ++I) {
    char C = F[I];
    if (C == '\'' || C == '"') {
      size_t J = F.find(C, I + 1);
      if (J == std::string_view::npos) return false;
      I = J;
    } else if (StartsWithNoCase(F, I, "am/pm") || StartsWithNoCase(F, I, "a/p") || StartsWithNoCase(F, I, "ampm")) {
      return true;
    }
  }
  return false;
}

void AppendFormatted(std::string& Out, std::string_view F, TDateTime DT, const TFormatSettings& FS, int Depth) {
  if (Depth > 2) return;
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDate(DT, Y, Mo, D);
  DecodeTime(DT, H, Mi, S, Ms);
  const bool H12 = Uses12Hour(F);
  char LastLetter = 0;  // an m right after an h (letters only count) means minutes
  size_t I = 0;
  while (I < F.size()) {
    char C = F[I];
    char L = Lower(C);
    size_t Run = 1;
    while (I + Run < F.size() && Lower(F[I + Run]) == L) ++Run;
    if (L >= 'a' && L <= 'z') {
      if (L == 'm' && LastLetter == 'h' && Run <= 2) L = 'n';
      LastLetter = L;
    }
    switch (L) {
      case '\'':
      case '"': {
        size_t J = F.find(C, I + 1);
        if (J == std::string_view::npos) J = F.size();
        Out.append(F.substr(I + 1, J - I - 1));
        I = J + 1;
        continue;
      }
      case 'c':
        AppendFormatted(Out, FS.ShortDateFormat, DT, FS, Depth + 1);
        if (H || Mi || S || Ms) {
          Out += ' ';
          AppendFormatted(Out, FS.LongTimeFormat, DT, FS, Depth + 1);
        }
        I += 1;
        continue;
      case 'd':
        if (Run >= 6) {
          AppendFormatted(Out, FS.LongDateFormat, DT, FS, Depth + 1);
          Run = 6;
        } else if (Run == 5) {
          AppendFormatted(Out, FS.ShortDateFormat, DT, FS, Depth + 1);
        } else if (Run == 4) {
          Out += FS.LongDayNames[static_cast<size_t>(DayOfWeek(DT) - 1)];
        } else if (Run == 3) {
          Out += FS.ShortDayNames[static_cast<size_t>(DayOfWeek(DT) - 1)];
        } else {
          AppendPadded(Out, D, static_cast<int>(Run));
        }
        break;
      case 'm':
        if (Run >= 4) {
          Out += FS.LongMonthNames[static_cast<size_t>(Mo - 1)];
          Run = 4;
        } else if (Run == 3) {
          Out += FS.ShortMonthNames[static_cast<size_t>(Mo - 1)];
        } else {
          AppendPadded(Out, Mo, static_cast<int>(Run));
        }
        break;
      case 'y':
        if (Run <= 2) AppendPadded(Out, Y % 100, 2);
        else AppendPadded(Out, Y, 4);
        break;
      case 'h': {
        int HH = H;
        if (H12) {
          HH = H % 12;
          if (HH == 0) HH = 12;
        }
        if (Run > 2) Run = 2;
        AppendPadded(Out, HH, static_cast<int>(Run));
        break;
      }
      case 'n':
        if (Run > 2) Run = 2;
        AppendPadded(Out, Mi, static_cast<int>(Run));
        break;
      case 's':
        if (Run > 2) Run = 2;
        AppendPadded(Out, S, static_cast<int>(Run));
        break;
      case 'z':
        AppendPadded(Out, Ms, Run >= 3 ? 3 : 0);
        if (Run > 3) Run = 3;
        break;
      case 't':
        if (Run >= 2) {
          AppendFormatted(Out, FS.LongTimeFormat, DT, FS, Depth + 1);
          Run = 2;
        } else {
          AppendFormatted(Out, FS.ShortTimeFormat, DT, FS, Depth + 1);
        }
        break;
      case 'a':
        if (StartsWithNoCase(F, I, "am/pm")) {
          Out += H < 12 ? (C == 'a' ? "am" : "AM") : (C == 'a' ? "pm" : "PM");
          Run = 5;
        } else if (StartsWithNoCase(F, I, "a/p")) {
          Out += H < 12 ? (C == 'a' ? "a" : "A") : (C == 'a' ? "p" : "P");
          Run = 3;
        } else if (StartsWithNoCase(F, I, "ampm")) {
          Out += H < 12 ? FS.TimeAMString : FS.TimePMString;
          Run = 4;
        } else {
          Out += C;
          Run = 1;
        }
        break;
      case '/':
        Out += FS.DateSeparator;
        Run = 1;
        break;
      case ':':
        Out += FS.TimeSeparator;
        Run = 1;
        break;
      default:
        Out += C;
        Run = 1;
        break;
    }
    I += Run;
  }
}

// Splits digits groups of a date or time text; only the given separator, blanks around it.
bool ScanNumber(std::string_view S, size_t& I, int& V, int& Digits) {
  while (I < S.size() && S[I] == ' ') ++I;
  V = 0;
  Digits = 0;
  while (I < S.size() && S[I] >= '0' && S[I] <= '9' && Digits < 9) {
    V = V * 10 + (S[I] - '0');
    ++I;
    ++Digits;
  }
  return Digits > 0;
}

bool ScanChar(std::string_view S, size_t& I, char C) {
  while (I < S.size() && S[I] == ' ') ++I;
  if (I < S.size() && S[I] == C) {
    ++I;
    return true;
  }
  return false;
}

// 'D', 'M', 'Y' in the order they appear in the short date format.
std::string DateOrder(const TFormatSettings& FS) {
  std::string O;
  for (char C : FS.ShortDateFormat) {
    char L = Lower(C);
    if ((L == 'd' || L == 'm' || L == 'y') && O.find(static_cast<char>(L - 32)) == std::string::npos)
      O += static_cast<char>(L - 32);
  }
  return O.size() == 3 ? O : "DMY";
}

bool ScanDate(std::string_view S, size_t& I, TDateTime& Result, const TFormatSettings& FS) {
  int N[3], Dg[3];
  int Count = 0;
  if (!ScanNumber(S, I, N[0], Dg[0])) return false;
  Count = 1;
  while (Count < 3) {
    size_t Save = I;
    if (!ScanChar(S, I, FS.DateSeparator)) {
      I = Save;
      break;
    }
    if (!ScanNumber(S, I, N[Count], Dg[Count])) return false;
    ++Count;
  }
  if (Count < 2) return false;
  std::string Order = DateOrder(FS);
  int Y = 0, M = 0, D = 0, YDigits = 0;
  int CurY, CurM, CurD;
  DecodeDate(Date(), CurY, CurM, CurD);
  if (Count == 2) {
    // Day and month in the format's order; the year is this year.
    Order.erase(Order.find('Y'), 1);
    for (int K = 0; K < 2; ++K) (Order[static_cast<size_t>(K)] == 'D' ? D : M) = N[K];
    Y = CurY;
    YDigits = 4;
  } else {
    for (int K = 0; K < 3; ++K) {
      switch (Order[static_cast<size_t>(K)]) {
        case 'D': D = N[K]; break;
        case 'M': M = N[K]; break;
        default: Y = N[K]; YDigits = Dg[K]; break;
      }
    }
  }
  if (YDigits <= 2) {
    int Base = CurY - FS.TwoDigitYearCenturyWindow;
    Y += Base / 100 * 100;
    if (FS.TwoDigitYearCenturyWindow > 0 && Y < Base) Y += 100;
  }
  return TryEncodeDate(Y, M, D, Result);
}

bool ScanTime(std::string_view S, size_t& I, TDateTime& Result, const TFormatSettings& FS) {
  int H, Mi = 0, Sec = 0, Ms = 0, Dg;
  if (!ScanNumber(S, I, H, Dg)) return false;
  if (!ScanChar(S, I, FS.TimeSeparator)) return false;
  if (!ScanNumber(S, I, Mi, Dg)) return false;
  size_t Save = I;
  if (ScanChar(S, I, FS.TimeSeparator)) {
    if (!ScanNumber(S, I, Sec, Dg)) return false;
    Save = I;
    if (ScanChar(S, I, FS.DecimalSeparator) || ScanChar(S, I, '.')) {
      if (!ScanNumber(S, I, Ms, Dg)) return false;
    } else {
      I = Save;
    }
  } else {
    I = Save;
  }
  while (I < S.size() && S[I] == ' ') ++I;
  std::string_view Rest = S.substr(I);
  auto Is = [&](const std::string& Word, std::string_view Fixed) {
    auto Eq = [&](std::string_view W) { return !W.empty() && SameTextAscii(Rest.substr(0, W.size()), W); };
    if (Eq(Word)) return Word.size();
    if (Eq(Fixed)) return Fixed.size();
    return size_t(0);
  };
  if (size_t N = Is(FS.TimeAMString, "AM")) {
    if (H < 1 || H > 12) return false;
    if (H == 12) H = 0;
    I += N;
  } else if (size_t P = Is(FS.TimePMString, "PM")) {
    if (H < 1 || H > 12) return false;
    if (H != 12) H += 12;
    I += P;
  }
  return TryEncodeTime(H, Mi, Sec, Ms, Result);
}

bool AtEnd(std::string_view S, size_t I) {
  while (I < S.size() && S[I] == ' ') ++I;
  return I == S.size();
}

}  // namespace

std::string FormatDateTime(std::string_view Format, TDateTime DT, const TFormatSettings& FS) {
  std::string Out;
  AppendFormatted(Out, Format.empty() ? std::string_view("c") : Format, DT, FS, 0);
  return Out;
}
std::string FormatDateTime(std::string_view Format, TDateTime DT) { return FormatDateTime(Format, DT, FormatSettings()); }

std::string DateToStr(TDateTime D, const TFormatSettings& FS) { return FormatDateTime("ddddd", D, FS); }
std::string DateToStr(TDateTime D) { return DateToStr(D, FormatSettings()); }
std::string TimeToStr(TDateTime T, const TFormatSettings& FS) { return FormatDateTime("tt", T, FS); }
std::string TimeToStr(TDateTime T) { return TimeToStr(T, FormatSettings()); }
std::string DateTimeToStr(TDateTime DT, const TFormatSettings& FS) { return FormatDateTime("c", DT, FS); }
std::string DateTimeToStr(TDateTime DT) { return DateTimeToStr(DT, FormatSettings()); }

bool TryStrToDate(std::string_view S, TDateTime& Value, const TFormatSettings& FS) {
  size_t I = 0;
  TDateTime D;
  if (!ScanDate(S, I, D, FS) || !AtEnd(S, I)) return false;
  Value = D;
  return true;
}

bool TryStrToTime(std::string_view S, TDateTime& Value, const TFormatSettings& FS) {
  size_t I = 0;
  TDateTime T;
  if (!ScanTime(S, I, T, FS) || !AtEnd(S, I)) return false;
  Value = T;
  return true;
}

TDateTime StrToDate(std::string_view S, const TFormatSettings& FS) {
  TDateTime D;
  if (!TryStrToDate(S, D, FS)) throw EConvertError(Format(SInvalidDate, {S}));
  return D;
}
TDateTime StrToDate(std::string_view S) { return StrToDate(S, FormatSettings()); }

TDateTime StrToTime(std::string_view S, const TFormatSettings& FS) {
  TDateTime T;
  if (!TryStrToTime(S, T, FS)) throw EConvertError(Format(SInvalidTime, {S}));
  return T;
}
TDateTime StrToTime(std::string_view S) { return StrToTime(S, FormatSettings()); }

TDateTime StrToDateTime(std::string_view S, const TFormatSettings& FS) {
  size_t I = 0;
  TDateTime D, T = 0;
  bool Ok = ScanDate(S, I, D, FS);
  if (Ok && !AtEnd(S, I)) Ok = ScanTime(S, I, T, FS) && AtEnd(S, I);
  if (!Ok) throw EConvertError(Format(SInvalidDateTime, {S}));
  // Before 1899-12-30 the time fraction counts away from zero.
  return D < 0 ? D - T : D + T;
}
TDateTime StrToDateTime(std::string_view S) { return StrToDateTime(S, FormatSettings()); }
