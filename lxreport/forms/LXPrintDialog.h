#pragma once
// The library's own print dialog: printer, page range, copies, collation and
// printing to a file, through the dialog service (so tests answer it). A
// cancelled dialog leaves every property as it was.
#include <cstdint>
#include <functional>

#include "platform/classes/Classes.h"
#include "platform/app/Dialogs.h"

class TPrinter;

// Elements of TLXPrintDialog::Options; the set holds bit 1 << ordinal, the
// same bits as the dialog service's po... flags.
enum TLXPrintDialogOption {
  lxpoPrintToFile, lxpoPageNums, lxpoSelection, lxpoWarning, lxpoHelp, lxpoDisablePrintToFile
};
DEFINE_ENUM_INFO(TLXPrintDialogOption, "poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp",
                 "poDisablePrintToFile")

class TLXCommonDialog : public TComponent {
  DECLARE_CLASSINFO(TLXCommonDialog)
public:
  explicit TLXCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool V) { FCtl3D = V; }
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int V) { FHelpContext = V; }

  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

protected:
  // Runs a dialog that keeps the user away from the program's other windows
  // until it closes; OnShow before it, OnClose after it, also when it raises.
  virtual bool TaskModalDialog(const std::function<bool()>& DialogFunction);

private:
  bool FCtl3D = true;
  int FHelpContext = 0;
};

// Works on the application's global printer object.
class TLXBasePrintDialog : public TLXCommonDialog {
  DECLARE_CLASSINFO(TLXBasePrintDialog)
public:
  explicit TLXBasePrintDialog(TComponent* AOwner) : TLXCommonDialog(AOwner) {}

protected:
  // The global printer, made on first use.
  static TPrinter* GlobalPrinter();
};

class TLXPrintDialog : public TLXBasePrintDialog {
  DECLARE_CLASSINFO(TLXPrintDialog)
public:
  explicit TLXPrintDialog(TComponent* AOwner) : TLXBasePrintDialog(AOwner) {}

  // Shows the dialog; true when the user confirmed, the properties then hold
  // the choice and the chosen printer is selected on the global printer.
  virtual bool Execute();

  bool Collate() const { return FCollate; }
  void SetCollate(bool V) { FCollate = V; }
  int Copies() const { return FCopies; }
  // Also the global printer's number of copies.
  void SetCopies(int V);
  int FromPage() const { return FFromPage; }
  void SetFromPage(int V) { FFromPage = V; }
  int ToPage() const { return FToPage; }
  void SetToPage(int V) { FToPage = V; }
  int MinPage() const { return FMinPage; }
  void SetMinPage(int V) { FMinPage = V; }
  int MaxPage() const { return FMaxPage; }
  void SetMaxPage(int V) { FMaxPage = V; }
  // po... flags of the dialog service.
  uint32_t Options() const { return FOptions; }
  void SetOptions(uint32_t V) { FOptions = V; }
  bool PrintToFile() const { return FPrintToFile; }
  void SetPrintToFile(bool V) { FPrintToFile = V; }
  TPrintRange PrintRange() const { return FPrintRange; }
  void SetPrintRange(TPrintRange V) { FPrintRange = V; }

private:
  bool FCollate = false;
  int FCopies = 0;
  int FFromPage = 0, FToPage = 0, FMinPage = 0, FMaxPage = 0;
  uint32_t FOptions = 0;
  bool FPrintToFile = false;
  TPrintRange FPrintRange = prAllPages;
};
