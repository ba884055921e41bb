#include "ppreport/descriptors/ppDescriptors.h"

#include "platform/classes/ScopeGuard.h"
#include "ppreport/descriptors/ppBandsRTTI.h"
#include "ppreport/descriptors/ppReportRTTI.h"
#include "ppreport/descriptors/ppBarCodRTTI.h"
#include "ppreport/descriptors/ppCtrlsImageRTTI.h"
#include "ppreport/descriptors/ppCtrlsRTTI.h"
#include "ppreport/descriptors/ppMemoRTTI.h"
#include "ppreport/descriptors/ppRegionRTTI.h"
#include "ppreport/descriptors/ppRichTxDrwCmdRTTI.h"
#include "ppreport/descriptors/ppRichTxRTTI.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/descriptors/ppSubRptRTTI.h"
#include "ppreport/descriptors/ppVarRTTI.h"
#include "ppreport/generation/ppGeneration.h"

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
  InitializeRegionRTTIUnit();
  InitializeMemoRTTIUnit();
  InitializeSubRptRTTIUnit();
  InitializeBandsRTTIUnit();
  InitializeReportRTTIUnit();
  InitializeStrtchRTTIUnit();
  InitializeCtrlsRTTIUnit();
  InitializeCtrlsImageRTTIUnit();
  InitializeRichTxDrwCmdRTTIUnit();
  InitializeRichTxRTTIUnit();
  InitializeVarRTTIUnit();
  InitializeBarCodRTTIUnit();
}

void FinalizePPDescriptors() {
  if (DescriptorsInitCount == 0) return;
  if (--DescriptorsInitCount == 0) {
    FinalizeBarCodRTTIUnit();
    FinalizeVarRTTIUnit();
    FinalizeRichTxRTTIUnit();
    FinalizeRichTxDrwCmdRTTIUnit();
    FinalizeCtrlsImageRTTIUnit();
    FinalizeCtrlsRTTIUnit();
    FinalizeStrtchRTTIUnit();
    FinalizeReportRTTIUnit();
    FinalizeBandsRTTIUnit();
    FinalizeSubRptRTTIUnit();
    FinalizeMemoRTTIUnit();
    FinalizeRegionRTTIUnit();
  }
  FinalizePPGeneration();
}
