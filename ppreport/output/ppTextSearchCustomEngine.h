#pragma once
// What every text search engine shares: the viewer whose report is searched, an off-screen screen
// device through which pages are fetched without disturbing the page on screen, the page loops of
// a search (cached pages, then pages requested one by one), and the highlight commands it makes
// through the highlighter registry and owns. The engines themselves are ppTextSearchEngine.h.
//
// Everything runs on the main thread. The loops process pending window messages after every
// page, so the user may cancel (CancelSearch) or navigate while a search runs; every loop stops
// once the search is cancelled.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppComm.h"

class TCanvas;
class TppDrawCommand;
class TppPage;
class TppPublisher;
class TppScreenDevice;
class TppTextSearchDrawCommandHighlighter;
class TppTextSearchOccurrence;
class TppTextSearchSettings;

// What an engine asks of the viewer it searches for (the page viewer of output/forms answers it).
class IppSearchViewer {
public:
  virtual TppScreenDevice* ScreenDevice() const = 0;
  // Freed with the viewer: the engine hears of the viewer's end through it.
  virtual TppCommunicator* WalkieTalkie() const = 0;
  // The page on screen (its AbsolutePageNo is 0 before the first page arrives).
  virtual TppPage* GetCurrentPage() const = 0;
  virtual void GotoPage(int PageNo) = 0;
  // The viewer's own width and height, pixels.
  virtual TSize SearchViewerSize() const = 0;

protected:
  ~IppSearchViewer() = default;
};

class TppTextSearchCustomEngine : public TppCommunicator {
  DECLARE_CLASSINFO(TppTextSearchCustomEngine)
public:
  explicit TppTextSearchCustomEngine(TComponent* AOwner = nullptr);
  ~TppTextSearchCustomEngine() override;

  // ---- what a concrete engine answers
  virtual int GetCurrentPageNo() = 0;
  virtual int GetOccurrenceCount() = 0;
  virtual int GetCurrentOccurrenceNo() = 0;
  virtual int GetGotoPageNo() = 0;
  // Without a highlight command (a rich text hit coloured in place), the command is drawn again
  // on the viewer's screen device (the off-screen device without a viewer).
  virtual void AfterCreateHighlight(TppTextSearchDrawCommandHighlighter& Highlighter, TppDrawCommand* Command,
                                    TppDrawCommand* Highlight);
  virtual void BeforeCreateHighlight(TppTextSearchDrawCommandHighlighter&, TppTextSearchOccurrence*,
                                     TppDrawCommand*) {}
  virtual void BeforeDrawHighlight(TppDrawCommand*) {}
  virtual void PageCached(TppPage*) {}
  virtual std::string GetDescription() const = 0;
  virtual bool FirstOccurrence() = 0;
  virtual bool LastOccurrence() = 0;
  virtual bool NextOccurrence() = 0;
  virtual bool PriorOccurrence() = 0;
  virtual TppTextSearchOccurrence* GotoOccurrencePage(int PageNo) = 0;
  // Takes every highlight command off its page and frees it.
  virtual void ClearHighlights();
  virtual void HighlightCurrentDrawCommand(TppPage* Page);
  virtual void ResetSearch();
  virtual int ResetSearchIndex(int N) = 0;
  // The checks that open every search; True. ESearchEngineError without a viewer.
  virtual bool Search(const std::string& Text);
  // The base part of a page search; True.
  virtual bool SearchPage(TppPage* Page, const std::string& Text);

  // ---- settings and the viewer
  IppSearchViewer* Viewer() const { return FViewer; }
  // Null lets the viewer go. ESearchEngineError when the viewer's screen device has no publisher.
  void SetViewer(IppSearchViewer* Viewer);
  TppTextSearchSettings* TextSearchSettings() const { return FSettings; }
  void SetTextSearchSettings(TppTextSearchSettings* Settings);
  bool CaseSensitive() const;
  bool WholeWord() const;
  bool ShowAll() const;
  TppPublisher* Publisher() const { return FPublisher; }
  // The engine's own screen device (made again should someone free it).
  TppScreenDevice* OffScreenDevice();

