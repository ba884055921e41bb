#pragma once
// TCustomVexaRep: the band report component. A design panel whose children are bands (which
// hold printables), with its page setup, its band switches, its report variables and the
// controller that walks the data. This part keeps the bands in print order (OrderBands), lays
// them out on the design surface (LayoutBands), converts every size when the units change, and
// draws the design surface: rulers, margins, the frame, column ticks and the page-1 thumbnail.
// TVexaRep is the published report over a data set.
//
// A run (Generate) walks the data through the controllers and lays the bands out on pages of
// a TLXPrinter: Prepare keeps the pages, Preview shows them as they come, PrintRun sends them
// to the printer, ExportRun into an export filter. The layout of a run is in LXLayout.cpp.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "lxreport/LXBands.h"
#include "lxreport/LXDataAccess.h"
#include "lxreport/LXDesign.h"
#include "lxreport/LXPrinterSettings.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXUnits.h"
#include "platform/classes/StringList.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"

class TLXCustomController;
class TLXController;
class TLXEvEnvironment;
class TLXEvElement;
class TLXPrintable;
class TLXExportFilter;
class TLXDataSetAdapter;
class TDataSet;
class TCustomVexaRep;

enum TVexaReportOption : uint8_t { FirstPageHeader, LastPageFooter, Compression };
DEFINE_ENUM_INFO(TVexaReportOption, "FirstPageHeader", "LastPageFooter", "Compression")
constexpr uint32_t LXOption(TVexaReportOption O) { return 1u << O; }

using TLXReportBeforePrintEvent = TEvent<void(TObject* Sender, bool& PrintReport)>;
using TLXNotifyEvent = TEvent<void(TCustomVexaRep* Sender)>;
using TLXAfterPrintEvent = TEvent<void(TObject* Sender)>;
using TLXAfterPreviewEvent = TEvent<void(TObject* Sender)>;

// The progress window of print and export runs (made by the forms library, which sets this at
// its start-up): it follows the printer's progress messages and can cancel the run. Answers
// the window (freed by the run) and its message handle; unset, runs show no progress.
using TLXProgressWindowFactory = std::function<TComponent*(TLXPrinter* Printer, bool Show, HWND& Status)>;
extern TLXProgressWindowFactory LXProgressWindowFactory;

class TCustomVexaRep : public TLXBasePanel, public ILXPrinterOwner {
  DECLARE_CLASSINFO(TCustomVexaRep)
public:
  explicit TCustomVexaRep(TComponent* AOwner);
  ~TCustomVexaRep() override;

  // ---- Running
  // Fills a new printer with stored pages and leaves it with the report (ActivePrinter).
  void Prepare();
  // Opens the preview on a new printer, generates into it and waits until it closes.
  void Preview();
  // Generates again onto the printer (a preview's print command, message 0x402).
  void PrintRun();
  // Generates into the filter (a preview's save command).
  void ExportRun(TLXExportFilter* Filter);
  // One run; AppendRun continues a job a composite report has begun. Nothing while a run is
  // in progress.
  virtual void Generate(bool AppendRun);
  // Walks the data (the controller's Run).
  virtual void Execute();
  // A new printer owned by the report becomes ActivePrinter; answers whether the report was idle
  // (nothing is made otherwise).
  bool NewPrinter();
  void CancelRun();
  void SetExportFilter(TLXExportFilter* Filter);
  // The print dialog, through the dialog service; Tag := 1 when cancelled, 0 when accepted.
  void PrintSetupDialog();
  bool PrintIfEmpty() const;
  virtual void SetPrintIfEmpty(bool Value);

  bool Idle() const { return FIdle; }
  bool Cancelled() const { return FCancelled; }
  bool Exporting() const { return FExporting; }
  TLXExportFilter* ExportFilter() const { return FExportFilter; }
  bool AppendRun() const { return FAppendRun; }
  // The data sets of the report's form during a run (null outside one), as expressions see them.
  TLXDataSetList* DataSets() const { return FDataSets.get(); }
  // Appends a data set to the run's list (once).
  void AddRunDataSet(TDataSet* D);

