// The registry store's file: parsed, written again, and parsed to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/app/Registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string Text(reinterpret_cast<const char*>(Data), Size);
  std::vector<TRegistryEntry> Entries = ParseRegistryText(Text);
  if (ParseRegistryText(FormatRegistryText(Entries)) != Entries) std::abort();
  return 0;
}
