#include "lxreport/forms/LXTextEditorForms.h"

#include <memory>

#include "lxreport/LXConsts.h"

namespace T = LXEditorText;

namespace {
template <class C>
C* Place(TComponent* Owner, TWinControl* Parent, int Left, int Top, int Width, int Height) {
  auto* X = new C(Owner);
  X->SetParent(Parent);
  X->SetBounds(Left, Top, Width, Height);
  return X;
}

TLabel* NewLabel(TComponent* Owner, TWinControl* Parent, const char* Caption, int Left, int Top) {
  auto* L = Place<TLabel>(Owner, Parent, Left, Top, 60, 17);
  L->SetCaption(Caption);
  return L;
}
}  // namespace

// ---- TLXLabelEditorForm

const TClassInfo& TLXLabelEditorForm::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXLabelEditorForm>("TLXLabelEditorForm", &TForm::StaticClassInfo());
  return Info;
}

TLXLabelEditorForm::TLXLabelEditorForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption(T::TextSettingsCaption);
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetAutoScroll(false);
  SetClientWidth(330);
  SetClientHeight(205);
  Properties = Place<TGroupBox>(this, this, 8, 8, 314, 155);
  Properties->SetCaption(T::PropertiesGroup);
  ValueLabel = NewLabel(this, Properties, T::TextLabel, 12, 24);
  Value = Place<TEdit>(this, Properties, 90, 20, 212, 21);
  WidthLabel = NewLabel(this, Properties, T::WidthLabel, 12, 56);
  Width = Place<TMaskEdit>(this, Properties, 90, 52, 50, 21);
  HeightLabel = NewLabel(this, Properties, T::HeightLabel, 160, 56);
  Height = Place<TMaskEdit>(this, Properties, 230, 52, 50, 21);
  for (TMaskEdit* M : {Width, Height}) {
    M->SetEditMask("9999");
    M->SetMaxLength(4);
  }
  AutoSize = Place<TCheckBox>(this, Properties, 12, 120, 90, 17);
  AutoSize->SetCaption(T::AutoSize);
  Stretch = Place<TCheckBox>(this, Properties, 110, 120, 90, 17);
  Stretch->SetCaption(T::Stretch);
  Transparent = Place<TCheckBox>(this, Properties, 208, 120, 100, 17);
  Transparent->SetCaption(T::Transparent);
  OK = Place<TButton>(this, this, 166, 172, 75, 25);
  OK->SetCaption(T::OK);
  OK->SetDefault(true);
  OK->SetModalResult(mrOk);
  Cancel = Place<TButton>(this, this, 247, 172, 75, 25);
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
  ShowExprBuilder = Place<TSpeedButton>(this, Properties, 281, 20, 21, 21);
  ShowExprBuilder->SetCaption(T::Ellipsis);
  ShowExprBuilder->OnClick = [this](TObject*) {
    std::string E = Value->Text();
    if (EditExpression("", E, FDataSetForm, nullptr, nullptr)) Value->SetText(E);
  };
  NewLabel(this, Properties, T::FormatMask, 12, 88);
  Mask = Place<TComboBox>(this, Properties, 90, 84, 212, 21);
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
