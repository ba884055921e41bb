#include "exceptions/tools/DwarfModel.h"

#include <cxxabi.h>
#include <dwarf.h>
#include <elfutils/libdw.h>
#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "exceptions/report/TarvikDebugData.h"
#include "exceptions/tools/SymbolNames.h"

namespace {
struct TRange {
  uint64_t Lo, Hi;
  uint32_t Id;
};

struct TFunction {
  Dwarf_Off Offset = 0;
  std::vector<Dwarf_Off> Origins;  // the DIEs it completes (abstract instance, declaration)
  std::string Qualified;
  bool InRoot = true;
  uint64_t Entry = UINT64_MAX;
};

struct TInline {
  uint32_t File, Line;
};

// A run of code with one file, line and procedure.
struct TPiece {
  uint64_t Lo, Hi;
  uint32_t File, Line, Proc;
};

class TInterner {
public:
  uint32_t Id(const std::string& S) {
    auto [It, Added] = FIds.emplace(S, static_cast<uint32_t>(FNames.size()));
    if (Added) FNames.push_back(S);
    return It->second;
  }
  const std::string& Name(uint32_t Id) const { return FNames[Id]; }

private:
  std::unordered_map<std::string, uint32_t> FIds;
  std::vector<std::string> FNames;
};

std::string Demangle(const char* Name) {
  int Status = 0;
  std::unique_ptr<char, void (*)(void*)> D(abi::__cxa_demangle(Name, nullptr, nullptr, &Status), std::free);
  return Status == 0 && D ? std::string(D.get()) : std::string(Name);
}

bool IsClassTag(int Tag) {
  return Tag == DW_TAG_class_type || Tag == DW_TAG_structure_type || Tag == DW_TAG_union_type;
}

std::vector<std::pair<uint64_t, uint64_t>> RangesOf(Dwarf_Die* Die) {
  std::vector<std::pair<uint64_t, uint64_t>> R;
  Dwarf_Addr Base, Start, End;
  ptrdiff_t Off = 0;
  while ((Off = dwarf_ranges(Die, Off, &Base, &Start, &End)) > 0)
    if (End > Start) R.emplace_back(Start, End);
  return R;
}

class TReader {
public:
  TReader(const std::string& SourceRoot) : FRoot(SourceRoot) {
    if (!FRoot.empty() && FRoot.back() != '/') FRoot += '/';
  }

  // Function symbols of the file's symbol table by address: the names of functions that the DWARF
  // gives no linkage name (internal linkage: anonymous namespaces, lambdas).
  std::unordered_map<uint64_t, std::string>& FunctionSymbols() { return FSymbols; }
  void ReadCu(Dwarf_Die* Cu);
  void Finish(TDwarfModel& Result, const std::vector<std::pair<uint64_t, uint64_t>>& Code, uint64_t ImageBase);

private:
  void Walk(Dwarf_Die* Parent, int ParentTag, int Function, Dwarf_Files* Files);
  void AddFunction(Dwarf_Die* Die, int ParentTag);
  uint32_t FileId(const char* Path);
  std::string UnitNameOf(uint32_t File);
  const std::string& ProjectPath(uint32_t File);

