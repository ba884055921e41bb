#pragma once
// Plain text broken into the lines a text or memo component prints, and the measuring and
// justification services the devices draw those lines with. Lengths handed in and out are
// thousandths of a millimetre; device pixels appear only inside measuring.
//
// Text is UTF-8. Positions count bytes of it (1-based, the last byte consumed; 0 before the first),
// so a caller that prints a text over several pages hands back the position it was given together
// with the same text. Words are split only between characters, never inside one.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes/StringList.h"
#include "platform/graphics/Types.h"
#include "ppreport/core/ppTypes.h"

class TCanvas;
class TFont;
class IppMeasuringPrinter;
class IppPrinterResolution;
class TppMeasuringCanvas;

// The characters and marks the text engine recognises.
struct TppTextMarkups {
  static constexpr char Tab() { return '\t'; }
  static constexpr char CarriageReturn() { return '\r'; }
  static constexpr char LineFeed() { return '\n'; }
  // The one token that stands for every line break of the source.
  static constexpr std::string_view LineBreak() { return "\r\n"; }
  // Ends the text wherever it stands.
  static constexpr char NullChar() { return '\0'; }
  // A dollar sign and a pilcrow: written at the end of a paragraph's last line under full
  // justification, and read as a line break in source text.
  static constexpr std::string_view ParagraphEnd() { return "$\xC2\xB6"; }
  static constexpr char Space() { return ' '; }
};

// Tab stops of a line in device pixels of the measuring canvas; the table stops at 100 entries.
constexpr int ppMaxTabStops = 100;
using TppTabStopPositions = std::array<int32_t, ppMaxTabStops>;

// Walks a text from a position and returns words, single spaces, single tabs and line breaks (any
// of CR, LF, CR LF and the paragraph-end mark as TppTextMarkups::LineBreak()); the empty string
// once the text is exhausted or a NUL is met.
class TppPlainTextParser {
public:
  void SetText(std::string Text);
  // Reading resumes after position P (clamped to 0 and the text's length + 1).
  void SetPosition(int32_t P);
  std::string NextToken();

  int32_t Position() const { return FPosition; }
  bool EndOfText() const { return FEndOfText; }
  const std::string& Text() const { return FText; }
  int32_t TextLength() const { return FTextLength; }

private:
  bool IsParagraphEndAt(int32_t P) const;

  std::string FText;
  int32_t FTextLength = 0;
  int32_t FPosition = 0;
  bool FEndOfText = false;
};

// Lays a text's tokens into the lines that fit a rectangle, measuring on the printer's canvas or a
// screen bitmap, and says where the next call must resume when the rectangle is full. Lives for
// one wrap; borrows the font and the printer.
class TppTextWrapper {
public:
  TppTextWrapper();
  ~TppTextWrapper();
  TppTextWrapper(const TppTextWrapper&) = delete;
  TppTextWrapper& operator=(const TppTextWrapper&) = delete;

  void SetText(std::string Text) { FText = std::move(Text); }
  // Left, top, right, bottom in thousandths of a millimetre.
  void SetRect(const TRect& R) { FRect = R; }
  // Only full justification changes the lines (paragraph ends are marked).
  void SetTextAlignment(TppTextAlignment Value) { FTextAlignment = Value; }
  // Lets a line run a third of a space past the right edge.
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  // Breaks words at any character instead of between words.
  void SetCharWrap(bool Value) { FCharWrap = Value; }
  void SetFont(const TFont* Font) { FFont = Font; }
  // Added to every line's height, thousandths of a millimetre.
  void SetLeading(int32_t Value) { FLeading = Value; }
  void SetPrinter(IppMeasuringPrinter* Printer) { FPrinter = Printer; }
  // In: the characters consumed by earlier calls (0 at the start); out: where the next call resumes.
  void SetStartPosition(int32_t Value) { FStartPosition = Value; }
  int32_t StartPosition() const { return FStartPosition; }
  // Keeps a copy of the tab stops (integers in thousandths of a millimetre); none: null.
  void SetTabStopPositions(const TStrings* Strings);

  void Wrap();

  const TStringList& Lines() const { return FLines; }
  int32_t LineHeight() const { return FLineHeight; }
  int32_t AvailableWidth() const { return FAvailableWidth; }

private:
  void BuildLines();
  void BreakLine();
  void SplitWord(const std::string& Line, std::string& Word, std::string& Rest) const;
  void AddLine(std::string S);
  void AddParagraphLine(const std::string& S);
  void NextWord();
  bool LinesFull() const;
  int32_t MeasureText(const std::string& S) const;

  std::string FText;
  TRect FRect;
  TppTextAlignment FTextAlignment = taLeftJustified;
  bool FAutoSize = false;
  bool FCharWrap = false;
  const TFont* FFont = nullptr;
  int32_t FLeading = 0;
  IppMeasuringPrinter* FPrinter = nullptr;
  int32_t FStartPosition = 0;
  std::unique_ptr<TStringList> FTabStopStrings;
  int FTabStopCount = 0;
  TppTabStopPositions FTabStopPositions{};

  TStringList FLines;
  int32_t FLineHeight = 0;
  int32_t FAvailableWidth = 0;
  bool FSkipLeadingSpaces = false;
  TppPlainTextParser FParser;
  TppMeasuringCanvas* FMeasure = nullptr;  // during Wrap only

  // The line loop's state.
  std::string FLine, FToken, FPending;
};

// The services around the wrapper; no state.
class TppPlainText {
public:
  // Wraps Text from StartPosition into Rect (thousandths of a millimetre), measured on the printer's
  // canvas (none: a screen bitmap). Lines gets the lines that fit; StartPosition where to resume.
  static void WordWrap(const std::string& Text, const TRect& Rect, TppTextAlignment TextAlignment, bool AutoSize,
                       const TFont& Font, bool CharWrap, int32_t Leading, const TStrings* TabStopPositions,
                       IppMeasuringPrinter* Printer, int32_t& StartPosition, TStrings& Lines);
  // How many lines of Font plus Leading fit Height; LineHeight gets one line's height.
  static int CalcLineCount(const TFont& Font, int32_t Leading, int32_t& LineHeight, IppMeasuringPrinter* Printer,
                           int32_t Height);
  // Tab stops (integers in thousandths of a millimetre; others skipped) as device positions of
  // utScreenPixels or utPrinterPixels, at most ppMaxTabStops of them; any other unit touches nothing.
  static void ConvertTabStops(TppUnitType Unit, const TStrings* TabStopPositions, const IppPrinterResolution* Printer,
                              int& Count, TppTabStopPositions& Positions);
  // Width in canvas pixels of Text drawn with Count of the tab stops.
  static int GetTabbedTextWidth(TCanvas& Canvas, const std::string& Text, const TppTabStopPositions& Positions,
                                int Count);
  // Sets the canvas's justification so that the next output of Line fills Rect (device pixels); a
  // line of one word is spread first (a space after each character but the last). The caller resets
  // the justification after drawing.
  static void JustifyLine(TCanvas& Canvas, const TRect& Rect, const TppTabStopPositions& Positions, int Count,
                          std::string& Line);
  // Spread: Line with a space after each character but the last; BreakCount: its characters less
  // one; FirstIndex and LastIndex: the first and last bytes of Spread that are not spaces (0-based).
  static void SpreadCharacters(const std::string& Line, int& BreakCount, std::string& Spread, int& LastIndex,
                               int& FirstIndex);
  // Text with every occurrence of SubText removed, also those that a removal makes.
  static std::string RemoveText(std::string Text, std::string_view SubText);
};
