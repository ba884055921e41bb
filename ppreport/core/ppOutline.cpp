#include "ppreport/core/ppOutline.h"

#include <algorithm>
#include <set>
#include <vector>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineGroupNodeCreator.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppOutlineReportSettings.h"
#include "ppreport/core/ppUnits.h"

const TClassInfo& TppOutline::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppOutline>("TppOutline", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppOutline::TppOutline(TComponent* AOwner) : TppCommunicator(AOwner) {}

TppOutline::~TppOutline() {
  BeforeDestruction();
  FreeTree();
}

void TppOutline::FreeTree() {
  FNoOutlineNode = nullptr;
  FTopNodeCreator.reset();
  FTreeRoot.reset();
}

void TppOutline::SetReport(TppCustomReport* Value) {
  if (FReport == Value) return;
  if (FReport) FReport->RemoveEventNotify(this);
  FReport = Value;
  if (FReport) FReport->AddEventNotify(this);
}

void TppOutline::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner == FReport) {
    FReport = nullptr;
    FreeTree();
  }
  TppCommunicator::Notify(Partner, Operation);
}

bool TppOutline::HasActiveDrillDown() const {
  std::set<const TppCustomReport*> Seen;
  std::vector<TppCustomReport*> Pending{FReport};
  while (!Pending.empty()) {  // each report once: a walk that ends whatever the tree holds
    TppCustomReport* R = Pending.back();
    Pending.pop_back();
    if (!R || !Seen.insert(R).second) continue;
    for (int B = 0; B < R->BandCount(); ++B) {
      std::vector<TppComponent*> SubReports;
      R->GetBands(B)->GetSubReports(SubReports);
      for (TppComponent* S : SubReports) {
        auto* P = dynamic_cast<IppOutlineReportParticipant*>(S);
        if (!P) continue;
        if (P->IsOutlineDrillDownActive()) return true;
        Pending.push_back(P->GetOutlineReport());
      }
    }
  }
  return false;
}

void TppOutline::Initialize() {
  if (!FReport) throw EOutlineError(ppErrorText("TppOutline", "Initialize", SppOutlineReportIsNil));
  FLastPageNo = 0;
  FreeTree();
  FTreeRoot = std::make_unique<TppOutlineNode>(nullptr);
  FTreeRoot->SetNodeType(ntRoot);
  FTreeRoot->SetPageReference(-1);
  for (int E : {ciReportEndFirstPass, ciReportEndPage, ciReportStartPage}) EventMask().Exclude(E);
  if (HasActiveDrillDown()) {
    FCompleted = true;
    FNoOutlineNode = new TppOutlineNode(nullptr);
    FNoOutlineNode->SetCaption(SppNoOutlineDrillDown);
    FNoOutlineNode->SetNodeType(ntNoOutline);
    FNoOutlineNode->SetPageReference(-1);
    FNoOutlineNode->SetIsOpen(true);
    FNoOutlineNode->SetParent(FTreeRoot.get());
    return;
  }
  FCompleted = false;
  FTopNodeCreator.reset(CreateNodeCreator(FReport, nullptr));
  for (int E : {ciReportEndFirstPass, ciReportEndPage, ciReportStartPage}) EventMask().Include(E);
}

