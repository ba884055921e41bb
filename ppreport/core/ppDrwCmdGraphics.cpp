// The graphic draw commands (shape, line, image), the rotated-text routines, and the unit.
#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppDrwCmdRTTI.h"
#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppUnits.h"

// ---- shapes

const TClassInfo& TppDrawShape::StaticClassInfo() {
  using C = TppDrawShape;
  static const TClassInfo Info = TClassDef<C>("TppDrawShape", &TppDrawCommand::StaticClassInfo())
                                     .Prop("Brush", &C::Brush, &C::SetBrush)
                                     .Prop("Pen", &C::Pen, &C::SetPen)
                                     .Prop("ShapeType", &C::ShapeType, &C::SetShapeType)
                                     .Default(stRectangle)
                                     .Prop("XCornerRound", &C::XCornerRound, &C::SetXCornerRound)
                                     .Default(0)
                                     .Prop("YCornerRound", &C::YCornerRound, &C::SetYCornerRound)
                                     .Default(0);
  return Info;
}

TppDrawShape::TppDrawShape(TComponent* AOwner)
    : TppDrawCommand(AOwner), FBrush(std::make_unique<TppBrush>()), FPen(std::make_unique<TppPen>()) {
  SetDataType(dtGraphic);
}

void TppDrawShape::SetBrush(const TBrush* V) {
  if (V) FBrush->Assign(*V);
}

void TppDrawShape::SetPen(const TPen* V) {
  if (V) FPen->Assign(*V);
}

bool TppDrawShape::IsEqual(const TppDrawCommand& Other) const {
  const auto* O = dynamic_cast<const TppDrawShape*>(&Other);
  return O && TppDrawCommand::IsEqual(Other) && FBrush->Color() == O->FBrush->Color() &&
         FBrush->Style() == O->FBrush->Style() && FPen->Color() == O->FPen->Color() &&
         FPen->Style() == O->FPen->Style() && FPen->Width() == O->FPen->Width() && FShapeType == O->FShapeType &&
         FXCornerRound == O->FXCornerRound && FYCornerRound == O->FYCornerRound;
}

void TppDrawShape::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawShape*>(Source);
  if (!S) return;
  FShapeType = S->FShapeType;
  FXCornerRound = S->FXCornerRound;
  FYCornerRound = S->FYCornerRound;
  FBrush->Assign(*S->FBrush);
  FPen->Assign(*S->FPen);
}

// ---- lines

const TClassInfo& TppDrawLine::StaticClassInfo() {
  using C = TppDrawLine;
  static const TClassInfo Info = TClassDef<C>("TppDrawLine", &TppDrawCommand::StaticClassInfo())
                                     .Prop("LinePosition", &C::LinePosition, &C::SetLinePosition)
                                     .Default(lpTop)
                                     .Prop("LineStyle", &C::LineStyle, &C::SetLineStyle)
                                     .Default(lsSingle)
                                     .Prop("Pen", &C::Pen, &C::SetPen)
                                     .Prop("Weight", &C::Weight, &C::SetWeight);
  return Info;
}

TppDrawLine::TppDrawLine(TComponent* AOwner) : TppDrawCommand(AOwner), FPen(std::make_unique<TppPen>()) {
  SetDataType(dtGraphic);
}

void TppDrawLine::SetPen(const TPen* V) {
  if (V) FPen->Assign(*V);
}

bool TppDrawLine::IsEqual(const TppDrawCommand& Other) const {
  const auto* O = dynamic_cast<const TppDrawLine*>(&Other);
  return O && TppDrawCommand::IsEqual(Other) && FLinePosition == O->FLinePosition && FLineStyle == O->FLineStyle &&
         FPen->Color() == O->FPen->Color() && FPen->Style() == O->FPen->Style() && FPen->Width() == O->FPen->Width();
}

void TppDrawLine::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawLine*>(Source);
  if (!S) return;
  FLinePosition = S->FLinePosition;
  FLineStyle = S->FLineStyle;
  FPen->Assign(*S->FPen);
  FWeight = S->FWeight;
}

// ---- images

const TClassInfo& TppDrawImage::StaticClassInfo() {
  using C = TppDrawImage;
  static const TClassInfo Info =
      TClassDef<C>("TppDrawImage", &TppDrawCommand::StaticClassInfo())
          .Prop("Center", &C::Center, &C::SetCenter)
          .Default(0)
          .Prop("DirectDraw", &C::DirectDraw, &C::SetDirectDraw)
          .Default(0)
          .Prop("ImageName", &C::ImageName, &C::SetImageName)
          .Prop("MaintainAspectRatio", &C::MaintainAspectRatio, &C::SetMaintainAspectRatio)
          .Default(0)
          .Prop("Picture", &C::Picture, [](C& S, TppPicture* P) { S.SetPicture(P); })
          .Prop("Scale", &C::Scale, &C::SetScale)
          .Default(0)
          .Prop("Stretch", &C::Stretch, &C::SetStretch)
          .Default(0)
          .Prop("Transparent", &C::Transparent, &C::SetTransparent)
          .Default(0);
  return Info;
}

