#include "app/Viewer.h"

#include <memory>

#include <QCoreApplication>

#include "app/Main.h"
#include "app/Message.h"
#include "app/ViewerConsts.h"
#include "app/Visualizar.h"
#include "platform/app/Application.h"
#include "platform/app/Dialogs.h"
#include "platform/app/Messages.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/sys/FrameworkHooks.h"

int RunViewer(const std::vector<std::string>& Args, const std::function<void(TMains*)>& OnShown) {
  Application->SetTitle(SViewerTitle);
  std::unique_ptr<TMains, TComponentDeleter> Mains(new TMains(nullptr));
  ShowInformation(ViewerInformation());
  // The printer outlives the form whose report made it, and goes after the main window has let
  // go of it.
  std::unique_ptr<TLXPrinter> Printer;
  TFinally FreeInOrder([&] {
    Mains.reset();
    Printer.reset();
  });
  if (Args.empty()) {
    std::unique_ptr<TVisualizars, TComponentDeleter> Visualizars(new TVisualizars(Application));
    Visualizars->Preview();
  } else {
    std::unique_ptr<TVisualizars, TComponentDeleter> Visualizars(new TVisualizars(Application));
    TLXPrinter* P = Visualizars->Prepare();
    try {
      P->Load(Args[0]);
    } catch (const std::exception& E) {
      // The exception reporter sees it first; the program's own message only when it says so.
      if (FrameworkShowsException())
        MessageDlg(Format(SCannotOpenReport, {Args[0], std::string(E.what())}), mtError, MsgButton(mbOK));
      return 1;
    }
    Mains->LXPreview1->SetLXPrinter(P);
    Printer = Visualizars->TakePrinter();
    Visualizars.reset();
    Mains->UpdatePageLabels();
    if (OnShown) {
      HWND H = Mains->Handle();
      TMains* M = Mains.get();
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [H, M, OnShown] { if (IsWindow(H)) OnShown(M); }, Qt::QueuedConnection);
    }
    Mains->ShowModal();
  }
  Application->Terminate();
  Application->ProcessMessages();
  return 0;
}
