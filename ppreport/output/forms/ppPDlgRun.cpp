// The print dialog at work: loading its controls from the page request and the printer, the
// controls' events, the checks of OK, and putting the choices back after a cancel.
#include <QApplication>

#include <algorithm>
#include <array>

#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppUtils.h"
#include "ppreport/output/forms/ppPDlg.h"

namespace {
std::string Trimmed(const std::string& S) {
  const size_t B = S.find_first_not_of(' ');
  return B == std::string::npos ? std::string() : S.substr(B, S.find_last_not_of(' ') - B + 1);
}

// The device-type name a class is registered under (empty when it is not).
std::string RegisteredDeviceName(const TClassInfo& Class) {
  for (const TppDeviceClassEntry& E : GetDeviceClasses())
    if (E.Class == &Class) return E.DeviceName;
  return {};
}

// The printers to choose from: the list without "Screen", and without "Default" when it stands
// for no printer at all (the list always holds it).
std::vector<std::string> ChoosablePrinterNames(TppPrinterSetup& Setup) {
  std::vector<std::string> Names;
  bool Real = false;
  if (TStrings* All = Setup.PrinterNames())
    for (int I = 0; I < All->Count(); ++I) {
      const std::string N = All->Get(I);
      if (N == "Screen") continue;
      Names.push_back(N);
      if (N != "Default") Real = true;
    }
  if (!Real) Names.clear();
  return Names;
}

bool IsFileDeviceClass(const TClassInfo* Class) {
  return Class && Class->InheritsFrom(&TppFileDevice::StaticClassInfo());
}
}  // namespace

// ---- inputs

void TppPrintDialog::SetPageRequest(TppPageRequest* Request) {
  TppCustomPrintDialog::SetPageRequest(Request);
  if (Request && Request != FOwnPageRequest.get()) FOwnPageRequest->Assign(Request);
}

void TppPrintDialog::SetBackgroundPrintSettings(TppBackgroundPrintSettings* Settings) {
  if (Settings) FBackgroundPrintSettings->Assign(Settings);
}

int TppPrintDialog::PrinterPicture(const std::string& PrinterName) {
  std::shared_ptr<TppPrinterInfo> Info = GetPrinterList()->GetPrinterInfo(PrinterName, false);
  if (!Info) return 0;
  // A queue whose device is reached over the network, by the scheme of its address.
  const std::string& Port = Info->Port();
  const size_t Colon = Port.find("://");
  if (Colon == std::string::npos) return 0;
  const std::string Scheme = LowerCaseAscii(Port.substr(0, Colon));
  static const std::array<const char*, 9> Network = {"ipp",  "ipps", "http", "https", "socket",
                                                     "lpd", "smb",  "dnssd", "mdns"};
  return std::any_of(Network.begin(), Network.end(), [&](const char* S) { return Scheme == S; }) ? 1 : 0;
}

const TClassInfo* TppPrintDialog::SelectedFileClass() const {
  const int I = cbxPrintToFileTypes->ItemIndex();
  return I >= 0 && I < static_cast<int>(FFileClasses.size()) ? FFileClasses[static_cast<size_t>(I)] : nullptr;
}

// ---- activation

void TppPrintDialog::Activate() {
  TppCustomPrintDialog::Activate();
  if (!FInitialised) InitDialog();
}

void TppPrintDialog::DoShow() {
  TppCustomPrintDialog::DoShow();
  if (!FInitialised) InitDialog();
}

void TppPrintDialog::InitDialog() {
  if (!Printer || !PageRequest) return;
  FWorkRequest = PageRequest;
  FWorkPrinter = Printer;
  SaveChoices();
  TRestore<bool> Quiet(FInitialising, true);
  InitPrinters();
  LoadPageRequest();
  InitPrintToFile();
  InitBackgroundPrinting();
  FInitialised = true;
}

void TppPrintDialog::InitPrinters() {
  TppPrinterSetup* Setup = FWorkPrinter->GetPrinterSetup();
  cbxPrinters->Items().Clear();
  const std::vector<std::string> Names = ChoosablePrinterNames(*Setup);
  if (!Names.empty()) {
    cbxPrinters->SetSorted(true);
    for (const std::string& N : Names) cbxPrinters->Items().Add(N);
    int I = cbxPrinters->Items().IndexOf(Setup->PrinterName());
    if (I < 0) {
      Setup->SetPrinterName(cbxPrinters->Items().Get(0));
      I = 0;
    }
    cbxPrinters->SetItemIndex(I);
  } else {
    cbxPrinters->SetVisible(false);
    btnPrinterProperties->SetVisible(false);
    lblNoPrintersInstalled->SetCaption(LanguageString(8));
    lblNoPrintersInstalled->SetVisible(true);
  }
  UpdatePrinterInfo();
}

