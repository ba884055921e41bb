#pragma once
// Printables that draw graphics: shapes and rules with a pen and a brush, and pictures taken
// from a blob field of a data set. Positions convert from tenths of a millimetre to the
// printer's device pixels (TLXPrinter::XPos...); lengths the designer sees in screen pixels (a
// round rectangle's corner, a picture's natural size) are scaled to the device as well.
#include <cstdint>
#include <memory>
#include <string>

#include "lxreport/LXPrintable.h"
#include "platform/graphics/Picture.h"

class TDataSet;
class TField;

enum TLXShapeType { lxsRectangle, lxsCircle, lxsVertLine, lxsHorLine, lxsTopAndBottom, lxsRightAndLeft, lxsRoundRect };
DEFINE_ENUM_INFO(TLXShapeType, "lxsRectangle", "lxsCircle", "lxsVertLine", "lxsHorLine", "lxsTopAndBottom",
                 "lxsRightAndLeft", "lxsRoundRect")

enum TFitMode { fmProportional, fmKeepWidth, fmKeepHeight, fmInsideProp };
DEFINE_ENUM_INFO(TFitMode, "fmProportional", "fmKeepWidth", "fmKeepHeight", "fmInsideProp")

// Loads a picture from a blob's bytes: a BMP ("BM") or a JPEG (FF D8 FF), told apart by their
// first bytes; no bytes give an empty picture. Anything else, or a file of either kind that
// cannot be decoded, raises EInvalidGraphic.
void LXLoadBlobPicture(TPicture& Picture, const std::string& Bytes);
// The field's picture; a blob the picture classes do not take gives an empty picture, so the
// run goes on.
void LXLoadFieldPicture(TPicture& Picture, const TField* Field);

// The name the PDF document filter gives itself: rules, PDF shapes and graphic images hand
// themselves only to it.
inline constexpr char LXPDFDocumentFilterName[] = "PDF document";
// When the report exports: the filter's AcceptGraphic with the printable's device position (only
// a PDF document filter when PDFOnly). Answers whether it was handed over.
bool LXHandToFilter(TLXPrintable* Printable, int32_t X, int32_t Y, bool PDFOnly);

// A printable drawn with its own pen and brush (rules and shapes); their changes repaint it.
class TLXPenBrushPrintable : public TLXPrintable {
  DECLARE_CLASSINFO(TLXPenBrushPrintable)
public:
  explicit TLXPenBrushPrintable(TComponent* AOwner);
  ~TLXPenBrushPrintable() override;
  TBrush* Brush() const { return FBrush.get(); }
  // Copy the settings into the owned objects.
  void SetBrush(const TBrush* V);
  TPen* Pen() const { return FPen.get(); }
  void SetPen(const TPen* V);
  // Stored with the form; no drawing reads it.
  int32_t VertAdjust() const { return FVertAdjust; }
  void SetVertAdjust(int32_t V) { FVertAdjust = V; }

protected:
  // The printer canvas with the pen and brush, when rendering and the output is enabled.
  TCanvas* PrinterCanvas();
  // Draws Type in the device rectangle of (X, Y) + Size; R is a round rectangle's corner.
  void PrintShape(TLXShapeType Type, int32_t X, int32_t Y, int32_t Corner);
  void PaintShape(TLXShapeType Type, int Inset, int Corner);

private:
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TPen> FPen;
  int32_t FVertAdjust = 0;
};

// A horizontal rule through the middle of its box.
class TLXHRule : public TLXPenBrushPrintable {
  DECLARE_CLASSINFO(TLXHRule)
public:
  explicit TLXHRule(TComponent* AOwner);
  void PrintAt(int32_t X, int32_t Y) override;

protected:
  void Paint() override;
};

// A shape the PDF export can reproduce; a round rectangle prints nothing.
class TLXPDFShape : public TLXPenBrushPrintable {
  DECLARE_CLASSINFO(TLXPDFShape)
public:
  explicit TLXPDFShape(TComponent* AOwner);
  TLXShapeType ShapeType() const { return FShapeType; }
  void SetShapeType(TLXShapeType V);
  void PrintAt(int32_t X, int32_t Y) override;

protected:
  void Paint() override;

private:
  TLXShapeType FShapeType = lxsRectangle;
};

