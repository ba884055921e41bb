#include "ppreport/core/ppDevice.h"

#include <algorithm>
#include <mutex>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDrwCmdRTTI.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppUnits.h"


// ---- the device

const TClassInfo& TppDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppDevice>("TppDevice", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppDevice::TppDevice(TComponent* AOwner) : TppCommunicator(AOwner), FPageRequest(std::make_unique<TppPageRequest>()) {}

TppDevice::~TppDevice() { BeforeDestruction(); }

void TppDevice::Destroying() {
  SetCancelDialog(nullptr);
  TppCommunicator::Destroying();
}

void TppDevice::SetActive(bool Value) {
  if (!FBusy) FActive = Value;
}

void TppDevice::SetCancelDialog(TComponent* Value) {
  if (Value == FCancelDialog || Value == this) return;
  if (FCancelDialog) RemoveFreeNotification(FCancelDialog);
  FCancelDialog = HasState(csDestroying) ? nullptr : Value;
  if (FCancelDialog) FreeNotification(FCancelDialog);
}

void TppDevice::Notification(TComponent* AComponent, TOperation Operation) {
  TppCommunicator::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == FCancelDialog) FCancelDialog = nullptr;
}

void TppDevice::SetPageRequest(const TppPageRequest* Request) { FPageRequest->Assign(Request); }

void TppDevice::SetPublisher(TppPublisher* Value) {
  if (FPublisher) FPublisher->RemoveDevice(this);
  FPublisher = Value;
  if (Value) Value->AddDevice(this);
  if (OnSetPublisher) OnSetPublisher(this);
}

void TppDevice::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation == ppopRemove && Partner && Partner == FPublisher) {
    FPublisher = nullptr;
    if (OnSetPublisher) OnSetPublisher(this);
  }
}

void TppDevice::SetStackable(bool Value) {
  if (!FPublisher && !FBusy) FStackable = Value;
}

void TppDevice::SetStackName(const std::string& Value) {
  if (!FPublisher && !FBusy) FStackName = Value;
}

void TppDevice::SetStatus(const std::string& Text) { FStatus = Text; }

void TppDevice::StartJob() {
  if (FBusy) return;
  FBusy = true;
  FCancelled = false;
  if (OnStartJob) OnStartJob(this);
}

void TppDevice::EndJob() {
  if (!FBusy) return;
  FBusy = false;
  FWaitingForPage = true;
  if (OnEndJob) OnEndJob(this);
}

void TppDevice::CancelJob() {
  FBusy = false;
  FCancelled = true;
  if (OnCancelJob) OnCancelJob(this);
}

void TppDevice::Reset() {
  FPageRequest->Reset();
  FCancelled = false;
  FWaitingForPage = true;
}

bool TppDevice::RenderDrawCommand(TppDrawCommand*) { return false; }

bool TppDevice::RedrawDrawCommand(TppDrawCommand*) { return false; }

void TppDevice::ReceivePage(TppPage* Page) {
  if (!Page) return;
  FIsMessagePage = false;
  FIsRequestedPage = FPageRequest->IsRequestedPage(*Page);
  if (Page->Calculation() || (!Page->Final() && FinalPagesOnly())) FIsMessagePage = true;
  if (OnPageReceive) OnPageReceive(this, Page);
  SendObjectEvent(ciDevicePageReceive, "Page", TppPage::StaticClassInfo(), Page);
  UpdateWaitingForPage(*Page);
}

void TppDevice::UpdateWaitingForPage(const TppPage& Page) {
  if (FWaitingForPage && Page.Final() && !Page.Calculation())
    FWaitingForPage = !FPageRequest->IsLastRequestedPage(Page);
}

void TppDevice::RequestPages() {
  TppPublisher* P = FPublisher;
  if (!P) return;
  FWaitingForPage = true;
  // The job ends once this device has its last page, also when generation fails.
  TFinally End([&] {
    if (!FWaitingForPage && FPublisher == P) P->EndJob();
  });
  P->StartJob();
  P->Publish();
}

