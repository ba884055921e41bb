#include "ppreport/core/ppOutlineGroupNodeCreator.h"

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppOutlineSettings.h"

const TClassInfo& TppOutlineGroupNodeCreator::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppOutlineGroupNodeCreator>(
      "TppOutlineGroupNodeCreator", &TppOutlineNodeCreator::StaticClassInfo());
  return Info;
}

TppOutlineGroupNodeCreator::TppOutlineGroupNodeCreator(TComponent* AOwner) : TppOutlineNodeCreator(AOwner) {}

TppOutlineGroupNodeCreator::~TppOutlineGroupNodeCreator() { BeforeDestruction(); }

TppGroup* TppOutlineGroupNodeCreator::Group() const { return dynamic_cast<TppGroup*>(NodeCreatorComponent()); }

void TppOutlineGroupNodeCreator::Connect() {
  EventMask().Clear();
  EventMask().Include(ciBandAfterGenerate);
  EventMask().Include(ciBandBeforeGenerate);
  for (TppBand* Band : {FHeader, FFooter, FDetail})
    if (Band) Band->RemoveEventNotify(this);
  FHeader = FFooter = FDetail = nullptr;
  TppGroup* G = Group();
  if (!G) return;
  FHeader = G->HeaderBand();
  FFooter = G->FooterBand();
  FDetail = G->Report() ? G->Report()->GetDetailBand() : nullptr;
  for (TppBand* Band : {FHeader, FFooter, FDetail})
    if (Band) Band->AddEventNotify(this);
}

void TppOutlineGroupNodeCreator::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove) {
    if (Partner == FHeader) FHeader = nullptr;
    if (Partner == FFooter) FFooter = nullptr;
    if (Partner == FDetail) FDetail = nullptr;
  }
  TppOutlineNodeCreator::Notify(Partner, Operation);
}

void TppOutlineGroupNodeCreator::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppOutlineNodeCreator::EventNotify(Sender, EventID, Params);
  if (!Sender || PageAlreadyOutlined()) return;
  if (EventID == ciBandBeforeGenerate && Sender == FHeader) {
    FHeaderShown = FHeader->mmHeight() > 0 && FHeader->Visible();
    if (FHeaderShown) CreateGroupNode();
  } else if (EventID == ciBandBeforeGenerate && Sender == FDetail) {
    if (!FHeaderShown) CreateGroupNode();
  } else if (EventID == ciBandAfterGenerate && Sender == FFooter) {
    if (!FFooter->OverFlow() && OpenNode()) OpenNode()->SetIsOpen(false);
  }
}

void TppOutlineGroupNodeCreator::CreateGroupNode() {
  if (OpenNode() && OpenNode()->IsOpen()) return;
  TppGroup* G = Group();
  TppOutlineSettings* Settings = GetSettings();
  TppOutlineNode* Parent = GetParentNode();
  auto* Node = new TppOutlineNode(nullptr);
  Node->SetIsOpen(true);
  Node->SetAccepted(!Settings || Settings->CreateNode());
  Node->SetCaption(G ? G->BreakValue() : std::string());
  Node->SetNodeType(ntGroup);
  Node->SetPageReference(TopPageNo());
  if (Parent) Node->SetParent(Parent);
  TppOutlineNode* OldPrior = FPriorNode;
  FPriorNode = OpenNode();
  Track(FPriorNode);
  SetOpenNode(Node);
  Release(OldPrior);
  if (Node->Accepted()) Node->SetAccepted(AcceptNode(Node));
  if (!FFirstNodeOfPage) {
    FFirstNodeOfPage = Node;
    Track(Node);
  }
  AddPageNodeParent(Node);
}

void TppOutlineGroupNodeCreator::EndPage() {
  CreatePageNodes();
  TppOutlineNode* OldFirst = FFirstNodeOfPage;
  FFirstNodeOfPage = nullptr;
  if (OpenNode() && OpenNode()->IsOpen()) {
    AddPageNodeParent(OpenNode());
    FFirstNodeOfPage = OpenNode();
  }
  Release(OldFirst);
}

bool TppOutlineGroupNodeCreator::RefersTo(const TppOutlineNode* Node) const {
  return TppOutlineNodeCreator::RefersTo(Node) || Node == FFirstNodeOfPage || Node == FPriorNode;
}

bool TppOutlineGroupNodeCreator::LowerGroupKeptTogether() const {
  for (int I = 0; I < GetChildCount(); ++I) {
    auto* Lower = dynamic_cast<TppOutlineGroupNodeCreator*>(GetChild(I));
    if (!Lower) continue;
    if (TppGroup* G = Lower->Group(); G && G->KeptTogether()) return true;
    if (Lower->LowerGroupKeptTogether()) return true;
  }
  return false;
}

void TppOutlineGroupNodeCreator::DropUnconfirmedNode() {
  TppOutlineNode* Node = OpenNode();
  TppGroup* G = Group();
  if (!Node || !Node->IsOpen() || Node == FFirstNodeOfPage || !G || !G->KeepTogether() || LowerGroupKeptTogether())
    return;
  TppOutlineNode* Prior = FPriorNode;
  Node->Free();  // its free notice clears OpenNode (and FirstNodeOfPage, PriorNode where they were it)
  SetOpenNode(Prior);
}

void TppOutlineGroupNodeCreator::NodeFreed(TppOutlineNode* Node) {
  TppOutlineNodeCreator::NodeFreed(Node);
  ForgetNode(Node);
}

void TppOutlineGroupNodeCreator::ForgetNode(TppOutlineNode* Node) {
  TppOutlineNodeCreator::ForgetNode(Node);
  if (FFirstNodeOfPage == Node) FFirstNodeOfPage = nullptr;
  if (FPriorNode == Node) FPriorNode = nullptr;
}
