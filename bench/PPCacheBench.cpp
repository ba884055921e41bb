// The pp page-state cache at the scale of a large report: 2,000 pages of 200 cached objects of
// four kinds (40 of 24 bytes, 80 of 64, 60 of 256 and 20 of 1,024: 41,920 bytes a page, 84 MB in
// all, past the default memory budget of 64 MiB). Prints the time to save one page's state and
// to restore it (pages in a random order), in memory and on the temporary files, the one move
// to files, and the peak resident memory with the default budget.
//   bench_ppcache [pages]   (default 2000)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "ppreport/core/ppCache.h"

namespace {
using TClock = std::chrono::steady_clock;

double PeakMiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss / 1024.0;
}

// An object with a state of its record size that changes every page.
class TBenchCacheable : public TppCacheable {
public:
  TBenchCacheable(TComponent* AOwner, int Size) : TppCacheable(AOwner), FState(static_cast<size_t>(Size)) {
    SetCacheRecordSize(Size);
  }
  void SaveToCache(int Page) override {
    FState[0] = std::byte(Page & 0xFF);
    WriteToCache(Page, FState);
  }
  void RestoreFromCache(int Page) override {
    if (!ReadFromCache(Page, FState)) std::abort();
  }

private:
  std::vector<std::byte> FState;
};

struct TTimes {
  std::vector<double> Ms;
  void Add(TClock::time_point Start) { Ms.push_back(std::chrono::duration<double, std::milli>(TClock::now() - Start).count()); }
  double Median() {
    std::sort(Ms.begin(), Ms.end());
    return Ms.empty() ? 0 : Ms[Ms.size() / 2];
  }
  double Mean() const {
    double S = 0;
    for (double M : Ms) S += M;
    return Ms.empty() ? 0 : S / static_cast<double>(Ms.size());
  }
  double Max() const { return Ms.empty() ? 0 : *std::max_element(Ms.begin(), Ms.end()); }
};

void Run(int Pages, int64_t Budget, const char* Title) {
  TComponent Owner(nullptr);
  std::vector<TppCacheable*> Objects;
  const int Kinds[][2] = {{40, 24}, {80, 64}, {60, 256}, {20, 1024}};
  for (const auto& K : Kinds)
    for (int I = 0; I < K[0]; ++I) Objects.push_back(new TBenchCacheable(&Owner, K[1]));
  TppCacheManager Cache(nullptr);
  if (Budget >= 0) Cache.SetMemoryBudget(Budget);
  Cache.SetCacheables(Objects);

  TTimes Save, SaveFiles, Restore;
  double SwitchMs = 0;
  for (int P = 0; P < Pages; ++P) {
    const TppCacheType Before = Cache.CacheType();
    const auto Start = TClock::now();
    Cache.SaveToCache(P);
    if (Cache.CacheType() != Before) {
      SwitchMs = std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
      continue;
    }
    (Before == ctMemory ? Save : SaveFiles).Add(Start);
  }
  std::vector<int> Order(static_cast<size_t>(Pages));
  for (int P = 0; P < Pages; ++P) Order[static_cast<size_t>(P)] = P;
  std::shuffle(Order.begin(), Order.end(), std::mt19937(7));
  for (int P : Order) {
    const auto Start = TClock::now();
    Cache.RestoreFromCache(P);
    Restore.Add(Start);
  }
  std::printf("%s: %d pages of %zu objects, cache %s\n", Title, Pages, Objects.size(),
              Cache.CacheType() == ctFile ? "on files" : "in memory");
  if (!Save.Ms.empty())
    std::printf("  save a page in memory: %.4f ms median, %.4f ms mean, %.3f ms max (%zu pages)\n", Save.Median(),
                Save.Mean(), Save.Max(), Save.Ms.size());
  if (SwitchMs > 0) std::printf("  the page that moved the cache to files: %.1f ms\n", SwitchMs);
  if (!SaveFiles.Ms.empty())
    std::printf("  save a page on files: %.4f ms median, %.4f ms mean, %.3f ms max (%zu pages)\n", SaveFiles.Median(),
                SaveFiles.Mean(), SaveFiles.Max(), SaveFiles.Ms.size());
  std::printf("  restore a page (random order): %.4f ms median, %.4f ms mean, %.3f ms max\n", Restore.Median(),
              Restore.Mean(), Restore.Max());
  std::printf("  memory held by the cache at the end: %.1f MiB (budget %.0f MiB)\n", Cache.MemoryUsed() / 1048576.0,
              Cache.MemoryBudget() / 1048576.0);
}
}  // namespace

int main(int argc, char** argv) {
  const int Pages = argc > 1 ? std::atoi(argv[1]) : 2000;
  Run(Pages, -1, "default budget");
  std::printf("peak resident memory with the default budget: %.1f MiB\n", PeakMiB());
  Run(Pages, int64_t(1) << 30, "1 GiB budget (all in memory)");
  return 0;
}
