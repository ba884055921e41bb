#pragma once
// Class tables: one static record per class (name, parent, factory, published
// properties, published methods). The class registry, component streaming and
// the pp descriptors all read these same tables.
//
// Declaring a class:
//   class TFoo : public TComponent {
//     DECLARE_CLASSINFO(TFoo)
//   public: ...
//   };
// and in the source file:
//   const TClassInfo& TFoo::StaticClassInfo() {
//     static const TClassInfo Info = TClassDef<TFoo>("TFoo", &TComponent::StaticClassInfo())
//         .Prop("Caption", &TFoo::Caption, &TFoo::SetCaption)
//         .Prop("Count", &TFoo::Count, &TFoo::SetCount).Default(0)
//         .Event("OnPrint", &TFoo::OnPrint);
//     return Info;
//   }
// The property kind follows from the getter's type (see TClassDef::Prop).
#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class TPersistent;
class TComponent;

// Property kinds as the component stream distinguishes them.
enum class TPropKind { Integer, Int64, Char, Enum, Boolean, Set, Float, String, Class, Method };
// How a float property is stored: Single, Double (written as extended), Extended, Currency, Date.
enum class TFloatType { Single, Double, Extended, Comp, Currency, Date };

// An enumerated type: value names by ordinal. The names are also the stream text.
struct TEnumInfo {
  std::string Name;
  std::vector<std::string> Values;
  // Ordinal of a value name (ignoring ASCII case), or -1.
  int IndexOf(std::string_view Value) const;
  // Name of an ordinal, or empty when out of range.
  std::string NameOf(int64_t Ordinal) const;
};

// The enum record of an enumerated type; give one with DEFINE_ENUM_INFO next to the enum.
template <class E>
const TEnumInfo& EnumInfo() {
  static_assert(sizeof(E) == 0, "no DEFINE_ENUM_INFO for this enumeration");
  static TEnumInfo None;
  return None;
}
//   enum TAlignment { taLeftJustify, taRightJustify, taCenter };
//   DEFINE_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
#define DEFINE_ENUM_INFO(Type, ...)                                \
  template <>                                                      \
  inline const TEnumInfo& EnumInfo<Type>() {                       \
    static const TEnumInfo Info{#Type, {__VA_ARGS__}};             \
    return Info;                                                   \
  }

// A streamed event value: the handler's name on the root and the handler bound to it.
// Code holds a std::function of the event's own signature.
struct TMethod {
  std::string Name;
  std::any Code;
  bool Assigned() const { return !Name.empty(); }
};

// An event that can be streamed: a std::function that also remembers the name of the
// published method it was bound to. Assigning code clears the name.
template <class Sig>
class TEvent : public std::function<Sig> {
public:
  using Function = std::function<Sig>;
  TEvent() = default;
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TEvent> && std::is_constructible_v<Function, F>)
  TEvent(F&& Fn) : Function(std::forward<F>(Fn)) {}
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, TEvent> && std::is_assignable_v<Function&, F>)
  TEvent& operator=(F&& Fn) {
    Function::operator=(std::forward<F>(Fn));
    FMethodName.clear();
    return *this;
  }
  const std::string& MethodName() const { return FMethodName; }
  void SetMethod(std::string Name, Function Code) {
    Function::operator=(std::move(Code));
    FMethodName = std::move(Name);
  }

private:
  std::string FMethodName;
};

// Ordinal properties without a default are always written.
constexpr int64_t NoDefault = std::numeric_limits<int64_t>::min();

