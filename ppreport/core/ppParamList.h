#pragma once
// Values and parameter lists of the descriptors: the kind of a value (TraValueKind), the value
// buffer a descriptor reads into and writes from (TraValue), and TraParamList, the typed, named
// parameters of a method or event. The same list is the parameter block of communicator events:
// the sender binds each entry to one of its own variables, broadcasts, reads its variables back
// and frees the list; a listener that writes a var parameter changes the sender's variable.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Variants.h"

// Kinds of values in descriptor records, parameter records and value buffers (one byte; the codes
// are stored). Older texts call them da*: daObject is vkPointer.
enum TraValueKind : uint8_t {
  vkNone,
  vkInteger,   // 32-bit signed
  vkSingle,    // 4-byte float
  vkDouble,    // 8-byte float
  vkExtended,  // 10-byte float
  vkCurrency,  // 64-bit integer holding the amount times 10000
  vkChar,      // one character
  vkString,
  vkDateTime,  // the date-time value (days since 1899-12-30)
  vkDate,
  vkTime,
  vkBoolean,
  vkVariant,
  vkPointer,  // an object held in the parameter's value slot itself (BindConstParam)
  vkClass,    // an object reference
  vkEnum,     // an ordinal (a colour, described as enumeration "TColor", whole)
  vkMethod,   // a method or event: nothing is moved
};

// A value on its way to or from a descriptor or a bound parameter: the field of its kind holds it.
struct TraValue {
  int64_t Ord = 0;         // vkInteger, vkChar (code), vkBoolean (0/1), vkEnum, vkCurrency (amount x 10000)
  long double Float = 0;   // vkSingle, vkDouble, vkExtended, vkDateTime, vkDate, vkTime
  std::string Str;         // vkString
  Variant Var;             // vkVariant
  TObject* Obj = nullptr;  // vkClass, vkPointer
};

// Names in records are cut to 255 characters.
std::string TraShortText(std::string_view S);

namespace tra_detail {
template <class T>
struct ObjectPointer : std::false_type {};
template <class U>
struct ObjectPointer<U*> : std::bool_constant<std::is_base_of_v<TObject, std::remove_cv_t<U>>> {
  using Target = std::remove_cv_t<U>;
};

// The kind a C++ type carries naturally.
template <class T>
constexpr TraValueKind KindOf() {
  if constexpr (std::is_same_v<T, bool>)
    return vkBoolean;
  else if constexpr (std::is_same_v<T, char>)
    return vkChar;
  else if constexpr (std::is_enum_v<T>)
    return vkEnum;
  else if constexpr (std::is_integral_v<T>)
    return vkInteger;
  else if constexpr (std::is_same_v<T, float>)
    return vkSingle;
  else if constexpr (std::is_same_v<T, double>)
    return vkDouble;
  else if constexpr (std::is_same_v<T, long double>)
    return vkExtended;
  else if constexpr (std::is_same_v<T, std::string>)
    return vkString;
  else if constexpr (std::is_same_v<T, Variant>)
    return vkVariant;
  else if constexpr (ObjectPointer<T>::value)
    return vkClass;
  else
    static_assert(sizeof(T) == 0, "no descriptor value kind for this type");
}

// Whether a variable of type T can carry a value of kind K: its own kind, a double for the date
// kinds, an integer for an enumeration (a colour), a 64-bit integer or a float for currency.
template <class T>
constexpr bool Accepts(TraValueKind K) {
  if (K == KindOf<T>()) return true;
  if constexpr (std::is_same_v<T, double>)
    if (K == vkDateTime || K == vkDate || K == vkTime) return true;
  if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
    if (K == vkEnum || (K == vkCurrency && sizeof(T) == 8)) return true;
  if constexpr (std::is_floating_point_v<T>)
    if (K == vkCurrency) return true;
  return false;
}

// Puts V into Out as a value of kind K.
template <class T>
void Store(TraValueKind K, const T& V, TraValue& Out) {
  if constexpr (std::is_same_v<T, bool>)
    Out.Ord = V ? 1 : 0;
  else if constexpr (std::is_same_v<T, char>)
    Out.Ord = static_cast<unsigned char>(V);
  else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
    Out.Ord = static_cast<int64_t>(V);
  else if constexpr (std::is_floating_point_v<T>) {
    if (K == vkCurrency)
      Out.Ord = Round(static_cast<long double>(V) * 10000);
    else
      Out.Float = V;
  } else if constexpr (std::is_same_v<T, std::string>)
    Out.Str = V;
  else if constexpr (std::is_same_v<T, Variant>)
    Out.Var = V;
  else if constexpr (ObjectPointer<T>::value)
    Out.Obj = const_cast<TObject*>(static_cast<const TObject*>(V));
}

// Takes a value of kind K out of In into V; False when an object is not of V's class.
template <class T>
bool Load(TraValueKind K, const TraValue& In, T& V) {
  if constexpr (std::is_same_v<T, bool>)
    V = (In.Ord & 0xFF) != 0;  // only the first byte carries a Boolean
  else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
    V = static_cast<T>(In.Ord);
  else if constexpr (std::is_floating_point_v<T>)
    V = static_cast<T>(K == vkCurrency ? static_cast<long double>(In.Ord) / 10000 : In.Float);
  else if constexpr (std::is_same_v<T, std::string>)
    V = In.Str;
  else if constexpr (std::is_same_v<T, Variant>)
    V = In.Var;
  else if constexpr (ObjectPointer<T>::value) {
    using U = typename ObjectPointer<T>::Target;
    if (!In.Obj) {
      V = nullptr;
    } else {
      U* P = dynamic_cast<U*>(In.Obj);
      if (!P) return false;
      V = P;
    }
  }
  return true;
}

// How a bound variable of one C++ type is read and written.
struct TRefOps {
  void (*Read)(TraValueKind, const void*, TraValue&);
  bool (*Write)(TraValueKind, void*, const TraValue&);
};
template <class T>
inline constexpr TRefOps RefOpsOf{
    [](TraValueKind K, const void* P, TraValue& V) { Store<T>(K, *static_cast<const T*>(P), V); },
    [](TraValueKind K, void* P, const TraValue& V) { return Load<T>(K, V, *static_cast<T*>(P)); }};

[[noreturn]] void BadBinding(std::string_view Operation, const std::string& ParamName);
}  // namespace tra_detail

