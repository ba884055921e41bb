#pragma once
// The component palette registry: the printable component classes with the tool bar, position and
// hint under which a report designer offers them. It exists at run time because registering a
// component here is also what registers its class for streaming. The model unit reaches it through
// two hooks that this unit installs at start-up and clears at shutdown, so a component unit started
// outside that window finds no hook (and raises its own error).
#include <string>
#include <vector>

#include "platform/classes/StringList.h"

struct TClassInfo;
class TppRegList;

// One registration.
class TppRegComponent : public TObject {
public:
  const TClassInfo* ComponentClass = nullptr;
  std::string ToolBarName;
  int ToolBarPosition = 0;
  int HintIndex = 0;  // a language string number
  std::string Hint;
};

// Told after every addition to or deletion from the registry.
class IppRegListListener {
public:
  virtual void RegListChanged(TppRegList& List) = 0;

protected:
  ~IppRegListListener() = default;
};

// Entries keyed by class name, each owning its TppRegComponent. Listeners hear of an addition or a
// deletion after the list's own change notice (OnChange).
class TppRegList : public TStringList {
public:
  TppRegList() : TStringList(true) {}
  TppRegComponent* Registration(int Index) const { return static_cast<TppRegComponent*>(GetObject(Index)); }
  // The registration of a class name (ignoring ASCII case), or null.
  TppRegComponent* Find(const std::string& ClassName) const;
  void AddListener(IppRegListListener* Listener);
  void RemoveListener(IppRegListListener* Listener);

  int AddObject(const std::string& S, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;
  void Delete(int Index) override;

private:
  void NotifyListeners();
  std::vector<IppRegListListener*> FListeners;
};

using TppRegisterComponentProc = void (*)(const TClassInfo& ComponentClass, const std::string& ToolBarName,
                                          int ToolBarPosition, int HintIndex, const std::string& Hint);
using TppUnregisterComponentProc = void (*)(const TClassInfo* ComponentClass);
// The hooks; null outside the palette unit's lifetime. Set and read on the main thread.
TppRegisterComponentProc ppRegisterComponentHook();
TppUnregisterComponentProc ppUnregisterComponentHook();

// The registry, created on first use and freed (with every registration left) at shutdown.
TppRegList& GetRegList();
// Whether the registry exists now (without creating it).
bool RegListAssigned();
