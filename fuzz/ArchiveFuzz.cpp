// Report archives: arbitrary bytes opened as an archive (page directory, then each page stream).
// A damaged archive may only raise EArchiveError. The pages that read are written into a new
// archive through the archive device and read back: every page must read again, with its number
// and its draw commands. (Not its exact bytes: a printer setup read from odd values settles on
// its canonical paper name only when read a second time.)
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Streams.h"
#include "ppreport/core/PPReport.h"
#include "ppreport/generation/ppGeneration.h"
#include "ppreport/output/ppArchiveDev.h"
#include "ppreport/output/ppArchiveReader.h"
#include "ppreport/output/ppOutput.h"

namespace {
void Check(bool Condition) {
  if (!Condition) std::abort();
}

// Pages straight to the archive, whatever their flags say.
class TFuzzArchiveDevice : public TppArchiveDevice {
public:
  using TppArchiveDevice::TppArchiveDevice;
  using TppArchiveDevice::WritePage;
};

bool SameCommands(const TppPage& A, const TppPage& B) {
  if (A.GetDrawCommandCount() != B.GetDrawCommandCount()) return false;
  for (int I = 0; I < A.GetDrawCommandCount(); ++I) {
    const TppDrawCommand* CA = A.GetDrawCommand(I);
    const TppDrawCommand* CB = B.GetDrawCommand(I);
    if (!CA || !CB || CA->ClassInfo() != CB->ClassInfo()) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializePPGeneration();
  InitializePPReportOutput();
  std::atexit([] {
    FinalizePPReportOutput();
    FinalizePPGeneration();
    FinalizeApplication();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  auto In = std::make_unique<TMemoryStream>();
  In->WriteBuffer(Data, static_cast<int64_t>(Size));
  std::vector<TppOwnedPage> Pages;
  try {
    TppArchiveReader Reader(std::move(In), "fuzz.raf");
    // A directory may name many pages over the same bytes: a few are enough.
    for (int I = 0; I < Reader.PageCount() && I < 16; ++I) Pages.push_back(Reader.ReadPage(I));
  } catch (const EArchiveError&) {
  }
  if (Pages.empty()) return 0;
  TMemoryStream Out;
  {
    TFuzzArchiveDevice Device(nullptr);
    Device.SetKeepOutlineOnLastPageOnly(false);
    Device.SetOutputStream(&Out);
    Device.StartJob();
    for (auto& Page : Pages) Device.WritePage(*Page);
    Device.EndJob();
  }
  auto Copy = std::make_unique<TMemoryStream>();
  Copy->CopyFrom(Out, 0);
  TppArchiveReader Again(std::move(Copy), "again.raf");  // anything it throws is a finding
  Check(Again.PageCount() == static_cast<int>(Pages.size()));
  for (int I = 0; I < Again.PageCount(); ++I) {
    TppOwnedPage Page = Again.ReadPage(I);
    Check(Again.AbsolutePageNo(I) == Pages[static_cast<size_t>(I)]->AbsolutePageNo());
    Check(SameCommands(*Page, *Pages[static_cast<size_t>(I)]));
  }
  return 0;
}
