#pragma once
// A printer's device mode: the job settings a driver reads and is given, with
// the Windows field bits and values, so that code written against them reads
// the same here.
#include <cstdint>
#include <string>

// Field mask bits: a bit says the field is set (in a mode given to a driver)
// or supported (in the driver's default mode).
constexpr uint32_t DM_ORIENTATION = 0x00000001;
constexpr uint32_t DM_PAPERSIZE = 0x00000002;
constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
constexpr uint32_t DM_COPIES = 0x00000100;
constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
constexpr uint32_t DM_COLOR = 0x00000800;
constexpr uint32_t DM_DUPLEX = 0x00001000;
constexpr uint32_t DM_YRESOLUTION = 0x00002000;
constexpr uint32_t DM_COLLATE = 0x00008000;
constexpr uint32_t DM_FORMNAME = 0x00010000;

constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;

constexpr int DMDUP_SIMPLEX = 1;
constexpr int DMDUP_VERTICAL = 2;    // long edge
constexpr int DMDUP_HORIZONTAL = 3;  // short edge

constexpr int DMBIN_UPPER = 1;
constexpr int DMBIN_ONLYONE = 1;
constexpr int DMBIN_LOWER = 2;
constexpr int DMBIN_MIDDLE = 3;
constexpr int DMBIN_MANUAL = 4;
constexpr int DMBIN_ENVELOPE = 5;
constexpr int DMBIN_ENVMANUAL = 6;
constexpr int DMBIN_AUTO = 7;
constexpr int DMBIN_TRACTOR = 8;
constexpr int DMBIN_SMALLFMT = 9;
constexpr int DMBIN_LARGEFMT = 10;
constexpr int DMBIN_LARGECAPACITY = 11;
constexpr int DMBIN_CASSETTE = 14;
constexpr int DMBIN_FORMSOURCE = 15;
constexpr int DMBIN_USER = 256;  // driver-specific bins count from here

struct TDeviceMode {
  uint32_t Fields = 0;
  int16_t Orientation = DMORIENT_PORTRAIT;
  int16_t PaperSize = 0;    // a Windows paper code (PaperSizes.h); 256 = user-defined
  int16_t PaperLength = 0;  // tenths of a millimetre, portrait
  int16_t PaperWidth = 0;
  int16_t Copies = 1;
  int16_t DefaultSource = 0;  // a bin code
  int16_t Duplex = DMDUP_SIMPLEX;
  int16_t Collate = 0;
  int16_t Color = 2;  // 1 monochrome, 2 colour
  std::string FormName;

  bool Has(uint32_t Flag) const { return (Fields & Flag) == Flag; }
  bool operator==(const TDeviceMode&) const = default;
};

// The paper size a mode asks for, in tenths of a millimetre, portrait:
// PaperWidth and PaperLength when both are flagged and positive, else the
// table size of PaperSize; false when neither gives a size.
bool DeviceModePaperSize(const TDeviceMode& Mode, int& Width, int& Length);

// The paper fields, one choice: code, width, length and form name go together.
constexpr uint32_t DM_PAPERFIELDS = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME;

// The fields B sets that A does not set to the same value (what a dialog that opened on A and
// closed on B changed); a paper change gives all of B's paper bits.
uint32_t DeviceModeDifferences(const TDeviceMode& A, const TDeviceMode& B);
// Base with the fields named in Fields taken from From, as From flags them (a dialog's picks
// carried onto another mode).
TDeviceMode TakeDeviceModeFields(TDeviceMode Base, const TDeviceMode& From, uint32_t Fields);
