#include "ppreport/descriptors/ppCtrlsRTTI.h"

#include "platform/rtl/Variants.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppGraphics.h"
#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppDBCalc.h"
#include "ppreport/generation/ppDBText.h"
#include "ppreport/generation/ppShapes.h"

const TraRTTI& TraTppCustomTextRTTI() {
  using T = TppCustomText;
  static const TraRTTI Info =
      TraRTTIDef<T>("TraTppCustomTextRTTI", TraTppComponentRTTI())
          .Event("OnGetText", ciTextGetText, {TraParamSpec("Text", vkString, nullptr, {}, true)})
          .HideEvent("OnFormat")
          .Prop("AutoSize", &T::AutoSize, &T::SetAutoSize)
          .ReadOnly()
          .Prop("Description", &T::GetDescription)
          .Prop("RotatedOriginLeft", &T::RotatedOriginLeft)
          .Listed()
          .Prop("RotatedOriginTop", &T::RotatedOriginTop)
          .Listed()
          .Prop("CharWrap", &T::CharWrap, &T::SetCharWrap)
          .Prop("Save", &T::Save, &T::SetSave)
          .Prop("Transparent", &T::Transparent, &T::SetTransparent)
          .Prop("Color", &T::Color, &T::SetColor)
          .AsEnum("TColor")
          .Prop("SaveOrder", &T::SaveOrder, &T::SetSaveOrder)
          .Prop("SaveLength", &T::SaveLength, &T::SetSaveLength)
          .Prop("Text", &T::GetText, &T::SetText);
  return Info;
}

const TraRTTI& TraTppDBTextRTTI() {
  using T = TppDBText;
  static const TraRTTI Info =
      TraRTTIDef<T>("TraTppDBTextRTTI", TraTppCustomTextRTTI())
          .Prop("FieldValue", [](const T& O) { return const_cast<T&>(O).GetFieldValue(); })
          .Listed()
          .Prop("AlreadyPrinted", &T::AlreadyPrinted)
          .Prop("PriorValueSame", &T::PriorValueSame)
          .Prop("FirstPage", &T::FirstPage)
          .Prop("PriorValue", [](const T& O) { return O.PriorValue(); })
          .Prop("BlankWhenZero", &T::BlankWhenZero, &T::SetBlankWhenZero)
          .Prop("ReprintOnSubsequent", &T::ReprintOnSubsequent, &T::SetReprintOnSubsequent)
          .Prop("SuppressRepeatedValues", &T::SuppressRepeatedValues, &T::SetSuppressRepeatedValues);
  return Info;
}

const TraRTTI& TraTppDBCalcRTTI() {
  using C = TppDBCalc;
  static const TraRTTI Info =
      TraRTTIDef<C>("TraTppDBCalcRTTI", TraTppDBTextRTTI())
          .Prop("Value", [](const C& O) { return Variant(O.Value()); },
                [](C& O, const Variant& V) { O.SetValue(V.IsNull() || V.IsEmpty() ? 0 : V.AsFloat()); })
          .ReadOnly()
          .Listed()
          .Method("Clear", &C::Clear)
          .RecordParams(false)
          .Listed()
          .Method("GetLookAheadKey", &C::GetLookAheadKey)
          .Listed()
          .Method("GetLookAheadValue", &C::GetLookAheadValue, {"aLookAheadKey"})
          .Listed()
          .Event("OnCalc", ciVariableCalc)
          .Prop("Divisor", &C::Divisor, &C::SetDivisor)
          .Prop("DBCalcType", &C::DBCalcType, &C::SetDBCalcType);
  return Info;
}

const TraRTTI& TraTppCustomGraphicRTTI() {
  using G = TppCustomGraphic;
  static const TraRTTI Info =
      TraRTTIDef<G>("TraTppCustomGraphicRTTI", TraTppComponentRTTI())
          .Prop("Brush", &G::Brush, &G::SetBrush)
          .Prop("Pen", &G::Pen, &G::SetPen);
  return Info;
}

const TraRTTI& TraTppLineRTTI() {
  using L = TppLine;
  static const TraRTTI Info = TraRTTIDef<L>("TraTppLineRTTI", TraTppCustomGraphicRTTI())
                                  .Prop("Position", &L::Position, &L::SetPosition)
                                  .Prop("Style", &L::Style, &L::SetStyle)
                                  .Prop("LinePosition", &L::Position)
                                  .Undescribed();
  return Info;
}

const TraRTTI& TraTppShapeRTTI() {
  using S = TppShape;
  static const TraRTTI Info =
      TraRTTIDef<S>("TraTppShapeRTTI", TraTppCustomGraphicRTTI()).Prop("Shape", &S::Shape, &S::SetShape);
  return Info;
}

void InitializeCtrlsRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomTextRTTI(), &TraTppCustomGraphicRTTI(), &TraTppLineRTTI(), &TraTppShapeRTTI(), &TraTppDBTextRTTI(), &TraTppDBCalcRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeCtrlsRTTIUnit() {
  for (const TraRTTI* D : {&TraTppCustomTextRTTI(), &TraTppCustomGraphicRTTI(), &TraTppLineRTTI(), &TraTppShapeRTTI(), &TraTppDBTextRTTI(), &TraTppDBCalcRTTI()}) TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
