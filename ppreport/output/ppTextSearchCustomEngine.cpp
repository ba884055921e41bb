#include "ppreport/output/ppTextSearchCustomEngine.h"

#include <algorithm>
#include <utility>

#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/core/ppEvents.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"
#include "ppreport/output/ppTextSearchHighlighter.h"
#include "ppreport/output/ppViewr.h"

const TClassInfo& TppTextSearchCustomEngine::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTextSearchCustomEngine>("TppTextSearchCustomEngine", &TppCommunicator::StaticClassInfo());
  return Info;
}

namespace {
[[noreturn]] void Fail(const char* Operation, const std::string& Text) {
  throw ESearchEngineError(ppErrorText("TppTextSearchCustomEngine", Operation, Text));
}
}  // namespace

TppTextSearchCustomEngine::TppTextSearchCustomEngine(TComponent* AOwner) : TppCommunicator(AOwner) {
  EventMask().Include(ciDevicePageReceive);
  EventMask().Include(ciPublisherPageReceive);
  OffScreenDevice();
}

TppTextSearchCustomEngine::~TppTextSearchCustomEngine() { BeforeDestruction(); }

void TppTextSearchCustomEngine::Destroying() {
  if (FOffScreenDevice) {
    TppScreenDevice* D = std::exchange(FOffScreenDevice, nullptr);
    D->SetPublisher(nullptr);
    D->Free();
  }
  DropHighlights();
  SetViewer(nullptr);
  SetTextSearchSettings(nullptr);
  TppCommunicator::Destroying();
}

TppScreenDevice* TppTextSearchCustomEngine::OffScreenDevice() {
  if (!FOffScreenDevice && !HasState(csDestroying)) {
    FOffScreenDevice = new TppScreenDevice(nullptr);
    AddNotify(FOffScreenDevice);
    FOffScreenDevice->AddEventNotify(this);
  }
  return FOffScreenDevice;
}

void TppTextSearchCustomEngine::ProcessMessages() {
  if (Application) Application->ProcessMessages();
}

// ---- viewer and settings

void TppTextSearchCustomEngine::SetViewer(IppSearchViewer* Viewer) {
  if (FViewerTalkie) RemoveNotify(FViewerTalkie);
  FViewerTalkie = nullptr;
  if (FPublisher) FPublisher->RemoveEventNotify(this);
  FPublisher = nullptr;
  FViewer = Viewer;
  if (!Viewer) return;
  FViewerTalkie = Viewer->WalkieTalkie();
  if (FViewerTalkie) AddNotify(FViewerTalkie);
  TppScreenDevice* Device = Viewer->ScreenDevice();
  FPublisher = Device ? Device->Publisher() : nullptr;
  if (!FPublisher) Fail("SetViewer", SppEngineNoPublisher);
  FPublisher->AddEventNotify(this);
  OffScreenDevice()->SetPublisher(nullptr);
  const TSize S = Viewer->SearchViewerSize();
  OffScreenDevice()->Bitmap().SetSize(std::max(0, S.cx), std::max(0, S.cy));
}

void TppTextSearchCustomEngine::SetTextSearchSettings(TppTextSearchSettings* Settings) {
  if (FSettingsTalkie) RemoveNotify(FSettingsTalkie);
  FSettingsTalkie = nullptr;
  FSettings = Settings;
  if (!Settings) return;
  FSettingsTalkie = Settings->WalkieTalkie();
  AddNotify(FSettingsTalkie);
}

bool TppTextSearchCustomEngine::CaseSensitive() const { return FSettings && FSettings->CaseSensitive(); }
bool TppTextSearchCustomEngine::WholeWord() const { return FSettings && FSettings->WholeWord(); }
bool TppTextSearchCustomEngine::ShowAll() const { return FSettings && FSettings->ShowAll(); }

TppPage* TppTextSearchCustomEngine::ViewerPage() const { return FViewer ? FViewer->GetCurrentPage() : nullptr; }

int TppTextSearchCustomEngine::ViewerPageNo() const {
  const TppPage* P = ViewerPage();
  return P ? P->AbsolutePageNo() : 0;
}

