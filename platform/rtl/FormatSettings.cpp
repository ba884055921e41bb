#include "platform/rtl/FormatSettings.h"

TFormatSettings BrazilianFormatSettings() {
  TFormatSettings S;
  S.ShortMonthNames = {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"};
  S.LongMonthNames = {"janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
                      "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
  S.ShortDayNames = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};
  S.LongDayNames = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                    "quinta-feira", "sexta-feira",   "sábado"};
  return S;
}

TFormatSettings EnglishFormatSettings() {
  TFormatSettings S;
  S.DecimalSeparator = '.';
  S.ThousandSeparator = ',';
  S.ListSeparator = ',';
  S.ShortDateFormat = "m/d/yyyy";
  S.LongDateFormat = "dddd, mmmm d, yyyy";
  S.ShortTimeFormat = "h:nn AMPM";
  S.LongTimeFormat = "h:nn:ss AMPM";
  S.CurrencyString.assign(1, '$');
  S.CurrencyFormat = 0;
  S.NegCurrFormat = 0;
  S.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  S.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  S.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  S.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return S;
}

static TFormatSettings& Current() {
  static TFormatSettings S = BrazilianFormatSettings();
  return S;
}

const TFormatSettings& FormatSettings() { return Current(); }
void SetFormatSettings(const TFormatSettings& S) { Current() = S; }

TFormatSettingsScope::TFormatSettingsScope(const TFormatSettings& S) : FSaved(Current()) { Current() = S; }
TFormatSettingsScope::~TFormatSettingsScope() { Current() = FSaved; }
