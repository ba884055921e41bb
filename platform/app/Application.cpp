#include "platform/app/Application.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QThread>
#include <cstdlib>
#include <filesystem>

#include "platform/app/AppConsts.h"
#include "platform/app/Dialogs.h"
#include "platform/app/GuardedApplication.h"
#include "platform/app/MessageDispatch.h"
#include "platform/app/QtArguments.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/graphics/GraphicsInit.h"
#include "platform/printing/PrinterList.h"
#include "platform/sys/FrameworkHooks.h"

TApplication* Application = nullptr;

namespace {
int InitCount = 0;
// Only a Qt application made here is freed here, and only by the last
// FinalizeApplication: a program that ends without it leaves the Qt
// application to the system, because destroying it among the static
// destructors crashes inside Qt.
QCoreApplication* OwnQtApp = nullptr;
int Argc = 1;
char Arg0[] = "mivoreport";
char ArgPlatform[] = "-platform";
char ArgOffscreen[] = "offscreen";
char* Argv[] = {Arg0, nullptr, nullptr, nullptr};
}  // namespace

int& QtArgc(TDisplayMode Mode) {
  Argc = 1;
  const char* Named = std::getenv("QT_QPA_PLATFORM");
  if (Mode == TDisplayMode::Offscreen && !(Named && *Named)) {
    Argv[Argc++] = ArgPlatform;
    Argv[Argc++] = ArgOffscreen;
  }
  Argv[Argc] = nullptr;
  return Argc;
}

char** QtArgv() { return Argv; }

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() = default;

std::string TApplication::ExeName() const {
  std::error_code Ec;
  auto P = std::filesystem::read_symlink("/proc/self/exe", Ec);
  return Ec ? std::string() : P.string();
}

void TApplication::ProcessMessages() {
  if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() {
  if (FTerminated || !QCoreApplication::instance()) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void TApplication::Run() {
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
  FTerminated = true;
  if (auto* App = QCoreApplication::instance())
    if (auto* D = QAbstractEventDispatcher::instance(App->thread())) D->wakeUp();
}

void TApplication::HandleException(TObject* Sender) {
  if (!FrameworkShowsException()) return;
  std::exception_ptr P = std::current_exception();
  if (!P) return;
  try {
    std::rethrow_exception(P);
  } catch (const EAbort&) {
  } catch (const Exception& E) {
    if (OnException)
      OnException(Sender, E);
    else
      ShowException(E);
  } catch (const std::exception& E) {
    Exception X(E.what());
    if (OnException)
      OnException(Sender, X);
    else
      ShowException(X);
  } catch (...) {
    Exception X(SUnknownException);
    if (OnException)
      OnException(Sender, X);
    else
      ShowException(X);
  }
}

void TApplication::ShowException(const Exception& E) {
  std::string Msg = E.Message();
  if (!Msg.empty() && Msg.back() != '.') Msg += '.';
  MessageBox(Msg, FTitle, MB_OK | MB_ICONERROR);
}

void HandleEventLoopException() {
  if (Application)
    Application->HandleException(Application);
  else
    FrameworkShowsException();
}

bool DisplayAvailable() {
  auto Set = [](const char* Name) {
    const char* V = std::getenv(Name);
    return V && *V;
  };
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

void InitializeApplication(int argc, char** argv, TDisplayMode Mode) {
  if (InitCount++ > 0) return;
  if (!QCoreApplication::instance()) OwnQtApp = new TGuardedApplication<QGuiApplication>(QtArgc(Mode), QtArgv());
  {
    TOnException Undo([] {
      FinalizeGraphics();
      delete OwnQtApp;
      OwnQtApp = nullptr;
      InitCount = 0;
    });
    InitializeGraphics();
    InitializePrinting();
  }
  CreateMessageDispatcher();
  Application = new TApplication(nullptr);
  for (int I = 1; I < argc && argv; ++I) Application->FParams.emplace_back(argv[I]);
}

void FinalizeApplication() {
  if (InitCount == 0 || --InitCount > 0) return;
  FreeAndNil(Application);
  FreeMessageDispatcher();
  FinalizePrinting();
  FinalizeGraphics();
  delete OwnQtApp;
  OwnQtApp = nullptr;
}
