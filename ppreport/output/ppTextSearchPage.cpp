#include "ppreport/output/ppTextSearchPage.h"

#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"

const TClassInfo& TppTextSearchOccurrence::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchOccurrence>("TppTextSearchOccurrence", &TppCommunicator::StaticClassInfo());
  return Info;
}

// ---- TppTextSearchPage

const TClassInfo& TppTextSearchPage::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppTextSearchPage>("TppTextSearchPage", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppTextSearchPage::~TppTextSearchPage() { BeforeDestruction(); }

void TppTextSearchPage::Destroying() {
  FreeOccurrences();
  TppCommunicator::Destroying();
}

void TppTextSearchPage::Add(TppTextSearchOccurrence* Occurrence) {
  if (!Occurrence) return;
  AddNotify(Occurrence);
  FOccurrences.push_back(Occurrence);
}

TppTextSearchOccurrence* TppTextSearchPage::GetOccurrence(int Index) const {
  if (Index < 0 || Index >= Count())
    throw ESearchError(ppErrorText(ClassName(), "GetDrawCommandForIndex", SppSearchOccurrenceIndex));
  return FOccurrences[static_cast<size_t>(Index)];
}

void TppTextSearchPage::FreeOccurrences() {
  TRestore Freeing(FFreeing, true);
  while (!FOccurrences.empty()) {
    TppTextSearchOccurrence* O = FOccurrences.back();
    FOccurrences.pop_back();
    O->Free();
  }
}

std::string TppTextSearchPage::PositionToText(int32_t Top, int32_t Left) {
  auto Part = [](int32_t V) {
    std::string S = "0000000000" + IntToStr(V);
    return S.substr(S.size() - 8);
  };
  std::string T = Part(Top), L = Part(Left);
  if (T.size() != L.size()) throw ESearchError(ppErrorText("TppTextSearchPage", "PositionToText", SppSearchPositionFormat));
  return T + L;
}

// Numbers rather than key texts: the same order for the eight-digit values a page holds, and
// right for the rest (negative positions, ties in the order the engine found them).
void TppTextSearchPage::SortOccurrences() {
  std::stable_sort(FOccurrences.begin(), FOccurrences.end(),
                   [](const TppTextSearchOccurrence* A, const TppTextSearchOccurrence* B) {
                     if (A->SortTop != B->SortTop) return A->SortTop < B->SortTop;
                     return A->SortLeft < B->SortLeft;
                   });
}

void TppTextSearchPage::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation != ppopRemove || FFreeing) return;
  auto* O = dynamic_cast<TppTextSearchOccurrence*>(Partner);
  if (O) FOccurrences.erase(std::remove(FOccurrences.begin(), FOccurrences.end(), O), FOccurrences.end());
}

// ---- TppTextSearchPageList

