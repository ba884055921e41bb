// The dialog service that shows Qt dialogs to a person: one Qt handler per request type.
#include "platform/forms/QtDialogs.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include <cstdio>
#include <unordered_map>

#include "platform/app/AppConsts.h"
#include "platform/forms/FormsConsts.h"
#include "platform/printing/cups/QtPrinterMode.h"

namespace {
QString Q(const std::string& S) { return QString::fromStdString(S); }

// Under the offscreen platform nobody can answer a dialog: running one would wait
// forever, so it is cancelled at once (and said so on stderr).
bool Headless(const TDialogRequest& Request) {
  QString P = QGuiApplication::platformName();
  if (P != "offscreen" && P != "minimal") return false;
  fprintf(stderr, "Dialog not shown (%s): no display (install a scripted dialog service)\n", typeid(Request).name());
  return true;
}


TModalResult ShowMessageBox(TMessageRequest& R) {
  QMessageBox Box;
  Box.setWindowTitle(Q(R.Caption));
  Box.setText(Q(R.Text));
  switch (R.Type) {
    case mtWarning: Box.setIcon(QMessageBox::Warning); break;
    case mtError: Box.setIcon(QMessageBox::Critical); break;
    case mtInformation: Box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: Box.setIcon(QMessageBox::Question); break;
    default: break;
  }
  std::vector<std::pair<QAbstractButton*, TMsgDlgBtn>> Buttons;
  for (TMsgDlgBtn B : R.ButtonList()) {
    QMessageBox::ButtonRole Role = B == mbCancel || B == mbNo || B == mbAbort ? QMessageBox::RejectRole
                                   : B == mbHelp                              ? QMessageBox::HelpRole
                                                                              : QMessageBox::AcceptRole;
    QPushButton* Btn = Box.addButton(Q(MsgDlgButtonCaption(B)), Role);
    Buttons.emplace_back(Btn, B);
    if (static_cast<int>(B) == R.DefaultButton || (R.DefaultButton < 0 && Buttons.size() == 1))
      Box.setDefaultButton(Btn);
    if (B == mbCancel) Box.setEscapeButton(Btn);
  }
  Box.exec();
  for (auto& [Btn, B] : Buttons)
    if (Box.clickedButton() == Btn) return MsgDlgButtonResult(B);
  return mrCancel;
}

TModalResult ShowFileDialog(TFileDialogData& Data) {
  QFileDialog D(nullptr, Q(Data.Title), Q(Data.InitialDir));
  D.setAcceptMode(Data.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  D.setFileMode(Data.Save                               ? QFileDialog::AnyFile
                : (Data.Options & ofAllowMultiSelect)   ? QFileDialog::ExistingFiles
                : (Data.Options & ofFileMustExist)      ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
  if (Data.Save && !(Data.Options & ofOverwritePrompt)) D.setOption(QFileDialog::DontConfirmOverwrite);
  QStringList Filters = QtNameFilters(Data.Filter);
  D.setNameFilters(Filters);
  if (Data.FilterIndex >= 1 && Data.FilterIndex <= Filters.size()) D.selectNameFilter(Filters[Data.FilterIndex - 1]);
  if (!Data.DefaultExt.empty()) D.setDefaultSuffix(Q(Data.DefaultExt));
  if (!Data.FileName.empty()) D.selectFile(Q(Data.FileName));
  if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return mrCancel;
  Data.Files.clear();
  for (const QString& F : D.selectedFiles()) Data.Files.push_back(ApplyDefaultExt(F.toStdString(), Data.DefaultExt));
  Data.FileName = Data.Files.front();
  int I = static_cast<int>(Filters.indexOf(D.selectedNameFilter()));
  if (I >= 0) Data.FilterIndex = I + 1;
  return mrOk;
}

TModalResult ShowInputBox(TInputRequest& R) {
  QInputDialog D;
  D.setWindowTitle(Q(R.Caption));
  D.setLabelText(Q(R.Prompt));
  D.setTextValue(Q(R.Value));
  D.setOkButtonText(SMsgDlgOK);
  D.setCancelButtonText(SMsgDlgCancel);
  if (D.exec() != QDialog::Accepted) return mrCancel;
  R.Value = D.textValue().toStdString();
  return mrOk;
}

bool RunExec(QPrintDialog& D, QPrinter&) { return D.exec() == QDialog::Accepted; }

// The dialog's printer, set up from a printer name and a device mode.
void PreparePrinter(QPrinter& P, const std::string& PrinterName, const TDeviceMode& Mode) {
  if (!PrinterName.empty()) P.setPrinterName(Q(PrinterName));  // first: a new printer resets its settings
  DeviceModeToQPrinter(Mode, P);
}

// The device mode handed back: Base with what the user changed on the dialog's printer since Shown
// was taken; without a Base, all the printer holds.
TDeviceMode PickedMode(const TDeviceMode& Base, const TDeviceMode& Shown, const QPrinter& P) {
  TDeviceMode Picked = DeviceModeOfQPrinter(P);
  if (!Base.Fields) return Picked;
  return TakeDeviceModeFields(Base, Picked, DeviceModeDifferences(Shown, Picked));
}

std::unordered_map<std::type_index, TQtDialogHandler>& Handlers() {
  static std::unordered_map<std::type_index, TQtDialogHandler> H = [] {
    std::unordered_map<std::type_index, TQtDialogHandler> M;
    auto Add = [&M]<class T>(TModalResult (*Show)(T&)) {
      M[typeid(T)] = [Show](TDialogRequest& R) { return Show(static_cast<T&>(R)); };
    };
    Add(&ShowMessageBox);
    Add(&ShowFileDialog);
    Add(&ShowInputBox);
    Add(+[](TPrintDialogData& D) { return RunQtPrintDialog(D, RunExec) ? mrOk : mrCancel; });
    Add(+[](TPrinterSetupData& D) { return RunQtPrinterSetupDialog(D, RunExec) ? mrOk : mrCancel; });
    return M;
  }();
  return H;
}

class TQtDialogService : public TDialogService {
public:
  TModalResult Execute(TDialogRequest& Request) override {
    auto It = Handlers().find(typeid(Request));
    if (It == Handlers().end())
      throw EInvalidOperation(Format(SNoQtDialog, {typeid(Request).name()}));
    if (Headless(Request)) return mrCancel;
    return It->second(Request);
  }
};
}  // namespace

QStringList QtNameFilters(const std::string& Filter) {
  QStringList L;
  for (const TFileFilter& F : ParseFileFilter(Filter)) {
    QStringList Pats;
    for (const std::string& P : F.Patterns) Pats << (P == "*.*" ? QString("*") : Q(P));
    // A description that shows its patterns already ("Report (*.LXP)") gets them once: Qt adds
    // no text of its own, it reads the patterns from the last parentheses.
    QString Description = Q(F.Description).trimmed(), Shown = Pats.join(' ');
    if (Description.endsWith(")")) {
      qsizetype Open = Description.lastIndexOf('(');
      QStringList Own = Description.mid(Open + 1, Description.size() - Open - 2)
                            .split(QRegularExpression("[ ;,]+"), Qt::SkipEmptyParts);
      if (Open >= 0 && Own.join(' ') == Shown) Description = Description.left(Open).trimmed();
    }
    L << Description + " (" + Shown + ")";
  }
  return L;
}

std::unique_ptr<TDialogService> CreateQtDialogService() { return std::make_unique<TQtDialogService>(); }

void RegisterQtDialog(std::type_index RequestType, TQtDialogHandler Show) { Handlers()[RequestType] = std::move(Show); }

bool RunQtPrintDialog(TPrintDialogData& Data, const TQtPrintDialogExec& Exec) {
  QPrinter P;
  PreparePrinter(P, Data.PrinterName, Data.DeviceMode);
  // The dialog's own copies and collation win over the mode's; no count keeps the mode's.
  if (Data.Copies >= 1) P.setCopyCount(Data.Copies);
  P.setCollateCopies(Data.Collate);
  if (Data.PrintToFile && !Data.OutputFileName.empty()) P.setOutputFileName(Q(Data.OutputFileName));
  QPrintDialog D(&P);
  QAbstractPrintDialog::PrintDialogOptions O = QAbstractPrintDialog::PrintShowPageSize;
  if (Data.Options & poPageNums) O |= QAbstractPrintDialog::PrintPageRange;
  if (Data.Options & poSelection) O |= QAbstractPrintDialog::PrintSelection;
  if ((Data.Options & poPrintToFile) && !(Data.Options & poDisablePrintToFile)) O |= QAbstractPrintDialog::PrintToFile;
  O |= QAbstractPrintDialog::PrintCollateCopies;
  D.setOptions(O);
  if (Data.MinPage || Data.MaxPage) D.setMinMax(Data.MinPage, Data.MaxPage);
  if (Data.FromPage || Data.ToPage) D.setFromTo(Data.FromPage, Data.ToPage);
  D.setPrintRange(Data.PrintRange == prSelection ? QAbstractPrintDialog::Selection
                  : Data.PrintRange == prPageNums ? QAbstractPrintDialog::PageRange
                                                  : QAbstractPrintDialog::AllPages);
  TDeviceMode Shown = DeviceModeOfQPrinter(P);
  if (!Exec(D, P)) return false;
  Data.PrintRange = D.printRange() == QAbstractPrintDialog::Selection   ? prSelection
                    : D.printRange() == QAbstractPrintDialog::PageRange ? prPageNums
                                                                        : prAllPages;
  Data.FromPage = D.fromPage();
  Data.ToPage = D.toPage();
  Data.Copies = P.copyCount();
  Data.Collate = P.collateCopies();
  Data.OutputFileName = P.outputFileName().toStdString();
  Data.PrintToFile = !Data.OutputFileName.empty();
  // Printing to a file leaves the printer without a name: the one chosen before stays.
  if (!P.printerName().isEmpty()) Data.PrinterName = P.printerName().toStdString();
  Data.DeviceMode = PickedMode(Data.DeviceMode, Shown, P);
  return true;
}

bool RunQtPrinterSetupDialog(TPrinterSetupData& Data, const TQtPrintDialogExec& Exec) {
  QPrinter P;
  PreparePrinter(P, Data.PrinterName, Data.DeviceMode);
  QPrintDialog D(&P);
  D.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  D.setWindowTitle(QString::fromUtf8(SPrinterSetupCaption));
  TDeviceMode Shown = DeviceModeOfQPrinter(P);
  if (!Exec(D, P)) return false;
  if (!P.printerName().isEmpty()) Data.PrinterName = P.printerName().toStdString();
  Data.DeviceMode = PickedMode(Data.DeviceMode, Shown, P);
  return true;
}
