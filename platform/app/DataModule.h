#pragma once
// A non-visual container of components. Every live data module is listed in
// creation order, as the application's data modules.
#include "platform/classes/Classes.h"

class TDataModule : public TComponent {
  DECLARE_CLASSINFO(TDataModule)
public:
  explicit TDataModule(TComponent* AOwner);
  ~TDataModule() override;
};

int DataModuleCount();
TDataModule* DataModules(int Index);
