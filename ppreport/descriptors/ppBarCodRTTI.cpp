#include "ppreport/descriptors/ppBarCodRTTI.h"

#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppBarCod.h"

const TraRTTI& TraTppBarCodeRTTI() {
  using B = TppBarCode;
  static const TraRTTI Info =
      TraRTTIDef<B>("TraTppBarCodeRTTI", TraTppComponentRTTI())
          .Prop("AddOnCode", &B::AddOnCode, &B::SetAddOnCode)
          .Prop("Data", [](const B& O) { return const_cast<B&>(O).GetData(); }, &B::SetData)
          .Prop("AutoEncode", &B::AutoEncode, &B::SetAutoEncode)
          .Prop("AutoSizeFont", &B::AutoSizeFont, &B::SetAutoSizeFont)
          .Prop("BearerBars", &B::BearerBars, &B::SetBearerBars)
          .Prop("CalcCheckDigit", &B::CalcCheckDigit, &B::SetCalcCheckDigit)
          .Prop("PrintHumanReadable", &B::PrintHumanReadable, &B::SetPrintHumanReadable)
          .Prop("BarWidth", &B::BarWidth, &B::SetBarWidth)
          .Prop("WideBarRatio", &B::WideBarRatio, &B::SetWideBarRatio)
          .Prop("BarCodeType", &B::BarCodeType, &B::SetBarCodeType)
          .Prop("BarColor", &B::BarColor, &B::SetBarColor)
          .AsEnum("TColor")
          .DescribeEnum("Orientation", EnumInfo<TppBarCodeOrientation>().Name, false);
  return Info;
}

void InitializeBarCodRTTIUnit() {
  for (const TraRTTI* D : {&TraTppBarCodeRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeBarCodRTTIUnit() {
  for (const TraRTTI* D : {&TraTppBarCodeRTTI()}) TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
