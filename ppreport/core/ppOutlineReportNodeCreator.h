#pragma once
// The node creator of a report or a sub-report: a node for the report when it starts generating
// (a sub-report only when it prints as a section), closed when its last band has been generated.
#include "ppreport/core/ppOutlineNodeCreator.h"

class IppOutlineReportParticipant;

class TppOutlineReportNodeCreator : public TppOutlineNodeCreator {
  DECLARE_CLASSINFO(TppOutlineReportNodeCreator)
public:
  explicit TppOutlineReportNodeCreator(TComponent* AOwner);
  ~TppOutlineReportNodeCreator() override;

  // Listens to the participant's report for the start of generation.
  void Connect() override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;
  void EndPage() override;
  // The report's node, unless one is open.
  void CreateReportNode();
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

private:
  IppOutlineReportParticipant* Participant() const;
  TppCommunicator* FReport = nullptr;
};
