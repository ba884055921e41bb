// Feeds arbitrary bytes as a DNS reply to the reporter's MX parser (the first two bytes are also
// the query's identifier, so that both a matching and a foreign reply are reached): it never reads
// outside the reply, never hangs, and gives either nothing or a plain host name.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exceptions/deliver/TarvikSocket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  for (uint16_t Id : {uint16_t(Size >= 2 ? Data[0] << 8 | Data[1] : 0), uint16_t(0x4141)}) {
    std::string Host = ParseMxReply(Data, Size, Id);
    if (Host.size() > 255) std::abort();
    for (char C : Host)
      if (uint8_t(C) <= ' ' || uint8_t(C) >= 0x7F) std::abort();
  }
  return 0;
}
