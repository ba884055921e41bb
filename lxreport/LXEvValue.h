#pragma once
// The value record of the expression language (its texts are in LXConsts.h).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "lxreport/LXConsts.h"

enum TLXEvKind : uint8_t { evInteger = 0, evFloat = 1, evString = 2, evBoolean = 3, evError = 4 };

// Fixed-size and copied by value; no heap data. The text (of a string, or the
// message of an error) is held as at most 255 Windows-1252 bytes, so length
// limits and byte-wise comparisons work on the same bytes a stored report has.
struct TLXEvValue {
  static constexpr size_t MaxText = 255;

  TLXEvKind Kind = evInteger;
  bool Boolean = false;
  uint8_t TextLength = 0;
  int32_t Integer = 0;
  double Float = 0;
  char TextBytes[MaxText];

  TLXEvValue() = default;
  TLXEvValue(const TLXEvValue& O) { *this = O; }
  TLXEvValue& operator=(const TLXEvValue& O) {
    Kind = O.Kind;
    Boolean = O.Boolean;
    TextLength = O.TextLength;
    Integer = O.Integer;
    Float = O.Float;
    std::memcpy(TextBytes, O.TextBytes, TextLength);  // only the used bytes
    return *this;
  }

  std::string_view Bytes() const { return {TextBytes, TextLength}; }
  // The text as UTF-8.
  std::string Text() const;
  // Cut to 255 bytes.
  void SetBytes(std::string_view B);
  // UTF-8 in; stored as Windows-1252, cut to 255 bytes.
  void SetText(std::string_view Utf8);

  // Each setter gives the kind and clears the other payloads.
  void SetInteger(int32_t V) { Clear(evInteger); Integer = V; }
  void SetFloat(double V) { Clear(evFloat); Float = V; }
  void SetBoolean(bool V) { Clear(evBoolean); Boolean = V; }
  void SetString(std::string_view Utf8) { Clear(evString); SetText(Utf8); }
  void SetStringBytes(std::string_view B) { Clear(evString); SetBytes(B); }

  static TLXEvValue OfInteger(int32_t V) { TLXEvValue R; R.SetInteger(V); return R; }
  static TLXEvValue OfFloat(double V) { TLXEvValue R; R.SetFloat(V); return R; }
  static TLXEvValue OfBoolean(bool V) { TLXEvValue R; R.SetBoolean(V); return R; }
  static TLXEvValue OfString(std::string_view Utf8) { TLXEvValue R; R.SetString(Utf8); return R; }

private:
  void Clear(TLXEvKind K) {
    Kind = K;
    Integer = 0;
    Float = 0;
    Boolean = false;
    TextLength = 0;
  }
};

// Kind evError with the message (UTF-8), cut to 255 bytes; an empty message
// leaves no earlier text behind.
void MakeErrorValue(std::string_view Message, TLXEvValue& Value);
// Integer digits, float in the general format with 15 digits and the
// locale's decimal separator, string unchanged, boolean "True"/"False". UTF-8.
std::string ValueToText(const TLXEvValue& Value);
// The same as Windows-1252 bytes.
std::string ValueToBytes(const TLXEvValue& Value);
// Unsigned byte order; a prefix is the lower.
int CompareBytes(std::string_view A, std::string_view B);
