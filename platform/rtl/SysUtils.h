#pragma once
// Runtime basics: the exception root, integer formatting, file helpers.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// Root of every exception the program raises. Message() is UTF-8.
class Exception : public std::exception {
public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  const std::string& Message() const { return FMessage; }
  void SetMessage(std::string Msg) { FMessage = std::move(Msg); }
  const char* what() const noexcept override { return FMessage.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

private:
  std::string FMessage;
};

// Declares an exception class with its class name, deriving from Base.
#define DECLARE_EXCEPTION(Name, Base)                                  \
  class Name : public Base {                                           \
  public:                                                              \
    using Base::Base;                                                  \
    const char* ClassName() const override { return #Name; }           \
  };

DECLARE_EXCEPTION(EAbort, Exception)
DECLARE_EXCEPTION(EConvertError, Exception)
DECLARE_EXCEPTION(EInOutError, Exception)
DECLARE_EXCEPTION(EOutOfMemory, Exception)
DECLARE_EXCEPTION(EInvalidOperation, Exception)
DECLARE_EXCEPTION(EListError, Exception)
DECLARE_EXCEPTION(EStreamError, Exception)
DECLARE_EXCEPTION(EFCreateError, EStreamError)
DECLARE_EXCEPTION(EFOpenError, EStreamError)
DECLARE_EXCEPTION(EReadError, EStreamError)
DECLARE_EXCEPTION(EWriteError, EStreamError)
DECLARE_EXCEPTION(EInvalidGraphic, Exception)

// Raises EAbort, the silent exception.
[[noreturn]] void Abort();

std::string IntToStr(int64_t Value);
std::string IntToHex(uint64_t Value, int Digits);
// StrToInt raises EConvertError ("'x' não é um valor inteiro válido").
int64_t StrToInt(std::string_view S);
int64_t StrToIntDef(std::string_view S, int64_t Default);

// Format for the integer and string forms: %d %u %x %X %s %%, with
// optional '-' flag, width and precision ("%.3d", "%5d", "%-8s", "%*d" not supported).
// Arguments are passed as a list of FormatArg.
struct FormatArg {
  enum Kind { Int, Str } kind;
  int64_t i = 0;
  std::string s;
  FormatArg(int v) : kind(Int), i(v) {}
  FormatArg(unsigned v) : kind(Int), i(v) {}
  FormatArg(long v) : kind(Int), i(v) {}
  FormatArg(unsigned long v) : kind(Int), i(static_cast<int64_t>(v)) {}
  FormatArg(long long v) : kind(Int), i(v) {}
  FormatArg(const char* v) : kind(Str), s(v) {}
  FormatArg(std::string v) : kind(Str), s(std::move(v)) {}
  FormatArg(std::string_view v) : kind(Str), s(v) {}
};
// Raises EConvertError on a bad format or argument mismatch.
std::string Format(std::string_view Fmt, std::initializer_list<FormatArg> Args);

std::string Trim(std::string_view S);
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);
// ASCII-only case mapping; see the formatting module for locale-aware case.
std::string UpperCaseAscii(std::string_view S);
std::string LowerCaseAscii(std::string_view S);
bool SameTextAscii(std::string_view A, std::string_view B);
// "&", "<", ">" and '"' as character references, so a text shows as text inside HTML.
std::string HtmlEscape(std::string_view Text);

// The reason of a failed system call (an errno value) as a text in the program's language: the
// common ones in Portuguese, any other as the C library words it.
std::string SysErrorMessage(int ErrorCode);

bool FileExists(const std::string& FileName);
bool DeleteFile(const std::string& FileName);
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFilePath(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);
std::string ChangeFileExt(const std::string& FileName, const std::string& Ext);
