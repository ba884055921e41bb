#pragma once
// The text search's place in a preview: the plug-in a preview creates through TppPreviewPlugIn when
// the report's text search is enabled. It owns the search engine, decides when a new search is
// needed, runs the panel's actions (find, first, next, prior, last, cancel, clear), keeps the
// highlights in step with the page on screen and writes the search state into the status bar. The
// panel's controls belong to a concrete plug-in. A preview frees its plug-in itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms/Controls.h"
#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppProdSettings.h"

class TppViewer;
class TStatusBar;
class TWinControl;
class TppTextSearchCustomEngine;
struct TppTextSearchEngineClass;

// Bits of TppCustomSearchPreview::SearchState.
constexpr uint8_t ppSearchStateSearching = 1, ppSearchStateCancelled = 2, ppSearchStateActive = 4;

// The panel's actions (TppCustomSearchPreview::PerformSearchAction).
enum : int {
  saFind = 0, saFirst = 1, saNext = 2, saPrior = 3, saLast = 4, saCancel = 6, saClear = 7
};

using TppSearchKeyDownHandler = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;

class TppCustomSearchPreview : public TppCommunicator {
  DECLARE_CLASSINFO(TppCustomSearchPreview)
public:
  explicit TppCustomSearchPreview(TComponent* AOwner);
  ~TppCustomSearchPreview() override;

  TppViewer* Viewer() const { return FViewer; }
  virtual void SetViewer(TppViewer* V);
  TStatusBar* StatusBar() const { return FStatusBar; }
  virtual void SetStatusBar(TStatusBar* V) { FStatusBar = V; }
  // The plug-in's own copy of the report's settings.
  TppTextSearchSettings* TextSearchSettings() const { return FTextSearchSettings.get(); }
  TppTextSearchCustomEngine* Engine() const { return FEngine.get(); }
  uint8_t SearchState() const { return FSearchState; }
  bool PanelVisible() const { return FPanelVisible; }
  bool Busy() const { return FBusy; }
  // 0-based number of the hit shown, -1 none.
  int CurrentOccurrenceNo() const { return FCurrentOccurrenceNo; }
  const std::string& SearchText() const { return FSearchText; }
  int StartPageNo() const { return FStartPageNo; }
  // The width the search panel needs beside the pages.
  int ToolbarWidth() const { return FToolbarWidth; }
  TWinControl* Toolbar() const { return FToolbar; }

  // The single entry of the panel's buttons (sa* actions).
  void PerformSearchAction(int Action);
  void ToggleSearchPanel();
  void CancelQuietly();
  virtual void SetKeyDownHandler(TppSearchKeyDownHandler Handler) { FKeyDownHandler = std::move(Handler); }

  // The panel the search controls go on; it is shown while the search panel is.
  virtual void CreateControls(TWinControl* Toolbar);
  virtual void BeforePreview();
  virtual void AfterPreview();
  // Around every toolbar action of the preview (the numbers of TppCustomPreview::PerformPreviewAction).
  virtual void BeforePreviewAction(int Action);
  virtual void AfterPreviewAction(int) { ++FActionCount; }
  virtual void BeforeGotoPage(int Target);
  virtual void EnableSearch();
  // The viewer's status changed: the plug-in writes the status bar.
  virtual void StatusChange();
  virtual void LanguageChanged() {}
  // Lays the panel's controls out one under another (the panel sits beside the pages) or in a row.
  virtual void ArrangeVertically() {}
  virtual void ArrangeHorizontally() {}
  virtual void UpdateStatus();

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

protected:
  void Destroying() override;
  virtual void SearchStarted();
  virtual void ReadControls() {}
  virtual void SearchEnded() { FSearchState &= static_cast<uint8_t>(~ppSearchStateActive); }
  virtual void ClearSearch();
  virtual void HandleSearchError();
  virtual std::string GetSearchEngineDescription() const { return "Full Search"; }
  virtual bool NeedsNewSearch();
  virtual bool Find();
  virtual void SetBusy(bool Busy);
  virtual void ShowPanel();

  bool Cancelled() const { return (FSearchState & ppSearchStateCancelled) != 0; }
  bool HasHits() const;
  void ResetState();
  void RedrawPage();
  void HighlightPage();
  bool GotoHitPage(int PageNo);
  void SearchToEnd();
  void ShowFirstHit();
  void PageDrawn();
  void CreateSearchEngine();
  void StopListening();
  int ViewerPageNo() const;

  TppViewer* FViewer = nullptr;
  TStatusBar* FStatusBar = nullptr;
  std::unique_ptr<TppTextSearchSettings> FTextSearchSettings;
  std::unique_ptr<TppTextSearchCustomEngine, TComponentDeleter> FEngine;
  const TppTextSearchEngineClass* FEngineClass = nullptr;
  TppCommunicator* FScreenDevice = nullptr;  // the viewer's, listened to
  TWinControl* FToolbar = nullptr;
  TppSearchKeyDownHandler FKeyDownHandler;
  std::string FSearchText;
  int FHighlightLock = 1;
  int FActionCount = 0;
  int FCurrentOccurrenceNo = -1;
  int FStartPageNo = 1;
  int FHighlightedPage = 0;
  int FToolbarWidth = 0;
  TCursor FSavedCursor = crDefault;
  uint8_t FSearchState = 0;
  bool FBusy = false;
  bool FPanelVisible = false;
  bool FQuiet = false;
  bool FPageMoved = false;
  bool FOptionsChanged = false;
  bool FGoToFirst = true;
  bool FDestroying = false;
};
