#include "lxreport/LXEvValue.h"

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/Win1252.h"

std::string TLXEvValue::Text() const { return Win1252ToUtf8(Bytes()); }

void TLXEvValue::SetBytes(std::string_view B) {
  if (B.size() > MaxText) B = B.substr(0, MaxText);
  std::memcpy(TextBytes, B.data(), B.size());
  TextLength = static_cast<uint8_t>(B.size());
}

void TLXEvValue::SetText(std::string_view Utf8) {
  bool Ascii = true;
  for (char C : Utf8) Ascii = Ascii && static_cast<unsigned char>(C) < 0x80;
  if (Ascii) SetBytes(Utf8);
  else SetBytes(Utf8ToWin1252(Utf8));
}

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

std::string ValueToBytes(const TLXEvValue& Value) {
  if (Value.Kind == evString || Value.Kind == evError) return std::string(Value.Bytes());
  return Utf8ToWin1252(ValueToText(Value));
}

int CompareBytes(std::string_view A, std::string_view B) {
  size_t N = A.size() < B.size() ? A.size() : B.size();
  int R = N ? std::memcmp(A.data(), B.data(), N) : 0;  // memcmp compares as unsigned char
  if (R != 0) return R < 0 ? -1 : 1;
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}
