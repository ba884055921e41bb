#include "exceptions/report/TarvikModules.h"

#include <cxxabi.h>
#include <elf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "platform/classes/ByteReader.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/ElfFile.h"
#include "platform/sys/Process.h"
#include "platform/sys/SafeMemory.h"

namespace {
std::unique_ptr<TTarvikModulesList> Modules;
bool Enumerating = false;

// A module file's reporter data block never comes near this.
constexpr uint64_t MaxDataBlock = 256u << 20;

std::unique_ptr<TElfFile> OpenModuleFile(const std::string& FileName) {
  if (FileName.empty()) return nullptr;
  try {
    return TElfFile::Open(FileName);
  } catch (const EStreamError&) {
    return nullptr;  // gone, unreadable or not ELF: nothing to read from it
  }
}

// The message of a reading error without its closing ".", to go inside DamagedDebugData.
std::string Inner(const Exception& E) {
  std::string M = E.Message();
  while (!M.empty() && M.back() == '.') M.pop_back();
  return M;
}

std::optional<TTarvikDataBlock> ReadSectionBlock(const TElfFile& File) {
  const TElfFile::TSection* S = File.FindSection(TarvikDataSection);
  if (!S) return std::nullopt;
  std::vector<uint8_t> Bytes = File.SectionBytes(*S, MaxDataBlock);
  return ParseTarvikDataBlock(Bytes.data(), Bytes.size());
}

// The last Count bytes of a file (fewer when it is shorter).
std::vector<uint8_t> FileTail(const std::string& FileName, uint64_t Count) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyNone);
  int64_t Size = F.Size();
  int64_t N = std::min<int64_t>(Size, static_cast<int64_t>(Count));
  std::vector<uint8_t> Bytes(static_cast<size_t>(N));
  F.Seek(Size - N, soBeginning);
  F.ReadBuffer(Bytes.data(), N);
  return Bytes;
}

std::optional<TTarvikDataBlock> ReadAppendedBlock(const std::string& FileName) {
  std::vector<uint8_t> End = FileTail(FileName, 8);
  if (End.size() < 8) return std::nullopt;
  TByteReader R(End.data(), End.size());
  if (R.U32(4) != TarvikDataMagic) return std::nullopt;
  uint64_t BlockSize = R.U32(0);
  if (BlockSize > MaxDataBlock) throw EReadError(Format(TarvikText::DataBlockBadSize, {static_cast<int64_t>(BlockSize)}));
  std::vector<uint8_t> Tail = FileTail(FileName, BlockSize + 8);
  return ParseAppendedDataBlock(Tail.data(), Tail.size());
}

}  // namespace

void ReadReporterPayload(TTarvikModuleInfo& M, TTarvikDataBlock B) {
  if (!M.Options) M.Options = std::make_unique<TTarvikModuleOptionsEx>(M.FileName, 1);
  TBytesStream S(B.Payload.data(), static_cast<int64_t>(B.Payload.size()));
  M.Options->LoadFromStream(S, B.Version);
  TByteReader R(B.Payload.data(), B.Payload.size());
  R.Seek(static_cast<size_t>(S.Position()));
  if (R.Remaining() < 4) throw EReadError(Format(TarvikText::PayloadEnds, {4, static_cast<int64_t>(R.Remaining())}));
  uint32_t N = R.U32();
  if (N > R.Remaining())
    throw EReadError(Format(TarvikText::PayloadEnds, {static_cast<int64_t>(N), static_cast<int64_t>(R.Remaining())}));
  // The debug data stays where inflation put it.
  size_t Begin = R.Offset();
  M.DebugData = std::make_unique<TTarvikDebugData>(std::move(B.Payload), Begin, N, B.Version);
  M.DataVersion = B.Version;
  M.DataStamp = B.Stamp;
}

namespace {

void FillExports(TTarvikModuleInfo& M, const TElfFile& File) {
  const TElfFile::TSection* Strings = File.DynamicStrings();
  if (!Strings) return;
  M.Functions.SetNameTable(M.FileName, Strings->Offset, Strings->Size);
  // Run-time address = the handle + the symbol's distance from the image base.
  File.ForEachExportedFunction([&](uint32_t Name, uint64_t Address, uint64_t Size) {
    M.Functions.AddExport(Name, M.Handle + static_cast<uintptr_t>(Address - File.ImageBase()), Size);
  });
  M.Functions.SortByAddress();
}

void SplitDottedName(const std::string& Name, TTarvikDebugInfo& D) {
  std::vector<std::string> Parts;
  size_t From = 0;
  for (;;) {
    size_t Dot = Name.find('.', From);
    Parts.push_back(Name.substr(From, Dot == std::string::npos ? std::string::npos : Dot - From));
    if (Dot == std::string::npos) break;
    From = Dot + 1;
  }
  if (Parts.size() == 2) {
    D.UnitName = Parts[0] + DefaultSourceExtension;
    D.ClassName.clear();
    D.ProcedureName = Parts[1];
    D.Kind = dkExportSplit;
  } else if (Parts.size() == 3) {
    D.UnitName = Parts[0] + DefaultSourceExtension;
    D.ClassName = Parts[1];
    D.ProcedureName = Parts[2];
    D.Kind = dkExportSplit;
  }
}
}  // namespace

