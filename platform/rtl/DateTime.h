#pragma once
// TDateTime: days since 1899-12-30, time of day as the fraction.
#include <cstdint>

using TDateTime = double;

// Local date and time now.
TDateTime Now();
TDateTime Date();

// Stops the clock for a test: while it lives, Now() is the given moment
// (and Date() its day), so texts made from the time are the same on every run.
class TFixedClockScope {
public:
  explicit TFixedClockScope(TDateTime Moment);
  ~TFixedClockScope();
  TFixedClockScope(const TFixedClockScope&) = delete;
  TFixedClockScope& operator=(const TFixedClockScope&) = delete;

private:
  bool FWasFixed;
  TDateTime FSaved;
};
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Result);
void DecodeDate(TDateTime D, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime D, int& Hour, int& Min, int& Sec, int& MSec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime D);
bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);
