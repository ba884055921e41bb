// Feeds arbitrary bytes to the exception reporter's options-stream reader under each data version's
// rules (the first byte picks the version) and, from the high bit of that byte on, to the string
// reader of its virtual files. Whatever the options reader accepts must write and read back to the
// same bytes; anything but EReadError from a damaged stream is a fault.
#include <cstdint>
#include <cstdlib>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"

// No start-up: these readers need none, and the reporter's would leave shared-memory names
// behind when the fuzzer exits.
namespace {
const int Versions[] = {400, 401, 403, 420, 421, 422, 449, 450, 454};

std::vector<uint8_t> Saved(const TTarvikModuleOptions& O) {
  TMemoryStream S;
  O.SaveToStream(S);
  return S.Bytes();
}

void Options(int Version, const uint8_t* Data, size_t Size) {
  TTarvikModuleOptions O("", 0);
  std::vector<uint8_t> Before = Saved(O);
  TBytesStream S(Data, static_cast<int64_t>(Size));
  try {
    O.LoadFromStream(S, Version);
  } catch (const EReadError&) {
    if (Saved(O) != Before) std::abort();  // a damaged stream changes nothing
    return;
  }
  std::vector<uint8_t> First = Saved(O);
  TTarvikModuleOptions Back("", 0);
  TBytesStream B(First.data(), static_cast<int64_t>(First.size()));
  Back.LoadFromStream(B, TarvikLogDataVersion);
  if (B.Position() != static_cast<int64_t>(First.size()) || Saved(Back) != First) std::abort();
}

void VirtualStrings(const uint8_t* Data, size_t Size) {
  TBytesStream S(Data, static_cast<int64_t>(Size));
  try {
    for (int I = 0; I < 4; ++I) ReadVirtualString(S);
  } catch (const EReadError&) {
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  if (Data[0] & 0x80)
    VirtualStrings(Data + 1, Size - 1);
  else
    Options(Versions[Data[0] % 9], Data + 1, Size - 1);
  return 0;
}
