// A library whose constructor faults: loading it with dlopen crashes while the loader holds its
// lock, which the crash's report must not need.
#include <cstdio>
#include <cstdlib>

namespace {
[[gnu::constructor]] void FaultOnLoad() {
  if (!std::getenv("MOR_CTOR_FAULT")) return;
  std::printf("constructor\n");
  std::fflush(stdout);
  *reinterpret_cast<volatile int*>(24) = 1;
}
}  // namespace

extern "C" int CtorFaultLoaded() { return 1; }