TppOutlineNodeCreator* TppOutline::CreateNodeCreator(TComponent* Participant, TppOutlineNodeCreator* ParentCreator) {
  auto* P = dynamic_cast<IppOutlineParticipant*>(Participant);
  if (!P) throw EOutlineError(ppErrorText("TppOutline", "CreateNodeCreator", SppOutlineNoParticipant));
  const TClassInfo& Class = P->GetNodeCreatorClass();
  TPersistent* Made = Class.Create ? Class.Create(nullptr) : nullptr;
  auto* Creator = dynamic_cast<TppOutlineNodeCreator*>(Made);
  if (!Creator) {
    if (auto* C = dynamic_cast<TComponent*>(Made))
      C->Free();
    else
      delete Made;
    throw EOutlineError(ppErrorText("TppOutline", "CreateNodeCreator", SppOutlineNotACreator));
  }
  std::unique_ptr<TppOutlineNodeCreator> Guard(Creator);
  Creator->SetTopReport(ParentCreator ? ParentCreator->TopReport() : dynamic_cast<TppCustomReport*>(Participant));
  Creator->SetNodeCreatorComponent(Participant);
  Creator->SetOutline(this);
  if (ParentCreator) Creator->SetParent(ParentCreator);  // the parent owns it from here
  TppOutlineNodeCreator* Result = ParentCreator ? Guard.release() : Creator;
  Result->Connect();
  for (TComponent* Child : P->GetOutlineChildren()) {
    // A participant already above (a report that holds itself) would never end the tree.
    bool Above = false;
    for (TppOutlineNodeCreator* C = Result; C && !Above; C = C->ParentCreator())
      Above = C->NodeCreatorComponent() == Child;
    if (Child && !Above) CreateNodeCreator(Child, Result);
  }
  Guard.release();
  return Result;
}

void TppOutline::AddOutlineDrawCommand() {
  TppCustomEngine* Engine = FReport ? FReport->Engine() : nullptr;
  TppPage* Page = Engine ? Engine->GetPage() : nullptr;
  if (!Page || !FTreeRoot) return;
  auto Command = std::make_unique<TppOutlineDrawCommand>(nullptr);
  Command->SetSnapshot(TppOutlineNode::Freeze(FTreeRoot.get()));
  Command->SetCompleted(IsCompleted());
  Command->SetPage(Page);  // the page owns it from here (a second outline command is refused)
  Command.release();
}

bool TppOutline::IsCompleted() {
  if (FCompleted) return true;
  auto* P = dynamic_cast<IppOutlineReportParticipant*>(FReport);
  TppCustomEngine* Engine = FReport ? FReport->Engine() : nullptr;
  FCompleted = (P && P->IsLastBandGenerated()) || (Engine && Engine->SecondPass());
  return FCompleted;
}

bool TppOutline::PageAlreadyOutlined() const {
  return FLastPageNo > 0 && FReport && FLastPageNo >= FReport->AbsolutePageNo();
}

void TppOutline::DoOnOutlineNodeCreate(TComponent* Participant, TppOutlineNode* Node, bool& Accept) {
  if (OnNodeCreate) OnNodeCreate(Participant, Node, Accept);
}

template <class F>
void TppOutline::ForEachCreator(TppOutlineNodeCreator* Creator, const F& Visit) {
  if (!Creator) return;
  Visit(Creator);
  for (int I = 0; I < Creator->GetChildCount(); ++I) ForEachCreator(Creator->ChildCreator(I), Visit);
}

void TppOutline::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCommunicator::EventNotify(Sender, EventID, Params);
  if (EventID != ciReportEndPage || Sender != FReport || !FTopNodeCreator || PageAlreadyOutlined()) return;
  ForEachCreator(FTopNodeCreator.get(), [](TppOutlineNodeCreator* C) {
    if (auto* G = dynamic_cast<TppOutlineGroupNodeCreator*>(C)) G->DropUnconfirmedNode();
  });
  ForEachCreator(FTopNodeCreator.get(), [](TppOutlineNodeCreator* C) { C->EndPage(); });
  FLastPageNo = FReport->AbsolutePageNo();
}

void InitializeOutlineUnit() {
  RegisterPPClasses({&TppOutlineSettings::StaticClassInfo(), &TppOutlineReportSettings::StaticClassInfo(),
                     &TppOutlineNode::StaticClassInfo(), &TppOutlineDrawCommand::StaticClassInfo()});
}

void FinalizeOutlineUnit() {
  UnregisterPPClasses({&TppOutlineDrawCommand::StaticClassInfo(), &TppOutlineNode::StaticClassInfo(),
                       &TppOutlineReportSettings::StaticClassInfo(), &TppOutlineSettings::StaticClassInfo()});
}