void TTarvikFunctionsList::Add(const TTarvikFunctionInfo& Info) {
  FItems.push_back({Info.Addr, Info.Size, static_cast<uint32_t>(FNames.size()), false});
  FNames += Info.Name;
  FNames += '\0';
}

void TTarvikFunctionsList::AddExport(uint32_t NameOffset, uintptr_t Addr, uint64_t Size) {
  FItems.push_back({Addr, Size, NameOffset, true});
}

void TTarvikFunctionsList::SetNameTable(const std::string& FileName, uint64_t Offset, uint64_t Size) {
  FTableFile = FileName;
  FTableOffset = Offset;
  FTableSize = Size;
}

void TTarvikFunctionsList::Clear() {
  FItems.clear();
  FNames.clear();
}

std::string TTarvikFunctionsList::Name(int Index) const {
  const TEntry& E = FItems.at(static_cast<size_t>(Index));
  if (!E.FromFile) return std::string(FNames.c_str() + E.Name);
  // A file that is gone or changed gives no name, or a damaged one; never more than 4096 bytes.
  try {
    auto File = TElfFile::Open(FTableFile);
    TElfFile::TSection Table;
    Table.Offset = FTableOffset;
    Table.Size = FTableSize;
    return File->StringAt(Table, E.Name);
  } catch (const EStreamError&) {
    return std::string();
  }
}

TTarvikFunctionInfo TTarvikFunctionsList::Items(int Index) const {
  const TEntry& E = FItems.at(static_cast<size_t>(Index));
  return {Name(Index), E.Addr, E.Size};
}

void TTarvikFunctionsList::SortByAddress() {
  std::stable_sort(FItems.begin(), FItems.end(), [](const TEntry& A, const TEntry& B) { return A.Addr < B.Addr; });
}

int TTarvikFunctionsList::IndexOfAddress(uintptr_t Address) const {
  // The end of a function (Addr + Size) is outside it: it is where the next one may start.
  size_t End = static_cast<size_t>(
      std::upper_bound(FItems.begin(), FItems.end(), Address,
                       [](uintptr_t A, const TEntry& F) { return A < F.Addr; }) -
      FItems.begin());
  // The nearest start that holds the address; a few entries back cover aliases and symbols that
  // mark a place inside a longer function.
  for (size_t I = End; I-- > 0 && End - I <= 16;) {
    if (Address - FItems[I].Addr >= FItems[I].Size) continue;
    while (I > 0 && FItems[I - 1].Addr == FItems[I].Addr && Address - FItems[I - 1].Addr < FItems[I - 1].Size) --I;
    return static_cast<int>(I);
  }
  return -1;
}

int TTarvikModulesList::IndexOfHandle(TModuleHandle Handle) const {
  for (size_t I = 0; I < FItems.size(); ++I)
    if (FItems[I]->Handle == Handle) return static_cast<int>(I);
  return -1;
}

TTarvikModuleInfo* TTarvikModulesList::Add(std::unique_ptr<TTarvikModuleInfo> Record) {
  std::lock_guard<std::recursive_mutex> L(FLock);
  FItems.push_back(std::move(Record));
  return FItems.back().get();
}

void TTarvikModulesList::Delete(int Index) {
  std::lock_guard<std::recursive_mutex> L(FLock);
  TTarvikModuleInfo* M = Items(Index);
  // The reporter's options object goes with its record: nobody may use it afterwards.
  if (M->Options && M->Options.get() == ReporterModuleOptions()) SetReporterModuleOptions(nullptr);
  FItems.erase(FItems.begin() + Index);
}

void TTarvikModulesList::SortByHandle() {
  std::lock_guard<std::recursive_mutex> L(FLock);
  std::stable_sort(FItems.begin(), FItems.end(), [](const auto& A, const auto& B) { return A->Handle < B->Handle; });
}

TTarvikModulesList* ReporterModules() { return Modules.get(); }

