// The producer's print run, its copy and its streams (version conversion), and the unit.
#include <exception>

#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrintRunDialogs.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/core/ppProdRTTI.h"
#include "ppreport/core/ppUnits.h"
#include "ppreport/core/ppUtils.h"

// ---- the print run

namespace {
// A device of a registered class, owned by Owner.
template <class D>
D* CreateDevice(const TClassInfo* Class, TComponent* Owner) {
  if (!Class || !Class->Create) return nullptr;
  TPersistent* Made = Class->Create(Owner);
  if (auto* Device = dynamic_cast<D*>(Made)) return Device;
  if (auto* C = dynamic_cast<TComponent*>(Made))
    C->Free();
  else
    delete Made;
  return nullptr;
}
}  // namespace

// The file device of the run, or null (printing to the printer). Without a print dialog the device
// type decides; with one, the dialog's choice of a file or an archive, its file names and its pages.
TppFileDevice* TppProducer::CreateFileDevice(const TppPrintDialogChoice* Choice) {
  if (Choice && !Choice->PrintToFile && !Choice->PrintToArchive) return nullptr;
  const TClassInfo* Class = DeviceClassForName(Choice ? Choice->DeviceType : FDeviceType);
  if (!Class || !Class->InheritsFrom(&TppFileDevice::StaticClassInfo())) return nullptr;
  const bool IsArchive = IsArchiveDeviceClass(*Class);
  if (Choice && IsArchive != Choice->PrintToArchive) return nullptr;
  TppFileDevice* Device = CreateDevice<TppFileDevice>(Class, this);
  if (!Device) return nullptr;
  Device->SetLanguageIndex(FLanguageIndex);
  if (Choice && Choice->PageRequest) Device->SetPageRequest(Choice->PageRequest);
  if (IsArchive) {
    Device->SetFileName(Choice ? Choice->ArchiveFileName : FArchiveFileName);
    return Device;
  }
  Device->SetSaveTextHandler([this](TObject* Sender, std::string& Text) { SaveTextEvent(Sender, Text); });
  Device->SetTextFileType(FTextFileType);
  if (const TPropInfo* P = Device->ClassInfo()->FindProp("PDFSettings"); P && P->SetObj)
    P->SetObj(Device, FPDFSettings.get());
  Device->SetFileName(Choice ? Choice->TextFileName : FTextFileName);
  return Device;
}

namespace {
// A form of the kind owned by the application, as the interface the run drives it through; null
// when no form class is registered for the kind (the run goes on without that dialog).
template <class I>
I* CreateRunDialog(const char* Role, TComponent*& Form) {
  if (!GetFormClass(Role)) return nullptr;
  TComponent* Made = CreateFormOfRole(Role, Application);
  auto* Dialog = dynamic_cast<I*>(Made);
  if (!Dialog) {
    const std::string Name = Made->ClassName();
    Made->Free();
    throw ETalvorError(Format(SppFormNotOfKind, {Name, std::string(Role)}));
  }
  Form = Made;
  return Dialog;
}
}  // namespace

void TppProducer::ResetForNewPaper() {
  TRestore NotProducing(FProducing, false);
  FPublisher->ResetPageCache();
  Reset();
}

