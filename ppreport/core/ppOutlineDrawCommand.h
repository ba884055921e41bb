#pragma once
// TppOutlineDrawCommand: the outline as it stood at the end of a page, kept in that page. Devices
// never draw it; the preview's outline tree shows it, and an archived page keeps it (its node
// tree streams as the command's children).
#include <memory>

#include "ppreport/core/ppDrwCmd.h"

class TppOutlineNode;
struct TppOutlineSnapshot;

class TppOutlineDrawCommand : public TppDrawCommand {
  DECLARE_CLASSINFO(TppOutlineDrawCommand)
public:
  explicit TppOutlineDrawCommand(TComponent* AOwner);
  ~TppOutlineDrawCommand() override;

  // The tree held every node of the report when the page was made.
  bool Completed() const { return FCompleted; }
  void SetCompleted(bool V) { FCompleted = V; }
  // The root of the node tree (the command's tree child), null when none. A command given a
  // frozen tree makes its nodes here, the first time they are asked for.
  TppOutlineNode* Tree() const;
  // Takes a frozen tree (shared with other pages) in place of the tree held before.
  void SetSnapshot(std::shared_ptr<const TppOutlineSnapshot> Snapshot);
  // Takes Root as the tree, freeing the tree held before (null: none).
  void SetTree(std::unique_ptr<TppOutlineNode> Root);
  // The same for a node already made (a node read from a stream).
  void AdoptTree(TppOutlineNode* Root);

  // Never drawn.
  void Draw(TppDevice*) override {}
  // The base comparison, Completed and equal trees.
  bool IsEqual(const TppDrawCommand& Other) const override;
  using TPersistent::Assign;
  // From another outline command only: the base fields, Completed and a copy of its tree.
  void Assign(const TPersistent* Source) override;
  // A hook for descendants; empty.
  virtual void ExtensionHook() {}
  // The streamed tree: made first from a frozen tree.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

private:
  TppOutlineNode* TreeChild() const;
  void Thaw() const;

  bool FCompleted = false;
  // Not yet made into nodes; null once made, or when the tree came as nodes.
  mutable std::shared_ptr<const TppOutlineSnapshot> FSnapshot;
};
