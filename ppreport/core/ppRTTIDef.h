#pragma once
// Builds a descriptor: one chain of calls per descriptor class, in the source file beside the
// described class's descriptors.
//
//   const TraRTTI& TraTppRelativeRTTI() {
//     static const TraRTTI Info = TraRTTIDef<TppRelative>("TraTppRelativeRTTI", TraTppCommunicatorRTTI())
//         .Prop("ChildCount", &TppRelative::GetChildCount)                   // read-only: no setter
//         .Prop("Position", &TppRelative::GetPosition, &TppRelative::SetPosition)
//         .Event("OnCalc", ciCalc, {{"Value", vkVariant, nullptr, "", true}})
//         .Method("CloneNode", &TppTreeNode::CloneNode, {"aNewParent", "aRecurse"})  // + "Result"
//         .Indexed("ChildNodes", &TppTreeNode::GetChildNode, {"Index"}).GetOnly();
//     return Info;
//   }
//
// Kinds follow the C++ types (tra_detail::KindOf): bool, char, integers, enumerations with
// DEFINE_ENUM_INFO (their type name), float/double/long double, std::string, Variant, pointers
// to TObject descendants (their class record when they have one). The modifiers after an entry
// change it: the description (ReadOnly, AsKind, AsEnum, Undescribed), where it is served
// (RefuseWrite, GetOnly, DefaultProp), and whether GetPropList names it (Listed). Names nobody
// here serves go on to the parent descriptor and end in the published properties.
#include <functional>
#include <initializer_list>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "ppreport/core/ppRTTI.h"
#include "ppreport/core/ppTypes.h"

namespace tra_detail {
template <class V>
const TClassInfo& (*ClassOf())() {
  if constexpr (ObjectPointer<V>::value) {
    using U = typename ObjectPointer<V>::Target;
    if constexpr (requires { U::StaticClassInfo(); }) return &U::StaticClassInfo;
  }
  return nullptr;
}

template <class V>
std::string TypeNameOf() {
  if constexpr (std::is_enum_v<V>)
    return EnumInfo<V>().Name;
  else
    return {};
}

template <class A>
TraParamSpec SpecOf(const char* Name) {
  using V = std::remove_cvref_t<A>;
  TraParamSpec S;
  S.Name = Name;
  S.Kind = KindOf<V>();
  S.ClassType = ClassOf<V>();
  S.TypeName = TypeNameOf<V>();
  S.IsVar = std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>;
  return S;
}

template <class F>
struct MethodTraits;
template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  using Args = std::tuple<A...>;
};
template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...) const> : MethodTraits<R (C::*)(A...)> {};

[[noreturn]] void BadParamNames(const char* Descriptor, const char* Name);

// Reads the arguments from the list, calls, writes var arguments and the result back.
template <class T, class F, class R, class... A, size_t... I>
bool CallBound(T& Obj, F Fn, TraParamList* P, std::index_sequence<I...>) {
  constexpr size_t N = sizeof...(A) + (std::is_void_v<R> ? 0 : 1);
  if constexpr (N > 0)
    if (!P || P->Count() < static_cast<int>(N)) return false;
  std::tuple<std::remove_cvref_t<A>...> Args{P->template Value<std::remove_cvref_t<A>>(static_cast<int>(I))...};
  if constexpr (std::is_void_v<R>) {
    std::invoke(Fn, Obj, std::get<I>(Args)...);
  } else {
    std::remove_cvref_t<R> Result = std::invoke(Fn, Obj, std::get<I>(Args)...);
    P->SetValue(static_cast<int>(N - 1), Result);
  }
  if constexpr (sizeof...(A) > 0)
    (
        [&] {
          if (P->GetParamRec(static_cast<int>(I)).IsVar) P->SetValue(static_cast<int>(I), std::get<I>(Args));
        }(),
        ...);
  return true;
}

template <class T, class F, class R, class... A>
bool CallMethodOf(T& Obj, F Fn, TraParamList* P, std::tuple<A...>*) {
  return CallBound<T, F, R, A...>(Obj, Fn, P, std::index_sequence_for<A...>{});
}
}  // namespace tra_detail

template <class T>
class TraRTTIDef : public TraRTTIData {
public:
  TraRTTIDef(const char* AName, const TraRTTI& AParent, const TClassInfo& (*ADescribed)() = &T::StaticClassInfo)
      : TraRTTIData{AName, &AParent, ADescribed, {}, {}} {}

