// Feeds arbitrary bytes as an INI file to the exception reporter's INI helpers: reading never fails,
// and a value written is the value read back, whatever else the file holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exceptions/base/TarvikIni.h"
#include "platform/classes/TempFiles.h"

// No start-up: these readers need none, and the reporter's would leave shared-memory names
// behind when the fuzzer exits.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string File = GetTempPath() + "mor-fuzz-ini-" + std::to_string(::getpid()) + ".ini";
  FILE* F = std::fopen(File.c_str(), "wb");
  if (!F) return 0;
  std::fwrite(Data, 1, Size, F);
  std::fclose(F);
  for (const char* Section : {"Dialog", "a", ""})
    for (const char* Key : {"Left", "a", "="}) ReadIniText(File, Section, Key, "d");
  WriteIniText(File, "Dialog", "Left", "42");
  if (ReadIniText(File, "dialog", "LEFT", "d") != "42") std::abort();
  std::remove(File.c_str());
  return 0;
}
