#pragma once
// The value record of the expression language (its texts are in LXConsts.h).
#include <cstdint>
#include <string>
#include <string_view>

#include "lxreport/LXConsts.h"

enum TLXEvKind : uint8_t { evInteger = 0, evFloat = 1, evString = 2, evBoolean = 3, evError = 4 };

// Copied by value. The text (of a string, or the message of an error) is UTF-8 and kept
// whole: every character of a field or a literal reaches the printed page and the exports,
// which alone decide what their format cannot hold. Short texts stay inside the record.
struct TLXEvValue {
  TLXEvKind Kind = evInteger;
  bool Boolean = false;
  int32_t Integer = 0;
  double Float = 0;

  const std::string& Text() const { return FText; }
  void SetText(std::string_view Utf8) { FText.assign(Utf8); }

  // Each setter gives the kind and clears the other payloads.
  void SetInteger(int32_t V) { Clear(evInteger); Integer = V; }
  void SetFloat(double V) { Clear(evFloat); Float = V; }
  void SetBoolean(bool V) { Clear(evBoolean); Boolean = V; }
  void SetString(std::string_view Utf8) { Clear(evString); SetText(Utf8); }
  // Appends to the text of a string.
  void Append(std::string_view Utf8) { FText.append(Utf8); }

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
    FText.clear();
  }
  std::string FText;
};

// Kind evError with the message (UTF-8); an empty message leaves no earlier text behind.
void MakeErrorValue(std::string_view Message, TLXEvValue& Value);
// Integer digits, float in the general format with 15 digits and the
// locale's decimal separator, string unchanged, boolean "True"/"False". UTF-8.
std::string ValueToText(const TLXEvValue& Value);
// Texts in the order of their characters' Windows-1252 bytes, as stored reports have always
// compared them; a character that code page lacks sorts after all of its characters, by its
// code point. A prefix is the lower.
int CompareTexts(std::string_view A, std::string_view B);