void CreateReporterModules() { Modules = std::make_unique<TTarvikModulesList>(); }

void FreeReporterModules() {
  if (Modules && ReporterModuleOptions()) {
    std::lock_guard<std::recursive_mutex> L(Modules->Lock());
    for (int I = 0; I < Modules->Count(); ++I)
      if (Modules->Items(I)->Options.get() == ReporterModuleOptions()) SetReporterModuleOptions(nullptr);
  }
  Modules.reset();
}

bool EnumeratingModules() { return Enumerating; }

TTarvikModuleInfo* FindModuleRecord(TModuleHandle Handle) {
  if (Handle == 0 || !Modules) return nullptr;
  std::lock_guard<std::recursive_mutex> L(Modules->Lock());
  int I = Modules->IndexOfHandle(Handle);
  bool WasReporters = false;
  std::string FileName = ModuleFileName(Handle);
  if (I >= 0) {
    TTarvikModuleInfo* M = Modules->Items(I);
    // Another library loaded where an unloaded one was gets a record of its own.
    if (M->Kind != mkUnknown && M->FileName == FileName) return M;
    // A bare record of the enumeration: built in full now.
    WasReporters = M->Options && M->Options.get() == ReporterModuleOptions();
    Modules->Delete(I);
  }
  if (!AddModuleRecord(Handle)) return nullptr;
  TTarvikModuleInfo* M = Modules->Items(Modules->Count() - 1);
  if (WasReporters) SetReporterModuleOptions(M->Options.get());
  return M;
}

TTarvikModuleInfo* FindModuleRecordOf(uintptr_t Address) {
  return FindModuleRecord(ModuleOfAddress(reinterpret_cast<const void*>(Address)));
}

bool AddModuleRecord(TModuleHandle Handle) {
  if (!Modules) return false;
  std::string FileName = ModuleFileName(Handle);
  if (FileName.empty()) return false;
  std::lock_guard<std::recursive_mutex> L(Modules->Lock());
  auto M = std::make_unique<TTarvikModuleInfo>();
  M->Handle = Handle;
  M->FileName = FileName;
  GetFileVersionTexts(FileName, M->Description, M->Version);
  M->Size = GetFileSize(FileName);
  if (!Enumerating) {
    if (auto File = OpenModuleFile(FileName)) {
      try {
        FillExports(*M, *File);
      } catch (const EReadError&) {
        M->Functions.Clear();  // an export table that cannot be read leaves the list empty
      }
    }
    M->Kind = GetModuleKind(Handle);
  }
  M->Options = std::make_unique<TTarvikModuleOptionsEx>(FileName, 1);
  if (Enumerating || !LoadDebugInformation(*M)) {
    M->DataVersion = TarvikLogDataVersion;
    M->DataStamp = 0;
    M->DebugData.reset();
  }
  Modules->Add(std::move(M));
  return true;
}

void RefreshModules() {
  if (!Modules) return;
  std::lock_guard<std::recursive_mutex> L(Modules->Lock());
  std::vector<TLoadedModule> Loaded = LoadedModules();
  auto IsLoaded = [&](TModuleHandle H) {
    return std::any_of(Loaded.begin(), Loaded.end(), [H](const TLoadedModule& M) { return M.Handle == H && !M.FileName.empty(); });
  };
  for (int I = Modules->Count() - 1; I >= 0; --I)
    if (!IsLoaded(Modules->Items(I)->Handle)) Modules->Delete(I);
  TRestore<bool> Flag(Enumerating, true);
  for (const TLoadedModule& M : Loaded)
    if (!M.FileName.empty() && Modules->IndexOfHandle(M.Handle) < 0) AddModuleRecord(M.Handle);
  Modules->SortByHandle();
}

bool IsTarvikLogFile(const std::string& FileName) {
  TraceEntry("IsTarvikLogModule", {FileName}, 2);
  bool Result = false;
  if (auto File = OpenModuleFile(FileName)) {
    try {
      if (const TElfFile::TSection* S = File->FindSection(TarvikDataSection)) {
        std::vector<uint8_t> Head = File->SectionBytes(*S, 4);
        Result = Head.size() == 4 && TByteReader(Head.data(), 4).U32(0) == TarvikDataMagic;
      }
    } catch (const EReadError&) {
    }
  }
  TraceEntry("IsTarvikLogModule=", {Result}, -2);
  return Result;
}

