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

TDriverCapabilities TPrinterDriver::Capabilities() {
  TDriverCapabilities C;
  for (const TPaperInfo& P : Papers()) {
    C.PaperNames.push_back(P.Name);
    C.PaperCodes.push_back(P.Code);
    C.PaperSizes.push_back({P.Width, P.Height});
  }
  for (const TBinInfo& B : Bins()) {
    C.BinNames.push_back(B.Name);
    C.BinCodes.push_back(B.Code);
  }
  return C;
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

namespace {
// The fields besides the paper, each one value.
struct TField {
  uint32_t Bit;
  int16_t TDeviceMode::*Member;
};
constexpr TField Fields[] = {
    {DM_ORIENTATION, &TDeviceMode::Orientation}, {DM_COPIES, &TDeviceMode::Copies},
    {DM_DEFAULTSOURCE, &TDeviceMode::DefaultSource}, {DM_DUPLEX, &TDeviceMode::Duplex},
    {DM_COLLATE, &TDeviceMode::Collate}, {DM_COLOR, &TDeviceMode::Color},
};

bool SamePaper(const TDeviceMode& A, const TDeviceMode& B) {
  return (A.Fields & DM_PAPERFIELDS) == (B.Fields & DM_PAPERFIELDS) && A.PaperSize == B.PaperSize &&
         A.PaperWidth == B.PaperWidth && A.PaperLength == B.PaperLength && A.FormName == B.FormName;
}
}  // namespace

uint32_t DeviceModeDifferences(const TDeviceMode& A, const TDeviceMode& B) {
  uint32_t D = 0;
  for (const TField& F : Fields)
    if (B.Has(F.Bit) && (!A.Has(F.Bit) || A.*F.Member != B.*F.Member)) D |= F.Bit;
  if ((B.Fields & DM_PAPERFIELDS) && !SamePaper(A, B)) D |= B.Fields & DM_PAPERFIELDS;
  return D;
}

TDeviceMode TakeDeviceModeFields(TDeviceMode Base, const TDeviceMode& From, uint32_t Take) {
  for (const TField& F : Fields)
    if (Take & F.Bit) {
      Base.*F.Member = From.*F.Member;
      Base.Fields = (Base.Fields & ~F.Bit) | (From.Fields & F.Bit);
    }
  if (Take & DM_PAPERFIELDS) {
    Base.PaperSize = From.PaperSize;
    Base.PaperWidth = From.PaperWidth;
    Base.PaperLength = From.PaperLength;
    Base.FormName = From.FormName;
    Base.Fields = (Base.Fields & ~DM_PAPERFIELDS) | (From.Fields & DM_PAPERFIELDS);
  }
  return Base;
}
