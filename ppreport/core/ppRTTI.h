#pragma once
// Descriptors: the scripting vocabulary of a class by name. A descriptor (TraRTTI) is a table,
// one static instance per descriptor class, over the published properties of its described
// class (its class record, platform/classes/TypInfo.h) plus the extra names it lists: each
// entry says how a name is described (GetPropRec), read, written, called, and what parameters it
// takes. Every operation looks the name up in the descriptor called, then in its parent
// descriptors, and ends in the published properties of the class; a name nobody serves answers
// False or null and never raises. Descriptors hold no state; ppRTTIDef.h builds them.
//
// The registry (TraRTTIClassRegistry) maps a class to the descriptor of its nearest described
// ancestor, under one process-wide lock (lookups may come from a background print thread).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppParamList.h"

class TStrings;

// The description of one name, filled by GetPropRec.
struct TraPropRec {
  std::string Name;                       // as the caller gave it; a published property's declared name
  const TClassInfo* ClassType = nullptr;  // of a class property, a constructor, a method's object Result
  std::string TypeName;                   // of an enumeration property ("TppUnitType")
  TraValueKind DataType = vkNone;
  bool IsPublished = false;  // filled from the class record
  bool ReadOnly = false;
  bool IsConstructor = false;
  bool IsArray = false;  // an indexed property, served by CallMethod
  int32_t EventId = -1;  // the communicator event of an event name
  std::unique_ptr<TraParamList> Params;  // the name's parameters; the asker owns them
};

// One parameter of a method, event or indexed property.
struct TraParamSpec {
  TraParamSpec() = default;
  TraParamSpec(std::string AName, TraValueKind AKind, const TClassInfo& (*AClassType)() = nullptr,
               std::string ATypeName = {}, bool AIsVar = false, bool AIsConst = false)
      : Name(std::move(AName)), Kind(AKind), ClassType(AClassType), TypeName(std::move(ATypeName)), IsVar(AIsVar),
        IsConst(AIsConst) {}
  std::string Name;
  TraValueKind Kind = vkNone;
  const TClassInfo& (*ClassType)() = nullptr;
  std::string TypeName;
  bool IsVar = false;
  bool IsConst = false;
};

// How a descriptor describes a name in GetPropRec.
enum class TraForm : uint8_t {
  None,        // not described here: the description comes from further up
  Plain,       // a property of Kind
  Class,       // a class property (ClassType)
  Enum,        // an enumeration property (TypeName)
  Method,      // a method (parameters from GetParams)
  Event,       // an event with its EventId
  Indexed,     // an indexed property (IsArray)
  Constructor  // a constructor of the class asked about
};

// What one descriptor does with one name. Each of Get, Set and Call may be absent: the operation
// then goes on to the parent descriptor. The object handed to them is of the described class.
struct TraEntry {
  std::string Name;
  TraForm Form = TraForm::None;
  TraValueKind Kind = vkNone;
  bool ReadOnly = false;
  const TClassInfo& (*ClassType)() = nullptr;
  std::string TypeName;
  int32_t EventId = -1;
  bool RecordParams = false;  // the method or event record carries its parameter list
  bool HasParams = false;     // GetParams answers Params (possibly none)
  std::vector<TraParamSpec> Params;
  std::function<bool(TPersistent&, TraValueKind, TraValue&)> Get;        // True when read
  std::function<bool(TPersistent&, TraValueKind, const TraValue&)> Set;  // the answer of SetPropValue
  std::function<bool(TPersistent&, TraParamList*, bool)> Call;           // True when served
  bool Listed = false;          // appended by GetPropList
  bool DefaultIndexed = false;  // also serves the empty name
};

// The class record of TObject, which the platform's records do not name: every class descends
// from it as far as descriptors are concerned.
const TClassInfo& TObjectClassInfo();

class TraRTTI;

// What a descriptor is made of (TraRTTIDef in ppRTTIDef.h fills it).
struct TraRTTIData {
  const char* Name;
  const TraRTTI* Parent;
  const TClassInfo& (*Described)();
  std::vector<TraEntry> Entries;
  std::vector<std::string> HiddenEvents;
};

class TraRTTI {
public:
  // Takes the builder's entries: static const TraRTTI Info = TraRTTIDef<T>(...).Prop(...)...;
  TraRTTI(TraRTTIData& Data)
      : TraRTTI(Data.Name, Data.Parent, Data.Described, std::move(Data.Entries), std::move(Data.HiddenEvents)) {}
  TraRTTI(const char* Name, const TraRTTI* Parent, const TClassInfo& (*Described)(), std::vector<TraEntry> Entries,
          std::vector<std::string> HiddenEvents);
  TraRTTI(const TraRTTI&) = delete;
  TraRTTI& operator=(const TraRTTI&) = delete;

