// Loads arbitrary bytes the way a data-aware image does: the first byte picks the way in (0: by the
// picture's first bytes, as a "Bitmap" image field is read; k: the k-th name of the graphic class
// registry, as any other GraphicType is read) and the rest are the field's bytes. What loads is
// drawn into a small box. Bytes a class refuses raise EInvalidGraphic, which the image turns into
// the print error; any other exception or a fault is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/app/Application.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "ppreport/generation/ppCtrlsImage.h"

namespace {
std::vector<std::string> Names;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  Names = GetGraphicClassNames();
  std::atexit([] {
    FreeGraphicClassList();
    FinalizeApplication();
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  TMemoryStream Bytes;
  if (Size > 1) Bytes.WriteBuffer(Data + 1, static_cast<int64_t>(Size - 1));
  Bytes.SetPosition(0);
  TPicture Picture;
  try {
    const size_t Way = Data[0] % (Names.size() + 1);
    if (Way == 0)
      Picture.LoadFromStream(Bytes);
    else
      Picture.SetGraphic(LoadGraphic(Names[Way - 1], Bytes));
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  TBitmap Target(16, 16);
  if (!Picture.Empty()) Target.Canvas().StretchDraw(Rect(0, 0, 16, 16), *Picture.Graphic());
  return 0;
}