struct TClassInfo;

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  TFloatType FloatType = TFloatType::Extended;
  const TEnumInfo* Enum = nullptr;                    // Enum, and the element type of a Set
  const TClassInfo& (*ClassType)() = nullptr;         // Class: the declared class
  int64_t Default = NoDefault;                        // ordinal kinds
  std::function<bool(const TPersistent*)> StoredFn;   // null: always stored

  // Accessors; only those of the property's kind are set. Set* are null for read-only properties.
  std::function<int64_t(const TPersistent*)> GetOrd;  // Integer, Int64, Char, Enum, Boolean, Set (bits by ordinal)
  std::function<void(TPersistent*, int64_t)> SetOrd;
  std::function<long double(const TPersistent*)> GetFloat;
  std::function<void(TPersistent*, long double)> SetFloat;
  std::function<std::string(const TPersistent*)> GetStr;  // String (UTF-8), Char as one character
  std::function<void(TPersistent*, const std::string&)> SetStr;
  std::function<TPersistent*(const TPersistent*)> GetObj;
  // Raises EReadError when the object is not of the property's class.
  std::function<void(TPersistent*, TPersistent*)> SetObj;
  std::function<TMethod(const TPersistent*)> GetMethod;
  // Raises EReadError when the code is not of the event's signature.
  std::function<void(TPersistent*, const TMethod&)> SetMethod;

  bool IsStored(const TPersistent* Instance) const { return !StoredFn || StoredFn(Instance); }
  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObj || SetMethod; }
};

// A published method: a named handler that events read from a stream are bound to.
struct TMethodInfo {
  std::string Name;
  // Returns a std::function of the method's signature bound to Instance.
  std::function<std::any(TPersistent* Instance)> Bind;
};

struct TClassInfo {
  TClassInfo() = default;
  TClassInfo(const char* AName, const TClassInfo* AParent, TPersistent* (*ACreate)(TComponent*),
             std::vector<TPropInfo> AProps = {})
      : Name(AName), Parent(AParent), Create(ACreate), Props(std::move(AProps)) {}

  const char* Name = "";
  const TClassInfo* Parent = nullptr;
  // Creates an instance with the given owner (null for abstract classes).
  TPersistent* (*Create)(TComponent* Owner) = nullptr;
  std::vector<TPropInfo> Props;  // this class's own published properties, in order
  std::vector<TMethodInfo> Methods;

  bool InheritsFrom(const TClassInfo* Other) const {
    for (const TClassInfo* C = this; C; C = C->Parent)
      if (C == Other) return true;
    return false;
  }
  // Looks through this class and its ancestors, ignoring ASCII case.
  const TPropInfo* FindProp(std::string_view PropName) const;
  const TMethodInfo* FindMethod(std::string_view MethodName) const;
  // Every published property, the ancestors' first (the stream order).
  std::vector<const TPropInfo*> AllProps() const;
};

namespace typinfo_detail {
template <class T>
struct IsEvent : std::false_type {};
template <class Sig>
struct IsEvent<TEvent<Sig>> : std::true_type {};

[[noreturn]] void InvalidPropertyValue();

// Calls a setter that is a member function, a data member or a callable on (T&, V).
template <class T, class S, class V>
void CallSetter(const S& Setter, T& Obj, V&& Value) {
  if constexpr (std::is_member_object_pointer_v<S>)
    Obj.*Setter = std::forward<V>(Value);
  else
    std::invoke(Setter, Obj, std::forward<V>(Value));
}
}  // namespace typinfo_detail

