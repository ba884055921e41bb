#pragma once
// The running process as the operating system sees it: its id, program file, command line,
// environment, debugger, stack and diagnostic output.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

int ProcessId();
// A small system file (/proc) read whole with plain system calls; empty when it cannot be read.
std::string ReadSystemFile(const char* Path);
// Full path of the running program (/proc/self/exe), taken at InitializeSys so that it still holds
// when the file has been replaced or the process is crashing.
std::string ProgramPath();
// The program's arguments as it was started; [0] is the name it was started by.
const std::vector<std::string>& CommandLine();
// Number of arguments after the program name, and argument I (0 = the program path).
int ParamCount();
std::string ParamStr(int I);

std::optional<std::string> EnvironmentVariable(const std::string& Name);

// Process id of the process tracing this one (a debugger), 0 when none.
int TracerPid();
bool DebuggerAttached();

// Highest address of the calling thread's stack (the stack grows down from it); 0 when unknown.
uintptr_t CurrentThreadStackBase();

// Whether the program talks through standard input and output rather than windows. True unless the
// program says otherwise (a program that creates windows sets it false at start-up).
bool IsConsole();
void SetIsConsole(bool Value);

// Diagnostic output for a developer (standard error, one line per call); a hook replaces it, for
// tests or to route it elsewhere.
using TDebugOutputHook = std::function<void(std::string_view Text)>;
void OutputDebugString(std::string_view Text);
// Returns the previous hook; an empty hook restores the default.
TDebugOutputHook SetDebugOutputHook(TDebugOutputHook Hook);
