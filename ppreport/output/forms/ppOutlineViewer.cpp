#include "ppreport/output/forms/ppOutlineViewer.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppOutlineDrawCommand.h"
#include "ppreport/core/ppOutlineNode.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/output/forms/ppPreview.h"
#include "ppreport/output/forms/ppViewer.h"

namespace {
constexpr int PageRole = Qt::UserRole;

// Read-only tree: a left press on an entry goes to its page; double clicks and right-button
// presses do nothing (the context menu still comes).
class TOutlineTree : public QTreeWidget {
public:
  std::function<void(QTreeWidgetItem*)> OnPress;

protected:
  void mousePressEvent(QMouseEvent* E) override {
    if (E->button() == Qt::RightButton) {
      E->accept();
      return;
    }
    QTreeWidget::mousePressEvent(E);
    if (QTreeWidgetItem* Item = itemAt(E->position().toPoint()); Item && OnPress) OnPress(Item);
  }
  void mouseDoubleClickEvent(QMouseEvent* E) override { E->accept(); }
};
}  // namespace

const TClassInfo& TppOutlineViewer::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppOutlineViewer>("TppOutlineViewer", &TWinControl::StaticClassInfo());
  return Info;
}

TppOutlineViewer::TppOutlineViewer(TComponent* AOwner)
    : TWinControl(AOwner, new TOutlineTree), FTree(static_cast<QTreeWidget*>(Widget())) {
  SetTabStop(false);
  FTree->setHeaderHidden(true);
  FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FTree->setSelectionMode(QAbstractItemView::SingleSelection);
  FTree->setFocusPolicy(Qt::ClickFocus);
  FTree->setContextMenuPolicy(Qt::CustomContextMenu);
  SetHotTrack(true);
  static_cast<TOutlineTree*>(FTree)->OnPress = [this](QTreeWidgetItem* Item) { GoToItem(Item); };
  QObject::connect(FTree, &QTreeWidget::itemSelectionChanged, FTree, [this] {
    if (IsUpdating()) return;
    const QList<QTreeWidgetItem*> Selected = FTree->selectedItems();
    if (!Selected.isEmpty()) GoToItem(Selected.first());
  });
  QObject::connect(FTree, &QWidget::customContextMenuRequested, FTree, [this](const QPoint& At) {
    if (FPopupMenu) FPopupMenu->popup(FTree->viewport()->mapToGlobal(At));
  });
  NewWalkieTalkie();
  SetBounds(0, 0, 150, 200);
}

TppOutlineViewer::~TppOutlineViewer() { BeforeDestruction(); }

void TppOutlineViewer::Destroying() {
  FGoing = true;
  SetViewer(nullptr);
  if (FWalkieTalkie) {
    RemoveFreeNotification(FWalkieTalkie);
    FWalkieTalkie->Free();
    FWalkieTalkie = nullptr;
  }
  TWinControl::Destroying();
}

void TppOutlineViewer::NewWalkieTalkie() {
  FWalkieTalkie = new TppCommunicator(nullptr);
  FreeNotification(FWalkieTalkie);
}

void TppOutlineViewer::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FViewer) {
    FViewer = nullptr;
    FreePopupMenu();
  }
  // Someone freed the embedded walkie-talkie. Raising here would escape a destructor and end the
  // program, so the viewer takes a fresh one (its listeners must listen again).
  if (AComponent == FWalkieTalkie && !FGoing) NewWalkieTalkie();
}

void TppOutlineViewer::SetViewer(TppViewer* Value) {
  if (FViewer == Value) return;
  FreePopupMenu();
  if (FViewer) RemoveFreeNotification(FViewer);
  FViewer = Value;
  if (FViewer) FreeNotification(FViewer);
}

int TppOutlineViewer::ItemPage(const QTreeWidgetItem* Item) {
  return Item ? Item->data(0, PageRole).toInt() : 0;
}

void TppOutlineViewer::GoToItem(QTreeWidgetItem* Item) {
  const int Page = ItemPage(Item);
  if (Page > 0 && FViewer) FViewer->GotoPage(Page);
}

void TppOutlineViewer::SetUpdating(bool Begin) {
  if (Begin) ++FUpdateCount;
  else if (FUpdateCount > 0) --FUpdateCount;
}

void TppOutlineViewer::SetHotTrack(bool Value) {
  FHotTrack = Value;
  FTree->setMouseTracking(Value);
  FTree->viewport()->setAttribute(Qt::WA_Hover, Value);
  SetShowHint(Value);
}

