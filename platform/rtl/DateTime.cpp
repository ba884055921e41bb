#include "platform/rtl/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInMonth(int Year, int Month) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeapYear(Year) ? 29 : Days[Month - 1];
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month))
    return false;
  int64_t Days = Day;
  for (int M = 1; M < Month; ++M) Days += DaysInMonth(Year, M);
  int64_t Y = Year - 1;
  Days += Y * 365 + Y / 4 - Y / 100 + Y / 400;
  Result = static_cast<double>(Days - 693594);  // 693594 = days from 0001-01-01 to 1899-12-30
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime R = 0;
  TryEncodeDate(Year, Month, Day, R);
  return R;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999) return false;
  Result = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / 86400000.0;
  return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  TDateTime R = 0;
  TryEncodeTime(Hour, Min, Sec, MSec, R);
  return R;
}

void DecodeDate(TDateTime D, int& Year, int& Month, int& Day) {
  int64_t T = static_cast<int64_t>(std::trunc(D)) + 693594;  // before 1899-12-30 the fraction still counts forward from midnight
  if (T <= 0) {
    Year = Month = Day = 0;
    return;
  }
  --T;
  int64_t Y = 1;
  int64_t N400 = T / 146097;
  T %= 146097;
  int64_t N100 = T / 36524;
  T %= 36524;
  if (N100 == 4) {
    N100 = 3;
    T += 36524;
  }
  int64_t N4 = T / 1461;
  T %= 1461;
  int64_t N1 = T / 365;
  T %= 365;
  if (N1 == 4) {
    N1 = 3;
    T += 365;
  }
  Y += N400 * 400 + N100 * 100 + N4 * 4 + N1;
  Year = static_cast<int>(Y);
  Month = 1;
  while (T >= DaysInMonth(Year, Month)) T -= DaysInMonth(Year, Month++);
  Day = static_cast<int>(T) + 1;
}

void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec) {
  double Frac = std::fabs(D - std::trunc(D));
  int64_t Ms = static_cast<int64_t>(std::llround(Frac * 86400000.0));
  if (Ms >= 86400000) Ms = 86399999;
  Hour = static_cast<int>(Ms / 3600000);
  Min = static_cast<int>(Ms / 60000 % 60);
  Sec = static_cast<int>(Ms / 1000 % 60);
  MSec = static_cast<int>(Ms % 1000);
}

int DayOfWeek(TDateTime D) {
  int64_t Days = static_cast<int64_t>(std::trunc(D));
  // 1899-12-30 was a Saturday (7).
  int64_t W = ((Days % 7) + 7 + 6) % 7;
  return static_cast<int>(W) + 1;
}

namespace {
bool GClockFixed = false;
TDateTime GFixedMoment = 0;
}  // namespace

TFixedClockScope::TFixedClockScope(TDateTime Moment) : FWasFixed(GClockFixed), FSaved(GFixedMoment) {
  GClockFixed = true;
  GFixedMoment = Moment;
}

TFixedClockScope::~TFixedClockScope() {
  GClockFixed = FWasFixed;
  GFixedMoment = FSaved;
}

TDateTime Now() {
  if (GClockFixed) return GFixedMoment;
  auto Tp = std::chrono::system_clock::now();
  std::time_t T = std::chrono::system_clock::to_time_t(Tp);
  std::tm Tm{};
  localtime_r(&T, &Tm);
  int Ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Tp.time_since_epoch()).count() % 1000);
  return EncodeDate(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday) +
         EncodeTime(Tm.tm_hour, Tm.tm_min, Tm.tm_sec < 60 ? Tm.tm_sec : 59, Ms);
}

TDateTime Date() {
  return std::floor(Now());
}
