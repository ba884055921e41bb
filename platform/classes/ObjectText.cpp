#include "platform/classes/ObjectText.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"

namespace {
constexpr int MaxDepth = 400;
constexpr const char* Eol = "\r\n";

// Shortest text that reads back to the same value; always with "." and never locale-bound.
template <class F>
std::string FloatText(F V) {
  char Buf[64];
  auto R = std::to_chars(Buf, Buf + sizeof(Buf), V);
  std::string S(Buf, R.ptr);
  if (S.find_first_of(".eEn") == std::string::npos) S += ".0";
  return S;
}

std::string QuoteText(const std::string& S) {
  if (S.empty()) return "''";
  std::string R;
  bool InQuote = false;
  for (size_t I = 0; I < S.size();) {
    char32_t C = NextUtf8(S, I);
    if (C >= 32 && C < 127) {
      if (!InQuote) R += '\'';
      InQuote = true;
      R += static_cast<char>(C);
      if (C == '\'') R += '\'';
    } else {
      if (InQuote) R += '\'';
      InQuote = false;
      if (C == 0xFFFFFFFF) C = 0xFFFD;
      R += '#' + std::to_string(static_cast<uint32_t>(C));
    }
  }
  if (InQuote) R += '\'';
  return R;
}

class TBinaryToText {
public:
  TBinaryToText(TReader& R, std::string& Out) : FR(R), FOut(Out) {}

  void Object(int Level) {
    Check(Level);
    uint8_t Flags;
    int Pos;
    FR.ReadPrefix(Flags, Pos);
    std::string ClassName = FR.ReadStr();
    std::string Name = FR.ReadStr();
    Indent(Level);
    FOut += (Flags & ffInherited) ? "inherited " : (Flags & ffInline) ? "inline " : "object ";
    if (!Name.empty()) FOut += Name + ": ";
    FOut += ClassName;
    if (Flags & ffChildPos) FOut += " [" + std::to_string(Pos) + "]";
    FOut += Eol;
    while (!FR.EndOfList()) Property(Level + 1);
    FR.ReadListEnd();
    while (!FR.EndOfList()) Object(Level + 1);
    FR.ReadListEnd();
    Indent(Level);
    FOut += "end";
    FOut += Eol;
  }

private:
  void Check(int Level) {
    if (Level > MaxDepth) throw EReadError(SInvalidStreamFormat);
  }
  void Indent(int Level) { FOut.append(static_cast<size_t>(Level) * 2, ' '); }

  void Property(int Level) {
    Indent(Level);
    FOut += FR.ReadStr();
    FOut += " = ";
    Value(Level);
    FOut += Eol;
  }

  void Value(int Level) {
    Check(Level);
    switch (FR.NextValue()) {
      case vaList:
        FR.ReadValue();
        FOut += '(';
        while (!FR.EndOfList()) {
          FOut += Eol;
          Indent(Level + 1);
          Value(Level + 1);
        }
        FR.ReadListEnd();
        FOut += ')';
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64: FOut += std::to_string(FR.ReadInt64()); break;
      case vaExtended: FOut += FloatText(FR.ReadFloat()); break;
      case vaSingle: FOut += FloatText(static_cast<float>(FR.ReadFloat())) + "s"; break;
      case vaDate: FOut += FloatText(static_cast<double>(FR.ReadFloat())) + "d"; break;
      case vaCurrency: FOut += std::to_string(FR.ReadCurrency()) + "c"; break;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String: FOut += QuoteText(FR.ReadString()); break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull: FOut += FR.ReadIdent(); break;
      case vaBinary: {
        std::vector<uint8_t> B = FR.ReadBinary();
        static const char Hex[] = "0123456789ABCDEF";
        FOut += '{';
        for (size_t I = 0; I < B.size(); ++I) {
          if (I % 32 == 0) {
            FOut += Eol;
            Indent(Level + 1);
          }
          FOut += Hex[B[I] >> 4];
          FOut += Hex[B[I] & 15];
        }
        FOut += '}';
        break;
      }
      case vaSet: {
        FR.ReadValue();
        FOut += '[';
        bool First = true;
        for (std::string S; !(S = FR.ReadStr()).empty(); First = false) FOut += (First ? "" : ", ") + S;
        FOut += ']';
        break;
      }
      case vaCollection:
        FR.ReadValue();
        FOut += '<';
        while (!FR.EndOfList()) {
          FOut += Eol;
          Indent(Level + 1);
          FOut += "item";
          TValueType N = FR.NextValue();
          if (N == vaInt8 || N == vaInt16 || N == vaInt32) FOut += " [" + std::to_string(FR.ReadInteger()) + "]";
          FOut += Eol;
          FR.ReadListBegin();
          while (!FR.EndOfList()) Property(Level + 2);
          FR.ReadListEnd();
          Indent(Level + 1);
          FOut += "end";
        }
        FR.ReadListEnd();
        FOut += '>';
        break;
      default: throw EReadError(SInvalidStreamFormat);
    }
  }

