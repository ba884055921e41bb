#pragma once
// Values as text by display format and data type, and the sample formats an editor offers.
#include <string>
#include <string_view>

#include "platform/rtl/Variants.h"
#include "ppreport/core/ppTypes.h"

class TStrings;

// Used through one process-wide instance that names the class formatting values (a program may put
// a descendant there). The library sets it to the base at start-up and clears it at shutdown.
class TppDisplayFormat {
public:
  virtual ~TppDisplayFormat() = default;
  // Empty for a null (or unassigned) value. Booleans: DisplayFormat "true text;false text". Dates
  // and times: FormatDateTime, by default the short date, the long time or "c". Numbers: a format
  // with "$" gives money with GetDecimals decimals, another format FormatFloat (FormatCurr for
  // currency); without one, currency in the locale's money format and the rest in general format.
  // Texts: the format is an edit mask. Other types: empty. Numbers follow the process's settings.
  virtual std::string FormatValue(const std::string& DisplayFormat, TppDataType DataType, const Variant& Value) const;
  // List cleared, then "sample" + 0x01 + "format" for each format offered for DataType.
  virtual void GetDisplayFormats(TppDataType DataType, TStrings& List) const;
};

// The instance that formats values; null outside the library's lifetime.
const TppDisplayFormat* DisplayFormatClass();
void SetDisplayFormatClass(const TppDisplayFormat* Value);
// FormatValue of the current instance (of the base when none is set).
std::string FormatDisplayValue(const std::string& DisplayFormat, TppDataType DataType, const Variant& Value);
// The characters after the first "." of the format's first section; 0 without a ".".
int GetDecimals(std::string_view DisplayFormat);
// The character between a sample and its format in GetDisplayFormats' entries.
constexpr char ppDisplayFormatSeparator = '\x01';
