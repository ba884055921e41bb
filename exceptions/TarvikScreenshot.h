#pragma once
// The screen as the screenshot shows it: the X11 root window with the mouse cursor drawn in. Works
// from any thread: it opens its own connection to the display, and loads the X libraries only when
// asked, so a program without them (or a Wayland-only session) simply has no screenshot.
#include <optional>
#include <string>

#include "exceptions/TarvikPng.h"

// The whole screen reduced to the screenshot palette; nothing when there is no X11 display (no
// DISPLAY, no libraries, connection refused) or the picture could not be read. Why is in the trace.
std::optional<TPalettedImage> CaptureScreen();
// TakeScreenshot's hook: the screen as a PNG file at Path. Without a screen it writes no file (the
// trace says why) and the report goes on without a picture; a file that cannot be written raises.
void WriteScreenshot(const std::string& Path);
