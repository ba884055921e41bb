#pragma once
// TppTreeNode: a general tree node on the relative tree (the outline, scripting), with pre-order
// navigation and cloning. Every node class declares its own class record, so that Add and
// CloneNode make nodes of the node's own class.
#include "ppreport/core/ppRelatv.h"

class TppTreeNode : public TppRelative {
  DECLARE_CLASSINFO(TppTreeNode)
public:
  using TppRelative::TppRelative;
  ~TppTreeNode() override;

  static bool IsTreeNode() { return true; }

  TppTreeNode* GetParentNode() const { return dynamic_cast<TppTreeNode*>(Parent()); }
  void SetParentNode(TppTreeNode* Node) { SetParent(Node); }
  int GetChildNodeCount() const { return GetChildCount(); }
  TppTreeNode* GetChildNode(int Index) const { return dynamic_cast<TppTreeNode*>(GetChild(Index)); }
  // Number of all descendants.
  int GetAbsoluteChildNodeCount() const;
  // Number of tree-node ancestors (0 for a root).
  int GetLevel() const;

  // Each answers null when there is no such node.
  TppTreeNode* GetFirstChild() const;
  TppTreeNode* GetLastChild() const;
  TppTreeNode* GetNextSibling() const;
  TppTreeNode* GetPreviousSibling() const;
  // The last child's last child ... down to a node without children; null for a leaf.
  TppTreeNode* GetLastChildDescendent() const;
  // Pre-order successor and predecessor.
  TppTreeNode* GetNext() const;
  TppTreeNode* GetPrevious() const;

  // A new node of this node's class, owned by it and its last child.
  virtual TppTreeNode* Add();
  // A copy of this node (Assign) under NewParent, with copies of all descendants in the same
  // order when Recurse is set. The copy is built apart and attached last, so NewParent may lie
  // inside this node's own subtree. Without a parent the caller frees the copy.
  TppTreeNode* CloneNode(TppTreeNode* NewParent, bool Recurse);
  // Takes another node's own data; the base node has none.
  void Assign(const TPersistent* Source) override;

private:
  TppTreeNode* NewNodeOfMyClass(TComponent* Owner) const;
};