  // The descriptor's own class record ("TraTppBandRTTI", parent the parent descriptor's), which
  // the registry registers for lookup by name.
  const TClassInfo& ClassInfo() const { return FClassInfo; }
  const char* Name() const { return FClassInfo.Name; }
  const TraRTTI* Parent() const { return FParent; }
  bool InheritsFrom(const TraRTTI& Other) const;
  const TClassInfo& DescribedClass() const { return FDescribed(); }
  // The described class is Class or one of its ancestors.
  bool Describes(const TClassInfo& Class) const;

  // Published properties of aClass (alphabetical; no events, no sets), then the listed names of
  // each descriptor from the root down.
  void GetPropList(const TClassInfo& aClass, TStrings& aNames) const;
  // Published events of aClass (alphabetical), without the names a descriptor hides.
  void GetEventList(const TClassInfo& aClass, TStrings& aNames) const;
  // Fills aRec and answers True; False, aRec untouched, for a name nobody describes.
  bool GetPropRec(const TClassInfo& aClass, std::string_view aName, TraPropRec& aRec) const;
  // Calls a method or reads an indexed property with the bound parameters. aGet is passed on
  // unchanged; only indexed properties marked GetOnly look at it.
  bool CallMethod(TPersistent* aObject, std::string_view aName, TraParamList* aParams, bool aGet = true) const;
  // A new list of the parameters of a method, event or indexed property; null when none.
  std::unique_ptr<TraParamList> GetParams(std::string_view aName) const;
  bool GetPropValue(TPersistent* aObject, std::string_view aName, TraValue& aValue) const;
  // The value as text: decimal numbers, general floats (8, 15, 18 digits), currency, locale
  // dates, "True"/"False", enumeration value names; empty for anything else.
  bool GetPropValueText(TPersistent* aObject, std::string_view aName, std::string& aText) const;
  bool SetPropValue(TPersistent* aObject, std::string_view aName, const TraValue& aValue) const;

  // Record fillers.
  static void PropToRec(std::string_view Name, TraValueKind Kind, TraPropRec& Rec, bool ReadOnly);
  static void ClassPropToRec(std::string_view Name, const TClassInfo* Class, TraPropRec& Rec, bool ReadOnly);
  static void EnumPropToRec(std::string_view Name, std::string_view TypeName, TraPropRec& Rec, bool ReadOnly);
  // These ask this descriptor's GetParams, so a derived descriptor's lists serve an ancestor's names.
  void MethodToRec(std::string_view Name, bool WithParams, TraPropRec& Rec) const;
  void ArrayPropToRec(std::string_view Name, TraPropRec& Rec) const;
  void ConstructorToRec(std::string_view Name, const TClassInfo* Class, TraPropRec& Rec) const;
  void EventToRec(std::string_view Name, int32_t EventId, TraPropRec& Rec, bool WithParams) const;

  // This descriptor's own entry for a name, or null.
  const TraEntry* FindEntry(std::string_view Name) const;

private:
  void DescribeEntry(const TraEntry& E, const TClassInfo& aClass, std::string_view aName, TraPropRec& aRec) const;

  TClassInfo FClassInfo;
  const TraRTTI* FParent;
  const TClassInfo& (*FDescribed)();
  std::vector<TraEntry> FEntries;
  std::unordered_map<std::string, size_t> FIndex;  // upper-case name -> entry
  std::vector<std::string> FHiddenEvents;
};

// The descriptor base ("TraRTTI"): no names of its own, only the published fallback.
const TraRTTI& TraRTTIBase();
// The three root descriptors: "ClassName", "Create", "Free" for every object; "Assign" for
// persistents; "Owner", "Tag" and the owner-taking "Create" for components.
const TraRTTI& TraTObjectRTTI();
const TraRTTI& TraTPersistentRTTI();
const TraRTTI& TraTComponentRTTI();

// The process-wide descriptor registry, keyed by the name of each descriptor's described class.
class TraRTTIClassRegistry {
public:
  // Adds the descriptor (and registers its class record for lookup by name) unless one for the
  // same described class is registered already.
  static void RegisterRTTIClass(const TraRTTI& Descriptor);
  // Removes the entry of the descriptor's described class and its class record.
  static void UnregisterRTTIClass(const TraRTTI& Descriptor);
  // The descriptor of the nearest described ancestor of Class (Class itself first); null when none.
  static const TraRTTI* GetRTTIClass(const TClassInfo& Class);
  static const TraRTTI* GetRTTIClass(const TPersistent& Object) { return GetRTTIClass(*Object.ClassInfo()); }
  static void Initialize();
  // Frees the list; what is still registered is dropped.
  static void Finalize();
  static int Count();
};
