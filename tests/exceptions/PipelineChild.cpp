// The helper program of the pipeline tests: one scenario per run, the first argument names it,
// the second is the log file the reporter writes. It is a console program unless the scenario
// says otherwise; "dialog" scenarios pretend to have windows and answer the dialog through a hook
// that prints "dialog <report count>" and asks to terminate from report TERMINATE_AT on.
//   uncaught LOG           an exception leaves main
//   handled LOG [all]      an exception is caught (with "all": handled ones are reported too)
//   duplicate LOG          the same handled exception twice, duplicates skipped
//   terminate LOG          handled exceptions reported one after another until the user terminates
//   restart LOG MARKER     the user restarts; the new copy writes its start directory, arguments,
//                          process group and whether it got a descriptor to MARKER and ends
//   threads LOG            two threads throw at the same moment (handled exceptions reported)
//   thread-leaves LOG      an exception leaves a std::thread
//   fault LOG              a segmentation fault (the report asks to go on: the program still ends)
//   dlopen-fault LOG       the same in a library's constructor, inside dlopen
//   console-mail LOG [quiet]  an uncaught exception in a console program that mails its reports
//                          (a hook prints "mailed"); with "quiet" it shows no report
//   slow-dialog LOG        an uncaught exception whose dialog waits for a line on standard input;
//                          the reproduce request then gives two steps
//   fault-once LOG         a segmentation fault with duplicates skipped; prints where Segv is
//   open-missing LOG FILE  opening a file that does not exist
//   notify-clears LOG      an exception-notify handler clears ContinueProcessing
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "exceptions/ExceptionLog.h"
#include "exceptions/TarvikPipeline.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/deliver/TarvikPipelineHooks.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"

namespace {
void Line(const char* Procedure, int N) {
  std::printf("line %s %d\n", Procedure, N);
  std::fflush(stdout);
}

[[gnu::noinline]] void ThrowDeep(const std::string& Message) {
  Line("ThrowDeep", __LINE__ + 1);
  throw EConvertError(Message);
}

[[gnu::noinline]] void CallsThrowDeep(const std::string& Message = "Valor inválido <b>&") {
  Line("CallsThrowDeep", __LINE__ + 1);
  ThrowDeep(Message);
}

[[gnu::noinline]] void Segv() {
  Line("Segv", __LINE__ + 1);
  *reinterpret_cast<volatile int*>(16) = 1;
}

[[gnu::noinline]] void OpenReport(const std::string& FileName) {
  Line("OpenReport", __LINE__ + 1);
  TFileStream Stream(FileName, fmOpenRead);
}

// The user's answer in a program with windows: terminate (or restart) once the report count
// reaches TerminateAt.
void AnswerDialogs(int TerminateAt) {
  SetIsConsole(false);
  SetShowDialog([TerminateAt](const TExceptionDialogRequest& R) {
    std::printf("dialog %d\n", R.ReportCount);
    std::fflush(stdout);
    TExceptionDialogResult D;
    D.TerminateRequested = R.ReportCount >= TerminateAt;
    return D;
  });
}

// A dialog the user takes time over: it says "dialog" and waits for a line on standard input; the
// reproduce request then answers with two steps.
void AnswerDialogsFromInput() {
  SetIsConsole(false);
  SetShowDialog([](const TExceptionDialogRequest&) {
    std::puts("dialog");
    std::fflush(stdout);
    char Line[64];
    if (!std::fgets(Line, sizeof Line, stdin)) std::_Exit(4);
    return TExceptionDialogResult();
  });
  SetShowRequestDialog([](const TTarvikModuleOptions&) { return std::string("passo 1\npasso 2"); });
}

// The descriptor the first copy leaves open on purpose (without close-on-exec).
constexpr int LeftOpen = 100;
}  // namespace

