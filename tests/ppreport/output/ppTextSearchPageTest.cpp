#include "ppreport/output/ppTextSearchPage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppTypes.h"

namespace searchpagetest {

using TOwnedList = std::unique_ptr<TppTextSearchPageList, TComponentDeleter>;

TppTextSearchOccurrence* Hit(int32_t Top, int32_t Left, int32_t Command = 0) {
  auto* O = new TppTextSearchOccurrence(nullptr);
  O->SortTop = Top;
  O->SortLeft = Left;
  O->SetDrawCommandIndex(Command);
  return O;
}

// Pages numbered 3, 5, 8 holding 2, 1 and 3 hits; hit k of the search has draw command index k.
TOwnedList ThreePages() {
  TOwnedList L(new TppTextSearchPageList(nullptr));
  const std::pair<int32_t, int> Pages[] = {{3, 2}, {5, 1}, {8, 3}};
  int K = 0;
  for (auto [No, Count] : Pages) {
    auto* P = new TppTextSearchPage(nullptr);
    P->PageNo = No;
    for (int I = 0; I < Count; ++I, ++K) P->Add(Hit(1000 * I, 10, K));
    L->Add(P);
  }
  return L;
}

template <class F>
std::string ErrorOf(F&& Call) {
  try {
    Call();
  } catch (const ESearchError& E) {
    return E.what();
  }
  return "no error";
}

TEST(ppTextSearchPageTest, NewHitAndRecordedColours) {
  TppTextSearchOccurrence O;
  EXPECT_EQ(1, O.TextLineNo);
  EXPECT_EQ(-1, O.SavedBackColor);
  EXPECT_EQ(-1, O.SavedFontColor);
  EXPECT_EQ(0, O.OrdinalInLine() + O.DrawCommandIndex() + O.SortLeft + O.SortTop + O.RichTextPosition);
  O.RecordBackColor(clWindow);
  EXPECT_EQ(clWhite, O.SavedBackColor);
  O.RecordBackColor(clBtnFace);
  EXPECT_EQ(clBtnFace, O.SavedBackColor);
}

TEST(ppTextSearchPageTest, SortsIntoReadingOrder) {
  TppTextSearchPage P;
  // A hit further down added first; two hits of one line (same top, left + 1 and + 2); a command at
  // the same top further right added before the one on the left.
  P.Add(Hit(50000, 2001, 1));
  P.Add(Hit(20000, 9001, 2));
  P.Add(Hit(20000, 1002, 3));
  P.Add(Hit(20000, 1001, 4));
  P.Add(Hit(100000000 + 5, 0, 5));  // beyond eight digits still sorts last
  P.SortOccurrences();
  std::vector<int> Order;
  for (int I = 0; I < P.Count(); ++I) Order.push_back(P.GetOccurrence(I)->DrawCommandIndex());
  EXPECT_EQ((std::vector<int>{4, 3, 2, 1, 5}), Order);
  EXPECT_EQ("0002000000001001", TppTextSearchPage::PositionToText(20000, 1001));
  EXPECT_EQ("TppTextSearchPage.GetDrawCommandForIndex: Must reference an index in range of DrawCommmandCount",
            ErrorOf([&] { P.GetOccurrence(5); }));
  EXPECT_NE("no error", ErrorOf([&] { P.GetOccurrence(-1); }));
}

// Hit numbers run 0..n-1 across pages whichever way the cursor got there: stepping, jumping to a
// number, or going to a page.
TEST(ppTextSearchPageTest, CursorStepsAndNumbersHitsAcrossPages) {
  TOwnedList L = ThreePages();
  ASSERT_EQ(6, L->TotalOccurrenceCount());
  EXPECT_EQ(-1, L->CurrentOccurrenceNo());
  const int32_t PageOf[] = {3, 3, 5, 8, 8, 8};
  for (int K = 0; K < 6; ++K) {
    TppTextSearchOccurrence* O = K == 0 ? L->CurrentOccurrence() : L->NextOccurrence();
    ASSERT_NE(nullptr, O) << K;
    EXPECT_EQ(K, O->DrawCommandIndex());
    EXPECT_EQ(K, L->CurrentOccurrenceNo());
    EXPECT_EQ(K, L->CurrentDrawCommandIndex());
    EXPECT_EQ(PageOf[K], L->CurrentPageNo());
  }
  EXPECT_EQ(nullptr, L->NextOccurrence());  // past the last: no cursor page
  EXPECT_EQ(nullptr, L->CurrentPage());
  EXPECT_EQ(-1, L->CurrentOccurrenceNo());
  EXPECT_EQ(-1, L->CurrentPageNo());
  EXPECT_EQ(nullptr, L->NextOccurrence());

  ASSERT_NE(nullptr, L->LastOccurrence());
  for (int K = 5; K >= 0; --K) {
    EXPECT_EQ(K, L->CurrentOccurrenceNo());
    EXPECT_EQ(K, L->CurrentOccurrence()->DrawCommandIndex());
    if (K) ASSERT_NE(nullptr, L->PriorOccurrence());
  }
  EXPECT_EQ(nullptr, L->PriorOccurrence());

  for (int N = 0; N < 6; ++N) {
    L->ResetSearchIndex(N);
    EXPECT_EQ(N, L->CurrentOccurrenceNo());
    EXPECT_EQ(PageOf[N], L->CurrentPageNo());
  }
  EXPECT_EQ("TppTextSearchPageList.ResetSearchIndex: Cannot find the search index in the page range: 6",
            ErrorOf([&] { L->ResetSearchIndex(6); }));
  EXPECT_NE("no error", ErrorOf([&] { L->ResetSearchIndex(-1); }));

  EXPECT_EQ(8, L->GotoPage(8)->PageNo);
  EXPECT_EQ(3, L->CurrentOccurrenceNo());
  EXPECT_EQ(8, L->GotoPage(4)->PageNo);  // no such page: the cursor's page again, its first hit
  EXPECT_EQ(3, L->CurrentOccurrenceNo());
  EXPECT_EQ(1, L->IndexOfPage(5));
  EXPECT_EQ(-1, L->IndexOfPage(6));
  EXPECT_EQ(1, L->CurrentPageIndex());

  L->Reset();
  EXPECT_EQ(0, L->Count());
  EXPECT_EQ(nullptr, L->CurrentOccurrence());
}

TEST(ppTextSearchPageTest, EmptyListHasNoCursor) {
  TppTextSearchPageList L;
  EXPECT_EQ(nullptr, L.FirstPage());
  EXPECT_EQ(nullptr, L.FirstOccurrence());
  EXPECT_EQ(nullptr, L.CurrentOccurrence());
  EXPECT_EQ(nullptr, L.NextOccurrence());
  EXPECT_EQ(nullptr, L.PriorOccurrence());
  EXPECT_EQ(nullptr, L.GotoPage(1));
  EXPECT_EQ(-1, L.CurrentOccurrenceNo());
  EXPECT_EQ(-1, L.CurrentDrawCommandIndex());
  EXPECT_EQ("TppTextSearchPageList.LastTextSearchPage: Current page search object list is empty.",
            ErrorOf([&] { L.LastOccurrence(); }));
  EXPECT_NE("no error", ErrorOf([&] { L.ResetSearchIndex(0); }));
}

// A hit or a page freed by someone else leaves its holder, which stays usable; the holders free
// the rest (the sanitizers see double frees and leaks).
TEST(ppTextSearchPageTest, ForeignFreesLeaveTheHolders) {
  TOwnedList L = ThreePages();
  TppTextSearchPage* Last = L->GetPage(2);
  Last->GetOccurrence(1)->Free();
  EXPECT_EQ(2, Last->Count());
  L->ResetSearchIndex(4);
  EXPECT_EQ(8, L->CurrentPageNo());
  Last->Free();
  EXPECT_EQ(2, L->Count());
  EXPECT_EQ(nullptr, L->CurrentPage());
  L->ResetSearchIndex(1);
  L->GetPage(0)->Free();
  EXPECT_EQ(1, L->Count());
  EXPECT_EQ(nullptr, L->CurrentPage());
  L->ResetSearchIndex(0);
  EXPECT_EQ(5, L->CurrentPageNo());
  EXPECT_EQ(0, L->CurrentOccurrenceNo());
}

}  // namespace searchpagetest
