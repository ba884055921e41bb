// Feeds arbitrary bytes as another module's "EXCEPT" virtual file to the exception reporter's
// rebuild of a foreign report: whatever type and message the bytes carry, the rebuilt report keeps
// its tables and processor section, every line of its general section stays one line, and the
// values handed to the duplicate check are found again in the report as the log stores it.
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/report/TarvikLogFile.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/Win1252.h"
#include "tests/exceptions/ReportFixture.h"

namespace {
void Check(bool Condition) {
  if (!Condition) std::abort();
}
}  // namespace

// No reporter start-up: the rebuild needs none, and it would leave shared-memory names behind.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::optional<TExceptFileContents> Contents = ParseExceptFileContents(Data, Size);
  if (!Contents) return 0;
  static const TTarvikModuleOptions Options("", 0);
  static const TReportSources Sources = FixedSources();
  TTarvikNotifyRecord Record = FixedRecord();
  TTarvikReport Report;
  BuildReportText(Record, Options, Sources, Report);
  const std::string Tables = Record.CallStackText, Cpu = Report.CpuText;

  bool Applied = ApplyForeignExceptionData(*Contents, Record, Options, Report);
  Check(Applied == Contents->Recorded);
  Check(Record.CallStackText == Tables && Report.CpuText == Cpu);
  Check(Report.Text == Report.GeneralText + "\r\n" + Tables + "\r\n\r\n" + Cpu);
  Check(Report.MailText == Report.Text);
  for (const std::string* V : {&Record.TypeText, &Record.MessageText})
    for (char C : *V) Check(static_cast<unsigned char>(C) >= 32);
  Check(!Record.MessageText.empty() && Record.MessageText.back() == '.');

  std::vector<std::string> Stored = SplitLogReports(Utf8ToWin1252(Report.Text) + "\r\n\r\n\r\n\r\n");
  Check(Stored.size() == 1);
  Check(LogReportHolds(Stored[0], {"2.2", "2.3", "2.4", "2.5"},
                       {Record.AddressText, Record.ModuleText, Record.TypeText, Record.MessageText}));
  return 0;
}
