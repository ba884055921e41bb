#pragma once
// The exception reporter's start-up and shutdown, and its reporter-wide state.
//
// InitializeExceptions runs before any window exists: it takes the trace switches from the
// program's last argument (or switches the trace on under a debugger), makes the reporter's
// "EXCEPT" and "MODULE" virtual files and its module list, and reads the reporter data of its own
// module. Without debug data there the reporter stays passive: it removes what it made, says so
// in the trace and does nothing more. FinalizeExceptions undoes the start-up and saves the trace.
// Each call is matched by one FinalizeExceptions; the last one undoes it. Main thread.
#include <functional>

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
