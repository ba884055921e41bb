// The producer's print run, its copy and its streams (version conversion), and the unit.
#include "platform/app/Dialogs.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppLanguage.h"
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

TppFileDevice* TppProducer::CreateFileDevice() {
  // Without a print dialog the device type decides; the dialog's choices come with the dialog.
  const TClassInfo* Class = DeviceClassForName(FDeviceType);
  if (!Class || !Class->InheritsFrom(&TppFileDevice::StaticClassInfo())) return nullptr;
  const bool IsArchive = IsArchiveDeviceClass(*Class);
  TppFileDevice* Device = CreateDevice<TppFileDevice>(Class, this);
  if (!Device) return nullptr;
  Device->SetLanguageIndex(FLanguageIndex);
  if (IsArchive) {
    Device->SetFileName(FArchiveFileName);
    return Device;
  }
  Device->SetSaveTextHandler([this](TObject* Sender, std::string& Text) { SaveTextEvent(Sender, Text); });
  Device->SetTextFileType(FTextFileType);
  if (const TPropInfo* P = Device->ClassInfo()->FindProp("PDFSettings"); P && P->SetObj)
    P->SetObj(Device, FPDFSettings.get());
  Device->SetFileName(FTextFileName);
  return Device;
}

void TppProducer::ResetForNewPaper() {
  TRestore NotProducing(FProducing, false);
  FPublisher->ResetPageCache();
  Reset();
}

void TppProducer::PrintToPrinter() {
  if (FCancelDialog || !DeviceClassForName(FDeviceType)) {
    FProducing = false;
    return;
  }
  // Whatever ends the run before it is handed on cleans it up; from then on EndJob does.
  bool HandedOn = false;
  TOnException Failed([&] {
    if (!HandedOn) CleanUpPrintRun();
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

  // The print dialog (ShowPrintDialog) and its choices come with the output library's forms: no
  // form is registered for it here, so the run goes on without one.

  if (!FBackgroundPrintSettings->Active()) {
    if (TppFileDevice* Made = CreateFileDevice()) {
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

  // So does the cancel dialog (ShowCancelDialog): without one the run prints at once.
  if (FBackgroundPrintSettings->Active()) {
    HandedOn = true;
    TFinally CleanUp([this] { CleanUpPrintRun(); });
    PrintInBackground();
  } else {
    HandedOn = true;
    PrintToDevices();
  }
}

void TppProducer::CleanUpPrintRun() {
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