const TClassInfo& TppTextSearchPageList::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchPageList>("TppTextSearchPageList", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppTextSearchPageList::~TppTextSearchPageList() { BeforeDestruction(); }

void TppTextSearchPageList::Destroying() {
  FreePages();
  TppCommunicator::Destroying();
}

void TppTextSearchPageList::Add(TppTextSearchPage* Page) {
  if (!Page) return;
  AddNotify(Page);
  FPages.push_back(Page);
}

TppTextSearchPage* TppTextSearchPageList::GetPage(int Index) const {
  return Index >= 0 && Index < Count() ? FPages[static_cast<size_t>(Index)] : nullptr;
}

void TppTextSearchPageList::FreePages() {
  TRestore Freeing(FFreeing, true);
  FCurrentPage = nullptr;
  while (!FPages.empty()) {
    TppTextSearchPage* P = FPages.back();
    FPages.pop_back();
    P->Free();
  }
}

void TppTextSearchPageList::Reset() {
  FreePages();
  FCurrentPage = nullptr;
  FCurrentOccurrenceIndex = -1;
  FCurrentPageIndex = -1;
}

TppTextSearchPage* TppTextSearchPageList::NextPage() {
  ++FCurrentPageIndex;
  if (FCurrentPageIndex < Count()) return GetPage(FCurrentPageIndex);
  FCurrentPageIndex = Count() - 1;
  return nullptr;
}

TppTextSearchPage* TppTextSearchPageList::PriorPage() {
  --FCurrentPageIndex;
  if (FCurrentPageIndex >= 0) return GetPage(FCurrentPageIndex);
  FCurrentPageIndex = Count() - 1;
  return nullptr;
}

TppTextSearchPage* TppTextSearchPageList::FirstPage() {
  if (FPages.empty()) return nullptr;
  FCurrentPageIndex = 0;
  return FPages.front();
}

TppTextSearchPage* TppTextSearchPageList::LastPage() {
  if (FPages.empty()) throw ESearchError(ppErrorText(ClassName(), "LastTextSearchPage", SppSearchPageListEmpty));
  FCurrentPageIndex = Count() - 1;
  return FPages.back();
}

TppTextSearchOccurrence* TppTextSearchPageList::CursorOccurrence() const {
  if (!FCurrentPage || FCurrentOccurrenceIndex < 0 || FCurrentOccurrenceIndex >= FCurrentPage->Count()) return nullptr;
  return FCurrentPage->GetOccurrence(FCurrentOccurrenceIndex);
}

TppTextSearchOccurrence* TppTextSearchPageList::FirstOccurrence() {
  FCurrentOccurrenceIndex = 0;
  FCurrentPage = FirstPage();
  return CursorOccurrence();
}

TppTextSearchOccurrence* TppTextSearchPageList::LastOccurrence() {
  FCurrentPage = LastPage();
  FCurrentOccurrenceIndex = FCurrentPage->Count() - 1;
  return CursorOccurrence();
}

TppTextSearchOccurrence* TppTextSearchPageList::NextOccurrence() {
  ++FCurrentOccurrenceIndex;
  if (!FCurrentPage) FCurrentPage = NextPage();
  if (FCurrentPage && FCurrentOccurrenceIndex > FCurrentPage->Count() - 1) {
    FCurrentPage = NextPage();
    FCurrentOccurrenceIndex = 0;
  }
  return CursorOccurrence();
}

TppTextSearchOccurrence* TppTextSearchPageList::PriorOccurrence() {
  --FCurrentOccurrenceIndex;
  if (FCurrentOccurrenceIndex < 0) {
    FCurrentPage = PriorPage();
    FCurrentOccurrenceIndex = FCurrentPage ? FCurrentPage->Count() - 1 : 0;
  }
  return CursorOccurrence();
}

TppTextSearchOccurrence* TppTextSearchPageList::CurrentOccurrence() {
  if (!FCurrentPage) return FirstOccurrence();
  return CursorOccurrence();
}

TppTextSearchPage* TppTextSearchPageList::GotoPage(int32_t PageNo) {
  IndexOfPage(PageNo);
  FCurrentPage = GetPage(FCurrentPageIndex);
  FCurrentOccurrenceIndex = 0;
  return FCurrentPage;
}

int TppTextSearchPageList::IndexOfPage(int32_t PageNo) {
  for (int I = 0; I < Count(); ++I)
    if (FPages[static_cast<size_t>(I)]->PageNo == PageNo) return FCurrentPageIndex = I;
  return -1;
}

void TppTextSearchPageList::ResetSearchIndex(int N) {
  int Before = 0;
  for (int I = 0; N >= 0 && I < Count(); ++I) {
    TppTextSearchPage* P = FPages[static_cast<size_t>(I)];
    if (Before + P->Count() > N) {
      FCurrentPage = P;
      FCurrentPageIndex = I;
      FCurrentOccurrenceIndex = N - Before;
      return;
    }
    Before += P->Count();
  }
  throw ESearchError(ppErrorText(ClassName(), "ResetSearchIndex", Format(SppSearchIndexNotFound, {N})));
}

int TppTextSearchPageList::TotalOccurrenceCount() const {
  int N = 0;
  for (const TppTextSearchPage* P : FPages) N += P->Count();
  return N;
}

int32_t TppTextSearchPageList::CurrentPageNo() const { return FCurrentPage ? FCurrentPage->PageNo : -1; }

int32_t TppTextSearchPageList::CurrentDrawCommandIndex() const {
  const TppTextSearchOccurrence* O = CursorOccurrence();
  return O ? O->DrawCommandIndex() : -1;
}

// The hits of the pages before the cursor's plus its index on its page, on the first page as on
// any other: hit numbers run 0, 1, 2... across pages.
int TppTextSearchPageList::CurrentOccurrenceNo() const {
  if (!CursorOccurrence()) return -1;
  int N = 0;
  for (const TppTextSearchPage* P : FPages) {
    if (P == FCurrentPage) break;
    N += P->Count();
  }
  return N + FCurrentOccurrenceIndex;
}

void TppTextSearchPageList::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation != ppopRemove || FFreeing) return;
  auto* P = dynamic_cast<TppTextSearchPage*>(Partner);
  auto It = std::find(FPages.begin(), FPages.end(), P);
  if (!P || It == FPages.end()) return;
  FPages.erase(It);
  if (FCurrentPage == P) {
    FCurrentPage = nullptr;
    FCurrentOccurrenceIndex = -1;
    FCurrentPageIndex = -1;
  } else if (FCurrentPage) {
    FCurrentPageIndex = static_cast<int>(std::find(FPages.begin(), FPages.end(), FCurrentPage) - FPages.begin());
  }
}
