#pragma once
// The application object: title, program path, and the message loop over
// Qt's event loop. InitializeApplication creates the global Application (and
// a Qt application object when there is none); FinalizeApplication frees it.
#include <atomic>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"

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

private:
  friend void InitializeApplication(int, char**);
  std::string FTitle;
  std::vector<std::string> FParams;
  std::atomic<bool> FTerminated{false};
};

extern TApplication* Application;

// Creates Application (and a Qt application on the main thread when none
// exists yet). Calling it again does nothing. Arguments are kept as Params.
void InitializeApplication(int argc = 0, char** argv = nullptr);
// Frees Application and the Qt application it created.
void FinalizeApplication();