// One parameter: its description and the location bound to it.
struct TraParamRec {
  std::string Name;  // at most 255 characters
  TraValueKind DataType = vkNone;
  const TClassInfo* ClassType = nullptr;  // of a vkClass or vkPointer parameter
  std::string TypeName;                   // of a vkEnum parameter
  bool IsConst = false;                   // the sender binds the object or value itself
  bool IsVar = false;                     // by reference: the receiver may write it back
  void* ValueRef = nullptr;               // the bound variable, or a constant object; null until bound
  const tra_detail::TRefOps* RefOps = nullptr;  // how ValueRef is read and written (BindParam)
};

// Parameters in the order they were added; receivers address them by position. A position
// outside the list raises EListError.
class TraParamList {
public:
  TraParamList() = default;
  TraParamList(const TraParamList&) = delete;
  TraParamList& operator=(const TraParamList&) = delete;

  int Count() const { return static_cast<int>(FParams.size()); }
  // Position of the parameter of that name (ASCII case ignored), or -1.
  int IndexOfParam(std::string_view Name) const;
  // Appends an unbound parameter and answers its position.
  int AddParam(std::string_view Name, TraValueKind DataType, const TClassInfo* ClassType = nullptr,
               std::string_view TypeName = {}, bool IsConst = false, bool IsVar = false);
  const TraParamRec& GetParamRec(int Index) const;

  // Binds a parameter to the caller's variable. Raises ETalvorError when the variable's type
  // cannot carry the parameter's kind (see tra_detail::Accepts).
  template <class T>
  void BindParam(int Index, T* Address) {
    TraParamRec& R = Rec(Index);
    if (!tra_detail::Accepts<std::remove_cv_t<T>>(R.DataType)) tra_detail::BadBinding("BindParam", R.Name);
    R.ValueRef = const_cast<std::remove_cv_t<T>*>(Address);
    R.RefOps = &tra_detail::RefOpsOf<std::remove_cv_t<T>>;
  }
  // Hands an object itself to a constant parameter (a page, a draw command).
  void BindConstParam(int Index, TObject* Value);
  // The object given to BindConstParam, or the object a vkClass parameter's variable holds.
  TObject* ParamObject(int Index) const;

  // Reads the bound variable into Dest by the parameter's kind; nothing for an unbound parameter
  // and for vkNone, vkPointer and vkMethod (False then).
  bool GetParamValue(int Index, TraValue& Dest) const;
  // Writes Source through the bound variable by the parameter's kind; False when nothing is
  // written (unbound, a kind that moves nothing, an object of the wrong class).
  bool SetParamValue(int Index, const TraValue& Source);

  // Typed forms of the two. Value answers T{} for an unbound parameter; both raise ETalvorError
  // when T cannot carry the parameter's kind.
  template <class T>
  T Value(int Index) const {
    const TraParamRec& R = GetParamRec(Index);
    if (!tra_detail::Accepts<T>(R.DataType)) tra_detail::BadBinding("GetParamValue", R.Name);
    T Result{};
    TraValue V;
    if (GetParamValue(Index, V)) tra_detail::Load<T>(R.DataType, V, Result);
    return Result;
  }
  template <class T>
  bool SetValue(int Index, const T& Source) {
    const TraParamRec& R = GetParamRec(Index);
    if (!tra_detail::Accepts<T>(R.DataType)) tra_detail::BadBinding("SetParamValue", R.Name);
    TraValue V;
    tra_detail::Store<T>(R.DataType, Source, V);
    return SetParamValue(Index, V);
  }

private:
  TraParamRec& Rec(int Index);
  std::vector<TraParamRec> FParams;
};