bool IsTarvikLogFile_Old(const std::string& FileName) {
  TraceEntry("IsTarvikLogModule_Old", {FileName}, 2);
  bool Result = false;
  try {
    std::vector<uint8_t> End = FileTail(FileName, 4);
    Result = End.size() == 4 && TByteReader(End.data(), 4).U32(0) == TarvikDataMagic;
  } catch (const EStreamError&) {
  }
  TraceEntry("IsTarvikLogModule_Old=", {Result}, -2);
  return Result;
}

bool IsTarvikLogModule(TModuleHandle Handle) { return IsTarvikLogFile(ModuleFileName(Handle)); }

bool IsTarvikLogModule_Old(TModuleHandle Handle) {
  std::string FileName = ModuleFileName(Handle);
  return !FileName.empty() && IsTarvikLogFile_Old(FileName);
}

bool LoadDebugInformation(TTarvikModuleInfo& M) {
  TraceEntry("LoadDebugInformation", {M.FileName}, 2);
  bool Result = false;
  try {
    try {
      std::optional<TTarvikDataBlock> Block;
      if (IsTarvikLogFile(M.FileName)) {
        if (auto File = OpenModuleFile(M.FileName)) Block = ReadSectionBlock(*File);
      } else if (IsTarvikLogFile_Old(M.FileName)) {
        Block = ReadAppendedBlock(M.FileName);
      }
      if (Block) {
        ReadReporterPayload(M, std::move(*Block));
        Result = true;
      }
    } catch (const EReadError& E) {
      throw EReadError(Format(TarvikText::DamagedDebugData, {M.FileName, Inner(E)}));
    }
  } catch (...) {
    ReportInternalError("LoadDebugInformation");
    M.DebugData.reset();
    Result = false;
  }
  // Options that another copy of the reporter in this process published at run time win.
  if (Result && M.Handle != 0 && M.Handle != ReporterModuleHandle()) LoadPublishedOptions(*M.Options, ProcessId(), M.Handle);
  if (!Result) {
    M.DataVersion = TarvikLogDataVersion;
    M.DataStamp = 0;
  }
  TraceEntry("LoadDebugInformation=", {Result}, -2);
  return Result;
}

bool FindLineInfo(TTarvikModuleInfo& M, uintptr_t Address, TTarvikDebugInfo& D) {
  if (!M.DebugData || Address < M.Handle + DebugCodeBase) return false;
  TDebugLineInfo Line;
  try {
    try {
      if (!M.DebugData->FindLine(Address - M.Handle - DebugCodeBase, Line)) return false;
    } catch (const EReadError& E) {
      throw EReadError(Format(TarvikText::DamagedDebugData, {M.FileName, Inner(E)}));
    }
  } catch (const EReadError&) {
    ReportInternalError("GetDebugInfo");
    M.DebugData.reset();  // reports go on without line numbers for this module
    return false;
  }
  D.Kind = dkDebugData;
  D.Module = &M;
  D.Address = Address;
  D.UnitName = std::move(Line.UnitName);
  D.ClassName = std::move(Line.ClassName);
  D.ProcedureName = std::move(Line.ProcedureName);
  D.Line = Line.Line;
  return true;
}

bool FindLineInfo(uintptr_t Address, TTarvikDebugInfo& D) {
  if (!Modules) return false;
  std::lock_guard<std::recursive_mutex> L(Modules->Lock());
  TTarvikModuleInfo* M = FindModuleRecordOf(Address);
  return M && FindLineInfo(*M, Address, D);
}

void GetDebugInfo(uintptr_t Address, TTarvikDebugInfo& D) {
  std::unique_lock<std::recursive_mutex> L;
  if (Modules) L = std::unique_lock<std::recursive_mutex>(Modules->Lock());
  if (FindLineInfo(Address, D)) return;
  D = TTarvikDebugInfo();
  D.Address = Address;
  TTarvikModuleInfo* M = FindModuleRecordOf(Address);
  if (!M) return;
  D.Kind = dkModule;
  D.Module = M;
  int I = M->Functions.IndexOfAddress(Address);
  if (I >= 0) ParseExportName(DemangleSymbolName(M->Functions.Name(I)), D);
}

TTarvikStackFrame ResolveStackFrame(uintptr_t Address) {
  TTarvikDebugInfo D;
  GetDebugInfo(Address, D);
  return StackFrameOf(D);
}

