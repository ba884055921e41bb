// Loads arbitrary bytes as a picture from a blob field (BMP or JPEG by their first bytes) and
// draws what loads. Bytes the picture classes do not take raise EInvalidGraphic, which the
// printables turn into an empty picture; any other exception is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lxreport/LXGraphics.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  std::atexit([] {
    FinalizeLXReport();
    FinalizeApplication();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TPicture Picture;
  try {
    LXLoadBlobPicture(Picture, std::string(reinterpret_cast<const char*>(Data), Size));
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  // A huge picture drawn into a small box must not need its own size in memory twice.
  TBitmap Target(16, 16);
  if (!Picture.Empty()) Target.Canvas().StretchDraw(Rect(0, 0, 16, 16), *Picture.Graphic());
  return 0;
}
