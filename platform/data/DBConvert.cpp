#include "platform/data/DBConvert.h"

#include "platform/data/DBFormat.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlMath.h"

namespace dbconv {

TDbCell CellOf(const TDbValue& V) {
  TDbCell C;
  C.Kind = V.Kind;
  C.I = V.I;
  C.F = V.F;
  C.Bytes = V.S;
  return C;
}

std::string Text(const TDbCell& C) {
  switch (C.Kind) {
    case TDbValueKind::Null: return "";
    case TDbValueKind::Integer: return IntToStr(C.I);
    case TDbValueKind::Float: return FloatToStr(C.F);
    default: return std::string(C.Bytes);
  }
}

int64_t Integer(const TDbCell& C) {
  switch (C.Kind) {
    case TDbValueKind::Null: return 0;
    case TDbValueKind::Integer: return C.I;
    case TDbValueKind::Float: return Round(C.F);
    default: return StrToInt(Trim(C.Bytes));
  }
}

double Float(const TDbCell& C) {
  switch (C.Kind) {
    case TDbValueKind::Null: return 0;
    case TDbValueKind::Integer: return static_cast<double>(C.I);
    case TDbValueKind::Float: return C.F;
    default: {
      double R;
      if (TryDbTextToFloat(C.Bytes, R)) return R;
      if (TryStrToFloat(C.Bytes, R)) return R;  // as the user writes it ("1,5")
      throw EConvertError(Format(SInvalidFloat, {C.Bytes}));
    }
  }
}

bool Boolean(const TDbCell& C) {
  switch (C.Kind) {
    case TDbValueKind::Null: return false;
    case TDbValueKind::Integer: return C.I != 0;
    case TDbValueKind::Float: return C.F != 0;
    default: {
      std::string S = LowerCaseAscii(Trim(C.Bytes));
      if (S == "true" || S == "t" || S == "yes" || S == "y" || S == "1") return true;
      if (S == "false" || S == "f" || S == "no" || S == "n" || S == "0") return false;
      throw EConvertError(Format(SInvalidBoolean, {C.Bytes}));
    }
  }
}

TDateTime DateTime(const TDbCell& C) {
  switch (C.Kind) {
    case TDbValueKind::Null: return 0;
    case TDbValueKind::Integer: return static_cast<double>(C.I);
    case TDbValueKind::Float: return C.F;
    default: {
      TDateTime R;
      if (TryIsoToDateTime(C.Bytes, R)) return R;
      throw EConvertError(Format(SInvalidDateTime, {C.Bytes}));
    }
  }
}

}  // namespace dbconv