void TppPrintDialog::UpdatePrinterInfo() {
  std::shared_ptr<TppPrinterInfo> Info = FWorkPrinter ? FWorkPrinter->GetPrinterSetup()->PrinterInfo() : nullptr;
  lblPrinterTypeDesc->SetCaption(Info ? Info->Device() : std::string());
  lblPrinterWhereDesc->SetCaption(Info ? Info->Port() : std::string());
}

void TppPrintDialog::LoadPageRequest() {
  const TStringList& List = *FWorkRequest->PageList();
  auto Joined = [&List](const char* Separator) {
    std::string Text;
    for (int I = 0; I < List.Count(); ++I) Text += (I ? Separator : "") + Trimmed(List.Get(I));
    return Text;
  };
  switch (FWorkRequest->PageSetting()) {
    case psPageList:
      rdbPages->SetChecked(true);
      edtPageRange->SetText(Joined(","));
      break;
    case psSinglePage:
      rdbCurrentPage->SetChecked(true);
      break;
    case psPageRange:
      // A range keeps its bounds beside the list.
      rdbPages->SetChecked(true);
      edtPageRange->SetText(IntToStr(FWorkRequest->RangeFrom()) + "-" + IntToStr(FWorkRequest->RangeTo()));
      break;
    default:
      rdbAll->SetChecked(true);
      break;
  }
  cbxPrintWhat->SetItemIndex(static_cast<int>(FWorkRequest->PageRange()));
  TppPrinterSetup* Setup = FWorkPrinter->GetPrinterSetup();
  SetCopiesText(Setup->Copies());
  cbxCollate->SetChecked(Setup->Collation());
  UpdateCollationPicture();
}

void TppPrintDialog::InitPrintToFile() {
  cbxPrintToFileTypes->Items().Clear();
  FFileClasses.clear();
  if (!AllowPrintToFile && !AllowPrintToArchive) {
    pnlPrintToFile->SetVisible(false);
    SetClientHeight(ClientHeight() - pnlPrintToFile->Height());
    return;
  }
  pnlPrintToFile->SetVisible(true);
  const std::vector<TppDeviceClassEntry> Classes = GetDeviceClasses();
  auto Add = [&](const TppDeviceClassEntry& E) {
    FFileClasses.push_back(E.Class);
    cbxPrintToFileTypes->Items().Add(E.FileType.FileDescription(static_cast<TppLanguageType>(LanguageIndex())));
  };
  if (AllowPrintToArchive)
    for (const TppDeviceClassEntry& E : Classes)
      if (IsFileDeviceClass(E.Class) && IsArchiveDeviceClass(*E.Class)) Add(E);
  if (AllowPrintToFile)
    for (const TppDeviceClassEntry& E : Classes)
      if (IsFileDeviceClass(E.Class) && !IsArchiveDeviceClass(*E.Class)) Add(E);

  const TClassInfo* Current = DeviceClassForName(DeviceType);
  if (!Current) Current = DeviceClassForName(ppPrinterDeviceName);
  SelectFileType(Current);
  if (Current && Current == DeviceClassForName(ppArchiveDeviceName))
    SaveDialog1->SetFileName(ArchiveFileName);
  else if (IsFileDeviceClass(Current))
    SaveDialog1->SetFileName(TextFileName);
  UpdatePrintToFileControls();
}

void TppPrintDialog::SelectFileType(const TClassInfo* DeviceClass) {
  cbxPrintToFileTypes->SetItemIndex(FFileClasses.empty() ? -1 : 0);
  if (!IsFileDeviceClass(DeviceClass)) return;
  // A file type the dialog may not offer (an archive when archives are not allowed) is not chosen.
  const auto At = std::find(FFileClasses.begin(), FFileClasses.end(), DeviceClass);
  if (At == FFileClasses.end()) return;
  cbxPrintToFileTypes->SetItemIndex(static_cast<int>(At - FFileClasses.begin()));
  cbxPrintToFile->SetChecked(true);
}

