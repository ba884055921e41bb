// The dialog service that shows Qt dialogs to a person.
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cstdio>

#include "platform/forms/Dialogs.h"

namespace {
QString Q(const std::string& S) { return QString::fromStdString(S); }

// Under the offscreen platform nobody can answer a dialog: running one would wait
// forever, so it is cancelled at once (and said so on stderr).
bool Headless(const char* What) {
  QString P = QGuiApplication::platformName();
  if (P != "offscreen" && P != "minimal") return false;
  fprintf(stderr, "%s not shown: no display (install a scripted dialog service)\n", What);
  return true;
}

QStringList QtNameFilters(const std::string& Filter) {
  QStringList L;
  for (const TFileFilter& F : ParseFileFilter(Filter)) {
    QStringList Pats;
    for (const std::string& P : F.Patterns) Pats << (P == "*.*" ? QString("*") : Q(P));
    L << Q(F.Description) + " (" + Pats.join(' ') + ")";
  }
  return L;
}

class TQtDialogService : public TDialogService {
public:
  TModalResult MessageDialog(const TMessageRequest& R) override {
    if (Headless("Message dialog")) return mrCancel;
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

  bool FileDialog(TFileDialogData& Data) override {
    if (Headless("File dialog")) return false;
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
    if (D.exec() != QDialog::Accepted || D.selectedFiles().isEmpty()) return false;
    Data.Files.clear();
    for (const QString& F : D.selectedFiles()) Data.Files.push_back(ApplyDefaultExt(F.toStdString(), Data.DefaultExt));
    Data.FileName = Data.Files.front();
    int I = static_cast<int>(Filters.indexOf(D.selectedNameFilter()));
    if (I >= 0) Data.FilterIndex = I + 1;
    return true;
  }

  bool PrintDialog(TPrintDialogData& Data) override {
    if (Headless("Print dialog")) return false;
    QPrinter P;
    if (!Data.PrinterName.empty()) P.setPrinterName(Q(Data.PrinterName));
    P.setCopyCount(std::max(Data.Copies, 1));
    P.setCollateCopies(Data.Collate);
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
    if (D.exec() != QDialog::Accepted) return false;
    Data.PrintRange = D.printRange() == QAbstractPrintDialog::Selection   ? prSelection
                      : D.printRange() == QAbstractPrintDialog::PageRange ? prPageNums
                                                                          : prAllPages;
    Data.FromPage = D.fromPage();
    Data.ToPage = D.toPage();
    Data.Copies = P.copyCount();
    Data.Collate = P.collateCopies();
    Data.PrintToFile = !P.outputFileName().isEmpty();
    Data.PrinterName = P.printerName().toStdString();
    return true;
  }

  bool PrinterSetupDialog(TPrinterSetupData& Data) override {
    if (Headless("Printer setup dialog")) return false;
    QPrinter P;
    if (!Data.PrinterName.empty()) P.setPrinterName(Q(Data.PrinterName));
    P.setPageOrientation(Data.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    P.setCopyCount(std::max(Data.Copies, 1));
    QPrintDialog D(&P);
    D.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    D.setWindowTitle(QString::fromUtf8("Configurar impressão"));
    if (D.exec() != QDialog::Accepted) return false;
    Data.PrinterName = P.printerName().toStdString();
    Data.Landscape = P.pageLayout().orientation() == QPageLayout::Landscape;
    Data.Copies = P.copyCount();
    return true;
  }

  bool InputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value) override {
    if (Headless("Input box")) return false;
    QInputDialog D;
    D.setWindowTitle(Q(Caption));
    D.setLabelText(Q(Prompt));
    D.setTextValue(Q(Value));
    D.setOkButtonText("OK");
    D.setCancelButtonText("Cancelar");
    if (D.exec() != QDialog::Accepted) return false;
    Value = D.textValue().toStdString();
    return true;
  }
};
}  // namespace

std::unique_ptr<TDialogService> CreateQtDialogService() { return std::make_unique<TQtDialogService>(); }
