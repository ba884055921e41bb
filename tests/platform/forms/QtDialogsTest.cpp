#include "platform/forms/QtDialogs.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/forms/FormsApplication.h"
#include "platform/printing/PaperSizes.h"
#include "tests/platform/app/DialogsTestUtil.h"

namespace {
// A device mode as a printer object hands it to the dialog.
TDeviceMode DriverMode() {
  TDeviceMode M;
  M.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_COLLATE | DM_COLOR | DM_DEFAULTSOURCE | DM_FORMNAME;
  M.Orientation = DMORIENT_LANDSCAPE;
  M.PaperSize = DMPAPER_A5;
  M.Copies = 3;
  M.Color = 1;
  M.DefaultSource = DMBIN_MANUAL;
  M.FormName = "A5";
  return M;
}
}  // namespace

TEST(QtDialogsTest, TheQtServiceCancelsAtOnceWhereNobodyCanAnswer) {
  auto Previous = SetDialogService(nullptr);  // the default: the Qt one once the forms have started
  ExpectEveryDialogCancelled();
  // A request type without a Qt handler is a program error, said at once.
  struct TUnknownRequest : TDialogRequestOf<TUnknownRequest> {};
  TUnknownRequest U;
  EXPECT_THROW(DialogService().Execute(U), EInvalidOperation);
  struct TKnownRequest : TDialogRequestOf<TKnownRequest> {};
  RegisterQtDialog<TKnownRequest>([](TKnownRequest&) { return mrOk; });
  TKnownRequest K;
  EXPECT_EQ(DialogService().Execute(K), mrCancel);  // registered, but nobody can see it here
  SetDialogService(std::move(Previous));
}

TEST(QtDialogsTest, PrintDialogPutsTheDeviceModeOnItsPrinterAndHandsBackEverythingPicked) {
  TPrintDialogData Data;
  Data.DeviceMode = DriverMode();
  Data.Copies = 0;  // no count of its own: the mode's
  Data.Options = poPageNums | poPrintToFile;
  Data.MinPage = 1;
  Data.MaxPage = 9;
  bool Ran = false;
  ASSERT_TRUE(RunQtPrintDialog(Data, [&](QPrintDialog& D, QPrinter& P) {
    Ran = true;
    // What the dialog opens with.
    EXPECT_EQ(P.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(P.pageLayout().pageSize().id(), QPageSize::A5);
    EXPECT_EQ(P.copyCount(), 3);
    EXPECT_EQ(P.colorMode(), QPrinter::GrayScale);
    EXPECT_EQ(P.paperSource(), QPrinter::Manual);
    EXPECT_EQ(D.maxPage(), 9);
    // What the user picks, on the dialog's printer as the dialog would set it.
    P.setPageSize(QPageSize(QPageSize::A3));
    P.setPageOrientation(QPageLayout::Portrait);
    P.setCopyCount(4);
    P.setCollateCopies(true);
    P.setColorMode(QPrinter::Color);
    P.setPaperSource(QPrinter::Lower);
    P.setOutputFileName("/tmp/mor-print-dialog.pdf");
    D.setPrintRange(QAbstractPrintDialog::PageRange);
    D.setFromTo(2, 5);
    return true;
  }));
  ASSERT_TRUE(Ran);
  const TDeviceMode& M = Data.DeviceMode;
  EXPECT_EQ(M.PaperSize, DMPAPER_A3);
  EXPECT_EQ(M.PaperWidth, 2970);
  EXPECT_EQ(M.PaperLength, 4200);
  EXPECT_TRUE(M.Has(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH));
  EXPECT_EQ(M.Orientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(M.Copies, 4);
  EXPECT_EQ(M.Collate, 1);
  EXPECT_EQ(M.Color, 2);
  EXPECT_EQ(M.DefaultSource, DMBIN_LOWER);
  EXPECT_FALSE(M.Has(DM_DUPLEX));  // not touched: not added
  EXPECT_EQ(Data.Copies, 4);
  EXPECT_TRUE(Data.Collate);
  EXPECT_TRUE(Data.PrintToFile);
  EXPECT_EQ(Data.OutputFileName, "/tmp/mor-print-dialog.pdf");
  EXPECT_EQ(Data.PrintRange, prPageNums);
  EXPECT_EQ(Data.FromPage, 2);
  EXPECT_EQ(Data.ToPage, 5);

  // Nothing picked: the mode comes back as it went in. Cancelled: nothing comes back.
  TPrintDialogData Same;
  Same.DeviceMode = DriverMode();
  Same.Copies = 0;
  ASSERT_TRUE(RunQtPrintDialog(Same, [](QPrintDialog&, QPrinter&) { return true; }));
  EXPECT_EQ(Same.DeviceMode, DriverMode());
  TPrintDialogData Before = Data;
  EXPECT_FALSE(RunQtPrintDialog(Data, [](QPrintDialog&, QPrinter& P) {
    P.setCopyCount(9);
    return false;
  }));
  EXPECT_EQ(Data.DeviceMode, Before.DeviceMode);
  EXPECT_EQ(Data.Copies, Before.Copies);
}

TEST(QtDialogsTest, PrinterSetupDialogHandsBackPaperAndOrientation) {
  TPrinterSetupData Data;
  Data.DeviceMode = DriverMode();
  ASSERT_TRUE(RunQtPrinterSetupDialog(Data, [](QPrintDialog& D, QPrinter& P) {
    EXPECT_EQ(D.windowTitle().toStdString(), "Configurar impressão");
    EXPECT_EQ(P.pageLayout().orientation(), QPageLayout::Landscape);
    P.setPageOrientation(QPageLayout::Portrait);
    P.setPageSize(QPageSize(QSizeF(100, 150), QPageSize::Millimeter));  // a size without a Windows code
    return true;
  }));
  EXPECT_EQ(Data.DeviceMode.Orientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(Data.DeviceMode.PaperSize, DMPAPER_USER);
  EXPECT_EQ(Data.DeviceMode.PaperWidth, 1000);
  EXPECT_EQ(Data.DeviceMode.PaperLength, 1500);
  EXPECT_EQ(Data.DeviceMode.Copies, 3);  // untouched fields stay the driver's
  EXPECT_EQ(Data.DeviceMode.DefaultSource, DMBIN_MANUAL);
}

// Qt reads an entry's patterns from its last parentheses and shows the description as it is: a
// description that names its patterns already must not show them twice.
TEST(QtDialogsTest, NameFiltersShowEachEntrysPatternsOnce) {
  QStringList F = QtNameFilters("VexaReport file(*.LXP)|*.LXP|VexaReport file (*.LXP)|*.LXP|Texto (*.txt; *.TXT)|*.txt;*.TXT|"
                                "Comma Separated (*.CSV)|*.TXT|Formato de Documento portavel (PDF)");
  EXPECT_EQ(F, (QStringList{"VexaReport file (*.LXP)", "VexaReport file (*.LXP)", "Texto (*.txt *.TXT)",
                            "Comma Separated (*.CSV) (*.TXT)", "Formato de Documento portavel (PDF) (*)"}));
}

// Qt's own texts in its dialogs are Brazilian Portuguese (qt6-translations-l10n, scripts/deps.sh).
TEST(QtDialogsTest, QtsOwnTextsArePortuguese) {
  ASSERT_TRUE(QtTranslationsLoaded()) << "Qt's translations are installed by scripts/deps.sh";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "&Nome do arquivo:");
}
