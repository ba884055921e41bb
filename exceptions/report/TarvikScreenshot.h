#pragma once
// The screenshot: the program's own windows as the screen shows them, with the mouse cursor drawn
// in. Other programs' windows stay private: the picture is the smallest rectangle around what the
// program's top-level windows (_NET_WM_PID) show, and every pixel there that is not the program's
// (the desktop, a window of another program on top) is HiddenColour. Works from any thread: it
// opens its own connection to the display. The X libraries are loaded at run time, so a program
// without them (or a Wayland-only session) simply has no screenshot.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exceptions/report/TarvikPng.h"

inline constexpr uint32_t HiddenColour = 0x000000;

// A top-level window in the stacking order (lowest first) and whether it is the program's.
struct TScreenWindow {
  int X = 0, Y = 0, Width = 0, Height = 0;
  bool Own = false;
};
// What the program's windows show of the screen: the bounding rectangle (Width 0: nothing) and a
// mask over it, 1 where the pixel is the program's.
struct TOwnArea {
  int X = 0, Y = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Mask;
};
TOwnArea OwnVisibleArea(const std::vector<TScreenWindow>& Windows, int ScreenWidth, int ScreenHeight);

// The program's windows reduced to the screenshot palette; nothing when there is no X11 display (no
// DISPLAY, no libraries, connection refused), the program shows no window, or the picture could
// not be read. Why is in the trace.
std::optional<TPalettedImage> CaptureScreen();
// Loads the X libraries now, at installation: the loader's lock is not taken after a crash.
void PrepareScreenshot();
// TakeScreenshot's hook: the screen as a PNG file at Path. Without a screen it writes no file (the
// trace says why) and the report goes on without a picture; a file that cannot be written raises.
void WriteScreenshot(const std::string& Path);
