#include "tests/ppreport/core/ppModelTestSupport.h"

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfo.h"

namespace pptest {

const TClassInfo& TModelComponent::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TModelComponent>("TModelComponent", &TppComponent::StaticClassInfo())
                                     .Prop("Left", &TModelComponent::GetLeft, &TModelComponent::SetLeft)
                                     .Stored(false)
                                     .Prop("Top", &TModelComponent::GetTop, &TModelComponent::SetTop)
                                     .Stored(false)
                                     .Prop("Width", &TModelComponent::GetWidth, &TModelComponent::SetWidth)
                                     .Stored(false)
                                     .Prop("Height", &TModelComponent::GetHeight, &TModelComponent::SetHeight)
                                     .Stored(false)
                                     .Prop("Visible", &TModelComponent::Visible, &TModelComponent::SetVisible)
                                     .Default(1)
                                     .Prop("SavedText", &TModelComponent::SavedText, &TModelComponent::SavedText)
                                     .Default(0)
                                     .Prop("SavePosition", &TModelComponent::SavePosition,
                                           &TModelComponent::SavePosition)
                                     .Default(-1)
                                     .Prop("Variable", &TModelComponent::Variable, &TModelComponent::Variable)
                                     .Default(0)
                                     .Prop("CalcOrder", &TModelComponent::CalcOrder, &TModelComponent::CalcOrder)
                                     .Default(-1);
  return Info;
}

const TClassInfo& TModelDataComponent::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TModelDataComponent>("TModelDataComponent", &TModelComponent::StaticClassInfo())
          .Prop("DataField", &TModelDataComponent::DataField, &TModelDataComponent::SetDataField);
  return Info;
}

const TClassInfo& TModelRegion::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TModelRegion>("TModelRegion", &TppComponent::StaticClassInfo());
  return Info;
}

const TClassInfo& TModelBand::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TModelBand>("TModelBand", &TppBand::StaticClassInfo())
          .Prop("PrintHeight", &TModelBand::PrintHeight, &TModelBand::SetPrintHeight)
          .Default(phStatic);
  return Info;
}

// Stored under the old control's class name.
const TClassInfo& TModelCalc::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TModelCalc>("TppCalc", &TModelComponent::StaticClassInfo())
          .Prop("CalcType", [](const TModelCalc& C) { return C.CalcType; },
                [](TModelCalc& C, TppCalcType V) { C.CalcType = V; });
  return Info;
}

const TClassInfo& TModelVariable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TModelVariable>("TModelVariable", &TModelComponent::StaticClassInfo());
  return Info;
}

const TClassInfo& TModelReport::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TModelReport>("TModelReport", &TppCustomReport::StaticClassInfo());
  return Info;
}

std::unique_ptr<TComponent> ReadFromText(const std::string& Text) {
  TMemoryStream In, Bin;
  In.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  return std::unique_ptr<TComponent>(ReadComponentFromStream(Bin, nullptr));
}

TModelClasses::TModelClasses() {
  for (const TClassInfo* I : {&TModelComponent::StaticClassInfo(), &TModelDataComponent::StaticClassInfo(),
                              &TModelRegion::StaticClassInfo(), &TModelBand::StaticClassInfo(),
                              &TModelCalc::StaticClassInfo(), &TModelVariable::StaticClassInfo(),
                              &TModelReport::StaticClassInfo(), &TppGroup::StaticClassInfo()})
    if (!GetClass(I->Name)) {
      RegisterClass(*I);
      Registered.push_back(I);
    }
}

TModelClasses::~TModelClasses() {
  for (const TClassInfo* I : Registered) UnRegisterClass(*I);
}

}  // namespace pptest
