#include "exceptions/TarvikPipeline.h"

#include <spawn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "exceptions/base/TarvikClassInfo.h"
#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/capture/TarvikCrashFallback.h"
#include "exceptions/capture/TarvikFreeze.h"
#include "exceptions/capture/TarvikThreads.h"
#include "exceptions/deliver/TarvikPipelineHooks.h"
#include "exceptions/deliver/TarvikWeb.h"
#include "exceptions/report/TarvikLogFile.h"
#include "exceptions/report/TarvikModules.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/DesktopHooks.h"
#include "platform/sys/FrameworkHooks.h"
#include "platform/sys/Modules.h"
#include "platform/sys/Process.h"

extern char** environ;

namespace {
// ---- The gate and the progress that bounds every wait on the pipeline ----

std::atomic<bool> Busy{false};
std::atomic<int> BusyThread{0};
std::atomic<int> WorkerThread{0};
std::atomic<bool> ReportHandled{false};
std::atomic<bool> PipelineInstalled{false};
std::atomic<int64_t> LastProgressMs{0};
std::atomic<int> Interactive{0};
std::atomic<int> Reports{0};
// The raise GoNotify last processed in this thread: a framework handler that catches it later
// does not report it again.
thread_local uint64_t ReportedRaise = 0;

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Progress() {
  LastProgressMs.store(NowMs());
  MarkCrashProgress();  // a crashed thread waits while the report moves
}

// A wait on the pipeline runs out when the pipeline has made no progress for the time-out and
// is not waiting for the user.
bool Stalled() { return Interactive.load() == 0 && NowMs() - LastProgressMs.load() > PipelineStallTimeoutMs(); }

// The user is in control: a dialog, the request, the mail with its progress window.
class TInteractiveScope {
public:
  TInteractiveScope() {
    ++Interactive;
    EnterCrashDialog();
  }
  ~TInteractiveScope() {
    Progress();
    LeaveCrashDialog();
    --Interactive;
  }
};

void SleepMs(int Ms) { std::this_thread::sleep_for(std::chrono::milliseconds(Ms)); }

// ---- Notification handlers ----

std::mutex HandlerLock;
TExceptionNotifyHandler ExceptionNotifyHandler;
TActionNotifyHandler ActionHandler, ActionErrorHandler;

template <class T>
T Handler(const T& H) {
  std::lock_guard<std::mutex> L(HandlerLock);
  return H;
}

// ---- The exception being processed (one at a time, under the gate) ----

struct TProcessing {
  TTarvikExceptionRecord Record;
  TTarvikNotifyRecord Notify;
  TTarvikModuleOptionsEx Options{"", 0};  // the options in force: a copy of the module's
  bool Current = false;
  bool FixedTexts = false;  // a fault or freeze: its texts do not come from an object
  bool ContinueProcessing = true;
  bool ShowSucceeded = true;
  std::string ErrorMessageText;
  bool SendMailChecked = false, AttachScreenshotChecked = false, CopyToClipboardChecked = false,
       TerminateRequested = false;
  // What a handler left in the object (read in the exception's thread), taken into the report.
  std::mutex DescribedLock;
  TExceptionDescription Described;
  bool DescribedChanged = false;
  // Set when the main thread gave up waiting for the worker: the exception's object is gone.
  std::atomic<bool> Abandoned{false};
};

TProcessing& State() {
  static TProcessing S;
  return S;
}

template <class T>
T* ThrownAs(const TThrownObject& Thrown) {
  void* Object = Thrown.Object;
  if (!Object || !Thrown.Type || !typeid(T).__do_catch(Thrown.Type, &Object, 1)) return nullptr;
  return static_cast<T*>(Object);
}

// In the exception's thread after a handler: the object's class and message now, in "EXCEPT" and
// for the report.
void TakeObjectTexts() {
  TProcessing& S = State();
  if (!S.Current || S.FixedTexts || !S.Record.ExceptionObject.Object) return;
  TExceptionDescription D = DescribeThrown(S.Record.ExceptionObject);
  WriteExceptVirtualFile(D.ClassName, D.Message);
  std::lock_guard<std::mutex> L(S.DescribedLock);
  if (D.ClassName != S.Described.ClassName || D.Message != S.Described.Message) {
    S.Described = D;
    S.DescribedChanged = true;
  }
}

// The report again when a handler changed the exception, or another module recorded it.
void RefreshReport() {
  TProcessing& S = State();
  {
    std::lock_guard<std::mutex> L(S.DescribedLock);
    if (S.DescribedChanged) {
      S.Notify.ExceptionType = S.Described.ClassName;
      S.Notify.ExceptionMessage = S.Described.Message;
      S.DescribedChanged = false;
      RebuildReportText(S.Notify, S.Options, CurrentReport());
    }
  }
  // Only another module's file: this module's own "EXCEPT" holds what it wrote itself, which may
  // be an exception raised earlier than the one reported (a freeze has none).
  if (S.Notify.ExceptionAddress &&
      ModuleOfAddress(reinterpret_cast<const void*>(S.Notify.ExceptionAddress)) != ReporterModuleHandle())
    ReadForeignExceptionData(S.Notify, S.Options, CurrentReport());
  S.Record.LogText = CurrentReport().Text;
}

TActionNotify ActionNotifier(const TActionNotifyHandler& H) {
  if (!H) return {};
  return [H](int Code, bool& Flag) {
    RunInMainThread([&] { H(State().Record, Code, Flag); });
    RefreshReport();
  };
}

void SendAction(int Code, bool& Flag) {
  if (TActionNotify N = ActionNotifier(Handler(ActionHandler))) N(Code, Flag);
}

// The options of the module the exception occurred in; the reporter's own, or the program's, when
// that module carries no reporter data.
void SelectOptions(uintptr_t Address, TTarvikModuleOptionsEx& Into) {
  TTarvikModulesList* List = ReporterModules();
  if (!List) {
    Into.SetDefaults();
    return;
  }
  std::lock_guard<std::recursive_mutex> L(List->Lock());
  TTarvikModuleInfo* R = Address ? FindModuleRecordOf(Address) : nullptr;
  if (!R || !R->DebugData) R = FindModuleRecord(ReporterModuleHandle());
  if (!R || !R->DebugData) {
    if (TTarvikModuleInfo* Main = FindModuleRecord(MainModuleHandle())) R = Main;
  }
  if (R && R->Options) {
    Into.Assign(R->Options.get());
    Into.SetModuleName(R->FileName);
  } else {
    Into.SetDefaults();
  }
}

// The whole text in one write, so that it is not interleaved with another writer's lines.
bool WriteToConsole(const std::string& Text, std::string& Error) {
  size_t Done = 0;
  while (Done < Text.size()) {
    ssize_t W = ::write(STDOUT_FILENO, Text.data() + Done, Text.size() - Done);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) {
      Error = W < 0 ? std::strerror(errno) : "nothing written";
      return false;
    }
    Done += static_cast<size_t>(W);
  }
  return true;
}

