#include "ppreport/output/forms/ppTextSearchCustomPreview.h"

#include <exception>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Forms.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/forms/ppFormsConsts.h"
#include "ppreport/output/forms/ppViewer.h"
#include "ppreport/output/ppTextSearchCustomEngine.h"
#include "ppreport/output/ppTextSearchEngineRegistry.h"
#include "ppreport/output/ppViewr.h"

const TClassInfo& TppCustomSearchPreview::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppCustomSearchPreview>("TppCustomSearchPreview", &TppCommunicator::StaticClassInfo());
  return Info;
}

namespace {
[[noreturn]] void Fail(const char* Operation, const std::string& Text) {
  throw ESearchError(std::string("TppCustomSearchPreview.") + Operation + ": " + Text);
}
}  // namespace

TppCustomSearchPreview::TppCustomSearchPreview(TComponent* AOwner)
    : TppCommunicator(AOwner),
      FTextSearchSettings(std::make_unique<TppTextSearchSettings>()),
      FSavedCursor(Screen().Cursor()) {
  for (int E : {ciScreenDeviceBeforePageDraw, ciScreenDeviceAfterPageDraw, ciViewerReset, ciDevicePageReceive,
                ciSearchEnginePageResults})
    EventMask().Include(E);
}

TppCustomSearchPreview::~TppCustomSearchPreview() { BeforeDestruction(); }

void TppCustomSearchPreview::Destroying() {
  FDestroying = true;
  StopListening();
  if (FBusy) Screen().SetCursor(FSavedCursor);
  if (FEngine) {
    FEngine->RemoveEventNotify(this);
    FEngine->OffScreenDevice()->RemoveEventNotify(this);
    FEngine.reset();
  }
  TppCommunicator::Destroying();
}

void TppCustomSearchPreview::StopListening() {
  if (FScreenDevice) FScreenDevice->RemoveEventNotify(this);
  FScreenDevice = nullptr;
  if (FViewer) FViewer->WalkieTalkie()->RemoveEventNotify(this);
}

void TppCustomSearchPreview::SetViewer(TppViewer* V) {
  if (V == FViewer) return;
  StopListening();
  FViewer = V;
  if (!FViewer) return;
  FViewer->WalkieTalkie()->AddEventNotify(this);
  FScreenDevice = FViewer->ScreenDevice();
  if (FScreenDevice) FScreenDevice->AddEventNotify(this);
}

// A viewer going away first is forgotten: raising from a free notification would end the program.
void TppCustomSearchPreview::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation != ppopRemove || !Partner) return;
  if (Partner == FScreenDevice) FScreenDevice = nullptr;
  if (!FViewer || Partner != FViewer->WalkieTalkie()) return;
  if (FScreenDevice) FScreenDevice->RemoveEventNotify(this);
  FScreenDevice = nullptr;
  FViewer = nullptr;
  if (FEngine) FEngine->SetViewer(nullptr);
}

int TppCustomSearchPreview::ViewerPageNo() const { return FViewer ? FViewer->GetAbsolutePageNo() : 0; }

bool TppCustomSearchPreview::HasHits() const { return FEngine && FEngine->GetOccurrenceCount() > 0; }

void TppCustomSearchPreview::CreateControls(TWinControl* Toolbar) {
  FToolbar = Toolbar;
  if (FToolbar) FToolbar->SetVisible(FPanelVisible);
}

void TppCustomSearchPreview::CreateSearchEngine() {
  const std::string Description = GetSearchEngineDescription();
  const TppTextSearchEngineClass* Class = TppTextSearchEngineRegistry::GetEngineClass(Description);
  if (!Class) Class = TppTextSearchEngineRegistry::GetEngineClass("Full Search");
  if (!Class) Fail("CreateSearchEngine", SppSearchEngineNotFound + Description);
  if (Class == FEngineClass && FEngine) return;
  if (FEngine) {
    FEngine->RemoveEventNotify(this);
    FEngine->OffScreenDevice()->RemoveEventNotify(this);
    FEngine.reset();
  }
  FEngine.reset(Class->Create(nullptr));
  FEngineClass = Class;
  FEngine->AddEventNotify(this);
  FEngine->OffScreenDevice()->AddEventNotify(this);
}

