#include "lxreport/forms/LXReportForms.h"

#include "lxreport/LXExport.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "lxreport/forms/LXEnvEditor.h"
#include "lxreport/forms/LXExprBuilder.h"
#include "lxreport/forms/LXPreview.h"
#include "lxreport/forms/LXProgress.h"
#include "lxreport/forms/LXTextEditorForms.h"
#include "platform/app/Application.h"
#include "platform/forms/QtDialogs.h"

namespace {
int InitCount = 0;

// The newest open progress form takes the caption.
void CaptionProgressForm(const std::string& Caption) {
  for (int I = Screen().FormCount() - 1; I >= 0; --I)
    if (auto* F = dynamic_cast<TLXProgressForm*>(Screen().Forms(I))) {
      F->SetCaption(Caption);
      return;
    }
}
}  // namespace

void InitializeLXReportForms() {
  if (InitCount++ > 0) return;
  InitializeLXReport();
  InitializeLXPreview();
  LXProgressCaption = CaptionProgressForm;
  RegisterQtDialog<TLXExpressionRequest>(ShowExpressionBuilder);
  RegisterQtDialog<TLXEnvironmentRequest>(ShowEnvironmentEditor);
  RegisterQtDialog<TLXTextSettingsRequest>(ShowTextSettings);
  LXProgressWindowFactory = [](TLXPrinter* Printer, bool Show, HWND& Status) -> TComponent* {
    auto* Form = new TLXProgressForm(Application);
    Form->SetPrinter(Printer);
    if (Show) Form->Show();
    Status = Form->Handle();
    return Form;
  };
}

void FinalizeLXReportForms() {
  if (InitCount == 0 || --InitCount > 0) return;
  LXProgressCaption = nullptr;
  LXProgressWindowFactory = nullptr;
  FinalizeLXPreview();
  FinalizeLXReport();
}
