#include "ppreport/descriptors/ppRegionRTTI.h"

#include "ppreport/core/ppGraphics.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/generation/ppRegion.h"

const TraRTTI& TraTppCustomRegionRTTI() {
  using R = TppCustomRegion;
  static const TraRTTI Info = TraRTTIDef<R>("TraTppCustomRegionRTTI", TraTppStretchableRTTI())
                                  .Prop("ObjectCount", &R::GetObjectCount)
                                  .Prop("MaxStretchable", &R::MaxStretchable)
                                  .Prop("Brush", &R::Brush, &R::SetBrush)
                                  .Prop("Pen", &R::Pen, &R::SetPen)
                                  .Describe("ParentWidth", vkBoolean, false)
                                  .Indexed("Objects", &R::GetObject, {"Index"});
  return Info;
}

void InitializeRegionRTTIUnit() { TraRTTIClassRegistry::RegisterRTTIClass(TraTppCustomRegionRTTI()); }

void FinalizeRegionRTTIUnit() { TraRTTIClassRegistry::UnregisterRTTIClass(TraTppCustomRegionRTTI()); }
