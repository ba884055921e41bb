// Feeds arbitrary bytes as a report log file (".tvl") to the exception reporter's log: the stored
// reports it finds are exactly what the splitter finds, each a whole report that a rewrite keeps
// as it is; a report added is found again by its items after the file is rewritten and read back,
// with at most the limit kept.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "exceptions/report/TarvikLogFile.h"
#include "platform/classes/TempFiles.h"

// No start-up: the log needs none, and the reporter's would leave shared-memory names behind when
// the fuzzer exits.
namespace {
const std::string Sep = "\r\n\r\n\r\n\r\n";

void Check(bool Condition) {
  if (!Condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string File = GetTempPath() + "mor-fuzz-log-" + std::to_string(::getpid()) + ".tvl";
  std::string Bytes(reinterpret_cast<const char*>(Data), Size);
  FILE* F = std::fopen(File.c_str(), "wb");
  if (!F) return 0;
  std::fwrite(Bytes.data(), 1, Bytes.size(), F);
  std::fclose(F);

  std::vector<std::string> Reports = SplitLogReports(Bytes);
  std::string Rewritten;
  for (const std::string& R : Reports) {
    Check(R.compare(0, 10, "TarvikLog ") == 0);
    Check(R.size() >= 16 && R.compare(R.size() - 6, 6, "\r\n\r\n\r\n") == 0);
    Check(R.find(Sep) == std::string::npos);
    Check(Bytes.find(R) != std::string::npos);
    Rewritten += R + "\r\n";
  }
  Check(SplitLogReports(Rewritten) == Reports);

  int Limit = Size > 0 ? 1 + Data[0] % 8 : 1;
  const std::string Added = "TarvikLog 4.5.4\r\n\r\nException:\r\n-\r\n  2.2 Address: " + std::to_string(Size) +
                            "\r\n  2.5 Message: açúcar.";
  {
    TLogFile Log(File);
    Check(Log.Reports() == Reports);
    Log.FindReport({"2.2", "2.5"}, {Bytes.substr(0, 16), "x"});
    Log.AddReport(Added, Limit);
    Log.Save();
  }
  TLogFile Back(File, TLockedFile::lmRead);
  size_t Kept = std::min(Reports.size(), static_cast<size_t>(Limit - 1));
  Check(Back.Reports().size() == Kept + 1);
  for (size_t I = 0; I < Kept; ++I) Check(Back.Reports()[I] == Reports[Reports.size() - Kept + I]);
  Check(Back.FindReport({"2.2", "2.5"}, {std::to_string(Size), "açúcar."}));
  std::remove(File.c_str());
  return 0;
}
