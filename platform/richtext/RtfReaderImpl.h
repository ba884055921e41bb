#pragma once
// The RTF reader's state (private to the module): RtfReader.cpp reads bytes,
// groups and control words; RtfWords.cpp holds the table of words and what
// each one does to the state, the tables and the document.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/ByteReader.h"
#include "platform/richtext/RichTextDocument.h"

enum class TDestination { Text, FontTable, ColorTable };

// What a group saves and its closing brace restores.
struct TRtfState {
  TDestination Destination = TDestination::Text;
  TRichCharFormat Char;
  TRichParaFormat Para;
  int Font = -1;  // the font table entry chosen with \f, -1 before any
  TTabKind NextTabKind = TTabKind::Left;
  int UnicodeFallback = 1;  // \uc
  bool Hidden = false;
};

class TRtfReader {
public:
  TRtfReader(std::string_view Bytes, TRichTextDocument& Doc, bool RawUtf8);
  void Run();

private:
  // Bytes and groups (RtfReader.cpp).
  void OpenGroup();
  void CloseGroup();
  void SkipGroup();
  void SkipDestination();
  int ReadWord(std::string& Word, bool& HasParam);
  void ControlWord();
  void ControlSymbol(uint8_t C);
  void TextByte(uint8_t C);

  // Words and content (RtfWords.cpp).
  void Dispatch(std::string_view Word, bool HasParam, int Param);
  void AddChar(char16_t C);
  void Special(char16_t C);
  void Flush();
  void Paragraph();
  void Finish();
  void Plain();
  void SelectFont(int Number);
  void EndFontEntry();
  void FontTableRead();
  void EndColorEntry(bool Always);
  std::optional<TColorRef> Color(int Index) const;
  void AddTab(int Position);

  // A word's effect; the table in RtfWords.cpp names one per word.
  using THandler = void (*)(TRtfReader& R, bool HasParam, int Param);
  static const std::map<std::string_view, THandler>& Words();
  friend struct TRtfWords;

  TByteReader FIn;
  TRichTextDocument& FDoc;
  const bool FRawUtf8;
  bool FDone = false;
  TRtfState FState;
  std::vector<TRtfState> FStack;
  int FUnicodeSkip = 0;  // fallback characters of a \u still to skip
  TRichCharFormat FDefaultChar;

  // Text waiting for its run (one format).
  std::u16string FText;
  TRichCharFormat FTextFormat;

  // Font table: entries by number; the entry being read.
  struct TFontEntry {
    std::string Name;
    uint8_t Charset = 0, PitchAndFamily = 0;
  };
  std::map<int, TFontEntry> FFonts;
  int FDefaultFont = 0;
  bool FFontPending = false;
  int FFontNumber = 0;
  std::u16string FFontName;
  TFontEntry FFontEntry;

  // Colour table: an entry without components is the automatic colour.
  std::vector<std::optional<TColorRef>> FColors;
  int FRed = 0, FGreen = 0, FBlue = 0;
  bool FColorPending = false;
  bool FColorTableRead = false;
};
