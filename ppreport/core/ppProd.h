#pragma once
// TppProducer: the output side of every pp report. It owns the publisher, the printer setup, the
// choice of device by device-type name, the dialogs of a run, the settings for text search,
// background printing and PDF, the report's language, and the order of a print run: dialogs,
// devices, job start, publishing, job end, clean-up. It asks for pages only through its
// publisher's page-request callback (PageRequestEvent), which the report overrides to generate.
//
// The producer publishes nothing itself: the concrete report publishes its properties
// (PublishProducerProperties); the descriptor names them all. Stored reports carry "Version" and
// are converted on loading by version thresholds.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/Picture.h"
#include "ppreport/core/ppDevice.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/core/ppRelatv.h"

class TppProducer;
struct TppPrintDialogChoice;

// Hands a background print run to the output library's background print manager (which prints a
// copy of the report in a worker thread). None until the output library installs it.
using TppBackgroundPrintHandler =
    std::function<void(TppProducer& Producer, const TppPageRequest* PageRequest, const std::string& DeviceType,
                       const std::string& TextFileName, const std::string& ArchiveFileName)>;
void SetBackgroundPrintHandler(TppBackgroundPrintHandler Handler);

// The version the producer writes and converts streams to.
inline constexpr char ppProducerVersion[] = "9.01";
inline constexpr int ppProducerVersionNo = 9010;

class TppProducer : public TppRelative {
  DECLARE_CLASSINFO(TppProducer)
public:
  explicit TppProducer(TComponent* AOwner);
  ~TppProducer() override;

  // ---- settings (a guarded setter does nothing while Printing)
  const std::string& DeviceType() const { return FDeviceType; }
  const std::string& ArchiveFileName() const { return FArchiveFileName; }
  void SetArchiveFileName(const std::string& Value);  // guarded; also Reset and the devices reset
  bool AllowPrintToArchive() const { return FAllowPrintToArchive; }
  void SetAllowPrintToArchive(bool V);
  bool AllowPrintToFile() const { return FAllowPrintToFile; }
  void SetAllowPrintToFile(bool V);
  const std::string& TextFileName() const { return FTextFileName; }
  void SetTextFileName(const std::string& V);
  TppFileType TextFileType() const { return FTextFileType; }
  void SetTextFileType(TppFileType V);
  bool ShowPrintDialog() const { return FShowPrintDialog; }
  void SetShowPrintDialog(bool V);
  bool ShowCancelDialog() const { return FShowCancelDialog; }
  void SetShowCancelDialog(bool V);
  bool ModalCancelDialog() const { return FModalCancelDialog; }
  void SetModalCancelDialog(bool V);
  bool ModalPreview() const { return FModalPreview; }
  void SetModalPreview(bool V);
  bool ShowAutoSearchDialog() const { return FShowAutoSearchDialog; }
  void SetShowAutoSearchDialog(bool V) { FShowAutoSearchDialog = V; }
  bool SavePrinterSetup() const { return FSavePrinterSetup; }
  void SetSavePrinterSetup(bool V) { FSavePrinterSetup = V; }
  // Given to the dialogs when not empty.
  TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(const TIcon* Value);  // guarded; copies (null: empty)
  TppLanguageType Language() const { return FLanguage; }
  int LanguageIndex() const { return FLanguageIndex; }
  void SetLanguageIndex(int V) { FLanguageIndex = V; }
  int CurrentPage() const { return FCurrentPage; }
  void SetCurrentPage(int V) { FCurrentPage = V; }
  bool EnableProcessMessages() const { return FEnableProcessMessages; }
  TppPrinterSetup* PrinterSetup() const { return FPrinterSetup.get(); }
  TppTextSearchSettings* TextSearchSettings() const { return FTextSearchSettings.get(); }
  void SetTextSearchSettings(const TppTextSearchSettings* V);  // copies
  TppBackgroundPrintSettings* BackgroundPrintSettings() const { return FBackgroundPrintSettings.get(); }
  void SetBackgroundPrintSettings(const TppBackgroundPrintSettings* V);  // copies
  TppPDFSettings* PDFSettings() const { return FPDFSettings.get(); }
  void SetPDFSettings(const TppPDFSettings* V);  // copies
  TppPreviewFormSettings* PreviewFormSettings() const { return FPreviewFormSettings.get(); }
  void SetPreviewFormSettings(const TppPreviewFormSettings* V);  // copies
  const std::string& Version() const { return FVersion; }
  int VersionNo() const { return FVersionNo; }
  bool Converted() const { return FConverted; }
  bool ConvertedFromPre40() const { return FConvertedFromPre40; }
  bool Printing() const { return FPrinting; }
  bool Producing() const { return FProducing; }
  TppPublisher* Publisher() const { return FPublisher; }
  // The printer for measuring: the producer's own, the run's printer device's, or the shared one
  // (each adopting PrinterSetup); a worker thread gets a printer of its own.
  TppPrinter* GetPrinter();
  TppDevice* PrinterDevice() const { return FPrinterDevice; }
  TppFileDevice* FileDevice() const { return FFileDevice; }
  TComponent* PrintDialog() const { return FPrintDialog; }
  TComponent* CancelDialog() const { return FCancelDialog; }
  TComponent* PreviewForm() const { return FPreviewForm; }
  // The owner's published method of that name becomes the code of OnSaveText (older texts).
  void BindSaveTextHandler(const std::string& MethodName);

