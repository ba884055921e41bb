#pragma once
// The settings dialogs of the text printables: "Text Settings" of a label and
// "Expression settings" of an expression printable (with its format mask and
// the expression builder). Fixed, centred on the screen, modal.
#include "lxreport/LXExprDialogs.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Mask.h"
#include "platform/forms/StdCtrls.h"

class TLXLabelEditorForm : public TForm {
  DECLARE_CLASSINFO(TLXLabelEditorForm)
public:
  explicit TLXLabelEditorForm(TComponent* AOwner);
  // Shows Request's values; on OK they become what the user left in the dialog.
  bool Execute(TLXTextSettingsRequest& Request);

  TGroupBox* Properties;
  TLabel *ValueLabel, *WidthLabel, *HeightLabel;
  TEdit* Value;
  TCheckBox *AutoSize, *Stretch, *Transparent;
  TMaskEdit *Width, *Height;
  TButton *OK, *Cancel;

protected:
  virtual void Fill(const TLXTextSettingsRequest& Request);
  virtual void Take(TLXTextSettingsRequest& Request) const;
};

class TLXExprEditorForm : public TLXLabelEditorForm {
  DECLARE_CLASSINFO(TLXExprEditorForm)
public:
  explicit TLXExprEditorForm(TComponent* AOwner);

  TComboBox* Mask;
  TSpeedButton* ShowExprBuilder;

protected:
  void Fill(const TLXTextSettingsRequest& Request) override;
  void Take(TLXTextSettingsRequest& Request) const override;

private:
  TComponent* FDataSetForm = nullptr;
};

// The Qt dialog service's handler of both (InitializeLXReportForms registers it).
TModalResult ShowTextSettings(TLXTextSettingsRequest& Request);
