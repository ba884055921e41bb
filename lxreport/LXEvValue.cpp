#include "lxreport/LXEvValue.h"

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Win1252.h"

void MakeErrorValue(std::string_view Message, TLXEvValue& Value) {
  Value.Kind = evError;
  Value.SetText(Message);
}

std::string ValueToText(const TLXEvValue& Value) {
  switch (Value.Kind) {
    case evInteger: return std::to_string(Value.Integer);
    case evFloat: return FloatToStr(Value.Float);
    case evBoolean: return Value.Boolean ? LXExprText::True : LXExprText::False;
    default: return Value.Text();
  }
}

namespace {
// The place of the character at S[I] in the order, advancing I: its Windows-1252 byte, else
// past all of them. A byte that is not UTF-8 counts as the Windows-1252 byte it is.
uint64_t NextOrderKey(std::string_view S, size_t& I) {
  const size_t At = I;
  const char32_t C = NextUtf8(S, I);
  if (C == 0xFFFFFFFF) return static_cast<unsigned char>(S[At]);
  const int B = CodePointToWin1252(C);
  return B >= 0 ? static_cast<uint64_t>(B) : 0x100u + static_cast<uint64_t>(C);
}
}  // namespace

int CompareTexts(std::string_view A, std::string_view B) {
  size_t I = 0, J = 0;
  while (I < A.size() && J < B.size()) {
    // ASCII runs compare as bytes.
    const auto Ca = static_cast<unsigned char>(A[I]), Cb = static_cast<unsigned char>(B[J]);
    if (Ca < 0x80 && Cb < 0x80) {
      if (Ca != Cb) return Ca < Cb ? -1 : 1;
      ++I, ++J;
      continue;
    }
    const uint64_t Ka = NextOrderKey(A, I), Kb = NextOrderKey(B, J);
    if (Ka != Kb) return Ka < Kb ? -1 : 1;
  }
  const bool EndA = I >= A.size(), EndB = J >= B.size();
  return EndA == EndB ? 0 : EndA ? -1 : 1;
}
