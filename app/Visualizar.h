#pragma once
// TVisualizars: the form that holds the viewer's report component, never shown. Its report makes
// the report printer the viewer shows; the printer is handed over before the form is freed.
#include <memory>

#include "lxreport/LXPrntr.h"
#include "lxreport/VexaRpt.h"
#include "platform/forms/Forms.h"

class TVisualizars : public TForm {
  DECLARE_CLASSINFO(TVisualizars)
public:
  explicit TVisualizars(TComponent* AOwner);
  ~TVisualizars() override;

  // Makes a new report printer and generates the empty report into its stored pages; the printer
  // is then finished and prepared.
  TLXPrinter* Prepare();
  // Prepare, then the library's standard preview window on the printer; messages are processed
  // until that window has closed.
  void Preview();
  // The printer made last, now the caller's. The report's references are cleared first: nothing
  // may call into the report once this form is gone.
  std::unique_ptr<TLXPrinter> TakePrinter();
  TLXPrinter* Printer() const { return FPrinter.get(); }

  void FormClose(TObject* Sender, TCloseAction& Action);

  TVexaRep* VexaRep1;

private:
  std::unique_ptr<TLXPrinter> FPrinter;
};
