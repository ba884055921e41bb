#pragma once
// The standard dialogs as requests to the dialog service (DialogService.h): message boxes, input
// boxes, open and save, print and printer setup, with the calls that ask for them. Whatever a service
// does, a cancelled dialog leaves the caller's data as it was. No widgets.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/app/DialogService.h"
#include "platform/classes/Classes.h"
#include "platform/printing/DeviceMode.h"

class TPrinter;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = uint32_t;  // bits by TMsgDlgBtn
constexpr TMsgDlgButtons MsgButton(TMsgDlgBtn B) { return 1u << B; }
constexpr TMsgDlgButtons mbYesNo = MsgButton(mbYes) | MsgButton(mbNo);
constexpr TMsgDlgButtons mbYesNoCancel = mbYesNo | MsgButton(mbCancel);
constexpr TMsgDlgButtons mbOKCancel = MsgButton(mbOK) | MsgButton(mbCancel);
constexpr TMsgDlgButtons mbAbortRetryIgnore = MsgButton(mbAbort) | MsgButton(mbRetry) | MsgButton(mbIgnore);

// The caption of a message dialog of this type ("Aviso", "Erro", "Informação",
// "Confirmação"; the application's title for mtCustom).
std::string MsgDlgCaption(TMsgDlgType Type);
// The text of a button ("Sim", "Não", "OK", "Cancelar"...).
std::string MsgDlgButtonCaption(TMsgDlgBtn Button);
// The modal result a button gives (mrYes, mrNo, mrOk...; mrNone for help).
TModalResult MsgDlgButtonResult(TMsgDlgBtn Button);

// MessageBox flags and answers (the answers equal the modal results).
constexpr uint32_t MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_RETRYCANCEL = 0x5, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30,
                   MB_ICONINFORMATION = 0x40, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_TASKMODAL = 0x2000,
                   MB_TOPMOST = 0x40000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

struct TMessageRequest : TDialogRequestOf<TMessageRequest> {
  std::string Caption;
  std::string Text;
  TMsgDlgType Type = mtCustom;
  TMsgDlgButtons Buttons = MsgButton(mbOK);
  // The button Enter presses; -1: the first one shown.
  int DefaultButton = -1;
  int HelpContext = 0;
  // The buttons in the order they are shown.
  std::vector<TMsgDlgBtn> ButtonList() const;
};

// Options of open and save dialogs, bits by the class library's ordinals.
constexpr uint32_t ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2,
                   ofNoChangeDir = 1u << 3, ofAllowMultiSelect = 1u << 6, ofPathMustExist = 1u << 8,
                   ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10, ofShareAware = 1u << 11,
                   ofEnableSizing = 1u << 19;

struct TFileDialogData : TDialogRequestOf<TFileDialogData> {
  bool Save = false;
  std::string Title;
  // Windows style: "Description|*.a;*.b|Description|*.c"; a last description without a pattern shows all files.
  std::string Filter;
  int FilterIndex = 1;  // 1-based
  // Added (after a ".") to a chosen name without an extension.
  std::string DefaultExt;
  std::string InitialDir;
  std::string FileName;
  uint32_t Options = ofHideReadOnly | ofEnableSizing;
  // All chosen files (several with ofAllowMultiSelect); FileName is the first.
  std::vector<std::string> Files;
};

struct TFileFilter {
  std::string Description;
  std::vector<std::string> Patterns;
};
// Splits a Windows-style filter into its entries.
std::vector<TFileFilter> ParseFileFilter(const std::string& Filter);
// FileName with "." + DefaultExt added when it has no extension of its own.
std::string ApplyDefaultExt(const std::string& FileName, const std::string& DefaultExt);

enum TPrintRange { prAllPages, prSelection, prPageNums };
DEFINE_ENUM_INFO(TPrintRange, "prAllPages", "prSelection", "prPageNums")
constexpr uint32_t poPrintToFile = 1, poPageNums = 2, poSelection = 4, poWarning = 8, poHelp = 16,
                   poDisablePrintToFile = 32;

// What the print dialog shows and hands back; plain data, so that report
// libraries can keep it in their own dialog objects.
struct TPrintDialogData : TDialogRequestOf<TPrintDialogData> {
  TPrintRange PrintRange = prAllPages;
  int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
  int Copies = 1;
  bool Collate = false;
  bool PrintToFile = false;
  uint32_t Options = 0;  // po... flags above
  // The printer chosen; empty: the current one.
  std::string PrinterName;
  int HelpContext = 0;
  // The printer's whole device mode: what the dialog opens with and, confirmed, everything the user
  // picked (paper, orientation, copies, collation, duplex, colour, bin). No fields: the driver's.
  TDeviceMode DeviceMode;
  // The file printed to when PrintToFile; empty: the dialog did not name one.
  std::string OutputFileName;
};

// The printer setup dialog: a printer and its device mode.
struct TPrinterSetupData : TDialogRequestOf<TPrinterSetupData> {
  std::string PrinterName;
  TDeviceMode DeviceMode;
};

// An input box: a caption, a prompt and the text typed.
struct TInputRequest : TDialogRequestOf<TInputRequest> {
  std::string Caption;
  std::string Prompt;
  std::string Value;
};

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons, int HelpCtx = 0);
// A message with an OK button under the application's title.
void ShowMessage(const std::string& Msg);
// The Windows message box: buttons and icon from Flags; answers IDOK, IDYES...
int MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags);
// True when confirmed; Value is changed only then.
bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value);
// The text entered, or Default when cancelled.
std::string InputBox(const std::string& Caption, const std::string& Prompt, const std::string& Default);
// With a printer, the dialog opens on its printer and device mode, and a confirmed choice is handed
// back to it: the printer chosen is selected and the device mode picked becomes its mode (on another
// printer: that printer's mode with the user's picks).
bool ExecutePrintDialog(TPrintDialogData& Data, TPrinter* Printer = nullptr);
bool ExecutePrinterSetupDialog(TPrinterSetupData& Data, TPrinter* Printer = nullptr);

// Open dialog as a component: set the properties, Execute, read FileName and FilterIndex.
class TOpenDialog : public TComponent {
  DECLARE_CLASSINFO(TOpenDialog)
public:
  explicit TOpenDialog(TComponent* AOwner);
  const std::string& Title() const { return FData.Title; }
  void SetTitle(const std::string& V) { FData.Title = V; }
  const std::string& Filter() const { return FData.Filter; }
  void SetFilter(const std::string& V) { FData.Filter = V; }
  int FilterIndex() const { return FData.FilterIndex; }
  void SetFilterIndex(int V) { FData.FilterIndex = V; }
  const std::string& DefaultExt() const { return FData.DefaultExt; }
  void SetDefaultExt(const std::string& V) { FData.DefaultExt = V; }
  const std::string& InitialDir() const { return FData.InitialDir; }
  void SetInitialDir(const std::string& V) { FData.InitialDir = V; }
  const std::string& FileName() const { return FData.FileName; }
  void SetFileName(const std::string& V) { FData.FileName = V; }
  uint32_t Options() const { return FData.Options; }
  void SetOptions(uint32_t V) { FData.Options = V; }
  const std::vector<std::string>& Files() const { return FData.Files; }
  // True when the user confirmed; FileName, Files and FilterIndex then hold the choice.
  virtual bool Execute();

protected:
  TFileDialogData FData;
};

class TSaveDialog : public TOpenDialog {
  DECLARE_CLASSINFO(TSaveDialog)
public:
  explicit TSaveDialog(TComponent* AOwner);
};
