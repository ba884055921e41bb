#pragma once
// The printer object: the list of installed printers and the selected one, its
// device mode and capabilities, and print jobs. One global printer exists
// between CreateGlobalPrinter and FreeGlobalPrinter; other printer objects may
// be made freely and select printers of their own.
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/TypInfo.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/rtl/SysUtils.h"

class TCanvas;
class TDeviceContext;

DECLARE_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };
DEFINE_ENUM_INFO(TPrinterOrientation, "poPortrait", "poLandscape")

class TPrinter {
public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Names of the installed printers, as listed when this object was made or
  // last refreshed.
  const std::vector<std::string>& Printers() const { return FNames; }
  void Refresh();
  // The selected printer's index: after SetPrinterIndex(-1) the default
  // printer's; -1 only when there are no printers.
  int PrinterIndex() const;
  // -1 selects the default printer. Raises EPrinter (SPrinterIndexError) past
  // the list and (SPrinting) during a job.
  void SetPrinterIndex(int Index);
  std::string PrinterName() const;
  // The selected printer's driver and port; empty without printers.
  std::string DriverName() const { return FDriver ? FDriver->DriverName() : std::string(); }
  std::string PortName() const { return FDriver ? FDriver->PortName() : std::string(); }
  bool HasPrinter() const { return FDriver != nullptr; }

  // The selected printer's device mode, fetched from its driver on first use
  // after a printer change. Without printers: an empty mode (no fields).
  const TDeviceMode& DeviceMode();
  // Takes Mode for the next job; during a job, from the next page on.
  void SetDeviceMode(const TDeviceMode& Mode);
  // Forgets the device mode, so that the driver's current one is fetched again.
  void ResetDeviceMode();

  // Measures of the selected printer under its device mode, or under Mode; all 0 without printers.
  TDeviceCaps DeviceCaps();
  TDeviceCaps DeviceCaps(const TDeviceMode& Mode);
  std::vector<TPaperInfo> Papers();
  std::vector<TBinInfo> Bins();
  // The driver's capability lists and its forms (PrinterDriver.h); empty without printers.
  TDriverCapabilities Capabilities();
  std::vector<TPaperForm> Forms();
  bool SetForm(const TPaperForm& Form);
  // Printable area in device pixels.
  int PageWidth() { return DeviceCaps().PageWidth; }
  int PageHeight() { return DeviceCaps().PageHeight; }

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }

  // Opens a job on the selected printer, named Title, with page 1 open.
  // Raises EPrinter (SPrinting) during a job and (SNoDefaultPrinter) without
  // printers.
  void BeginDoc();
  // Ends the page and opens the next. Raises EPrinter (SNotPrinting) outside a job.
  void NewPage();
  // Ends the job and hands it to the spooler. Raises EPrinter (SNotPrinting) outside a job.
  void EndDoc();
  // Throws the job away; does nothing outside a job.
  void Abort();
  bool Printing() const { return FJob != nullptr; }
  bool Aborted() const { return FAborted; }
  int PageNumber() const { return FPageNumber; }

  // The canvas of the open page, in device pixels with the origin at the top
  // left of the printable area. The same object serves every page and job
  // (its font, pen and brush carry over); outside a job it has no device.
  TCanvas* Canvas();
  // The open page's device context under the canvas; nullptr outside a job.
  TDeviceContext* DeviceContext() const;

private:
  void CheckPrinting() const;
  void AttachCanvas();
  void DetachCanvas();
  std::vector<std::shared_ptr<TPrinterDriver>> FDrivers;
  std::vector<std::string> FNames;
  int FIndex = -1;  // -1: the default printer
  std::shared_ptr<TPrinterDriver> FDriver;
  TDeviceMode FMode;
  bool FModeValid = false;
  std::string FTitle;
  std::unique_ptr<TPrintJob> FJob;
  bool FAborted = false;
  int FPageNumber = 0;
  std::unique_ptr<TCanvas> FCanvas;
};

// The global printer; nullptr outside CreateGlobalPrinter/FreeGlobalPrinter.
TPrinter* Printer();
void CreateGlobalPrinter();
void FreeGlobalPrinter();
