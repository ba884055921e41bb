#pragma once
// The desktop hooks (platform/sys/DesktopHooks.h) answered by the widgets, for a crash report:
// the active form (its class and caption), the focused control (its class and text, a password
// masked with "*") and the clipboard. InitializeForms installs them; the clipboard only on a real
// display (an offscreen clipboard ends with the process).
#include "platform/sys/DesktopHooks.h"

TDesktopHooks QtDesktopHooks(bool Clipboard);
