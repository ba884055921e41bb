// The engines' highlights on the page on screen (plain text commands drawn over the hit, rich text
// coloured in place and its old colours written back), the engine registry, and the engines'
// errors and lifetimes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/richtext/RichEdit.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/output/ppTextSearchEngine.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "ppreport/output/ppTextSearchPage.h"
#include "ppreport/output/ppTextSearchRichTextEngine.h"
#include "tests/ppreport/output/ppSearchTestSupport.h"

using namespace ppsearchtest;

namespace searchhighlightenginetest {

template <class E>
using TOwned = std::unique_ptr<E, TComponentDeleter>;

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const ESearchError& E) {
    return E.what();
  }
  return "no error";
}

bool White(TBitmap& B, int X, int Y) { return (B.ScanLine(Y)[X] & 0xFFFFFF) == 0xFFFFFF; }

TEST(ppTextSearchEngineHighlightTest, PlainTextHighlightsOnThePageOnScreen) {
  THighlighters H;
  TSearchReport R(2, [](int No, TppPage& P) {
    if (No != 1) return;
    AddText(P, "Total: 100", 10000, 10000);
    AddText(P, "sem nada", 10000, 20000);
    AddText(P, "100 + 100", 10000, 30000);
  });
  TSearchView V(R);
  TppTextSearchSettings Settings;
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  E->SetViewer(&V);
  E->SetTextSearchSettings(&Settings);
  E->SetStartingPageNo(1);
  ASSERT_TRUE(E->Search("100"));
  ASSERT_EQ(3, E->GetOccurrenceCount());
  TppPage* Shown = V.GetCurrentPage();
  const int Commands = Shown->GetDrawCommandCount();

  ASSERT_TRUE(E->FirstOccurrence());
  E->HighlightCurrentDrawCommand(Shown);
  ASSERT_EQ(1, E->HighlightCount());
  auto* Hl = dynamic_cast<TppDrawText*>(E->GetHighlight(0));
  ASSERT_NE(nullptr, Hl);
  EXPECT_EQ("100", Hl->Text());
  EXPECT_EQ(Shown, Hl->Page());
  EXPECT_GT(Hl->Left(), 10000);  // after "Total: "
  EXPECT_EQ(Commands + 1, Shown->GetDrawCommandCount());
  // Drawn on the viewer's bitmap in the highlight colour.
  const TRect Box = Hl->GetDrawRect();
  EXPECT_FALSE(White(V.ScreenDevice()->Bitmap(), (Box.Left + Box.Right) / 2, (Box.Top + Box.Bottom) / 2));
  E->ClearHighlights();
  EXPECT_EQ(0, E->HighlightCount());
  EXPECT_EQ(Commands, Shown->GetDrawCommandCount());

  // Every hit of the page with ShowAll; the cursor comes back to the page's first hit.
  Settings.SetShowAll(true);
  E->HighlightCurrentDrawCommand(Shown);
  EXPECT_EQ(3, E->HighlightCount());
  EXPECT_EQ(0, E->GetCurrentOccurrenceNo());
  // The viewer moves on: the page lets its commands go, the highlights leave the engine's list.
  V.GotoPage(2);
  EXPECT_EQ(0, E->HighlightCount());
  E->HighlightCurrentDrawCommand(V.GetCurrentPage());  // no hits there: nothing
  EXPECT_EQ(0, E->HighlightCount());

  // A command with no highlighter.
  auto* Shape = new TppDrawShape(nullptr);
  Shape->SetPage(V.GetCurrentPage());
  TppTextSearchOccurrence Hit;
  EXPECT_EQ("TppTextSearchCustomEngine.CreateHighlightDrawCommand: Highlighter class not registered for draw ommand "
            "class TppDrawShape.",
            ErrorOf([&] { E->CreateHighlightDrawCommand(Shape, &Hit); }));
}

// The colours of every character of a rich text command's RTF.
std::vector<TRichCharFormat> Formats(TppDrawRichText& C) {
  TRichEdit Edit;
  const auto& B = C.RichTextStream().Bytes();
  Edit.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(B.data()), B.size()));
  std::vector<TRichCharFormat> F;
  for (int I = 0; I < Edit.Length(); ++I) {
    Edit.Select(I, 1);
    F.push_back(Edit.SelAttributes());
  }
  return F;
}

TppDrawRichText* RichCommand(TppPage& Page) {
  for (int I = 0; I < Page.GetDrawCommandCount(); ++I)
    if (auto* R = dynamic_cast<TppDrawRichText*>(Page.GetDrawCommand(I))) return R;
  return nullptr;
}