  TReader& FR;
  std::string& FOut;
};

// ---- text to binary

enum class TTok { End, Ident, Int, Float, String, Symbol };

class TTextToBinary {
public:
  TTextToBinary(std::string_view Text, TWriter& W) : FText(Text), FW(W) { Next(); }

  size_t Consumed() const { return FPos; }

  void Object(int Depth) {
    Check(Depth);
    uint8_t Flags = 0;
    if (IsIdent("inherited"))
      Flags = ffInherited;
    else if (IsIdent("inline"))
      Flags = ffInline;
    else if (!IsIdent("object"))
      Error(Format(SParseExpected, {"'object'"}));
    Next();
    size_t ClassAt = FStart;
    std::string Name, ClassName = Ident();
    if (IsSymbol(':')) {
      Next();
      Name = ClassName;
      ClassAt = FStart;
      ClassName = Ident();
    }
    if (Utf8ToWin1252(ClassName).size() > MaxClassNameBytes) {
      FStart = ClassAt;
      Error(SParseClassNameTooLong);
    }
    int Pos = 0;
    if (IsSymbol('[')) {
      Next();
      Pos = static_cast<int>(Integer());
      Expect(']');
      Flags |= ffChildPos;
    }
    FW.WritePrefix(Flags, Pos);
    FW.WriteClassName(ClassName);
    FW.WriteStr(Name);
    while (!IsIdent("end") && !IsIdent("object") && !IsIdent("inherited") && !IsIdent("inline")) Property(Depth);
    FW.WriteListEnd();
    while (!IsIdent("end")) Object(Depth + 1);
    FW.WriteListEnd();
    FEndOfObject = FStart;
    Next();  // end
  }

  size_t EndOfObject() const { return FEndOfObject; }

private:
  [[noreturn]] void Error(const std::string& What) {
    int Line = 1;
    for (size_t I = 0; I < FStart && I < FText.size(); ++I)
      if (FText[I] == '\n') ++Line;
    throw EParserError(Format(SParseError, {Line, What}));
  }
  void Check(int Depth) {
    if (Depth > MaxDepth) Error(SParseTooDeep);
  }
  bool IsIdent(const char* S) const { return FTok == TTok::Ident && SameTextAscii(FValue, S); }
  bool IsSymbol(char C) const { return FTok == TTok::Symbol && FValue[0] == C; }
  void Expect(char C) {
    if (!IsSymbol(C)) Error(Format(SParseExpected, {std::string("'") + C + "'"}));
    Next();
  }
  std::string Ident() {
    if (FTok != TTok::Ident) Error(Format(SParseExpected, {SParseIdentifier}));
    std::string S = FValue;
    Next();
    return S;
  }
  int64_t Integer() {
    if (FTok != TTok::Int) Error(Format(SParseExpected, {SParseInteger}));
    int64_t V = FInt;
    Next();
    return V;
  }

  void Property(int Depth) {
    std::string Name = Ident();
    FW.WriteStr(Name);
    Expect('=');
    Value(Depth);
  }

