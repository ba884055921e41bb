#pragma once
// An application framework that catches exceptions in its own handler (the GUI application's event
// loop) asks the exception reporter first, so that an exception it catches is still reported. The
// reporter installs the function at its start-up and removes it at its end.
#include <functional>

// Called inside the framework's catch block; true when the framework should still show its own
// message.
using TFrameworkExceptionHandler = std::function<bool()>;
// Returns the previous handler; an empty one removes it.
TFrameworkExceptionHandler SetFrameworkExceptionHandler(TFrameworkExceptionHandler Handler);
// The installed handler's answer; true without one.
bool FrameworkShowsException();
