#pragma once
// The call stack of an exception and the test whether a handler further up will catch it.
//
// Frames come from the unwinder (the call-frame information every module carries), so each frame
// is a real frame of the thread: no stale return addresses left on the stack are taken for calls,
// and no frame without a frame pointer is missed. Capturing only records addresses; resolving them
// to units, procedures and lines (GetDebugInfo reads files, allocates and locks) is a later step
// that never runs in a signal handler.
#include <cstdint>

#include "exceptions/base/TarvikStackFrame.h"

struct _Unwind_Exception;

// The calling thread's frames, starting with the frame whose return address is From (the caller
// of the function that took From with __builtin_return_address(0)); from the caller of
// CaptureStack when From is 0. Allocates nothing and takes no lock of its own (the loader's
// lookup of unwind tables is lock-free from glibc 2.35 on), so a signal handler may call it.
void CaptureStack(TTarvikRawStack& Stack, uintptr_t From = 0);
// The frames of a thread interrupted by a signal, from the interrupted instruction (Pc) on,
// walked from inside the handler; Sp is the interrupted stack pointer. When the unwinder cannot
// pass the interrupted frame (a jump to a bad address), the return address at Sp follows Pc.
void CaptureSignalStack(TTarvikRawStack& Stack, uintptr_t Pc, uintptr_t Sp);

// The address a frame is resolved at: a return address less 1, which lies inside the call
// instruction (x86-64 calls are 2 to 7 bytes long, so going back a fixed length would miss the
// call); an exact address as it is.
uintptr_t CallSite(const TTarvikRawFrame& Frame);

// Resolves the frames: ExceptionAddress first when it is not 0 and is not already the first
// frame's call site, then every frame at its call site. Not in a signal handler.
TTarvikStackList BuildCallStack(uintptr_t ExceptionAddress, const TTarvikRawStack& Stack);
// How BuildCallStack resolves an address: the module list's lookup, which the reporter's start-up
// sets while that list exists. Without one, a frame is its bare address.
using TFrameResolver = TTarvikStackFrame (*)(uintptr_t Address);
void SetFrameResolver(TFrameResolver Resolver);
TFrameResolver FrameResolver();

// The thrown object of an exception being raised (TarvikStackFrame.h).
TThrownObject ThrownObjectOf(_Unwind_Exception* Exception);
// True for a C++ exception raised by a fresh throw (not a rethrow, not std::rethrow_exception).
bool IsFreshThrow(_Unwind_Exception* Exception);

// Whether an outer handler will catch Exception, raised from the frame whose return address is
// From: the unwinder's search phase is run ahead, asking each frame's personality routine
// (_UA_SEARCH_PHASE) whether it has a handler, and the handlers are counted:
//   - a frame whose search ends the program (a noexcept boundary) ends the count: not handled;
//   - in a thread started through the reporter's thread wrapper, which catches everything, one
//     handler is the wrapper itself: handled only when count > 1; elsewhere count > 0;
//   - when the reporter defers to the main module's reporter, always handled.
// Call it in the raising thread before the real raise. HandlerCount, when given, gets the count.
// With HandlerCount the search counts every handler up to the thread's first frame; without, it
// stops once the answer is known. With Stack and Context, the frames above From's frame and the
// throwing frame's registers are captured in the same walk (complete when the answer is "not
// handled").
bool IsExceptionHandled(_Unwind_Exception* Exception, uintptr_t From, int* HandlerCount = nullptr,
                        TTarvikRawStack* Stack = nullptr, TTarvikContext* Context = nullptr);

// The calling thread runs inside the reporter's thread wrapper (its outermost handler).
void SetThreadWrapped(bool Wrapped);
bool ThreadWrapped();
