#pragma once
// One entry of a reported call stack, as the report, the dialog and the mail show it. A frame is a
// value: it names its module by handle and file, so it stays valid when the module list changes
// or the module is unloaded before the report is written.
#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/TarvikModules.h"

struct TTarvikStackFrame {
  uint8_t Kind = dkAddress;  // how much is known: dkAddress .. dkDebugData (TarvikModules.h)
  uintptr_t Address = 0;
  TModuleHandle Module = 0;  // 0 when the address is in no module
  std::string ModuleFileName;  // full path; empty when the address is in no module
  uint8_t ModuleKind = mkUnknown;
  std::string UnitName, ClassName, ProcedureName;
  uint32_t Line = 0;  // 0 when unknown

  // Kinds that name a procedure (from exports or debug data).
  bool NamesProcedure() const { return Kind == dkExportName || Kind == dkExportSplit || Kind == dkDebugData; }
};

// The call stack, innermost frame first.
using TTarvikStackList = std::vector<TTarvikStackFrame>;

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
