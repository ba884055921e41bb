#pragma once
// The exception reporter's start-up and shutdown, and its reporter-wide state.
//
// InitializeExceptions runs before any window exists: it takes the trace switches from the
// program's last argument (or switches the trace on under a debugger) and makes the reporter's
// "EXCEPT" and "MODULE" virtual files. FinalizeExceptions removes those files and saves the trace.
// Each call is matched by one FinalizeExceptions; the last one undoes it. Main thread.
#include <functional>

#include "platform/rtl/SysUtils.h"

class TTarvikModuleOptionsEx;

DECLARE_EXCEPTION(EAssertionFailed, Exception)

void InitializeExceptions();
void FinalizeExceptions();
bool ExceptionsInitialized();

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
