#pragma once
// TLXPrinter: the band report library's output device and the holder of a
// report's finished pages. A run draws each page on Canvas in report
// coordinates (tenths of a millimetre, through XPos/YPos/XSize/YSize); the
// page is recorded as a metafile into the page list, or drawn on the printer.
// The same object then serves the stored pages to previews and exports,
// prints, saves and loads them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lxreport/LXPageList.h"
#include "lxreport/LXPrinterSettings.h"
#include "platform/classes/Classes.h"
#include "platform/app/Messages.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/printing/Printers.h"

class TLXPrinter;
class TLXExportFilter;

// Window messages between the band report library's objects.
constexpr uint32_t WM_LXPROGRESS = 0x400;        // wParam: percent done
constexpr uint32_t WM_LXPAGEAVAILABLE = 0x401;   // wParam: finished pages
constexpr uint32_t WM_LXPRINT = 0x402;           // the report runs again onto the printer
constexpr uint32_t WM_LXPREVIEWCLOSED = 0x404;   // lParam: the printer

// What a report printer asks of the report that creates it; the report
// component implements it.
class ILXPrinterOwner {
public:
  virtual ~ILXPrinterOwner() = default;
  virtual const TLXPrinterSettings* ReportPrinterSettings() const = 0;
  // Hooked into the printer's driver settings.
  virtual void GetPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) = 0;
  virtual void ApplyPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) = 0;
  // A printer the owner made is being freed.
  virtual void PrinterFreed(TLXPrinter*) {}
};

// A window that shows a printer's pages (the preview control) and must let go
// of a printer that is freed.
class ILXPrinterView {
public:
  virtual ~ILXPrinterView() = default;
  virtual void PrinterFreed(TLXPrinter* Printer) = 0;
};

// The library-wide preview: opens a preview window on a printer. Set by the
// preview window's unit; without one, Preview does nothing.
extern std::function<void(TLXPrinter*)> LXPreviewInterface;

enum : uint8_t { lxsReady = 0, lxsBusy = 1, lxsFinished = 2 };
enum : uint8_t { lxdMetafile = 0, lxdPrinter = 1 };

class TLXPrinter : public TPersistent {
  DECLARE_CLASSINFO(TLXPrinter)
public:
  explicit TLXPrinter(TComponent* Owner = nullptr);
  ~TLXPrinter() override;
  TLXPrinter(const TLXPrinter&) = delete;
  TLXPrinter& operator=(const TLXPrinter&) = delete;

  void Cleanup();
  // The report that made the printer is going: the printer forgets it and every hook into it,
  // so that it can outlive the report.
  void DetachReport();

  // Report coordinates (tenths of a millimetre) to device pixels, halves to even.
  int32_t XPos(long double X) const;
  int32_t YPos(long double Y) const;
  int32_t XSize(long double W) const;
  int32_t YSize(long double H) const;

  // Settings pass-through.
  void SetPrinterIndex(int32_t I);
  void SetPaperSize(TLXPaperSize S) { FPrinterSettings->SetPaperSize(S); }
  void SetPaperWidth(int32_t W) { FPrinterSettings->SetPaperWidth(W); }
  void SetPaperLength(int32_t L) { FPrinterSettings->SetPaperLength(L); }
  void SetOrientation(uint8_t O) { FPrinterSettings->SetOrientation(O); }
  void SetCopies(int32_t N) { FPrinterSettings->SetCopies(N); }
  void SetOutputBin(TLXBin B) { FPrinterSettings->SetOutputBin(B); }
  void SetDuplex(bool D) { FPrinterSettings->SetDuplex(D); }
  void SetExtendedDuplex(int32_t N) { FPrinterSettings->SetExtendedDuplex(N); }
  void SetUseStandardPrinter(bool B) { FPrinterSettings->SetUseStandardPrinter(B); }
  void SetPrintMetafile(bool B) { FPrinterSettings->SetPrintMetafile(B); }
  void SetUseCustomBinCode(bool B) { FPrinterSettings->SetUseCustomBinCode(B); }
  void SetCustomBinCode(int32_t N) { FPrinterSettings->SetCustomBinCode(N); }
  void SetUseCustomPaperCode(bool B) { FPrinterSettings->SetUseCustomPaperCode(B); }
  void SetCustomPaperCode(int32_t N) { FPrinterSettings->SetCustomPaperCode(N); }
  TLXPaperSize GetPaperSize() const { return FPrinterSettings->PaperSize(); }
  uint8_t GetOrientation() const { return FPrinterSettings->Orientation(); }
  // The paper's size in tenths of a millimetre (the table's for a named paper), not as oriented.
  int32_t GetPaperWidth() const { return FPrinterSettings->GetPaperWidth(); }
  int32_t GetPaperLength() const { return FPrinterSettings->GetPaperLength(); }
  bool UseStandardPrinter() const { return FPrinterSettings->UseStandardPrinter(); }
  bool PrintMetafile() const { return FPrinterSettings->PrintMetafile(); }
  int32_t GetLeftWaste() const;
  int32_t GetTopWaste() const;
  void SetDestination(uint8_t D) { FDestination = D; }
  // The report's option for the pages of the next runs; a loaded file keeps its own.
  void SetCompression(bool B);
  // Paper of the settings as oriented, tenths of a millimetre.
  int32_t PaperWidthValue() const;
  int32_t PaperLengthValue() const;

