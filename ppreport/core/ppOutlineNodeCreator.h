#pragma once
// Node creators: one per outline participant (report, sub-report, group), in a tree that mirrors
// the report. Each listens to the generation events of its participant and adds nodes to the
// outline's tree; at every page end each adds a page node under the nodes still waiting for one.
#include <vector>

#include "ppreport/core/ppRelatv.h"

class TppCustomReport;
class TppOutline;
class TppOutlineNode;
class TppOutlineSettings;

class TppOutlineNodeCreator : public TppRelative {
  DECLARE_CLASSINFO(TppOutlineNodeCreator)
public:
  explicit TppOutlineNodeCreator(TComponent* AOwner);
  ~TppOutlineNodeCreator() override;

  // The node this creator made last (cleared when it is freed).
  TppOutlineNode* OpenNode() const { return FOpenNode; }
  void SetOpenNode(TppOutlineNode* Node);
  // The report at the top of the creator tree: its engine gives the page number, its settings
  // whether page nodes are made.
  TppCustomReport* TopReport() const { return FTopReport; }
  void SetTopReport(TppCustomReport* Report) { FTopReport = Report; }
  // The participant (report, sub-report or group).
  TComponent* NodeCreatorComponent() const { return FNodeCreatorComponent; }
  void SetNodeCreatorComponent(TComponent* Value) { FNodeCreatorComponent = Value; }
  TppOutline* Outline() const { return FOutline; }
  void SetOutline(TppOutline* Value);
  const std::vector<TppOutlineNode*>& PageNodeParents() const { return FPageNodeParents; }
  TppOutlineNodeCreator* ParentCreator() const { return dynamic_cast<TppOutlineNodeCreator*>(Parent()); }
  TppOutlineNodeCreator* ChildCreator(int Index) const { return dynamic_cast<TppOutlineNodeCreator*>(GetChild(Index)); }

  // Starts listening to the participant's generation events.
  virtual void Connect() {}
  // The page ended: page nodes, and what stays open waits for the next one.
  virtual void EndPage() {}
  // A node waiting for a page node of this creator is being freed.
  virtual void NodeFreed(TppOutlineNode* Node);

  // The open node of the nearest ancestor creator that has one, else the outline's root.
  TppOutlineNode* GetParentNode() const;
  TppOutlineSettings* GetSettings() const;
  // The outline's node-create handler decides (accepted unless it says no).
  bool AcceptNode(TppOutlineNode* Node);
  // Node waits for a page node (when the top report makes page nodes).
  void AddPageNodeParent(TppOutlineNode* Node);
  // One page node under each waiting node that has no waiting child of its own.
  void CreatePageNodes();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // A node this creator refers to is going: drop every reference to it.
  virtual void ForgetNode(TppOutlineNode* Node);
  // Keeps a free-notice link to a node a field refers to; Release drops it once no field does, so
  // the links stay few however many nodes a long run makes.
  void Track(TppOutlineNode* Node);
  void Release(TppOutlineNode* Node);
  virtual bool RefersTo(const TppOutlineNode* Node) const { return Node == FOpenNode; }
  // The top report's absolute page number (0 without one).
  int TopPageNo() const;
  bool MakesPageNodes() const;
  // Nothing while the outline regenerates a page whose end it already processed.
  bool PageAlreadyOutlined() const;

private:
  TppOutlineNode* FOpenNode = nullptr;
  TppCustomReport* FTopReport = nullptr;
  TComponent* FNodeCreatorComponent = nullptr;
  TppOutline* FOutline = nullptr;
  std::vector<TppOutlineNode*> FPageNodeParents;
};
