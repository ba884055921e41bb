#include "ppreport/core/ppOutlineNodeCreator.h"

#include <algorithm>
#include <string>

#include "platform/classes/TypInfo.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppOutline.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppOutlineReportSettings.h"

const TClassInfo& TppOutlineNodeCreator::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppOutlineNodeCreator>("TppOutlineNodeCreator", &TppRelative::StaticClassInfo());
  return Info;
}

TppOutlineNodeCreator::TppOutlineNodeCreator(TComponent* AOwner) : TppRelative(AOwner) {}

TppOutlineNodeCreator::~TppOutlineNodeCreator() {
  BeforeDestruction();
  for (TppOutlineNode* Node : FPageNodeParents)
    if (Node->PageNodeCreator() == this) Node->SetPageNodeCreator(nullptr);
}

void TppOutlineNodeCreator::Track(TppOutlineNode* Node) {
  if (Node) FreeNotification(Node);
}

void TppOutlineNodeCreator::Release(TppOutlineNode* Node) {
  if (Node && !RefersTo(Node)) RemoveFreeNotification(Node);
}

void TppOutlineNodeCreator::SetOpenNode(TppOutlineNode* Node) {
  TppOutlineNode* Old = FOpenNode;
  FOpenNode = Node;
  Track(Node);
  Release(Old);
}

void TppOutlineNodeCreator::SetOutline(TppOutline* Value) {
  if (FOutline == Value) return;
  if (FOutline) RemoveFreeNotification(FOutline);
  FOutline = Value;
  if (FOutline) FreeNotification(FOutline);
}

void TppOutlineNodeCreator::Notification(TComponent* AComponent, TOperation Operation) {
  TppRelative::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FOutline) FOutline = nullptr;
  if (auto* Node = dynamic_cast<TppOutlineNode*>(AComponent)) ForgetNode(Node);
}

void TppOutlineNodeCreator::ForgetNode(TppOutlineNode* Node) {
  if (FOpenNode == Node) FOpenNode = nullptr;
  std::erase(FPageNodeParents, Node);
}

void TppOutlineNodeCreator::NodeFreed(TppOutlineNode* Node) { std::erase(FPageNodeParents, Node); }

TppOutlineNode* TppOutlineNodeCreator::GetParentNode() const {
  for (TppOutlineNodeCreator* C = ParentCreator(); C; C = C->ParentCreator())
    if (C->OpenNode()) return C->OpenNode();
  return FOutline ? FOutline->TreeRoot() : nullptr;
}

TppOutlineSettings* TppOutlineNodeCreator::GetSettings() const {
  auto* P = dynamic_cast<IppOutlineParticipant*>(FNodeCreatorComponent);
  return P ? P->GetOutlineSettings() : nullptr;
}

bool TppOutlineNodeCreator::AcceptNode(TppOutlineNode* Node) {
  bool Accept = true;
  if (FOutline) FOutline->DoOnOutlineNodeCreate(FNodeCreatorComponent, Node, Accept);
  return Accept;
}

bool TppOutlineNodeCreator::MakesPageNodes() const {
  auto* P = dynamic_cast<IppOutlineParticipant*>(FTopReport);
  auto* Settings = P ? dynamic_cast<TppOutlineReportSettings*>(P->GetOutlineSettings()) : nullptr;
  return Settings && Settings->CreatePageNodes();
}

int TppOutlineNodeCreator::TopPageNo() const { return FTopReport ? FTopReport->AbsolutePageNo() : 0; }

bool TppOutlineNodeCreator::PageAlreadyOutlined() const { return FOutline && FOutline->PageAlreadyOutlined(); }

void TppOutlineNodeCreator::AddPageNodeParent(TppOutlineNode* Node) {
  if (!Node || !MakesPageNodes()) return;
  if (std::find(FPageNodeParents.begin(), FPageNodeParents.end(), Node) == FPageNodeParents.end())
    FPageNodeParents.push_back(Node);
  Node->SetPageNodeCreator(this);
}

void TppOutlineNodeCreator::CreatePageNodes() {
  if (!MakesPageNodes()) return;
  const int PageNo = TopPageNo();
  while (!FPageNodeParents.empty()) {
    TppOutlineNode* P = FPageNodeParents.front();
    // A node whose child waits for a page node leaves the page to that child.
    if (!P->HasWaitingChild()) {
      auto* Page = new TppOutlineNode(nullptr);
      Page->SetCaption(LanguageString(18) + " " + std::to_string(PageNo));
      Page->SetNodeType(ntPage);
      Page->SetPageReference(PageNo);
      Page->SetParent(P);
      if (!AcceptNode(Page)) Page->Free();
    }
    P->SetPageNodeCreator(nullptr);
    std::erase(FPageNodeParents, P);
  }
}
