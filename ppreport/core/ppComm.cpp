#include "ppreport/core/ppComm.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <set>
#include <unordered_set>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppCommRTTI.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppUnits.h"

namespace {
std::atomic<uint64_t> NextSerial{1};

bool Contains(const std::unique_ptr<std::vector<TppCommunicator*>>& L, const TppCommunicator* C) {
  return L && std::find(L->begin(), L->end(), C) != L->end();
}

// The communicator of that user name among Owner's components, or null.
TppCommunicator* FindUserNameIn(const TComponent* Owner, const std::string& Value) {
  if (!Owner) return nullptr;
  // Every template load checks each name read against the owner's components: the class table
  // answers "is a communicator" far cheaper than a dynamic cast.
  const TClassInfo& Communicator = TppCommunicator::StaticClassInfo();
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    TComponent* Each = Owner->Components(I);
    if (!Each->InheritsFrom(Communicator)) continue;
    auto* C = static_cast<TppCommunicator*>(Each);
    if (SameTextAscii(C->GetUserName(), Value)) return C;
  }
  return nullptr;
}

// Base1, Base2...: the first that Taken does not refuse.
template <class F>
std::string NumberedName(const std::string& Base, F Taken) {
  for (int N = 1;; ++N) {
    std::string Candidate = Base + std::to_string(N);
    if (!Taken(Candidate)) return Candidate;
  }
}

std::string WithoutPrefix(const std::string& S, size_t Count) { return S.size() > Count ? S.substr(Count) : ""; }
}  // namespace

// A walk over one list. While the list does not change it moves by position; the first change
// turns it to a set of the entries already visited, and after each change it looks again from
// the start for the first entry it has not visited.
struct TppCommunicator::TWalk {
  TWalk* Next = nullptr;
  TListKind Kind = lkNotify;
  bool Backward = false;
  ptrdiff_t Index = 0;
  bool Diverged = false;
  bool Rescan = false;
  bool Gone = false;  // the communicator was freed during a visit
  std::unordered_set<uint64_t> Visited;
};

const TClassInfo& TppCommunicator::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppCommunicator>("TppCommunicator", &TComponent::StaticClassInfo());
  return Info;
}

TppCommunicator::TppCommunicator(TComponent* AOwner) : TComponent(AOwner), FSerial(NextSerial++) {}

TppCommunicator::~TppCommunicator() { BeforeDestruction(); }

// ---- lists

void TppCommunicator::BeforeListChange(TListKind Kind) {
  ++FChanges;
  const TList* L = ListOf(Kind).get();
  for (TWalk* W = FWalks; W; W = W->Next) {
    if (W->Kind != Kind) continue;
    if (!W->Diverged && L) {
      // Positions up to the current one (down to it, walking backwards) have been visited.
      const ptrdiff_t Size = static_cast<ptrdiff_t>(L->size());
      const ptrdiff_t From = W->Backward ? std::max<ptrdiff_t>(W->Index, 0) : 0;
      const ptrdiff_t To = W->Backward ? Size - 1 : std::min(W->Index, Size - 1);
      for (ptrdiff_t I = From; I <= To; ++I) W->Visited.insert((*L)[static_cast<size_t>(I)]->FSerial);
    }
    W->Diverged = true;
    W->Rescan = true;
  }
}

void TppCommunicator::Erase(TListKind Kind, TppCommunicator* Item) {
  std::unique_ptr<TList>& L = ListOf(Kind);
  if (!Contains(L, Item)) return;
  BeforeListChange(Kind);
  std::erase(*L, Item);
  if (L->empty()) L.reset();
}

void TppCommunicator::DropPartner(TppCommunicator* Partner) {
  Erase(lkNotify, Partner);
  Erase(lkEvent, Partner);
}

