#include "platform/sys/Process.h"

#include "platform/sys/SysInit.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {
std::mutex StateLock;
std::string CachedProgramPath;
std::vector<std::string> CachedCommandLine;
bool Cached = false;
std::atomic<bool> ConsoleProgram{true};
TDebugOutputHook DebugHook;
}  // namespace

std::string ReadSystemFile(const char* Path) {
  std::string R;
  int H = ::open(Path, O_RDONLY | O_CLOEXEC);
  if (H < 0) return R;
  char Buf[4096];
  for (;;) {
    ssize_t N = ::read(H, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    R.append(Buf, static_cast<size_t>(N));
  }
  ::close(H);
  return R;
}

namespace {
std::string ReadProgramPath() {
  std::string R(256, '\0');
  for (;;) {
    ssize_t N = ::readlink("/proc/self/exe", R.data(), R.size());
    if (N < 0) return std::string();
    if (static_cast<size_t>(N) < R.size()) {
      R.resize(static_cast<size_t>(N));
      return R;
    }
    R.resize(R.size() * 2);
  }
}

std::vector<std::string> ReadCommandLine() {
  std::vector<std::string> R;
  std::string Raw = ReadSystemFile("/proc/self/cmdline");
  size_t I = 0;
  while (I < Raw.size()) {
    size_t End = Raw.find('\0', I);
    if (End == std::string::npos) End = Raw.size();
    R.emplace_back(Raw, I, End - I);
    I = End + 1;
  }
  return R;
}
}  // namespace

namespace {
int InitCount = 0;

// At InitializeSys, or on first use by a program that asks before its start-up.
void CacheProcessFacts() {
  std::lock_guard<std::mutex> L(StateLock);
  if (Cached) return;
  CachedProgramPath = ReadProgramPath();
  CachedCommandLine = ReadCommandLine();
  Cached = true;
}

void ForgetProcessFacts() {
  std::lock_guard<std::mutex> L(StateLock);
  Cached = false;
  CachedProgramPath.clear();
  CachedCommandLine.clear();
}
}  // namespace

void InitializeSys() {
  if (InitCount++ > 0) return;
  CacheProcessFacts();
}

void FinalizeSys() {
  if (InitCount == 0 || --InitCount > 0) return;
  ForgetProcessFacts();
}

int ProcessId() { return static_cast<int>(::getpid()); }

std::string ProgramPath() {
  CacheProcessFacts();
  std::lock_guard<std::mutex> L(StateLock);
  return CachedProgramPath;
}

const std::vector<std::string>& CommandLine() {
  CacheProcessFacts();
  return CachedCommandLine;
}

int ParamCount() {
  const auto& C = CommandLine();
  return C.empty() ? 0 : static_cast<int>(C.size()) - 1;
}

std::string ParamStr(int I) {
  if (I == 0) return ProgramPath();
  const auto& C = CommandLine();
  return I > 0 && I < static_cast<int>(C.size()) ? C[static_cast<size_t>(I)] : std::string();
}

std::optional<std::string> EnvironmentVariable(const std::string& Name) {
  const char* V = std::getenv(Name.c_str());
  if (!V) return std::nullopt;
  return std::string(V);
}

int TracerPid() {
  // Read with plain system calls: this runs at start-up and on the crash path.
  char Buf[2048];
  int H = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (H < 0) return 0;
  ssize_t N;
  do N = ::read(H, Buf, sizeof Buf - 1);
  while (N < 0 && errno == EINTR);
  ::close(H);
  if (N <= 0) return 0;
  Buf[N] = '\0';
  const char* P = std::strstr(Buf, "TracerPid:");
  if (!P) return 0;
  P += 10;
  while (*P == ' ' || *P == '\t') ++P;
  int Pid = 0;
  while (*P >= '0' && *P <= '9') Pid = Pid * 10 + (*P++ - '0');
  return Pid;
}

bool DebuggerAttached() { return TracerPid() != 0; }

uintptr_t CurrentThreadStackBase() {
  pthread_attr_t A;
  if (::pthread_getattr_np(::pthread_self(), &A) != 0) return 0;
  void* Low = nullptr;
  size_t Size = 0;
  int Err = ::pthread_attr_getstack(&A, &Low, &Size);
  ::pthread_attr_destroy(&A);
  return Err == 0 ? reinterpret_cast<uintptr_t>(Low) + Size : 0;
}

bool IsConsole() { return ConsoleProgram.load(); }
void SetIsConsole(bool Value) { ConsoleProgram.store(Value); }

void OutputDebugString(std::string_view Text) {
  TDebugOutputHook Hook;
  {
    std::lock_guard<std::mutex> L(StateLock);
    Hook = DebugHook;
  }
  if (Hook) {
    Hook(Text);
    return;
  }
  std::string Line(Text);
  Line += '\n';
  size_t Done = 0;
  while (Done < Line.size()) {
    ssize_t W = ::write(STDERR_FILENO, Line.data() + Done, Line.size() - Done);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) break;
    Done += static_cast<size_t>(W);
  }
}

TDebugOutputHook SetDebugOutputHook(TDebugOutputHook Hook) {
  std::lock_guard<std::mutex> L(StateLock);
  std::swap(DebugHook, Hook);
  return Hook;
}
