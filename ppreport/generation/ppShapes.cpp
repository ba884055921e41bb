// The drawing controls: pen and brush, the shape's geometry, the line's weight in points, and the
// draw commands they hand to the devices.
#include "ppreport/generation/ppShapes.h"

#include <algorithm>

#include "platform/classes/StringList.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/RtlMath.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppLanguageModule.h"
#include "ppreport/generation/ppGenConsts.h"

namespace {
constexpr int ppVersionLineWeight = 3000;  // before it: a line's weight was its pen width

std::string ModuleText(int N, const char* Ours) {
  if (ppResourceManager().ModulesLoaded()) {
    std::string Text = LanguageString(N);
    if (!Text.empty()) return Text;
  }
  return Ours;
}

int32_t ScreenPixelsToMicrons(int Axis, int Pixels) {
  return ConvertToMicrons(utScreenPixels, Axis, nullptr, static_cast<float>(Pixels));
}
int MicronsToScreenPixels(int Axis, int32_t Microns) {
  return static_cast<int>(ConvertFromMicrons(Microns, utScreenPixels, Axis, nullptr));
}
}  // namespace

// ---- TppCustomGraphic

TppCustomGraphic::TppCustomGraphic(TComponent* AOwner)
    : TppCustomComponent(AOwner), FBrush(std::make_unique<TppBrush>()), FPen(std::make_unique<TppPen>()) {
  FBrush->OnChange = [this](TGraphicsObject*) { GraphicChanged(); };
  FPen->OnChange = [this](TGraphicsObject*) { GraphicChanged(); };
  SetSpBounds(GetspLeft(), GetspTop(), 50, 50);
}

TppCustomGraphic::~TppCustomGraphic() {
  BeforeDestruction();
  FBrush->OnChange = nullptr;
  FPen->OnChange = nullptr;
}

void TppCustomGraphic::SetBrush(const TBrush* Value) {
  if (Value) FBrush->Assign(*Value);
  GraphicChanged();
}

void TppCustomGraphic::SetPen(const TPen* Value) {
  if (Value) FPen->Assign(*Value);
  GraphicChanged();
}

void TppCustomGraphic::GraphicChanged() {
  if (IsReadingOrLoading()) return;
  InvalidateDesignControl();
  PropertyChanged();
  InvalidateLayout();
}

void TppCustomGraphic::GetBackgroundColor(TColor& Value, bool& Transparent) const {
  Value = FBrush->Color();
  Transparent = FBrush->Style() == bsClear;
}

void TppCustomGraphic::GetFontColor(TColor& Value, bool& Transparent) const {
  Value = FPen->Color();
  Transparent = FPen->Style() == psClear;
}

void TppCustomGraphic::SetBackgroundColor(TColor Value, bool Transparent) {
  if (!Transparent && Value != FBrush->Color()) {
    PropertyChanging("Brush.Color");
    FBrush->SetColor(Value);
    PropertyChanged();
  }
  const TBrushStyle Wanted = Transparent ? bsClear : bsSolid;
  if (FBrush->Style() != Wanted) {
    PropertyChanging("Brush.Style");
    FBrush->SetStyle(Wanted);
    PropertyChanged();
  }
  GraphicChanged();
}

void TppCustomGraphic::SetFontColor(TColor Value, bool Transparent) {
  if (!Transparent && Value != FPen->Color()) {
    PropertyChanging("Pen.Color");
    FPen->SetColor(Value);
    PropertyChanged();
  }
  const TPenStyle Wanted = Transparent ? psClear : psSolid;
  if (FPen->Style() != Wanted) {
    PropertyChanging("Pen.Style");
    FPen->SetStyle(Wanted);
    PropertyChanged();
  }
  GraphicChanged();
}

void TppCustomGraphic::SetPenWidth(int Width) {
  FPen->SetWidth(Width);
  GraphicChanged();
}

// ---- TppShape

TppShapeGeometry ppCalcShapeGeometry(TShapeType Shape, int PenWidth, int Width, int Height) {
  const int Half = PenWidth / 2;
  TppShapeGeometry G{Half, Half, Width - Half, Height - Half, 0};
  const int Side = std::min(Width, Height);
  if (Shape == stSquare || Shape == stRoundSquare || Shape == stCircle) {
    const int DX = (Width - Side) / 2, DY = (Height - Side) / 2;
    G.X += DX;
    G.Y += DY;
    G.Right -= DX;
    G.Bottom -= DY;
  }
  G.Corner = Side / 4;
  return G;
}

