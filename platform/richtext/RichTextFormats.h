#pragma once
// Character and paragraph formats of rich text, in the units RTF and the rich
// edit messages use: twips (1/1440 inch) for sizes and indents, RGB values for
// colours. Masks carry the rich edit's CFM_ values, so a caller that reads
// "the background colour, mask 0x04000000" finds it here unchanged.
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "platform/graphics/Types.h"

// Which attributes a character format carries (set), or holds alike over a
// whole range (read).
constexpr uint32_t CFM_BOLD = 0x00000001, CFM_ITALIC = 0x00000002, CFM_UNDERLINE = 0x00000004,
                   CFM_STRIKEOUT = 0x00000008, CFM_BACKCOLOR = 0x04000000, CFM_CHARSET = 0x08000000,
                   CFM_FACE = 0x20000000, CFM_COLOR = 0x40000000, CFM_SIZE = 0x80000000;
constexpr uint32_t CFM_STYLE = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
constexpr uint32_t CFM_ALL = CFM_STYLE | CFM_BACKCOLOR | CFM_CHARSET | CFM_FACE | CFM_COLOR | CFM_SIZE;

// Bounds of what a document holds, whatever its source says: the rich edit's
// own limits (sizes up to 1638 points, indents within 22 inches, 32 tab stops).
constexpr int MinFontTwips = 20, MaxFontTwips = 1638 * 20;
constexpr int MaxIndentTwips = 31680;
constexpr int MaxTabStops = 32;

struct TRichCharFormat {
  std::string FaceName = "Arial";  // UTF-8; the Windows name, mapped when drawn
  uint8_t Charset = 0;             // as the font table said (RTF \fcharset)
  uint8_t PitchAndFamily = 0;
  int Size = 200;  // twips (10 points)
  bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
  // Auto colours follow the device's defaults: black text, no background.
  bool AutoColor = true;
  TColorRef Color = 0;
  bool AutoBackColor = true;
  TColorRef BackColor = 0xFFFFFF;

  auto Tie() const {
    return std::tie(FaceName, Charset, PitchAndFamily, Size, Bold, Italic, Underline, StrikeOut, AutoColor, Color,
                    AutoBackColor, BackColor);
  }
  bool operator==(const TRichCharFormat& B) const { return Tie() == B.Tie(); }
  bool operator<(const TRichCharFormat& B) const { return Tie() < B.Tie(); }
  // The attributes of Mask taken from Source.
  void Apply(const TRichCharFormat& Source, uint32_t Mask);
  // The attributes in which this format and B agree.
  uint32_t SameMask(const TRichCharFormat& B) const;
};

enum class TParaAlignment { Left, Right, Center, Justify };
enum class TTabKind { Left, Right, Center, Decimal };

struct TRichTab {
  int Position = 0;  // twips from the left edge of the formatting rectangle
  TTabKind Kind = TTabKind::Left;
  bool operator==(const TRichTab&) const = default;
};

struct TRichParaFormat {
  TParaAlignment Alignment = TParaAlignment::Left;
  // Twips; the first line starts at LeftIndent + FirstIndent (which may be negative).
  int LeftIndent = 0, RightIndent = 0, FirstIndent = 0;
  int SpaceBefore = 0, SpaceAfter = 0;
  // RTF \sl: 0 single; positive "at least", negative "exactly" that many twips;
  // with LineSpacingMultiple, a multiple of single spacing in 240ths.
  int LineSpacing = 0;
  bool LineSpacingMultiple = false;
  std::vector<TRichTab> Tabs;  // ascending, at most MaxTabStops
  bool operator==(const TRichParaFormat&) const = default;
};

// FindText options (the search types' bits: whole word first, then match case).
using TSearchTypes = uint32_t;
constexpr TSearchTypes stWholeWord = 1, stMatchCase = 2;
