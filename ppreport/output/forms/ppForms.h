#pragma once
// What every pp dialog shares: the form base TppForm, one abstract class per dialog kind (what the
// library needs of that dialog), the typed registration and creation of forms by kind over the
// core's form registry, the cancel-dialog base with its start timer, and TppUpDown.
//
// Modal dialogs go through the platform's dialog service as a TppFormRequest: the Qt service shows
// the real form; tests answer it with a TScriptedDialogService, working the real form's controls.
#include <string>
#include <vector>

#include "platform/app/DialogService.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppDeviceStatus.h"
#include "ppreport/core/ppFormRegistry.h"
#include "ppreport/core/ppPreviewer.h"
#include "ppreport/core/ppPrintRunDialogs.h"
#include "ppreport/core/ppProdSettings.h"
#include "ppreport/core/ppTypes.h"
#include "ppreport/output/forms/ppFormsConsts.h"

class TppProducer;
class TppPrinter;
class TppPageRequest;
class TppDataPipeline;
class TppAutoSearchField;
class TppAutoSearchGroups;
class TppForm;

// A pp dialog shown modally: Kind is the class name of its abstract kind, Form the live form (an
// answer may work its controls; the modal result is the answer).
class TppFormRequest : public TDialogRequestOf<TppFormRequest> {
public:
  std::string Kind;
  TppForm* Form = nullptr;
};

class TppForm : public TForm {
  DECLARE_CLASSINFO(TppForm)
public:
  explicit TppForm(TComponent* AOwner);
  ~TppForm() override;

  int LanguageIndex() const { return FLanguageIndex; }
  void SetLanguageIndex(int Value);
  TppProducer* Report() const { return FReport; }
  void SetReport(TppProducer* Value);

  virtual void DoCancel();
  // Every concrete dialog sets its texts here from language strings.
  virtual void LanguageChanged() {}
  virtual void ReportAssigned() {}

  // The class name of the abstract kind the form serves (its own class name when none).
  virtual std::string DialogKind() const;
  // Shows the form modally through the dialog service; answers the modal result, after
  // DialogClosed has seen it.
  TModalResult ShowDialog();
  // The form's own modal run, which the Qt dialog service calls.
  TModalResult RunModal() { return ShowModal(); }

  bool CloseQuery() override;
  // After ShowDialog, whoever answered it (the window or a test's script).
  virtual void DialogClosed(TModalResult) {}

  TNotifyEvent OnFormActivate;
  TNotifyEvent OnFormCancel;
  TNotifyEvent OnFormClose;
  TNotifyEvent OnFormDestroy;

protected:
  void Activate() override;
  void Destroying() override;
  [[noreturn]] void AbstractCall(const char* Method) const;

private:
  int FLanguageIndex = 0;
  TppProducer* FReport = nullptr;
};

// ---- the abstract kinds

// The preview window's kind; the producer drives it as an IppPreviewer.
class TppCustomPreviewer : public TppForm, public IppPreviewer {
  DECLARE_CLASSINFO(TppCustomPreviewer)
public:
  using TppForm::TppForm;
  bool UseDocumentNameAsCaption() const { return FUseDocumentNameAsCaption; }
  void SetUseDocumentNameAsCaption(bool V) { FUseDocumentNameAsCaption = V; }
  // The viewer control shown (none here).
  virtual TControl* GetViewer() { return nullptr; }
  void Init() override {}
  std::string DialogKind() const override { return ppPreviewerRole; }

  void AttachProducer(TppProducer* Report, TNotifyEvent OnClose, TNotifyEvent OnDestroy,
                      TNotifyEvent OnCancel) override;
  // The window state, and the zoom of the viewer when GetViewer is a page viewer.
  void ApplyPreviewFormSettings(const TppPreviewFormSettings& Settings) override;
  void SetPreviewLanguage(int LanguageIndex, const TIcon* Icon) override;
  void ShowPreview(bool Modal, TNotifyEvent OnActivate) override;

private:
  bool FUseDocumentNameAsCaption = false;
};

