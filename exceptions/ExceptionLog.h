#pragma once
// The exception reporter's start-up and shutdown: what a program calls.
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
// at exit; either restores everything the start-up replaced. What the start-up found and sets for
// the whole reporter is in TarvikState.h.

void InitializeExceptions();
void FinalizeExceptions();
bool ExceptionsInitialized();
