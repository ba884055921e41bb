#pragma once
// TppOutlineNode: one entry of the outline tree (the report, a section sub-report, a group value,
// a page), pointing at the absolute page where its item begins. The outline grows a tree of them
// while pages are generated and puts a copy into every page (ppOutlineDrawCommand.h), so the
// nodes stream as the children of that draw command.
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppFrozenList.h"
#include "ppreport/core/ppTreeNode.h"
#include "ppreport/core/ppTypes.h"

class TppOutlineNodeCreator;

// An outline tree as a page saw it, already filtered as CopyTree filters. Never changed once made:
// pages share it, every subtree that did not change between them, and the part of a list of
// children that earlier pages froze (a node gaining one child a page costs the log of its count).
struct TppOutlineSnapshot {
  std::string Caption;
  TppOutlineNodeType NodeType = ntOther;
  int PageReference = 0;
  TppFrozenList<std::shared_ptr<const TppOutlineSnapshot>> Children;
};

class TppOutlineNode : public TppTreeNode {
  DECLARE_CLASSINFO(TppOutlineNode)
public:
  explicit TppOutlineNode(TComponent* AOwner);
  ~TppOutlineNode() override;

  // ---- published
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V) {
    FCaption = V;
    Changed();
  }
  TppOutlineNodeType NodeType() const { return FNodeType; }
  void SetNodeType(TppOutlineNodeType V) {
    FNodeType = V;
    Changed();
  }
  // Absolute page number where the item begins; -1 for the root and the no-outline node.
  int PageReference() const { return FPageReference; }
  void SetPageReference(int V) {
    FPageReference = V;
    Changed();
  }

  // ---- generation state (not streamed, not copied)
  // False: settings or the node-create handler refused the node; its children still count.
  bool Accepted() const { return FAccepted; }
  void SetAccepted(bool V);
  // The item still runs: nodes of nested creators go below it.
  bool IsOpen() const { return FIsOpen; }
  void SetIsOpen(bool V) { FIsOpen = V; }
  // The creator that adds a page node below this one at the next page end (null: none).
  TppOutlineNodeCreator* PageNodeCreator() const { return FPageNodeCreator; }
  void SetPageNodeCreator(TppOutlineNodeCreator* V);
  // Whether a child waits for a page node (has a PageNodeCreator), without a walk over the children.
  bool HasWaitingChild() const { return FWaitingChildren > 0; }

  TppOutlineNode* GetOutlineChild(int Index) const { return dynamic_cast<TppOutlineNode*>(GetChild(Index)); }

  // A copy of an ntRoot tree for a page: refused nodes are left out with their children lifted to
  // the nearest copied ancestor, and no parent gets two page nodes of the same page. Null unless
  // Root is an ntRoot node.
  static std::unique_ptr<TppOutlineNode> CopyTree(const TppOutlineNode* Root);
  // The same tree frozen (null unless Root is an ntRoot node). Each node keeps its last frozen
  // form until it or a descendant changes, and its frozen children up to the first child that
  // changed, so freezing again after a few changes costs what changed, not the tree's size.
  static std::shared_ptr<const TppOutlineSnapshot> Freeze(const TppOutlineNode* Root);
  // Nodes made from a frozen tree: the same tree CopyTree gives at the time it was frozen.
  static std::unique_ptr<TppOutlineNode> Thaw(const TppOutlineSnapshot& Snapshot);
  static bool IsEqual(const TppOutlineSnapshot& A, const TppOutlineSnapshot& B);
  // Same caption, page reference, type and children (each equal, in order).
  bool IsEqual(const TppOutlineNode& Other) const;

  using TPersistent::Assign;
  // Caption, page reference and type from another outline node.
  void Assign(const TPersistent* Source) override;
  // Read from a stream under an outline draw command, the node becomes that command's tree.
  void SetParentComponent(TComponent* Value) override;
  void InsertChild(int Index, TppRelative* Child) override;
  void RemoveChild(TppRelative* Child) override;

protected:
  // A node that waits for a page node tells its creator.
  void Destroying() override;

private:
  struct TFreezing;
  static void CopyChildren(const TppOutlineNode& Source, TppOutlineNode& Target);
  std::shared_ptr<const TppOutlineSnapshot> Frozen() const;
  TFreezing& Freezing() const;
  // Brings Target's frozen children up to date with Node's children (Node: the target itself, or a
  // refused node whose children are lifted into it). Fresh: nothing Node froze before holds.
  static void Lift(TFreezing& Target, const TppOutlineNode& Node, bool Fresh);
  // Drops the frozen form of this node; its ancestors refreeze from the child on its path.
  void Changed();
  // This node's children changed from Index on.
  void ChildrenChanged(int Index);
  // Index of a child, looked for from the end (where the outline grows).
  int IndexFromEnd(const TppRelative* Child) const;

  std::string FCaption;
  TppOutlineNodeType FNodeType = ntOther;
  int FPageReference = 0;
  bool FAccepted = true;
  bool FIsOpen = false;
  TppOutlineNodeCreator* FPageNodeCreator = nullptr;
  int FWaitingChildren = 0;
  mutable std::shared_ptr<const TppOutlineSnapshot> FFrozen;
  mutable std::unique_ptr<TFreezing> FFreezing;  // made when a node with children is first frozen
};