void TppTextSearchCustomEngine::AssignCanvasScale() {
  TppScreenDevice* Device = FViewer && FViewer->ScreenDevice() ? FViewer->ScreenDevice() : OffScreenDevice();
  FCanvas = Device ? Device->DeviceCanvas() : nullptr;
  if (!FCanvas) Fail("AssignCanvasScale", SppEngineNoCanvas);
  FScaleX = Device->ScaleX();
  FScaleY = Device->ScaleY();
}

void TppTextSearchCustomEngine::SetScreenDeviceActive(bool Active) {
  FSwitchCount += Active ? 1 : -1;
  TppScreenDevice* ViewerDevice = FViewer ? FViewer->ScreenDevice() : nullptr;
  if (!ViewerDevice) return;
  if (FPublisher) {
    std::vector<TppScreenDevice*> Screens;
    for (int I = 0; I < FPublisher->GetDeviceCount(); ++I)
      if (auto* S = dynamic_cast<TppScreenDevice*>(FPublisher->GetDevice(I))) Screens.push_back(S);
    for (TppScreenDevice* S : Screens) S->SetPublisher(nullptr);
  }
  if (FSwitchCount > 0) {
    ViewerDevice->SetPublisher(FPublisher);
  } else {
    OffScreenDevice()->SetPublisher(FPublisher);
    AssignCanvasScale();
  }
}

// ---- searching

bool TppTextSearchCustomEngine::Search(const std::string&) {
  FCancelled = false;
  if (!FViewer) Fail("Search", SppEngineSearchNoViewer);
  const TSize S = FViewer->SearchViewerSize();
  OffScreenDevice()->Bitmap().SetSize(std::max(0, S.cx), std::max(0, S.cy));
  AssignCanvasScale();
  return true;
}

bool TppTextSearchCustomEngine::SearchPage(TppPage* Page, const std::string&) {
  AssignCanvasScale();
  if (Page) FHighestPageNoSearched = std::max(FHighestPageNoSearched, Page->AbsolutePageNo());
  return true;
}

bool TppTextSearchCustomEngine::SearchReport() {
  SetScreenDeviceActive(false);
  TFinally SwitchBack([this] { SetScreenDeviceActive(true); });
  TppPublisher* P = OffScreenDevice()->Publisher();
  if (!P) throw ESearchEngineError(ppErrorText("TppTextSearchEngine", "Search", SppEngineOffScreenDeactivated));
  const int Start = std::max(FStartingPageNo, 1);
  if (P->CachePages() && P->FindCachedPage(Start)) {
    int NextPageNo = Start;
    FGotoPageNo = SearchCachedPages(NextPageNo);
    if (FGotoPageNo == -1 && !FAllPagesSearched && !FCancelled) {
      FStartingPageNo = NextPageNo;
      FGotoPageNo = SearchRequestedPages();
    }
  } else {
    FGotoPageNo = SearchRequestedPages();
  }
  if (FCancelled) {
    FGotoPageNo = ViewerPageNo();
    return false;
  }
  return FGotoPageNo != -1;
}

// Cached pages are taken by their page number, so a cache with a gap (a page generated alone)
// never passes one page's hits for another's; the search goes on with requested pages at the gap.
int TppTextSearchCustomEngine::SearchCachedPages(int& NextPageNo) {
  TppPublisher* P = OffScreenDevice()->Publisher();
  const int Count = P->GetCachedPageCount();
  const TppPage* Last = Count > 0 ? P->GetCachedPage(Count - 1) : nullptr;
  const bool WholeReport = Last && Last->LastPage() && Last->AbsolutePageNo() == Count;
  int Result = -1;
  int No = std::max(FStartingPageNo, 1);
  while (!FCancelled) {
    TppPage* Page = P->FindCachedPage(No);
    if (!Page) break;
    const bool Hits = SearchPage(Page, FSearchText);
    if (Hits && Result == -1) Result = No;
    ProcessMessages();
    ++No;
    if (Page->LastPage() || (Hits && !WholeReport)) break;
    // A page made again while messages were processed replaces the cached copy.
    P = OffScreenDevice()->Publisher();
    if (!P) break;
  }
  NextPageNo = No;
  if (WholeReport && !FCancelled) FAllPagesSearched = true;
  return Result;
}

