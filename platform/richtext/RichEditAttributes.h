#pragma once
// A rich edit's selection formats as objects that scripts and descriptors can hand around: every
// property reads and writes the edit's selection as it is at that moment (the character format of
// its first character, the paragraph format of its first paragraph), as a rich edit control's
// SelAttributes and Paragraph do. Sizes and indents are in points; the edit must outlive them.
#include <string>

#include "platform/classes/Classes.h"
#include "platform/graphics/Graphics.h"
#include "platform/richtext/RichEdit.h"

class TTextAttributes : public TPersistent {
  DECLARE_CLASSINFO(TTextAttributes)
public:
  explicit TTextAttributes(TRichEdit& Edit) : FEdit(Edit) {}

  std::string Name() const;
  void SetName(const std::string& Value);
  int Size() const;  // points
  void SetSize(int Value);
  // clWindowText for text without a colour of its own.
  TColor Color() const;
  void SetColor(TColor Value);
  TFontStyles Style() const;
  void SetStyle(TFontStyles Value);
  int Charset() const;
  void SetCharset(int Value);

  // From another selection's attributes or from a font.
  void Assign(const TPersistent* Source) override;

private:
  TRichCharFormat Format() const { return FEdit.SelAttributes(); }
  void Set(const TRichCharFormat& Format, uint32_t Mask) { FEdit.SetSelAttributes(Format, Mask); }

  TRichEdit& FEdit;
};

class TParaAttributes : public TPersistent {
  DECLARE_CLASSINFO(TParaAttributes)
public:
  explicit TParaAttributes(TRichEdit& Edit) : FEdit(Edit) {}

  // A justified paragraph reads as left-aligned (the alignment has no fourth value).
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  // Points; the first line starts FirstIndent from the others.
  int FirstIndent() const;
  void SetFirstIndent(int Value);
  int LeftIndent() const;
  void SetLeftIndent(int Value);
  int RightIndent() const;
  void SetRightIndent(int Value);
  int TabCount() const;
  // Points from the left edge; 0 outside the stops.
  int Tab(int Index) const;

  void Assign(const TPersistent* Source) override;

private:
  TRichParaFormat Format() const { return FEdit.Paragraph(); }
  void Set(const TRichParaFormat& Format) { FEdit.SetParagraph(Format); }

  TRichEdit& FEdit;
};
