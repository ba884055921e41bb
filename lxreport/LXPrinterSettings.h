#pragma once
// Printer settings in two layers: what a report chooses (TLXPrinterSettings
// and its published descendants, streamed with the report) and what is read
// from and written to the selected printer's driver (TPrinterSettings, owned
// by a report printer).
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/printing/DeviceMode.h"
#include "platform/printing/Printers.h"

enum class TLXPaperSize : uint8_t {
  Default, Letter, LetterSmall, Tabloid, Ledger, Legal, Statement, Executive, A3, A4, A4Small, A5, B4, B5,
  Folio, Quarto, lx10X14, lx11X17, Note, Env9, Env10, Env11, Env12, Env14, CSheet, DSheet, ESheet, Custom
};
DEFINE_ENUM_INFO(TLXPaperSize, "Default", "Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement",
                 "Executive", "A3", "A4", "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "lx10X14", "lx11X17",
                 "Note", "Env9", "Env10", "Env11", "Env12", "Env14", "CSheet", "DSheet", "ESheet", "Custom")
constexpr int LXPaperSizeCount = 28;

enum class TLXBin : uint8_t {
  First, Upper, Lower, Middle, Manual, Envelope, EnvManual, Auto, Tractor, SmallFormat, LargeFormat,
  LargeCapacity, Cassette, Last
};
DEFINE_ENUM_INFO(TLXBin, "First", "Upper", "Lower", "Middle", "Manual", "Envelope", "EnvManual", "Auto",
                 "Tractor", "SmallFormat", "LargeFormat", "LargeCapacity", "Cassette", "Last")
constexpr int LXBinCount = 14;

// The paper table: width by length in millimetres; Default and Custom are 0 by 0.
struct TLXPaperDimensions {
  long double Width;
  long double Length;
};
const TLXPaperDimensions& LXPaperDimensions(TLXPaperSize Size);
// Windows paper code: the ordinal for Default..ESheet, 256 for Custom.
int LXPaperCode(TLXPaperSize Size);
// Windows bin code of a bin.
int LXBinCode(TLXBin Bin);

// What a report designer chooses; streams with the report.
class TLXPrinterSettings : public TPersistent {
  DECLARE_CLASSINFO(TLXPrinterSettings)
public:
  TLXPrinterSettings() = default;
  void Assign(const TPersistent* Source) override;

  int32_t Copies() const { return FCopies; }
  void SetCopies(int32_t V) { FCopies = V; }
  TPrinterOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation V) { FOrientation = V; }
  bool Duplex() const { return FDuplex; }
  void SetDuplex(bool V) { FDuplex = V; }
  bool UseStandardprinter() const { return FUseStandardprinter; }
  void SetUseStandardprinter(bool V) { FUseStandardprinter = V; }
  int32_t ExtendedDuplex() const { return FExtendedDuplex; }
  void SetExtendedDuplex(int32_t V) { FExtendedDuplex = V; }
  bool UseCustomBinCode() const { return FUseCustomBinCode; }
  void SetUseCustomBinCode(bool V) { FUseCustomBinCode = V; }
  int32_t CustomBinCode() const { return FCustomBinCode; }
  void SetCustomBinCode(int32_t V) { FCustomBinCode = V; }
  bool UseCustomPaperCode() const { return FUseCustomPaperCode; }
  void SetUseCustomPaperCode(bool V) { FUseCustomPaperCode = V; }
  int32_t CustomPaperCode() const { return FCustomPaperCode; }
  void SetCustomPaperCode(int32_t V) { FCustomPaperCode = V; }
  TLXBin OutputBin() const { return FOutputBin; }
  void SetOutputBin(TLXBin V) { FOutputBin = V; }
  TLXPaperSize PaperSize() const { return FPaperSize; }
  void SetPaperSize(TLXPaperSize V) { FPaperSize = V; }
  int32_t PrinterIndex() const { return FPrinterIndex; }
  void SetPrinterIndex(int32_t V) { FPrinterIndex = V; }
  int32_t FirstPage() const { return FFirstPage; }
  void SetFirstPage(int32_t V) { FFirstPage = V; }
  int32_t LastPage() const { return FLastPage; }
  void SetLastPage(int32_t V) { FLastPage = V; }
  bool PrintMetaFile() const { return FPrintMetaFile; }
  void SetPrintMetaFile(bool V) { FPrintMetaFile = V; }

private:
  int32_t FCopies = 1;
  TPrinterOrientation FOrientation = poPortrait;
  bool FDuplex = false;
  bool FUseStandardprinter = false;
  int32_t FExtendedDuplex = 0;
  bool FUseCustomBinCode = false;
  int32_t FCustomBinCode = 0;
  bool FUseCustomPaperCode = false;
  int32_t FCustomPaperCode = 0;
  TLXBin FOutputBin = TLXBin::Auto;
  TLXPaperSize FPaperSize = TLXPaperSize::Letter;
  int32_t FPrinterIndex = -1;  // the default printer
  int32_t FFirstPage = 0;
  int32_t FLastPage = 0;
  bool FPrintMetaFile = false;
};

// A report's PrinterSettings: publishes everything but paper and orientation,
// which the report's page setup holds.
class TVexaRepPrinterSettings : public TLXPrinterSettings {
  DECLARE_CLASSINFO(TVexaRepPrinterSettings)
};

// A composite report has no page setup of its own: also publishes paper and orientation.
class TLXCompositePrinterSettings : public TVexaRepPrinterSettings {
  DECLARE_CLASSINFO(TLXCompositePrinterSettings)
};

