#pragma once
// The ELF file of a module, read the way the reporter needs it: the named sections that carry its
// data, the functions the module exports, and the address the module's first page is linked at.
// Only headers and the sections asked for are read. Every offset and size is checked against the
// file before anything is read: a damaged or foreign file raises EReadError, never reads outside.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TElfFile {
public:
  // Reads Count bytes at Offset into Buffer; returns how many could be read.
  using TReadAt = std::function<size_t(uint64_t Offset, void* Buffer, size_t Count)>;

  // Raises EFOpenError when the file cannot be opened, EReadError when it is no 64-bit
  // little-endian ELF file or its headers are damaged.
  static std::unique_ptr<TElfFile> Open(const std::string& FileName);
  // The same over bytes the caller keeps alive.
  static std::unique_ptr<TElfFile> FromBytes(const uint8_t* Data, size_t Size);
  TElfFile(TReadAt ReadAt, uint64_t FileSize);
  ~TElfFile();
  TElfFile(const TElfFile&) = delete;
  TElfFile& operator=(const TElfFile&) = delete;

  struct TSection {
    std::string Name;
    uint32_t Type = 0;
    uint64_t Flags = 0, Address = 0, Offset = 0, Size = 0, EntrySize = 0;
    uint32_t Link = 0;
  };
  struct TSymbol {
    std::string Name;
    uint64_t Address = 0, Size = 0;
  };

  uint64_t FileSize() const { return FFileSize; }
  // ET_EXEC (2) for a program linked at a fixed address, ET_DYN (3) for a shared object or a
  // position-independent program.
  uint16_t FileType() const { return FFileType; }
  // The link-time address of the lowest loadable segment's page: a module's handle corresponds
  // to it. 0 when the file has no loadable segment.
  uint64_t ImageBase() const { return FImageBase; }
  const std::vector<TSection>& Sections() const { return FSections; }
  const TSection* FindSection(std::string_view Name) const;
  // Up to Count bytes from the start of a section (fewer when the section is shorter). A section
  // without bytes in the file (SHT_NOBITS) has none. Raises EReadError when the bytes lie outside
  // the file.
  std::vector<uint8_t> SectionBytes(const TSection& Section, uint64_t Count = UINT64_MAX) const;
  // The dynamic symbol table and its strings; null when the file has none.
  const TSection* DynamicSymbols() const;
  const TSection* DynamicStrings() const;
  // The defined functions of the dynamic symbol table, in table order: the offset of the name in
  // DynamicStrings, the link-time address and the size. The table is read in pieces.
  using TExportVisitor = std::function<void(uint32_t NameOffset, uint64_t Address, uint64_t Size)>;
  void ForEachExportedFunction(const TExportVisitor& Visit) const;
  // The zero-terminated string at Offset of a string table section (at most 4096 bytes); empty
  // when Offset lies outside it.
  std::string StringAt(const TSection& Strings, uint32_t Offset) const;
  // The same functions with their names as stored (mangled).
  std::vector<TSymbol> ExportedFunctions() const;

private:
  void ReadHeaders();
  void ReadExact(uint64_t Offset, void* Buffer, size_t Count) const;
  std::vector<uint8_t> ReadBlock(uint64_t Offset, uint64_t Count) const;
  TReadAt FReadAt;
  uint64_t FFileSize;
  uint16_t FFileType = 0;
  uint64_t FImageBase = 0;
  std::vector<TSection> FSections;
  std::function<void()> FClose;
};