template <class F>
void TppCommunicator::Walk(TListKind Kind, bool Backward, F&& Visit) {
  if (!ListOf(Kind)) return;
  TWalk W;
  W.Kind = Kind;
  W.Backward = Backward;
  W.Index = Backward ? static_cast<ptrdiff_t>(ListOf(Kind)->size()) - 1 : 0;
  W.Next = FWalks;
  FWalks = &W;
  TFinally Unlink([this, &W] {
    if (W.Gone) return;  // the communicator is gone, and its walks with it
    TWalk** P = &FWalks;
    while (*P != &W) P = &(*P)->Next;
    *P = W.Next;
  });
  const ptrdiff_t Step = Backward ? -1 : 1;
  for (;;) {
    const TList* L = ListOf(Kind).get();
    if (!L) break;
    const ptrdiff_t Size = static_cast<ptrdiff_t>(L->size());
    if (W.Rescan) {
      W.Index = Backward ? Size - 1 : 0;
      W.Rescan = false;
    }
    if (W.Diverged)
      while (W.Index >= 0 && W.Index < Size && W.Visited.count((*L)[static_cast<size_t>(W.Index)]->FSerial)) W.Index += Step;
    if (W.Index < 0 || W.Index >= Size) break;
    TppCommunicator* Item = (*L)[static_cast<size_t>(W.Index)];
    if (W.Diverged) W.Visited.insert(Item->FSerial);
    Visit(Item);
    if (W.Gone) return;
    if (!W.Rescan) W.Index += Step;
  }
}

// ---- free notices

void TppCommunicator::AddNotify(TppCommunicator* Partner) {
  if (!Partner || Partner == this || FGoing || Partner->FGoing) return;
  if (Contains(FNotifyList, Partner)) return;
  BeforeListChange(lkNotify);
  if (!FNotifyList) FNotifyList = std::make_unique<TList>();
  FNotifyList->push_back(Partner);
  Partner->AddNotify(this);
}

void TppCommunicator::RemoveNotify(TppCommunicator* Partner) {
  if (!Partner || !Contains(FNotifyList, Partner)) return;
  Erase(lkNotify, Partner);
  // Without the link neither side would hear of the other's end: stop the listening too.
  Erase(lkEvent, Partner);
  Partner->Erase(lkEvent, this);
  Partner->RemoveNotify(this);
}

int TppCommunicator::GetNotifyCount() const { return FNotifyList ? static_cast<int>(FNotifyList->size()) : 0; }

TppCommunicator* TppCommunicator::GetNotifyItem(int Index) const {
  if (!FNotifyList) return nullptr;
  return FNotifyList->at(static_cast<size_t>(Index));
}

void TppCommunicator::SendNotify(TppCommunicator* Sender, TppNotifyOperation Operation) {
  Walk(lkNotify, true, [Sender, Operation](TppCommunicator* Partner) { Partner->Notify(Sender, Operation); });
}

void TppCommunicator::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation != ppopRemove) return;
  DropPartner(Partner);
  if (OnNotify) OnNotify(this, Partner, Operation);
}

void TppCommunicator::NotifyPartnersOfFree() {
  Walk(lkNotify, true, [this](TppCommunicator* Partner) {
    const uint64_t Changes = FChanges;
    Partner->Notify(this, ppopRemove);
    // A partner still linked is alive (a freed one has left this list); it keeps no pointer to
    // this one, whatever its override did.
    if (FChanges == Changes || Contains(FNotifyList, Partner)) Partner->DropPartner(this);
  });
}

// ---- events

void TppCommunicator::AddEventNotify(TppCommunicator* Listener) {
  if (!Listener || FGoing || Listener->FGoing || Contains(FEventNotifyList, Listener)) return;
  std::string Key = Listener->GetEventNotifySortKey();
  BeforeListChange(lkEvent);
  if (!FEventNotifyList) FEventNotifyList = std::make_unique<TList>();
  TList& L = *FEventNotifyList;
  L.push_back(Listener);
  if (!Key.empty()) {
    std::vector<std::pair<std::string, TppCommunicator*>> Keyed;
    Keyed.reserve(L.size());
    for (TppCommunicator* C : L) Keyed.emplace_back(UpperCaseAscii(C == Listener ? Key : C->GetEventNotifySortKey()), C);
    std::stable_sort(Keyed.begin(), Keyed.end(), [](const auto& A, const auto& B) { return A.first < B.first; });
    for (size_t I = 0; I < L.size(); ++I) L[I] = Keyed[I].second;
  }
  AddNotify(Listener);
}

void TppCommunicator::RemoveEventNotify(TppCommunicator* Listener) {
  if (!Contains(FEventNotifyList, Listener)) return;
  Erase(lkEvent, Listener);
  RemoveNotify(Listener);
}

int TppCommunicator::GetEventNotifyCount() const {
  return FEventNotifyList ? static_cast<int>(FEventNotifyList->size()) : 0;
}

