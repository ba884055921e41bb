// Feeds arbitrary bytes to the binary component stream reader (with and
// without an error hook that skips bad values), writes back what was read, and
// converts the bytes to the text form.
#include <cstdint>
#include <memory>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "tests/platform/classes/FilerTestClasses.h"

namespace {
void Read(const uint8_t* Data, size_t Size, bool Hook) {
  TBytesStream S(Data, static_cast<int64_t>(Size));
  TReader R(S);
  if (Hook) R.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
  try {
    std::unique_ptr<TComponent, TComponentDeleter> Root(R.ReadRootComponent(nullptr));
    TMemoryStream Out;
    WriteComponentToStream(Out, Root.get());
  } catch (const EStreamError&) {
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterFilerClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  LoadedLog.clear();
  Read(Data, Size, false);
  Read(Data, Size, true);
  try {
    TBytesStream In(Data, static_cast<int64_t>(Size));
    TMemoryStream Text;
    ObjectBinaryToText(In, Text);
  } catch (const EReadError&) {
  }
  return 0;
}
