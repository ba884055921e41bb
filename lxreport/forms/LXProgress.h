#pragma once
// The window that shows how far a print or export run has come and lets the
// user cancel it. The report engine makes it the printer's status window for
// the run, so the printer's progress messages (0x400) reach it.
#include "lxreport/LXPrntr.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TLXProgressForm : public TForm, public ILXPrinterView {
  DECLARE_CLASSINFO(TLXProgressForm)
public:
  explicit TLXProgressForm(TComponent* AOwner);

  TLXPrinter* Printer() const { return FPrinter; }
  void SetPrinter(TLXPrinter* P) { FPrinter = P; }
  void CancelButtonClick(TObject* Sender);

  TLabel* Info;
  TButton* CancelButton;
  TProgressBar* Gauge;

  void PrinterFreed(TLXPrinter* P) override {
    if (P == FPrinter) FPrinter = nullptr;
  }

protected:
  void WndProc(TMessage& Message) override;

private:
  TLXPrinter* FPrinter = nullptr;  // not owned
};
