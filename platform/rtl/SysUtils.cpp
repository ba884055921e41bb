#include "platform/rtl/SysUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/rtl/RtlConsts.h"

void Abort() { throw EAbort(SOperationAborted); }

std::string IntToStr(int64_t Value) { return std::to_string(Value); }

std::string IntToHex(uint64_t Value, int Digits) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string R;
  do {
    R.insert(R.begin(), Hex[Value & 15]);
    Value >>= 4;
  } while (Value);
  while (static_cast<int>(R.size()) < Digits) R.insert(R.begin(), '0');
  return R;
}

static bool ParseInt(std::string_view S, int64_t& Out) {
  std::string T = Trim(S);
  std::string_view V = T;
  if (V.empty()) return false;
  bool Neg = false;
  if (V[0] == '+' || V[0] == '-') {
    Neg = V[0] == '-';
    V.remove_prefix(1);
  }
  int Base = 10;
  if (!V.empty() && V[0] == '$') {
    Base = 16;
    V.remove_prefix(1);
  } else if (V.size() > 2 && V[0] == '0' && (V[1] == 'x' || V[1] == 'X')) {
    Base = 16;
    V.remove_prefix(2);
  }
  if (V.empty()) return false;
  uint64_t U = 0;
  auto [P, Ec] = std::from_chars(V.data(), V.data() + V.size(), U, Base);
  if (Ec != std::errc() || P != V.data() + V.size()) return false;
  if (Neg) {
    if (U > uint64_t(INT64_MAX) + 1) return false;
    Out = static_cast<int64_t>(0 - U);
  } else {
    if (U > uint64_t(INT64_MAX)) return false;
    Out = static_cast<int64_t>(U);
  }
  return true;
}

int64_t StrToInt(std::string_view S) {
  int64_t R;
  if (!ParseInt(S, R))
    throw EConvertError(Format(SInvalidInteger, {S}));
  return R;
}

int64_t StrToIntDef(std::string_view S, int64_t Default) {
  int64_t R;
  return ParseInt(S, R) ? R : Default;
}

std::string Format(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
  std::string Out;
  auto It = Args.begin();
  size_t I = 0;
  auto Bad = [&]() -> EConvertError {
    std::string Text = SInvalidFormat;  // not through Format, which is what failed
    return EConvertError(Text.replace(Text.find("%s"), 2, Fmt));
  };
  while (I < Fmt.size()) {
    char C = Fmt[I++];
    if (C != '%') {
      Out += C;
      continue;
    }
    if (I < Fmt.size() && Fmt[I] == '%') {
      Out += '%';
      ++I;
      continue;
    }
    bool LeftAlign = false;
    if (I < Fmt.size() && Fmt[I] == '-') {
      LeftAlign = true;
      ++I;
    }
    int Width = -1, Prec = -1;
    while (I < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[I])))
      Width = (Width < 0 ? 0 : Width * 10) + (Fmt[I++] - '0');
    if (I < Fmt.size() && Fmt[I] == '.') {
      ++I;
      Prec = 0;
      while (I < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[I])))
        Prec = Prec * 10 + (Fmt[I++] - '0');
    }
    if (I >= Fmt.size() || It == Args.end()) throw Bad();
    char Conv = Fmt[I++];
    const FormatArg& A = *It++;
    std::string Piece;
    switch (Conv) {
      case 'd':
      case 'D':
      case 'u':
      case 'U': {
        if (A.kind != FormatArg::Int) throw Bad();
        int64_t V = A.i;
        if ((Conv == 'u' || Conv == 'U') && V < 0) V = static_cast<uint32_t>(V);
        std::string Digits = std::to_string(V < 0 ? -(V + 1) + uint64_t(1) : uint64_t(V));
        if (Prec > 0)
          while (static_cast<int>(Digits.size()) < Prec) Digits.insert(Digits.begin(), '0');
        Piece = (V < 0 ? "-" : "") + Digits;
        break;
      }
      case 'x':
      case 'X': {
        if (A.kind != FormatArg::Int) throw Bad();
        uint64_t V = A.i < 0 && A.i >= INT32_MIN ? uint32_t(A.i) : uint64_t(A.i);
        Piece = IntToHex(V, Prec > 0 ? Prec : 1);
        if (Conv == 'x')
          for (char& Ch : Piece) Ch = static_cast<char>(std::tolower(static_cast<unsigned char>(Ch)));
        break;
      }
      case 's':
      case 'S':
        if (A.kind != FormatArg::Str) throw Bad();
        Piece = Prec >= 0 && static_cast<size_t>(Prec) < A.s.size() ? A.s.substr(0, Prec) : A.s;
        break;
      default:
        throw Bad();
    }
    if (Width > 0 && static_cast<int>(Piece.size()) < Width) {
      std::string Pad(Width - Piece.size(), ' ');
      Piece = LeftAlign ? Piece + Pad : Pad + Piece;
    }
    Out += Piece;
  }
  return Out;
}

