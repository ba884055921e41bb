#include "exceptions/deliver/TarvikMail.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/deliver/TarvikSmtp.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/TempFiles.h"
#include "platform/sys/Spawn.h"

namespace {
const char* const ThreeLineBreaks = "\r\n\r\n\r\n";

// The temporary copy of the report lives in a folder of its own: a fixed name in a shared
// temporary folder could be a link planted by someone else.
struct TReportCopy {
  std::string Folder, Path;
  ~TReportCopy() {
    if (!Path.empty()) std::remove(Path.c_str());
    if (!Folder.empty()) ::rmdir(Folder.c_str());
  }
};

void WriteTemporaryReportCopy(const TTarvikModuleOptions& O, const std::string& MailText, TReportCopy& Copy) {
  if (O.MailLogInBody()) return;
  std::string Template = GetTempPath() + "tarvik-mail-XXXXXX";
  if (!::mkdtemp(Template.data())) return;
  Copy.Folder = Template;
  std::string Path = Copy.Folder + "/" + ExtractFileName(O.OutputLogFile());
  std::ofstream F(Path, std::ios::binary);
  if (!F) return;
  Copy.Path = Path;
  // Lines, each ended by CR LF.
  std::string Text = CrLfLines(MailText);
  if (!Text.empty() && Text.back() != '\n') Text += "\r\n";
  F << Text;
}


// Runs a program and judges its end: started and either still running or ended with 0.
bool RunMailProgram(const std::vector<std::string>& Argv, TTarvikLogErrorCode Code) {
  TraceEntry("RunMailProgram", {Argv[0]});
  TSpawnResult R = SpawnProgram(Argv, MailProgramWaitMs);
  if (R.Error != 0) {
    RecordWarning(Code, Format(TarvikText::MailProgramNotStarted, {Argv[0], SystemErrorText(R.Error)}));
    return false;
  }
  if (R.Exited && R.ExitCode != 0) {
    RecordWarning(Code, Format(TarvikText::MailProgramFailed, {Argv[0], R.ExitCode}));
    return false;
  }
  return true;
}

std::string PercentEncode(const std::string& Text, const char* AlsoKept) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string R;
  for (char C : Text) {
    uint8_t B = uint8_t(C);
    bool Unreserved = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
                      C == '.' || C == '_' || C == '~';
    if (Unreserved || (C != '\0' && std::strchr(AlsoKept, C))) {
      R += C;
    } else {
      R += '%';
      R += Hex[B >> 4];
      R += Hex[B & 15];
    }
  }
  return R;
}

}  // namespace

std::vector<std::string> SplitMailRecipients(const std::string& Text) {
  std::string T = Trim(Text);
  if (T.empty() || (T.back() != ',' && T.back() != ';')) T += ',';
  std::vector<std::string> List;
  size_t Start = 0;
  for (size_t I = 0; I < T.size(); ++I)
    if (T[I] == ',' || T[I] == ';') {
      List.push_back(Trim(std::string_view(T).substr(Start, I - Start)));
      Start = I + 1;
    }
  return List;
}

bool MapiSendMail(const std::string& Recipients, const std::string& Subject, const std::string& Body,
                  const std::vector<std::string>& Attachments) {
  std::vector<std::string> Argv{TarvikText::MailProgram, "--utf8"};
  if (!Subject.empty()) Argv.insert(Argv.end(), {"--subject", Subject});
  if (!Body.empty()) Argv.insert(Argv.end(), {"--body", Body});
  for (const std::string& A : Attachments)
    if (!A.empty() && FileExists(A)) Argv.insert(Argv.end(), {"--attach", A});
  for (const std::string& R : SplitMailRecipients(Recipients))
    // An address that would read as an option is no address.
    if (!R.empty() && R[0] != '-') Argv.push_back(R);
  return RunMailProgram(Argv, eeEmailMAPIError);
}

std::string MailtoUrl(const std::string& Recipients, const std::string& Subject, const std::string& Body) {
  std::string To;
  for (const std::string& R : SplitMailRecipients(Recipients)) {
    if (R.empty()) continue;
    if (!To.empty()) To += ',';
    To += PercentEncode(R, "@");
  }
  return "mailto:" + To + "?Subject=" + PercentEncode(Subject, "") + "&Body=" + PercentEncode(CrLfLines(Body), "");
}

bool MailtoSendMail(const std::string& Recipients, const std::string& Subject, const std::string& Body) {
  return RunMailProgram({TarvikText::UrlOpener, MailtoUrl(Recipients, Subject, Body)}, eeEmailShellError);
}

bool MailReport(const TMailRequest& Request) {
  if (!Request.Options || !Request.Report) return false;
  const TTarvikModuleOptions& O = *Request.Options;
  const std::string& ReportMailText = Request.Report->MailText;
  TraceEntry("SendReportByMail", {int(O.MailSendMode())});
  bool Continue = true;
  ClearInternalError();
  TReportCopy Copy;
  WriteTemporaryReportCopy(O, ReportMailText, Copy);
  if (Request.Action) Request.Action(4, Continue);
  if (!Continue) return false;

  std::string Body = O.MailText();
  if (O.MailLogInBody()) Body += ThreeLineBreaks + ReportMailText;
  const std::vector<std::string> Attachments{Copy.Path, Request.ScreenshotPath};
  for (;;) {
    if (O.MailSendMode() == msSmtpServer || O.MailSendMode() == msSmtpDirect) {
      StartSmtpProgress(O);
      Continue = SmtpSendMail(O.MailSendMode() == msSmtpDirect, O.MailSender(), O.SmtpHost(), Attachments, Body,
                              O.MailSubject(), O.MailRecipients(), O.SmtpPassword(), O.SmtpUserName(),
                              O.SmtpPort(), &O);
    } else {
      Continue = MapiSendMail(O.MailRecipients(), O.MailSubject(), Body, Attachments);
      // A URL carries no attachment: the report goes in its body.
      if (!Continue)
        Continue = MailtoSendMail(O.MailRecipients(), O.MailSubject(), O.MailText() + ThreeLineBreaks + ReportMailText);
    }
    bool Retry = false;
    if (!Continue && Request.ActionError) Request.ActionError(5, Retry);
    if (!Retry) break;
  }
  if (Request.Action) Request.Action(5, Continue);
  return Continue;
}
