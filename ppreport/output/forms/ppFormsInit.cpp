#include "ppreport/output/forms/ppFormsInit.h"

#include "platform/classes/ScopeGuard.h"
#include "platform/forms/QtDialogs.h"
#include "ppreport/output/forms/ppASDlg.h"
#include "ppreport/output/forms/ppCDlg.h"
#include "ppreport/output/forms/ppForms.h"
#include "ppreport/output/forms/ppOutlineViewer.h"
#include "ppreport/output/forms/ppPreview.h"
#include "ppreport/output/forms/ppPrvDlg.h"
#include "ppreport/output/forms/ppPDlg.h"
#include "ppreport/output/forms/ppScrollBox.h"
#include "ppreport/output/forms/ppTextSearchRegistration.h"
#include "ppreport/output/forms/ppTmDlg.h"
#include "ppreport/generation/ppEngine.h"
#include "ppreport/generation/ppReport.h"
#include "ppreport/output/ppOutput.h"

namespace {
int InitCount = 0;

// The no-data dialog is whole when the report's no-data event is handed it.
void PrepareNoDataDialog(TComponent& Dialog, TppCustomReport& Report) {
  auto* Form = dynamic_cast<TppForm*>(&Dialog);
  if (!Form) return;
  Form->SetReport(&Report);
  Form->SetLanguageIndex(Report.LanguageIndex());
  Form->SetIcon(Report.Icon());
}

// The report's dialogs shown through the dialog service.
void ShowNoDataDialog(TComponent& Dialog, TppCustomReport&) {
  if (auto* Form = dynamic_cast<TppForm*>(&Dialog)) Form->ShowDialog();
}

bool RunAutoSearchDialog(TComponent& Dialog, TppReport& Report, const std::vector<TppAutoSearchField*>& Fields) {
  auto* Form = dynamic_cast<TppCustomAutoSearchDialog*>(&Dialog);
  if (!Form) return true;
  Form->SetReport(&Report);
  Form->SetLanguageIndex(Report.LanguageIndex());
  Form->SetAutoSearchFields(Fields);
  Form->Init();
  const bool Ok = Form->ShowDialog() == mrOk;
  Report.AutoSearchDialogCloseEvent(Form);
  return Ok;
}

// What the first InitializePPForms registered, in reverse.
void UnregisterForms() {
  SetAutoSearchDialogRunner(nullptr);
  SetNoDataDialogShower(nullptr);
  SetNoDataDialogPreparer(nullptr);
  UnregisterTextSearch();
  UnregisterFormClass<TppCustomTemplateErrorDialog>();
  UnregisterFormClass<TppCustomTemplateDialog>();
  UnregisterFormClass<TppCustomAutoSearchDialog>();
  UnregisterFormClass<TppCustomNoDataDialog>();
  UnregisterFormClass<TppCustomCancelDialog>();
  UnregisterFormClass<TppCustomPreviewer>();
  TppPreviewPlugIn::UnregisterOutlineViewer();
  TppPreviewPlugIn::UnregisterPreviewClass();
  UnRegisterClass(TppEdit::StaticClassInfo());
  UnregisterFormClass<TppCustomPrintDialog>();
  UnRegisterClass(TppScrollBox::StaticClassInfo());
  UnRegisterClass(TppUpDown::StaticClassInfo());
  UnRegisterClass(TppForm::StaticClassInfo());
}
}  // namespace

void InitializePPForms() {
  InitializePPReportOutput();
  TOnException Undo(FinalizePPReportOutput);
  if (InitCount > 0) {
    ++InitCount;
    return;
  }
  RegisterQtDialog<TppFormRequest>([](TppFormRequest& R) { return R.Form ? R.Form->RunModal() : mrCancel; });
  RegisterClasses({&TppForm::StaticClassInfo(), &TppUpDown::StaticClassInfo(), &TppScrollBox::StaticClassInfo()});
  RegisterClass(TppEdit::StaticClassInfo());
  TppPreviewPlugIn::RegisterPreviewClass(TppPreview::StaticClassInfo());
  TppPreviewPlugIn::RegisterOutlineViewer(CreatePreviewOutlineViewer);
  RegisterFormClass<TppCustomPreviewer>(TppPrintPreview::StaticClassInfo());
  RegisterFormClass<TppCustomPrintDialog>(TppPrintDialog::StaticClassInfo());
  RegisterFormClass<TppCustomCancelDialog>(TppCancelDialog::StaticClassInfo());
  RegisterFormClass<TppCustomNoDataDialog>(TppNoDataDialog::StaticClassInfo());
  RegisterFormClass<TppCustomAutoSearchDialog>(TppAutoSearchDialog::StaticClassInfo());
  RegisterFormClass<TppCustomTemplateDialog>(TppTemplateDialog::StaticClassInfo());
  RegisterFormClass<TppCustomTemplateErrorDialog>(TppTemplateErrorDialog::StaticClassInfo());
  // A template's reader errors are asked through this form.
  RegisterQtDialog<TppTemplateErrorRequest>(ExecuteTemplateErrorDialog);
  RegisterTextSearch();
  SetNoDataDialogPreparer(PrepareNoDataDialog);
  SetNoDataDialogShower(ShowNoDataDialog);
  SetAutoSearchDialogRunner(RunAutoSearchDialog);
  InitCount = 1;
}

void FinalizePPForms() {
  if (InitCount == 0) return;
  if (--InitCount == 0) UnregisterForms();
  FinalizePPReportOutput();
}
