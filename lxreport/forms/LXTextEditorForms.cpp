#include "lxreport/forms/LXTextEditorForms.h"

#include <memory>

#include "lxreport/LXConsts.h"
#include "lxreport/forms/LXFormSteps.h"

namespace T = LXEditorText;


// ---- TLXLabelEditorForm

const TClassInfo& TLXLabelEditorForm::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXLabelEditorForm>("TLXLabelEditorForm", &TForm::StaticClassInfo());
  return Info;
}

TLXLabelEditorForm::TLXLabelEditorForm(TComponent* AOwner) : TForm(AOwner) {
  SetupFixedDialog(this, T::TextSettingsCaption, 330, 205);
  Properties = PlaceControl<TGroupBox>(this, this, 8, 8, 314, 155);
  Properties->SetCaption(T::PropertiesGroup);
  ValueLabel = PlaceLabel(this, Properties, T::TextLabel, 12, 24);
  Value = PlaceControl<TEdit>(this, Properties, 90, 20, 212, 21);
  WidthLabel = PlaceLabel(this, Properties, T::WidthLabel, 12, 56);
  Width = PlaceControl<TMaskEdit>(this, Properties, 90, 52, 50, 21);
  HeightLabel = PlaceLabel(this, Properties, T::HeightLabel, 160, 56);
  Height = PlaceControl<TMaskEdit>(this, Properties, 230, 52, 50, 21);
  for (TMaskEdit* M : {Width, Height}) {
    M->SetEditMask("9999");
    M->SetMaxLength(4);
  }
  AutoSize = PlaceControl<TCheckBox>(this, Properties, 12, 120, 90, 17);
  AutoSize->SetCaption(T::AutoSize);
  Stretch = PlaceControl<TCheckBox>(this, Properties, 110, 120, 90, 17);
  Stretch->SetCaption(T::Stretch);
  Transparent = PlaceControl<TCheckBox>(this, Properties, 208, 120, 100, 17);
  Transparent->SetCaption(T::Transparent);
  OK = PlaceControl<TButton>(this, this, 166, 172, 75, 25);
  OK->SetCaption(T::OK);
  OK->SetDefault(true);
  OK->SetModalResult(mrOk);
  Cancel = PlaceControl<TButton>(this, this, 247, 172, 75, 25);
  Cancel->SetCaption(T::Cancel);
  Cancel->SetCancel(true);
  Cancel->SetModalResult(mrCancel);
}

void TLXLabelEditorForm::Fill(const TLXTextSettingsRequest& R) {
  Value->SetText(R.Value);
  Width->SetText(R.Width);
  Height->SetText(R.Height);
  AutoSize->SetChecked(R.AutoSize);
  Stretch->SetChecked(R.Stretch);
  Transparent->SetChecked(R.Transparent);
}

void TLXLabelEditorForm::Take(TLXTextSettingsRequest& R) const {
  R.Value = Value->Text();
  R.Width = Width->Text();
  R.Height = Height->Text();
  R.AutoSize = AutoSize->Checked();
  R.Stretch = Stretch->Checked();
  R.Transparent = Transparent->Checked();
}

bool TLXLabelEditorForm::Execute(TLXTextSettingsRequest& Request) {
  Fill(Request);
  if (ShowModal() != mrOk) return false;
  Take(Request);
  return true;
}

// ---- TLXExprEditorForm

const TClassInfo& TLXExprEditorForm::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXExprEditorForm>("TLXExprEditorForm", &TLXLabelEditorForm::StaticClassInfo());
  return Info;
}

TLXExprEditorForm::TLXExprEditorForm(TComponent* AOwner) : TLXLabelEditorForm(AOwner) {
  SetCaption(T::ExpressionSettingsCaption);
  ValueLabel->SetCaption(T::ExpressionCaption);
  Value->SetWidth(186);
  ShowExprBuilder = PlaceControl<TSpeedButton>(this, Properties, 281, 20, 21, 21);
  ShowExprBuilder->SetCaption(T::Ellipsis);
  ShowExprBuilder->OnClick = [this](TObject*) {
    std::string E = Value->Text();
    if (EditExpression("", E, FDataSetForm, nullptr, nullptr)) Value->SetText(E);
  };
  PlaceLabel(this, Properties, T::FormatMask, 12, 88);
  Mask = PlaceControl<TComboBox>(this, Properties, 90, 84, 212, 21);
}

void TLXExprEditorForm::Fill(const TLXTextSettingsRequest& R) {
  TLXLabelEditorForm::Fill(R);
  Mask->SetText(R.Mask);
  FDataSetForm = R.DataSetForm;
}

void TLXExprEditorForm::Take(TLXTextSettingsRequest& R) const {
  TLXLabelEditorForm::Take(R);
  R.Mask = Mask->Text();
}

TModalResult ShowTextSettings(TLXTextSettingsRequest& Request) {
  std::unique_ptr<TLXLabelEditorForm, TComponentDeleter> F(
      Request.ExpressionSettings ? new TLXExprEditorForm(nullptr) : new TLXLabelEditorForm(nullptr));
  return F->Execute(Request) ? mrOk : mrCancel;
}
