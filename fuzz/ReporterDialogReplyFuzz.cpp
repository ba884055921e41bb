// Feeds arbitrary bytes as the dialog program's output to the reporter: the message parser never
// reads outside its input, never takes a message larger than its limit, and a message it takes
// encodes back to the bytes it used; decoding a reply raises only EReadError.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exceptions/deliver/TarvikDialogProtocol.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
  for (int Messages = 0; Messages < 8; ++Messages) {
    TDialogMessage M;
    size_t Used = 0;
    std::string Error;
    if (ParseDialogMessage(Bytes, M, Used, Error) != TDialogParse::Complete) break;
    if (Used == 0 || Used > Bytes.size()) std::abort();
    if (EncodeDialogMessage(M) != Bytes.substr(0, Used)) std::abort();
    try {
      DecodeDialogReply(M);
    } catch (const EReadError&) {
    }
    Bytes.remove_prefix(Used);
  }
  return 0;
}
