#pragma once
// Dates and times to text and back under a TFormatSettings value.
#include <string>
#include <string_view>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

// Specifiers (any letter case): c, d, dd, ddd, dddd, ddddd (short date),
// dddddd (long date), m, mm, mmm, mmmm (minutes right after an hour),
// yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t (short time), tt (long time),
// am/pm, a/p, ampm (12-hour clock), / date separator, : time separator,
// '...' and "..." literal text; anything else is copied.
std::string FormatDateTime(std::string_view Format, TDateTime DT, const TFormatSettings& FS);
std::string FormatDateTime(std::string_view Format, TDateTime DT);

std::string DateToStr(TDateTime D, const TFormatSettings& FS);  // short date
std::string DateToStr(TDateTime D);
std::string TimeToStr(TDateTime T, const TFormatSettings& FS);  // long time
std::string TimeToStr(TDateTime T);
std::string DateTimeToStr(TDateTime DT, const TFormatSettings& FS);  // short date, then long time unless midnight
std::string DateTimeToStr(TDateTime DT);

// Day, month and year in the order of ShortDateFormat, separated by
// DateSeparator; without a year the current year. Two-digit years follow
// TwoDigitYearCenturyWindow. Raises EConvertError.
TDateTime StrToDate(std::string_view S, const TFormatSettings& FS);
TDateTime StrToDate(std::string_view S);
// hours:minutes[:seconds[.milliseconds]] with an optional AM/PM suffix. Raises EConvertError.
TDateTime StrToTime(std::string_view S, const TFormatSettings& FS);
TDateTime StrToTime(std::string_view S);
// A date, optionally followed by a blank and a time. Raises EConvertError.
TDateTime StrToDateTime(std::string_view S, const TFormatSettings& FS);
TDateTime StrToDateTime(std::string_view S);
bool TryStrToDate(std::string_view S, TDateTime& Value, const TFormatSettings& FS);
bool TryStrToTime(std::string_view S, TDateTime& Value, const TFormatSettings& FS);
