// Builds the exception reporter's whole report text for a 30-frame call stack and 40 modules, as
// the pipeline does once per exception: general section, both tables, registers and the dump.
// Once from fixed sources (the text alone), once with the sources gathered from the running
// system first. Prints milliseconds (median of the runs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "exceptions/ExceptionLog.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/report/TarvikModules.h"
#include "exceptions/report/TarvikReport.h"
#include "tests/exceptions/ReportFixture.h"

namespace {
constexpr int Runs = 200;

template <class F>
double MedianMs(F Work) {
  std::vector<double> Ms;
  for (int I = 0; I < Runs; ++I) {
    auto T0 = std::chrono::steady_clock::now();
    Work();
    Ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - T0).count());
  }
  std::sort(Ms.begin(), Ms.end());
  return Ms[Ms.size() / 2];
}
}  // namespace

int main() {
  InitializeExceptions();
  TTarvikModuleOptions Options("", 0);
  TTarvikNotifyRecord Record = FixedRecord(26);  // 30 frames, 29 of them listed
  TReportSources Sources = FixedSources(40);
  TTarvikReport Report;
  size_t Size = 0;
  double Text = MedianMs([&] { Size = BuildReportText(Record, Options, Sources, Report).size(); });
  std::printf("report text, 30 frames and 40 modules, fixed sources: %.3f ms median (%zu bytes)\n", Text, Size);

  RefreshModules();
  TReportSources Gathered;
  double WithSources = MedianMs([&] {
    Gathered = GatherReportSources(Record);
    Size = BuildReportText(Record, Options, Gathered, Report).size();
  });
  std::printf("the same with the system's sources gathered first (%zu modules): %.3f ms median (%zu bytes)\n",
              Gathered.Modules.size(), WithSources, Size);
  FinalizeExceptions();
  return 0;
}