  std::string FRoot;
  std::unordered_map<uint64_t, std::string> FSymbols;
  TInterner FFiles, FProcs;
  std::unordered_map<const char*, uint32_t> FFileByPointer;
  std::vector<std::optional<std::string>> FProjectPaths;
  std::unordered_set<Dwarf_Off> FMemberDecls;
  std::vector<TFunction> FFunctions;
  // Of the CU being read:
  std::vector<TRange> FCuFunctions, FCuInlineRanges;
  std::vector<TInline> FCuInlines;
  std::vector<TPiece> FPieces;
  size_t FRows = 0;
};

uint32_t TReader::FileId(const char* Path) {
  auto It = FFileByPointer.find(Path);
  if (It != FFileByPointer.end()) return It->second;
  uint32_t Id = FFiles.Id(Path ? std::filesystem::path(Path).lexically_normal().string() : std::string());
  FFileByPointer.emplace(Path, Id);
  return Id;
}

std::string TReader::UnitNameOf(uint32_t File) {
  std::string Name = ProjectPath(File);
  if (Name.empty()) Name = std::filesystem::path(FFiles.Name(File)).filename().string();
  if (Name.size() > MaxDebugName) Name.erase(0, Name.size() - MaxDebugName);  // the file name matters most
  return Name;
}

// The path of a project file relative to the source root. Compilers may have recorded it under
// another copy of the tree (a shared compiler cache keeps the folder of the first build): a path
// whose tail names a file of this tree counts as that file. Empty for files outside the project.
const std::string& TReader::ProjectPath(uint32_t File) {
  if (File >= FProjectPaths.size()) FProjectPaths.resize(File + 1, std::nullopt);
  std::optional<std::string>& P = FProjectPaths[File];
  if (P) return *P;
  P = std::string();
  const std::string& Path = FFiles.Name(File);
  if (FRoot.empty()) return *P;
  if (Path.compare(0, FRoot.size(), FRoot) == 0) {
    P = Path.substr(FRoot.size());
    return *P;
  }
  // Tails of at least two components, longest first.
  size_t Slash = Path.find('/', 1);
  while (Slash != std::string::npos) {
    std::string Tail = Path.substr(Slash + 1);
    if (Tail.find('/') == std::string::npos) break;
    std::error_code Ec;
    if (std::filesystem::is_regular_file(FRoot + Tail, Ec)) {
      P = Tail;
      break;
    }
    Slash = Path.find('/', Slash + 1);
  }
  return *P;
}

void TReader::AddFunction(Dwarf_Die* Die, int ParentTag) {
  TFunction F;
  F.Offset = dwarf_dieoffset(Die);
  if (IsClassTag(ParentTag)) FMemberDecls.insert(F.Offset);
  Dwarf_Die Cur = *Die, Next;
  for (int Step = 0; Step < 4; ++Step) {
    Dwarf_Attribute A;
    if (!dwarf_attr(&Cur, DW_AT_abstract_origin, &A) && !dwarf_attr(&Cur, DW_AT_specification, &A)) break;
    if (!dwarf_formref_die(&A, &Next)) break;
    F.Origins.push_back(dwarf_dieoffset(&Next));
    Cur = Next;
  }
  Dwarf_Attribute A;
  const char* Linkage = nullptr;
  if (dwarf_attr_integrate(Die, DW_AT_linkage_name, &A) || dwarf_attr_integrate(Die, DW_AT_MIPS_linkage_name, &A))
    Linkage = dwarf_formstring(&A);
  Dwarf_Addr Low;
  bool HasLow = dwarf_lowpc(Die, &Low) == 0;
  auto Symbol = HasLow ? FSymbols.find(Low) : FSymbols.end();
  if (Linkage)
    F.Qualified = QualifiedFunctionName(Demangle(Linkage));
  else if (Symbol != FSymbols.end())
    F.Qualified = QualifiedFunctionName(Demangle(Symbol->second.c_str()));
  else if (const char* N = dwarf_diename(Die))
    F.Qualified = N;
  const char* Decl = dwarf_decl_file(Die);
  F.InRoot = FRoot.empty() || (Decl && !ProjectPath(FileId(Decl)).empty());
  uint32_t Id = static_cast<uint32_t>(FFunctions.size());
  for (auto [Lo, Hi] : RangesOf(Die)) {
    FCuFunctions.push_back({Lo, Hi, Id});
    F.Entry = std::min(F.Entry, Lo);
  }
  if (HasLow) F.Entry = Low;
  FFunctions.push_back(std::move(F));
}

void TReader::Walk(Dwarf_Die* Parent, int ParentTag, int Function, Dwarf_Files* Files) {
  Dwarf_Die Child;
  if (dwarf_child(Parent, &Child) != 0) return;
  do {
    int Tag = dwarf_tag(&Child);
    switch (Tag) {
      case DW_TAG_subprogram: {
        int Own = -1;
        if (dwarf_hasattr(&Child, DW_AT_low_pc) || dwarf_hasattr(&Child, DW_AT_ranges)) {
          Own = static_cast<int>(FFunctions.size());
          AddFunction(&Child, ParentTag);
        } else if (IsClassTag(ParentTag)) {
          FMemberDecls.insert(dwarf_dieoffset(&Child));
        }
        Walk(&Child, Tag, Own, Files);
        break;
      }
      case DW_TAG_inlined_subroutine: {
        // Only the outermost inlined calls of a function: their call site is in the function.
        if (Function < 0) break;
        Dwarf_Attribute A;
        Dwarf_Die Origin;
        // The compiler may inline a function into itself (a split function's part put back):
        // that code is the function's own, and what is inlined into it counts as outermost.
        const std::vector<Dwarf_Off>& Own = FFunctions[static_cast<size_t>(Function)].Origins;
        if (!Own.empty() && dwarf_attr(&Child, DW_AT_abstract_origin, &A) && dwarf_formref_die(&A, &Origin) &&
            dwarf_dieoffset(&Origin) == Own.front()) {
          Walk(&Child, ParentTag, Function, Files);
          break;
        }
        Dwarf_Word FileIndex = 0, Line = 0;
        const char* Path = nullptr;
        if (dwarf_attr(&Child, DW_AT_call_file, &A) && dwarf_formudata(&A, &FileIndex) == 0 && Files)
          Path = dwarf_filesrc(Files, FileIndex, nullptr, nullptr);
        if (dwarf_attr(&Child, DW_AT_call_line, &A)) dwarf_formudata(&A, &Line);
        if (!Path) break;
        uint32_t Id = static_cast<uint32_t>(FCuInlines.size());
        FCuInlines.push_back({FileId(Path), static_cast<uint32_t>(Line)});
        for (auto [Lo, Hi] : RangesOf(&Child)) FCuInlineRanges.push_back({Lo, Hi, Id});
        break;
      }
      case DW_TAG_lexical_block:
        Walk(&Child, ParentTag, Function, Files);
        break;
      case DW_TAG_namespace:
      case DW_TAG_class_type:
      case DW_TAG_structure_type:
      case DW_TAG_union_type:
        Walk(&Child, Tag, -1, Files);
        break;
      default:
        break;
    }
  } while (dwarf_siblingof(&Child, &Child) == 0);
}

void TReader::ReadCu(Dwarf_Die* Cu) {
  FCuFunctions.clear();
  FCuInlineRanges.clear();
  FCuInlines.clear();
  Dwarf_Files* Files = nullptr;
  size_t FileCount = 0;
  if (dwarf_getsrcfiles(Cu, &Files, &FileCount) != 0) Files = nullptr;
  Walk(Cu, DW_TAG_compile_unit, -1, Files);

  Dwarf_Lines* Lines = nullptr;
  size_t Count = 0;
  if (dwarf_getsrclines(Cu, &Lines, &Count) != 0) return;
  auto ByLo = [](const TRange& A, const TRange& B) { return A.Lo < B.Lo; };
  std::sort(FCuFunctions.begin(), FCuFunctions.end(), ByLo);
  std::sort(FCuInlineRanges.begin(), FCuInlineRanges.end(), ByLo);
  // Every place where the procedure or the inlined call may change.
  std::vector<uint64_t> Bounds;
  for (const auto* V : {&FCuFunctions, &FCuInlineRanges})
    for (const TRange& R : *V) {
      Bounds.push_back(R.Lo);
      Bounds.push_back(R.Hi);
    }
  std::sort(Bounds.begin(), Bounds.end());
  auto Containing = [](const std::vector<TRange>& V, uint64_t A) -> const TRange* {
    auto It = std::upper_bound(V.begin(), V.end(), A, [](uint64_t X, const TRange& R) { return X < R.Lo; });
    // Ranges of one kind do not nest, but a few may share a start; look a little way back.
    for (int Back = 0; It != V.begin() && Back < 4; ++Back) {
      --It;
      if (A < It->Hi) return &*It;
    }
    return nullptr;
  };

  // libdw sorts the rows of all sequences by address, and an end of sequence before any row at
  // its address: a sequence's last row that covers nothing then follows its own end and seems to
  // reach the next sequence's first row. A row right after an end at its address is therefore
  // taken only inside a code range of its CU, and up to that range's end.
  std::vector<std::pair<uint64_t, uint64_t>> CuRanges = RangesOf(Cu);
  std::sort(CuRanges.begin(), CuRanges.end());
  auto Clip = [&](uint64_t Lo, uint64_t& Hi) {
    if (CuRanges.empty()) return true;
    auto It = std::upper_bound(CuRanges.begin(), CuRanges.end(), std::make_pair(Lo, UINT64_MAX));
    if (It == CuRanges.begin() || Lo >= (--It)->second) return false;
    Hi = std::min(Hi, It->second);
    return true;
  };

  uint64_t EndAt = UINT64_MAX;  // address of the row before when it ended a sequence
  for (size_t I = 0; I + 1 < Count; ++I) {
    Dwarf_Line* L = dwarf_onesrcline(Lines, I);
    bool End = false;
    Dwarf_Addr Lo, Hi;
    dwarf_lineendsequence(L, &End);
    dwarf_lineaddr(L, &Lo);
    uint64_t AfterEndAt = EndAt;
    EndAt = End ? Lo : UINT64_MAX;
    if (End) continue;
    dwarf_lineaddr(dwarf_onesrcline(Lines, I + 1), &Hi);
    if (Hi <= Lo) continue;  // several rows at one address: the last one describes the code
    if (AfterEndAt == Lo && !Clip(Lo, Hi)) continue;
    ++FRows;
    int LineNo = 0;
    dwarf_lineno(L, &LineNo);
    uint32_t RowFile = FileId(dwarf_linesrc(L, nullptr, nullptr));
    auto B = std::upper_bound(Bounds.begin(), Bounds.end(), Lo);
    for (uint64_t S = Lo; S < Hi;) {
      while (B != Bounds.end() && *B <= S) ++B;
      uint64_t E = B != Bounds.end() && *B < Hi ? *B : Hi;
      TPiece P{S, E, RowFile, static_cast<uint32_t>(LineNo), UINT32_MAX};
      if (const TRange* F = Containing(FCuFunctions, S)) {
        P.Proc = F->Id;
        if (const TRange* In = Containing(FCuInlineRanges, S)) {
          P.File = FCuInlines[In->Id].File;
          P.Line = FCuInlines[In->Id].Line;
        }
      }
      FPieces.push_back(P);
      S = E;
    }
  }
}

void TReader::Finish(TDwarfModel& Result, const std::vector<std::pair<uint64_t, uint64_t>>& Code, uint64_t ImageBase) {
  // Names, now that every member declaration is known.
  std::vector<uint32_t> ProcId(FFunctions.size());
  for (size_t I = 0; I < FFunctions.size(); ++I) {
    TFunction& F = FFunctions[I];
    bool Member = FMemberDecls.count(F.Offset) > 0;
    for (Dwarf_Off O : F.Origins) Member = Member || FMemberDecls.count(O) > 0;
    std::string Name = DottedProcedureName(F.Qualified, Member);
    if (Name.size() > MaxDebugName) Name.resize(MaxDebugName);
    ProcId[I] = FProcs.Id(Name);
  }
  auto InCode = [&](uint64_t Lo, uint64_t Hi) {
    if (Lo < ImageBase + DebugCodeBase || Hi - ImageBase - DebugCodeBase > UINT32_MAX) return false;
    return std::any_of(Code.begin(), Code.end(), [&](const auto& C) { return Lo >= C.first && Hi <= C.second; });
  };
  auto Offset = [&](uint64_t A) { return static_cast<uint32_t>(A - ImageBase - DebugCodeBase); };

  // Code of functions the linker dropped keeps its rows at address 0 or at a tombstone: only
  // code inside the executable segments counts, each byte once.
  std::stable_sort(FPieces.begin(), FPieces.end(), [](const TPiece& A, const TPiece& B) { return A.Lo < B.Lo; });
  std::vector<TPiece> Clean;
  for (TPiece P : FPieces) {
    if (!InCode(P.Lo, P.Hi)) continue;
    if (P.Proc != UINT32_MAX) P.Proc = ProcId[P.Proc];
    if (!Clean.empty() && P.Lo < Clean.back().Hi) {
      if (P.Hi <= Clean.back().Hi) continue;
      P.Lo = Clean.back().Hi;
    }
    TPiece* Prev = Clean.empty() ? nullptr : &Clean.back();
    if (Prev && Prev->Hi == P.Lo && Prev->File == P.File && Prev->Line == P.Line && Prev->Proc == P.Proc)
      Prev->Hi = P.Hi;
    else
      Clean.push_back(P);
  }

  // A unit per run of contiguous code of one file.
  TDebugModel& M = Result.Model;
  std::unordered_map<uint32_t, std::string> UnitNames;
  uint32_t UnitFile = UINT32_MAX;
  for (const TPiece& P : Clean) {
    if (M.Units.empty() || M.Units.back().End != Offset(P.Lo) || UnitFile != P.File) {
      auto [It, Added] = UnitNames.emplace(P.File, std::string());
      if (Added) It->second = UnitNameOf(P.File);
      TDebugUnit U;
      U.Name = It->second;
      U.Start = Offset(P.Lo);
      M.Units.push_back(std::move(U));
      UnitFile = P.File;
    }
    TDebugUnit& U = M.Units.back();
    U.Rows.push_back({Offset(P.Lo), P.Line, P.Proc == UINT32_MAX ? std::string() : FProcs.Name(P.Proc)});
    U.End = Offset(P.Hi);
  }

  for (size_t I = 0; I < FFunctions.size(); ++I) {
    const TFunction& F = FFunctions[I];
    if (!F.InRoot || F.Entry == UINT64_MAX || !InCode(F.Entry, F.Entry + 1)) continue;
    M.Procedures.push_back({FProcs.Name(ProcId[I]), Offset(F.Entry)});
  }
  std::stable_sort(M.Procedures.begin(), M.Procedures.end(),
                   [](const TDebugProcedure& A, const TDebugProcedure& B) { return A.Offset < B.Offset; });
  Result.Functions = FFunctions.size();
  Result.LineRows = FRows;
}
void ReadFunctionSymbols(Elf* E, std::unordered_map<uint64_t, std::string>& Symbols) {
  Elf_Scn* Scn = nullptr;
  while ((Scn = elf_nextscn(E, Scn)) != nullptr) {
    GElf_Shdr Sh;
    if (!gelf_getshdr(Scn, &Sh) || Sh.sh_type != SHT_SYMTAB || Sh.sh_entsize == 0) continue;
    Elf_Data* Data = elf_getdata(Scn, nullptr);
    if (!Data) continue;
    size_t Count = Sh.sh_size / Sh.sh_entsize;
    for (size_t I = 0; I < Count; ++I) {
      GElf_Sym Sym;
      if (!gelf_getsym(Data, static_cast<int>(I), &Sym) || GELF_ST_TYPE(Sym.st_info) != STT_FUNC || Sym.st_value == 0)
        continue;
      const char* Name = elf_strptr(E, Sh.sh_link, Sym.st_name);
      if (Name && *Name) Symbols.emplace(Sym.st_value, Name);
    }
  }
}
}  // namespace

