#pragma once
// Locale settings for every number, date and currency text the program makes
// or reads. One value, passed in or taken from the process-wide default, which
// starts as Brazilian Portuguese. The C library's locale is never consulted, so
// texts are the same on every machine.
#include <array>
#include <string>

struct TFormatSettings {
  char DecimalSeparator = ',';
  char ThousandSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ';';
  // Date and time formats in the FormatDateTime notation; "/" and ":" in them
  // stand for DateSeparator and TimeSeparator.
  std::string ShortDateFormat = "dd/mm/yyyy";
  std::string LongDateFormat = "dddd, d' de 'mmmm' de 'yyyy";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  // Currency: CurrencyFormat 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $";
  // NegCurrFormat as the class library numbers it (0 to 15).
  std::string CurrencyString = "R$";
  int CurrencyFormat = 2;
  int NegCurrFormat = 9;
  int CurrencyDecimals = 2;
  // A two-digit year is placed in the hundred years that start this many
  // years before the current year.
  int TwoDigitYearCenturyWindow = 50;
  // Index 0 is January / Sunday. UTF-8.
  std::array<std::string, 12> ShortMonthNames;
  std::array<std::string, 12> LongMonthNames;
  std::array<std::string, 7> ShortDayNames;
  std::array<std::string, 7> LongDayNames;
};

// Brazilian Portuguese, built from constants.
TFormatSettings BrazilianFormatSettings();
// Period as decimal separator, comma for thousands, month/day/year dates, English names.
TFormatSettings EnglishFormatSettings();

// The process-wide default used by the overloads that take no settings.
// Starts as BrazilianFormatSettings(); set it once at start-up or in tests.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& S);

// Replaces the process-wide default for its lifetime (tests).
class TFormatSettingsScope {
public:
  explicit TFormatSettingsScope(const TFormatSettings& S);
  ~TFormatSettingsScope();
  TFormatSettingsScope(const TFormatSettingsScope&) = delete;
  TFormatSettingsScope& operator=(const TFormatSettingsScope&) = delete;

private:
  TFormatSettings FSaved;
};