// The print dialog's kind; the producer drives it as an IppPrintDialog.
class TppCustomPrintDialog : public TppForm, public IppPrintDialog {
  DECLARE_CLASSINFO(TppCustomPrintDialog)
public:
  using TppForm::TppForm;
  virtual TppBackgroundPrintSettings* GetBackgroundPrintSettings() { AbstractCall("GetBackgroundPrintSettings"); }
  virtual void SetPageRequest(TppPageRequest* Request) { PageRequest = Request; }
  virtual void SetBackgroundPrintActive(bool) { AbstractCall("SetBackgroundPrintActive"); }
  virtual void SetBackgroundPrintSettings(TppBackgroundPrintSettings*) { AbstractCall("SetBackgroundPrintSettings"); }
  virtual void Init() { AbstractCall("Init"); }
  std::string DialogKind() const override { return ppPrintDialogRole; }

  // The inputs below in the producer's order, the current page on PageRequest, then Init.
  void PreparePrintDialog(TppProducer* Report, const TppPrintDialogInputs& Inputs) override;
  // Through the dialog service.
  bool ExecutePrintDialog() override { return ShowDialog() == mrOk; }
  TppPrintDialogChoice PrintDialogChoice() override;

  // Inputs the producer fills before Init, results it reads after the dialog closed.
  bool AllowPrintToArchive = false;
  bool AllowPrintToFile = false;
  std::string ArchiveFileName;
  std::string DefaultFileExt;
  std::string DeviceType;
  std::string FileFilter;
  std::string TextFileName;
  TppPageRequest* PageRequest = nullptr;
  TppPrinter* Printer = nullptr;
  bool PrinterPropertiesAccepted = false;
  bool PrintToArchive = false;
  bool PrintToFile = false;
  bool DesignTime = false;
};

// The status line of a printing or writing device (IppCancelDialogStatus); the producer drives it
// as an IppCancelDialog.
class TppCustomCancelDialog : public TppForm, public IppCancelDialogStatus, public IppCancelDialog {
  DECLARE_CLASSINFO(TppCustomCancelDialog)
public:
  explicit TppCustomCancelDialog(TComponent* AOwner);
  ~TppCustomCancelDialog() override;

  bool AllowCancel() const { return FAllowCancel; }
  void SetAllowCancel(bool V) { FAllowCancel = V; }
  bool Modal() const { return FModal; }
  std::string StatusText() const override { return FStatusText; }
  // Devices write their progress here while printing.
  void SetStatusText(const std::string& Text) override;
  virtual void StatusTextChanged() {}
  // Shows the dialog modally and fires OnStart once, 10 ms after it appeared, inside the modal
  // loop (the producer runs the whole job there). Returns when the dialog closes.
  TModalResult ExecuteModal();
  TTimer* StartTimer() const { return FStartTimer; }
  std::string DialogKind() const override { return ppCancelDialogRole; }

  void AttachProducer(TppProducer* Report, int LanguageIndex, const TIcon* Icon, TNotifyEvent OnCancel,
                      TNotifyEvent OnClose) override;
  void ShowCancelDialog(bool Modal, TNotifyEvent OnStart) override;
  void CloseCancelDialog() override;

  TNotifyEvent OnStart;

protected:
  void DoShow() override;
  void DoHide() override;
  void Destroying() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void StartTimerEvent(TObject* Sender);
  void RememberActiveForm();
  void RestoreActiveForm();

private:
  TForm* FActiveForm = nullptr;
  bool FAllowCancel = false;
  bool FModal = false;
  std::string FStatusText;
  TTimer* FStartTimer;
};

class TppCustomNoDataDialog : public TppForm {
  DECLARE_CLASSINFO(TppCustomNoDataDialog)
public:
  using TppForm::TppForm;
  std::string DialogKind() const override { return ppNoDataDialogRole; }
};

