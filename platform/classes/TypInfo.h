#pragma once
// Class tables: one static record per class (name, parent, factory, published
// properties). The class registry, component streaming and the pp descriptors
// all read these same tables.
#include <functional>
#include <string>
#include <vector>

class TPersistent;
class TComponent;

// Property kinds as the component stream distinguishes them.
enum class TPropKind { Integer, Int64, Float, Currency, String, Boolean, Enum, Set, Class, Component, Method, Char };

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  // Extended by the streaming layer: getter, setter, default, enum names, class info.
};

struct TClassInfo {
  const char* Name = "";
  const TClassInfo* Parent = nullptr;
  // Creates an instance with the given owner (null for abstract classes).
  TPersistent* (*Create)(TComponent* Owner) = nullptr;
  std::vector<TPropInfo> Props;

  bool InheritsFrom(const TClassInfo* Other) const {
    for (const TClassInfo* C = this; C; C = C->Parent)
      if (C == Other) return true;
    return false;
  }
};

// Inside a class body: gives it its own class record.
//   class TFoo : public TComponent { DECLARE_CLASSINFO(TFoo) ... };
// In the source file, define TFoo::StaticClassInfo() with BEGIN_CLASSINFO.
#define DECLARE_CLASSINFO(Name)                                           \
public:                                                                   \
  static const TClassInfo& StaticClassInfo();                             \
  const TClassInfo* ClassInfo() const override { return &StaticClassInfo(); } \
private:
