// Writes the seed corpus of the report-file fuzz target
// (fuzz/corpus/fuzz_report_file): report files made by a printer run, plain
// and coded, hand-built files, the 3 -> 7 -> 3 link loop and files whose
// links were rewired at random.
//   fuzz_report_file_seeds <repository folder>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "tests/lxreport/LXPageTestSupport.h"

namespace {
std::filesystem::path Folder;

void Save(const std::string& Name, const std::vector<uint8_t>& Bytes) {
  std::ofstream(Folder / Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// A small report as the printer records it: a frame and a line of text per page.
void Recorded(const std::string& Name, int Pages, bool Coded, TLXPaperSize Paper) {
  TLXPrinter P;
  P.SetCompression(Coded);
  P.SetPaperSize(Paper);
  P.BeginDoc();
  for (int N = 1; N <= Pages; ++N) {
    P.NewPage();
    TCanvas& C = *P.Canvas();
    C.Rectangle(P.XPos(100), P.YPos(100), P.XPos(600), P.YPos(300));
    C.TextOut(P.XPos(120), P.YPos(150), "Página " + std::to_string(N));
  }
  P.EndDoc();
  TMemoryStream M;
  P.Stream()->SaveToStream(M);
  Save(Name, M.Bytes());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_report_file_seeds <repository folder>\n");
    return 2;
  }
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  SetSystemPrintersEnabled(false);
  Folder = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_report_file";
  std::filesystem::create_directories(Folder);
  using namespace lxtest;

  Recorded("recorded-1-page.lxp", 1, false, TLXPaperSize::A4);
  Recorded("recorded-3-pages.lxp", 3, false, TLXPaperSize::Letter);
  Recorded("recorded-3-pages-coded.lxp", 3, true, TLXPaperSize::A4);
  Save("empty.lxp", ReportFile({}));
  Save("hand-built-4-pages.lxp", ReportFile(Pages(4)));
  Save("hand-built-4-pages-coded.lxp", ReportFile(Pages(4, true), true));
  {
    std::vector<int32_t> Starts;
    auto B = ReportFile(Pages(8), false, -1, &Starts);
    LinkCycle(B, Starts);
    Save("link-cycle-3-7-3.lxp", B);
  }
  for (uint32_t Seed = 1; Seed <= 8; ++Seed) {
    std::mt19937 Rng(Seed);
    bool Coded = Seed % 3 == 0;
    std::vector<int32_t> Starts;
    auto B = ReportFile(Pages(2 + static_cast<int>(Seed % 7), Coded), Coded, -1, &Starts);
    ShuffleLinks(B, Starts, Rng);
    Save("shuffled-links-" + std::to_string(Seed) + ".lxp", B);
  }
  FinalizeLXReport();
  FinalizeApplication();
  return 0;
}
