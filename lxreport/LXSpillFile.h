#pragma once
// Bytes an export keeps until it can write them in their place: the pages of a grid whose
// columns are known only at the end, the body of an RTF document whose font table lists the
// fonts the body used. A temporary file unlinked as soon as it is open, so nothing is left
// behind however the export ends; memory stays flat whatever the report's size.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/classes/Streams.h"

class TLXSpillFile {
public:
  // In the system temporary folder; raises EFCreateError.
  TLXSpillFile();
  ~TLXSpillFile();
  TLXSpillFile(const TLXSpillFile&) = delete;
  TLXSpillFile& operator=(const TLXSpillFile&) = delete;

  void Write(std::string_view S);
  // Back to the start, to read what was written.
  void Rewind();
  // Appends up to Count bytes to Out; the number appended, 0 at the end.
  size_t Read(std::string& Out, size_t Count);

private:
  void FlushBuffer();
  std::unique_ptr<TFileStream> FFile;
  std::string FBuffer;
};