void TppCustomSearchPreview::BeforePreview() {
  if (!FViewer) Fail("BeforePreview", SppSearchPreviewNoViewer);
  if (!FViewer->ScreenDevice()) Fail("BeforePreview", SppSearchPreviewNoScreenDevice);
  if (!FStatusBar) Fail("BeforePreview", SppSearchPreviewNoStatusBar);
  if (FScreenDevice != FViewer->ScreenDevice()) {
    if (FScreenDevice) FScreenDevice->RemoveEventNotify(this);
    FScreenDevice = FViewer->ScreenDevice();
    FScreenDevice->AddEventNotify(this);
  }
  CreateSearchEngine();
  FSearchState &= static_cast<uint8_t>(~ppSearchStateCancelled);
  FOptionsChanged = false;
  FPanelVisible = FTextSearchSettings->Enabled() && FTextSearchSettings->Visible();
  ShowPanel();
  if (FPanelVisible) return;
  if (FSearchState & ppSearchStateActive) {
    CancelQuietly();
  } else {
    ResetState();
    UpdateStatus();
  }
}

void TppCustomSearchPreview::AfterPreview() {
  FSearchState &= static_cast<uint8_t>(~ppSearchStateSearching);
  FOptionsChanged = false;
  FCurrentOccurrenceNo = -1;
  FSearchText.clear();
  FStartPageNo = 1;
  FPageMoved = false;
  if (FEngine) FEngine->ResetSearch();
}

void TppCustomSearchPreview::ResetState() {
  FSearchState &= static_cast<uint8_t>(~(ppSearchStateSearching | ppSearchStateCancelled));
  SearchEnded();
  FCurrentOccurrenceNo = -1;
  FSearchText.clear();
  FStartPageNo = 1;
  FPageMoved = false;
  FHighlightedPage = 0;
  if (FEngine) FEngine->ResetSearch();
}

void TppCustomSearchPreview::SearchStarted() {
  if (FSearchState & ppSearchStateActive) return;
  FSearchState |= ppSearchStateActive;
  FSearchState &= static_cast<uint8_t>(~ppSearchStateCancelled);
  if (FToolbar) FToolbar->SetColor(clBtnFace);
}

void TppCustomSearchPreview::ClearSearch() {
  UpdateStatus();
  ResetState();
  RedrawPage();
}

void TppCustomSearchPreview::HandleSearchError() {
  if (Application) Application->HandleException(this);
  CancelQuietly();
  SetBusy(false);
}

void TppCustomSearchPreview::EnableSearch() {
  ResetState();
  FPanelVisible = true;
  if (FToolbar) FToolbar->SetEnabled(true);
}

void TppCustomSearchPreview::SetBusy(bool Busy) {
  if (Busy == FBusy) return;
  FBusy = Busy;
  if (Busy) {
    FSavedCursor = Screen().Cursor();
    Screen().SetCursor(crHourGlass);
  } else {
    Screen().SetCursor(FSavedCursor);
  }
}

void TppCustomSearchPreview::ShowPanel() {
  if (FToolbar) FToolbar->SetVisible(FPanelVisible);
  SendEventNotify(this, ciSearchToolbarVisibleChange, nullptr);
}

void TppCustomSearchPreview::UpdateStatus() {
  if (!FStatusBar || !FViewer || FStatusBar->SimplePanel() || FStatusBar->Panels().Count() == 0) return;
  TppPage* Page = FViewer->GetCurrentPage();
  if (!Page || Page->AbsolutePageNo() == 0) return;
  TppPublisher* Publisher = FViewer->ScreenDevice() ? FViewer->ScreenDevice()->Publisher() : nullptr;
  FStatusBar->Panels()[0]->SetText(Publisher && Publisher->ReportCompleted() ? Page->GetPageOfPagesText()
                                                                             : Page->GetPageNoText());
}

