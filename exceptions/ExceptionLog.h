#pragma once
// The exception reporter's start-up and shutdown, and its reporter-wide state.
//
// InitializeExceptions runs before any window exists: it takes the trace switches from the
// program's last argument (or switches the trace on under a debugger), makes the reporter's
// "EXCEPT" and "MODULE" virtual files and its module list, and reads the reporter data of its own
// module. Without debug data there the reporter stays passive: it removes what it made, says so
// in the trace and does nothing more. FinalizeExceptions undoes the start-up and saves the trace.
// Each call is matched by one FinalizeExceptions; the last one undoes it. Main thread.
//
// The capture of exceptions (TarvikCapture.h) starts earlier: a constructor of this library runs
// before the program's static initialisation (the one piece of work this project does in a static
// constructor, so that an exception raised there is seen too) and, when the program carries
// reporter data, installs the raise, thread, signal and terminate hooks. InitializeExceptions then
// completes the start-up, or removes the hooks again when the data turns out unusable. The
// shutdown runs at the last FinalizeExceptions or, for a program that ends through exit() first,
// at exit; either restores everything the start-up replaced.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/rtl/SysUtils.h"

class TTarvikModuleOptionsEx;

DECLARE_EXCEPTION(EAssertionFailed, Exception)

void InitializeExceptions();
void FinalizeExceptions();
bool ExceptionsInitialized();
// Start-up found the reporter's own debug data: the reporter is active.
bool ReporterInstalled();
// This reporter lives in a library while the program's main module carries reporter data of its
// own: the main module's reporter is the one that reports.
bool DeferToMainModule();
// True from the capture's start before main until the program's first InitializeExceptions (step 0
// of its start-up, when every static initialiser has run).
bool InitialisationRunning();
// True once the shutdown has begun (the last FinalizeExceptions, or exit).
bool FinalisationRunning();

// The directory that was current when the reporter started (a restart starts the new copy there),
// and the top of the main thread's stack.
std::string StartDirectory();
uintptr_t MainThreadStackTop();

// The options of the reporter's own module record, which the module list registers once that
// record exists; null while the reporter is passive.
void SetReporterModuleOptions(TTarvikModuleOptionsEx* Options);
TTarvikModuleOptionsEx* ReporterModuleOptions();
// The same, for callers that need them: raises EAssertionFailed while the reporter is passive.
TTarvikModuleOptionsEx& CurrentTarvikLogOptions();

// Starts (true) or stops (false) the freeze detector; the detector installs the switch. Without
// one, nothing happens.
void SetFreezeDetectorSwitch(std::function<void(bool Run)> Switch);
void SwitchFreezeDetector(bool Run);
