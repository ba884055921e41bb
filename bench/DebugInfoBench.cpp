// Resolves 30 return addresses of real call stacks of the band report library (an expression
// evaluation that reaches a data field, a print job's end, a preview request) to module, unit,
// procedure and line, as the exception reporter does for a report: the first time (module
// records, reporter data read and inflated) and again. For comparison, a general-purpose resolver
// over libdw (libdwfl) does the same from the program's DWARF. Prints milliseconds (median).
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <execinfo.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "exceptions/report/TarvikModules.h"
#include "lxreport/LXDataAccess.h"
#include "lxreport/LXEvaluator.h"
#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/printing/PrinterList.h"
#include "platform/printing/VirtualPrinter.h"
#include "platform/sys/SysInit.h"

namespace {
constexpr int Frames = 30;
constexpr int Runs = 25;
std::vector<uintptr_t> Captured;

// The return addresses of the caller's stack, each less one (inside its call, as a stack walk
// reports it).
std::vector<uintptr_t> Backtrace() {
  void* Stack[64];
  int N = ::backtrace(Stack, 64);
  std::vector<uintptr_t> R;
  for (int I = 0; I < N; ++I) R.push_back(reinterpret_cast<uintptr_t>(Stack[I]) - 1);
  return R;
}

// A field that notes the call stack the first time the evaluator reads it.
struct TCapturingField : TLXFieldAccess {
  std::string FieldName() const override { return "PRICE"; }
  TLXFieldKind Kind() const override { return TLXFieldKind::fkFloat; }
  bool IsNull() const override { return false; }
  std::string AsString() const override { return {}; }
  int32_t AsInteger() const override { return 1; }
  double AsFloat() const override {
    if (Captured.empty()) Captured = Backtrace();
    return 2.5;
  }
  bool AsBoolean() const override { return false; }
  TDateTime AsDateTime() const override { return 0; }
  std::string DisplayText() const override { return {}; }
};

struct TBenchDataSet : TLXDataSetAccess {
  TCapturingField Price;
  std::string Name() const override { return "Items"; }
  int FieldCount() const override { return 1; }
  TLXFieldAccess* Fields(int I) const override { return I == 0 ? const_cast<TCapturingField*>(&Price) : nullptr; }
  bool DefaultFields() const override { return true; }
};

// Nested calls, so that the evaluation's own frames fill the stack.
std::string NestedExpression(int Depth) {
  std::string E = "PRICE";
  for (int I = 0; I < Depth; ++I) E = (I % 2 ? "FRAC(" : "INT(") + E + (I % 3 ? " + 1)" : ")");
  return E;
}

// Medians of several runs, in milliseconds: wall time, and this thread's processor time, which
// a machine busy with other work disturbs less.
struct TTimes {
  double Wall, Cpu;
};

double ThreadCpuMs() {
  timespec T;
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
  return T.tv_sec * 1e3 + T.tv_nsec / 1e6;
}

template <class F>
TTimes TimeMs(F Run) {
  std::vector<double> Wall, Cpu;
  for (int I = 0; I < Runs; ++I) {
    auto T0 = std::chrono::steady_clock::now();
    double C0 = ThreadCpuMs();
    Run();
    Cpu.push_back(ThreadCpuMs() - C0);
    Wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - T0).count());
  }
  std::sort(Wall.begin(), Wall.end());
  std::sort(Cpu.begin(), Cpu.end());
  return {Wall[Wall.size() / 2], Cpu[Cpu.size() / 2]};
}

struct TResolved {
  std::string Text;
  bool HasLine = false;
};

TResolved ResolveWithReporter(uintptr_t A) {
  TTarvikDebugInfo D;
  GetDebugInfo(A, D);
  std::string Where = D.Module ? D.Module->FileName.substr(D.Module->FileName.rfind('/') + 1) : "?";
  std::string Proc = D.ClassName.empty() ? D.ProcedureName : D.ClassName + "." + D.ProcedureName;
  return {Where + " " + D.UnitName + ":" + std::to_string(D.Line) + " " + Proc, D.Line != 0};
}

