#include "ppreport/core/ppProd.h"

#include <time.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppParamList.h"
#include "ppreport/core/ppPreviewer.h"
#include "ppreport/core/ppProdRTTI.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"

namespace {
constexpr int64_t MessageIntervalNs = 20'000'000;
// When this thread last handled its messages here. Each background print runs on a thread of its
// own (with messages off).
thread_local int64_t LastMessagesNs = INT64_MIN / 2;

// The coarse clock is read from memory without a system call; its ticks of a few milliseconds are
// fine enough for an interval of 20.
int64_t CoarseNowNs() {
  timespec T{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &T);
  return int64_t(T.tv_sec) * 1'000'000'000 + T.tv_nsec;
}

TppBackgroundPrintHandler& BackgroundPrintHandler() {
  static TppBackgroundPrintHandler H;
  return H;
}
}  // namespace

void SetBackgroundPrintHandler(TppBackgroundPrintHandler Handler) { BackgroundPrintHandler() = std::move(Handler); }

// ---- construction

const TClassInfo& TppProducer::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppProducer>("TppProducer", &TppRelative::StaticClassInfo());
  return Info;
}

TppProducer::TppProducer(TComponent* AOwner)
    : TppRelative(AOwner), FPrinterSetup(std::make_unique<TppPrinterSetup>(this)),
      FTextSearchSettings(std::make_unique<TppTextSearchSettings>()),
      FBackgroundPrintSettings(std::make_unique<TppBackgroundPrintSettings>()),
      FPDFSettings(std::make_unique<TppPDFSettings>()),
      FPreviewFormSettings(std::make_unique<TppPreviewFormSettings>()) {
  FPrinterSetup->OnPageDefChange = [this](TObject* Sender, TppPageDef* Def, bool& Valid) {
    PageDefChanged(Sender, Def, Valid);
  };
  FPrinterSetup->OnLayoutChange = [this](TObject* Sender) { LayoutChangeEvent(Sender); };
  FPrinterSetup->OnPrinterSetupChange = [this](TObject* Sender) { PrinterSetupChangeEvent(Sender); };
  FPrinterSetup->OnGetPrinter = [this](TObject*, TppCustomPrinter*& Printer) { Printer = GetPrinter(); };
  FPreviewFormSettings->OnChange = [this](TObject*) { ApplyPreviewFormSettings(); };
  FPublisher = new TppPublisher(this);
  FPublisher->OnPageRequest = [this](TObject* Sender, TppPageRequest* Request) { PageRequestEvent(Sender, Request); };
}

TppProducer::~TppProducer() { BeforeDestruction(); }

void TppProducer::Destroying() {
  // The run's forms and devices go first: they refer to this producer.
  FreeAndNil(FPreviewForm);
  FreeAndNil(FCancelDialog);
  FreeAndNil(FPrintDialog);
  FreeAndNil(FFileDevice);
  FreeAndNil(FPrinterDevice);
  FPrinterSetup->OnGetPrinter = nullptr;
  FreeAndNil(FPublisher);
  FPrinter.reset();
  TppRelative::Destroying();
}

// ---- settings

#define PP_GUARDED_SETTER(Name, Type, Field) \
  void TppProducer::Set##Name(Type V) {      \
    if (!FPrinting) Field = V;               \
  }
PP_GUARDED_SETTER(AllowPrintToArchive, bool, FAllowPrintToArchive)
PP_GUARDED_SETTER(AllowPrintToFile, bool, FAllowPrintToFile)
PP_GUARDED_SETTER(TextFileName, const std::string&, FTextFileName)
PP_GUARDED_SETTER(TextFileType, TppFileType, FTextFileType)
PP_GUARDED_SETTER(ShowPrintDialog, bool, FShowPrintDialog)
PP_GUARDED_SETTER(ShowCancelDialog, bool, FShowCancelDialog)
PP_GUARDED_SETTER(ModalCancelDialog, bool, FModalCancelDialog)
PP_GUARDED_SETTER(ModalPreview, bool, FModalPreview)
#undef PP_GUARDED_SETTER

