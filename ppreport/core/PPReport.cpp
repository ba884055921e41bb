#include "ppreport/core/PPReport.h"

#include <algorithm>
#include <mutex>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppUnits.h"

namespace {
struct TppUnit {
  const char* Name;
  void (*Initialize)();
  void (*Finalize)();
};

// The core's units in start-up order; shutdown runs them backwards. A new unit adds its line
// here and its two functions to ppUnits.h.
constexpr TppUnit Units[] = {
    {"ppTypes", InitializeTypesUnit, FinalizeTypesUnit},
    {"ppRTTI", InitializeRTTIUnit, FinalizeRTTIUnit},
    {"ppComm", InitializeCommUnit, FinalizeCommUnit},
    {"ppRelatv", InitializeRelativeUnit, FinalizeRelativeUnit},
    {"ppTreeNode", InitializeTreeNodeUnit, FinalizeTreeNodeUnit},
    {"ppLanguage", InitializeLanguageUnit, FinalizeLanguageUnit},
    {"ppUtils", InitializeUtilsUnit, FinalizeUtilsUnit},
    {"ppPalette", InitializePaletteUnit, FinalizePaletteUnit},
    {"ppDisplayFormat", InitializeDisplayFormatUnit, FinalizeDisplayFormatUnit},
    {"ppGraphics", InitializeGraphicsUnit, FinalizeGraphicsUnit},
    {"ppCache", InitializeCacheUnit, FinalizeCacheUnit},
    {"ppDB", InitializeDBUnit, FinalizeDBUnit},
    {"ppDataSetPipe", InitializeDataSetPipeUnit, FinalizeDataSetPipeUnit},
    {"ppParameter", InitializeParameterUnit, FinalizeParameterUnit},
    {"ppAutoSearch", InitializeAutoSearchUnit, FinalizeAutoSearchUnit},
    {"ppPrinter", InitializePrinterUnit, FinalizePrinterUnit},
    {"ppDrwCmd", InitializeDrawCommandUnit, FinalizeDrawCommandUnit},
    {"ppDevice", InitializeDeviceUnit, FinalizeDeviceUnit},
    {"ppOutline", InitializeOutlineUnit, FinalizeOutlineUnit},
    {"ppProd", InitializeProducerUnit, FinalizeProducerUnit},
    {"ppClass", InitializeModelUnit, FinalizeModelUnit},
    {"ppTmplat", InitializeTemplateUnit, FinalizeTemplateUnit},
};
constexpr size_t UnitCount = sizeof(Units) / sizeof(Units[0]);

int InitCount = 0;

std::mutex& ClassesLock() {
  static std::mutex M;
  return M;
}
std::vector<const TClassInfo*>& Classes() {
  static std::vector<const TClassInfo*> L;
  return L;
}

void FinalizeUnits(size_t Count) {
  while (Count > 0) Units[--Count].Finalize();
}
}  // namespace

void InitializePPReport() {
  if (InitCount > 0) {
    ++InitCount;
    return;
  }
  size_t Done = 0;
  // A unit that fails leaves the ones before it undone, so a later start-up begins clean.
  TOnException Undo([&] { FinalizeUnits(Done); });
  for (; Done < UnitCount; ++Done) Units[Done].Initialize();
  InitCount = 1;
}

void FinalizePPReport() {
  if (InitCount == 0 || --InitCount > 0) return;
  FinalizeUnits(UnitCount);
}

std::vector<const TClassInfo*> RegisteredPPClasses() {
  std::lock_guard<std::mutex> Guard(ClassesLock());
  return Classes();
}

void RegisterPPClasses(std::initializer_list<const TClassInfo*> Infos) {
  for (const TClassInfo* I : Infos) {
    RegisterClass(*I);
    std::lock_guard<std::mutex> Guard(ClassesLock());
    if (std::find(Classes().begin(), Classes().end(), I) == Classes().end()) Classes().push_back(I);
  }
}

void UnregisterPPClasses(std::initializer_list<const TClassInfo*> Infos) {
  for (const TClassInfo* I : Infos) {
    UnRegisterClass(*I);
    std::lock_guard<std::mutex> Guard(ClassesLock());
    std::erase(Classes(), I);
  }
}