TppCommunicator* TppCommunicator::GetEventNotifyItem(int Index) const {
  if (!FEventNotifyList) return nullptr;
  return FEventNotifyList->at(static_cast<size_t>(Index));
}

bool TppCommunicator::AnyWants(const std::unique_ptr<TList>& List, int EventID) {
  if (!List) return false;
  for (const TppCommunicator* C : *List)
    if (C->FEventMask.Contains(EventID)) return true;
  return false;
}

bool TppCommunicator::HasEventListener(int EventID) const { return AnyWants(FEventNotifyList, EventID); }

void TppCommunicator::SendEventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  // Most broadcasts (one a record, one a draw command) have no listener that wants them.
  if (!HasEventListener(EventID)) return;
  Walk(lkEvent, false, [Sender, EventID, Params](TppCommunicator* Listener) {
    if (Listener->FEventMask.Contains(EventID)) Listener->EventNotify(Sender, EventID, Params);
  });
}

void TppCommunicator::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  if (OnEventNotify) OnEventNotify(this, Sender, EventID, Params);
}

bool TppCommunicator::IsEventRequested(int EventID) const { return AnyWants(FNotifyList, EventID); }

// ---- user names

void TppCommunicator::SetUserName(const std::string& Value) {
  if (!IsValidIdent(Value)) return;
  if (IsValidUserName(Value)) {
    FUserName = Value;
  } else {
    if (Value.back() >= '1' && Value.back() <= '9') return;
    FUserName = NumberedName(Value, [this](const std::string& Candidate) {
      TppCommunicator* Found = FindUserName(Candidate);
      return Found && Found != this;
    });
  }
  SendNotify(this, ppopUserNameChange);
}

bool TppCommunicator::IsValidUserName(const std::string& Value) const {
  if (!IsValidIdent(Value)) return false;
  TppCommunicator* Found = FindUserName(Value);
  return !Found || Found == this;
}

TppCommunicator* TppCommunicator::FindUserName(const std::string& Value) const {
  if (TppCommunicator* Parent = GetParentCommunicator()) return Parent->FindUserName(Value);
  return FindUserNameIn(Owner(), Value);
}

std::string TppCommunicator::GetUniqueUserName(const TComponent* Component) const {
  if (TppCommunicator* Parent = GetParentCommunicator()) return Parent->GetUniqueUserName(Component);
  // Numbered against the user names in use, so the answer is free.
  return NumberedName(WithoutPrefix(Component->ClassName(), 3), [this, Component](const std::string& Candidate) {
    TppCommunicator* Found = FindUserName(Candidate);
    return Found && Found != Component;
  });
}

std::string TppCommunicator::GetDefaultUserName() const {
  const std::string& N = Name();
  const std::string Class = ClassName();
  std::string Result = N.size() >= 2 && Class.size() >= 3 && N.compare(0, 2, Class, 1, 2) == 0 ? N.substr(2) : N;
  if (!IsValidUserName(Result)) Result = GetUniqueUserName(this);
  return Result;
}

TppCommunicator* TppCommunicator::GetParentCommunicator() const {
  return HasParent() ? dynamic_cast<TppCommunicator*>(GetParentComponent()) : nullptr;
}

std::string TppCommunicator::GetUniqueName(const TComponent* Component) const {
  const TComponent* Scope = Owner() ? Owner() : this;
  return GetUniqueComponentName(Scope, WithoutPrefix(Component->ClassName(), 1), Component);
}

std::string TppCommunicator::GetUniqueComponentName(const TComponent* Owner, const std::string& Base,
                                                    const TComponent* Component) {
  if (!Owner) return Base;
  std::set<int64_t> Used;
  for (int I = 0; I < Owner->ComponentCount(); ++I) {
    const TComponent* C = Owner->Components(I);
    if (C == Component || (Component && !C->InheritsFrom(*Component->ClassInfo()))) continue;
    const std::string& N = C->Name();
    if (N.size() <= Base.size() || !SameTextAscii(std::string_view(N).substr(0, Base.size()), Base)) continue;
    std::string_view Digits = std::string_view(N).substr(Base.size());
    if (Digits.size() > 9 || !std::all_of(Digits.begin(), Digits.end(), [](char D) { return std::isdigit(static_cast<unsigned char>(D)); }))
      continue;
    Used.insert(std::stoll(std::string(Digits)));
  }
  int64_t N = 1;
  while (Used.count(N)) ++N;
  return Base + std::to_string(N);
}

