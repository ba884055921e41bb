#include "exceptions/deliver/TarvikPipelineHooks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/sys/Process.h"

TEST(TarvikPipelineHooks, DefaultsDoWithoutUserInterface) {
  TTarvikModuleOptions Options("", 0);
  Options.SetAttachScreenshot(true);
  TTarvikReport Report;
  Report.Text = "report";
  std::vector<std::string> Lines;
  TDebugOutputHook Saved = SetDebugOutputHook([&](std::string_view T) { Lines.emplace_back(T); });
  TExceptionDialogRequest R;
  R.Report = &Report;
  R.ErrorMessageText = "Falhou.";
  R.SendMailChecked = true;
  TExceptionDialogResult D = ShowDialog(R);
  SetDebugOutputHook(Saved);
  EXPECT_TRUE(D.SendMailChecked);
  EXPECT_FALSE(D.AttachScreenshotChecked || D.CopyToClipboardChecked || D.TerminateRequested);
  EXPECT_EQ(Lines, (std::vector<std::string>{"Falhou.", "report"}));
  EXPECT_EQ(ShowRequestDialog(Options), "");
  EXPECT_FALSE(SendReportByMail({}));
  // Each report gets its own private folder for the picture, removed with it.
  std::string Shot = GetScreenshotPath(Options), Other = GetScreenshotPath(Options);
  EXPECT_EQ(ExtractFileName(Shot), "Screenshot.png");
  EXPECT_NE(ExtractFilePath(Shot), ExtractFilePath(Other));
  struct stat Folder {};
  ASSERT_EQ(::stat(ExtractFilePath(Shot).c_str(), &Folder), 0);
  EXPECT_EQ(Folder.st_mode & 0777, 0700u);
  DeleteScreenshot(Shot);
  DeleteScreenshot(Other);
  EXPECT_NE(::stat(ExtractFilePath(Shot).c_str(), &Folder), 0);
  Options.SetAttachScreenshot(false);
  EXPECT_EQ(GetScreenshotPath(Options), "");

  // An installed hook replaces the default until it is removed.
  TShowDialog Previous = SetShowDialog([](const TExceptionDialogRequest&) {
    TExceptionDialogResult Result;
    Result.TerminateRequested = true;
    return Result;
  });
  EXPECT_FALSE(Previous);
  EXPECT_TRUE(ShowDialog(R).TerminateRequested);
  SetShowDialog(nullptr);
  EXPECT_FALSE(ShowDialog(R).TerminateRequested);
}

TEST(TarvikPipelineHooks, ReproduceRequestWanted) {
  SetIsConsole(false);
  TTarvikModuleOptions O("", 0);
  TTarvikReport Report;
  EXPECT_FALSE(ReproduceRequestWanted(O, Report));  // not asked for
  O.SetLogFlags(lfAskReproduceText);
  EXPECT_TRUE(ReproduceRequestWanted(O, Report));  // goes to the log
  O.SetSaveLogFile(false);
  EXPECT_FALSE(ReproduceRequestWanted(O, Report));  // goes nowhere
  O.SetMailSendMode(msSmtpServer);
  EXPECT_TRUE(ReproduceRequestWanted(O, Report));
  Report.IsDuplicate = true;
  EXPECT_FALSE(ReproduceRequestWanted(O, Report));
  Report.IsDuplicate = false;
  SetIsConsole(true);
  EXPECT_FALSE(ReproduceRequestWanted(O, Report));  // no windows
}

// A worker hands calls to the main thread while it waits; what the call raises comes back.
TEST(TarvikPipelineHooks, RunOnWindowThreadThroughTheWaitingMainThread) {
  ASSERT_TRUE(IsMainThread());
  std::atomic<bool> Finished{false};
  int RanOn = 0;
  bool Ran = false, Raised = false;
  {
    TMainThreadWaitScope Waiting;
    std::thread Worker([&] {
      Ran = RunOnWindowThread([&] { RanOn = CurrentThreadId(); });
      try {
        RunOnWindowThread([] { throw std::runtime_error("in main"); });
      } catch (const std::runtime_error&) {
        Raised = true;
      }
      Finished = true;
    });
    while (!Finished) {
      RunPendingWindowCalls();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Worker.join();
  }
  EXPECT_TRUE(Ran);
  EXPECT_EQ(RanOn, ProcessId());
  EXPECT_TRUE(Raised);

  // A main thread that does not wait and no event loop: the call does not run.
  bool RanLate = false;
  std::thread Late([&] { RanLate = RunOnWindowThread([] {}, 50); });
  Late.join();
  EXPECT_FALSE(RanLate);
  // On the main thread it runs at once.
  bool Here = false;
  EXPECT_TRUE(RunOnWindowThread([&] { Here = true; }));
  EXPECT_TRUE(Here);
}

// The main thread waits but does not take the call in time: the worker gives up, and the call
// does not run later either.
TEST(TarvikPipelineHooks, CallNotTakenInTimeNeverRuns) {
  TMainThreadWaitScope Waiting;
  bool Ran = true, Called = false;
  std::thread Worker([&] { Ran = RunOnWindowThread([&] { Called = true; }, 30); });
  Worker.join();
  EXPECT_FALSE(RunPendingWindowCalls());
  EXPECT_FALSE(Ran);
  EXPECT_FALSE(Called);
}