void TppDevice::DrawPage(TppPage* Page) {
  if (!Page) return;
  const TppPageDef* Def = Page->PageDef();
  for (int I = 0; I < Page->GetDrawCommandCount(); ++I) {
    TppDrawCommand* C = Page->GetDrawCommand(I);
    if (C && C->Left() <= Def->mmWidth() && C->Top() <= Def->mmHeight()) C->Draw(this);
  }
}

const TClassInfo& TppRasterDevice::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppRasterDevice>("TppRasterDevice", &TppDevice::StaticClassInfo());
  return Info;
}

TPoint TppRasterDevice::DevicePixelsPerInch() const {
  if (const TppPrinter* P = Printer()) return P->GetPixelsPerInch();
  return TPoint{ScreenPixelsPerInch(), ScreenPixelsPerInch()};
}


// ---- the publisher

const TClassInfo& TppPublisher::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppPublisher>("TppPublisher", &TppCommunicator::StaticClassInfo());
  return Info;
}

TppPublisher::TppPublisher(TComponent* AOwner)
    : TppCommunicator(AOwner), FPageRequest(std::make_unique<TppPageRequest>()) {}

TppPublisher::~TppPublisher() { BeforeDestruction(); }

void TppPublisher::Destroying() {
  FreeCachedPages();
  TppCommunicator::Destroying();  // the devices hear of it and forget this publisher
}

TppDevice* TppPublisher::GetDevice(int Index) const {
  if (Index < 0 || Index >= GetDeviceCount()) throw EListError(Format(SListIndexError, {Index}));
  return FDevices[static_cast<size_t>(Index)];
}

TppPage* TppPublisher::GetCachedPage(int Index) const {
  if (Index < 0 || Index >= GetCachedPageCount()) throw EListError(Format(SListIndexError, {Index}));
  auto It = FPageCache.begin();
  std::advance(It, Index);
  return It->second;
}

TppPage* TppPublisher::FindCachedPage(int AbsolutePageNo) const {
  auto It = FPageCache.find(AbsolutePageNo);
  return It == FPageCache.end() ? nullptr : It->second;
}

// ---- devices and stacks

void TppPublisher::AddDevice(TppDevice* Device) {
  if (!Device) return;
  TLock Guard(FLock);
  if (std::find(FDevices.begin(), FDevices.end(), Device) != FDevices.end()) return;
  for (const auto& [Name, Stack] : FStacks)
    if (std::find(Stack.begin(), Stack.end(), Device) != Stack.end()) return;
  if (Device->Stackable()) {
    auto It = std::find_if(FStacks.begin(), FStacks.end(), [&](const auto& S) { return S.first == Device->StackName(); });
    if (It == FStacks.end()) It = FStacks.insert(FStacks.end(), {Device->StackName(), {}});
    if (!It->second.empty()) std::erase(FDevices, It->second.front());
    It->second.insert(It->second.begin(), Device);
  }
  FDevices.push_back(Device);
  AddNotify(Device);
}

void TppPublisher::RemoveDevice(TppDevice* Device) {
  if (!Device) return;
  TLock Guard(FLock);
  std::erase(FDevices, Device);
  for (auto It = FStacks.begin(); It != FStacks.end(); ++It) {
    auto& Stack = It->second;
    auto At = std::find(Stack.begin(), Stack.end(), Device);
    if (At == Stack.end()) continue;
    const bool WasFirst = At == Stack.begin();
    Stack.erase(At);
    // The device stacked before it takes its turn again.
    if (WasFirst && !Stack.empty()) FDevices.push_back(Stack.front());
    if (Stack.empty()) FStacks.erase(It);
    break;
  }
  RemoveNotify(Device);
}

