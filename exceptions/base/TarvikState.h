#pragma once
// The reporter-wide state: what the start-up found (the reporter active or passive, deferring to
// the main module's reporter), the phases of start-up and shutdown, the start directory and the
// top of the main thread's stack, the reporter module's options, and the hooks by which a change of
// those options reaches the freeze detector and the crash path. Every stage reads it; the start-up (ExceptionLog.cpp) sets it, the module list keeps the
// options pointer current.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/SysUtils.h"

class TTarvikModuleOptions;
class TTarvikModuleOptionsEx;

DECLARE_EXCEPTION(EAssertionFailed, Exception)

// Start-up found the reporter's own debug data: the reporter is active.
bool ReporterInstalled();
void SetReporterInstalled(bool Installed);
// This reporter lives in a library while the program's main module carries reporter data of its
// own: the main module's reporter is the one that reports.
bool DeferToMainModule();
void SetDeferToMainModule(bool Defer);
// True from the capture's start before main until the program's first InitializeExceptions (step 0
// of its start-up, when every static initialiser has run).
bool InitialisationRunning();
void SetInitialisationRunning(bool Running);
// True once the shutdown has begun (the last FinalizeExceptions, or exit).
bool FinalisationRunning();
void SetFinalisationRunning(bool Running);

// The directory that was current when the reporter started (a restart starts the new copy there),
// and the top of the main thread's stack.
std::string StartDirectory();
uintptr_t MainThreadStackTop();
// Takes the current directory as the start directory unless one was taken; plain values only, so
// the start-up may call it before the program's static initialisation.
void TakeStartDirectory();
void SetMainThreadStackTop(uintptr_t Top);

// The options of the reporter's own module record, which the module list registers once that
// record exists; null while the reporter is passive.
void SetReporterModuleOptions(TTarvikModuleOptionsEx* Options);
TTarvikModuleOptionsEx* ReporterModuleOptions();
// The same, for callers that need them: raises EAssertionFailed while the reporter is passive.
TTarvikModuleOptionsEx& CurrentTarvikLogOptions();
// What follows a change of the reporter module's options (the crash path prepares its short report
// with the log file and texts now in force); the start-up installs it. Without one, nothing.
using TReporterOptionsChanged = void (*)(const TTarvikModuleOptions* Options);
void SetReporterOptionsChanged(TReporterOptionsChanged Hook);
void ReporterOptionsChanged(const TTarvikModuleOptions* Options);

// How long a wait on the pipeline lasts when the pipeline makes no progress outside a dialog.
int PipelineStallTimeoutMs();
void SetPipelineStallTimeoutMs(int Ms);

// Starts (true) or stops (false) the freeze detector; the detector installs the switch. Without
// one, nothing happens.
void SetFreezeDetectorSwitch(std::function<void(bool Run)> Switch);
void SwitchFreezeDetector(bool Run);
