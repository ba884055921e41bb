#pragma once
// What the exception pipeline asks of the reporter's user interface and of its mail: the exception
// dialog, the request for the steps that reproduce the error, the screenshot, the mail and the
// SMTP progress window. Each is a replaceable function: the parts that show windows or send mail
// install theirs at their start-up (Set...) and remove them at their end (Set...(nullptr)); the
// defaults do without a user interface: the report goes to the diagnostic output, no screenshot
// is taken, the mail goes out without a window and no progress is shown.
//
// Threads: the pipeline calls every hook on its own thread. For an exception of the main thread
// that is the reporter's worker, while the main thread waits for it and keeps repainting; for a
// freeze it is the freeze detector, while the main thread hangs. A hook that needs the thread
// owning the windows goes there through RunOnWindowThread, whose wait is bounded. A hook that
// fails raises; the pipeline records the failure (Part of the internal errors) and goes on.
#include <functional>
#include <string>

class TTarvikModuleOptions;
struct TTarvikNotifyRecord;
struct TTarvikReport;

// An action notification (codes of the action handlers: 0 before the output, 1 after it, 2/3 log,
// 4/5 mail, 6 the terminate button) as the pipeline hands it down: it already runs on the
// exception's own thread. Flag is the step's continue flag (the retry flag for an action error).
// Empty when the program installed no handler of that kind.
using TActionNotify = std::function<void(int Code, bool& Flag)>;

// ---- The exception dialog ----

struct TExceptionDialogRequest {
  const TTarvikNotifyRecord* Record = nullptr;  // call stack (CallStack), registers
  const TTarvikReport* Report = nullptr;        // Text, GeneralText, CpuText, IsDuplicate, Sources.Modules
  const TTarvikModuleOptions* Options = nullptr;
  std::string ErrorMessageText;  // the collapsed dialog's message; ends with "."
  int ReportCount = 0;           // reports of this run, this one included
  // The check boxes' states when the dialog opens.
  bool SendMailChecked = false;
  bool AttachScreenshotChecked = false;
  // Sent with code 6 when the terminate (restart) button was pressed: a handler that clears the
  // flag brings the dialog back.
  TActionNotify Action;
};

struct TExceptionDialogResult {
  bool SendMailChecked = false;
  bool AttachScreenshotChecked = false;
  bool CopyToClipboardChecked = false;
  bool TerminateRequested = false;  // terminate, or restart when TerminateAction is 1
};

// Shows the dialog until it is closed for good. Raises when it cannot be shown; the pipeline then
// records eeShowError ("GUI") and still stores, copies and mails. Default: writes the message and
// the report to the diagnostic output and gives the check boxes back as they came, nothing
// copied, no terminate.
using TShowDialog = std::function<TExceptionDialogResult(const TExceptionDialogRequest& Request)>;
TExceptionDialogResult ShowDialog(const TExceptionDialogRequest& Request);
TShowDialog SetShowDialog(TShowDialog Show);

// ---- The request for the steps to reproduce ----

// Whether the pipeline asks: option AskReproduceText on, a program with windows, not a duplicate
// report, and the report goes somewhere (mail or log).
bool ReproduceRequestWanted(const TTarvikModuleOptions& Options, const TTarvikReport& Report);
// Asks and returns the text typed, trimmed. Called only when ReproduceRequestWanted; the pipeline
// puts the text into the report's ReproduceText. Default: asks nothing, returns "".
using TShowRequestDialog = std::function<std::string(const TTarvikModuleOptions& Options)>;
std::string ShowRequestDialog(const TTarvikModuleOptions& Options);
TShowRequestDialog SetShowRequestDialog(TShowRequestDialog Show);

// ---- The screenshot ----

