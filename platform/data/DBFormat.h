#pragma once
// Texts of field values, and the ISO date text a database holds.
// Display texts follow the process-wide FormatSettings().
#include <string>
#include <string_view>

#include "platform/rtl/DateTime.h"

// Money in the settings' currency format, as the class library's currency
// fields show it: "R$ 1.234,56", "-R$ 0,50" under the default settings.
std::string DBCurrToStr(double V);

// Database text: "YYYY-MM-DD", "HH:MM[:SS[.fff]]" or both joined by ' ' or 'T',
// with an optional trailing 'Z'. False for anything else.
bool TryIsoToDateTime(std::string_view S, TDateTime& Result);
// What a date, time or date-time parameter is bound as.
std::string DateToIso(TDateTime V);
std::string TimeToIso(TDateTime V);
std::string DateTimeToIso(TDateTime V);
// A number in database text ('.' decimal point, optional exponent). False otherwise.
bool TryDbTextToFloat(std::string_view S, double& Result);
