#pragma once
// The pp library's printer: one printer of the pp printer list (ppPrinterList.h), printed on
// through the platform's printing layer (platform/printing: TPrinter over CUPS or the virtual
// printer). It owns the printer's device mode, a platform printer object (the spooler handle)
// and a device context: outside a job an information context at the printer's resolution, which
// measures; inside a page the job's page. TppPrinter keeps a TppPrinterSetup and the device mode
// in step both ways. "Screen" measures with the screen and cannot print.
//
// Every public member holds the printer's re-entrant lock, so a background print worker and the
// main thread may share one printer. Failures of the spooler raise EPrintError and end the job:
// nothing of a failed job is reported as printed.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/SyncObjs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/printing/Printers.h"
#include "ppreport/core/ppConvert.h"
#include "ppreport/core/ppMeasuringPrinter.h"
#include "ppreport/core/ppPrinterList.h"
#include "ppreport/core/ppPrinterSetup.h"

class TppCustomPrinter;

// The printer's canvas: it draws on the printer's device context, taken when first needed. Before
// a font is selected its resolution follows the printer's (keeping its point size), and on a
// monochrome printer a colour other than black and white turns black.
class TppPrinterCanvas : public TCanvas {
public:
  explicit TppPrinterCanvas(TppCustomPrinter& Printer) : FPrinter(Printer) {}
  TppCustomPrinter& Printer() const { return FPrinter; }
  void UpdateFont();

protected:
  void CreateHandle() override;
  void BeforeSelectFont() override { UpdateFont(); }

private:
  TppCustomPrinter& FPrinter;
};

class TppCustomPrinter : public TObject, public IppMeasuringPrinter {
public:
  TppCustomPrinter();
  ~TppCustomPrinter() override;
  TppCustomPrinter(const TppCustomPrinter&) = delete;
  TppCustomPrinter& operator=(const TppCustomPrinter&) = delete;

  // ---- jobs and pages
  // Opens a job named DocumentName (nothing during a job). The platform's job opens with the first
  // page, so the spooler sees the document from the first StartPage on; a document without pages
  // sends nothing. Raises EPrintError on "Screen".
  void BeginDoc();
  // Ends the open page and the job and hands it to the spooler; nothing outside a job. Raises
  // EPrintError when the spooler refuses the job (the printer is then idle again).
  void EndDoc();
  // Throws the job away: nothing reaches the spooler.
  void AbortDoc();
  // Opens the next page (nothing outside a job or with a page open), under the device mode set
  // last. Raises EPrintError when the spooler fails; the job is then thrown away.
  void StartPage();
  // Ends the open page; nothing without one.
  void EndPage();
  // During a job: takes the device mode set last for the next page and measures again.
  void ResetDC();
  bool Printing() const;
  bool PageStarted() const;
  int PageNumber() const;

  // ---- printer choice and device mode
  // The raw name: "Default" until a printer is chosen.
  std::string PrinterName() const;
  // PrinterName with "Default" replaced by the default printer's name.
  std::string GetPrinterName() const;
  // Ignored during a job. "Default" reads the system default again. A name the list does not hold,
  // or an entry that cannot be opened, gives "Screen".
  void SetPrinterName(const std::string& Name);
  std::string DocumentName() const;
  void SetDocumentName(const std::string& Value);
  std::shared_ptr<TppPrinterInfo> GetPrinterInfo();
  TppPrinterCapabilities* GetCapabilities();
  // The platform printer selected on this printer's device; null for "Screen" and unknown devices.
  TPrinter* GetPrinterHandle();
  // The device mode, fetched from the driver on first use; null without one (the driver gave none).
  TDeviceMode* GetDevMode();
  // A copy the caller owns; null without a device mode.
  std::unique_ptr<TDeviceMode> CopyDevMode();
  // Takes a copy of Mode: during a job from the next page on, else at once (the context follows).
  void SetDevMode(const TDeviceMode& Mode);
  bool DevModeChanged() const;
  // The bin the driver chose when the device mode was fetched.
  int16_t DefaultSource() const;
  // Asks the dialog service for the driver's settings (the printer setup dialog); a confirmed
  // choice becomes the device mode and fires OnDevModeChange.
  bool ShowPrinterProperties();
  // Adds the form Name of Width x Height (thousandths of a millimetre) to the driver's form list,
  // or replaces one of that name whose size or area differs. Drivers without forms keep none.
  void SetCustomPaperForm(const std::string& Name, TSize Size, TRect ImageableArea);

