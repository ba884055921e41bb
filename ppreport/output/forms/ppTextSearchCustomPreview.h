#pragma once
// The text search's place in a preview: the plug-in a preview creates through TppPreviewPlugIn when
// the report's text search is enabled. This base holds what the preview hands over (viewer, status
// bar, the report's search settings) and the calls the preview makes; the search itself overrides
// them. A preview frees its plug-in itself (freeing it from outside is refused).
#include <cstdint>
#include <memory>

#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppProdSettings.h"

class TppViewer;
class TStatusBar;
class TWinControl;

// Bits of TppCustomSearchPreview::SearchState.
constexpr uint8_t ppSearchStateSearching = 1, ppSearchStateCancelled = 2, ppSearchStateActive = 4;

class TppCustomSearchPreview : public TppCommunicator {
  DECLARE_CLASSINFO(TppCustomSearchPreview)
public:
  explicit TppCustomSearchPreview(TComponent* AOwner)
      : TppCommunicator(AOwner), FTextSearchSettings(std::make_unique<TppTextSearchSettings>()) {}
  ~TppCustomSearchPreview() override { BeforeDestruction(); }

  TppViewer* Viewer() const { return FViewer; }
  virtual void SetViewer(TppViewer* V) { FViewer = V; }
  TStatusBar* StatusBar() const { return FStatusBar; }
  virtual void SetStatusBar(TStatusBar* V) { FStatusBar = V; }
  // The plug-in's own copy of the report's settings.
  TppTextSearchSettings* TextSearchSettings() const { return FTextSearchSettings.get(); }
  uint8_t SearchState() const { return FSearchState; }
  bool PanelVisible() const { return FPanelVisible; }
  // The width the search panel needs beside the pages.
  int ToolbarWidth() const { return FToolbarWidth; }
  TWinControl* Toolbar() const { return FToolbar; }

  // The panel the search controls go on; it is shown while the search panel is.
  virtual void CreateControls(TWinControl* Toolbar);
  virtual void BeforePreview() {}
  virtual void AfterPreview() {}
  // Around every toolbar action of the preview (the numbers of TppCustomPreview::PerformPreviewAction).
  virtual void BeforePreviewAction(int) {}
  virtual void AfterPreviewAction(int) {}
  virtual void BeforeGotoPage(int) {}
  virtual void ToggleSearchPanel() {}
  virtual void CancelQuietly() {}
  virtual void EnableSearch() {}
  // The viewer's status changed: the plug-in writes the status bar.
  virtual void StatusChange() {}
  virtual void LanguageChanged() {}
  // Lays the panel's controls out one under another (the panel sits beside the pages).
  virtual void ArrangeVertically() {}

protected:
  TppViewer* FViewer = nullptr;
  TStatusBar* FStatusBar = nullptr;
  std::unique_ptr<TppTextSearchSettings> FTextSearchSettings;
  TWinControl* FToolbar = nullptr;
  uint8_t FSearchState = 0;
  bool FPanelVisible = false;
  int FToolbarWidth = 0;
};
