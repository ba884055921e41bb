#include "ppreport/output/ppTextSearchEngine.h"

#include <algorithm>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "ppreport/output/ppTextSearchPage.h"
#include "ppreport/output/ppTextSearchToolbox.h"

const TClassInfo& TppTextSearchEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchEngine>("TppTextSearchEngine", &TppTextSearchCustomEngine::StaticClassInfo());
  return Info;
}

const TppTextSearchEngineClass& TppTextSearchEngine::EngineClass() {
  static const TppTextSearchEngineClass C{&StaticClassInfo(), Description(),
                                          [](TComponent* Owner) -> TppTextSearchCustomEngine* {
                                            return new TppTextSearchEngine(Owner);
                                          }};
  return C;
}

namespace {

[[noreturn]] void Fail(const char* ClassName, const char* Operation, const std::string& Text) {
  throw ESearchEngineError(ppErrorText(ClassName, Operation, Text));
}

// Hears when a page is freed while pending messages run in the middle of searching it.
class TFreeWatch {
public:
  explicit TFreeWatch(TppCommunicator* Target) : FWatch(new TppCommunicator(nullptr)) {
    FWatch->OnNotify = [this, Target](TppCommunicator*, TppCommunicator* Partner, TppNotifyOperation Op) {
      if (Op == ppopRemove && Partner == Target) Gone = true;
    };
    FWatch->AddNotify(Target);
  }
  ~TFreeWatch() { FWatch->Free(); }
  TFreeWatch(const TFreeWatch&) = delete;
  TFreeWatch& operator=(const TFreeWatch&) = delete;
  bool Gone = false;

private:
  TppCommunicator* FWatch;
};

}  // namespace

TppTextSearchEngine::TppTextSearchEngine(TComponent* AOwner)
    : TppTextSearchCustomEngine(AOwner), FPageList(new TppTextSearchPageList(nullptr)) {}

TppTextSearchEngine::~TppTextSearchEngine() {
  BeforeDestruction();
  if (FPageList) FPageList->Free();
}

void TppTextSearchEngine::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner && Partner == FCurrentOccurrence) FCurrentOccurrence = nullptr;
  TppTextSearchCustomEngine::Notify(Partner, Operation);
}

void TppTextSearchEngine::SetCurrentOccurrence(TppTextSearchOccurrence* Occurrence) {
  if (Occurrence == FCurrentOccurrence) return;
  if (FCurrentOccurrence) RemoveNotify(FCurrentOccurrence);
  FCurrentOccurrence = Occurrence;
  if (Occurrence) AddNotify(Occurrence);
}

// ---- what the cursor answers

int TppTextSearchEngine::GetCurrentPageNo() { return FPageList->CurrentPageNo(); }
int TppTextSearchEngine::GetOccurrenceCount() { return FPageList->TotalOccurrenceCount(); }
int TppTextSearchEngine::GetCurrentOccurrenceNo() { return FPageList->CurrentOccurrenceNo(); }

TppTextSearchPage* TppTextSearchEngine::CurrentSearchPage() const {
  const int I = FPageList->CurrentPageIndex();
  return I == -1 ? nullptr : FPageList->GetPage(I);
}

bool TppTextSearchEngine::FirstOccurrence() {
  BeforeMoveBackward();
  SetCurrentOccurrence(FPageList->FirstOccurrence());
  return FCurrentOccurrence != nullptr;
}

bool TppTextSearchEngine::PriorOccurrence() {
  BeforeMoveBackward();
  SetCurrentOccurrence(FPageList->PriorOccurrence());
  return FCurrentOccurrence != nullptr;
}

bool TppTextSearchEngine::NextOccurrence() {
  BeforeMoveForward();
  SetCurrentOccurrence(FPageList->NextOccurrence());
  return FCurrentOccurrence != nullptr;
}

bool TppTextSearchEngine::LastOccurrence() {
  BeforeMoveForward();
  // An empty list has no last hit (the list itself raises for it).
  SetCurrentOccurrence(FPageList->Count() > 0 ? FPageList->LastOccurrence() : nullptr);
  return FCurrentOccurrence != nullptr;
}

TppTextSearchOccurrence* TppTextSearchEngine::GotoOccurrencePage(int PageNo) {
  if (FPageList->CurrentPageNo() < PageNo) BeforeMoveForward();
  else BeforeMoveBackward();
  FPageList->GotoPage(PageNo);
  SetCurrentOccurrence(FPageList->CurrentPage() ? FPageList->CurrentOccurrence() : nullptr);
  return FCurrentOccurrence;
}

