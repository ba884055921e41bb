#include "ppreport/core/ppDisplayFormat.h"

#include <atomic>
#include <cmath>

#include "platform/classes/StringList.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/EditMask.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppUnits.h"

namespace {
const TppDisplayFormat BaseFormat;
std::atomic<const TppDisplayFormat*> Current{nullptr};

struct TSample {
  const char* Sample;
  const char* Format;
};

constexpr TSample BooleanSamples[] = {{"Yes", "Yes;No"}, {"Y", "Y;N"},       {"True", "True;False"},
                                      {"T", "T;F"},      {"OK", "OK;"},      {"Done", "Done;"},
                                      {"", ";Not OK"},   {"", ";Not Done"}};
constexpr TSample DateSamples[] = {{"3/4/95", "m/d/yy"},          {"03/04/95", "mm/dd/yy"},
                                   {"03/04/1995", "mm/dd/yyyy"},  {"4-Mar-95 ", "d-mmm-yy"},
                                   {"04-Mar-95 ", "dd-mmm-yy"},   {"March 4, 1995", "mmmm d, yyyy"},
                                   {"3/4", "m/d"},                {"Mar-95", "mmm-yy"},
                                   {"March-95", "mmmm-yy"}};
constexpr TSample TimeSamples[] = {
    {"1:30 PM", "h:nn AM/PM"}, {"13:30", "h:nn"}, {"1:30:55 PM", "h:nn:ss AM/PM"}, {"13:30:55", "h:nn:ss"}};
constexpr TSample DateTimeSamples[] = {{"3/4/95 1:30:55 PM", "m/d/yy h:nn:ss AM/PM"},
                                       {"3/4/95 13:30:55", "m/d/yy h:nn:ss"}};
constexpr TSample StringSamples[] = {{"Phone", "!\\(999\\)\\ 000\\-0000;0; "},
                                     {"Extension", "!99999;0; "},
                                     {"Social Security", "000\\-00\\-0000;0; "},
                                     {"Short Zip Code", "00000;0; "},
                                     {"Long Zip Code", "00000\\-9999;0; "},
                                     {"Date", "!99/99/00;0; "},
                                     {"Long Time", "!90:00:00\\ >LL;0; "},
                                     {"Short Time", "!90:00;0; "}};
constexpr TSample NumberSamples[] = {{"-1,234", "#,0;-#,0"},
                                     {"-1,234.40", "#,0.00;-#,0.00"},
                                     {"(1,234.40)", "#,0.00;(#,0.00)"},
                                     {"($1,234.40)", "$#,0.00;($#,0.00)"},
                                     {"-$1,234.40", "$#,0.00;-$#,0.00"},
                                     {"-$1,234", "$#,0;-$#,0"},
                                     {"($1,234)", "$#,0;($#,0)"},
                                     {"-1234.4 %", "0 %"},
                                     {"-1234.40 %", "0.00 %"}};

template <size_t N>
void AddSamples(TStrings& List, const TSample (&Samples)[N]) {
  for (const TSample& S : Samples)
    List.Add(std::string(S.Sample) + ppDisplayFormatSeparator + S.Format);
}

bool IsNumber(TppDataType T) {
  switch (T) {
    case dtInteger:
    case dtSingle:
    case dtDouble:
    case dtExtended:
    case dtCurrency:
    case dtLongint:
    case dtLargeInt: return true;
    default: return false;
  }
}

// Money keeps four decimals before it is formatted.
double AsCurrency(double V) { return std::isfinite(V) && std::fabs(V) < 1e14 ? Round(V * 10000.0L) / 10000.0 : V; }
}  // namespace

int GetDecimals(std::string_view DisplayFormat) {
  if (DisplayFormat.find('.') == std::string_view::npos) return 0;
  std::string_view First = DisplayFormat.substr(0, DisplayFormat.find(';'));
  size_t Point = First.find('.');
  return Point == std::string_view::npos ? 0 : static_cast<int>(First.size() - Point - 1);
}

std::string TppDisplayFormat::FormatValue(const std::string& DisplayFormat, TppDataType DataType,
                                          const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return {};
  const TFormatSettings& FS = FormatSettings();
  switch (DataType) {
    case dtBoolean: {
      if (DisplayFormat.empty() || Value.VarType() != varBoolean) return Value.AsString();
      size_t Semi = DisplayFormat.find(';');
      if (Value.AsBoolean()) return DisplayFormat.substr(0, Semi);
      return Semi == std::string::npos ? std::string() : DisplayFormat.substr(Semi + 1);
    }
    case dtDate:
    case dtTime:
    case dtDateTime: {
      std::string Format = DisplayFormat;
      if (Format.empty()) Format = DataType == dtDate ? FS.ShortDateFormat : DataType == dtTime ? FS.LongTimeFormat : "c";
      return FormatDateTime(Format, Value.AsDateTime(), FS);
    }
    case dtChar:
    case dtString:
    case dtMemo:
    case dtGUID:
      return DisplayFormat.empty() ? Value.AsString() : FormatMaskText(DisplayFormat, Value.AsString(), FS);
    default: break;
  }
  if (!IsNumber(DataType)) return {};
  const double V = Value.AsFloat();
  if (DisplayFormat.find('$') != std::string::npos) return FloatToCurrencyStr(V, GetDecimals(DisplayFormat), FS);
  if (!DisplayFormat.empty()) return FormatFloat(DisplayFormat, DataType == dtCurrency ? AsCurrency(V) : V, FS);
  if (DataType == dtCurrency) return FloatToCurrencyStr(V, FS.CurrencyDecimals, FS);
  return FloatToStr(V, FS);
}

void TppDisplayFormat::GetDisplayFormats(TppDataType DataType, TStrings& List) const {
  List.Clear();
  switch (DataType) {
    case dtBoolean: AddSamples(List, BooleanSamples); break;
    case dtDate: AddSamples(List, DateSamples); break;
    case dtTime: AddSamples(List, TimeSamples); break;
    case dtDateTime:
      AddSamples(List, DateTimeSamples);
      AddSamples(List, DateSamples);
      break;
    case dtString: AddSamples(List, StringSamples); break;
    default:
      if (IsNumber(DataType)) AddSamples(List, NumberSamples);
      break;
  }
}

const TppDisplayFormat* DisplayFormatClass() { return Current.load(); }

void SetDisplayFormatClass(const TppDisplayFormat* Value) { Current = Value; }

std::string FormatDisplayValue(const std::string& DisplayFormat, TppDataType DataType, const Variant& Value) {
  const TppDisplayFormat* F = Current.load();
  return (F ? F : &BaseFormat)->FormatValue(DisplayFormat, DataType, Value);
}

void InitializeDisplayFormatUnit() { SetDisplayFormatClass(&BaseFormat); }

void FinalizeDisplayFormatUnit() { SetDisplayFormatClass(nullptr); }
