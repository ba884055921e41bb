#include "exceptions/deliver/TarvikWeb.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"

namespace {
// A web server that has dropped the connection must not turn the error report into a killed
// process: SIGPIPE is held back in this thread while writing, and one it raised is taken away.
bool WriteAll(int Fd, const std::string& Bytes) {
  sigset_t Pipe, Old;
  sigemptyset(&Pipe);
  sigaddset(&Pipe, SIGPIPE);
  sigset_t Pending;
  sigpending(&Pending);
  bool WasPending = sigismember(&Pending, SIGPIPE) == 1;
  pthread_sigmask(SIG_BLOCK, &Pipe, &Old);
  size_t Done = 0;
  bool Broken = false;
  while (Done < Bytes.size()) {
    ssize_t W = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) {
      Broken = W < 0 && errno == EPIPE;
      break;
    }
    Done += static_cast<size_t>(W);
  }
  if (Broken && !WasPending) {
    timespec Zero{0, 0};
    while (sigtimedwait(&Pipe, nullptr, &Zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &Old, nullptr);
  return Done == Bytes.size();
}
}  // namespace

std::string BuildHtmlErrorPage(std::string_view Title, std::string_view ReportText) {
  return std::string(TarvikText::HtmlPageStart) + HtmlEscape(Title) + TarvikText::HtmlPageBody +
         HtmlEncode(ReportText) + TarvikText::HtmlPageEnd;
}

std::string HttpErrorHeader(size_t BodyBytes, bool Cgi) {
  return std::string(Cgi ? TarvikText::CgiStatusLine : "") +
         Format(TarvikText::HttpErrorHeader, {static_cast<unsigned long>(BodyBytes)});
}

bool SendHttpErrorPageTo(int Fd, std::string_view Page) {
  std::string Body = Utf8ToWin1252(Page);
  // A page written only in part is as lost as one not written: both count as failure.
  if (!WriteAll(Fd, HttpErrorHeader(Body.size(), IsCgiMode())) || !WriteAll(Fd, Body)) {
    RecordWarning(eeShowError, TarvikText::CgiCannotWrite);
    return false;
  }
  return true;
}

bool SendHttpErrorPage(std::string_view Page) { return SendHttpErrorPageTo(STDOUT_FILENO, Page); }
