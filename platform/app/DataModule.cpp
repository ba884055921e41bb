#include "platform/app/DataModule.h"

#include <algorithm>
#include <vector>

namespace {
// Main thread only, like the forms that own data modules.
std::vector<TDataModule*>& Modules() {
  static std::vector<TDataModule*> List;
  return List;
}
}  // namespace

const TClassInfo& TDataModule::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TDataModule>("TDataModule", &TComponent::StaticClassInfo());
  return Info;
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) { Modules().push_back(this); }

TDataModule::~TDataModule() {
  auto& L = Modules();
  L.erase(std::remove(L.begin(), L.end(), this), L.end());
}

int DataModuleCount() { return static_cast<int>(Modules().size()); }

TDataModule* DataModules(int Index) { return Modules().at(static_cast<size_t>(Index)); }
