// The process-wide descriptor registry. Every access holds one lock: registration runs at
// start-up and shutdown, lookups may come from a background print thread.
#include <memory>
#include <mutex>

#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppUnits.h"

namespace {
std::mutex& RegistryLock() {
  static std::mutex M;
  return M;
}
// In registration order; created on first use, freed by Finalize.
std::unique_ptr<std::vector<const TraRTTI*>>& Registry() {
  static std::unique_ptr<std::vector<const TraRTTI*>> L;
  return L;
}

const TraRTTI* FindByClassName(std::string_view Name) {
  for (const TraRTTI* D : *Registry())
    if (SameTextAscii(D->DescribedClass().Name, Name)) return D;
  return nullptr;
}
}  // namespace

void TraRTTIClassRegistry::Initialize() {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  if (!Registry()) Registry() = std::make_unique<std::vector<const TraRTTI*>>();
}

void TraRTTIClassRegistry::Finalize() {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  if (!Registry()) return;
  for (const TraRTTI* D : *Registry()) UnregisterPPClasses({&D->ClassInfo()});
  Registry().reset();
}

void TraRTTIClassRegistry::RegisterRTTIClass(const TraRTTI& Descriptor) {
  Initialize();
  std::lock_guard<std::mutex> Guard(RegistryLock());
  if (FindByClassName(Descriptor.DescribedClass().Name)) return;
  RegisterPPClasses({&Descriptor.ClassInfo()});
  Registry()->push_back(&Descriptor);
}

void TraRTTIClassRegistry::UnregisterRTTIClass(const TraRTTI& Descriptor) {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  if (!Registry()) return;
  const TraRTTI* Found = FindByClassName(Descriptor.DescribedClass().Name);
  if (!Found) return;
  UnregisterPPClasses({&Found->ClassInfo()});
  std::erase(*Registry(), Found);
}

// The nearest described ancestor wins: Class itself, then its parents, then TObject. This is
// the most derived descriptor along the class's own line, also for the descriptors whose own
// lineage departs from their described class's.
const TraRTTI* TraRTTIClassRegistry::GetRTTIClass(const TClassInfo& Class) {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  if (!Registry()) return nullptr;
  for (const TClassInfo* C = &Class; C; C = C->Parent)
    if (const TraRTTI* D = FindByClassName(C->Name)) return D;
  return FindByClassName(TObjectClassInfo().Name);
}

int TraRTTIClassRegistry::Count() {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  return Registry() ? static_cast<int>(Registry()->size()) : 0;
}

void InitializeRTTIUnit() {
  TraRTTIClassRegistry::Initialize();
  TraRTTIClassRegistry::RegisterRTTIClass(TraTObjectRTTI());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTComponentRTTI());
}

void FinalizeRTTIUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTObjectRTTI());
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTComponentRTTI());
  TraRTTIClassRegistry::Finalize();
}
