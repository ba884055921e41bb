#include "platform/rtl/Variants.h"

#include <cmath>

#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlMath.h"

static EVariantError CannotConvert() { return EVariantError(SInvalidVariantType); }

Variant Variant::Null() {
  Variant V;
  V.FType = varNull;
  return V;
}

Variant Variant::OfInteger(int64_t Value, TVarType Type) {
  Variant V(Value);
  V.FType = Type;
  return V;
}

Variant Variant::OfFloat(double Value, TVarType Type) {
  Variant V(Value);
  V.FType = Type;
  return V;
}

Variant Variant::OfDate(TDateTime D) { return OfFloat(D, varDate); }

Variant Variant::OfCurrency(int64_t TenThousandths) {
  return OfFloat(static_cast<double>(TenThousandths) / 10000.0, varCurrency);
}

bool Variant::IsNumeric() const {
  return std::holds_alternative<int64_t>(FValue) || (std::holds_alternative<double>(FValue) && FType != varDate);
}

int64_t Variant::AsInteger() const {
  if (auto* I = std::get_if<int64_t>(&FValue)) return *I;
  if (auto* D = std::get_if<double>(&FValue)) {
    if (!std::isfinite(*D) || std::fabs(*D) > 9.2e18) throw CannotConvert();
    return Round(*D);
  }
  if (auto* B = std::get_if<bool>(&FValue)) return *B ? -1 : 0;
  if (auto* S = std::get_if<std::string>(&FValue)) {
    try {
      return StrToInt(*S);
    } catch (const EConvertError&) {
      throw CannotConvert();
    }
  }
  if (FType == varEmpty) return 0;
  throw CannotConvert();
}

double Variant::AsFloat() const {
  if (auto* I = std::get_if<int64_t>(&FValue)) return static_cast<double>(*I);
  if (auto* D = std::get_if<double>(&FValue)) return *D;
  if (auto* B = std::get_if<bool>(&FValue)) return *B ? -1 : 0;
  if (auto* S = std::get_if<std::string>(&FValue)) {
    double R;
    if (TryStrToFloat(*S, R)) return R;
    throw CannotConvert();
  }
  if (FType == varEmpty) return 0;
  throw CannotConvert();
}

bool Variant::AsBoolean() const {
  if (auto* B = std::get_if<bool>(&FValue)) return *B;
  if (auto* I = std::get_if<int64_t>(&FValue)) return *I != 0;
  if (auto* D = std::get_if<double>(&FValue)) return *D != 0;
  if (auto* S = std::get_if<std::string>(&FValue)) {
    if (SameTextAscii(*S, "True")) return true;
    if (SameTextAscii(*S, "False")) return false;
    double R;
    if (TryStrToFloat(*S, R)) return R != 0;
    throw CannotConvert();
  }
  if (FType == varEmpty) return false;
  throw CannotConvert();
}

TDateTime Variant::AsDateTime() const {
  if (auto* S = std::get_if<std::string>(&FValue)) {
    try {
      return StrToDateTime(*S);
    } catch (const EConvertError&) {
      throw CannotConvert();
    }
  }
  return AsFloat();
}

std::string Variant::AsString(const TFormatSettings& FS) const {
  if (auto* S = std::get_if<std::string>(&FValue)) return *S;
  if (auto* I = std::get_if<int64_t>(&FValue)) return std::to_string(*I);
  if (auto* B = std::get_if<bool>(&FValue)) return *B ? "True" : "False";
  if (auto* D = std::get_if<double>(&FValue)) return FType == varDate ? DateTimeToStr(*D, FS) : FloatToStr(*D, FS);
  return {};
}
