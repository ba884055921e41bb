#pragma once
// Mailing the report: through the desktop's mail program (xdg-email, else a mailto: URL opened
// with xdg-open), or by SMTP (TarvikSmtp.h). Programs are started without a shell.
#include <string>
#include <vector>

#include "exceptions/deliver/TarvikPipelineHooks.h"

class TTarvikModuleOptions;

// The recipients of a text separated by "," or ";": trimmed, in order; an empty piece stays an
// entry ("a,,b" gives "a", "", "b"; "a;b," gives "a", "b").
std::vector<std::string> SplitMailRecipients(const std::string& Text);

// The report's mail: option MailSendMode picks the way, option MailLogInBody whether the report
// goes in the body or as a temporary copy of the log file's name. Sends the action notifications
// (4 before, 5 after) and tries again while the action-error handler asks. Failures are internal
// errors (eeEmailMAPIError, eeEmailShellError, eeEmailSMTPError). The default of the
// pipeline's SendReportByMail.
bool MailReport(const TMailRequest& Request);

// Hands the message to the desktop's mail program (xdg-email): false, with an internal error,
// when it cannot be started or fails. Empty recipients, empty paths and missing files are left out.
bool MapiSendMail(const std::string& Recipients, const std::string& Subject, const std::string& Body,
                  const std::vector<std::string>& Attachments);
// The mailto: URL of RFC 6068, every part percent-encoded.
std::string MailtoUrl(const std::string& Recipients, const std::string& Subject, const std::string& Body);
// Opens MailtoUrl with xdg-open: false, with an internal error, when that fails.
bool MailtoSendMail(const std::string& Recipients, const std::string& Subject, const std::string& Body);

// How long a started mail program is waited for; one still running then has taken the mail.
inline constexpr int MailProgramWaitMs = 10000;