  void Value(int Depth) {
    Check(Depth);
    switch (FTok) {
      case TTok::Int: FW.WriteInteger(FInt); Next(); return;
      case TTok::Float:
        switch (FSuffix) {
          case 's':
            // Beyond the single range the value would be written as an infinity.
            if (std::fabs(FFloat) > std::numeric_limits<float>::max()) Error(SParseOutOfRange);
            FW.WriteSingle(static_cast<float>(FFloat));
            break;
          case 'c': {
            int64_t C = FInt;
            if (!FFloatIsInt && !CurrencyFromTenThousandths(FFloat, C)) Error(SParseInvalidCurrency);
            FW.WriteCurrency(C);
            break;
          }
          case 'd':
            if (std::fabs(FFloat) > std::numeric_limits<double>::max()) Error(SParseOutOfRange);
            FW.WriteDate(static_cast<double>(FFloat));
            break;
          default: FW.WriteFloat(FFloat);
        }
        Next();
        return;
      case TTok::String: {
        std::string S = FValue;
        Next();
        while (IsSymbol('+')) {
          Next();
          if (FTok != TTok::String) Error(Format(SParseExpected, {SParseText}));
          S += FValue;
          Next();
        }
        FW.WriteString(S);
        return;
      }
      case TTok::Ident: FW.WriteIdent(FValue); Next(); return;
      case TTok::Symbol: break;
      case TTok::End: Error(Format(SParseExpected, {SParseValue}));
    }
    switch (FValue[0]) {
      case '[':
        Next();
        FW.WriteValue(vaSet);
        while (!IsSymbol(']')) {
          FW.WriteStr(Ident());
          if (IsSymbol(','))
            Next();
          else if (!IsSymbol(']'))
            Error(Format(SParseExpected, {"']'"}));
        }
        Next();
        FW.WriteStr("");
        return;
      case '(':
        Next();
        FW.WriteValue(vaList);
        while (!IsSymbol(')')) Value(Depth + 1);
        Next();
        FW.WriteListEnd();
        return;
      case '{': Binary(); return;
      case '<':
        Next();
        FW.WriteValue(vaCollection);
        while (!IsSymbol('>')) {
          if (!IsIdent("item")) Error(Format(SParseExpected, {"'item'"}));
          Next();
          if (IsSymbol('[')) {
            Next();
            FW.WriteInteger(Integer());
            Expect(']');
          }
          FW.WriteListBegin();
          while (!IsIdent("end")) Property(Depth + 1);
          Next();
          FW.WriteListEnd();
        }
        Next();
        FW.WriteListEnd();
        return;
      default: Error(Format(SParseExpected, {SParseValue}));
    }
  }

  // Hex digits up to "}", blanks between them allowed.
  void Binary() {
    std::vector<uint8_t> Bytes;
    int High = -1;
    size_t P = FPos;
    for (;; ++P) {
      if (P >= FText.size()) Error(Format(SParseExpected, {"'}'"}));
      char C = FText[P];
      if (C == '}') break;
      if (static_cast<unsigned char>(C) <= ' ') continue;
      int D = C >= '0' && C <= '9' ? C - '0' : C >= 'A' && C <= 'F' ? C - 'A' + 10 : C >= 'a' && C <= 'f' ? C - 'a' + 10 : -1;
      if (D < 0) Error(Format(SParseExpected, {SParseHexDigit}));
      if (High < 0) {
        High = D;
      } else {
        Bytes.push_back(static_cast<uint8_t>(High << 4 | D));
        High = -1;
      }
    }
    if (High >= 0) Error(SParseOddHexDigits);
    FPos = P + 1;
    FW.WriteBinary(Bytes.data(), Bytes.size());
    Next();
  }

  static bool IdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
  static bool IdentChar(char C) { return IdentStart(C) || (C >= '0' && C <= '9') || C == '.'; }
  static bool Digit(char C) { return C >= '0' && C <= '9'; }

