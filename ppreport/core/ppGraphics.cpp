#include "ppreport/core/ppGraphics.h"

#include <algorithm>
#include <limits>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppGraphicTypes.h"
#include "ppreport/core/ppUnits.h"

const TClassInfo& TppFont::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppFont>("TppFont", &TFont::StaticClassInfo());
  return Info;
}

const TClassInfo& TppPen::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPen>("TPen", &TPersistent::StaticClassInfo())
                                     .Prop("Color", &TppPen::Color, &TppPen::SetColor)
                                     .Default(clBlack)
                                     .Prop("Style", &TppPen::Style, &TppPen::SetStyle)
                                     .Default(psSolid)
                                     .Prop("Width", &TppPen::Width, &TppPen::SetWidth)
                                     .Default(1);
  return Info;
}

void TppPen::Assign(const TPersistent* Source) {
  if (const auto* P = dynamic_cast<const TPen*>(Source))
    TPen::Assign(*P);
  else
    TPen::Assign(Source);
}

const TClassInfo& TppBrush::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppBrush>("TBrush", &TPersistent::StaticClassInfo())
                                     .Prop("Color", &TppBrush::Color, &TppBrush::SetColor)
                                     .Default(clWhite)
                                     .Prop("Style", &TppBrush::Style, &TppBrush::SetStyle)
                                     .Default(bsSolid);
  return Info;
}

void TppBrush::Assign(const TPersistent* Source) {
  if (const auto* B = dynamic_cast<const TBrush*>(Source))
    TBrush::Assign(*B);
  else
    TBrush::Assign(Source);
}

const TClassInfo& TppPicture::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPicture>("TPicture", &TPersistent::StaticClassInfo());
  return Info;
}

void TppPicture::Assign(const TPersistent* Source) {
  if (const auto* P = dynamic_cast<const TppPicture*>(Source))
    FPicture.Assign(P->FPicture);
  else
    TPersistent::Assign(Source);
}

void TppPicture::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data",
      [this](TStream& S) {
        uint8_t Length = 0;
        if (S.Read(&Length, 1) != 1) throw EReadError(SReadError);
        std::string Name(Length, '\0');
        if (Length > 0 && S.Read(Name.data(), Length) != Length) throw EReadError(SReadError);
        const TGraphicClass* Class = GraphicClasses::FindByClassName(Name);
        if (!Class || !Class->Create) throw EReadError(SInvalidPropertyValue);
        std::unique_ptr<TGraphic> G = Class->Create();
        G->LoadFromStream(S);
        FPicture.SetGraphic(std::move(G));
      },
      [this](TStream& S) {
        const std::string Name = FPicture.Graphic()->ClassName();
        const auto Length = static_cast<uint8_t>(Name.size());
        S.WriteBuffer(&Length, 1);
        S.WriteBuffer(Name.data(), Length);
        FPicture.Graphic()->SaveToStream(S);
      },
      !FPicture.Empty());
}

const TClassInfo& TppBorder::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppBorder>("TppBorder", &TPersistent::StaticClassInfo())
          .SetProp<TppBorderPositionType>("BorderPositions", &TppBorder::BorderPositions,
                                          &TppBorder::SetBorderPositions)
          .Default(0)
          .Prop("Color", &TppBorder::Color, &TppBorder::SetColor)
          .Default(clBlack)
          .Prop("Style", &TppBorder::Style, &TppBorder::SetStyle)
          .Default(psSolid)
          .Prop("Visible", &TppBorder::Visible, &TppBorder::SetVisible)
          .Default(0)
          .Prop("Weight", &TppBorder::Weight, &TppBorder::SetWeight);
  return Info;
}

void TppBorder::SetBorderPositions(TppBorderPositions Value) {
  Changing("Border.Positions");
  FPreviousPositions = FBorderPositions;
  FBorderPositions = Value;
  FVisible = Value != 0;
  Changed();
}

void TppBorder::SetColor(TColor Value) {
  Changing("Border.Color");
  FColor = Value;
  Changed();
}

void TppBorder::SetStyle(TPenStyle Value) {
  Changing("Border.Style");
  FStyle = Value;
  Changed();
}

void TppBorder::SetVisible(bool Value) {
  Changing("Border.Visible");
  FVisible = Value;
  Changed();
}

void TppBorder::SetWeight(float Value) {
  Changing("Border.Weight");
  FWeight = Value;
  Changed();
}

void TppBorder::Assign(const TPersistent* Source) {
  const auto* B = dynamic_cast<const TppBorder*>(Source);
  if (!B) {
    TPersistent::Assign(Source);
    return;
  }
  SetBorderPositions(B->BorderPositions());
  SetColor(B->Color());
  SetStyle(B->Style());
  SetVisible(B->Visible());
  SetWeight(B->Weight());
}

int32_t TppBorder::GetmmWeight() const { return PointsToMicrons(FWeight); }

int TppBorder::GetspWeight() const { return PointsToScreenPixels(FWeight); }

TPoint TppBorder::AdjustTextOrigin(const TppBorder& Border, int Angle, const IppPrinterResolution* Printer, int Y,
                                   int X) {
  int E, D;
  if (Printer) {
    const TPoint Ppi = Printer->GetPixelsPerInch();
    E = PointsToPixels(Border.Weight(), Ppi.X);
    D = PointsToPixels(Border.Weight(), Ppi.Y);
  } else {
    E = D = Border.GetspWeight();
  }
  // The side a text at that angle starts from, horizontally and vertically.
  const bool FromRight = Angle > 90 && Angle <= 270;
  const bool FromBottom = Angle > 0 && Angle <= 180;
  // A weight read from a template may be absurd; the origin stays a coordinate.
  auto Moved = [](int V, int64_t By) {
    return static_cast<int>(std::clamp<int64_t>(V + By, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  };
  TPoint Origin{X, Y};
  if (!FromRight && Border.Has(bpLeft)) Origin.X = Moved(Origin.X, E);
  if (FromRight && Border.Has(bpRight)) Origin.X = Moved(Origin.X, -int64_t(E));
  if (FromBottom && Border.Has(bpBottom)) Origin.Y = Moved(Origin.Y, -int64_t(D));
  if (!FromBottom && Border.Has(bpTop)) Origin.Y = Moved(Origin.Y, D);
  return Origin;
}

void InitializeGraphicsUnit() { RegisterPPClasses({&TppFont::StaticClassInfo()}); }

void FinalizeGraphicsUnit() { UnregisterPPClasses({&TppFont::StaticClassInfo()}); }
