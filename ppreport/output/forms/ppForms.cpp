#include "ppreport/output/forms/ppForms.h"

#include "ppreport/core/ppPage.h"
#include "ppreport/core/ppProd.h"
#include "ppreport/output/forms/ppViewer.h"

// ---- class records

#define PP_FORM_CLASS(Class, Parent)                                                               \
  const TClassInfo& Class::StaticClassInfo() {                                                     \
    static const TClassInfo Info = TClassDef<Class>(#Class, &Parent::StaticClassInfo());            \
    return Info;                                                                                   \
  }

PP_FORM_CLASS(TppForm, TForm)
PP_FORM_CLASS(TppCustomPreviewer, TppForm)
PP_FORM_CLASS(TppCustomPrintDialog, TppForm)
PP_FORM_CLASS(TppCustomCancelDialog, TppForm)
PP_FORM_CLASS(TppCustomNoDataDialog, TppForm)
PP_FORM_CLASS(TppCustomAutoSearchDialog, TppForm)
PP_FORM_CLASS(TppCustomTemplateDialog, TppForm)
PP_FORM_CLASS(TppCustomTemplateErrorDialog, TppForm)
PP_FORM_CLASS(TppUpDown, TUpDown)

// ---- TppForm

TppForm::TppForm(TComponent* AOwner) : TForm(AOwner) {}

TppForm::~TppForm() { BeforeDestruction(); }

void TppForm::SetLanguageIndex(int Value) {
  FLanguageIndex = Value;
  LanguageChanged();
}

void TppForm::SetReport(TppProducer* Value) {
  FReport = Value;
  ReportAssigned();
}

void TppForm::DoCancel() {
  if (OnFormCancel) OnFormCancel(this);
}

std::string TppForm::DialogKind() const { return ClassName(); }

TModalResult TppForm::ShowDialog() {
  TppFormRequest Request;
  Request.Kind = DialogKind();
  Request.Form = this;
  const TModalResult Result = DialogService().Execute(Request);
  DialogClosed(Result);
  return Result;
}

bool TppForm::CloseQuery() {
  if (OnFormClose) OnFormClose(this);
  return TForm::CloseQuery();
}

void TppForm::Activate() {
  TForm::Activate();
  if (OnFormActivate) OnFormActivate(this);
}

void TppForm::Destroying() {
  if (OnFormDestroy) OnFormDestroy(this);
  TForm::Destroying();
}

void TppForm::AbstractCall(const char* Method) const {
  throw ETalvorError(Format(SppAbstractCall, {ClassName(), std::string(Method)}));
}

// ---- creation by kind

TppForm* CreateFormOfKind(std::string_view Kind, TComponent* Owner) {
  TComponent* C = CreateFormOfRole(Kind, Owner);
  if (auto* F = dynamic_cast<TppForm*>(C)) return F;
  const std::string Name = C->ClassName();
  C->Free();
  throw ETalvorError(Format(SppNotOfKind, {std::string(Kind), Name}));
}

// ---- TppCustomCancelDialog

TppCustomCancelDialog::TppCustomCancelDialog(TComponent* AOwner)
    : TppForm(AOwner), FStartTimer(new TTimer(this)) {
  FStartTimer->SetEnabled(false);
  FStartTimer->SetInterval(10);
  FStartTimer->OnTimer = [this](TObject* Sender) { StartTimerEvent(Sender); };
}

TppCustomCancelDialog::~TppCustomCancelDialog() { BeforeDestruction(); }

void TppCustomCancelDialog::SetStatusText(const std::string& Text) {
  FStatusText = Text;
  StatusTextChanged();
}

TModalResult TppCustomCancelDialog::ExecuteModal() {
  FModal = true;
  FStartTimer->SetEnabled(true);
  // The job runs inside this loop and sets the result when it ends: no dialog service to ask.
  return ShowModal();
}

void TppCustomCancelDialog::StartTimerEvent(TObject*) {
  FStartTimer->SetEnabled(false);
  if (OnStart) OnStart(this);
}

void TppCustomCancelDialog::DoShow() {
  RememberActiveForm();
  TppForm::DoShow();
}

void TppCustomCancelDialog::DoHide() {
  RestoreActiveForm();
  TppForm::DoHide();
}

void TppCustomCancelDialog::Destroying() {
  RestoreActiveForm();
  FActiveForm = nullptr;
  TppForm::Destroying();
}

void TppCustomCancelDialog::Notification(TComponent* AComponent, TOperation Operation) {
  TppForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveForm) FActiveForm = nullptr;
}

void TppCustomCancelDialog::RememberActiveForm() {
  if (FModal) return;
  TForm* A = Screen().ActiveForm();
  FActiveForm = A == this ? nullptr : A;
  // A form freed while we are up must not be touched later.
  if (FActiveForm) FActiveForm->FreeNotification(this);
}

