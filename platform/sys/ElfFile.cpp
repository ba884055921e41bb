#include "platform/sys/ElfFile.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/classes/ByteReader.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/UninitializedBytes.h"

namespace {
// Limits that no module this reporter reads comes near; beyond them the headers are damaged.
constexpr uint32_t MaxSections = 65536;
constexpr uint32_t MaxSegments = 4096;
constexpr uint64_t MaxTableBytes = 64u << 20;

[[noreturn]] void Damaged(const std::string& What) { throw EReadError("ELF: " + What); }
}  // namespace

TElfFile::TElfFile(TReadAt ReadAt, uint64_t FileSize) : FReadAt(std::move(ReadAt)), FFileSize(FileSize) {
  ReadHeaders();
}

TElfFile::~TElfFile() {
  if (FClose) FClose();
}

std::unique_ptr<TElfFile> TElfFile::Open(const std::string& FileName) {
  int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  struct stat St;
  if (::fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
    ::close(Fd);
    throw EFOpenError("Cannot open file \"" + FileName + "\". Not a regular file");
  }
  auto ReadAt = [Fd](uint64_t Offset, void* Buffer, size_t Count) -> size_t {
    size_t Done = 0;
    while (Done < Count) {
      ssize_t N = ::pread(Fd, static_cast<char*>(Buffer) + Done, Count - Done, static_cast<off_t>(Offset + Done));
      if (N < 0 && errno == EINTR) continue;
      if (N <= 0) break;
      Done += static_cast<size_t>(N);
    }
    return Done;
  };
  TOnException Close([Fd] { ::close(Fd); });
  auto F = std::make_unique<TElfFile>(ReadAt, static_cast<uint64_t>(St.st_size));
  F->FClose = [Fd] { ::close(Fd); };
  return F;
}

std::unique_ptr<TElfFile> TElfFile::FromBytes(const uint8_t* Data, size_t Size) {
  auto ReadAt = [Data, Size](uint64_t Offset, void* Buffer, size_t Count) -> size_t {
    if (Offset >= Size) return 0;
    size_t N = std::min<uint64_t>(Count, Size - Offset);
    std::memcpy(Buffer, Data + Offset, N);
    return N;
  };
  return std::make_unique<TElfFile>(ReadAt, Size);
}

void TElfFile::ReadExact(uint64_t Offset, void* Buffer, size_t Count) const {
  bool Inside = Offset <= FFileSize && Count <= FFileSize - Offset;
  if (!Inside || (Count > 0 && FReadAt(Offset, Buffer, Count) != Count))
    Damaged("bytes " + std::to_string(Offset) + "+" + std::to_string(Count) + " lie outside the file");
}

std::vector<uint8_t> TElfFile::ReadBlock(uint64_t Offset, uint64_t Count) const {
  // Checked before anything is allocated: a damaged count must not ask for gigabytes.
  if (Offset > FFileSize || Count > FFileSize - Offset)
    Damaged("bytes " + std::to_string(Offset) + "+" + std::to_string(Count) + " lie outside the file");
  std::vector<uint8_t> Bytes(static_cast<size_t>(Count));
  ReadExact(Offset, Bytes.data(), Bytes.size());
  return Bytes;
}

void TElfFile::ReadHeaders() {
  uint8_t H[sizeof(Elf64_Ehdr)];
  if (FFileSize < sizeof H || FReadAt(0, H, sizeof H) != sizeof H) Damaged("file too short");
  if (std::memcmp(H, ELFMAG, SELFMAG) != 0) Damaged("no ELF signature");
  if (H[EI_CLASS] != ELFCLASS64 || H[EI_DATA] != ELFDATA2LSB) Damaged("not a 64-bit little-endian file");
  TByteReader R(H, sizeof H);
  FFileType = R.U16(16);
  uint64_t PhOff = R.U32(32) | static_cast<uint64_t>(R.U32(36)) << 32;
  uint64_t ShOff = R.U32(40) | static_cast<uint64_t>(R.U32(44)) << 32;
  uint16_t PhEntSize = R.U16(54), PhNum = R.U16(56), ShEntSize = R.U16(58);
  uint32_t ShNum = R.U16(60), ShStrNdx = R.U16(62);

  // Segments: the lowest loadable one gives the image base.
  if (PhNum > 0) {
    if (PhEntSize < sizeof(Elf64_Phdr) || PhNum > MaxSegments) Damaged("bad program header table");
    std::vector<uint8_t> Ph = ReadBlock(PhOff, static_cast<uint64_t>(PhEntSize) * PhNum);
    TByteReader P(Ph.data(), Ph.size());
    bool Found = false;
    for (uint32_t I = 0; I < PhNum; ++I) {
      size_t At = static_cast<size_t>(I) * PhEntSize;
      if (P.U32(At) != PT_LOAD) continue;
      uint64_t VAddr = P.U32(At + 16) | static_cast<uint64_t>(P.U32(At + 20)) << 32;
      if (!Found || VAddr < FImageBase) FImageBase = VAddr;
      Found = true;
    }
    FImageBase &= ~static_cast<uint64_t>(0xFFF);
  }

  if (ShOff == 0) return;  // no section table: nothing named to find
  uint8_t First[sizeof(Elf64_Shdr)];
  if (ShEntSize < sizeof(Elf64_Shdr)) Damaged("bad section header size");
  ReadExact(ShOff, First, sizeof First);
  TByteReader F(First, sizeof First);
  // Very many sections: the real count and string-table index live in section 0.
  if (ShNum == 0) ShNum = static_cast<uint32_t>(F.U32(32));
  if (ShStrNdx == SHN_XINDEX) ShStrNdx = F.U32(44);
  if (ShNum > MaxSections) Damaged("too many sections");
  std::vector<uint8_t> Sh = ReadBlock(ShOff, static_cast<uint64_t>(ShEntSize) * ShNum);
  TByteReader S(Sh.data(), Sh.size());
  FSections.resize(ShNum);
  std::vector<uint32_t> NameOffsets(ShNum);
  for (uint32_t I = 0; I < ShNum; ++I) {
    size_t At = static_cast<size_t>(I) * ShEntSize;
    TSection& X = FSections[I];
    NameOffsets[I] = S.U32(At);
    X.Type = S.U32(At + 4);
    auto U64 = [&](size_t Off) { return S.U32(At + Off) | static_cast<uint64_t>(S.U32(At + Off + 4)) << 32; };
    X.Flags = U64(8);
    X.Address = U64(16);
    X.Offset = U64(24);
    X.Size = U64(32);
    X.Link = S.U32(At + 40);
    X.EntrySize = U64(56);
  }
  if (ShStrNdx >= ShNum) return;  // sections without names
  std::vector<uint8_t> Names = SectionBytes(FSections[ShStrNdx], MaxTableBytes);
  for (uint32_t I = 0; I < ShNum; ++I) {
    if (NameOffsets[I] >= Names.size()) continue;
    const char* N = reinterpret_cast<const char*>(Names.data()) + NameOffsets[I];
    FSections[I].Name.assign(N, strnlen(N, Names.size() - NameOffsets[I]));
  }
}

