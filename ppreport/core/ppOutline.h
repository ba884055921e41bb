#pragma once
// TppOutline: the table of contents a report builds while it generates. A tree of node creators
// mirrors the report (its groups and sub-reports, through IppOutlineParticipant) and grows the
// node tree at band and page events; at each page end the report puts a copy of the tree so far
// into the page (AddOutlineDrawCommand), so earlier pages hold partial trees and the last page
// the whole one. The report owns the outline and decides when to initialise it (Initialize before
// generating) and when to snapshot (after the page-end event 17 of the same page).
#include <memory>

#include "platform/classes/Classes.h"
#include "ppreport/core/ppComm.h"

class TppCustomReport;
class TppOutlineNode;
class TppOutlineNodeCreator;

// Asked before a node is accepted; Sender is the participant whose creator made the node.
using TppOutlineNodeCreateEvent = TEvent<void(TObject* Sender, TObject* aNode, bool& aAccept)>;

class TppOutline : public TppCommunicator {
  DECLARE_CLASSINFO(TppOutline)
public:
  explicit TppOutline(TComponent* AOwner);
  ~TppOutline() override;

  // The report followed: its page events, its engine and its participants.
  TppCustomReport* Report() const { return FReport; }
  void SetReport(TppCustomReport* Value);
  bool Completed() const { return FCompleted; }
  int LastPageNo() const { return FLastPageNo; }
  TppOutlineNodeCreator* TopNodeCreator() const { return FTopNodeCreator.get(); }
  TppOutlineNode* TreeRoot() const { return FTreeRoot.get(); }
  TppOutlineNode* NoOutlineNode() const { return FNoOutlineNode; }

  // A new tree and new creators; with an active drill-down the one "NoOutline" node instead.
  // EOutlineError without a report.
  void Initialize();
  // A creator for Participant under ParentCreator (null: the top one), then for each of its
  // outline children. EOutlineError when Participant does not take part in outlines.
  TppOutlineNodeCreator* CreateNodeCreator(TComponent* Participant, TppOutlineNodeCreator* ParentCreator);
  // A frozen copy of the tree (shared with other pages where unchanged) onto the engine's page.
  virtual void AddOutlineDrawCommand();
  // Once true stays true: the report's last band is generated or it runs its second pass.
  bool IsCompleted();
  // The engine generates a page whose end was already processed: no nodes are made.
  bool PageAlreadyOutlined() const;
  virtual void DoOnOutlineNodeCreate(TComponent* Participant, TppOutlineNode* Node, bool& Accept);

  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

  TppOutlineNodeCreateEvent OnNodeCreate;

private:
  void FreeTree();
  bool HasActiveDrillDown() const;
  template <class F>
  static void ForEachCreator(TppOutlineNodeCreator* Creator, const F& Visit);

  TppCustomReport* FReport = nullptr;
  bool FCompleted = false;
  int FLastPageNo = 0;
  std::unique_ptr<TppOutlineNodeCreator> FTopNodeCreator;
  std::unique_ptr<TppOutlineNode> FTreeRoot;
  TppOutlineNode* FNoOutlineNode = nullptr;  // under the root
};
