#pragma once
// Runs the helper program exceptions_child: another process that uses the reporter, for the
// tests of what crosses process boundaries (virtual files, the trace file, CGI output).
#include <string>
#include <vector>

struct TChildProcess {
  int Pid = -1;
  int In = -1;   // the child's standard input
  int Out = -1;  // the child's standard output
};

// Starts the helper with Args; Env entries ("NAME=value") are added to the environment.
TChildProcess StartChild(const std::vector<std::string>& Args, const std::vector<std::string>& Env = {});
// The same with another program; with MergeStderr its standard error goes to Out as well.
TChildProcess StartProgram(const std::string& Path, const std::vector<std::string>& Args,
                           const std::vector<std::string>& Env = {}, bool MergeStderr = false);
// One line of the child's output, without its line break.
std::string ReadChildLine(TChildProcess& Child);
// All the child's output up to its end.
std::string ReadChildOutput(TChildProcess& Child);
// All the child's output up to its end, or up to TimeoutMs, after which the child is killed
// (SIGKILL): a hanging child ends the test's wait instead of the test run.
std::string ReadChildOutputFor(TChildProcess& Child, int TimeoutMs);
void WriteChildLine(TChildProcess& Child, const std::string& Line);
// Waits for the child and returns its exit code (-1 when it did not exit normally).
int WaitChild(TChildProcess& Child);
// Waits for the child and returns its raw wait status (-1 when the wait failed).
int WaitChildStatus(TChildProcess& Child);
std::string ChildProgramPath();