// The console's question before mailing, on the terminal the program runs in: standard input and
// standard error both a terminal. Without one, no.
bool AskConsoleToMail(const TTarvikModuleOptions& O) {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDERR_FILENO)) {
    TraceEntry(TarvikText::ConsoleMailNoTerminal);
    return false;
  }
  std::string Question = Format(TarvikText::ConsoleMailQuestion, {O.MailRecipients()});
  if (::write(STDERR_FILENO, Question.data(), Question.size()) < 0) return false;
  std::string Answer;
  char C;
  for (;;) {
    ssize_t N = ::read(STDIN_FILENO, &C, 1);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0 || C == '\n' || Answer.size() > 80) break;
    Answer += C;
  }
  Answer = LowerCaseAscii(Trim(Answer));
  // English and Portuguese.
  return Answer == "y" || Answer == "yes" || Answer == "s" || Answer == "sim";
}

void ShowOutput(TProcessing& S) {
  TTarvikReport& Report = CurrentReport();
  std::string Whole = S.Notify.IntroText + Report.Text;
  if (IsWebMode()) {
    S.ShowSucceeded = SendHttpErrorPage(BuildHtmlErrorPage(S.Options.GetText(2), Whole));
  } else if (IsConsole()) {
    std::string Error;
    if (!WriteToConsole(Whole + "\n", Error)) {
      S.ShowSucceeded = false;
      RecordWarning(eeShowError, Format(TarvikText::SectionErrorFormat, {TarvikText::ConsoleSection, Error}));
    }
    // The dialog's send box, asked on the terminal. (With ShowExceptionDialog off the options
    // alone decide, as they do for a program with windows.)
    if (S.SendMailChecked && S.Options.MailSendMode() != msNone && !Report.IsDuplicate) {
      TInteractiveScope User;
      S.SendMailChecked = AskConsoleToMail(S.Options);
    }
  } else {
    try {
      TInteractiveScope User;
      TExceptionDialogRequest R;
      R.Record = &S.Notify;
      R.Report = &Report;
      R.Options = &S.Options;
      R.ErrorMessageText = S.ErrorMessageText;
      R.ReportCount = Reports.load();
      R.SendMailChecked = S.SendMailChecked;
      R.AttachScreenshotChecked = S.AttachScreenshotChecked;
      R.Action = ActionNotifier(Handler(ActionHandler));
      TExceptionDialogResult D = ShowDialog(R);
      S.SendMailChecked = D.SendMailChecked;
      S.AttachScreenshotChecked = D.AttachScreenshotChecked;
      S.CopyToClipboardChecked = D.CopyToClipboardChecked;
      S.TerminateRequested = D.TerminateRequested;
    } catch (...) {
      S.ShowSucceeded = false;
      RecordSectionError(eeShowError, TarvikText::GuiSection);
    }
  }
}