TppShape::TppShape(TComponent* AOwner) : TppCustomGraphic(AOwner) {
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawShape(nullptr); });
  SetDefaultProp("Shape", 4);
}

TppShape::~TppShape() { BeforeDestruction(); }

void TppShape::SetShape(TShapeType Value) {
  PropertyChanging("Shape");
  FShape = Value;
  GraphicChanged();
}

void TppShape::GraphicChanged() {
  TppCustomGraphic::GraphicChanged();
  const bool Clear = Brush()->Style() == bsClear;
  if (Transparent() != Clear) SetTransparent(Clear);
}

TppShapeGeometry TppShape::CalcGeometry() const {
  int Width = GetspWidth(), Height = GetspHeight();
  if (IsReportPrinting()) {
    Width = MicronsToScreenPixels(ppHorizontal, PageRect().Width());
    Height = MicronsToScreenPixels(ppVertical, PageRect().Height());
  }
  return ppCalcShapeGeometry(FShape, Pen()->Width(), Width, Height);
}

std::string TppShape::GetDefaultPropHint() const { return ModuleText(118, SppHintShapeKind); }

void TppShape::GetDefaultPropList(TStrings& List) {
  static const char* const Ours[] = {SppShapeRectangle, SppShapeSquare,  SppShapeRoundRect,
                                     SppShapeRoundSquare, SppShapeEllipse, SppShapeCircle};
  for (int I = 0; I < 6; ++I) List.Add(ModuleText(318 + I, Ours[I]));
}

void TppShape::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomGraphic::PropertiesToDrawCommand(DrawCommand);
  auto* S = dynamic_cast<TppDrawShape*>(DrawCommand);
  if (!S) return;
  const TppShapeGeometry G = CalcGeometry();
  const TRect Page = PageRect();
  const int32_t X = ScreenPixelsToMicrons(ppHorizontal, G.X) + Page.Left;
  const int32_t Y = ScreenPixelsToMicrons(ppVertical, G.Y) + Page.Top;
  const int32_t Right = ScreenPixelsToMicrons(ppHorizontal, G.Right) + Page.Left;
  const int32_t Bottom = ScreenPixelsToMicrons(ppVertical, G.Bottom) + Page.Top;
  const int32_t Corner = ScreenPixelsToMicrons(ppHorizontal, G.Corner);
  S->SetBrush(Brush());
  S->SetPen(Pen());
  S->SetLeft(X);
  S->SetTop(Y);
  S->SetWidth(Right - X);
  S->SetHeight(Bottom - Y);
  S->SetXCornerRound(Corner);
  S->SetYCornerRound(Corner);
  // The squareness is already in the geometry.
  TShapeType Kind = FShape;
  if (Kind == stSquare) Kind = stRectangle;
  if (Kind == stRoundSquare) Kind = stRoundRect;
  if (Kind == stCircle) Kind = stEllipse;
  S->SetShapeType(Kind);
}

// ---- TppLine

TppLine::TppLine(TComponent* AOwner) : TppCustomGraphic(AOwner) {
  Brush()->SetStyle(bsClear);
  SetDrawCommandClass([]() -> TppDrawCommand* { return new TppDrawLine(nullptr); });
  SetSpBounds(GetspLeft(), GetspTop(), 50, 15);
  SetTransparent(true);
  SetDefaultProp("Position", 4);
}

TppLine::~TppLine() { BeforeDestruction(); }

void TppLine::SetStyle(TppLineStyleType Value) {
  PropertyChanging("Style");
  FStyle = Value;
  GraphicChanged();
  DesignerModified();
}

void TppLine::SetPosition(TppLinePositionType Value) {
  if (Value == FPosition) return;
  PropertyChanging("Position");
  FPosition = Value;
  GraphicChanged();
}

void TppLine::SetWeight(float Value) {
  if (Value == FWeight) return;
  PropertyChanging("Weight");
  FSettingWeight = true;
  FWeight = Value;
  const int Width = static_cast<int>(Round(static_cast<long double>(Value) * ScreenPixelsPerInch() / 72));
  Pen()->SetWidth(Width);  // its change notice comes back to GraphicChanged, which leaves the weight
  FPreviousPenWidth = Width;
  FSettingWeight = false;
}

