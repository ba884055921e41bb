#pragma once
// Start-up of the system module: takes the facts that must hold later even when the program is
// crashing or its files have moved (program path, command line). Each call is matched by one
// FinalizeSys; the last one undoes it. Main thread, before other threads start.
void InitializeSys();
void FinalizeSys();
