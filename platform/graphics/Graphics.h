#pragma once
// Font, pen and brush as the canvas and the printables use them, and the
// screen's resolution.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Types.h"

// Pixels per inch of the screen: 96 unless MOR_SCREEN_PPI says otherwise.
// Never read from the display, so files and test pixels do not depend on it.
int ScreenPixelsPerInch();

// Base of the drawing tools: announces changes so a canvas reselects them.
class TGraphicsObject : public TPersistent {
public:
  std::function<void(TGraphicsObject*)> OnChange;

protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
// Set members by bit position, as a stream names them.
DEFINE_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = uint8_t;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
DEFINE_ENUM_INFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

// Streams as a nested persistent ("Font.Name", "Font.Size"...): the size in points, so a
// font read on a screen of another resolution keeps its size.
class TFont : public TGraphicsObject {
  DECLARE_CLASSINFO(TFont)
public:
  TFont() = default;
  TFont(const TFont& F) : TGraphicsObject() { CopyData(F); }
  TFont& operator=(const TFont& F) {
    Assign(F);
    return *this;
  }

  // Copies the font; a source of another resolution keeps its point size.
  void Assign(const TFont& Source);
  void Assign(const TPersistent* Source) override;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& V);
  // Points; Height = -Round(Size * PixelsPerInch / 72) as MulDiv computes it.
  int Size() const;
  void SetSize(int Points);
  int Height() const { return FHeight; }
  void SetHeight(int V);
  int PixelsPerInch() const { return FPixelsPerInch; }
  // Changes the resolution the height is counted in, keeping the height (as the class library does).
  void SetPixelsPerInch(int V) { FPixelsPerInch = V; }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles V);
  TColor Color() const { return FColor; }
  void SetColor(TColor V);
  uint8_t Charset() const { return FCharset; }
  void SetCharset(uint8_t V);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch V);
  // Escapement of the text, tenths of a degree counter-clockwise.
  int Orientation() const { return FOrientation; }
  void SetOrientation(int V);

  TLogFont LogFont() const;
  bool operator==(const TFont& B) const;

private:
  void CopyData(const TFont& F);
  std::string FName = "MS Sans Serif";
  int FHeight = -11;  // 8 points at 96 ppi
  int FPixelsPerInch = ScreenPixelsPerInch();
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  uint8_t FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FOrientation = 0;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
DEFINE_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame")
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor };

class TPen : public TGraphicsObject {
public:
  TPen() = default;
  TPen(const TPen& P) : TGraphicsObject(), FColor(P.FColor), FWidth(P.FWidth), FStyle(P.FStyle), FMode(P.FMode) {}
  TPen& operator=(const TPen& P) {
    Assign(P);
    return *this;
  }
  using TPersistent::Assign;
  void Assign(const TPen& Source);
  TColor Color() const { return FColor; }
  void SetColor(TColor V);
  // Width 0 or 1 is a one-pixel hairline.
  int Width() const { return FWidth; }
  void SetWidth(int V);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle V);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode V);
  TLogPen LogPen() const;

private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
  TBrush() = default;
  TBrush(const TBrush& B) : TGraphicsObject(), FColor(B.FColor), FStyle(B.FStyle) {}
  TBrush& operator=(const TBrush& B) {
    Assign(B);
    return *this;
  }
  using TPersistent::Assign;
  void Assign(const TBrush& Source);
  TColor Color() const { return FColor; }
  // Setting a colour makes a clear brush solid, as the class library does.
  void SetColor(TColor V);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle V);
  TLogBrush LogBrush() const;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};
