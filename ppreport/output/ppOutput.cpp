#include "ppreport/output/ppOutput.h"

#include <mutex>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/descriptors/ppDescriptors.h"
#include "ppreport/output/ppArchiveDev.h"
#include "ppreport/output/ppBackgroundPrintManager.h"
#include "ppreport/output/ppPrnDev.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppTextFileDev.h"
#include "ppreport/output/ppViewr.h"

namespace {
std::mutex Lock;
int Count = 0;
}  // namespace

void InitializePPReportOutput() {
  InitializePPDescriptors();
  TOnException Undo(FinalizePPDescriptors);
  std::lock_guard<std::mutex> Guard(Lock);
  if (Count > 0) {
    ++Count;
    return;
  }
  RegisterDeviceClass<TppScreenDevice>();
  RegisterDeviceClass<TppPrinterDevice>();
  RegisterDeviceClass<TppTextFileDevice>();
  RegisterDeviceClass<TppReportTextFileDevice>();
  RegisterDeviceClass<TppArchiveDevice>();
  InitializeBackgroundPrintUnit();
  Count = 1;
}

void FinalizePPReportOutput() {
  {
    std::lock_guard<std::mutex> Guard(Lock);
    if (Count == 0) return;
    if (--Count == 0) {
      FinalizeBackgroundPrintUnit();
      TppTextSearchEngineRegistry::Clear();
      UnregisterDeviceClass(TppArchiveDevice::StaticClassInfo());
      UnregisterDeviceClass(TppReportTextFileDevice::StaticClassInfo());
      UnregisterDeviceClass(TppTextFileDevice::StaticClassInfo());
      UnregisterDeviceClass(TppPrinterDevice::StaticClassInfo());
      UnregisterDeviceClass(TppScreenDevice::StaticClassInfo());
    }
  }
  FinalizePPDescriptors();
}