std::string ErrorMessageOf(const TProcessing& S) {
  std::string M = S.Notify.ExceptionMessage;
  if (M.empty()) M = TarvikText::UnknownErrorMessage;
  if (M.back() != '.') M += '.';
  return M;
}

// Entries 0 and 1 at one address are one call; a runtime raise whose first entry comes again
// further down named its caller twice.
void DropRepeatedFirstEntry(TTarvikStackList& Stack, bool RaisedByRuntime) {
  if (Stack.size() > 1 && Stack[0].Address == Stack[1].Address) {
    Stack.erase(Stack.begin());
    return;
  }
  if (!RaisedByRuntime || Stack.empty()) return;
  for (size_t I = 1; I < Stack.size(); ++I)
    if (Stack[I].Address == Stack[0].Address) {
      Stack.erase(Stack.begin());
      return;
    }
}

void ClearExceptionGlobals() {
  TProcessing& S = State();
  S.Current = false;
  S.Record.ExceptionObject = {};
}

// ---- The worker ----

// Serialises the end of the worker with the main thread's decision to stop waiting for it.
std::mutex WorkerEndLock;
}  // namespace

// Processes a main-thread exception off the main thread, so that the main thread keeps repainting
// and runs the calls handed to it.
class TExceptionThread {
public:
  TExceptionThread(const TThrownObject& E, uintptr_t A, bool R, const TExceptNotifyParams& P)
      : FException(E), FAddress(A), FRaisedByRuntime(R), FParams(P) {
    if (FParams.TopOfStack == 0) FParams.TopOfStack = GetStackBase();
    if (FParams.ThreadID == 0) FParams.ThreadID = CurrentThreadId();
  }
  TExceptionThread(const TExceptionThread&) = delete;
  TExceptionThread& operator=(const TExceptionThread&) = delete;

