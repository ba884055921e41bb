#pragma once
// TppCommunicator: the component every pp object descends from. Three services:
// - free notices: two communicators linked both ways (AddNotify) hear of each other's end
//   (Notify with ppopRemove) and of the changes SendNotify announces;
// - events: listeners (AddEventNotify) hear the numbered broadcasts of SendEventNotify whose
//   number is in their own EventMask; a parameter block (TraParamList) may go with it;
// - a user name, unique among the communicators of one owner (or of one relative tree).
//
// Broadcasts and notices stay correct while the lists change under them: every listener present
// when the broadcast reaches it is called exactly once, one that leaves (or is freed) before its
// turn is not called, one that joins is called once if the broadcast has not passed it, and a
// sender freed by a listener ends its own broadcast without touching itself again. A freed
// communicator is dropped from every partner's lists, whatever the partners' Notify overrides do.
// Objects of one report are used by one thread at a time; no locks.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppEvents.h"

class TraParamList;

// The event numbers a listener wants: 0..255, one bit each.
class TppEventMask {
public:
  bool Contains(int EventID) const {
    return EventID >= 0 && EventID < 256 && ((FBits[EventID >> 6] >> (EventID & 63)) & 1) != 0;
  }
  void Include(int EventID) {
    if (EventID >= 0 && EventID < 256) FBits[EventID >> 6] |= uint64_t(1) << (EventID & 63);
  }
  void Exclude(int EventID) {
    if (EventID >= 0 && EventID < 256) FBits[EventID >> 6] &= ~(uint64_t(1) << (EventID & 63));
  }
  void Clear() { FBits = {}; }
  bool Empty() const { return FBits == std::array<uint64_t, 4>{}; }

private:
  std::array<uint64_t, 4> FBits{};
};

// A report designer; none exists in this program, so every hook that asks for one is inert.
class IppDesigner {
public:
  virtual ~IppDesigner() = default;
  virtual void PropertyChanging(const std::string& PropertyName, TComponent* Component) = 0;
  virtual void Modified(TComponent* Component) = 0;
  virtual void Message(int Msg, intptr_t Arg1, intptr_t Arg2) = 0;
  virtual TComponent* ComponentCreator() = 0;
};

// Design-state flag that lets SetName follow the user name while the component is being read.
constexpr uint16_t dsFollowNameWhileLoading = 0x20;

class TppCommunicator : public TComponent {
  DECLARE_CLASSINFO(TppCommunicator)
public:
  explicit TppCommunicator(TComponent* AOwner);
  ~TppCommunicator() override;

  // ---- free notices
  // Links both ways; nothing when already linked, for itself, or while either side is being freed.
  void AddNotify(TppCommunicator* Partner);
  // Unlinks both ways; a partner no longer linked stops listening to either side as well.
  void RemoveNotify(TppCommunicator* Partner);
  int GetNotifyCount() const;
  TppCommunicator* GetNotifyItem(int Index) const;  // null without partners
  // Calls Notify(Sender, Operation) on every linked partner, last to first.
  void SendNotify(TppCommunicator* Sender, TppNotifyOperation Operation);
  // The receiving end. The base handles ppopRemove: drops Partner from both lists, then OnNotify.
  // Overrides drop their own references first and call the base.
  virtual void Notify(TppCommunicator* Partner, TppNotifyOperation Operation);

