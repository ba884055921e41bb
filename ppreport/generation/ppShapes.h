#pragma once
// The drawing controls: TppShape (a rectangle, square, rounded rectangle or square, ellipse or
// circle filling its box) and TppLine (a single or double line along one edge of its box, its
// weight in points), on their base TppCustomGraphic with a pen and a brush. They are placed like
// any control and hand their geometry to a TppDrawShape or TppDrawLine; the devices draw those.
#include <cstdint>
#include <memory>

#include "ppreport/core/ppGraphicTypes.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/generation/ppCtrls.h"

class TppCustomGraphic : public TppCustomComponent {
  DECLARE_CLASSINFO(TppCustomGraphic)
public:
  explicit TppCustomGraphic(TComponent* AOwner);
  ~TppCustomGraphic() override;

  TppBrush* Brush() const { return FBrush.get(); }
  TppPen* Pen() const { return FPen.get(); }
  // Copy the given brush or pen (null ignored), then GraphicChanged.
  virtual void SetBrush(const TBrush* Value);
  virtual void SetPen(const TPen* Value);
  // After any change of pen or brush: the design control, the notice and the layout.
  virtual void GraphicChanged();

  // The brush colour (transparent with a clear brush), the pen colour (transparent with a clear pen).
  void GetBackgroundColor(TColor& Value, bool& Transparent) const override;
  void GetFontColor(TColor& Value, bool& Transparent) const override;
  void SetBackgroundColor(TColor Value, bool Transparent);
  void SetFontColor(TColor Value, bool Transparent);
  void SetPenWidth(int Width) override;
  bool HasFont() const override { return false; }

private:
  std::unique_ptr<TppBrush> FBrush;
  std::unique_ptr<TppPen> FPen;
};

// Where a shape lands inside its box, in screen pixels relative to the box: the corners, and the
// corner radius of the rounded kinds.
struct TppShapeGeometry {
  int X = 0, Y = 0, Right = 0, Bottom = 0, Corner = 0;
  bool operator==(const TppShapeGeometry&) const = default;
};
// A box of Width x Height screen pixels drawn with a pen of PenWidth: the square kinds are centred
// squares of the box's smaller side; the pen's half width stays inside the box.
TppShapeGeometry ppCalcShapeGeometry(TShapeType Shape, int PenWidth, int Width, int Height);

class TppShape : public TppCustomGraphic {
  DECLARE_CLASSINFO(TppShape)
public:
  explicit TppShape(TComponent* AOwner);
  ~TppShape() override;

  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);

  // The box's geometry: while the report prints the page rectangle's, else the design size's.
  TppShapeGeometry CalcGeometry() const;

  // A clear brush makes the shape transparent.
  void GraphicChanged() override;
  std::string GetDefaultPropHint() const override;
  void GetDefaultPropList(TStrings& List) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

private:
  TShapeType FShape = stRectangle;
};

class TppLine : public TppCustomGraphic {
  DECLARE_CLASSINFO(TppLine)
public:
  explicit TppLine(TComponent* AOwner);
  ~TppLine() override;

  TppLinePositionType Position() const { return FPosition; }
  void SetPosition(TppLinePositionType Value);
  TppLineStyleType Style() const { return FStyle; }
  void SetStyle(TppLineStyleType Value);
  // Points; sets the pen width in screen pixels (rounded, halves to even).
  float Weight() const { return FWeight; }
  void SetWeight(float Value);

  // A pen width changed from outside turns into the weight.
  void GraphicChanged() override;
  void ConvertFromVersion(int Version) override;
  bool HasColor() const override { return false; }
  std::string GetDefaultPropHint() const override;
  void GetDefaultPropList(TStrings& List) override;
  void PropertiesToDrawCommand(TppDrawCommand* DrawCommand) override;

private:
  TppLinePositionType FPosition = lpTop;
  TppLineStyleType FStyle = lsSingle;
  float FWeight = 0.75f;
  int FPreviousPenWidth = 0;
  bool FSettingWeight = false;
};
