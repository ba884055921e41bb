#pragma once
// The text-file devices: generated pages written as plain text (UTF-8, CR LF line ends), so every
// character of a text is kept.
//
// TppTextFileDevice ("TextFile") writes the texts a report marked for saving as delimited records:
// one line per band save number, fields by component save number, separated by commas or tabs,
// padded to fixed lengths (control characters as blanks), or left to the OnSaveText handler
// (ftCustom). Comma and tab files quote as RFC 4180 does, so that any CSV reader gets the fields back.
//
// TppReportTextFileDevice ("ReportTextFile") puts every text at the row and column its position
// falls into on a character grid (80 x 66 by default), so the file looks like the page printed on
// a line printer; every page has exactly LinesPerPage lines. An auto-sized text longer than its
// box grows about its alignment's anchor, as the printer draws it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ppreport/core/ppDevice.h"

class TppDrawText;

// The field as a delimited file writes it: between double quotes, with its quotes doubled, when it
// holds the delimiter, a quote, a line break (or, in comma files, a blank); else as it is.
std::string ppQuoteField(std::string_view Text, char Delimiter);

// The text with every control character (line breaks, tabs) as a blank: what the fixed layouts
// write, since a line break would split a record or a grid line.
std::string ppBlankControlCharacters(std::string_view Text);

// Device, the text component that made the field (null when it is gone) and the field's text.
using TppTextFileSaveTextEvent = std::function<void(TppDevice* Device, TComponent* Component, std::string& Text)>;

class TppTextFileDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TppTextFileDevice)
public:
  explicit TppTextFileDevice(TComponent* AOwner);

  static std::string DeviceName() { return ppTextFileDeviceName; }
  static std::string GetDefaultExt() { return "txt"; }
  static std::string GetFileFilter() { return "Text files|*.TXT|All files|*.*"; }
  static std::string GetFileDescription(TppLanguageType);

  TppFileType TextFileType() const { return FTextFileType; }
  // Ignored while a job runs.
  void SetTextFileType(TppFileType Value) override;
  // The producer's handler: called with the field's component (the device when it is gone).
  void SetSaveTextHandler(TppSaveTextEvent Handler) override;

  // Where the writing stands, for the OnSaveText handler; cleared when a job starts and ends.
  bool EndOfLine() const { return FEndOfLine; }
  bool EndOfPage() const { return FEndOfPage; }
  bool FirstLine() const { return FFirstLine; }
  bool FirstField() const { return FFirstField; }
  bool FirstFieldOfPage() const { return FFirstFieldOfPage; }
  bool LastLine() const { return FLastLine; }
  int FieldNo() const { return FFieldNo; }
  int LineNo() const { return FLineNo; }

  TppTextFileSaveTextEvent OnSaveText;

  void StartJob() override;
  void EndJob() override;
  void ReceivePage(TppPage* Page) override;

protected:
  virtual void WritePage(TppPage& Page);

private:
  void ClearState();

  TppFileType FTextFileType = ftComma;
  bool FEndOfLine = false, FEndOfPage = false, FFirstLine = false, FFirstField = false;
  bool FFirstFieldOfPage = false, FLastLine = false;
  int FFieldNo = 0, FLineNo = 0;
};

class TppReportTextFileDevice : public TppFileDevice {
  DECLARE_CLASSINFO(TppReportTextFileDevice)
public:
  explicit TppReportTextFileDevice(TComponent* AOwner);

  static std::string DeviceName() { return "ReportTextFile"; }
  static std::string GetDefaultExt() { return "txt"; }
  static std::string GetFileFilter() { return "Text files|*.TXT|All files|*.*"; }
  static std::string GetFileDescription(TppLanguageType);

  // On: the grid comes from the character cell of the measuring font ("Courier New"), page by page;
  // off: the page is divided by CharsPerLine x LinesPerPage.
  bool CalcGridFromFont() const { return FCalcGridFromFont; }
  void SetCalcGridFromFont(bool V) { FCalcGridFromFont = V; }
  // On: the measuring font's size (8, 10 or 12) follows the width of the page's first text.
  bool AutoFontSize() const { return FAutoFontSize; }
  void SetAutoFontSize(bool V) { FAutoFontSize = V; }
  int CharsPerLine() const { return FCharsPerLine; }
  void SetCharsPerLine(int V) { FCharsPerLine = V; }
  int LinesPerPage() const { return FLinesPerPage; }
  void SetLinesPerPage(int V) { FLinesPerPage = V; }
  int FontSize() const { return FFontSize; }
  void SetFontSize(int V) { FFontSize = V; }

  void ReceivePage(TppPage* Page) override;

protected:
  virtual void WritePage(TppPage& Page);

private:
  // The cell width and height in microns for a page whose first text is First.
  void CalcCharacterGrid(const TppPage& Page, const TppDrawText& First, int32_t& CellWidth, int32_t& CellHeight);

  bool FCalcGridFromFont = true, FAutoFontSize = true;
  int FCharsPerLine = 80, FLinesPerPage = 66, FFontSize = 12;
};
