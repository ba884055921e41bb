// Stored pages: splay coding speed, and opening a 10,000-page report file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "lxreport/LXCompress.h"
#include "lxreport/LXPageList.h"
#include "platform/classes/TempFiles.h"
#include "platform/rtl/SysUtils.h"

namespace {
using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point A, Clock::time_point B) { return std::chrono::duration<double, std::milli>(B - A).count(); }

// A page-like EMF: header, then text-output-sized records of small integers and
// UTF-16 text, the mix a report page holds.
std::vector<uint8_t> PageBytes(uint32_t Seed, size_t Records) {
  std::mt19937 Rng(Seed);
  std::vector<uint8_t> B(88, 0);
  auto Put = [&](size_t At, uint32_t V) { std::memcpy(&B[At], &V, 4); };
  Put(0, 1), Put(4, 88), Put(40, 0x464D4520), Put(44, 0x10000);
  const char* Words[] = {"Cliente ", "Total ", "Pagina ", "1234,56 ", "Relatorio ", "Data "};
  for (size_t R = 0; R < Records; ++R) {
    size_t At = B.size();
    std::string Text = Words[Rng() % 6];
    Text += std::to_string(Rng() % 1000);
    size_t Size = 76 + ((Text.size() * 2 + 3) & ~size_t(3));
    B.resize(At + Size, 0);
    Put(At, 84), Put(At + 4, static_cast<uint32_t>(Size));
    Put(At + 8, Rng() % 800), Put(At + 12, Rng() % 1100);
    Put(At + 44, static_cast<uint32_t>(Text.size())), Put(At + 48, 76);
    for (size_t I = 0; I < Text.size(); ++I) B[At + 76 + 2 * I] = static_cast<uint8_t>(Text[I]);
  }
  size_t At = B.size();
  B.resize(At + 20, 0);
  Put(At, 14), Put(At + 4, 20), Put(At + 16, 20);
  Put(48, static_cast<uint32_t>(B.size())), Put(52, static_cast<uint32_t>(Records + 2));
  return B;
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

int main() {
  // Coding through the page list: 200 pages of about 40 KB each.
  std::vector<TMetafile> Pages(200);
  size_t Total = 0;
  for (size_t I = 0; I < Pages.size(); ++I) {
    Pages[I].SetData(PageBytes(static_cast<uint32_t>(I), 400));
    Total += Pages[I].Data().size();
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

  // A 10,000-page file on disk: open, then pages 1, 10000, 5000.
  std::string Path = GetTempFileName(GetTempPath(), "bench");
  {
    TLXPageList W;
    W.SetStream(std::make_unique<TLXStream>(100000));
    TMetafile Small;
    Small.SetData(PageBytes(1, 20));
    for (int I = 0; I < 10000; ++I) W.AddPage(Small);
    W.Finish();
    W.SaveToFile(Path);
  }
  double OpenMs = Best(5, [&] {
    TLXPageList R;
    R.LoadFromFile(Path);
    R.GetPage(1);
    R.GetPage(10000);
    R.GetPage(5000);
  });
  std::printf("10,000-page file: open + pages 1, 10000, 5000: %.2f ms\n", OpenMs);
  DeleteFile(Path);
  return 0;
}
