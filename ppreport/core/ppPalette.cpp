#include "ppreport/core/ppPalette.h"

#include <algorithm>
#include <memory>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppUnits.h"

namespace {
std::unique_ptr<TppRegList>& Registry() {
  static std::unique_ptr<TppRegList> L;
  return L;
}
TppRegisterComponentProc RegisterHook = nullptr;
TppUnregisterComponentProc UnregisterHook = nullptr;

// A class registered again replaces its earlier registration.
void RegisterComponent(const TClassInfo& ComponentClass, const std::string& ToolBarName, int ToolBarPosition,
                       int HintIndex, const std::string& Hint) {
  TppRegList& List = GetRegList();
  int Index = List.IndexOf(ComponentClass.Name);
  if (Index >= 0) {
    const TClassInfo* Old = List.Registration(Index)->ComponentClass;
    List.Delete(Index);
    UnregisterPPClasses({Old});
  }
  auto Reg = std::make_unique<TppRegComponent>();
  Reg->ComponentClass = &ComponentClass;
  Reg->ToolBarName = ToolBarName;
  Reg->ToolBarPosition = ToolBarPosition;
  Reg->HintIndex = HintIndex;
  Reg->Hint = Hint;
  RegisterPPClasses({&ComponentClass});
  List.AddObject(ComponentClass.Name, Reg.release());
}

void UnregisterComponent(const TClassInfo* ComponentClass) {
  if (!ComponentClass) return;
  UnregisterPPClasses({ComponentClass});
  TppRegList* List = Registry().get();
  if (!List) return;
  int Index = List->IndexOf(ComponentClass->Name);
  if (Index < 0) return;
  UnregisterPPClasses({List->Registration(Index)->ComponentClass});
  List->Delete(Index);
}
}  // namespace

TppRegComponent* TppRegList::Find(const std::string& ClassName) const {
  int Index = IndexOf(ClassName);
  return Index >= 0 ? Registration(Index) : nullptr;
}

void TppRegList::AddListener(IppRegListListener* Listener) {
  if (Listener && std::find(FListeners.begin(), FListeners.end(), Listener) == FListeners.end())
    FListeners.push_back(Listener);
}

void TppRegList::RemoveListener(IppRegListListener* Listener) { std::erase(FListeners, Listener); }

void TppRegList::NotifyListeners() {
  // A copy: a listener may remove itself while it is told.
  const std::vector<IppRegListListener*> Listeners = FListeners;
  for (IppRegListListener* L : Listeners)
    if (std::find(FListeners.begin(), FListeners.end(), L) != FListeners.end()) L->RegListChanged(*this);
}

int TppRegList::AddObject(const std::string& S, TObject* AObject) {
  int Index = TStringList::AddObject(S, AObject);
  NotifyListeners();
  return Index;
}

void TppRegList::Insert(int Index, const std::string& S) {
  TStringList::Insert(Index, S);
  NotifyListeners();
}

void TppRegList::Delete(int Index) {
  TStringList::Delete(Index);
  NotifyListeners();
}

TppRegisterComponentProc ppRegisterComponentHook() { return RegisterHook; }
TppUnregisterComponentProc ppUnregisterComponentHook() { return UnregisterHook; }

TppRegList& GetRegList() {
  auto& L = Registry();
  if (!L) L = std::make_unique<TppRegList>();
  return *L;
}

bool RegListAssigned() { return Registry() != nullptr; }

void InitializePaletteUnit() {
  RegisterHook = RegisterComponent;
  UnregisterHook = UnregisterComponent;
}

void FinalizePaletteUnit() {
  RegisterHook = nullptr;
  UnregisterHook = nullptr;
  // Whatever a component unit left registered goes, from streaming too.
  if (TppRegList* List = Registry().get())
    for (int I = 0; I < List->Count(); ++I) UnregisterPPClasses({List->Registration(I)->ComponentClass});
  Registry().reset();
}
