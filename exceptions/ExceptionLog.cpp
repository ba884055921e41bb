#include "exceptions/ExceptionLog.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "exceptions/TarvikCapture.h"
#include "exceptions/TarvikErrors.h"
#include "exceptions/TarvikModules.h"
#include "exceptions/TarvikPipeline.h"
#include "exceptions/TarvikStack.h"
#include "exceptions/TarvikThreads.h"
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
std::atomic<bool> InitRunning{false};
std::atomic<bool> FinRunning{false};
bool ExitHandlerRegistered = false;
std::atomic<TTarvikModuleOptionsEx*> ModuleOptions{nullptr};
std::mutex SwitchLock;
std::function<void(bool)> FreezeSwitch;
// Plain values: taken before the program's static initialisation.
char StartDir[4096] = "";
uintptr_t MainStackTop = 0;

void TakeStartDirectory() {
  if (StartDir[0] == 0 && !::getcwd(StartDir, sizeof StartDir)) StartDir[0] = 0;
}

// The file of the reporter's own module, found without the process facts of platform/sys: this
// runs before their static objects are made.
std::string OwnModuleFileEarly() {
  TModuleHandle Own = ReporterModuleHandle();
  if (Own == MainModuleHandle()) {
    char Path[4096];
    ssize_t N = ::readlink("/proc/self/exe", Path, sizeof Path - 1);
    return N > 0 ? std::string(Path, static_cast<size_t>(N)) : std::string();
  }
  return ModuleFileName(Own);
}

// Before main: only what needs no static object of the program (TarvikCapture.cpp keeps to plain
// values for this). A program without reporter data gets nothing installed.
__attribute__((constructor(101))) void StartBeforeMain() {
  if (IsDesignHostMode() || !IsTarvikLogFile(OwnModuleFileEarly())) return;
  TakeStartDirectory();
  InitRunning.store(true);
  StartCapture();
}

// exit() without the last FinalizeExceptions: shut down while the program's static objects exist
// (registered after they were made, so it runs before they are destroyed).
void ShutdownAtExit() {
  FinRunning.store(true);
  if (InitCount > 0) {
    InitCount = 1;
    FinalizeExceptions();
  }
  StopCapture();
}
}  // namespace

void InitializeExceptions() {
  if (InitCount++ > 0) return;
  InitRunning.store(false);
  FinRunning.store(false);
  if (!ExitHandlerRegistered) ExitHandlerRegistered = std::atexit(ShutdownAtExit) == 0;
  InitializeSys();
  TakeStartDirectory();
  if (IsMainThread()) MainStackTop = GetStackBase();
  std::vector<std::string> Params(CommandLine().begin() + (CommandLine().empty() ? 0 : 1), CommandLine().end());
  InitializeTrace(Params);
  if (IsDebuggerAttached()) ActivateTrace();
  ClearInternalError();
  TModuleHandle Own = ReporterModuleHandle(), Main = MainModuleHandle();
  Defer = Own != Main && (IsTarvikLogModule_Old(Main) || IsTarvikLogModule(Main));
  Installed = true;
  CreateReporterVirtualFiles();
  CreateReporterModules();
  SetFrameResolver(ResolveStackFrame);
  if (IsDesignHostMode()) return;
  TTarvikModuleInfo* Record = FindModuleRecord(Own);
  if (!Record || !Record->DebugData) {
    TraceEntry(Format(TarvikText::ReporterPassive, {ReporterModuleFileName()}));
    SetFrameResolver(nullptr);
    FreeReporterModules();
    Installed = false;
    // Shared-memory names outlive the process: a passive reporter leaves none behind.
    DeleteReporterVirtualFiles();
    StopCapture();
    return;
  }
  SetReporterModuleOptions(Record->Options.get());
  StartCapture();
  InstallPipeline();
}

void FinalizeExceptions() {
  if (InitCount == 0 || --InitCount > 0) return;
  FinRunning.store(true);
  RemovePipeline();
  StopCapture();
  if (Installed) {
    DeleteReporterVirtualFiles();
    SetReporterModuleOptions(nullptr);
    SetFrameResolver(nullptr);
    FreeReporterModules();
    Installed = false;
  }
  SaveTraceFile();
  FinalizeTrace();
  ModuleOptions.store(nullptr);
  FinalizeSys();
}

bool ExceptionsInitialized() { return InitCount > 0; }

std::string StartDirectory() { return StartDir; }

uintptr_t MainThreadStackTop() { return MainStackTop; }

bool ReporterInstalled() { return Installed; }

bool DeferToMainModule() { return Defer; }

bool InitialisationRunning() { return InitRunning.load(); }

bool FinalisationRunning() { return FinRunning.load(); }

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
