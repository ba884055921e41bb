// A C++ exception thrown and caught two frames up, as the program runs with the exception
// reporter active (every raise intercepted and its handler search run ahead) and after the
// reporter has removed its hooks (the C++ runtime alone). The stack under the throw is 20 frames
// deep, as in a program that throws from inside its event loop. Prints nanoseconds per throw
// (median of runs) and the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "exceptions/ExceptionLog.h"
#include "exceptions/capture/TarvikCapture.h"
#include "platform/rtl/SysUtils.h"

namespace {
constexpr int Throws = 20000;
constexpr int Runs = 15;

[[gnu::noinline]] void Thrower(int I) {
  if (I >= 0) throw EConvertError("x");
}
[[gnu::noinline]] void Middle(int I) {
  Thrower(I);
  asm volatile("");
}
[[gnu::noinline]] int Catcher(int I) {
  try {
    Middle(I);
  } catch (const EConvertError&) {
    return 1;
  }
  return 0;
}
[[gnu::noinline]] int Deep(int Depth, int I) {
  int R = Depth == 0 ? Catcher(I) : Deep(Depth - 1, I);
  asm volatile("");
  return R;
}

double NanosecondsPerThrow() {
  std::vector<double> Samples;
  for (int R = 0; R < Runs; ++R) {
    auto T0 = std::chrono::steady_clock::now();
    int Caught = 0;
    for (int I = 0; I < Throws; ++I) Caught += Deep(16, I);
    auto T1 = std::chrono::steady_clock::now();
    if (Caught != Throws) std::fprintf(stderr, "lost a throw\n");
    Samples.push_back(std::chrono::duration<double, std::nano>(T1 - T0).count() / Throws);
  }
  std::sort(Samples.begin(), Samples.end());
  return Samples[Samples.size() / 2];
}
}  // namespace

int main() {
  InitializeExceptions();
  if (!CaptureStarted()) {
    std::fprintf(stderr, "the reporter is not active (no reporter data?)\n");
    return 1;
  }
  double Active = NanosecondsPerThrow();
  StopCapture();
  double Without = NanosecondsPerThrow();
  StartCapture();
  std::printf("throw caught two frames up, reporter active: %.0f ns\n", Active);
  std::printf("the same without the reporter's hooks: %.0f ns\n", Without);
  std::printf("ratio: %.2f\n", Active / Without);
  FinalizeExceptions();
  return 0;
}
