#pragma once
// PDF export of a report run: every text, shape, rule and picture the
// printables hand over becomes a 136-byte item record in PDF points
// (LXPDFItem.h) passed to the PDF writer component (LXPDFLibrary.h), which
// writes each page as it is finished into a file beside the one asked for, which
// takes its name at Finish only. Pictures travel as text files
// of hexadecimal pixels in a folder made for the export and removed with it.
// The standard preview window creates this filter for its PDF entry; it is
// not in the export filter library.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxreport/LXConsts.h"
#include "lxreport/LXExport.h"
#include "lxreport/LXGraphics.h"
#include "lxreport/LXPDFItem.h"
#include "lxreport/LXPDFLibrary.h"

class TBitmap;
class TSafeFileStream;
class TBrush;
class TPen;
class TPicture;

// A filter with the text-grid base's slots but no grid: it draws nothing itself.
class TLXPAbstractExportFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  std::string GetFilterName() const override;
  void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor, TAlignment Alignment,
               const std::string& Text) override;
  void AcceptGraphic(long double X, long double Y, TLXPrintable* Control) override;
  void NewPage() override;
  void EndPage() override;
  virtual void CreateStream(const std::string& FileName);
  virtual void CloseStream();
  // Only records that the page was processed.
  virtual void ProcessPage();
  virtual void StorePage();
  bool PageProcessed() const { return FPageProcessed; }

private:
  bool FPageProcessed = false;
};

// How a picture fits its printable's box (W x H pixels) unless stretched: the
// drawn box and how far it moves right and down to stay centred.
struct TLXPictureFit {
  int W, H;
  int DX = 0, DY = 0;
};
// Inside the box keeping the picture's proportions (centred on the axis that shrinks).
TLXPictureFit FitPictureInside(int PictureWidth, int PictureHeight, int W, int H);
// A graphic picture's box by its fit mode: fmInsideProp as above, fmKeepWidth and fmKeepHeight keep
// that side and follow the picture's aspect, fmProportional covers the box.
TLXPictureFit FitPicture(TFitMode Mode, int PictureWidth, int PictureHeight, int W, int H);
// The width in points of a text line drawn in Font at its point size, as the writer draws it.
long double LXPDFTextWidth(const TFont& Font, const std::string& Text);
// The writer's shape kind of a shape printable's type.
uint8_t LXPDFShapeKind(TLXShapeType Type);

class TLXPDFDocumentFilter : public TLXPAbstractExportFilter {
public:
  // Calls "InitLib". LibraryName names the writer component (tests name a stand-in).
  explicit TLXPDFDocumentFilter(const std::string& FileName, const std::string& LibraryName = SLXPDFLibraryName);
  // Calls "CloseDownLib"; the picture folder goes too if an export failed.
  ~TLXPDFDocumentFilter() override;

  std::string GetFilterName() const override;
  std::string GetExtension() const override;
  bool GetStreaming() const override;
  // The conversion factors from the report's printer, then "SetPageParams"; makes the output file
  // beside FileName (raises EFCreateError) and hands it to the component.
  void Start(int PaperWidth, int PaperHeight, const TFont* Font) override;
  // The first call only clears FirstPage; every later one sends a page break. Raises EWriteError
  // as soon as the component could not write a finished page.
  void NewPage() override;
  void EndPage() override;
  void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor, TAlignment Alignment,
               const std::string& Text) override;
  void AcceptGraphic(long double X, long double Y, TLXPrintable* Control) override;
  // "FinishDoc", then the base's; the document takes its name only now. Raises EWriteError with
  // the reason when it was not written, leaving nothing (and an earlier file as it was).
  void Finish() override;

  // The items of AcceptGraphic; positions and sizes in device pixels.
  // A rule: shape kind 2 (a horizontal line), never filled.
  void SendRule(long double X, long double Y, const TPen& Pen, long double Width, long double Height);
  void SendShape(long double X, long double Y, uint8_t ShapeKind, const TPen& Pen, const TBrush& Brush,
                 long double Width, long double Height);
  // A picture printable drawn as Bitmap for a box of W x H pixels (after fitting);
  // Written: whether Bitmap was written as a picture file in this call.
  void SendPicture(long double X, long double Y, const TBitmap& Bitmap, int W, int H, bool Written);
  // Writes the bitmap as the next picture file; answers its path.
  std::string WritePictureFile(const TBitmap& Bitmap);

  bool FirstPage() const { return FFirstPage; }
  int32_t PageCount() const { return FPageCount; }
  int32_t ImageCount() const { return FImageCount; }
  // PDF points per device pixel of the report's printer.
  long double XPoints() const { return FXPoints; }
  long double YPoints() const { return FYPoints; }
  const std::array<uint8_t, LXPDFItem::RecordSize>& Item() const { return FItem; }
  // The folder of this export's picture files; empty until the first one.
  const std::string& PictureFolder() const { return FPictureFolder; }
  TLXPDFLibrary& Library() { return FLibrary; }

private:
  TLXPrinter* ReportPrinter() const;
  void SetRGB(size_t At, TColor Color);
  void SetPen(const TPen& Pen);
  // The record and the texts it names, as the component receives them.
  std::vector<uint8_t> Block() const;
  void RemovePictureFolder();
  void OpenOutput();
  // Raises EWriteError when the output has failed.
  void CheckOutput();
  [[noreturn]] void NotWritten(int Error);

  TLXPDFLibrary FLibrary;
  bool FFirstPage = true;
  int32_t FPageCount = 1;
  int32_t FImageCount = 0;
  long double FXPoints = 0, FYPoints = 0;
  std::array<uint8_t, LXPDFItem::RecordSize> FItem{};
  // What the record's text slots name; a slot keeps its text until an item sets it.
  std::string FFontName, FText, FPictureFile;
  std::string FPictureFolder;
  std::unique_ptr<TSafeFileStream> FOutput;
  // The component writes through FOutput itself; otherwise it writes the temporary file by name.
  bool FStreamed = false;
};
