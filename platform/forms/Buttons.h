#pragma once
// Speed buttons: flat picture buttons that can stay down, alone or in a group.
#include "platform/forms/Controls.h"
#include "platform/forms/ImgList.h"

class QToolButton;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
DEFINE_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")

class TSpeedButton : public TGraphicControl {
  DECLARE_CLASSINFO(TSpeedButton)
public:
  explicit TSpeedButton(TComponent* AOwner);

  // The picture; with NumGlyphs > 1 it holds that many images side by side:
  // up, disabled, clicked, down. Its bottom-left pixel's colour is transparent.
  const TPixelImage& Glyph() const { return FGlyph; }
  void SetGlyph(const TPixelImage& V);
  void SetGlyph(TGraphic& Graphic);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int V);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout V);
  bool Flat() const { return FFlat; }
  void SetFlat(bool V);

  // Buttons of one parent with the same GroupIndex (not 0) are exclusive: one is down.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int V);
  // Always false without a group; a down button goes up only when AllowAllUp.
  bool Down() const { return FDown; }
  void SetDown(bool V);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool V);

  void Click() override;

protected:
  void TextChanged() override { UpdateLook(); }
  bool PaintWidget() override { return false; }

private:
  void UpdateLook();
  void UpdateExclusive();
  template <class F>
  void ForGroup(F&& Fn);
  QToolButton* FButton;
  TPixelImage FGlyph;
  int FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  bool FFlat = false;
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
};