TppDrawImage::TppDrawImage(TComponent* AOwner) : TppDrawCommand(AOwner), FPicture(std::make_unique<TppPicture>()) {
  SetDataType(dtGraphic);
  // A picture read from a stream replaces the graphic: the kept conversion is of the old one.
  FPicture->Picture().OnChange = [this](TPicture*) { FBitmap.reset(); };
}

TppDrawImage::~TppDrawImage() { BeforeDestruction(); }

void TppDrawImage::SetPicture(const TppPicture* V) {
  if (V) SetPicture(V->Picture());
}

void TppDrawImage::SetPicture(const TPicture& V) {
  FBitmap.reset();
  // Every bitmap of the platform is device-independent already: a copy is all it takes.
  FPicture->Picture().Assign(V);
}

TBitmap* TppDrawImage::GetAsBitmap() {
  TGraphic* G = FPicture->Graphic();
  if (!G || G->Empty() || dynamic_cast<TMetafile*>(G) || dynamic_cast<TIcon*>(G)) return nullptr;
  if (auto* B = dynamic_cast<TBitmap*>(G)) return B;
  if (FBitmap) return FBitmap.get();
  // A size no page image has (an archive's header may claim anything) is not converted.
  if (G->Width() <= 0 || G->Height() <= 0 || int64_t(G->Width()) * G->Height() > ppMaxImageConversionPixels)
    return nullptr;
  try {
    auto B = std::make_unique<TBitmap>(G->Width(), G->Height());
    try {
      B->Canvas().Draw(0, 0, *G);
    } catch (...) {
      B->Canvas().StretchDraw(Rect(0, 0, B->Width(), B->Height()), *G);
    }
    FBitmap = std::move(B);
  } catch (...) {
    FBitmap.reset();
  }
  return FBitmap.get();
}

void TppDrawImage::Assign(const TPersistent* Source) {
  TppDrawCommand::Assign(Source);
  const auto* S = dynamic_cast<const TppDrawImage*>(Source);
  if (!S) return;
  FCenter = S->FCenter;
  FDirectDraw = S->FDirectDraw;
  FMaintainAspectRatio = S->FMaintainAspectRatio;
  FScale = S->FScale;
  FStretch = S->FStretch;
  FTransparent = S->FTransparent;
  FImageName = S->FImageName;
  SetPicture(S->FPicture.get());
}

// ---- routines

double MicronsToInches(int32_t Value) { return ConvertFromMicrons(Value, utInches, 0, nullptr); }

TLogFont CreateRotatedFont(const TFont& Font, int Angle) {
  TLogFont F;
  // A size or angle read from an archive may be absurd; the font stays a font.
  const long double Height = Round(static_cast<long double>(Font.Size()) * Font.PixelsPerInch() / 72);
  F.Height = -static_cast<int>(std::clamp<long double>(Height, -ppMaxFontHeight, ppMaxFontHeight));
  F.Width = 0;
  F.Escapement = F.Orientation = (Angle % 360) * 10;
  F.CharSet = DEFAULT_CHARSET;
  // A logical font holds at most 31 characters of its face name.
  std::string_view Name = Font.Name();
  size_t End = 0;
  for (int Count = 0; End < Name.size() && Count < 31; ++Count) NextUtf8(Name, End);
  F.FaceName = std::string(Name.substr(0, End));
  F.Weight = (Font.Style() & fsBold) ? FW_BOLD : 0;
  F.Italic = (Font.Style() & fsItalic) != 0;
  F.Underline = (Font.Style() & fsUnderline) != 0;
  F.StrikeOut = (Font.Style() & fsStrikeOut) != 0;
  return F;
}

void TextOutRotated(TCanvas& Canvas, const TFont& Font, int X, int Y, const std::string& Text, int Angle) {
  const TBrushStyle BrushStyle = Canvas.Brush().Style();
  // The canvas's own font is selected again by its next drawing call.
  TFinally Restore([&] {
    Canvas.Refresh();
    Canvas.Brush().SetStyle(BrushStyle);
  });
  Canvas.Brush().SetStyle(bsClear);
  Canvas.RequiredState();
  if (!Canvas.Handle()) return;
  Canvas.Handle()->SelectFont(CreateRotatedFont(Font, Angle));
  Canvas.TextOut(X, Y, Text);
}

// ---- the unit

namespace {
#define PP_DRAW_COMMAND_CLASSES                                                                              \
  {&TppDrawText::StaticClassInfo(), &TppDrawVariable::StaticClassInfo(), &TppDrawVar::StaticClassInfo(),     \
   &TppDrawCalc::StaticClassInfo(), &TppDrawShape::StaticClassInfo(), &TppDrawLine::StaticClassInfo(),       \
   &TppDrawImage::StaticClassInfo()}
}  // namespace

void InitializeDrawCommandUnit() {
  RegisterPPClasses(PP_DRAW_COMMAND_CLASSES);
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppDrawTextRTTI());
}

void FinalizeDrawCommandUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppDrawTextRTTI());
  UnregisterPPClasses(PP_DRAW_COMMAND_CLASSES);
}