  // ---- running
  // A preview for the screen device type, else a print run (printer, file or archive). A report
  // converted from before 4.0 says so and waits a second first. Without a registered previewer the
  // preview raises ETalvorError and the run ends.
  virtual void Print();
  // In the background when background printing is active (not for the screen); else StartJob,
  // Publish and EndJob (also when one of them raises).
  virtual void PrintToDevices();
  virtual void StartJob();
  virtual void Publish();
  virtual void EndJob();
  virtual void Cancel();
  // Outside generation: the publisher is prepared afresh by the next job.
  virtual void Reset();
  virtual void PrintError();
  virtual void PrintInBackground();
  // "Screen" raises EBackgroundPrintError; else the run goes to the background print handler
  // (EBackgroundPrintError when none is installed).
  virtual void InternalPrintInBackground(const TppPageRequest* PageRequest, const std::string& DeviceType,
                                         const std::string& TextFileName, const std::string& ArchiveFileName);
  // The class registered for DeviceType is not the screen device's (an unknown name is a device).
  virtual bool IsPrintToDevice() const;
  virtual bool DisplayAutoSearchDialog() { return false; }
  // Lets the application handle its pending messages, when EnableProcessMessages is on and 20 ms
  // have passed since this thread last did so here: generation calls it after every object, and
  // handling messages costs more than an object; 20 ms keep a window responsive and Cancel quick.
  void ProcessMessages();

  // ---- settings operations
  // Refused at run time when no device class is registered under Value; taken as read.
  virtual void SetDeviceType(const std::string& Value);
  // 0 printer, 1 screen, 2 text file, 3 archive.
  virtual void SetDeviceKind(int Kind);
  // Guarded. A language without modules is refused (kept), except while reading, where the
  // default language is taken instead.
  virtual void SetLanguage(TppLanguageType Value);
  virtual void SetEnableProcessMessages(bool Value) { FEnableProcessMessages = Value; }
  // Copies Value; a change of page definition or orientation is a layout change.
  void SetPrinterSetup(const TppPrinterSetup* Value);

