#pragma once
// The preview control: one stored page of a report printer, at a zoom, in a
// scroll box. It may be attached while the report is still running; it then
// shows the page it waits for as soon as the printer announces it (0x401) and
// passes progress (0x400) on to its owner. The preview interfaces decide which
// window a printer opens when a report asks to be previewed.
#include <cstdint>
#include <memory>

#include "lxreport/LXPrntr.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Metafile.h"

class TForm;

// The page itself: plays the page metafile over its whole area and frames it
// like a sheet of paper (the 4 extra pixels hold the frame and the shadow).
class TLXPreviewImage : public TGraphicControl {
  DECLARE_CLASSINFO(TLXPreviewImage)
public:
  explicit TLXPreviewImage(TComponent* AOwner);
  ~TLXPreviewImage() override;

  // Fetches page N from the printer (none outside its finished range) and
  // paints. A page that cannot be fetched leaves the image empty, shown as a
  // blank sheet (Unreadable), and raises.
  void SetPageNumber(int32_t N);
  int32_t PageNumber() const { return FPageNumber; }
  int32_t Zoom() const { return FZoom; }
  void SetZoom(int32_t V) { FZoom = V; }
  TLXPrinter* Printer() const { return FPrinter; }
  void SetPrinter(TLXPrinter* P) { FPrinter = P; }
  TMetafile* PageMetafile() const { return FPageMetafile.get(); }
  bool ImageOK() const { return FPageMetafile != nullptr; }
  bool Unreadable() const { return FUnreadable; }

protected:
  void Paint() override { PaintPage(); }
  // The white sheet, the page over the whole image, a one-pixel frame and a
  // two-pixel shadow; at run time nothing without a page.
  void PaintPage();

private:
  TLXPrinter* FPrinter = nullptr;
  int32_t FPageNumber = 1;
  int32_t FZoom = 100;
  std::unique_ptr<TMetafile> FPageMetafile;  // null: no page held
  bool FUnreadable = false;                   // the last fetch failed
};

enum : uint8_t { lxzFitPage = 0, lxzFitWidth = 1, lxzNumeric = 2 };

using TLXPageAvailableEvent = TEvent<void(TObject* Sender, int PageNum)>;
using TLXProgressUpdateEvent = TEvent<void(TObject* Sender, int Progress)>;

class TLXPreview : public TScrollBox, public ILXPrinterView {
  DECLARE_CLASSINFO(TLXPreview)
public:
  explicit TLXPreview(TComponent* AOwner);
  ~TLXPreview() override;

  // Attaches a printer (null detaches): the preview becomes its status window,
  // the zoom mode is applied to the printer's paper and page 1 is shown.
  void SetLXPrinter(TLXPrinter* P);
  // The attached printer has loaded other pages: page 1 of them, on their paper.
  void PagesReplaced();
  TLXPrinter* LXPrinter() const { return FPrinter; }
  TLXPreviewImage* PreviewImage() const { return FPreviewImage; }

  int32_t PageNumber() const { return FPageNumber; }
  // Out-of-range numbers are ignored. A page that cannot be read shows as a
  // blank sheet; the first of a file is reported once in a message, which
  // names the page from which the file is damaged, and later ones quietly.
  void SetPageNumber(int32_t N);
  int32_t Zoom() const { return FZoom; }
  // Ignored outside 2..2000.
  void SetZoom(int32_t Z);
  uint8_t ZoomState() const { return FZoomState; }
  void ZoomToFit();
  void ZoomToWidth();
  // Sizes and places the page image for the zoom.
  void UpdateZoom();
  // Fetches the awaited page once the printer has it.
  void UpdateImage();
  // On every resize: fit page or width again, then place the page.
  void ApplyZoomState();
  // Scrolls for a wheel delta (positive: up): per whole notch of 120, Lines
  // lines of the vertical bar (its Increment, a line as the desktop's scroll
  // areas count it).
  void WheelScroll(int Delta, int Lines);
  // The desktop's wheel scroll lines (3 where it gives none, or nonsense).
  static int DesktopScrollLines();

  TLXPageAvailableEvent OnPageAvailable;
  TLXProgressUpdateEvent OnProgressUpdate;

  void PrinterFreed(TLXPrinter* Printer) override;

protected:
  void WndProc(TMessage& Message) override;
  void Destroying() override;

private:
  // Clears the printer's status window and showing-preview flag when they are this control's.
  void DetachPrinter();
  // The image fetches page N; a failure is reported (once) instead of raised.
  void FetchPage(int32_t N);
  void ReportDamage(int32_t Page, const std::string& Why);
  // The first page up to Failed that cannot be read, found by halving (a damaged file is
  // usually cut or spoilt from some page on).
  int32_t FirstUnreadablePage(int32_t Failed);
  // The page in device pixels at 100 % (Letter in millimetres without a printer).
  long double PageWidthPixels() const;
  long double PageHeightPixels() const;

  TLXPreviewImage* FPreviewImage;
  TLXPrinter* FPrinter = nullptr;
  int32_t FPageNumber = 1;
  int32_t FZoom = 100;
  uint8_t FZoomState = lxzNumeric;
  bool FDamageReported = false;  // for the pages attached now
};

// Decides the window a printer's Preview opens. Show and ShowModal answer the
// window opened; the base opens none.
class TLXPreviewInterface : public TComponent {
  DECLARE_CLASSINFO(TLXPreviewInterface)
public:
  explicit TLXPreviewInterface(TComponent* AOwner) : TComponent(AOwner) {}
  virtual TForm* Show(TLXPrinter* Printer);
  virtual TForm* ShowModal(TLXPrinter* Printer);
};

// Opens the library's standard preview window. Until that window is part of
// the library, both answer no window.
class TLXStandardPreviewInterface : public TLXPreviewInterface {
  DECLARE_CLASSINFO(TLXStandardPreviewInterface)
public:
  explicit TLXStandardPreviewInterface(TComponent* AOwner) : TLXPreviewInterface(AOwner) {}
  TForm* Show(TLXPrinter* Printer) override;
  TForm* ShowModal(TLXPrinter* Printer) override;
};

// The library-wide preview interface class: a printer's Preview makes an
// instance of it without owner, calls Show and frees it. An application may
// put another TLXPreviewInterface class here. Null until InitializeLXPreview.
extern const TClassInfo* LXPreviewInterfaceClass;

// Sets the class to TLXStandardPreviewInterface and lets printers use it.
void InitializeLXPreview();
void FinalizeLXPreview();