  // ---- the state of a search
  bool AllPagesSearched() const { return FAllPagesSearched; }
  bool Cancelled() const { return FCancelled; }
  int StartingPageNo() const { return FStartingPageNo; }
  void SetStartingPageNo(int V) { FStartingPageNo = V; }
  TppPage* CurrentPage() const { return FCurrentPage; }
  int HighestPageNoSearched() const { return FHighestPageNoSearched; }
  int GotoPageNo() const { return FGotoPageNo; }
  const std::string& SearchText() const { return FSearchText; }
  double ScaleX() const { return FScaleX; }
  double ScaleY() const { return FScaleY; }
  TCanvas* Canvas() const { return FCanvas; }
  int HighlightCount() const { return static_cast<int>(FHighlights.size()); }
  TppDrawCommand* GetHighlight(int Index) const { return FHighlights.at(static_cast<size_t>(Index)); }

  // ---- operations
  // The canvas and zoom of the viewer's screen device (of the off-screen device without a viewer).
  void AssignCanvasScale();
  // False switches the publisher over to the off-screen device, True back to the viewer's; the
  // calls nest (the viewer's device gets the publisher back with the last True).
  void SetScreenDeviceActive(bool Active);
  // Searches for the stored text from StartingPageNo on; sets GotoPageNo. False when nothing was
  // found or the search was cancelled.
  bool SearchReport();
  // Fetches the page through the off-screen device; it becomes CurrentPage (null when none came).
  void RequestPage(int PageNo);
  // The viewer's page produced and painted again.
  void RefreshViewerPage();
  // The highlight command of a hit (null when the highlighter colours the command itself).
  TppDrawCommand* CreateHighlightDrawCommand(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence);
  // Puts every highlight command on Page and draws it on the viewer's screen device.
  void DrawHighlights(TppPage* Page);
  // From the viewer's page on: the first following page with hits (0 when none; the viewer's page
  // when cancelled).
  int FindNextPage(const std::string& Text) { return NavigateForward(Text, 1); }
  // Every following page searched: the last one with hits (0 when none).
  int FindLastPage(const std::string& Text) { return NavigateForward(Text, INT_MAX); }
  // The following pages searched until one numbered PageNo or higher has hits: the last page with
  // hits found (0 when none; the viewer's page when cancelled).
  int FindPageFrom(const std::string& Text, int PageNo) { return NavigateForward(Text, std::max(PageNo, 1)); }
  void CancelSearch();

  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;
  void EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) override;

protected:
  void Destroying() override;
  void SetAllPagesSearched(bool V) { FAllPagesSearched = V; }
  void SetGotoPageNo(int V) { FGotoPageNo = V; }
  void SetSearchText(const std::string& V) { FSearchText = V; }
  // The highlighter of Command with this engine's options and zoom.
  TppTextSearchDrawCommandHighlighter& PreparedHighlighter(const TppDrawCommand& Command);
  // The page on screen, null without a viewer.
  TppPage* ViewerPage() const;
  int ViewerPageNo() const;
  // Lets pending window messages through (the user's cancel among them).
  static void ProcessMessages();

private:
  // NextPageNo: the first page after the cached pages searched.
  int SearchCachedPages(int& NextPageNo);
  int SearchRequestedPages();
  // Page by page after the viewer's page, until a page numbered StopAt or higher has hits.
  int NavigateForward(const std::string& Text, int StopAt);
  void DropHighlights();

  bool FCancelled = false;
  bool FAllPagesSearched = false;
  IppSearchViewer* FViewer = nullptr;
  TppCommunicator* FViewerTalkie = nullptr;  // the viewer's walkie-talkie, linked for its free
  TppScreenDevice* FOffScreenDevice = nullptr;  // owned
  int FSwitchCount = 1;
  TppPublisher* FPublisher = nullptr;
  std::vector<TppDrawCommand*> FHighlights;  // owned
  int FStartingPageNo = 0;
  TppPage* FCurrentPage = nullptr;  // the off-screen device's page
  bool FPageArrived = false;
  int FHighestPageNoSearched = 0;
  double FScaleX = 1.0, FScaleY = 1.0;
  std::string FSearchText;
  TCanvas* FCanvas = nullptr;
  TppTextSearchSettings* FSettings = nullptr;
  TppCommunicator* FSettingsTalkie = nullptr;
  int FGotoPageNo = -1;
};