int main(int argc, char** argv) {
  std::string Mode = argc > 1 ? argv[1] : "";
  std::string Log = argc > 2 ? argv[2] : "";
  if (Mode == "restart" && argc > 3 && FileExists(argv[3] + std::string(".run"))) {
    // The new copy: where and how it was started.
    char Dir[4096];
    std::string Text = std::string("dir=") + (::getcwd(Dir, sizeof Dir) ? Dir : "") + "\nargs=";
    for (int I = 1; I < argc; ++I) Text += argv[I] + std::string(I + 1 < argc ? " " : "");
    Text += "\npgroup=" + std::to_string(::getpgrp() == ::getpid()) + "\ninherited=" + std::to_string(::fcntl(LeftOpen, F_GETFD) != -1) + "\n";
    std::ofstream(argv[3]) << Text;
    return 0;
  }
  InitializeExceptions();
  TTarvikModuleOptionsEx& O = CurrentTarvikLogOptions();
  O.SetOutputPath(Log);
  if (Mode == "uncaught") {
    CallsThrowDeep();
  } else if (Mode == "handled") {
    if (argc > 3) SetReportHandledExceptions(true);
    try {
      CallsThrowDeep();
    } catch (const EConvertError&) {
      std::puts("caught");
    }
  } else if (Mode == "duplicate") {
    SetReportHandledExceptions(true);
    O.SetLogFlags(lfSkipDuplicateReports);
    for (int I = 0; I < 2; ++I) try {
        CallsThrowDeep();
      } catch (const EConvertError&) {
      }
    std::printf("reports=%d\n", ReportCount());
  } else if (Mode == "terminate") {
    SetReportHandledExceptions(true);
    O.SetTerminateAction(0);
    AnswerDialogs(O.TerminateButtonErrorCount() + 1);
    for (int I = 1; I <= 10; ++I) try {
        CallsThrowDeep("Falha " + std::to_string(I));
      } catch (const EConvertError&) {
        std::printf("caught %d\n", I);
        std::fflush(stdout);
      }
  } else if (Mode == "restart" && argc > 3) {
    std::ofstream(argv[3] + std::string(".run")) << "1";
    // The restart goes back to the directory the program started in, and takes no descriptor.
    if (::chdir("/") != 0) return 4;
    if (::dup2(STDERR_FILENO, LeftOpen) != LeftOpen) return 5;
    AnswerDialogs(1);
    CallsThrowDeep();
  } else if (Mode == "threads") {
    std::atomic<int> Inside{0}, Overlaps{0}, Ready{0};
    SetExceptionNotify([&](TTarvikExceptionRecord&, bool&) {
      if (Inside.fetch_add(1) != 0) ++Overlaps;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      Inside.fetch_sub(1);
    });
    // Caught in the thread and reported as handled: an exception leaving a thread would end the
    // program after its report.
    SetReportHandledExceptions(true);
    auto Body = [&](int N) {
      ++Ready;
      while (Ready.load() < 2) {
      }
      try {
        CallsThrowDeep("Thread " + std::to_string(N));
      } catch (const EConvertError&) {
      }
    };
    std::thread A(Body, 1), B(Body, 2);
    A.join();
    B.join();
    std::printf("reports=%d overlaps=%d\n", ReportCount(), Overlaps.load());
  } else if (Mode == "thread-leaves") {
    std::thread([] { CallsThrowDeep("Thread"); }).join();
    std::puts("joined");
  } else if (Mode == "fault") {
    AnswerDialogs(1000);
    Segv();
    std::puts("went on");
  } else if (Mode == "console-mail") {
    O.SetMailSendMode(msMailClient);
    O.SetMailRecipients("suporte@exemplo.com.br");
    if (argc > 3) O.SetShowExceptionDialog(false);
    SetSendReportByMail([](const TMailRequest&) {
      std::puts("mailed");
      std::fflush(stdout);
      return true;
    });
    CallsThrowDeep();
  } else if (Mode == "slow-dialog") {
    O.SetLogFlags(lfAskReproduceText);
    AnswerDialogsFromInput();
    CallsThrowDeep();
  } else if (Mode == "fault-once") {
    O.SetLogFlags(lfSkipDuplicateReports);
    std::printf("at %p\n", reinterpret_cast<void*>(&Segv));
    std::fflush(stdout);
    Segv();
  } else if (Mode == "dlopen-fault") {
    AnswerDialogs(1000);
    setenv("MOR_CTOR_FAULT", "1", 1);
    dlopen(MOR_CTOR_FAULT, RTLD_NOW);
    std::puts("went on");
  } else if (Mode == "open-missing" && argc > 3) {
    OpenReport(argv[3]);
  } else if (Mode == "notify-clears") {
    SetReportHandledExceptions(true);
    SetExceptionNotify([](TTarvikExceptionRecord& R, bool& Continue) {
      std::printf("notified %d\n", !R.LogText.empty());
      Continue = false;
    });
    try {
      CallsThrowDeep();
    } catch (const EConvertError&) {
    }
    std::printf("reports=%d\n", ReportCount());
  } else {
    return 3;
  }
  std::fflush(stdout);
  FinalizeExceptions();
  return 0;
}
