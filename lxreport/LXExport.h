#pragma once
// Export filters: a report runs again with a filter attached, its printables hand their
// text and graphics to the filter and the engine tells it where pages begin and end
// (Start, EndPage/NewPage at every page start, TextOut/AcceptGraphic/AcceptBand, EndPage,
// Finish). The filter library lists the filter classes the save dialog offers.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/graphics/Graphics.h"

class TLXPrinter;
class TLXPrintable;
class TLXCustomBand;
class TLXExportFilter;

// A filter class as a value: what the library stores and what the preview window
// instantiates for a chosen file type. One record per class (ExportFilterClassOf<T>()),
// so two references to one class compare equal.
struct TLXExportFilterClassRec {
  std::unique_ptr<TLXExportFilter> (*Create)(const std::string& FileName);
};
using TLXExportFilterClass = const TLXExportFilterClassRec*;

template <class T>
TLXExportFilterClass ExportFilterClassOf() {
  static const TLXExportFilterClassRec Rec{
      [](const std::string& FileName) -> std::unique_ptr<TLXExportFilter> { return std::make_unique<T>(FileName); }};
  return &Rec;
}

class TLXExportFilter : public TObject {
public:
  explicit TLXExportFilter(const std::string& FileName) : FFileName(FileName) {}
  TLXExportFilter(const TLXExportFilter&) = delete;
  TLXExportFilter& operator=(const TLXExportFilter&) = delete;

  virtual std::string GetDescription() const;
  // Without the dot.
  virtual std::string GetExtension() const;
  // The name the library and the save dialog show.
  virtual std::string GetFilterName() const;
  virtual std::string GetVendorName() const;
  // True for filters that take the report as one continuous page: the engine then lets
  // a page use the whole paper length.
  virtual bool GetStreaming() const;
  // Paper size in tenths of a millimetre (rounded), the report's font.
  virtual void Start(int PaperWidth, int PaperHeight, const TFont* Font);
  virtual void EndPage();
  virtual void Finish();
  virtual void NewPage();
  // A shape, rule or picture printable at device position X, Y (pixels).
  virtual void AcceptGraphic(long double X, long double Y, TLXPrintable* Control);
  // A band that has just printed: the cursor at the start of its printing and its extra
  // height from stretching.
  virtual void AcceptBand(TLXCustomBand* Band, long double X, long double Y, long double Expanded);
  // One printed line in tenths of a millimetre on the paper: X is where the text is anchored
  // (the left edge, the right edge of a right-aligned line, the middle of a centred one), Y its top.
  virtual void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor,
                       TAlignment Alignment, const std::string& Text);

  const std::string& FileName() const { return FFileName; }
  bool Active() const { return FActive; }
  // Set by the report's export run; neither is owned.
  TLXPrinter* SourcePrinter() const { return FSourcePrinter; }
  void SetSourcePrinter(TLXPrinter* P) { FSourcePrinter = P; }
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* C) { FOwner = C; }

private:
  std::string FFileName;
  bool FActive = false;
  TLXPrinter* FSourcePrinter = nullptr;
  TComponent* FOwner = nullptr;
};

struct TLXExportFilterLibraryEntry {
  TLXExportFilterClass ExportFilterClass = nullptr;
  std::string Name;
  std::string Extension;
};

// The program's one list of filter classes, in the order they were added. A class may be
// in it more than once: each registering component adds its class again.
class TLXExportFilterLibrary {
public:
  void AddFilter(TLXExportFilterClass FilterClass);
  // Removes the first entry of the same filter name; nothing when there is none.
  void RemoveFilter(TLXExportFilterClass FilterClass);
  // The save dialog's filter text: the report file, then every entry.
  std::string GetSaveDialogFilter() const;
  const std::vector<TLXExportFilterLibraryEntry>& FilterList() const { return FFilterList; }

private:
  std::vector<TLXExportFilterLibraryEntry> FFilterList;
};

// Captions the newest open progress form; set by the progress form's unit, null without one.
extern std::function<void(const std::string&)> LXProgressCaption;

// Made by InitializeLXReport, freed by the last FinalizeLXReport; null outside.
extern TLXExportFilterLibrary* ExportFilterLibrary;
// What registering components call: the library's AddFilter/RemoveFilter, nothing before start-up.
void AddExportFilter(TLXExportFilterClass FilterClass);
void RemoveExportFilter(TLXExportFilterClass FilterClass);

// A filter that can write a report's stored pages as they are, without the report that made them
// (a loaded report file has no report to run again).
class ILXStoredPagesExport {
public:
  virtual ~ILXStoredPagesExport() = default;
  virtual void ExportStoredPages(TLXPrinter* Printer) = 0;
};
