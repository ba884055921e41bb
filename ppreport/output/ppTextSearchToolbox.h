#pragma once
// The rules by which the text search decides that a search text occurs in a line of report text
// (case, whole words and their delimiters) and the measurements engines and highlighters need.
// Callers take the toolbox from TppTextSearchToolboxRegistry, so a replacement can be plugged in.
//
// Texts are UTF-8; positions and lengths count bytes of the text searched, so that a caller cuts
// the text where a match ends. Letters match across case code point by code point (accented ones
// too), and a match found without case may be longer or shorter than the search text: MatchLength
// says how long it is in the text.
#include <cstdint>
#include <string>
#include <string_view>

class TCanvas;
class TppDrawText;
class TRichEdit;
class TStrings;

class TppTextSearchToolbox {
public:
  virtual ~TppTextSearchToolbox() = default;

  // Clears List and adds the 30 one-character word delimiters, blank first, backslash last.
  virtual void FillWordDelimiters(TStrings& List) const;
  // Line height of a text command at the viewer's zoom, in microns. ESearchError without a canvas.
  virtual int32_t CalculateLineHeight(const TppDrawText& Command, TCanvas* Canvas, double Scale) const;
  // Width of Text on the canvas in its pixels (tabs as the plain text draws them without stops).
  virtual int TextWidth(const std::string& Text, TCanvas& Canvas) const;
  // First match of SearchText in Text: Position 1-based (0: none). Whole words are bounded by a
  // delimiter or the text's ends; a search text that is itself a delimiter is searched as it is.
  // An empty search text never matches.
  virtual bool FindText(std::string_view Text, std::string_view SearchText, bool CaseSensitive, bool WholeWord,
                        int32_t& Position, int32_t* MatchLength = nullptr) const;
  // First match of SearchText in the rich edit's characters Start .. Start + Length - 1: its 0-based
  // position, -1 when none. Options: bit 0 whole word, bit 1 match case.
  virtual int32_t FindRichText(const TRichEdit& Edit, std::string_view SearchText, uint32_t Options, int32_t Length,
                               int32_t Start) const;
  // Replaces the first match of OldPattern (every one with ReplaceAll); no whole-word rule.
  virtual void ReplaceText(std::string_view Text, std::string_view OldPattern, std::string& Result, bool CaseSensitive,
                           bool ReplaceAll, std::string_view NewPattern) const;

  // The process-wide delimiter list (filled by the current toolbox on first use).
  static const TStrings& WordDelimiters();
  static bool IsWordDelimiter(char32_t C);
};

class TppTextSearchToolboxRegistry {
public:
  // The toolbox in use; the standard one when none is set.
  static TppTextSearchToolbox& ToolboxClass();
  // Not owned; it must outlive its use. Null goes back to the standard toolbox.
  static void SetToolboxClass(TppTextSearchToolbox* Toolbox);
};