void TppPrintDialog::UpdatePrintToFileControls() {
  // Setting the edit's text below calls back here through its change event.
  if (FUpdatingFileControls) return;
  TRestore<bool> Busy(FUpdatingFileControls, true);
  const bool On = cbxPrintToFile->Checked();
  spbPrintToFile->SetEnabled(On);
  cbxPrintToFileTypes->SetEnabled(On);
  edtPrintToFileName->SetEnabled(On);
  auto ShowFileName = [this] {
    if (!SaveDialog1->FileName().empty()) SaveDialog1->SetInitialDir(ExtractDirectoryPart(SaveDialog1->FileName()));
    edtPrintToFileName->SetText(SaveDialog1->FileName());
  };
  ShowFileName();
  const TClassInfo* Class = SelectedFileClass();
  if (!Class) return;
  SaveDialog1->SetFileName(IsArchiveDeviceClass(*Class) ? ArchiveFileName : TextFileName);
  ShowFileName();
  const TppFileTypeInfo Type = DeviceClassFileType(*Class);
  DefaultFileExt = Type.DefaultExt();
  SaveDialog1->SetDefaultExt(DefaultFileExt);
  FileFilter = Type.FileFilter();
  SaveDialog1->SetFilter(FileFilter);
}

void TppPrintDialog::StoreFileName() {
  const TClassInfo* Class = SelectedFileClass();
  if (!Class) return;
  (IsArchiveDeviceClass(*Class) ? ArchiveFileName : TextFileName) = edtPrintToFileName->Text();
}

std::string TppPrintDialog::CompletedFileName() const {
  std::string Name = edtPrintToFileName->Text();
  const TClassInfo* Class = SelectedFileClass();
  if (!Class || Name.empty()) return Name;
  const std::string Ext = DeviceClassFileType(*Class).DefaultExt();
  if (Ext.empty()) return Name;
  const std::string Own = ExtractFileExt(Name);
  if (Own.empty()) return Name + "." + Ext;
  if (Own == ".") return Name + Ext;
  return Name;
}

void TppPrintDialog::CompleteFileExtension() {
  const TClassInfo* Class = SelectedFileClass();
  if (!Class) return;
  (IsArchiveDeviceClass(*Class) ? ArchiveFileName : TextFileName) = CompletedFileName();
}

void TppPrintDialog::InitBackgroundPrinting() {
  if (DesignTime) {
    cbxBackgroundPrinting->SetVisible(false);
    return;
  }
  cbxBackgroundPrinting->SetVisible(FBackgroundPrintSettings->Enabled());
  cbxBackgroundPrinting->SetChecked(FBackgroundPrintSettings->Active());
}

void TppPrintDialog::UpdateCollationPicture() {
  FCollationPicture = cbxCollate->Checked() ? 0 : 1;
  imgCollate->Invalidate();
}

// ---- copies

int TppPrintDialog::CopiesValue() const { return StrToIntDef(Trimmed(edtCopies->Text()), 1); }

void TppPrintDialog::SetCopiesText(int Copies) { edtCopies->SetText(IntToStr(Copies)); }

void TppPrintDialog::udCopiesClick(TUDBtnType Button) {
  // The field holds three digits: the arrows stay within 1 to 999.
  if (Button == btNext)
    SetCopiesText(std::min(CopiesValue() + 1, 999));
  else
    SetCopiesText(std::max(CopiesValue() - 1, 1));
}

// ---- events

void TppPrintDialog::cbxPrintersChange() {
  const int I = cbxPrinters->ItemIndex();
  if (!FWorkPrinter || I < 0) return;
  FWorkPrinter->GetPrinterSetup()->SetPrinterName(cbxPrinters->Items().Get(I));
  UpdatePrinterInfo();
}

void TppPrintDialog::btnPrinterPropertiesClick() {
  if (!FWorkPrinter || !FWorkPrinter->ShowPrinterProperties()) return;
  UpdatePrinterInfo();
  PrinterPropertiesAccepted = true;
}

void TppPrintDialog::cbxPrintWhatChange() {
  if (FInitialising || !FWorkRequest) return;
  const int I = cbxPrintWhat->ItemIndex();
  if (I >= 0) FWorkRequest->SetPageRange(static_cast<TppPageRangeType>(I));
}

void TppPrintDialog::btnPrintToFileClick() {
  if (!SaveDialog1->Execute()) return;
  edtPrintToFileName->SetText(SaveDialog1->FileName());
  StoreFileName();
  UpdatePrintToFileControls();
}

void TppPrintDialog::edtPrintToFileNameChange() {
  if (FInitialising || FUpdatingFileControls) return;
  SaveDialog1->SetFileName(edtPrintToFileName->Text());
  StoreFileName();
  UpdatePrintToFileControls();
}

bool TppPrintDialog::PrintToFileChosen() const {
  return (AllowPrintToFile || AllowPrintToArchive) && cbxPrintToFile->Checked();
}