// "Screenshot.png" in a new private folder (mode 0700) of the temporary folder when option
// AttachScreenshot is on, else "" (also when no folder can be made). A fixed name in the shared
// temporary folder would collide between processes and could be planted by another user.
std::string GetScreenshotPath(const TTarvikModuleOptions& Options);
// Removes the screenshot and its private folder; nothing for "".
void DeleteScreenshot(const std::string& Path);
// Writes the screen as a PNG file to Path (replacing it); nothing for an empty Path. Without a
// screen it writes no file (the pipeline then goes on without a picture); raises when the file
// cannot be written. The pipeline deletes the file when it has
// handled the exception. Default: writes nothing.
using TTakeScreenshot = std::function<void(const std::string& Path)>;
void TakeScreenshot(const std::string& Path);
TTakeScreenshot SetTakeScreenshot(TTakeScreenshot Take);

// ---- The mail ----

struct TMailRequest {
  const TTarvikModuleOptions* Options = nullptr;  // way (MailSendMode), recipients, server, texts
  const TTarvikReport* Report = nullptr;          // Text, MailText, ReproduceText
  // The screenshot to attach: GetScreenshotPath when the dialog's box stayed ticked, else "".
  std::string ScreenshotPath;
  bool AttachScreenshotChecked = false;
  TActionNotify Action;       // 4 before mailing (clearing the flag sends nothing), 5 after
  TActionNotify ActionError;  // 5 after a failed attempt; setting the flag tries again
};
// Mails the report (called when MailSendMode is not 0, the report is no duplicate and the send box
// stayed ticked); true when it was sent. Failures are internal errors of the mail part, never
// exceptions. Default: MailReport (TarvikMail.h), the reporter's own mail.
using TSendReportByMail = std::function<bool(const TMailRequest& Request)>;
bool SendReportByMail(const TMailRequest& Request);
TSendReportByMail SetSendReportByMail(TSendReportByMail Send);

// ---- The SMTP progress window (used by the mail, shown by the user interface) ----

struct TSmtpProgressHooks {
  // Opens the window (when ShowSmtpProgress is on, mailing is on and the program has windows) and
  // returns when it is ready, or after a bounded wait.
  std::function<void(const TTarvikModuleOptions& Options)> Start;
  // "Message n/m: " + Text.
  std::function<void(int Recipient, int RecipientCount, const std::string& Text)> Status;
  std::function<void(int Percent)> Progress;
  // Closes the window.
  std::function<void()> Stop;
};
// Every call does nothing while no window is open (and by default).
void StartSmtpProgress(const TTarvikModuleOptions& Options);
void SetSmtpStatus(int Recipient, int RecipientCount, const std::string& Text);
void SetSmtpProgress(int Percent);
void StopSmtpProgress();
TSmtpProgressHooks SetSmtpProgressHooks(TSmtpProgressHooks Hooks);

// ---- The thread owning the windows ----

// Runs Call on the program's main thread (the one owning the windows): at once when called there;
// through the pipeline when the main thread waits for the reporter's worker; else through the
// window system's event loop (the desktop hooks). TimeoutMs bounds the wait for the main thread to
// take the call; once taken, the call runs to its end (a modal dialog as long as the user keeps it
// open). False when it was not taken in time (the main thread hangs, or there is no event loop):
// the caller goes on without it. An exception raised by Call is passed on to the caller.
bool RunOnWindowThread(const std::function<void()>& Call, int TimeoutMs = 5000);

// For the pipeline: while a scope lives, the main thread waits for the reporter's worker and runs
// the calls handed to it through RunPendingWindowCalls (its waiting loop calls it every 10 ms).
class TMainThreadWaitScope {
public:
  TMainThreadWaitScope();
  ~TMainThreadWaitScope();
  TMainThreadWaitScope(const TMainThreadWaitScope&) = delete;
  TMainThreadWaitScope& operator=(const TMainThreadWaitScope&) = delete;
};
// Runs the call handed over, if any; main thread only. True when one ran.
bool RunPendingWindowCalls();
// Whether a TMainThreadWaitScope lives.
bool MainThreadWaiting();
