#pragma once
// TppOutlineNode: one entry of the outline tree (the report, a section sub-report, a group value,
// a page), pointing at the absolute page where its item begins. The outline grows a tree of them
// while pages are generated and puts a copy into every page (ppOutlineDrawCommand.h), so the
// nodes stream as the children of that draw command.
#include <memory>
#include <string>
#include <vector>

#include "ppreport/core/ppTreeNode.h"
#include "ppreport/core/ppTypes.h"

class TppOutlineNodeCreator;

// An outline tree as a page saw it, already filtered as CopyTree filters. Never changed once made:
// pages share it, and share every subtree that did not change between them, so keeping the
// outline on each page costs only what changed since the page before.
struct TppOutlineSnapshot {
  std::string Caption;
  TppOutlineNodeType NodeType = ntOther;
  int PageReference = 0;
  std::vector<std::shared_ptr<const TppOutlineSnapshot>> Children;
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
  void SetAccepted(bool V) {
    FAccepted = V;
    Changed();
  }
  // The item still runs: nodes of nested creators go below it.
  bool IsOpen() const { return FIsOpen; }
  void SetIsOpen(bool V) { FIsOpen = V; }
  // The creator that adds a page node below this one at the next page end (null: none).
  TppOutlineNodeCreator* PageNodeCreator() const { return FPageNodeCreator; }
  void SetPageNodeCreator(TppOutlineNodeCreator* V) { FPageNodeCreator = V; }

  TppOutlineNode* GetOutlineChild(int Index) const { return dynamic_cast<TppOutlineNode*>(GetChild(Index)); }

  // A copy of an ntRoot tree for a page: refused nodes are left out with their children lifted to
  // the nearest copied ancestor, and no parent gets two page nodes of the same page. Null unless
  // Root is an ntRoot node.
  static std::unique_ptr<TppOutlineNode> CopyTree(const TppOutlineNode* Root);
  // The same tree frozen (null unless Root is an ntRoot node). Each node keeps its last frozen
  // form until it or a descendant changes, so freezing again after a few changes is cheap.
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
  static void CopyChildren(const TppOutlineNode& Source, TppOutlineNode& Target);
  std::shared_ptr<const TppOutlineSnapshot> Frozen() const;
  static void FreezeChildren(const TppOutlineNode& Source, TppOutlineSnapshot& Target, std::vector<int>& Pages);
  // Drops the frozen form of this node and its ancestors.
  void Changed();

  std::string FCaption;
  TppOutlineNodeType FNodeType = ntOther;
  int FPageReference = 0;
  bool FAccepted = true;
  bool FIsOpen = false;
  TppOutlineNodeCreator* FPageNodeCreator = nullptr;
  mutable std::shared_ptr<const TppOutlineSnapshot> FFrozen;
};
