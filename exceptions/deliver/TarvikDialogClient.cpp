#include "exceptions/deliver/TarvikDialogClient.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/deliver/TarvikDialogLayout.h"
#include "exceptions/report/TarvikReport.h"
#include "exceptions/report/TarvikScreenshot.h"
#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"

extern char** environ;

namespace {
std::mutex PathLock;
std::string ProgramPathOverride;

constexpr const char* NotShown = "Cannot show the DialogBox window.";

std::string Flag(bool V) { return V ? "1" : "0"; }

// A list row as one field: the cells and the icon, tab-separated (tabs and breaks in a cell become blanks).
std::string RowField(const TDialogRow& R) {
  std::string Out;
  for (const std::string& C : R.Cells) {
    for (char Ch : C) Out += (Ch == '\t' || Ch == '\n' || Ch == '\r') ? ' ' : Ch;
    Out += '\t';
  }
  return Out + R.Icon;
}

void AddTexts(TDialogMessage& M, const TTarvikModuleOptions& O) {
  for (int I = 0; I < CustomizedTextCount; ++I) M.emplace_back("text", O.GetText(I));
}

// The report where a developer finds it when no window can show it.
void ReportToStandardError(const std::string& Message, const std::string& Report) {
  OutputDebugString(Message);
  OutputDebugString(Report);
}

// The one reply of a dialog that runs until it is closed.
TDialogReply RunToReply(const TDialogMessage& Request) {
  TDialogProgram P(Request);
  std::optional<TDialogMessage> M = P.Read(-1);
  P.Finish(2000);
  if (!M) throw EReadError("The dialog program ended without a reply.");
  return DecodeDialogReply(*M);
}

// ---- The progress window's program ----
std::mutex ProgressLock;
std::unique_ptr<TDialogProgram> Progress;
std::string ProgressMessageText;  // "Message"

void StartProgress(const TTarvikModuleOptions& O) {
  std::lock_guard<std::mutex> L(ProgressLock);
  Progress.reset();
  if (!O.ShowSmtpProgress() || O.MailSendMode() == msNone || !IsGuiMode()) return;
  TDialogMessage R = {{"kind", "progress"}, {"customlook", Flag(O.CustomDialogLook())}};
  AddTexts(R, O);
  ProgressMessageText = O.GetText(54);
  try {
    auto P = std::make_unique<TDialogProgram>(R);
    // Bounded: a window that never opens leaves the mail without progress, not waiting.
    std::optional<TDialogMessage> Ready = P->Read(5000);
    if (Ready && DecodeDialogReply(*Ready).Ready) Progress = std::move(P);
  } catch (const std::exception& E) {
    TraceEntry("SMTP progress window", {std::string(E.what())});
  }
}

void SendProgress(const TDialogMessage& M) {
  std::lock_guard<std::mutex> L(ProgressLock);
  if (Progress && !Progress->Send(M)) Progress.reset();
}

void StopProgress() {
  std::unique_ptr<TDialogProgram> P;
  {
    std::lock_guard<std::mutex> L(ProgressLock);
    P = std::move(Progress);
  }
  if (!P) return;
  P->Send({{"stop", "1"}});
  try {
    P->Read(2000);
  } catch (const std::exception&) {
  }
  P->Finish(2000);
}
}  // namespace

std::string DialogProgramPath() {
  {
    std::lock_guard<std::mutex> L(PathLock);
    if (!ProgramPathOverride.empty()) return ProgramPathOverride;
  }
  return ExtractFilePath(ProgramPath()) + "tarvik_dialog";
}

void SetDialogProgramPath(const std::string& Path) {
  std::lock_guard<std::mutex> L(PathLock);
  ProgramPathOverride = Path;
}

TDialogProgram::TDialogProgram(const TDialogMessage& Request) {
  int Pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pair) != 0)
    throw EInOutError(std::string("Cannot make the dialog program's socket: ") + std::strerror(errno));
  std::string Program = DialogProgramPath();
  posix_spawn_file_actions_t A;
  posix_spawn_file_actions_init(&A);
  posix_spawn_file_actions_adddup2(&A, Pair[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&A, Pair[1], STDOUT_FILENO);
  char* Argv[] = {Program.data(), nullptr};
  pid_t Pid = -1;
  int Rc = posix_spawn(&Pid, Program.c_str(), &A, nullptr, Argv, environ);
  posix_spawn_file_actions_destroy(&A);
  ::close(Pair[1]);
  if (Rc != 0) {
    ::close(Pair[0]);
    throw EInOutError("Cannot start the dialog program \"" + Program + "\": " + std::strerror(Rc));
  }
  FPid = Pid;
  FSocket = Pair[0];
  if (!Send(Request)) {
    Finish(0);
    throw EInOutError("The dialog program \"" + Program + "\" did not take its request.");
  }
}

