// Feeds item records to the PDF writer component, loaded by name as the
// filter loads it: the input is a record and what follows it (its texts); for
// a picture item the rest is also its picture file. Every tenth input writes
// the document, so that the items are drawn; every other ten go out page by
// page through an output (SetOutput), as the filter has them written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "lxreport/LXConsts.h"
#include "lxreport/LXPDFItem.h"
#include "platform/app/Application.h"
#include "platform/classes/TempFiles.h"
#include "platform/sys/DynamicLibrary.h"

namespace {
using namespace LXPDFItem;
void (*AddPDFItem)(const uint8_t*);
int (*AddImageItem)(const uint8_t*, int32_t);
int (*FinishDoc)(const char*);
void (*SetOutput)(void*, int (*)(void*, const char*, int64_t));
std::string Folder;
}  // namespace

// fontconfig keeps what it looked up for the life of the process (a new face
// name in an input adds to its caches): not a leak of the writer's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  std::atexit([] { FinalizeApplication(); });
  TLibraryHandle Writer = LoadLibrary(SLXPDFLibraryName);
  if (!Writer) {
    std::fprintf(stderr, "%s\n", LibraryError().c_str());
    std::abort();
  }
  reinterpret_cast<void (*)(void*)>(GetProcAddress(Writer, "InitLib"))(nullptr);
  AddPDFItem = reinterpret_cast<decltype(AddPDFItem)>(GetProcAddress(Writer, "AddPDFItem"));
  AddImageItem = reinterpret_cast<decltype(AddImageItem)>(GetProcAddress(Writer, "AddImageItem"));
  FinishDoc = reinterpret_cast<decltype(FinishDoc)>(GetProcAddress(Writer, "FinishDoc"));
  SetOutput = reinterpret_cast<decltype(SetOutput)>(GetProcAddress(Writer, "SetOutput"));
  Folder = GetTempPath() + "fuzz_pdf_writer-" + std::to_string(getpid());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < RecordSize) return 0;
  static int Count = 0;
  if (Count % 20 == 10 && SetOutput) SetOutput(nullptr, [](void*, const char*, int64_t) { return 1; });
  std::string Picture = Folder + ".tmp", Pdf = Folder + ".pdf";
  std::vector<uint8_t> Block(Data, Data + Size);
  Block.push_back(0);
  bool Image = Data[Kind] == KindImage;
  if (Image) {
    SetInt(Block.data(), PictureFile, static_cast<int32_t>(Block.size()));
    Block.insert(Block.end(), Picture.begin(), Picture.end());
    Block.push_back(0);
    if (FILE* F = std::fopen(Picture.c_str(), "wb")) {
      std::fwrite(Data + RecordSize, 1, Size - RecordSize, F);
      std::fclose(F);
    }
  }
  SetInt(Block.data(), BlockSize, static_cast<int32_t>(Block.size()));
  if (Image) AddImageItem(Block.data(), 0);
  else AddPDFItem(Block.data());
  if (++Count % 10 == 0) {
    FinishDoc(Pdf.c_str());
    std::remove(Pdf.c_str());
  }
  std::remove(Picture.c_str());
  return 0;
}
