// Generates a one-band-per-record report with one group into stored pages: 10,000 records on
// 200 pages (and twice as many, to show that memory does not grow with the records); the
// bands hold no printables, so this is the engine's own cost. Prints the time per run, the
// resident memory after each run and the peak.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "lxreport/LXController.h"
#include "lxreport/LXReport.h"
#include "lxreport/VexaRpt.h"
#include "platform/app/Application.h"
#include "platform/data/MemDataSet.h"

namespace {
using TClock = std::chrono::steady_clock;
double Ms(TClock::time_point From) { return std::chrono::duration<double, std::milli>(TClock::now() - From).count(); }

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

long ResidentKb() {
  std::ifstream F("/proc/self/statm");
  long Size = 0, Resident = 0;
  F >> Size >> Resident;
  return Resident * 4;
}

long PeakKb() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss;
}

// 50 records a group, a group a page: the header and 50 details of 5 mm fill 255 mm of A4.
struct TBenchReport {
  TComponent Form{nullptr};
  TMemoryDataSet* Data = new TMemoryDataSet(&Form);
  TVexaRep* Report = new TVexaRep(&Form);
  explicit TBenchReport(int Records) {
    Data->SetName("Data");
    Data->FieldDefs().Add("G", ftInteger);
    Data->FieldDefs().Add("N", ftInteger);
    for (int I = 0; I < Records; ++I) Data->AppendRecord({I / 50, I});
    Data->Open();
    Report->SetUnits(TLXUnit::Native);
    Report->SetDataSet(Data);
    auto* Group = new TLXGroup(&Form);
    Group->SetParent(Report);
    Group->SetExpression("G");
    Group->SetForceNewPage(true);
    Group->Size()->SetUnits(TLXUnit::Native);
    Group->Size()->SetHeight(50);
    TLXBand* Detail = Report->NewBand(rbDetail);
    Detail->Size()->SetUnits(TLXUnit::Native);
    Detail->Size()->SetHeight(50);
  }
  // Milliseconds of one Prepare; the pages it made.
  double Run(int& Pages) {
    auto T0 = TClock::now();
    Report->Prepare();
    double T = Ms(T0);
    TLXPrinter* P = Report->ActivePrinter();
    Pages = P->PageCount();
    delete P;
    return T;
  }
};
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  {
    long Before = ResidentKb();
    for (int Records : {10000, 20000}) {
      TBenchReport B(Records);
      std::vector<double> Times;
      int Pages = 0;
      for (int I = 0; I < 5; ++I) Times.push_back(B.Run(Pages));
      std::printf("engine: %d records, %d pages: median %.1f ms (%.2f us/record); resident %+ld KB after the runs\n",
                  Records, Pages, Median(Times), Median(Times) * 1000 / Records, ResidentKb() - Before);
    }
    std::printf("engine: peak resident memory %ld KB\n", PeakKb());
  }
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
