#include "platform/forms/Buttons.h"

#include <QToolButton>

#include "platform/forms/QtImage.h"

const TClassInfo& TSpeedButton::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TSpeedButton>("TSpeedButton", &TGraphicControl::StaticClassInfo())
          .Prop("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption)
          .Prop("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs).Default(1)
          .Prop("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout).Default(blGlyphLeft)
          .Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat).Default(0)
          .Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex).Default(0)
          .Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown).Default(0)
          .Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp).Default(0);
  return Info;
}

TSpeedButton::TSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner, new QToolButton), FButton(static_cast<QToolButton*>(Widget())) {
  SetNativeInput(true);
  FButton->setFocusPolicy(Qt::NoFocus);  // speed buttons never take the focus
  QObject::connect(FButton, &QToolButton::clicked, FButton, [this] { Click(); });
  SetBounds(0, 0, 23, 22);
  UpdateLook();
}

void TSpeedButton::SetGlyph(const TPixelImage& V) {
  FGlyph = V;
  // An opaque bottom-left pixel names the transparent colour, as for bitmaps in the class library.
  if (!FGlyph.Empty() && (FGlyph.Pixel(0, FGlyph.Height - 1) >> 24) == 0xFF)
    FGlyph.MakeTransparent(FGlyph.Pixel(0, FGlyph.Height - 1));
  UpdateLook();
}

void TSpeedButton::SetGlyph(TGraphic& Graphic) {
  SetGlyph(TPixelImage::FromGraphic(Graphic, Graphic.Width(), Graphic.Height()));
}

void TSpeedButton::SetNumGlyphs(int V) {
  FNumGlyphs = std::clamp(V, 1, 4);
  UpdateLook();
}

void TSpeedButton::SetLayout(TButtonLayout V) {
  FLayout = V;
  UpdateLook();
}

void TSpeedButton::SetFlat(bool V) {
  FFlat = V;
  UpdateLook();
}

void TSpeedButton::UpdateLook() {
  QIcon Icon;
  if (!FGlyph.Empty()) {
    int W = FGlyph.Width / FNumGlyphs;
    Icon.addPixmap(ToQPixmap(FGlyph.Slice(0, W)), QIcon::Normal);
    if (FNumGlyphs > 1) Icon.addPixmap(ToQPixmap(FGlyph.Slice(W, W)), QIcon::Disabled);
    if (FNumGlyphs > 3) Icon.addPixmap(ToQPixmap(FGlyph.Slice(3 * W, W)), QIcon::Normal, QIcon::On);
    FButton->setIconSize(QSize(W, FGlyph.Height));
  }
  FButton->setIcon(Icon);
  FButton->setText(QString::fromStdString(FText));
  bool HasText = !FText.empty(), HasIcon = !FGlyph.Empty();
  Qt::ToolButtonStyle Style = !HasIcon   ? Qt::ToolButtonTextOnly
                              : !HasText ? Qt::ToolButtonIconOnly
                              : FLayout == blGlyphTop || FLayout == blGlyphBottom ? Qt::ToolButtonTextUnderIcon
                                                                                  : Qt::ToolButtonTextBesideIcon;
  FButton->setToolButtonStyle(Style);
  FButton->setLayoutDirection(FLayout == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
  FButton->setAutoRaise(FFlat);
  FButton->setCheckable(FGroupIndex != 0);
  FButton->setChecked(FDown);
}

template <class F>
void TSpeedButton::ForGroup(F&& Fn) {
  if (!Parent() || FGroupIndex == 0) return;
  for (int I = 0; I < Parent()->ControlCount(); ++I)
    if (auto* B = dynamic_cast<TSpeedButton*>(Parent()->Controls(I)); B && B != this && B->FGroupIndex == FGroupIndex)
      Fn(B);
}

void TSpeedButton::UpdateExclusive() {
  ForGroup([this](TSpeedButton* B) {
    if (FDown && B->FDown) {
      B->FDown = false;
      B->UpdateLook();
    }
    B->FAllowAllUp = FAllowAllUp;
  });
}

void TSpeedButton::SetGroupIndex(int V) {
  FGroupIndex = V;
  if (V == 0) FDown = false;
  UpdateExclusive();
  UpdateLook();
}

void TSpeedButton::SetDown(bool V) {
  if (FGroupIndex == 0) V = false;
  if (V != FDown) {
    if (FDown && !FAllowAllUp) {
      UpdateLook();
      return;
    }
    FDown = V;
    UpdateExclusive();
  }
  UpdateLook();
}

void TSpeedButton::SetAllowAllUp(bool V) {
  FAllowAllUp = V;
  UpdateExclusive();
}

void TSpeedButton::Click() {
  if (FGroupIndex != 0) {
    // A click presses a grouped button; it lets it go only when all may be up.
    if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
    else
      UpdateLook();  // Qt toggled the check state; put it back
  }
  TGraphicControl::Click();
}