void TppProducer::SetArchiveFileName(const std::string& Value) {
  if (FPrinting) return;
  FArchiveFileName = Value;
  Reset();
  FPublisher->ResetDevices();
}

void TppProducer::SetIcon(const TIcon* Value) {
  if (FPrinting) return;
  FIcon = Value && !Value->Empty() ? std::make_unique<TIcon>(*Value) : nullptr;
}

void TppProducer::SetTextSearchSettings(const TppTextSearchSettings* V) {
  if (V) FTextSearchSettings->Assign(V);
}

void TppProducer::SetBackgroundPrintSettings(const TppBackgroundPrintSettings* V) {
  if (V) FBackgroundPrintSettings->Assign(V);
}

void TppProducer::SetPDFSettings(const TppPDFSettings* V) {
  if (V) FPDFSettings->Assign(V);
}

void TppProducer::SetPreviewFormSettings(const TppPreviewFormSettings* V) {
  if (V) FPreviewFormSettings->CopySettings(*V);
}

void TppProducer::SetDeviceType(const std::string& Value) {
  if (!Reading() && !DeviceClassForName(Value)) return;
  FDeviceType = Value;
}

void TppProducer::SetDeviceKind(int Kind) {
  static const char* const Names[] = {ppPrinterDeviceName, ppScreenDeviceName, ppTextFileDeviceName,
                                      ppArchiveDeviceName};
  if (Kind >= 0 && Kind < 4) SetDeviceType(Names[Kind]);
}

void TppProducer::SetLanguage(TppLanguageType Value) {
  if (FPrinting) return;
  if (!ppResourceManager().SetLanguage(Value)) {
    if (!Reading()) return;
    ppResourceManager().SetLanguage(lgDefault);
    Value = lgDefault;
  }
  FLanguage = Value;
  FLanguageIndex = 0;
  LanguageChanged();
}

void TppProducer::LanguageChanged() { FTextSearchSettings->LanguageChanged(); }

void TppProducer::SetPrinterSetup(const TppPrinterSetup* Value) {
  if (!Value) return;
  const bool Track = !Reading();
  TppPageDef OldDef;
  OldDef.Assign(FPrinterSetup->PageDef());
  const TPrinterOrientation OldOrientation = FPrinterSetup->Orientation();
  FPrinterSetup->CopySettings(*Value);
  if (!Track) return;
  if (OldDef.IsEqual(*FPrinterSetup->PageDef()) && OldOrientation == FPrinterSetup->Orientation())
    PrinterSetupChanged();
  else
    LayoutChanged();
}

TppPrinter* TppProducer::GetPrinter() {
  TppPrinter* P = nullptr;
  if (FPrinter)
    P = FPrinter.get();
  else if (FPrinterDevice && FPrinterDevice->Printer())
    return FPrinterDevice->Printer();
  else if (IsMainThreadContext() || !GetSharedPrinter())
    P = GetSharedPrinter();
  else {
    // A background worker measures with a printer of its own, never the shared one.
    FPrinter = std::make_unique<TppPrinter>();
    P = FPrinter.get();
  }
  if (P) P->SetPrinterSetup(*FPrinterSetup);
  return P;
}

void TppProducer::BindSaveTextHandler(const std::string& MethodName) {
  TComponent* O = Owner();
  if (!O) return;
  const TMethod M = MethodByName(O, MethodName);
  if (!M.Assigned()) return;
  if (const auto* Code = std::any_cast<std::function<void(TObject*, std::string&)>>(&M.Code))
    OnSaveText.SetMethod(M.Name, *Code);
}

void TppProducer::ProcessMessages() {
  if (!FEnableProcessMessages || !Application) return;
  if (CoarseNowNs() - LastMessagesNs < MessageIntervalNs) return;
  Application->ProcessMessages();
  // From the end: handling them may take long (a window painting).
  LastMessagesNs = CoarseNowNs();
}

// ---- events

namespace {
void Fire(const TNotifyEvent& E, TObject* Sender) {
  if (E) E(Sender);
}
}  // namespace