void TppProducer::PrintToPrinter() {
  if (FCancelDialog) {
    FProducing = false;
    return;
  }
  if (!DeviceClassForName(FDeviceType)) {
    FProducing = false;
    throw ETalvorError(ppErrorText("TppProducer", "Print", Format(SppNoDeviceClass, {FDeviceType})));
  }
  // Whatever ends the run before its devices have ended it cleans it up.
  TOnException Failed([this] {
    if (FSavedPrinterSetup) CleanUpPrintRun();
  });
  FPrinterChanged = false;
  FSavedPrinterSetup = std::make_unique<TppPrinterSetup>();
  FSavedPrinterSetup->CopySettings(*FPrinterSetup);

  FPrinterDevice = CreateDevice<TppDevice>(DeviceClassForName(ppPrinterDeviceName), this);
  if (FPrinterDevice) {
    FPrinterDevice->SetStackable(true);
    FPrinterDevice->SetLanguageIndex(FLanguageIndex);
    if (TppPrinter* P = FPrinterDevice->Printer()) P->SetPrinterSetup(*FPrinterSetup);
  }

  // The print dialog edits the printer device's setup and says which pages go where.
  IppPrintDialog* Dialog =
      FShowPrintDialog ? CreateRunDialog<IppPrintDialog>(ppPrintDialogRole, FPrintDialog) : nullptr;
  TppPrintDialogChoice Choice;
  if (Dialog) {
    TppPrintDialogInputs In;
    In.DesignTime = Owner() && Owner()->HasState(csDesigning);
    In.DeviceType = FDeviceType;
    In.Printer = FPrinterDevice ? FPrinterDevice->Printer() : nullptr;
    In.LanguageIndex = FLanguageIndex;
    In.AllowPrintToArchive = FAllowPrintToArchive;
    In.AllowPrintToFile = FAllowPrintToFile;
    In.ArchiveFileName = FArchiveFileName;
    In.BackgroundPrintSettings = FBackgroundPrintSettings.get();
    In.TextFileName = FTextFileName;
    In.CurrentPage = FCurrentPage;
    In.Icon = FIcon.get();
    Dialog->PreparePrintDialog(this, In);
    DoPrintDialogCreate();
    const bool Ok = Dialog->ExecutePrintDialog();
    DoPrintDialogClose();
    Choice = Dialog->PrintDialogChoice();
    FBackgroundPrintSettings->SetActive(Choice.BackgroundPrintActive);
    if (!Ok) {
      CleanUpPrintRun();
      return;
    }
  }

  if (!FBackgroundPrintSettings->Active()) {
    if (TppFileDevice* Made = CreateFileDevice(Dialog ? &Choice : nullptr)) {
      if (FFileDevice) {
        Made->Free();
        throw ETalvorError(ppErrorText("TppProducer", "PrintToPrinter", SppFileDeviceExists));
      }
      FFileDevice = Made;
    } else {
      TppPrinter* P = FPrinterDevice ? FPrinterDevice->Printer() : nullptr;
      if (!FPrinterDevice || (P && !P->GetDC())) {
        MessageDlg(LanguageString(1020), mtWarning, MsgButton(mbOK));
        CleanUpPrintRun();
        return;
      }
      if (Dialog && Choice.PageRequest) FPrinterDevice->SetPageRequest(Choice.PageRequest);
    }
  }

  if (FFileDevice) {
    FFileDevice->SetPublisher(FPublisher);
    EmptyHook(FFileDevice);
  } else if (FPrinterDevice) {
    FPrinterDevice->SetPublisher(FPublisher);
    EmptyHook(FPrinterDevice);
    if (TppPrinter* P = FPrinterDevice->Printer()) SetPrinterSetup(P->GetPrinterSetup());
  }

  if (FSavedPrinterSetup && !FPrinterSetup->IsSamePaper(*FSavedPrinterSetup)) {
    FPrinterChanged = true;
    ResetForNewPaper();
  }

  if (FBackgroundPrintSettings->Active()) {
    TFinally CleanUp([this] {
      if (FSavedPrinterSetup) CleanUpPrintRun();
    });
    if (Dialog)
      InternalPrintInBackground(Choice.PageRequest, Choice.DeviceType, Choice.TextFileName, Choice.ArchiveFileName);
    else
      PrintInBackground();
    return;
  }

  // The cancel dialog shows the devices' progress; its Cancel ends the job.
  IppCancelDialog* Progress =
      FShowCancelDialog ? CreateRunDialog<IppCancelDialog>(ppCancelDialogRole, FCancelDialog) : nullptr;
  TFinally ReleaseProgress([this] {
    TComponent* D = FCancelDialog;
    FCancelDialog = nullptr;
    if (D) D->Free();
  });
  if (!Progress) {
    PrintToDevices();
    return;
  }
  TppDevice* Shows = FFileDevice ? static_cast<TppDevice*>(FFileDevice) : FPrinterDevice;
  Progress->AttachProducer(
      this, FLanguageIndex, FIcon.get(),
      [this](TObject*) {
        Cancel();
        DoCancel();
      },
      [this](TObject*) {
        DoCancelDialogClose();
        if (FFileDevice) FFileDevice->SetCancelDialog(nullptr);
        if (FPrinterDevice) FPrinterDevice->SetCancelDialog(nullptr);
      });
  if (Shows) Shows->SetCancelDialog(FCancelDialog);
  DoCancelDialogCreate();
  if (!FModalCancelDialog) {
    Progress->ShowCancelDialog(false, nullptr);
    PrintToDevices();
    return;
  }
  // The job runs inside the dialog's modal loop; what it raises goes to the caller once the dialog
  // is down, never into the loop.
  std::exception_ptr Error;
  Progress->ShowCancelDialog(true, [this, Progress, &Error](TObject*) {
    try {
      PrintToDevices();
    } catch (...) {
      Error = std::current_exception();
      Progress->CloseCancelDialog();
    }
  });
  if (Error) std::rethrow_exception(Error);
  // Closed before the job could start: the run ends without it.
  if (FSavedPrinterSetup) CleanUpPrintRun();
}

