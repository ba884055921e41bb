#pragma once
// What the producer asks of the two dialogs of a print run, the forms registered for the print
// dialog and cancel dialog kinds (ppFormRegistry.h). The forms live with the output library's
// forms; the producer knows them only through these interfaces.
#include <string>

#include "platform/classes/Classes.h"

class TIcon;
class TppBackgroundPrintSettings;
class TppPageRequest;
class TppPrinter;
class TppProducer;

// What the print dialog starts from.
struct TppPrintDialogInputs {
  bool DesignTime = false;
  std::string DeviceType;
  TppPrinter* Printer = nullptr;  // the printer device's: the dialog edits its setup
  int LanguageIndex = 0;
  bool AllowPrintToArchive = false;
  bool AllowPrintToFile = false;
  std::string ArchiveFileName;
  TppBackgroundPrintSettings* BackgroundPrintSettings = nullptr;  // copied by the dialog
  std::string TextFileName;
  int CurrentPage = 1;  // the page offered as the current page
  const TIcon* Icon = nullptr;
};

// What the user chose, read once the dialog closed with OK.
struct TppPrintDialogChoice {
  bool BackgroundPrintActive = false;
  bool PrintToFile = false;
  bool PrintToArchive = false;
  std::string DeviceType;  // the chosen file device's name when PrintToFile or PrintToArchive
  std::string TextFileName;
  std::string ArchiveFileName;
  const TppPageRequest* PageRequest = nullptr;  // the dialog's own: valid while the dialog lives
};

class IppPrintDialog {
public:
  // Fills the dialog's inputs and initialises it.
  virtual void PreparePrintDialog(TppProducer* Report, const TppPrintDialogInputs& Inputs) = 0;
  // Shows it modally; true when it closed with OK.
  virtual bool ExecutePrintDialog() = 0;
  virtual TppPrintDialogChoice PrintDialogChoice() = 0;

protected:
  ~IppPrintDialog() = default;
};

class IppCancelDialog {
public:
  // The report, the language and icon of the dialog, what its Cancel button does and what its
  // closing does; the Cancel button is enabled.
  virtual void AttachProducer(TppProducer* Report, int LanguageIndex, const TIcon* Icon, TNotifyEvent OnCancel,
                              TNotifyEvent OnClose) = 0;
  // Modal: shows the dialog, runs OnStart once inside its modal loop shortly after it appeared,
  // and returns when the dialog has closed. Otherwise shows it and returns at once.
  virtual void ShowCancelDialog(bool Modal, TNotifyEvent OnStart) = 0;
  // The job has ended: a modal dialog ends with OK, another is closed (once).
  virtual void CloseCancelDialog() = 0;

protected:
  ~IppCancelDialog() = default;
};