void TppProducer::DoBeforePrint() { Fire(BeforePrint, this); }

void TppProducer::DoAfterPrint() {
  EndPrinting();
  Fire(AfterPrint, this);
}

void TppProducer::DoCancel() {
  Fire(OnCancel, this);
  SendEventNotify(this, ciProducerCancel, nullptr);
}

void TppProducer::DoCancelDialogCreate() {
  Fire(OnCancelDialogCreate, this);
  SendEventNotify(this, ciProducerCancelDialogCreate, nullptr);
}

void TppProducer::DoCancelDialogClose() {
  Fire(OnCancelDialogClose, this);
  SendEventNotify(this, ciProducerCancelDialogClose, nullptr);
}

void TppProducer::DoPreviewFormCreate() {
  Fire(OnPreviewFormCreate, this);
  SendEventNotify(this, ciProducerPreviewFormCreate, nullptr);
}

void TppProducer::DoPreviewFormClose() {
  if (FPrinting) Cancel();
  Fire(OnPreviewFormClose, this);
  SendEventNotify(this, ciProducerPreviewFormClose, nullptr);
}

void TppProducer::DoPrintDialogCreate() {
  Fire(OnPrintDialogCreate, this);
  SendEventNotify(this, ciProducerPrintDialogCreate, nullptr);
}

void TppProducer::DoPrintDialogClose() {
  Fire(OnPrintDialogClose, this);
  SendEventNotify(this, ciProducerPrintDialogClose, nullptr);
}

void TppProducer::DoAssignPreviewFormSettings() {
  Fire(OnAssignPreviewFormSettings, this);
  SendEventNotify(this, ciProducerAssignPreviewFormSettings, nullptr);
}

void TppProducer::DoPageRequest(TObject* Sender, TppPageRequest* PageRequest) {
  if (OnPageRequest) OnPageRequest(Sender, PageRequest);
  SendEventNotify(this, ciProducerPageRequest, nullptr);
}

void TppProducer::DoPrintingComplete() { Fire(OnPrintingComplete, this); }

void TppProducer::DoSaveText(TObject* Sender, std::string& Text) {
  if (OnSaveText) OnSaveText(Sender, Text);
  TraParamList Params;
  Params.AddParam("Text", vkString, nullptr, {}, false, true);
  Params.BindParam(0, &Text);
  SendEventNotify(this, ciProducerSaveText, &Params);
}

void TppProducer::BeginPrinting() {
  if (FPrintingState) return;
  FPrintingState = true;
  SendEventNotify(this, ciProducerBeforePrint, nullptr);
}

void TppProducer::EndPrinting() {
  if (!FPrintingState) return;
  FPrintingState = false;
  SendEventNotify(this, ciProducerAfterPrint, nullptr);
}

void TppProducer::NotifyEndPrinting() { SendEventNotify(this, ciProducerEndOfPrinting, nullptr); }

void TppProducer::ResetPrinting() { SendEventNotify(this, ciProducerPrintingReset, nullptr); }

// ---- running

bool TppProducer::IsPrintToDevice() const {
  const TClassInfo* C = DeviceClassForName(FDeviceType);
  return !C || C != DeviceClassForName(ppScreenDeviceName);
}

void TppProducer::PrintToDevices() {
  if (FBackgroundPrintSettings->Active() && IsPrintToDevice()) {
    PrintInBackground();
    return;
  }
  {
    TFinally End([this] { EndJob(); });
    // A print that fails sends nothing half-made to its printer or file: its job is cancelled
    // before it is ended.
    TOnException Failed([this] {
      if (IsPrintToDevice()) Cancel();
    });
    StartJob();
    Publish();
  }
}

void TppProducer::StartJob() {
  if (FConvertedFromPre40) ConvertBeforePrinting();
  DoBeforePrint();
  if (!FPublisherInitialized && !FCancelled) FPublisher->Reset();
  FPublisherInitialized = true;
  FCancelled = false;
  FPublisher->StartJob();
}

void TppProducer::Publish() { FPublisher->Publish(); }

