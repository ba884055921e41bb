#include "exceptions/ExceptionLog.h"

#include <unistd.h>

#include <cstdlib>

#include "exceptions/TarvikPipeline.h"
#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/capture/TarvikCapture.h"
#include "exceptions/capture/TarvikCrashFallback.h"
#include "exceptions/capture/TarvikStack.h"
#include "exceptions/report/TarvikModules.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Modules.h"
#include "platform/sys/Process.h"
#include "platform/sys/SysInit.h"

namespace {
int InitCount = 0;
bool ExitHandlerRegistered = false;

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
  SetInitialisationRunning(true);
  StartCapture();
}

// exit() without the last FinalizeExceptions: shut down while the program's static objects exist
// (registered after they were made, so it runs before they are destroyed).
void ShutdownAtExit() {
  SetFinalisationRunning(true);
  if (InitCount > 0) {
    InitCount = 1;
    FinalizeExceptions();
  }
  StopCapture();
}
}  // namespace

void InitializeExceptions() {
  if (InitCount++ > 0) return;
  SetInitialisationRunning(false);
  SetFinalisationRunning(false);
  if (!ExitHandlerRegistered) ExitHandlerRegistered = std::atexit(ShutdownAtExit) == 0;
  InitializeSys();
  TakeStartDirectory();
  if (IsMainThread()) SetMainThreadStackTop(GetStackBase());
  std::vector<std::string> Params(CommandLine().begin() + (CommandLine().empty() ? 0 : 1), CommandLine().end());
  InitializeTrace(Params);
  if (IsDebuggerAttached()) ActivateTrace();
  ClearInternalError();
  TModuleHandle Own = ReporterModuleHandle(), Main = MainModuleHandle();
  SetDeferToMainModule(Own != Main && (IsTarvikLogModule_Old(Main) || IsTarvikLogModule(Main)));
  SetReporterInstalled(true);
  CreateReporterVirtualFiles();
  SetReporterOptionsChanged(PrepareCrashReport);
  CreateReporterModules();
  SetFrameResolver(ResolveStackFrame);
  if (IsDesignHostMode()) return;
  TTarvikModuleInfo* Record = FindModuleRecord(Own);
  if (!Record || !Record->DebugData) {
    TraceEntry(Format(TarvikText::ReporterPassive, {ReporterModuleFileName()}));
    SetFrameResolver(nullptr);
    FreeReporterModules();
    SetReporterInstalled(false);
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
  SetFinalisationRunning(true);
  RemovePipeline();
  StopCapture();
  if (ReporterInstalled()) {
    DeleteReporterVirtualFiles();
    SetReporterModuleOptions(nullptr);
    SetFrameResolver(nullptr);
    FreeReporterModules();
    SetReporterInstalled(false);
  }
  SaveTraceFile();
  FinalizeTrace();
  SetReporterModuleOptions(nullptr);
  FinalizeSys();
}

bool ExceptionsInitialized() { return InitCount > 0; }
