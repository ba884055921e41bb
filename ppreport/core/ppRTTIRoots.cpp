// The descriptor base and the descriptors of the class library's three root classes.
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppRTTIDef.h"

namespace {
// The class a constructor call creates: the "Class" parameter's record names it.
const TClassInfo* ClassParam(const TraParamList& P) {
  int I = P.IndexOfParam("Class");
  return I < 0 ? nullptr : P.GetParamRec(I).ClassType;
}

// Writes a made object into "Result", or frees it when the list has no place for it.
bool GiveResult(TraParamList& P, TPersistent* Made) {
  int I = P.IndexOfParam("Result");
  if (I >= 0 && P.SetValue<TObject*>(I, Made)) return true;
  if (auto* C = dynamic_cast<TComponent*>(Made))
    C->Free();
  else
    delete Made;
  return false;
}

// "Create" of every object: a constructor without parameters of its own (the record adds "Class"
// and "Result"); makes an object of the class the "Class" parameter names, without owner.
TraEntry ObjectConstructor() {
  TraEntry E;
  E.Name = "Create";
  E.Form = TraForm::Constructor;
  E.Kind = vkMethod;
  E.ReadOnly = true;
  E.HasParams = true;
  E.Listed = true;
  E.Call = [](TPersistent&, TraParamList* P, bool) {
    const TClassInfo* Class = P ? ClassParam(*P) : nullptr;
    if (!Class || !Class->Create) return false;
    return GiveResult(*P, Class->Create(nullptr));
  };
  return E;
}

// "Create" of components: the owner comes first.
TraEntry ComponentConstructor() {
  TraEntry E = ObjectConstructor();
  E.Listed = false;
  E.Params = {{"Owner", vkClass, &TComponent::StaticClassInfo}};
  E.Call = [](TPersistent&, TraParamList* P, bool) {
    const TClassInfo* Class = P ? ClassParam(*P) : nullptr;
    if (!Class || !Class->Create || !Class->InheritsFrom(&TComponent::StaticClassInfo())) return false;
    return GiveResult(*P, Class->Create(P->Value<TComponent*>(0)));
  };
  return E;
}
}  // namespace

const TraRTTI& TraRTTIBase() {
  static TraRTTIData Data{"TraRTTI", nullptr, &TObjectClassInfo, {}, {}};
  static const TraRTTI Info = Data;
  return Info;
}

const TraRTTI& TraTObjectRTTI() {
  static const TraRTTI Info =
      TraRTTIDef<TPersistent>("TraTObjectRTTI", TraRTTIBase(), &TObjectClassInfo)
          .Method("ClassName", {{"Result", vkString}},
                  [](TPersistent& O, TraParamList* P) { P->SetValue<std::string>(0, O.ClassName()); })
          .Listed()
          .Entry(ObjectConstructor())
          .Method("Free", {},
                  [](TPersistent& O, TraParamList*) {
                    if (auto* C = dynamic_cast<TComponent*>(&O))
                      C->Free();
                    else
                      delete &O;
                  })
          .Listed();
  return Info;
}

const TraRTTI& TraTPersistentRTTI() {
  static const TraRTTI Info =
      TraRTTIDef<TPersistent>("TraTPersistentRTTI", TraTObjectRTTI())
          .Method("Assign", {{"Source", vkClass, &TPersistent::StaticClassInfo}},
                  [](TPersistent& O, TraParamList* P) { O.Assign(P->Value<TPersistent*>(0)); })
          .Listed();
  return Info;
}

const TraRTTI& TraTComponentRTTI() {
  static const TraRTTI Info =
      TraRTTIDef<TComponent>("TraTComponentRTTI", TraTPersistentRTTI())
          .Prop("Owner", &TComponent::Owner)
          .ReadOnly(false)  // described writable; nothing writes it
          .Listed()
          .Entry(ComponentConstructor())
          .Prop("Tag", [](const TComponent& C) { return static_cast<int32_t>(C.Tag()); },
                [](TComponent& C, int32_t V) { C.SetTag(V); })
          .Undescribed();
  return Info;
}

void tra_detail::BadParamNames(const char* Descriptor, const char* Name) {
  throw ETalvorError(ppErrorText(Descriptor, "Method", Format(SppParamNamesMismatch, {Name})));
}
