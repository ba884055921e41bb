#include "ppreport/core/ppParameterRTTI.h"

#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"

namespace {
// "Values": read as the parameter's value, written into the parameter (a new name joins the list
// in insert mode).
TraEntry ValuesEntry() {
  TraEntry E;
  E.Name = "Values";
  E.Form = TraForm::Indexed;
  E.Kind = vkMethod;
  E.ReadOnly = true;
  E.HasParams = E.RecordParams = true;
  E.Params = {{"Name", vkString}, {"Value", vkVariant}};
  E.Call = [](TPersistent& O, TraParamList* P, bool Get) {
    auto* L = dynamic_cast<TppParameterList*>(&O);
    if (!L || !P || P->Count() < 2) return false;
    const std::string Name = P->Value<std::string>(0);
    if (Get)
      P->SetValue(1, L->GetParameterValue(Name));
    else
      L->GetItemForName(Name)->SetValue(P->Value<Variant>(1));
    return true;
  };
  return E;
}
}  // namespace

const TraRTTI& TraTppParameterListRTTI() {
  using L = TppParameterList;
  static const TraRTTI Info = TraRTTIDef<L>("TraTppParameterListRTTI", TraTppRelativeRTTI())
                                  .Prop("Count", &L::Count)
                                  .Prop("InsertMode", &L::InsertMode, &L::SetInsertMode)
                                  .Indexed("Items", &L::GetItemForName, {"Name"}).GetOnly()
                                  .Indexed("ItemsByIndex", &L::GetItemForIndex, {"Index"}).GetOnly()
                                  .Entry(ValuesEntry())
                                  .Method("Assign", &L::Assign, {"Source"})
                                  .Method("EqualTo", &L::EqualTo, {"Source"})
                                  .Method("AddName", &L::AddName, {"Name"})
                                  .Method("Add", &L::Add, {"Name", "DataType", "Value"})
                                  .Method("Clear", &L::Clear)
                                  .Method("InList", &L::InList, {"Name"})
                                  .Method("Remove", &L::Remove, {"Name"});
  return Info;
}

// ---- the unit

void InitializeParameterUnit() {
  RegisterPPClasses({&TppParameter::StaticClassInfo(), &TppParameterList::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppParameterListRTTI());
}

void FinalizeParameterUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppParameterListRTTI());
  UnregisterPPClasses({&TppParameter::StaticClassInfo(), &TppParameterList::StaticClassInfo()});
}
