// Writes the seed corpus of fuzz_reporter_debug_data (fuzz/corpus/fuzz_reporter_debug_data): debug
// data with and without a name index, a whole reporter data block, and a small ELF file that
// carries one. Each seed starts with the byte that picks the fuzz target's reader.
//   fuzz_reporter_debug_seeds <repository folder>
#include <elf.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/report/TarvikDebugData.h"
#include "exceptions/tools/DebugDataWriter.h"

namespace {
using TBytes = std::vector<uint8_t>;

void Save(const std::filesystem::path& File, uint8_t Reader, const TBytes& Bytes) {
  std::filesystem::create_directories(File.parent_path());
  std::ofstream Out(File, std::ios::binary);
  Out.put(static_cast<char>(Reader));
  Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// Units that use every record form: short steps, long steps, lines backwards, big gaps, names
// of members and of free functions.
TDebugModel Model() {
  TDebugModel M;
  M.Units.push_back({"lxreport/LXPrntr.cpp", 0x100, 0x12400,
                     {{0x100, 40, "TLXPrinter.BeginDoc"}, {0x104, 41, "TLXPrinter.BeginDoc"},
                      {0x105, 41, "TLXPrinter.EndDoc"}, {0x180, 30, "TLXPrinter.EndDoc"},
                      {0x2200, 35, "TLXPrinter.EndDoc"}, {0x12300, 70000, "Free"}}});
  M.Units.push_back({"stl_vector.h", 0x12400, 0x12480, {{0x12400, 1123, "std::vector<int>.operator[]"}}});
  M.Units.push_back({"Main", 0x20000, 0x20040, {{0x20000, 10, ""}, {0x20010, 12, "main"}}});
  M.Procedures = {{"TLXPrinter.BeginDoc", 0x100}, {"TLXPrinter.EndDoc", 0x105}, {"main", 0x20010}};
  return M;
}

void Put(TBytes& B, const void* P, size_t N) {
  const auto* C = static_cast<const uint8_t*>(P);
  B.insert(B.end(), C, C + N);
}

// A shared object's skeleton: one loadable segment, a dynamic symbol table with two functions,
// its strings, the section names and a ".tvdata" section.
TBytes SmallElf(const TBytes& TvData) {
  const char DynStr[] = "\0SampleCollect\0_ZN6sample4NoteEv\0";
  const char ShStr[] = "\0.dynsym\0.dynstr\0.shstrtab\0.tvdata\0";
  Elf64_Sym Syms[3] = {};
  Syms[1].st_name = 1;
  Syms[1].st_info = ELF64_ST_INFO(STB_GLOBAL, STT_FUNC);
  Syms[1].st_shndx = 1;
  Syms[1].st_value = 0x1100;
  Syms[1].st_size = 0x40;
  Syms[2].st_name = 15;
  Syms[2].st_info = ELF64_ST_INFO(STB_GLOBAL, STT_FUNC);
  Syms[2].st_shndx = 1;
  Syms[2].st_value = 0x1140;
  Syms[2].st_size = 0x10;

  size_t SymAt = sizeof(Elf64_Ehdr) + sizeof(Elf64_Phdr);
  size_t DynStrAt = SymAt + sizeof Syms;
  size_t ShStrAt = DynStrAt + sizeof DynStr;
  size_t TvAt = ShStrAt + sizeof ShStr;
  size_t ShAt = (TvAt + TvData.size() + 7) & ~size_t(7);

  Elf64_Ehdr H = {};
  std::memcpy(H.e_ident, ELFMAG, SELFMAG);
  H.e_ident[EI_CLASS] = ELFCLASS64;
  H.e_ident[EI_DATA] = ELFDATA2LSB;
  H.e_ident[EI_VERSION] = EV_CURRENT;
  H.e_type = ET_DYN;
  H.e_machine = EM_X86_64;
  H.e_version = EV_CURRENT;
  H.e_phoff = sizeof H;
  H.e_shoff = ShAt;
  H.e_ehsize = sizeof H;
  H.e_phentsize = sizeof(Elf64_Phdr);
  H.e_phnum = 1;
  H.e_shentsize = sizeof(Elf64_Shdr);
  H.e_shnum = 5;
  H.e_shstrndx = 3;
  Elf64_Phdr P = {};
  P.p_type = PT_LOAD;
  P.p_flags = PF_R | PF_X;
  P.p_filesz = P.p_memsz = TvAt;
  P.p_align = 0x1000;
  Elf64_Shdr S[5] = {};
  S[1] = {1, SHT_DYNSYM, SHF_ALLOC, SymAt, SymAt, sizeof Syms, 2, 1, 8, sizeof(Elf64_Sym)};
  S[2] = {9, SHT_STRTAB, SHF_ALLOC, DynStrAt, DynStrAt, sizeof DynStr, 0, 0, 1, 0};
  S[3] = {17, SHT_STRTAB, 0, 0, ShStrAt, sizeof ShStr, 0, 0, 1, 0};
  S[4] = {27, SHT_PROGBITS, 0, 0, TvAt, TvData.size(), 0, 0, 1, 0};

  TBytes B;
  Put(B, &H, sizeof H);
  Put(B, &P, sizeof P);
  Put(B, Syms, sizeof Syms);
  Put(B, DynStr, sizeof DynStr);
  Put(B, ShStr, sizeof ShStr);
  Put(B, TvData.data(), TvData.size());
  B.resize(ShAt, 0);
  Put(B, S, sizeof S);
  return B;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_reporter_debug_seeds <repository folder>\n");
    return 2;
  }
  std::filesystem::path Dir = std::filesystem::path(argv[1]) / "fuzz/corpus/fuzz_reporter_debug_data";
  TBytes Debug = EncodeDebugData(Model());
  TBytes WithVersion{5};  // 454
  WithVersion.insert(WithVersion.end(), Debug.begin(), Debug.end());
  Save(Dir / "debug-454.bin", 0, WithVersion);
  // Version 404 has no name index: the same units without it.
  uint32_t IndexSize = Debug[0] | Debug[1] << 8 | Debug[2] << 16 | static_cast<uint32_t>(Debug[3]) << 24;
  TBytes Old{0};  // 404
  Old.insert(Old.end(), Debug.begin() + 4 + IndexSize, Debug.end());
  Save(Dir / "debug-404.bin", 0, Old);
  TTarvikModuleOptions Options("", 0);
  TBytes Block = BuildReporterData(Options, Debug, DataStampOf(Debug));
  Save(Dir / "block.bin", 1, Block);
  Save(Dir / "elf.bin", 2, SmallElf(Block));
  return 0;
}
