#pragma once
// The rich text model: paragraphs of formatted runs, counted in characters as
// the rich edit counts them. A paragraph mark is one character ('\r' in the
// text), a line break ('\v', RTF \line) and a tab one each; every paragraph but
// the last ends with its mark, so "a\par b" is "a\rb" (3 characters) and
// "a\par" is "a\r" followed by an empty last paragraph.
//
// Thread use: a document may be used from any thread (Qt Gui is needed only to
// lay it out); every member takes the process-wide RichTextLock().
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/richtext/RichTextFormats.h"

class TDeviceContext;
struct TRichLayoutCache;
class TLineDrawer;

// What FormatRange lays out, as the rich edit's format-range record: the device
// drawn on, the device measured for and the rectangle in twips of the drawing
// device. Last is inclusive; -1 is the end. Lines are broken on unhinted
// advances in twips, alike for every device, so the target only has to be
// there (as the record always carries one); positions are rounded to Dc's
// pixels when drawn.
struct TRichFormatRange {
  TDeviceContext* Dc = nullptr;
  const TDeviceContext* TargetDc = nullptr;  // none: Dc
  TRect Rc;                                  // twips
  TRect RcPage;                              // twips; the caller's record, not used
  int First = 0, Last = -1;
};

class TRichTextDocument {
public:
  struct TRun {
    int Length = 0;
    int Format = 0;  // index into the document's format table
  };
  struct TParagraph {
    std::u16string Text;  // without the mark
    std::vector<TRun> Runs;  // cover Text exactly
    int MarkFormat = 0;      // the mark's format (an empty line is as high as it)
    // Shared between paragraphs alike (a document of many paragraphs holds
    // few formats, whatever tab stops each carries).
    std::shared_ptr<const TRichParaFormat> FormatPtr = DefaultParaFormat();
    const TRichParaFormat& Format() const { return *FormatPtr; }
  };
  static const std::shared_ptr<const TRichParaFormat>& DefaultParaFormat();

  TRichTextDocument();
  TRichTextDocument(const TRichTextDocument& Other);
  TRichTextDocument& operator=(const TRichTextDocument& Other);
  ~TRichTextDocument();

  // Characters, marks included.
  int Length() const;
  std::u16string Text() const;
  // Count characters from Start, both clamped to the text; -1 is to the end.
  std::u16string TextRange(int Start, int Count) const;
  int ParagraphCount() const;
  // The paragraph holding a position, and where it starts.
  int ParagraphAt(int Position) const;
  int ParagraphStart(int Index) const;

  // The format of plain text, of "\plain" and of an empty document.
  TRichCharFormat DefaultCharFormat() const;
  void SetDefaultCharFormat(const TRichCharFormat& Format);
  // Twips between default tab stops (RTF \deftab).
  int DefaultTabWidth() const;
  void SetDefaultTabWidth(int Twips);

  void Clear();
  // Plain text in the default format; CR, LF and CR LF end paragraphs.
  void SetPlainText(std::u16string_view Text);

  // Replaces Count characters at Start with Text (CR, LF, CR LF and U+2029 end a
  // paragraph, U+2028 is a line break, other control characters but tab are
  // dropped). The new text takes the format of the first character replaced,
  // or when nothing is replaced that of the character before (at a paragraph's
  // start, the one after). A removed mark joins its paragraph to the next,
  // whose paragraph format stays. Answers the characters inserted.
  int Replace(int Start, int Count, std::u16string_view Text);

  // The format of the first character of the range (of the insertion point
  // when Count is 0); Mask gets the attributes the whole range holds alike.
  TRichCharFormat CharFormat(int Start, int Count, uint32_t* Mask = nullptr) const;
  void SetCharFormat(int Start, int Count, const TRichCharFormat& Format, uint32_t Mask);
  // The paragraph format at Start; setting applies to every paragraph the range touches.
  TRichParaFormat ParaFormat(int Start) const;
  void SetParaFormat(int Start, int Count, const TRichParaFormat& Format);

  // The first match of What wholly inside [Start, End) (End -1: the text's end),
  // or -1. Case-insensitive search folds letters as the platform's upper case
  // does; a whole word has no letter, digit or underscore beside its ends (an
  // end of What that is no word character needs no boundary).
  int FindText(std::u16string_view What, int Start, int End, TSearchTypes Options) const;

  // Lays out the range from the rectangle's top, a whole line at a time, and
  // draws it onto Dc when Render is set. Answers the first character of the
  // first line that did not fit: Last + 1 (the length for -1) when all did,
  // First when not even the first line did. UsedBottom, when given, gets the
  // twips below the last line that fit (the rectangle's top when none did).
  // Raises EInvalidOperation without a device.
  int FormatRange(const TRichFormatRange& Range, bool Render, int* UsedBottom = nullptr);
  // Drops the layouts kept between format passes.
  void ClearFormatCache();

  // Changes with every edit.
  uint64_t Revision() const;

  // Building, for the RTF reader: text and marks appended at the end.
  void AppendText(std::u16string_view Text, const TRichCharFormat& Format);
  // Ends the last paragraph with a mark; it takes ParaFormat.
  void AppendParagraphMark(const TRichCharFormat& MarkFormat, const TRichParaFormat& ParaFormat);
  // The last paragraph's (the one without a mark).
  void SetLastParagraph(const TRichCharFormat& MarkFormat, const TRichParaFormat& ParaFormat);

  // Read access for the writer and the layout; the caller holds RichTextLock().
  const std::vector<TParagraph>& Paragraphs() const { return FParas; }
  const TRichCharFormat& FormatAt(int Index) const { return FFormats[static_cast<size_t>(Index)]; }
  int FormatCount() const { return static_cast<int>(FFormats.size()); }

private:
  int Intern(const TRichCharFormat& Format);
  // The format bounded as the document holds formats, shared with the last one set when equal.
  const std::shared_ptr<const TRichParaFormat>& SharedParaFormat(const TRichParaFormat& Format);
  void Changed();
  void BuildStarts() const;
  // Paragraph and offset of a position (clamped).
  std::pair<int, int> Locate(int Position) const;
  int LengthNoLock() const;
  int FormatOfChar(int Para, int Offset) const;
  int InsertFormat(int Position, int Count) const;
  // Splits the runs of a paragraph so one starts at Offset; its index.
  size_t SplitRun(TParagraph& P, int Offset);
  static void MergeRuns(TParagraph& P);
  void Delete(int Start, int Count);
  int Insert(int Position, std::u16string_view Text, int Format);
  const std::u16string& FlatText() const;
  // The loop of FormatRange: Last is inclusive, Length for the end.
  int LayOut(int First, int Last, const TRect& Rc, TLineDrawer* Drawer, int* UsedBottom);

  std::vector<TParagraph> FParas;
  std::vector<TRichCharFormat> FFormats;
  std::map<TRichCharFormat, int> FFormatIndex;
  int FDefaultFormat = 0;
  int FDefaultTab = 720;
  uint64_t FRevision = 0;
  mutable std::vector<int> FStarts;
  mutable uint64_t FStartsRevision = ~0ull;
  mutable std::u16string FFlat;
  mutable uint64_t FFlatRevision = ~0ull;
  std::unique_ptr<TRichLayoutCache> FLayouts;
  std::shared_ptr<const TRichParaFormat> FLastParaFormat;  // the last one set, shared when set again
};