  // False when no thread could be made.
  bool Start() {
    try {
      FThread = std::thread([this] { Execute(); });
      return true;
    } catch (...) {
      FRunning.store(false);
      return false;
    }
  }
  bool Running() const { return FRunning.load(); }
  bool Result() const { return FResult; }
  int ThreadId() const { return FThreadId.load(); }
  void Join() {
    if (FThread.joinable()) FThread.join();
  }
  void Detach() {
    if (FThread.joinable()) FThread.detach();
  }

private:
  void Execute() {
    FThreadId.store(CurrentThreadId());
    WorkerThread.store(FThreadId.load());
    TFinally End([this] {
      std::lock_guard<std::mutex> L(WorkerEndLock);
      WorkerThread.store(0);
      // Released here only when the main thread stopped waiting and handed the gate over.
      ReleaseProcessingGate();
      FRunning.store(false);
    });
    try {
      FResult = InternalExceptNotify(FException, FAddress, FRaisedByRuntime, FParams);
    } catch (...) {
      ReportInternalError("TExceptionThread.Execute");
    }
  }

  TThrownObject FException;
  uintptr_t FAddress;
  bool FRaisedByRuntime;
  TExceptNotifyParams FParams;
  std::thread FThread;
  std::atomic<bool> FRunning{true};
  std::atomic<int> FThreadId{0};
  bool FResult = false;
};

namespace {
bool RunInWorker(const TThrownObject& E, uintptr_t A, bool R, TExceptNotifyParams& P) {
  // An abandoned worker outlives this call: it is kept until it ends.
  auto* W = new TExceptionThread(E, A, R, P);
  bool Abandoned = false;
  {
    TMainThreadWaitScope Waiting;
    if (!W->Start()) {
      delete W;
      return InternalExceptNotify(E, A, R, P);
    }
    while (W->Running()) {
      PumpPaintMessages();
      RunPendingWindowCalls();
      if (Stalled()) {
        std::lock_guard<std::mutex> L(WorkerEndLock);
        if (!W->Running()) break;
        RecordWarning(eeNone, TarvikText::WorkerWaitRanOut);
        State().Abandoned.store(true);
        BusyThread.store(W->ThreadId());  // the worker frees the gate when it ends
        Abandoned = true;
        break;
      }
      SleepMs(10);
    }
  }
  if (Abandoned) {
    W->Detach();
    return false;
  }
  W->Join();
  bool Result = W->Result();
  delete W;
  return Result;
}

void PipelineSink(const TCapturedException& C) { GoNotify(C); }

// The freeze detector's report: the main thread's registers and frames as it hangs.
void ReportFrozen(EFrozenApplication& E, const TTarvikContext& Context, const TTarvikRawStack& Stack) {
  TExceptNotifyParams P;
  P.Context = Context;
  P.Stack = &Stack;
  P.StackPoint = Context.Rsp;
  P.TopOfStack = MainThreadStackTop();
  P.ThreadID = ProcessId();
  ExceptNotify({&E, &typeid(EFrozenApplication)}, Context.Rip, false, P);
}

constexpr TFreezePipeline FreezePipeline{TakeProcessingGate, ReleaseProcessingGate, ReportFrozen};
}  // namespace

// ---- Entries ----

void SetExceptionNotify(TExceptionNotifyHandler H) {
  std::lock_guard<std::mutex> L(HandlerLock);
  ExceptionNotifyHandler = std::move(H);
}

void SetActionNotify(TActionNotifyHandler H) {
  std::lock_guard<std::mutex> L(HandlerLock);
  ActionHandler = std::move(H);
}

void SetActionErrorNotify(TActionNotifyHandler H) {
  std::lock_guard<std::mutex> L(HandlerLock);
  ActionErrorHandler = std::move(H);
}

void InstallPipeline() {
  TraceEntry("InstallPipeline");
  SetCaptureSink(PipelineSink);
  // A reporter that defers to the program's records every raise in "EXCEPT" for it.
  SetCaptureHandled(ReportHandled.load() || DeferToMainModule());
  SetFrameworkExceptionHandler(ExceptionManager);
  PrepareCrashReport(ReporterModuleOptions());
  PipelineInstalled.store(true);
  InstallFreezeDetector(&FreezePipeline);
}