  // Text measured on the screen at its fixed resolution (the width plus 1, and the height).
  int MeasureTextWidth(const TFont* Font, const std::string& Text);
  int MeasureTextHeight(const TFont* Font, const std::string& Text);

  uint32_t Options() const { return FOptions; }
  void SetOptions(uint32_t V) { FOptions = V; }
  bool HasOption(TVexaReportOption O) const { return (FOptions & LXOption(O)) != 0; }
  const std::string& ReportTitle() const { return FReportTitle; }
  void SetReportTitle(const std::string& V) { FReportTitle = V; }
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool V) { FShowProgress = V; }
  bool SnapToGrid() const { return FSnapToGrid; }
  void SetSnapToGrid(bool V) { FSnapToGrid = V; }
  TStringList* Description() const { return FDescription.get(); }
  void SetDescription(const TStringList* V);
  TVexaRepPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
  void SetPrinterSettings(const TVexaRepPrinterSettings* V);
  // Read as 500 while 0 or less.
  int32_t PreviewWidth() const { return FPreviewWidth > 0 ? FPreviewWidth : 500; }
  void SetPreviewWidth(int32_t V) { FPreviewWidth = V; }
  int32_t PreviewHeight() const { return FPreviewHeight > 0 ? FPreviewHeight : 500; }
  void SetPreviewHeight(int32_t V) { FPreviewHeight = V; }

  TLXAfterPrintEvent AfterPrint;
  TLXAfterPreviewEvent AfterPreview;
  TLXReportBeforePrintEvent BeforePrint;
  TLXNotifyEvent OnEndPage, OnStartPage;
  TLXOnNeedDataEvent OnNeedData;
  TNotifyEvent OnPreview;
  // Called by the standard preview window after it has printed; never by the report.
  TNotifyEvent DepoisEnviarImprimir;
  TLXPrinterEvent OnGetPrinterSettings, OnApplyPrinterSettings;

  // ILXPrinterOwner
  const TLXPrinterSettings* ReportPrinterSettings() const override { return FPrinterSettings.get(); }
  void GetPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) override;
  void ApplyPrinterSettings(TPrinterSettings* Sender, bool& Cancel, TDeviceMode* DevMode) override;
  void PrinterFreed(TLXPrinter* Printer) override;

  // ---- Layout of a run (tenths of a millimetre)
  // Prints a band at the cursor; a missing band is ignored.
  void PlaceBand(TLXCustomBand* Band);
  // Room left on the page for bands; 0 outside a run.
  int32_t RoomLeft() const;
  void AdvanceColumn();
  void AdvancePage();
  void ClosePage();
  void DrawPageFrame();
  void MeasurePageFooter();
  void ForcedColumnBreak();
  void ForcedPageBreak();
  // Ends the columns of the page: the next band starts a new page.
  void BreakToNewPage();
  // The paper's length as the pages are laid out (its width in landscape).
  int32_t RunPaperLength() const;
  // Called by a printing band between its break and its drawing: the band has its place.
  void BandPlaced(TLXCustomBand* Band);
  // A bottom-aligned band about to take its place: a summary on a last page without footer
  // may use the footer's room.
  void ReserveBottomBand(TLXCustomBand* Band);
  // Title, page header, page footer, summary and overlay bands (and their children) span the
  // margins; the others are a column wide.
  static bool FullWidthBand(const TLXCustomBand* Band);
  // The lowest y the bands of the page have reached (below every column).
  int32_t ColumnsBottom() const { return FColumnsBottom; }
  void NoteBandBottom(int32_t Y) { FColumnsBottom = std::max(FColumnsBottom, Y); }
  int32_t PageNumber() const { return FPageNumber; }
  int32_t ColumnNumber() const { return FColumnNumber; }
  int32_t CurrentX() const { return FCurrentX; }
  int32_t CurrentY() const { return FCurrentY; }
  void SetCurrentY(int32_t V) { FCurrentY = V; }
  void SetPageNumber(int32_t V) { FPageNumber = V; }
  int32_t ColumnTop() const { return FColumnTop; }
  long double FooterSpace() const { return FFooterSpace; }
  bool FinalPage() const { return FFinalPage; }
  void SetFinalPage(bool V) { FFinalPage = V; }
  bool SkipNextPageBreak() const { return FSkipNextPageBreak; }
  void SetSkipNextPageBreak(bool V) { FSkipNextPageBreak = V; }
  // A column or page is being started because a band did not fit or overflowed: bands printed
  // meanwhile ignore their ForceNewPage.
  bool BreakInProgress() const { return FBreakInProgress; }
  void SetBreakInProgress(bool V) { FBreakInProgress = V; }
  // BeginPrinting (EndPrinting) of every printable of every band and of the report.
  void PrepareContents();
  void UnprepareContents();

  // Units in which page, band and printable sizes are read and written: the page's.
  TLXUnit Units() const;
  virtual void SetUnits(TLXUnit U);
  // Accepted from 1 to 300.
  void SetZoom(int32_t Z) override;
  void PaintRuler(TLXUnit Units) override;
  virtual void PaintColumns();
  virtual void PaintMargins();
  virtual void PaintFrame();
  // Gives the controller its header, detail and footer bands (nothing here).
  virtual void AssignControllerBands() {}
  // Adds P to the printables the top controller tells when the detail advances.
  virtual void RegisterPrintable(TLXPrintable* P);

  TLXPage* Page() const { return FPage.get(); }
  TVexaRepBands* Bands() const { return FBands.get(); }
  TLXCustomController* Controller() const { return FController.get(); }
  TLXEvEnvironment* Functions() const { return FFunctions.get(); }
  // The bands in print order; not owning.
  const std::vector<TLXCustomBand*>& BandList() const { return FBandList; }
  // The first band of the type in the band list, or null.
  TLXCustomBand* BandOfType(TLXBandType Type) const;

  // A new band of the type on the report, owned by the report's owner (else the report) and
  // named with its prefix and the smallest free number.
  TLXBand* NewBand(TLXBandType Type);
  void RegisterBand(TLXCustomBand* Band);
  void UnregisterBand(TLXCustomBand* Band);
  // Page headers, titles, column headers, the controller's bands, page footers, then the rest
  // in their old order; each band followed by its child chain. Skipped while loading.
  void OrderBands();
  // One below the other from the top margin, at the left margin; title, page header, page
  // footer, summary and overlay bands (and their children) as wide as the margins allow, the
  // others as wide as a column. Skipped while anything is loading and without a page.
  void LayoutBands();
  // While OrderBands runs: appends Band and its child chain to the new order (a band already
  // placed, or going, is skipped).
  void AppendBandChain(TLXCustomBand* Band);

  // The page-1 picture shown on the design surface; dropped when a band or printable moves.
  TMetafile* Thumbnail() const { return FThumbnail.get(); }
  void SetThumbnail(std::unique_ptr<TMetafile> Page);
  bool ThumbnailStale() const { return FThumbnailStale; }
  void InvalidateThumbnail();

  // The run's printer (null outside a run) and whether bands, frames and graphics are drawn
  // on it (false during an export).
  TLXPrinter* ActivePrinter() const { return FActivePrinter; }
  void SetActivePrinter(TLXPrinter* P) { FActivePrinter = P; }
  // The printers this report made that are still alive.
  const std::vector<TLXPrinter*>& Printers() const { return FPrinters; }
  bool Rendering() const { return FRendering; }
  void SetRendering(bool V) { FRendering = V; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
  // Replaces the top controller (a TVexaRep walks a data set).
  void SetController(TLXCustomController* C);
  void Paint() override;
  bool ShowsRulerNumbers() const override { return true; }
  void Destroying() override;
  // 0x401 (page available) with 1 in the low word of wParam: page 1 of the printer becomes the
  // thumbnail; 0x402 prints; 0x404 (preview closed) cancels a run, or frees the printer.
  void WndProc(TMessage& Message) override;

private:
  bool AnythingLoading() const;
  void ApplyPrinterSettingsToPrinter();
  void GatherDataSets();
  void AttachChildren();
  // The printer's hooks back into the report.
  void HookPrinter(TLXPrinter* P);
  void FreePrinter(TLXPrinter* P);
  // Runs Generate with a temporary printer (and the progress window), then gives the previous
  // printer back.
  void RunWithTemporaryPrinter(TLXPrinter* P);
  void StoreColumnNumber();

  std::unique_ptr<TStringList> FDescription;
  std::unique_ptr<TVexaRepPrinterSettings> FPrinterSettings;
  std::vector<TLXPrinter*> FPrinters;
  std::vector<std::unique_ptr<TLXDataSetAdapter>> FDataSetAdapters;
  std::unique_ptr<TLXDataSetList> FDataSets;
  TLXExportFilter* FExportFilter = nullptr;
  uint32_t FOptions = LXOption(FirstPageHeader) | LXOption(LastPageFooter);
  std::string FReportTitle;
  bool FShowProgress = true, FSnapToGrid = true;
  int32_t FPreviewWidth = 0, FPreviewHeight = 0;
  bool FIdle = true, FCancelled = false, FExporting = false, FFinalPage = false, FAppendRun = false;
  // Layout state of a run.
  int32_t FPageNumber = 0, FColumnNumber = 1, FCurrentX = 0, FCurrentY = -1, FColumnTop = 0;
  long double FFooterSpace = 0;
  // The page footers' height: where a footer prints even when a last page gave its room away.
  long double FFooterHeight = 0;
  int32_t FColumnsBottom = 0;
  bool FColumnBreakArmed = false, FSkipNextPageBreak = false, FBreakInProgress = false;
  // No band of the run has its place yet: its first break begins a page (never a column), and
  // that page's columns start below the title.
  bool FStartPending = false;
  TLXEvElement* FPageNumberEntry = nullptr;
  TLXEvElement* FColumnNumberEntry = nullptr;
  TLXEvElement* FTitleEntry = nullptr;
  std::unique_ptr<TLXCustomController, TComponentDeleter> FController;
  std::vector<TLXCustomBand*> FBandList;
  std::unique_ptr<TLXEvEnvironment> FFunctions;
  std::unique_ptr<TVexaRepBands> FBands;
  std::unique_ptr<TLXPage> FPage;
  std::unique_ptr<TMetafile> FThumbnail;
  bool FThumbnailStale = false;
  TLXPrinter* FActivePrinter = nullptr;
  bool FRendering = true;
  // The new order while OrderBands builds it.
  std::vector<TLXCustomBand*> FNewOrder;
  std::unordered_set<TLXCustomBand*> FPlaced;
  std::unordered_map<TLXCustomBand*, TLXCustomBand*> FChildOf;
  bool FOrdering = false;
  int FLayoutLock = 0;  // LayoutBands waits while set
};

// The report component over a data set: its controller is a TLXController whose header,
// detail and footer bands are the title, detail and summary bands.
class TVexaRep : public TCustomVexaRep {
  DECLARE_CLASSINFO(TVexaRep)
public:
  explicit TVexaRep(TComponent* AOwner);
  TLXController* Controller() const;
  TDataSet* DataSet() const;
  void SetDataSet(TDataSet* Value);
  // The data set's record count when it is open, else 1; 1 also when counting fails.
  int64_t DataSetRecordCount() const;
  void AssignControllerBands() override;
  // The title, detail and summary bands and OnNeedData go to the controller first.
  void Execute() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};
