// Feeds arbitrary text to the text form of component streams: converts it to
// the binary form, reads the components it describes, and converts the binary
// form back to text, which must convert again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "tests/platform/classes/FilerTestClasses.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterFilerClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  LoadedLog.clear();
  TMemoryStream Bin;
  try {
    TBytesStream In(Data, static_cast<int64_t>(Size));
    ObjectTextToBinary(In, Bin);
  } catch (const EReadError&) {
    return 0;
  }
  try {
    TBytesStream S(Bin.Memory(), Bin.Size());
    TReader R(S);
    R.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
    std::unique_ptr<TComponent, TComponentDeleter> Root(R.ReadRootComponent(nullptr));
  } catch (const EStreamError&) {
  }
  // What the converter wrote, it reads back.
  TMemoryStream Text, Again;
  Bin.SetPosition(0);
  ObjectBinaryToText(Bin, Text);
  Text.SetPosition(0);
  try {
    ObjectTextToBinary(Text, Again);
  } catch (const EReadError& E) {
    std::fprintf(stderr, "the text form of a converted stream does not convert again: %s\n", E.what());
    std::abort();
  }
  return 0;
}
