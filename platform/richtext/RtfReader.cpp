// The RTF reader: one loop over the bytes (no recursion), a stack of group
// states bounded by MaxRtfGroupDepth, and one table of control words that makes
// the dispatch (RtfWords.cpp).
#include "platform/richtext/RtfReader.h"

#include <algorithm>

#include "platform/classes/ByteReader.h"
#include "platform/richtext/RichTextLock.h"
#include "platform/richtext/RtfReaderImpl.h"
#include "platform/rtl/Win1252.h"

namespace {
bool ValidUtf8WithHighBytes(std::string_view S) {
  bool High = false;
  for (size_t I = 0; I < S.size();) {
    if (static_cast<unsigned char>(S[I]) >= 0x80) High = true;
    if (NextUtf8(S, I) == 0xFFFFFFFF) return false;
  }
  return High;
}

std::u16string PlainText(std::string_view Bytes) {
  if (Bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToUtf16(Bytes.substr(3));
  if (ValidUtf8WithHighBytes(Bytes)) return Utf8ToUtf16(Bytes);
  std::u16string Out;
  Out.reserve(Bytes.size());
  for (char C : Bytes) Out += static_cast<char16_t>(Win1252ToCodePoint(static_cast<unsigned char>(C)));
  return Out;
}

bool IsHex(uint8_t C) { return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F'); }
int HexValue(uint8_t C) { return C <= '9' ? C - '0' : (C | 0x20) - 'a' + 10; }
bool IsLetter(uint8_t C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
}  // namespace

bool IsRtf(std::string_view Bytes) { return Bytes.substr(0, 5) == "{\\rtf"; }

void ReadRichText(std::string_view Bytes, TRichTextDocument& Doc) {
  TLock L(RichTextLock());
  Doc.Clear();
  if (!IsRtf(Bytes)) {
    Doc.SetPlainText(PlainText(Bytes));
    return;
  }
  Doc.SetDefaultTabWidth(720);  // RTF's own, unless the document says \deftab
  TRtfReader Reader(Bytes, Doc, ValidUtf8WithHighBytes(Bytes));
  Reader.Run();
}

TRtfReader::TRtfReader(std::string_view Bytes, TRichTextDocument& Doc, bool RawUtf8)
    : FIn(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size()), FDoc(Doc), FRawUtf8(RawUtf8) {
  // RTF's own default size (12 points) for text that names none; plain text
  // keeps the document's default.
  FDefaultChar = Doc.DefaultCharFormat();
  FDefaultChar.Size = 240;
  FState.Char = FDefaultChar;
}

void TRtfReader::Run() {
  while (!FIn.AtEnd() && !FDone) {
    uint8_t C = FIn.U8();
    switch (C) {
      case '{': OpenGroup(); break;
      case '}': CloseGroup(); break;
      case '\\': ControlWord(); break;
      case '\r':
      case '\n': break;
      case '\t': Special(u'\t'); break;
      default:
        if (C < 0x20) break;
        TextByte(C);
        break;
    }
  }
  // Groups left open close here, so their text and the table being read count.
  while (FStack.size() > 1) CloseGroup();
  Finish();
}

void TRtfReader::OpenGroup() {
  FUnicodeSkip = 0;
  if (FStack.size() >= static_cast<size_t>(MaxRtfGroupDepth)) {
    SkipGroup();
    return;
  }
  FStack.push_back(FState);
}

void TRtfReader::CloseGroup() {
  FUnicodeSkip = 0;
  if (FStack.size() <= 1) {
    // The document's own group ends the document; its state stays for the
    // last paragraph, and what follows the brace is not read.
    FDone = true;
    return;
  }
  TDestination Leaving = FState.Destination;
  if (Leaving == TDestination::FontTable) EndFontEntry();  // an entry's own group, or the table's
  FState = std::move(FStack.back());
  FStack.pop_back();
  if (Leaving == TDestination::FontTable && FState.Destination != TDestination::FontTable) FontTableRead();
  if (Leaving == TDestination::ColorTable && FState.Destination != TDestination::ColorTable) EndColorEntry(false);
}

void TRtfReader::SkipGroup() {
  // From just inside a group to just after its closing brace; escaped braces
  // and binary data do not count.
  size_t Depth = 1;
  while (!FIn.AtEnd() && Depth > 0) {
    uint8_t C = FIn.U8();
    if (C == '{') {
      ++Depth;
    } else if (C == '}') {
      --Depth;
    } else if (C == '\\' && !FIn.AtEnd()) {
      if (!IsLetter(FIn.Peek())) {
        FIn.U8();
        continue;
      }
      std::string Word;
      bool HasParam = false;
      int Param = ReadWord(Word, HasParam);
      if (Word == "bin" && HasParam && Param > 0) FIn.Skip(std::min(static_cast<size_t>(Param), FIn.Remaining()));
    }
  }
  FUnicodeSkip = 0;
}

int TRtfReader::ReadWord(std::string& Word, bool& HasParam) {
  while (!FIn.AtEnd() && IsLetter(FIn.Peek())) {
    uint8_t C = FIn.U8();
    if (Word.size() < 32) Word += static_cast<char>(C);
  }
  bool Negative = false;
  if (!FIn.AtEnd() && FIn.Peek() == '-') {
    FIn.U8();
    Negative = true;
  }
  int64_t Value = 0;
  HasParam = false;
  while (!FIn.AtEnd() && FIn.Peek() >= '0' && FIn.Peek() <= '9') {
    uint8_t C = FIn.U8();
    HasParam = true;
    if (Value < 10000000000LL) Value = Value * 10 + (C - '0');
  }
  if (!FIn.AtEnd() && FIn.Peek() == ' ') FIn.U8();
  Value = std::min<int64_t>(Value, 0x7FFFFFFF);
  return static_cast<int>(Negative ? -Value : Value);
}

void TRtfReader::ControlWord() {
  if (FIn.AtEnd()) return;
  uint8_t C = FIn.Peek();
  if (!IsLetter(C)) {
    FIn.U8();
    ControlSymbol(C);
    return;
  }
  std::string Word;
  bool HasParam = false;
  int Param = ReadWord(Word, HasParam);
  if (FUnicodeSkip > 0) {  // a fallback's control word counts as one character
    --FUnicodeSkip;
    if (Word == "bin" && HasParam && Param > 0) FIn.Skip(std::min(static_cast<size_t>(Param), FIn.Remaining()));
    return;
  }
  Dispatch(Word, HasParam, Param);
}

void TRtfReader::ControlSymbol(uint8_t C) {
  if (C == '\'') {
    uint8_t Hi = FIn.AtEnd() ? 0 : FIn.Peek();
    if (!IsHex(Hi)) return;
    FIn.U8();
    uint8_t Lo = FIn.AtEnd() ? 0 : FIn.Peek();
    if (!IsHex(Lo)) return;
    FIn.U8();
    if (FUnicodeSkip > 0) {
      --FUnicodeSkip;
      return;
    }
    AddChar(static_cast<char16_t>(Win1252ToCodePoint(static_cast<unsigned char>(HexValue(Hi) * 16 + HexValue(Lo)))));
    return;
  }
  if (FUnicodeSkip > 0) {
    --FUnicodeSkip;
    return;
  }
  switch (C) {
    case '\\':
    case '{':
    case '}': AddChar(C); break;
    case '~': AddChar(0x00A0); break;
    case '_': AddChar(0x2011); break;
    case '*': SkipDestination(); break;
    case '\r':
    case '\n': Dispatch("par", false, 0); break;
    case '\t': Special(u'\t'); break;
    default: break;  // \- (optional hyphen), \: (index entries), \| (formulas)
  }
}

void TRtfReader::TextByte(uint8_t C) {
  if (FUnicodeSkip > 0) {
    --FUnicodeSkip;
    return;
  }
  if (C < 0x80 || !FRawUtf8) {
    AddChar(static_cast<char16_t>(Win1252ToCodePoint(C)));
    return;
  }
  // The whole input is valid UTF-8: the sequence is here whole.
  std::string_view All(reinterpret_cast<const char*>(FIn.Data()), FIn.Size());
  size_t At = FIn.Offset() - 1;
  char32_t U = NextUtf8(All, At);
  FIn.Seek(At);
  if (U >= 0x10000) {
    U -= 0x10000;
    AddChar(static_cast<char16_t>(0xD800 + (U >> 10)));
    AddChar(static_cast<char16_t>(0xDC00 + (U & 0x3FF)));
  } else if (U != 0xFFFFFFFF) {
    AddChar(static_cast<char16_t>(U));
  }
}

void TRtfReader::SkipDestination() {
  // "\*" and the destinations this reader does not keep: the group goes whole.
  // Outside any group (the document's own level) the word is ignored.
  if (FStack.size() <= 1) return;
  SkipGroup();
  FState = std::move(FStack.back());
  FStack.pop_back();
}