int TppTextSearchEngine::ResetSearchIndex(int N) {
  FPageList->ResetSearchIndex(N);
  return FPageList->CurrentOccurrenceIndex();
}

void TppTextSearchEngine::ResetSearch() {
  TppTextSearchCustomEngine::ResetSearch();
  SetCurrentOccurrence(nullptr);
  FPageList->Reset();
  SetAllPagesSearched(false);
  SetSearchText({});
  SetGotoPageNo(-1);
  FLineHeight = 0;
}

// ---- searching

bool TppTextSearchEngine::Search(const std::string& Text) {
  bool Found = false;
  {
    SetScreenDeviceActive(false);
    TFinally SwitchBack([this] { SetScreenDeviceActive(true); });
    TppTextSearchCustomEngine::Search(Text);
    SetSearchText(Text);
    SetCurrentOccurrence(nullptr);
    FPageList->Reset();
    Found = SearchReport();
  }
  if (Found && Viewer() && ViewerPageNo() != GotoPageNo()) Viewer()->GotoPage(GotoPageNo());
  return Found;
}

bool TppTextSearchEngine::SearchPage(TppPage* Page, const std::string& Text) {
  SetSearchText(Text);
  TppTextSearchCustomEngine::SearchPage(Page, Text);
  if (!Page) Fail("TppSearchEngine", "Search", SppEngineNoPage);
  if (FPageList->IndexOfPage(Page->AbsolutePageNo()) != -1) return true;
  SetAllPagesSearched(Page->LastPage());
  TppTextSearchPage* Found = BuildPageOccurrences(Page, Text);
  if (!Found) return false;
  FPageList->Add(Found);
  SendResults();
  return true;
}

TppTextSearchPage* TppTextSearchEngine::BuildPageOccurrences(TppPage* Page, const std::string& Text) {
  std::unique_ptr<TppTextSearchPage, TComponentDeleter> Result;
  TppOccurrenceList Scratch;
  TFreeWatch Watch(Page);
  try {
    for (int I = 0; !Watch.Gone && I < Page->GetDrawCommandCount() && !Cancelled(); ++I) {
      TppDrawCommand* Command = Page->GetDrawCommand(I);
      if (Command && TppTextSearchDrawCommandHighlightRegistry::HasHighlighter(*Command->ClassInfo())) {
        BuildSearchOccurrenceList(Command, I, Scratch, Text);
        if (!Scratch.empty() && !Result) {
          Result.reset(new TppTextSearchPage(nullptr));
          SendResults();
        }
        for (auto& Occurrence : Scratch) {
          Result->Add(Occurrence.release());
          SendResults();
          ProcessMessages();
        }
        Scratch.clear();
      }
      ProcessMessages();
    }
  } catch (const ESearchEngineError&) {
    return nullptr;  // the page counts as one without hits
  }
  if (Cancelled() || Watch.Gone || !Result) return nullptr;
  Result->PageNo = Page->AbsolutePageNo();
  Result->SortOccurrences();
  return Result.release();
}

void TppTextSearchEngine::BuildSearchOccurrenceList(TppDrawCommand* Command, int Index, TppOccurrenceList& List,
                                                    const std::string& Text) {
  auto* T = dynamic_cast<TppDrawText*>(Command);
  if (!T)
    Fail("TppDrawTextSearchEngine", "BuildSearchOccurrenceList",
         Format(SppEngineNotText, {Command ? Command->ClassName() : std::string("nil")}));
  // The line height places hits below a memo's first line; measured only when one is found there.
  FLineHeightKnown = false;
  if (T->IsMemo() && T->WrappedText()) {
    const std::vector<std::string> Lines = [&] {
      std::vector<std::string> L;
      for (int K = 0; K < T->WrappedText()->Count(); ++K) L.push_back(T->WrappedText()->Get(K));
      return L;
    }();
    for (size_t K = 0; K < Lines.size() && !Cancelled(); ++K)
      FindLineOccurrences(T, Index, Lines[K], Text, static_cast<int>(K) + 1, List);
  } else {
    FindLineOccurrences(T, Index, T->Text(), Text, 1, List);
  }
}

