#include "lxreport/LXSpillFile.h"

#include <unistd.h>

#include "platform/classes/TempFiles.h"

TLXSpillFile::TLXSpillFile() {
  const std::string Name = GetTempFileName(GetTempPath(), "mor-export-");
  FFile = std::make_unique<TFileStream>(Name, fmCreate);
  ::unlink(Name.c_str());
}

TLXSpillFile::~TLXSpillFile() = default;

void TLXSpillFile::Write(std::string_view S) {
  FBuffer.append(S);
  if (FBuffer.size() >= 1 << 16) FlushBuffer();
}

void TLXSpillFile::FlushBuffer() {
  if (!FBuffer.empty()) FFile->WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
  FBuffer.clear();
}

void TLXSpillFile::Rewind() {
  FlushBuffer();
  FFile->SetPosition(0);
}

size_t TLXSpillFile::Read(std::string& Out, size_t Count) {
  const size_t Had = Out.size();
  Out.resize(Had + Count);
  size_t Got = 0;
  while (Got < Count) {
    const int64_t R = FFile->Read(Out.data() + Had + Got, static_cast<int64_t>(Count - Got));
    if (R <= 0) break;
    Got += static_cast<size_t>(R);
  }
  Out.resize(Had + Got);
  return Got;
}
