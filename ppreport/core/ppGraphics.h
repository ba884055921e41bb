#pragma once
// The font that report components stream and the border that printables draw around themselves.
#include <cstdint>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Picture.h"
#include "ppreport/core/ppTypes.h"

class IppPrinterResolution;

// The class library's font under its own stream name.
class TppFont : public TFont {
  DECLARE_CLASSINFO(TppFont)
public:
  TppFont() = default;
  TppFont(const TppFont& F) : TFont(F) {}
  TppFont& operator=(const TppFont& F) {
    Assign(F);
    return *this;
  }
};

// The class library's pen and brush with class records of their own, so that they stream as nested
// properties ("Pen.Color", "Brush.Style") of draw commands and components.
class TppPen : public TPen {
  DECLARE_CLASSINFO(TppPen)
public:
  TppPen() = default;
  using TPen::Assign;
  // From any pen.
  void Assign(const TPersistent* Source) override;
};

class TppBrush : public TBrush {
  DECLARE_CLASSINFO(TppBrush)
public:
  TppBrush() = default;
  using TBrush::Assign;
  // From any brush.
  void Assign(const TPersistent* Source) override;
};

// A picture as a persistent: streamed as the binary property "Data", the graphic's class name (a
// length byte and the name) followed by the graphic's own bytes. Reading a class the platform does
// not know, or bytes its graphic refuses, leaves the picture as it was and fails the read
// (EReadError).
class TppPicture : public TPersistent {
  DECLARE_CLASSINFO(TppPicture)
public:
  TppPicture() = default;
  TPicture& Picture() { return FPicture; }
  const TPicture& Picture() const { return FPicture; }
  TGraphic* Graphic() const { return FPicture.Graphic(); }
  using TPersistent::Assign;
  // From another TppPicture: a copy of its graphic.
  void Assign(const TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

private:
  TPicture FPicture;
};

// A frame around a printable: which sides, colour, pen style and weight in points. Every change
// goes through a setter, which fires OnChange afterwards.
class TppBorder : public TPersistent {
  DECLARE_CLASSINFO(TppBorder)
public:
  // No sides, black, solid, invisible, one point.
  explicit TppBorder(TPersistent* Printable = nullptr) : FPrintable(Printable) {}

  TPersistent* Printable() const { return FPrintable; }
  TppBorderPositions BorderPositions() const { return FBorderPositions; }
  // Also makes the border visible exactly when some side is set, and remembers the sides before.
  void SetBorderPositions(TppBorderPositions Value);
  TppBorderPositions PreviousBorderPositions() const { return FPreviousPositions; }
  // A right-aligned text that has followed the new sides once takes them as the sides before.
  void SetPreviousBorderPositions(TppBorderPositions Value) { FPreviousPositions = Value; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  float Weight() const { return FWeight; }
  void SetWeight(float Value);
  bool Has(TppBorderPositionType Side) const { return (FBorderPositions & ppSetBit(Side)) != 0; }

  using TPersistent::Assign;
  // From a border: the five properties through their setters.
  void Assign(const TPersistent* Source) override;

  // The weight in microns, and in screen pixels (at least 1).
  int32_t GetmmWeight() const;
  int GetspWeight() const;

  // The origin of a text drawn at Angle degrees inside Border, starting at (X, Y): moved off each
  // bordered side the text starts from by the border's width, at Printer's resolution on each axis,
  // or the screen's when there is no printer.
  static TPoint AdjustTextOrigin(const TppBorder& Border, int Angle, const IppPrinterResolution* Printer, int Y,
                                 int X);

  TNotifyEvent OnChange;

private:
  // The printable's designer hears of a change before it is made; at run time nobody listens.
  void Changing(const char* PropertyName) { (void)PropertyName; }
  void Changed() {
    if (OnChange) OnChange(this);
  }

  TPersistent* FPrintable;
  TppBorderPositions FBorderPositions = 0;
  TppBorderPositions FPreviousPositions = 0;
  TColor FColor = clBlack;
  TPenStyle FStyle = psSolid;
  bool FVisible = false;
  float FWeight = 1.0f;
};
