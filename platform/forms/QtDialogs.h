#pragma once
// The dialog service that shows Qt dialogs to a person, and the way to add a dialog to it: a Qt
// handler per request type. InitializeForms makes it the default service.
#include <functional>
#include <memory>
#include <typeindex>

#include <QStringList>

#include "platform/app/Dialogs.h"

class QPrintDialog;
class QPrinter;

std::unique_ptr<TDialogService> CreateQtDialogService();

// A dialog filter text ("Report file (*.LXP)|*.LXP|...") as Qt's name filters, one per entry, each
// showing its patterns once.
QStringList QtNameFilters(const std::string& Filter);

// Shows a request of one type with Qt widgets. The standard dialogs (Dialogs.h) are registered
// from the start; another request type needs one before it is asked for (the Qt service raises
// EInvalidOperation for a request it has no handler for). Main thread only.
using TQtDialogHandler = std::function<TModalResult(TDialogRequest& Request)>;
void RegisterQtDialog(std::type_index RequestType, TQtDialogHandler Show);
template <class T>
void RegisterQtDialog(std::function<TModalResult(T&)> Show) {
  RegisterQtDialog(typeid(T), [Show](TDialogRequest& R) { return Show(static_cast<T&>(R)); });
}

// The print and printer setup dialogs with the step that runs the dialog handed in (the service
// passes QDialog::exec; tests, where nobody can click, edit the printer as the user would). Data
// goes onto the dialog's QPrinter before Exec and, when Exec confirms, everything picked on it
// comes back: printer, device mode, copies, collation, output file, page range.
using TQtPrintDialogExec = std::function<bool(QPrintDialog& Dialog, QPrinter& Printer)>;
bool RunQtPrintDialog(TPrintDialogData& Data, const TQtPrintDialogExec& Exec);
bool RunQtPrinterSetupDialog(TPrinterSetupData& Data, const TQtPrintDialogExec& Exec);