  void Next() {
    size_t N = FText.size();
    while (FPos < N && static_cast<unsigned char>(FText[FPos]) <= ' ') ++FPos;
    FStart = FPos;
    FValue.clear();
    if (FPos >= N) {
      FTok = TTok::End;
      return;
    }
    char C = FText[FPos];
    if (IdentStart(C)) {
      while (FPos < N && IdentChar(FText[FPos])) ++FPos;
      if (FPos - FStart > 255) Error(SParseIdentifierTooLong);
      FValue = std::string(FText.substr(FStart, FPos - FStart));
      FTok = TTok::Ident;
    } else if (C == '\'' || C == '#') {
      StringToken();
    } else if (C == '$') {
      size_t B = ++FPos;
      while (FPos < N && std::isxdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
      uint64_t V = 0;
      auto R = std::from_chars(FText.data() + B, FText.data() + FPos, V, 16);
      if (B == FPos || R.ec != std::errc()) Error(SParseInvalidNumber);
      FInt = static_cast<int64_t>(V);
      FTok = TTok::Int;
    } else if (Digit(C) || ((C == '-' || C == '+') && FPos + 1 < N && Digit(FText[FPos + 1]))) {
      NumberToken();
    } else {
      FValue = std::string(1, C);
      ++FPos;
      FTok = TTok::Symbol;
    }
  }

  void NumberToken() {
    size_t N = FText.size();
    size_t B = FPos;
    if (FText[FPos] == '-' || FText[FPos] == '+') ++FPos;
    bool IsFloat = false;
    while (FPos < N && Digit(FText[FPos])) ++FPos;
    if (FPos < N && FText[FPos] == '.') {
      IsFloat = true;
      ++FPos;
      while (FPos < N && Digit(FText[FPos])) ++FPos;
    }
    if (FPos < N && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
      size_t E = FPos + 1;
      if (E < N && (FText[E] == '-' || FText[E] == '+')) ++E;
      if (E < N && Digit(FText[E])) {
        IsFloat = true;
        FPos = E;
        while (FPos < N && Digit(FText[FPos])) ++FPos;
      }
    }
    size_t End = FPos;
    FSuffix = 0;
    if (FPos < N) {
      char S = static_cast<char>(std::tolower(static_cast<unsigned char>(FText[FPos])));
      if (S == 's' || S == 'c' || S == 'd') {
        FSuffix = S;
        ++FPos;
      }
    }
    const char* First = FText.data() + B;
    if (*First == '+') ++First;
    FFloatIsInt = !IsFloat;
    if (!IsFloat) {
      auto R = std::from_chars(First, FText.data() + End, FInt);
      if (R.ec != std::errc() || R.ptr != FText.data() + End) Error(SParseInvalidNumber);
      FFloat = static_cast<long double>(FInt);
      FTok = FSuffix ? TTok::Float : TTok::Int;
    } else {
      auto R = std::from_chars(First, FText.data() + End, FFloat);
      if (R.ec != std::errc() || R.ptr != FText.data() + End) Error(SParseInvalidNumber);
      FTok = TTok::Float;
    }
  }

  // 'quoted''text'#13#10'more': quoted bytes are Windows-1252, #n is a code point.
  void StringToken() {
    size_t N = FText.size();
    std::string S;
    for (;;) {
      if (FPos < N && FText[FPos] == '\'') {
        ++FPos;
        std::string Raw;
        for (;;) {
          if (FPos >= N || FText[FPos] == '\r' || FText[FPos] == '\n') Error(SParseUnterminatedText);
          if (FText[FPos] == '\'') {
            if (FPos + 1 < N && FText[FPos + 1] == '\'') {
              Raw += '\'';
              FPos += 2;
              continue;
            }
            ++FPos;
            break;
          }
          Raw += FText[FPos++];
        }
        S += Win1252ToUtf8(Raw);
      } else if (FPos < N && FText[FPos] == '#') {
        size_t B = ++FPos;
        uint32_t V = 0;
        std::from_chars_result R{};
        if (FPos < N && FText[FPos] == '$') {
          B = ++FPos;
          while (FPos < N && std::isxdigit(static_cast<unsigned char>(FText[FPos]))) ++FPos;
          R = std::from_chars(FText.data() + B, FText.data() + FPos, V, 16);
        } else {
          while (FPos < N && Digit(FText[FPos])) ++FPos;
          R = std::from_chars(FText.data() + B, FText.data() + FPos, V);
        }
        if (B == FPos || R.ec != std::errc() || V > 0x10FFFF) Error(SParseInvalidCharacter);
        AppendUtf8(S, V);
      } else {
        break;
      }
    }
    FValue = std::move(S);
    FTok = TTok::String;
  }

  std::string_view FText;
  TWriter& FW;
  size_t FPos = 0;
  size_t FStart = 0;
  size_t FEndOfObject = 0;
  TTok FTok = TTok::End;
  std::string FValue;
  int64_t FInt = 0;
  long double FFloat = 0;
  bool FFloatIsInt = false;
  char FSuffix = 0;
};
}  // namespace

void ObjectBinaryToText(TStream& Input, TStream& Output) {
  std::string Text;
  {
    TReader R(Input);
    R.ReadSignature();
    TBinaryToText(R, Text).Object(0);
  }
  Output.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

void ObjectTextToBinary(TStream& Input, TStream& Output) {
  int64_t Start = Input.Position();
  std::string Text;
  char Chunk[65536];
  for (int64_t N; (N = Input.Read(Chunk, sizeof(Chunk))) > 0;) Text.append(Chunk, static_cast<size_t>(N));
  TMemoryStream Bytes;
  size_t Consumed;
  {
    TWriter W(Bytes);
    W.WriteSignature();
    TTextToBinary P(Text, W);
    P.Object(0);
    Consumed = P.EndOfObject() + 3;
    W.FlushBuffer();
  }
  Input.Seek(Start + static_cast<int64_t>(Consumed), soBeginning);
  Output.WriteBuffer(Bytes.Memory(), Bytes.Size());
}

TStreamOriginalFormat TestStreamFormat(TStream& Stream) {
  int64_t Pos = Stream.Position();
  char Buf[64] = {};
  int64_t N = Stream.Read(Buf, sizeof(Buf));
  Stream.Seek(Pos, soBeginning);
  if (N >= 4 && std::memcmp(Buf, FilerSignature, 4) == 0) return sofBinary;
  int64_t I = 0;
  while (I < N && static_cast<unsigned char>(Buf[I]) <= ' ') ++I;
  if (N - I >= 6 && std::memcmp(Buf + I, "object", 6) == 0) return sofText;
  return sofUnknown;
}
