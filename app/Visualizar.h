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

  // The report prepares itself: a new report printer with the empty report generated into its
  // stored pages by the band engine, finished and prepared; the form holds it. Null when the
  // report was busy.
  TLXPrinter* Prepare();
  // The report previews itself: the library's standard preview window on a new printer, the
  // report generated into it; messages are processed until that window has closed.
  void Preview();
  // The printer made last, now the caller's. The report's references are cleared first: nothing
  // may call into the report once this form is gone.
  std::unique_ptr<TLXPrinter> TakePrinter();
  TLXPrinter* Printer() const { return FPrinter.get(); }

  void FormClose(TObject* Sender, TCloseAction& Action);

  TVexaRep* VexaRep1;

protected:
  void Destroying() override;

private:
  std::unique_ptr<TLXPrinter> FPrinter;
};
