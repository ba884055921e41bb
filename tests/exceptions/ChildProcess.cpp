#include "tests/exceptions/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

std::string ChildProgramPath() { return MOR_EXCEPTIONS_CHILD; }

TChildProcess StartChild(const std::vector<std::string>& Args, const std::vector<std::string>& Env) {
  return StartProgram(ChildProgramPath(), Args, Env);
}

TChildProcess StartProgram(const std::string& Path, const std::vector<std::string>& Args,
                           const std::vector<std::string>& Env, bool MergeStderr) {
  int ToChild[2], FromChild[2];
  if (::pipe2(ToChild, O_CLOEXEC) != 0 || ::pipe2(FromChild, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_adddup2(&Actions, ToChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&Actions, FromChild[1], STDOUT_FILENO);
  if (MergeStderr) posix_spawn_file_actions_adddup2(&Actions, FromChild[1], STDERR_FILENO);
  std::string Program = Path;
  std::vector<char*> Argv{Program.data()};
  std::vector<std::string> ArgCopy = Args;
  for (std::string& A : ArgCopy) Argv.push_back(A.data());
  Argv.push_back(nullptr);
  std::vector<std::string> EnvCopy;
  for (char** E = environ; *E; ++E) EnvCopy.emplace_back(*E);
  EnvCopy.insert(EnvCopy.end(), Env.begin(), Env.end());
  std::vector<char*> Envp;
  for (std::string& E : EnvCopy) Envp.push_back(E.data());
  Envp.push_back(nullptr);
  TChildProcess C;
  pid_t Pid;
  if (posix_spawn(&Pid, Program.c_str(), &Actions, nullptr, Argv.data(), Envp.data()) == 0) C.Pid = Pid;
  posix_spawn_file_actions_destroy(&Actions);
  ::close(ToChild[0]);
  ::close(FromChild[1]);
  C.In = ToChild[1];
  C.Out = FromChild[0];
  return C;
}

std::string ReadChildLine(TChildProcess& Child) {
  std::string Line;
  char C;
  for (;;) {
    ssize_t N = ::read(Child.Out, &C, 1);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0 || C == '\n') break;
    Line += C;
  }
  return Line;
}

std::string ReadChildOutput(TChildProcess& Child) {
  std::string R;
  char Buf[4096];
  for (;;) {
    ssize_t N = ::read(Child.Out, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    R.append(Buf, static_cast<size_t>(N));
  }
  return R;
}

std::string ReadChildOutputFor(TChildProcess& Child, int TimeoutMs) {
  std::string R;
  char Buf[4096];
  auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (;;) {
    auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(End - std::chrono::steady_clock::now()).count();
    pollfd P{Child.Out, POLLIN, 0};
    int N = Left > 0 ? ::poll(&P, 1, static_cast<int>(Left)) : 0;
    if (N < 0 && errno == EINTR) continue;
    if (N == 0) {
      ::kill(Child.Pid, SIGKILL);
      R += "\n[killed after " + std::to_string(TimeoutMs) + " ms]\n";
      break;
    }
    ssize_t Got = ::read(Child.Out, Buf, sizeof Buf);
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) break;
    R.append(Buf, static_cast<size_t>(Got));
  }
  return R;
}

void WriteChildLine(TChildProcess& Child, const std::string& Line) {
  std::string L = Line + "\n";
  if (::write(Child.In, L.data(), L.size()) < 0) return;
}

int WaitChild(TChildProcess& Child) {
  if (Child.In >= 0) ::close(Child.In);
  if (Child.Out >= 0) ::close(Child.Out);
  Child.In = Child.Out = -1;
  int Status = 0;
  if (Child.Pid < 0 || ::waitpid(Child.Pid, &Status, 0) != Child.Pid) return -1;
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

int WaitChildStatus(TChildProcess& Child) {
  if (Child.In >= 0) ::close(Child.In);
  if (Child.Out >= 0) ::close(Child.Out);
  Child.In = Child.Out = -1;
  int Status = 0;
  if (Child.Pid < 0 || ::waitpid(Child.Pid, &Status, 0) != Child.Pid) return -1;
  return Status;
}
