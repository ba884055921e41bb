// The pipeline's scenarios in a program with windows (Qt's offscreen platform): the application's
// own exception handler and the freeze detector. The first argument names the scenario, the second
// is the log file. Dialogs print "dialog <report count>" and let the program go on.
//   event LOG [clears]   an event handler throws; with "clears" a notify handler keeps the report
//                        back, so the application shows its own message
//   freeze LOG           the main thread sleeps past the freeze time-out
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "exceptions/ExceptionLog.h"
#include "exceptions/TarvikPipeline.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/capture/TarvikFreeze.h"
#include "exceptions/deliver/TarvikPipelineHooks.h"
#include "platform/app/Application.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/forms/FormsApplication.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/DesktopHooks.h"

namespace {
void Line(const char* Procedure, int N) {
  std::printf("line %s %d\n", Procedure, N);
  std::fflush(stdout);
}

[[gnu::noinline]] void ThrowInHandler() {
  Line("ThrowInHandler", __LINE__ + 1);
  throw EConvertError("Falha no evento");
}

[[gnu::noinline]] void SleepsInMain() {
  Line("SleepsInMain", __LINE__ + 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(2600));
}

// Runs Call from the event loop, then ends the loop.
void RunInLoop(std::function<void()> Call) {
  DesktopHooks().PostToWindowThread([Call] {
    TFinally Stop([] { Application->Terminate(); });
    Call();
  });
  Application->Run();
}
}  // namespace

int main(int argc, char** argv) {
  std::string Mode = argc > 1 ? argv[1] : "";
  std::string Log = argc > 2 ? argv[2] : "";
  InitializeExceptions();
  CurrentTarvikLogOptions().SetOutputPath(Log);
  InitializeForms(0, nullptr, TDisplayMode::Offscreen);
  SetShowDialog([](const TExceptionDialogRequest& R) {
    std::printf("dialog %d\n", R.ReportCount);
    std::fflush(stdout);
    return TExceptionDialogResult{};
  });
  Application->OnException = [](TObject*, const Exception& E) {
    std::printf("own message: %s\n", E.Message().c_str());
    std::fflush(stdout);
  };
  if (Mode == "event") {
    if (argc > 3)
      SetExceptionNotify([](TTarvikExceptionRecord&, bool& Continue) { Continue = false; });
    RunInLoop(ThrowInHandler);
    std::printf("reports=%d\n", ReportCount());
  } else if (Mode == "freeze") {
    TTarvikModuleOptionsEx& O = CurrentTarvikLogOptions();
    O.SetFreezeTimeout(1);
    O.SetFreezeActive(true);
    RunInLoop(SleepsInMain);
    // The loop answers again: the freeze is over, and no second report comes.
    for (int I = 0; I < 30; ++I) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::printf("freezes=%d\n", FreezeReportCount());
    O.SetFreezeActive(false);
  } else {
    return 3;
  }
  std::fflush(stdout);
  FinalizeForms();
  FinalizeExceptions();
  return 0;
}
