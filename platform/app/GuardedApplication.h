#pragma once
// Internal to the platform's start-up: the Qt application class the platform makes. Qt does not let
// an exception unwind through its event loop, so one that leaves an event handler is caught where
// Qt delivers the event and goes to the application's handler (TApplication::HandleException),
// which asks the exception reporter first.
#include <cxxabi.h>

#include <QObject>

// Called inside the catch block: Application's HandleException, or the reporter alone before
// Application exists.
void HandleEventLoopException();

template <class QtApplication>
class TGuardedApplication : public QtApplication {
public:
  using QtApplication::QtApplication;
  bool notify(QObject* Receiver, QEvent* Event) override {
    try {
      return QtApplication::notify(Receiver, Event);
    } catch (abi::__forced_unwind&) {
      throw;  // a thread being cancelled must go on unwinding
    } catch (...) {
      HandleEventLoopException();
      return false;
    }
  }
};
