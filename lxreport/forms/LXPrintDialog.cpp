#include "lxreport/forms/LXPrintDialog.h"

#include "platform/classes/ScopeGuard.h"
#include "platform/printing/Printers.h"

// ---- TLXCommonDialog

const TClassInfo& TLXCommonDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXCommonDialog>("TLXCommonDialog", &TComponent::StaticClassInfo())
                                     .Prop("Ctl3D", &TLXCommonDialog::Ctl3D, &TLXCommonDialog::SetCtl3D)
                                     .Default(1)
                                     .Prop("HelpContext", &TLXCommonDialog::HelpContext,
                                           &TLXCommonDialog::SetHelpContext)
                                     .Default(0)
                                     .Event("OnShow", &TLXCommonDialog::OnShow)
                                     .Event("OnClose", &TLXCommonDialog::OnClose);
  return Info;
}

// The dialog service's dialogs are application-modal: while one is open the
// program's other windows take no input, and the active one is active again
// when it closes.
bool TLXCommonDialog::TaskModalDialog(const std::function<bool()>& DialogFunction) {
  if (OnShow) OnShow(this);
  TFinally Close([&] {
    if (OnClose) OnClose(this);
  });
  return DialogFunction();
}

// ---- TLXBasePrintDialog

const TClassInfo& TLXBasePrintDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXBasePrintDialog>("TLXBasePrintDialog", &TLXCommonDialog::StaticClassInfo());
  return Info;
}

TPrinter* TLXBasePrintDialog::GlobalPrinter() {
  CreateGlobalPrinter();
  return Printer();
}

// ---- TLXPrintDialog

const TClassInfo& TLXPrintDialog::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TLXPrintDialog>("TLXPrintDialog", &TLXBasePrintDialog::StaticClassInfo())
          .Prop("Collate", &TLXPrintDialog::Collate, &TLXPrintDialog::SetCollate)
          .Default(0)
          .Prop("Copies", &TLXPrintDialog::Copies, &TLXPrintDialog::SetCopies)
          .Default(0)
          .Prop("FromPage", &TLXPrintDialog::FromPage, &TLXPrintDialog::SetFromPage)
          .Default(0)
          .Prop("MinPage", &TLXPrintDialog::MinPage, &TLXPrintDialog::SetMinPage)
          .Default(0)
          .Prop("MaxPage", &TLXPrintDialog::MaxPage, &TLXPrintDialog::SetMaxPage)
          .Default(0)
          .SetProp<TLXPrintDialogOption>("Options", &TLXPrintDialog::Options, &TLXPrintDialog::SetOptions)
          .Prop("PrintToFile", &TLXPrintDialog::PrintToFile, &TLXPrintDialog::SetPrintToFile)
          .Default(0)
          .Prop("PrintRange", &TLXPrintDialog::PrintRange, &TLXPrintDialog::SetPrintRange)
          .Default(prAllPages)
          .Prop("ToPage", &TLXPrintDialog::ToPage, &TLXPrintDialog::SetToPage)
          .Default(0);
  return Info;
}

void TLXPrintDialog::SetCopies(int V) {
  FCopies = V;
  TPrinter* P = GlobalPrinter();
  if (!P || !P->HasPrinter()) return;
  TDeviceMode M = P->DeviceMode();
  M.Fields |= DM_COPIES;
  M.Copies = static_cast<int16_t>(V);
  P->SetDeviceMode(M);
}

bool TLXPrintDialog::Execute() {
  TPrintDialogData Data;
  Data.PrintRange = FPrintRange;
  Data.FromPage = FFromPage;
  Data.ToPage = FToPage;
  Data.MinPage = FMinPage;
  Data.MaxPage = FMaxPage;
  Data.Copies = FCopies;
  Data.Collate = FCollate;
  Data.PrintToFile = FPrintToFile;
  Data.Options = FOptions;
  Data.HelpContext = HelpContext();
  TPrinter* P = GlobalPrinter();
  if (!TaskModalDialog([&] { return ExecutePrintDialog(Data, P); })) return false;
  FCollate = Data.Collate;
  FPrintToFile = Data.PrintToFile;
  FPrintRange = Data.PrintRange;
  FFromPage = Data.FromPage;
  FToPage = Data.ToPage;
  // The service answers the number of copies itself (the Windows dialog left
  // them in the device mode and answered 1); it becomes the printer's too. An
  // answer without a count keeps the printer's.
  int N = Data.Copies;
  if (N < 1) N = P && P->HasPrinter() && P->DeviceMode().Has(DM_COPIES) ? P->DeviceMode().Copies : 1;
  SetCopies(N);
  return true;
}
