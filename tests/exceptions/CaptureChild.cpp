// The helper program of the capture tests: one scenario per run, chosen by the first argument.
// Its sink prints each captured exception as one line:
//   captured kind=<raise|signal|terminate> main=<0|1> class=<name> message=<text> signal=<n>
//   fault=<hex> regs=<0|1|2> walk=<0|1> frames=<Procedure:line>...
// and the scenario prints "line <Procedure> <n>" for the lines the frames must name. With
// MOR_THROW_IN_STATIC set, a static initialiser throws before main.
#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "exceptions/ExceptionLog.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/capture/TarvikCapture.h"
#include "exceptions/capture/TarvikHooks.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/ImportSlots.h"

namespace {
void Sink(const TCapturedException& C) {
  static const char* Kinds[] = {"raise", "signal", "terminate"};
  TExceptionDescription D = DescribeCaptured(C);
  std::string Frames;
  for (const TTarvikStackFrame& F : BuildCallStack(C.ExceptionAddress, C.Stack)) {
    if (F.Kind != dkDebugData) continue;
    Frames += " " + (F.ClassName.empty() ? "" : F.ClassName + ".") + F.ProcedureName + ":" + std::to_string(F.Line);
  }
  std::printf("captured kind=%s main=%d class=%s message=%s signal=%d fault=%lx regs=%d walk=%d frames=%s\n",
              Kinds[static_cast<int>(C.Kind)], C.MainThread, D.ClassName.c_str(), D.Message.c_str(), C.Signal,
              static_cast<unsigned long>(C.FaultAddress), static_cast<int>(C.Context.Valid), C.WalkFaulted,
              Frames.c_str());
  std::fflush(stdout);
}

void Line(const char* Procedure, int N) {
  std::printf("line %s %d\n", Procedure, N);
  std::fflush(stdout);
}

struct A : std::runtime_error {
  A() : std::runtime_error("A") {}
};
struct B : std::runtime_error {
  B() : std::runtime_error("B") {}
};

[[gnu::noinline]] void ThrowDeep() {
  Line("ThrowDeep", __LINE__ + 1);
  throw EConvertError("Valor inválido");
}
[[gnu::noinline]] void CallsThrowDeep() {
  Line("CallsThrowDeep", __LINE__ + 1);
  ThrowDeep();
}

[[gnu::noinline]] int OutOfRange(const std::vector<int>& V) {
  Line("OutOfRange", __LINE__ + 1);
  return V.at(V.size());
}

[[gnu::noinline]] void Rethrows() {
  try {
    ThrowDeep();
  } catch (...) {
    Line("Rethrows", __LINE__ + 1);
    throw;
  }
}

[[gnu::noinline]] void OuterOverInner() {
  try {
    try {
      throw A();
    } catch (const B&) {
      std::puts("caught B");
    }
  } catch (const A&) {
    std::puts("caught A");
  }
}

[[gnu::noinline]] void InnerOnly() {
  try {
    throw A();
  } catch (const B&) {
    std::puts("caught B");
  }
}

[[gnu::noinline]] void Segv() {
  Line("Segv", __LINE__ + 1);
  *reinterpret_cast<volatile int*>(16) = 1;
}

[[gnu::noinline]] void Fpe() {
  int Zero = 0, R = 7;
  Line("Fpe", __LINE__ + 1);
  asm volatile("cltd\n\tidivl %1" : "+a"(R) : "r"(Zero) : "edx", "cc");
  std::printf("%d\n", R);
}

// The stack pointer (and the frame pointer) point at nothing when the fault happens.
[[gnu::noinline]] void BadStackPointer() {
  Line("BadStackPointer", __LINE__ + 1);
  asm volatile("mov $0x10, %%rsp\n\tmov $0x10, %%rbp\n\tpushq $0" ::: "memory");
}

// The frame pointer points at nothing: the stack pointer is sound, but the walk, which finds this
// frame's caller through the frame pointer, reads at a bad address.
[[gnu::noinline]] void BadFramePointer() {
  Line("BadFramePointer", __LINE__ + 1);
  asm volatile("mov $0x10, %%rbp\n\tmovl $1, 0x10" ::: "memory");
}

void* RawThread(void* What) {
  std::string W = static_cast<const char*>(What);
  if (W == "throw") CallsThrowDeep();
  if (W == "inner") InnerOnly();
  if (W == "nested") OuterOverInner();
  return nullptr;
}

void RunRawThread(const char* What) {
  pthread_t T;
  if (pthread_create(&T, nullptr, RawThread, const_cast<char*>(What)) != 0) return;
  pthread_join(T, nullptr);
}

// Static initialisation runs after the capture's early start: the phase flag is set here, and an
// exception raised here is captured (before the program's main could install anything).
const bool InitialisationRunningInStatic = InitialisationRunning();
const int ThrowsInStatic = std::getenv("MOR_THROW_IN_STATIC") ? (SetCaptureSink(Sink), ThrowDeep(), 1) : 0;

// A sink that asks the loader about the crash: inside dlopen it waits for the loader's lock for
// ever, so the crashed thread must stop waiting for it.
void LoaderSink(const TCapturedException& C) {
  Dl_info Info;
  dladdr(reinterpret_cast<void*>(C.ExceptionAddress), &Info);
  Sink(C);
}

std::string HookState() {
  TCaptureState S = CurrentCaptureState();
  return "raise=" + std::to_string(S.RaiseSlots) + " thread=" + std::to_string(S.ThreadSlots) +
         " signals=" + std::to_string(S.Signals) + " terminate=" + std::to_string(S.Terminate);
}
}  // namespace

