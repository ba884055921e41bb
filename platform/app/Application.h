#pragma once
// The application object: title, program path, and the message loop over
// Qt's event loop. InitializeApplication is the platform's start-up for a
// program without windows; a program with windows calls InitializeForms
// (platform/forms/FormsApplication.h), which calls it.
#include <atomic>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

// How the program reaches the window system.
enum class TDisplayMode {
  Screen,     // Qt's platform: QT_QPA_PLATFORM, else the session's display
  Offscreen,  // no window system (Qt's offscreen platform) unless QT_QPA_PLATFORM names one
};

// The handler an application gives for the exceptions its event loop catches.
using TExceptionEvent = TEvent<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // Full path of the running program.
  std::string ExeName() const;
  // Command-line parameters after the program name.
  const std::vector<std::string>& Params() const { return FParams; }

  // Handles every message and event already waiting, then returns.
  void ProcessMessages();
  // Waits for at least one message or event and handles what is waiting.
  // Returns at once when the application has been terminated.
  void HandleMessage();
  // Runs HandleMessage until Terminate.
  void Run();
  // Asks the loop to end; wakes a HandleMessage that is waiting. Any thread.
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // Runs instead of ShowException when set.
  TExceptionEvent OnException;
  // The handler of an exception the event loop caught: call it inside the catch block. The
  // exception reporter is asked first (platform/sys/FrameworkHooks.h); only when it did not report
  // the exception, OnException runs, else ShowException. An EAbort is silent.
  void HandleException(TObject* Sender);
  // The exception's message (with a final ".") in an error box captioned with the title.
  void ShowException(const Exception& E);

private:
  friend void InitializeApplication(int, char**, TDisplayMode);
  std::string FTitle;
  std::vector<std::string> FParams;
  std::atomic<bool> FTerminated{false};
};

extern TApplication* Application;

// Whether the session has a display (DISPLAY or WAYLAND_DISPLAY is set). A
// command-line program picks Offscreen without one.
bool DisplayAvailable();

// The platform's start-up, on the main thread: creates the Qt GUI application
// when none exists, then initialises the graphics, the printers, the message
// dispatcher and Application, whose Params are argv[1..argc-1]. Each call is
// matched by one FinalizeApplication; the last one undoes the start-up in
// reverse and frees the Qt application it created.
void InitializeApplication(int argc = 0, char** argv = nullptr, TDisplayMode Mode = TDisplayMode::Screen);
void FinalizeApplication();