void TppCustomSearchPreview::StatusChange() {
  if (!FStatusBar) return;
  if (FStatusBar->SimplePanel()) Fail("StatusChange", SppSearchPreviewSimplePanel);
  if (FStatusBar->Panels().Count() == 0) FStatusBar->Panels().Add();
  if (FStatusBar->Panels().Count() == 1) FStatusBar->Panels().Add();
  FStatusBar->Panels()[0]->SetWidth(275);
  FStatusBar->Panels()[0]->SetAlignment(taLeftJustify);
}

void TppCustomSearchPreview::RedrawPage() {
  if (!FViewer || !FViewer->ScreenDevice()) return;
  FViewer->ScreenDevice()->RenderPage();
  FViewer->RefreshPage();
}

void TppCustomSearchPreview::ToggleSearchPanel() {
  {
    TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
    FPanelVisible = !FPanelVisible;
    FTextSearchSettings->SetVisible(FPanelVisible);
    ShowPanel();
    if (FPanelVisible) {
      ResetState();
    } else {
      if (FSearchState & ppSearchStateActive)
        CancelQuietly();
      else
        ResetState();
      RedrawPage();
    }
  }
  UpdateStatus();
  SendEventNotify(this, ciSearchStateChange, nullptr);
}

void TppCustomSearchPreview::CancelQuietly() {
  TRestore<bool> Quiet(FQuiet, true);
  PerformSearchAction(saCancel);
}

// ---- actions

void TppCustomSearchPreview::PerformSearchAction(int Action) {
  if (FActionCount != 0 && Action != saCancel) return;
  if (FEngine) {
    const bool Counted = Action != saCancel;
    if (Counted) --FActionCount;
    SearchStarted();
    // A cancel taken while a find runs leaves the busy state to the find.
    const bool WasBusy = FBusy;
    SetBusy(true);
    std::exception_ptr Error;
    try {
      switch (Action) {
        case saFind: Find(); break;
        case saFirst:
          if (Cancelled()) break;
          FEngine->FirstOccurrence();
          Application->ProcessMessages();
          if (!Cancelled()) GotoHitPage(FEngine->GetCurrentPageNo());
          Application->ProcessMessages();
          if (!Cancelled()) HighlightPage();
          FCurrentOccurrenceNo = 0;
          break;
        case saNext:
          if (FCurrentOccurrenceNo + 1 >= FEngine->GetOccurrenceCount()) {
            if (FEngine->AllPagesSearched()) break;
            FEngine->FindNextPage(FSearchText);
            Application->ProcessMessages();
            if (Cancelled() || FCurrentOccurrenceNo + 1 >= FEngine->GetOccurrenceCount()) break;
          }
          FEngine->NextOccurrence();
          GotoHitPage(FEngine->GetCurrentPageNo());
          HighlightPage();
          ++FCurrentOccurrenceNo;
          break;
        case saPrior:
          if (Cancelled() || FCurrentOccurrenceNo <= 0) break;
          FEngine->PriorOccurrence();
          GotoHitPage(FEngine->GetCurrentPageNo());
          HighlightPage();
          --FCurrentOccurrenceNo;
          break;
        case saLast:
          if (!FEngine->AllPagesSearched()) {
            FEngine->FindLastPage(FSearchText);
            Application->ProcessMessages();
          }
          if (Cancelled()) break;
          FEngine->LastOccurrence();
          GotoHitPage(FEngine->GetCurrentPageNo());
          HighlightPage();
          FCurrentOccurrenceNo = FEngine->GetOccurrenceCount() - 1;
          break;
        case saCancel:
          FSearchState |= ppSearchStateCancelled;
          SearchEnded();
          FEngine->CancelSearch();
          UpdateStatus();
          RedrawPage();
          break;
        case saClear: ClearSearch(); break;
        default: break;
      }
    } catch (...) {
      Error = std::current_exception();
    }
    if (Action != saCancel && Cancelled()) {
      ClearSearch();
      UpdateStatus();
    }
    if (Counted) ++FActionCount;
    UpdateStatus();
    if (!WasBusy) SetBusy(false);
    if (Error) {
      try {
        std::rethrow_exception(Error);
      } catch (const ESearchError&) {
        HandleSearchError();
      }
    }
  }
  if (!FQuiet) SendEventNotify(this, ciSearchStateChange, nullptr);
}

