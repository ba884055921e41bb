#pragma once
// The outline tree beside the pages: it shows the outline stored in the page on display and
// turns a click on an entry into a jump to that entry's page in the page viewer. It rebuilds only
// when the page's tree has grown; an incomplete tree ends with "...mais...". Its popup menu hides
// and shows the tree and expands or collapses it; a change of visibility is broadcast (event 101,
// "Visible") through its walkie-talkie.
#include <memory>
#include <string>

#include <QMetaObject>

#include "platform/forms/Controls.h"
#include "ppreport/core/ppComm.h"

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TppOutlineDrawCommand;
class TppOutlineNode;
class TppPage;
class TppPreview;
class TppViewer;
class IppPreviewOutline;

class TppOutlineViewer : public TWinControl {
  DECLARE_CLASSINFO(TppOutlineViewer)
public:
  explicit TppOutlineViewer(TComponent* AOwner);
  ~TppOutlineViewer() override;

  TppCommunicator* WalkieTalkie() const { return FWalkieTalkie; }
  // The shown tree is complete.
  bool Completed() const { return FCompleted; }
  // Nodes of the shown tree (the root not counted).
  int NodeCount() const { return FNodeCount; }
  TComponent* Preview() const { return FPreview; }
  void SetPreview(TComponent* Value) { FPreview = Value; }
  TppViewer* Viewer() const { return FViewer; }
  // Links the page viewer (cleared when it is freed) and drops the popup menu.
  void SetViewer(TppViewer* Value);
  bool HotTrack() const { return FHotTrack; }

  // The preview calls it for each page shown.
  void UpdateForPage(TppPage* Page);
  void Rebuild(TppOutlineDrawCommand* Command);
  // Unless an entry is selected, the first entry of that page scrolls to the top.
  void ScrollToPage(int PageNo);
  void Clear();
  void SetVisibleState(bool Value);
  void ToggleVisible() { SetVisibleState(!Visible()); }
  // Makes the popup menu when there is none and gives it to the tree and the page viewer.
  void AttachPopupMenu();
  void ExpandAll();
  // The report's entries stay open when the report is the only top entry.
  void CollapseAll();
  // The popup menu's captions in the current language.
  void LanguageChanged();
  bool IsUpdating() const { return FUpdateCount > 0; }
  // Counter up (Begin) or down, never below 0.
  void SetUpdating(bool Begin);

  // The tree widget and the popup menu (null until first made visible).
  QTreeWidget* Tree() const { return FTree; }
  QMenu* PopupMenu() const { return FPopupMenu; }
  // An entry's page (its data).
  static int ItemPage(const QTreeWidgetItem* Item);

protected:
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void NewWalkieTalkie();
  void AddNode(const TppOutlineNode* Node, QTreeWidgetItem* Parent);
  void GoToItem(QTreeWidgetItem* Item);
  void SetHotTrack(bool Value);
  void FreePopupMenu();
  void UpdateMenuItems();

  TppCommunicator* FWalkieTalkie = nullptr;  // owned
  QTreeWidget* FTree;
  QMenu* FPopupMenu = nullptr;  // child of the tree widget
  QMetaObject::Connection FViewerMenu;
  TComponent* FPreview = nullptr;
  TppViewer* FViewer = nullptr;
  bool FCompleted = false;
  bool FHotTrack = true;
  int FNodeCount = 0;
  int FUpdateCount = 0;
  bool FGoing = false;
};

// The outline tree of a preview, made on its side panel for its page viewer: what the forms'
// start-up registers with TppPreviewPlugIn.
std::unique_ptr<IppPreviewOutline> CreatePreviewOutlineViewer(TppPreview& Preview, TWinControl* SidePanel,
                                                              TppViewer* Viewer);
