#include "tests/exceptions/XvfbServer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

extern char** environ;

namespace {
struct TXvfb {
  pid_t Pid = -1;
  std::string Display;
  ~TXvfb() {
    if (Pid > 0) {
      ::kill(Pid, SIGTERM);
      ::waitpid(Pid, nullptr, 0);
    }
  }
};

TXvfb& Server() {
  static TXvfb S;
  return S;
}

// Xvfb picks the number itself and writes it to the descriptor given with -displayfd.
void Start(TXvfb& S) {
  int Fds[2];
  if (::pipe(Fds) != 0) return;
  posix_spawn_file_actions_t A;
  posix_spawn_file_actions_init(&A);
  posix_spawn_file_actions_addclose(&A, Fds[0]);
  posix_spawn_file_actions_addopen(&A, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string Fd = std::to_string(Fds[1]);
  std::string Geometry = std::to_string(XvfbWidth) + "x" + std::to_string(XvfbHeight) + "x24";
  std::vector<std::string> Args = {"Xvfb", "-displayfd", Fd, "-screen", "0", Geometry, "-nolisten", "tcp", "-noreset"};
  std::vector<char*> Argv;
  for (auto& Arg : Args) Argv.push_back(Arg.data());
  Argv.push_back(nullptr);
  pid_t Pid;
  int Rc = posix_spawnp(&Pid, "Xvfb", &A, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&A);
  ::close(Fds[1]);
  if (Rc != 0) {
    ::close(Fds[0]);
    return;
  }
  S.Pid = Pid;
  std::string Number;
  pollfd P{Fds[0], POLLIN, 0};
  while (::poll(&P, 1, 20000) > 0) {
    char C;
    if (::read(Fds[0], &C, 1) != 1 || C == '\n') break;
    Number += C;
  }
  ::close(Fds[0]);
  if (!Number.empty()) S.Display = ":" + Number;
}
}  // namespace

std::string XvfbDisplay() {
  static std::once_flag Once;
  std::call_once(Once, [] { Start(Server()); });
  EXPECT_FALSE(Server().Display.empty()) << "Xvfb did not start (scripts/deps.sh installs it)";
  return Server().Display;
}

// Last: Xlib's macros (None, Bool, Status) would clash with the test framework's names above.
#include <X11/Xlib.h>

bool PaintRootBands(const std::string& Name, const std::vector<uint32_t>& Colours) {
  ::Display* D = XOpenDisplay(Name.c_str());
  if (!D || Colours.empty()) return false;
  Window Root = DefaultRootWindow(D);
  GC G = XCreateGC(D, Root, 0, nullptr);
  const int Band = XvfbWidth / static_cast<int>(Colours.size());
  for (size_t K = 0; K < Colours.size(); ++K) {
    XSetForeground(D, G, Colours[K]);
    XFillRectangle(D, Root, G, static_cast<int>(K) * Band, 0, static_cast<unsigned>(Band), XvfbHeight);
  }
  XSync(D, False);
  XFreeGC(D, G);
  XCloseDisplay(D);
  return true;
}

#include <X11/Xatom.h>

TTestWindows::TTestWindows(const std::string& Name) : FDisplay(XOpenDisplay(Name.c_str())) {}

TTestWindows::~TTestWindows() {
  if (FDisplay) XCloseDisplay(static_cast<::Display*>(FDisplay));
}

bool TTestWindows::Add(int X, int Y, int Width, int Height, uint32_t Colour, long Pid) {
  auto* D = static_cast<::Display*>(FDisplay);
  if (!D) return false;
  Window W = XCreateSimpleWindow(D, DefaultRootWindow(D), X, Y, static_cast<unsigned>(Width),
                                 static_cast<unsigned>(Height), 0, 0, Colour);
  Atom PidAtom = XInternAtom(D, "_NET_WM_PID", False);
  XChangeProperty(D, W, PidAtom, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&Pid), 1);
  XMapRaised(D, W);
  XSync(D, False);
  return true;
}
