#include "platform/classes/TypInfo.h"

#include <mutex>

#include "platform/classes/Classes.h"
#include "platform/classes/ClassesConsts.h"

int TEnumInfo::IndexOf(std::string_view Value) const {
  for (size_t I = 0; I < Values.size(); ++I)
    if (SameTextAscii(Values[I], Value)) return static_cast<int>(I);
  return -1;
}

std::string TEnumInfo::NameOf(int64_t Ordinal) const {
  if (Ordinal < 0 || Ordinal >= static_cast<int64_t>(Values.size())) return {};
  return Values[static_cast<size_t>(Ordinal)];
}

const TPropInfo* TClassInfo::FindProp(std::string_view PropName) const {
  for (const TClassInfo* C = this; C; C = C->Parent)
    for (const TPropInfo& P : C->Props)
      if (SameTextAscii(P.Name, PropName)) return &P;
  return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(std::string_view MethodName) const {
  for (const TClassInfo* C = this; C; C = C->Parent)
    for (const TMethodInfo& M : C->Methods)
      if (SameTextAscii(M.Name, MethodName)) return &M;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
  std::vector<const TClassInfo*> Chain;
  for (const TClassInfo* C = this; C; C = C->Parent) Chain.push_back(C);
  std::vector<const TPropInfo*> Result;
  // A property a descendant publishes again under the same name hides the ancestor's (as FindProp
  // finds it): streams write it once, and read it through the descendant's.
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    for (const TPropInfo& P : (*It)->Props)
      if (FindProp(P.Name) == &P) Result.push_back(&P);
  return Result;
}

void typinfo_detail::InvalidPropertyValue() { throw EReadError(SInvalidPropertyValue); }

// ---- registry

namespace {
std::mutex& RegistryLock() {
  static std::mutex M;
  return M;
}
std::vector<const TClassInfo*>& Registry() {
  static std::vector<const TClassInfo*> R;
  return R;
}
const TClassInfo* Lookup(std::string_view ClassName) {
  for (const TClassInfo* C : Registry())
    if (SameTextAscii(C->Name, ClassName)) return C;
  return nullptr;
}
}  // namespace

void RegisterClass(const TClassInfo& Info) {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  const TClassInfo* Found = Lookup(Info.Name);
  if (Found == &Info) return;
  if (Found) throw EFilerError(Format(SDuplicateClass, {Info.Name}));
  Registry().push_back(&Info);
}

void RegisterClasses(std::initializer_list<const TClassInfo*> Infos) {
  for (const TClassInfo* I : Infos) RegisterClass(*I);
}

void UnRegisterClass(const TClassInfo& Info) {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  auto& R = Registry();
  std::erase(R, &Info);
}

const TClassInfo* GetClass(std::string_view ClassName) {
  std::lock_guard<std::mutex> Guard(RegistryLock());
  return Lookup(ClassName);
}

const TClassInfo& FindClass(std::string_view ClassName) {
  const TClassInfo* C = GetClass(ClassName);
  if (!C) throw EClassNotFound(Format(SClassNotFound, {ClassName}));
  return *C;
}
