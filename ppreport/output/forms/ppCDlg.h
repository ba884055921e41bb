#pragma once
// The cancel dialog (shown while a report prints to the printer or a file, with the status line
// the device writes and a Cancel button) and the no-data dialog. Both are cancel-dialog bases, so
// both remember and give back the active form.
#include "ppreport/output/forms/ppForms.h"

class TppCancelDialog : public TppCustomCancelDialog {
  DECLARE_CLASSINFO(TppCancelDialog)
public:
  explicit TppCancelDialog(TComponent* AOwner);
  ~TppCancelDialog() override;

  void StatusTextChanged() override;
  void LanguageChanged() override;

  TMemo* memMessage;
  TButton* btnCancel;

protected:
  void DoShow() override;
  void Activate() override;

private:
  void btnCancelClick(TObject* Sender);
};

class TppNoDataDialog : public TppCustomCancelDialog {
  DECLARE_CLASSINFO(TppNoDataDialog)
public:
  explicit TppNoDataDialog(TComponent* AOwner);
  ~TppNoDataDialog() override;
  // Its kind is the no-data dialog's, though it is built on the cancel dialog's base.
  std::string DialogKind() const override { return ppNoDataDialogRole; }
  void LanguageChanged() override;

  TMemo* memMessage;
  TButton* btnOK;
};

// What both dialogs share: the window and the read-only message memo.
void SetUpMessageForm(TForm* Form, int ClientHeight);
TMemo* CreateMessageMemo(TForm* Form, int Left, int Top, int Width, int Height);
