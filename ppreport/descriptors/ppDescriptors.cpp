#include "ppreport/descriptors/ppDescriptors.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/descriptors/ppBandsRTTI.h"
#include "ppreport/descriptors/ppReportRTTI.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {
int DescriptorsInitCount = 0;
}

void InitializePPDescriptors() {
  InitializePPGeneration();
  if (DescriptorsInitCount++ > 0) return;
  TOnException Undo([] {
    DescriptorsInitCount = 0;
    FinalizePPGeneration();
  });
  InitializeBandsRTTIUnit();
  InitializeReportRTTIUnit();
}

void FinalizePPDescriptors() {
  if (DescriptorsInitCount == 0) return;
  if (--DescriptorsInitCount == 0) {
    FinalizeReportRTTIUnit();
    FinalizeBandsRTTIUnit();
  }
  FinalizePPGeneration();
}
