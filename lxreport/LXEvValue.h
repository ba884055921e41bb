#pragma once
// The value record of the expression language and the texts of its errors.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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

// Texts of the expression language (its string table).
namespace LXExprText {
inline constexpr const char* True = "True";
inline constexpr const char* False = "False";
inline constexpr const char* OperatorNotCompatible = "Operator %s is not compatible with %s expressions";
inline constexpr const char* CannotOperate = "Cannot %s %s expressions";
inline constexpr const char* DivideByZero = "Cannot divide by 0";
inline constexpr const char* UnknownFieldType = "Field %s is of unknown type";
inline constexpr const char* TooManyArguments = "Too many arguments";
inline constexpr const char* WrongArguments = "Wrong arguments for %s";
inline constexpr const char* UnknownType = "Unknown type";
inline constexpr const char* InvalidSqrt = "Invalid argument to SQRT function";
inline constexpr const char* DivisionByZero = "Division by Zero";
inline constexpr const char* ConversionError = "Conversion error";
inline constexpr const char* MissingArgument = "Missing argument for %s";
inline constexpr const char* InvalidFormat = "Invalid format or value specified";
inline constexpr const char* CountPrefix = "COUNT - ";
inline constexpr const char* UnknownFunction = "Unknown function : %s";
inline constexpr const char* Missing = "Missing %s";
inline constexpr const char* ErrorInExpression = "Error in expression : %s";
inline constexpr const char* IllegalNumeric = "Illegal character in numeric contant ";
inline constexpr const char* InvalidNot = "Invalid use of NOT";
inline constexpr const char* NotPrepared = "Evaluator not prepared";
inline constexpr const char* Recursive = "Recursive calls not allowed";
inline constexpr const char* TooLong = "Expression too long: more than %d characters";
inline constexpr const char* TooDeep = "Expression nested too deeply: more than %d levels";
inline constexpr const char* FieldGone = "Field %s is no longer available";
inline constexpr const char* Vendor = "Mivo Open Report";
}  // namespace LXExprText
