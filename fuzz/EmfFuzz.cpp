// Feeds arbitrary bytes to the metafile loader and the EMF player (into a small
// image, into the call log and through the WMF converter). Anything but
// EInvalidGraphic is a finding.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/app/Application.h"
#include "platform/graphics/CallLogDC.h"
#include "platform/graphics/EmfPlayer.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtPainterDC.h"
#include "platform/graphics/WmfRecorder.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  InitializeApplication(*argc, *argv, TDisplayMode::Offscreen);
  // Qt and fontconfig are taken down before the leak check at exit, which
  // would otherwise count fontconfig's caches as leaked.
  std::atexit([] { FinalizeApplication(); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TBytesStream S(Data, static_cast<int64_t>(Size));
  TMetafile M;
  try {
    M.LoadFromStream(S);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  static QImage Img(48, 48, QImage::Format_RGB32);
  {
    TQtPainterDC Dc(&Img, 96, 96);
    PlayEnhMetaFile(Dc, M.Data().data(), M.Data().size(), Rect(0, 0, 48, 48));
  }
  TCallLogDC Log;
  PlayEnhMetaFile(Log, M.Data().data(), M.Data().size(), Rect(0, 0, 48, 48));
  EmfToWmf(M.Data(), M.MMWidth(), M.MMHeight());
  return 0;
}