void TppTextSearchEngine::FindLineOccurrences(TppDrawText* Command, int Index, const std::string& Line,
                                              const std::string& Text, int LineNo, TppOccurrenceList& List) {
  TppTextSearchToolbox& Toolbox = TppTextSearchToolboxRegistry::ToolboxClass();
  // Taken before messages are processed: the command may go with the page on screen.
  const int32_t Top = Command->Top(), Left = Command->Left();
  std::string_view Rest = Line;
  int32_t Position = 0, Length = 0;
  Toolbox.FindText(Rest, Text, CaseSensitive(), WholeWord(), Position, &Length);
  int N = 0;
  while (Position > 0 && !Cancelled()) {
    ++N;
    if (LineNo > 1 && !FLineHeightKnown) {
      FLineHeight = Toolbox.CalculateLineHeight(*Command, Canvas(), ScaleY());
      FLineHeightKnown = true;
    }
    std::unique_ptr<TppTextSearchOccurrence, TComponentDeleter> O(new TppTextSearchOccurrence(nullptr));
    O->SetDrawCommandIndex(Index);
    O->SetOrdinalInLine(N);
    O->TextLineNo = LineNo;
    O->SortTop = Top + (LineNo - 1) * (LineNo > 1 ? FLineHeight : 0);
    O->SortLeft = Left + N;
    List.push_back(std::move(O));
    // The match may differ in length from the search text (case folding): cut by its own length.
    Rest.remove_prefix(static_cast<size_t>(Position - 1 + std::max(Length, 1)));
    Toolbox.FindText(Rest, Text, CaseSensitive(), WholeWord(), Position, &Length);
    ProcessMessages();
  }
}

// ---- highlighting

void TppTextSearchEngine::HighlightCurrentDrawCommand(TppPage* Page) {
  TppTextSearchCustomEngine::HighlightCurrentDrawCommand(Page);
  if (!Page)
    throw ESearchHighlightError(ppErrorText("TppSearchPreview", "HighlightCurrentDrawCommand", SppEngineHighlightNoPage));
  const int PageNo = Page->AbsolutePageNo();
  if (FPageList->IndexOfPage(PageNo) != -1) {
    if (ShowAll()) {
      if (FPageList->CurrentPageNo() != PageNo) FPageList->GotoPage(PageNo);
      if (!Cancelled()) SetCurrentOccurrence(FPageList->GotoPage(PageNo) ? FPageList->CurrentOccurrence() : nullptr);
      if (!Cancelled()) CreateEntirePageHighlights(Page);
      if (!Cancelled()) SetCurrentOccurrence(FPageList->GotoPage(PageNo) ? FPageList->CurrentOccurrence() : nullptr);
    } else {
      CreateSingleHighlight(Page);
    }
    if (!Cancelled()) DrawHighlights(Page);
  }
  if (Cancelled()) ClearHighlights();
}

void TppTextSearchEngine::CreateEntirePageHighlights(TppPage* Page) {
  TppTextSearchPage* SearchPage = FPageList->CurrentPage();
  const int Count = SearchPage ? SearchPage->Count() : 0;
  for (int K = 0; K < Count && !Cancelled() && FCurrentOccurrence; ++K) {
    const int Index = FCurrentOccurrence->DrawCommandIndex();
    if (Index < 0 || Index >= Page->GetDrawCommandCount())
      Fail("TppTextSearchEngine", "CreateEntirePageHighlights", SppEngineOutOfSync);
    CreateHighlightDrawCommand(Page->GetDrawCommand(Index), FCurrentOccurrence);
    TppTextSearchOccurrence* Next = FPageList->NextOccurrence();
    SetCurrentOccurrence(Next ? Next : FPageList->LastOccurrence());
    ProcessMessages();
  }
}

void TppTextSearchEngine::CreateSingleHighlight(TppPage* Page) {
  if (!Page) Fail("TppTextSearchEngine", "CreateSingleHighlight", SppEngineSingleNoPage);
  if (!FCurrentOccurrence) Fail("TppTextSearchEngine", "CreateSingleHighlight", SppEngineSingleNoOccurrence);
  const int Index = FCurrentOccurrence->DrawCommandIndex();
  if (Index == -1) Fail("TppTextSearchEngine", "CreateSingleHighlight", SppEngineSingleNoIndex);
  // An index beyond the page's commands is the same fault as in the whole-page case.
  if (Index < 0 || Index >= Page->GetDrawCommandCount())
    Fail("TppTextSearchEngine", "CreateSingleHighlight", SppEngineOutOfSync);
  TppDrawCommand* Command = Page->GetDrawCommand(Index);
  BeforeCreateSingleHighlight(Command, FCurrentOccurrence);
  CreateHighlightDrawCommand(Command, FCurrentOccurrence);
}
