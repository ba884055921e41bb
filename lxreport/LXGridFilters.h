#pragma once
// Filters that write the text grid page by page: comma-separated text, HTML tables and a
// spreadsheet of the old cell-record kind (BIFF2), each with the small component that keeps
// its class in the export filter library while it exists.
#include <cstdint>
#include <string>

#include "lxreport/LXExportGrid.h"
#include "platform/rtl/FormatSettings.h"

// The separator every comma-separated filter writes; a TLXCSVFilter sets it to ",".
extern char LXCSVSeparator;

// Every cell quoted; quotes inside a text are doubled (RFC 4180) so each file reads back to
// the same cells. Text as UTF-8. A text a spreadsheet program would take for a formula gets a
// leading single quote (CSVTextNeedsGuard). Columns are ranked over the whole export.
class TLXCommaSeparatedFilter : public TLXAbstractExportFilter {
public:
  using TLXAbstractExportFilter::TLXAbstractExportFilter;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  bool GetStreaming() const override { return false; }
  bool RanksColumnsOverExport() const override { return true; }
  void StorePage() override;
};

// One table per page break (the break before page 1 gives an empty table). The file starts
// with a declaration of its character set, UTF-8; texts are escaped.
class TLXHTMLDocumentFilter : public TLXAbstractExportFilter {
public:
  using TLXAbstractExportFilter::TLXAbstractExportFilter;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  bool GetStreaming() const override { return true; }
  // Without a file name the filter writes into a memory stream it keeps (Stream()).
  void CreateStream(const std::string& FileName) override;
  void CloseStream() override;
  void StorePage() override;
  bool FreeStream() const { return FFreeStream; }

private:
  bool FFreeStream = false;
};

// The HTML font size step of a point size (1 to 7 in the browser's scale, less 1).
int HTMLFontStep(int Points);

// BIFF2 worksheet. The running row lives in the owning report's Functions as the integer
// variable "___XLGlobRow", so rows go on from page to page of one export. Columns are ranked
// over the whole export, so a column holds one field on every page.
class TLXXLSFilter : public TLXAbstractExportFilter {
public:
  using TLXAbstractExportFilter::TLXAbstractExportFilter;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  bool GetStreaming() const override { return true; }
  bool RanksColumnsOverExport() const override { return true; }
  void CreateStream(const std::string& FileName) override;
  void CloseStream() override;
  void StorePage() override;
  // 1 integer, 2 number, 3 label (Windows-1252, at most 255 bytes); other types write nothing.
  // Raises ELXError past the last row a sheet holds.
  virtual void WriteCell(int CellType, int32_t Row, int32_t Column, const std::string& Text);

private:
  int32_t FRow = 0;
};

// Whether a comma-separated cell gets a leading single quote: a text that starts with "=", "+",
// "-" or "@" and is not a number (under the format settings or with a decimal point) opens as a
// formula in spreadsheet programs.
bool CSVTextNeedsGuard(const std::string& Text);

// The number a cell text stands for under the format settings, read as a whole: an optional
// sign, digits with thousands separators only between groups of three, an optional decimal
// part and exponent. Leading zeros ("007") and any other text keep it a label.
bool CellTextIsNumber(const std::string& Text, const TFormatSettings& FS, double& Value);

// The last row (0-based) of a BIFF2 sheet: the format holds 16,384 rows.
constexpr int32_t XLSMaxRow = 16383;

// Registering components: creating one adds its filter class to the library, freeing it
// removes one entry of that class again.
class TLXCSVFilter : public TComponent {
  DECLARE_CLASSINFO(TLXCSVFilter)
public:
  explicit TLXCSVFilter(TComponent* AOwner);
  ~TLXCSVFilter() override;
  char Separator() const { return LXCSVSeparator; }
  void SetSeparator(char V) { LXCSVSeparator = V; }
};

class TLXHTMLFilter : public TComponent {
  DECLARE_CLASSINFO(TLXHTMLFilter)
public:
  explicit TLXHTMLFilter(TComponent* AOwner);
  ~TLXHTMLFilter() override;
};

class TLXExcelFilter : public TComponent {
  DECLARE_CLASSINFO(TLXExcelFilter)
public:
  explicit TLXExcelFilter(TComponent* AOwner);
  ~TLXExcelFilter() override;
};
