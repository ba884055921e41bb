#pragma once
// A rich edit without a window: a document, its selection, loading and saving
// RTF, search and layout of ranges. What report components keep their rich
// text in; usable from any thread (every call takes RichTextLock()).
//
// Positions count as TRichTextDocument does: a paragraph mark is one
// character and the last paragraph has none, so selecting all selects
// Length() characters.
#include <string>
#include <string_view>

#include "platform/richtext/RichTextDocument.h"

class TStream;

class TRichEdit {
public:
  TRichTextDocument& Document() { return FDoc; }
  const TRichTextDocument& Document() const { return FDoc; }

  int Length() const { return FDoc.Length(); }
  std::u16string Text() const { return FDoc.Text(); }

  // RTF, or plain text when the bytes are not RTF. Text beyond MaxLength
  // characters is cut; the selection goes to the start.
  void LoadFromBytes(std::string_view Bytes);
  // From the stream's position to its end.
  void LoadFromStream(TStream& Stream);
  std::string SaveToBytes() const;
  void SaveToStream(TStream& Stream) const;

  // Characters the edit holds at most; 0 (the default) sets no limit.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);

  // The selection, kept within the text: a start past the end goes to the
  // end, a length past the end stops there.
  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int Value);  // and an empty selection there
  void SetSelLength(int Value);
  void Select(int Start, int Length);
  void SelectAll();
  std::u16string SelText() const;
  // Replaces the selection; the insertion point goes after the new text.
  void SetSelText(std::u16string_view Text);

  // The selection's character format; Mask, when given, gets the attributes
  // it holds alike. Setting applies the attributes of Mask.
  TRichCharFormat SelAttributes(uint32_t* Mask = nullptr) const;
  void SetSelAttributes(const TRichCharFormat& Format, uint32_t Mask);
  TRichParaFormat Paragraph() const;
  void SetParagraph(const TRichParaFormat& Format);

  // The first match inside [Start, Start + Length) searching forward, or -1
  // (Length -1: to the end).
  int FindText(std::u16string_view What, int Start, int Length, TSearchTypes Options) const;

  int FormatRange(const TRichFormatRange& Range, bool Render, int* UsedBottom = nullptr) {
    return FDoc.FormatRange(Range, Render, UsedBottom);
  }

private:
  void Clamp() const;

  TRichTextDocument FDoc;
  int FMaxLength = 0;
  mutable int FSelStart = 0, FSelLength = 0;
};