void RemovePipeline() {
  if (!PipelineInstalled.exchange(false)) return;
  TraceEntry("RemovePipeline");
  RemoveFreezeDetector();
  SetFrameworkExceptionHandler(nullptr);
  SetCaptureHandled(false);
  SetCaptureSink(nullptr);
}

void SetReportHandledExceptions(bool Report) {
  ReportHandled.store(Report);
  if (PipelineInstalled.load()) SetCaptureHandled(Report || DeferToMainModule());
}

bool ReportHandledExceptions() { return ReportHandled.load(); }

bool TakeProcessingGate() {
  int Me = CurrentThreadId();
  // An exception raised inside the reporter, in the thread holding the gate or in the worker, is
  // not waited for (that would never end): it is dropped.
  if (Me == BusyThread.load() || Me == WorkerThread.load()) return false;
  for (;;) {
    bool Expected = false;
    if (Busy.compare_exchange_strong(Expected, true)) {
      BusyThread.store(Me);
      Progress();
      return true;
    }
    if (Stalled()) {
      RecordWarning(eeNone, Format(TarvikText::GateWaitRanOut, {Me}));
      return false;
    }
    SleepMs(10);
  }
}

void ReleaseProcessingGate() {
  int Me = CurrentThreadId();
  if (BusyThread.compare_exchange_strong(Me, 0)) Busy.store(false);
}

void GoNotify(const TCapturedException& C) {
  int SavedErrno = errno;
  TraceEntry("GoNotify", {}, 2);
  bool Fault = C.Kind == TCaptureKind::Signal;
  TExceptionDescription D = DescribeCaptured(C);
  WriteExceptVirtualFile(D.ClassName, D.Message);
  if (!C.IsAbort && (!C.Handled || ReportHandled.load())) {
    if (Fault && (C.ThreadId == BusyThread.load() || C.ThreadId == WorkerThread.load())) {
      RecordWarning(eeNone, Format(TarvikText::ReporterFaulted, {D.ClassName}));
    } else if (TakeProcessingGate()) {
      TFinally Release([] { ReleaseProcessingGate(); });
      TExceptNotifyParams P;
      P.Context = C.Context;
      P.Stack = &C.Stack;
      P.ThreadID = C.ThreadId;
      P.Fault = Fault;
      if (Fault) {
        P.TypeText = D.ClassName;
        P.MessageText = D.Message;
      }
      if (C.Kind == TCaptureKind::Raise) ReportedRaise = C.Sequence;
      ExceptNotify({C.Object, C.Type}, C.ExceptionAddress, !Fault, P);
    }
  }
  TraceEntry("GoNotify=", {}, -2);
  // Going on after a fault is undefined: the program ends (a restart the user asked for happened).
  if (Fault) RestartOrTerminate(false);
  errno = SavedErrno;
}

bool ExceptionManager() {
  TraceEntry("ExceptionManager", {}, 2);
  bool Result = true;
  std::exception_ptr E = std::current_exception();
  TThrownObject T = ThrownObjectOf(E);
  if (E && PipelineInstalled.load() && !ThrownAs<EAbort>(T)) {
    Result = false;
    const TCapturedException* Raise = LastRaiseOf(T.Object);
    if (!Raise || Raise->Sequence != ReportedRaise) {
      if (TakeProcessingGate()) {
        TFinally Release([] { ReleaseProcessingGate(); });
        TExceptNotifyParams P;
        P.ThreadID = CurrentThreadId();
        // The frames of its raise, up to the handler that caught it; else the frames here.
        auto Frames = std::make_unique<TTarvikRawStack>();
        uintptr_t Address = 0;
        if (Raise) {
          *Frames = Raise->Stack;
          P.Context = Raise->Context;
          Address = Raise->ExceptionAddress;
        } else {
          CaptureStack(*Frames);
          Address = Frames->Count > 0 ? CallSite(Frames->Frames[0]) : 0;
        }
        P.Stack = Frames.get();
        Result = ExceptNotify(T, Address, true, P);
      }
    }
  }
  TraceEntry("ExceptionManager=", {Result}, -2);
  return Result;
}

