#pragma once
// Freeze detection: while option FreezeActive is on, a background thread posts a heartbeat to the
// main thread's event loop (the desktop hooks' PostToWindowThread) and checks every 50 ms whether
// it was answered. When the main thread has not answered for FreezeTimeout seconds, its registers
// and frames are taken by a real-time signal to it (its handler records them and returns at once:
// the main thread is never held, so a lock it holds cannot block the report) and an
// EFrozenApplication with FreezeMessage goes through the pipeline. One report per freeze: the next
// one needs the main thread to have answered in between.
#include <cstdint>

#include "exceptions/capture/TarvikStack.h"
#include "platform/rtl/SysUtils.h"

DECLARE_EXCEPTION(EFrozenApplication, Exception)

// What the detector asks of the pipeline: its one-at-a-time gate (TakeGate false: not taken, no
// report) and the report of E at the main thread's registers and frames. The pipeline gives it at
// InstallFreezeDetector and keeps it for the life of the process: a detector that a stop left
// behind may still use it.
struct TFreezePipeline {
  bool (*TakeGate)() = nullptr;
  void (*ReleaseGate)() = nullptr;
  void (*Report)(EFrozenApplication& E, const TTarvikContext& Context, const TTarvikRawStack& Stack) = nullptr;
};

// Starts the detector when FreezeActive of the reporter's options is on and none runs; stops it.
// Stopping waits a bounded time for the thread.
void StartFreezeDetection();
void StopFreezeDetection();
bool FreezeDetectionRunning();
// Freeze reports made since start-up.
int FreezeReportCount();

// The pipeline's start-up and shutdown: the options' switch and, when FreezeActive is on, the
// detector, which reports through Pipeline.
void InstallFreezeDetector(const TFreezePipeline* Pipeline);
void RemoveFreezeDetector();

// The main thread's registers and frames, recorded by its handler of a real-time signal. False
// when it did not answer within TimeoutMs (the signal blocked, the thread in the kernel for good).
bool CaptureMainThread(TTarvikContext& Context, TTarvikRawStack& Stack, int TimeoutMs);