void TppCustomCancelDialog::RestoreActiveForm() {
  if (FModal || !FActiveForm) return;
  if (!FActiveForm->Enabled()) FActiveForm->SetEnabled(true);
  if (FActiveForm->CanFocus() && Screen().ActiveForm() == this) FActiveForm->SetFocus();
}

void TppCustomCancelDialog::AttachProducer(TppProducer* Report, int LanguageIndex, const TIcon*,
                                           TNotifyEvent OnCancel, TNotifyEvent OnClose) {
  // The platform's windows take no icon of their own: the program's icon stands for them all.
  SetReport(Report);
  SetLanguageIndex(LanguageIndex);
  OnFormCancel = std::move(OnCancel);
  OnFormClose = std::move(OnClose);
  SetAllowCancel(true);
}

void TppCustomCancelDialog::ShowCancelDialog(bool Modal, TNotifyEvent Start) {
  if (!Modal) {
    Show();
    return;
  }
  OnStart = std::move(Start);
  ExecuteModal();
}

void TppCustomCancelDialog::CloseCancelDialog() {
  if (FModal)
    SetModalResult(mrOk);
  else if (Visible())
    Close();
}

// ---- TppCustomPrintDialog

void TppCustomPrintDialog::PreparePrintDialog(TppProducer* Report, const TppPrintDialogInputs& In) {
  DesignTime = In.DesignTime;
  SetReport(Report);
  DeviceType = In.DeviceType;
  Printer = In.Printer;
  SetLanguageIndex(In.LanguageIndex);
  AllowPrintToArchive = In.AllowPrintToArchive;
  AllowPrintToFile = In.AllowPrintToFile;
  ArchiveFileName = In.ArchiveFileName;
  if (In.BackgroundPrintSettings) SetBackgroundPrintSettings(In.BackgroundPrintSettings);
  TextFileName = In.TextFileName;
  if (PageRequest) PageRequest->SetPageRequested(In.CurrentPage);
  Init();
}

TppPrintDialogChoice TppCustomPrintDialog::PrintDialogChoice() {
  TppPrintDialogChoice C;
  C.BackgroundPrintActive = GetBackgroundPrintSettings()->Active();
  C.PrintToFile = PrintToFile;
  C.PrintToArchive = PrintToArchive;
  C.DeviceType = DeviceType;
  C.TextFileName = TextFileName;
  C.ArchiveFileName = ArchiveFileName;
  C.PageRequest = PageRequest;
  return C;
}

// ---- TppUpDown

TppUpDown::TppUpDown(TComponent* AOwner) : TUpDown(AOwner) { SetMin(-100); }

TppUpDown* TppUpDown::CreateForEdit(TEdit* Edit) {
  auto* U = new TppUpDown(Edit->Owner());
  U->SetParent(Edit->Parent());
  U->AttachToEdit(Edit);
  return U;
}

void TppUpDown::AttachToEdit(TEdit* Edit) {
  FEdit = Edit;
  SetBounds(Edit->Left() + Edit->Width() - Width() - 2, Edit->Top() + 2, Width(), Edit->Height() - 4);
}

void TppUpDown::Paint() {
  TUpDown::Paint();
  PaintArrows(Canvas());
}

void TppUpDown::PaintArrows(TCanvas& C) {
  C.Pen().SetColor(clBlack);
  const int M = Width() / 2;
  for (int I = 0; I < 3; ++I) {
    C.MoveTo(M - I - 1, I + 2);
    C.LineTo(M + I, I + 2);
  }
  for (int I = 0; I < 3; ++I) {
    C.MoveTo(M - I - 1, Height() - I - 3);
    C.LineTo(M + I, Height() - I - 3);
  }
}

// ---- TppCustomPreviewer

void TppCustomPreviewer::AttachProducer(TppProducer* Report, TNotifyEvent OnClose, TNotifyEvent OnDestroy,
                                        TNotifyEvent OnCancel) {
  OnFormClose = std::move(OnClose);
  OnFormDestroy = std::move(OnDestroy);
  OnFormCancel = std::move(OnCancel);
  SetReport(Report);
}

void TppCustomPreviewer::ApplyPreviewFormSettings(const TppPreviewFormSettings& Settings) {
  if (auto* V = dynamic_cast<TppViewer*>(GetViewer())) {
    V->SetZoomSetting(Settings.ZoomSetting());
    if (Settings.ZoomSetting() == zsPercentage) V->SetZoomPercentage(Settings.ZoomPercentage());
  }
  SetWindowState(static_cast<TWindowState>(Settings.WindowState()));
}

void TppCustomPreviewer::SetPreviewLanguage(int LanguageIndex, const TIcon* Icon) {
  SetLanguageIndex(LanguageIndex);
  if (Icon) SetIcon(Icon);
}

void TppCustomPreviewer::ShowPreview(bool Modal, TNotifyEvent OnActivate) {
  if (!Modal) {
    Show();
    return;
  }
  OnFormActivate = std::move(OnActivate);
  ShowModal();
}