bool TppCustomSearchPreview::NeedsNewSearch() { return FOptionsChanged || FPageMoved || !HasHits(); }

bool TppCustomSearchPreview::Find() {
  bool Result = false;
  if (NeedsNewSearch()) {
    FSearchState |= ppSearchStateSearching;
    auto Done = TFinally([this] { FSearchState &= static_cast<uint8_t>(~ppSearchStateSearching); });
    ReadControls();
    FEngine->ResetSearch();
    FPageMoved = false;
    FEngine->SetTextSearchSettings(FTextSearchSettings.get());
    FEngine->SetViewer(FViewer);
    FCurrentOccurrenceNo = -1;
    FStartPageNo = FTextSearchSettings->SearchFromCurrentPage() ? ViewerPageNo() : 1;
    FEngine->SetStartingPageNo(FStartPageNo);
    TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
    UpdateStatus();
    Result = FEngine->Search(FSearchText);
    FOptionsChanged = false;
  } else if (HasHits()) {
    ShowFirstHit();
    return false;
  }
  if (Cancelled()) return Result;
  if (Result) {
    if (FGoToFirst) ShowFirstHit();
  } else {
    TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
    RedrawPage();
  }
  return Result;
}

void TppCustomSearchPreview::ShowFirstHit() {
  FEngine->FirstOccurrence();
  GotoHitPage(FEngine->GetCurrentPageNo());
  HighlightPage();
  FCurrentOccurrenceNo = 0;
}

bool TppCustomSearchPreview::GotoHitPage(int PageNo) {
  TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
  if (PageNo == -1 || Cancelled() || !FViewer || ViewerPageNo() == PageNo) return false;
  FEngine->ClearHighlights();
  FViewer->GotoPage(PageNo);
  return true;
}

void TppCustomSearchPreview::HighlightPage() {
  if (!HasHits() || !FViewer) return;
  TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
  FEngine->ClearHighlights();
  try {
    FEngine->HighlightCurrentDrawCommand(FViewer->GetCurrentPage());
  } catch (const ESearchEngineError& E) {
    throw ESearchPreviewError(std::string("TppCustomSearchPreview.HighlightPage: ") + SppSearchCannotHighlight +
                              "\r\n" + E.what());
  }
  FHighlightedPage = ViewerPageNo();
  if (!Cancelled()) RedrawPage();
}

// ---- the preview's own actions and page jumps

void TppCustomSearchPreview::BeforePreviewAction(int Action) {
  --FActionCount;
  if (!(FSearchState & ppSearchStateActive)) {
    if (Cancelled()) FSearchState = 0;
    return;
  }
  switch (Action) {
    case 1:
    case 11: CancelQuietly(); break;
    case 10:
      CancelQuietly();
      if (FToolbar) FToolbar->SetEnabled(false);
      UpdateStatus();
      break;
    case 6:
    case 7:
    case 8: FPageMoved = true; break;
    case 9: {
      FPageMoved = true;
      FSearchState |= ppSearchStateSearching;
      auto Done = TFinally([this] { FSearchState &= static_cast<uint8_t>(~ppSearchStateSearching); });
      SearchToEnd();
      break;
    }
    default: break;
  }
}

