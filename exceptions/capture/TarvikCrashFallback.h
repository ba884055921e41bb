#pragma once
// The crash path's own short report, written by the faulting thread when the reporter's worker
// cannot make the full one in time (it waits on a lock the crashed thread holds, or the heap is
// damaged). Everything it uses is prepared before the crash: a table of the loaded modules, the
// log file's name, the report's labels and the shared-memory names to remove. Writing it
// allocates nothing, takes no lock and asks nothing of the loader, so a signal handler may.
//
// The text is a stored report in the log's form ("TarvikLog ", items 2.2 to 2.5, the frames and
// their modules), so the log keeps it and the duplicate test reads it like any other.
#include <cstdint>
#include <string>

struct TCapturedException;
class TTarvikModuleOptions;

// Takes a fresh table of the loaded modules (name, handle, address range). Called at the capture's
// start, by the pipeline after it refreshes the reporter's module list and by the crash worker when
// it wakes.
// Safe before the program's static initialisation; not in a signal handler.
void PrepareCrashModules();
// The log file the short report goes to (none when the options do not store reports), the labels
// of the options in force and the names of the reporter's shared-memory files.
void PrepareCrashReport(const TTarvikModuleOptions* Options);

// The module holding Address in the prepared table: its file name (no directory) and handle.
// Signal-safe. False when no module of the table holds it.
bool CrashModuleOf(uintptr_t Address, const char*& Name, uintptr_t& Handle);

// Builds the short report of C into Buffer (always terminated) and returns its length.
// Signal-safe.
size_t FormatCrashReport(const TCapturedException& C, char* Buffer, size_t Size);
// Writes the short report to standard error and appends it to the prepared log file (unless
// another holder keeps the log's lock), then removes the shared-memory files. Signal-safe.
void WriteCrashFallback(const TCapturedException& C);