const TElfFile::TSection* TElfFile::FindSection(std::string_view Name) const {
  for (const TSection& S : FSections)
    if (S.Name == Name) return &S;
  return nullptr;
}

std::vector<uint8_t> TElfFile::SectionBytes(const TSection& Section, uint64_t Count) const {
  if (Section.Type == SHT_NOBITS) return {};
  uint64_t N = std::min(Count, Section.Size);
  if (Section.Offset > FFileSize || N > FFileSize - Section.Offset)
    Damaged("section \"" + Section.Name + "\" lies outside the file");
  return ReadBlock(Section.Offset, N);
}

const TElfFile::TSection* TElfFile::DynamicSymbols() const {
  for (const TSection& S : FSections)
    if (S.Type == SHT_DYNSYM && S.Link < FSections.size()) return &S;
  return nullptr;
}

const TElfFile::TSection* TElfFile::DynamicStrings() const {
  const TSection* Sym = DynamicSymbols();
  return Sym ? &FSections[Sym->Link] : nullptr;
}

void TElfFile::ForEachExportedFunction(const TExportVisitor& Visit) const {
  const TSection* Sym = DynamicSymbols();
  if (!Sym || Sym->Type == SHT_NOBITS) return;
  constexpr size_t Entry = sizeof(Elf64_Sym);
  if (Sym->Offset > FFileSize || Sym->Size > FFileSize - Sym->Offset) Damaged("the dynamic symbol table lies outside the file");
  // In pieces of whole entries: a big library's table is never held at once.
  constexpr size_t Piece = 2730 * Entry;
  TUninitializedBytes Buffer(std::min<uint64_t>(Piece, Sym->Size));
  for (uint64_t Done = 0; Done + Entry <= Sym->Size;) {
    size_t N = static_cast<size_t>(std::min<uint64_t>(Piece, (Sym->Size - Done) / Entry * Entry));
    ReadExact(Sym->Offset + Done, Buffer.data(), N);
    TByteReader R(Buffer.data(), N);
    for (size_t At = 0; At + Entry <= N; At += Entry) {
      uint32_t NameOffset = R.U32(At);
      uint8_t Type = ELF64_ST_TYPE(R.U8(At + 4));
      uint16_t Shndx = R.U16(At + 6);
      uint64_t Value = R.U32(At + 8) | static_cast<uint64_t>(R.U32(At + 12)) << 32;
      uint64_t Size = R.U32(At + 16) | static_cast<uint64_t>(R.U32(At + 20)) << 32;
      if ((Type != STT_FUNC && Type != STT_GNU_IFUNC) || Shndx == SHN_UNDEF || Value == 0 || NameOffset == 0) continue;
      Visit(NameOffset, Value, Size);
    }
    Done += N;
  }
}

std::string TElfFile::StringAt(const TSection& Strings, uint32_t Offset) const {
  if (Offset >= Strings.Size || Strings.Type == SHT_NOBITS) return std::string();
  std::string R;
  char Buf[256];
  for (uint64_t At = Offset; At < Strings.Size && R.size() < 4096;) {
    size_t N = static_cast<size_t>(std::min<uint64_t>(sizeof Buf, Strings.Size - At));
    ReadExact(Strings.Offset + At, Buf, N);
    size_t Len = strnlen(Buf, N);
    R.append(Buf, Len);
    if (Len < N) break;
    At += N;
  }
  return R;
}

std::vector<TElfFile::TSymbol> TElfFile::ExportedFunctions() const {
  std::vector<TSymbol> Result;
  const TSection* Strings = DynamicStrings();
  ForEachExportedFunction([&](uint32_t Name, uint64_t Address, uint64_t Size) {
    std::string N = StringAt(*Strings, Name);
    if (!N.empty()) Result.push_back({std::move(N), Address, Size});
  });
  return Result;
}