  // A property read through Getter and written through Setter when one is given. Getter: a
  // const member function, a data member or a callable taking const T&; Setter: a member
  // function, a data member, or a callable taking (T&, value).
  template <class G, class S = std::nullptr_t>
  TraRTTIDef& Prop(const char* PropName, G Getter, S Setter = nullptr) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;
    TraEntry E;
    E.Name = PropName;
    E.Kind = tra_detail::KindOf<V>();
    E.Form = E.Kind == vkClass ? TraForm::Class : E.Kind == vkEnum ? TraForm::Enum : TraForm::Plain;
    E.ClassType = tra_detail::ClassOf<V>();
    E.TypeName = tra_detail::TypeNameOf<V>();
    E.ReadOnly = std::is_null_pointer_v<S>;
    E.Get = [Getter](TPersistent& O, TraValueKind K, TraValue& Out) {
      const T* Obj = dynamic_cast<const T*>(&O);
      if (!Obj) return false;
      tra_detail::Store<V>(K, std::invoke(Getter, *Obj), Out);
      return true;
    };
    if constexpr (!std::is_null_pointer_v<S>)
      E.Set = [Setter](TPersistent& O, TraValueKind K, const TraValue& In) {
        T* Obj = dynamic_cast<T*>(&O);
        V Value{};
        if (!Obj || !tra_detail::Load<V>(K, In, Value)) return false;
        typinfo_detail::CallSetter(Setter, *Obj, std::move(Value));
        return true;
      };
    return Add(std::move(E));
  }

  // A name described here and read or written further up the chain (or not at all).
  TraRTTIDef& Describe(const char* PropName, TraValueKind Kind, bool IsReadOnly) {
    TraEntry E;
    E.Name = PropName;
    E.Form = TraForm::Plain;
    E.Kind = Kind;
    E.ReadOnly = IsReadOnly;
    return Add(std::move(E));
  }
  TraRTTIDef& DescribeClass(const char* PropName, const TClassInfo& (*Class)(), bool IsReadOnly) {
    Describe(PropName, vkClass, IsReadOnly);
    Last().Form = TraForm::Class;
    Last().ClassType = Class;
    return *this;
  }
  TraRTTIDef& DescribeEnum(const char* PropName, std::string TypeName, bool IsReadOnly) {
    Describe(PropName, vkEnum, IsReadOnly);
    Last().Form = TraForm::Enum;
    Last().TypeName = std::move(TypeName);
    return *this;
  }

  // An event with its communicator number; with parameters its record carries them.
  TraRTTIDef& Event(const char* EventName, int32_t EventId, std::vector<TraParamSpec> Params = {}) {
    TraEntry E;
    E.Name = EventName;
    E.Form = TraForm::Event;
    E.Kind = vkMethod;
    E.ReadOnly = true;
    E.EventId = EventId;
    E.HasParams = E.RecordParams = !Params.empty();
    E.Params = std::move(Params);
    return Add(std::move(E));
  }

  // A method of the described class: its parameters come from Fn's signature, named by
  // ParamNames in order (a non-const reference is a var parameter), and a result becomes the last
  // parameter "Result". CallMethod reads the arguments from the bound list and writes back.
  template <class F>
  TraRTTIDef& Method(const char* MethodName, F Fn, std::initializer_list<const char*> ParamNames = {}) {
    using Traits = tra_detail::MethodTraits<F>;
    using R = typename Traits::Result;
    using Args = typename Traits::Args;
    static_assert(std::is_base_of_v<typename Traits::Class, T>);
    if (ParamNames.size() != std::tuple_size_v<Args>) tra_detail::BadParamNames(Name, MethodName);
    TraEntry E;
    E.Name = MethodName;
    E.Form = TraForm::Method;
    E.Kind = vkMethod;
    E.ReadOnly = true;
    AddSpecs(E.Params, ParamNames.begin(), static_cast<Args*>(nullptr));
    if constexpr (!std::is_void_v<R>) E.Params.push_back(tra_detail::SpecOf<R>("Result"));
    E.HasParams = E.RecordParams = !E.Params.empty();
    E.Call = [Fn](TPersistent& O, TraParamList* P, bool) {
      T* Obj = dynamic_cast<T*>(&O);
      return Obj && tra_detail::CallMethodOf<T, F, R>(*Obj, Fn, P, static_cast<Args*>(nullptr));
    };
    return Add(std::move(E));
  }
  // A method with a call of its own: Call reads and writes the list itself.
  TraRTTIDef& Method(const char* MethodName, std::vector<TraParamSpec> Params,
                     std::function<void(T&, TraParamList*)> Call) {
    TraEntry E;
    E.Name = MethodName;
    E.Form = TraForm::Method;
    E.Kind = vkMethod;
    E.ReadOnly = true;
    E.HasParams = E.RecordParams = !Params.empty();
    E.Params = std::move(Params);
    size_t Needed = E.Params.size();
    E.Call = [Call, Needed](TPersistent& O, TraParamList* P, bool) {
      T* Obj = dynamic_cast<T*>(&O);
      if (!Obj || (Needed > 0 && (!P || P->Count() < static_cast<int>(Needed)))) return false;
      Call(*Obj, P);
      return true;
    };
    return Add(std::move(E));
  }
  // An indexed property served by CallMethod: a method whose parameters are the indexes.
  template <class F>
  TraRTTIDef& Indexed(const char* PropName, F Fn, std::initializer_list<const char*> IndexNames) {
    Method(PropName, Fn, IndexNames);
    Last().Form = TraForm::Indexed;
    return *this;
  }
  // An indexed property with a call of its own.
  TraRTTIDef& Indexed(const char* PropName, std::vector<TraParamSpec> Params,
                      std::function<void(T&, TraParamList*)> Call) {
    Method(PropName, std::move(Params), std::move(Call));
    Last().Form = TraForm::Indexed;
    return *this;
  }
  // Any other entry.
  TraRTTIDef& Entry(TraEntry E) { return Add(std::move(E)); }
  // Hides a published event from GetEventList (it is still described).
  TraRTTIDef& HideEvent(const char* EventName) {
    HiddenEvents.push_back(EventName);
    return *this;
  }

  // ---- modifiers of the last entry
  // The description only: a setter may still write a name described read-only.
  TraRTTIDef& ReadOnly(bool Value = true) {
    Last().ReadOnly = Value;
    return *this;
  }
  // Another kind for the same C++ value: vkDateTime, vkDate, vkTime for a double, vkCurrency.
  TraRTTIDef& AsKind(TraValueKind Kind) {
    Last().Kind = Kind;
    return *this;
  }
  // An integer described as an enumeration, moved whole ("TColor").
  TraRTTIDef& AsEnum(std::string TypeName) {
    Last().Kind = vkEnum;
    Last().Form = TraForm::Enum;
    Last().TypeName = std::move(TypeName);
    return *this;
  }
  // Served here, described further up.
  TraRTTIDef& Undescribed() {
    Last().Form = TraForm::None;
    return *this;
  }
  // SetPropValue answers False for the name.
  TraRTTIDef& RefuseWrite() {
    Last().Set = [](TPersistent&, TraValueKind, const TraValue&) { return false; };
    return *this;
  }
  // No writer here: writes go further up (the published property, or False).
  TraRTTIDef& WriteElsewhere() {
    Last().Set = nullptr;
    return *this;
  }
  // CallMethod serves the name only when asked to get (aGet True); else it goes further up.
  TraRTTIDef& GetOnly() {
    auto Call = Last().Call;
    Last().Call = [Call](TPersistent& O, TraParamList* P, bool Get) { return Get && Call(O, P, Get); };
    return *this;
  }
  // Also serves the empty name (the default indexed property).
  TraRTTIDef& DefaultProp() {
    Last().DefaultIndexed = true;
    return *this;
  }
  // Whether the method or event record carries the parameter list (GetParams answers it anyway).
  TraRTTIDef& RecordParams(bool Value) {
    Last().RecordParams = Value;
    return *this;
  }
  TraRTTIDef& Listed() {
    Last().Listed = true;
    return *this;
  }

private:
  TraRTTIDef& Add(TraEntry E) {
    Entries.push_back(std::move(E));
    return *this;
  }
  TraEntry& Last() { return Entries.back(); }
  template <class... A>
  static void AddSpecs(std::vector<TraParamSpec>& Specs, [[maybe_unused]] const char* const* Names, std::tuple<A...>*) {
    [[maybe_unused]] size_t I = 0;
    (Specs.push_back(tra_detail::SpecOf<A>(Names[I++])), ...);
  }
};