int TppTextSearchCustomEngine::SearchRequestedPages() {
  TppPage* Shown = ViewerPage();
  const int ShownNo = Shown ? Shown->AbsolutePageNo() : 0;
  if (ShownNo <= 0) return -1;
  for (int No = std::max(FStartingPageNo, 1); !FCancelled; ++No) {
    TppPage* Page = Shown;
    if (No != ShownNo) {
      RequestPage(No);
      Page = FCurrentPage;
    }
    if (!Page) Fail("SearchRequestedPages", SppEngineRequestedPageNil);
    // Past the report's end the engine answers its last page again.
    if (Page->AbsolutePageNo() != No) break;
    const bool Hits = SearchPage(Page, FSearchText);
    ProcessMessages();
    if (Hits) return No;
    if (Page->LastPage()) break;
  }
  return -1;
}

void TppTextSearchCustomEngine::RequestPage(int PageNo) {
  SetScreenDeviceActive(false);
  TFinally SwitchBack([this] { SetScreenDeviceActive(true); });
  TppScreenDevice* D = OffScreenDevice();
  FCurrentPage = nullptr;
  FPageArrived = false;
  D->PageRequest()->SetPageSetting(psSinglePage);
  D->PageRequest()->SetPageRequested(PageNo);
  D->RequestPages();
  // The device keeps its own copy of the page it received: it outlives the publisher's.
  if (FPageArrived && FOffScreenDevice == D) FCurrentPage = D->Page();
}

void TppTextSearchCustomEngine::RefreshViewerPage() {
  TppScreenDevice* D = FViewer ? FViewer->ScreenDevice() : nullptr;
  if (!D) return;
  D->PageRequest()->SetPageSetting(psSinglePage);
  D->PageRequest()->SetPageRequested(ViewerPageNo());
  D->RequestPages();
}

int TppTextSearchCustomEngine::NavigateForward(const std::string& Text, int StopAt) {
  if (!FViewer) Fail("NavigateForward", SppEngineNavigateNoViewer);
  const int StartNo = ViewerPageNo();
  const TppPage* Shown = ViewerPage();
  bool AtLast = !Shown || Shown->LastPage();
  int No = StartNo, Found = 0;
  auto Reached = [&] { return Found > 0 && Found >= StopAt; };
  while (!AtLast && !FCancelled && !Reached()) {
    RequestPage(No + 1);
    TppPage* Page = FCurrentPage;
    // Every step moves on by one page; none, or the last page again, ends the walk.
    if (!Page || Page->AbsolutePageNo() != No + 1) break;
    ++No;
    AtLast = Page->LastPage();
    if (SearchPage(Page, Text)) Found = No;
    ProcessMessages();
  }
  if (FCancelled) return StartNo;
  if (AtLast && !Reached() && StartNo > 0) RequestPage(StartNo);
  return Found;
}

void TppTextSearchCustomEngine::CancelSearch() {
  FCancelled = true;
  if (!FPublisher) Fail("CancelSearch", SppEngineCancelNoPublisher);
  if (FSwitchCount <= 0) FPublisher->CancelJob();
  ResetSearch();
}

void TppTextSearchCustomEngine::ResetSearch() {
  FCanvas = nullptr;
  FScaleX = FScaleY = 1.0;
  FHighestPageNoSearched = 0;
  ClearHighlights();
}

// ---- highlights

TppTextSearchDrawCommandHighlighter& TppTextSearchCustomEngine::PreparedHighlighter(const TppDrawCommand& Command) {
  TppTextSearchDrawCommandHighlighter& H = TppTextSearchDrawCommandHighlightRegistry::GetHighlighter(Command);
  H.CaseSensitive = CaseSensitive();
  H.WholeWord = WholeWord();
  H.ScaleX = FScaleX;
  H.ScaleY = FScaleY;
  return H;
}