  // ---- hooks and events
  virtual void SaveTextEvent(TObject* Sender, std::string& Text) { DoSaveText(Sender, Text); }
  virtual void PageRequestEvent(TObject* Sender, TppPageRequest* PageRequest) { DoPageRequest(Sender, PageRequest); }
  virtual void EmptyHook(TppDevice*) {}
  virtual void LanguageChanged();
  virtual void PrinterSetupChanged() {}
  virtual void LayoutChanged() { PrinterSetupChanged(); }
  virtual void PageDefChanged(TObject*, TppPageDef*, bool&) {}
  virtual void LayoutChangeEvent(TObject*) { LayoutChanged(); }
  virtual void PrinterSetupChangeEvent(TObject*) { PrinterSetupChanged(); }
  virtual void ConvertFromVersion(int Version);
  virtual void DoAfterPrint();
  virtual void DoBeforePrint();
  virtual void DoCancel();
  virtual void DoCancelDialogCreate();
  virtual void DoCancelDialogClose();
  virtual void DoPageRequest(TObject* Sender, TppPageRequest* PageRequest);
  virtual void DoAssignPreviewFormSettings();
  virtual void DoPreviewFormCreate();
  virtual void DoPreviewFormClose();
  virtual void DoPrintDialogCreate();
  virtual void DoPrintDialogClose();
  virtual void DoPrintingComplete();
  virtual void DoSaveText(TObject* Sender, std::string& Text);
  virtual void BeginPrinting();
  virtual void EndPrinting();
  virtual void NotifyEndPrinting();
  virtual void ResetPrinting();

  bool StoresDesignInfo() const override { return true; }
  using TPersistent::Assign;
  // From another producer: the settings, the version, the printer setup, the text search settings
  // and the handlers, but not OnPageRequest, the run's flags, the preview, background and PDF
  // settings.
  void Assign(const TPersistent* Source) override;
  // "Device" of older streams (read only) and "Version".
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

  TNotifyEvent BeforePrint, AfterPrint, OnCancel, OnCancelDialogCreate, OnCancelDialogClose, OnPreviewFormCreate,
      OnPreviewFormClose, OnAssignPreviewFormSettings, OnPrintDialogCreate, OnPrintDialogClose, OnPrintingComplete;
  TppPageRequestEvent OnPageRequest;
  TppSaveTextEvent OnSaveText;

protected:
  void Destroying() override;
  void SetPrinting(bool Value) { FPrinting = Value; }
  void SetProducing(bool Value) { FProducing = Value; }
  bool Reading() const { return HasState(csReading) || HasState(csLoading); }

private:
  // Opens the preview window (the form registered for the previewer kind) and generates into it.
  void Preview();
  void ApplyPreviewFormSettings();
  // The print run: the print dialog (ShowPrintDialog), the devices, the cancel dialog
  // (ShowCancelDialog, modal with ModalCancelDialog), publishing, and the clean-up.
  void PrintToPrinter();
  // The run's file device (the dialog's choice when there was one), or null (the printer).
  TppFileDevice* CreateFileDevice(const TppPrintDialogChoice* Choice);
  // Waits a second processing messages, so a report converted from before 4.0 is said to be so.
  void ConvertBeforePrinting();
  void CleanUpPrintRun();
  void ResetForNewPaper();

  std::string FDeviceType = "Screen";
  bool FAllowPrintToArchive = false, FAllowPrintToFile = false;
  std::string FArchiveFileName, FTextFileName;
  TppFileType FTextFileType = ftComma;
  bool FShowPrintDialog = true, FShowCancelDialog = true, FModalCancelDialog = true, FModalPreview = true;
  bool FShowAutoSearchDialog = false, FSavePrinterSetup = false;
  std::unique_ptr<TIcon> FIcon;
  TppLanguageType FLanguage = lgDefault;
  int FLanguageIndex = 0;
  int FCurrentPage = 1;
  bool FEnableProcessMessages = true;
  std::unique_ptr<TppPrinterSetup> FPrinterSetup;
  std::unique_ptr<TppTextSearchSettings> FTextSearchSettings;
  std::unique_ptr<TppBackgroundPrintSettings> FBackgroundPrintSettings;
  std::unique_ptr<TppPDFSettings> FPDFSettings;
  std::unique_ptr<TppPreviewFormSettings> FPreviewFormSettings;
  std::string FVersion = "1.0";
  int FVersionNo = 1000;
  bool FConverted = false, FConvertedFromPre40 = false;
  bool FPrinting = false, FProducing = false;
  TppPublisher* FPublisher = nullptr;  // owned (the producer is its owner)
  TppDevice* FPrinterDevice = nullptr;
  TppFileDevice* FFileDevice = nullptr;
  TComponent *FPrintDialog = nullptr, *FCancelDialog = nullptr, *FPreviewForm = nullptr;
  bool FPrintingState = false;  // BeginPrinting / EndPrinting
  bool FPublisherInitialized = false, FCancelled = false, FPrinterChanged = false;
  std::unique_ptr<TppPrinterSetup> FSavedPrinterSetup;
  std::unique_ptr<TppPrinter> FPrinter;  // own printer, made on demand
};