static bool IsBlank(char C) { return static_cast<unsigned char>(C) <= ' '; }

std::string TrimLeft(std::string_view S) {
  size_t B = 0;
  while (B < S.size() && IsBlank(S[B])) ++B;
  return std::string(S.substr(B));
}

std::string TrimRight(std::string_view S) {
  size_t E = S.size();
  while (E > 0 && IsBlank(S[E - 1])) --E;
  return std::string(S.substr(0, E));
}

std::string Trim(std::string_view S) { return TrimLeft(TrimRight(S)); }

std::string UpperCaseAscii(std::string_view S) {
  std::string R(S);
  for (char& C : R)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
  return R;
}

std::string LowerCaseAscii(std::string_view S) {
  std::string R(S);
  for (char& C : R)
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + 32);
  return R;
}

std::string HtmlEscape(std::string_view Text) {
  std::string R;
  R.reserve(Text.size());
  for (char C : Text) {
    switch (C) {
      case '&': R += "&amp;"; break;
      case '<': R += "&lt;"; break;
      case '>': R += "&gt;"; break;
      case '"': R += "&quot;"; break;
      default: R += C;
    }
  }
  return R;
}

bool SameTextAscii(std::string_view A, std::string_view B) {
  // No temporaries: name look-ups in component and property tables call this a lot.
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    char X = A[I], Y = B[I];
    if (X >= 'a' && X <= 'z') X = static_cast<char>(X - 32);
    if (Y >= 'a' && Y <= 'z') Y = static_cast<char>(Y - 32);
    if (X != Y) return false;
  }
  return true;
}

std::string SysErrorMessage(int ErrorCode) {
  switch (ErrorCode) {
    case ENOENT: return SNoSuchFile;
    case EACCES: return SAccessDenied;
    case EPERM: return SNotPermitted;
    case EISDIR: return SIsAFolder;
    case ENOTDIR: return SNotAFolder;
    case ENOSPC: return SDiskFull;
    case EDQUOT: return SQuotaExceeded;
    case EROFS: return SReadOnlyFileSystem;
    case EIO: return SInOutFailure;
    case EEXIST: return SFileExists;
    case ENAMETOOLONG: return SNameTooLongForSystem;
    default: return std::strerror(ErrorCode);
  }
}

bool FileExists(const std::string& FileName) {
  struct stat St;
  return ::stat(FileName.c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

bool DeleteFile(const std::string& FileName) { return ::unlink(FileName.c_str()) == 0; }

static size_t LastDelimiter(const std::string& S) {
  size_t P = S.find_last_of('/');
  return P == std::string::npos ? 0 : P + 1;
}

std::string ExtractFileName(const std::string& FileName) { return FileName.substr(LastDelimiter(FileName)); }

std::string ExtractFilePath(const std::string& FileName) { return FileName.substr(0, LastDelimiter(FileName)); }

std::string ExtractFileExt(const std::string& FileName) {
  size_t Start = LastDelimiter(FileName);
  size_t Dot = FileName.find_last_of('.');
  return Dot == std::string::npos || Dot < Start ? std::string() : FileName.substr(Dot);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Ext) {
  std::string Old = ExtractFileExt(FileName);
  return FileName.substr(0, FileName.size() - Old.size()) + Ext;
}