void ParseExportName(const std::string& Name, TTarvikDebugInfo& D) {
  std::string N = Name;
  // A mangled name of the form "@Unit@Class@Method$parameters".
  if (N.size() > 1 && N[0] == '@' && N[1] != '$' && N.find('$') != std::string::npos) {
    N.erase(N.find('$'));
    if (!N.empty() && N.back() == '@') N.pop_back();
    N.erase(0, 1);
    if (size_t Pair = N.find("@@"); Pair != std::string::npos) N[Pair + 1] = '_';
    for (size_t I = 0; I < N.size(); ++I)
      if (N[I] == '@') N[I++] = '.';  // the character after a replaced one is kept as it is
    SplitDottedName(N, D);
  }
  if (!N.empty() && N[0] != '@' && N.find('.') != std::string::npos) {
    if (size_t At = N.find('@'); At != std::string::npos) N.erase(At);
    SplitDottedName(N, D);
  }
  if (N.find('.') == std::string::npos && (N.empty() || N[0] != '?')) {
    D.UnitName.clear();
    D.ClassName.clear();
    D.ProcedureName = N;
    D.Kind = dkExportName;
  }
  if (!D.ProcedureName.empty() && D.ProcedureName[0] == '@') D.ProcedureName[0] = '_';
}

uintptr_t FindProcedureByName(const std::string& DottedName) {
  TTarvikModuleInfo* M = FindModuleRecord(ReporterModuleHandle());
  if (!M || !M->DebugData || M->DataVersion <= 404) return 0;
  try {
    std::optional<uint32_t> Offset = M->DebugData->FindProcedure(DottedName);
    return Offset ? M->Handle + DebugCodeBase + *Offset : 0;
  } catch (const EReadError&) {
    ReportInternalError("FindProcedureByName");
    return 0;
  }
}

std::string GetModuleDirectory(const TTarvikModuleInfo& M) {
  std::string Dir = ExtractFilePath(M.FileName);
  if (Dir.size() > 1 && Dir.back() == '/') Dir.pop_back();
  return Dir;
}

void GetFileVersionTexts(const std::string& FileName, std::string& Description, std::string& Version) {
  Description.clear();
  Version.clear();
  auto File = OpenModuleFile(FileName);
  if (!File) return;
  const TElfFile::TSection* S = File->FindSection(TarvikVersionSection);
  if (!S) return;
  std::vector<uint8_t> Bytes;
  try {
    Bytes = File->SectionBytes(*S, 64 * 1024);
  } catch (const EReadError&) {
    return;
  }
  // "Key=Value" lines.
  std::string Text(Bytes.begin(), Bytes.end());
  size_t From = 0;
  while (From < Text.size()) {
    size_t End = Text.find('\n', From);
    if (End == std::string::npos) End = Text.size();
    std::string Line = Text.substr(From, End - From);
    From = End + 1;
    size_t Eq = Line.find('=');
    if (Eq == std::string::npos) continue;
    std::string Key = Line.substr(0, Eq), Value = Line.substr(Eq + 1);
    if (Key == "FileDescription" && Value.size() > 1) Description = Value;
    if (Key == "FileVersion" && Value != "0.0.0.0") Version = Value;
  }
}

uint8_t GetModuleKind(TModuleHandle Handle) {
  uint8_t H[sizeof(Elf64_Ehdr)];
  if (Handle == 0 || SafeReadMemory(reinterpret_cast<const void*>(Handle), H, sizeof H) != sizeof H) return mkUnknown;
  if (H[0] != ELFMAG0 || H[1] != ELFMAG1 || H[2] != ELFMAG2 || H[3] != ELFMAG3) return mkUnknown;
  uint16_t Type = static_cast<uint16_t>(H[16] | H[17] << 8);
  if (Type == ET_EXEC || (Type == ET_DYN && Handle == MainModuleHandle())) return mkProgram;
  if (Type == ET_DYN) return mkLibrary;
  return mkUnknown;
}

uint64_t GetFileSize(const std::string& FileName) {
  struct stat St;
  if (FileName.empty() || ::stat(FileName.c_str(), &St) != 0) return 0;
  return static_cast<uint64_t>(St.st_size);
}

std::string DemangleSymbolName(const std::string& Name) {
  std::string R = Name;
  if (Name.size() > 2 && Name[0] == '_' && Name[1] == 'Z') {
    int Status = 0;
    std::unique_ptr<char, void (*)(void*)> D(abi::__cxa_demangle(Name.c_str(), nullptr, nullptr, &Status), std::free);
    if (Status == 0 && D) R = D.get();
  }
  // The compiler's copies of a function (".cold", ".isra.0", ".constprop.0") are the function.
  for (size_t Clone; (Clone = R.find(" [clone ")) != std::string::npos;) {
    size_t Close = R.find(']', Clone);
    R.erase(Clone, Close == std::string::npos ? std::string::npos : Close - Clone + 1);
  }
  return R;
}
