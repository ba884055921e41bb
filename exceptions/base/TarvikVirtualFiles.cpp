#include "exceptions/base/TarvikVirtualFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "exceptions/base/TarvikUtils.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/Process.h"

namespace {
constexpr size_t PrefixSize = 4;

// The reporter's own files; rewritten from any thread that raises, so one lock guards them.
std::mutex ReporterFilesLock;
std::unique_ptr<TVirtualFile> ExceptFile;
std::unique_ptr<TVirtualFile> ModuleFile;
bool ReporterFilesMade = false;

uint32_t GetLe32(const uint8_t* P) { return P[0] | P[1] << 8 | P[2] << 16 | static_cast<uint32_t>(P[3]) << 24; }

void PutLe32(uint8_t* P, uint32_t V) {
  for (int I = 0; I < 4; ++I) P[I] = static_cast<uint8_t>(V >> (8 * I));
}

// Under ReporterFilesLock: the old file goes, a new one of the data's size takes its place.
void Rewrite(std::unique_ptr<TVirtualFile>& File, const char* Name, const void* Bytes, size_t Size) {
  DeleteVirtualFile(File);
  File = CreateVirtualFile(ReporterModuleHandle(), Name, Size);
  if (File) File->Write(Bytes, Size);
}

void MakeEmpty(std::unique_ptr<TVirtualFile>& File, const char* Name) {
  uint8_t Zero = 0;
  Rewrite(File, Name, &Zero, 1);
}

// Anchors ReporterModuleHandle to this library's module.
void Anchor() {}
}  // namespace

size_t TVirtualFile::Write(const void* Bytes, size_t Count) {
  size_t N = std::min(Count, DataSize());
  if (N > 0) std::memcpy(Data(), Bytes, N);
  return N;
}

std::string VirtualFileName(int ProcessId, TModuleHandle Module, const std::string& FileName) {
  return IntToHex(static_cast<uint32_t>(ProcessId), 8) + IntToHex(Module, 16) + FileName;
}

std::unique_ptr<TVirtualFile> CreateVirtualFile(TModuleHandle Module, const std::string& FileName, size_t DataSize) {
  if (DataSize == 0) return OpenVirtualFile(ProcessId(), Module, FileName);
  if (DataSize > UINT32_MAX - PrefixSize) return nullptr;
  std::string Name = VirtualFileName(ProcessId(), Module, FileName);
  auto File = std::make_unique<TVirtualFile>();
  if (!File->FMemory.Create(Name, DataSize + PrefixSize)) {
    if (errno != EEXIST || !TSharedMemory::Remove(Name) || !File->FMemory.Create(Name, DataSize + PrefixSize))
      return nullptr;
  }
  File->FOwner = true;
  File->FDataSize = DataSize;
  PutLe32(File->FMemory.Data(), static_cast<uint32_t>(DataSize + PrefixSize));
  return File;
}

std::unique_ptr<TVirtualFile> OpenVirtualFile(int ProcessId, TModuleHandle Module, const std::string& FileName) {
  auto File = std::make_unique<TVirtualFile>();
  if (!File->FMemory.Open(VirtualFileName(ProcessId, Module, FileName))) return nullptr;
  if (File->FMemory.Size() < PrefixSize) return nullptr;
  // The prefix is another process's word; the block's real size bounds it.
  size_t Stated = GetLe32(File->FMemory.Data());
  if (Stated < PrefixSize || Stated > File->FMemory.Size()) return nullptr;
  File->FDataSize = Stated - PrefixSize;
  return File;
}

void DeleteVirtualFile(std::unique_ptr<TVirtualFile>& File) {
  if (!File) return;
  if (File->FOwner) TSharedMemory::Remove(File->Name());
  File.reset();
}

void WriteVirtualString(TStream& Stream, const std::string& Text) {
  std::string Bytes = Utf8ToWin1252(DropLoneTrailingLineBreak(Text));
  Stream.WriteInt32(static_cast<int32_t>(Bytes.size()));
  Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

std::string ReadVirtualString(TStream& Stream) {
  int32_t Length = Stream.ReadInt32();
  if (Length <= 0) return std::string();
  if (Length > Stream.Size() - Stream.Position()) throw EReadError("Leitura além do fim dos dados");
  std::string Bytes(static_cast<size_t>(Length), '\0');
  Stream.ReadBuffer(Bytes.data(), Length);
  return Win1252ToUtf8(Bytes);
}

TModuleHandle ReporterModuleHandle() { return ModuleOfAddress(reinterpret_cast<const void*>(&Anchor)); }

std::string ReporterModuleFileName() { return ModuleFileName(ReporterModuleHandle()); }

void CreateReporterVirtualFiles() {
  std::lock_guard<std::mutex> L(ReporterFilesLock);
  MakeEmpty(ExceptFile, "EXCEPT");
  MakeEmpty(ModuleFile, "MODULE");
  ReporterFilesMade = true;
}

void DeleteReporterVirtualFiles() {
  std::lock_guard<std::mutex> L(ReporterFilesLock);
  DeleteVirtualFile(ModuleFile);
  DeleteVirtualFile(ExceptFile);
  ReporterFilesMade = false;
}

bool ReporterVirtualFilesExist() {
  std::lock_guard<std::mutex> L(ReporterFilesLock);
  return ReporterFilesMade;
}

void WriteExceptVirtualFile(const std::exception_ptr& E) {
  TExceptionDescription D = DescribeException(E);
  WriteExceptVirtualFile(D.ClassName, D.Message);
}

void WriteExceptVirtualFile(const std::string& ClassName, const std::string& Message) {
  TMemoryStream S;
  S.WriteByte(1);
  WriteVirtualString(S, ClassName);
  WriteVirtualString(S, Message);
  std::lock_guard<std::mutex> L(ReporterFilesLock);
  if (ReporterFilesMade) Rewrite(ExceptFile, "EXCEPT", S.Memory(), static_cast<size_t>(S.Size()));
}

void WriteModuleVirtualFile(const void* OptionsStream, size_t Size) {
  std::vector<uint8_t> Bytes(Size + 1);
  Bytes[0] = 1;
  if (Size > 0) std::memcpy(Bytes.data() + 1, OptionsStream, Size);
  std::lock_guard<std::mutex> L(ReporterFilesLock);
  if (ReporterFilesMade) Rewrite(ModuleFile, "MODULE", Bytes.data(), Bytes.size());
}

std::optional<TExceptFileContents> ReadExceptVirtualFile(int ProcessId, TModuleHandle Module) {
  auto File = OpenVirtualFile(ProcessId, Module, "EXCEPT");
  if (!File) return std::nullopt;
  // A copy first: the writer may rewrite the block while it is read.
  std::vector<uint8_t> Bytes(File->Data(), File->Data() + File->DataSize());
  DeleteVirtualFile(File);
  return ParseExceptFileContents(Bytes.data(), Bytes.size());
}

std::optional<TExceptFileContents> ParseExceptFileContents(const uint8_t* Data, size_t Size) {
  TExceptFileContents R;
  try {
    TBytesStream S(Data, static_cast<int64_t>(Size));
    R.Recorded = S.ReadByte() != 0;
    if (R.Recorded) {
      R.ClassName = ReadVirtualString(S);
      R.Message = ReadVirtualString(S);
    }
  } catch (const EReadError&) {
    return std::nullopt;
  }
  return R;
}
