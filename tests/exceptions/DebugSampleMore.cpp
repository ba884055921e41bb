#include "tests/exceptions/DebugSample.h"

namespace sample {
int OtherFile(int X) {
  int Y = X + 1;
  return Note() + Y;
}
}  // namespace sample
