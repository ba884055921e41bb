#include "platform/sys/ElfFile.h"

#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "platform/rtl/SysUtils.h"
#include "platform/sys/Modules.h"
#include "platform/sys/Process.h"

namespace {
TEST(ElfFileTest, ReadsTheProgramsAndALibrarysHeaders) {
  auto Self = TElfFile::Open(ProgramPath());
  EXPECT_TRUE(Self->FileType() == ET_DYN || Self->FileType() == ET_EXEC);
  const TElfFile::TSection* Text = Self->FindSection(".text");
  ASSERT_NE(Text, nullptr);
  EXPECT_NE(Text->Flags & SHF_EXECINSTR, 0u);
  EXPECT_EQ(Self->FindSection(".no.such.section"), nullptr);
  // The image base is where the module's handle stands in the file's addresses.
  uintptr_t Fn = reinterpret_cast<uintptr_t>(&ProgramPath);
  EXPECT_GE(Fn - MainModuleHandle() + Self->ImageBase(), Text->Address);
  EXPECT_LT(Fn - MainModuleHandle() + Self->ImageBase(), Text->Address + Text->Size);
  std::vector<uint8_t> Head = Self->SectionBytes(*Text, 16);
  EXPECT_EQ(Head.size(), 16u);

  // The C library exports getpid at the address the loader gave it.
  TModuleHandle Libc = ModuleOfAddress(reinterpret_cast<const void*>(&::getpid));
  auto Lib = TElfFile::Open(ModuleFileName(Libc));
  EXPECT_EQ(Lib->FileType(), ET_DYN);
  bool Found = false;
  for (const TElfFile::TSymbol& S : Lib->ExportedFunctions())
    if (S.Name == "getpid") {
      Found = true;
      EXPECT_EQ(Libc + (S.Address - Lib->ImageBase()), reinterpret_cast<uintptr_t>(&::getpid));
      EXPECT_GT(S.Size, 0u);
    }
  EXPECT_TRUE(Found);
  EXPECT_THROW(TElfFile::Open("/nonexistent/file"), EFOpenError);
  EXPECT_THROW(TElfFile::Open("/proc/self"), EFOpenError);
}

TEST(ElfFileTest, DamagedHeadersRaiseReadErrors) {
  std::vector<uint8_t> Image(sizeof(Elf64_Ehdr) + 2 * sizeof(Elf64_Shdr), 0);
  auto* H = reinterpret_cast<Elf64_Ehdr*>(Image.data());
  std::memcpy(H->e_ident, ELFMAG, SELFMAG);
  H->e_ident[EI_CLASS] = ELFCLASS64;
  H->e_ident[EI_DATA] = ELFDATA2LSB;
  H->e_type = ET_DYN;
  H->e_shoff = sizeof(Elf64_Ehdr);
  H->e_shentsize = sizeof(Elf64_Shdr);
  H->e_shnum = 2;
  H->e_shstrndx = 1;
  auto* Names = reinterpret_cast<Elf64_Shdr*>(Image.data() + sizeof(Elf64_Ehdr)) + 1;
  Names->sh_type = SHT_STRTAB;
  Names->sh_offset = 0;  // the header's first bytes: no useful names, but inside the file
  Names->sh_size = 4;
  EXPECT_EQ(TElfFile::FromBytes(Image.data(), Image.size())->Sections().size(), 2u);
  struct TCase {
    const char* What;
    std::function<void(std::vector<uint8_t>&)> Damage;
  } Cases[] = {
      {"short", [](std::vector<uint8_t>& I) { I.resize(20); }},
      {"signature", [](std::vector<uint8_t>& I) { I[1] = 'X'; }},
      {"32-bit", [](std::vector<uint8_t>& I) { I[EI_CLASS] = ELFCLASS32; }},
      {"big-endian", [](std::vector<uint8_t>& I) { I[EI_DATA] = ELFDATA2MSB; }},
      {"section table outside", [](std::vector<uint8_t>& I) { reinterpret_cast<Elf64_Ehdr*>(I.data())->e_shoff = 1 << 20; }},
      {"section names outside",
       [](std::vector<uint8_t>& I) { (reinterpret_cast<Elf64_Shdr*>(I.data() + sizeof(Elf64_Ehdr)) + 1)->sh_size = 1 << 20; }},
      {"program headers outside",
       [](std::vector<uint8_t>& I) {
         auto* E = reinterpret_cast<Elf64_Ehdr*>(I.data());
         E->e_phoff = 1 << 20;
         E->e_phnum = 1;
         E->e_phentsize = sizeof(Elf64_Phdr);
       }},
  };
  for (const TCase& C : Cases) {
    std::vector<uint8_t> Bad = Image;
    C.Damage(Bad);
    EXPECT_THROW(TElfFile::FromBytes(Bad.data(), Bad.size()), EReadError) << C.What;
  }
}
}  // namespace
