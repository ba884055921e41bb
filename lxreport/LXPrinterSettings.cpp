#include "lxreport/LXPrinterSettings.h"

#include "platform/app/Application.h"
#include "platform/printing/PaperSizes.h"
#include "platform/rtl/RtlMath.h"

namespace {
const TLXPaperDimensions PaperTable[LXPaperSizeCount] = {
    {0, 0},          {215.9L, 279.4L}, {215.9L, 279.4L}, {279.4L, 431.8L}, {431.8L, 279.4L}, {215.9L, 355.6L},
    {139.7L, 215.9L}, {190.5L, 254},   {297, 420},       {210, 297},       {210, 297},       {148, 210},
    {250, 354},      {182, 257},       {215.9L, 330.2L}, {215, 275},       {254, 355.6L},    {279.4L, 431.8L},
    {215.9L, 279},   {98.43L, 225.4L}, {104.8L, 241.3L}, {114.3L, 263.5L}, {101.6L, 279.4L}, {127, 292.1L},
    {100, 100},      {100, 100},       {100, 100},       {0, 0},
};
const int BinCodes[LXBinCount] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 14};

int32_t TenthsPerInch(int Pixels, int Ppi) {
  return Ppi > 0 ? static_cast<int32_t>(Round(static_cast<long double>(Pixels) / Ppi * 254)) : 0;
}

bool HasTableSize(TLXPaperSize S) { return S != TLXPaperSize::Default && S != TLXPaperSize::Custom; }
}  // namespace

const TLXPaperDimensions& LXPaperDimensions(TLXPaperSize Size) { return PaperTable[static_cast<size_t>(Size)]; }

int LXPaperCode(TLXPaperSize Size) { return Size == TLXPaperSize::Custom ? DMPAPER_USER : static_cast<int>(Size); }

int LXBinCode(TLXBin Bin) { return BinCodes[static_cast<size_t>(Bin)]; }

// ---- TLXPrinterSettings

void TLXPrinterSettings::Assign(const TPersistent* Source) {
  if (auto* S = dynamic_cast<const TLXPrinterSettings*>(Source)) {
    FCopies = S->FCopies;
    FOrientation = S->FOrientation;
    FDuplex = S->FDuplex;
    FUseStandardprinter = S->FUseStandardprinter;
    FExtendedDuplex = S->FExtendedDuplex;
    FUseCustomBinCode = S->FUseCustomBinCode;
    FCustomBinCode = S->FCustomBinCode;
    FUseCustomPaperCode = S->FUseCustomPaperCode;
    FCustomPaperCode = S->FCustomPaperCode;
    FOutputBin = S->FOutputBin;
    FPaperSize = S->FPaperSize;
    FPrinterIndex = S->FPrinterIndex;
    FFirstPage = S->FFirstPage;
    FLastPage = S->FLastPage;
    FPrintMetaFile = S->FPrintMetaFile;
    return;
  }
  TPersistent::Assign(Source);
}

const TClassInfo& TLXPrinterSettings::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLXPrinterSettings>("TLXPrinterSettings", &TPersistent::StaticClassInfo());
  return Info;
}

const TClassInfo& TVexaRepPrinterSettings::StaticClassInfo() {
  using T = TVexaRepPrinterSettings;
  static const TClassInfo Info =
      TClassDef<T>("TVexaRepPrinterSettings", &TLXPrinterSettings::StaticClassInfo())
          .Prop("Copies", &T::Copies, &T::SetCopies)
          .Prop("OutputBin", &T::OutputBin, &T::SetOutputBin)
          .Prop("Duplex", &T::Duplex, &T::SetDuplex)
          .Prop("FirstPage", &T::FirstPage, &T::SetFirstPage)
          .Prop("LastPage", &T::LastPage, &T::SetLastPage)
          .Prop("ExtendedDuplex", &T::ExtendedDuplex, &T::SetExtendedDuplex)
          .Prop("UseStandardprinter", &T::UseStandardprinter, &T::SetUseStandardprinter)
          .Prop("UseCustomBinCode", &T::UseCustomBinCode, &T::SetUseCustomBinCode)
          .Prop("CustomBinCode", &T::CustomBinCode, &T::SetCustomBinCode)
          .Prop("UseCustomPaperCode", &T::UseCustomPaperCode, &T::SetUseCustomPaperCode)
          .Prop("CustomPaperCode", &T::CustomPaperCode, &T::SetCustomPaperCode)
          .Prop("PrintMetaFile", &T::PrintMetaFile, &T::SetPrintMetaFile);
  return Info;
}

