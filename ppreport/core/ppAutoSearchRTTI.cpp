#include "ppreport/core/ppAutoSearchRTTI.h"

#include "ppreport/core/ppAutoSearch.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"

const TraRTTI& TraTppAutoSearchFieldRTTI() {
  using A = TppAutoSearchField;
  static const TraRTTI Info = TraRTTIDef<A>("TraTppAutoSearchFieldRTTI", TraTppRelativeRTTI())
                                  .Method("DisableCriteria", &A::DisableCriteria).Listed()
                                  .Prop("Value", &A::GetValue).Listed()
                                  .Indexed("Values", &A::GetValues, {"Index"}).Listed()
                                  .Prop("ValueCount", &A::GetValueCount).Listed();
  return Info;
}

// ---- the unit

void InitializeAutoSearchUnit() {
  RegisterPPClasses({&TppAutoSearchField::StaticClassInfo(), &TppAutoSearchGroup::StaticClassInfo(),
                     &TppAutoSearchGroups::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppAutoSearchFieldRTTI());
}

void FinalizeAutoSearchUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppAutoSearchFieldRTTI());
  UnregisterPPClasses({&TppAutoSearchField::StaticClassInfo(), &TppAutoSearchGroup::StaticClassInfo(),
                       &TppAutoSearchGroups::StaticClassInfo()});
}
