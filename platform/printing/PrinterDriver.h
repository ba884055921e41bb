#pragma once
// What a printer backend provides for one installed printer. TPrinter
// (Printers.h) is the class programs use; drivers are its backends: CUPS
// through Qt's print support, and a virtual printer for tests.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/printing/DeviceMode.h"

class TDeviceContext;

struct TPaperInfo {
  int Code = 0;  // Windows paper code; driver-specific papers count from 257
  std::string Name;
  int Width = 0;  // tenths of a millimetre, portrait
  int Height = 0;
};

struct TBinInfo {
  int Code = 0;  // Windows bin code (DMBIN_...)
  std::string Name;
};

// What a driver answers to the capability queries, one list per query as printer drivers answer
// them: the lists need not line up (a name without its code, a paper without its size); the
// caller lines them up.
struct TPaperSize {
  int Width = 0;  // tenths of a millimetre, portrait
  int Height = 0;
};
struct TDriverCapabilities {
  std::vector<std::string> PaperNames;
  std::vector<int> PaperCodes;
  std::vector<TPaperSize> PaperSizes;
  std::vector<std::string> BinNames;
  std::vector<int> BinCodes;
};

// A form of a driver's form list: a named paper, in thousandths of a millimetre, with the area
// printed on (left, top, right, bottom).
struct TPaperForm {
  std::string Name;
  int Width = 0;
  int Height = 0;
  int ImageableLeft = 0, ImageableTop = 0, ImageableRight = 0, ImageableBottom = 0;
  bool operator==(const TPaperForm&) const = default;
};

// Device measures under one device mode, in device pixels, as oriented.
struct TDeviceCaps {
  int PixelsPerInchX = 0;
  int PixelsPerInchY = 0;
  int PhysicalWidth = 0;  // the sheet
  int PhysicalHeight = 0;
  int PhysicalOffsetX = 0;  // unprintable left and top margins
  int PhysicalOffsetY = 0;
  int PageWidth = 0;  // the printable area
  int PageHeight = 0;
  bool IsColor = true;
};

// An open print job. Its device context draws the current page in device
// pixels, with the origin at the top left of the printable area; it stands
// until the next NewPage, End or Abort.
class TPrintJob {
public:
  virtual ~TPrintJob() = default;
  virtual TDeviceContext& DeviceContext() = 0;
  // Ends the current page and starts the next under Mode.
  virtual void NewPage(const TDeviceMode& Mode) = 0;
  // Ends the last page and hands the job to the spooler.
  virtual void End() = 0;
  // Throws the job away; nothing is printed.
  virtual void Abort() = 0;
};

class TPrinterDriver {
public:
  virtual ~TPrinterDriver() = default;
  virtual std::string Name() const = 0;
  // The driver's name and the port (device URI) it prints to; may be empty.
  virtual std::string DriverName() const { return {}; }
  virtual std::string PortName() const { return {}; }
  // The driver's current settings; its Fields are the fields it supports.
  virtual TDeviceMode DefaultDeviceMode() = 0;
  virtual std::vector<TPaperInfo> Papers() = 0;
  virtual std::vector<TBinInfo> Bins() = 0;
  // The capability lists; by default Papers() and Bins() taken apart (lists of one length).
  virtual TDriverCapabilities Capabilities();
  // The driver's forms. A driver without a form list answers none and keeps none: its custom
  // sizes travel in each device mode (paper width and length) alone.
  virtual std::vector<TPaperForm> Forms() { return {}; }
  // Adds Form, or replaces the form of its name; false when the driver keeps no forms.
  virtual bool SetForm(const TPaperForm& Form) {
    (void)Form;
    return false;
  }
  virtual TDeviceCaps DeviceCaps(const TDeviceMode& Mode) = 0;
  // Opens a job whose first page is open. Raises EPrinter when it cannot.
  virtual std::unique_ptr<TPrintJob> StartDoc(const TDeviceMode& Mode, const std::string& Title) = 0;
};

// The sheet a mode selects on a driver, as oriented, in tenths of a
// millimetre: the mode's own size (DeviceModePaperSize), else the paper of
// the driver's list with the mode's code, else Fallback's size.
void ResolveSheet(const TDeviceMode& Mode, const std::vector<TPaperInfo>& Papers, const TDeviceMode& Fallback,
                  int& Width, int& Height);