class TLXShape : public TLXPenBrushPrintable {
  DECLARE_CLASSINFO(TLXShape)
public:
  explicit TLXShape(TComponent* AOwner);
  TLXShapeType Shape() const { return FShape; }
  void SetShape(TLXShapeType V);
  // A round rectangle's corner is Width x RoundFactor screen pixels (the same size on paper).
  float RoundFactor() const { return FRoundFactor; }
  void SetRoundFactor(float V);
  void PrintAt(int32_t X, int32_t Y) override;

protected:
  void Paint() override;

private:
  int32_t Corner() const { return static_cast<int32_t>(Width() * FRoundFactor); }
  TLXShapeType FShape = lxsRectangle;
  float FRoundFactor = 0;
};

// A picture from a blob field, loaded again at every print.
class TLXCustomDBImage : public TLXPrintable {
  DECLARE_CLASSINFO(TLXCustomDBImage)
public:
  explicit TLXCustomDBImage(TComponent* AOwner);
  ~TLXCustomDBImage() override;
  bool Center() const { return FCenter; }
  void SetCenter(bool V);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool V);
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& V) { FDataField = V; }
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* V);
  // The run's field (null outside a run or when the data set has none of that name).
  TField* Field() const { return FField; }

  void BeginPrinting() override;
  // The hand-over to an export filter and the picture (drawn also when not rendering).
  void PrintAt(int32_t X, int32_t Y) override;
  void EndPrinting() override;

protected:
  // The record's picture: stretched over the box (an empty one fills the box with Color), or
  // placed by DrawUnstretched; then the frame.
  void PrintPicture(int32_t X, int32_t Y);
  virtual bool ExportsToPDFOnly() const { return false; }
  // Draws a picture that is not stretched, clipped to its box.
  virtual void DrawUnstretched(TCanvas& C, const TRect& Box, TPicture& Picture, int32_t X, int32_t Y) = 0;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The field's name in parentheses, or the component's.
  void Paint() override;
  bool HasBlobField() const;
  // The picture's natural size on the device: its screen pixels at the printer's resolution.
  TSize NaturalSize(const TPicture& P) const;

private:
  bool FCenter = true;
  bool FStretch = false;
  std::string FDataField;
  TDataSet* FDataSet = nullptr;
  TField* FField = nullptr;
};

class TLXDBImage : public TLXCustomDBImage {
  DECLARE_CLASSINFO(TLXDBImage)
public:
  using TLXCustomDBImage::TLXCustomDBImage;

protected:
  // At its natural size, from the corner or centred.
  void DrawUnstretched(TCanvas& C, const TRect& Box, TPicture& Picture, int32_t X, int32_t Y) override;
};

// A picture fitted into its box by FitMode: covering it (fmProportional), keeping the box's
// width or height, or inside it with the picture's proportions, centred (fmInsideProp).
class TLXGrDBImage : public TLXCustomDBImage {
  DECLARE_CLASSINFO(TLXGrDBImage)
public:
  using TLXCustomDBImage::TLXCustomDBImage;
  bool ClipImage() const { return FClipImage; }
  void SetClipImage(bool V) { FClipImage = V; }
  TFitMode FitMode() const { return FFitMode; }
  void SetFitMode(TFitMode V) { FFitMode = V; }
  // The device box a picture of PW x PH pixels is drawn into, for a box Box (device pixels) of
  // the printable's Width x Height (tenths of a millimetre) at L, T; empty pictures excluded.
  TRect FitBox(const TRect& Box, int PW, int PH, long double L, long double T) const;

protected:
  void DrawUnstretched(TCanvas& C, const TRect& Box, TPicture& Picture, int32_t X, int32_t Y) override;
  bool ExportsToPDFOnly() const override { return true; }

private:
  bool FClipImage = false;
  TFitMode FFitMode = fmProportional;
};
