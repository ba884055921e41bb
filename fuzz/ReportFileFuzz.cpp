// Feeds arbitrary bytes to the report-file loader and page fetch. Seeds:
// fuzz/corpus/fuzz_report_file, written by fuzz_report_file_seeds.
#include <cstdint>
#include <memory>

#include "lxreport/LXError.h"
#include "lxreport/LXPageList.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  return 0;
}

namespace {
void Fetch(TLXPageList& L, int32_t N) {
  try {
    L.GetPage(N);
  } catch (const ELXError&) {
  } catch (const EInvalidGraphic&) {
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // The bytes as a saved report opened from disk would give them, without the disk.
  auto S = std::make_unique<TLXStream>(INT32_MAX);
  if (Size) S->WriteBuffer(Data, static_cast<int64_t>(Size));
  TLXPageList L;
  try {
    L.LoadFromStream(std::move(S));
  } catch (const ELXError&) {
    return 0;
  }
  int32_t Count = L.PageCount();
  // A middle page first (a walk into the unknown), then the ends, then every
  // page backwards and forwards, so both chains and the index are used.
  for (int32_t N : {Count / 2, Count, 1, Count + 1, 0}) Fetch(L, N);
  int32_t Limit = Count < 64 ? Count : 64;
  for (int32_t N = Limit; N >= 1; --N) Fetch(L, N);
  for (int32_t N = 1; N <= Limit; ++N) Fetch(L, Count - Limit + N);
  return 0;
}
