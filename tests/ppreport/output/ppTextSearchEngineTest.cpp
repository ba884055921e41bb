// The search engines over a report whose pages a test engine makes: pages searched as they are
// generated and from the publisher's cache, hit numbers across pages, cancelling in the middle,
// the publisher switched between the viewer's and the off-screen device, highlights on the page
// on screen, and the engine registry.
#include "ppreport/output/ppTextSearchEngine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/app/Application.h"
#include "platform/app/Messages.h"
#include "platform/classes/StringList.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "ppreport/output/ppTextSearchPage.h"
#include "ppreport/output/ppTextSearchRichTextEngine.h"
#include "tests/ppreport/output/ppSearchTestSupport.h"

using namespace ppsearchtest;

namespace searchenginetest {

template <class E>
using TOwned = std::unique_ptr<E, TComponentDeleter>;

// Hears one event of a communicator and runs Then on each.
struct TEventProbe {
  TppCommunicator* C = new TppCommunicator(nullptr);
  int Count = 0;
  std::function<void()> Then;
  TEventProbe(TppCommunicator& Sender, int EventID) {
    C->EventMask().Include(EventID);
    C->OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int, TraParamList*) {
      ++Count;
      if (Then) Then();
    };
    Sender.AddEventNotify(C);
  }
  ~TEventProbe() { C->Free(); }
};

// A message target that runs Action when its message comes through the event loop.
class TPostedAction : public TMessageTarget {
public:
  std::function<void()> Action;
  void Post() { PostMessage(Handle(), WM_USER, 0, 0); }

protected:
  void WndProc(TMessage&) override {
    if (Action) Action();
  }
};

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const ESearchError& E) {
    return E.what();
  }
  return "no error";
}

TEST(ppTextSearchEngineTest, SearchesGeneratedPagesAndNumbersHitsAcrossThem) {
  THighlighters H;
  TSearchReport R(5, [](int No, TppPage& P) {
    if (No == 3) AddText(P, "aa b aa", 10000, 20000);
    if (No == 4) AddText(P, "x aa", 10000, 10000);
  }, false);
  TSearchView V(R);
  ASSERT_EQ(1, V.PageNo());
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  E->SetViewer(&V);
  E->SetStartingPageNo(1);
  TEventProbe Results(*E, ciSearchEnginePageResults);

  ASSERT_TRUE(E->Search("aa"));
  EXPECT_EQ(3, E->GotoPageNo());
  EXPECT_EQ(3, V.PageNo());  // the viewer went to the first page with hits
  ASSERT_EQ(1, E->PageList()->Count());  // pages 1 and 2 had none, page 4 waits
  EXPECT_EQ(3, E->HighestPageNoSearched());
  EXPECT_GT(Results.Count, 0);
  // The publisher is the viewer's again.
  EXPECT_EQ(&R.Publisher(), V.ScreenDevice()->Publisher());
  EXPECT_EQ(nullptr, E->OffScreenDevice()->Publisher());

  EXPECT_TRUE(E->FirstOccurrence());
  EXPECT_EQ(0, E->GetCurrentOccurrenceNo());
  EXPECT_TRUE(E->NextOccurrence());
  EXPECT_EQ(1, E->GetCurrentOccurrenceNo());
  // The next page with hits, then numbering goes on across the page boundary.
  EXPECT_EQ(4, E->FindNextPage("aa"));
  EXPECT_EQ(3, E->GetOccurrenceCount());
  EXPECT_TRUE(E->NextOccurrence());
  EXPECT_EQ(2, E->GetCurrentOccurrenceNo());
  EXPECT_EQ(4, E->GetCurrentPageNo());
  EXPECT_TRUE(E->PriorOccurrence());
  EXPECT_EQ(1, E->GetCurrentOccurrenceNo());
  EXPECT_EQ(3, E->GetCurrentPageNo());
  EXPECT_EQ(0, E->ResetSearchIndex(2));  // hit 2 is the first of its page
  EXPECT_EQ(4, E->GetCurrentPageNo());

  // To the end: from page 3 the last page with hits is 4; the viewer's page is fetched again.
  EXPECT_EQ(4, E->FindLastPage("aa"));
  ASSERT_NE(nullptr, E->CurrentPage());
  EXPECT_EQ(3, E->CurrentPage()->AbsolutePageNo());
  EXPECT_TRUE(E->AllPagesSearched());
  V.GotoPage(4);
  EXPECT_EQ(0, E->FindLastPage("aa"));  // page 5 has none
}

