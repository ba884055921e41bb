#include "ppreport/descriptors/ppStrtchRTTI.h"

#include "ppreport/core/ppModelRTTI.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/generation/ppStrtch.h"

const TraRTTI& TraTppStretchableRTTI() {
  using S = TppStretchable;
  static const TraRTTI Info = TraRTTIDef<S>("TraTppStretchableRTTI", TraTppComponentRTTI())
                                  .Prop("CurrentPosition", &S::CurrentPosition)
                                  .Prop("mmBottomOffset", &S::mmBottomOffset)
                                  .Prop("mmOverFlowOffset", &S::mmOverFlowOffset)
                                  .Prop("mmStopPosition", &S::mmStopPosition)
                                  .Prop("PageBottom", &S::PageBottom)
                                  .Prop("PartialAdjustment", &S::PartialAdjustment)
                                  .Prop("ShifterCount", &S::ShifterCount)
                                  .Prop("KeptTogether", &S::KeptTogether)
                                  .Prop("PartialGeneration", &S::PartialGeneration)
                                  .Prop("KeepTogether", &S::KeepTogether, &S::SetKeepTogether)
                                  .Prop("Stretch", &S::Stretch, &S::SetStretch)
                                  .Prop("ShiftRelativeTo", &S::ShiftRelativeTo, &S::SetShiftRelativeTo);
  return Info;
}

void InitializeStrtchRTTIUnit() {
  for (const TraRTTI* D : {&TraTppStretchableRTTI()}) TraRTTIClassRegistry::RegisterRTTIClass(*D);
}

void FinalizeStrtchRTTIUnit() {
  for (const TraRTTI* D : {&TraTppStretchableRTTI()}) TraRTTIClassRegistry::UnregisterRTTIClass(*D);
}
