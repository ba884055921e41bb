#include "exceptions/deliver/TarvikPipelineHooks.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>

#include <unistd.h>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/deliver/TarvikMail.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/classes/TempFiles.h"
#include "platform/sys/DesktopHooks.h"
#include "platform/sys/Process.h"

namespace {
std::mutex HooksLock;
TShowDialog DialogHook;
TShowRequestDialog RequestHook;
TTakeScreenshot ScreenshotHook;
TSendReportByMail MailHook;
TSmtpProgressHooks ProgressHooks;

template <class T>
T Get(const T& Hook) {
  std::lock_guard<std::mutex> L(HooksLock);
  return Hook;
}

template <class T>
T Swap(T& Hook, T Value) {
  std::lock_guard<std::mutex> L(HooksLock);
  std::swap(Hook, Value);
  return Value;
}

// Without a user interface the report goes where a developer looks.
TExceptionDialogResult DiagnosticDialog(const TExceptionDialogRequest& R) {
  OutputDebugString(R.ErrorMessageText);
  if (R.Report) OutputDebugString(R.Report->Text);
  TExceptionDialogResult Result;
  Result.SendMailChecked = R.SendMailChecked;
  Result.AttachScreenshotChecked = R.AttachScreenshotChecked;
  return Result;
}

// ---- The call the worker hands to the waiting main thread ----

struct TPendingCall {
  const std::function<void()>* Call = nullptr;
  std::exception_ptr Error;
  bool Taken = false, Done = false;
};

std::mutex CallLock;
std::condition_variable CallChanged;
int MainWaiting = 0;
TPendingCall* Pending = nullptr;

// False when the main thread does not wait for the worker or did not take the call in time.
bool HandToWaitingMainThread(const std::function<void()>& Call, int TimeoutMs, std::exception_ptr& Error) {
  std::unique_lock<std::mutex> L(CallLock);
  if (MainWaiting == 0) return false;
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  if (!CallChanged.wait_until(L, Deadline, [] { return Pending == nullptr || MainWaiting == 0; }) || MainWaiting == 0)
    return false;
  TPendingCall P;
  P.Call = &Call;
  Pending = &P;
  CallChanged.notify_all();
  CallChanged.wait_until(L, Deadline, [&P] { return P.Taken || MainWaiting == 0; });
  if (!P.Taken) {
    Pending = nullptr;
    CallChanged.notify_all();
    return false;
  }
  CallChanged.wait(L, [&P] { return P.Done; });
  Error = P.Error;
  return true;
}
}  // namespace

TExceptionDialogResult ShowDialog(const TExceptionDialogRequest& Request) {
  TShowDialog H = Get(DialogHook);
  return H ? H(Request) : DiagnosticDialog(Request);
}

TShowDialog SetShowDialog(TShowDialog Show) { return Swap(DialogHook, std::move(Show)); }

bool ReproduceRequestWanted(const TTarvikModuleOptions& O, const TTarvikReport& Report) {
  return (O.LogFlags() & lfAskReproduceText) && IsGuiMode() && !Report.IsDuplicate &&
         (O.MailSendMode() != msNone || O.SaveLogFile());
}

std::string ShowRequestDialog(const TTarvikModuleOptions& Options) {
  TShowRequestDialog H = Get(RequestHook);
  return H ? H(Options) : std::string();
}

TShowRequestDialog SetShowRequestDialog(TShowRequestDialog Show) { return Swap(RequestHook, std::move(Show)); }

std::string GetScreenshotPath(const TTarvikModuleOptions& Options) {
  if (!Options.AttachScreenshot()) return std::string();
  std::string Folder = GetTempPath() + "TarvikLog-XXXXXX";
  if (!::mkdtemp(Folder.data())) return std::string();
  return Folder + "/Screenshot.png";
}

void DeleteScreenshot(const std::string& Path) {
  if (Path.empty()) return;
  DeleteFile(Path);
  ::rmdir(ExtractFilePath(Path).c_str());
}

void TakeScreenshot(const std::string& Path) {
  if (Path.empty()) return;
  if (TTakeScreenshot H = Get(ScreenshotHook)) H(Path);
}

TTakeScreenshot SetTakeScreenshot(TTakeScreenshot Take) { return Swap(ScreenshotHook, std::move(Take)); }

bool SendReportByMail(const TMailRequest& Request) {
  TSendReportByMail H = Get(MailHook);
  return H ? H(Request) : MailReport(Request);
}

TSendReportByMail SetSendReportByMail(TSendReportByMail Send) { return Swap(MailHook, std::move(Send)); }

void StartSmtpProgress(const TTarvikModuleOptions& Options) {
  if (auto H = Get(ProgressHooks).Start) H(Options);
}

void SetSmtpStatus(int Recipient, int RecipientCount, const std::string& Text) {
  if (auto H = Get(ProgressHooks).Status) H(Recipient, RecipientCount, Text);
}

void SetSmtpProgress(int Percent) {
  if (auto H = Get(ProgressHooks).Progress) H(Percent);
}

void StopSmtpProgress() {
  if (auto H = Get(ProgressHooks).Stop) H();
}

TSmtpProgressHooks SetSmtpProgressHooks(TSmtpProgressHooks Hooks) { return Swap(ProgressHooks, std::move(Hooks)); }

bool RunOnWindowThread(const std::function<void()>& Call, int TimeoutMs) {
  if (IsMainThread()) {
    Call();
    return true;
  }
  std::exception_ptr Error;
  bool Ran = HandToWaitingMainThread(Call, TimeoutMs, Error);
  if (!Ran) {
    auto Post = DesktopHooks().RunOnWindowThread;
    if (!Post) return false;
    return Post(Call, TimeoutMs);
  }
  if (Error) std::rethrow_exception(Error);
  return true;
}

TMainThreadWaitScope::TMainThreadWaitScope() {
  std::lock_guard<std::mutex> L(CallLock);
  ++MainWaiting;
}

TMainThreadWaitScope::~TMainThreadWaitScope() {
  std::lock_guard<std::mutex> L(CallLock);
  --MainWaiting;
  CallChanged.notify_all();
}

bool RunPendingWindowCalls() {
  TPendingCall* P;
  {
    std::lock_guard<std::mutex> L(CallLock);
    P = Pending;
    if (!P) return false;
    Pending = nullptr;
    P->Taken = true;
  }
  std::exception_ptr Error;
  try {
    (*P->Call)();
  } catch (...) {
    Error = std::current_exception();
  }
  std::lock_guard<std::mutex> L(CallLock);
  P->Error = Error;
  P->Done = true;
  CallChanged.notify_all();
  return true;
}

bool MainThreadWaiting() {
  std::lock_guard<std::mutex> L(CallLock);
  return MainWaiting > 0;
}
