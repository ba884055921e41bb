#pragma once
// One virtual X server for the tests that need a screen (screenshots, the dialog program), started
// on first use with a free display number and stopped when the test program ends.
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int XvfbWidth = 1024, XvfbHeight = 768;
// ":N" of the running server; fails the calling test (empty result) when Xvfb cannot start.
std::string XvfbDisplay();
// Paints the root window of Display in vertical bands of equal width, one per colour (0xRRGGBB).
bool PaintRootBands(const std::string& Display, const std::vector<uint32_t>& Colours);

// Windows of the tests' own on a display, kept while the object lives: each filled with one colour
// and marked (_NET_WM_PID) as belonging to the process Pid. Later windows stack above earlier ones.
class TTestWindows {
public:
  explicit TTestWindows(const std::string& Display);
  ~TTestWindows();
  TTestWindows(const TTestWindows&) = delete;
  TTestWindows& operator=(const TTestWindows&) = delete;
  bool Add(int X, int Y, int Width, int Height, uint32_t Colour, long Pid);

private:
  void* FDisplay = nullptr;
};