bool ExceptNotify(const TThrownObject& E, uintptr_t A, bool R, TExceptNotifyParams& P) {
  TraceEntry("ExceptNotify", {}, 2);
  TTarvikModuleOptionsEx* Own = ReporterModuleOptions();
  if (!Own || !Own->Active()) {
    TraceEntry("ExceptNotify=", {true}, -2);
    return true;
  }
  if (P.ThreadID == 0) P.ThreadID = CurrentThreadId();
  if (P.ThreadID == CurrentThreadId()) {
    TTarvikNotifyRecord Facts;
    CaptureDesktopFacts(Facts);
    P.ActiveWindowClass = Facts.ActiveWindowClass;
    P.ActiveWindowText = Facts.ActiveWindowText;
    P.ActiveControlClass = Facts.ActiveControlClass;
    P.ActiveControlText = Facts.ActiveControlText;
    if (P.TopOfStack == 0) P.TopOfStack = GetStackBase();
  }
  // No thread may be started while a library is being loaded or unloaded.
  bool InLibrary = ReporterModuleHandle() != MainModuleHandle();
  bool Result;
  State().Abandoned.store(false);
  if (IsMainThread() && !(InLibrary && (InitialisationRunning() || FinalisationRunning())))
    Result = RunInWorker(E, A, R, P);
  else
    Result = InternalExceptNotify(E, A, R, P);
  ClearExceptionGlobals();
  TraceEntry("ExceptNotify=", {Result}, -2);
  return Result;
}

