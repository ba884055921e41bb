// Stored pages: splay coding speed, and a 10,000-page report file: opening it and
// fetching 1,000 pages in a random order (the target is under 1 ms a page).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "lxreport/LXCompress.h"
#include "lxreport/LXPageList.h"
#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/SysUtils.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double, std::milli>(B - A).count(); }

// A recorded A4 page at 96 ppi: Lines rows of report text in a few fonts, rules
// and boxes, as a band report page holds them.
TMetafile RecordedPage(uint32_t Seed, int Lines) {
  std::mt19937 Rng(Seed);
  TMetafile M;
  M.SetWidth(794);
  M.SetHeight(1123);
  {
    TMetafileCanvas C(M);
    const char* Words[] = {"Cliente ", "Total ", "Página ", "1.234,56 ", "Relatório ", "Data "};
    for (int L = 0; L < Lines; ++L) {
      int Y = 40 + L * 1040 / Lines;
      C.Font().SetName(L % 7 == 0 ? "Times New Roman" : "Arial");
      C.Font().SetSize(L % 7 == 0 ? 12 : 9);
      for (int Col = 0; Col < 4; ++Col)
        C.TextOut(40 + Col * 180, Y, std::string(Words[Rng() % 6]) + std::to_string(Rng() % 100000));
      if (L % 10 == 0) {
        C.MoveTo(40, Y - 2);
        C.LineTo(754, Y - 2);
      }
    }
    C.Brush().SetStyle(bsClear);
    C.Rectangle(Rect(30, 30, 764, 1093));
  }
  return M;
}

int64_t FileSize(const std::string& Path) {
  TFileStream F(Path, fmOpenRead);
  return F.Size();
}

template <typename F>
double Best(int Runs, F Fn) {
  double BestMs = 1e300;
  for (int I = 0; I < Runs; ++I) {
    auto A = Clock::now();
    Fn();
    BestMs = std::min(BestMs, Ms(A, Clock::now()));
  }
  return BestMs;
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  // Coding through the page list: 200 recorded pages.
  std::vector<TMetafile> Pages;
  size_t Total = 0;
  for (uint32_t I = 0; I < 200; ++I) {
    Pages.push_back(RecordedPage(I, 60));
    Total += Pages.back().Data().size();
  }
  TLXPageList L;
  L.SetCompression(true);
  double EncMs = Best(3, [&] {
    L.Clear();
    L.SetStream(std::make_unique<TLXStream>(100000));
    for (auto& P : Pages) L.AddPage(P);
  });
  double DecMs = Best(3, [&] {
    for (int32_t N = 1; N <= L.PageCount(); ++N) L.GetPage(N);
  });
  double Mb = Total / 1e6;
  std::printf("splay coding:   %.1f MB in %.1f ms = %.1f MB/s\n", Mb, EncMs, Mb / (EncMs / 1000));
  std::printf("splay decoding: %.1f MB in %.1f ms = %.1f MB/s\n", Mb, DecMs, Mb / (DecMs / 1000));

  // A 10,000-page file on disk, plain and coded: opening it (which indexes the
  // chain), then 1,000 pages in a random order, each timed on its own.
  TMetafile Small = RecordedPage(1, 5);
  for (bool Coded : {false, true}) {
    std::string Path = GetTempFileName(GetTempPath(), "bench");
    {
      TLXPageList W;
      W.SetCompression(Coded);
      W.SetStream(std::make_unique<TLXStream>(100000));
      for (int I = 0; I < 10000; ++I) W.AddPage(Small);
      W.Finish();
      W.SaveToFile(Path);
    }
    std::mt19937 Rng(42);
    std::vector<int32_t> Order(1000);
    for (int32_t& N : Order) N = 1 + static_cast<int32_t>(Rng() % 10000);
    double OpenMs = Best(5, [&] {
      TLXPageList R;
      R.LoadFromFile(Path);
    });
    TLXPageList R;
    auto A = Clock::now();
    R.LoadFromFile(Path);
    double FirstOpenMs = Ms(A, Clock::now());
    std::vector<double> Each;
    for (int32_t N : Order) {
      auto B = Clock::now();
      R.GetPage(N);
      Each.push_back(Ms(B, Clock::now()));
    }
    double Sum = 0;
    for (double E : Each) Sum += E;
    std::sort(Each.begin(), Each.end());
    std::printf("10,000-page file (%s, %.1f MB): open %.2f ms (best of 5; first %.2f ms); 1,000 random pages: "
                "mean %.3f ms, median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                Coded ? "coded" : "plain", FileSize(Path) / 1e6, OpenMs, FirstOpenMs, Sum / Each.size(),
                Each[Each.size() / 2], Each[Each.size() * 99 / 100], Each.back());
    DeleteFile(Path);
  }
  return 0;
}