// A rich text hit coloured in place, then erased: the old colours come back (an automatic colour as
// automatic, the red word as red). Leaving hit 0 erases it too, and a second erase changes nothing.
TEST(ppTextSearchEngineHighlightTest, RichTextHitHighlightedThenErased) {
  THighlighters H;
  const std::string Rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 "
      "alpha beta \\cf1 alpha\\cf0  gama\\par}";
  TSearchReport R(1, [&](int, TppPage& P) {
    auto* RT = new TppDrawRichText(nullptr);
    RT->RichTextStream().WriteBuffer(Rtf.data(), static_cast<int64_t>(Rtf.size()));
    RT->SetStartCharPos(0);
    RT->SetEndCharPos(21);
    RT->SetLeft(10000);
    RT->SetTop(10000);
    RT->SetWidth(100000);
    RT->SetHeight(20000);
    RT->SetPage(&P);
  });
  TSearchView V(R);
  TOwned<TppTextSearchRichTextEngine> E(new TppTextSearchRichTextEngine(nullptr));
  EXPECT_EQ("Full Search", E->GetDescription());
  E->SetViewer(&V);
  E->SetStartingPageNo(1);
  ASSERT_TRUE(E->Search("alpha"));
  ASSERT_EQ(2, E->GetOccurrenceCount());
  TppDrawRichText* Command = RichCommand(*V.GetCurrentPage());
  ASSERT_NE(nullptr, Command);
  const std::vector<TRichCharFormat> Original = Formats(*Command);
  ASSERT_TRUE(Original[0].AutoColor);
  ASSERT_FALSE(Original[11].AutoColor);

  ASSERT_TRUE(E->FirstOccurrence());
  ASSERT_EQ(0, E->GetCurrentOccurrenceNo());
  E->HighlightCurrentDrawCommand(V.GetCurrentPage());
  EXPECT_EQ(0, E->HighlightCount());  // coloured in place, no command of its own
  std::vector<TRichCharFormat> Now = Formats(*Command);
  EXPECT_FALSE(Now[0].AutoBackColor);
  EXPECT_EQ(RGB(10, 36, 106), Now[0].BackColor);
  EXPECT_EQ(RGB(255, 251, 240), Now[4].Color);
  EXPECT_EQ(Original[6], Now[6]);  // "beta" untouched

  // Moving on from hit 0 erases it.
  ASSERT_TRUE(E->NextOccurrence());
  EXPECT_EQ(Original, Formats(*Command));
  E->HighlightCurrentDrawCommand(V.GetCurrentPage());
  EXPECT_EQ(RGB(10, 36, 106), Formats(*Command)[11].BackColor);
  E->ClearHighlights();
  EXPECT_EQ(Original, Formats(*Command));
  E->ClearHighlights();
  EXPECT_EQ(Original, Formats(*Command));
}

TEST(ppTextSearchEngineHighlightTest, EngineRegistry) {
  const TppTextSearchEngineClass* Standard = &TppTextSearchEngine::EngineClass();
  const TppTextSearchEngineClass* Full = &TppTextSearchRichTextEngine::EngineClass();
  const int Before = TppTextSearchEngineRegistry::Count();
  TppTextSearchEngineRegistry::Register(Standard);
  TppTextSearchEngineRegistry::Register(Full);
  TppTextSearchEngineRegistry::Register(Standard);
  EXPECT_EQ(Before + 2, TppTextSearchEngineRegistry::Count());
  EXPECT_EQ(Full, TppTextSearchEngineRegistry::GetEngineClass("Full Search"));
  EXPECT_EQ(nullptr, TppTextSearchEngineRegistry::GetEngineClass("full search"));
  TOwned<TppTextSearchCustomEngine> Made(Full->Create(nullptr));
  EXPECT_EQ("Full Search", Made->GetDescription());
  EXPECT_EQ("TppTextSearchEngineRegistry.Register: Cannot register a nil class",
            ErrorOf([] { TppTextSearchEngineRegistry::Register(nullptr); }));
  EXPECT_EQ("TppTextSearchEngineRegistry.UnRegister: Cannot unregister a nil class",
            ErrorOf([] { TppTextSearchEngineRegistry::UnRegister(nullptr); }));
  TppTextSearchEngineRegistry::UnRegister(Standard);
  TppTextSearchEngineRegistry::UnRegister(Full);
  EXPECT_EQ(nullptr, TppTextSearchEngineRegistry::GetEngineClass("Standard Search"));
  EXPECT_EQ(Before, TppTextSearchEngineRegistry::Count());
}

TEST(ppTextSearchEngineHighlightTest, ErrorsAndLifetimes) {
  THighlighters H;
  TOwned<TppTextSearchEngine> E(new TppTextSearchEngine(nullptr));
  EXPECT_EQ("TppTextSearchCustomEngine.Search: Must assign a non-nil viewer from the device in order to search.",
            ErrorOf([&] { E->Search("x"); }));
  EXPECT_EQ("TppTextSearchCustomEngine.NavigateForward: Cannot request pages when the viewer is nil.",
            ErrorOf([&] { E->FindNextPage("x"); }));
  EXPECT_EQ("TppTextSearchCustomEngine.CancelSearch: Publisher is nil and cannot cancel the search cleanly.",
            ErrorOf([&] { E->CancelSearch(); }));

  TSearchReport R(3, [](int No, TppPage& P) { AddText(P, No == 2 ? "aqui" : "ali", 10000, 10000); });
  {
    TSearchView Lost(R);
    Lost.ScreenDevice()->SetPublisher(nullptr);
    EXPECT_EQ("TppTextSearchCustomEngine.SetViewer: Publisher cannot be nil", ErrorOf([&] { E->SetViewer(&Lost); }));
    E->SetViewer(nullptr);
  }
  TSearchView V(R);
  E->SetViewer(&V);
  // An off-screen device freed from outside is made again; the search goes on with the new one.
  E->OffScreenDevice()->Free();
  ASSERT_NE(nullptr, E->OffScreenDevice());
  E->SetStartingPageNo(1);
  EXPECT_TRUE(E->Search("aqui"));
  EXPECT_EQ(2, V.PageNo());
  {
    auto* Settings = new TppTextSearchSettings;
    E->SetTextSearchSettings(Settings);
    delete Settings;
    EXPECT_EQ(nullptr, E->TextSearchSettings());
  }
  V.FreeWalkieTalkie();  // as when the viewer is freed
  EXPECT_EQ(nullptr, E->Viewer());
  EXPECT_EQ(nullptr, E->Publisher());
}

}  // namespace searchhighlightenginetest
