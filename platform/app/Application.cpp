#include "platform/forms/Application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QThread>
#include <filesystem>
#include <memory>

#include "platform/forms/MessageDispatch.h"

TApplication* Application = nullptr;

namespace {
// Only a Qt application made here is freed here, and only by FinalizeApplication:
// a program that ends without it leaves the Qt application to the system, because
// destroying it among the static destructors crashes inside Qt.
QCoreApplication* OwnQtApp = nullptr;
int QtArgc = 1;
char QtArg0[] = "mivoreport";
char* QtArgv[] = {QtArg0, nullptr};
}  // namespace

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

void InitializeApplication(int argc, char** argv) {
  if (Application) return;
  if (!QCoreApplication::instance()) {
    // Widgets need a QApplication; it is also the QGuiApplication that
    // painting and printing need.
    OwnQtApp = new QApplication(QtArgc, QtArgv);
  }
  CreateMessageDispatcher();
  Application = new TApplication(nullptr);
  for (int I = 1; I < argc && argv; ++I) Application->FParams.emplace_back(argv[I]);
}

void FinalizeApplication() {
  delete Application;
  Application = nullptr;
  FreeMessageDispatcher();
  delete OwnQtApp;
  OwnQtApp = nullptr;
}