void TppOutlineViewer::AddNode(const TppOutlineNode* Node, QTreeWidgetItem* Parent) {
  for (int I = 0; I < Node->GetChildCount(); ++I) {
    const TppOutlineNode* Child = Node->GetOutlineChild(I);
    if (!Child) continue;
    auto* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(FTree);
    Item->setText(0, QString::fromStdString(Child->Caption()));
    Item->setData(0, PageRole, Child->PageReference());
    AddNode(Child, Item);
  }
}

void TppOutlineViewer::Rebuild(TppOutlineDrawCommand* Command) {
  SetUpdating(true);
  TFinally Done([this] {
    FTree->setUpdatesEnabled(true);
    SetUpdating(false);
  });
  FTree->setUpdatesEnabled(false);
  FTree->clear();
  const TppOutlineNode* Root = Command ? Command->Tree() : nullptr;
  if (Root) AddNode(Root, nullptr);
  FTree->expandAll();
  FNodeCount = Root ? Root->GetAbsoluteChildNodeCount() : 0;
  const bool Complete = Command && Command->Completed();
  if (FNodeCount > 0 && !Complete) {
    new QTreeWidgetItem(FTree);
    (new QTreeWidgetItem(FTree))->setText(0, QString::fromStdString(LanguageString(1045)));
  }
  if (FNodeCount == 1 && Complete) SetHotTrack(false);
}

void TppOutlineViewer::UpdateForPage(TppPage* Page) {
  if (!Page) return;
  for (QTreeWidgetItem* Item : FTree->selectedItems())
    if (ItemPage(Item) != Page->AbsolutePageNo()) {
      SetUpdating(true);
      TFinally Done([this] { SetUpdating(false); });
      FTree->clearSelection();
      FTree->setCurrentItem(nullptr);
    }
  auto* Command = dynamic_cast<TppOutlineDrawCommand*>(Page->GetOutlineDrawCommand());
  if (!Command) return;
  FCompleted = Command->Completed();
  const TppOutlineNode* Root = Command->Tree();
  const int Count = Root ? Root->GetAbsoluteChildNodeCount() : 0;
  if (FNodeCount < Count) {
    Rebuild(Command);
    return;
  }
  if (!FCompleted) return;
  const TppOutlineNode* First = Root && Root->GetChildCount() > 0 ? Root->GetOutlineChild(0) : nullptr;
  if (!First || First->NodeType() == ntNoOutline) SetHotTrack(false);
  const int Last = FTree->topLevelItemCount() - 1;
  if (Last >= 0 && FTree->topLevelItem(Last)->text(0).toStdString() == LanguageString(1045))
    delete FTree->takeTopLevelItem(Last);
}

void TppOutlineViewer::ScrollToPage(int PageNo) {
  if (!FTree->selectedItems().isEmpty()) return;
  for (QTreeWidgetItemIterator It(FTree); *It; ++It)
    if (ItemPage(*It) == PageNo) {
      FTree->scrollToItem(*It, QAbstractItemView::PositionAtTop);
      return;
    }
}

void TppOutlineViewer::Clear() {
  SetUpdating(true);
  TFinally Done([this] { SetUpdating(false); });
  FTree->clear();
  FTree->setCurrentItem(nullptr);
  FNodeCount = 0;
  FCompleted = false;
  FreePopupMenu();
}

void TppOutlineViewer::AttachPopupMenu() {
  if (FPopupMenu) return;
  FPopupMenu = new QMenu(FTree);
  QObject::connect(FPopupMenu->addAction(QString()), &QAction::triggered, FPopupMenu, [this] { ToggleVisible(); });
  QObject::connect(FPopupMenu->addAction(QString()), &QAction::triggered, FPopupMenu, [this] { ExpandAll(); });
  QObject::connect(FPopupMenu->addAction(QString()), &QAction::triggered, FPopupMenu, [this] { CollapseAll(); });
  if (FViewer && FViewer->Widget()) {
    QWidget* W = FViewer->Widget();
    W->setContextMenuPolicy(Qt::CustomContextMenu);
    FViewerMenu = QObject::connect(W, &QWidget::customContextMenuRequested, FPopupMenu,
                                   [this, W](const QPoint& At) { FPopupMenu->popup(W->mapToGlobal(At)); });
  }
  LanguageChanged();
}

void TppOutlineViewer::FreePopupMenu() {
  if (!FPopupMenu) return;
  QObject::disconnect(FViewerMenu);
  if (FViewer && FViewer->Widget()) FViewer->Widget()->setContextMenuPolicy(Qt::DefaultContextMenu);
  delete FPopupMenu;
  FPopupMenu = nullptr;
}

