#pragma once
// Texts of field values, and the ISO date text a database holds.
// The display texts follow the default (Brazilian Portuguese) settings; they
// live behind these few functions so that the shared formatting module can
// take their place in one spot.
#include <string>
#include <string_view>

#include "platform/rtl/DateTime.h"

// General format, 15 significant digits, ',' as decimal separator ("1,5", "1E20").
std::string DBFloatToStr(double V);
// Money: "R$ 1.234,56", "-R$ 0,50".
std::string DBCurrToStr(double V);
// "dd/mm/yyyy"; "hh:nn:ss"; date and time, the time left out at midnight.
std::string DBDateToStr(TDateTime V);
std::string DBTimeToStr(TDateTime V);
std::string DBDateTimeToStr(TDateTime V);

// Database text: "YYYY-MM-DD", "HH:MM[:SS[.fff]]" or both joined by ' ' or 'T',
// with an optional trailing 'Z'. False for anything else.
bool TryIsoToDateTime(std::string_view S, TDateTime& Result);
// What a date, time or date-time parameter is bound as.
std::string DateToIso(TDateTime V);
std::string TimeToIso(TDateTime V);
std::string DateTimeToIso(TDateTime V);
// A number in database text ('.' decimal point, optional exponent). False otherwise.
bool TryDbTextToFloat(std::string_view S, double& Result);
