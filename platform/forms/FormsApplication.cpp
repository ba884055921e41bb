#include "platform/forms/FormsApplication.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

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
QTranslator* QtTexts = nullptr;

// Qt's own dialogs speak the program's language (Brazilian Portuguese) where Qt's translations are
// installed, whatever the process's locale; without them they stay in English.
void LoadQtTranslations() {
  auto* T = new QTranslator;
  if (T->load("qtbase_pt_BR", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(T)) {
    QtTexts = T;
    return;
  }
  delete T;
}

void UnloadQtTranslations() {
  if (!QtTexts) return;
  QCoreApplication::removeTranslator(QtTexts);
  delete QtTexts;
  QtTexts = nullptr;
}
}  // namespace

bool QtTranslationsLoaded() { return QtTexts != nullptr; }

void InitializeForms(int argc, char** argv, TDisplayMode Mode) {
  if (InitCount++ > 0) return;
  // Widgets need a QApplication; it is also the QGuiApplication that the
  // graphics and printing need, so it comes before InitializeApplication.
  if (!QCoreApplication::instance()) OwnQtApp = new TGuardedApplication<QApplication>(QtArgc(Mode), QtArgv());
  // A program with windows: the exception reporter shows its dialog instead of writing to the console.
  SetIsConsole(false);
  LoadQtTranslations();
  InitializeCupsPrinters();
  TOnException Undo([] {
    FinalizeCupsPrinters();
    UnloadQtTranslations();
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
  UnloadQtTranslations();
  delete OwnQtApp;
  OwnQtApp = nullptr;
}
