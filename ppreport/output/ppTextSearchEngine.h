#pragma once
// "Standard Search": finds the search text in the text commands of the report's pages (TppDrawText
// and its descendants, memos line by line), keeps the hits per page in a page list, moves its
// cursor over them and has them highlighted on the page the viewer shows.
#include <memory>
#include <string>
#include <vector>

#include "ppreport/output/ppTextSearchCustomEngine.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"

class TppDrawText;
class TppTextSearchPage;
class TppTextSearchPageList;

class TppTextSearchEngine : public TppTextSearchCustomEngine {
  DECLARE_CLASSINFO(TppTextSearchEngine)
public:
  explicit TppTextSearchEngine(TComponent* AOwner = nullptr);
  ~TppTextSearchEngine() override;

  static std::string Description() { return "Standard Search"; }
  static const TppTextSearchEngineClass& EngineClass();
  std::string GetDescription() const override { return Description(); }

  int GetCurrentPageNo() override;
  int GetOccurrenceCount() override;
  int GetCurrentOccurrenceNo() override;
  int GetGotoPageNo() override { return GotoPageNo(); }
  bool FirstOccurrence() override;
  bool LastOccurrence() override;
  bool NextOccurrence() override;
  bool PriorOccurrence() override;
  TppTextSearchOccurrence* GotoOccurrencePage(int PageNo) override;
  int ResetSearchIndex(int N) override;
  void ResetSearch() override;
  // Searches the report from StartingPageNo on; on success the viewer goes to the first page with
  // hits. False when nothing was found or the search was cancelled.
  bool Search(const std::string& Text) override;
  // Adds the page's hits to the page list (a page listed already is not searched again).
  bool SearchPage(TppPage* Page, const std::string& Text) override;
  // Highlights the current hit (every hit of the page with ShowAll) on the viewer's page.
  void HighlightCurrentDrawCommand(TppPage* Page) override;

  TppTextSearchPageList* PageList() const { return FPageList; }
  TppTextSearchOccurrence* CurrentOccurrence() const { return FCurrentOccurrence; }
  // The search page at the cursor, null without one.
  TppTextSearchPage* CurrentSearchPage() const;
  int32_t LineHeight() const { return FLineHeight; }

  using TppOccurrenceList = std::vector<std::unique_ptr<TppTextSearchOccurrence, TComponentDeleter>>;

protected:
  virtual void BeforeCreateSingleHighlight(TppDrawCommand*, TppTextSearchOccurrence*) {}
  virtual void BeforeMoveBackward() {}
  virtual void BeforeMoveForward() {}
  // The hits of one command, appended to List. ESearchEngineError for a command that is not text.
  virtual void BuildSearchOccurrenceList(TppDrawCommand* Command, int Index, TppOccurrenceList& List,
                                         const std::string& Text);
  // Every match of one line: numbered from 1 within the line, placed for sorting in reading order.
  virtual void FindLineOccurrences(TppDrawText* Command, int Index, const std::string& Line, const std::string& Text,
                                   int LineNo, TppOccurrenceList& List);
  // The search page of Page's hits (sorted), null when none or when cancelled.
  TppTextSearchPage* BuildPageOccurrences(TppPage* Page, const std::string& Text);
  void SetCurrentOccurrence(TppTextSearchOccurrence* Occurrence);
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

private:
  void CreateEntirePageHighlights(TppPage* Page);
  void CreateSingleHighlight(TppPage* Page);
  void SendResults() { SendEventNotify(this, ciSearchEnginePageResults, nullptr); }

  int32_t FLineHeight = 0;
  bool FLineHeightKnown = false;  // for the command searched: measured on its first hit below line 1
  TppTextSearchOccurrence* FCurrentOccurrence = nullptr;  // not owned; linked for its free
  TppTextSearchPageList* FPageList = nullptr;             // owned
};