void TppProducer::CleanUpPrintRun() {
  if (auto* Progress = dynamic_cast<IppCancelDialog*>(FCancelDialog)) Progress->CloseCancelDialog();
  if (FPrinterChanged) ResetForNewPaper();
  if (!FSavePrinterSetup && FSavedPrinterSetup) SetPrinterSetup(FSavedPrinterSetup.get());
  {
    TLock Guard(GlobalNameSpace());
    FreeAndNil(FPrintDialog);
    FSavedPrinterSetup.reset();
    FreeAndNil(FFileDevice);
    FreeAndNil(FPrinterDevice);
  }
  FProducing = false;
  FPrinterChanged = false;
  SendEventNotify(this, ciProducerPrintRunFinished, nullptr);
}

// ---- copy

void TppProducer::Assign(const TPersistent* Source) {
  const auto* S = dynamic_cast<const TppProducer*>(Source);
  if (!S) {
    TppRelative::Assign(Source);
    return;
  }
  FAllowPrintToFile = S->FAllowPrintToFile;
  FAllowPrintToArchive = S->FAllowPrintToArchive;
  FArchiveFileName = S->FArchiveFileName;
  FConverted = S->FConverted;
  FConvertedFromPre40 = S->FConvertedFromPre40;
  FDeviceType = S->FDeviceType;
  FIcon = S->FIcon ? std::make_unique<TIcon>(*S->FIcon) : nullptr;
  FLanguage = S->FLanguage;
  FLanguageIndex = S->FLanguageIndex;
  FModalCancelDialog = S->FModalCancelDialog;
  FShowCancelDialog = S->FShowCancelDialog;
  FShowPrintDialog = S->FShowPrintDialog;
  SetTag(S->Tag());
  FTextFileName = S->FTextFileName;
  FTextFileType = S->FTextFileType;
  FVersion = S->FVersion;
  FVersionNo = S->FVersionNo;
  FPrinterSetup->CopySettings(*S->FPrinterSetup);
  FTextSearchSettings->Assign(S->FTextSearchSettings.get());
  AfterPrint = S->AfterPrint;
  BeforePrint = S->BeforePrint;
  OnCancel = S->OnCancel;
  OnCancelDialogCreate = S->OnCancelDialogCreate;
  OnCancelDialogClose = S->OnCancelDialogClose;
  OnAssignPreviewFormSettings = S->OnAssignPreviewFormSettings;
  OnPreviewFormCreate = S->OnPreviewFormCreate;
  OnPreviewFormClose = S->OnPreviewFormClose;
  OnPrintDialogCreate = S->OnPrintDialogCreate;
  OnPrintDialogClose = S->OnPrintDialogClose;
  OnPrintingComplete = S->OnPrintingComplete;
  OnSaveText = S->OnSaveText;
}