std::vector<TResolved> ResolveWithLibdw(const std::vector<uintptr_t>& Addresses) {
  static char* DebugInfoPath = nullptr;
  static const Dwfl_Callbacks Callbacks = {dwfl_linux_proc_find_elf, dwfl_standard_find_debuginfo, nullptr,
                                           &DebugInfoPath};
  std::vector<TResolved> R;
  std::unique_ptr<Dwfl, void (*)(Dwfl*)> Dw(dwfl_begin(&Callbacks), dwfl_end);
  dwfl_report_begin(Dw.get());
  dwfl_linux_proc_report(Dw.get(), ::getpid());
  dwfl_report_end(Dw.get(), nullptr, nullptr);
  for (uintptr_t A : Addresses) {
    TResolved X;
    Dwfl_Module* M = dwfl_addrmodule(Dw.get(), A);
    const char* Name = M ? dwfl_module_addrname(M, A) : nullptr;
    std::string Proc = Name ? Name : "";
    int Status = 0;
    if (char* D = Name ? abi::__cxa_demangle(Name, nullptr, nullptr, &Status) : nullptr) {
      Proc = D;
      std::free(D);
    }
    int Line = 0;
    const char* File = nullptr;
    if (Dwfl_Line* L = M ? dwfl_module_getsrc(M, A) : nullptr) File = dwfl_lineinfo(L, nullptr, &Line, nullptr, nullptr, nullptr);
    X.Text = std::string(File ? File : "?") + ":" + std::to_string(Line) + " " + Proc;
    X.HasLine = Line != 0;
    R.push_back(X);
  }
  return R;
}
}  // namespace

int main(int argc, char** argv) {
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  InitializeSys();
  TBenchDataSet DS;
  TLXDataSetList List{&DS};
  TLXEvaluator E;
  E.AssignDataSets(&List);
  E.Compile(NestedExpression(40));
  TLXEvValue V;
  E.CurrentValue(V);
  std::vector<uintptr_t> Evaluation = Captured, Printing, Previewing;

  SetSystemPrintersEnabled(false);
  InstallPrinter(std::make_shared<TVirtualPrinter>("Bench", TVirtualPrinterConfig()));
  {
    // A page printed straight to the printer: the job's end calls AfterPrint.
    TLXPrinter Direct;
    Direct.SetDestination(lxdPrinter);
    Direct.AfterPrint = [&](TLXPrinter*) { Printing = Backtrace(); };
    Direct.BeginDoc();
    Direct.NewPage();
    Direct.Canvas()->TextOut(Direct.XPos(100), Direct.YPos(100), "Relatório");
    Direct.EndDoc();
    // A stored page shown: the preview request.
    TLXPrinter Stored;
    Stored.BeginDoc();
    Stored.NewPage();
    Stored.EndDoc();
    LXPreviewInterface = [&](TLXPrinter*) { Previewing = Backtrace(); };
    Stored.Preview();
  }
  UninstallAllPrinters();
  // Each distinct frame once, then the evaluation's recursion as a deep stack repeats it.
  std::vector<uintptr_t> Distinct;
  for (const auto* Stack : {&Evaluation, &Printing, &Previewing})
    for (uintptr_t A : *Stack)
      if (std::find(Distinct.begin(), Distinct.end(), A) == Distinct.end()) Distinct.push_back(A);
  Captured = Distinct;
  for (size_t I = 0; Captured.size() < Frames && I < Evaluation.size(); ++I) Captured.push_back(Evaluation[I]);
  if (Captured.size() < Frames) {
    std::printf("only %zu frames captured (value %s)\n", Captured.size(), V.Text().c_str());
    return 1;
  }
  size_t DistinctCount = std::min<size_t>(Distinct.size(), Frames);
  Captured.resize(Frames);

  int WithLines = 0;
  TTimes Cold = TimeMs([&] {
    CreateReporterModules();
    WithLines = 0;
    for (uintptr_t A : Captured) WithLines += ResolveWithReporter(A).HasLine;
    FreeReporterModules();
  });
  CreateReporterModules();
  for (uintptr_t A : Captured) ResolveWithReporter(A);
  TTimes Warm = TimeMs([&] {
    for (uintptr_t A : Captured) ResolveWithReporter(A);
  });
  int LibdwLines = 0;
  TTimes Libdw = TimeMs([&] {
    LibdwLines = 0;
    for (const TResolved& R : ResolveWithLibdw(Captured)) LibdwLines += R.HasLine;
  });

  std::vector<TResolved> Other = ResolveWithLibdw(Captured);
  for (int I = 0; I < Frames; ++I)
    std::printf("%2d %-70s | %s\n", I, ResolveWithReporter(Captured[I]).Text.c_str(), Other[I].Text.c_str());
  std::printf("reporter, first time (module records, data read and inflated): %.2f ms (processor %.2f ms) "
              "for %d addresses, %zu distinct (%d with lines)\n",
              Cold.Wall, Cold.Cpu, Frames, DistinctCount, WithLines);
  std::printf("reporter, again: %.3f ms (processor %.3f ms)\n", Warm.Wall, Warm.Cpu);
  std::printf("libdw resolver (dwfl), first time: %.2f ms (processor %.2f ms) (%d with lines)\n", Libdw.Wall, Libdw.Cpu,
              LibdwLines);
  FreeReporterModules();
  return 0;
}