void TppCommunicator::ChangeOwner(TComponent* NewOwner) {
  TComponent* Old = Owner();
  if (NewOwner == Old) return;
  if (Old) Old->RemoveComponent(this);
  TOnException Back([this, Old] {
    if (Old && !Owner()) Old->InsertComponent(this);
  });
  if (!NewOwner) return;
  TppCommunicator* Holder = FUserName.empty() ? nullptr : FindUserNameIn(NewOwner, FUserName);
  NewOwner->InsertComponent(this);
  if (Holder && Holder != this)
    FUserName = NumberedName(WithoutPrefix(ClassName(), 3), [this](const std::string& Candidate) {
      TppCommunicator* Found = FindUserNameIn(Owner(), Candidate);
      return Found && Found != this;
    });
}

void TppCommunicator::SetName(const std::string& Value) {
  const std::string Old = Name();
  const bool Follow = FUserName.empty() || FUserName == Old || FUserName == WithoutPrefix(Old, 2);
  TComponent::SetName(Value);
  if ((HasState(csReading) || HasState(csLoading)) && !(FDesignState & dsFollowNameWhileLoading)) return;
  if (Follow) SetUserName(GetDefaultUserName());
  SendEventNotify(this, ciCommunicatorNameChange, nullptr);
}

void TppCommunicator::Loaded() {
  TComponent::Loaded();
  if (FUserName.empty() && ClassInfo()->FindProp("UserName")) SetUserName(GetDefaultUserName());
}

// ---- designer hooks

void TppCommunicator::SetDesigner(TComponent* Designer) {
  if (FDesigner) RemoveFreeNotification(FDesigner);
  FDesigner = Designer;
  if (FDesigner) FreeNotification(FDesigner);
}

void TppCommunicator::SendObjectEvent(int EventID, const char* Name, const TClassInfo& Class, TObject* Object) {
  if (!HasEventListener(EventID)) return;
  TraParamList Params;
  Params.AddParam(Name, vkClass, &Class);
  Params.BindConstParam(0, Object);
  SendEventNotify(this, EventID, &Params);
}

IppDesigner* TppCommunicator::GetDesignerInterface() const { return dynamic_cast<IppDesigner*>(FDesigner); }

void TppCommunicator::SendDesignerMessage(int Msg, intptr_t Arg1, intptr_t Arg2) {
  if (IppDesigner* D = GetDesignerInterface()) D->Message(Msg, Arg1, Arg2);
}

void TppCommunicator::PropertyChanging(const std::string& PropertyName) {
  if (IppDesigner* D = GetDesignerInterface()) D->PropertyChanging(PropertyName, this);
}

void TppCommunicator::DesignerModified() {
  if (IppDesigner* D = GetDesignerInterface()) D->Modified(this);
}

void TppCommunicator::PropertyChanged() { DesignerModified(); }

void TppCommunicator::AddDesignState(uint16_t Flags) {
  uint16_t Old = FDesignState;
  FDesignState |= Flags;
  if (FDesignState != Old) DesignStateChanged(Flags);
}

void TppCommunicator::RemoveDesignState(uint16_t Flags) {
  uint16_t Old = FDesignState;
  FDesignState &= static_cast<uint16_t>(~Flags);
  if (FDesignState != Old) DesignStateChanged(Flags);
}

TComponent* TppCommunicator::FindComponentCreator() const {
  for (const TppCommunicator* C = this; C; C = C->GetParentCommunicator())
    if (IppDesigner* D = C->GetDesignerInterface()) return D->ComponentCreator();
  return nullptr;
}

void TppCommunicator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDesigner) FDesigner = nullptr;
}

// ---- end

void TppCommunicator::Destroying() {
  FGoing = true;
  NotifyPartnersOfFree();
  // Broadcasts of this communicator still running further up the stack stop without touching it.
  for (TWalk* W = FWalks; W; W = W->Next) W->Gone = true;
  FWalks = nullptr;
  FNotifyList.reset();
  FEventNotifyList.reset();
  TComponent::Destroying();
}

// ---- the unit

void InitializeCommUnit() {
  RegisterPPClasses({&TppCommunicator::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppCommunicatorRTTI());
}

void FinalizeCommUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppCommunicatorRTTI());
  UnregisterPPClasses({&TppCommunicator::StaticClassInfo()});
}
