#include "platform/forms/FormsApplication.h"

#include <QApplication>

#include "platform/app/GuardedApplication.h"
#include "platform/app/QtArguments.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/DesktopFacts.h"
#include "platform/forms/QtDialogs.h"
#include "platform/printing/cups/CupsPrinter.h"
#include "platform/sys/Process.h"

namespace {
int InitCount = 0;
QApplication* OwnQtApp = nullptr;
}  // namespace

void InitializeForms(int argc, char** argv, TDisplayMode Mode) {
  if (InitCount++ > 0) return;
  // Widgets need a QApplication; it is also the QGuiApplication that the
  // graphics and printing need, so it comes before InitializeApplication.
  if (!QCoreApplication::instance()) OwnQtApp = new TGuardedApplication<QApplication>(QtArgc(Mode), QtArgv());
  // A program with windows: the exception reporter shows its dialog instead of writing to the console.
  SetIsConsole(false);
  InitializeCupsPrinters();
  TOnException Undo([] {
    FinalizeCupsPrinters();
    delete OwnQtApp;
    OwnQtApp = nullptr;
    InitCount = 0;
  });
  InitializeApplication(argc, argv, Mode);
  SetDefaultDialogService(CreateQtDialogService);
  // A crash report asks the widgets for the active form and the focused control.
  SetDesktopHooks(QtDesktopHooks(QGuiApplication::platformName() != "offscreen" &&
                                 QGuiApplication::platformName() != "minimal"));
}

void FinalizeForms() {
  if (InitCount == 0 || --InitCount > 0) return;
  SetDesktopHooks({});
  SetDefaultDialogService(nullptr);
  FinalizeApplication();
  FinalizeCupsPrinters();
  delete OwnQtApp;
  OwnQtApp = nullptr;
}
