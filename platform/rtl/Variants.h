#pragma once
// A tagged value with the class library's variant type codes, for the places
// that pass "any value": parameters, property values, joined message texts.
#include <cstdint>
#include <string>
#include <variant>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

using TVarType = uint16_t;
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;

DECLARE_EXCEPTION(EVariantError, Exception)

class Variant {
public:
  Variant() = default;  // varEmpty
  static Variant Null();
  Variant(bool V) : FType(varBoolean), FValue(V) {}
  Variant(int V) : FType(varInteger), FValue(int64_t(V)) {}
  Variant(int64_t V) : FType(varInt64), FValue(V) {}
  Variant(double V) : FType(varDouble), FValue(V) {}
  Variant(const char* V) : FType(varString), FValue(std::string(V)) {}
  Variant(std::string V) : FType(varString), FValue(std::move(V)) {}
  // An integer or float stored under a given code (varSmallint, varByte, varCurrency...).
  static Variant OfInteger(int64_t V, TVarType Type);
  static Variant OfFloat(double V, TVarType Type);
  static Variant OfDate(TDateTime D);
  // Currency as the class library stores it: ten-thousandths in an int64.
  static Variant OfCurrency(int64_t TenThousandths);

  TVarType VarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsNull() const { return FType == varNull; }
  bool IsNumeric() const;
  bool IsString() const { return FType == varString || FType == varOleStr; }

  // Conversions raise EVariantError when the value has no such form
  // ("Não foi possível converter o tipo variant").
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  // Empty and null give an empty text; numbers and dates use the settings.
  std::string AsString(const TFormatSettings& FS) const;
  std::string AsString() const { return AsString(FormatSettings()); }

  // Same type code and value.
  bool operator==(const Variant& O) const { return FType == O.FType && FValue == O.FValue; }

private:
  TVarType FType = varEmpty;
  std::variant<std::monostate, bool, int64_t, double, std::string> FValue;
};

// The text of a variant, empty for empty and null.
inline std::string VarToStr(const Variant& V) { return V.AsString(); }