  // A generation run: BeginDoc, NewPage before every page, drawing on Canvas, EndDoc or AbortDoc.
  void BeginDoc();
  void NewPage();
  // Drops what the page being recorded holds and records it afresh, without a new page: the
  // scratch page of a run that does not render.
  void RestartScratchPage();
  void EndDoc();
  void AbortDoc();
  void Cancel() { FCancelled = true; }
  void SetProgress(int32_t P);
  void SetAvailablePages(int32_t N);

  // Finished pages. During a page walk (below) each page fetched is a step of it.
  std::unique_ptr<TMetafile> GetPage(int32_t N);
  // A walk over the stored pages that no run drives (a loaded file exported page by page) shows
  // progress as a run does: between BeginPageWalk and EndPageWalk, every page fetched sets
  // Progress (page x 100 / PageCount, message 0x400 to the status window when it changes) after
  // pending messages are processed, and once Cancel has been called the next fetch raises EAbort.
  void BeginPageWalk();
  void EndPageWalk() { FPageWalk = false; }
  void SetPageNumber(int32_t N);
  // Replaces the pages with a saved report's. When the file cannot be opened
  // or its first page read, the printer stays as it was.
  void Load(const std::string& FileName);
  void Save(const std::string& FileName);
  // Prints the stored pages; answers whether a print job was ended. An empty
  // page range opens no job; a page that fails throws the job away.
  bool Print();
  void Preview();
  void ExportToFilter(TLXExportFilter* Filter);
  void PrintSetup();
  void ClosePreview(TComponent* Control);
  void SetShowingPreview(bool B);

  TPrinter* Printer() const { return FPrinter; }
  TPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
  TLXPageList* PageList() const { return FPageList.get(); }
  TLXStream* Stream() const { return FPageList->Stream(); }
  TCanvas* Canvas() const { return FCanvas; }
  TMetafile* CurrentPage() const { return FCurrentPage.get(); }
  int32_t AvailablePages() const { return FAvailablePages; }
  bool Cancelled() const { return FCancelled; }
  uint8_t Destination() const { return FDestination; }
  int32_t FirstPage() const { return FFirstPage; }
  void SetFirstPage(int32_t V) { FFirstPage = V; }
  int32_t LastPage() const { return FLastPage; }
  void SetLastPage(int32_t V) { FLastPage = V; }
  int32_t LeftWaste() const { return FLeftWaste; }
  int32_t TopWaste() const { return FTopWaste; }
  HWND StatusWindow() const { return FStatusWindow; }
  void SetStatusWindow(HWND W) { FStatusWindow = W; }
  HWND ParentReport() const { return FParentReport; }
  void SetParentReport(HWND W) { FParentReport = W; }
  int32_t PageCount() const { return FPageCount; }
  int32_t PageNumber() const { return FPageNumber; }
  bool PrintersAvailable() const { return FPrintersAvailable; }
  int32_t Progress() const { return FProgress; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& V) { FTitle = V; }
  bool ShowingPreview() const { return FShowingPreview; }
  uint8_t Status() const { return FStatus; }
  long double XFactor() const { return FXFactor; }
  long double YFactor() const { return FYFactor; }
  bool Prepared() const { return FPrepared; }
  void SetPrepared(bool V) { FPrepared = V; }
  TComponent* OwnerReport() const { return FOwnerReport; }

  std::function<void(TLXPrinter* Sender)> AfterPrint;
  std::function<void(TLXPrinter* Sender)> AfterPreview;
  std::function<void(TLXExportFilter* Filter)> OnExportToFilter;
  std::function<void(TLXPrinter* Sender)> OnPreview;
  std::function<void()> OnPrintSetup;

private:
  bool PageInRange() const;
  void OpenMetafilePage();
  void CloseMetafilePage(bool Keep);
  void OpenPrinterPage();
  void ProcessMessages();
  // The paper and orientation a page of this size in pixels was made for, if any.
  struct TPaperGuess {
    bool Found = false;
    TLXPaperSize Size = TLXPaperSize::Default;
    bool Landscape = false;
  };
  static TPaperGuess GuessPaper(const TMetafile& Page, long double Factor);

  TPrinter* FPrinter = nullptr;
  std::unique_ptr<TPrinter> FOwnPrinter;
  std::unique_ptr<TPrinterSettings> FPrinterSettings;
  std::unique_ptr<TLXPageList> FPageList;
  std::unique_ptr<TMetafile> FPageMetafile;
  std::unique_ptr<TMetafileCanvas> FMetafileCanvas;
  std::unique_ptr<TMetafile> FCurrentPage;
  TCanvas* FCanvas = nullptr;
  int32_t FAvailablePages = 0;
  bool FCancelled = false;
  uint8_t FDestination = lxdMetafile;
  int32_t FFirstPage = 0, FLastPage = 0;
  int32_t FLeftWaste = 0, FTopWaste = 0;
  HWND FStatusWindow = 0;
  HWND FParentReport = 0;
  int32_t FPageCount = 0;
  int32_t FPageNumber = 0;
  bool FPrintersAvailable = false;
  int32_t FProgress = 0;
  std::string FTitle;
  bool FShowingPreview = false;
  uint8_t FStatus = lxsReady;
  long double FXFactor = 1.0L, FYFactor = 1.0L;
  bool FPrepared = false;
  bool FUseStandardPrinter = false;
  bool FCompression = false;
  TComponent* FOwnerReport = nullptr;
  bool FJobOpen = false;  // a printer job of this run is open
  bool FPageWalk = false;
};
