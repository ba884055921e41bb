#pragma once
// Where exceptions are caught in the act: every C++ raise in any thread (the unwinder's raise and
// rethrow entries, hooked in every module's import slots), the fault signals (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT) and std::terminate. Each exception that no handler will catch is
// captured once, with its frames and registers, and handed to one sink.
//
// A raise is captured in the raising thread before anything unwinds: the handler search is run
// ahead (IsExceptionHandled), and only an exception that nothing catches goes on. A rethrow of an
// exception already captured is recognised by its object and not captured again. A fault is
// captured by the signal handler on the thread's alternate stack into a record prepared at start,
// without allocating or locking; a worker thread made at start hands it to the sink while the
// faulting thread waits, and the program then ends with exit code 1. An uncaught exception ends
// the program with exit code 1 (in a thread too: the reporter's thread wrapper calls std::terminate).
#include <cstdint>
#include <typeinfo>

#include "exceptions/base/TarvikUtils.h"
#include "exceptions/capture/TarvikStack.h"

enum class TCaptureKind : uint8_t {
  Raise,      // a C++ (or foreign) exception that no handler will catch
  Signal,     // a fault signal
  Terminate,  // std::terminate without a captured exception (called directly, or a nested failure)
};

struct TCapturedException {
  TCaptureKind Kind = TCaptureKind::Raise;
  int ThreadId = 0;
  bool MainThread = false;
  // Raise: the thrown object and its type, valid while the sink runs; nulls for a foreign
  // exception. IsAbort: the object is an EAbort, the silent exception.
  void* Object = nullptr;
  const std::type_info* Type = nullptr;
  bool IsAbort = false;
  // Raise: a handler will catch it (given to the sink only while SetCaptureHandled is on); the
  // frames then end at the handler's frame.
  bool Handled = false;
  // Raise: counts the thread's raises, so that one raise is told from a later one of an object at
  // the same address.
  uint64_t Sequence = 0;
  // Signal: the signal and its si_code. A fault the kernel raised (si_code > 0) has its faulting
  // address (si_addr); a signal sent by kill, raise or abort has the sender's process id instead.
  int Signal = 0;
  int SignalCode = 0;
  uintptr_t FaultAddress = 0;
  int SenderPid = 0;
  // Signal: the walk of the frames faulted itself (a damaged stack); Stack holds what was walked.
  bool WalkFaulted = false;
  // Where it happened: the call site of the throw (inside the call instruction), or the faulting
  // instruction.
  uintptr_t ExceptionAddress = 0;
  TTarvikContext Context;
  TTarvikRawStack Stack;  // innermost first; frame 0 holds ExceptionAddress's call
};

// The sink: called once per captured exception. A raise and std::terminate call it in the thread
// of the exception, before unwinding; a fault calls it in the reporter's crash worker while the
// faulting thread waits. It may allocate, lock and resolve frames (BuildCallStack); exceptions it
// lets out become internal errors. Returns the previous sink; null restores the default, which
// writes a short report to the diagnostic output.
using TCaptureSink = void (*)(const TCapturedException& Captured);
TCaptureSink SetCaptureSink(TCaptureSink Sink);

// Whether the sink also gets the exceptions a handler will catch (Handled set). Off by default:
// a handled raise then costs only the handler search.
void SetCaptureHandled(bool All);
bool CaptureHandled();

// The calling thread's last C++ raise (what was thrown, its frames up to the handler, registers),
// when its object is Object; null otherwise. Valid until the thread raises again. A framework
// handler that caught the exception reports it with the frames of its raise.
const TCapturedException* LastRaiseOf(const void* Object);

// The class name and message of a captured exception (DescribeThrown's rules, the report's): a
// signal gives its name ("SIGSEGV") and the fault address.
TExceptionDescription DescribeCaptured(const TCapturedException& Captured);
// The registers of a thread interrupted by a signal, from the handler's ucontext_t.
void ReadSignalContext(const void* UContext, TTarvikContext& Context);
// The thrown object as T (a base class works), or null.
template <class T>
T* CapturedAs(const TCapturedException& C) {
  void* Object = C.Object;
  if (!Object || !C.Type || !typeid(T).__do_catch(C.Type, &Object, 1)) return nullptr;
  return static_cast<T*>(Object);
}

// The faulting thread waits for the crash's report while the report makes progress: the sink (and
// whatever it calls) marks progress, and a dialog the user is in suspends the count. After
// CrashStallTimeoutMs without progress outside a dialog, the faulting thread writes the short
// report itself (TarvikCrashFallback.h) and ends with the signal's default action.
void MarkCrashProgress();
void EnterCrashDialog();
void LeaveCrashDialog();
int CrashStallTimeoutMs();
void SetCrashStallTimeoutMs(int Ms);

// Installs and removes the raise, thread, signal and terminate hooks, leaving everything as it
// was found. Called by the reporter's start-up and shutdown.
void StartCapture();
void StopCapture();
bool CaptureStarted();
// What StartCapture installed, for tests and the trace.
struct TCaptureState {
  int RaiseSlots = 0;    // import slots of the unwinder's raise and rethrow entries
  int ThreadSlots = 0;   // import slots of pthread_create
  int Signals = 0;       // fault signals whose handler is the reporter's
  bool Terminate = false;
};
TCaptureState CurrentCaptureState();
