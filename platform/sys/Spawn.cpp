#include "platform/sys/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

TSpawnResult SpawnProgram(const std::vector<std::string>& Argv, int WaitMs) {
  TSpawnResult R;
  if (Argv.empty()) {
    R.Error = EINVAL;
    return R;
  }
  std::vector<char*> Args;
  for (const std::string& A : Argv) Args.push_back(const_cast<char*>(A.c_str()));
  Args.push_back(nullptr);

  posix_spawn_file_actions_t Files;
  posix_spawnattr_t Attr;
  posix_spawn_file_actions_init(&Files);
  posix_spawnattr_init(&Attr);
  posix_spawn_file_actions_addopen(&Files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  sigset_t Empty, Defaults;
  sigemptyset(&Empty);
  sigemptyset(&Defaults);
  // The reporter ignores or catches these; the new program must not inherit an ignored one.
  for (int S : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP}) sigaddset(&Defaults, S);
  posix_spawnattr_setsigmask(&Attr, &Empty);
  posix_spawnattr_setsigdefault(&Attr, &Defaults);
  posix_spawnattr_setpgroup(&Attr, 0);
  posix_spawnattr_setflags(&Attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t Pid = 0;
  R.Error = posix_spawnp(&Pid, Args[0], &Files, &Attr, Args.data(), environ);
  posix_spawnattr_destroy(&Attr);
  posix_spawn_file_actions_destroy(&Files);
  if (R.Error != 0) return R;

  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs);
  for (;;) {
    int Status = 0;
    pid_t W = waitpid(Pid, &Status, WNOHANG);
    if (W == Pid) {
      R.Exited = true;
      R.ExitCode = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
      return R;
    }
    if (W < 0 && errno != EINTR) return R;  // reaped elsewhere: nothing more to learn
    if (std::chrono::steady_clock::now() >= Deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::thread([Pid] {
    int Status;
    while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return R;
}
