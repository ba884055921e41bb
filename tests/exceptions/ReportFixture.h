#pragma once
// A report made of fixed values, the same on every machine: the record of one exception with its
// registers, stack and call stack, and the sources of a program on a described machine with a
// small memory of its own (the stack and the code at the exception). Tests, the benchmark and the
// fuzz targets build on it.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "exceptions/report/TarvikReport.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/SysUtils.h"

inline constexpr uintptr_t FixedProgramBase = 0x55D0C0DE0000;
inline constexpr uintptr_t FixedExceptionAddress = 0x55D0C0DE1234;
inline constexpr uintptr_t FixedStackPointer = 0x7FFC0000A000;

// Memory at two places: 16 stack slots counting up from 0x1000, and 256 bytes of code 0..255.
inline size_t FixedMemoryRead(uintptr_t Address, void* Buffer, size_t Count) {
  uint8_t* Out = static_cast<uint8_t*>(Buffer);
  for (size_t I = 0; I < Count; ++I) {
    uintptr_t A = Address + I;
    if (A >= FixedStackPointer && A < FixedStackPointer + 128) {
      size_t Offset = A - FixedStackPointer;
      uint64_t Slot = 0x1000 + Offset / 8;
      Out[I] = static_cast<uint8_t>(Slot >> (8 * (Offset % 8)));
    } else if (A >= FixedExceptionAddress && A < FixedExceptionAddress + 256) {
      Out[I] = static_cast<uint8_t>(A - FixedExceptionAddress);
    } else {
      return I;
    }
  }
  return Count;
}

inline TReportModule FixedModule(int Index) {
  switch (Index) {
    case 0: return {FixedProgramBase, "/opt/mivo/bin/mivo-viewer", "Mivo Open Report", "0.1.0.0", 2345678};
    case 1: return {0x7F3A10000000, "/opt/mivo/lib/libmivoreport.so", "Band report library", "0.1.0.0", 8123456};
    case 2: return {0x7F3A20000000, "/usr/lib/x86_64-linux-gnu/libc.so.6", "", "", 1922136};
    default:
      return {0x7F3B00000000 + static_cast<uintptr_t>(Index) * 0x100000,
              "/usr/lib/x86_64-linux-gnu/libsample" + std::to_string(Index) + ".so.1", "", "", 40960u + static_cast<uint64_t>(Index)};
  }
}

inline TReportSources FixedSources(int ModuleCount = 3) {
  TReportSources S;
  S.StartTime = EncodeDate(2024, 3, 5) + EncodeTime(6, 59, 1, 0);
  S.ProgramFileName = "/opt/mivo/bin/mivo-viewer";
  S.ProgramDescription = "Mivo Open Report";
  S.ProgramVersion = "0.1.0.0";
  S.Parameters = {"/home/ana/relatório março.lxp", "DEBUG"};
  S.ComputerName = "estacao-07";
  S.UserName = "ana";
  S.TotalMemory = 17179869184ull;  // 16384 Mb
  S.FreeMemory = 2621440;          // 2.5 Mb: halves go to even
  S.TotalDisk = 250790436864ull;   // 233.57 Gb
  S.FreeDisk = 107374182400ull;    // 100 Gb
  S.OsType = "Debian GNU/Linux 12 (bookworm)";
  S.OsBuild = "6.1.0-18-amd64";
  S.OsUpdate = " #1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01) ";
  S.Language = "Portuguese (Brazil)";
  S.ExceptionModule = "/opt/mivo/bin/mivo-viewer";
  for (int I = 0; I < ModuleCount; ++I) S.Modules.push_back(FixedModule(I));
  S.ReadMemory = FixedMemoryRead;
  return S;
}

inline TTarvikStackFrame FixedFrame(uint8_t Kind, uintptr_t Address, const std::string& Module, const std::string& Unit,
                                    const std::string& Class, const std::string& Procedure, uint32_t Line) {
  TTarvikStackFrame F;
  F.Kind = Kind;
  F.Address = Address;
  F.ModuleFileName = Module;
  F.UnitName = Unit;
  F.ClassName = Class;
  F.ProcedureName = Procedure;
  F.Line = Line;
  return F;
}

// Frames of each kind: debug data, an export's signature, a bare module address (listed with its module),
// debug data without a line.
inline TTarvikStackList FixedStack(int ExtraFrames = 0) {
  TTarvikStackList S = {
      FixedFrame(dkDebugData, FixedExceptionAddress, "/opt/mivo/bin/mivo-viewer", "app/Visualizar.cpp",
                 "app::TVisualizars", "AbrirArquivo", 212),
      FixedFrame(dkExportName, 0x7F3A10004321, "/opt/mivo/lib/libmivoreport.so", "", "",
                 "TLXPrinter::Load(std::string const&)", 0),
      FixedFrame(dkModule, 0x7F3A20001111, "/usr/lib/x86_64-linux-gnu/libc.so.6", "", "", "", 0),
      FixedFrame(dkDebugData, FixedProgramBase + 0x2040, "/opt/mivo/bin/mivo-viewer", "app/Main.cpp", "", "main", 0),
  };
  for (int I = 0; I < ExtraFrames; ++I)
    S.insert(S.begin() + 1, FixedFrame(dkDebugData, FixedProgramBase + 0x3000 + static_cast<uintptr_t>(I) * 0x40,
                                       "/opt/mivo/lib/libmivoreport.so", "lxreport/LXPrntr.cpp", "TLXPrinter",
                                       "PrintPage" + std::to_string(I), 100u + static_cast<uint32_t>(I)));
  return S;
}

inline TTarvikContext FixedContext() {
  TTarvikContext C;
  uint64_t* Regs[] = {&C.Rax, &C.Rbx, &C.Rcx, &C.Rdx, &C.Rsi, &C.Rdi, &C.Rbp, &C.Rsp, &C.R8,
                      &C.R9,  &C.R10, &C.R11, &C.R12, &C.R13, &C.R14, &C.R15};
  for (size_t I = 0; I < std::size(Regs); ++I) *Regs[I] = 0x1111111111111111ull * ((I % 15) + 1);
  C.Rsp = FixedStackPointer;
  C.Rip = FixedExceptionAddress;
  C.EFlags = 0x10246;
  C.Valid = TTarvikContext::Full;
  return C;
}

inline TTarvikNotifyRecord FixedRecord(int ExtraFrames = 0) {
  TTarvikNotifyRecord R;
  R.SetException(std::make_exception_ptr(EConvertError("Valor 'abc' inválido\r\nna linha 2")));
  R.ExceptionAddress = FixedExceptionAddress;
  R.CaptureTime = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 0);
  R.Context = FixedContext();
  R.StackPointer = FixedStackPointer;
  R.CallStack = FixedStack(ExtraFrames);
  R.ActiveWindowClass = "TMains";
  R.ActiveWindowText = "Visualizador de Relatórios";
  R.ActiveControlClass = "TEdit";
  R.ActiveControlText = "abc\tdef";
  return R;
}

// The local zone set for one test through TZ (a POSIX rule or a zone name), restored afterwards.
class TZoneScope {
public:
  explicit TZoneScope(const char* Zone) {
    if (const char* Old = std::getenv("TZ")) FOld = Old, FHad = true;
    ::setenv("TZ", Zone, 1);
    ::tzset();
  }
  ~TZoneScope() {
    if (FHad) ::setenv("TZ", FOld.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }
  TZoneScope(const TZoneScope&) = delete;
  TZoneScope& operator=(const TZoneScope&) = delete;

private:
  std::string FOld;
  bool FHad = false;
};
