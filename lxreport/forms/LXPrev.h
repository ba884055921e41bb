#pragma once
// TLXStandardPreview: the window a report printer opens when a report is previewed and no
// OnPreview handler takes over. The printer's pages in a preview control, with zoom, page
// navigation, a go-to-page prompt, print setup, printing, saving and exporting, opening a saved
// report file and closing. It follows a report still being generated: page count, progress and
// the print buttons come from the printer's messages.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lxreport/forms/LXPreview.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"

class TLXExportFilter;

// The picture Name ("print", "next-page"...) of the band report library's icon set; empty
// when there is none.
TPixelImage LXIcon(const std::string& Name);
// The same picture as its PNG file's bytes, and its width in pixels; empty when there is none.
std::vector<uint8_t> LXIconPng(const std::string& Name, int& Width);

class TLXStandardPreview : public TForm {
  DECLARE_CLASSINFO(TLXStandardPreview)
public:
  TLXStandardPreview(TComponent* AOwner, TLXPrinter* APrinter);

  // Shows the window without waiting and writes the page text.
  void ShowAndUpdate();
  // Status panel 1: "Page <n> of <count>".
  void UpdateStatus();
  void GoToPage(int32_t N);

  void ZoomToFitClick(TObject* Sender);
  void ZoomTo100Click(TObject* Sender);
  void ZoomToWidthClick(TObject* Sender);
  void FirstPageClick(TObject* Sender);
  void PrevPageClick(TObject* Sender);
  void NextPageClick(TObject* Sender);
  void LastPageClick(TObject* Sender);
  // The go-to-page prompt: anything that is not a page number goes to page 1.
  void ToolButton3Click(TObject* Sender);
  void PrintSetupClick(TObject* Sender);
  void PrintClick(TObject* Sender);
  void SaveClick(TObject* Sender);
  void LoadClick(TObject* Sender);
  void ToolButton1Click(TObject* Sender);
  void LXPreviewPageAvailable(TObject* Sender, int PageNum);
  void LXPreviewProgressUpdate(TObject* Sender, int Progress);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Scrolls the preview for a wheel delta (positive: up), ScrollLines x 3 pixels per 120.
  void MouseWheel(int Delta);

  // The save dialog's filter text: the report file, the export filter library's entries and
  // the PDF entry; PDFIndex receives that entry's 1-based filter index.
  std::string SaveDialogFilter(int& PDFIndex) const;

  TLXPrinter* Printer() const { return FPrinter; }
  int32_t LastProgress() const { return FLastProgress; }
  bool WheelPresent() const { return FWheelPresent; }
  int32_t ScrollLines() const { return FScrollLines; }

  TStatusBar* StatusBar = nullptr;
  TToolBar* ToolBar1 = nullptr;
  TToolButton *ZoomFit = nullptr, *Zoom100 = nullptr, *ZoomToWidth = nullptr, *FirstPage = nullptr,
              *PreviousPage = nullptr, *ToolButton2 = nullptr, *LastPage = nullptr, *ToolButton3 = nullptr,
              *PrintSetup = nullptr, *Print = nullptr, *SaveReport = nullptr, *LoadReport = nullptr,
              *ToolButton1 = nullptr;
  TImageList* Images = nullptr;
  TLXPreview* LXPreview = nullptr;
  // The six filter components.
  TComponent *LXExcelFilter1 = nullptr, *LXRTFFilter1 = nullptr, *LXWMFFilter1 = nullptr, *LXCSVFilter1 = nullptr,
             *LXTextFilter1 = nullptr, *LXHTMLFilter1 = nullptr;

protected:
  void WndProc(TMessage& Message) override;
  void BoundsChanged() override;

private:
  void CreateFilterComponents();
  // Runs the export through the printer; a loaded file has no report to run, so only filters that
  // write stored pages work then, and the others say so and write nothing.
  void ExportThrough(TLXExportFilter* Filter);
  // Runs an export that walks the stored pages with the progress form and its cancel.
  void WithPageProgress(const std::function<void()>& Export);
  TLXPrinter* FPrinter;  // not owned
  int32_t FLastProgress = 0;
  bool FWheelPresent = false;
  uint32_t FWheelMessage = 0;
  int32_t FScrollLines = 3;
};
