#include "lxreport/LXRegister.h"

#include "platform/data/DB.h"
#include "platform/data/DBTables.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataModule.h"

namespace {
// In the registration order of the report library. The band, group, sub-detail,
// printable and child-band classes join this list as they are built.
const TClassInfo* const kClasses[] = {
    &TTable::StaticClassInfo(),
    &TQuery::StaticClassInfo(),
};

void AddDataSets(TComponent* Owner, TStringList& List, bool Recurse) {
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* C = Owner->Components(I);
    if (auto* D = dynamic_cast<TDataSet*>(C))
      List.AddObject(D->Name(), D);
    else if (Recurse && dynamic_cast<TWinControl*>(C))
      AddDataSets(C, List, true);
  }
}
}  // namespace

void RegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) RegisterClass(*C);
}

void UnRegisterLXReportClasses() {
  for (const TClassInfo* C : kClasses) UnRegisterClass(*C);
}

std::unique_ptr<TStringList> ListDataSets(TComponent* Form, bool IncludeDataModules) {
  auto List = std::make_unique<TStringList>();
  if (Form) AddDataSets(Form, *List, true);
  if (IncludeDataModules)
    for (int I = 0; I < DataModuleCount(); ++I) AddDataSets(DataModules(I), *List, false);
  return List;
}
