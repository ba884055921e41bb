#include "ppreport/output/forms/ppTmDlg.h"

#include <algorithm>

#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "ppreport/core/ppDB.h"
#include "ppreport/core/ppLanguage.h"

const TClassInfo& TppTemplateDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTemplateDialog>("TppTemplateDialog", &TppCustomTemplateDialog::StaticClassInfo());
  return Info;
}

const TClassInfo& TppTemplateErrorDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppTemplateErrorDialog>("TppTemplateErrorDialog", &TppCustomTemplateErrorDialog::StaticClassInfo());
  return Info;
}

namespace {
// A language string, or our own wording when neither a module nor the program's table has one.
std::string TextOr(int N, const char* Own) {
  std::string S = LanguageString(N);
  return S.empty() ? std::string(Own) : S;
}

void SetUpDialogForm(TForm* Form, int ClientWidth, int ClientHeight, const std::string& Caption) {
  Form->SetBorderStyle(bsDialog);
  TFont F = Form->Font();
  F.SetName("MS Sans Serif");
  F.SetHeight(-11);
  Form->SetFont(F);
  Form->SetPosition(poScreenCenter);
  Form->SetClientWidth(ClientWidth);
  Form->SetClientHeight(ClientHeight);
  Form->SetCaption(Caption);
}

TButton* MakeButton(TForm* Form, int Left, int Top, const std::string& Caption, TModalResult Result) {
  auto* B = new TButton(Form);
  B->SetParent(Form);
  B->SetBounds(Left, Top, 75, 23);
  B->SetCaption(Caption);
  B->SetModalResult(Result);
  return B;
}

TLabel* MakeLabel(TForm* Form, int Left, int Top, const std::string& Caption) {
  auto* L = new TLabel(Form);
  L->SetParent(Form);
  L->SetLeft(Left);
  L->SetTop(Top);
  L->SetCaption(Caption);
  return L;
}
}  // namespace

// ---- TppTemplateDialog

TppTemplateDialog::TppTemplateDialog(TComponent* AOwner) : TppCustomTemplateDialog(AOwner) {
  SetUpDialogForm(this, 419, 265, "Open");
  hdrList = new TPanel(this);
  hdrList->SetParent(this);
  hdrList->SetBounds(6, 5, 406, 18);
  hdrList->SetAlignment(taLeftJustify);
  hdrList->SetCaption("Name");
  lbxTemplates = new TListBox(this);
  lbxTemplates->SetParent(this);
  lbxTemplates->SetBounds(6, 22, 406, 167);
  lbxTemplates->Items().SetSorted(true);
  lbxTemplates->OnClick = [this](TObject* Sender) { lbxTemplatesClick(Sender); };
  lbxTemplates->OnDblClick = [this](TObject* Sender) { lbxTemplatesDblClick(Sender); };
  lblTemplateName = MakeLabel(this, 9, 207, "Name");
  edtTemplateName = new TEdit(this);
  edtTemplateName->SetParent(this);
  edtTemplateName->SetBounds(48, 204, 265, edtTemplateName->Height());
  btnOK = MakeButton(this, 337, 203, "&Open", mrOk);
  btnOK->SetDefault(true);
  btnCancel = MakeButton(this, 337, 233, "Cancel", mrCancel);
  btnCancel->SetCancel(true);
  DoCreate();
}

TppTemplateDialog::~TppTemplateDialog() { BeforeDestruction(); }

void TppTemplateDialog::SetDataPipeline(TppDataPipeline* Value) {
  TppCustomTemplateDialog::SetDataPipeline(Value);
  FDataPipeline = Value;
}

std::string TppTemplateDialog::GetTemplateName() { return edtTemplateName->Text(); }
void TppTemplateDialog::SetTemplateName(const std::string& Name) { edtTemplateName->SetText(Name); }

void TppTemplateDialog::GetTemplateNames(std::vector<std::string>& Names) {
  Names.clear();
  for (int I = 0; I < lbxTemplates->Items().Count(); ++I) Names.push_back(lbxTemplates->Items().Strings(I));
}

void TppTemplateDialog::SetTemplateNames(const std::vector<std::string>& Names) {
  lbxTemplates->Items().Clear();
  for (const std::string& N : Names) lbxTemplates->Items().Add(N);
}

bool TppTemplateDialog::LoadTemplateNames() {
  // Activation runs every time the form comes to the front: start from an empty list, or each
  // activation would list every name again.
  if (!FDataPipeline) return false;
  lbxTemplates->Items().Clear();
  if (!FDataPipeline->GetActive()) FDataPipeline->Open();
  bool Added = false;
  FDataPipeline->First();
  while (!FDataPipeline->GetEOF()) {
    lbxTemplates->Items().Add(FDataPipeline->GetFieldAsString(NameField));
    Added = true;
    FDataPipeline->Next();
  }
  return Added;
}

bool TppTemplateDialog::LocateTemplate() {
  if (!DataPipeline) return false;
  return DataPipeline->Locate(NameField, Variant(GetTemplateName()), 1u << loCaseInsensitive);
}

