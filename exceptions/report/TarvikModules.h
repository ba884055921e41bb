#pragma once
// The reporter's records of the loaded modules (the program and its shared libraries) and the
// lookup of a code address to module, unit, class, procedure and line.
//
// A record holds the module's file facts, its exported functions and, when the module carries
// reporter data, its options and debug data. Records are made on the first lookup of an address
// in the module; RefreshModules adds bare records for every loaded module (completed when an
// address in one is looked up) and drops those of unloaded modules. The list has its own
// re-entrant lock; every function here takes it.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikStackFrame.h"
#include "exceptions/report/TarvikDebugData.h"
#include "platform/sys/Modules.h"

// One exported function: its name as exported (mangled), run-time address and size in bytes.
struct TTarvikFunctionInfo {
  std::string Name;
  uintptr_t Addr = 0;
  uint64_t Size = 0;
};

// A module's exported functions, sorted by address once filled. The names of a module's exports
// stay in its file's string table and are read when asked for: a big library exports tens of
// thousands of functions, and a report names a few.
class TTarvikFunctionsList {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TTarvikFunctionInfo Items(int Index) const;
  std::string Name(int Index) const;
  // A function with its name.
  void Add(const TTarvikFunctionInfo& Info);
  // A function whose name lies at NameOffset of the string table set by SetNameTable.
  void AddExport(uint32_t NameOffset, uintptr_t Addr, uint64_t Size);
  void SetNameTable(const std::string& FileName, uint64_t Offset, uint64_t Size);
  void Clear();
  void SortByAddress();
  // The function whose bytes hold Address (Addr <= Address < Addr + Size), the first of several
  // at one address; -1 when none does. The list must be sorted.
  int IndexOfAddress(uintptr_t Address) const;

private:
  struct TEntry {
    uintptr_t Addr;
    uint64_t Size;
    uint32_t Name;  // offset in FNames, or in the file's table when FromFile
    bool FromFile;
  };
  std::vector<TEntry> FItems;
  std::string FNames;
  std::string FTableFile;
  uint64_t FTableOffset = 0, FTableSize = 0;
};

struct TTarvikModuleInfo {
  TModuleHandle Handle = 0;
  std::string FileName;
  std::string Description;
  std::string Version;  // four dot-separated numbers, empty when unknown
  uint64_t Size = 0;    // of the file, in bytes
  TTarvikFunctionsList Functions;
  uint8_t Kind = mkUnknown;  // mkUnknown for a record added by RefreshModules and not completed
  uint16_t DataVersion = TarvikLogDataVersion;
  uint64_t DataStamp = 0;
  std::unique_ptr<TTarvikModuleOptionsEx> Options;
  std::unique_ptr<TTarvikDebugData> DebugData;  // null when the module carries no reporter data
};

class TTarvikModulesList {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TTarvikModuleInfo* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  int IndexOfHandle(TModuleHandle Handle) const;
  TTarvikModuleInfo* Add(std::unique_ptr<TTarvikModuleInfo> Record);
  // Frees the record with its functions, options and debug data.
  void Delete(int Index);
  void SortByHandle();
  std::recursive_mutex& Lock() { return FLock; }

private:
  std::vector<std::unique_ptr<TTarvikModuleInfo>> FItems;
  std::recursive_mutex FLock;
};

// One resolved code address (a call-stack entry). Kind is one of the dk kinds (TarvikStackFrame.h).
struct TTarvikDebugInfo {
  uint8_t Kind = dkAddress;
  TTarvikModuleInfo* Module = nullptr;  // null for dkAddress
  uintptr_t Address = 0;
  std::string UnitName, ClassName, ProcedureName;
  uint32_t Line = 0;  // 0 when unknown
};

// The frame of a code address: GetDebugInfo's answer as a value (the resolver of BuildCallStack).
TTarvikStackFrame ResolveStackFrame(uintptr_t Address);
// The frame of a resolved address.
inline TTarvikStackFrame StackFrameOf(const TTarvikDebugInfo& Info) {
  TTarvikStackFrame F;
  F.Kind = Info.Kind;
  F.Address = Info.Address;
  if (Info.Module) {
    F.Module = Info.Module->Handle;
    F.ModuleFileName = Info.Module->FileName;
    F.ModuleKind = Info.Module->Kind;
  }
  F.UnitName = Info.UnitName;
  F.ClassName = Info.ClassName;
  F.ProcedureName = Info.ProcedureName;
  F.Line = Info.Line;
  return F;
}

// The reporter's module list: made at start-up when the reporter is installed, null otherwise.
TTarvikModulesList* ReporterModules();
void CreateReporterModules();
void FreeReporterModules();
// True while RefreshModules adds its bare records.
bool EnumeratingModules();

// The record of a loaded module, made when needed; null for 0, a module that is not loaded, or
// while there is no module list.
TTarvikModuleInfo* FindModuleRecord(TModuleHandle Handle);
TTarvikModuleInfo* FindModuleRecordOf(uintptr_t Address);
bool AddModuleRecord(TModuleHandle Handle);
void RefreshModules();

// Reads the reporter data of the record's file into its options and debug data; true when there
// was data and it could be read. Damaged data is an internal error, and the module then counts as
// having none.
bool LoadDebugInformation(TTarvikModuleInfo& Record);
// Reads a reporter data block's payload into the record: its options, then its debug data,
// DataVersion and DataStamp. Raises EReadError when the payload is damaged.
void ReadReporterPayload(TTarvikModuleInfo& Record, TTarvikDataBlock Block);
// Whether the module's file carries reporter data as a section / appended to its end.
bool IsTarvikLogModule(TModuleHandle Handle);
bool IsTarvikLogModule_Old(TModuleHandle Handle);
bool IsTarvikLogFile(const std::string& FileName);
bool IsTarvikLogFile_Old(const std::string& FileName);

// Resolves Address: from the debug data of its module (dkDebugData), else from the module's
// exported functions, else to its module or to nothing.
void GetDebugInfo(uintptr_t Address, TTarvikDebugInfo& Info);
// The debug-data part of GetDebugInfo; false when the address is in no module with debug data or
// no unit covers it. Damaged line data is an internal error, after which the module's debug data
// is dropped (its addresses resolve through exports from then on).
bool FindLineInfo(uintptr_t Address, TTarvikDebugInfo& Info);
bool FindLineInfo(TTarvikModuleInfo& Record, uintptr_t Address, TTarvikDebugInfo& Info);
// Fills unit, class and procedure from an exported name (kind dkExportName or dkExportSplit).
void ParseExportName(const std::string& Name, TTarvikDebugInfo& Info);
// The address of a procedure of the reporter's own module from its name index; 0 when none.
uintptr_t FindProcedureByName(const std::string& DottedName);

// The folder of the record's file without its last "/" ("/" itself for the root).
std::string GetModuleDirectory(const TTarvikModuleInfo& Record);
// The description and version that the build step gave the file; both empty when it gave none.
void GetFileVersionTexts(const std::string& FileName, std::string& Description, std::string& Version);
uint8_t GetModuleKind(TModuleHandle Handle);
uint64_t GetFileSize(const std::string& FileName);
// A demangled exported name, without the compiler's clone suffixes (" [clone .cold]"). GetDebugInfo
// demangles the name it found.
std::string DemangleSymbolName(const std::string& Name);