bool InternalExceptNotify(const TThrownObject& E, uintptr_t A, bool R, TExceptNotifyParams& P) {
  TraceEntry("InternalExceptNotify", {}, 2);
  SaveTraceFile();
  TProcessing& S = State();
  bool Result = false;
  int Counter = 0;
  std::string ShotPath;
  try {
    Counter = 1;
    Progress();
    TTarvikReport& Report = CurrentReport();
    Report.ReproduceText.clear();
    Report.LoggedText.clear();
    S.Notify = TTarvikNotifyRecord{};
    S.Notify.Thrown = E;
    S.Notify.ExceptionAddress = A;
    S.Notify.RaisedByRuntime = R;
    S.Notify.CaptureTime = Now();
    S.Notify.Context = P.Context;
    S.Notify.StackPointer = P.StackPoint;
    S.Notify.ActiveWindowClass = P.ActiveWindowClass;
    S.Notify.ActiveWindowText = P.ActiveWindowText;
    S.Notify.ActiveControlClass = P.ActiveControlClass;
    S.Notify.ActiveControlText = P.ActiveControlText;
    S.FixedTexts = !P.TypeText.empty() || !P.MessageText.empty();
    S.Described = S.FixedTexts ? TExceptionDescription{P.TypeText, P.MessageText} : DescribeThrown(E);
    S.DescribedChanged = false;
    S.Notify.ExceptionType = S.Described.ClassName;
    S.Notify.ExceptionMessage = S.Described.Message;
    SelectOptions(A, S.Options);
    const TTarvikModuleOptionsEx& O = S.Options;
    S.SendMailChecked = O.MailSendMode() != msNone;
    S.AttachScreenshotChecked = O.AttachScreenshot();
    S.CopyToClipboardChecked = false;
    S.TerminateRequested = false;

    Counter = 2;
    bool Filtered = false;
    if (O.ExceptionFilterActive()) {
      int I = FindExceptionFilterIndex(S.Notify, O);
      if (I != -1) {
        Filtered = true;
        const TStringList& Messages = O.ExceptionFilterMessages();
        std::string Message = I < Messages.Count() ? Messages.Strings(I) : std::string();
        if (!Message.empty())
          ReporterMessageBox(Message, O.GetText(0), MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST |
                                                        MB_SERVICE_NOTIFICATION);
      }
    }

    Counter = 3;
    if (!Filtered) {
      Counter = 4;
      Progress();
      TTarvikRawStack Here;
      const TTarvikRawStack* Frames = P.Stack;
      if (!Frames) {
        CaptureStack(Here);
        Frames = &Here;
      }
      S.Notify.CallStack = BuildCallStack(A, *Frames);

      Counter = 5;
      if (TTarvikThreadsList* Threads = ReporterThreads()) {
        TTarvikRawStack Creator;
        if (P.ThreadID != WorkerThread.load() && Threads->CreatorStackOf(P.ThreadID, Creator)) {
          TTarvikStackList More = BuildCallStack(0, Creator);
          S.Notify.CallStack.insert(S.Notify.CallStack.end(), More.begin(), More.end());
        }
      }

      Counter = 6;
      DropRepeatedFirstEntry(S.Notify.CallStack, R);

      Counter = 7;
      Progress();
      S.ContinueProcessing = true;
      RefreshModules();
      PrepareCrashModules();
      BuildReportText(S.Notify, O);
      S.Record.CallStack = S.Notify.CallStack;
      S.Record.ModuleOptions = &S.Options;
      S.Record.ExceptionAddress = A;
      S.Record.ExceptionObject = E;
      S.Record.ThreadID = P.ThreadID;
      S.Current = true;
      RefreshReport();
      CheckDuplicateReport(S.Notify, O, Report);
      ClearInternalError();
      if (TExceptionNotifyHandler H = Handler(ExceptionNotifyHandler)) {
        RunInMainThread([&] { H(S.Record, S.ContinueProcessing); });
        RefreshReport();
      }

      Counter = 8;
      if (!S.ContinueProcessing) {
        Result = true;
      } else {
        Counter = 9;
        Reports.fetch_add(1);

        Counter = 10;
        Progress();
        S.ErrorMessageText = ErrorMessageOf(S);
        ShotPath = GetScreenshotPath(O);
        TFinally DeleteShot([&ShotPath] { DeleteScreenshot(ShotPath); });
        try {
          TakeScreenshot(ShotPath);
          if (!ShotPath.empty() && !FileExists(ShotPath)) {  // no screen to take
            DeleteScreenshot(ShotPath);
            ShotPath.clear();
          }
        } catch (...) {
          // A report without its picture is still a report.
          RecordSectionError(eeShowError, TarvikText::ScreenshotSection);
          DeleteScreenshot(ShotPath);
          ShotPath.clear();
        }

        // Stored before anything waits for the user: a program ended while its dialog is open
        // (a signal, the session's end) keeps its report. What the user adds comes later.
        Progress();
        if (O.SaveLogFile()) {
          TLogSaveHooks Hooks;
          Hooks.Action = ActionNotifier(Handler(ActionHandler));
          Hooks.ActionError = ActionNotifier(Handler(ActionErrorHandler));
          SaveReportToLog(O, Report, Hooks);
        }

        Counter = 11;
        if (O.ShowExceptionDialog()) {
          Counter = 12;
          S.ShowSucceeded = true;
          ClearInternalError();
          SendAction(0, S.ShowSucceeded);
          if (S.ShowSucceeded) {
            Counter = 13;
            ShowOutput(S);
          }
          Counter = 14;
          SendAction(1, S.ShowSucceeded);
        }
        if (ReproduceRequestWanted(O, Report)) {
          TInteractiveScope User;
          Report.ReproduceText = Trim(ShowRequestDialog(O));
        }

        Counter = 15;
        Progress();
        if (O.SaveLogFile()) UpdateReportInLog(O, Report);
        if (S.CopyToClipboardChecked) {
          const std::string Text = Report.Text;
          RunOnWindowThread([&Text] { CopyTextToClipboard(Text); });
        }

        Counter = 16;
        Progress();
        if (O.MailSendMode() != msNone && !Report.IsDuplicate && S.SendMailChecked) {
          TInteractiveScope User;
          TMailRequest M;
          M.Options = &O;
          M.Report = &Report;
          M.AttachScreenshotChecked = S.AttachScreenshotChecked;
          if (S.AttachScreenshotChecked && O.AttachScreenshot()) M.ScreenshotPath = ShotPath;
          M.Action = ActionNotifier(Handler(ActionHandler));
          M.ActionError = ActionNotifier(Handler(ActionErrorHandler));
          S.ShowSucceeded = SendReportByMail(M);
        }
      }
    }

    Counter = 17;
    Progress();
    Counter = 18;
    if (S.TerminateRequested) {
      Counter = 19;
      RestartOrTerminate(O.TerminateAction() == 1);
    }
  } catch (...) {
    ReportInternalError(Format(TarvikText::PipelineSection, {Counter}));
  }
  TraceEntry("InternalExceptNotify=", {Result}, -2);
  return Result;
}

