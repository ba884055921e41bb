#include "ppreport/output/ppTextSearchRichTextEngine.h"

#include <mutex>
#include <string_view>

#include "platform/richtext/RichTextLock.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/generation/ppRichTxDrwCmd.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "ppreport/output/ppTextSearchOccurrence.h"
#include "ppreport/output/ppTextSearchPage.h"
#include "ppreport/output/ppTextSearchToolbox.h"

const TClassInfo& TppTextSearchRichTextEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchRichTextEngine>("TppTextSearchRichTextEngine", &TppTextSearchEngine::StaticClassInfo());
  return Info;
}

const TppTextSearchEngineClass& TppTextSearchRichTextEngine::EngineClass() {
  static const TppTextSearchEngineClass C{&StaticClassInfo(), Description(),
                                          [](TComponent* Owner) -> TppTextSearchCustomEngine* {
                                            return new TppTextSearchRichTextEngine(Owner);
                                          }};
  return C;
}

TppTextSearchRichTextEngine::TppTextSearchRichTextEngine(TComponent* AOwner) : TppTextSearchEngine(AOwner) {}

TppTextSearchRichTextEngine::~TppTextSearchRichTextEngine() { BeforeDestruction(); }

void TppTextSearchRichTextEngine::BuildSearchOccurrenceList(TppDrawCommand* Command, int Index,
                                                            TppOccurrenceList& List, const std::string& Text) {
  if (dynamic_cast<TppDrawText*>(Command)) TppTextSearchEngine::BuildSearchOccurrenceList(Command, Index, List, Text);
  else if (auto* Rich = dynamic_cast<TppDrawRichText*>(Command)) BuildRichTextSearchOccurrenceList(*Rich, Index, List, Text);
}

void TppTextSearchRichTextEngine::BuildRichTextSearchOccurrenceList(TppDrawRichText& Command, int Index,
                                                                    TppOccurrenceList& List, const std::string& Text) {
  // Taken before messages are processed: the command may go with the page on screen.
  const int32_t EndCharPos = Command.EndCharPos(), Top = Command.Top(), Left = Command.Left(),
                Height = Command.Height();
  int32_t Start = Command.StartCharPos();
  if (EndCharPos - Start <= 1) return;
  {
    std::lock_guard<TCriticalSection> Lock(RichTextLock());
    if (!FRichEdit) FRichEdit = CreateRichEdit();
    const auto& Bytes = Command.RichTextStream().Bytes();
    FRichEdit->LoadFromBytes(std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
  }
  const uint32_t Options = (WholeWord() ? stWholeWord : 0) | (CaseSensitive() ? stMatchCase : 0);
  const int32_t TextLength = static_cast<int32_t>(Utf8ToUtf16(Text).size());
  TppTextSearchToolbox& Toolbox = TppTextSearchToolboxRegistry::ToolboxClass();
  const size_t First = List.size();
  int32_t Position = Toolbox.FindRichText(*FRichEdit, Text, Options, EndCharPos - Start, Start);
  int N = 0;
  while (Position != -1 && !Cancelled()) {
    std::unique_ptr<TppTextSearchOccurrence, TComponentDeleter> O(new TppTextSearchOccurrence(nullptr));
    O->TextLineNo = 0;
    O->SetOrdinalInLine(N);
    O->RichTextPosition = Position;
    O->SetDrawCommandIndex(Index);
    O->SortTop = Top;
    O->SortLeft = Left + N + 1;
    List.push_back(std::move(O));
    ++N;
    Start = Position + TextLength;
    Position = Toolbox.FindRichText(*FRichEdit, Text, Options, EndCharPos - Start, Start);
    SendEventNotify(this, ciSearchEnginePageResults, nullptr);
    ProcessMessages();
  }
  SendEventNotify(this, ciSearchEnginePageResults, nullptr);
  // Spread over this command's hits only: those of earlier commands keep their places.
  TppOccurrenceList Own;
  for (size_t K = First; K < List.size(); ++K) Own.push_back(std::move(List[K]));
  SpreadOccurrenceTops(Own, Top, Height);
  for (size_t K = First; K < List.size(); ++K) List[K] = std::move(Own[K - First]);
}

void TppTextSearchRichTextEngine::SpreadOccurrenceTops(TppOccurrenceList& List, int32_t Top, int32_t Height) {
  const int Count = static_cast<int>(List.size());
  if (Count < 2 || Cancelled()) return;
  const int32_t Step = Height / Count;
  for (int I = 0; I < Count; ++I) List[static_cast<size_t>(I)]->SortTop = Top + Step * I;
}

// ---- erasing rich text highlights

void TppTextSearchRichTextEngine::EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence) {
  TppTextSearchDrawCommandHighlighter& H = PreparedHighlighter(*Command);
  try {
    H.EraseHighlight(Command, Occurrence, SearchText(), Canvas());
  } catch (const ERichTextHighlightError& E) {
    throw ESearchEngineError(ppErrorText("TppCustomSearchEngine", "CreateHighlightDrawCommand",
                                         Format(SppEngineHighlightNotErased, {Command->ClassName(), E.Message()})));
  }
}

// The hit the cursor leaves is painted plain again. Hit 0 is a hit too: only a cursor without one
// (-1) has nothing to erase.
void TppTextSearchRichTextEngine::EraseCurrentRichTextHighlight() {
  if (ShowAll() || GetCurrentOccurrenceNo() < 0 || !Viewer() || !CurrentOccurrence()) return;
  TppPage* Page = ViewerPage();
  const int Index = CurrentOccurrence()->DrawCommandIndex();
  if (!Page || Index < 0 || Index >= Page->GetDrawCommandCount()) return;
  TppDrawCommand* Command = Page->GetDrawCommand(Index);
  if (!dynamic_cast<TppDrawRichText*>(Command) || CurrentOccurrence()->SavedBackColor == -1) return;
  try {
    EraseHighlight(Command, CurrentOccurrence());
  } catch (const ESearchError&) {
    RefreshViewerPage();  // the page made afresh shows no highlight
  }
}

void TppTextSearchRichTextEngine::ClearHighlights() {
  TppTextSearchEngine::ClearHighlights();
  TppPage* Page = ViewerPage();
  TppTextSearchPage* SearchPage = CurrentSearchPage();
  if (!Viewer() || !Page || !SearchPage || SearchPage->PageNo != Page->AbsolutePageNo()) return;
  if (!ShowAll()) {
    EraseCurrentRichTextHighlight();
    return;
  }
  try {
    for (int I = 0; I < SearchPage->Count(); ++I) {
      TppTextSearchOccurrence* O = SearchPage->GetOccurrence(I);
      const int Index = O->DrawCommandIndex();
      if (Index < 0 || Index >= Page->GetDrawCommandCount()) continue;
      TppDrawCommand* Command = Page->GetDrawCommand(Index);
      if (dynamic_cast<TppDrawRichText*>(Command) && O->SavedBackColor != -1) EraseHighlight(Command, O);
    }
  } catch (const ESearchError&) {
    RefreshViewerPage();
  }
}
