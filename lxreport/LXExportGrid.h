#pragma once
// The text-grid export base: the free-positioned text lines of a page are ranked into
// columns (by distinct X) and lines (by distinct Y) when the page ends, and the concrete
// filter writes the page cell by cell. Graphics are ignored.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lxreport/LXExport.h"
#include "platform/classes/Streams.h"

// One collected text line. X and Y hold the position in tenths of a millimetre until the
// page is numbered, then the column and line number. Font is a copy of the printable's font
// the filter keeps (one per distinct font), null for entries without one.
struct TTextEntry {
  std::string Text;
  long double X = 0, Y = 0;
  uint8_t Alignment = 0;
  const TFont* Font = nullptr;
};

struct TLXPositionEntry {
  long double ExactPosition = 0;
  int32_t NewPosition = 0;
  int32_t Clients = 1;
  bool Stored = false;
};

// Distinct positions (equal when they round to the same whole tenth of a millimetre,
// halves to even) numbered from 1 in ascending order. Positions at 0 or below, or at
// 9999999 or above, keep number 0 and are never written. Adding and looking up take constant
// time and numbering sorts once, so a streaming export's one long page ranks in n log n.
class TLXPositions {
public:
  void BeginUpdate() { FUpdating = true; }
  // Only while updating.
  void AddPosition(long double P);
  void EndUpdate();
  // 0 when the position is unknown.
  int32_t GetPosition(long double P) const;
  const std::vector<TLXPositionEntry>& List() const { return FList; }

private:
  const TLXPositionEntry* Find(long double P) const;
  std::vector<TLXPositionEntry> FList;
  std::unordered_map<long long, size_t> FIndex;  // rounded position -> entry
  bool FUpdating = false;
};

class TLXGridSpill;

class TLXAbstractExportFilter : public TLXExportFilter {
public:
  explicit TLXAbstractExportFilter(const std::string& FileName);
  ~TLXAbstractExportFilter() override;

  std::string GetDescription() const override { return {}; }
  std::string GetExtension() const override { return {}; }
  std::string GetFilterName() const override;
  void Start(int PaperWidth, int PaperHeight, const TFont* Font) override;
  void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor, TAlignment Alignment,
               const std::string& Text) override;
  void EndPage() override;
  void NewPage() override;
  void Finish() override;

  // Opens Stream on a temporary file beside FileName (TSafeFileStream); raises EFCreateError.
  virtual void CreateStream(const std::string& FileName);
  // Writes what is buffered and puts the file in place (an existing one is replaced). A filter
  // freed without it leaves nothing, and an earlier file of that name stays as it was.
  virtual void CloseStream();
  // Ranks the page and lets StorePage write it; with RanksColumnsOverExport the page waits,
  // its lines ranked, until Finish has seen every column of the export.
  virtual void ProcessPage();
  virtual void StorePage() {}
  // True for formats whose columns must mean the same in the whole file (one sheet, one table
  // of comma-separated rows): columns are then ranked over every page of the export, and the
  // pages are written at Finish, in order, from a temporary file.
  virtual bool RanksColumnsOverExport() const { return false; }

  // The first collected entry in that cell (its text and font), or an empty text and no font.
  std::string GetText(int Line, int Column, const TFont** Font = nullptr) const;
  // Buffered; the buffer reaches the stream at every page end and when the stream closes.
  void WriteString(std::string_view S);
  void WriteLine(std::string_view S);
  void Flush();

  int32_t LineCount() const { return FLineCount; }
  int32_t ColCount() const { return FColCount; }
  long double CharWidth() const { return FCharWidth; }
  long double CharHeight() const { return FCharHeight; }
  long double PaperWidth() const { return FPaperWidth; }
  long double PaperHeight() const { return FPaperHeight; }
  const TFont* Font() const { return FFont.get(); }
  const std::vector<TTextEntry>& Entries() const { return FEntries; }
  TStream* Stream() const { return FStream.get(); }

protected:
  void CalcColumns();
  void CalcLines();
  std::unique_ptr<TStream> FStream;

private:
  void IndexCells();
  void StoreSpilledPages();
  // The filter's copy of a font, made at its first use.
  const TFont* KeptFont(const TFont& Font);
  std::vector<TTextEntry> FEntries;
  std::vector<std::unique_ptr<TFont>> FKeptFonts;
  // The export's columns and its waiting pages, with RanksColumnsOverExport.
  TLXPositions FExportColumns;
  std::unique_ptr<TLXGridSpill> FSpill;
  // Cell -> first entry, built once per page so that a page reads in linear time.
  std::vector<int32_t> FCellIndex;
  std::string FBuffer;
  long double FCharWidth = 0, FCharHeight = 0, FPaperWidth = 0, FPaperHeight = 0;
  int32_t FLineCount = 0, FColCount = 0;
  std::unique_ptr<TFont> FFont;
};
