#pragma once
// Filters that write their own text formats straight from the text lines a report hands
// over: RTF (every report line a paragraph with tab stops) and plain text (a character
// grid). Both open their file at Start and keep it to Finish, so the members of a composite
// run all go into one file.
#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "lxreport/LXExport.h"
#include "lxreport/LXSpillFile.h"
#include "platform/classes/SafeFileStream.h"
#include "platform/classes/Streams.h"

// A text file written through a buffer; lines end in CR LF. It is written beside its name and
// replaces an existing file only at Close; freed without Close it leaves nothing.
class TLXTextFile {
public:
  // Raises EFCreateError.
  explicit TLXTextFile(const std::string& FileName);
  ~TLXTextFile();
  void Write(std::string_view S);
  void WriteLine(std::string_view S);
  // Raises EWriteError (the file and the reason) when it cannot be written.
  void Close();

private:
  std::unique_ptr<TSafeFileStream> FStream;
  std::string FBuffer;
};

struct TLXRTFItem {
  TColor FontColor = 0;
  uint8_t FontStyle = 0;   // bold 1, italic 2, underline 4, strike-out 8
  int32_t FontSize = 0;    // half points
  int32_t FontIndex = -1;  // in the font list
  long double X = 0, Y = 0;
  uint8_t Alignment = 0;
  std::string Text;  // escaped
};

// Items in ascending X; an item goes after those with an equal X.
struct TLXRTFLineItem {
  std::vector<TLXRTFItem> RTFItems;
  void Add(TLXRTFItem Item);
};

// The library-wide font list: installed families sorted ignoring case, each with its
// family code (0 to 7). Refilled at every RTF Start; a document's own font table lists only
// the fonts it uses, and takes their family codes from here.
struct TLXRTFFont {
  std::string Name;
  int Family = 0;
};
const std::vector<TLXRTFFont>& RTFFontList();
void RefillRTFFontList();
// Index of a face in the list (ignoring case), trying the family the platform draws for a
// Windows face name next; -1 when absent.
int32_t RTFFontIndex(const std::string& FaceName);
// The name a face is listed under in a document's font table: its family name, without the
// " [Foundry]" the font database adds to tell foundries apart.
std::string RTFFamilyName(const std::string& FaceName);
// A text as RTF: "\", "{" and "}" escaped, other characters beyond ASCII as Windows-1252
// bytes ("\'e9") or, outside that code page, as Unicode ("\u8364?"); a tab as a blank (readers
// take any tab for a jump to a tab stop), other control characters as "\'xx".
std::string RTFEscape(const std::string& Text);
// The 18 colours of the colour table, as TColor values (0x00BBGGRR).
extern const std::array<TColor, 18> RTFColors;

class TLXRTFExportFilter : public TLXExportFilter {
public:
  using TLXExportFilter::TLXExportFilter;
  ~TLXRTFExportFilter() override;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  void Start(int PaperWidth, int PaperHeight, const TFont* Font) override;
  void NewPage() override;
  void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor, TAlignment Alignment,
               const std::string& Text) override;
  void EndPage() override;
  void Finish() override;

  int32_t LineCount() const { return FLineCount; }
  const std::string& Header() const { return FHeader; }
  // The fonts the document used, the report's first; complete after Finish.
  const std::string& FontTable() const { return FFontTable; }
  const std::string& ColorTable() const { return FColorTable; }

private:
  // Index of a face in the document's font table, added at its first use.
  int32_t UsedFontIndex(const std::string& FaceName);
  void BodyLine(std::string_view S);
  std::unique_ptr<TLXTextFile> FFile;
  // The document's body until Finish writes the header with the font table before it.
  std::unique_ptr<TLXSpillFile> FBody;
  std::vector<TLXRTFFont> FUsedFonts;
  std::unordered_map<std::string, int32_t> FUsedFontIndex;  // upper-case name -> index
  std::vector<TLXRTFLineItem> FRTFLines;
  int32_t FLineCount = 0;
  long double FXFactor = 0, FYFactor = 0;
  std::string FHeader, FFontTable, FColorTable, FDefaultLanguage;
  bool FPendingPageBreak = false;
  long double FTop = 0, FBottom = 0, FLeft = 0, FRight = 0, FLength = 0, FWidth = 0;  // twips
};

// Twips between paragraphs that RTF readers add on their own, taken off every space before.
extern int32_t LXRTFSpaceBeforeCorrection;

class TLXAsciiExportFilter : public TLXExportFilter {
public:
  static constexpr int MaxLine = 200;
  using TLXExportFilter::TLXExportFilter;
  ~TLXAsciiExportFilter() override;
  std::string GetDescription() const override;
  std::string GetExtension() const override;
  std::string GetFilterName() const override;
  void Start(int PaperWidth, int PaperHeight, const TFont* Font) override;
  void NewPage() override;
  void TextOut(long double X, long double Y, const TFont* Font, TColor BackgroundColor, TAlignment Alignment,
               const std::string& Text) override;
  void EndPage() override;
  void Finish() override;

  int32_t LineCount() const { return FLineCount; }
  // Line I of the current page's grid, UTF-8.
  std::string Line(int I) const;

private:
  std::unique_ptr<TLXTextFile> FFile;
  std::array<std::u32string, MaxLine + 1> FLines;  // characters, so a column is one character
  int32_t FLineCount = 0;
  long double FCharWidth = 0, FCharHeight = 0;
};

class TLXRTFFilter : public TComponent {
  DECLARE_CLASSINFO(TLXRTFFilter)
public:
  explicit TLXRTFFilter(TComponent* AOwner);
  ~TLXRTFFilter() override;
};

class TLXTextFilter : public TComponent {
  DECLARE_CLASSINFO(TLXTextFilter)
public:
  explicit TLXTextFilter(TComponent* AOwner);
  ~TLXTextFilter() override;
};
