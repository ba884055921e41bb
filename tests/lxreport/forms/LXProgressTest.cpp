#include "lxreport/forms/LXProgress.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "lxreport/LXExport.h"
#include "lxreport/forms/LXPrintDialog.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/Printers.h"
#include "platform/printing/VirtualPrinter.h"
#include "tests/platform/printing/VirtualPrinterFixture.h"

namespace {
class LXProgressTest : public VirtualPrinterTest {};

void Click(TControl* C) {
  QPointF P(5, 5);
  QMouseEvent Down(QEvent::MouseButtonPress, P, C->Widget()->mapToGlobal(P), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QMouseEvent Up(QEvent::MouseButtonRelease, P, C->Widget()->mapToGlobal(P), Qt::LeftButton, Qt::NoButton,
                 Qt::NoModifier);
  QCoreApplication::sendEvent(C->Widget(), &Down);
  QCoreApplication::sendEvent(C->Widget(), &Up);
}
}  // namespace

TEST_F(LXProgressTest, ProgressFormShowsOnlyMultiplesOfFiveOfThePrintersProgress) {
  TLXPrinter P;
  TLXProgressForm F(nullptr);
  EXPECT_EQ(F.Caption(), "Printing progress");
  EXPECT_EQ(F.ClientWidth(), 149);
  EXPECT_EQ(F.ClientHeight(), 97);
  EXPECT_EQ(F.CancelButton->Caption(), "Cancel");
  EXPECT_EQ(F.Gauge->Max(), 100);
  F.SetPrinter(&P);
  P.SetStatusWindow(F.Handle());

  P.SetProgress(37);
  Application->ProcessMessages();
  EXPECT_EQ(F.Info->Caption(), "");
  EXPECT_EQ(F.Gauge->Position(), 0);

  P.SetProgress(40);
  Application->ProcessMessages();
  EXPECT_EQ(F.Info->Caption(), "40%  Completed");
  EXPECT_EQ(F.Gauge->Position(), 40);

  // The form reads the printer's progress when the message arrives, not the message's.
  P.SetProgress(55);
  P.SetProgress(63);
  Application->ProcessMessages();
  EXPECT_EQ(F.Info->Caption(), "40%  Completed");
  PostMessage(F.Handle(), WM_LXPROGRESS, 63, 0);
  P.SetProgress(100);
  Application->ProcessMessages();
  EXPECT_EQ(F.Info->Caption(), "100%  Completed");
  EXPECT_EQ(F.Gauge->Position(), 100);
}

TEST_F(LXProgressTest, CancelButtonCancelsThePrintersRun) {
  auto P = std::make_unique<TLXPrinter>();
  TLXProgressForm F(nullptr);
  F.SetPrinter(P.get());
  P->SetStatusWindow(F.Handle());
  // An engine-like run: messages are handled before every record and a cancel ends it.
  P->BeginDoc();
  P->NewPage();
  int Records = 0;
  for (int R = 0; R < 100; ++R) {
    Application->ProcessMessages();
    if (P->Cancelled()) break;
    ++Records;
    P->SetProgress(R);
    if (R == 20) Click(F.CancelButton);
  }
  EXPECT_TRUE(P->Cancelled());
  EXPECT_EQ(Records, 21);
  EXPECT_EQ(F.Info->Caption(), "20%  Completed");
  P->EndDoc();
  P.reset();  // the form lets go of a freed printer
  EXPECT_EQ(F.Printer(), nullptr);
  F.CancelButtonClick(&F);
  PostMessage(F.Handle(), WM_LXPROGRESS, 50, 0);
  Application->ProcessMessages();
}

TEST_F(LXProgressTest, PrintDialogHandsBackRangeAndCopiesOrChangesNothing) {
  InstallPrinter(std::make_shared<TVirtualPrinter>("First", TVirtualPrinterConfig{}), true);
  InstallPrinter(std::make_shared<TVirtualPrinter>("Second", TVirtualPrinterConfig{}));
  auto Service = std::make_unique<TScriptedDialogService>();
  TScriptedDialogService* S = Service.get();
  TDialogServiceScope Scope(std::move(Service));

  TLXPrintDialog D(nullptr);
  EXPECT_TRUE(D.Ctl3D());
  int Shown = 0, Closed = 0;
  D.OnShow = [&](TObject*) { ++Shown; };
  D.OnClose = [&](TObject*) { ++Closed; };
  D.SetMinPage(1);
  D.SetMaxPage(12);
  D.SetFromPage(1);
  D.SetToPage(12);
  D.SetCopies(2);
  D.SetOptions(poPageNums | poPrintToFile);
  D.SetHelpContext(7);
  ASSERT_NE(Printer(), nullptr);
  EXPECT_EQ(Printer()->DeviceMode().Copies, 2);

  // Cancelled: every property and the printer stay as they were.
  S->Answers.push_back([](TDialogRequest& R) {
    auto* P = R.As<TPrintDialogData>();
    P->Copies = 9;
    P->FromPage = 3;
    P->PrinterName = "Second";
    return mrCancel;
  });
  EXPECT_FALSE(D.Execute());
  ASSERT_EQ(S->Calls.size(), 1u);
  const TPrintDialogData& Asked = S->Call<TPrintDialogData>(0);
  EXPECT_EQ(Asked.MinPage, 1);
  EXPECT_EQ(Asked.MaxPage, 12);
  EXPECT_EQ(Asked.Copies, 2);
  EXPECT_EQ(Asked.Options, poPageNums | poPrintToFile);
  EXPECT_EQ(Asked.HelpContext, 7);
  EXPECT_EQ(Asked.PrinterName, "First");
  EXPECT_EQ(D.Copies(), 2);
  EXPECT_EQ(D.FromPage(), 1);
  EXPECT_EQ(D.ToPage(), 12);
  EXPECT_EQ(D.PrintRange(), prAllPages);
  EXPECT_FALSE(D.Collate());
  EXPECT_EQ(Printer()->PrinterName(), "First");
  EXPECT_EQ(Printer()->DeviceMode().Copies, 2);
  EXPECT_EQ(Shown, 1);
  EXPECT_EQ(Closed, 1);

  // Confirmed: range, copies, collation, file and printer come back.
  S->Accept<TPrintDialogData>([](TPrintDialogData& Data) {
    Data.PrintRange = prPageNums;
    Data.FromPage = 3;
    Data.ToPage = 5;
    Data.Copies = 4;
    Data.Collate = true;
    Data.PrintToFile = true;
    Data.PrinterName = "Second";
  });
  EXPECT_TRUE(D.Execute());
  EXPECT_EQ(D.PrintRange(), prPageNums);
  EXPECT_EQ(D.FromPage(), 3);
  EXPECT_EQ(D.ToPage(), 5);
  EXPECT_EQ(D.Copies(), 4);
  EXPECT_TRUE(D.Collate());
  EXPECT_TRUE(D.PrintToFile());
  EXPECT_EQ(D.MinPage(), 1);
  EXPECT_EQ(D.MaxPage(), 12);
  EXPECT_EQ(Printer()->PrinterName(), "Second");
  EXPECT_EQ(Printer()->DeviceMode().Copies, 4);
  EXPECT_EQ(Closed, 2);

  // An answer without a count keeps the printer's copies.
  S->Accept<TPrintDialogData>([](TPrintDialogData& Data) { Data.Copies = 0; });
  EXPECT_TRUE(D.Execute());
  EXPECT_EQ(D.Copies(), 4);
}

TEST_F(LXProgressTest, PrintDialogWithoutPrintersStillAnswers) {
  auto Service = std::make_unique<TScriptedDialogService>();
  Service->Accept<TPrintDialogData>([](TPrintDialogData& Data) { Data.Copies = 3; });
  TDialogServiceScope Scope(std::move(Service));
  TLXPrintDialog D(nullptr);
  EXPECT_TRUE(D.Execute());
  EXPECT_EQ(D.Copies(), 3);
}

TEST_F(LXProgressTest, ExportCaptionGoesToTheNewestProgressForm) {
  ASSERT_TRUE(LXProgressCaption);
  TLXProgressForm Older(nullptr), Newer(nullptr);
  LXProgressCaption("Writing XLS file...");
  EXPECT_EQ(Newer.Caption(), "Writing XLS file...");
  EXPECT_EQ(Older.Caption(), "Printing progress");
}
