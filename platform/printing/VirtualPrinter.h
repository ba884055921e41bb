#pragma once
// A printer that exists only in the program, for tests and benchmarks: its
// resolution, margins, papers, bins and supported fields are what the test
// sets. Each page is painted into an image at the device resolution; a job
// can also be written to a PDF file, one image per page.
#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "platform/printing/PrinterDriver.h"

struct TVirtualPrinterConfig {
  int PixelsPerInchX = 300;
  int PixelsPerInchY = 300;
  // Unprintable margins of the oriented sheet, tenths of a millimetre.
  int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
  std::vector<TPaperInfo> Papers;  // empty: A4, Letter, Legal, A3, A5
  std::vector<TBinInfo> Bins;
  // Capability lists answered as they stand (lists of different lengths, say); unset: made from
  // the papers and bins.
  std::optional<TDriverCapabilities> Capabilities;
  // Supported fields, and the mode the driver starts with (its Fields are
  // replaced by SupportedFields).
  uint32_t SupportedFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                             DM_DUPLEX | DM_COLLATE | DM_COLOR;
  TDeviceMode Defaults = [] {
    TDeviceMode M;
    M.PaperSize = 9;  // A4
    return M;
  }();
  bool Color = true;
  std::string OutputFile;  // a PDF written at the end of each job; empty: none
  bool KeepPageImages = true;
};

class TVirtualPrinter : public TPrinterDriver {
public:
  struct TJob {
    std::string Title;
    std::vector<TDeviceMode> PageModes;  // the mode each page was started with
    std::vector<QImage> Pages;           // empty unless KeepPageImages
    int PageCount = 0;
    bool Ended = false;
    bool Aborted = false;
  };

  TVirtualPrinter(std::string Name, TVirtualPrinterConfig Config = {});
  TVirtualPrinterConfig& Config() { return FConfig; }
  // Jobs in the order they were started, finished or not.
  const std::vector<TJob>& Jobs() const { return FJobs; }

  std::string Name() const override { return FName; }
  std::string DriverName() const override { return "Virtual Printer"; }
  std::string PortName() const override { return FConfig.OutputFile; }
  TDeviceMode DefaultDeviceMode() override;
  std::vector<TPaperInfo> Papers() override;
  std::vector<TBinInfo> Bins() override { return FConfig.Bins; }
  TDriverCapabilities Capabilities() override;
  // The form list: forms set by the program, in the order they were first set.
  std::vector<TPaperForm> Forms() override { return FForms; }
  bool SetForm(const TPaperForm& Form) override;
  TDeviceCaps DeviceCaps(const TDeviceMode& Mode) override;
  std::unique_ptr<TPrintJob> StartDoc(const TDeviceMode& Mode, const std::string& Title) override;

private:
  friend class TVirtualJob;
  std::string FName;
  TVirtualPrinterConfig FConfig;
  std::vector<TJob> FJobs;
  std::vector<TPaperForm> FForms;
};
