#pragma once
// Alternate signal stacks: a handler of a fault signal runs on one, so that it still runs when the
// thread's own stack is exhausted (a stack overflow is a fault too).

// Gives the calling thread an alternate signal stack unless it has one (its own, or one the
// address sanitizer's run-time set up), which it keeps. True when the thread has one afterwards.
bool EnsureAlternateSignalStack();
// Removes and frees the stack that EnsureAlternateSignalStack made for the calling thread; a stack
// made by someone else stays. Call it before the thread ends.
void ReleaseAlternateSignalStack();
