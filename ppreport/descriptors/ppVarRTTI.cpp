#include "ppreport/descriptors/ppVarRTTI.h"

#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/descriptors/ppCtrlsRTTI.h"
#include "ppreport/generation/ppVar.h"

const TraRTTI& TraTppVariableRTTI() {
  using V = TppVariable;
  const std::vector<TraParamSpec> ValueParam = {TraParamSpec("Value", vkVariant, nullptr, {}, true)};
  static const TraRTTI Info =
      TraRTTIDef<V>("TraTppVariableRTTI", TraTppCustomTextRTTI())
          .Method("SaveToCache", &V::SaveToCache, {"aCachePageNo"})
          .Listed()
          .Prop("AsBoolean", &V::AsBoolean, &V::SetAsBoolean)
          .Listed()
          .Prop("AsChar", &V::AsChar, &V::SetAsChar)
          .Listed()
          .Prop("AsCurrency", &V::AsCurrency, &V::SetAsCurrency)
          .AsKind(vkCurrency)
          .Listed()
          .Prop("AsDateTime", &V::AsDateTime, &V::SetAsDateTime)
          .AsKind(vkDateTime)
          .Listed()
          .Prop("AsDate", &V::AsDate, &V::SetAsDate)
          .AsKind(vkDate)
          .Listed()
          .Prop("AsDouble", &V::AsDouble, &V::SetAsDouble)
          .Listed()
          .Prop("AsExtended", &V::AsExtended, &V::SetAsExtended)
          .Listed()
          .Prop("AsInteger", &V::AsInteger, &V::SetAsInteger)
          .Listed()
          .Prop("AsSingle", &V::AsSingle, &V::SetAsSingle)
          .Listed()
          .Prop("AsString", [](const V& O) { return O.AsString(); }, &V::SetAsString)
          .Listed()
          .Prop("AsTime", &V::AsTime, &V::SetAsTime)
          .AsKind(vkTime)
          .Listed()
          .Prop("Value", &V::GetValue, &V::SetValue)
          .Listed()
          .Event("OnCalc", ciVariableCalc, ValueParam)
          .Event("OnReset", ciVariableReset, ValueParam)
          .HideEvent("OldOnCalc")
          .Prop("CalcOrder", &V::CalcOrder, &V::SetCalcOrder)
          .Prop("CalcComponent", &V::CalcComponent, &V::SetCalcComponent)
          .Prop("ResetComponent", &V::ResetComponent, &V::SetResetComponent)
          .Prop("CalcType", &V::CalcType, &V::SetCalcType)
          .Prop("ResetType", &V::ResetType, &V::SetResetType)
          .Prop("DataType", &V::DataType, &V::SetDataType);
  return Info;
}

const TraRTTI& TraTppSystemVariableRTTI() {
  using S = TppSystemVariable;
  static const TraRTTI Info = TraRTTIDef<S>("TraTppSystemVariableRTTI", TraTppCustomTextRTTI())
                                  .Prop("VarType", &S::VarType, &S::SetVarType)
                                  .ReadOnly()
                                  .Prop("DataType", &S::GetDataType)
                                  .ReadOnly(false)
                                  .RefuseWrite()
                                  .Listed();
  return Info;
}

void InitializeVarRTTIUnit() {
  for (const TraRTTI* D : {&TraTppVariableRTTI(), &TraTppSystemVariableRTTI()})
    TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeVarRTTIUnit() {
  for (const TraRTTI* D : {&TraTppVariableRTTI(), &TraTppSystemVariableRTTI()})
    TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