  // ---- device context and measures
  // The open page's context during a page, else the information context (made on demand). On
  // "Screen" the screen's; during a job that raises EPrintError. A printer whose context cannot be
  // made is marked invalid in the list and, outside a job, gives way to "Screen".
  TDeviceContext* GetDC();
  void UpdateDeviceCaps();
  bool GetIsColor();
  // Left, top, right and bottom unprintable margins in printer pixels.
  TRect GetUnprintableMargins();
  // The printer's resolution; the screen's when no context can be made.
  TPoint GetPixelsPerInch() const override;
  // The whole sheet and the printable area, in printer pixels.
  TSize GetPhysicalSize();
  TSize GetPrintableSize();
  TppPrinterCanvas* GetCanvas();
  // Text is measured on the printer's own canvas; "Screen" and a printer without a context answer
  // none, and text is then measured on a screen bitmap.
  TCanvas* MeasuringCanvas() override;
  void FreeDC();
  void FreeDevMode();
  void ClosePrinterHandle();
  // The three; nothing during a job.
  void FreeHandles();

  // The user accepted new driver settings.
  TNotifyEvent OnDevModeChange;

protected:
  // Runs Action under the lock; a platform printing failure ends the job and raises EPrintError.
  template <class F>
  void Spool(F&& Action);
  void DropJob();

  mutable TCriticalSection FLock;

private:
  void CreateDC();
  bool IsScreen() const;

  std::string FPrinterName = "Default";
  std::string FDocumentName;
  std::shared_ptr<TppPrinterInfo> FPrinterInfo;
  bool FPrinting = false;
  bool FPageStarted = false;
  bool FJobOpen = false;  // the platform's job (opened with the first page)
  int FPageNumber = 0;
  std::unique_ptr<TDeviceMode> FDevMode;
  int16_t FDefaultSource = 0;
  bool FDevModeChanged = false;
  std::unique_ptr<TPrinter> FHandle;
  // The information context: a one-pixel bitmap at the printer's resolution.
  TBitmap FInfoBitmap;
  std::unique_ptr<TDeviceContext> FInfoDC;
  TDeviceContext* FDC = nullptr;
  TDeviceCaps FCaps;
  bool FCapsValid = false;
  std::unique_ptr<TppPrinterCanvas> FCanvas;
};

// A printer with a setup kept in step with its device mode: setting the setup writes the device
// mode, reading the setup reads it back.
class TppPrinter : public TppCustomPrinter {
public:
  TppPrinter();
  ~TppPrinter() override;

  // Adopts Setup (printer, paper, orientation, margins, bin, copies, duplex...) when it differs
  // from the own one, and writes it into the device mode.
  void SetPrinterSetup(const TppPrinterSetup& Setup);
  // The own setup, read back from the device mode first.
  TppPrinterSetup* GetPrinterSetup();
  // The setup written into the device mode.
  void ApplySetupToDevMode();
  // The paper for the device mode in tenths of a millimetre, portrait (width <= what the
  // orientation turns).
  void GetPaperSizeInTenths(int& Width, int& Height);

private:
  std::unique_ptr<TppPrinterSetup> FPrinterSetup;
};

// The process-wide printer for measuring outside print runs: made on the first call when the list
// holds a real printer besides "Default" and "Screen", else null. Rebuilding the list frees it.
TppPrinter* GetSharedPrinter();
void FreeSharedPrinter();