// ---- streams and versions

void TppProducer::DefineProperties(TFiler* Filer) {
  TppRelative::DefineProperties(Filer);
  // Older streams name the device by kind; read, never written.
  Filer->DefineProperty(
      "Device",
      [this](TReader& R) {
        if (R.NextValue() != vaIdent) {
          R.SkipValue();
          return;
        }
        const std::string Id = R.ReadIdent();
        if (Id == "dvScreen") SetDeviceType(ppScreenDeviceName);
        else if (Id == "dvPrinter") SetDeviceType(ppPrinterDeviceName);
        else if (Id == "dvFile") SetDeviceType(ppTextFileDeviceName);
        else if (Id == "dvArchive") SetDeviceType(ppArchiveDeviceName);
      },
      [](TWriter&) {}, false);
  Filer->DefineProperty(
      "Version",
      [this](TReader& R) {
        FVersion = R.ReadString();
        FVersionNo = static_cast<int>(VersionToInteger(FVersion));
      },
      [](TWriter& W) { W.WriteString(ppProducerVersion); }, !dynamic_cast<TppProducer*>(Filer->Ancestor()));
}

void TppProducer::Loaded() {
  const int Current = ppProducerVersionNo;
  if (FVersionNo >= Current) {
    // Beta builds of the current version wrote the build number after "Beta Build ".
    constexpr std::string_view Beta = "Beta Build";
    if (const size_t At = FVersion.find(Beta); At != std::string::npos) {
      const size_t Digit = At + 11;
      const char C = Digit < FVersion.size() ? FVersion[Digit] : '0';
      const int Build = C >= '0' && C <= '9' ? C - '0' : 0;
      FVersionNo = Build > 6 ? 3999 : 3998;
    }
  }
  FConvertedFromPre40 = FVersionNo <= 3999;
  if (FVersionNo < Current) {
    ConvertFromVersion(FVersionNo);
    FConverted = true;
  }
  FVersion = ppProducerVersion;
  FVersionNo = Current;
  TppRelative::Loaded();
}

void TppProducer::ConvertFromVersion(int Version) {
  if (Version <= 4210 && FLanguage == lgSpanish) SetLanguage(lgSpanishMexico);
  if (Version < 7010) FTextSearchSettings->SetEnabled(false);
}

// ---- the unit

void InitializeProducerUnit() {
  RegisterPPClasses({&TppProducer::StaticClassInfo(), &TppPrinterSetup::StaticClassInfo(),
                     &TppTextSearchSettings::StaticClassInfo(), &TppPreviewFormSettings::StaticClassInfo(),
                     &TppBackgroundPrintSettings::StaticClassInfo(), &TppPDFSettings::StaticClassInfo()});
  RegisterEnumType("TppZoomSettingType", EnumInfo<TppZoomSettingType>());
  RegisterEnumType("TWindowState", EnumInfo<TppPreviewWindowState>());
  TraRTTIClassRegistry::RegisterRTTIClass(TraTppProducerRTTI());
  ppResourceManager().AddModule("tlPrint");
}

void FinalizeProducerUnit() {
  ppResourceManager().RemoveModule("tlPrint");
  TraRTTIClassRegistry::UnregisterRTTIClass(TraTppProducerRTTI());
  UnregisterEnumType("TWindowState");
  UnregisterEnumType("TppZoomSettingType");
  UnregisterPPClasses({&TppProducer::StaticClassInfo(), &TppPrinterSetup::StaticClassInfo(),
                       &TppTextSearchSettings::StaticClassInfo(), &TppPreviewFormSettings::StaticClassInfo(),
                       &TppBackgroundPrintSettings::StaticClassInfo(), &TppPDFSettings::StaticClassInfo()});
}
