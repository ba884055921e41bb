#pragma once
// The node creator of a group: a node per group value, made when the group header prints (or,
// with a hidden header, the first detail), closed by the group footer. A keep-together group
// that does not fit moves to the next page: its node made on the page it left is dropped.
#include "ppreport/core/ppOutlineNodeCreator.h"

class TppBand;
class TppGroup;

class TppOutlineGroupNodeCreator : public TppOutlineNodeCreator {
  DECLARE_CLASSINFO(TppOutlineGroupNodeCreator)
public:
  explicit TppOutlineGroupNodeCreator(TComponent* AOwner);
  ~TppOutlineGroupNodeCreator() override;

  // The first node opened on the current page.
  TppOutlineNode* FirstNodeOfPage() const { return FFirstNodeOfPage; }
  // The group's header printed for the current value.
  bool HeaderShown() const { return FHeaderShown; }
  // The node open before the current one.
  TppOutlineNode* PriorNode() const { return FPriorNode; }

  // Listens to the group's header and footer and to the report's detail band.
  void Connect() override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void EndPage() override;
  void NodeFreed(TppOutlineNode* Node) override;
  void CreateGroupNode();
  // At each page end, before any creator ends its page.
  void DropUnconfirmedNode();
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  void ForgetNode(TppOutlineNode* Node) override;
  bool RefersTo(const TppOutlineNode* Node) const override;

private:
  TppGroup* Group() const;
  // A group whose creator lies below this one (through group creators) is being kept together.
  bool LowerGroupKeptTogether() const;

  TppOutlineNode* FFirstNodeOfPage = nullptr;
  bool FHeaderShown = false;
  TppOutlineNode* FPriorNode = nullptr;
  TppBand* FHeader = nullptr;
  TppBand* FFooter = nullptr;
  TppBand* FDetail = nullptr;
};