void TppPublisher::Notify(TppCommunicator* Partner, TppNotifyOperation Operation) {
  TppCommunicator::Notify(Partner, Operation);
  if (Operation == ppopRemove)
    if (auto* D = dynamic_cast<TppDevice*>(Partner)) RemoveDevice(D);
}

std::string TppPublisher::GetStatus() const {
  for (TppDevice* D : FDevices)
    if (!D->Status().empty()) return D->Status();
  return {};
}

void TppPublisher::SetStatus(const std::string& Text) {
  for (TppDevice* D : std::vector<TppDevice*>(FDevices)) D->SetStatus(Text);
}

bool TppPublisher::HasOnlyScreenDevices() const {
  return std::all_of(FDevices.begin(), FDevices.end(),
                     [](const TppDevice* D) { return SameTextAscii(D->ClassName(), "TppScreenDevice"); });
}

// ---- the job

void TppPublisher::NotifyDevices(TppDeviceOperation Operation, TppPage* Page) {
  TLock Guard(FLock);
  // A device may leave (or be freed) while the others are told: each one still attached when its
  // turn comes is told once.
  const std::vector<TppDevice*> Devices = FDevices;
  for (TppDevice* D : Devices) {
    if (std::find(FDevices.begin(), FDevices.end(), D) == FDevices.end() || !D->Active()) continue;
    switch (Operation) {
      case doCancel:
        if (D->WaitingForPage()) D->CancelJob();
        break;
      case doEnd: D->EndJob(); break;
      case doCollect:
        if (D->WaitingForPage()) {
          if (D->OnPageRequest) D->OnPageRequest(D);
          AddDevicePageRequest(*D->PageRequest());
        }
        break;
      case doPage:
        if (D->WaitingForPage()) D->ReceivePage(Page);
        break;
      case doStart: D->StartJob(); break;
      case doReset: D->Reset(); break;
    }
  }
}

void TppPublisher::StartJob() { NotifyDevices(doStart); }

void TppPublisher::EndJob() {
  FGeneratingPages = false;
  NotifyDevices(doEnd);
  ResetPageRequest();
}

void TppPublisher::CancelJob() { NotifyDevices(doCancel); }

void TppPublisher::ResetDevices() { NotifyDevices(doReset); }

void TppPublisher::Publish() {
  FRequestingPages = true;
  FFirstPageRequest = true;
  {
    TFinally Collected([this] { FRequestingPages = false; });
    NotifyDevices(doCollect);
  }
  FGeneratingPages = true;
  ProcessPageRequest();
}

void TppPublisher::AddDevicePageRequest(const TppPageRequest& Request) {
  // A request between cycles starts a new union.
  if (!FFirstPageRequest && !FRequestingPages && !FGeneratingPages) FFirstPageRequest = true;
  FPageRequestsGranted = false;
  if (FFirstPageRequest) {
    FFirstPageRequest = false;
    FPageRequest->Assign(&Request);
  } else if (FPageRequest->PageSetting() != psAll) {
    FPageRequest->Merge(Request);
  }
}

void TppPublisher::ProcessPageRequest() {
  if (FRequestingPages || FPageRequestsGranted) return;
  FPageRequestsGranted = ServeFromCache();
  if (FPageRequestsGranted) return;
  if (OnPageRequest) OnPageRequest(this, FPageRequest.get());
  SendEventNotify(this, ciPublisherPagesPending, nullptr);
}

void TppPublisher::ReceivePage(TppPage* Page) {
  if (!Page) return;
  CachePage(*Page);
  NotifyDevices(doPage, Page);
  FPageRequestsGranted = FPageRequest->IsLastRequestedPage(*Page);
  if (!FReportCompleted && Page->LastPage()) {
    FReportCompleted = true;
    FAbsolutePageCount = Page->AbsolutePageNo();
  }
  SendObjectEvent(ciPublisherPageReceive, "Page", TppPage::StaticClassInfo(), Page);
}

// ---- the cache

void TppPublisher::ResetPageCache() {
  FReportCompleted = false;
  FAbsolutePageCount = 0;
  FPageRequestsGranted = false;
  FreeCachedPages();
}

