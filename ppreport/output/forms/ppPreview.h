#pragma once
// The working area of a preview window around a page viewer: a toolbar (print, autosearch, text
// search, zoom, page navigation, cancel/close), a side panel for the outline tree and the text
// search panel, and a status bar the window hands in. Toolbar clicks and keys become viewer
// operations; the viewer's notices (page, print state, status, reset, mouse down) keep the toolbar
// in step.
//
// TppCustomPreview holds the viewer, the search plug-in and the key and action handling;
// TppPreview adds the controls. TppPreviewPlugIn says which preview class a preview window makes,
// which search plug-in a preview makes, and which outline tree goes in the side panel.
#include <functional>
#include <memory>

#include "platform/forms/Buttons.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Mask.h"
#include "platform/forms/StdCtrls.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/output/forms/ppTextSearchCustomPreview.h"
#include "ppreport/output/forms/ppViewer.h"

class TppCustomPreview;
class TppPreview;
class TppPage;

// The outline tree beside the pages, as the preview drives it. The outline's viewer plugs in
// through TppPreviewPlugIn::RegisterOutlineViewer; without one the side panel holds no outline.
class IppPreviewOutline {
public:
  virtual ~IppPreviewOutline() = default;
  // Its control (owned by the side panel it was made on).
  virtual TControl* Control() = 0;
  // Broadcasts ciOutlineViewerVisibleChange when the tree is shown or hidden.
  virtual TppCommunicator* WalkieTalkie() = 0;
  virtual bool GetVisible() const = 0;
  virtual void SetVisibleState(bool Visible) = 0;
  virtual void Clear() = 0;
  virtual void UpdateForPage(TppPage* Page) = 0;
  virtual void ScrollToPage(int AbsolutePageNo) = 0;
  virtual void LanguageChanged(TppPage* Page) = 0;
  virtual void AttachPopupMenu() = 0;
};

// Makes the outline tree of Preview on SidePanel, given the preview's viewer.
using TppPreviewOutlineFactory =
    std::function<std::unique_ptr<IppPreviewOutline>(TppPreview& Preview, TWinControl* SidePanel, TppViewer* Viewer)>;

class TppPreviewPlugIn {
public:
  TppPreviewPlugIn() = delete;
  // The preview class a preview window creates (a TppCustomPreview; TppPreview when none).
  static void RegisterPreviewClass(const TClassInfo& Class);
  static void UnregisterPreviewClass();
  static TppCustomPreview* CreatePreview(TComponent* Owner);
  // The search plug-in a preview creates (a TppCustomSearchPreview), none by default.
  static void RegisterPlugInClass(const TClassInfo& Class);
  static void UnregisterPlugInClass();
  // A new plug-in owned by Preview, null when no class is registered.
  static TppCustomSearchPreview* CreatePlugIn(TppCustomPreview* Preview);
  static void RegisterOutlineViewer(TppPreviewOutlineFactory Factory);
  static void UnregisterOutlineViewer();
  static std::unique_ptr<IppPreviewOutline> CreateOutlineViewer(TppPreview& Preview, TWinControl* SidePanel,
                                                                TppViewer* Viewer);
};

// The keyboard sink: an edit of no size that takes the keys and the wheel while no other toolbar
// control has the focus.
class TppEdit : public TEdit {
  DECLARE_CLASSINFO(TppEdit)
public:
  using TEdit::TEdit;
};

// Toolbar actions (the buttons' tags).
enum TppPreviewAction {
  paPrint = 0, paAutoSearch = 1, paTextSearch = 2, paWholePage = 3, paPageWidth = 4, pa100Percent = 5,
  paFirstPage = 6, paPriorPage = 7, paNextPage = 8, paLastPage = 9, paCancel = 10, paClose = 11
};

class TppCustomPreview : public TppCommunicator {
  DECLARE_CLASSINFO(TppCustomPreview)
public:
  // Owner is the window control that hosts the preview; the viewer is made on it.
  explicit TppCustomPreview(TComponent* AOwner);
  ~TppCustomPreview() override;

  TWinControl* ParentControl() const { return FParentControl; }
  TppViewer* Viewer() const { return FViewer; }
  TppProducer* Report() const { return FReport; }
  TStatusBar* StatusBar() const { return FStatusBar; }
  void SetStatusBar(TStatusBar* Bar);
  TppCustomSearchPreview* SearchPreview() const { return FSearchPreview; }
  // Set while a preview cancels a printing report, until the next BeforePreview of any preview.
  static bool Cancelling();