  // ---- events
  // Listener hears this communicator's broadcasts whose number is in Listener's mask. Listeners
  // with a sort key are kept in key order (those without come first); the two are also linked.
  void AddEventNotify(TppCommunicator* Listener);
  void RemoveEventNotify(TppCommunicator* Listener);
  int GetEventNotifyCount() const;
  TppCommunicator* GetEventNotifyItem(int Index) const;
  virtual std::string GetEventNotifySortKey() const { return {}; }
  // Broadcasts EventID (0..255; others reach nobody) to the listeners, in list order.
  void SendEventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params);
  // The receiving end; the base fires OnEventNotify. Overrides call the base, then act.
  virtual void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params);
  // Broadcasts EventID with one constant object parameter (Name, of Class) bound to Object.
  void SendObjectEvent(int EventID, const char* Name, const TClassInfo& Class, TObject* Object);
  // Some linked partner wants EventID.
  bool IsEventRequested(int EventID) const;
  // Some listener of this communicator's broadcasts wants EventID (0..255).
  bool HasEventListener(int EventID) const;
  TppEventMask& EventMask() { return FEventMask; }
  const TppEventMask& EventMask() const { return FEventMask; }

  // ---- user names
  virtual std::string GetUserName() const { return FUserName; }
  // A valid identifier; when another communicator has it, a name ending in 1..9 is refused and
  // any other gets the first free number appended. Tells the partners (ppopUserNameChange).
  virtual void SetUserName(const std::string& Value);
  virtual bool IsValidUserName(const std::string& Value) const;
  // The communicator of that user name (ASCII case ignored) in this one's relative tree or owner.
  virtual TppCommunicator* FindUserName(const std::string& Value) const;
  // A user name for Component, free among its owner's (or tree's) communicators: the class name
  // without its first three letters, numbered ("TppLabel" gives Label1, Label2...).
  virtual std::string GetUniqueUserName(const TComponent* Component) const;
  // Name without the class prefix ("ppLabel1" of a TppLabel gives Label1), made unique.
  std::string GetDefaultUserName() const;
  // The parent component when it is a communicator.
  TppCommunicator* GetParentCommunicator() const;
  // A component Name for Component: the class name without its first letter, numbered.
  virtual std::string GetUniqueName(const TComponent* Component) const;
  // Base followed by the smallest positive number that no other component of Owner of
  // Component's class (or a descendant) carries after Base; Base itself without an owner.
  static std::string GetUniqueComponentName(const TComponent* Owner, const std::string& Base,
                                            const TComponent* Component);
  // Moves to another owner; a user name taken there is replaced by a free one (no notice).
  virtual void ChangeOwner(TComponent* NewOwner);

  // ---- designer hooks (inert without a designer)
  TComponent* GetDesigner() const { return FDesigner; }
  virtual void SetDesigner(TComponent* Designer);
  IppDesigner* GetDesignerInterface() const;
  void SendDesignerMessage(int Msg, intptr_t Arg1, intptr_t Arg2);
  void PropertyChanging(const std::string& PropertyName);
  void DesignerModified();
  // After a property change: tells the designer.
  virtual void PropertyChanged();
  uint16_t DesignState() const { return FDesignState; }
  void AddDesignState(uint16_t Flags);
  void RemoveDesignState(uint16_t Flags);
  virtual void DesignStateChanged(uint16_t) {}
  TComponent* FindComponentCreator() const;

  void Loaded() override;
  // Renaming carries the user name along when it followed the old name, then broadcasts
  // ciCommunicatorNameChange (not while reading, unless dsFollowNameWhileLoading is set).
  void SetName(const std::string& Value) override;

  std::function<void(TppCommunicator* Receiver, TppCommunicator* Partner, TppNotifyOperation)> OnNotify;
  std::function<void(TppCommunicator* Receiver, TppCommunicator* Sender, int EventID, TraParamList*)>
      OnEventNotify;

  // The user name as stored, and storing one without checks or notice: for giving back a name a
  // move changed (ChangeOwner numbers a user name the new owner already holds).
  const std::string& StoredUserName() const { return FUserName; }
  void StoreUserName(std::string Value) { FUserName = std::move(Value); }

protected:
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  using TList = std::vector<TppCommunicator*>;
  enum TListKind { lkNotify, lkEvent };
  struct TWalk;

  std::unique_ptr<TList>& ListOf(TListKind Kind) { return Kind == lkNotify ? FNotifyList : FEventNotifyList; }
  // Some communicator of List has EventID in its mask.
  static bool AnyWants(const std::unique_ptr<TList>& List, int EventID);
  void BeforeListChange(TListKind Kind);
  void Erase(TListKind Kind, TppCommunicator* Item);
  // Drops Partner from both lists of this side (non-virtual: the base of every free notice).
  void DropPartner(TppCommunicator* Partner);
  // Visits the entries of a list once each, surviving changes made by the visits.
  template <class F>
  void Walk(TListKind Kind, bool Backward, F&& Visit);
  void NotifyPartnersOfFree();

  TComponent* FDesigner = nullptr;
  uint16_t FDesignState = 0;
  std::unique_ptr<TList> FNotifyList;       // absent while empty
  std::unique_ptr<TList> FEventNotifyList;  // absent while empty
  TppEventMask FEventMask;
  std::string FUserName;
  TWalk* FWalks = nullptr;  // the walks in progress over this communicator's lists, innermost first
  uint64_t FSerial;         // tells communicators apart across the life of the process
  uint64_t FChanges = 0;    // counts changes of the lists
  bool FGoing = false;      // the free notices have begun: no new links
};
