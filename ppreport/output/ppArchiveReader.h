#pragma once
// Reads the pages of an archive (ppArchiveDev.h gives the layout) back as TppPage objects, to be
// drawn on any device without the report. Opening reads only the page directory; each page is read
// from the file when asked for. Every byte is checked first: a cut or damaged archive raises
// EArchiveError naming the file and what is wrong, never reads past its end and never allocates
// more than the file holds.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppPage.h"

DECLARE_EXCEPTION(EArchiveError, ETalvorError)

using TppOwnedPage = std::unique_ptr<TppPage, TComponentDeleter>;

class TppArchiveReader {
public:
  // Raises EArchiveError (language string 67) when the file cannot be opened.
  explicit TppArchiveReader(const std::string& FileName);
  // An archive in Stream, from its position 0; Name is what messages call it.
  TppArchiveReader(std::unique_ptr<TStream> Stream, const std::string& Name);
  ~TppArchiveReader();

  int PageCount() const { return static_cast<int>(FPages.size()); }
  // The absolute page number stored with the page at Index (0-based, in arrival order).
  int AbsolutePageNo(int Index) const;
  // The index of the first page with that absolute number, -1 when none.
  int IndexOfPage(int AbsolutePageNo) const;
  // A new page read from the archive; the caller owns it.
  TppOwnedPage ReadPage(int Index);

private:
  struct TEntry {
    int64_t Start, End;  // from the start of the stream
    int32_t AbsolutePageNo;
  };
  void ReadDirectory();
  [[noreturn]] void Damaged(const std::string& What) const;
  const TEntry& Entry(int Index) const;

  std::unique_ptr<TStream> FStream;
  std::string FName;
  std::vector<TEntry> FPages;
};

// Whether two pages are alike: their published numbers, flags, names, printer setups, and their
// draw commands one by one (same class, IsEqual).
bool ppIsEqualPage(const TppPage& A, const TppPage& B);
