#include "platform/printing/DeviceMode.h"

#include <utility>

#include "platform/printing/PaperSizes.h"
#include "platform/printing/PrinterDriver.h"

bool DeviceModePaperSize(const TDeviceMode& Mode, int& Width, int& Length) {
  if (Mode.Has(DM_PAPERWIDTH | DM_PAPERLENGTH) && Mode.PaperWidth > 0 && Mode.PaperLength > 0) {
    Width = Mode.PaperWidth;
    Length = Mode.PaperLength;
    return true;
  }
  return Mode.Has(DM_PAPERSIZE) && PaperSizeOfCode(Mode.PaperSize, Width, Length);
}

namespace {
bool SheetOf(const TDeviceMode& Mode, const std::vector<TPaperInfo>& Papers, int& W, int& H) {
  if (Mode.Has(DM_PAPERWIDTH | DM_PAPERLENGTH) && Mode.PaperWidth > 0 && Mode.PaperLength > 0) {
    W = Mode.PaperWidth;
    H = Mode.PaperLength;
    return true;
  }
  if (!Mode.Has(DM_PAPERSIZE)) return false;
  for (const auto& P : Papers)
    if (P.Code == Mode.PaperSize && P.Width > 0 && P.Height > 0) {
      W = P.Width;
      H = P.Height;
      return true;
    }
  return PaperSizeOfCode(Mode.PaperSize, W, H);
}
}  // namespace

void ResolveSheet(const TDeviceMode& Mode, const std::vector<TPaperInfo>& Papers, const TDeviceMode& Fallback,
                  int& Width, int& Height) {
  if (!SheetOf(Mode, Papers, Width, Height) && !SheetOf(Fallback, Papers, Width, Height))
    PaperSizeOfCode(DMPAPER_A4, Width, Height);
  int Orientation = Mode.Has(DM_ORIENTATION) ? Mode.Orientation : Fallback.Orientation;
  if (Orientation == DMORIENT_LANDSCAPE) std::swap(Width, Height);
}