int main(int argc, char** argv) {
  std::string Mode = argc > 1 ? argv[1] : "";
  InitializeExceptions();
  SetCaptureSink(Sink);
  if (Mode == "phases") {
    std::printf("static=%d main=%d\n", InitialisationRunningInStatic, InitialisationRunning());
  } else if (Mode == "caught") {
    try {
      CallsThrowDeep();
    } catch (const EConvertError&) {
      std::puts("caught");
    }
  } else if (Mode == "main") {
    CallsThrowDeep();
  } else if (Mode == "std-thread") {
    std::thread([] { CallsThrowDeep(); }).join();
    std::puts("joined");
  } else if (Mode == "raw-thread") {
    RunRawThread("throw");
    std::puts("joined");
  } else if (Mode == "vector-at") {
    std::vector<int> V{1, 2, 3};
    OutOfRange(V);
  } else if (Mode == "rethrow") {
    Rethrows();
  } else if (Mode == "rethrow-ptr") {
    std::exception_ptr P;
    std::thread([&P] {
      try {
        ThrowDeep();
      } catch (...) {
        P = std::current_exception();
      }
    }).join();
    std::puts("stored");
    std::fflush(stdout);
    std::rethrow_exception(P);
  } else if (Mode == "nested-thread") {
    RunRawThread("nested");
    RunRawThread("inner");
    std::puts("joined");
  } else if (Mode == "segv") {
    Segv();
  } else if (Mode == "fpe") {
    Fpe();
  } else if (Mode == "dlopen-fault" || Mode == "dlopen-stall") {
    if (Mode == "dlopen-stall") {
      SetCaptureSink(LoaderSink);
      SetCrashStallTimeoutMs(1000);
      if (argc > 2) {
        TTarvikModuleOptionsEx& O = CurrentTarvikLogOptions();
        O.SetOutputPath(argv[2]);
      }
    }
    setenv("MOR_CTOR_FAULT", "1", 1);
    void* Library = dlopen(MOR_CTOR_FAULT, RTLD_NOW);
    std::printf("loaded %d\n", Library != nullptr);
  } else if (Mode == "bad-sp") {
    BadStackPointer();
  } else if (Mode == "bad-fp") {
    BadFramePointer();
  } else if (Mode == "abort") {
    std::abort();
  } else if (Mode == "raise") {
    raise(SIGSEGV);
  } else if (Mode == "wait-kill") {
    // Not through stdio: a signal that comes while the stream's lock is held would hold up the
    // sink's own printing.
    if (::write(STDOUT_FILENO, "waiting\n", 8) != 8) return 3;
    for (;;) pause();
  } else if (Mode == "hooks") {
    std::puts(HookState().c_str());
    std::fflush(stdout);
    FinalizeExceptions();
    std::puts(HookState().c_str());
    return 0;
  } else {
    return 3;
  }
  std::fflush(stdout);
  FinalizeExceptions();
  return 0;
}