TDwarfModel ReadDwarfModel(const std::string& FileName, const std::string& SourceRoot) {
  elf_version(EV_CURRENT);
  int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) throw std::runtime_error("cannot open " + FileName);
  std::unique_ptr<int, void (*)(int*)> CloseFd(&Fd, [](int* F) { ::close(*F); });
  Elf* E = elf_begin(Fd, ELF_C_READ, nullptr);
  if (!E || elf_kind(E) != ELF_K_ELF) throw std::runtime_error(FileName + " is no ELF file");
  std::unique_ptr<Elf, int (*)(Elf*)> EndElf(E, elf_end);

  // The executable segments, and the base a module's handle stands for.
  std::vector<std::pair<uint64_t, uint64_t>> Code;
  uint64_t ImageBase = UINT64_MAX;
  size_t PhCount = 0;
  elf_getphdrnum(E, &PhCount);
  for (size_t I = 0; I < PhCount; ++I) {
    GElf_Phdr Ph;
    if (!gelf_getphdr(E, static_cast<int>(I), &Ph) || Ph.p_type != PT_LOAD) continue;
    ImageBase = std::min<uint64_t>(ImageBase, Ph.p_vaddr);
    if (Ph.p_flags & PF_X) Code.emplace_back(Ph.p_vaddr, Ph.p_vaddr + Ph.p_memsz);
  }
  if (ImageBase == UINT64_MAX) throw std::runtime_error(FileName + " has no loadable segment");
  ImageBase &= ~static_cast<uint64_t>(0xFFF);

  TDwarfModel Result;
  TReader R(SourceRoot.empty() ? std::string() : std::filesystem::path(SourceRoot).lexically_normal().string());
  ReadFunctionSymbols(E, R.FunctionSymbols());
  Dwarf* Dw = dwarf_begin_elf(E, DWARF_C_READ, nullptr);
  if (!Dw) return Result;  // no DWARF: built without -g
  std::unique_ptr<Dwarf, int (*)(Dwarf*)> EndDwarf(Dw, dwarf_end);
  Result.HasDebugInfo = true;
  Dwarf_CU* Cu = nullptr;
  Dwarf_Die CuDie;
  uint8_t UnitType;
  while (dwarf_get_units(Dw, Cu, &Cu, nullptr, &UnitType, &CuDie, nullptr) == 0) {
    if (UnitType != DW_UT_compile && UnitType != DW_UT_partial && UnitType != DW_UT_skeleton) continue;
    ++Result.CompileUnits;
    R.ReadCu(&CuDie);
  }
  R.Finish(Result, Code, ImageBase);
  return Result;
}
