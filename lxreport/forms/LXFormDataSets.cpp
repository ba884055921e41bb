#include "lxreport/forms/LXFormDataSets.h"

#include "platform/app/DataModule.h"
#include "platform/data/DB.h"
#include "platform/forms/Controls.h"

namespace {
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

std::unique_ptr<TStringList> ListDataSets(TComponent* Form, bool IncludeDataModules) {
  auto List = std::make_unique<TStringList>();
  if (Form) AddDataSets(Form, *List, true);
  if (IncludeDataModules)
    for (int I = 0; I < DataModuleCount(); ++I) AddDataSets(DataModules(I), *List, false);
  return List;
}