TppDrawCommand* TppTextSearchCustomEngine::CreateHighlightDrawCommand(TppDrawCommand* Command,
                                                                      TppTextSearchOccurrence* Occurrence) {
  if (!Command || !TppTextSearchDrawCommandHighlightRegistry::HasHighlighter(*Command->ClassInfo()))
    Fail("CreateHighlightDrawCommand",
         Format(SppEngineHighlighterNotRegistered, {Command ? Command->ClassName() : std::string("nil")}));
  TppTextSearchDrawCommandHighlighter& H = PreparedHighlighter(*Command);
  BeforeCreateHighlight(H, Occurrence, Command);
  TppOwnedDrawCommand Made;
  try {
    Made = H.CreateHighlight(Command, Occurrence, FSearchText, FCanvas);
  } catch (const ESearchHighlightError& E) {
    Fail("CreateHighlightDrawCommand", Format(SppEngineHighlightNotCreated, {Command->ClassName(), E.Message()}));
  }
  TppDrawCommand* Highlight = Made.release();
  if (Highlight) {
    AddNotify(Highlight);
    FHighlights.push_back(Highlight);
  }
  AfterCreateHighlight(H, Command, Highlight);
  return Highlight;
}

void TppTextSearchCustomEngine::AfterCreateHighlight(TppTextSearchDrawCommandHighlighter&, TppDrawCommand* Command,
                                                     TppDrawCommand* Highlight) {
  if (Highlight || !Command) return;
  TppScreenDevice* D = FViewer && FViewer->ScreenDevice() ? FViewer->ScreenDevice() : OffScreenDevice();
  Command->Draw(D);
}

void TppTextSearchCustomEngine::DrawHighlights(TppPage* Page) {
  TppScreenDevice* D = FViewer ? FViewer->ScreenDevice() : nullptr;
  // A copy: a command freed while it is drawn leaves the list.
  const std::vector<TppDrawCommand*> List = FHighlights;
  for (TppDrawCommand* H : List) {
    if (std::find(FHighlights.begin(), FHighlights.end(), H) == FHighlights.end()) continue;
    BeforeDrawHighlight(H);
    H->SetPage(Page);
    if (D) H->Draw(D);
  }
}

void TppTextSearchCustomEngine::HighlightCurrentDrawCommand(TppPage*) { AssignCanvasScale(); }

void TppTextSearchCustomEngine::DropHighlights() {
  std::vector<TppDrawCommand*> List;
  List.swap(FHighlights);
  for (TppDrawCommand* H : List) {
    RemoveNotify(H);
    H->SetPage(nullptr);
    H->Free();
  }
}

void TppTextSearchCustomEngine::ClearHighlights() { DropHighlights(); }

// ---- notices

void TppTextSearchCustomEngine::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  if (Operation == ppopRemove && Partner) {
    // A free cannot be refused: an off-screen device freed from outside is made again when next needed.
    if (Partner == FOffScreenDevice) {
      FOffScreenDevice = nullptr;
      FCurrentPage = nullptr;
    }
    if (Partner == FSettingsTalkie) {
      FSettingsTalkie = nullptr;
      FSettings = nullptr;
    }
    if (Partner == FViewerTalkie) {
      FViewerTalkie = nullptr;
      FViewer = nullptr;
      if (FPublisher) FPublisher->RemoveEventNotify(this);
      FPublisher = nullptr;
    }
    if (Partner == FPublisher) FPublisher = nullptr;
    std::erase(FHighlights, static_cast<TppDrawCommand*>(dynamic_cast<TppDrawCommand*>(Partner)));
  }
  TppCommunicator::Notify(Partner, Operation);
}

void TppTextSearchCustomEngine::EventNotify(TppCommunicator* Sender, int EventID, TraParamList* Params) {
  TppCommunicator::EventNotify(Sender, EventID, Params);
  if (EventID == ciDevicePageReceive && Sender && Sender == FOffScreenDevice) {
    if (FOffScreenDevice->IsRequestedPage() && !FOffScreenDevice->IsMessagePage()) FPageArrived = true;
  } else if (EventID == ciPublisherPageReceive && Sender && Sender == FPublisher && FPublisher->CachePages() &&
             Params && Params->Count() > 0) {
    if (auto* Page = dynamic_cast<TppPage*>(Params->ParamObject(0))) PageCached(Page);
  }
}