  virtual TppCustomSearchPreview* GetSearchPreview();
  virtual void SidePanelChanged() = 0;
  virtual bool GetOutlineVisible() { return false; }
  virtual void PageChangeEvent();
  virtual void PrintStateChangeEvent() {}
  virtual void SetOutlineVisible(bool) {}
  virtual void SearchStateChangeEvent() {}
  virtual void StatusChangeEvent();
  virtual void ResetEvent() {}
  virtual void MouseDownEvent() {}
  virtual void ToggleSearchToolbar();
  virtual void AfterPreview();
  // The window calls it once the viewer has its report.
  virtual void BeforePreview();
  virtual void PerformTextSearch();
  virtual void Cancel();
  virtual void LanguageChanged();
  virtual void PerformPreviewAction(int Action);
  virtual void Print();
  virtual void SetZoomSetting(TppZoomSettingType Value);
  // Escape closes; Ctrl+PgUp/PgDn/Home/End page; PgUp/PgDn and the arrows scroll a screen.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  void SetZoomPercentage(int Value);
  void GotoPage(int PageNo);

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

  TNotifyEvent AfterPrint, BeforePrint, OnClose, OnPageChange;

protected:
  // The plug-in goes first: it is owned by the preview, whose owned components go after its links.
  void Destroying() override;
  TWinControl* FParentControl = nullptr;
  TStatusBar* FStatusBar = nullptr;
  TppViewer* FViewer = nullptr;
  TppProducer* FReport = nullptr;
  TppCustomSearchPreview* FSearchPreview = nullptr;
};

class TppPreview : public TppCustomPreview {
  DECLARE_CLASSINFO(TppPreview)
public:
  explicit TppPreview(TComponent* AOwner);
  ~TppPreview() override;

  void SidePanelChanged() override;
  bool GetOutlineVisible() override;
  void PageChangeEvent() override;
  void PrintStateChangeEvent() override;
  void SetOutlineVisible(bool Value) override;
  void SearchStateChangeEvent() override;
  void ResetEvent() override;
  void MouseDownEvent() override;
  void ToggleSearchToolbar() override;
  void BeforePreview() override;
  void Cancel() override;
  void LanguageChanged() override;
  void SetZoomSetting(TppZoomSettingType Value) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

  bool OutlineAvailable() const { return FOutlineAvailable; }
  IppPreviewOutline* OutlineViewer() const { return FOutlineViewer.get(); }
  void FocusKeyboardSink();
  void UpdateOptionalButtons();

  TPanel* SidePanel = nullptr;
  TPanel* ToolbarPanel = nullptr;
  TPanel* ButtonPanel = nullptr;
  TPanel* SearchPanel = nullptr;
  TMaskEdit* PageNoEdit = nullptr;
  TMaskEdit* ZoomPercentEdit = nullptr;
  TButton* CancelButton = nullptr;
  TSpeedButton* PrintButton = nullptr;
  TSpeedButton* WholePageButton = nullptr;
  TSpeedButton* PageWidthButton = nullptr;
  TSpeedButton* Zoom100Button = nullptr;
  TSpeedButton* FirstButton = nullptr;
  TSpeedButton* PriorButton = nullptr;
  TSpeedButton* NextButton = nullptr;
  TSpeedButton* LastButton = nullptr;
  TSpeedButton* AutoSearchButton = nullptr;
  TSpeedButton* TextSearchButton = nullptr;
  TppEdit* KeyCatcher = nullptr;
  TSplitter* Splitter = nullptr;

protected:
  virtual void DisableToolbar();
  virtual void ToolbarKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  virtual void EditKeyPress(TObject* Sender, char& Key);
  virtual void MouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, int X, int Y, bool& Handled);
  virtual void PageNoKeyPress(TObject* Sender, char& Key);
  virtual void ZoomPercentKeyPress(TObject* Sender, char& Key);
  virtual void ToolButtonClick(TObject* Sender);
  virtual void LayoutSearchPanel();
  virtual void CreateOutlineViewer();
  virtual void CreatePanels();
  virtual void CreateToolbar();

private:
  void ReapplyZoom();
  void UpdateZoomButtons();
  void DecideOutline();
  TSpeedButton* AddButton(int Left, int Action);

  std::unique_ptr<IppPreviewOutline> FOutlineViewer;
  bool FBeforePreviewRunning = false;
  bool FSearchPanelWidthApplied = false;
  bool FOutlineAvailable = true;
};