TDialogProgram::~TDialogProgram() { Finish(1000); }

bool TDialogProgram::Send(const TDialogMessage& Message) {
  if (FSocket < 0) return false;
  std::string Bytes = EncodeDialogMessage(Message);
  size_t Done = 0;
  while (Done < Bytes.size()) {
    // MSG_NOSIGNAL: a program that died must not take this process with it through SIGPIPE.
    ssize_t W = ::send(FSocket, Bytes.data() + Done, Bytes.size() - Done, MSG_NOSIGNAL);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) return false;
    Done += static_cast<size_t>(W);
  }
  return true;
}

std::optional<TDialogMessage> TDialogProgram::Read(int TimeoutMs) {
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (;;) {
    TDialogMessage M;
    size_t Used = 0;
    std::string Error;
    switch (ParseDialogMessage(FInput, M, Used, Error)) {
      case TDialogParse::Complete:
        FInput.erase(0, Used);
        return M;
      case TDialogParse::Damaged:
        throw EReadError("The dialog program's reply is damaged: " + Error + ".");
      case TDialogParse::NeedMore:
        break;
    }
    if (FSocket < 0) return std::nullopt;
    int Wait = -1;
    if (TimeoutMs >= 0) {
      auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
      if (Left.count() <= 0) return std::nullopt;
      Wait = static_cast<int>(Left.count());
    }
    pollfd P{FSocket, POLLIN, 0};
    int N = ::poll(&P, 1, Wait);
    if (N < 0 && errno == EINTR) continue;
    if (N == 0) return std::nullopt;
    char Buf[65536];
    ssize_t R = ::recv(FSocket, Buf, sizeof Buf, 0);
    if (R < 0 && errno == EINTR) continue;
    if (R <= 0) return std::nullopt;
    FInput.append(Buf, static_cast<size_t>(R));
  }
}

