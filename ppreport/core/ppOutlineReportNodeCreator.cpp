#include "ppreport/core/ppOutlineReportNodeCreator.h"

#include <algorithm>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppOutline.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppOutlineSettings.h"

const TClassInfo& TppOutlineReportNodeCreator::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppOutlineReportNodeCreator>(
      "TppOutlineReportNodeCreator", &TppOutlineNodeCreator::StaticClassInfo());
  return Info;
}

TppOutlineReportNodeCreator::TppOutlineReportNodeCreator(TComponent* AOwner) : TppOutlineNodeCreator(AOwner) {}

TppOutlineReportNodeCreator::~TppOutlineReportNodeCreator() { BeforeDestruction(); }

IppOutlineReportParticipant* TppOutlineReportNodeCreator::Participant() const {
  return dynamic_cast<IppOutlineReportParticipant*>(NodeCreatorComponent());
}

void TppOutlineReportNodeCreator::Connect() {
  EventMask().Clear();
  EventMask().Include(ciReportGenerationStart);
  if (FReport) FReport->RemoveEventNotify(this);
  IppOutlineReportParticipant* P = Participant();
  FReport = P ? P->GetOutlineReport() : nullptr;
  if (FReport) FReport->AddEventNotify(this);
}

void TppOutlineReportNodeCreator::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner == FReport) FReport = nullptr;
  TppOutlineNodeCreator::Notify(Partner, Operation);
}

void TppOutlineReportNodeCreator::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppOutlineNodeCreator::EventNotify(Sender, EventID, Params);
  if (EventID != ciReportGenerationStart || !FReport || Sender != FReport) return;
  if (!Outline()) throw EOutlineError(ppErrorText("TppOutlineReportNodeCreator", "EventNotify", SppOutlineIsNil));
  if (!NodeCreatorComponent())
    throw EOutlineError(ppErrorText("TppOutlineReportNodeCreator", "EventNotify", SppNodeCreatorComponentIsNil));
  if (PageAlreadyOutlined()) return;
  IppOutlineReportParticipant* P = Participant();
  if (P && (!P->IsOutlineSubReport() || P->IsOutlineSection())) CreateReportNode();
}

void TppOutlineReportNodeCreator::CreateReportNode() {
  if (OpenNode() && OpenNode()->IsOpen()) return;
  IppOutlineReportParticipant* P = Participant();
  if (!P) return;
  std::string Caption = P->GetOutlineCaption();
  Caption = Caption.substr(0, Caption.find(':'));
  if (Caption.empty()) Caption = LanguageString(1040);
  TppOutlineSettings* Settings = GetSettings();
  TppOutlineNode* Parent = GetParentNode();
  auto* Node = new TppOutlineNode(nullptr);
  Node->SetIsOpen(true);
  Node->SetAccepted(!Settings || Settings->CreateNode());
  Node->SetCaption(Caption);
  Node->SetNodeType(P->IsOutlineSubReport() ? ntSubReport : ntReport);
  Node->SetPageReference(std::max(TopPageNo(), 1));
  if (Parent) Node->SetParent(Parent);
  SetOpenNode(Node);
  if (Node->Accepted()) Node->SetAccepted(AcceptNode(Node));
  AddPageNodeParent(Node);
}

void TppOutlineReportNodeCreator::EndPage() {
  IppOutlineReportParticipant* P = Participant();
  if (OpenNode() && P && P->IsLastBandGenerated()) OpenNode()->SetIsOpen(false);
  CreatePageNodes();
  if (OpenNode() && OpenNode()->IsOpen()) AddPageNodeParent(OpenNode());
}