// ---- OK

bool TppPrintDialog::PrinterUsable() {
  const std::string Chosen = FWorkPrinter->PrinterName();
  TDeviceContext* DC = nullptr;
  try {
    DC = FWorkPrinter->GetDC();
  } catch (const EPrintError&) {
  }
  // A printer that cannot be opened gives way to the screen, which prints nothing.
  return DC && (Chosen == "Screen" || FWorkPrinter->PrinterName() != "Screen");
}

bool TppPrintDialog::CheckFileName() {
  if (SaveDialog1->FileName().empty()) {
    MessageDlg(LanguageString(33), mtInformation, MsgButton(mbOK));
    return false;
  }
  // The name asked about is the one the device will write, extension completed.
  const std::string Name = CompletedFileName();
  if (!FileExists(Name)) return true;
  QApplication::beep();
  return MessageDlg(Name + SppFileExists + "\n" + SppFileReplace, mtWarning, mbYesNo) == mrYes;
}

void TppPrintDialog::btnOKClick() {
  if (!FWorkRequest || !FWorkPrinter) {
    SetModalResult(mrOk);
    return;
  }
  TStringList Pages;
  if (rdbPages->Checked()) {
    try {
      ParsePageList(edtPageRange->Text(), Pages, true);
    } catch (const EPrintError& E) {
      MessageDlg(E.Message(), mtInformation, MsgButton(mbOK));
      return;
    }
    if (Pages.Count() == 0) {
      MessageDlg(LanguageString(32), mtInformation, MsgButton(mbOK));
      return;
    }
  }
  // A file is checked whatever the pages: a list of pages may not overwrite a file unasked.
  if (PrintToFileChosen() && !CheckFileName()) return;

  if (rdbPages->Checked()) {
    FWorkRequest->SetPageList(&Pages);
    FWorkRequest->SetPageSetting(psPageList);
  } else if (rdbCurrentPage->Checked()) {
    FWorkRequest->SetPageSetting(psSinglePage);
  }
  // A copies text that is not a number prints one copy.
  SetCopiesText(CopiesValue());
  FWorkPrinter->GetPrinterSetup()->SetCopies(CopiesValue());
  if (PrintToFileChosen()) {
    CompleteFileExtension();
    const TClassInfo* Class = SelectedFileClass();
    PrintToArchive = Class && IsArchiveDeviceClass(*Class);
    if (Class) DeviceType = RegisteredDeviceName(*Class);
    PrintToFile = !PrintToArchive && Class;
  }
  if (!PrintToFile && !PrintToArchive && !PrinterUsable()) {
    const bool None = ChoosablePrinterNames(*FWorkPrinter->GetPrinterSetup()).empty();
    const std::string Own = LanguageString(459);
    MessageDlg(None ? LanguageString(8) : (Own.empty() ? std::string(SppPrinterNoContext) : Own), mtWarning,
               MsgButton(mbOK));
    return;
  }
  SetModalResult(mrOk);
}

// ---- cancel

void TppPrintDialog::SaveChoices() {
  FSaved.Request = std::make_unique<TppPageRequest>();
  FSaved.Request->Assign(FWorkRequest);
  TppPrinterSetup* Setup = FWorkPrinter->GetPrinterSetup();
  FSaved.PrinterName = Setup->PrinterName();
  FSaved.Copies = Setup->Copies();
  FSaved.Collation = Setup->Collation();
  FSaved.BackgroundActive = FBackgroundPrintSettings->Active();
  FSaved.ArchiveFileName = ArchiveFileName;
  FSaved.TextFileName = TextFileName;
  FSaved.DeviceType = DeviceType;
  FSaved.Valid = true;
}

void TppPrintDialog::RestoreChoices() {
  if (!FSaved.Valid) return;
  FWorkRequest->Assign(FSaved.Request.get());
  TppPrinterSetup* Setup = FWorkPrinter->GetPrinterSetup();
  if (Setup->PrinterName() != FSaved.PrinterName) Setup->SetPrinterName(FSaved.PrinterName);
  Setup->SetCopies(FSaved.Copies);
  Setup->SetCollation(FSaved.Collation);
  FBackgroundPrintSettings->SetActive(FSaved.BackgroundActive);
  ArchiveFileName = FSaved.ArchiveFileName;
  TextFileName = FSaved.TextFileName;
  DeviceType = FSaved.DeviceType;
  PrintToFile = PrintToArchive = false;
}

void TppPrintDialog::DialogClosed(TModalResult Result) {
  if (Result != mrOk) RestoreChoices();
}