int TDialogProgram::Finish(int TimeoutMs) {
  if (FSocket >= 0) {
    ::close(FSocket);
    FSocket = -1;
  }
  if (FPid <= 0) return -1;
  int Status = 0;
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (;;) {
    pid_t R = ::waitpid(FPid, &Status, WNOHANG);
    if (R == FPid) break;
    if (R < 0 && errno != EINTR) {
      FPid = -1;
      return -1;
    }
    if (std::chrono::steady_clock::now() >= Deadline) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, &Status, 0);
      FPid = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FPid = -1;
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

TDialogMessage ExceptionDialogRequest(const TExceptionDialogRequest& R) {
  const TTarvikModuleOptions& O = *R.Options;
  const bool Duplicate = R.Report && R.Report->IsDuplicate;
  TDialogMessage M = {{"kind", "exception"},
                      {"message", R.ErrorMessageText},
                      {"sendvisible", Flag(SendBoxVisible(O, Duplicate))},
                      {"shotvisible", Flag(O.AttachScreenshot())},
                      {"shotenabled", Flag(O.MailSendMode() != msNone)},
                      {"sendchecked", Flag(R.SendMailChecked)},
                      {"shotchecked", Flag(R.AttachScreenshotChecked)},
                      {"terminatevisible", Flag(TerminateButtonVisible(O, R.ReportCount))},
                      {"restart", Flag(O.TerminateAction() == 1)},
                      {"starttab", std::to_string(O.DialogStartTab() > 3 ? 0 : O.DialogStartTab())},
                      {"customlook", Flag(O.CustomDialogLook())},
                      {"ini", DialogIniPath()}};
  AddTexts(M, O);
  if (R.Report) {
    M.emplace_back("report", R.Report->Text);
    M.emplace_back("general", R.Report->GeneralText);
    M.emplace_back("cpu", R.Report->CpuText);
    for (const TDialogRow& Row : ModuleRows(R.Report->Sources.Modules, R.Report->Sources.ProgramFileName))
      M.emplace_back("module", RowField(Row));
  }
  if (R.Record)
    for (const TDialogRow& Row : CallStackRows(R.Record->CallStack)) M.emplace_back("frame", RowField(Row));
  return M;
}

TDialogMessage ReproduceDialogRequest(const TTarvikModuleOptions& O) {
  TDialogMessage M = {{"kind", "request"}, {"customlook", Flag(O.CustomDialogLook())}};
  AddTexts(M, O);
  return M;
}

TExceptionDialogResult ShowDialogProgram(const TExceptionDialogRequest& Request) {
  TraceEntry("ShowDialog");
  const std::string Report = Request.Report ? Request.Report->Text : std::string();
  TDialogMessage Message = ExceptionDialogRequest(Request);
  for (;;) {
    TDialogReply Reply;
    try {
      Reply = RunToReply(Message);
    } catch (const std::exception&) {
      ReportToStandardError(Request.ErrorMessageText, Report);
      throw;
    }
    if (!Reply.Shown) throw EInOutError(NotShown);  // the program wrote the report to standard error
    TExceptionDialogResult Result;
    Result.SendMailChecked = Reply.SendMailChecked;
    Result.AttachScreenshotChecked = Reply.AttachScreenshotChecked;
    Result.CopyToClipboardChecked = Reply.CopyToClipboardChecked;
    Result.TerminateRequested = Reply.TerminateRequested;
    if (!Result.TerminateRequested || !Request.Action) return Result;
    bool Terminate = true;
    Request.Action(6, Terminate);
    if (Terminate) return Result;  // a handler that cleared the flag brings the dialog back
  }
}

std::string ShowRequestDialogProgram(const TTarvikModuleOptions& Options) {
  TDialogReply Reply = RunToReply(ReproduceDialogRequest(Options));
  if (!Reply.Shown) throw EInOutError(NotShown);
  return Trim(Reply.ReproduceText);
}

std::string SmtpStatusText(const std::string& MessageText, int Recipient, int RecipientCount, const std::string& Text) {
  return MessageText + " " + std::to_string(Recipient) + "/" + std::to_string(RecipientCount) + ": " + Text;
}

TSmtpProgressHooks SmtpProgressProgramHooks() {
  TSmtpProgressHooks H;
  H.Start = StartProgress;
  H.Status = [](int Recipient, int Count, const std::string& Text) {
    std::string Message;
    {
      std::lock_guard<std::mutex> L(ProgressLock);
      Message = ProgressMessageText;
    }
    SendProgress({{"status", SmtpStatusText(Message, Recipient, Count, Text)}});
  };
  H.Progress = [](int Percent) { SendProgress({{"progress", std::to_string(std::clamp(Percent, 0, 100))}}); };
  H.Stop = StopProgress;
  return H;
}

void InstallDialogProgramHooks() {
  SetShowDialog(ShowDialogProgram);
  SetShowRequestDialog(ShowRequestDialogProgram);
  SetTakeScreenshot(WriteScreenshot);
  PrepareScreenshot();
  SetSmtpProgressHooks(SmtpProgressProgramHooks());
}

void RemoveDialogProgramHooks() {
  StopProgress();
  SetShowDialog(nullptr);
  SetShowRequestDialog(nullptr);
  SetTakeScreenshot(nullptr);
  SetSmtpProgressHooks({});
}

bool SendSourceLocation(const std::string& Unit, uint32_t Line, const std::string& SocketName) {
  char Message[SourceLocationMessageSize] = {0};
  std::memcpy(Message, Unit.data(), std::min<size_t>(Unit.size(), 2047));
  for (int I = 0; I < 4; ++I) Message[2048 + I] = static_cast<char>(Line >> (8 * I));
  int S = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (S < 0) return false;
  sockaddr_un A{};
  A.sun_family = AF_UNIX;
  size_t NameLength = std::min(SocketName.size(), sizeof A.sun_path - 1);
  std::memcpy(A.sun_path + 1, SocketName.data(), NameLength);  // abstract: a leading zero byte
  auto Length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + NameLength);
  ssize_t W = ::sendto(S, Message, sizeof Message, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&A), Length);
  ::close(S);
  return W == static_cast<ssize_t>(sizeof Message);
}
