#include "ppreport/core/ppFormRegistry.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppTypes.h"

namespace {
struct TFormEntry {
  std::string Role;
  const TClassInfo* FormClass;
};

// Unsorted, in registration order; the main thread registers and asks.
std::vector<TFormEntry>& Entries() {
  static std::vector<TFormEntry> List;
  return List;
}

std::vector<TFormEntry>::iterator Find(std::string_view Role) {
  auto& L = Entries();
  for (auto I = L.begin(); I != L.end(); ++I)
    if (SameTextAscii(I->Role, Role)) return I;
  return L.end();
}
}  // namespace

void RegisterFormClass(std::string_view Role, const TClassInfo& FormClass) {
  UnregisterFormClass(Role);
  RegisterClass(FormClass);
  Entries().push_back({std::string(Role), &FormClass});
}

void UnregisterFormClass(std::string_view Role) {
  if (Role.empty()) return;
  auto I = Find(Role);
  if (I == Entries().end()) return;
  UnRegisterClass(*I->FormClass);
  Entries().erase(I);
}

const TClassInfo* GetFormClass(std::string_view Role) {
  auto I = Find(Role);
  return I == Entries().end() ? nullptr : I->FormClass;
}

TComponent* CreateFormOfRole(std::string_view Role, TComponent* Owner) {
  const TClassInfo* C = GetFormClass(Role);
  if (!C || !C->Create) throw ETalvorError(Format(SppNoFormClass, {std::string(Role)}));
  TPersistent* Made = C->Create(Owner);
  auto* Form = dynamic_cast<TComponent*>(Made);
  if (!Form) {
    delete Made;
    throw ETalvorError(Format(SppNoFormClass, {std::string(Role)}));
  }
  return Form;
}