void TppTemplateDialog::Activate() {
  TppCustomTemplateDialog::Activate();
  LoadTemplateNames();
  edtTemplateName->SelectAll();
  if (Kind == 0) {
    SetCaption(TextOr(361, SppTemplateOpenCaption));
    btnOK->SetCaption(TextOr(134, SppTemplateOpenButton));
  } else if (Kind == 1) {
    SetCaption(TextOr(362, SppTemplateSaveCaption) + " " + GetTemplateName() + " " + LanguageString(38));
    btnOK->SetCaption(TextOr(138, SppTemplateSaveButton));
  }
  btnCancel->SetCaption(LanguageString(5));
  hdrList->SetCaption(LanguageString(39));
  lblTemplateName->SetCaption(LanguageString(39));
  if (Visible()) edtTemplateName->SetFocus();
}

void TppTemplateDialog::lbxTemplatesClick(TObject*) {
  const int I = lbxTemplates->ItemIndex();
  if (I >= 0) edtTemplateName->SetText(lbxTemplates->Items().Strings(I));
}

void TppTemplateDialog::lbxTemplatesDblClick(TObject* Sender) {
  lbxTemplatesClick(Sender);
  btnOK->Click();
}

bool TppTemplateDialog::CloseQuery() {
  if (!TppCustomTemplateDialog::CloseQuery()) return false;
  if (ModalResult() == mrCancel) return true;
  const std::string Name = GetTemplateName();
  const bool Open = Kind == 0;
  bool CanClose = false;
  if (!Name.empty()) CanClose = Open ? LocateTemplate() : !LocateTemplate();
  if (CanClose) return true;
  if (Open) {
    MessageDlg(LanguageString(45) + " " + Name, mtWarning, MsgButton(mbOK));
    return false;
  }
  // Save as over an existing name (or without one): replacing is the user's call.
  const std::string Exists = Format(ExpandMessagePlaceholders(TextOr(523, SppTemplateExists)), {Name});
  return MessageDlg(Exists + "\n\n" + TextOr(494, SppTemplateReplace), mtWarning, mbYesNo) == mrYes;
}

// ---- TppTemplateErrorDialog

TppTemplateErrorDialog::TppTemplateErrorDialog(TComponent* AOwner) : TppCustomTemplateErrorDialog(AOwner) {
  SetUpDialogForm(this, 307, 121, "Error Reading Template");
  Bevel1 = new TBevel(this);
  Bevel1->SetParent(this);
  Bevel1->SetBounds(7, 8, 295, 77);
  lblMessage = MakeLabel(this, 14, 13, "lblMessage");
  lblMessage->SetAutoSize(false);
  lblMessage->SetWordWrap(true);
  lblMessage->SetBounds(14, 13, 280, 66);
  btnIgnore = MakeButton(this, 37, 94, "&Ignore", mrIgnore);
  btnIgnore->SetDefault(true);
  btnCancel = MakeButton(this, 118, 94, "Cancel", mrCancel);
  btnCancel->SetCancel(true);
  btnIgnoreAll = MakeButton(this, 199, 94, "Ignore &All", mrAll);
  DoCreate();
}

TppTemplateErrorDialog::~TppTemplateErrorDialog() { BeforeDestruction(); }

std::string TppTemplateErrorDialog::GetErrorMessage() { return lblMessage->Caption(); }
void TppTemplateErrorDialog::SetErrorMessage(const std::string& Text) { lblMessage->SetCaption(Text); }

void TppTemplateErrorDialog::LanguageChanged() {
  SetCaption(TextOr(418, SppTemplateErrorCaption));
  btnIgnore->SetCaption(TextOr(416, SppTemplateIgnore));
  btnCancel->SetCaption(LanguageString(5));
  btnIgnoreAll->SetCaption(TextOr(417, SppTemplateIgnoreAll));
  LayoutButtons();
}

// A caption wider than its button widens it: the three are laid out again in a row, 6 pixels
// apart and centred, and a row wider than the frame widens the form.
void TppTemplateErrorDialog::LayoutButtons() {
  TButton* Row[] = {btnIgnore, btnCancel, btnIgnoreAll};
  if (std::all_of(std::begin(Row), std::end(Row), [](TButton* B) { return B->CaptionExtent().cx <= B->Width(); }))
    return;
  int Total = 0;
  for (TButton* B : Row) {
    B->SetWidth(std::max(75, B->CaptionExtent().cx));
    Total += B->Width();
  }
  Total += 6 * 2;
  if (Total + 2 * 7 > Bevel1->Width() + 2 * Bevel1->Left()) {
    const int Grow = Total + 2 * 7 - (Bevel1->Width() + 2 * Bevel1->Left());
    SetClientWidth(ClientWidth() + Grow);
    Bevel1->SetWidth(Bevel1->Width() + Grow);
    lblMessage->SetWidth(lblMessage->Width() + Grow);
  }
  int Left = (ClientWidth() - Total) / 2;
  for (TButton* B : Row) {
    B->SetLeft(Left);
    Left += B->Width() + 6;
  }
}

TModalResult ExecuteTemplateErrorDialog(TppTemplateErrorRequest& Request) {
  std::unique_ptr<TppCustomTemplateErrorDialog, TComponentDeleter> D(
      CreateForm<TppCustomTemplateErrorDialog>(Application));
  D->SetLanguageIndex(Request.LanguageIndex);
  D->SetErrorMessage(Request.Message);
  return D->ShowDialog();
}