TEST(ppTextSearchEngineTest, SearchesCachedPagesThenRequestedOnes) {
  THighlighters H;
  struct {
    const char* Name;
    int CachedUpTo;  // the viewer went there first (6: the whole report)
    std::vector<int> HitPages;
    int Goto;
    int Listed;  // search pages with hits afterwards
    bool All;
  } Cases[] = {
      {"whole report cached: every page searched", 6, {2, 5}, 2, 2, true},
      {"partial cache, hit among the cached", 3, {2, 5}, 2, 1, false},
      {"partial cache, hit after it", 2, {4}, 4, 1, false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSearchReport R(6, [&](int No, TppPage& P) {
      AddText(P, "linha " + std::to_string(No), 10000, 10000);
      if (std::find(C.HitPages.begin(), C.HitPages.end(), No) != C.HitPages.end()) AddText(P, "zz", 10000, 30000);
    });
    TSearchView V(R);
    V.GotoPage(C.CachedUpTo);
    V.GotoPage(1);
    ASSERT_EQ(C.CachedUpTo, R.Publisher().GetCachedPageCount());
    const int Made = R.Generated();
    TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
    E->SetViewer(&V);
    E->SetStartingPageNo(1);
    ASSERT_TRUE(E->Search("zz"));
    EXPECT_EQ(C.Goto, E->GotoPageNo());
    EXPECT_EQ(C.Goto, V.PageNo());
    EXPECT_EQ(C.Listed, E->PageList()->Count());
    EXPECT_EQ(C.All, E->AllPagesSearched());
    if (C.Goto <= C.CachedUpTo) EXPECT_EQ(Made, R.Generated());  // the cache served every page
  }
}

// Cached pages are taken by number: page 4 cached alone after pages 1 and 2 is not taken for page 3.
TEST(ppTextSearchEngineTest, CachedPagesWithAGapKeepTheirNumbers) {
  THighlighters H;
  TSearchReport R(6, [](int No, TppPage& P) {
    AddText(P, "linha", 10000, 10000);
    if (No == 4) AddText(P, "zz", 10000, 30000);
  });
  TSearchView V(R);
  V.GotoPage(2);
  V.GotoPage(1);
  TOwned<TppPage> Four(new TppPage(nullptr));
  Four->SetAbsolutePageNo(4);
  Four->SetFinal(true);
  AddText(*Four, "zz", 10000, 30000);
  R.Publisher().ReceivePage(Four.get());
  ASSERT_EQ(3, R.Publisher().GetCachedPageCount());
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  E->SetViewer(&V);
  E->SetStartingPageNo(1);
  ASSERT_TRUE(E->Search("zz"));
  EXPECT_EQ(4, E->GotoPageNo());
  EXPECT_EQ(4, E->PageList()->GetPage(0)->PageNo);
}

// A cancel that arrives through the event loop in the middle of a search: the search ends at
// once, leaves nothing behind, the viewer stays where it was, and the next search runs whole.
TEST(ppTextSearchEngineTest, CancelInTheMiddleOfASearch) {
  THighlighters H;
  TSearchReport R(40, [](int No, TppPage& P) { AddText(P, No == 30 ? "achou aa" : "nada", 10000, 10000); }, false);
  TSearchView V(R);
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  E->SetViewer(&V);
  E->SetStartingPageNo(1);
  TPostedAction Cancel;
  Cancel.Action = [&] { E->CancelSearch(); };
  int LastFetched = 0;
  TEventProbe Arrivals(*E->OffScreenDevice(), ciDevicePageReceive);
  Arrivals.Then = [&] {
    LastFetched = E->OffScreenDevice()->Page()->AbsolutePageNo();
    if (Arrivals.Count == 10) Cancel.Post();
  };
  EXPECT_FALSE(E->Search("aa"));
  EXPECT_TRUE(E->Cancelled());
  EXPECT_LE(LastFetched, 12);
  EXPECT_EQ(1, V.PageNo());
  EXPECT_EQ(1, E->GotoPageNo());
  EXPECT_EQ(0, E->PageList()->Count());
  EXPECT_EQ(&R.Publisher(), V.ScreenDevice()->Publisher());

  Arrivals.Then = nullptr;
  EXPECT_TRUE(E->Search("aa"));
  EXPECT_EQ(30, V.PageNo());
}

TEST(ppTextSearchEngineTest, ScreenDeviceSwitchNests) {
  TSearchReport R(2, nullptr);
  TSearchView V(R);
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  E->SetViewer(&V);
  TppScreenDevice* Off = E->OffScreenDevice();
  E->SetScreenDeviceActive(false);
  E->SetScreenDeviceActive(false);
  EXPECT_EQ(&R.Publisher(), Off->Publisher());
  EXPECT_EQ(nullptr, V.ScreenDevice()->Publisher());
  E->SetScreenDeviceActive(true);
  EXPECT_EQ(&R.Publisher(), Off->Publisher());
  E->SetScreenDeviceActive(true);
  EXPECT_EQ(nullptr, Off->Publisher());
  EXPECT_EQ(&R.Publisher(), V.ScreenDevice()->Publisher());
}

// The hits of single commands, as the engine places them for sorting.
TEST(ppTextSearchEngineTest, OccurrencesOfOneCommand) {
  THighlighters H;
  TSearchReport R(1, nullptr);
  TSearchView V(R);
  TOwned<TppTextSearchRichTextEngine> E(new TppTextSearchRichTextEngine(nullptr));
  E->SetViewer(&V);
  E->AssignCanvasScale();
  auto Hits = [&](TppPage& P, const std::string& Text) -> TppTextSearchPage* {
    E->PageList()->Reset();
    if (!E->SearchPage(&P, Text)) return nullptr;
    return E->PageList()->GetPage(E->PageList()->IndexOfPage(P.AbsolutePageNo()));
  };

  TOwned<TppPage> Page(new TppPage(nullptr));
  Page->SetAbsolutePageNo(7);
  AddText(*Page, "aa aa aa", 5000, 20000);
  TppTextSearchPage* S = Hits(*Page, "aa");
  ASSERT_NE(nullptr, S);
  ASSERT_EQ(3, S->Count());
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(I + 1, S->GetOccurrence(I)->OrdinalInLine());
    EXPECT_EQ(5000 + I + 1, S->GetOccurrence(I)->SortLeft);
    EXPECT_EQ(1, S->GetOccurrence(I)->TextLineNo);
  }
  EXPECT_TRUE(E->SearchPage(Page.get(), "aa"));  // listed already: not searched again
  EXPECT_EQ(1, E->PageList()->Count());
  EXPECT_EQ(nullptr, Hits(*Page, ""));

  // A memo's second line.
  TOwned<TppPage> Memo(new TppPage(nullptr));
  TppDrawText* M = AddText(*Memo, "", 5000, 40000);
  M->SetIsMemo(true);
  M->WrappedText()->Add("primeira linha");
  M->WrappedText()->Add("segunda aa");
  S = Hits(*Memo, "aa");
  ASSERT_NE(nullptr, S);
  ASSERT_EQ(1, S->Count());
  EXPECT_EQ(2, S->GetOccurrence(0)->TextLineNo);
  EXPECT_GT(E->LineHeight(), 0);
  EXPECT_EQ(40000 + E->LineHeight(), S->GetOccurrence(0)->SortTop);

  // Rich text: three hits spread over the command's height; a range of one character is not searched.
  TOwned<TppPage> Rich(new TppPage(nullptr));
  auto* RT = new TppDrawRichText(nullptr);
  const std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 um aa, dois aa\\par tres aa}";
  RT->RichTextStream().WriteBuffer(Rtf.data(), static_cast<int64_t>(Rtf.size()));
  RT->SetStartCharPos(0);
  RT->SetEndCharPos(25);
  RT->SetTop(1000);
  RT->SetHeight(9000);
  RT->SetPage(Rich.get());
  S = Hits(*Rich, "AA");
  ASSERT_NE(nullptr, S);
  ASSERT_EQ(3, S->Count());
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(1000 + 3000 * I, S->GetOccurrence(I)->SortTop);
    EXPECT_EQ(I, S->GetOccurrence(I)->OrdinalInLine());
    EXPECT_EQ(0, S->GetOccurrence(I)->TextLineNo);
  }
  EXPECT_EQ(3, S->GetOccurrence(0)->RichTextPosition);
  EXPECT_EQ(nullptr, Hits(*Rich, ""));
  RT->SetEndCharPos(1);
  EXPECT_EQ(nullptr, Hits(*Rich, "um"));
  // The standard engine leaves rich text alone.
  TOwned<TppTextSearchEngine> Standard(new TppTextSearchEngine(nullptr));
  Standard->SetViewer(&V);
  RT->SetEndCharPos(25);
  EXPECT_FALSE(Standard->SearchPage(Rich.get(), "aa"));
}

}  // namespace searchenginetest