void TppProducer::EndJob() {
  if (!FCancelled) FPublisher->EndJob();
  if (!IsPrintToDevice()) return;
  DoAfterPrint();
  DoPrintingComplete();
  CleanUpPrintRun();
}

void TppProducer::Cancel() {
  FCancelled = true;
  FPublisher->CancelJob();
}

void TppProducer::Reset() {
  if (FPrinting) return;
  FPublisherInitialized = false;
  FCancelled = false;
}

void TppProducer::PrintError() { FPublisher->CancelJob(); }

void TppProducer::PrintInBackground() { InternalPrintInBackground(nullptr, FDeviceType, FTextFileName, FArchiveFileName); }

void TppProducer::InternalPrintInBackground(const TppPageRequest* PageRequest, const std::string& DeviceType,
                                            const std::string& TextFileName, const std::string& ArchiveFileName) {
  if (SameTextAscii(DeviceType, ppScreenDeviceName))
    throw EBackgroundPrintError(ppErrorText("TppProducer", "InternalPrintInBackground", SppBackgroundScreen));
  if (!BackgroundPrintHandler())
    throw EBackgroundPrintError(ppErrorText("TppProducer", "InternalPrintInBackground", SppBackgroundUnavailable));
  BackgroundPrintHandler()(*this, PageRequest, DeviceType, TextFileName, ArchiveFileName);
}

void TppProducer::ConvertBeforePrinting() {
  if (FPrinting) return;
  MessageDlg(SppConvertBeforePrinting, mtInformation, MsgButton(mbOK));
  TRestore Converting(FPrinting, true);
  const auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
  while (std::chrono::steady_clock::now() < Until) {
    ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FConvertedFromPre40 = false;
}

void TppProducer::Print() {
  if (FConvertedFromPre40) ConvertBeforePrinting();
  FProducing = true;
  if (SameTextAscii(FDeviceType, ppScreenDeviceName))
    Preview();
  else
    PrintToPrinter();
}

void TppProducer::Preview() {
  if (FPreviewForm) return;
  if (!GetFormClass(ppPreviewerRole)) {
    // Nothing would ever end the run: it ends here, and the caller hears why.
    FProducing = false;
    throw ETalvorError(ppErrorText("TppProducer", "Print", SppNoPreviewer));
  }
  TComponent* Form = CreateFormOfRole(ppPreviewerRole, this);
  auto* Previewer = dynamic_cast<IppPreviewer*>(Form);
  if (!Previewer) {
    Form->Free();
    FProducing = false;
    throw ETalvorError(ppErrorText("TppProducer", "Print", SppNoPreviewer));
  }
  FPreviewForm = Form;
  TOnException Failed([this] {
    FreeAndNil(FPreviewForm);
    FProducing = false;
  });
  Previewer->AttachProducer(
      this,
      [this](TObject*) {
        FProducing = false;
        DoAfterPrint();
        DoPreviewFormClose();
      },
      [this](TObject* Sender) {
        if (Sender == FPreviewForm) FPreviewForm = nullptr;
      },
      [this](TObject*) {
        Cancel();
        DoCancel();
      });
  DoAssignPreviewFormSettings();
  ApplyPreviewFormSettings();
  Previewer->SetPreviewLanguage(FLanguageIndex, FIcon.get());
  DoPreviewFormCreate();
  if (FModalPreview) {
    // Generation starts when the window first comes up, not at every later activation.
    auto Started = std::make_shared<bool>(false);
    Previewer->ShowPreview(true, [this, Started](TObject*) {
      if (*Started || FPrinting || !SameTextAscii(FDeviceType, ppScreenDeviceName)) return;
      *Started = true;
      PrintToDevices();
    });
  } else {
    Previewer->ShowPreview(false, nullptr);
    PrintToDevices();
  }
}

// The remembered zoom and window state, on the open preview window.
void TppProducer::ApplyPreviewFormSettings() {
  auto* Previewer = dynamic_cast<IppPreviewer*>(FPreviewForm);
  if (!Previewer) return;
  Previewer->ApplyPreviewFormSettings(*FPreviewFormSettings);
  Previewer->Init();
}
