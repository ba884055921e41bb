// Feeds arbitrary bytes to the report-file loader and page fetch.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "lxreport/LXError.h"
#include "lxreport/LXPageList.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const std::string Path = GetTempFileName(GetTempPath(), "fuzz");
  {
    TFileStream F(Path, fmCreate);
    F.WriteBuffer(Data, static_cast<int64_t>(Size));
  }
  try {
    TLXPageList L;
    L.LoadFromFile(Path);
    int32_t Count = L.PageCount();
    // First, last, a middle page, then backwards: every walk direction.
    for (int32_t N : {1, Count, Count / 2, 2, Count - 1})
      try {
        L.GetPage(N);
      } catch (const ELXError&) {
      } catch (const EInvalidGraphic&) {
      }
  } catch (const ELXError&) {
  } catch (const EStreamError&) {
  }
  return 0;
}
