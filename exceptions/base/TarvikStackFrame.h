#pragma once
// An exception's frames and registers as values: what the capture records (raw frames, registers,
// the thrown object) and one entry of a reported call stack, as the report, the dialog and the
// mail show it. The capture fills them, the report resolves and prints them, the delivery shows
// them; none of them needs the others' workings for that.
#include <cstdint>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/sys/Modules.h"

// One frame as the unwinder gave it: a return address (the call lies just before it), or, for the
// frame a fault interrupted, the exact address of the faulting instruction.
struct TTarvikRawFrame {
  uintptr_t Address = 0;
  bool ReturnAddress = true;
};

// The registers of the thread at an exception (x86-64). A raise gives the callee-saved registers
// of the throwing frame, its stack pointer, the call site and the thrown object (in Rax); a fault
// gives every register. Valid says which.
struct TTarvikContext {
  uint64_t Rax = 0, Rbx = 0, Rcx = 0, Rdx = 0, Rsi = 0, Rdi = 0, Rbp = 0, Rsp = 0;
  uint64_t R8 = 0, R9 = 0, R10 = 0, R11 = 0, R12 = 0, R13 = 0, R14 = 0, R15 = 0;
  uint64_t Rip = 0, EFlags = 0;
  enum : uint8_t { None = 0, Raise = 1, Full = 2 } Valid = None;
};

// A fixed-size record of frames, innermost first, so that a crash handler can fill it.
struct TTarvikRawStack {
  static constexpr int Capacity = 128;
  int Count = 0;
  TTarvikRawFrame Frames[Capacity];
  void Add(uintptr_t Address, bool ReturnAddress) {
    if (Count < Capacity) Frames[Count++] = {Address, ReturnAddress};
  }
};

// The C++ thrown object and its type for an exception being raised (a dependent exception of
// std::rethrow_exception gives its primary's); nulls for a foreign exception.
struct TThrownObject {
  void* Object = nullptr;
  const std::type_info* Type = nullptr;
};

// Module kinds.
constexpr uint8_t mkUnknown = 0, mkProgram = 1, mkPackage = 2, mkLibrary = 3;

// Kinds of a resolved address, from the least to the most known.
constexpr uint8_t dkAddress = 0, dkModule = 1, dkExportName = 2, dkExportSplit = 3, dkDebugData = 4;

// One entry of a reported call stack. A frame is a value: it names its module by handle and file,
// so it stays valid when the module list changes or the module is unloaded before the report is
// written.
struct TTarvikStackFrame {
  uint8_t Kind = dkAddress;  // how much is known: dkAddress .. dkDebugData
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
