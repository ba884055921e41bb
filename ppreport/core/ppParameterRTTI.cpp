#include "ppreport/core/ppParameterRTTI.h"

#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppParameter.h"
#include "ppreport/core/ppRTTIDef.h"
#include "ppreport/core/ppUnits.h"

namespace {
// "Values" (also the empty name): read as the parameter's value; with aGet False the value in
// "Result" is written into the parameter (a new name joins the list in insert mode).
TraEntry ValuesEntry() {
  TraEntry E;
  E.Name = "Values";
  E.Form = TraForm::Indexed;
  E.Kind = vkMethod;
  E.ReadOnly = true;
  E.HasParams = E.RecordParams = true;
  E.Listed = true;
  E.DefaultIndexed = true;
  E.Params = {{"Name", vkString}, {"Result", vkVariant}};
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

// "Source" is an object parameter, so the typed transfer moves it and "Assign" works.
TraParamSpec SourceParam() { return {"Source", vkClass, &TppParameterList::StaticClassInfo}; }
}  // namespace

const TraRTTI& TraTppParameterListRTTI() {
  using L = TppParameterList;
  static const TraRTTI Info =
      TraRTTIDef<L>("TraTppParameterListRTTI", TraTppRelativeRTTI())
          .Method("Assign", {SourceParam()}, [](L& O, TraParamList* P) { O.Assign(P->Value<TPersistent*>(0)); })
          .Listed()
          .Method("EqualTo", {SourceParam(), {"Result", vkBoolean}},
                  [](L& O, TraParamList* P) {
                    auto* Other = dynamic_cast<L*>(P->Value<TPersistent*>(0));
                    P->SetValue<bool>(1, Other && O.EqualTo(Other));
                  })
          .Listed()
          .Method("AddName", &L::AddName, {"Name"})
          .Listed()
          .Method("Add", &L::Add, {"Name", "DataType", "Value"})
          .Listed()
          .Method("Clear", &L::Clear)
          .Listed()
          .Method("InList", &L::InList, {"Name"})
          .Listed()
          .Method("Remove", &L::Remove, {"Name"})
          .Listed()
          .Prop("Count", &L::Count)
          .Listed()
          .Prop("InsertMode", &L::InsertMode, &L::SetInsertMode)
          .Listed()
          .Indexed("Items", &L::GetItemForName, {"Name"})
          .Listed()
          .Indexed("ItemsByIndex", &L::GetItemForIndex, {"Index"})
          .Listed()
          .Entry(ValuesEntry());
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
