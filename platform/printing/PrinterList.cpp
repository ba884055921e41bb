#include "platform/printing/PrinterList.h"

#include <QGuiApplication>
#include <algorithm>
#include <mutex>

#include "platform/printing/Printers.h"

namespace {
std::mutex ListLock;
bool SystemEnabled = true;
bool SystemRead = false;
TSystemPrinterSource SystemSource;
std::vector<std::shared_ptr<TPrinterDriver>> SystemPrinters;
std::string SystemDefault;
std::vector<std::shared_ptr<TPrinterDriver>> OwnPrinters;
std::shared_ptr<TPrinterDriver> OwnDefault;

void ReadSystemLocked() {
  if (SystemRead || !SystemEnabled || !SystemSource) return;
  // Qt's print support needs the GUI application: before it exists the list
  // is empty and is read again later.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  SystemPrinters = SystemSource(SystemDefault);
  SystemRead = true;
}
}  // namespace

std::vector<std::shared_ptr<TPrinterDriver>> InstalledPrinters() {
  std::lock_guard<std::mutex> G(ListLock);
  ReadSystemLocked();
  std::vector<std::shared_ptr<TPrinterDriver>> L;
  if (SystemEnabled) L = SystemPrinters;
  L.insert(L.end(), OwnPrinters.begin(), OwnPrinters.end());
  return L;
}

std::string DefaultPrinterName() {
  std::lock_guard<std::mutex> G(ListLock);
  ReadSystemLocked();
  if (SystemEnabled) {
    if (!SystemDefault.empty()) return SystemDefault;
    if (!SystemPrinters.empty()) return SystemPrinters.front()->Name();
  }
  if (OwnDefault) return OwnDefault->Name();
  return OwnPrinters.empty() ? std::string() : OwnPrinters.front()->Name();
}

void RefreshPrinters() {
  std::lock_guard<std::mutex> G(ListLock);
  SystemRead = false;
  SystemPrinters.clear();
  SystemDefault.clear();
}

void SetSystemPrinterSource(TSystemPrinterSource Source) {
  std::lock_guard<std::mutex> G(ListLock);
  SystemSource = std::move(Source);
  SystemRead = false;
  SystemPrinters.clear();
  SystemDefault.clear();
}

void SetSystemPrintersEnabled(bool Enabled) {
  std::lock_guard<std::mutex> G(ListLock);
  SystemEnabled = Enabled;
}

bool SystemPrintersEnabled() {
  std::lock_guard<std::mutex> G(ListLock);
  return SystemEnabled;
}

void InstallPrinter(std::shared_ptr<TPrinterDriver> Driver, bool Default) {
  std::lock_guard<std::mutex> G(ListLock);
  if (Default) OwnDefault = Driver;
  OwnPrinters.push_back(std::move(Driver));
}

void UninstallPrinter(const std::shared_ptr<TPrinterDriver>& Driver) {
  std::lock_guard<std::mutex> G(ListLock);
  OwnPrinters.erase(std::remove(OwnPrinters.begin(), OwnPrinters.end(), Driver), OwnPrinters.end());
  if (OwnDefault == Driver) OwnDefault.reset();
}

void UninstallAllPrinters() {
  std::lock_guard<std::mutex> G(ListLock);
  OwnPrinters.clear();
  OwnDefault.reset();
}

void InitializePrinting() { RefreshPrinters(); }

void FinalizePrinting() {
  FreeGlobalPrinter();
  RefreshPrinters();
}
