#include "platform/richtext/RichEditAttributes.h"

#include <algorithm>

#include "platform/classes/TypInfo.h"
#include "platform/rtl/RtlMath.h"

namespace {
constexpr int TwipsPerPoint = 20;
constexpr int MaxPoints = MaxIndentTwips / TwipsPerPoint;

int Points(int Twips) { return static_cast<int>(Round(Twips / static_cast<long double>(TwipsPerPoint))); }
}  // namespace

// ---- TTextAttributes

const TClassInfo& TTextAttributes::StaticClassInfo() {
  using A = TTextAttributes;
  static const TClassInfo Info = TClassDef<A>("TTextAttributes", &TPersistent::StaticClassInfo())
                                     .Prop("Charset", &A::Charset, &A::SetCharset)
                                     .Prop("Color", &A::Color, &A::SetColor)
                                     .Prop("Name", &A::Name, &A::SetName)
                                     .Prop("Size", &A::Size, &A::SetSize)
                                     .SetProp<TFontStyle>("Style", &A::Style, &A::SetStyle);
  return Info;
}

std::string TTextAttributes::Name() const { return Format().FaceName; }

void TTextAttributes::SetName(const std::string& Value) {
  if (Value.empty()) return;
  TRichCharFormat F;
  F.FaceName = Value;
  Set(F, CFM_FACE);
}

int TTextAttributes::Size() const { return Points(Format().Size); }

void TTextAttributes::SetSize(int Value) {
  TRichCharFormat F;
  F.Size = std::clamp(Value, MinFontTwips / TwipsPerPoint, MaxFontTwips / TwipsPerPoint) * TwipsPerPoint;
  Set(F, CFM_SIZE);
}

TColor TTextAttributes::Color() const {
  const TRichCharFormat F = Format();
  return F.AutoColor ? clWindowText : static_cast<TColor>(F.Color & 0xFFFFFF);
}

void TTextAttributes::SetColor(TColor Value) {
  TRichCharFormat F;
  F.AutoColor = Value == clWindowText || Value == clDefault;
  F.Color = F.AutoColor ? 0 : ColorToRGB(Value);
  Set(F, CFM_COLOR);
}

TFontStyles TTextAttributes::Style() const {
  const TRichCharFormat F = Format();
  return static_cast<TFontStyles>((F.Bold ? fsBold : 0) | (F.Italic ? fsItalic : 0) |
                                  (F.Underline ? fsUnderline : 0) | (F.StrikeOut ? fsStrikeOut : 0));
}

void TTextAttributes::SetStyle(TFontStyles Value) {
  TRichCharFormat F;
  F.Bold = Value & fsBold;
  F.Italic = Value & fsItalic;
  F.Underline = Value & fsUnderline;
  F.StrikeOut = Value & fsStrikeOut;
  Set(F, CFM_STYLE);
}

int TTextAttributes::Charset() const { return Format().Charset; }

void TTextAttributes::SetCharset(int Value) {
  TRichCharFormat F;
  F.Charset = static_cast<uint8_t>(std::clamp(Value, 0, 255));
  Set(F, CFM_CHARSET);
}

void TTextAttributes::Assign(const TPersistent* Source) {
  if (const auto* A = dynamic_cast<const TTextAttributes*>(Source)) {
    Set(A->Format(), CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_STYLE | CFM_CHARSET);
    return;
  }
  if (const auto* Font = dynamic_cast<const TFont*>(Source)) {
    SetName(Font->Name());
    SetSize(Font->Size());
    SetColor(Font->Color());
    SetStyle(Font->Style());
    SetCharset(Font->Charset());
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TParaAttributes

const TClassInfo& TParaAttributes::StaticClassInfo() {
  using A = TParaAttributes;
  static const TClassInfo Info = TClassDef<A>("TParaAttributes", &TPersistent::StaticClassInfo())
                                     .Prop("Alignment", &A::Alignment, &A::SetAlignment)
                                     .Prop("FirstIndent", &A::FirstIndent, &A::SetFirstIndent)
                                     .Prop("LeftIndent", &A::LeftIndent, &A::SetLeftIndent)
                                     .Prop("RightIndent", &A::RightIndent, &A::SetRightIndent)
                                     .Prop("TabCount", &A::TabCount);
  return Info;
}

TAlignment TParaAttributes::Alignment() const {
  switch (Format().Alignment) {
    case TParaAlignment::Right: return taRightJustify;
    case TParaAlignment::Center: return taCenter;
    case TParaAlignment::Left:
    case TParaAlignment::Justify: break;
  }
  return taLeftJustify;
}

void TParaAttributes::SetAlignment(TAlignment Value) {
  TRichParaFormat F = Format();
  F.Alignment = Value == taRightJustify ? TParaAlignment::Right
                : Value == taCenter     ? TParaAlignment::Center
                                        : TParaAlignment::Left;
  Set(F);
}

int TParaAttributes::FirstIndent() const { return Points(Format().FirstIndent); }

void TParaAttributes::SetFirstIndent(int Value) {
  TRichParaFormat F = Format();
  F.FirstIndent = std::clamp(Value, -MaxPoints, MaxPoints) * TwipsPerPoint;
  Set(F);
}

int TParaAttributes::LeftIndent() const { return Points(Format().LeftIndent); }

void TParaAttributes::SetLeftIndent(int Value) {
  TRichParaFormat F = Format();
  F.LeftIndent = std::clamp(Value, 0, MaxPoints) * TwipsPerPoint;
  Set(F);
}

int TParaAttributes::RightIndent() const { return Points(Format().RightIndent); }

void TParaAttributes::SetRightIndent(int Value) {
  TRichParaFormat F = Format();
  F.RightIndent = std::clamp(Value, 0, MaxPoints) * TwipsPerPoint;
  Set(F);
}

int TParaAttributes::TabCount() const { return static_cast<int>(Format().Tabs.size()); }

int TParaAttributes::Tab(int Index) const {
  const TRichParaFormat F = Format();
  if (Index < 0 || Index >= static_cast<int>(F.Tabs.size())) return 0;
  return Points(F.Tabs[static_cast<size_t>(Index)].Position);
}

void TParaAttributes::Assign(const TPersistent* Source) {
  if (const auto* A = dynamic_cast<const TParaAttributes*>(Source)) {
    Set(A->Format());
    return;
  }
  TPersistent::Assign(Source);
}