void RunInMainThread(const std::function<void()>& P) {
  TProcessing& S = State();
  if (S.Abandoned.load()) return;  // the main thread went on: the exception's object is gone
  auto Call = [&P] {
    try {
      P();
    } catch (...) {
    }
    TakeObjectTexts();
  };
  Progress();
  if (S.Current && S.Record.ThreadID != CurrentThreadId() && MainThreadWaiting()) {
    try {
      if (!RunOnWindowThread(Call, 5000)) RecordWarning(eeNone, TarvikText::MainThreadCallRanOut);
    } catch (...) {
    }
  } else {
    Call();
  }
  Progress();
}

void PumpPaintMessages() {
  if (auto Pump = DesktopHooks().PumpPaintMessages) {
    try {
      Pump();
    } catch (...) {
    }
  }
}

bool StartNewInstance() {
  const std::vector<std::string>& Args = CommandLine();
  std::string Program = ProgramPath();
  if (Program.empty() || Args.empty()) return false;
  std::vector<char*> Argv;
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawnattr_t Attr;
  posix_spawn_file_actions_init(&Actions);
  posix_spawnattr_init(&Attr);
  TFinally Free([&] {
    posix_spawn_file_actions_destroy(&Actions);
    posix_spawnattr_destroy(&Attr);
  });
  // No descriptor but the standard three goes to the new copy (the log lock, sockets, pipes).
  posix_spawn_file_actions_addclosefrom_np(&Actions, 3);
  std::string Dir = StartDirectory();
  if (!Dir.empty()) posix_spawn_file_actions_addchdir_np(&Actions, Dir.c_str());
  // A new process group, every signal at its default and none blocked, whatever thread spawns it.
  sigset_t None, All;
  sigemptyset(&None);
  sigfillset(&All);
  sigdelset(&All, SIGKILL);
  sigdelset(&All, SIGSTOP);
  posix_spawnattr_setsigmask(&Attr, &None);
  posix_spawnattr_setsigdefault(&Attr, &All);
  posix_spawnattr_setpgroup(&Attr, 0);
  posix_spawnattr_setflags(&Attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t Pid = 0;
  int Error = posix_spawn(&Pid, Program.c_str(), &Actions, &Attr, Argv.data(), environ);
  if (Error != 0) {
    RecordWarning(eeNone, Format(TarvikText::RestartFailed, {std::strerror(Error)}));
    return false;
  }
  TraceEntry("StartNewInstance=", {static_cast<int>(Pid)});
  return true;
}

void RestartOrTerminate(bool Restart) {
  TraceEntry("RestartOrTerminate", {Restart});
  if (Restart) StartNewInstance();
  // Shared-memory names outlive the process; the finalisation does not run (other threads are
  // where they were), so they go now.
  DeleteReporterVirtualFiles();
  SaveTraceFile();
  std::fflush(nullptr);
  ::_exit(1);
}

int ReportCount() { return Reports.load(); }

const TTarvikExceptionRecord* CurrentException() { return State().Current ? &State().Record : nullptr; }

bool ProcessingBusy() { return Busy.load(); }