// Builds a class record; see the top of this file. Each Prop call adds one published
// property; Default, NoDefault, Stored and AsFloat change the last one added.
// Getter: a const member function, a data member, or a callable taking const T&.
// Setter: a member function, a data member, a callable taking (T&, value), or nullptr.
// Kinds by the getter's type: bool -> Boolean; char -> Char; other integers of up to
// 32 bits -> Integer; 64-bit integers -> Int64; an enumeration with DEFINE_ENUM_INFO ->
// Enum; float/double/long double -> Float (Single/Double/Extended); std::string ->
// String; a pointer to a TPersistent descendant -> Class (a component is written as a
// reference, any other persistent as its own properties under a dotted name).
template <class T>
class TClassDef {
public:
  TClassDef(const char* Name, const TClassInfo* Parent) {
    FInfo.Name = Name;
    FInfo.Parent = Parent;
    if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, TComponent*>)
      FInfo.Create = [](TComponent* Owner) -> TPersistent* { return new T(Owner); };
    else if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
      FInfo.Create = [](TComponent*) -> TPersistent* { return new T(); };
  }

  template <class G, class S = std::nullptr_t>
  TClassDef& Prop(const char* Name, G Getter, S Setter = nullptr) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;
    TPropInfo P;
    P.Name = Name;
    constexpr bool HasSetter = !std::is_null_pointer_v<S>;
    if constexpr (std::is_same_v<V, bool>) {
      P.Kind = TPropKind::Boolean;
      P.GetOrd = [Getter](const TPersistent* O) -> int64_t { return std::invoke(Getter, Self(O)) ? 1 : 0; };
      if constexpr (HasSetter)
        P.SetOrd = [Setter](TPersistent* O, int64_t V1) { typinfo_detail::CallSetter(Setter, Self(O), V1 != 0); };
    } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
      if constexpr (std::is_same_v<V, char>)
        P.Kind = TPropKind::Char;
      else if constexpr (std::is_enum_v<V>) {
        P.Kind = TPropKind::Enum;
        P.Enum = &EnumInfo<V>();
      } else
        P.Kind = sizeof(V) > 4 ? TPropKind::Int64 : TPropKind::Integer;
      P.GetOrd = [Getter](const TPersistent* O) -> int64_t {
        return static_cast<int64_t>(std::invoke(Getter, Self(O)));
      };
      if constexpr (HasSetter)
        P.SetOrd = [Setter](TPersistent* O, int64_t V1) {
          typinfo_detail::CallSetter(Setter, Self(O), static_cast<V>(V1));
        };
    } else if constexpr (std::is_floating_point_v<V>) {
      P.Kind = TPropKind::Float;
      P.FloatType = std::is_same_v<V, float>    ? TFloatType::Single
                    : std::is_same_v<V, double> ? TFloatType::Double
                                                : TFloatType::Extended;
      P.GetFloat = [Getter](const TPersistent* O) -> long double { return std::invoke(Getter, Self(O)); };
      if constexpr (HasSetter)
        P.SetFloat = [Setter](TPersistent* O, long double V1) {
          typinfo_detail::CallSetter(Setter, Self(O), static_cast<V>(V1));
        };
    } else if constexpr (std::is_same_v<V, std::string>) {
      P.Kind = TPropKind::String;
      P.GetStr = [Getter](const TPersistent* O) -> std::string { return std::invoke(Getter, Self(O)); };
      if constexpr (HasSetter)
        P.SetStr = [Setter](TPersistent* O, const std::string& V1) { typinfo_detail::CallSetter(Setter, Self(O), V1); };
    } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TPersistent, std::remove_pointer_t<V>>) {
      using C = std::remove_cv_t<std::remove_pointer_t<V>>;
      P.Kind = TPropKind::Class;
      P.ClassType = &C::StaticClassInfo;
      P.GetObj = [Getter](const TPersistent* O) -> TPersistent* {
        return const_cast<C*>(static_cast<const C*>(std::invoke(Getter, Self(O))));
      };
      if constexpr (HasSetter)
        P.SetObj = [Setter](TPersistent* O, TPersistent* V1) {
          C* Typed = dynamic_cast<C*>(V1);
          if (V1 && !Typed) typinfo_detail::InvalidPropertyValue();
          typinfo_detail::CallSetter(Setter, Self(O), Typed);
        };
    } else {
      static_assert(sizeof(V) == 0, "unsupported published property type");
    }
    FInfo.Props.push_back(std::move(P));
    return *this;
  }

  // A set of enumeration E, held as bits by ordinal in any integer type.
  template <class E, class G, class S = std::nullptr_t>
  TClassDef& SetProp(const char* Name, G Getter, S Setter = nullptr) {
    using V = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;
    static_assert(std::is_integral_v<V>, "a set is held as integer bits");
    TPropInfo P;
    P.Name = Name;
    P.Kind = TPropKind::Set;
    P.Enum = &EnumInfo<E>();
    P.GetOrd = [Getter](const TPersistent* O) -> int64_t { return static_cast<int64_t>(std::invoke(Getter, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      P.SetOrd = [Setter](TPersistent* O, int64_t V1) { typinfo_detail::CallSetter(Setter, Self(O), static_cast<V>(V1)); };
    FInfo.Props.push_back(std::move(P));
    return *this;
  }

  // An event: a TEvent<Sig> data member (of T or of a base class).
  template <class Sig, class C>
  TClassDef& Event(const char* Name, TEvent<Sig> C::*Field) {
    static_assert(std::is_base_of_v<C, T>);
    TPropInfo P;
    P.Name = Name;
    P.Kind = TPropKind::Method;
    P.GetMethod = [Field](const TPersistent* O) -> TMethod {
      const TEvent<Sig>& E = Self(O).*Field;
      if (!E || E.MethodName().empty()) return {};
      return {E.MethodName(), std::any(static_cast<const std::function<Sig>&>(E))};
    };
    P.SetMethod = [Field](TPersistent* O, const TMethod& M) {
      TEvent<Sig>& E = Self(O).*Field;
      if (!M.Assigned()) {
        E = nullptr;
        return;
      }
      const auto* Code = std::any_cast<std::function<Sig>>(&M.Code);
      if (!Code) typinfo_detail::InvalidPropertyValue();
      E.SetMethod(M.Name, *Code);
    };
    FInfo.Props.push_back(std::move(P));
    return *this;
  }

  // A published method that streamed events may name.
  template <class C, class R, class... A>
  TClassDef& Method(const char* Name, R (C::*Fn)(A...)) {
    static_assert(std::is_base_of_v<C, T>);
    FInfo.Methods.push_back({Name, [Fn](TPersistent* O) -> std::any {
                               C* Obj = &static_cast<T&>(*O);
                               return std::any(std::function<R(A...)>(
                                   [Obj, Fn](A... Args) -> R { return (Obj->*Fn)(std::forward<A>(Args)...); }));
                             }});
    return *this;
  }

  TClassDef& Default(int64_t Value) {
    FInfo.Props.back().Default = Value;
    return *this;
  }
  TClassDef& NoDefault() { return Default(::NoDefault); }
  TClassDef& Stored(bool Value) {
    FInfo.Props.back().StoredFn = [Value](const TPersistent*) { return Value; };
    return *this;
  }
  // A const member function or a callable taking const T&.
  template <class F>
  TClassDef& Stored(F Fn) {
    FInfo.Props.back().StoredFn = [Fn](const TPersistent* O) -> bool { return std::invoke(Fn, Self(O)); };
    return *this;
  }
  // How a float property is streamed (Currency: tag 16; Date: tag 17).
  TClassDef& AsFloat(TFloatType Type) {
    FInfo.Props.back().FloatType = Type;
    return *this;
  }
  // Replaces the factory (for classes whose constructor needs more than an owner).
  TClassDef& Factory(TPersistent* (*Create)(TComponent*)) {
    FInfo.Create = Create;
    return *this;
  }

  // Moves the record out: use once, at the end of the chain.
  operator TClassInfo() { return std::move(FInfo); }

private:
  static const T& Self(const TPersistent* O) { return static_cast<const T&>(*O); }
  static T& Self(TPersistent* O) { return static_cast<T&>(*O); }
  TClassInfo FInfo;
};

// Inside a class body: gives it its own class record.
//   class TFoo : public TComponent { DECLARE_CLASSINFO(TFoo) ... };
// In the source file, define TFoo::StaticClassInfo() with TClassDef.
#define DECLARE_CLASSINFO(Name)                                           \
public:                                                                   \
  static const TClassInfo& StaticClassInfo();                             \
  const TClassInfo* ClassInfo() const override { return &StaticClassInfo(); } \
private:

// The class registry: classes a stream may name. Registering the same record twice is
// harmless; registering another record under a taken name raises EFilerError.
void RegisterClass(const TClassInfo& Info);
void RegisterClasses(std::initializer_list<const TClassInfo*> Infos);
void UnRegisterClass(const TClassInfo& Info);
// Null when no class of that name (ignoring ASCII case) is registered.
const TClassInfo* GetClass(std::string_view ClassName);
// Raises EClassNotFound when none is registered.
const TClassInfo& FindClass(std::string_view ClassName);
