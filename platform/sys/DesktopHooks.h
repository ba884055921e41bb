#pragma once
// What a crash report asks of the desktop: the active window, the focused control and the
// clipboard. The layer that owns the windows installs the functions at its start-up and removes
// them at its end; without a desktop (no display, a console program) none is installed. Each
// function runs on the thread that owns the windows; called on any other it answers nothing.
#include <functional>
#include <optional>
#include <string>

struct TWindowFacts {
  std::string ClassName;
  std::string Text;  // a password control's text is masked with "*"
};

struct TDesktopHooks {
  std::function<std::optional<TWindowFacts>()> ActiveWindow;
  std::function<std::optional<TWindowFacts>()> FocusedControl;
  // Puts the text (UTF-8) on the clipboard; false when that failed.
  std::function<bool(const std::string& Text)> CopyText;
  // These two run on any thread. RunOnWindowThread posts Call to the window thread's event loop and
  // waits at most TimeoutMs for the loop to take it, then until it ends; false when it was not
  // taken in time (it then never runs). An exception from Call is passed on to the caller.
  std::function<bool(const std::function<void()>& Call, int TimeoutMs)> RunOnWindowThread;
  // One pass of a restricted event loop on the window thread: windows repaint, user input waits.
  std::function<void()> PumpPaintMessages;
  // Posts Call to the window thread's event loop without waiting; false when there is no loop.
  std::function<bool(std::function<void()> Call)> PostToWindowThread;
};

// Returns the previous hooks; empty hooks remove them.
TDesktopHooks SetDesktopHooks(TDesktopHooks Hooks);
TDesktopHooks DesktopHooks();
