// The archive: a report of 2,000 pages (60 texts, 20 rules and a frame each) written to an archive
// file (target under 1 s for the job), then the archive opened and single pages read at random
// (target under 1 ms a page after opening).
//   bench_pparchive [pages] [reads]   (defaults 2000, 200)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/output/ppArchiveDev.h"
#include "ppreport/output/ppArchiveReader.h"
#include "ppreport/output/ppOutput.h"

namespace {
using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point Start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

void FillPage(TppPage& Page, int No) {
  for (int Row = 0; Row < 20; ++Row) {
    for (int Col = 0; Col < 3; ++Col) {
      auto* T = new TppDrawText(nullptr);
      T->SetText("Cliente " + std::to_string(No * 100 + Row * 3 + Col) + " Ltda");
      T->SetLeft(10000 + Col * 60000);
      T->SetTop(10000 + Row * 12000);
      T->SetWidth(58000);
      T->SetHeight(4200);
      T->SetPage(&Page);
    }
    auto* L = new TppDrawLine(nullptr);
    L->SetLeft(10000);
    L->SetTop(10000 + Row * 12000 + 4300);
    L->SetWidth(190000);
    L->SetWeight(0.5f);
    L->SetPage(&Page);
  }
  auto* S = new TppDrawShape(nullptr);
  S->SetLeft(9500);
  S->SetTop(9500);
  S->SetWidth(191000);
  S->SetHeight(250000);
  S->SetPage(&Page);
}
}  // namespace

int main(int argc, char** argv) {
  const int Pages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int Reads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializePPReport();
  InitializePPReportOutput();
  const std::string File = GetTempPath() + "bench-pparchive-" + std::to_string(::getpid()) + ".raf";
  // The pages are made before the clock starts (only the device's work is timed) and freed at the
  // end: freeing them first would time the allocator's clean-up in the reader's first allocation.
  std::vector<std::unique_ptr<TppPage, TComponentDeleter>> Made;
  {
    for (int No = 1; No <= Pages; ++No) {
      Made.emplace_back(new TppPage(nullptr));
      TppPage& Page = *Made.back();
      Page.SetAbsolutePageNo(No);
      Page.SetAbsolutePageCount(Pages);
      Page.SetFirstPage(No == 1);
      Page.SetLastPage(No == Pages);
      Page.SetFinal(true);
      FillPage(Page, No);
    }
    TppArchiveDevice Device(nullptr);
    Device.SetFileName(File);
    const auto Start = TClock::now();
    Device.StartJob();
    for (auto& Page : Made) Device.ReceivePage(Page.get());
    Device.EndJob();
    const double Ms = MsSince(Start);
    std::printf("archive of %d pages (%d commands each, %.1f MB): written in %.0f ms\n", Pages,
                Made.front()->GetDrawCommandCount(), std::filesystem::file_size(File) / 1048576.0, Ms);
  }
  {
    auto Start = TClock::now();
    TppArchiveReader Reader(File);
    const double OpenMs = MsSince(Start);
    std::mt19937 Random(41);
    std::vector<double> Ms;
    for (int I = 0; I < Reads; ++I) {
      const int Index = static_cast<int>(Random() % static_cast<unsigned>(Reader.PageCount()));
      Start = TClock::now();
      TppOwnedPage Page = Reader.ReadPage(Index);
      Ms.push_back(MsSince(Start));
      if (Page->AbsolutePageNo() != Index + 1) return 1;
    }
    const double First = Ms.front();
    std::sort(Ms.begin(), Ms.end());
    std::printf("opened in %.2f ms; one page at random: first %.3f ms, median %.3f ms, 95th %.3f ms (%d reads)\n",
                OpenMs, First, Ms[Ms.size() / 2], Ms[Ms.size() * 95 / 100], Reads);
  }
  std::filesystem::remove(File);
  Made.clear();
  FinalizePPReportOutput();
  FinalizePPReport();
  FinalizeApplication();
  return 0;
}
