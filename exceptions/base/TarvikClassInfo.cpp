#include "exceptions/base/TarvikClassInfo.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstring>

#include "exceptions/base/TarvikTexts.h"
#include "platform/rtl/SysUtils.h"

namespace {
bool IsClass(const std::type_info& T) { return dynamic_cast<const abi::__class_type_info*>(&T) != nullptr; }

void Collect(const std::type_info& T, std::vector<const std::type_info*>& Seen) {
  if (std::find(Seen.begin(), Seen.end(), &T) != Seen.end()) return;
  Seen.push_back(&T);
  if (auto* Single = dynamic_cast<const abi::__si_class_type_info*>(&T)) {
    Collect(*Single->__base_type, Seen);
  } else if (auto* Multi = dynamic_cast<const abi::__vmi_class_type_info*>(&T)) {
    for (unsigned I = 0; I < Multi->__base_count; ++I)
      if (Multi->__base_info[I].__is_public_p()) Collect(*Multi->__base_info[I].__base_type, Seen);
  }
}

// The thrown object as T (a public base works), or null.
template <class T>
const T* ThrownAs(const TThrownObject& Thrown) {
  void* Object = Thrown.Object;
  if (!Object || !Thrown.Type || !typeid(T).__do_catch(Thrown.Type, &Object, 1)) return nullptr;
  return static_cast<const T*>(Object);
}
}  // namespace

TThrownObject ThrownObjectOf(const std::exception_ptr& E) {
  TThrownObject R;
  if (!E) return R;
  // The runtime's exception_ptr is the address of the thrown object (the C++ ABI's primary
  // exception), nothing else.
  static_assert(sizeof(std::exception_ptr) == sizeof(void*));
  std::memcpy(&R.Object, &E, sizeof R.Object);
  R.Type = E.__cxa_exception_type();
  return R;
}

std::string ThrownClassName(const TThrownObject& Thrown) {
  return Thrown.Type && IsClass(*Thrown.Type) ? DemangledTypeName(Thrown.Type->name()) : std::string();
}

std::string ExceptionClassName(const std::exception_ptr& E) { return ThrownClassName(ThrownObjectOf(E)); }

TExceptionDescription DescribeThrown(const TThrownObject& Thrown) {
  std::string Class = ThrownClassName(Thrown);
  if (Class.empty()) return {TarvikText::UnknownExceptionType, TarvikText::UnknownErrorMessage};
  if (const Exception* X = ThrownAs<Exception>(Thrown)) return {Class, X->Message()};
  if (const std::exception* X = ThrownAs<std::exception>(Thrown)) return {Class, X->what()};
  return {Class, TarvikText::UnknownErrorMessage};
}

std::vector<std::string> ClassAncestry(const std::type_info& Type) {
  std::vector<std::string> R;
  if (!IsClass(Type)) return R;
  std::vector<const std::type_info*> Seen;
  Collect(Type, Seen);
  for (const std::type_info* T : Seen) R.push_back(DemangledTypeName(T->name()));
  return R;
}

std::string_view LastNamePart(std::string_view Name) {
  int Depth = 0;
  size_t Start = 0;
  for (size_t I = 0; I < Name.size(); ++I) {
    char C = Name[I];
    if (C == '<' || C == '(') ++Depth;
    else if ((C == '>' || C == ')') && Depth > 0) --Depth;
    else if (C == ':' && Depth == 0 && I + 1 < Name.size() && Name[I + 1] == ':') Start = I + 2;
  }
  return Name.substr(Start);
}

bool IsClassNamed(const std::type_info* Type, std::string_view Name) {
  std::string Wanted = UpperCaseAscii(Trim(Name));
  if (Wanted.empty() || !Type) return false;
  for (const std::string& Class : ClassAncestry(*Type)) {
    std::string Upper = UpperCaseAscii(Class);
    if (Upper == Wanted || LastNamePart(Upper) == Wanted) return true;
  }
  return false;
}
