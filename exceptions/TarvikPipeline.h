#pragma once
// The exception pipeline: one exception from its capture to the end of its handling. It builds the
// report, shows it (dialog, console or web page), stores it in the log file, copies and mails it,
// and then lets the program go on, terminates it or restarts it.
//
// Three entries: GoNotify (the capture's sink: an exception that nothing catches, and a handled one
// when ReportHandledExceptions is on), ExceptionManager (an application framework's handler
// caught the exception: platform/sys/FrameworkHooks.h) and ExceptNotify (both of them, and the
// freeze detector). One exception is processed at a time: a gate taken by compare-exchange, which
// other threads wait for in steps of 10 ms; the thread holding it and the worker pass (an exception
// raised inside the reporter is dropped, not waited for).
//
// An exception of the main thread is processed in a worker (TExceptionThread) while the main
// thread keeps repainting and runs the calls the worker hands it (RunInMainThread). Every wait is
// bounded: a wait on a pipeline that makes no progress outside a dialog runs out after
// PipelineStallTimeoutMs (TarvikState.h), is recorded, and processing goes on without it.
//
// After a fault signal the program cannot go on: the pipeline reports and then terminates, or
// restarts when the user asked for it, whatever the options say about continuing.
#include <cstdint>
#include <functional>
#include <string>

#include "exceptions/base/TarvikStackFrame.h"
#include "exceptions/capture/TarvikCapture.h"
#include "exceptions/capture/TarvikStack.h"

class TTarvikModuleOptions;

// The facts the entries hand down about one exception.
struct TExceptNotifyParams {
  TTarvikContext Context;         // registers at the exception (Valid None: not known)
  const TTarvikRawStack* Stack = nullptr;  // its frames, innermost first; null: taken here
  uintptr_t StackPoint = 0;       // 0: the context's stack pointer
  uintptr_t TopOfStack = 0;       // 0: the current thread's stack base
  int ThreadID = 0;               // the thread of the exception
  // A fault or a freeze: its type and message (the object's otherwise).
  std::string TypeText, MessageText;
  bool Fault = false;
  // The active window and focused control, taken in the exception's thread.
  std::string ActiveWindowClass, ActiveWindowText, ActiveControlClass, ActiveControlText;
};

// The exception being reported, as the notification handlers see it.
struct TTarvikExceptionRecord {
  TThrownObject ExceptionObject;  // valid while the handlers run
  uintptr_t ExceptionAddress = 0;
  int ThreadID = 0;
  std::string LogText;            // the report
  TTarvikStackList CallStack;
  const TTarvikModuleOptions* ModuleOptions = nullptr;  // the options in force
};

// Notification handlers, none by default. For each, the host's procedure runs on the exception's
// own thread. ExceptionNotify may clear ContinueProcessing: the report is built but neither shown,
// stored nor mailed. Action gets the codes 0 (before the output; clearing the flag skips it), 1
// (after it), 2/3 (log), 4/5 (mail), 6 (terminate button); ActionError gets 3 or 5 and may set
// the retry flag.
using TExceptionNotifyHandler = std::function<void(TTarvikExceptionRecord& Record, bool& ContinueProcessing)>;
using TActionNotifyHandler = std::function<void(const TTarvikExceptionRecord& Record, int Action, bool& Flag)>;
void SetExceptionNotify(TExceptionNotifyHandler Handler);
void SetActionNotify(TActionNotifyHandler Handler);
void SetActionErrorNotify(TActionNotifyHandler Handler);

// Installs the pipeline as the capture's sink and as the framework handlers' reporter; removes
// both. Called by the reporter's start-up and shutdown.
void InstallPipeline();
void RemovePipeline();

// Whether exceptions that a handler will catch are reported as well (off by default). They are
// reported at the raise, and the program then goes on into its handler.
void SetReportHandledExceptions(bool Report);
bool ReportHandledExceptions();

// The raise-time entry (the capture's sink).
void GoNotify(const TCapturedException& Captured);
// A framework's handler caught the exception being handled: call it inside the catch block. True
// when the framework should still show its own message (the reporter is inactive, a handler
// cleared ContinueProcessing, or the exception is an EAbort).
bool ExceptionManager();
// Processes one exception (the caller holds the gate). True when the reporter did not handle it.
bool ExceptNotify(const TThrownObject& Exception, uintptr_t ExceptionAddress, bool RaisedByRuntime,
                  TExceptNotifyParams& Params);
bool InternalExceptNotify(const TThrownObject& Exception, uintptr_t ExceptionAddress, bool RaisedByRuntime,
                          TExceptNotifyParams& Params);

// The one-at-a-time gate. TakeProcessingGate waits (bounded) and returns false for the thread
// holding it, for the worker, and when the wait ran out; ReleaseProcessingGate frees it.
bool TakeProcessingGate();
void ReleaseProcessingGate();

// Runs P in the exception's own thread: handed to the main thread while it waits for the worker
// (bounded), else here. An exception from P is swallowed. Afterwards the "EXCEPT" file is written
// again from the exception object (a handler may have changed its message).
void RunInMainThread(const std::function<void()>& P);
// One pass of the main thread's restricted event loop (the desktop hooks'): windows repaint, user
// input waits.
void PumpPaintMessages();
// Ends the process with exit code 1, first starting a new copy when Restart is set: the same
// program and arguments, the start directory, a new process group, no descriptors but the
// standard three.
[[noreturn]] void RestartOrTerminate(bool Restart);
// The restart's spawn alone; true when the new process started.
bool StartNewInstance();

// State of the run, for the dialog and for tests.
int ReportCount();
// The record of the exception being processed; null between exceptions.
const TTarvikExceptionRecord* CurrentException();
bool ProcessingBusy();

