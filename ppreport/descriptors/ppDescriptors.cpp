#include "ppreport/descriptors/ppDescriptors.h"

#include <mutex>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/descriptors/ppBarCodRTTI.h"
#include "ppreport/descriptors/ppCtrlsRTTI.h"
#include "ppreport/descriptors/ppMemoRTTI.h"
#include "ppreport/descriptors/ppRichTxDrwCmdRTTI.h"
#include "ppreport/descriptors/ppStrtchRTTI.h"
#include "ppreport/generation/ppBarCodDrwCmd.h"

namespace {
std::mutex Lock;
int Count = 0;
}  // namespace

void InitializePPDescriptors() {
  InitializePPGeneration();
  std::lock_guard<std::mutex> Guard(Lock);
  if (Count++ > 0) return;
  TOnException Undo([] {
    Count = 0;
    FinalizePPGeneration();
  });
  InitializeMemoRTTIUnit();
  InitializeStrtchRTTIUnit();
  InitializeCtrlsRTTIUnit();
  InitializeRichTxDrwCmdRTTIUnit();
  InitializeBarCodRTTIUnit();
}

void FinalizePPDescriptors() {
  {
    std::lock_guard<std::mutex> Guard(Lock);
    if (Count == 0) return;
    if (--Count == 0) {
      FinalizeBarCodRTTIUnit();
      FinalizeRichTxDrwCmdRTTIUnit();
      FinalizeCtrlsRTTIUnit();
      FinalizeStrtchRTTIUnit();
      FinalizeMemoRTTIUnit();
    }
  }
  FinalizePPGeneration();
}