const TClassInfo& TLXCompositePrinterSettings::StaticClassInfo() {
  using T = TLXCompositePrinterSettings;
  static const TClassInfo Info =
      TClassDef<T>("TLXCompositePrinterSettings", &TVexaRepPrinterSettings::StaticClassInfo())
          .Prop("Orientation", &T::Orientation, &T::SetOrientation)
          .Prop("PaperSize", &T::PaperSize, &T::SetPaperSize);
  return Info;
}

// ---- TPrinterSettings

void TPrinterSettings::SetPrinter(TPrinter* Printer) {
  FPrinter = Printer;
  if (FPrinter && !FPrinter->Printers().empty()) ReadFromDriver();
}

bool TPrinterSettings::SupportsField(uint32_t Flag) const {
  return FPrinter && FDriverRead && (FDriverFields & Flag) == Flag;
}

void TPrinterSettings::ReadFromDriver() {
  if (!FPrinter) return;
  if (Application) Application->ProcessMessages();
  FDevice = FPrinter->PrinterName().substr(0, 127);
  FDriver = FPrinter->DriverName().substr(0, 63);
  FPort = FPrinter->PortName().substr(0, 127);
  if (!FPrinter->HasPrinter()) return;
  FDevMode = FPrinter->DeviceMode();
  FDriverFields = FDevMode.Fields;
  FDriverRead = true;

  bool Cancel = false;
  if (OnGetPrinterSettings) {
    OnGetPrinterSettings(this, Cancel, &FDevMode);
    if (Cancel) return;
  }
  TDeviceCaps Caps = FPrinter->DeviceCaps();
  FPixelsPerInchX = Caps.PixelsPerInchX;
  FPixelsPerInchY = Caps.PixelsPerInchY;
  FCopies = SupportsField(DM_COPIES) ? FDevMode.Copies : 1;
  FOutputBin = TLXBin::First;
  if (SupportsField(DM_DEFAULTSOURCE))
    for (int B = 0; B < LXBinCount; ++B)
      if (BinCodes[B] == FDevMode.DefaultSource) {
        FOutputBin = static_cast<TLXBin>(B);
        break;
      }
  if (SupportsField(DM_DUPLEX)) FDuplex = FDevMode.Duplex != DMDUP_SIMPLEX;
  FLeftOffset = TenthsPerInch(Caps.PhysicalOffsetX, FPixelsPerInchX);
  FTopOffset = TenthsPerInch(Caps.PhysicalOffsetY, FPixelsPerInchY);
  FPaperSize = TLXPaperSize::Default;
  if (SupportsField(DM_PAPERSIZE))
    for (int S = 0; S < LXPaperSizeCount; ++S)
      if (LXPaperCode(static_cast<TLXPaperSize>(S)) == FDevMode.PaperSize) {
        FPaperSize = static_cast<TLXPaperSize>(S);
        break;
      }
  FPaperWidth = TenthsPerInch(Caps.PhysicalWidth, FPixelsPerInchX);
  FPaperLength = TenthsPerInch(Caps.PhysicalHeight, FPixelsPerInchY);
  FPaperSupported.fill(false);
  for (const TPaperInfo& P : FPrinter->Papers())
    for (int S = 1; S < LXPaperSizeCount; ++S)
      if (LXPaperCode(static_cast<TLXPaperSize>(S)) == P.Code) FPaperSupported[static_cast<size_t>(S)] = true;
  FPaperSupported[static_cast<size_t>(TLXPaperSize::Custom)] = true;

  Cancel = false;
  if (OnGetPrinterSettings) OnGetPrinterSettings(this, Cancel, &FDevMode);
}

