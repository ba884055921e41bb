#pragma once
// Starting another program without a shell: the arguments reach it exactly as given.
#include <string>
#include <vector>

struct TSpawnResult {
  int Error = 0;        // errno of a program that could not be started (ENOENT: not on PATH); 0 when started
  bool Exited = false;  // it ended within the wait
  int ExitCode = -1;    // its exit code when it ended normally; -1 for a signal
};

// Starts Argv[0] (looked up on PATH) with Argv in a process group of its own, its standard input
// from /dev/null, default signal dispositions and an empty signal mask. Waits up to WaitMs for it
// to end; a program still running then is left running and reaped in the background.
TSpawnResult SpawnProgram(const std::vector<std::string>& Argv, int WaitMs);
