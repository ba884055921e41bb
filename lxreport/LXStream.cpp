#include "lxreport/LXStream.h"

#include <vector>

#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TempFiles.h"
#include "platform/rtl/SysUtils.h"

TLXStream::TLXStream(int32_t MemoryLimit)
    : FMemoryStream(std::make_unique<TMemoryStream>()), FMemoryLimit(MemoryLimit) {}

std::unique_ptr<TLXStream> TLXStream::CreateFromFile(const std::string& FileName) {
  std::unique_ptr<TLXStream> S(new TLXStream());
  S->FInMemory = false;
  S->FFileStream = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyNone);
  return S;
}

TLXStream::~TLXStream() {
  TLock Guard(FLock);
  FMemoryStream.reset();
  FFileStream.reset();
  // Only a spill file has a name here; an opened saved report is never deleted.
  if (!FFileName.empty()) DeleteFile(FFileName);
}

bool TLXStream::InMemory() const {
  TLock Guard(FLock);
  return FInMemory;
}

std::string TLXStream::FileName() const {
  TLock Guard(FLock);
  return FFileName;
}

TStream& TLXStream::Current() {
  if (FInMemory) return *FMemoryStream;
  return *FFileStream;
}

int64_t TLXStream::Read(void* Buffer, int64_t Count) {
  TLock Guard(FLock);
  return Current().Read(Buffer, Count);
}

int64_t TLXStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  TLock Guard(FLock);
  return Current().Seek(Offset, Origin);
}

int64_t TLXStream::Write(const void* Buffer, int64_t Count) {
  TLock Guard(FLock);
  if (!FInMemory) return FFileStream->Write(Buffer, Count);
  int64_t Written = FMemoryStream->Write(Buffer, Count);
  if (FMemoryStream->Size() > FMemoryLimit) {
    std::string Name = GetTempFileName(GetTempPath(), "LXP");
    {
      TOnException Drop([&] { DeleteFile(Name); });  // the bytes stay in memory; nothing is lost
      auto File = std::make_unique<TFileStream>(Name, fmCreate);
      File->WriteBuffer(FMemoryStream->Memory(), FMemoryStream->Size());
      FFileStream = std::move(File);
    }
    FFileName = Name;
    FMemoryStream.reset();
    FInMemory = false;
  }
  return Written;
}

void TLXStream::SaveToStream(TStream& Dest) {
  TLock Guard(FLock);
  SetPosition(0);
  std::vector<uint8_t> Buf(10240);
  for (;;) {
    int64_t N = Read(Buf.data(), static_cast<int64_t>(Buf.size()));
    if (N <= 0) break;
    Dest.WriteBuffer(Buf.data(), N);
  }
}
