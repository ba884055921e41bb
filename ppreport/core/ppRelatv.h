#pragma once
// TppRelative: an ordered parent/child tree on top of the communicator. The tree is apart from
// the class library's ownership (a child is normally owned by the form or report that owns its
// parent), but a relative owns its tree children: freeing it frees its whole subtree. Component
// streams follow the tree: a relative's streaming parent is its tree parent and its streamed
// children are its tree children, put back in their stored order when OrderedChildren is set.
// The tree has no cycles: a relative never becomes a child of itself or of its own descendant.
#include <functional>
#include <vector>

#include "ppreport/core/ppComm.h"

class TppRelative : public TppCommunicator {
  DECLARE_CLASSINFO(TppRelative)
public:
  explicit TppRelative(TComponent* AOwner);
  ~TppRelative() override;

  TppRelative* Parent() const { return FParent; }
  // Leaves the current parent and joins the end of NewParent's children. Raises ETalvorError,
  // changing nothing, when NewParent is this relative or one of its descendants.
  virtual void SetParent(TppRelative* NewParent);
  // Whether Other is this relative or one of its ancestors.
  bool IsSelfOrDescendantOf(const TppRelative* Other) const;

  // Plain list operations; they leave the child's Parent alone (SetParent keeps both in step).
  // AddChild and InsertChild refuse (ETalvorError) this relative or one of its ancestors.
  virtual void AddChild(TppRelative* Child);
  virtual void InsertChild(int Index, TppRelative* Child);  // 0 .. ChildCount, else EListError
  virtual int IndexOfChild(const TppRelative* Child) const;
  virtual void RemoveChild(TppRelative* Child);
  int GetChildCount() const { return static_cast<int>(FChildren.size()); }
  TppRelative* GetChild(int Index) const;  // EListError outside the list
  // Children and what a descendant holds besides (a band's objects, for example).
  virtual int GetAllChildCount() const { return GetChildCount(); }
  virtual TppRelative* GetAllChild(int Index) const { return GetChild(Index); }

  // Index among the parent's children, -1 without a parent.
  int GetIndex() const;
  int GetPosition() const { return GetIndex(); }
  // While reading: remembered until the parent restores its order. Else moves this relative to
  // that index (clamped) within its parent.
  void SetPosition(int Value);
  int ChildType() const { return FChildType; }
  // Re-inserts this relative at the end of its parent's children.
  void SetChildType(int Value);
  bool FreeingChildren() const { return FFreeingChildren; }
  bool OrderedChildren() const { return FOrderedChildren; }

  // Takes Source's place: its parent, its ordering, and its children (after freeing its own);
  // moved children owned by Source's owner go to this relative's owner. Refuses (ETalvorError,
  // nothing changed) a Source whose parent is this relative or one of its descendants.
  virtual void Transfer(TPersistent* Source);
  // Moves to another owner, and every child that had the same owner with it.
  void ChangeOwner(TComponent* NewOwner) override;
  // Tells the designer, then the parent, then AfterPropertyChanged: a change goes up to the root.
  void PropertyChanged() override;
  virtual void AfterPropertyChanged() {}
  // Whether the design-time position travels in streams (data pipelines and producers).
  virtual bool StoresDesignInfo() const { return false; }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  void DefineProperties(TFiler* Filer) override;
  void ReadState(TReader& Reader) override;

protected:
  void Destroying() override;
  // Streamed objects held outside the children.
  virtual void GetExtraChildren(const std::function<void(TComponent*)>&, TComponent*) {}
  void SetOrderedChildren(bool Value) { FOrderedChildren = Value; }
  void FreeChildren();

private:
  void MoveTo(int Index);
  void CheckNewParent(const TppRelative* NewParent, const char* Operation) const;

  std::vector<TppRelative*> FChildren;
  int FChildType = 0;
  bool FFreeingChildren = false;
  bool FOrderedChildren = false;
  TppRelative* FParent = nullptr;
  int FStoredPosition = -1;
};
