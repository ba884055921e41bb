#include "platform/app/Dialogs.h"

#include "platform/app/AppConsts.h"
#include "platform/app/Application.h"
#include "platform/printing/Printers.h"

namespace {
std::vector<std::string> Split(const std::string& S, char Sep) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  while (true) {
    size_t P = S.find(Sep, Start);
    Parts.push_back(S.substr(Start, P == std::string::npos ? std::string::npos : P - Start));
    if (P == std::string::npos) break;
    Start = P + 1;
  }
  return Parts;
}
}  // namespace

std::string MsgDlgCaption(TMsgDlgType Type) {
  switch (Type) {
    case mtWarning: return SMsgDlgWarning;
    case mtError: return SMsgDlgError;
    case mtInformation: return SMsgDlgInformation;
    case mtConfirmation: return SMsgDlgConfirm;
    default: return Application ? Application->Title() : std::string();
  }
}

std::string MsgDlgButtonCaption(TMsgDlgBtn B) {
  static const char* const Texts[] = {SMsgDlgYes,    SMsgDlgNo,  SMsgDlgOK,      SMsgDlgCancel,   SMsgDlgAbort, SMsgDlgRetry,
                                      SMsgDlgIgnore, SMsgDlgAll, SMsgDlgNoToAll, SMsgDlgYesToAll, SMsgDlgHelp};
  return Texts[B];
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn B) {
  static const TModalResult Results[] = {mrYes,    mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
                                         mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
  return Results[B];
}

std::vector<TMsgDlgBtn> TMessageRequest::ButtonList() const {
  std::vector<TMsgDlgBtn> L;
  for (int B = mbYes; B <= mbHelp; ++B)
    if (Buttons & MsgButton(static_cast<TMsgDlgBtn>(B))) L.push_back(static_cast<TMsgDlgBtn>(B));
  return L;
}

std::vector<TFileFilter> ParseFileFilter(const std::string& Filter) {
  std::vector<TFileFilter> Out;
  if (Filter.empty()) return Out;
  std::vector<std::string> Parts = Split(Filter, '|');
  for (size_t I = 0; I < Parts.size(); I += 2) {
    TFileFilter F;
    F.Description = Parts[I];
    std::string Pat = I + 1 < Parts.size() ? Parts[I + 1] : std::string();
    for (const std::string& P : Split(Pat, ';'))
      if (!Trim(P).empty()) F.Patterns.push_back(Trim(P));
    // An entry without a pattern of its own still counts for the filter index; it shows every file.
    if (F.Patterns.empty()) F.Patterns.push_back("*.*");
    Out.push_back(std::move(F));
  }
  return Out;
}

std::string ApplyDefaultExt(const std::string& FileName, const std::string& DefaultExt) {
  std::string Own = ExtractFileExt(FileName);
  if (FileName.empty() || DefaultExt.empty() || (!Own.empty() && Own != ".")) return FileName;
  std::string Ext = DefaultExt[0] == '.' ? DefaultExt.substr(1) : DefaultExt;
  if (FileName.back() == '.') return FileName + Ext;
  return FileName + "." + Ext;
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpCtx) {
  TMessageRequest R;
  R.Caption = MsgDlgCaption(Type);
  R.Text = Msg;
  R.Type = Type;
  R.Buttons = Buttons ? Buttons : MsgButton(mbOK);
  R.HelpContext = HelpCtx;
  return DialogService().Execute(R);
}

void ShowMessage(const std::string& Msg) { MessageDlg(Msg, mtCustom, MsgButton(mbOK)); }

int MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags) {
  TMessageRequest R;
  R.Caption = Caption;
  R.Text = Text;
  switch (Flags & 0xF0) {
    case MB_ICONERROR: R.Type = mtError; break;
    case MB_ICONQUESTION: R.Type = mtConfirmation; break;
    case MB_ICONWARNING: R.Type = mtWarning; break;
    case MB_ICONINFORMATION: R.Type = mtInformation; break;
    default: R.Type = mtCustom; break;
  }
  static const TMsgDlgButtons Sets[] = {MsgButton(mbOK),
                                        mbOKCancel,
                                        mbAbortRetryIgnore,
                                        mbYesNoCancel,
                                        mbYesNo,
                                        MsgButton(mbRetry) | MsgButton(mbCancel)};
  uint32_t Kind = Flags & 0xF;
  R.Buttons = Kind < 6 ? Sets[Kind] : MsgButton(mbOK);
  auto List = R.ButtonList();
  size_t Def = (Flags & 0xF00) >> 8;
  if (Def < List.size()) R.DefaultButton = List[Def];
  TModalResult Res = DialogService().Execute(R);
  // Closing a box without a Cancel button answers its only or first button.
  if (Res == mrNone || (Res == mrCancel && !(R.Buttons & MsgButton(mbCancel))))
    Res = List.size() == 1 ? MsgDlgButtonResult(List[0]) : IDCANCEL;
  return Res;
}

bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) {
  TInputRequest R;
  R.Caption = Caption;
  R.Prompt = Prompt;
  R.Value = Value;
  if (!ExecuteDialog(R)) return false;
  Value = R.Value;
  return true;
}

std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default) {
  std::string V = Default;
  InputQuery(Caption, Prompt, V);
  return V;
}

namespace {
void SelectPrinter(TPrinter* Printer, const std::string& Name) {
  if (!Printer || Name.empty() || Name == Printer->PrinterName()) return;
  const auto& Names = Printer->Printers();
  for (size_t I = 0; I < Names.size(); ++I)
    if (Names[I] == Name) {
      Printer->SetPrinterIndex(static_cast<int>(I));
      return;
    }
}

// A print or printer setup dialog on Printer: it opens on the printer's name and device mode (unless
// the caller gave its own), and a confirmed answer goes back to the printer whole. When the user chose
// another printer, that printer's own mode takes what the user changed in the dialog.
template <class T>
bool ExecuteOnPrinter(T& Data, TPrinter* Printer) {
  T Copy = Data;
  bool Printers = Printer && Printer->HasPrinter();
  if (Printers && Copy.PrinterName.empty()) Copy.PrinterName = Printer->PrinterName();
  if (Printers && Copy.PrinterName == Printer->PrinterName() && !Copy.DeviceMode.Fields)
    Copy.DeviceMode = Printer->DeviceMode();
  const std::string OpenedOn = Copy.PrinterName;
  const TDeviceMode Shown = Copy.DeviceMode;
  if (!ExecuteDialog(Copy)) return false;
  if (Printers) {
    SelectPrinter(Printer, Copy.PrinterName);
    if (Printer->PrinterName() != OpenedOn)
      Copy.DeviceMode = TakeDeviceModeFields(Printer->DeviceMode(), Copy.DeviceMode,
                                             DeviceModeDifferences(Shown, Copy.DeviceMode));
    if (Copy.DeviceMode.Fields) Printer->SetDeviceMode(Copy.DeviceMode);
  }
  Data = std::move(Copy);
  return true;
}
}  // namespace

bool ExecutePrintDialog(TPrintDialogData& Data, TPrinter* Printer) { return ExecuteOnPrinter(Data, Printer); }

bool ExecutePrinterSetupDialog(TPrinterSetupData& Data, TPrinter* Printer) { return ExecuteOnPrinter(Data, Printer); }

// ---- TOpenDialog, TSaveDialog

const TClassInfo& TOpenDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TOpenDialog>("TOpenDialog", &TComponent::StaticClassInfo())
                                     .Prop("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
                                     .Prop("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
                                     .Prop("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
                                     .Prop("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
                                     .Default(1)
                                     .Prop("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
                                     .Prop("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
  return Info;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TOpenDialog::Execute() {
  TFileDialogData Copy = FData;
  Copy.Files.clear();
  if (!ExecuteDialog(Copy)) return false;
  Copy.FileName = ApplyDefaultExt(Copy.FileName, Copy.DefaultExt);
  if (Copy.Files.empty() && !Copy.FileName.empty()) Copy.Files.push_back(Copy.FileName);
  FData = Copy;
  return true;
}

const TClassInfo& TSaveDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TSaveDialog>("TSaveDialog", &TOpenDialog::StaticClassInfo());
  return Info;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FData.Save = true; }