void TppOutlineViewer::LanguageChanged() {
  if (!FPopupMenu) return;
  const QList<QAction*> Items = FPopupMenu->actions();
  Items[0]->setText(QString::fromStdString(LanguageString(Visible() ? 1041 : 1042)));
  Items[1]->setText(QString::fromStdString(LanguageString(1043)));
  Items[2]->setText(QString::fromStdString(LanguageString(1044)));
  Items[1]->setEnabled(Visible());
  Items[2]->setEnabled(Visible());
}

void TppOutlineViewer::SetVisibleState(bool Value) {
  if (IsUpdating()) return;
  QWidget* ParentWidget = Parent() ? Parent()->Widget() : nullptr;
  SetUpdating(true);
  {
    TFinally Unlock([this, ParentWidget] {
      if (ParentWidget) ParentWidget->setUpdatesEnabled(true);
      SetUpdating(false);
    });
    if (ParentWidget) ParentWidget->setUpdatesEnabled(false);
    SetVisible(Value);
  }
  if (Value) AttachPopupMenu();
  LanguageChanged();
  bool Shown = Value;
  TraParamList Params;
  Params.AddParam("Visible", vkBoolean);
  Params.BindParam(0, &Shown);
  FWalkieTalkie->SendEventNotify(FWalkieTalkie, ciOutlineViewerVisibleChange, &Params);
}

void TppOutlineViewer::ExpandAll() { FTree->expandAll(); }

namespace {
void CollapseWithDescendants(QTreeWidgetItem* Item) {
  for (int I = 0; I < Item->childCount(); ++I) CollapseWithDescendants(Item->child(I));
  Item->setExpanded(false);
}
}  // namespace

void TppOutlineViewer::CollapseAll() {
  QTreeWidgetItem* First = FTree->topLevelItem(0);
  if (!First) return;
  QTreeWidgetItem* Next = FTree->topLevelItem(1);
  if (Next && !Next->text(0).isEmpty()) {
    for (int I = 0; I < FTree->topLevelItemCount(); ++I) CollapseWithDescendants(FTree->topLevelItem(I));
  } else {
    for (int I = 0; I < First->childCount(); ++I) CollapseWithDescendants(First->child(I));
  }
}

// ---- the preview's outline

namespace {
// The tree on the preview's side panel (which owns it). The preview listens to a walkie-talkie of
// this object's own, which passes the tree's notices on: it outlives the tree, whose controls the
// window may free first.
class TPreviewOutline final : public TComponent, public IppPreviewOutline {
public:
  TPreviewOutline(TppPreview& Preview, TWinControl* SidePanel, TppViewer* Viewer)
      : TComponent(nullptr), FTree(new TppOutlineViewer(SidePanel)), FRelay(new TppCommunicator(nullptr)) {
    FTree->SetParent(SidePanel);
    FTree->SetPreview(&Preview);
    FTree->SetViewer(Viewer);
    FreeNotification(FTree);
    FRelay->EventMask().Include(ciOutlineViewerVisibleChange);
    FRelay->OnEventNotify = [this](TppCommunicator*, TppCommunicator* Sender, int EventID, TraParamList* Params) {
      if (Sender != FRelay) FRelay->SendEventNotify(FRelay, EventID, Params);
    };
    FTree->WalkieTalkie()->AddEventNotify(FRelay);
  }
  ~TPreviewOutline() override {
    BeforeDestruction();
    FRelay->Free();
  }

  TControl* Control() override { return FTree; }
  TppCommunicator* WalkieTalkie() override { return FRelay; }
  bool GetVisible() const override { return FTree && FTree->Visible(); }
  void SetVisibleState(bool Visible) override {
    if (FTree) FTree->SetVisibleState(Visible);
  }
  void Clear() override {
    if (FTree) FTree->Clear();
  }
  void UpdateForPage(TppPage* Page) override {
    if (FTree) FTree->UpdateForPage(Page);
  }
  void ScrollToPage(int AbsolutePageNo) override {
    if (FTree) FTree->ScrollToPage(AbsolutePageNo);
  }
  void LanguageChanged(TppPage*) override {
    if (FTree) FTree->LanguageChanged();
  }
  void AttachPopupMenu() override {
    if (FTree) FTree->AttachPopupMenu();
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTree) FTree = nullptr;
  }

private:
  TppOutlineViewer* FTree;
  TppCommunicator* FRelay;  // owned
};
}  // namespace

std::unique_ptr<IppPreviewOutline> CreatePreviewOutlineViewer(TppPreview& Preview, TWinControl* SidePanel,
                                                              TppViewer* Viewer) {
  return std::make_unique<TPreviewOutline>(Preview, SidePanel, Viewer);
}