class TPrinterSettings;
// Report events around the driver: Cancel set by OnGetPrinterSettings means
// the handler read the settings itself; by OnApplyPrinterSettings, that the
// mode is not handed to the printer.
using TLXPrinterEvent = std::function<void(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode)>;

// The driver side: reads the selected printer's device mode and capabilities
// and writes a report printer's choices back before printing.
class TPrinterSettings {
public:
  // Owner: the report the settings serve, or null.
  explicit TPrinterSettings(TComponent* Owner = nullptr) : FOwner(Owner) {}
  TPrinterSettings(const TPrinterSettings&) = delete;
  TPrinterSettings& operator=(const TPrinterSettings&) = delete;

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* V) { FOwner = V; }
  // The report's events, which the report printer forwards here.
  TLXPrinterEvent OnGetPrinterSettings;
  TLXPrinterEvent OnApplyPrinterSettings;

  TPrinter* Printer() const { return FPrinter; }
  // Stores the printer (not owned); reads its driver when printers are installed.
  void SetPrinter(TPrinter* Printer);
  void ReadFromDriver();
  void ApplyToDriver();
  // True when a printer is set and the device mode its driver gave flags
  // every bit of Flag.
  bool SupportsField(uint32_t Flag) const;
  // Whether a driver has been read: without one every paper size of the table
  // is accepted and the orientation is free.
  bool HasDriver() const { return FDriverRead; }

  // Each answers whether it took effect.
  bool SetCopies(int32_t V);
  bool SetOrientation(uint8_t V);
  bool SetDuplex(bool V);
  bool SetOutputBin(TLXBin V);
  bool SetPaperSize(TLXPaperSize V);
  void SetPaperWidth(int32_t V) { FPaperWidth = V; }
  void SetPaperLength(int32_t V) { FPaperLength = V; }
  // Tenths of a millimetre: the table size, or the stored width and length
  // for Default and Custom.
  int32_t GetPaperWidth() const;
  int32_t GetPaperLength() const;

  const std::string& Device() const { return FDevice; }
  const std::string& Driver() const { return FDriver; }
  const std::string& Port() const { return FPort; }
  const TDeviceMode& DevMode() const { return FDevMode; }
  int32_t Copies() const { return FCopies; }
  bool Duplex() const { return FDuplex; }
  uint8_t Orientation() const { return FOrientation; }
  TLXBin OutputBin() const { return FOutputBin; }
  TLXPaperSize PaperSize() const { return FPaperSize; }
  bool PaperSupported(TLXPaperSize S) const { return FPaperSupported[static_cast<size_t>(S)]; }
  int32_t PaperWidth() const { return FPaperWidth; }
  int32_t PaperLength() const { return FPaperLength; }
  int32_t PixelsPerInchX() const { return FPixelsPerInchX; }
  int32_t PixelsPerInchY() const { return FPixelsPerInchY; }
  int32_t TopOffset() const { return FTopOffset; }
  int32_t LeftOffset() const { return FLeftOffset; }
  bool PrintMetafile() const { return FPrintMetafile; }
  void SetPrintMetafile(bool V) { FPrintMetafile = V; }
  bool UseStandardPrinter() const { return FUseStandardPrinter; }
  void SetUseStandardPrinter(bool V) { FUseStandardPrinter = V; }
  int32_t ExtendedDuplex() const { return FExtendedDuplex; }
  void SetExtendedDuplex(int32_t V) { FExtendedDuplex = V; }
  bool UseCustomBinCode() const { return FUseCustomBinCode; }
  void SetUseCustomBinCode(bool V) { FUseCustomBinCode = V; }
  int32_t CustomBinCode() const { return FCustomBinCode; }
  void SetCustomBinCode(int32_t V) { FCustomBinCode = V; }
  bool UseCustomPaperCode() const { return FUseCustomPaperCode; }
  void SetUseCustomPaperCode(bool V) { FUseCustomPaperCode = V; }
  int32_t CustomPaperCode() const { return FCustomPaperCode; }
  void SetCustomPaperCode(int32_t V) { FCustomPaperCode = V; }

private:
  TComponent* FOwner;
  std::string FDevice, FDriver, FPort;
  TDeviceMode FDevMode;
  int32_t FCopies = 1;
  bool FDuplex = false, FPrintMetafile = false, FUseStandardPrinter = false;
  int32_t FExtendedDuplex = 0;
  bool FUseCustomBinCode = false;
  int32_t FCustomBinCode = 0;
  bool FUseCustomPaperCode = false;
  int32_t FCustomPaperCode = 0;
  uint8_t FOrientation = 0;
  TLXBin FOutputBin = TLXBin::First;
  TLXPaperSize FPaperSize = TLXPaperSize::A4;
  std::array<bool, LXPaperSizeCount> FPaperSupported{};
  int32_t FPaperWidth = 0, FPaperLength = 0;
  int32_t FPixelsPerInchX = 0, FPixelsPerInchY = 0;
  int32_t FTopOffset = 0, FLeftOffset = 0;
  TPrinter* FPrinter = nullptr;
  bool FDriverRead = false;
  // The fields of the driver's mode as read, before any were added for printing.
  uint32_t FDriverFields = 0;
};

// Forgets the printer's device mode so that the newly selected printer's
// current one is fetched; called after changing the printer index.
void ResetDriver(TPrinter* Printer);
