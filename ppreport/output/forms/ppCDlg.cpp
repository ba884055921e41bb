#include "ppreport/output/forms/ppCDlg.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QTextOption>
#include <QWidget>

#include "platform/graphics/Bitmap.h"
#include "ppreport/core/ppLanguage.h"

const TClassInfo& TppCancelDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppCancelDialog>("TppCancelDialog", &TppCustomCancelDialog::StaticClassInfo());
  return Info;
}

const TClassInfo& TppNoDataDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppNoDataDialog>("TppNoDataDialog", &TppCustomCancelDialog::StaticClassInfo());
  return Info;
}

void SetUpMessageForm(TForm* Form, int ClientHeight) {
  Form->SetBorderStyle(bsDialog);
  Form->SetBorderIcons(0);
  Form->SetCursor(crHourGlass);
  TFont F = Form->Font();
  F.SetName("MS Sans Serif");
  F.SetHeight(-11);
  F.SetStyle(fsBold);
  F.SetColor(clBlack);
  Form->SetFont(F);
  Form->SetPosition(poScreenCenter);
  Form->SetClientWidth(270);
  Form->SetClientHeight(ClientHeight);
}

TMemo* CreateMessageMemo(TForm* Form, int Left, int Top, int Width, int Height) {
  auto* M = new TMemo(Form);
  M->SetParent(Form);
  M->SetBounds(Left, Top, Width, Height);
  M->SetColor(clBtnFace);
  M->SetCursor(crHourGlass);
  TFont F = M->Font();
  F.SetStyle(0);
  M->SetFont(F);
  // Read-only, centred, without a frame: the platform's memo has no switches for these.
  auto* E = qobject_cast<QPlainTextEdit*>(M->Widget());
  if (!E) E = M->Widget()->findChild<QPlainTextEdit*>();
  if (E) {
    E->setReadOnly(true);
    E->setFrameShape(QFrame::NoFrame);
    QTextOption O = E->document()->defaultTextOption();
    O.setAlignment(Qt::AlignHCenter);
    E->document()->setDefaultTextOption(O);
    // The memo reads as part of the dialog: its ground is the dialog's.
    QPalette P = E->palette();
    P.setColor(QPalette::Base, P.color(QPalette::Window));
    E->setPalette(P);
  }
  return M;
}

namespace {
TButton* CreateButton(TForm* Form, int Left, int Top, const std::string& Caption, TModalResult Result) {
  auto* B = new TButton(Form);
  B->SetParent(Form);
  B->SetBounds(Left, Top, 75, 23);
  B->SetCaption(Caption);
  B->SetModalResult(Result);
  TFont F = B->Font();
  F.SetStyle(0);
  B->SetFont(F);
  return B;
}
}  // namespace

// ---- TppCancelDialog

TppCancelDialog::TppCancelDialog(TComponent* AOwner) : TppCustomCancelDialog(AOwner) {
  SetUpMessageForm(this, 133);
  SetCaption("Printing");
  memMessage = CreateMessageMemo(this, 42, 14, 187, 75);
  btnCancel = CreateButton(this, 98, 98, "Cancel", mrCancel);
  btnCancel->SetCancel(true);
  btnCancel->OnClick = [this](TObject* Sender) { btnCancelClick(Sender); };
  memMessage->Clear();
  DoCreate();
}

TppCancelDialog::~TppCancelDialog() { BeforeDestruction(); }

void TppCancelDialog::DoShow() {
  btnCancel->SetEnabled(AllowCancel());
  TppCustomCancelDialog::DoShow();
}

void TppCancelDialog::Activate() {
  btnCancel->SetEnabled(AllowCancel());
  TppCustomCancelDialog::Activate();
}

void TppCancelDialog::btnCancelClick(TObject*) {
  DoCancel();
  Close();
}

void TppCancelDialog::StatusTextChanged() {
  if (memMessage->Text() != StatusText()) memMessage->SetText(StatusText());
}

void TppCancelDialog::LanguageChanged() {
  SetCaption(LanguageString(24));
  btnCancel->SetCaption(LanguageString(5));
  // The button follows its caption's width, centred: a longer translation still fits.
  TBitmap Measure(1, 1);
  Measure.Canvas().Font() = btnCancel->Font();
  btnCancel->SetWidth(Measure.Canvas().TextWidth(btnCancel->Caption()) + 30);
  btnCancel->SetLeft((Width() - btnCancel->Width()) / 2);
}

// ---- TppNoDataDialog

TppNoDataDialog::TppNoDataDialog(TComponent* AOwner) : TppCustomCancelDialog(AOwner) {
  SetUpMessageForm(this, 93);
  SetCaption("No Data Found");
  memMessage = CreateMessageMemo(this, 42, 14, 187, 41);
  memMessage->SetText("No data found for this report.");
  btnOK = CreateButton(this, 97, 63, "OK", mrOk);
  btnOK->SetDefault(true);
  btnOK->SetCancel(true);
  DoCreate();
}

TppNoDataDialog::~TppNoDataDialog() { BeforeDestruction(); }

void TppNoDataDialog::LanguageChanged() {
  SetCaption(LanguageString(1034));
  memMessage->SetText(LanguageString(1035));
  btnOK->SetCaption(LanguageString(17));
}