// Adds the producer's settings to the class record of a concrete report, which publishes them.
template <class T>
TClassDef<T>& PublishProducerProperties(TClassDef<T>& D) {
  return D.Prop("AllowPrintToArchive", &T::AllowPrintToArchive, &T::SetAllowPrintToArchive)
      .Default(0)
      .Prop("AllowPrintToFile", &T::AllowPrintToFile, &T::SetAllowPrintToFile)
      .Default(0)
      .Prop("ArchiveFileName", &T::ArchiveFileName, &T::SetArchiveFileName)
      .Prop("BackgroundPrintSettings", &T::BackgroundPrintSettings, &T::SetBackgroundPrintSettings)
      .Prop("DeviceType", &T::DeviceType, &T::SetDeviceType)
      .Prop("EnableProcessMessages", &T::EnableProcessMessages, &T::SetEnableProcessMessages)
      .Default(1)
      .Prop("Language", &T::Language, &T::SetLanguage)
      .Default(lgDefault)
      .Prop("ModalCancelDialog", &T::ModalCancelDialog, &T::SetModalCancelDialog)
      .Default(1)
      .Prop("ModalPreview", &T::ModalPreview, &T::SetModalPreview)
      .Default(1)
      .Prop("PDFSettings", &T::PDFSettings, &T::SetPDFSettings)
      .Prop("PreviewFormSettings", &T::PreviewFormSettings, &T::SetPreviewFormSettings)
      .Prop("PrinterSetup", &T::PrinterSetup, &T::SetPrinterSetup)
      .Prop("SavePrinterSetup", &T::SavePrinterSetup, &T::SetSavePrinterSetup)
      .Default(0)
      .Prop("ShowAutoSearchDialog", &T::ShowAutoSearchDialog, &T::SetShowAutoSearchDialog)
      .Default(0)
      .Prop("ShowCancelDialog", &T::ShowCancelDialog, &T::SetShowCancelDialog)
      .Default(1)
      .Prop("ShowPrintDialog", &T::ShowPrintDialog, &T::SetShowPrintDialog)
      .Default(1)
      .Prop("TextFileName", &T::TextFileName, &T::SetTextFileName)
      .Prop("TextFileType", &T::TextFileType, &T::SetTextFileType)
      .Default(ftComma)
      .Prop("TextSearchSettings", &T::TextSearchSettings, &T::SetTextSearchSettings)
      .Event("AfterPrint", &T::AfterPrint)
      .Event("BeforePrint", &T::BeforePrint)
      .Event("OnCancel", &T::OnCancel)
      .Event("OnCancelDialogClose", &T::OnCancelDialogClose)
      .Event("OnCancelDialogCreate", &T::OnCancelDialogCreate)
      .Event("OnPreviewFormClose", &T::OnPreviewFormClose)
      .Event("OnPreviewFormCreate", &T::OnPreviewFormCreate)
      .Event("OnPrintDialogClose", &T::OnPrintDialogClose)
      .Event("OnPrintDialogCreate", &T::OnPrintDialogCreate)
      .Event("OnPrintingComplete", &T::OnPrintingComplete)
      .Event("OnSaveText", &T::OnSaveText);
}