void TppPublisher::Reset() {
  FReportCompleted = false;
  FAbsolutePageCount = 0;
  FPageRequestsGranted = false;
  ResetPageRequest();
  FreeCachedPages();
  SendEventNotify(this, ciPublisherReset, nullptr);
}

void TppPublisher::ResetPageRequest() {
  FFirstPageRequest = true;
  FPageRequest->Reset();
}

void TppPublisher::FreeCachedPages() {
  std::map<int, TppPage*> Pages;
  Pages.swap(FPageCache);
  for (auto& [No, P] : Pages) P->Free();
}

void TppPublisher::CachePage(const TppPage& Page) {
  if (!FCachePages || FReadingCache || !Page.Final() || Page.Calculation()) return;
  const int Key = Page.AbsolutePageNo();
  if (auto It = FPageCache.find(Key); It != FPageCache.end()) {
    TppPage* Old = It->second;
    FPageCache.erase(It);
    Old->Free();
  }
  std::unique_ptr<TppPage, TComponentDeleter> Copy(new TppPage(nullptr));
  Copy->Assign(&Page);
  Copy->SetCalculation(false);
  FPageCache[Key] = Copy.release();
  if (FPageCache.size() > 1) UpdateCachedPageCounts(Page);
}

void TppPublisher::UpdateCachedPageCounts(const TppPage& Page) {
  for (auto& [No, P] : FPageCache) {
    if (P->AbsolutePageCount() >= Page.AbsolutePageCount()) continue;
    P->SetAbsolutePageCount(Page.AbsolutePageCount());
    if (P->ControlGroupBreakNo() == Page.ControlGroupBreakNo() && P->PageCount() < Page.PageCount())
      P->SetPageCount(Page.PageCount());
    // Page counts drawn on the page follow, without drawing.
    if (P->HasUpdateables()) P->RedrawUpdateables(nullptr);
  }
}

bool TppPublisher::ServePages(int From, int To) {
  for (int No = From; No <= To; ++No)
    if (!FindCachedPage(No)) return false;
  for (int No = From; No <= To; ++No)
    if (TppPage* P = FindCachedPage(No)) ReceivePage(P);
  return true;
}

bool TppPublisher::ServeFromCache() {
  if (!FCachePages) return false;
  TRestore Reading(FReadingCache, true);
  const TppPageRequest& R = *FPageRequest;
  switch (R.PageSetting()) {
    case psAll: {
      TppPage* First = FindCachedPage(1);
      if (!FReportCompleted || !First || First->AbsolutePageCount() != GetCachedPageCount()) return false;
      return ServePages(1, GetCachedPageCount());
    }
    case psPageList: {
      // Served pages leave the list; what is missing stays for generation.
      TStringList Missing;
      const std::vector<std::string> Entries = [&] {
        std::vector<std::string> E;
        for (int I = 0; I < R.PageList()->Count(); ++I) E.push_back(R.PageList()->Get(I));
        return E;
      }();
      for (const std::string& Entry : Entries) {
        if (TppPage* P = FindCachedPage(static_cast<int>(StrToIntDef(Trim(Entry), 0))))
          ReceivePage(P);
        else
          Missing.Add(Entry);
      }
      FPageRequest->SetPageList(&Missing);
      return Missing.Count() == 0;
    }
    case psSinglePage:
      if (TppPage* P = FindCachedPage(R.PageRequested())) {
        ReceivePage(P);
        return true;
      }
      return false;
    case psFirstPage:
      if (TppPage* P = FindCachedPage(1)) {
        ReceivePage(P);
        return true;
      }
      return false;
    case psLastPage:
      if (TppPage* P = FReportCompleted ? FindCachedPage(FAbsolutePageCount) : nullptr) {
        ReceivePage(P);
        return true;
      }
      return false;
    case psPageRange: {
      // Every page of the range there is, once the report's end is known where the range passes it.
      int To = R.RangeTo();
      if (FReportCompleted) To = std::min(To, FAbsolutePageCount);
      if (R.RangeFrom() > To) return false;
      return ServePages(R.RangeFrom(), To);
    }
  }
  return false;
}

