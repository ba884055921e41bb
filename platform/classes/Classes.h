#pragma once
// The object model: persistent objects and owned components.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"

class TFiler;
class TReader;
class TWriter;

DECLARE_EXCEPTION(EFilerError, EStreamError)
DECLARE_EXCEPTION(EClassNotFound, EFilerError)

// Root of the object model: a polymorphic object (event senders, objects held by lists).
class TObject {
public:
  virtual ~TObject() = default;
};

// The usual event: who sent it.
using TNotifyEvent = TEvent<void(TObject* Sender)>;

class TPersistent : public TObject {
public:
  // Copies Source into this object; falls back to Source->AssignTo(this).
  // Raises EConvertError when neither side knows the other.
  virtual void Assign(const TPersistent* Source);
  virtual const TClassInfo* ClassInfo() const;
  static const TClassInfo& StaticClassInfo();
  std::string ClassName() const { return ClassInfo()->Name; }
  bool InheritsFrom(const TClassInfo& Info) const { return ClassInfo()->InheritsFrom(&Info); }

  // Extra stream properties; called by the streaming layer.
  virtual void DefineProperties(TFiler* Filer);

protected:
  virtual void AssignTo(TPersistent* Dest) const;
  // Owner for naming paths in streams.
  virtual TPersistent* GetOwner() const { return nullptr; }
};

enum TOperation { opInsert, opRemove };

// How a text sits across its box (labels, panels, printables).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
DEFINE_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

enum TComponentStateFlag : uint32_t {
  csLoading = 1 << 0,
  csReading = 1 << 1,
  csWriting = 1 << 2,
  csDestroying = 1 << 3,
  csDesigning = 1 << 4,
  csAncestor = 1 << 5,
  csUpdating = 1 << 6,
  csFixups = 1 << 7,
  csSubComponent = 1 << 8,  // streamed as part of its owner's property, not as a reference
};
using TComponentState = uint32_t;

DECLARE_EXCEPTION(EComponentError, Exception)

// A component is freed by its owner. Free notification clears non-owning pointers.
//
// Freeing has two steps. BeforeDestruction runs while the object is still whole (its real class,
// its members): it marks csDestroying, calls Destroying(), tells the free-notification receivers,
// frees the owned components and leaves the owner, so every Notification(opRemove) sees the real
// object and runs the receiver's override. Then the destructors run. Free() and owners take both
// steps. A stack object or a plain delete reaches BeforeDestruction only from a destructor:
// TComponent's own as a last resort (the object is then only a TComponent), or earlier from a class
// that calls it first in its destructor (every class that overrides Destroying does).
class TComponent : public TPersistent {
  DECLARE_CLASSINFO(TComponent)
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  // Frees a component made with new: BeforeDestruction, then delete. Use it instead of delete.
  void Free() noexcept;
  // The whole-object step of freeing; runs once, later calls do nothing: Destroying(), then the free
  // notifications, the owned components (each through Free) and leaving the owner.
  void BeforeDestruction();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& AName) const;

  const std::string& Name() const { return FName; }
  // Raises EComponentError for an invalid identifier or a duplicate among siblings.
  virtual void SetName(const std::string& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t V) { FTag = V; }
  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentStateFlag F) const { return (FComponentState & F) != 0; }
  void SetState(TComponentStateFlag F, bool On);
  // Puts the component (and, with SetChildren, everything it owns) in or out of design mode;
  // a component inserted into a designing owner becomes designing too.
  void SetDesigning(bool Value, bool SetChildren = true);

  void InsertComponent(TComponent* C);
  void RemoveComponent(TComponent* C);
  // Asks to be told (Notification opRemove) when C is destroyed.
  void FreeNotification(TComponent* C);
  void RemoveFreeNotification(TComponent* C);

  // Called after the component has been read from a stream.
  virtual void Loaded();
  // Reads the properties and children (Reader.ReadData); descendants may wrap it.
  virtual void ReadState(TReader& Reader);
  // Writes the component (Writer.WriteData).
  virtual void WriteState(TWriter& Writer);
  // Moves a child read with a stored position (stream flag ffChildPos).
  virtual void SetChildOrder(TComponent*, int) {}
  void SetSubComponent(bool Value) { SetState(csSubComponent, Value); }
  // Parent and owner given to the children read within this component (null owner: the root).
  virtual TComponent* GetChildParent() { return this; }
  virtual TComponent* GetChildOwner() { return nullptr; }
  // Position on a design surface: low 16 bits left, high 16 bits top (streamed as "Left", "Top").
  int32_t DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(int32_t V) { FDesignInfo = V; }
  void DefineProperties(TFiler* Filer) override;
  // Children written after this component in a stream, in order.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TComponent*) {}

protected:
  // Told of a component inserted into or removed from this owner, and of a component this one asked
  // (FreeNotification) to hear about being freed. On opRemove the component is whole but going
  // (csDestroying set): read it, drop every pointer to it. Do not free it, keep it, re-insert it,
  // ask for its free notification again, or throw.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Whether the owned components hear of AComponent's insertion into or removal from this owner
  // (they all do, as in the class library, unless an owner knows they hold no reference to it).
  virtual bool NotifiesOwned(const TComponent* /*AComponent*/) const { return true; }
  // First part of BeforeDestruction, once, while the object is whole (csDestroying already set):
  // a descendant frees here what others must see whole and calls the inherited one.
  virtual void Destroying() {}
  TPersistent* GetOwner() const override { return FOwner; }
  void ValidateRename(TComponent* C, const std::string& CurName, const std::string& NewName) const;

private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  intptr_t FTag = 0;
  TComponentState FComponentState = 0;
  int32_t FDesignInfo = 0;
  // Owned components by upper-case name, kept once there are many (names are checked on every insert).
  std::unique_ptr<std::unordered_map<std::string, TComponent*>> FNameIndex;
  bool FFreeing = false;  // BeforeDestruction has begun
  void IndexName(TComponent* C, bool Add);
  void MarkDestroying();
  static void UnlinkFreeNotify(std::vector<TComponent*>& List, TComponent* C);
};

// Frees the component P points at, if any, and clears P first (receivers see no dangling pointer).
template <class T>
void FreeAndNil(T*& P) noexcept {
  T* X = P;
  P = nullptr;
  if (X) X->Free();
}

// Deleter for std::unique_ptr of components: frees through Free().
struct TComponentDeleter {
  void operator()(TComponent* C) const noexcept {
    if (C) C->Free();
  }
};

bool IsValidIdent(const std::string& S);

// Prefix followed by the smallest number from 1 up that names no component of Owner
// ("DetailBand1", then "DetailBand2"...). Without an owner: the prefix and 1.
std::string FreeComponentName(const TComponent* Owner, const std::string& Prefix);
