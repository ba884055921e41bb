#pragma once
// The hits of one search: a TppTextSearchPage holds those of one report page in reading order, a
// TppTextSearchPageList the search pages in the order they were searched, with the cursor that
// first/prior/next/last move. An engine fills the list; pages are complete when added.
#include <cstdint>
#include <string>
#include <vector>

#include "ppreport/core/ppComm.h"
#include "ppreport/output/ppTextSearchOccurrence.h"

class TppTextSearchPage : public TppCommunicator {
  DECLARE_CLASSINFO(TppTextSearchPage)
public:
  explicit TppTextSearchPage(TComponent* AOwner = nullptr) : TppCommunicator(AOwner) {}
  ~TppTextSearchPage() override;

  // Takes ownership (null is ignored).
  void Add(TppTextSearchOccurrence* Occurrence);
  int Count() const { return static_cast<int>(FOccurrences.size()); }
  // ESearchError outside 0..Count-1.
  TppTextSearchOccurrence* GetOccurrence(int Index) const;
  void FreeOccurrences();
  // Reading order: top to bottom, then left to right; hits at the same place keep the order added.
  void SortOccurrences();
  // The sort key text of a position: each number's last eight digits, top first.
  static std::string PositionToText(int32_t Top, int32_t Left);

  int32_t PageNo = 0;  // AbsolutePageNo of the report page searched

  // A hit freed by someone else leaves the page (a free cannot be refused).
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  void Destroying() override;

private:
  std::vector<TppTextSearchOccurrence*> FOccurrences;  // owned
  bool FFreeing = false;
};

class TppTextSearchPageList : public TppCommunicator {
  DECLARE_CLASSINFO(TppTextSearchPageList)
public:
  explicit TppTextSearchPageList(TComponent* AOwner = nullptr) : TppCommunicator(AOwner) {}
  ~TppTextSearchPageList() override;

  // Takes ownership (null is ignored).
  void Add(TppTextSearchPage* Page);
  int Count() const { return static_cast<int>(FPages.size()); }
  TppTextSearchPage* GetPage(int Index) const;  // null outside 0..Count-1
  void FreePages();
  // Empty, no cursor.
  void Reset();

  // ---- page steps (move the page index; the cursor page is set by the occurrence steps)
  TppTextSearchPage* NextPage();   // null past the end (the index stays on the last page)
  TppTextSearchPage* PriorPage();  // null before the start (the index goes to the last page)
  TppTextSearchPage* FirstPage();  // null when empty
  TppTextSearchPage* LastPage();   // ESearchError when empty

  // ---- the cursor; null when there is no hit to return
  TppTextSearchOccurrence* FirstOccurrence();
  TppTextSearchOccurrence* LastOccurrence();  // ESearchError when empty
  TppTextSearchOccurrence* NextOccurrence();
  TppTextSearchOccurrence* PriorOccurrence();
  // Without a cursor page: the first hit.
  TppTextSearchOccurrence* CurrentOccurrence();
  // The cursor on the first hit of the search page of that report page (the cursor's page stays
  // when none has it).
  TppTextSearchPage* GotoPage(int32_t PageNo);
  // Index of the search page of that report page, which becomes the page index; -1 when none.
  int IndexOfPage(int32_t PageNo);
  // The cursor on hit N of the whole search (0-based); ESearchError when there is none.
  void ResetSearchIndex(int N);

  int TotalOccurrenceCount() const;
  int32_t CurrentPageNo() const;           // -1 without a cursor page
  int32_t CurrentDrawCommandIndex() const;  // -1 without a cursor hit
  // 0-based number of the cursor hit in the whole search; -1 without one.
  int CurrentOccurrenceNo() const;

  TppTextSearchPage* CurrentPage() const { return FCurrentPage; }
  int CurrentOccurrenceIndex() const { return FCurrentOccurrenceIndex; }
  int CurrentPageIndex() const { return FCurrentPageIndex; }

  // A search page freed by someone else leaves the list and the cursor.
  void Notify(TppCommunicator* Partner, TppNotifyOperation Operation) override;

protected:
  void Destroying() override;

private:
  TppTextSearchOccurrence* CursorOccurrence() const;

  std::vector<TppTextSearchPage*> FPages;  // owned
  TppTextSearchPage* FCurrentPage = nullptr;
  int FCurrentOccurrenceIndex = -1;
  int FCurrentPageIndex = -1;
  bool FFreeing = false;
};