class TppCustomAutoSearchDialog : public TppForm {
  DECLARE_CLASSINFO(TppCustomAutoSearchDialog)
public:
  using TppForm::TppForm;
  virtual TppAutoSearchGroups* GetAutoSearchGroups() { AbstractCall("GetAutoSearchGroups"); }
  virtual void SetAutoSearchGroups(TppAutoSearchGroups*) { AbstractCall("SetAutoSearchGroups"); }
  virtual void Init() { AbstractCall("Init"); }
  virtual void SetAutoSearchFields(const std::vector<TppAutoSearchField*>&) { AbstractCall("SetAutoSearchFields"); }
  std::string DialogKind() const override { return ppAutoSearchDialogRole; }
};

class TppCustomTemplateDialog : public TppForm {
  DECLARE_CLASSINFO(TppCustomTemplateDialog)
public:
  using TppForm::TppForm;
  virtual std::string GetTemplateName() { AbstractCall("GetTemplateName"); }
  virtual void GetTemplateNames(std::vector<std::string>&) { AbstractCall("GetTemplateNames"); }
  virtual void SetDataPipeline(TppDataPipeline* Value) { DataPipeline = Value; }
  virtual void SetTemplateName(const std::string&) { AbstractCall("SetTemplateName"); }
  virtual void SetTemplateNames(const std::vector<std::string>&) { AbstractCall("SetTemplateNames"); }
  std::string DialogKind() const override { return ppTemplateDialogRole; }

  TppDataPipeline* DataPipeline = nullptr;
  uint8_t Kind = 0;  // 0 open, 1 save as
  std::string NameField;
};

class TppCustomTemplateErrorDialog : public TppForm {
  DECLARE_CLASSINFO(TppCustomTemplateErrorDialog)
public:
  using TppForm::TppForm;
  virtual std::string GetErrorMessage() { AbstractCall("GetErrorMessage"); }
  virtual void SetErrorMessage(const std::string&) { AbstractCall("SetErrorMessage"); }
  std::string DialogKind() const override { return ppTemplateErrorDialogRole; }
};

// ---- registration and creation by kind

// Registers FormClass as the form of the kind Kind (a TppCustom... class).
template <class Kind>
void RegisterFormClass(const TClassInfo& FormClass) {
  RegisterFormClass(Kind::StaticClassInfo().Name, FormClass);
}
template <class Kind>
void UnregisterFormClass() {
  UnregisterFormClass(Kind::StaticClassInfo().Name);
}
template <class Kind>
const TClassInfo* GetFormClass() {
  return GetFormClass(Kind::StaticClassInfo().Name);
}

// A new form of the class registered for the kind Kind, as a TppForm. Raises ETalvorError naming
// the kind when none is registered (a caller never gets a null form to dereference).
TppForm* CreateFormOfKind(std::string_view Kind, TComponent* Owner);
// The same, as the kind's class when the registered class descends from it (ETalvorError when
// not: a registered class need not descend from its kind, then use the TppForm overload).
template <class Kind>
Kind* CreateForm(TComponent* Owner) {
  TppForm* F = CreateFormOfKind(Kind::StaticClassInfo().Name, Owner);
  if (auto* K = dynamic_cast<Kind*>(F)) return K;
  const std::string Name = F->ClassName();
  F->Free();
  throw ETalvorError(Format(SppNotOfKind, {std::string(Kind::StaticClassInfo().Name), Name}));
}

// ---- the spin control the print dialog puts inside its copies field

class TppUpDown : public TUpDown {
  DECLARE_CLASSINFO(TppUpDown)
public:
  explicit TppUpDown(TComponent* AOwner);
  // An up-down inside the right end of Edit, with the edit's owner and parent.
  static TppUpDown* CreateForEdit(TEdit* Edit);
  void AttachToEdit(TEdit* Edit);
  TEdit* Edit() const { return FEdit; }

protected:
  void Paint() override;
  void PaintArrows(TCanvas& Canvas);

private:
  TEdit* FEdit = nullptr;
};