void TPrinterSettings::ApplyToDriver() {
  if (!FPrinter || !FPrinter->HasPrinter()) return;
  FDevMode = FPrinter->DeviceMode();
  FDevMode.Fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
  FDevMode.PaperLength = static_cast<int16_t>(GetPaperLength());
  FDevMode.PaperWidth = static_cast<int16_t>(GetPaperWidth());
  if (SupportsField(DM_PAPERSIZE) && FPaperSize != TLXPaperSize::Default) {
    FDevMode.Fields |= DM_PAPERSIZE;
    FDevMode.PaperSize = static_cast<int16_t>(FUseCustomPaperCode ? FCustomPaperCode : LXPaperCode(FPaperSize));
  }
  FDevMode.Fields |= DM_COPIES;
  FDevMode.Copies = static_cast<int16_t>(FCopies);
  FDevMode.Fields |= DM_DUPLEX;
  FDevMode.Duplex = static_cast<int16_t>(FExtendedDuplex != 0 ? FExtendedDuplex
                                         : FDuplex            ? DMDUP_HORIZONTAL
                                                              : DMDUP_SIMPLEX);
  FDevMode.Fields |= DM_DEFAULTSOURCE;
  FDevMode.DefaultSource = static_cast<int16_t>(FUseCustomBinCode ? FCustomBinCode : LXBinCode(FOutputBin));
  FDevMode.Fields |= DM_ORIENTATION;
  FDevMode.Orientation = FOrientation == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;

  bool Cancel = false;
  if (OnApplyPrinterSettings) OnApplyPrinterSettings(this, Cancel, &FDevMode);
  if (!Cancel) FPrinter->SetDeviceMode(FDevMode);
}

bool TPrinterSettings::SetCopies(int32_t V) {
  if (!SupportsField(DM_COPIES)) return false;
  FCopies = V;
  return true;
}

bool TPrinterSettings::SetOrientation(uint8_t V) {
  // Without a driver the orientation still shapes recorded pages.
  if (FDriverRead && !SupportsField(DM_ORIENTATION)) return false;
  FOrientation = V;
  return true;
}

bool TPrinterSettings::SetDuplex(bool V) {
  if (!SupportsField(DM_DUPLEX)) return false;
  FDuplex = V;
  return true;
}

bool TPrinterSettings::SetOutputBin(TLXBin V) {
  if (!SupportsField(DM_DEFAULTSOURCE)) return false;
  FOutputBin = V;
  return true;
}

bool TPrinterSettings::SetPaperSize(TLXPaperSize V) {
  // Without a driver every size of the table is accepted, so that pages
  // recorded on a machine without printers keep the report's paper.
  if (FDriverRead && V != TLXPaperSize::Default && !FPaperSupported[static_cast<size_t>(V)]) return false;
  FPaperSize = V;
  return true;
}

int32_t TPrinterSettings::GetPaperWidth() const {
  if (!HasTableSize(FPaperSize)) return FPaperWidth;
  return static_cast<int32_t>(Round(10 * LXPaperDimensions(FPaperSize).Width));
}

int32_t TPrinterSettings::GetPaperLength() const {
  if (!HasTableSize(FPaperSize)) return FPaperLength;
  return static_cast<int32_t>(Round(10 * LXPaperDimensions(FPaperSize).Length));
}

void ResetDriver(TPrinter* Printer) {
  if (Printer && !Printer->Printing()) Printer->ResetDeviceMode();
}