void TppCustomSearchPreview::SearchToEnd() {
  if (!FEngine || ViewerPageNo() < FEngine->HighestPageNoSearched()) return;
  FEngine->ClearHighlights();
  FEngine->FindLastPage(FSearchText);
  if (FEngine->Cancelled()) {
    if (FViewer && FViewer->ScreenDevice()) FViewer->ScreenDevice()->CancelReport();
    UpdateStatus();
  } else {
    FEngine->ResetSearchIndex(FCurrentOccurrenceNo);
  }
}

void TppCustomSearchPreview::BeforeGotoPage(int Target) {
  if (!(FSearchState & ppSearchStateActive) || !FEngine) return;
  FPageMoved = true;
  const int H = FEngine->HighestPageNoSearched();
  if (ViewerPageNo() < H || H >= Target) return;
  FEngine->ClearHighlights();
  if (Target >= H + 2) {
    FEngine->GotoOccurrencePage(H + 1);
    // The pages before the target are searched first, so hits beyond keep their numbers; the walk
    // ends at the first page with hits from the page before the target on.
    if (H + 1 < Target - 1) FEngine->FindPageFrom(FSearchText, Target - 1);
  }
  FEngine->ResetSearchIndex(FCurrentOccurrenceNo);
}

// ---- keeping the highlights in step with the page on screen

void TppCustomSearchPreview::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCommunicator::EventNotify(Sender, EventID, Params);
  if (!Sender) return;
  if (FScreenDevice && Sender == FScreenDevice) {
    if (EventID == ciScreenDeviceBeforePageDraw && FHighlightLock > 0 && FEngine) FEngine->ClearHighlights();
    if (EventID == ciScreenDeviceAfterPageDraw) PageDrawn();
  } else if (FViewer && Sender == FViewer->WalkieTalkie() && EventID == ciViewerReset) {
    ResetState();
  } else if (FEngine && Sender == FEngine->OffScreenDevice() && EventID == ciDevicePageReceive) {
    auto* Page = Params && Params->Count() > 0 ? dynamic_cast<TppPage*>(Params->ParamObject(0)) : nullptr;
    if (Page && FStatusBar && !FStatusBar->SimplePanel() && FStatusBar->Panels().Count() > 0)
      FStatusBar->Panels()[0]->SetText(FormatLanguageString(4, {std::to_string(Page->AbsolutePageNo()), Page->DocumentName()}));
  } else if (FEngine && Sender == FEngine.get() && EventID == ciSearchEnginePageResults) {
    StatusChange();
  }
}

void TppCustomSearchPreview::PageDrawn() {
  const int PageNo = ViewerPageNo();
  // Without an active search a page gets no highlights, whatever hits the engine still holds.
  if (PageNo == 0 || FHighlightLock <= 0 || !FEngine || !(FSearchState & ppSearchStateActive)) return;
  TRestore<int> Lock(FHighlightLock, FHighlightLock - 1);
  if (!HasHits()) return;
  TppPage* Page = FViewer->GetCurrentPage();
  bool Highlightable = PageNo == FHighlightedPage;
  if (FEngine->ShowAll()) {
    const bool BeforeStart = FTextSearchSettings->SearchFromCurrentPage() && PageNo < FStartPageNo;
    if (!Highlightable && !BeforeStart)
      Highlightable = PageNo <= FEngine->HighestPageNoSearched() || FEngine->SearchPage(Page, FSearchText);
    if (Highlightable && !FEngine->GotoOccurrencePage(PageNo)) Highlightable = false;
  } else if (PageNo > FEngine->HighestPageNoSearched()) {
    FEngine->SearchPage(Page, FSearchText);
  }
  if (Highlightable) {
    FEngine->HighlightCurrentDrawCommand(Page);
    StatusChange();
    RedrawPage();
    FHighlightedPage = PageNo;
  }
  if (HasHits()) UpdateStatus();
}