void TppLine::GraphicChanged() {
  TppCustomGraphic::GraphicChanged();
  if (FSettingWeight || Pen()->Width() == FPreviousPenWidth) return;
  FPreviousPenWidth = Pen()->Width();
  FWeight = static_cast<float>(static_cast<double>(Pen()->Width()) / ScreenPixelsPerInch() * 72);
}

void TppLine::ConvertFromVersion(int Version) {
  TppCustomGraphic::ConvertFromVersion(Version);
  if (Version < ppVersionLineWeight)
    FWeight = static_cast<float>(static_cast<double>(Pen()->Width()) / ScreenPixelsPerInch() * 72);
}

std::string TppLine::GetDefaultPropHint() const { return ModuleText(117, SppHintLinePosition); }

void TppLine::GetDefaultPropList(TStrings& List) {
  List.Add(ModuleText(182, SppLineTop));
  List.Add(ModuleText(325, SppLineBottom));
  List.Add(ModuleText(181, SppLineLeft));
  List.Add(ModuleText(327, SppLineRight));
}

void TppLine::PropertiesToDrawCommand(TppDrawCommand* DrawCommand) {
  TppCustomGraphic::PropertiesToDrawCommand(DrawCommand);
  auto* L = dynamic_cast<TppDrawLine*>(DrawCommand);
  if (!L) return;
  const TRect R = PageRect();
  L->SetLineStyle(FStyle);
  L->SetLinePosition(FPosition);
  L->SetLeft(R.Left);
  L->SetTop(R.Top);
  L->SetWidth(R.Width());
  L->SetHeight(R.Height());
  L->SetPen(Pen());
  L->SetWeight(FWeight);
}

// ---- class records

const TClassInfo& TppCustomGraphic::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppCustomGraphic>("TppCustomGraphic", &TppCustomComponent::StaticClassInfo());
  return Info;
}

namespace {
// What both graphics publish besides their own.
template <class C>
TClassDef<C>& PublishGraphic(TClassDef<C>& D) {
  return D.template SetProp<TppAnchorType>("Anchors", &C::Anchors, &C::SetAnchors)
      .Default(ppAnchorLeft | ppAnchorTop)
      .Prop("Pen", &C::Pen, &C::SetPen)
      .Prop("ParentHeight", &C::ParentHeight, &C::SetParentHeight)
      .Default(0)
      .Prop("ParentWidth", &C::ParentWidth, &C::SetParentWidth)
      .Default(0)
      .Prop("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow)
      .Default(0)
      .Prop("StretchWithParent", &C::StretchWithParent, &C::SetStretchWithParent)
      .Default(0)
      .Prop("Visible", &C::Visible, &C::SetVisible)
      .Default(1)
      .Event("OnDrawCommandClick", &C::OnDrawCommandClick)
      .Event("OnDrawCommandCreate", &C::OnDrawCommandCreate)
      .Prop("Left", &C::GetLeft, &C::SetLeft)
      .Stored(false)
      .Prop("Top", &C::GetTop, &C::SetTop)
      .Stored(false)
      .Prop("Width", &C::GetWidth, &C::SetWidth)
      .Stored(false)
      .Prop("Height", &C::GetHeight, &C::SetHeight)
      .Stored(false);
}
}  // namespace

const TClassInfo& TppShape::StaticClassInfo() {
  using C = TppShape;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppShape", &TppCustomGraphic::StaticClassInfo());
    D.Prop("Brush", &C::Brush, &C::SetBrush);
    PublishGraphic(D);
    D.Prop("Shape", &C::Shape, &C::SetShape).Default(stRectangle);
    return TClassInfo(D);
  }();
  return Info;
}

const TClassInfo& TppLine::StaticClassInfo() {
  using C = TppLine;
  static const TClassInfo Info = [] {
    TClassDef<C> D("TppLine", &TppCustomGraphic::StaticClassInfo());
    D.Prop("Border", &C::Border, &C::SetBorder);
    PublishGraphic(D);
    D.Prop("Position", &C::Position, &C::SetPosition)
        .Default(lpTop)
        .Prop("Style", &C::Style, &C::SetStyle)
        .Default(lsSingle)
        .Prop("Weight", &C::Weight, &C::SetWeight)
        .NoDefault();
    return TClassInfo(D);
  }();
  return Info;
}
