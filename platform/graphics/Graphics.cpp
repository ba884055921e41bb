#include "platform/graphics/Graphics.h"

#include <cstdlib>

int ScreenPixelsPerInch() {
  static const int Ppi = [] {
    const char* V = std::getenv("MOR_SCREEN_PPI");
    int P = V ? std::atoi(V) : 0;
    return P >= 24 && P <= 1200 ? P : 96;
  }();
  return Ppi;
}

TColorRef ColorToRGB(TColor Color) {
  if ((static_cast<uint32_t>(Color) & 0xFF000000) == 0xFF000000) {
    // A fixed light scheme for the system colours.
    static const TColorRef Sys[] = {
        RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
        RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
        RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    };
    uint32_t Index = static_cast<uint32_t>(Color) & 0xFF;
    return Index < std::size(Sys) ? Sys[Index] : 0;
  }
  if (Color == clNone) return 0;
  if (Color == clDefault) return RGB(255, 255, 255);
  return static_cast<TColorRef>(Color) & 0xFFFFFF;
}

static int MulDivRound(int A, int B, int C) {
  if (C == 0) return -1;
  long long P = static_cast<long long>(A) * B;
  long long Q = (P >= 0 ? P + C / 2 : P - C / 2) / C;
  return static_cast<int>(Q);
}

void TFont::CopyData(const TFont& F) {
  FName = F.FName;
  FHeight = F.FHeight;
  FPixelsPerInch = F.FPixelsPerInch;
  FStyle = F.FStyle;
  FColor = F.FColor;
  FCharset = F.FCharset;
  FPitch = F.FPitch;
  FOrientation = F.FOrientation;
}

void TFont::Assign(const TFont& Source) {
  if (&Source == this) return;
  int Ppi = FPixelsPerInch;
  CopyData(Source);
  FPixelsPerInch = Ppi;
  if (Ppi != Source.FPixelsPerInch)
    FHeight = -MulDivRound(Source.Size(), Ppi, 72);
  Changed();
}

void TFont::Assign(const TPersistent* Source) {
  if (auto* F = dynamic_cast<const TFont*>(Source)) {
    Assign(*F);
    return;
  }
  TPersistent::Assign(Source);
}

const TClassInfo& TFont::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TFont>("TFont", &TPersistent::StaticClassInfo())
          .Prop("Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET)
          .Prop("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText)
          .Prop("Height", &TFont::Height, &TFont::SetHeight).Stored(false)
          .Prop("Name", &TFont::Name, &TFont::SetName)
          .Prop("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault)
          .Prop("Size", &TFont::Size, &TFont::SetSize)
          .SetProp<TFontStyle>("Style", &TFont::Style, &TFont::SetStyle).Default(0);
  return Info;
}

void TFont::SetName(const std::string& V) {
  if (V.empty() || V == FName) return;
  FName = V;
  Changed();
}

int TFont::Size() const { return -MulDivRound(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Points) { SetHeight(-MulDivRound(Points, FPixelsPerInch, 72)); }

void TFont::SetHeight(int V) {
  if (V == FHeight) return;
  FHeight = V;
  Changed();
}

#define MOR_SETTER(Class, Name, Type, Field) \
  void Class::Set##Name(Type V) {            \
    if (V == Field) return;                  \
    Field = V;                               \
    Changed();                               \
  }
MOR_SETTER(TFont, Style, TFontStyles, FStyle)
MOR_SETTER(TFont, Color, TColor, FColor)
MOR_SETTER(TFont, Charset, uint8_t, FCharset)
MOR_SETTER(TFont, Pitch, TFontPitch, FPitch)
MOR_SETTER(TFont, Orientation, int, FOrientation)
MOR_SETTER(TPen, Color, TColor, FColor)
MOR_SETTER(TPen, Width, int, FWidth)
MOR_SETTER(TPen, Style, TPenStyle, FStyle)
MOR_SETTER(TPen, Mode, TPenMode, FMode)
MOR_SETTER(TBrush, Style, TBrushStyle, FStyle)
#undef MOR_SETTER

TLogFont TFont::LogFont() const {
  TLogFont L;
  L.Height = FHeight;
  L.Escapement = L.Orientation = FOrientation;
  L.Weight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
  L.Italic = FStyle & fsItalic;
  L.Underline = FStyle & fsUnderline;
  L.StrikeOut = FStyle & fsStrikeOut;
  L.CharSet = FCharset;
  L.PitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
  L.FaceName = FName;
  return L;
}

bool TFont::operator==(const TFont& B) const {
  return FName == B.FName && FHeight == B.FHeight && FPixelsPerInch == B.FPixelsPerInch && FStyle == B.FStyle &&
         FColor == B.FColor && FCharset == B.FCharset && FPitch == B.FPitch && FOrientation == B.FOrientation;
}

void TPen::Assign(const TPen& Source) {
  if (&Source == this) return;
  FColor = Source.FColor;
  FWidth = Source.FWidth;
  FStyle = Source.FStyle;
  FMode = Source.FMode;
  Changed();
}

TLogPen TPen::LogPen() const {
  static const uint32_t Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  return TLogPen{Styles[FStyle], FWidth, ColorToRGB(FColor)};
}

void TBrush::Assign(const TBrush& Source) {
  if (&Source == this) return;
  FColor = Source.FColor;
  FStyle = Source.FStyle;
  Changed();
}

void TBrush::SetColor(TColor V) {
  if (V == FColor && FStyle != bsClear) return;
  FColor = V;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

TLogBrush TBrush::LogBrush() const {
  TLogBrush L;
  L.Color = ColorToRGB(FColor);
  if (FStyle == bsSolid) L.Style = BS_SOLID;
  else if (FStyle == bsClear) L.Style = BS_NULL;
  else {
    L.Style = BS_HATCHED;
    L.Hatch = FStyle - bsHorizontal;  // HS_HORIZONTAL..HS_DIAGCROSS
  }
  return L;
}
