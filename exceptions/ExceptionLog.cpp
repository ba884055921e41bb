#include "exceptions/ExceptionLog.h"

#include <atomic>
#include <mutex>

#include "exceptions/TarvikErrors.h"
#include "exceptions/TarvikModules.h"
#include "exceptions/TarvikTexts.h"
#include "exceptions/TarvikTrace.h"
#include "exceptions/TarvikUtils.h"
#include "exceptions/TarvikVirtualFiles.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Modules.h"
#include "platform/sys/Process.h"
#include "platform/sys/SysInit.h"

namespace {
int InitCount = 0;
bool Installed = false;
bool Defer = false;
std::atomic<TTarvikModuleOptionsEx*> ModuleOptions{nullptr};
std::mutex SwitchLock;
std::function<void(bool)> FreezeSwitch;
}  // namespace

void InitializeExceptions() {
  if (InitCount++ > 0) return;
  InitializeSys();
  std::vector<std::string> Params(CommandLine().begin() + (CommandLine().empty() ? 0 : 1), CommandLine().end());
  InitializeTrace(Params);
  if (IsDebuggerAttached()) ActivateTrace();
  ClearInternalError();
  TModuleHandle Own = ReporterModuleHandle(), Main = MainModuleHandle();
  Defer = Own != Main && (IsTarvikLogModule_Old(Main) || IsTarvikLogModule(Main));
  Installed = true;
  CreateReporterVirtualFiles();
  CreateReporterModules();
  if (IsDesignHostMode()) return;
  TTarvikModuleInfo* Record = FindModuleRecord(Own);
  if (!Record || !Record->DebugData) {
    TraceEntry(Format(TarvikText::ReporterPassive, {ReporterModuleFileName()}));
    FreeReporterModules();
    Installed = false;
    // Shared-memory names outlive the process: a passive reporter leaves none behind.
    DeleteReporterVirtualFiles();
    return;
  }
  SetReporterModuleOptions(Record->Options.get());
}

void FinalizeExceptions() {
  if (InitCount == 0 || --InitCount > 0) return;
  if (Installed) {
    DeleteReporterVirtualFiles();
    SetReporterModuleOptions(nullptr);
    FreeReporterModules();
    Installed = false;
  }
  SaveTraceFile();
  FinalizeTrace();
  ModuleOptions.store(nullptr);
  FinalizeSys();
}

bool ExceptionsInitialized() { return InitCount > 0; }

bool ReporterInstalled() { return Installed; }

bool DeferToMainModule() { return Defer; }

void SetReporterModuleOptions(TTarvikModuleOptionsEx* Options) { ModuleOptions.store(Options); }

TTarvikModuleOptionsEx* ReporterModuleOptions() { return ModuleOptions.load(); }

TTarvikModuleOptionsEx& CurrentTarvikLogOptions() {
  TTarvikModuleOptionsEx* O = ModuleOptions.load();
  if (!O) throw EAssertionFailed(std::string(TarvikText::ReporterNotActive) + " (" + TarvikText::ReporterUnit + ")");
  return *O;
}

void SetFreezeDetectorSwitch(std::function<void(bool Run)> Switch) {
  std::lock_guard<std::mutex> L(SwitchLock);
  FreezeSwitch = std::move(Switch);
}

void SwitchFreezeDetector(bool Run) {
  std::function<void(bool)> S;
  {
    std::lock_guard<std::mutex> L(SwitchLock);
    S = FreezeSwitch;
  }
  if (S) S(Run);
}