// ---- the device class registry

namespace {
std::mutex& DeviceClassLock() {
  static std::mutex M;
  return M;
}
std::unique_ptr<std::vector<TppDeviceClassEntry>>& DeviceClassList() {
  static std::unique_ptr<std::vector<TppDeviceClassEntry>> L;
  return L;
}
}  // namespace

void RegisterDeviceClass(const TClassInfo& Class, const std::string& DeviceName, const TppFileTypeInfo& FileType) {
  {
    std::lock_guard<std::mutex> Guard(DeviceClassLock());
    auto& L = DeviceClassList();
    if (!L) L = std::make_unique<std::vector<TppDeviceClassEntry>>();
    for (const TppDeviceClassEntry& E : *L)
      if (E.Class == &Class) return;
    L->push_back({DeviceName, &Class, FileType});
  }
  RegisterPPClasses({&Class});
}

void UnregisterDeviceClass(const TClassInfo& Class) {
  UnregisterPPClasses({&Class});
  std::lock_guard<std::mutex> Guard(DeviceClassLock());
  if (auto& L = DeviceClassList()) std::erase_if(*L, [&](const TppDeviceClassEntry& E) { return E.Class == &Class; });
}

std::vector<TppDeviceClassEntry> GetDeviceClasses() {
  std::lock_guard<std::mutex> Guard(DeviceClassLock());
  const auto& L = DeviceClassList();
  return L ? *L : std::vector<TppDeviceClassEntry>{};
}

void GetDeviceClassNames(TStrings& List) {
  for (const TppDeviceClassEntry& E : GetDeviceClasses()) List.Add(E.DeviceName);
}

const TClassInfo* DeviceClassForName(std::string_view Name) {
  for (const TppDeviceClassEntry& E : GetDeviceClasses())
    if (SameTextAscii(E.DeviceName, Name)) return E.Class;
  return nullptr;
}

TppFileTypeInfo DeviceClassFileType(const TClassInfo& Class) {
  for (const TppDeviceClassEntry& E : GetDeviceClasses())
    if (E.Class == &Class) return E.FileType;
  return {};
}

bool IsArchiveDeviceClass(const TClassInfo& Class) {
  const TClassInfo* Archive = DeviceClassForName(ppArchiveDeviceName);
  return Archive && Class.InheritsFrom(Archive);
}

std::string TppDeviceSubstitutions::SubstituteFont(const std::string& FontName) {
  static const std::pair<const char*, const char*> Table[] = {
      {"Courier", "Courier New"}, {"Fixedsys", "Arial"}, {"Modern", "Arial"},   {"MS Sans Serif", "Arial"},
      {"MS Serif", "Courier New"}, {"Small Fonts", "Arial"}, {"System", "Arial"}, {"Terminal", "Arial"}};
  for (const auto& [From, To] : Table)
    if (FontName == From) return To;
  return FontName;
}

// ---- the unit

void InitializeDeviceUnit() {
  RegisterPPClasses({&TppPage::StaticClassInfo(), &TppPageRequest::StaticClassInfo()});
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppDrawCommandRTTI());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppPageRTTI());
}

void FinalizeDeviceUnit() {
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppPageRTTI());
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppDrawCommandRTTI());
  UnregisterPPClasses({&TppPage::StaticClassInfo(), &TppPageRequest::StaticClassInfo()});
  // The device classes still registered go with the list.
  std::vector<TppDeviceClassEntry> Left = GetDeviceClasses();
  for (const TppDeviceClassEntry& E : Left) UnregisterPPClasses({E.Class});
  std::lock_guard<std::mutex> Guard(DeviceClassLock());
  DeviceClassList().reset();
}
